#include "qelv/frame/frmHBJ.h"

#include "qelv/core/data_files.h"

#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "qelv/core/Module1.h"

const DataEntryForm::Design& frmHBJ::design()
{
    static const Design d{
        .formName = formName,
        .title = "收款单位情况",
        .clientWidth = 5775,
        .clientHeight = 2055,
        .centredOnOwner = false,
        .fileName = dataFiles::setUp,
        .query = "select DanWeiMingCheng,KaiHuYingHang,ZhangHao,WeiTuoID from hbj Order by DanWeiMingCheng",
        .fields = {{"DanWeiMingCheng", "委托收款单位名称:", 60},
                   {"KaiHuYingHang", "开户银行:", 380},
                   {"ZhangHao", "账号:", 700},
                   {"WeiTuoID", "加密卡单位身份ID:", 1080}}};
    return d;
}

frmHBJ::frmHBJ(QWidget* owner)
    : DataEntryForm(design(), owner)
{
    Form_Load();
}

void frmHBJ::Form_Unload()
{
    DataEntryForm::Form_Unload();
    if (!adoPrimaryRS)
        return;
    try {
        db::Recordset& r = *adoPrimaryRS;
        commitControls();
        // Without a row there is no payee to take: the variables keep what the login found.
        if (r.isBOF() && r.isEOF())
            return;
        r.moveFirst();
        if (r.isEOF())
            return;
        // A field left empty keeps the value the variable had, as at login.
        auto take = [&r](const char* field, QString& target) {
            const QString text = ui::fieldText(r.value(QString::fromLatin1(field)));
            if (!text.isEmpty())
                target = text;
        };
        take("DanWeiMingCheng", Module1::gPayeeName);
        take("ZhangHao", Module1::gPayeeAccount);
        take("KaiHuYingHang", Module1::gPayeeBank);
        take("WeiTuoID", Module1::gCollectionId);
    } catch (const std::exception& e) {
        ui::showError(e, this);
    }
}
