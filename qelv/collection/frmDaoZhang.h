#pragma once
// Payment registration of one invoice: found by its number, or by the enterprise's full name and the
// fee month, shown in a grid whose paid and payment-date cells change the invoice's payment. Every
// change goes through the payment writer, to KPKZK and the ledger together; the grid only shows.
#include "platform/ui/data_grid.h"
#include "qelv/core/Form.h"
#include "qelv/core/invoice_search_grid.h"

#include <QDate>
#include <memory>

class QCalendarWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class PaymentGridModel;

class frmDaoZhang : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmDaoZhang";
    explicit frmDaoZhang(QWidget* owner = nullptr);
    ~frmDaoZhang() override;

    // The grid's columns.
    using Column = invoiceSearch::Column;
    using enum invoiceSearch::Column;

    void Form_Load();
    void Command1_Click();
    void Command2_Click();
    void DataGrid1_ButtonClick(int column);
    void MonthView1_DateClick(const QDate& date);
    // A text typed into the paid or payment-date cell of a grid row; returns whether it was taken.
    bool typedIntoCell(int row, int column, const QString& text);

    QLabel* Label1;
    QLineEdit* Text1;
    QGroupBox* Frame1;
    QLabel* Label2;
    QLineEdit* Text2;
    QGroupBox* Frame2;
    QLabel* Label3;
    QLineEdit* Text3;
    QLabel* Label4;
    QLineEdit* Text4;
    QPushButton* Command1;
    QPushButton* Command2;
    ui::DataGrid* DataGrid1;
    QCalendarWidget* MonthView1;

private:
    // Writes a change of one grid row's invoice and shows the row as written; false on failure.
    bool writePayment(int row, int paid, bool setPaid, const QDate& date, bool setDate);

    PaymentGridModel* model_;
    std::unique_ptr<invoiceSearch::FoundGrid> found_;
};
