#pragma once
// The industry types, one per row; the enterprise register offers them in a drop-down list.
#include "qelv/frame/DataEntryForm.h"

class frmHangYeLeiXing : public DataEntryForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmHangYeLeiXing";
    explicit frmHangYeLeiXing(QWidget* owner = nullptr);
    static const Design& design();
};
