#include "qelv/frame/frmDL.h"

const DataEntryForm::Design& frmDL::design()
{
    static const Design d{
        "frmDL", "特殊当量值", 9525, 5685, true, "qelvDL.mdb",
        "select BainHao,DangLiangMingCheng,DangLiangJiBie,DangLiang,DangLiangLeiXing from dl Order by BainHao",
        {}, true};
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
