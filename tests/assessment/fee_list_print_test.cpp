// The fee list printed through the private CUPS scheduler with the paper control registered: the custom
// sheet while it prints, the printer's own paper afterwards, a cancelled print dialog, a builder error.
#include "qelv/assessment/fee_list.h"

#include "qelv/core/data_env.h"
#include "tests/assessment/fee_list_fixture.h"
#include "tests/fixtures/cups/printing_test.h"

#include <QFileInfo>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <optional>

namespace {

using fixtures::CupsScheduler;

const QString kSheet = QStringLiteral("custom_297x210mm_297x210mm");
const QString kSaved = QStringLiteral("custom_241x140mm_241x140mm"); // a size without a paper code

class FeeListPrint : public fixtures::PrintingTest<FeeListMonthTest> {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        if (!ready())
            return;
        usePrinter(kSaved, "landscape", folder->path());
        if (!ready())
            return;

        addEnterprise("0012", "甲化工厂");
        bill("0012");
        assign("0012", "W1", 1, "化学需氧量");
        figures("0012", "W1", 1, {{"A", "12.5"}}, "1234.5");
    }
};

TEST_F(FeeListPrint, PrintsOnTheCustomSheetAndSetsThePrintersPaperBack)
{
    QWidget window;
    auto* command = new QPushButton(QStringLiteral("打印开票单位数据"), &window);
    command->setObjectName("Command7");
    window.show();
    const std::vector<int> before = scheduler->jobIds("qcustom");
    std::optional<CupsScheduler::Defaults> during;
    bool commandEnabled = true;
    QTimer::singleShot(0, [&] {
        during = defaults();
        commandEnabled = command->isEnabled();
    });
    ui::testing::answer(ui::Answer::Ok);
    EXPECT_EQ(feeList::printFeeList(&window, {command}), printRun::Outcome::Printed)
        << messages().join('\n').toStdString();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(dialogs(), 1) << "the print dialog is shown";
    ASSERT_TRUE(during) << "the wait let no event through";
    EXPECT_EQ(during->media, kSheet);
    EXPECT_EQ(during->orientation, "portrait");
    EXPECT_FALSE(commandEnabled);
    EXPECT_TRUE(command->isEnabled());
    EXPECT_EQ(defaults().media, kSaved);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_FALSE(DataEnv::isLoaded());
    EXPECT_EQ(rows("dw"), QStringList{"'0012'|'甲化工厂'"}) << "the list printed is the one just built";

    const std::vector<int> after = scheduler->jobIds("qcustom");
    ASSERT_EQ(after.size(), before.size() + 1);
    const auto job = scheduler->job(after.back());
    ASSERT_TRUE(job);
    EXPECT_EQ(job->media, kSheet);
    EXPECT_EQ(job->orientation, 3);
    const QString out = scheduler->folder() + "/out/qcustom.out";
    for (int i = 0; i < 300 && QFileInfo(out).size() == 0; ++i)
        QThread::msleep(100);
    EXPECT_GT(QFileInfo(out).size(), 0) << "the job never reached the printer";
}

TEST_F(FeeListPrint, ACancelPrintsNothingAndEndsNormally)
{
    const std::vector<int> before = scheduler->jobIds("qcustom");
    ui::testing::answer(ui::Answer::Cancel);
    EXPECT_EQ(feeList::printFeeList(nullptr), printRun::Outcome::Cancelled);
    EXPECT_EQ(dialogs(), 1);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(scheduler->jobIds("qcustom"), before);
    EXPECT_EQ(defaults().media, kSaved);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_FALSE(DataEnv::isLoaded());
}

TEST_F(FeeListPrint, ABuilderErrorIsShownAndNothingIsPrinted)
{
    assign("0012", "W2", 1, "氨氮"); // no table in the month's file
    const std::vector<int> before = scheduler->jobIds("qcustom");
    const int writes = scheduler->operationCount("CUPS-Add-Modify-Printer");
    ui::testing::answer(ui::Answer::Ok);
    EXPECT_EQ(feeList::printFeeList(nullptr), printRun::Outcome::Failed);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains(QStringLiteral("WRW0012W21"))) << messages()[0].toStdString();
    EXPECT_EQ(dialogs(), 0);
    EXPECT_EQ(scheduler->jobIds("qcustom"), before);
    EXPECT_EQ(scheduler->operationCount("CUPS-Add-Modify-Printer"), writes) << "the printer was not touched";
    EXPECT_TRUE(rows("dw").isEmpty());
    EXPECT_FALSE(DataEnv::isLoaded());
}

} // namespace
