#pragma once
// Batch payment registration: the month's invoiced enterprises in a list with check boxes; of the
// ticked rows (or the unticked ones) those not paid yet get one payment date, each through the payment
// writer, in KPKZK and the ledger together. An invoice paid already keeps its date, and the closing
// message counts those.
#include "qelv/core/Form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeWidget;

class frmPLDZDJ : public Form {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmPLDZDJ";
    explicit frmPLDZDJ(QWidget* owner = nullptr);

    // The list's columns.
    enum Column { Enterprise = 0, Name, Number, Amount, InvoiceDate, Paid, PaidOn };

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Text2_LostFocus();

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* Command1;
    QTreeWidget* ListView1;
    QGroupBox* Frame1;
    QRadioButton* Option1;
    QRadioButton* Option2;
    QLabel* Label2;
    QLineEdit* Text2;
    QPushButton* Command2;
    QPushButton* Command3;

    int listedCount() const { return listedCount_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitColumns();

    int listedCount_ = 0;
    // The month of the listing: registration writes that month's columns of the listed invoices.
    int listedMonth_ = 0;
};
