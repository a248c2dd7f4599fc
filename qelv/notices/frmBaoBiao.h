#pragma once
// The yearly statistics window "报表": builds the statistics table of the operating year, picks a subset
// of it with the query-condition dialog, shows the subset in the grid and prints it. Its buttons lead
// through build, query and print in that order; once enabled a button stays enabled.
#include "qelv/core/Form.h"

#include <QString>
#include <memory>

class QPushButton;

namespace db {
class Recordset;
} // namespace db

namespace ui {
class DataGrid;
} // namespace ui

namespace statistics {
class StatisticsGrid;
} // namespace statistics

class frmBaoBiao : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmBaoBiao";
    explicit frmBaoBiao(QWidget* owner = nullptr);
    ~frmBaoBiao() override;

    // The statistics build; enables Command2 when it is complete.
    void Command1_Click();
    // The query: the condition dialog, then tjk and the grid; enables Command3.
    void Command2_Click();
    // The print of tjk.
    void Command3_Click();
    void Command4_Click();

    // The condition of the last query, in words, for the report's condition line.
    const QString& conditionText() const { return conditionText_; }
    // The grid's rows; null before the first query.
    db::Recordset* gridRows() const;

    ui::DataGrid* DataGrid1;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
    QPushButton* Command4;

private:
    QString conditionText_;
    std::unique_ptr<statistics::StatisticsGrid> grid_;
};
