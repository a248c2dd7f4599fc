#include "qelv/notices/statistics_grid.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/data_grid.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

namespace statistics {

StatisticsGrid::StatisticsGrid(QWidget* window, const QList<ui::GridColumn>& columns)
{
    model_ = new ui::RecordsetModel(window);
    model_->setColumns(columns);
    grid_ = new ui::DataGrid(window);
    grid_->setObjectName(QStringLiteral("DataGrid1"));
    grid_->setRecordsetModel(model_);
    // The grid shows a snapshot of the table; it takes no edit.
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
}

StatisticsGrid::~StatisticsGrid()
{
    // The grid lets go of the rows before they go.
    model_->setRecordset(nullptr);
}

void StatisticsGrid::show(const Query& query)
{
    auto conn = std::make_unique<db::Connection>(db::DataFile{dataFiles::billing(Module1::gWorkMonth.year())});
    std::unique_ptr<db::Recordset> rows = query(*conn);
    try {
        model_->setRecordset(rows.get());
    } catch (...) {
        model_->setRecordset(rows_.get());
        throw;
    }
    rows_ = std::move(rows);
    conn_ = std::move(conn);
}

} // namespace statistics
