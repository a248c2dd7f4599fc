#pragma once
// The special pollution-equivalent values, in a grid; the monthly workbench lists them.
#include "qelv/frame/GridEntryForm.h"

class frmDL : public GridEntryForm {
    Q_OBJECT
public:
    static constexpr const char* formName = "frmDL";
    explicit frmDL(QWidget* owner = nullptr);
    static const Design& design();
    static const QList<ui::GridColumn>& columns();
};
