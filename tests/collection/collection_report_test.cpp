// The collection-document report: its layout from the layout's rows and paper, scaled from the picture
// to the paper and moved up by the gap on single sheets, the page model it renders, and what the print
// refuses before it prints.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/report/report_data.h"
#include "platform/report/report_output.h"
#include "qelv/collection/collection_report.h"
#include "qelv/core/Module1.h"
#include "tests/collection/collection_fixture.h"
#include "tests/fixtures/printed_lines.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cmath>

using namespace collectionTests;
using collection::CollectionLayout;
using collection::LayoutItem;
using collection::LayoutPaper;
using collection::WTForm;

namespace {

// The worked example: paper 176 by 100 mm, picture 168 by 96 mm, a gap of 3 mm.
LayoutPaper examplePaper()
{
    return LayoutPaper{17600, 10000, 16800, 9600, 300};
}

LayoutItem item(int id, const QString& name, double left, double top, double width = 2000, double height = 500,
                double fontSize = 10, int align = 0)
{
    return LayoutItem{id, name, left, top, width, height, fontSize, align};
}

CollectionLayout exampleLayout()
{
    CollectionLayout layout;
    layout.paper = examplePaper();
    layout.fields = {item(0, "付款人单位", 5000, 2000, 6000, 600, 12, 0),
                     item(1, "委托密码", 1000, 8000, 3000, 500, 9, 1), item(2, "千", 12000, 5000, 400, 500, 10, 2)};
    layout.labels = {item(3, "排污费", 1000, 6000, 2000, 500, 11, 2)};
    return layout;
}

QStringList documentColumns()
{
    QStringList c{QStringLiteral("DanWeiBianHao")};
    return c << pickerColumns();
}

const report::TextItem* textAt(const report::Page& page, const QString& text)
{
    for (const report::TextItem& t : page.texts)
        if (t.text == text)
            return &t;
    return nullptr;
}

TEST(CollectionReport, TheWorkedExampleOnContinuousStationery)
{
    WTForm form(nullptr);
    form.DataReport_Initialize(exampleLayout(), false);
    const report::Control& first = form.control("Command3_Detail", "Text1");
    EXPECT_EQ(first.left, 2970);
    EXPECT_EQ(first.top, 1181);
    EXPECT_EQ(first.width, std::lround(6000 * 0.5939274));
    EXPECT_EQ(first.height, 354) << "600 x 0.590552";
    EXPECT_EQ(first.dataField, QStringLiteral("付款人单位"));
    EXPECT_EQ(first.fontSize, 12);
    EXPECT_EQ(first.alignment, report::Alignment::Left);
    EXPECT_TRUE(first.visible);
    EXPECT_EQ(form.control("Command3_Detail", "Text2").alignment, report::Alignment::Right);
    EXPECT_EQ(form.control("Command3_Detail", "Text3").alignment, report::Alignment::Centre);
    EXPECT_DOUBLE_EQ(form.section("Command3_Detail").height, 5669.3);
    EXPECT_TRUE(form.section("Command3_Detail").visible);
    EXPECT_EQ(form.width, 9972);
    EXPECT_NEAR(form.paper.width(), 9977.968, 1e-6);
    EXPECT_DOUBLE_EQ(form.paper.height(), 5669.3);
    EXPECT_EQ(form.orientation, report::Orientation::Portrait);
    for (const char* hidden : {"ReportHeader", "ReportFooter"}) {
        EXPECT_FALSE(form.section(hidden).visible) << hidden;
        EXPECT_EQ(form.section(hidden).height, 0) << hidden;
    }
    EXPECT_TRUE(form.section("PageHeader").visible);
    EXPECT_EQ(form.section("PageHeader").height, 0);
    EXPECT_TRUE(form.section("PageFooter").visible);
    EXPECT_EQ(form.section("PageFooter").height, 50);
    EXPECT_EQ(form.control("PageFooter", "Label2").caption, QStringLiteral("."));

    const report::Control& label = form.control("Command3_Detail", "Label3");
    EXPECT_EQ(label.caption, QStringLiteral("排污费"));
    EXPECT_EQ(label.left, 594);
    EXPECT_EQ(label.top, 3543);
    EXPECT_EQ(label.fontSize, 11);
    EXPECT_TRUE(label.visible);
}

TEST(CollectionReport, SingleSheetsMoveEveryBoxAndLabelUpByTheGap)
{
    WTForm continuous(nullptr), single(nullptr);
    continuous.DataReport_Initialize(exampleLayout(), false);
    single.DataReport_Initialize(exampleLayout(), true);
    EXPECT_EQ(single.control("Command3_Detail", "Text1").top, 1011) << "1181.1 - 170.079";
    EXPECT_EQ(single.control("Command3_Detail", "Text1").left, 2970);
    EXPECT_EQ(single.control("Command3_Detail", "Label3").top, 3543 - 170);
    EXPECT_DOUBLE_EQ(single.section("Command3_Detail").height, continuous.section("Command3_Detail").height);
    EXPECT_EQ(single.width, continuous.width);
}

TEST(CollectionReport, ThreeFieldsHideTheOtherBoxesBoundLikeTheThird)
{
    WTForm form(nullptr);
    form.DataReport_Initialize(exampleLayout(), false);
    const report::Control& third = form.control("Command3_Detail", "Text3");
    for (int n = 4; n <= 50; ++n) {
        const report::Control& c = form.control("Command3_Detail", QStringLiteral("Text%1").arg(n));
        EXPECT_FALSE(c.visible) << n;
        EXPECT_EQ(c.dataField, QStringLiteral("千")) << n;
        EXPECT_EQ(c.left, third.left) << n;
        EXPECT_EQ(c.top, third.top) << n;
    }
    for (int k = 4; k <= 12; ++k) {
        const report::Control& c = form.control("Command3_Detail", QStringLiteral("Label%1").arg(k));
        EXPECT_FALSE(c.visible) << k;
        EXPECT_EQ(c.caption, QStringLiteral("排污费")) << k;
    }
    EXPECT_THROW(form.control("Command3_Detail", "Text51"), report::Error);
    EXPECT_THROW(form.control("Command3_Detail", "Label13"), report::Error);
}

TEST(CollectionReport, EachDocumentIsAPageOfTheCustomPaper)
{
    WTForm form(nullptr);
    form.DataReport_Initialize(exampleLayout(), false);
    report::TableRows rows({"DanWeiBianHao", "付款人单位", "委托密码", "千"},
                           {{"001", "甲厂", "pw1", "1"}, {"002", "乙厂", "pw2", " "}});
    const report::Document doc = form.render(rows);
    ASSERT_EQ(doc.pages.size(), 2u);
    for (const report::Page& page : doc.pages) {
        EXPECT_NEAR(page.size.width(), 9977.968, 1e-6);
        EXPECT_DOUBLE_EQ(page.size.height(), 5669.3);
        EXPECT_EQ(page.orientation, report::Orientation::Portrait);
        EXPECT_NE(textAt(page, "排污费"), nullptr);
        EXPECT_NE(textAt(page, "."), nullptr) << "the page footer's stop";
    }
    const report::TextItem* name = textAt(doc.pages[0], "甲厂");
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->box, QRectF(2970, 1181, 3564, 354));
    EXPECT_EQ(name->font.pointSize, 12);
    EXPECT_NE(textAt(doc.pages[0], "pw1"), nullptr);
    EXPECT_EQ(textAt(doc.pages[0], "乙厂"), nullptr);
    EXPECT_NE(textAt(doc.pages[1], "乙厂"), nullptr);
    EXPECT_NE(textAt(doc.pages[1], "pw2"), nullptr);
    // Three boxes and a label per document, the hidden ones print nothing.
    EXPECT_EQ(doc.pages[0].texts.size(), 5u);
}

TEST(CollectionReport, TheLayoutDoesNotFitTheReport)
{
    CollectionLayout elevenLabels = exampleLayout();
    for (int k = 0; k < 10; ++k)
        elevenLabels.labels << item(10 + k, QStringLiteral("标签%1").arg(k), 100, 100);
    ASSERT_EQ(elevenLabels.labels.size(), 11);
    WTForm form(nullptr);
    EXPECT_THROW(form.DataReport_Initialize(elevenLabels, false), report::Error);
    EXPECT_FALSE(form.control("Command3_Detail", "Text1").visible) << "nothing applied";

    CollectionLayout fiftyOne = exampleLayout();
    while (fiftyOne.fields.size() < 51)
        fiftyOne.fields << item(int(fiftyOne.fields.size()), "分", 100, 100);
    EXPECT_THROW(form.DataReport_Initialize(fiftyOne, false), report::Error);

    CollectionLayout noPaper = exampleLayout();
    noPaper.paper.reset();
    form.DataReport_Initialize(noPaper, false);
    EXPECT_FALSE(form.control("Command3_Detail", "Text1").visible) << "without a paper row the design stays";
}

struct ProblemCase {
    const char* label;
    std::function<void(CollectionLayout&)> change;
    bool singleSheets;
    QString says; // a part of the one problem; empty: none
};

void PrintTo(const ProblemCase& c, std::ostream* os)
{
    *os << c.label;
}

class LayoutProblems : public ::testing::TestWithParam<ProblemCase> { };

TEST_P(LayoutProblems, AreFoundBeforePrinting)
{
    CollectionLayout layout = exampleLayout();
    GetParam().change(layout);
    const QStringList problems = collection::layoutProblems(layout, documentColumns(), GetParam().singleSheets);
    if (GetParam().says.isEmpty()) {
        EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
        return;
    }
    ASSERT_EQ(problems.size(), 1) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems[0].contains(GetParam().says)) << problems[0].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, LayoutProblems,
    ::testing::Values(
        ProblemCase{"the example", [](CollectionLayout&) {}, true, ""},
        ProblemCase{"no paper row", [](CollectionLayout& l) { l.paper.reset(); }, false, "wtPaperSize"},
        ProblemCase{"a paper without height", [](CollectionLayout& l) { l.paper->paperHeight = 0; }, false, "纸张"},
        ProblemCase{"a picture without width", [](CollectionLayout& l) { l.paper->pictureWidth = 0; }, false, "图片"},
        ProblemCase{"a paper the control cannot take", [](CollectionLayout& l) { l.paper->paperWidth = 400000; }, false,
                    "范围"},
        ProblemCase{"no gap on continuous stationery", [](CollectionLayout& l) { l.paper->gap = QVariant(); }, false,
                    ""},
        ProblemCase{"no gap on single sheets", [](CollectionLayout& l) { l.paper->gap = QVariant(); }, true, "偏移值"},
        ProblemCase{"a gap beyond 16 bits", [](CollectionLayout& l) { l.paper->gap = 40000; }, true, "偏移值"},
        ProblemCase{"a field that WTDW lacks",
                    [](CollectionLayout& l) { l.fields << item(9, QStringLiteral("经办人"), 1, 1); }, false, "经办人"},
        ProblemCase{"a field without a name",
                    [](CollectionLayout& l) {
                        l.fields << LayoutItem{9, QVariant()};
                    },
                    false, "第 9 号字段没有名称"},
        ProblemCase{"an alignment of 3", [](CollectionLayout& l) { l.labels[0].align = 3; }, false, "对齐"},
        ProblemCase{"eleven labels",
                    [](CollectionLayout& l) {
                        while (l.labels.size() < 11)
                            l.labels << item(20, QStringLiteral("标签"), 1, 1);
                    },
                    false, "11 个标签"},
        ProblemCase{"fifty-one fields",
                    [](CollectionLayout& l) {
                        while (l.fields.size() < 51)
                            l.fields << item(30, QStringLiteral("分"), 1, 1);
                    },
                    false, "51 个字段"}));

TEST(CollectionReport, ThePaperControlGetsTheLayoutsSizeInTenthsOfAMillimetre)
{
    const printRun::PaperRequest paper = collection::paperRequest(exampleLayout());
    EXPECT_EQ(paper.orientation, 1);
    EXPECT_EQ(paper.userFormName, QStringLiteral("UserDefine"));
    EXPECT_EQ(paper.paperLength, 1000);
    EXPECT_EQ(paper.paperWidth, 1760);
    EXPECT_EQ(paper.paperSize, 256);
}

class CollectionReportFile : public CollectionMonth { };

// The documents of a collection print file, laid out by the form.
report::Document renderDocuments(const WTForm& form, const QString& printFile)
{
    db::Connection print;
    print.openPath(printFile);
    auto rs = print.openRecordset(QStringLiteral("select * from WTDW"), {}, db::LockType::ReadOnly);
    report::RecordsetRows rows(*rs);
    return form.render(rows);
}

TEST_F(CollectionReportFile, TheReportTakesItsLayoutFromTheLayoutFileWhenMade)
{
    layoutPaper(17600, 10000, 16800, 9600, 300);
    layoutRows({{5, "委托密码", "字段", 1000, 8000, 3000, 500, 9, 1},
                {1, "付款人单位", "字段", 5000, 2000, 6000, 600, 12, 0},
                {2, "排污费", "标签", 1000, 6000, 2000, 500, 11, 2},
                {3, "其它", "别的", 1, 1, 1, 1, 1, 0}});
    {
        WTForm form;
        EXPECT_EQ(form.control("Command3_Detail", "Text1").dataField, QStringLiteral("付款人单位")) << "in ID order";
        EXPECT_EQ(form.control("Command3_Detail", "Text1").top, 1181);
        EXPECT_EQ(form.control("Command3_Detail", "Text2").dataField, QStringLiteral("委托密码"));
        EXPECT_FALSE(form.control("Command3_Detail", "Text3").visible);
        EXPECT_EQ(form.control("Command3_Detail", "Label3").caption, QStringLiteral("排污费"));
        EXPECT_FALSE(form.control("Command3_Detail", "Label4").visible);
    }
    Module1::gNonContinuousPrint = true;
    WTForm single;
    Module1::gNonContinuousPrint = false;
    EXPECT_EQ(single.control("Command3_Detail", "Text1").top, 1011);
}

// Nothing moves on the voucher: a payer's name, a password or a label too long for its box is printed
// smaller, inside the box, and the boxes stay where the layout puts them.
TEST_F(CollectionReportFile, ATextTooLongForItsBoxIsPrintedSmallerInsideIt)
{
    layoutPaper(17600, 10000, 16800, 9600, 300);
    layoutRows(
        {{1, "付款人单位", "字段", 2600, 1885, 6100, 530, 9, 0},
         {2, "委托密码", "字段", 10900, 7085, 3000, 530, 9, 1},
         {3, "付款人账号", "字段", 2600, 2685, 6100, 530, 9, 0},
         {4, "标起托收凭证（委托收款）第一联付款人开户银行留存作借方凭证标止", "标签", 1000, 400, 6000, 530, 12, 2}});
    const QString name = QStringLiteral("名起") + QString(36, QChar(0x5382)) + QStringLiteral("名止");
    document("001", name, "1001", QStringLiteral("密起9876543210987654321098765432密止"));
    WTForm form;
    const report::Document doc = renderDocuments(form, printFile());
    ASSERT_EQ(doc.pages.size(), 1u);
    const report::Page& page = doc.pages[0];
    const report::Section& detail = form.section(QStringLiteral("Command3_Detail"));
    auto designed = [&detail](const char* control) {
        const report::Control& c = detail.control(QString::fromLatin1(control));
        return QRectF(c.left, c.top, c.width, c.height);
    };
    const struct {
        const char* control;
        const char* first;
        const char* last;
        bool shrinks;
    } boxes[] = {{"Text1", "名起", "名止", true},
                 {"Text2", "密起", "密止", true},
                 {"Text3", "付款人账号值", "付款人账号值", false},
                 {"Label3", "标起", "标止", true}};
    QTemporaryDir dir;
    const QString pdf = dir.filePath("wt.pdf");
    report::writePdf(doc, pdf);
    const fixtures::PdfReadBack back = fixtures::readPdf(pdf);
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.control);
        const report::TextItem* t = nullptr;
        for (const report::TextItem& each : page.texts)
            if (each.text.startsWith(QString::fromUtf8(b.first)))
                t = &each;
        ASSERT_TRUE(t);
        EXPECT_EQ(t->box, designed(b.control)) << "the box stays where the layout puts it";
        const double designedSize = detail.control(QString::fromLatin1(b.control)).fontSize;
        if (b.shrinks) {
            EXPECT_LT(t->font.pointSize, designedSize);
        } else {
            EXPECT_EQ(t->font.pointSize, designedSize);
        }
        for (const char* end : {b.first, b.last}) {
            const fixtures::PdfText* w = back.wordContaining(QString::fromUtf8(end));
            ASSERT_TRUE(w) << end;
            EXPECT_TRUE(fixtures::within(w->box, t->box))
                << end << " at " << w->box.x() << "," << w->box.y() << " " << w->box.width() << "×" << w->box.height()
                << " outside " << t->box.x() << "," << t->box.y() << " " << t->box.width() << "×" << t->box.height();
        }
    }
    EXPECT_EQ(fixtures::overlappingLines(back).join(u'\n').toStdString(), "");
}

TEST_F(CollectionReportFile, ThePdfOfTheDocumentsCarriesTheirTexts)
{
    standardLayout();
    document("001", "甲厂", "1001", "8812345");
    WTForm form;
    const report::Document doc = renderDocuments(form, printFile());
    ASSERT_EQ(doc.pages.size(), 1u);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("wt.pdf");
    report::writePdf(doc, pdf);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString out = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("甲厂"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("8812345"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("1001"))) << out.toStdString();
}

} // namespace
