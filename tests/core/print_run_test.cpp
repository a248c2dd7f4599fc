// The print run against the private CUPS scheduler, with the paper control registered in a registry of
// the test's own: what the printer carries during and after a run, the jobs it gets, and the runs that
// end early.
#include "qelv/core/print_run.h"

#include "qelv/core/paper_record.h"

#include "platform/ui/dialogs.h"
#include "tests/core/one_page_sheet.h"
#include "tests/fixtures/cups/printing_test.h"

#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <thread>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

using fixtures::CupsScheduler;

const QString kA4 = QStringLiteral("iso_a4_210x297mm");
const QString kSheet = QStringLiteral("custom_297x210mm_297x210mm");
const QString kNoCode = QStringLiteral("custom_241x140mm_241x140mm"); // a size without a paper code

// The month fee list's request: a custom sheet 297 mm wide and 210 mm long, portrait.
printRun::PaperRequest feeListPaper()
{
    return {1, QStringLiteral("UserDefineA4"), 2100, 2970, 256};
}

class PrintRun : public fixtures::PrintingTest<> {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        if (!ready())
            return;
        usePrinter(kNoCode, "landscape", dir.path());
        if (!ready())
            return;
        ui::testing::enable();
    }
    void TearDown() override
    {
        PrintingTest::TearDown();
        ui::testing::disable();
    }

    // A request that renders the sheet, noting what the printer carried while the report rendered.
    printRun::Request request()
    {
        printRun::Request r;
        r.paper = feeListPaper();
        r.render = [this] {
            during = defaults();
            return onePageSheet();
        };
        r.errors = errors.sink();
        return r;
    }

    QTemporaryDir dir;
    CollectedErrors errors;
    std::optional<CupsScheduler::Defaults> during;
};

TEST_F(PrintRun, CustomPaperDuringTheRunAndTheSavedPaperAfterIt)
{
    const std::vector<int> before = scheduler->jobIds("qcustom");
    EXPECT_EQ(printRun::run(request()), printRun::Outcome::Printed) << errors.list().join('\n').toStdString();
    EXPECT_TRUE(errors.empty()) << errors.list().join('\n').toStdString();
    ASSERT_TRUE(during);
    EXPECT_EQ(during->media, kSheet);
    EXPECT_EQ(during->orientation, "portrait");
    EXPECT_EQ(defaults().media, kNoCode) << "a media without a code is restored by its name";
    EXPECT_EQ(defaults().orientation, "landscape");

    const std::vector<int> after = scheduler->jobIds("qcustom");
    ASSERT_EQ(after.size(), before.size() + 1);
    const auto job = scheduler->job(after.back());
    ASSERT_TRUE(job);
    EXPECT_EQ(job->media, kSheet) << "the job carries its own page size";
    EXPECT_EQ(job->orientation, 3);
    // the file queue writes what the filters made of the pages
    const QString out = scheduler->folder() + "/out/qcustom.out";
    for (int i = 0; i < 300 && QFileInfo(out).size() == 0; ++i)
        QThread::msleep(100);
    EXPECT_GT(QFileInfo(out).size(), 0) << "the job never reached the printer";
}

TEST_F(PrintRun, RecordsAreWrittenBeforeTheJobAndStandOnceTheSchedulerHasIt)
{
    const std::vector<int> before = scheduler->jobIds("qcustom");
    QStringList steps;
    printRun::Request r = request();
    r.render = [&] {
        steps << "render";
        return onePageSheet();
    };
    r.record = [&] {
        steps << QStringLiteral("record %1 jobs, %2")
                     .arg(scheduler->jobIds("qcustom").size() - before.size())
                     .arg(defaults().media);
    };
    r.commit = [&] {
        steps << QStringLiteral("commit %1 jobs").arg(scheduler->jobIds("qcustom").size() - before.size());
    };
    EXPECT_EQ(printRun::run(r), printRun::Outcome::Printed) << errors.list().join('\n').toStdString();
    EXPECT_EQ(steps, (QStringList{"render", "record 0 jobs, " + kSheet, "commit 1 jobs"}));

    // A record that fails prints nothing and commits nothing; the paper is set back.
    steps.clear();
    r.record = [&] {
        steps << "record";
        throw report::Error(QStringLiteral("单位 001 在开票控制表中没有记录。"));
    };
    EXPECT_EQ(printRun::run(r), printRun::Outcome::Failed);
    EXPECT_EQ(steps, (QStringList{"render", "record"}));
    EXPECT_EQ(errors.list(), QStringList{"单位 001 在开票控制表中没有记录。"});
    EXPECT_EQ(scheduler->jobIds("qcustom").size(), before.size() + 1);
    EXPECT_EQ(defaults().media, kNoCode);
}

TEST_F(PrintRun, ErrorAfterSetPaperLeavesThePrinterAsItWas)
{
    const std::vector<int> before = scheduler->jobIds("qcustom");
    printRun::Request r = request();
    r.render = [this]() -> report::Document {
        during = defaults();
        throw report::Error(QStringLiteral("报表数据中没有字段：HeJi"));
    };
    EXPECT_EQ(printRun::run(r), printRun::Outcome::Failed);
    EXPECT_EQ(errors.list(), QStringList{"报表数据中没有字段：HeJi"});
    ASSERT_TRUE(during);
    EXPECT_EQ(during->media, kSheet);
    EXPECT_EQ(defaults().media, kNoCode);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_EQ(scheduler->jobIds("qcustom"), before) << "a report that fails to render prints nothing";
}

TEST_F(PrintRun, CancelledPrintDialogLeavesThePrinterAsItWas)
{
    const std::vector<int> before = scheduler->jobIds("qcustom");
    printRun::Request r = request();
    r.showPrintDialog = true;
    ui::testing::answer(ui::Answer::Cancel);
    EXPECT_EQ(printRun::run(r), printRun::Outcome::Cancelled);
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].kind, ui::testing::Shown::Dialog);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(defaults().media, kNoCode);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_EQ(scheduler->jobIds("qcustom"), before);

    ui::testing::answer(ui::Answer::Ok);
    EXPECT_EQ(printRun::run(r), printRun::Outcome::Printed) << errors.list().join('\n').toStdString();
    EXPECT_EQ(scheduler->jobIds("qcustom").size(), before.size() + 1);
}

TEST_F(PrintRun, SecondPrintAndClosingAreRefusedDuringTheWait)
{
    QDialog window;
    auto* command = new QPushButton(QStringLiteral("打印开票单位数据"), &window);
    command->setObjectName("Command7");
    window.show();
    printRun::Request r = request();
    r.window = &window;
    r.commands = {command};

    std::optional<printRun::Outcome> second;
    bool closed = true, commandEnabled = true, shownAfterEsc = false;
    CollectedErrors secondErrors;
    QTimer::singleShot(0, [&] {
        commandEnabled = command->isEnabled();
        printRun::Request again = request();
        again.errors = secondErrors.sink();
        second = printRun::run(again);
        closed = window.close();
        QTest::keyClick(&window, Qt::Key_Escape);
        shownAfterEsc = window.isVisible();
    });
    EXPECT_EQ(printRun::run(r), printRun::Outcome::Printed) << errors.list().join('\n').toStdString();
    ASSERT_TRUE(second) << "the wait let no event through";
    EXPECT_EQ(*second, printRun::Outcome::Refused);
    EXPECT_EQ(secondErrors.list(), QStringList{printRun::busyText()});
    EXPECT_FALSE(closed);
    EXPECT_TRUE(shownAfterEsc) << "Esc rejected the dialog during the wait";
    EXPECT_FALSE(commandEnabled);

    EXPECT_FALSE(printRun::running());
    EXPECT_TRUE(command->isEnabled());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.close()) << "closing works again once the run is over";
    EXPECT_EQ(defaults().media, kNoCode);
}

TEST_F(PrintRun, NothingIsTouchedWhenTheReportLacksWhatItNeeds)
{
    const int writesBefore = scheduler->operationCount("CUPS-Add-Modify-Printer");
    printRun::Request r = request();
    r.check = [] { throw report::Error(QStringLiteral("文件不存在：qelvdataPrint2003_5.mdb")); };
    EXPECT_EQ(printRun::run(r), printRun::Outcome::Failed);
    EXPECT_EQ(errors.list(), QStringList{"文件不存在：qelvdataPrint2003_5.mdb"});
    EXPECT_FALSE(during) << "nothing rendered";
    EXPECT_EQ(scheduler->operationCount("CUPS-Add-Modify-Printer"), writesBefore);
}

TEST_F(PrintRun, WithoutTheControlTheReportPrintsOnThePrintersPaper)
{
    qputenv("QELV_COMPONENT_REGISTRY", (dir.path() + "/no-such-registry.json").toUtf8());
    EXPECT_EQ(printRun::run(request()), printRun::Outcome::Printed) << errors.list().join('\n').toStdString();
    ASSERT_TRUE(during);
    EXPECT_EQ(during->media, kNoCode);
    EXPECT_EQ(defaults().media, kNoCode);
}

TEST_F(PrintRun, RefusedJobIsAnErrorAndThePaperIsSetBack)
{
    QString error;
    ASSERT_TRUE(scheduler->setDefaultPrinter("qlisted", &error)) << error.toStdString();
    ASSERT_TRUE(scheduler->setPrinterDefaults("qlisted", kA4, "landscape", &error)) << error.toStdString();
    QProcess reject;
    reject.start(QStringLiteral("/usr/sbin/cupsreject"), {QStringLiteral("qlisted")});
    ASSERT_TRUE(reject.waitForFinished(30000) && reject.exitCode() == 0) << reject.readAllStandardError().toStdString();
    printRun::Request r = request();
    r.paper = {1, QStringLiteral("UserDefineA4"), 0, 0, 8}; // A3, which the printer lists
    r.render = [this] {
        during = defaults(QStringLiteral("qlisted"));
        return onePageSheet();
    };
    bool recorded = false, committed = false;
    r.record = [&] { recorded = true; };
    r.commit = [&] { committed = true; };
    const printRun::Outcome outcome = printRun::run(r);
    QProcess accept;
    accept.start(QStringLiteral("/usr/sbin/cupsaccept"), {QStringLiteral("qlisted")});
    accept.waitForFinished(30000);
    EXPECT_EQ(outcome, printRun::Outcome::Failed);
    EXPECT_TRUE(recorded);
    EXPECT_FALSE(committed) << "the records of a refused job fall with it";
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list()[0].contains(QStringLiteral("拒绝"))) << errors.list()[0].toStdString();
    ASSERT_TRUE(during);
    EXPECT_EQ(during->media, QStringLiteral("iso_a3_297x420mm"));
    EXPECT_EQ(defaults(QStringLiteral("qlisted")).media, kA4);
    EXPECT_EQ(defaults(QStringLiteral("qlisted")).orientation, "landscape");
}

} // namespace

namespace {

// A print run killed while it waits for the scheduler leaves the printer on the run's paper: the
// next start, or the next run before it reads the printer, sets the paper the printer had back.
class KilledPrintRun : public PrintRun {
protected:
    // Starts the child's run, holds the scheduler while its job goes out and kills the child there.
    void killWhileWaiting()
    {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QStringLiteral(PRINT_RUN_CHILD), {});
        ASSERT_TRUE(child.waitForStarted(60000));
        // The deadline only guards against a child that hangs.
        const auto said = [&](const QByteArray& what) {
            QDeadlineTimer deadline(120000);
            while (!deadline.hasExpired() && child.state() == QProcess::Running && !child.canReadLine())
                child.waitForReadyRead(100);
            const QByteArray line = child.readLine().trimmed();
            EXPECT_EQ(line, what);
            return line == what;
        };
        ASSERT_TRUE(said("rendering"));
        ASSERT_TRUE(scheduler->pause());
        // The scheduler answers nothing now: the run hands its job over and waits.
        child.write("go\n");
        ASSERT_TRUE(said("sending"));
        const bool alive = child.state() == QProcess::Running;
        child.kill();
        child.waitForFinished(60000);
        ASSERT_TRUE(scheduler->resume());
        ASSERT_TRUE(alive) << child.readAll().toStdString();
        ASSERT_EQ(defaults().media, kSheet) << "killed with the printer on the run's paper";
        ASSERT_TRUE(QFile::exists(paperRecord::path()));
    }
};

TEST_F(KilledPrintRun, TheNextStartSetsThePaperBackAndTheNextPrintRestoresToIt)
{
    killWhileWaiting();
    paperRecord::restoreAll(errors.sink()); // what the start does first
    EXPECT_TRUE(errors.empty()) << errors.list().join('\n').toStdString();
    EXPECT_EQ(defaults().media, kNoCode);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_FALSE(QFile::exists(paperRecord::path()));

    EXPECT_EQ(printRun::run(request()), printRun::Outcome::Printed) << errors.list().join('\n').toStdString();
    ASSERT_TRUE(during);
    EXPECT_EQ(during->media, kSheet);
    EXPECT_EQ(defaults().media, kNoCode);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_FALSE(QFile::exists(paperRecord::path()));
}

TEST_F(KilledPrintRun, TheNextRunSetsThePaperBackBeforeItReadsThePrinter)
{
    killWhileWaiting();
    EXPECT_EQ(printRun::run(request()), printRun::Outcome::Printed) << errors.list().join('\n').toStdString();
    EXPECT_TRUE(errors.empty()) << errors.list().join('\n').toStdString();
    ASSERT_TRUE(during);
    EXPECT_EQ(during->media, kSheet);
    EXPECT_EQ(defaults().media, kNoCode) << "never the paper the killed run left";
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_FALSE(QFile::exists(paperRecord::path()));
}

TEST_F(KilledPrintRun, APaperThatCannotBeSetBackIsKeptAndStillTheOneToRestore)
{
    killWhileWaiting();
    // An operator who may not change the printer cannot set the paper back: the record stays, and a
    // run (allowed again) restores to the recorded paper.
    // libcups keeps the user it first sees per thread: the operator's attempt runs in a thread of its own.
    qputenv("CUPS_USER", CupsScheduler::unprivilegedUser().toUtf8());
    std::thread([&] { paperRecord::restoreAll(errors.sink()); }).join();
    qunsetenv("CUPS_USER");
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list()[0].contains(QStringLiteral("qcustom"))) << errors.list()[0].toStdString();
    EXPECT_EQ(defaults().media, kSheet);
    EXPECT_TRUE(QFile::exists(paperRecord::path()));

    errors = CollectedErrors();
    EXPECT_EQ(printRun::run(request()), printRun::Outcome::Printed) << errors.list().join('\n').toStdString();
    EXPECT_EQ(defaults().media, kNoCode);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_FALSE(QFile::exists(paperRecord::path()));
}

TEST(PaperRecord, EntriesOfPrintersAreKeptApartAndAnUnreadableRecordIsReported)
{
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    const paperRecord::Entry a{QStringLiteral("qcustom"), {QStringLiteral("iso_a4_210x297mm"), 3}, 9};
    const paperRecord::Entry b{QStringLiteral("qlisted"), {std::nullopt, std::nullopt}, 256};
    paperRecord::remember(a);
    paperRecord::remember(b);
    EXPECT_EQ(paperRecord::entries(), (QList<paperRecord::Entry>{a, b}));
    paperRecord::forget(QStringLiteral("qcustom"));
    EXPECT_EQ(paperRecord::entries(), QList<paperRecord::Entry>{b}) << "an absent setting stays absent";
    paperRecord::forget(QStringLiteral("qlisted"));
    EXPECT_FALSE(QFile::exists(paperRecord::path()));

    QFile damaged(paperRecord::path());
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("{ not a record");
    damaged.close();
    CollectedErrors reported;
    EXPECT_TRUE(paperRecord::entries(reported.sink()).isEmpty());
    EXPECT_EQ(reported.list().size(), 1);
    paperRecord::restoreAll(reported.sink());
    EXPECT_FALSE(QFile::exists(paperRecord::path())) << "reported once, not at every start";
}

} // namespace
