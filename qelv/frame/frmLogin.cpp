#include "qelv/frame/frmLogin.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Module1;

frmLogin::frmLogin(QWidget* owner)
    : QDialog(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = "frmLogin",
                          .caption = QStringLiteral("登录"),
                          .clientWidth = 5415,
                          .clientHeight = 2175,
                          .modal = true,
                          .setFlags = false});

    auto* userLabel = ui::control<QLabel>(this, "lblLabels0", 945, 105, 1080, 255, QStringLiteral("用户名(&U):"));
    txtUserName = ui::control<QLineEdit>(this, "txtUserName", 2145, 105, 2325, 270);
    userLabel->setBuddy(txtUserName);
    auto* passwordLabel = ui::control<QLabel>(this, "lblLabels1", 945, 462, 1080, 248, QStringLiteral("密码(&P):"));
    txtPassword = ui::control<QLineEdit>(this, "txtPassword", 2145, 460, 2325, 270);
    passwordLabel->setBuddy(txtPassword);
    txtPassword->setEchoMode(QLineEdit::Password);
    ui::control<QLabel>(this, "Label1", 960, 812, 975, 255, QStringLiteral("登陆日期:"));
    Text1 = ui::control<QLineEdit>(this, "Text1", 2145, 815, 2325, 270);
    ui::control<QLabel>(this, "Label2", 960, 1170, 975, 255, QStringLiteral("操作月份:"));
    Text2 = ui::control<QLineEdit>(this, "Text2", 2145, 1170, 2325, 270);

    cmdOK = ui::control<QPushButton>(this, "cmdOK", 1215, 1710, 1140, 360, QStringLiteral("确定"));
    cmdOK->setDefault(true);
    cmdCancel = ui::control<QPushButton>(this, "cmdCancel", 2820, 1710, 1140, 360, QStringLiteral("取消"));

    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, Text1);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);

    Form_Load();
    ui::centreOnScreen(this);
}

QString frmLogin::proposedInvoiceDate(const QDate& today)
{
    return convert::formatIsoDate(today);
}

QString frmLogin::proposedWorkMonth(const QDate& today)
{
    const QDate previous = today.addMonths(-1);
    return QStringLiteral("%1-%2").arg(previous.year()).arg(previous.month());
}

void frmLogin::Form_Load()
{
    const QDate today = QDate::currentDate();
    Text1->setText(proposedInvoiceDate(today));
    Text2->setText(proposedWorkMonth(today));
    txtUserName->setText(qEnvironmentVariable("USER"));
}

void frmLogin::cmdOK_Click()
{
    try {
        // Both dates are checked before anything is accepted, so a typo is corrected here instead of
        // logging in with today's date.
        const QDate invoiceDate = convert::toDate(Text1->text());
        const QDate workMonth = convert::toDate(Text2->text());

        db::Connection conn(db::DataFile{QString::fromLatin1(dataFiles::setUp)});
        auto user = conn.openRecordset(QStringLiteral("Select * from [User] Where UserName=? and PassWord=?"),
                                       {txtUserName->text(), txtPassword->text()}, db::LockType::ReadOnly);
        if (user->isEOF()) {
            ui::msgBox(QStringLiteral("密码错误，再试一次！"), ui::Buttons::Ok, ui::Icon::None, QStringLiteral("登录"),
                       this);
            txtPassword->setFocus();
            txtPassword->selectAll();
            return;
        }

        LoginAccepted = true;
        hide();
        gUserName = user->value(QStringLiteral("UserName")).toString();
        gWorkMonth = workMonth;
        gInvoiceDate = invoiceDate;

        auto payee = conn.openRecordset(QStringLiteral("Select * from hbj"), {}, db::LockType::ReadOnly);
        if (payee->isEOF()) {
            ui::inform(QStringLiteral("委托收款单位内容不存在！请填写。"), this);
        } else {
            // A field left empty keeps the value the variable had.
            auto take = [&](const char* field, QString& target) {
                const QVariant v = payee->value(QString::fromLatin1(field));
                if (!v.isNull() && !v.toString().isEmpty())
                    target = v.toString();
            };
            take("DanWeiMingCheng", gPayeeName);
            take("ZhangHao", gPayeeAccount);
            take("KaiHuYingHang", gPayeeBank);
            take("WeiTuoID", gCollectionId);
        }
        done(QDialog::Accepted);
    } catch (const std::exception& e) {
        ui::showError(e, this);
        if (LoginAccepted)
            done(QDialog::Accepted);
    }
}

void frmLogin::cmdCancel_Click()
{
    LoginAccepted = false;
    done(QDialog::Rejected);
}
