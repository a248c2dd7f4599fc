#include "qelv/invoicing/frmFPSetUp.h"

#include "platform/ui/controls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/fixed_dialog.h"
#include "qelv/invoicing/invoice_print_db.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace {

using layoutDesign::NumberBox;

constexpr double lineExtent = 30000; // twips: wider than any picture, so the limits cross it all

const QStringList fieldNames{"缴款单位", "年",   "月",       "日",       "序号",     "项目", "千万",
                             "百万",     "十万", "万",       "千",       "百",       "十",   "元",
                             "角",       "分",   "大写合计", "小写合计", "收款单位", "审核", "经办人"};

QFrame* colouredLine(QWidget* parent, const char* name, const QColor& colour)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QString::fromLatin1(name));
    line->setFrameShape(QFrame::NoFrame);
    line->setStyleSheet(QStringLiteral("QFrame { background-color: %1; }").arg(colour.name()));
    return line;
}

QLabel* colouredCaption(QWidget* parent, const QString& name, double top, const QString& text, const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    ui::placeTwips(label, 9540, top, 1200, 285);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    return label;
}

// The pixel row of a limit on the picture.
void placeLimitLine(QFrame* line, double limit)
{
    ui::placeTwips(line, 0, layoutDesign::toTwips(limit), lineExtent, ui::twipsPerPixel);
}

} // namespace

const QList<ui::GridColumn>& frmFPSetUp::columns()
{
    static const QList<ui::GridColumn> c = {
        {QStringLiteral("ID"), QStringLiteral("编号"), 540},
        {QStringLiteral("Name"), QStringLiteral("字段"), 1245},
        {QStringLiteral("LeiXing"), QStringLiteral("类型"), 645},
        {QStringLiteral("Top"), QStringLiteral("顶部"), 810},
        {QStringLiteral("Left"), QStringLiteral("左边"), 810},
        {QStringLiteral("Width"), QStringLiteral("宽度"), 810},
        {QStringLiteral("Height"), QStringLiteral("高度"), 810},
        {QStringLiteral("FontSize"), QStringLiteral("字体大小"), 900},
        {QStringLiteral("Align"), QStringLiteral("对齐"), 645},
    };
    return c;
}

frmFPSetUp::frmFPSetUp(QWidget* owner)
    : DesignerForm(owner,
                   {.pathSetting = "fpPath",
                    .layoutFile = QStringLiteral("发票格式文件"),
                    .columns = columns(),
                    .listColumns = {BandColumn, AlignColumn, NameColumn}})
{
    ui::setUpFixedDialog(this,
                         {.formName = formName,
                          .caption = QStringLiteral("发票设置"),
                          .clientWidth = 15300,
                          .clientHeight = 10800,
                          .modal = true,
                          .setFlags = false});

    makeGrid(9360, {NameColumn, BandColumn, AlignColumn});

    const QColor red(Qt::red), blue(Qt::blue), magenta(Qt::magenta);
    const std::array<QColor, 3> colours{red, blue, magenta};
    const char* const limitCaptions[] = {"发票页头：", "发票明细：", "发票页尾："};
    const char* const limitLineNames[] = {"Line4", "Line5", "Line6"};
    for (int i = 0; i < 3; ++i) {
        const double top = 60 + 390 * i;
        Label2[i] = colouredCaption(this, QStringLiteral("Label2%1").arg(i), top, QString::fromUtf8(limitCaptions[i]),
                                    colours[i]);
        LimitLines[i] = colouredLine(this, limitLineNames[i], colours[i]);
        ui::placeTwips(LimitLines[i], 10740, top + 135, 420, ui::twipsPerPixel);
        Text2[i] = ui::control<QLineEdit>(this, "", 11220, top, 1395, 285, QStringLiteral("0"));
        Text2[i]->setObjectName(QStringLiteral("Text2%1").arg(i));
    }
    Label3 = ui::control<QLabel>(this, "Label3", 9540, 1230, 1200, 285, QStringLiteral("发票宽度："));
    Text3 = ui::control<QLineEdit>(this, "Text3", 11220, 1230, 1395, 285, QStringLiteral("0"));
    Label4 = ui::control<QLabel>(this, "Label4", 9540, 1620, 1200, 285, QStringLiteral("发票高度："));
    Text4 = ui::control<QLineEdit>(this, "Text4", 11220, 1620, 1395, 285, QStringLiteral("0"));
    Label5 = ui::control<QLabel>(this, "Label5", 9540, 2010, 1680, 285, QStringLiteral("非连续纸张偏移值："));
    Text5 = ui::control<QLineEdit>(this, "Text5", 11220, 2010, 1395, 285, QStringLiteral("0"));
    Label3->setBuddy(Text3);
    Label4->setBuddy(Text4);
    Label5->setBuddy(Text5);

    Command1 = ui::commandButton(this, "Command1", 13140, 60, 1875, 420, QStringLiteral("应用设置"));
    Command2 = ui::commandButton(this, "Command2", 13140, 600, 1875, 420, QStringLiteral("生成发票结构"));
    Command3 = ui::commandButton(this, "Command3", 13140, 1140, 1875, 420, QStringLiteral("打开图片"));
    connect(Command1, &QPushButton::clicked, this, &frmFPSetUp::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmFPSetUp::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmFPSetUp::Command3_Click);

    Picture1 = makeCanvas("Picture1", 15240, 7560);
    Line1 = colouredLine(Picture1, "Line1", red);
    Line2 = colouredLine(Picture1, "Line2", blue);
    Line3 = colouredLine(Picture1, "Line3", magenta);
    for (QFrame* line : {Line1, Line2, Line3}) {
        placeLimitLine(line, 0);
        line->lower(); // beneath the boxes
    }

    makeLists({"1", "2", "3"}, 840, fieldNames);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget*) {
        if (old == List1)
            List1_LostFocus();
        else if (old == List2)
            List2_LostFocus();
        else if (old == List3)
            List3_LostFocus();
    });

    Form_Load();
}

frmFPSetUp::~frmFPSetUp()
{
    // The lists go with the window's children, and their focus going with them is no choice to act on.
    disconnect(qApp, nullptr, this, nullptr);
}

void frmFPSetUp::Form_Load()
{
    ui::showingErrors(this, [this] {
        openLayoutRows(QStringLiteral("fp"));
        auto limits =
            conn_->openRecordset(QStringLiteral("Select * from fpLine Where ID = 1"), {}, db::LockType::ReadOnly);
        if (!limits->isEOF())
            for (int i = 0; i < 3; ++i)
                Text2[i]->setText(ui::fieldText(limits->value(i)));
        showPaperRow(QStringLiteral("fpPaperSize"), Text5);
        showSavedPicture(QStringLiteral("fp.jpg"));
        Command1_Click();
    });
}

void frmFPSetUp::Command1_Click()
{
    ui::showingErrors(this, [this] {
        requireOpen(rs_ != nullptr);
        // Every box is checked before anything is placed or saved.
        const auto values = readBoxes({{Text2[0], QStringLiteral("发票页头"), NumberBox::Number},
                                       {Text2[1], QStringLiteral("发票明细"), NumberBox::Number},
                                       {Text2[2], QStringLiteral("发票页尾"), NumberBox::Number},
                                       {Text3, QStringLiteral("发票宽度"), NumberBox::AboveZero},
                                       {Text4, QStringLiteral("发票高度"), NumberBox::AboveZero},
                                       {Text5, QStringLiteral("非连续纸张偏移值"), NumberBox::SixteenBit}});
        if (!values)
            return;
        const QList<double>& v = *values;
        placeBoxes();
        conn_->execute(
            QStringLiteral("Update fpLine Set HeadHeigth = ?, DetailHeigth = ?, FooterHeigth = ? where ID = 1"),
            {v[0], v[1], v[2]});
        placeLimitLine(Line1, v[0]);
        placeLimitLine(Line2, v[1]);
        placeLimitLine(Line3, v[2]);
        canvas->savePaperRow(*conn_, QStringLiteral("fpPaperSize"), v[3], v[4], v[5]);
    });
}

void frmFPSetUp::Command2_Click()
{
    // The rebuild reads the field rows as the grid shows them.
    ui::showingErrors(this, [this] { rebuildFromGrid(&invoicing::RebuildPrintTables); });
}

void frmFPSetUp::List1_LostFocus()
{
    List1->hide();
}

void frmFPSetUp::List2_LostFocus()
{
    List2->hide();
}

void frmFPSetUp::List3_LostFocus()
{
    List3->hide();
}
