#include "platform/files/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

template <typename F> QString filesError(F&& f)
{
    try {
        f();
    } catch (const files::Error& e) {
        return e.description();
    }
    return QStringLiteral("<no error>");
}

// Stands for a database connection: counts how often it was asked to let go, or refuses as a
// connection in the middle of a transaction does.
struct Holder : files::HandleHolder {
    int released = 0;
    bool busy = false;
    void releaseHandle() override
    {
        if (busy)
            throw files::Error(QStringLiteral("文件正在使用：test"));
        ++released;
    }
};

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("Data"));
        data = dir.path() + QStringLiteral("/Data");
        oldHome = qgetenv("QELV_HOME");
        qputenv("QELV_HOME", dir.path().toUtf8());
    }
    void TearDown() override { qputenv("QELV_HOME", oldHome); }
    QString at(const QString& name) const { return data + QLatin1Char('/') + name; }

    QTemporaryDir dir;
    QString data;
    QByteArray oldHome;
};

TEST_F(FilesTest, ProgramAndDataFolderFollowQelvHome)
{
    EXPECT_EQ(files::appPath(), QDir::cleanPath(dir.path()));
    EXPECT_EQ(files::dataFolder(), data);
    EXPECT_EQ(files::dataFile(QStringLiteral("qelvdw.mdb")), at(QStringLiteral("qelvdw.mdb")));
}

TEST_F(FilesTest, NamesThatDifferOnlyInCaseFindTheSameFile)
{
    write(at(QStringLiteral("qelvSetUp.mdb")), "setup");
    write(at(QStringLiteral("QELVKZTMP.MDB")), "kz");
    const struct {
        const char* asked;
        const char* found;
    } cases[] = {
        {"qelvSetUp.mdb", "qelvSetUp.mdb"}, {"qelvsetup.mdb", "qelvSetUp.mdb"}, {"QELVSETUP.MDB", "qelvSetUp.mdb"},
        {"qelvkztmp.mdb", "QELVKZTMP.MDB"}, {"QelvKzTmp.Mdb", "QELVKZTMP.MDB"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        const QString asked = QString::fromUtf8(c.asked);
        EXPECT_EQ(files::resolve(at(asked)), at(QString::fromUtf8(c.found)));
        EXPECT_EQ(files::dataFile(asked), at(QString::fromUtf8(c.found)));
        EXPECT_TRUE(files::exists(at(asked)));
        EXPECT_EQ(files::trackingKey(at(asked)), files::trackingKey(at(QString::fromUtf8(c.found))));
    }
    // The folder itself is matched the same way.
    EXPECT_EQ(files::resolve(dir.path() + QStringLiteral("/DATA/QELVSETUP.MDB")), at(QStringLiteral("qelvSetUp.mdb")));
}

TEST_F(FilesTest, AMissingFileKeepsTheSpellingGivenBehindTheFoldersThatExist)
{
    EXPECT_FALSE(files::exists(at(QStringLiteral("qelvdata2003_5.mdb"))));
    EXPECT_EQ(files::resolve(dir.path() + QStringLiteral("/data/qelvData2003_5.mdb")),
              at(QStringLiteral("qelvData2003_5.mdb")));
}

TEST_F(FilesTest, TheExactSpellingWinsWhenTwoFilesDifferOnlyInCase)
{
    write(at(QStringLiteral("a.mdb")), "lower");
    write(at(QStringLiteral("A.mdb")), "upper");
    EXPECT_EQ(files::resolve(at(QStringLiteral("A.mdb"))), at(QStringLiteral("A.mdb")));
    EXPECT_EQ(files::resolve(at(QStringLiteral("a.mdb"))), at(QStringLiteral("a.mdb")));
    // Another spelling picks one of them the same way every time: the first in name order.
    EXPECT_EQ(files::resolve(at(QStringLiteral("a.MDB"))), at(QStringLiteral("A.mdb")));
}

TEST_F(FilesTest, CopyOverwritesAndLeavesNoPartialFile)
{
    write(at(QStringLiteral("qelvdwwrwtmp.mdb")), "template");
    write(at(QStringLiteral("qelvdata2003_5.mdb")), "old month");
    files::copy(at(QStringLiteral("QELVDWWRWTMP.MDB")), at(QStringLiteral("qelvData2003_5.mdb")));
    EXPECT_EQ(read(at(QStringLiteral("qelvdata2003_5.mdb"))), "template");
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("qelvData2003_5.mdb")))); // the existing spelling was kept
    EXPECT_EQ(QDir(data).entryList(QDir::Files).size(), 2);
    files::copy(at(QStringLiteral("qelvdwwrwtmp.mdb")), at(QStringLiteral("qelvdata2003_6.mdb")));
    EXPECT_EQ(read(at(QStringLiteral("qelvdata2003_6.mdb"))), "template");
}

TEST_F(FilesTest, FailuresAreReportedInChinese)
{
    write(at(QStringLiteral("a.mdb")), "a");
    write(at(QStringLiteral("b.mdb")), "b");
    EXPECT_TRUE(filesError([&] {
                    files::copy(at(QStringLiteral("none.mdb")), at(QStringLiteral("x.mdb")));
                }).startsWith(QStringLiteral("文件未找到")));
    EXPECT_TRUE(filesError([&] {
                    files::rename(at(QStringLiteral("none.mdb")), at(QStringLiteral("x.mdb")));
                }).startsWith(QStringLiteral("文件未找到")));
    EXPECT_TRUE(
        filesError([&] { files::remove(at(QStringLiteral("none.mdb"))); }).startsWith(QStringLiteral("文件未找到")));
    EXPECT_TRUE(filesError([&] {
                    files::rename(at(QStringLiteral("a.mdb")), at(QStringLiteral("B.MDB")));
                }).startsWith(QStringLiteral("文件已存在")));
    EXPECT_EQ(read(at(QStringLiteral("a.mdb"))), "a");
    EXPECT_EQ(read(at(QStringLiteral("b.mdb"))), "b");
    EXPECT_NE(filesError([&] { files::copy(at(QStringLiteral("a.mdb")), at(QStringLiteral("A.MDB"))); }),
              QStringLiteral("<no error>"));
    EXPECT_EQ(read(at(QStringLiteral("a.mdb"))), "a");
}

TEST_F(FilesTest, RenameAndRemove)
{
    write(at(QStringLiteral("qelvdw.mdb")), "dw");
    files::rename(at(QStringLiteral("QELVDW.MDB")), at(QStringLiteral("qelvbbk.mdb")));
    EXPECT_FALSE(files::exists(at(QStringLiteral("qelvdw.mdb"))));
    EXPECT_EQ(read(at(QStringLiteral("qelvbbk.mdb"))), "dw");
    // Only the letter case changes: allowed, the file takes the new spelling.
    files::rename(at(QStringLiteral("qelvbbk.mdb")), at(QStringLiteral("QELVBBK.mdb")));
    EXPECT_EQ(QDir(data).entryList(QDir::Files), QStringList{QStringLiteral("QELVBBK.mdb")});
    files::remove(at(QStringLiteral("qelvbbk.MDB")));
    EXPECT_TRUE(QDir(data).entryList(QDir::Files).isEmpty());
}

TEST_F(FilesTest, WriteFileLeavesExactlyItsBytesAndReadFileGivesThemBack)
{
    write(at(QStringLiteral("Infile.txt")), QByteArray(200, 'x'));
    files::writeFile(at(QStringLiteral("INFILE.TXT")), QByteArray("abc\r"));
    EXPECT_EQ(QDir(data).entryList(QDir::Files), QStringList{QStringLiteral("Infile.txt")}) << "the file of any case";
    EXPECT_EQ(read(at(QStringLiteral("Infile.txt"))), QByteArray("abc\r")) << "the longer old content is gone";
    EXPECT_EQ(files::readFile(at(QStringLiteral("infile.txt"))), QByteArray("abc\r"));
    files::writeFile(at(QStringLiteral("new.txt")), QByteArray());
    EXPECT_EQ(files::readFile(at(QStringLiteral("new.txt"))), QByteArray());
    EXPECT_TRUE(
        filesError([&] { files::readFile(at(QStringLiteral("none.txt"))); }).startsWith(QStringLiteral("文件未找到")));
    EXPECT_NE(filesError([&] { files::writeFile(at(QStringLiteral("no/such/folder.txt")), "a"); }),
              QStringLiteral("<no error>"));
}

TEST_F(FilesTest, ReplaceSwapsTheFileInOneStep)
{
    write(at(QStringLiteral("qelvbbk.mdb")), "compacted");
    write(at(QStringLiteral("qelvdw.mdb")), "original");
    files::replace(at(QStringLiteral("qelvbbk.mdb")), at(QStringLiteral("QELVDW.mdb")));
    EXPECT_EQ(read(at(QStringLiteral("qelvdw.mdb"))), "compacted");
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("qelvbbk.mdb"))));
}

TEST_F(FilesTest, HoldersLetGoBeforeTheirFileIsCopiedRenamedOrRemoved)
{
    write(at(QStringLiteral("qelvdw.mdb")), "dw");
    Holder source, target, other;
    files::track(at(QStringLiteral("qelvdw.mdb")), &source);
    files::track(at(QStringLiteral("QELVDW.MDB")), &source); // another spelling is the same file: no second entry
    files::track(at(QStringLiteral("copy.mdb")), &target);
    files::track(at(QStringLiteral("other.mdb")), &other);
    EXPECT_EQ(files::holderCount(at(QStringLiteral("qelvDW.mdb"))), 1);

    files::copy(at(QStringLiteral("qelvdw.mdb")), at(QStringLiteral("copy.mdb")));
    EXPECT_EQ(source.released, 1);
    EXPECT_EQ(target.released, 1);
    files::rename(at(QStringLiteral("copy.mdb")), at(QStringLiteral("moved.mdb")));
    EXPECT_EQ(target.released, 2);
    files::remove(at(QStringLiteral("QELVDW.mdb")));
    EXPECT_EQ(source.released, 2);
    EXPECT_EQ(other.released, 0);

    files::untrack(at(QStringLiteral("qelvdw.mdb")), &source);
    files::untrack(at(QStringLiteral("copy.mdb")), &target);
    files::untrack(at(QStringLiteral("other.mdb")), &other);
    EXPECT_EQ(files::holderCount(at(QStringLiteral("qelvdw.mdb"))), 0);
}

TEST_F(FilesTest, AHolderThatCannotLetGoStopsTheOperationBeforeAnythingChanges)
{
    write(at(QStringLiteral("qelvdw.mdb")), "dw");
    write(at(QStringLiteral("copy.mdb")), "old copy");
    Holder busy;
    busy.busy = true;
    files::track(at(QStringLiteral("copy.mdb")), &busy);
    EXPECT_TRUE(filesError([&] {
                    files::copy(at(QStringLiteral("qelvdw.mdb")), at(QStringLiteral("copy.mdb")));
                }).startsWith(QStringLiteral("文件正在使用")));
    EXPECT_TRUE(
        filesError([&] { files::remove(at(QStringLiteral("copy.mdb"))); }).startsWith(QStringLiteral("文件正在使用")));
    EXPECT_EQ(read(at(QStringLiteral("copy.mdb"))), "old copy");
    files::untrack(at(QStringLiteral("copy.mdb")), &busy);
}

TEST_F(FilesTest, AJournalLeftBesideAReplacedFileGoesWithTheOldContent)
{
    // A rollback journal left by an interrupted write would be played back into whatever file next
    // takes the name.
    write(at(QStringLiteral("qelvdwwrwtmp.mdb")), "template");
    write(at(QStringLiteral("qelvdata2003_5.mdb")), "old month");
    write(at(QStringLiteral("qelvdata2003_5.mdb-journal")), "journal of the old month");
    files::copy(at(QStringLiteral("qelvdwwrwtmp.mdb")), at(QStringLiteral("qelvdata2003_5.mdb")));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("qelvdata2003_5.mdb-journal"))));

    write(at(QStringLiteral("qelvkz2003.mdb-journal")), "stale");
    write(at(QStringLiteral("qelvkz2003.mdb")), "kz");
    files::remove(at(QStringLiteral("qelvkz2003.mdb")));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("qelvkz2003.mdb-journal"))));
}

} // namespace
