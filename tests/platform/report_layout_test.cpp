// The engine's page model for small reports: what text lands on which page at which position.
#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/report/report.h"
#include "platform/report/report_data.h"
#include "platform/report/report_painter.h"
#include "tests/fixtures/printed_lines.h"

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

// A line, box or picture at its place.
Control shape(ControlKind kind, const QString& name, double left, double top, double width, double height)
{
    Control c = label(name, QString(), left, top, width);
    c.kind = kind;
    c.height = height;
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

// A text of n characters of one em each: at 9 points (180 twips an em) a box 1000 wide holds five of
// them to a line.
QString chars(int n)
{
    return QString(n, QChar(0x6C34)); // 水
}

// A report of one detail section 1000 high on a tall sheet without margins, at 9 points.
Report oneSection(std::vector<Control> controls, double height = 1000)
{
    Report r;
    r.paper = QSizeF(12000, 30000);
    r.font = Font{printFontFamily(), 9, false};
    r.addSection("Detail", SectionKind::Detail, height).controls = std::move(controls);
    return r;
}

Control growing(const QString& name, const QString& dataField, double left, double top)
{
    Control c = field(name, dataField, left, top);
    c.height = 240;
    c.canGrow = true;
    return c;
}

const TextItem& textOf(const Page& page, const QString& text)
{
    for (const TextItem& t : page.texts)
        if (t.text == text)
            return t;
    ADD_FAILURE() << "no text " << text.toStdString();
    static const TextItem none;
    return none;
}

// What a grown text box grew by: its height on the page less its designed 240.
double grown(const Page& page, const QString& text)
{
    return textOf(page, text).box.height() - 240;
}

// Where the controls of a section land when text boxes in it grow: below a grown box they move by
// what it grew, across the whole width; beside it they stay; moves add up down the section, and of
// boxes side by side the one that grew most decides. The section grows with them.
TEST(ReportLayout, GrownBoxesMoveWhatLiesBelowThemNotWhatIsBeside)
{
    struct Moved {
        const char* text; // a label's caption
        double designedTop;
        std::function<double(double a, double b)> move; // by the growth of the boxes A and B
    };
    struct MoveCase {
        const char* what;
        std::vector<Control> controls;
        int aChars, bChars; // the lengths of the texts of A and B
        std::vector<Moved> moved;
        std::function<double(double a, double b)> sectionGrowth;
    };
    auto zero = [](double, double) { return 0.0; };
    auto byA = [](double a, double) { return a; };
    auto byB = [](double, double b) { return b; };
    const MoveCase cases[] = {
        {"one grown box: below it in its column and across the section, not beside it",
         {growing("A", "A", 0, 0), label("beside", "beside", 1100, 0), label("besideLower", "besideLower", 1100, 200),
          label("under", "under", 0, 240), label("underAcross", "underAcross", 5000, 300),
          label("farBelow", "farBelow", 2000, 900)},
         13,
         0,
         {{"beside", 0, zero},
          {"besideLower", 200, zero},
          {"under", 240, byA},
          {"underAcross", 300, byA},
          {"farBelow", 900, byA}},
         byA},
        {"two boxes one above the other: their growths add up below both",
         {growing("A", "A", 0, 0), growing("B", "B", 0, 300), label("besideB", "besideB", 1100, 300),
          label("belowBoth", "belowBoth", 0, 600), label("betweenThem", "betweenThem", 3000, 250)},
         8,
         13,
         {{"besideB", 300, byA},
          {"betweenThem", 250, byA},
          {"belowBoth", 600, [](double a, double b) { return a + b; }}},
         [](double a, double b) { return a + b; }},
        {"two boxes side by side: the one that grew most decides",
         {growing("A", "A", 0, 0), growing("B", "B", 1100, 0), label("belowA", "belowA", 0, 300),
          label("belowB", "belowB", 1100, 300)},
         8,
         22,
         {{"belowA", 300, byB}, {"belowB", 300, byB}},
         byB},
        {"a box whose text fits moves nothing",
         {growing("A", "A", 0, 0), label("under", "under", 0, 240)},
         3,
         0,
         {{"under", 240, zero}},
         zero},
    };
    for (const MoveCase& c : cases) {
        SCOPED_TRACE(c.what);
        const Report r = oneSection(c.controls);
        // a second row of short texts shows where the first row's section ended
        TableRows data({"A", "B"}, {{chars(c.aChars), chars(c.bChars)}, {QStringLiteral("a2"), QStringLiteral("b2")}});
        const Document d = r.render(data);
        ASSERT_EQ(d.pages.size(), 1u);
        const Page& page = d.pages[0];
        const double a = grown(page, chars(c.aChars));
        const double b = c.bChars > 0 ? grown(page, chars(c.bChars)) : 0;
        if (c.aChars > 5) {
            EXPECT_GT(a, 0) << "A takes more lines than its box";
        }
        if (c.bChars > 5) {
            EXPECT_GT(b, a) << "B takes more lines than A";
        }
        for (const Moved& m : c.moved) {
            SCOPED_TRACE(m.text);
            std::vector<double> tops;
            for (const TextItem& t : page.texts)
                if (t.text == QString::fromLatin1(m.text))
                    tops.push_back(t.box.y());
            ASSERT_EQ(tops.size(), 2u);
            EXPECT_DOUBLE_EQ(tops[0], m.designedTop + m.move(a, b));
        }
        EXPECT_DOUBLE_EQ(textOf(page, QStringLiteral("a2")).box.y(), 1000 + c.sectionGrowth(a, b));
        EXPECT_EQ(fixtures::overlappingTexts(d).join(u'\n').toStdString(), "");
    }
}

// Lines and boxes below a grown box move with the texts; a frame beside it keeps its place and size.
TEST(ReportLayout, LinesAndBoxesBelowAGrownBoxMoveToo)
{
    const Report r = oneSection({growing("A", "A", 0, 0), shape(ControlKind::Line, "Line1", 0, 260, 3000, 0),
                                 shape(ControlKind::Box, "Shape1", 1100, 0, 500, 600),
                                 shape(ControlKind::Box, "Shape2", 0, 300, 500, 200)});
    TableRows data({"A"}, {{chars(13)}});
    const Document d = r.render(data);
    const Page& page = d.pages[0];
    const double a = grown(page, chars(13));
    ASSERT_GT(a, 0);
    ASSERT_EQ(page.lines.size(), 1u);
    EXPECT_EQ(page.lines[0].from, QPointF(0, 260 + a));
    ASSERT_EQ(page.boxes.size(), 2u);
    EXPECT_EQ(page.boxes[0].rect, QRectF(1100, 0, 500, 600));
    EXPECT_EQ(page.boxes[1].rect, QRectF(0, 300 + a, 500, 200));
}

// A section that grows past what is left of the page goes to the next one, whole; the one after follows
// it there.
TEST(ReportLayout, AGrownSectionThatNoLongerFitsStartsTheNextPage)
{
    Report r = oneSection({growing("A", "A", 0, 0), label("under", "under", 0, 300)}, 600);
    r.paper = QSizeF(12000, 2000); // three designed sections to a page
    TableRows data({"A"}, {{QStringLiteral("one")}, {QStringLiteral("two")}, {chars(13)}, {QStringLiteral("four")}});
    const Document d = r.render(data);
    ASSERT_EQ(d.pages.size(), 2u);
    EXPECT_EQ(textOf(d.pages[0], QStringLiteral("two")).box.y(), 600);
    const TextItem& long3 = textOf(d.pages[1], chars(13));
    EXPECT_EQ(long3.box.y(), 0) << "the grown third section did not fit below the second";
    const double a = long3.box.height() - 240;
    EXPECT_EQ(textOf(d.pages[1], QStringLiteral("four")).box.y(), 600 + a);
    for (const Page& page : d.pages)
        for (const TextItem& t : page.texts)
            EXPECT_LE(report::paintedBounds(t).bottom(), page.size.height()) << t.text.toStdString();
    EXPECT_EQ(fixtures::overlappingTexts(d).join(u'\n').toStdString(), "");
}

// On fixed stationery a text too long or too tall for its box is printed smaller, to fit the box; a
// text that fits keeps its font, and a box that may run over keeps its font whatever its text.
TEST(ReportLayout, ShrinkToFitPrintsALongTextSmallerInsideItsBox)
{
    struct FitCase {
        const char* what;
        QString text;
        double width, height;
        bool shrinkToFit;
        bool smaller;
    };
    const FitCase cases[] = {
        {"a text that fits", chars(5), 1000, 240, true, false},
        {"a text too long for its width", chars(12), 1000, 240, true, true},
        {"a long text of digits and letters", QStringLiteral("6228480012345678901234"), 1000, 240, true, true},
        {"a box lower than the font's line", chars(2), 1000, 120, true, true},
        {"an empty text", QString(), 10, 10, true, false},
        {"a box that may run over", chars(12), 1000, 240, false, false},
    };
    for (const FitCase& c : cases) {
        SCOPED_TRACE(c.what);
        Control box = field("Text1", "Name", 100, 100);
        box.width = c.width;
        box.height = c.height;
        box.shrinkToFit = c.shrinkToFit;
        Control caption = label("Label1", c.text, 100, 500);
        caption.width = c.width;
        caption.height = c.height;
        caption.shrinkToFit = c.shrinkToFit;
        const Report r = oneSection({box, caption});
        TableRows data({"Name"}, {{c.text}});
        const Document d = r.render(data);
        const auto& texts = d.pages[0].texts;
        ASSERT_EQ(texts.size(), 2u);
        for (const TextItem& t : texts) {
            EXPECT_EQ(t.text, c.text);
            EXPECT_EQ(t.box.size(), QSizeF(c.width, c.height)) << "the box stays as designed";
            if (c.smaller) {
                EXPECT_LT(t.font.pointSize, 9);
            } else {
                EXPECT_EQ(t.font.pointSize, 9);
            }
            if (c.shrinkToFit && !c.text.isEmpty()) {
                const QRectF painted = report::paintedBounds(t);
                EXPECT_TRUE(t.box.contains(painted)) << "painted at " << painted.x() << "," << painted.y() << " "
                                                     << painted.width() << "×" << painted.height();
                // the largest that fits: a step larger would not
                TextItem larger = t;
                larger.font.pointSize += 1 / kTwipsPerPoint;
                if (c.smaller) {
                    EXPECT_FALSE(t.box.contains(report::paintedBounds(larger)));
                }
            }
        }
    }
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
    const Control line = shape(ControlKind::Line, "Line1", 28, 255, 14655, 0);
    const Control box = shape(ControlKind::Box, "Shape1", 0, 0, 1701, 330);
    Control picture = shape(ControlKind::Picture, "Image1", 10, 20, 100, 200);
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
