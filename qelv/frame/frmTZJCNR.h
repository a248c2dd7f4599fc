#pragma once
// The base texts of the payment notices: one row, read by the notice generator.
#include "qelv/frame/DataEntryForm.h"

class frmTZJCNR : public DataEntryForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmTZJCNR";
    explicit frmTZJCNR(QWidget* owner = nullptr);
    static const Design& design();
};
