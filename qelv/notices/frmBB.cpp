#include "qelv/notices/frmBB.h"

#include "qelv/core/report_controls.h"

namespace {

using report::Alignment;
using report::Control;
using report::ControlKind;
using report::SectionKind;
using reportControls::label;

// The yuan sign in front, whole yuan with thousands separators, as the statistics grid shows JinE.
const QString kYuan = QStringLiteral("\"￥\"#,##0");

// A line's cells are framed and as high as the line: a text too long for its cell is printed smaller.
Control field(const char* name, const char* dataField, double left, double width, Alignment alignment)
{
    Control c = reportControls::textBox(name, dataField, left, 57, width, 240, alignment);
    c.shrinkToFit = true;
    return c;
}

// A framed cell over the section's full height.
Control cell(const char* name, double left, double width, double height)
{
    return reportControls::placed(ControlKind::Box, name, left, 0, width, height);
}

} // namespace

frmBB::frmBB()
{
    title = QStringLiteral("统计报表");
    paper = QSizeF(11906, 16838); // A4 upright, as the paper control sets it
    orientation = report::Orientation::Portrait;
    width = 9915;
    leftMargin = rightMargin = 900;
    topMargin = bottomMargin = 1440;
    font = report::Font{report::printFontFamily(), 9, false};

    Control heading = label("lBiaoTou", "", 2236, 57, 5443, 397, Alignment::Centre);
    heading.fontSize = 18;
    addSection(QStringLiteral("ReportHeader"), SectionKind::ReportHeader, 1125).controls = {
        heading,
        label("Ltj", "", 624, 567, 8625, 165, Alignment::Centre),
        label("Label8", "%d  打印", 7597, 794, 2160, 240),
    };

    constexpr double kLineHeight = 330;
    addSection(QStringLiteral("PageHeader"), SectionKind::PageHeader, kLineHeight).controls = {
        cell("Shape1", 0, 1701, kLineHeight),
        cell("Shape2", 1701, 2834, kLineHeight),
        cell("Shape3", 4535, 1354, kLineHeight),
        cell("Shape4", 5896, 1417, kLineHeight),
        cell("Shape5", 7313, 850, kLineHeight),
        cell("Shape6", 8164, 1710, kLineHeight),
        label("Label1", "单位编号", 113, 57, 1474, 225, Alignment::Centre),
        label("Label2", "单位名称", 1814, 57, 2100, 225, Alignment::Centre),
        label("Label3", "行业类型", 4592, 57, 1247, 225, Alignment::Centre),
        label("Label4", "所属中队", 5953, 57, 1304, 225, Alignment::Centre),
        label("Label5", "月数", 7427, 57, 630, 225, Alignment::Centre),
        label("Label6", "金额", 8787, 57, 1020, 225, Alignment::Right),
    };

    Control amount = field("Text6", "JinE", 8220, 1590, Alignment::Right);
    amount.format = kYuan;
    addSection(QStringLiteral("Command6_Detail"), SectionKind::Detail, kLineHeight).controls = {
        cell("Shape7", 0, 1701, kLineHeight),
        cell("Shape8", 1701, 2834, kLineHeight),
        cell("Shape9", 4535, 1361, kLineHeight),
        cell("Shape10", 5896, 1417, kLineHeight),
        cell("Shape11", 7313, 851, kLineHeight),
        cell("Shape12", 8164, 1710, kLineHeight),
        field("Text1", "DanWeiBianHao", 57, 1587, Alignment::Centre),
        field("Text2", "DanWeiQuangCheng", 1757, 2730, Alignment::Left),
        field("Text3", "HangYeLeiXing", 4592, 1245, Alignment::Centre),
        field("Text4", "DanWeiFenQu", 5953, 1305, Alignment::Centre),
        field("Text5", "SumMonth", 7370, 735, Alignment::Centre),
        amount,
    };

    addSection(QStringLiteral("PageFooter"), SectionKind::PageFooter, 523).controls = {
        label("Label9", "第%p页/", 3458, 170, 1440, 240, Alignment::Right),
        label("Label10", "总%P页", 4932, 170, 1440, 240),
    };

    Control count = reportControls::placed(ControlKind::Function, "Function1", 1757, 57, 1871, 225, Alignment::Right);
    count.dataField = QStringLiteral("DanWeiBianHao");
    count.aggregate = report::Aggregate::Count;
    Control sum = reportControls::placed(ControlKind::Function, "Function2", 5953, 57, 3855, 225, Alignment::Right);
    sum.dataField = QStringLiteral("JinE");
    sum.aggregate = report::Aggregate::Sum;
    sum.format = kYuan;
    addSection(QStringLiteral("ReportFooter"), SectionKind::ReportFooter, 512).controls = {
        cell("Shape13", 0, 1701, 340),
        cell("Shape14", 1701, 2835, 340),
        cell("Shape15", 4535, 5341, 340),
        label("Label11", "合计", 113, 57, 1200, 225),
        count,
        label("Label12", "家单位", 3685, 57, 680, 225),
        sum,
    };
}
