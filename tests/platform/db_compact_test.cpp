#include "platform/db/compact.h"
#include "tests/platform/db_fixture.h"

#include "platform/files/files.h"

#include <QFile>
#include <QFileInfo>

using db::CompactResult;
using dbtest::connectionText;
using dbtest::dbError;

namespace {

const QString transientName = QStringLiteral("qelvbbk.mdb");

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

TEST_F(CompactTest, ReplacesTheFileByItsCompactedCopy)
{
    // The list names the file in another case than it is spelled on disk.
    EXPECT_EQ(db::compact(file(QStringLiteral("QELVDWZNJ.mdb")), transientName), CompactResult::Compacted);
    EXPECT_EQ(fixtures::freePages(path), 0);
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT DanWeiBianHao FROM ZNJ0012")),
              QVariant(QStringLiteral("0012")));
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
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
        db::Connection cn(connectionText(path));
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
    EXPECT_EQ(db::compact(path, transientName, &keptAgain), CompactResult::Compacted);
    EXPECT_NE(keptAgain, kept);
    EXPECT_EQ(bytesOf(kept), QByteArray("the only copy"));
    EXPECT_EQ(bytesOf(keptAgain), QByteArray("another"));
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("QELVBBK.MDB"))));
}

TEST_F(CompactTest, AFailureLeavesTheOriginalAsItWas)
{
    const struct {
        const char* what;
        bool corrupt; // damage the file itself
        const char* transient; // else a transient that cannot be written
    } cases[] = {
        {"a damaged file", true, "qelvbbk.mdb"},
        {"a transient that cannot be written", false, "no-such-folder/qelvbbk.mdb"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.corrupt) {
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.seek(4096); // the second page onward: the header stays, the tables are garbage
            f.write(QByteArray(8192, '\x5a'));
        }
        const QByteArray before = bytesOf(path);
        const QString message = dbError([&] { db::compact(path, QString::fromUtf8(c.transient)); });
        EXPECT_TRUE(message.contains(QStringLiteral("qelvdwznj.mdb"))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("原文件未改变"))) << message.toStdString();
        EXPECT_EQ(bytesOf(path), before);
        EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
    }
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
    EXPECT_EQ(dbError([&] { db::Connection cn(connectionText(path)); }), damaged);
    const QString message = dbError([&] { db::compact(path, transientName); });
    EXPECT_TRUE(message.contains(damaged)) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("原文件未改变"))) << message.toStdString();
    EXPECT_EQ(QFileInfo(path).size(), 0);
    EXPECT_EQ(dataFiles(), QStringList{QStringLiteral("qelvdwznj.mdb")});
}

} // namespace
