// Files attached to one connection: one transaction over all of them, the attached file marked in
// use and let go of like a connection of its own, its rows refused as the main file's are, and a file
// of them that another program holds named and waited for.
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

// Another program (the sqlite3 tool, say) in a transaction on one of the files: the program waits for
// it as for a file held in full, announcing the wait, and then names that file, not the connection's
// main file; once the other program lets go during the wait, the work goes through.
TEST_F(AttachTest, AFileAnotherProgramHoldsIsWaitedForAndNamed)
{
    const QString writeMain = QStringLiteral("update dw set n = '101'");
    const QString writeAttached = QStringLiteral("update kz.KPKZK set n = '101'");
    const QString readAttached = QStringLiteral("select count(*) from kz.KPKZK");
    const struct {
        const char* what;
        bool mainHeld;
        const char* begin;
        bool inTransaction; // the statements in one transaction, else each alone
        QStringList statements;
        const char* after; // both() once the work went through
    } cases[] = {
        {"a write to the attached file after one to the main file",
         false,
         "BEGIN IMMEDIATE",
         true,
         {writeMain, writeAttached},
         "101|101"},
        // SQLite does not wait for the right to write a file the transaction has read already.
        {"a write to the attached file after a read of it",
         false,
         "BEGIN IMMEDIATE",
         true,
         {readAttached, writeMain, writeAttached},
         "101|101"},
        {"a write to the main file", true, "BEGIN IMMEDIATE", true, {writeAttached, writeMain}, "101|101"},
        {"a read of a file held from readers", false, "BEGIN EXCLUSIVE", false, {readAttached}, "001|001"},
        // The other program reads: the commit cannot write the file until it has done.
        {"a commit while the other program reads the attached file",
         false,
         "BEGIN; SELECT count(*) FROM KPKZK",
         true,
         {writeMain, writeAttached},
         "101|101"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fixtures::exec(mainFile, QStringLiteral("update dw set n = '001'"));
        fixtures::exec(other, QStringLiteral("update KPKZK set n = '001'"));
        const QString held = c.mainHeld ? mainFile : other;
        db::Connection cn;
        cn.openPath(mainFile);
        cn.attachPath(other, QStringLiteral("kz"));
        const auto work = [&] {
            const auto run = [&] {
                for (const QString& statement : c.statements)
                    cn.execute(statement);
            };
            if (c.inTransaction)
                db::inTransaction(cn, run);
            else
                run();
        };
        {
            fixtures::HeldFile holder(held, QString::fromLatin1(c.begin));
            const QString message = dbError(work);
            EXPECT_TRUE(message.startsWith(QStringLiteral("文件正在使用：") + held + u'（')) << message.toStdString();
            EXPECT_EQ(holder.waits(), QStringList{held});
        }
        EXPECT_EQ(both(), QStringLiteral("001|001"));
        fixtures::HeldFile holder(held, QString::fromLatin1(c.begin));
        holder.releaseWhenWaitedFor();
        EXPECT_EQ(dbError(work), QStringLiteral("<no error>"));
        EXPECT_EQ(holder.waits(), QStringList{held});
        EXPECT_EQ(both(), QString::fromLatin1(c.after));
    }
}

} // namespace
