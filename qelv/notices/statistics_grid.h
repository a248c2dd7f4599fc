#pragma once
// The read-only grid of the statistics windows: the rows a query of the operating year's billing file
// gave, held with their connection. The rows of a new query replace the shown ones only once the grid
// took them, so a query that fails leaves the grid as it was.
#include "platform/ui/recordset_model.h"

#include <QList>
#include <functional>
#include <memory>

class QWidget;

namespace db {
class Connection;
class Recordset;
} // namespace db

namespace ui {
class DataGrid;
} // namespace ui

namespace statistics {

class StatisticsGrid {
public:
    // The grid, "DataGrid1", is a child of window showing columns; the window places it.
    StatisticsGrid(QWidget* window, const QList<ui::GridColumn>& columns);
    ~StatisticsGrid();

    ui::DataGrid* grid() const { return grid_; }
    // The rows shown; null before the first query.
    db::Recordset* rows() const { return rows_.get(); }

    using Query = std::function<std::unique_ptr<db::Recordset>(db::Connection&)>;
    // Opens the year's billing file and shows the rows query gives there; throws what either throws.
    void show(const Query& query);

private:
    ui::RecordsetModel* model_;
    ui::DataGrid* grid_;
    std::unique_ptr<db::Connection> conn_;
    std::unique_ptr<db::Recordset> rows_;
};

} // namespace statistics
