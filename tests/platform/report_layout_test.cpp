// The engine's page model for small reports: what text lands on which page at which position.
#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/report/report.h"
#include "platform/report/report_data.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <sqlite3.h>

// Readable failures for lists of texts.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

using namespace report;

convert::Currency yuan(double v)
{
    return convert::Currency::fromDouble(v);
}

Control label(const QString& name, const QString& caption, double left, double top, double width = 1000)
{
    Control c;
    c.name = name;
    c.kind = ControlKind::Label;
    c.caption = caption;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = 200;
    return c;
}

Control field(const QString& name, const QString& dataField, double left, double top, double width = 1000)
{
    Control c = label(name, QString(), left, top, width);
    c.kind = ControlKind::TextBox;
    c.dataField = dataField;
    return c;
}

Control total(const QString& name, const QString& dataField, Aggregate aggregate, const QString& format = {})
{
    Control c = field(name, dataField, 5000, 0);
    c.kind = ControlKind::Function;
    c.aggregate = aggregate;
    c.format = format;
    c.alignment = Alignment::Right;
    return c;
}

// A sheet 10000 twips square, margins 100 all round: page header 100 high, page footer 100 high at
// 9800, so the body runs from 200 to 9800.
Report smallReport()
{
    Report r;
    r.paper = QSizeF(10000, 10000);
    r.leftMargin = r.rightMargin = r.topMargin = r.bottomMargin = 100;
    r.printDate = QDate(2003, 5, 9);
    r.addSection("ReportHeader", SectionKind::ReportHeader, 0);
    r.addSection("PageHeader", SectionKind::PageHeader, 100).controls = {label("Label1", "开票单位排污数据", 0, 0)};
    r.addSection("Command4_Header", SectionKind::GroupHeader, 300).controls = {field("Text1", "DanWeiMingCheng", 0, 0)};
    r.addSection("Command5_Detail", SectionKind::Detail, 200).controls = {field("Text3", "WuRanWuMingCheng", 0, 0),
                                                                          field("Text7", "JinE", 4000, 0)};
    r.section("Command5_Detail").controls[1].format = QStringLiteral("\"￥\"#,##0.00");
    r.addSection("Command4_Footer", SectionKind::GroupFooter, 300).controls = {
        total("Function1", "JinE", Aggregate::Sum, QStringLiteral("\"￥\"#,##0.00")),
        total("Function2", "JinE", Aggregate::Count)};
    r.section("Command4_Footer").controls[1].left = 8000;
    r.addSection("PageFooter", SectionKind::PageFooter, 100).controls = {label("Label14", "第%p页/总%P页", 0, 0),
                                                                         label("Label2", "%D打印", 3000, 0)};
    r.addSection("ReportFooter", SectionKind::ReportFooter, 0);
    return r;
}

TableParents enterprises(int lines = 2)
{
    std::vector<QVariantList> a, b;
    for (int i = 0; i < lines; ++i)
        a.push_back({QStringLiteral("化学需氧量%1").arg(i + 1), QVariant::fromValue(yuan(1000.5 + i))});
    b.push_back({QStringLiteral("氨氮"), QVariant()});
    b.push_back({QStringLiteral("二氧化硫"), QVariant::fromValue(yuan(20))});
    return TableParents({"DanWeiBianHao", "DanWeiMingCheng"}, {"WuRanWuMingCheng", "JinE"},
                        {{{"001", "甲化工厂"}, a}, {{"002", "乙造纸厂"}, b}});
}

// "page:x,y:text" for every text of the document, page by page in the order laid out.
QStringList texts(const Document& d)
{
    QStringList out;
    for (std::size_t p = 0; p < d.pages.size(); ++p)
        for (const TextItem& t : d.pages[p].texts)
            out << QStringLiteral("%1:%2,%3:%4").arg(p + 1).arg(t.box.x()).arg(t.box.y()).arg(t.text);
    return out;
}

struct Case {
    const char* what;
    std::function<Document()> render;
    QStringList expected;
};

TEST(ReportLayout, PageModelOfSmallReports)
{
    const Case cases[] = {
        {"group headers and footers with sums and counts; the page footer at the foot",
         [] {
             TableParents data = enterprises();
             return smallReport().render(data);
         },
         {"1:100,100:开票单位排污数据", "1:100,200:甲化工厂", "1:100,500:化学需氧量1", "1:4100,500:￥1,000.50",
          "1:100,700:化学需氧量2", "1:4100,700:￥1,001.50", "1:5100,900:￥2,002.00", "1:8100,900:2",
          "1:100,1200:乙造纸厂", "1:100,1500:氨氮", "1:4100,1500:", "1:100,1700:二氧化硫", "1:4100,1700:￥20.00",
          "1:5100,1900:￥20.00", "1:8100,1900:1", "1:100,9800:第1页/总1页", "1:3100,9800:2003年5月9日打印"}},
        {"page breaks: a section that does not fit starts the next page; page number and count",
         [] {
             Report r = smallReport();
             r.paper = QSizeF(10000, 1200); // body from 200 to 1000
             r.section("Command4_Footer").visible = false;
             r.section("PageFooter").controls.pop_back();
             TableParents data = enterprises(3);
             return r.render(data);
         },
         {"1:100,100:开票单位排污数据", "1:100,200:甲化工厂", "1:100,500:化学需氧量1", "1:4100,500:￥1,000.50",
          "1:100,700:化学需氧量2", "1:4100,700:￥1,001.50", "1:100,1000:第1页/总3页", "2:100,100:开票单位排污数据",
          "2:100,200:化学需氧量3", "2:4100,200:￥1,002.50", "2:100,400:乙造纸厂", "2:100,700:氨氮",
          "2:4100,700:", "2:100,1000:第2页/总3页", "3:100,100:开票单位排污数据", "3:100,200:二氧化硫",
          "3:4100,200:￥20.00", "3:100,1000:第3页/总3页"}},
        {"the new-page switch starts each enterprise on a page of its own; hidden details",
         [] {
             Report r = smallReport();
             r.section("Command4_Header").newPageBefore = true;
             r.section("Command5_Detail").visible = false;
             r.section("PageHeader").visible = false;
             r.section("PageFooter").controls = {label("Label14", "%p/%P", 0, 0)};
             TableParents data = enterprises();
             return r.render(data);
         },
         {"1:100,100:甲化工厂", "1:5100,400:￥2,002.00", "1:8100,400:2", "1:100,9800:1/2", "2:100,100:乙造纸厂",
          "2:5100,400:￥20.00", "2:8100,400:1", "2:100,9800:2/2"}},
        {"positions before the section's top and left of the sheet's edge; no margins start at the corner",
         [] {
             Report r = smallReport();
             r.leftMargin = r.rightMargin = r.topMargin = r.bottomMargin = 0;
             r.section("PageHeader").height = 0;
             r.section("PageHeader").controls.clear();
             r.section("PageFooter").visible = false;
             r.section("Command4_Footer").visible = false;
             r.section("Command4_Header").height = 0;
             r.section("Command4_Header").controls[0].top = -50;
             r.section("Command4_Header").controls[0].left = -100;
             r.section("Command5_Detail").controls.pop_back();
             TableParents data = enterprises(1);
             return r.render(data);
         },
         {"1:-100,-50:甲化工厂", "1:0,0:化学需氧量1", "1:-100,150:乙造纸厂", "1:0,200:氨氮", "1:0,400:二氧化硫"}},
        {"no break when full: a section past the foot of the page stays on it; only the new-page switch breaks",
         [] {
             Report r = smallReport();
             r.paper = QSizeF(10000, 1200); // body from 200 to 1100, the footer from 1000
             r.breakWhenFull = false;
             r.section("Command4_Header").newPageBefore = true;
             r.section("Command4_Footer").visible = false;
             r.section("PageFooter").controls = {label("Label14", ".", 0, 0)};
             TableParents data = enterprises(4);
             return r.render(data);
         },
         {"1:100,100:开票单位排污数据", "1:100,200:甲化工厂", "1:100,500:化学需氧量1", "1:4100,500:￥1,000.50",
          "1:100,700:化学需氧量2", "1:4100,700:￥1,001.50", "1:100,900:化学需氧量3", "1:4100,900:￥1,002.50",
          "1:100,1100:化学需氧量4", "1:4100,1100:￥1,003.50", "1:100,1000:.", "2:100,100:开票单位排污数据",
          "2:100,200:乙造纸厂", "2:100,500:氨氮", "2:4100,500:", "2:100,700:二氧化硫", "2:4100,700:￥20.00",
          "2:100,1000:."}},
        {"controls changed by name before rendering: geometry, caption, visibility, binding",
         [] {
             Report r = smallReport();
             r.control("PageHeader", "label1").caption = "2003年05月" + r.control("PageHeader", "Label1").caption;
             Control& name = r.control("Command4_Header", "Text1");
             name.left = 700;
             name.top = 20;
             name.dataField = "DanWeiBianHao";
             r.control("Command5_Detail", "Text7").visible = false;
             r.section("Command5_Detail").height = 150;
             r.section("Command4_Footer").visible = false;
             r.section("PageFooter").visible = false;
             TableParents data = enterprises(1);
             return r.render(data);
         },
         {"1:100,100:2003年05月开票单位排污数据", "1:800,220:001", "1:100,500:化学需氧量1", "1:800,670:002",
          "1:100,950:氨氮", "1:100,1100:二氧化硫"}},
        {"a flat source: a detail per row, totals and the short date in the report's header and footer",
         [] {
             Report r;
             r.paper = QSizeF(10000, 10000);
             r.printDate = QDate(2003, 5, 9);
             r.addSection("ReportHeader", SectionKind::ReportHeader, 300).controls = {
                 label("Label8", "%d  打印", 0, 0), total("Count", "DanWeiBianHao", Aggregate::Count)};
             r.addSection("Command6_Detail", SectionKind::Detail, 330).controls = {
                 field("Text1", "DanWeiBianHao", 0, 57), field("Text2", "JinE", 3000, 57)};
             r.control("Command6_Detail", "Text2").format = QStringLiteral("\"￥\"#,##0");
             r.addSection("ReportFooter", SectionKind::ReportFooter, 512).controls = {
                 total("Function1", "JinE", Aggregate::Sum, QStringLiteral("\"￥\"#,##0"))};
             TableRows data({"DanWeiBianHao", "JinE"}, {{"0012", 1234.5}, {"0013", 100000.25}, {"0014", QVariant()}});
             return r.render(data);
         },
         {"1:0,0:2003-5-9  打印", "1:5000,0:3", "1:0,357:0012", "1:3000,357:￥1,235", "1:0,687:0013",
          "1:3000,687:￥100,000", "1:0,1017:0014", "1:3000,1017:", "1:5000,1290:￥101,235"}},
        {"the report header above the first page header; later pages begin with the page header",
         [] {
             Report r;
             r.paper = QSizeF(10000, 1500);
             r.addSection("ReportHeader", SectionKind::ReportHeader, 400).controls = {label("Title", "标题", 0, 50)};
             r.addSection("PageHeader", SectionKind::PageHeader, 300).controls = {label("Head", "单位编号", 0, 57)};
             r.addSection("Command6_Detail", SectionKind::Detail, 330).controls = {
                 field("Text1", "DanWeiBianHao", 0, 57)};
             TableRows data({"DanWeiBianHao"}, {{"0012"}, {"0013"}, {"0014"}, {"0015"}});
             return r.render(data);
         },
         {"1:0,50:标题", "1:0,457:单位编号", "1:0,757:0012", "1:0,1087:0013", "2:0,57:单位编号", "2:0,357:0014",
          "2:0,687:0015"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(texts(c.render()), c.expected);
    }
}

TEST(ReportLayout, FontsAndFractionalHeights)
{
    Report r = smallReport();
    r.font = Font{printFontFamily(), 9, false};
    r.control("PageHeader", "Label1").fontSize = 15.75;
    r.control("PageHeader", "Label1").alignment = Alignment::Centre;
    r.section("Command5_Detail").height = 208.5;
    r.section("PageFooter").visible = false;
    r.section("Command4_Footer").visible = false;
    TableParents data = enterprises();
    const Document d = r.render(data);
    ASSERT_EQ(d.pages.size(), 1u);
    const auto& t = d.pages[0].texts;
    EXPECT_EQ(t[0].font, (Font{printFontFamily(), 15.75, false}));
    EXPECT_EQ(t[0].alignment, Alignment::Centre);
    EXPECT_EQ(t[1].font, (Font{printFontFamily(), 9, false}));
    EXPECT_DOUBLE_EQ(t[4].box.y(), 500 + 208.5); // the second line of the first enterprise
    EXPECT_DOUBLE_EQ(t[6].box.y(), 500 + 2 * 208.5); // the second enterprise's heading
}

TEST(ReportLayout, GrowingTextPushesWhatFollows)
{
    Report r = smallReport();
    r.section("PageFooter").visible = false;
    r.section("Command4_Footer").visible = false;
    Control& text = r.control("Command5_Detail", "Text3");
    text.canGrow = true;
    text.height = 240;
    text.width = 1500;
    const QString longText = QStringLiteral("化学需氧量:12.5,悬浮物:0,氨氮:3.25,总磷:0.5,石油类:1.75 (5月)");
    std::vector<QVariantList> lines{{longText, QVariant()}, {QStringLiteral("短"), QVariant()}};
    TableParents data({"DanWeiBianHao", "DanWeiMingCheng"}, {"WuRanWuMingCheng", "JinE"}, {{{"001", "甲"}, lines}});
    const Document d = r.render(data);
    const auto& t = d.pages[0].texts;
    ASSERT_EQ(t.size(), 6u);
    const TextItem& grown = t[2];
    EXPECT_EQ(grown.text, longText);
    EXPECT_TRUE(grown.wraps);
    EXPECT_GT(grown.box.height(), 3 * 180) << "the text needs several lines at this width";
    // the next line starts below the grown section: its height plus what the text box needed beyond its own
    EXPECT_DOUBLE_EQ(t[4].box.y(), grown.box.y() + 200 + grown.box.height() - 240);
    EXPECT_EQ(t[4].text, QStringLiteral("短"));
    EXPECT_DOUBLE_EQ(t[4].box.height(), 240) << "a text that fits keeps its box";
}

TEST(ReportLayout, WhatIsMissingFailsBeforeAnyPage)
{
    Report r = smallReport();
    EXPECT_THROW(r.section("Detail"), Error);
    EXPECT_THROW(r.control("PageHeader", "Text1"), Error);
    EXPECT_THROW(r.addSection("pageheader", SectionKind::PageHeader, 0), Error);
    r.control("Command5_Detail", "Text7").dataField = "NoSuchField";
    TableParents data = enterprises();
    try {
        r.render(data);
        FAIL() << "rendered without the field";
    } catch (const Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("报表数据中没有字段：NoSuchField"));
    }
    r.control("Command5_Detail", "Text7").dataField = "WuRanWuMingCheng"; // a text under a money format
    TableParents again = enterprises();
    EXPECT_THROW(r.render(again), platform::Error);
}

TEST(ReportLayout, LinesBoxesAndPicturesAtTheirPositions)
{
    Report r;
    r.paper = QSizeF(5000, 5000);
    r.leftMargin = 1000;
    r.topMargin = 500;
    Control line = label("Line1", QString(), 28, 255);
    line.kind = ControlKind::Line;
    line.width = 14655;
    line.height = 0;
    Control box = label("Shape1", QString(), 0, 0, 1701);
    box.kind = ControlKind::Box;
    box.height = 330;
    Control picture = label("Image1", QString(), 10, 20, 100);
    picture.kind = ControlKind::Picture;
    picture.picture = QImage(4, 4, QImage::Format_RGB32);
    r.addSection("Detail", SectionKind::Detail, 345).controls = {line, box, picture};
    TableRows data({}, {{}, {}});
    const Document d = r.render(data);
    ASSERT_EQ(d.pages.size(), 1u);
    const Page& p = d.pages[0];
    ASSERT_EQ(p.lines.size(), 2u);
    EXPECT_EQ(p.lines[1].from, QPointF(1028, 500 + 345 + 255));
    EXPECT_EQ(p.lines[1].to, QPointF(1028 + 14655, 500 + 345 + 255));
    ASSERT_EQ(p.boxes.size(), 2u);
    EXPECT_EQ(p.boxes[0].rect, QRectF(1000, 500, 1701, 330));
    ASSERT_EQ(p.pictures.size(), 2u);
    EXPECT_EQ(p.pictures[1].rect, QRectF(1010, 865, 100, 200));
    EXPECT_EQ(p.size, QSizeF(5000, 5000));
}

// The adapters over the database layer: parent rows in their table's order, each with its child rows in
// theirs, related on a field; a flat recordset from its first row.
TEST(ReportData, RelatedQueriesAndRecordsetsFeedTheEngine)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/qelvdataPrint2003_5.mdb";
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw,
                           "CREATE TABLE dw (DanWeiBianHao TEXT COLLATE NOCASE, DanWeiMingCheng TEXT);"
                           "CREATE TABLE ShuJu (DanWeiBianHao TEXT COLLATE NOCASE, WuRanWuMingCheng TEXT, JinE REAL);"
                           "INSERT INTO dw VALUES ('10', '十号厂'), ('9', '九号厂'), ('11', '无数据厂');"
                           "INSERT INTO ShuJu VALUES ('9', '乙', 2), ('10', '丙', 3), ('9', '甲', 1.5);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);

    db::Connection conn;
    conn.openPath(path);
    Report r = smallReport();
    r.section("PageHeader").visible = false;
    r.section("PageFooter").visible = false;
    r.control("Command5_Detail", "Text7").format.clear();
    r.section("Command4_Footer").controls.pop_back();
    r.control("Command4_Footer", "Function1").format.clear();
    RelatedQueries data(conn, "SELECT * FROM dw", "SELECT * FROM ShuJu WHERE DanWeiBianHao = ?", "DanWeiBianHao");
    EXPECT_EQ(texts(r.render(data)),
              (QStringList{"1:100,100:十号厂", "1:100,400:丙", "1:4100,400:3", "1:5100,600:3", "1:100,900:九号厂",
                           "1:100,1200:乙", "1:4100,1200:2", "1:100,1400:甲", "1:4100,1400:1.5", "1:5100,1600:3.5",
                           "1:100,1900:无数据厂", "1:5100,2200:0"}));

    auto rows = conn.openRecordset("SELECT WuRanWuMingCheng, JinE FROM ShuJu", {}, db::LockType::ReadOnly);
    rows->moveLast();
    Report flat;
    flat.addSection("Detail", SectionKind::Detail, 100).controls = {field("Text1", "wuranwumingcheng", 0, 0)};
    RecordsetRows source(*rows);
    EXPECT_EQ(texts(flat.render(source)), (QStringList{"1:0,0:乙", "1:0,100:丙", "1:0,200:甲"}));
}

} // namespace
