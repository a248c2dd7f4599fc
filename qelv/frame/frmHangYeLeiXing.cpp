#include "qelv/frame/frmHangYeLeiXing.h"

#include "qelv/core/data_files.h"

const DataEntryForm::Design& frmHangYeLeiXing::design()
{
    static const Design d{.formName = formName,
                          .title = "行业管理",
                          .clientWidth = 5775,
                          .clientHeight = 1080,
                          .centredOnOwner = false,
                          .fileName = dataFiles::enterprises,
                          .query = "select HangYeLeiXing from HangYeLeiXing Order by HangYeLeiXing",
                          .fields = {{"HangYeLeiXing", "行业类型：", 60}}};
    return d;
}

frmHangYeLeiXing::frmHangYeLeiXing(QWidget* owner)
    : DataEntryForm(design(), owner)
{
    Form_Load();
}
