#pragma once
// The login window: identifies the operator against the user table and fixes the operating month
// and the invoice date.
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class frmLogin : public QDialog {
    Q_OBJECT
public:
    explicit frmLogin(QWidget* owner = nullptr);

    bool LoginAccepted = false;

    QLineEdit* txtUserName;
    QLineEdit* txtPassword;
    QLineEdit* Text1; // invoice date
    QLineEdit* Text2; // operating month
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void cmdOK_Click();
    void cmdCancel_Click();

    // The texts proposed on a given day: the day itself, and the month before it as "yyyy-m".
    static QString proposedInvoiceDate(const QDate& today);
    static QString proposedWorkMonth(const QDate& today);

private:
    void Form_Load();
};
