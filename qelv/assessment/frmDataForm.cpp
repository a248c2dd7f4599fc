#include "qelv/assessment/frmDataForm.h"

#include "qelv/core/report_controls.h"

namespace {

using report::Alignment;
using report::Control;
using report::ControlKind;
using report::SectionKind;
using reportControls::label;
using reportControls::textBox;

// "￥" in front, thousands separators, two decimals.
const QString kAmount = QStringLiteral("\"￥\"#,##0.00");

Control amount(const char* name, const char* dataField, double left, double width)
{
    Control c = textBox(name, dataField, left, 0, width, 165, Alignment::Right);
    c.format = kAmount;
    return c;
}

} // namespace

frmDataForm::frmDataForm()
{
    title = QStringLiteral("排污数据");
    paper = QSizeF(16838, 11906); // 297 × 210 mm, as the paper control sets it
    orientation = report::Orientation::Portrait;
    width = 14685;
    leftMargin = rightMargin = 1000;
    topMargin = bottomMargin = 500;
    font = report::Font{report::printFontFamily(), 9, false};

    addSection(QStringLiteral("ReportHeader"), SectionKind::ReportHeader, 0);

    Control heading = label("Label1", "开票单位排污数据及收费情况", 4030, 28, 6624, 369, Alignment::Centre);
    heading.fontSize = 15.75;
    addSection(QStringLiteral("PageHeader"), SectionKind::PageHeader, 600).controls = {heading};

    addSection(QStringLiteral("Command4_Header"), SectionKind::GroupHeader, 452).controls = {
        label("Label3", "排污单位：", 0, 0, 930, 225),
        textBox("Text1", "DanWeiMingCheng", 1020, 0, 9210, 225, Alignment::Left, true),
        label("Label4", "编号：", 11565, 0, 630, 225),
        textBox("Text2", "DanWeiBianHao", 12302, 0, 1785, 225),
        label("Label5", "编号", 0, 227, 870, 225),
        label("Label6", "名称", 907, 227, 1905, 225),
        label("Label12", "排污口", 2920, 227, 600, 225),
        label("Label13", "类型", 3600, 227, 450, 225),
        label("Label7", "数据", 4138, 227, 1410, 225),
        label("Label11", "收费金额", 9724, 227, 1185, 225, Alignment::Right),
        label("Label10", "提高收费", 10997, 227, 1050, 225, Alignment::Right),
        label("Label9", "加倍收费", 12189, 227, 1110, 225, Alignment::Right),
        label("Label8", "合计", 13423, 227, 1260, 225, Alignment::Right),
    };

    Control discharge = textBox("Text5", "PaiWuShuJu", 4138, 0, 5528, 165, Alignment::Left, true);
    addSection(QStringLiteral("Command5_Detail"), SectionKind::Detail, 208).controls = {
        textBox("Text3", "WuRanWuBianHao", 28, 0, 793, 165),
        textBox("Text4", "WuRanWuMingCheng", 907, 0, 1871, 165, Alignment::Left, true),
        textBox("Text6", "PaiWuKou", 2920, 0, 595, 165, Alignment::Centre),
        textBox("Text11", "LeiXing", 3600, 0, 420, 165, Alignment::Centre),
        discharge,
        amount("Text7", "JinE", 9694, 1215),
        amount("Text8", "TiGaoJinE", 11027, 1020),
        amount("Text9", "JiaBeiJinE", 12204, 1095),
        amount("Text10", "HeJi", 13408, 1275),
    };

    Control total;
    total.name = QStringLiteral("Function1");
    total.kind = ControlKind::Function;
    total.dataField = QStringLiteral("HeJi");
    total.aggregate = report::Aggregate::Sum;
    total.format = kAmount;
    total.alignment = Alignment::Right;
    total.left = 13209;
    total.top = 28;
    total.width = 1474;
    total.height = 199;
    Control rule;
    rule.name = QStringLiteral("Line1");
    rule.kind = ControlKind::Line;
    rule.left = 28;
    rule.top = 255;
    rule.width = 14655;
    addSection(QStringLiteral("Command4_Footer"), SectionKind::GroupFooter, 345).controls = {total, rule};

    addSection(QStringLiteral("PageFooter"), SectionKind::PageFooter, 345).controls = {
        label("Label14", "第%p页/", 6180, 85, 765, 240, Alignment::Right),
        label("Label15", "总%P页", 6973, 85, 735, 255),
        label("Label2", "%D打印", 8079, 85, 2010, 240),
    };

    addSection(QStringLiteral("ReportFooter"), SectionKind::ReportFooter, 0);
}
