#include "qelv/frame/frmUser.h"

#include <QLineEdit>

const DataEntryForm::Design& frmUser::design()
{
    static const Design d{
        "frmUser", "用户", 5775, 1545, false, "qelvSetUp.mdb",
        "select UserName,PassWord from [User] Order by UserName",
        {{"UserName", "用户名:", 60}, {"PassWord", "密码:", 380}}};
    return d;
}

frmUser::frmUser(QWidget* owner)
    : DataEntryForm(design(), owner)
{
    auto* password = static_cast<QLineEdit*>(txtFields[1]);
    password->setEchoMode(QLineEdit::Password);
    password->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    Form_Load();
}
