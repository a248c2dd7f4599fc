#include "platform/db/compact.h"
#include "tests/platform/db_fixture.h"

#include "platform/files/files.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

using db::CompactResult;
using dbtest::dbError;

namespace {

const QString transientName = QStringLiteral("qelvbbk.mdb");

ino_t inodeOf(const QString& path)
{
    struct stat st { };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class CompactTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        path = file(QStringLiteral("qelvdwznj.mdb"));
        fixtures::makeFileWithFreePages(path);
        fixtures::exec(path,
                       QStringLiteral("CREATE TABLE \"ZNJ0012\" (\"DanWeiBianHao\" TEXT(20) COLLATE NOCASE);"
                                      "INSERT INTO \"ZNJ0012\" VALUES ('0012');"));
        ASSERT_GT(fixtures::freePages(path), 0);
    }
    QStringList dataFiles() const
    {
        return QDir(dir.path() + QStringLiteral("/Data")).entryList(QDir::Files, QDir::Name);
    }

    QString path;
};

TEST_F(CompactTest, GivesBackTheFreePagesInPlace)
{
    const auto inode = inodeOf(path);
    // The list names the file in another case than it is spelled on disk.
    EXPECT_EQ(db::compact(file(QStringLiteral("QELVDWZNJ.mdb")), transientName), CompactResult::Compacted);
    EXPECT_EQ(fixtures::freePages(path), 0);
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT DanWeiBianHao FROM ZNJ0012")),
              QVariant(QStringLiteral("0012")));
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
    EXPECT_EQ(inodeOf(path), inode) << "the file itself is compacted, never replaced";
}

TEST_F(CompactTest, AFileWithoutFreePagesIsLeftAsItIs)
{
    ASSERT_EQ(db::compact(path, transientName), CompactResult::Compacted);
    const QByteArray compacted = bytesOf(path);
    const QDateTime written = QFileInfo(path).lastModified();
    EXPECT_EQ(db::compact(path, transientName), CompactResult::AlreadyCompact);
    EXPECT_EQ(bytesOf(path), compacted);
    EXPECT_EQ(QFileInfo(path).lastModified(), written);
    // Free pages again: compacted again.
    fixtures::makeFileWithFreePages(path);
    EXPECT_EQ(db::compact(path, transientName), CompactResult::Compacted);
    EXPECT_EQ(fixtures::freePages(path), 0);
}

TEST_F(CompactTest, AMissingFileIsSkipped)
{
    EXPECT_EQ(db::compact(file(QStringLiteral("qelvdata2004_1.mdb")), transientName), CompactResult::Missing);
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
}

TEST_F(CompactTest, AFileAConnectionHoldsIsLeftAlone)
{
    const QByteArray before = bytesOf(path);
    {
        db::Connection cn;
        cn.openPath(path);
        EXPECT_EQ(db::compact(path, transientName), CompactResult::InUse);
        EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM ZNJ0012")).toInt(), 1);
    }
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
    EXPECT_EQ(db::compact(path, transientName), CompactResult::Compacted);
}

TEST_F(CompactTest, ATransientFileAlreadyThereIsKeptUnderANewName)
{
    // Left by an interrupted run: possibly the only copy of some database.
    QFile left(file(QStringLiteral("QELVBBK.MDB")));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write("the only copy");
    left.close();

    QString kept;
    EXPECT_EQ(db::compact(path, transientName, &kept), CompactResult::Compacted);
    EXPECT_TRUE(kept.startsWith(file(QStringLiteral("QELVBBK.MDB.")))) << kept.toStdString();
    EXPECT_TRUE(kept.endsWith(QStringLiteral(".kept")));
    EXPECT_EQ(bytesOf(kept), QByteArray("the only copy"));
    EXPECT_EQ(fixtures::freePages(path), 0);

    // A second left-over in the same second gets a name of its own.
    ASSERT_TRUE(left.open(QIODevice::WriteOnly));
    left.write("another");
    left.close();
    QString keptAgain;
    EXPECT_EQ(db::compact(path, transientName, &keptAgain), CompactResult::AlreadyCompact);
    EXPECT_NE(keptAgain, kept);
    EXPECT_EQ(bytesOf(kept), QByteArray("the only copy"));
    EXPECT_EQ(bytesOf(keptAgain), QByteArray("another"));
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("QELVBBK.MDB"))));
}

TEST_F(CompactTest, ADamagedFileIsLeftAsItWas)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(4096); // the second page onward: the header stays, the tables are garbage
    f.write(QByteArray(8192, '\x5a'));
    f.close();
    const QByteArray before = bytesOf(path);
    const QString message = dbError([&] { db::compact(path, transientName); });
    EXPECT_TRUE(message.contains(QStringLiteral("qelvdwznj.mdb"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("原文件未改变"))) << message.toStdString();
    EXPECT_EQ(bytesOf(path), before);
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
}

// Earlier versions wrote the compacted copy under the transient name, with a note naming the database
// beside it; each copy an interrupted run left was kept, and nothing removed them.
TEST_F(CompactTest, OfTheCopiesKeptOfOneDatabaseOnlyTheNewestStays)
{
    const auto leave = [&](const char* database, const QByteArray& content) {
        QFile left(file(transientName));
        ASSERT_TRUE(left.open(QIODevice::WriteOnly));
        left.write(content);
        left.close();
        QFile note(file(QStringLiteral(".qelvbbk.mdb.from")));
        ASSERT_TRUE(note.open(QIODevice::WriteOnly));
        note.write(database);
    };
    QString kept, from;
    leave("qelvdw.mdb", "first copy of qelvdw");
    EXPECT_EQ(db::compact(path, transientName, &kept, &from), CompactResult::Compacted);
    EXPECT_EQ(from, QStringLiteral("qelvdw.mdb"));
    const QString first = kept;
    leave("qelvwrw.mdb", "a copy of qelvwrw");
    EXPECT_EQ(db::compact(path, transientName, &kept, &from), CompactResult::AlreadyCompact);
    const QString otherDatabase = kept;
    leave("qelvdw.mdb", "second copy of qelvdw");
    EXPECT_EQ(db::compact(path, transientName, &kept, &from), CompactResult::AlreadyCompact);

    EXPECT_FALSE(QFile::exists(first)) << "the older copy of qelvdw.mdb is removed";
    EXPECT_EQ(bytesOf(kept), QByteArray("second copy of qelvdw"));
    EXPECT_EQ(bytesOf(otherDatabase), QByteArray("a copy of qelvwrw"));
    EXPECT_EQ(QDir(dir.path() + QStringLiteral("/Data")).entryList({QStringLiteral("*.kept")}, QDir::Files).size(), 2);
    EXPECT_FALSE(QFile::exists(file(QStringLiteral(".qelvbbk.mdb.from"))));
}

TEST_F(CompactTest, AFileThatIsNoDatabaseIsNotReplaced)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(QByteArray(2048, 'x'));
    f.close();
    EXPECT_TRUE(dbError([&] { db::compact(path, transientName); }).contains(QStringLiteral("不可识别的数据库格式")));
    EXPECT_EQ(bytesOf(path), QByteArray(2048, 'x'));
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
}

TEST_F(CompactTest, AnEmptyFileIsReportedAsDamagedAndStaysEmpty)
{
    // What an interrupted copy or a full disk leaves: SQLite alone would take it for a new database.
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.close();
    const QString damaged = QStringLiteral("不可识别的数据库格式“%1”。").arg(path);
    EXPECT_EQ(dbError([&] {
                  db::Connection cn;
                  cn.openPath(path);
              }),
              damaged);
    const QString message = dbError([&] { db::compact(path, transientName); });
    EXPECT_TRUE(message.contains(damaged)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("原文件未改变"))) << message.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
}

} // namespace
