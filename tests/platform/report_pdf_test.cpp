// PDF output read back with pdftotext (poppler-utils): each text on its page, at its place.
#include "platform/report/report.h"
#include "platform/report/report_data.h"
#include "platform/report/report_output.h"
#include "tests/fixtures/printed_lines.h"

#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using namespace report;

Control text(const QString& name, ControlKind kind, const QString& captionOrField, double left, double top)
{
    Control c;
    c.name = name;
    c.kind = kind;
    (kind == ControlKind::Label ? c.caption : c.dataField) = captionOrField;
    c.left = left;
    c.top = top;
    c.width = 3000;
    c.height = 240;
    return c;
}

TEST(ReportPdf, TextsOnTheirPagesAtTheirPlaces)
{
    Report r;
    r.title = QStringLiteral("排污数据");
    r.paper = QSizeF(16838, 11906); // 297 mm across, 210 mm down
    r.leftMargin = r.rightMargin = 1000;
    r.topMargin = r.bottomMargin = 500;
    r.font = Font{printFontFamily(), 9, false};
    r.addSection("PageHeader", SectionKind::PageHeader, 600).controls = {
        text("Label1", ControlKind::Label, "开票单位排污数据及收费情况", 4030, 28)};
    r.section("PageHeader").controls[0].fontSize = 15.75;
    r.addSection("Command4_Header", SectionKind::GroupHeader, 452).controls = {
        text("Text1", ControlKind::TextBox, "DanWeiMingCheng", 1020, 0)};
    r.section("Command4_Header").newPageBefore = true;
    r.addSection("Command5_Detail", SectionKind::Detail, 208).controls = {
        text("Text4", ControlKind::TextBox, "WuRanWuMingCheng", 907, 0)};
    r.addSection("PageFooter", SectionKind::PageFooter, 345).controls = {
        text("Label14", ControlKind::Label, "第%p页/总%P页", 6180, 85)};
    TableParents data({"DanWeiMingCheng"}, {"WuRanWuMingCheng"},
                      {{{"甲化工厂"}, {{"化学需氧量"}, {"氨氮"}}}, {{"乙造纸厂"}, {{"二氧化硫"}}}});
    const Document document = r.render(data);
    ASSERT_EQ(document.pages.size(), 2u);

    QTemporaryDir dir;
    const QString pdf = dir.path() + "/list.pdf";
    writePdf(document, pdf);
    const fixtures::PdfReadBack back = fixtures::readPdf(pdf);
    ASSERT_EQ(back.pages.size(), 2u);
    for (const QSizeF& size : back.pages) { // a PDF page is whole points
        EXPECT_NEAR(size.width(), 16838, 20);
        EXPECT_NEAR(size.height(), 11906, 20);
    }
    // x is where the text starts; y the top of its glyphs, a little below the top of its box
    struct Expected {
        const char* text;
        int page;
        double x, y;
    };
    const Expected expected[] = {
        {"开票单位排污数据及收费情况", 1, 5030, 528},
        {"甲化工厂", 1, 2020, 1100},
        {"化学需氧量", 1, 1907, 1552},
        {"氨氮", 1, 1907, 1760},
        {"第1页/总2页", 1, 7180, 11146},
        {"乙造纸厂", 2, 2020, 1100},
        {"二氧化硫", 2, 1907, 1552},
        {"第2页/总2页", 2, 7180, 11146},
    };
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.text);
        const fixtures::PdfText* w = back.word(QString::fromUtf8(e.text));
        ASSERT_TRUE(w) << "not in the PDF";
        EXPECT_EQ(w->page, e.page);
        EXPECT_NEAR(w->box.x(), e.x, 40);
        EXPECT_NEAR(w->box.y(), e.y, 80);
    }
    EXPECT_FALSE(back.wordContaining(QStringLiteral("%p")));
}

// The preview paints the same pages through the same painter.
TEST(ReportPdf, PreviewShowsEveryPage)
{
    Report r;
    r.title = QStringLiteral("报表");
    r.addSection("Detail", SectionKind::Detail, 400).controls = {text("Text1", ControlKind::TextBox, "Name", 0, 0)};
    r.section("Detail").newPageBefore = true;
    TableRows rows({"Name"}, {{"甲"}, {"乙"}, {"丙"}});
    const Document document = r.render(rows);
    std::unique_ptr<QPrintPreviewDialog> preview(makePreview(document));
    EXPECT_EQ(preview->objectName(), QStringLiteral("reportPreview"));
    EXPECT_EQ(preview->windowTitle(), QStringLiteral("报表"));
    auto* pages = preview->findChild<QPrintPreviewWidget*>();
    ASSERT_TRUE(pages);
    pages->updatePreview();
    EXPECT_EQ(pages->pageCount(), 3);
}

} // namespace
