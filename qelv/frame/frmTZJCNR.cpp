#include "qelv/frame/frmTZJCNR.h"

#include "qelv/core/data_files.h"

const DataEntryForm::Design& frmTZJCNR::design()
{
    static const Design d{
        .formName = formName,
        .title = "通知的基本内容",
        .clientWidth = 7350,
        .clientHeight = 4980,
        .centredOnOwner = true,
        .fileName = dataFiles::setUp,
        .query = "select FaLvFaGui,JiaoKuanQiXian,KaiHuYinHang,ZhangHao,YiYi,DianHua,ShouKuanDanWei,JiaoDuiRen from tz",
        .fields = {{"FaLvFaGui", "法律法规:", 60, 885, 5175, true},
                   {"JiaoKuanQiXian", "交款期限:", 975, 765, 5175, true},
                   {"KaiHuYinHang", "开户银行:", 1785, 285, 5175},
                   {"ZhangHao", "账号:", 2100, 285, 5175},
                   {"YiYi", "异议:", 2415, 765, 5175, true},
                   {"DianHua", "电话:", 3225, 285, 5175},
                   {"ShouKuanDanWei", "收款单位:", 3540, 285, 5175},
                   {"JiaoDuiRen", "校对人:", 3855, 285, 5175}}};
    return d;
}

frmTZJCNR::frmTZJCNR(QWidget* owner)
    : DataEntryForm(design(), owner)
{
    Form_Load();
}
