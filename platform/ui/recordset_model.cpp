#include "platform/ui/recordset_model.h"

#include "platform/convert/convert.h"
#include "platform/db/error.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"

namespace ui {

RecordsetModel::RecordsetModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void RecordsetModel::setColumns(const QList<GridColumn>& columns)
{
    beginResetModel();
    columns_ = columns;
    try {
        resolveFields();
    } catch (...) {
        if (rs_)
            disconnect(rs_, nullptr, this, nullptr);
        rs_ = nullptr;
        fields_.clear();
        endResetModel();
        throw;
    }
    endResetModel();
}

QList<GridColumn> RecordsetModel::columns() const
{
    if (!columns_.isEmpty() || !rs_)
        return columns_;
    QList<GridColumn> all;
    for (const QString& name : rs_->fieldNames())
        all << GridColumn{name, name, 0};
    return all;
}

void RecordsetModel::resolveFields()
{
    fields_.clear();
    if (!rs_)
        return;
    if (columns_.isEmpty()) {
        for (int i = 0; i < rs_->fieldCount(); ++i)
            fields_ << i;
        return;
    }
    for (const GridColumn& c : columns_) {
        const int f = rs_->fieldIndex(c.field);
        if (f < 0)
            throw db::Error(QStringLiteral("%1（%2）").arg(QString::fromUtf8(db::messages::itemNotFound), c.field));
        fields_ << f;
    }
}

void RecordsetModel::setRecordset(db::Recordset* recordset)
{
    beginResetModel();
    if (rs_)
        disconnect(rs_, nullptr, this, nullptr);
    rs_ = recordset;
    try {
        resolveFields();
    } catch (...) {
        rs_ = nullptr;
        fields_.clear();
        endResetModel();
        emit currentRowChanged(-1);
        throw;
    }
    if (rs_) {
        // The recordset tells of its changes after they happened; the model is reset then, which a
        // view takes as well as an announced reset because it reads nothing in between.
        connect(rs_, &db::Recordset::rowsReset, this, [this] {
            beginResetModel();
            endResetModel();
        });
        connect(rs_, &db::Recordset::rowChanged, this, [this](int row) {
            if (row >= 0 && row < rowCount())
                emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        });
        connect(rs_, &db::Recordset::moveComplete, this, [this] { emit currentRowChanged(currentRow()); });
        connect(rs_, &QObject::destroyed, this, [this] {
            beginResetModel();
            fields_.clear();
            endResetModel();
        });
    }
    endResetModel();
    emit currentRowChanged(currentRow());
}

db::Recordset* RecordsetModel::recordset() const
{
    return rs_;
}

int RecordsetModel::currentRow() const
{
    if (!rs_)
        return -1;
    try {
        const int row = rs_->currentIndex();
        if (row < 0 && rs_->isEOF())
            return newRow();
        return row;
    } catch (const std::exception&) {
        return -1;
    }
}

void RecordsetModel::moveToRow(int row)
{
    if (!rs_)
        return;
    if (row >= 0 && row == newRow()) {
        // Past the last row, the pending edit of the row left written first.
        if (!rs_->isEOF() && rs_->recordCount() > 0) {
            rs_->moveLast();
            rs_->moveNext();
        }
        return;
    }
    rs_->moveToIndex(row);
}

void RecordsetModel::setNewRowOffered(bool offered)
{
    beginResetModel();
    newRowOffered_ = offered;
    endResetModel();
}

void RecordsetModel::setRowAdder(std::function<void()> adder)
{
    adder_ = std::move(adder);
}

int RecordsetModel::newRow() const
{
    if (!newRowOffered_ || !rs_ || fields_.isEmpty() || !rs_->isUpdatable())
        return -1;
    try {
        return rs_->recordCount();
    } catch (const std::exception&) {
        return -1;
    }
}

int RecordsetModel::fieldOf(int column) const
{
    return column >= 0 && column < fields_.size() ? fields_[column] : -1;
}

void RecordsetModel::setErrorHandler(ErrorHandler handler)
{
    onError_ = std::move(handler);
}

void RecordsetModel::setEditCheck(EditCheck check)
{
    editCheck_ = std::move(check);
}

void RecordsetModel::reportError(const std::exception& e) const
{
    if (onError_)
        onError_(e);
    else
        ui::showError(e);
}

int RecordsetModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !rs_ || fields_.isEmpty())
        return 0;
    try {
        return rs_->recordCount() + (newRow() >= 0 ? 1 : 0);
    } catch (const std::exception&) {
        return 0;
    }
}

int RecordsetModel::columnCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return columns_.isEmpty() ? static_cast<int>(fields_.size()) : static_cast<int>(columns_.size());
}

QVariant RecordsetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return QVariant();
    const int f = fieldOf(index.column());
    if (!rs_ || f < 0 || index.row() == newRow())
        return QVariant();
    try {
        return cellText(index.column(), rs_->valueAt(index.row(), f), role);
    } catch (const std::exception&) {
        // Painting must go on: a row the recordset cannot give shows empty.
        return QVariant();
    }
}

QString RecordsetModel::cellText(int column, const QVariant& value, int role) const
{
    if (value.typeId() == QMetaType::Bool && column < columns_.size() && !columns_[column].trueText.isEmpty())
        return value.toBool() ? columns_[column].trueText : columns_[column].falseText;
    if (role == Qt::DisplayRole && column < columns_.size() && !columns_[column].format.isEmpty()) {
        try {
            return convert::format(value, columns_[column].format);
        } catch (const std::exception&) {
            // A value its format cannot show (text in a number column) shows as it is.
        }
    }
    return fieldText(value);
}

bool RecordsetModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || !rs_)
        return false;
    const int f = fieldOf(index.column());
    if (f < 0)
        return false;
    try {
        QString text = value.toString();
        if (index.column() < columns_.size() && !columns_[index.column()].trueText.isEmpty()) {
            const GridColumn& c = columns_[index.column()];
            if (text == c.trueText)
                text = QStringLiteral("True");
            else if (text == c.falseText)
                text = QStringLiteral("False");
        }
        if (index.row() == newRow()) {
            // Nothing typed adds nothing.
            if (text.isEmpty())
                return true;
            if (editCheck_)
                editCheck_(index.column(), text);
            if (adder_)
                adder_();
            else
                rs_->addNew();
            rs_->setValue(f, typedValue(text, rs_->fieldType(f)));
            return true;
        }
        if (fieldText(rs_->valueAt(index.row(), f)) == text)
            return true;
        if (editCheck_)
            editCheck_(index.column(), text);
        if (rs_->currentIndex() != index.row())
            rs_->moveToIndex(index.row());
        rs_->setValue(f, typedValue(text, rs_->fieldType(f)));
        emit dataChanged(index, index);
        return true;
    } catch (const std::exception& e) {
        reportError(e);
        return false;
    }
}

Qt::ItemFlags RecordsetModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && rs_ && rs_->isUpdatable())
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Vertical)
        return QVariant(); // the record selector shows no numbers
    const QList<GridColumn> cols = columns();
    if (section >= 0 && section < cols.size())
        return cols[section].caption;
    return QVariant();
}

} // namespace ui
