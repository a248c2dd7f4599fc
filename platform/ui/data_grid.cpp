#include "platform/ui/data_grid.h"

#include "platform/db/error.h"
#include "platform/ui/field_text.h"
#include "platform/ui/twips.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTimer>

namespace ui {

// Draws the drop-down button of the current cell, reports its click, and keeps track of the open
// cell editor so that the grid can commit it before the recordset moves.
class DataGridDelegate : public QStyledItemDelegate {
public:
    explicit DataGridDelegate(DataGrid* grid)
        : QStyledItemDelegate(grid),
          grid_(grid)
    {
    }

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        grid_->editor_ = editor;
        grid_->editorIndex_ = index;
        return editor;
    }

    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override
    {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        const QRect button = grid_->cellButtonRect(index);
        if (!button.isEmpty())
            editor->setGeometry(editor->geometry().adjusted(0, 0, -button.width(), 0));
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QRect button = grid_->cellButtonRect(index);
        if (button.isEmpty())
            return;
        QStyleOptionButton panel;
        panel.initFrom(grid_);
        panel.rect = button;
        panel.state |= QStyle::State_Raised;
        grid_->style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &panel, painter, grid_);
        QStyleOption arrow;
        arrow.initFrom(grid_);
        arrow.rect = button.adjusted(3, 3, -3, -3);
        grid_->style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, painter, grid_);
    }

    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton &&
                grid_->cellButtonRect(index).contains(mouse->position().toPoint())) {
                emit grid_->buttonClick(index.column());
                return true;
            }
        }
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }

private:
    DataGrid* grid_;
};

DataGrid::DataGrid(QWidget* parent)
    : QTableView(parent)
{
    setItemDelegate(new DataGridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    verticalHeader()->setDefaultSectionSize(px(255));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(px(255));
}

void DataGrid::setRecordsetModel(RecordsetModel* model)
{
    if (model_)
        disconnect(model_, nullptr, this, nullptr);
    model_ = model;
    setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        applyColumnWidths();
        followRecordset();
    });
    connect(model, &RecordsetModel::currentRowChanged, this, &DataGrid::followRecordset);
    applyColumnWidths();
    followRecordset();
}

RecordsetModel* DataGrid::recordsetModel() const
{
    return model_;
}

void DataGrid::setButtonColumns(const QList<int>& columns)
{
    buttonColumns_ = columns;
    viewport()->update();
}

bool DataGrid::hasButton(int column) const
{
    return buttonColumns_.contains(column);
}

QRect DataGrid::cellButtonRect(const QModelIndex& index) const
{
    if (!index.isValid() || !hasButton(index.column()) || index != currentIndex())
        return QRect();
    const QRect cell = visualRect(index);
    const int w = qMin(cell.height(), px(270));
    return QRect(cell.right() - w + 1, cell.top(), w, cell.height());
}

void DataGrid::applyColumnWidths()
{
    if (!model_)
        return;
    const QList<GridColumn> cols = model_->columns();
    for (int i = 0; i < cols.size(); ++i)
        if (cols[i].widthTwips > 0)
            setColumnWidth(i, px(cols[i].widthTwips));
}

bool DataGrid::isEditing() const
{
    return editor_ && state() == QAbstractItemView::EditingState;
}

void DataGrid::commitEdit()
{
    if (!isEditing())
        return;
    QWidget* editor = editor_;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
    editor_ = nullptr;
}

void DataGrid::discardEdit()
{
    if (!isEditing())
        return;
    QWidget* editor = editor_;
    closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    editor_ = nullptr;
}

void DataGrid::setCurrentQuietly(int row)
{
    const bool was = syncing_;
    syncing_ = true;
    if (model_ && row >= 0 && row < model_->rowCount()) {
        const int column = qMax(0, currentIndex().column());
        const QModelIndex target = model_->index(row, qMin(column, model_->columnCount() - 1));
        if (target != currentIndex()) {
            // The current cell moves at once; the view's answer to it, its highlight and the scroll
            // that brings it into view follow when the moves are over (see currentChanged).
            const bool scrolls = hasAutoScroll();
            setAutoScroll(false);
            selectionModel()->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
            setAutoScroll(scrolls);
        }
        if (!scrollDue_) {
            scrollDue_ = true;
            viewport()->update();
            QTimer::singleShot(0, this, [this] { scrollIfDue(); });
        }
    } else {
        if (selectionModel())
            selectionModel()->clear();
        viewport()->update();
    }
    syncing_ = was;
}

void DataGrid::scrollIfDue() const
{
    auto* self = const_cast<DataGrid*>(this);
    if (answerDue_) {
        answerDue_ = false;
        const QModelIndex previous = runStart_;
        runStart_ = QPersistentModelIndex();
        const QModelIndex current = currentIndex();
        if (current.isValid() && current != previous) {
            // As the move itself would have been answered: without the view's own scroll, which
            // comes below, and without moving the recordset back.
            const bool was = self->syncing_;
            const bool scrolls = hasAutoScroll();
            self->syncing_ = true;
            self->setAutoScroll(false);
            self->QTableView::currentChanged(current, previous);
            self->setAutoScroll(scrolls);
            self->syncing_ = was;
        }
        // Cells passed over during the run may have been painted as current.
        self->viewport()->update();
    }
    if (!scrollDue_)
        return;
    scrollDue_ = false;
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (selectionModel() && !selectionModel()->isSelected(current)) {
        const bool was = self->syncing_;
        self->syncing_ = true;
        selectionModel()->select(current, QItemSelectionModel::ClearAndSelect);
        self->syncing_ = was;
    }
    self->scrollTo(current);
}

void DataGrid::followRecordset()
{
    if (syncing_ || !model_)
        return;
    const int target = model_->currentRow();
    if (isEditing() && editorIndex_.isValid() && editorIndex_.row() != target) {
        // The recordset left a row whose cell is still being edited: the typed text belongs to that
        // row, so it goes there first, and the recordset then moves on to where it was sent.
        QWidget* editor = editor_;
        syncing_ = true;
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
        editor_ = nullptr;
        syncing_ = false;
        if (target >= 0 && model_->currentRow() != target) {
            try {
                model_->moveToRow(target);
            } catch (const std::exception& e) {
                model_->reportError(e);
            }
        }
    }
    setCurrentQuietly(model_->currentRow());
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    if (syncing_ && current.isValid() && !isEditing()) {
        // A move of the recordset, one of a run perhaps (a walk over the rows by code): the view
        // answers once, for the whole run, when the moves are over (scrollIfDue). An open editor is
        // answered at once, as it must be closed before its row is left.
        if (!answerDue_) {
            answerDue_ = true;
            runStart_ = previous;
        }
        return;
    }
    // A move of the grid's own (a click, a key) answers for the moves before it too.
    answerDue_ = false;
    runStart_ = QPersistentModelIndex();
    QTableView::currentChanged(current, previous);
    viewport()->update();
    if (syncing_ || !model_ || !current.isValid() || current.row() == model_->currentRow())
        return;
    try {
        model_->moveToRow(current.row());
    } catch (const std::exception& e) {
        // The row left could not be written: it stays current, in the grid as in the recordset.
        model_->reportError(e);
        setCurrentQuietly(model_->currentRow());
    }
}

void DataGrid::commitData(QWidget* editor)
{
    const QPersistentModelIndex index = editorIndex_;
    const bool known = model_ && index.isValid();
    const QString before = known ? model_->data(index).toString() : QString();
    QTableView::commitData(editor);
    // The text taken into a row the recordset was leaving is that row's, not an edit of the row now
    // current: no one is told of it.
    if (known && !syncing_ && model_->data(index).toString() != before)
        editedColumn_ = index.column();
}

void DataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    // Told only once the editor is gone, so that a handler may set cells and move the recordset.
    if (editedColumn_ >= 0) {
        const int column = editedColumn_;
        editedColumn_ = -1;
        emit afterColUpdate(column);
    }
}

int DataGrid::visibleRow() const
{
    scrollIfDue();
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return -1;
    const int top = rowAt(0);
    return current.row() - (top < 0 ? 0 : top);
}

double DataGrid::columnLeft(int column) const
{
    return twips(viewport()->x() + columnViewportPosition(column));
}

double DataGrid::columnTop() const
{
    return twips(viewport()->y());
}

double DataGrid::columnWidthTwips(int column) const
{
    return twips(columnWidth(column));
}

double DataGrid::headingWidthTwips(int column) const
{
    return twips(horizontalHeader()->sectionSizeHint(column));
}

double DataGrid::textWidthTwips(const QString& text) const
{
    // As the view measures a cell for its size hint: the style's item size, and the grid line.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay;
    option.text = text;
    const QSize cell = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    return twips(cell.width() + (showGrid() ? 1 : 0));
}

double DataGrid::cellsWidthTwips() const
{
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    return twips(width() - 2 * frameWidth() - verticalHeader()->width() - scrollBar);
}

double DataGrid::rowHeightTwips() const
{
    const int row = currentIndex().isValid() ? currentIndex().row() : -1;
    const int height = row >= 0 ? rowHeight(row) : verticalHeader()->defaultSectionSize();
    return twips(height - (showGrid() ? 1 : 0));
}

QString DataGrid::text(int column) const
{
    const int row = model_ ? model_->currentRow() : -1;
    if (row < 0)
        throw db::Error(QString::fromUtf8(db::messages::noCurrentRecord));
    return model_->data(model_->index(row, column)).toString();
}

QString DataGrid::valueText(int column) const
{
    const int row = model_ ? model_->currentRow() : -1;
    if (row < 0)
        throw db::Error(QString::fromUtf8(db::messages::noCurrentRecord));
    return model_->data(model_->index(row, column), Qt::EditRole).toString();
}

void DataGrid::setText(int column, const QString& text)
{
    commitEdit();
    const int row = model_ ? model_->currentRow() : -1;
    const int field = model_ ? model_->fieldOf(column) : -1;
    if (row < 0 || field < 0)
        throw db::Error(QString::fromUtf8(db::messages::noCurrentRecord));
    db::Recordset* rs = model_->recordset();
    rs->setValue(field, typedValue(text, rs->fieldType(field)));
}

} // namespace ui
