#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/frame/frmSplash.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

using namespace Module1;

TEST(CompactionList, NamesTheOperatingMonthsFilesInOrder)
{
    EXPECT_EQ(
        dataFiles::compactedAtStartup(QDate(2003, 5, 1)),
        QStringList({"qelvdw.mdb", "qelvwrw.mdb", "qelvdwznj.mdb", "qelvdata2003_5.mdb", "qelvdataPrint2003_5.mdb",
                     "qelvtzPrint2003_5.mdb", "qelvwtPrint2003_5.mdb", "qelvfpPrint2003_5.mdb", "qelvkz2003.mdb"}));
    const QStringList january = dataFiles::compactedAtStartup(QDate(2004, 1, 31));
    EXPECT_EQ(january[3], QStringLiteral("qelvdata2004_1.mdb"));
    EXPECT_EQ(january[8], QStringLiteral("qelvkz2004.mdb"));
    EXPECT_EQ(dataFiles::compactedAtStartup(QDate(2004, 12, 1))[7], QStringLiteral("qelvfpPrint2004_12.mdb"));
}

class SplashTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        setStartupDefaults();
        gWorkMonth = QDate(2003, 5, 1);
    }
    QString data(const char* name) const { return folder->data(QString::fromLatin1(name)); }
};

TEST_F(SplashTest, LabelsShowProductVersionAndMaker)
{
    frmSplash splash;
    splash.Form_Load();
    EXPECT_EQ(splash.lblProductName->text(), QStringLiteral("Tevrano"));
    EXPECT_EQ(splash.lblVersion->text(), QStringLiteral("版本 3.20.1"));
    EXPECT_EQ(splash.lblCompany->text(), QStringLiteral("公司 Harnwick"));
    EXPECT_EQ(splash.Timer1->interval(), 2000);
    EXPECT_TRUE(splash.Timer1->isActive());
}

TEST_F(SplashTest, CompactsTheListedFilesThatExistAndNoOthers)
{
    const char* listed[] = {"qelvdw.mdb", "qelvwrw.mdb", "qelvdwznj.mdb", "qelvdata2003_5.mdb", "qelvkz2003.mdb"};
    const char* untouched[] = {"qelvSetUp.mdb",     "qelvDL.mdb",         "QELVKZTMP.MDB",  "qelvDataPrint.mdb",
                               "qelvdwwrwtemp.mdb", "qelvdata2003_4.mdb", "qelvkz2002.mdb", "qelvPrintSet.mdb"};
    for (const char* f : listed)
        fixtures::makeFileWithFreePages(data(f));
    for (const char* f : untouched)
        fixtures::makeFileWithFreePages(data(f));

    frmSplash splash;
    splash.Form_Load();

    EXPECT_TRUE(ui::testing::shown().empty()) << "missing month files are skipped silently";
    for (const char* f : listed) {
        EXPECT_EQ(fixtures::freePages(data(f)), 0) << f;
        EXPECT_EQ(fixtures::probe(data(f), QStringLiteral("SELECT count(*) FROM filler")).toInt(), 0) << f;
    }
    for (const char* f : untouched)
        EXPECT_GT(fixtures::freePages(data(f)), 0) << f;
    EXPECT_FALSE(QFile::exists(data("qelvbbk.mdb")));
}

TEST_F(SplashTest, AFailurePartWayStopsTheListAndKeepsTheFile)
{
    for (const char* f : {"qelvdw.mdb", "qelvdwznj.mdb", "qelvkz2003.mdb"})
        fixtures::makeFileWithFreePages(data(f));
    QFile bad(data("qelvwrw.mdb"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly | QIODevice::Truncate));
    bad.write(QByteArray(8192, 'x'));
    bad.close();

    frmSplash splash;
    splash.Form_Load();

    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].title, QStringLiteral("Tevrano"));
    EXPECT_EQ(fixtures::freePages(data("qelvdw.mdb")), 0);
    EXPECT_GT(fixtures::freePages(data("qelvdwznj.mdb")), 0);
    EXPECT_GT(fixtures::freePages(data("qelvkz2003.mdb")), 0);
    QFile kept(data("qelvwrw.mdb"));
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << "the file that failed is still there under its own name";
    EXPECT_EQ(kept.readAll(), QByteArray(8192, 'x'));
    EXPECT_FALSE(QFile::exists(data("qelvbbk.mdb")));
}

TEST_F(SplashTest, ATransientFileLeftBehindIsKeptNotOverwritten)
{
    fixtures::makeFileWithFreePages(data("qelvdw.mdb"));
    fixtures::exec(data("qelvbbk.mdb"),
                   QStringLiteral("CREATE TABLE only_copy (x); INSERT INTO only_copy VALUES (42);"));

    frmSplash splash;
    splash.Form_Load();

    EXPECT_EQ(fixtures::freePages(data("qelvdw.mdb")), 0);
    QStringList kept = QDir(folder->data()).entryList({QStringLiteral("qelvbbk.mdb*")}, QDir::Files);
    kept.removeAll(QStringLiteral("qelvbbk.mdb"));
    ASSERT_EQ(kept.size(), 1) << kept.join(QLatin1Char(',')).toStdString();
    EXPECT_EQ(fixtures::probe(folder->data(kept[0]), QStringLiteral("SELECT x FROM only_copy")).toInt(), 42);
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(ui::testing::shown()[0].text.contains(kept[0]));
}

TEST_F(SplashTest, AnInterruptedCompactionLeavesTheFileWholeAndTheNextStartCompactsIt)
{
    ASSERT_TRUE(fixtures::interruptCompaction(data("qelvdw.mdb"), QStringLiteral("qelvbbk.mdb")));
    const int bulk = fixtures::probe(data("qelvdw.mdb"), QStringLiteral("SELECT count(*) FROM bulk")).toInt();

    frmSplash splash;
    splash.Form_Load();

    EXPECT_TRUE(ui::testing::shown().empty());
    EXPECT_TRUE(QDir(folder->data()).entryList({QStringLiteral("qelvbbk.mdb*")}, QDir::Files).isEmpty());
    EXPECT_EQ(fixtures::freePages(data("qelvdw.mdb")), 0);
    EXPECT_EQ(fixtures::probe(data("qelvdw.mdb"), QStringLiteral("SELECT count(*) FROM bulk")).toInt(), bulk);
}

// The program started a second time on the same data folder while the first has a file open.
TEST_F(SplashTest, AFileAnotherProcessHoldsIsNotCompactedAndItsWritesGoOn)
{
    fixtures::makeFileWithFreePages(data("qelvwrw.mdb"));
    fixtures::DbPeer first;
    ASSERT_EQ(first.call({QStringLiteral("open"), data("qelvdw.mdb")}), QStringLiteral("ok"));
    ASSERT_EQ(first.call({QStringLiteral("exec"), QStringLiteral("CREATE TABLE written (n INTEGER)")}),
              QStringLiteral("ok\t0"));

    frmSplash splash;
    splash.Form_Load();

    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_EQ(ui::testing::shown()[0].text, QStringLiteral("文件正在使用：") + data("qelvdw.mdb"));
    EXPECT_GT(fixtures::freePages(data("qelvwrw.mdb")), 0) << "the list stops at the file in use";
    EXPECT_EQ(first.call({QStringLiteral("exec"), QStringLiteral("INSERT INTO written VALUES (1)")}),
              QStringLiteral("ok\t1"));
    EXPECT_EQ(first.call({QStringLiteral("close")}), QStringLiteral("ok"));
    EXPECT_EQ(fixtures::probe(data("qelvdw.mdb"), QStringLiteral("SELECT count(*) FROM written")).toInt(), 1);
}

TEST_F(SplashTest, ClosesAtTheFirstTickAfterStartUpIsDone)
{
    auto* splash = new frmSplash();
    QPointer<frmSplash> alive(splash);
    splash->Form_Load();
    splash->show();
    // Counted after the window's own handler of the tick has run.
    int ticks = 0, ticksWhenClosed = -1;
    QObject::connect(splash->Timer1, &QTimer::timeout, [&ticks] { ++ticks; });
    QObject::connect(splash, &QDialog::finished, [&] { ticksWhenClosed = ticks; });
    // The deadline only guards against a hang.
    const auto waitFor = [](const std::function<bool()>& done) {
        QDeadlineTimer deadline(60000);
        while (!done() && !deadline.hasExpired())
            QTest::qWait(10);
    };
    waitFor([&] { return ticks >= 1 || !alive; });
    EXPECT_TRUE(alive) << "start-up not done yet: the splash stays";
    splash->startupDone();
    const int ticksWhenDone = ticks;
    waitFor([&] { return !alive; });
    EXPECT_FALSE(alive);
    EXPECT_EQ(ticksWhenClosed, ticksWhenDone) << "closed by the first tick after start-up was done";
}
