// The printing layer against the private CUPS scheduler: the default printer, its paper and its code,
// and the exact restore of what it had, a setting it did not have included.
#include "platform/printing/printer.h"
#include "tests/fixtures/cups/cups_scheduler.h"

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

TEST(PrinterPaper, SheetsAreNamedByTheirListedMediaElseAsCustom)
{
    EXPECT_EQ(printing::mediaForSheet(21000, 29700), QStringLiteral("iso_a4_210x297mm"));
    EXPECT_EQ(printing::mediaForSheet(29700, 42000), QStringLiteral("iso_a3_297x420mm"));
    EXPECT_EQ(printing::mediaForSheet(29700, 21000), QStringLiteral("custom_297x210mm_297x210mm"));
    EXPECT_EQ(printing::mediaForSheet(24150, 14000), QStringLiteral("custom_241.5x140mm_241.5x140mm"));
    EXPECT_EQ(printing::paperSizeCode({}), 256);
}

} // namespace
