#include "qelv/collection/frmWTPintSet.h"

#include "platform/ui/controls.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/fixed_dialog.h"
#include "qelv/collection/collection_print_file.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/error_sink.h"
#include "qelv/core/layout_canvas.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

using layoutDesign::NumberBox;

const char* const pathSetting = "wtPath";

// Exactly the columns of the collection print file that the document generator fills.
const QStringList fieldNames{"委托号码",
                             "年",
                             "月",
                             "日",
                             "付款人单位",
                             "付款人账号",
                             "付款人开户银行",
                             "收款人单位",
                             "收款人账号",
                             "收款人开户银行",
                             "委托金额大写合计",
                             "千万",
                             "百万",
                             "十万",
                             "万",
                             "千",
                             "百",
                             "十",
                             "元",
                             "角",
                             "分",
                             "款项内容",
                             "协议号",
                             "委托密码"};

} // namespace

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
    : Form(owner, ui::fixedDialogFlags)
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("委托单页面设置"),
                          .clientWidth = 11520,
                          .clientHeight = 9600,
                          .modal = true,
                          .setFlags = false});

    // The lists drop below the cell at the grid's own offset, so the grid stands at 30, 60.
    DataGrid1 = ui::control<ui::DataGrid>(this, "DataGrid1", 30, 60, 7740, 3000);
    model_ = new ui::RecordsetModel(this);
    model_->setColumns(columns());
    DataGrid1->setRecordsetModel(model_);
    DataGrid1->setButtonColumns({NameColumn, AlignColumn, KindColumn});
    connect(DataGrid1, &ui::DataGrid::buttonClick, this, &frmWTPintSet::DataGrid1_ButtonClick);

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

    canvas = new layoutDesign::LayoutCanvas(this, "Picture2");
    ui::placeTwips(canvas, 30, 3180, 11460, 6360);
    Picture2 = canvas->picture();
    Image1 = canvas->image();
    for (int i = 0; i < layoutDesign::boxCount; ++i)
        Text1[i] = canvas->box(i);

    // A dropped list stays until one of its items is clicked.
    List1 = layoutDesign::makePicker(this, "List1", {"字段", "标签"}, 600);
    List2 = layoutDesign::makePicker(this, "List2", {"0", "1", "2"}, 840);
    List3 = layoutDesign::makePicker(this, "List3", fieldNames, 2400);
    connect(List1, &QListWidget::itemClicked, this, &frmWTPintSet::List1_Click);
    connect(List2, &QListWidget::itemClicked, this, &frmWTPintSet::List2_Click);
    connect(List3, &QListWidget::itemClicked, this, &frmWTPintSet::List3_Click);

    Form_Load();
}

frmWTPintSet::~frmWTPintSet()
{
    model_->setRecordset(nullptr);
}

void frmWTPintSet::Form_Load()
{
    ui::showingErrors(this, [this] {
        conn_ = std::make_unique<db::Connection>(db::DataFile{QString::fromLatin1(dataFiles::printLayouts)});
        rs_ = conn_->openRecordset(QStringLiteral("Select * from wt order by ID ASC"), {}, db::LockType::Optimistic);
        model_->setRecordset(rs_.get());
        auto paper = conn_->openRecordset(QStringLiteral("Select * from wtPaperSize"), {}, db::LockType::ReadOnly);
        if (!paper->isEOF()) {
            Text3->setText(ui::fieldText(paper->value(QStringLiteral("PaperWidth"))));
            Text4->setText(ui::fieldText(paper->value(QStringLiteral("Paperheigth"))));
            Text2->setText(ui::fieldText(paper->value(QStringLiteral("JianXi"))));
        }
        canvas->showSavedPicture(QString::fromLatin1(pathSetting), QStringLiteral("wt.jpg"));
        Command1_Click();
    });
}

void frmWTPintSet::Command1_Click()
{
    ui::showingErrors(this, [this] {
        if (!rs_)
            throw db::Error(
                QStringLiteral("委托单格式文件 %1 没有打开。").arg(QString::fromLatin1(dataFiles::printLayouts)));
        // Every box is checked before anything is placed or saved.
        QString problem;
        const auto values =
            layoutDesign::readNumberBoxes({{Text3, QStringLiteral("纸张宽度"), NumberBox::AboveZero},
                                           {Text4, QStringLiteral("纸张高度"), NumberBox::AboveZero},
                                           {Text2, QStringLiteral("非连续纸张偏移值"), NumberBox::SixteenBit}},
                                          &problem);
        if (!values) {
            ui::msgBox(problem, ui::Buttons::Ok, ui::Icon::Information, QString::fromUtf8(ui::appTitle), this);
            return;
        }
        const QList<double>& v = *values;
        layoutDesign::writeGridEdit(*DataGrid1, rs_.get());
        canvas->placeBoxes(*rs_, columns());
        canvas->savePaperRow(*conn_, QStringLiteral("wtPaperSize"), v[0], v[1], v[2]);
    });
}

void frmWTPintSet::Command2_Click()
{
    ui::showingErrors(this, [this] {
        if (!conn_)
            throw db::Error(
                QStringLiteral("委托单格式文件 %1 没有打开。").arg(QString::fromLatin1(dataFiles::printLayouts)));
        // The build reads the layout rows as the grid shows them.
        layoutDesign::writeGridEdit(*DataGrid1, rs_.get());
        collection::RebuildCollectionPrintTables(
            *conn_, Module1::gWorkMonth,
            [this](const QString& question) { return ui::askYesNo(question, QString::fromUtf8(ui::appTitle), this); },
            messageBoxSink(this));
    });
}

void frmWTPintSet::Command3_Click()
{
    ui::showingErrors(this, [this] { canvas->chooseAnotherPicture(QString::fromLatin1(pathSetting), this); });
}

void frmWTPintSet::DataGrid1_ButtonClick(int colIndex)
{
    QListWidget* list = colIndex == NameColumn ? List3
        : colIndex == AlignColumn              ? List2
        : colIndex == KindColumn               ? List1
                                               : nullptr;
    if (!list)
        return;
    ui::showingErrors(this, [&] { layoutDesign::dropPicker(list, *DataGrid1, colIndex); });
}

void frmWTPintSet::choose(QListWidget* list, int column)
{
    ui::showingErrors(this, [&] { layoutDesign::choosePicked(list, *DataGrid1, column); });
}

void frmWTPintSet::List1_Click()
{
    choose(List1, KindColumn);
}

void frmWTPintSet::List2_Click()
{
    choose(List2, AlignColumn);
}

void frmWTPintSet::List3_Click()
{
    choose(List3, NameColumn);
}
