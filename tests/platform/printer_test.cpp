// The printing layer against the private CUPS scheduler: the default printer, its paper and its code,
// and the exact restore of what it had, a setting it did not have included.
#include "platform/printing/printer.h"
#include "platform/report/report.h"
#include "platform/report/report_data.h"
#include "platform/report/report_output.h"
#include "tests/fixtures/cups/cups_scheduler.h"

#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using fixtures::CupsScheduler;

TEST(PrinterPaper, ReadAndRestoredExactly)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the private CUPS scheduler needs root";
    CupsScheduler scheduler;
    QString error;
    ASSERT_TRUE(scheduler.start(&error)) << error.toStdString();
    ASSERT_TRUE(scheduler.addPrinter("qcustom", CupsScheduler::Paper::CustomSizes, &error)) << error.toStdString();
    ASSERT_TRUE(scheduler.addPrinter("qfresh", CupsScheduler::Paper::ListedSizesOnly, &error)) << error.toStdString();
    ASSERT_TRUE(scheduler.setDefaultPrinter("qcustom", &error)) << error.toStdString();
    EXPECT_EQ(printing::defaultPrinterName(), QStringLiteral("qcustom"));

    struct Case {
        const char* media;
        const char* orientation;
        int code;
        int orientationEnum;
    };
    const Case cases[] = {
        {"iso_a4_210x297mm", "portrait", 9, 3},
        {"iso_a3_297x420mm", "landscape", 8, 4},
        {"custom_241x140mm_241x140mm", "landscape", 256, 4}, // a size without a code
        {"custom_297x210mm_297x210mm", "portrait", 256, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.media);
        ASSERT_TRUE(scheduler.setPrinterDefaults("qcustom", c.media, c.orientation, &error)) << error.toStdString();
        const printing::PrinterPaper saved = printing::printerPaper("qcustom");
        EXPECT_EQ(saved.media, QString::fromUtf8(c.media));
        EXPECT_EQ(saved.orientation, c.orientationEnum);
        EXPECT_EQ(printing::paperSizeCode(saved), c.code);
        ASSERT_TRUE(scheduler.setPrinterDefaults("qcustom", "iso_a5_148x210mm", "portrait", &error));
        printing::restorePrinterPaper("qcustom", saved);
        EXPECT_EQ(scheduler.printerDefaults("qcustom", &error)->media, QString::fromUtf8(c.media));
        EXPECT_EQ(scheduler.printerDefaults("qcustom", &error)->orientation, QString::fromUtf8(c.orientation));
        EXPECT_EQ(printing::printerPaper("qcustom"), saved);
    }

    // A printer that never had an orientation of its own gets none back.
    const printing::PrinterPaper fresh = printing::printerPaper("qfresh");
    EXPECT_FALSE(fresh.orientation);
    ASSERT_TRUE(scheduler.setPrinterDefaults("qfresh", "iso_a3_297x420mm", "landscape", &error));
    printing::restorePrinterPaper("qfresh", fresh);
    EXPECT_EQ(printing::printerPaper("qfresh"), fresh);
    EXPECT_EQ(scheduler.printerDefaults("qfresh", &error)->orientation, QStringLiteral("no-value"));

    EXPECT_THROW(printing::printerPaper("qmissing"), printing::Error);
    EXPECT_THROW(printing::restorePrinterPaper("qmissing", fresh), printing::Error);
}

// Each job names the sheet it is printed on and its orientation, whatever the printer's default; the
// count of pending jobs falls to 0 once the scheduler holds the job.
TEST(PrintJobs, EachJobCarriesItsSheetAndOrientation)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "the private CUPS scheduler needs root";
    CupsScheduler scheduler;
    QString error;
    ASSERT_TRUE(scheduler.start(&error)) << error.toStdString();
    ASSERT_TRUE(scheduler.addPrinter("qcustom", CupsScheduler::Paper::CustomSizes, &error)) << error.toStdString();
    ASSERT_TRUE(scheduler.setDefaultPrinter("qcustom", &error)) << error.toStdString();
    ASSERT_TRUE(scheduler.setPrinterDefaults("qcustom", "iso_a3_297x420mm", "portrait", &error));

    struct Case {
        QSizeF page; // twips as read
        report::Orientation orientation;
        const char* media;
        int orientationRequested;
    };
    const Case cases[] = {
        {{11906, 16838}, report::Orientation::Portrait, "iso_a4_210x297mm", 3},
        {{16838, 11906}, report::Orientation::Landscape, "iso_a4_210x297mm", 4},
        {{16838, 11906}, report::Orientation::Portrait, "custom_297x210mm_297x210mm", 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.media);
        report::Report r;
        r.paper = c.page;
        r.orientation = c.orientation;
        r.addSection("Detail", report::SectionKind::Detail, 300);
        report::TableRows one({}, {{}});
        const report::Document document = r.render(one);
        const std::size_t before = scheduler.jobIds("qcustom").size();
        report::PrintJobs jobs;
        EXPECT_EQ(jobs.print(document, false), report::PrintJobs::Result::Sent);
        for (int i = 0; i < 3000 && jobs.pending() > 0; ++i)
            QThread::msleep(10);
        ASSERT_EQ(jobs.pending(), 0);
        EXPECT_TRUE(jobs.takeErrors().isEmpty());
        const std::vector<int> ids = scheduler.jobIds("qcustom");
        ASSERT_EQ(ids.size(), before + 1);
        ASSERT_EQ(jobs.jobIds(), std::vector<int>{ids.back()});
        const auto job = scheduler.job(ids.back());
        ASSERT_TRUE(job);
        EXPECT_EQ(job->media, QString::fromUtf8(c.media));
        EXPECT_EQ(job->orientation, c.orientationRequested);
    }
}

TEST(PrinterPaper, SheetsAreNamedByTheirListedMediaElseAsCustom)
{
    EXPECT_EQ(printing::mediaForSheet(21000, 29700), QStringLiteral("iso_a4_210x297mm"));
    EXPECT_EQ(printing::mediaForSheet(29700, 42000), QStringLiteral("iso_a3_297x420mm"));
    EXPECT_EQ(printing::mediaForSheet(29700, 21000), QStringLiteral("custom_297x210mm_297x210mm"));
    EXPECT_EQ(printing::mediaForSheet(24150, 14000), QStringLiteral("custom_241.5x140mm_241.5x140mm"));
    EXPECT_EQ(printing::paperSizeCode({}), 256);
}

} // namespace
