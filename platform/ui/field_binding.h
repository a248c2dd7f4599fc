#pragma once
// Text boxes and check boxes bound to the fields of a recordset's current row. Each bound widget shows
// its field of the current row (empty without one) and shows the new row after every move. What the
// operator types goes into the current row as a pending value at once, which the recordset writes when
// its current row changes or on update. A text the column cannot take (letters in a number field)
// stays in the box and is tried again by commit(), which reports it: code that is about to move or
// write the recordset calls commit() first.
#include "platform/db/recordset.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

namespace ui {

class FieldBinding : public QObject {
    Q_OBJECT
public:
    // How a text box shows a value, and which value a typed text stands for (default: fieldText and
    // typedValue). A parse that throws refuses the text.
    using Format = std::function<QString(const QVariant&)>;
    using Parse = std::function<QVariant(const QString&)>;

    explicit FieldBinding(QObject* parent = nullptr);
    ~FieldBinding() override;

    void bind(QLineEdit* box, const QString& field, Format format = {}, Parse parse = {});
    void bind(QPlainTextEdit* box, const QString& field);
    void bind(QCheckBox* box, const QString& field);

    // Binds every widget to a recordset (kept by the caller) and shows its current row; null unbinds
    // and empties the widgets. Throws db::Error when a field is not in the recordset; the binding is
    // then unbound.
    void setRecordset(db::Recordset* recordset);
    db::Recordset* recordset() const;

    // Shows the current row in every widget again, dropping a text that was refused.
    void refresh();
    // Puts every refused text into the current row again; throws the error of the first that is still
    // refused (the others are tried all the same). Without a current row there is nowhere to put a
    // text: nothing is done.
    void commit();
    // Whether a widget holds a text that is not in the row.
    bool hasRefusedText() const;

private:
    struct Entry {
        QPointer<QWidget> widget;
        QString field;
        int fieldIndex = -1;
        Format format;
        Parse parse;
        bool refused = false;
    };
    void add(Entry entry);
    void show(Entry& e);
    void push(Entry& e, bool rethrow);
    QVariant widgetValue(const Entry& e) const;
    bool hasCurrentRow() const;

    QList<Entry> entries_;
    QPointer<db::Recordset> rs_;
    bool showing_ = false;
    bool pushing_ = false;
};

} // namespace ui
