#include "qelv/frame/frmDWFQ.h"

#include "qelv/core/data_files.h"

const DataEntryForm::Design& frmDWFQ::design()
{
    static const Design d{.formName = formName,
                          .title = "中队或大队",
                          .clientWidth = 5775,
                          .clientHeight = 1080,
                          .centredOnOwner = true,
                          .fileName = dataFiles::enterprises,
                          .query = "select DanWeiFenQu from DanWeiFenQu Order by DanWeiFenQu",
                          .fields = {{"DanWeiFenQu", "中队或大队:", 60}}};
    return d;
}

frmDWFQ::frmDWFQ(QWidget* owner)
    : DataEntryForm(design(), owner)
{
    Form_Load();
}
