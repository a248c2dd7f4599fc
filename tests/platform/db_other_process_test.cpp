// A data folder that two processes use at once, as when the program is started a second time: a file
// that one of them has open is never replaced, renamed or deleted by the other, and no row either
// commits is lost.
#include "tests/platform/db_fixture.h"

#include "platform/db/compact.h"
#include "platform/db/connection_state.h"
#include "platform/files/files.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/kill_points.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <functional>

using db::CompactResult;
using dbtest::dbError;

namespace {

const QString transientName = QStringLiteral("qelvbbk.mdb");
const QString ok = QStringLiteral("ok");
const QString oneRow = QStringLiteral("ok\t1");

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString filesError(const std::function<void()>& f)
{
    try {
        f();
    } catch (const files::Error& e) {
        return e.description();
    }
    return QStringLiteral("<no error>");
}

class OtherProcessTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        path = file(QStringLiteral("qelvdw.mdb"));
        fixtures::makeFileWithFreePages(path);
        fixtures::exec(path, QStringLiteral("CREATE TABLE t (n INTEGER);"));
    }
    int rows() const { return fixtures::probe(path, QStringLiteral("SELECT count(DISTINCT n) FROM t")).toInt(); }
    static QString insert(int n) { return QStringLiteral("INSERT INTO t VALUES (%1)").arg(n); }

    QString path;
};

TEST_F(OtherProcessTest, AFileAnotherProcessHoldsIsNotCompactedAndItsWritesGoOn)
{
    fixtures::DbPeer peer;
    ASSERT_EQ(peer.call({QStringLiteral("open"), path}), ok);
    ASSERT_EQ(peer.call({QStringLiteral("exec"), insert(1)}), oneRow);
    const QByteArray before = bytesOf(path);

    const QString message = dbError([&] { db::compact(path, transientName); });
    EXPECT_EQ(message, QStringLiteral("文件正在使用：") + path);
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_FALSE(QFile::exists(file(transientName)));

    EXPECT_EQ(peer.call({QStringLiteral("exec"), insert(2)}), oneRow);
    EXPECT_EQ(peer.call({QStringLiteral("close")}), ok);
    EXPECT_EQ(rows(), 2);
    // Once the other process has let go, the file is compacted as before.
    EXPECT_EQ(db::compact(path, transientName), CompactResult::Compacted);
    EXPECT_EQ(fixtures::freePages(path), 0);
    EXPECT_EQ(rows(), 2);
}

TEST_F(OtherProcessTest, ChangesOfAFileAnotherProcessHoldsAreRefused)
{
    const QString other = file(QStringLiteral("other.mdb"));
    fixtures::exec(other, QStringLiteral("CREATE TABLE t (n INTEGER);"));
    fixtures::DbPeer peer;
    ASSERT_EQ(peer.call({QStringLiteral("open"), path}), ok);

    const struct {
        const char* what;
        std::function<void()> change;
    } cases[] = {
        {"a copy over it", [&] { files::copy(other, path); }},
        {"a rename", [&] { files::rename(path, file(QStringLiteral("renamed.mdb"))); }},
        {"a rename of its letter case", [&] { files::rename(path, file(QStringLiteral("QELVDW.MDB"))); }},
        {"a replacement", [&] { files::replace(other, path); }},
        {"a removal", [&] { files::remove(file(QStringLiteral("QELVDW.mdb"))); }},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(peer.call({QStringLiteral("exec"), insert(++n)}), oneRow);
        const QByteArray before = bytesOf(path);
        EXPECT_EQ(filesError(c.change), QStringLiteral("文件正在使用：") + path);
        EXPECT_EQ(bytesOf(path), before);
        EXPECT_TRUE(QFile::exists(other));
        EXPECT_EQ(rows(), n);
    }
    // Reading it is no change: a copy of it is made.
    files::copy(path, file(QStringLiteral("backup.mdb")));
    EXPECT_EQ(fixtures::probe(file(QStringLiteral("backup.mdb")), QStringLiteral("SELECT count(*) FROM t")).toInt(), n);
    EXPECT_EQ(peer.call({QStringLiteral("exec"), insert(++n)}), oneRow);
    EXPECT_EQ(peer.call({QStringLiteral("close")}), ok);
    EXPECT_EQ(rows(), n);
    files::remove(path);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(OtherProcessTest, RowsCommittedWhileCompactionsAreTriedAreAllKept)
{
    const struct {
        const char* what;
        const char* reopen;
    } cases[] = {
        {"one connection for all rows", "0"},
        {"a connection for each row, so that compactions come in between", "1"},
    };
    const int count = 100;
    int first = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fixtures::DbPeer peer;
        peer.send({QStringLiteral("commit"), path, QString::number(count),
                   QStringLiteral("INSERT INTO t VALUES (? + %1)").arg(first), QString::fromLatin1(c.reopen)});
        int tried = 0;
        do {
            ++tried;
            try {
                db::compact(path, transientName);
            } catch (const db::Error& e) {
                EXPECT_TRUE(e.description().startsWith(QStringLiteral("文件正在使用"))) << e.what();
            }
            QThread::msleep(10);
        } while (!peer.answered(0));
        EXPECT_GT(tried, 0);
        EXPECT_EQ(peer.answer(), QStringLiteral("ok\t%1\t").arg(count));
        first += count;
        EXPECT_EQ(rows(), first);
        EXPECT_FALSE(QFile::exists(file(transientName)));
    }
}

// SQLite's own locks on the file belong to the process and go whenever any descriptor of the file is
// closed; the mark of the file in use must outlast the handles the process opens, closes and lets go.
TEST_F(OtherProcessTest, TheMarkOutlastsTheHandlesTheProcessClosesAndLetsGoOf)
{
    db::Connection cn;
    cn.openPath(path);
    cn.execute(insert(1));
    {
        db::Connection second;
        second.openPath(path);
        second.execute(insert(2));
    }
    files::copy(path, file(QStringLiteral("backup.mdb"))); // lets go of the handle of `cn`
    ASSERT_EQ(cn.state()->db, nullptr);

    fixtures::DbPeer peer;
    const QString inUse = QStringLiteral("error\t文件正在使用：") + path;
    EXPECT_EQ(peer.call({QStringLiteral("compact"), path, transientName}), inUse);
    EXPECT_EQ(peer.call({QStringLiteral("remove"), path}), inUse);
    EXPECT_EQ(peer.call({QStringLiteral("copy"), file(QStringLiteral("backup.mdb")), path}), inUse);
    cn.execute(insert(3));
    EXPECT_EQ(rows(), 3);

    cn.close();
    EXPECT_EQ(peer.call({QStringLiteral("compact"), path, transientName}), QStringLiteral("ok\tCompacted"));
    EXPECT_EQ(rows(), 3);
}

TEST_F(OtherProcessTest, AProcessKilledWithTheFileOpenLeavesItFree)
{
    {
        fixtures::DbPeer peer;
        ASSERT_EQ(peer.call({QStringLiteral("open"), path}), ok);
        ASSERT_EQ(peer.call({QStringLiteral("exec"), insert(1)}), oneRow);
        peer.kill();
    }
    EXPECT_EQ(db::compact(path, transientName), CompactResult::Compacted);
    EXPECT_EQ(rows(), 1);
}

// Another program (the sqlite3 tool, say) knows nothing of the program's marks of use: SQLite's own lock
// on the file is what keeps its rows while the file is compacted.
TEST_F(OtherProcessTest, APlainSqliteWriterLosesNoRowToACompaction)
{
    fixtures::makeLargeWithFreePages(path);
    fixtures::DbPeer writer;
    ASSERT_EQ(writer.call({QStringLiteral("rawopen"), path}), ok);
    // The writer commits until it is told to stop: before, during and after the compaction.
    const QString stop = file(QStringLiteral("stop"));
    writer.send({QStringLiteral("rawcommit"), QStringLiteral("100000"), QStringLiteral("INSERT INTO t VALUES (?)"),
                 QStringLiteral("2"), stop});
    // A read finds no rows while a commit holds the file. The deadline only guards against a hang.
    const auto waitForRows = [&](int atLeast) {
        int n = 0;
        for (QDeadlineTimer deadline(120000); (n = rows()) < atLeast && !deadline.hasExpired();)
            QThread::msleep(1);
        return n;
    };
    ASSERT_GE(waitForRows(1), 1);
    EXPECT_EQ(db::compact(path, transientName), CompactResult::Compacted);
    EXPECT_FALSE(writer.answered(0)) << "the writer was still at work after the compaction";
    const int compacted = waitForRows(1);
    EXPECT_GT(waitForRows(compacted + 1), compacted) << "the writer goes on writing after the compaction";
    ASSERT_TRUE(QFile(stop).open(QIODevice::WriteOnly));
    ASSERT_TRUE(writer.answered(120000));
    const QStringList answer = writer.answer().split(QLatin1Char('\t'));
    ASSERT_EQ(answer.size(), 3);
    EXPECT_EQ(answer[2], QString()) << "every write of the other program succeeded";
    const QStringList committed = answer[1].split(QLatin1Char(','), Qt::SkipEmptyParts);
    EXPECT_EQ(committed.size(), rows());
    for (const QString& n : committed)
        ASSERT_EQ(fixtures::probe(path, QStringLiteral("SELECT count(*) FROM t WHERE n = %1").arg(n)).toInt(), 1)
            << "row " << n.toStdString() << " was reported committed";
    // Its connection goes on writing into the file, which was never replaced under it.
    EXPECT_EQ(writer.call({QStringLiteral("rawcommit"), QStringLiteral("1"),
                           QStringLiteral("INSERT INTO t VALUES (? + 1000000)"), QStringLiteral("0")}),
              QStringLiteral("ok\t1\t"));
    EXPECT_EQ(rows(), committed.size() + 1);
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(fixtures::freePages(path), 0);
}

// Compactions killed at points drawn over their writes (two of them half way through writing the
// compacted pages into the file): the file is whole each time, no copy of it is left beside it, and the
// next compaction gives its pages back.
TEST_F(OtherProcessTest, AKilledCompactionLeavesTheFileWholeAndNoCopy)
{
    ASSERT_TRUE(fixtures::interruptCompaction(path, transientName));
    ASSERT_TRUE(fixtures::interruptCompaction(path, transientName));
    const int bulk = fixtures::probe(path, QStringLiteral("SELECT count(*) FROM bulk")).toInt();
    EXPECT_GT(bulk, 20000);
    fixtures::KillDraws draws;
    for (int trial = 0; trial < 6; ++trial) {
        fixtures::exec(path, QStringLiteral("DELETE FROM bulk WHERE rowid IN (SELECT rowid FROM bulk LIMIT 50)"));
        const int rowsBefore = fixtures::probe(path, QStringLiteral("SELECT count(*) FROM bulk")).toInt();
        const QStringList points = fixtures::compactionPoints(path, transientName);
        const long long at = draws.draw(points.size());
        SCOPED_TRACE(draws.describe(trial, at, points));
        fixtures::DbPeer peer(fixtures::killingAt(at));
        peer.send({QStringLiteral("compact"), path, transientName});
        EXPECT_TRUE(peer.killedByPoint());
        EXPECT_EQ(fixtures::probe(path, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT count(*) FROM bulk")).toInt(), rowsBefore);
    }
    QString keptAs, keptFrom;
    EXPECT_EQ(db::compact(path, transientName, &keptAs, &keptFrom), CompactResult::Compacted);
    EXPECT_TRUE(keptAs.isEmpty()) << keptAs.toStdString();
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/Data")).entryList(QDir::Files),
              QStringList{QStringLiteral("qelvdw.mdb")});
    EXPECT_EQ(fixtures::freePages(path), 0);
}

// A program killed in the middle of a large write leaves part of it in the file and the rest in its
// journal; a copy of the bytes alone would be neither the old database nor the new one.
TEST_F(OtherProcessTest, ACopyOfAFileAKilledWriterLeftIsItsCommittedContent)
{
    fixtures::makeLargeWithFreePages(path);
    const QString committed = QStringLiteral("SELECT hex(substr(b, 1, 16)) FROM bulk WHERE rowid = 105");
    const QString before = fixtures::probe(path, committed).toString();
    {
        fixtures::DbPeer peer;
        ASSERT_EQ(peer.call({QStringLiteral("open"), path}), ok);
        ASSERT_EQ(peer.call({QStringLiteral("exec"), QStringLiteral("BEGIN")}), QStringLiteral("ok\t0"));
        // Far more than the page cache holds: SQLite writes changed pages into the file before the commit.
        ASSERT_TRUE(
            peer.call({QStringLiteral("exec"), QStringLiteral("UPDATE bulk SET b = randomblob(1000)")}).startsWith(ok));
        ASSERT_GT(QFileInfo(path + QStringLiteral("-journal")).size(), 0);
        peer.kill();
    }
    const QString copy = file(QStringLiteral("qelvdata2026_4.mdb"));
    db::copyDatabase(path, copy);
    EXPECT_EQ(fixtures::probe(copy, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    EXPECT_EQ(fixtures::probe(copy, committed).toString(), before);
    EXPECT_EQ(fixtures::probe(path, committed).toString(), before);
}

TEST_F(OtherProcessTest, ATransientFileOfWhichNothingIsKnownIsKeptWithoutAName)
{
    QFile left(file(transientName));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write("left by some other tool");
    left.close();
    QString keptAs, keptFrom;
    EXPECT_EQ(db::compact(path, transientName, &keptAs, &keptFrom), CompactResult::Compacted);
    EXPECT_TRUE(QFile::exists(keptAs));
    EXPECT_EQ(bytesOf(keptAs), QByteArray("left by some other tool"));
    EXPECT_TRUE(keptFrom.isEmpty()) << keptFrom.toStdString();
}

} // namespace
