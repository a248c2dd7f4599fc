#pragma once
// The squads and brigades, one per row; the enterprise register offers them in a drop-down list.
#include "qelv/frame/DataEntryForm.h"

class frmDWFQ : public DataEntryForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmDWFQ";
    explicit frmDWFQ(QWidget* owner = nullptr);
    static const Design& design();
};
