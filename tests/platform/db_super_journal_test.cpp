// Super-journals that a multi-file commit killed half way leaves in the data folder: those no rollback
// journal names go, those a journal names stay for SQLite to decide by them, and nothing goes while
// another program is in the middle of a write.
#include "platform/db/super_journals.h"
#include "tests/fixtures/db_peer.h"
#include "tests/fixtures/kill_points.h"
#include "tests/platform/db_fixture.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

const QByteArray journalMagic = QByteArray::fromHex("d9d505f920a163d7");

class SuperJournalTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        for (const char* name : {"qelvkz2003.mdb", "qelvdwznj.mdb"})
            make(QString::fromLatin1(name),
                 QStringLiteral("CREATE TABLE t (n INTEGER, b BLOB); INSERT INTO t VALUES (0, NULL);"));
    }
    QString folder() const { return dir.path() + QStringLiteral("/Data"); }
    void write(const QString& name, const QByteArray& bytes) const
    {
        QFile f(file(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // A super-journal as SQLite writes it: the paths of the journals, each ended by a NUL byte.
    QByteArray listing(const QStringList& journals) const
    {
        QByteArray bytes;
        for (const QString& j : journals)
            bytes += QFile::encodeName(file(j)) + '\0';
        return bytes;
    }
    // A rollback journal of a commit stopped half way: a header, a page, and, when given, the name of its
    // super-journal at its end (lock page, name, length, checksum, magic), as SQLite writes it.
    // With `synced` false its header is not written yet (its magic number all zero): SQLite never plays
    // it back.
    QByteArray journal(const QString& superJournal = QString(), bool synced = true) const
    {
        QByteArray bytes =
            (synced ? journalMagic : QByteArray(8, '\0')) + QByteArray(504, '\1') + QByteArray(4096 + 8, '\2');
        if (superJournal.isEmpty())
            return bytes;
        const QByteArray name = QFile::encodeName(file(superJournal));
        quint32 sum = 0;
        for (char c : name)
            sum += static_cast<quint32>(static_cast<signed char>(c));
        const auto be32 = [](quint32 v) {
            QByteArray b(4, '\0');
            qToBigEndian(v, b.data());
            return b;
        };
        return bytes + be32(262145) + name + be32(static_cast<quint32>(name.size())) + be32(sum) + journalMagic;
    }
    QStringList left() const { return QDir(folder()).entryList(QDir::Files, QDir::Name); }
};

TEST_F(SuperJournalTest, OnlyThoseNoJournalNamesAreRemoved)
{
    // Both journals rolled back and gone: nothing names it.
    write(QStringLiteral("qelvkz2003.mdb-mj1A2B3C901"),
          listing({QStringLiteral("qelvkz2003.mdb-journal"), QStringLiteral("qelvdwznj.mdb-journal")}));
    // Named at the end of a journal still there: SQLite needs it to play that journal back.
    write(QStringLiteral("qelvkz2003.mdb-mjABCDEF902"), listing({QStringLiteral("qelvdwznj.mdb-journal")}));
    write(QStringLiteral("qelvdwznj.mdb-journal"), journal(QStringLiteral("qelvkz2003.mdb-mjABCDEF902")));
    // Killed before any journal named it: its journal is played back on its own.
    write(QStringLiteral("qelvdwznj.mdb-mj000000903"), listing({QStringLiteral("qelvkz2003.mdb-journal")}));
    write(QStringLiteral("qelvkz2003.mdb-journal"), journal());
    // Named only by a journal that SQLite never plays back.
    make(QStringLiteral("qelvdw.mdb"), QStringLiteral("CREATE TABLE t (n INTEGER);"));
    write(QStringLiteral("qelvdw.mdb-mj0000AB905"), listing({QStringLiteral("qelvdw.mdb-journal")}));
    write(QStringLiteral("qelvdw.mdb-journal"), journal(QStringLiteral("qelvdw.mdb-mj0000AB905"), false));
    // Names that only look like one.
    write(QStringLiteral("qelvkz2003.mdb-mjnotes"), "notes");
    write(QStringLiteral("qelvkz2003.mdb-mj"), "");

    EXPECT_EQ(db::removeStaleSuperJournals(folder()),
              (QStringList{QStringLiteral("qelvdw.mdb-mj0000AB905"), QStringLiteral("qelvdwznj.mdb-mj000000903"),
                           QStringLiteral("qelvkz2003.mdb-mj1A2B3C901")}));
    EXPECT_EQ(left(),
              (QStringList{QStringLiteral("qelvdw.mdb"), QStringLiteral("qelvdw.mdb-journal"),
                           QStringLiteral("qelvdwznj.mdb"), QStringLiteral("qelvdwznj.mdb-journal"),
                           QStringLiteral("qelvkz2003.mdb"), QStringLiteral("qelvkz2003.mdb-journal"),
                           QStringLiteral("qelvkz2003.mdb-mj"), QStringLiteral("qelvkz2003.mdb-mjABCDEF902"),
                           QStringLiteral("qelvkz2003.mdb-mjnotes")}));
}

// Another program in the middle of a write (its journal beside the file, its reserved lock on it) may
// be about to name a super-journal in that journal: none goes until it has done.
TEST_F(SuperJournalTest, NoneGoesWhileAnotherProgramWrites)
{
    write(QStringLiteral("qelvkz2003.mdb-mj1A2B3C901"), listing({QStringLiteral("qelvkz2003.mdb-journal")}));
    fixtures::DbPeer peer;
    ASSERT_EQ(peer.call({QStringLiteral("rawopen"), file(QStringLiteral("qelvdwznj.mdb"))}), QStringLiteral("ok"));
    ASSERT_EQ(peer.call({QStringLiteral("rawexec"), QStringLiteral("BEGIN; UPDATE t SET n = 1")}),
              QStringLiteral("ok"));
    ASSERT_TRUE(QFile::exists(file(QStringLiteral("qelvdwznj.mdb-journal"))));
    EXPECT_EQ(db::removeStaleSuperJournals(folder()), QStringList());
    EXPECT_TRUE(QFile::exists(file(QStringLiteral("qelvkz2003.mdb-mj1A2B3C901"))));

    ASSERT_EQ(peer.call({QStringLiteral("rawexec"), QStringLiteral("COMMIT")}), QStringLiteral("ok"));
    EXPECT_EQ(db::removeStaleSuperJournals(folder()), QStringList{QStringLiteral("qelvkz2003.mdb-mj1A2B3C901")});
    EXPECT_EQ(fixtures::probe(file(QStringLiteral("qelvdwznj.mdb")), QStringLiteral("SELECT n FROM t")).toInt(), 1);
}

// Commits over three files killed at points drawn over their writes: the super-journals removed at the
// next start are never ones SQLite still needs, so the three files always agree on the last commit, each
// passes its integrity check, and once SQLite has played the journals back no super-journal is left.
TEST_F(SuperJournalTest, AfterACommitKilledAtAnyPointTheFilesAgreeAndNoSuperJournalStays)
{
    make(QStringLiteral("qelvdw.mdb"),
         QStringLiteral("CREATE TABLE t (n INTEGER, b BLOB); INSERT INTO t VALUES (0, NULL);"));
    const QStringList names{QStringLiteral("qelvdw.mdb"), QStringLiteral("qelvkz2003.mdb"),
                            QStringLiteral("qelvdwznj.mdb")};
    QStringList command{QStringLiteral("multicommit"), QStringLiteral("3")};
    for (const QString& name : names)
        command << file(name);
    const fixtures::FolderCopy before(folder());
    // Three commits of the three files, unkilled, list the points.
    fixtures::PointListing listing;
    {
        fixtures::DbPeer peer(listing.counting());
        peer.send(command);
        for (int n = 1; n <= 3; ++n) {
            ASSERT_TRUE(peer.answered(60000)) << "the commits stopped";
            ASSERT_EQ(peer.answer(), QStringLiteral("ok\t%1").arg(n));
        }
    }
    const QStringList points = listing.points();
    ASSERT_GT(points.size(), 10);

    fixtures::KillDraws draws;
    int removedAny = 0;
    for (int trial = 0; trial < 12; ++trial) {
        before.restore();
        const long long at = draws.draw(points.size());
        SCOPED_TRACE(draws.describe(trial, at, points));
        int committed = 0;
        {
            fixtures::DbPeer peer(fixtures::killingAt(at));
            peer.send(command);
            EXPECT_TRUE(peer.killedByPoint());
            while (peer.answered(0))
                committed = peer.answer().mid(3).toInt();
        }
        // At the start, before any file is opened.
        removedAny += static_cast<int>(db::removeStaleSuperJournals(folder()).size());
        QStringList values;
        for (const QString& name : names) {
            EXPECT_EQ(fixtures::probe(file(name), QStringLiteral("PRAGMA integrity_check")).toString(),
                      QStringLiteral("ok"))
                << name.toStdString();
            values << fixtures::probe(file(name), QStringLiteral("SELECT n FROM t")).toString();
        }
        EXPECT_EQ(values, QStringList(3, values[0])) << "the files disagree";
        const int n = values[0].toInt();
        EXPECT_TRUE(n == committed || n == committed + 1) << n << " after " << committed << " reported";
        // A journal that SQLite does not take for hot (killed before its header was written) may stay
        // until the file's next write; a super-journal may not.
        db::removeStaleSuperJournals(folder());
        for (const QString& left : left())
            EXPECT_FALSE(left.contains(QStringLiteral("-mj"))) << left.toStdString();
    }
    RecordProperty("stale_removed", removedAny);
}

} // namespace
