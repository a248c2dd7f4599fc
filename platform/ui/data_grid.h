#pragma once
// The data grid: a table view over a RecordsetModel whose current row is the recordset's current row,
// both ways. Clicking or moving to another row moves the recordset there (writing the row left); a
// move of the recordset, by code or by buttons, moves the grid's current row. Cells are edited in
// place into the current row. Columns keep their widths in twips; chosen columns show a drop-down
// button in the current cell, whose click the grid reports with the column's index.
#include "platform/ui/recordset_model.h"

#include <QList>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

namespace ui {

class DataGrid : public QTableView {
    Q_OBJECT
public:
    explicit DataGrid(QWidget* parent = nullptr);

    // The grid shows this model (kept by the caller) and follows its recordset.
    void setRecordsetModel(RecordsetModel* model);
    RecordsetModel* recordsetModel() const;

    // Columns that show a button in their current cell.
    void setButtonColumns(const QList<int>& columns);
    bool hasButton(int column) const;
    // Where the button of a cell is drawn, in the viewport's coordinates (empty when it has none).
    QRect cellButtonRect(const QModelIndex& index) const;

    // Puts the text of an open cell editor into the row and closes the editor; code that moves the
    // recordset or writes it calls this first, as leaving the grid for a button would.
    void commitEdit();
    // Closes an open cell editor without keeping its text.
    void discardEdit();
    bool isEditing() const;

    // The current row's index among the visible rows (0 for the top visible row); -1 without one.
    int visibleRow() const;
    // Geometry in twips, in the grid's own coordinates: a column's left edge, the top of the first
    // visible cell, a column's width, and the height of a row's cells without the grid line.
    double columnLeft(int column) const;
    double columnTop() const;
    double columnWidthTwips(int column) const;
    // The width a column needs to show its whole heading, and the width of the cells' area beside
    // the row selectors, in twips, with room kept for a vertical scroll bar.
    double headingWidthTwips(int column) const;
    // The width a column needs to show a text whole in its cells, in twips.
    double textWidthTwips(const QString& text) const;
    double cellsWidthTwips() const;
    double rowHeightTwips() const;
    // The text of a column in the current row; setting it edits the row as typing would. Throws
    // db::Error without a current row, and what the recordset throws for a value it cannot take.
    QString text(int column) const;
    void setText(int column, const QString& text);
    // The field's own text in the current row, as an edit starts from it: "1.2345" where a cell of
    // format "0.00" shows "1.23". Throws db::Error without a current row.
    QString valueText(int column) const;

signals:
    void buttonClick(int column);
    // After the text of a cell editor changed the row's value and the editor closed (not for setText).
    void afterColUpdate(int column);

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    friend class DataGridDelegate;
    void applyColumnWidths();
    void followRecordset();
    void setCurrentQuietly(int row);
    // Gives the view's answer to the moves of a run, then highlights the current cell and brings it
    // into view, if a move asked for it and that is not done yet.
    void scrollIfDue() const;

    QPointer<RecordsetModel> model_;
    QList<int> buttonColumns_;
    QPointer<QWidget> editor_;
    QPersistentModelIndex editorIndex_;
    bool syncing_ = false;
    // The current row is highlighted and brought into view once the moves of a run are over, not at
    // each move: a walk over the rows by code scrolls once, at its end.
    mutable bool scrollDue_ = false;
    // So does the view's own answer to a change of the current cell (repainting the cells left and
    // entered, an editor opened on entering a cell): the current index itself moves at once, and the
    // view answers once for the whole run, from the cell the run started on.
    mutable bool answerDue_ = false;
    mutable QPersistentModelIndex runStart_;
    int editedColumn_ = -1;
};

} // namespace ui
