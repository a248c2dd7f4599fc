// Files attached to one connection: one transaction over all of them, the attached file marked in
// use and let go of like a connection of its own, and its rows refused as the main file's are.
#include "platform/db/connection_state.h"
#include "platform/db/transaction.h"
#include "platform/files/files.h"
#include "tests/fixtures/db_peer.h"
#include "tests/platform/db_fixture.h"

#include <QFile>

using dbtest::dbError;

namespace {

class AttachTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        mainFile = make(QStringLiteral("qelvdw.mdb"),
                        QStringLiteral("CREATE TABLE dw (n TEXT(10) COLLATE NOCASE);"
                                       "INSERT INTO dw VALUES ('001');"));
        other = make(QStringLiteral("qelvkz2026.mdb"),
                     QStringLiteral("CREATE TABLE KPKZK (n TEXT(10) COLLATE NOCASE);"
                                    "INSERT INTO KPKZK VALUES ('001');"));
    }
    QString both() const
    {
        return fixtures::probe(mainFile, QStringLiteral("select group_concat(n) from dw")).toString() + '|' +
            fixtures::probe(other, QStringLiteral("select group_concat(n) from KPKZK")).toString();
    }
    QString mainFile, other;
};

TEST_F(AttachTest, OneTransactionChangesBothFilesOrNeither)
{
    db::Connection cn;
    cn.openPath(mainFile);
    cn.attachPath(other, QStringLiteral("kz"));
    db::inTransaction(cn, [&] {
        cn.execute(QStringLiteral("update dw set n = '101'"));
        cn.execute(QStringLiteral("update kz.KPKZK set n = '101'"));
    });
    EXPECT_EQ(both(), QStringLiteral("101|101"));

    EXPECT_THROW(db::inTransaction(cn,
                                   [&] {
                                       cn.execute(QStringLiteral("update dw set n = '202'"));
                                       cn.execute(QStringLiteral("update kz.KPKZK set n = '202'"));
                                       throw db::Error(QStringLiteral("stopped"));
                                   }),
                 db::Error);
    EXPECT_EQ(both(), QStringLiteral("101|101"));
    EXPECT_FALSE(QFile::exists(other + QStringLiteral("-journal")));
}

TEST_F(AttachTest, TablesAreMadeFoundAndDroppedInTheAttachedFile)
{
    db::Connection cn;
    cn.openPath(mainFile);
    cn.attachPath(other, QStringLiteral("kz"));
    const QList<db::ColumnDef> columns{{QStringLiteral("n"), db::ColumnType::Text, 4, false, false, {}}};
    cn.createTable(QStringLiteral("ZNJ001"), columns, QStringLiteral("kz"));
    EXPECT_TRUE(cn.tableExists(QStringLiteral("znj001"), false, QStringLiteral("kz")));
    EXPECT_FALSE(cn.tableExists(QStringLiteral("ZNJ001")));
    EXPECT_EQ(cn.tableSpelling(QStringLiteral("znj001"), QStringLiteral("kz")), QStringLiteral("ZNJ001"));
    // The attached file's columns refuse what the main file's would.
    EXPECT_TRUE(dbError([&] {
                    cn.execute(QStringLiteral("insert into kz.ZNJ001 values ('12345')"));
                }).contains(QStringLiteral("最多 4 个字符")));
    EXPECT_EQ(fixtures::probe(other, QStringLiteral("select count(*) from ZNJ001")).toInt(), 0);
    cn.dropTable(QStringLiteral("ZNJ001"), QStringLiteral("kz"));
    EXPECT_FALSE(cn.tableExists(QStringLiteral("ZNJ001"), false, QStringLiteral("kz")));
}

TEST_F(AttachTest, AMissingFileIsNotMadeAndNothingIsAttachedInsideATransaction)
{
    db::Connection cn;
    cn.openPath(mainFile);
    const QString missing = file(QStringLiteral("qelvdwznj.mdb"));
    EXPECT_TRUE(dbError([&] { cn.attachPath(missing, QStringLiteral("znj")); }).contains(QStringLiteral("找不到文件")));
    EXPECT_FALSE(QFile::exists(missing));
    cn.beginTransaction();
    EXPECT_NE(dbError([&] { cn.attachPath(other, QStringLiteral("kz")); }), QStringLiteral("<no error>"));
    cn.rollback();
    EXPECT_EQ(files::holderCount(other), 0);
}

TEST_F(AttachTest, TheAttachedFileIsMarkedInUseAndLetGoOfWithTheConnection)
{
    db::Connection cn;
    cn.openPath(mainFile);
    cn.attachPath(other, QStringLiteral("kz"));
    EXPECT_EQ(files::holderCount(other), 1);
    {
        fixtures::DbPeer peer;
        EXPECT_EQ(peer.call({QStringLiteral("remove"), other}), QStringLiteral("error\t文件正在使用：") + other);
    }
    // Copying the attached file lets go of the connection's handle; the next statement opens it again
    // with the file attached as before.
    files::copy(other, file(QStringLiteral("backup.mdb")));
    EXPECT_EQ(cn.state()->db, nullptr);
    EXPECT_EQ(cn.execute(QStringLiteral("update kz.KPKZK set n = '303'")), 1);
    EXPECT_EQ(both(), QStringLiteral("001|303"));

    cn.detach(QStringLiteral("kz"));
    EXPECT_EQ(files::holderCount(other), 0);
    EXPECT_NE(dbError([&] { cn.execute(QStringLiteral("update kz.KPKZK set n = '404'")); }),
              QStringLiteral("<no error>"));
    cn.attachPath(other, QStringLiteral("kz"));
    cn.close();
    EXPECT_EQ(files::holderCount(other), 0);
}

} // namespace
