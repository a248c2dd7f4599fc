#include "qelv/frame/frmDWFQ.h"

const DataEntryForm::Design& frmDWFQ::design()
{
    static const Design d{
        "frmDWFQ", "中队或大队", 5775, 1080, true, "QELVDW.MDB",
        "select DanWeiFenQu from DanWeiFenQu Order by DanWeiFenQu",
        {{"DanWeiFenQu", "中队或大队:", 60}}};
    return d;
}

frmDWFQ::frmDWFQ(QWidget* owner)
    : DataEntryForm(design(), owner)
{
    Form_Load();
}
