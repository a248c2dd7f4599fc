#include "platform/ui/field_binding.h"

#include "platform/db/error.h"
#include "platform/ui/field_text.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace ui {

FieldBinding::FieldBinding(QObject* parent)
    : QObject(parent)
{
}

FieldBinding::~FieldBinding() = default;

void FieldBinding::add(Entry entry)
{
    entries_ << entry;
    if (rs_) {
        Entry& e = entries_.last();
        e.fieldIndex = rs_->fieldIndex(e.field);
        show(e);
    }
}

void FieldBinding::bind(QLineEdit* box, const QString& field, Format format, Parse parse)
{
    add({box, field, -1, std::move(format), std::move(parse), false});
    QWidget* w = box;
    connect(box, &QLineEdit::textEdited, this, [this, w] {
        for (Entry& e : entries_)
            if (e.widget == w)
                push(e, false);
    });
}

void FieldBinding::bind(QPlainTextEdit* box, const QString& field)
{
    add({box, field, -1, {}, {}, false});
    QWidget* w = box;
    connect(box, &QPlainTextEdit::textChanged, this, [this, w] {
        if (showing_)
            return;
        for (Entry& e : entries_)
            if (e.widget == w)
                push(e, false);
    });
}

void FieldBinding::bind(QCheckBox* box, const QString& field)
{
    add({box, field, -1, {}, {}, false});
    QWidget* w = box;
    connect(box, &QCheckBox::clicked, this, [this, w] {
        for (Entry& e : entries_)
            if (e.widget == w)
                push(e, false);
    });
}

void FieldBinding::setRecordset(db::Recordset* recordset)
{
    if (rs_)
        disconnect(rs_, nullptr, this, nullptr);
    rs_ = recordset;
    if (rs_) {
        for (Entry& e : entries_) {
            e.fieldIndex = rs_->fieldIndex(e.field);
            if (e.fieldIndex < 0) {
                const QString missing = e.field;
                rs_ = nullptr;
                refresh();
                throw db::Error(QStringLiteral("%1（%2）").arg(QString::fromUtf8(db::messages::itemNotFound), missing));
            }
        }
        connect(rs_, &db::Recordset::moveComplete, this, &FieldBinding::refresh);
        connect(rs_, &db::Recordset::rowsReset, this, &FieldBinding::refresh);
        connect(rs_, &db::Recordset::rowChanged, this, [this](int row) {
            // A change of the current row made elsewhere (a grid over the same recordset) shows at
            // once; the binding's own pushes are already on screen.
            if (pushing_ || !rs_ || row != rs_->currentIndex())
                return;
            for (Entry& e : entries_)
                if (!e.refused)
                    show(e);
        });
    }
    refresh();
}

db::Recordset* FieldBinding::recordset() const
{
    return rs_;
}

bool FieldBinding::hasCurrentRow() const
{
    return rs_ && !rs_->isBOF() && !rs_->isEOF();
}

void FieldBinding::show(Entry& e)
{
    e.refused = false;
    if (!e.widget)
        return;
    QVariant value;
    if (hasCurrentRow() && e.fieldIndex >= 0) {
        try {
            value = rs_->value(e.fieldIndex);
        } catch (const std::exception&) {
            // A row deleted under the binding shows empty until the next move.
        }
    }
    const bool was = showing_;
    showing_ = true;
    if (auto* line = qobject_cast<QLineEdit*>(e.widget.data())) {
        QString text;
        if (e.format && !value.isNull()) {
            try {
                text = e.format(value);
            } catch (const std::exception&) {
                text = fieldText(value);
            }
        } else {
            text = fieldText(value);
        }
        line->setText(text);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(e.widget.data())) {
        plain->setPlainText(fieldText(value));
    } else if (auto* check = qobject_cast<QCheckBox*>(e.widget.data())) {
        check->setChecked(!value.isNull() && value.toBool());
    }
    showing_ = was;
}

void FieldBinding::refresh()
{
    for (Entry& e : entries_)
        show(e);
}

QVariant FieldBinding::widgetValue(const Entry& e) const
{
    if (auto* check = qobject_cast<QCheckBox*>(e.widget.data()))
        return check->isChecked();
    QString text;
    if (auto* line = qobject_cast<QLineEdit*>(e.widget.data()))
        text = line->text();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(e.widget.data()))
        text = plain->toPlainText();
    if (e.parse)
        return e.parse(text);
    return typedValue(text, rs_->fieldType(e.fieldIndex));
}

void FieldBinding::push(Entry& e, bool rethrow)
{
    if (!e.widget || !rs_ || e.fieldIndex < 0)
        return;
    if (!hasCurrentRow()) {
        e.refused = true;
        return;
    }
    pushing_ = true;
    try {
        rs_->setValue(e.fieldIndex, widgetValue(e));
        e.refused = false;
        pushing_ = false;
    } catch (const std::exception&) {
        pushing_ = false;
        e.refused = true;
        if (rethrow)
            throw;
    }
}

void FieldBinding::commit()
{
    if (!hasCurrentRow())
        return;
    std::exception_ptr first;
    for (Entry& e : entries_) {
        if (!e.refused)
            continue;
        try {
            push(e, true);
        } catch (...) {
            if (!first)
                first = std::current_exception();
        }
    }
    if (first)
        std::rethrow_exception(first);
}

bool FieldBinding::hasRefusedText() const
{
    for (const Entry& e : entries_)
        if (e.refused)
            return true;
    return false;
}

} // namespace ui
