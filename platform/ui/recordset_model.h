#pragma once
// A table model over a db::Recordset, for data grids: one row per visible row of the recordset, one
// column per chosen field with its caption and width. The model follows the recordset: it resets when
// the rows change, repaints a row when its values change, and reports every change of the current row
// (currentRowChanged), which a grid follows (see DataGrid). An edit of a cell goes into the recordset
// as a pending value of that row; the recordset writes it when its current row changes or on update.
#include "platform/db/recordset.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <exception>
#include <functional>

namespace ui {

struct GridColumn {
    QString field; // the bound field of the recordset
    QString caption; // header text
    int widthTwips = 0; // 0: the grid's default width
    // How a yes/no field reads and is typed in this column; empty: "True" and "False".
    QString trueText = QString();
    QString falseText = QString();
    // How the cell shows its value: a format of platform/convert ("\"￥\"#,##0"); empty: the field's own
    // text. A cell being edited still starts from the field's own text.
    QString format = QString();
};

class RecordsetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using ErrorHandler = std::function<void(const std::exception&)>;

    explicit RecordsetModel(QObject* parent = nullptr);

    // The columns, in their order. Without any, every field of the recordset is shown, captioned
    // with its name.
    void setColumns(const QList<GridColumn>& columns);
    QList<GridColumn> columns() const;

    // Binds the model to a recordset, or with null unbinds it (the grid then shows no rows). The
    // recordset stays the caller's. Throws db::Error when a column names a field the recordset does
    // not have; the model is then unbound.
    void setRecordset(db::Recordset* recordset);
    db::Recordset* recordset() const;

    // The recordset's current row as a model row; -1 when no row is current or the model is unbound.
    int currentRow() const;
    // Makes a row the recordset's current row; the pending edit of the row left is written first.
    // Throws what the recordset throws (a write the database refuses): the current row then stays.
    void moveToRow(int row);
    // Offers an empty row after the last one for a new row (over an updatable recordset): the grid
    // stands on it while the recordset is past its last row, and a text typed into it adds a row
    // (through the adder, by default the recordset's addNew) that takes the text. Off by default.
    void setNewRowOffered(bool offered);
    void setRowAdder(std::function<void()> adder);
    // The model row of the empty new row; -1 when none is offered.
    int newRow() const;

    // The field index in the recordset of a model column, -1 when unbound.
    int fieldOf(int column) const;

    // Where the errors of edits made through setData go (a value the column cannot take, a refused
    // write). By default they are shown in the application's error box.
    void setErrorHandler(ErrorHandler handler);
    // Looks at the text typed into a cell (of the empty new row too) before it goes into the row; it
    // throws to refuse the text, which is then reported as any refused edit and changes nothing.
    using EditCheck = std::function<void(int column, const QString& text)>;
    void setEditCheck(EditCheck check);
    void reportError(const std::exception& e) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    // Puts the text into the row as a pending value, first making the row current if it is not.
    // An unchanged text changes nothing. Returns false (after reporting the error) when refused.
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // After every change of the recordset's current row (row -1: none).
    void currentRowChanged(int row);

private:
    void resolveFields();
    QString cellText(int column, const QVariant& value, int role) const;
    QList<GridColumn> columns_;
    QList<int> fields_; // recordset field index per column
    QPointer<db::Recordset> rs_;
    ErrorHandler onError_;
    EditCheck editCheck_;
    bool newRowOffered_ = false;
    std::function<void()> adder_;
};

} // namespace ui
