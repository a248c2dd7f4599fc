#include "qelv/frame/frmUser.h"

#include "platform/error/error.h"
#include "qelv/core/data_files.h"

#include <QLineEdit>

const DataEntryForm::Design& frmUser::design()
{
    static const Design d{.formName = formName,
                          .title = "用户",
                          .clientWidth = 5775,
                          .clientHeight = 1545,
                          .centredOnOwner = false,
                          .fileName = dataFiles::setUp,
                          .query = "select UserName,PassWord from [User] Order by UserName",
                          .fields = {{"UserName", "用户名:", 60}, {"PassWord", "密码:", 380}}};
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

void frmUser::deleteCurrentRow(db::Recordset& r)
{
    // The table decides, not the recordset: a row added here and not yet written is no operator.
    const bool stored = r.absolutePosition() > 0 && r.editMode() != db::EditMode::Add;
    if (stored && conn_->scalar(QStringLiteral("select count(*) from [User]")).toInt() <= 1)
        throw platform::Error(QStringLiteral("不能删除最后一个用户，否则将无人能够登录。"));
    r.deleteCurrent();
}
