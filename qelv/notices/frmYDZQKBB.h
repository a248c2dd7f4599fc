#pragma once
// The monthly payment report "月到账情况报表": for a month of the operating year typed by the operator,
// the enterprises billed in it whose invoice is registered as paid, or those whose invoice is not, by
// squad. It reads the statistics work table, which it rebuilds from the billing-control table each time
// it opens; it writes nothing else.
#include "qelv/core/Form.h"

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace db {
class Recordset;
} // namespace db

namespace ui {
class DataGrid;
} // namespace ui

namespace statistics {
class StatisticsGrid;
} // namespace statistics

class frmYDZQKBB : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmYDZQKBB";
    explicit frmYDZQKBB(QWidget* owner = nullptr);
    ~frmYDZQKBB() override;

    void Form_Load();
    // The statistics build with the months billed as month count; reports its own error.
    void RebuildStatisticsTable();
    // The query of the month typed.
    void Command1_Click();
    void Command2_Click();

    // The grid's rows; null before the first query.
    db::Recordset* gridRows() const;

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* Command1;
    QPushButton* Command2;
    QGroupBox* Frame1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    ui::DataGrid* DataGrid1;

private:
    std::unique_ptr<statistics::StatisticsGrid> grid_;
};
