#include "qelv/collection/frmWTPintSet.h"

#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fixed_dialog.h"
#include "qelv/collection/collection_fields.h"
#include "qelv/collection/collection_print_file.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using layoutDesign::NumberBox;

const QList<ui::GridColumn>& frmWTPintSet::columns()
{
    static const QList<ui::GridColumn> c = {
        {QStringLiteral("ID"), QStringLiteral("编号"), 540},
        {QStringLiteral("Name"), QStringLiteral("字段名"), 1545},
        {QStringLiteral("Top"), QStringLiteral("顶端"), 720},
        {QStringLiteral("Left"), QStringLiteral("左边"), 720},
        {QStringLiteral("Width"), QStringLiteral("宽度"), 720},
        {QStringLiteral("Height"), QStringLiteral("高度"), 720},
        {QStringLiteral("FontSize"), QStringLiteral("字体大小"), 900},
        {QStringLiteral("Align"), QStringLiteral("对齐"), 600},
        {QStringLiteral("ZiDuanBiaoQian"), QStringLiteral("类型"), 720},
    };
    return c;
}

frmWTPintSet::frmWTPintSet(QWidget* owner)
    : DesignerForm(owner,
                   {.pathSetting = "wtPath",
                    .layoutFile = QStringLiteral("委托单格式文件"),
                    .columns = columns(),
                    .listColumns = {KindColumn, AlignColumn, NameColumn}})
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("委托单页面设置"),
                          .clientWidth = 11520,
                          .clientHeight = 9600,
                          .modal = true,
                          .setFlags = false});

    makeGrid(7740, {NameColumn, AlignColumn, KindColumn});

    Label3 = ui::control<QLabel>(this, "Label3", 7950, 60, 1680, 285, QStringLiteral("纸张宽度："));
    Text3 = ui::control<QLineEdit>(this, "Text3", 9630, 60, 1695, 285, QStringLiteral("0"));
    Label4 = ui::control<QLabel>(this, "Label4", 7950, 450, 1680, 285, QStringLiteral("纸张高度："));
    Text4 = ui::control<QLineEdit>(this, "Text4", 9630, 450, 1695, 285, QStringLiteral("0"));
    Label1 = ui::control<QLabel>(this, "Label1", 7950, 840, 1680, 285, QStringLiteral("非连续纸张偏移值："));
    Text2 = ui::control<QLineEdit>(this, "Text2", 9630, 840, 1695, 285);
    Label3->setBuddy(Text3);
    Label4->setBuddy(Text4);
    Label1->setBuddy(Text2);

    Command1 = ui::commandButton(this, "Command1", 7950, 1380, 1680, 420, QStringLiteral("应用设置"));
    Command2 = ui::commandButton(this, "Command2", 9645, 1380, 1680, 420, QStringLiteral("生成委托单结构"));
    Command3 = ui::commandButton(this, "Command3", 7950, 1920, 1680, 420, QStringLiteral("打开图片"));
    connect(Command1, &QPushButton::clicked, this, &frmWTPintSet::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmWTPintSet::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmWTPintSet::Command3_Click);

    Picture2 = makeCanvas("Picture2", 11460, 6360);

    // A dropped list stays until one of its items is clicked.
    makeLists({"字段", "标签"}, 600, collection::fieldNames());

    Form_Load();
}

void frmWTPintSet::Form_Load()
{
    ui::showingErrors(this, [this] {
        openLayoutRows(QStringLiteral("wt"));
        showPaperRow(QStringLiteral("wtPaperSize"), Text2);
        showSavedPicture(QStringLiteral("wt.jpg"));
        Command1_Click();
    });
}

void frmWTPintSet::Command1_Click()
{
    ui::showingErrors(this, [this] {
        requireOpen(rs_ != nullptr);
        // Every box is checked before anything is placed or saved.
        const auto values = readBoxes({{Text3, QStringLiteral("纸张宽度"), NumberBox::AboveZero},
                                       {Text4, QStringLiteral("纸张高度"), NumberBox::AboveZero},
                                       {Text2, QStringLiteral("非连续纸张偏移值"), NumberBox::SixteenBit}});
        if (!values)
            return;
        const QList<double>& v = *values;
        placeBoxes();
        canvas->savePaperRow(*conn_, QStringLiteral("wtPaperSize"), v[0], v[1], v[2]);
    });
}

void frmWTPintSet::Command2_Click()
{
    // The build reads the layout rows as the grid shows them.
    ui::showingErrors(this, [this] { rebuildFromGrid(&collection::RebuildCollectionPrintTables); });
}
