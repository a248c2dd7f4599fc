#pragma once
// The found invoices that the payment and the voiding windows show in their grid: the search boxes'
// find (search), the rows shown read-only under the month's captions (openGrid), and the invoice a row
// stands for, as the payment writer takes it. The year's billing file stays open while its rows show.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "qelv/core/invoice_payment.h"

#include <QVariant>
#include <memory>

class QLineEdit;
class QWidget;

namespace ui {
class RecordsetModel;
}

namespace invoiceSearch {

// The grid's columns, in openGrid's order.
enum Column { Enterprise = 0, Number, Amount, InvoiceDate, Paid, PaidOn };

// The search boxes: year, invoice number, full name, fee month.
struct Boxes {
    QLineEdit* year;
    QLineEdit* number;
    QLineEdit* name;
    QLineEdit* month;
};

class FoundGrid {
public:
    // The window's search boxes and its grid's model, whose errors show over the window.
    FoundGrid(QWidget* window, const Boxes& boxes, ui::RecordsetModel* model);
    ~FoundGrid();
    FoundGrid(const FoundGrid&) = delete;
    FoundGrid& operator=(const FoundGrid&) = delete;

    // The find button: searches by the boxes and shows the rows found in place of those shown; found
    // by its number, the name and month boxes then show the invoice's enterprise and month. A refusal
    // is said and an error shown over the window, and the rows shown stay. True when rows were shown.
    bool find();

    // The rows shown; null before the first find.
    db::Recordset* rows() const { return rows_.get(); }
    int year() const { return year_; }
    QVariant cell(int row, Column column) const;
    invoicePayment::Invoice invoiceAt(int row) const;

private:
    QWidget* window_;
    Boxes boxes_;
    ui::RecordsetModel* model_;
    std::unique_ptr<db::Connection> billing_;
    std::unique_ptr<db::Recordset> rows_;
    int year_ = 0;
    int month_ = 0;
};

} // namespace invoiceSearch
