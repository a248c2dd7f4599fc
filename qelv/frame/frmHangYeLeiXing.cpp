#include "qelv/frame/frmHangYeLeiXing.h"

const DataEntryForm::Design& frmHangYeLeiXing::design()
{
    static const Design d{
        "frmHangYeLeiXing", "行业管理", 5775, 1080, false, "qelvdw.mdb",
        "select HangYeLeiXing from HangYeLeiXing Order by HangYeLeiXing",
        {{"HangYeLeiXing", "行业类型：", 60}}};
    return d;
}

frmHangYeLeiXing::frmHangYeLeiXing(QWidget* owner)
    : DataEntryForm(design(), owner)
{
    Form_Load();
}
