#include "qelv/frame/frmDL.h"

#include "qelv/core/data_files.h"

const DataEntryForm::Design& frmDL::design()
{
    static const Design d{
        .formName = formName,
        .title = "特殊当量值",
        .clientWidth = 9525,
        .clientHeight = 5685,
        .centredOnOwner = true,
        .fileName = dataFiles::specialEquivalents,
        .query = "select BainHao,DangLiangMingCheng,DangLiangJiBie,DangLiang,DangLiangLeiXing from dl Order by BainHao",
        .fields = {},
        .sizable = true};
    return d;
}

const QList<ui::GridColumn>& frmDL::columns()
{
    static const QList<ui::GridColumn> c = {
        {QStringLiteral("BainHao"), QStringLiteral("编号"), 900},
        {QStringLiteral("DangLiangMingCheng"), QStringLiteral("当量名称"), 3105},
        {QStringLiteral("DangLiangJiBie"), QStringLiteral("当量级别"), 855},
        {QStringLiteral("DangLiang"), QStringLiteral("当量"), 1260},
        {QStringLiteral("DangLiangLeiXing"), QStringLiteral("当量类型"), 1800},
    };
    return c;
}

frmDL::frmDL(QWidget* owner)
    : GridEntryForm(design(), columns(), owner)
{
    Form_Load();
}
