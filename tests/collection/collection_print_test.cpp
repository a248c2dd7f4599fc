// Printing the collection documents through the private CUPS scheduler with the paper control
// registered: the layout's custom paper while they print, the printer's own paper afterwards, also when
// the print fails; the invoices marked in the ledgers only once the job is taken, and only with late
// fees on; a layout the report cannot place refused before the printer is touched.
#include "platform/ui/dialogs.h"
#include "qelv/collection/collection_report.h"
#include "qelv/collection/frmWt.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_env.h"
#include "qelv/core/frmMsgBox.h"
#include "qelv/core/print_run.h"
#include "tests/collection/collection_fixture.h"
#include "tests/fixtures/cups/printing_test.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <QToolBar>
#include <optional>

using namespace collectionTests;
using fixtures::CupsScheduler;

namespace {

const QString kSaved = QStringLiteral("custom_241x140mm_241x140mm"); // a size without a paper code
const QString kForm = QStringLiteral("custom_176x100mm_176x100mm");

using fixtures::progressShown;

class CollectionPrint : public fixtures::PrintingTest<CollectionMonth> {
protected:
    void SetUp() override
    {
        PrintingTest::SetUp();
        if (!ready())
            return;
        usePrinter(kSaved, "landscape", folder->path());
        if (!ready())
            return;
        standardLayout();
        for (const char* n : {"001", "002"}) {
            const QString number = QString::fromLatin1(n);
            enterprise(number, QStringLiteral("厂") + number);
        }
        invoice(QStringLiteral("001"), QStringLiteral("1001"), "10");
        invoice(QStringLiteral("002"), QStringLiteral("1002"), "20");
        // Other invoices of the same ledgers keep their marks.
        fixtures::exec(ledgerFile(),
                       QStringLiteral("insert into ZNJ001 (KaiPiaoRiQi, FaPiaoBianHao, DaoZhangQingKuang, "
                                      "PiaoJuLeiXing, ZNJYiShou) values ('2003-02-05', '901', 0, 0, 0)"));
        document(QStringLiteral("001"), QStringLiteral("厂001"), QStringLiteral("1001"), QStringLiteral("pw1"));
        document(QStringLiteral("002"), QStringLiteral("厂002"), QStringLiteral("1002"), QStringLiteral("pw2"));
    }
    // PiaoJuLeiXing of an enterprise's ledger rows in their order.
    QString marks(const QString& enterprise)
    {
        return fixtures::probe(ledgerFile(),
                               QStringLiteral("select group_concat(PiaoJuLeiXing, '') from (select "
                                              "PiaoJuLeiXing from ZNJ%1 order by rowid)")
                                   .arg(enterprise))
            .toString();
    }

    // What the run showed while it waited for its job.
    struct During {
        CupsScheduler::Defaults paper;
        bool toolbarEnabled = true, closed = true, progress = false, singleSheets = false, envLoaded = false;
        QString marks001, marks002;
        QStringList refused;
    };
    // Looks once the run waits for its job.
    void watch(frmWt& w, QTimer& poll)
    {
        auto during = std::make_shared<std::optional<During>>();
        QObject::connect(&poll, &QTimer::timeout, [this, &w, &poll, during] {
            if (!printRun::running() || *during)
                return;
            poll.stop();
            During d;
            d.paper = defaults();
            d.toolbarEnabled = w.Toolbar1->isEnabled();
            d.closed = w.close();
            d.progress = progressShown();
            d.singleSheets = Module1::gNonContinuousPrint;
            d.envLoaded = DataEnv::isLoaded();
            d.marks001 = marks("001");
            d.marks002 = marks("002");
            w.Toolbar1_ButtonClick(QStringLiteral("sywt"));
            w.Toolbar1_ButtonClick(QStringLiteral("lxtd"));
            d.refused = ui::testing::shownTexts();
            ui::testing::clearShown();
            *during = d;
        });
        poll.start(0);
        watched_ = during;
    }
    std::optional<During> seen() const { return watched_ ? *watched_ : std::nullopt; }

    std::shared_ptr<std::optional<During>> watched_;
};

TEST_F(CollectionPrint, ContinuousDocumentsPrintOnTheLayoutsPaperAndMarkTheirInvoicesAfterTheJob)
{
    Module1::gLateFeeOn = true;
    frmWt w;
    w.show();
    const std::vector<int> before = scheduler->jobIds("qcustom");
    QTimer poll;
    watch(w, poll);
    w.Toolbar1_ButtonClick(QStringLiteral("lxtd"));
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty()) << ui::testing::shownTexts().join('\n').toStdString();

    const auto during = seen();
    ASSERT_TRUE(during) << "the wait let no event through";
    EXPECT_EQ(during->paper.media, kForm);
    EXPECT_EQ(during->paper.orientation, "portrait");
    EXPECT_FALSE(during->toolbarEnabled);
    EXPECT_FALSE(during->closed);
    EXPECT_TRUE(during->progress);
    EXPECT_FALSE(during->singleSheets);
    EXPECT_TRUE(during->envLoaded);
    EXPECT_EQ(during->marks001, "00") << "nothing marked before the printer took the job";
    EXPECT_EQ(during->marks002, "0");
    EXPECT_EQ(during->refused, (QStringList{printRun::busyText(), printRun::busyText()}));

    EXPECT_EQ(defaults().media, kSaved);
    EXPECT_EQ(defaults().orientation, "landscape");
    const std::vector<int> after = scheduler->jobIds("qcustom");
    ASSERT_EQ(after.size(), before.size() + 1);
    const auto job = scheduler->job(after.back());
    ASSERT_TRUE(job);
    EXPECT_EQ(job->media, kForm);
    EXPECT_EQ(marks("001"), "10") << "invoice 1001 marked, invoice 901 of the same ledger not";
    EXPECT_EQ(marks("002"), "1");
    EXPECT_FALSE(progressShown());
    EXPECT_FALSE(DataEnv::isLoaded());
    EXPECT_TRUE(w.Toolbar1->isEnabled());
    EXPECT_TRUE(w.isVisible());
    EXPECT_FALSE(w.busy());
}

TEST_F(CollectionPrint, SingleSheetsPrintWithTheFlagSetOnlyWhileTheyPrint)
{
    Module1::gLateFeeOn = false;
    frmWt w;
    w.show();
    const std::vector<int> before = scheduler->jobIds("qcustom");
    QTimer poll;
    watch(w, poll);
    w.Toolbar1_ButtonClick(QStringLiteral("flxtd"));
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty()) << ui::testing::shownTexts().join('\n').toStdString();
    const auto during = seen();
    ASSERT_TRUE(during);
    EXPECT_TRUE(during->singleSheets);
    EXPECT_EQ(during->paper.media, kForm);
    EXPECT_FALSE(Module1::gNonContinuousPrint);
    EXPECT_EQ(scheduler->jobIds("qcustom").size(), before.size() + 1);
    EXPECT_EQ(defaults().media, kSaved);
    EXPECT_EQ(marks("001"), "00") << "no marks with late fees off";
    EXPECT_EQ(marks("002"), "0");
}

TEST_F(CollectionPrint, ARefusedJobSetsThePaperBackAndMarksNothing)
{
    Module1::gLateFeeOn = true;
    QProcess reject;
    reject.start(QStringLiteral("/usr/sbin/cupsreject"), {QStringLiteral("qcustom")});
    ASSERT_TRUE(reject.waitForFinished(30000) && reject.exitCode() == 0);
    frmWt w;
    w.show();
    QTimer poll;
    watch(w, poll);
    w.Toolbar1_ButtonClick(QStringLiteral("flxtd"));
    QProcess accept;
    accept.start(QStringLiteral("/usr/sbin/cupsaccept"), {QStringLiteral("qcustom")});
    accept.waitForFinished(30000);
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("拒绝")))
        << ui::testing::shownTexts()[0].toStdString();
    EXPECT_EQ(defaults().media, kSaved);
    EXPECT_EQ(defaults().orientation, "landscape");
    EXPECT_EQ(marks("001"), "00");
    EXPECT_EQ(marks("002"), "0");
    EXPECT_FALSE(progressShown());
    EXPECT_FALSE(Module1::gNonContinuousPrint);
    EXPECT_FALSE(DataEnv::isLoaded());
    EXPECT_TRUE(w.Toolbar1->isEnabled());
}

struct RefusedCase {
    const char* label;
    std::function<void(CollectionPrint*)> arrange;
    QString says;
};

class CollectionPrintRefused : public CollectionPrint, public ::testing::WithParamInterface<RefusedCase> { };

void PrintTo(const RefusedCase& c, std::ostream* os)
{
    *os << c.label;
}

TEST_P(CollectionPrintRefused, NothingIsPrintedMarkedOrChangedOnThePrinter)
{
    Module1::gLateFeeOn = true;
    GetParam().arrange(this);
    const std::vector<int> before = scheduler->jobIds("qcustom");
    const int writes = scheduler->operationCount("CUPS-Add-Modify-Printer");
    frmWt w;
    w.Toolbar1_ButtonClick(QStringLiteral("flxtd"));
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(GetParam().says)) << ui::testing::shownTexts()[0].toStdString();
    EXPECT_EQ(scheduler->jobIds("qcustom"), before);
    EXPECT_EQ(scheduler->operationCount("CUPS-Add-Modify-Printer"), writes) << "the printer was not touched";
    EXPECT_EQ(defaults().media, kSaved);
    EXPECT_FALSE(marks("001").contains('1'));
    EXPECT_FALSE(marks("002").contains('1'));
    EXPECT_FALSE(progressShown());
    EXPECT_FALSE(Module1::gNonContinuousPrint);
    EXPECT_FALSE(DataEnv::isLoaded());
    EXPECT_FALSE(printRun::running());
}

INSTANTIATE_TEST_SUITE_P(
    Runs, CollectionPrintRefused,
    ::testing::Values(
        RefusedCase{"an eleventh label",
                    [](CollectionPrint* t) {
                        QList<LayoutRow> rows{{0, "委托密码", "字段", 1000, 1000, 2000, 500}};
                        for (int k = 1; k <= 11; ++k)
                            rows << LayoutRow{k, QStringLiteral("标签%1").arg(k), "标签", 100, 100, 1000, 300};
                        t->layoutRows(rows);
                    },
                    "11 个标签"},
        RefusedCase{"no paper row", [](CollectionPrint* t) { t->layoutPaper({}, {}, {}, {}, {}); }, "wtPaperSize"},
        RefusedCase{"a field the print file lacks",
                    [](CollectionPrint* t) {
                        t->layoutRows({{0, "经办人", "字段", 1000, 1000, 2000, 500}});
                    },
                    "经办人"},
        RefusedCase{"no gap for single sheets",
                    [](CollectionPrint* t) { t->layoutPaper(17600, 10000, 16800, 9600, QVariant()); }, "偏移值"},
        RefusedCase{"no documents",
                    [](CollectionPrint* t) { fixtures::exec(t->printFile(), QStringLiteral("delete from WTDW")); },
                    "还没有委托单"},
        RefusedCase{"a document whose enterprise has no ledger",
                    [](CollectionPrint* t) { fixtures::exec(t->ledgerFile(), QStringLiteral("drop table ZNJ002")); },
                    "ZNJ002"}));

} // namespace
