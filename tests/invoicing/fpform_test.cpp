// The invoice report: the layout it takes from the invoice layout, on continuous stationery and on
// single sheets, and its page model over a month's print file.
#include "platform/convert/convert.h"
#include "platform/report/report.h"
#include "platform/report/report_output.h"
#include "qelv/invoicing/FPForm.h"
#include "tests/fixtures/printed_lines.h"
#include "tests/invoicing/month_fixture.h"

#include <QFontDatabase>
#include <QTemporaryDir>
#include <gtest/gtest.h>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using invoicing::Band;
using invoicing::BandLimits;
using invoicing::FPForm;
using invoicing::InvoiceLayout;
using invoicing::LayoutField;
using invoicing::PaperRow;

LayoutField row(int id, const char* name, Band band, double left, double top, double width = 2000, double height = 600,
                double fontSize = 10, int align = 0)
{
    LayoutField f;
    f.id = id;
    f.name = QString::fromUtf8(name);
    f.band = band;
    f.left = left;
    f.top = top;
    f.width = width;
    f.height = height;
    f.fontSize = fontSize;
    f.align = align;
    return f;
}

// A paper equal to its picture, 241 by 140 mm; the header ends at 40 mm, a line is 8 mm, the footer
// begins at 104 mm; a gap of 5 mm.
InvoiceLayout example()
{
    InvoiceLayout l;
    l.limits = BandLimits{4000, 4800, 10400};
    l.paper = PaperRow{24100, 14000, 24100, 14000, 500};
    l.fields = {row(0, "缴款单位", invoicing::Header, 2000, 1000, 9000, 600, 10, 0),
                row(1, "序号", invoicing::Line, 1600, 4100, 800, 600, 9, 2),
                row(2, "项目", invoicing::Line, 2700, 4100, 9700, 600, 9, 0),
                row(3, "小写合计", invoicing::Footer, 13100, 10500, 3800, 600, 10, 1)};
    return l;
}

const report::Control& text(const FPForm& r, const char* section, int number)
{
    return r.section(QString::fromLatin1(section)).control(QStringLiteral("Text%1").arg(number));
}

struct Expected {
    const char* way;
    bool nonContinuous;
    double gap;
    double header, line, footer;
    double headerTop, lineTop, footerTop;
};

TEST(FPFormLayout, TheExampleLayoutBothWays)
{
    const Expected cases[] = {
        {"continuous stationery", false, 0, 2268, 454, 2041, 567, 57, 57},
        {"single sheets: the content moves up by the gap", true, 283.45, 1984, 454, 2324, 283, 57, 57},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.way);
        FPForm r;
        r.applyLayout(example(), c.nonContinuous);
        EXPECT_DOUBLE_EQ(r.gap(), c.gap);
        EXPECT_EQ(r.width, 13655) << "13655.06 rounded";
        EXPECT_EQ(r.section("Command1_Header").height, c.header);
        EXPECT_EQ(r.section("Command2_Detail").height, c.line);
        EXPECT_EQ(r.section("Command1_Footer").height, c.footer);
        EXPECT_EQ(text(r, "Command1_Header", 1).top, c.headerTop);
        EXPECT_EQ(text(r, "Command2_Detail", 21).top, c.lineTop);
        EXPECT_EQ(text(r, "Command1_Footer", 41).top, c.footerTop);
        // Across nothing changes with the gap: 20 mm, 90 mm and 8 mm at 56.69 twips a millimetre.
        EXPECT_EQ(text(r, "Command1_Header", 1).left, 1134);
        EXPECT_EQ(text(r, "Command1_Header", 1).width, 5102);
        EXPECT_EQ(text(r, "Command1_Header", 1).height, 340);
        EXPECT_EQ(text(r, "Command2_Detail", 21).alignment, report::Alignment::Centre);
        EXPECT_EQ(text(r, "Command1_Footer", 41).alignment, report::Alignment::Right);
        EXPECT_EQ(text(r, "Command2_Detail", 22).fontSize, 9);
        // The page is the sheet the paper control sets, 2410 by 1400 tenths of a millimetre.
        EXPECT_DOUBLE_EQ(r.paper.width(), 2410 * 1440.0 / 254);
        EXPECT_DOUBLE_EQ(r.paper.height(), 1400 * 1440.0 / 254);
        EXPECT_EQ(r.orientation, report::Orientation::Portrait);
        EXPECT_EQ(r.leftMargin + r.topMargin + r.rightMargin + r.bottomMargin, 0);
    }
}

TEST(FPFormLayout, APictureNarrowerThanThePaperIsScaledAcross)
{
    InvoiceLayout l = example();
    l.paper->pictureWidth = 20000;
    l.fields = {row(0, "缴款单位", invoicing::Header, 5000, 1000, 2000)};
    FPForm r;
    r.applyLayout(l, false);
    EXPECT_EQ(text(r, "Command1_Header", 1).left, 3416);
    EXPECT_EQ(text(r, "Command1_Header", 1).width, 1366);
    EXPECT_EQ(text(r, "Command1_Header", 1).top, 567) << "down it is not scaled";
}

TEST(FPFormLayout, TheGapIsReadOnlyForSingleSheets)
{
    for (const QVariant& gap : {QVariant(), QVariant(40000)}) {
        InvoiceLayout l = example();
        l.paper->gap = gap;
        FPForm continuous;
        EXPECT_NO_THROW(continuous.applyLayout(l, false));
        EXPECT_EQ(continuous.section("Command1_Header").height, 2268);
        FPForm single;
        EXPECT_THROW(single.applyLayout(l, true), convert::Error) << gap.toString().toStdString();
    }
}

TEST(FPFormLayout, UnusedFieldsAreHiddenAndBoundLikeTheBandsLastRow)
{
    InvoiceLayout l = example();
    l.fields = {row(0, "缴款单位", invoicing::Header, 2000, 1000), row(1, "年", invoicing::Header, 15000, 1000),
                row(2, "月", invoicing::Header, 17200, 1200, 1000, 600, 12, 2),
                row(3, "序号", invoicing::Line, 1600, 4100)};
    FPForm r;
    r.applyLayout(l, false);
    for (int i = 1; i <= 3; ++i)
        EXPECT_TRUE(text(r, "Command1_Header", i).visible) << i;
    EXPECT_EQ(text(r, "Command1_Header", 3).dataField, QStringLiteral("月"));
    for (int i = 4; i <= 20; ++i) {
        const report::Control& c = text(r, "Command1_Header", i);
        EXPECT_FALSE(c.visible) << i;
        EXPECT_EQ(c.dataField, QStringLiteral("月")) << i;
        EXPECT_EQ(c.top, text(r, "Command1_Header", 3).top);
        EXPECT_EQ(c.fontSize, 12);
    }
    EXPECT_TRUE(text(r, "Command2_Detail", 21).visible);
    EXPECT_EQ(text(r, "Command2_Detail", 21).dataField, QStringLiteral("序号"));
    EXPECT_FALSE(text(r, "Command2_Detail", 22).visible);
    for (int i = 41; i <= 60; ++i)
        EXPECT_FALSE(text(r, "Command1_Footer", i).visible) << "a band without rows shows no field";
}

TEST(FPFormLayout, ABandWithoutRowsKeepsItsHeightAndTheOthersTheirFirstFields)
{
    InvoiceLayout l = example();
    l.fields.removeFirst(); // no header rows
    FPForm r;
    r.applyLayout(l, false);
    for (int i = 1; i <= 20; ++i)
        EXPECT_FALSE(text(r, "Command1_Header", i).visible) << i;
    EXPECT_EQ(r.section("Command1_Header").height, 2268);
    EXPECT_EQ(text(r, "Command2_Detail", 21).dataField, QStringLiteral("序号"));
    EXPECT_EQ(text(r, "Command2_Detail", 22).dataField, QStringLiteral("项目"));
    EXPECT_EQ(text(r, "Command1_Footer", 41).dataField, QStringLiteral("小写合计"));
}

TEST(FPFormLayout, TwentyRowsFillABandAndATwentyFirstEndsTheLayout)
{
    InvoiceLayout l = example();
    l.fields.clear();
    for (int i = 0; i < 20; ++i)
        l.fields << row(i, "x", invoicing::Header, 100 * i, 1000);
    l.fields << row(30, "序号", invoicing::Line, 1600, 4100);
    FPForm full;
    full.applyLayout(l, false);
    for (int i = 1; i <= 20; ++i)
        EXPECT_TRUE(text(full, "Command1_Header", i).visible) << i;

    l.fields.insert(20, row(20, "y", invoicing::Header, 3000, 1000));
    FPForm over;
    try {
        over.applyLayout(l, false);
        FAIL() << "a 21st header row was laid out";
    } catch (const report::Error& e) {
        EXPECT_TRUE(e.description().contains(QStringLiteral("Text21"))) << e.description().toStdString();
    }
    EXPECT_TRUE(text(over, "Command1_Header", 20).visible) << "what was set before stays";
    EXPECT_EQ(over.section("Command1_Header").height, 2268);
    EXPECT_FALSE(text(over, "Command2_Detail", 21).visible) << "later bands are not laid out";
    EXPECT_TRUE(text(over, "Command2_Detail", 21).dataField.isEmpty());
}

TEST(FPFormLayout, WhatTheLayoutCannotBeLaidOutWith)
{
    struct Case {
        const char* what;
        std::function<void(InvoiceLayout&)> change;
    };
    const Case cases[] = {
        {"no band limits", [](InvoiceLayout& l) { l.limits.reset(); }},
        {"no paper row", [](InvoiceLayout& l) { l.paper.reset(); }},
        {"a picture of height zero", [](InvoiceLayout& l) { l.paper->pictureHeight = 0; }},
        {"a picture of width zero", [](InvoiceLayout& l) { l.paper->pictureWidth = 0; }},
        {"a field without a name", [](InvoiceLayout& l) { l.fields[1].name = QVariant(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InvoiceLayout l = example();
        c.change(l);
        FPForm r;
        EXPECT_ANY_THROW(r.applyLayout(l, false));
    }
}

TEST(FPFormLayout, TheSectionsAroundTheInvoiceBands)
{
    FPForm r;
    r.applyLayout(example(), false);
    QStringList names;
    for (const report::Section& s : r.sections())
        names << s.name;
    EXPECT_EQ(names,
              (QStringList{"ReportHeader", "PageHeader", "Command1_Header", "Command2_Detail", "Command1_Footer",
                           "PageFooter", "ReportFooter"}));
    EXPECT_FALSE(r.section("ReportHeader").visible);
    EXPECT_EQ(r.section("ReportHeader").height, 0);
    EXPECT_FALSE(r.section("ReportFooter").visible);
    EXPECT_EQ(r.section("ReportFooter").height, 0);
    EXPECT_TRUE(r.section("PageHeader").visible);
    EXPECT_EQ(r.section("PageHeader").height, 0);
    EXPECT_TRUE(r.section("PageFooter").visible);
    EXPECT_EQ(r.section("PageFooter").height, 50);
    const report::Control& dot = r.control("PageFooter", "Label1");
    EXPECT_EQ(dot.caption, QStringLiteral("."));
    EXPECT_EQ(dot.width, 165);
    EXPECT_EQ(dot.height, 165);
    EXPECT_EQ(r.section("Command1_Header").controls.size(), 20u);
    EXPECT_EQ(r.section("Command2_Detail").controls.size(), 20u);
    EXPECT_EQ(r.section("Command1_Footer").controls.size(), 20u);
    EXPECT_EQ(r.font.family,
              QFontDatabase::hasFamily(QStringLiteral("宋体")) ? QStringLiteral("宋体") : report::printFontFamily());
    EXPECT_EQ(r.font.pointSize, 9);
}

// The report over the month's print file, with the layout file of the program folder.
class FPFormPages : public fixtures::InvoiceMonth {
protected:
    void useExampleLayout()
    {
        layout->execute(QStringLiteral("delete from fp"));
        const char* rows[] = {
            "(0,'缴款单位',1,2000,1000,9000,600,10,0)", "(1,'序号',2,1600,4100,800,600,9,2)",
            "(2,'项目',2,2700,4100,9700,600,9,0)",      "(3,'小写合计',3,13100,10500,3800,600,10,1)",
            "(4,'备注',3,2000,11000,3000,600,10,0)", // a column the print file does not have
        };
        for (const char* r : rows)
            layout->execute(QStringLiteral("insert into fp values %1").arg(QString::fromUtf8(r)));
        layout->execute(
            QStringLiteral("update fpLine set HeadHeigth = 4000, DetailHeigth = 4800, FooterHeigth = 5600"));
        layout->execute(QStringLiteral("update fpPaperSize set PaperWidth = 24100, Paperheigth = 14000, "
                                       "PictureWidth = 24100, PictureHeigth = 14000, JianXi = 500"));
    }
    // An invoice of two lines with the IDs given, its second line stored first.
    void invoice(const QString& number, const QString& payer, const QString& total, int firstId, int secondId)
    {
        print->execute(QStringLiteral("insert into KPDW (DanWeiBianHao, 缴款单位, 小写合计) values (?, ?, ?)"),
                       {number, payer, total});
        print->execute(QStringLiteral("insert into MX (ID, DanWeiBianHao, 序号, 项目) values (?, ?, '2', ?)"),
                       {secondId, number, QStringLiteral("第二行") + number});
        print->execute(QStringLiteral("insert into MX (ID, DanWeiBianHao, 序号, 项目) values (?, ?, '1', ?)"),
                       {firstId, number, QStringLiteral("第一行") + number});
    }
    static QStringList texts(const report::Page& page)
    {
        QStringList out;
        for (const report::TextItem& t : page.texts)
            out << QStringLiteral("%1,%2:%3").arg(t.box.x()).arg(t.box.y()).arg(t.text);
        return out;
    }
};

TEST_F(FPFormPages, OneInvoiceToAPageInTheOrderGivenWithItsLinesByID)
{
    useExampleLayout();
    invoice("003", "丙厂", "30.00", 5, 6);
    invoice("001", "甲厂", "10.00", 1, 3);
    invoice("002", "乙厂", "20.00", 2, 4);
    FPForm r;
    r.DataReport_Initialize();
    const report::Document doc = r.renderInvoices(*print, {"001", "002"});
    ASSERT_EQ(doc.pages.size(), 2u) << "only the invoices given";
    // Header at the sheet's top, lines of 454 twips from 2268, the footer after the two lines at 3176;
    // the field without a column prints empty; the page footer's mark at the foot of the sheet.
    const double foot = 1400 * 1440.0 / 254 - 50;
    EXPECT_EQ(texts(doc.pages[0]),
              (QStringList{"1134,567:甲厂", "907,2325:1", "1531,2325:第一行001", "907,2779:2", "1531,2779:第二行001",
                           "7426,5954:10.00", "1134,6237:", QStringLiteral("0,%1:.").arg(foot)}));
    EXPECT_EQ(texts(doc.pages[1]).first(), QStringLiteral("1134,567:乙厂"));
    EXPECT_EQ(texts(doc.pages[1])[2], QStringLiteral("1531,2325:第一行002")) << "ID 2 before ID 4";
    EXPECT_EQ(doc.pages[0].size, r.paper);
    EXPECT_EQ(doc.pages[0].texts[0].font.family, r.font.family);
    EXPECT_EQ(doc.pages[0].texts[0].font.pointSize, 10);
}

TEST_F(FPFormPages, OnSingleSheetsTheContentMovesUpByTheGap)
{
    useExampleLayout();
    invoice("001", "甲厂", "10.00", 1, 2);
    Module1::gNonContinuousPrint = true;
    FPForm r;
    r.DataReport_Initialize();
    Module1::gNonContinuousPrint = false;
    const QStringList page = texts(r.renderInvoices(*print, {"001"}).pages.at(0));
    // Header 1984 high with its field at 283; lines from 1984; the footer from 2892.
    EXPECT_EQ(page.mid(0, 2), (QStringList{"1134,283:甲厂", "907,2041:1"}));
    EXPECT_EQ(page[5], QStringLiteral("7426,5670:10.00"));
}

// Nothing moves on the stationery: a payer's name or an item too long for its field is printed smaller,
// inside the field, in the PDF as in the page model, and every other field keeps its place.
TEST_F(FPFormPages, ATextTooLongForItsFieldIsPrintedSmallerInsideIt)
{
    useExampleLayout();
    const QString payer = QStringLiteral("名起") + QString(40, QChar(0x5382)) + QStringLiteral("名止");
    const QString item = QStringLiteral("项起") + QString(50, QChar(0x6C34)) + QStringLiteral("项止");
    invoice("001", "甲厂", "10.00", 1, 2);
    invoice("002", payer, "20.00", 3, 4);
    print->execute(QStringLiteral("update MX set 项目 = ? where ID = 4"), {item});
    FPForm r;
    r.DataReport_Initialize();
    const report::Document doc = r.renderInvoices(*print, {"001", "002"});
    ASSERT_EQ(doc.pages.size(), 2u);
    const report::Page& page = doc.pages[1];
    auto at = [](const QString& text) { return text.mid(text.indexOf(u':') + 1); };
    QStringList shortOnes = texts(doc.pages[0]), longOnes = texts(page);
    ASSERT_EQ(shortOnes.size(), longOnes.size());
    for (qsizetype i = 0; i < shortOnes.size(); ++i) {
        EXPECT_EQ(shortOnes[i].left(shortOnes[i].indexOf(u':')), longOnes[i].left(longOnes[i].indexOf(u':')))
            << "moved: " << at(longOnes[i]).toStdString();
    }
    for (const QString& text : {payer, item}) {
        const report::TextItem* t = nullptr;
        for (const report::TextItem& each : page.texts)
            if (each.text == text)
                t = &each;
        ASSERT_TRUE(t) << text.toStdString();
        EXPECT_LT(t->font.pointSize, text == payer ? 10 : 9);
    }
    EXPECT_EQ(page.texts[0].box, doc.pages[0].texts[0].box);

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("fp.pdf"));
    report::writePdf(doc, pdf);
    const fixtures::PdfReadBack back = fixtures::readPdf(pdf);
    ASSERT_EQ(page.texts[4].text, item);
    const struct {
        const char* marker;
        QRectF box;
    } ends[] = {{"名起", page.texts[0].box},
                {"名止", page.texts[0].box},
                {"项起", page.texts[4].box},
                {"项止", page.texts[4].box}};
    for (const auto& end : ends) {
        SCOPED_TRACE(end.marker);
        const fixtures::PdfText* w = back.wordContaining(QString::fromUtf8(end.marker));
        ASSERT_TRUE(w);
        EXPECT_EQ(w->page, 2);
        EXPECT_TRUE(fixtures::within(w->box, end.box))
            << w->box.x() << "," << w->box.y() << " " << w->box.width() << "×" << w->box.height() << " outside "
            << end.box.x() << "," << end.box.y() << " " << end.box.width() << "×" << end.box.height();
    }
    EXPECT_EQ(fixtures::overlappingLines(back).join(u'\n').toStdString(), "");
}

TEST_F(FPFormPages, AnInvoiceMissingFromThePrintFileIsAnError)
{
    useExampleLayout();
    invoice("001", "甲厂", "10.00", 1, 2);
    FPForm r;
    r.DataReport_Initialize();
    EXPECT_THROW(r.renderInvoices(*print, {"001", "009"}), db::Error);
}

} // namespace
