#pragma once
// Voiding a printed invoice "作废发票": the invoice found by its number in a year's billing file, or by
// the enterprise's full name and the fee month, shown in a grid; after the operator confirms, its
// late-fee ledger row and its invoice columns in KPKZK are cleared together through the payment writer.
#include "qelv/core/Form.h"
#include "qelv/core/invoice_search_grid.h"

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class DataGrid;
class RecordsetModel;
} // namespace ui

class frmFPZF : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmFPZF";
    explicit frmFPZF(QWidget* owner = nullptr);
    ~frmFPZF() override;

    // The grid's columns.
    using Column = invoiceSearch::Column;
    using enum invoiceSearch::Column;

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

    QLabel* Label3;
    QLineEdit* Text1;
    QGroupBox* Frame1;
    QLabel* Label1;
    QLineEdit* Text2;
    QGroupBox* Frame2;
    QGroupBox* Frame3;
    QLabel* Label2;
    QLineEdit* Text3;
    QLabel* Label4;
    QLineEdit* Text4;
    ui::DataGrid* DataGrid1;
    QPushButton* Command1;
    QPushButton* Command3;
    QPushButton* Command2;

private:
    ui::RecordsetModel* model_;
    std::unique_ptr<invoiceSearch::FoundGrid> found_;
};
