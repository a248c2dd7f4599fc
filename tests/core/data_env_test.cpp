// The data environment of the reports: each connection on the file of the operating month or year,
// else on its template; nothing opened until a command is read; the related commands; a new month
// after logging in again.
#include "qelv/core/data_env.h"

#include "platform/db/connection.h"
#include "platform/report/report.h"
#include "platform/report/report_data.h"
#include "qelv/core/Module1.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QFile>
#include <stdexcept>

namespace {

class DataEnvTest : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::setStartupDefaults();
        Module1::gWorkMonth = QDate(2003, 5, 1);
    }
    void TearDown() override
    {
        DataEnv::unload();
        ProgramFolderTest::TearDown();
    }
    // A file of that name made from a shipped database (the format matters only to commands read).
    void make(const QString& name, const QString& from = QStringLiteral("qelvDataPrint.mdb")) const
    {
        folder->copyShipped(from, name);
    }
};

// "parent: child, child; parent: ..." of a related command.
QString related(report::RowSource& rows, const QString& parentField, const QString& childField)
{
    auto& parents = dynamic_cast<report::ParentSource&>(rows);
    QStringList out;
    for (; !parents.atEnd(); parents.next()) {
        QStringList children;
        for (auto c = parents.children(); !c->atEnd(); c->next())
            children << c->value(childField).toString();
        out << parents.value(parentField).toString() + QStringLiteral(": ") + children.join(QStringLiteral(", "));
    }
    return out.join(QStringLiteral("; "));
}

TEST_F(DataEnvTest, EachConnectionTakesTheMonthsFileOrItsTemplate)
{
    struct Case {
        const char* connection;
        const char* monthFile;
        const char* fallback;
    };
    const Case cases[] = {
        {"Conn", "qelvfpPrint2003_5.mdb", "qelvfpPrint.mdb"},
        {"Conn2", "qelvwtPrint2003_5.mdb", "qelvwtPrint.mdb"},
        {"conn3", "qelvdataPrint2003_5.mdb", "qelvDataPrint.mdb"},
        {"Conn4", "qelvkz2003.mdb", "QELVKZTMP.MDB"},
    };
    EXPECT_EQ(DataEnv::connectionNames(), (QStringList{"Conn", "Conn2", "conn3", "Conn4"}));
    {
        DataEnv none;
        for (const Case& c : cases)
            EXPECT_EQ(none.fileOf(c.connection), QString::fromLatin1(c.fallback)) << c.connection;
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.connection);
        make(c.monthFile);
        DataEnv env;
        EXPECT_EQ(env.fileOf(c.connection), QString::fromLatin1(c.monthFile));
        QFile::remove(folder->data(c.monthFile));
    }
    // Names on disk are matched without regard to case.
    make(QStringLiteral("QELVDATAPRINT2003_5.MDB"));
    EXPECT_EQ(DataEnv().fileOf(QStringLiteral("CONN3")), QStringLiteral("qelvdataPrint2003_5.mdb"));
    EXPECT_THROW(DataEnv().fileOf(QStringLiteral("Conn5")), DataEnv::Error);
}

TEST_F(DataEnvTest, NothingIsOpenedUntilACommandIsRead)
{
    make(QStringLiteral("qelvdataPrint2003_5.mdb"));
    fixtures::exec(folder->data("qelvdataPrint2003_5.mdb"),
                   QStringLiteral("insert into dw values ('10', '十号厂'); insert into dw values ('9', '九号厂');"
                                  "insert into dw values ('11', '无数据厂');"
                                  "insert into ShuJu (DanWeiBianHao, WuRanWuMingCheng) values ('9', '乙');"
                                  "insert into ShuJu (DanWeiBianHao, WuRanWuMingCheng) values ('10', '丙');"
                                  "insert into ShuJu (DanWeiBianHao, WuRanWuMingCheng) values ('9', '甲');"));
    DataEnv env;
    for (const QString& c : DataEnv::connectionNames())
        EXPECT_FALSE(env.isOpen(c)) << c.toStdString();
    auto rows = env.command(QStringLiteral("Command4"));
    EXPECT_TRUE(env.isOpen(QStringLiteral("conn3")));
    EXPECT_FALSE(env.isOpen(QStringLiteral("Conn")));
    EXPECT_FALSE(env.isOpen(QStringLiteral("Conn4")));
    // Parents and children in their tables' order, unsorted; a parent without children keeps its row.
    EXPECT_EQ(related(*rows, "DanWeiMingCheng", "WuRanWuMingCheng"),
              QStringLiteral("十号厂: 丙; 九号厂: 乙, 甲; 无数据厂: "));
}

TEST_F(DataEnvTest, TheSixCommands)
{
    EXPECT_EQ(DataEnv::commandNames(),
              (QStringList{"Command1", "Command2", "Command3", "Command4", "Command5", "Command6"}));
    make(QStringLiteral("qelvfpPrint2003_5.mdb"), QStringLiteral("qelvfpPrint.mdb"));
    fixtures::exec(folder->data("qelvfpPrint2003_5.mdb"),
                   QStringLiteral("insert into KPDW (DanWeiBianHao) values ('0012');"
                                  "insert into MX (DanWeiBianHao) values ('0012');"
                                  "insert into MX (DanWeiBianHao) values ('0012');"));
    // A row of the statistics query's table in the year's file.
    make(QStringLiteral("qelvkz2003.mdb"), QStringLiteral("QELVKZTMP.MDB"));
    fixtures::exec(folder->data("qelvkz2003.mdb"), QStringLiteral("insert into tjk (DanWeiBianHao) values ('7');"));
    make(QStringLiteral("qelvwtPrint2003_5.mdb"), QStringLiteral("qelvdwwrwtemp.mdb"));
    fixtures::exec(folder->data("qelvwtPrint2003_5.mdb"),
                   QStringLiteral("create table WTDW (DanWeiBianHao text); insert into WTDW values ('8');"));

    DataEnv env;
    auto invoices = env.command(QStringLiteral("command1"));
    EXPECT_EQ(related(*invoices, "DanWeiBianHao", "DanWeiBianHao"), QStringLiteral("0012: 0012, 0012"));
    auto statistics = env.command(QStringLiteral("Command6"));
    ASSERT_FALSE(statistics->atEnd());
    EXPECT_EQ(statistics->value("DanWeiBianHao").toString(), QStringLiteral("7"));
    EXPECT_EQ(dynamic_cast<report::ParentSource*>(statistics.get()), nullptr);
    auto collections = env.command(QStringLiteral("Command3"));
    EXPECT_EQ(collections->value("DanWeiBianHao").toString(), QStringLiteral("8"));

    for (const char* name : {"Command2", "Command5", "Command7"})
        EXPECT_THROW(env.command(QString::fromLatin1(name)), DataEnv::Error) << name;
    // A template that lacks the table: the report's own error.
    fixtures::exec(folder->data("QELVKZTMP.MDB"), QStringLiteral("drop table tjk;"));
    Module1::gWorkMonth = QDate(2004, 1, 1);
    EXPECT_THROW(DataEnv().command(QStringLiteral("Command6")), db::Error);
}

TEST_F(DataEnvTest, ANewMonthAfterLoggingInAgain)
{
    make(QStringLiteral("qelvdataPrint2003_5.mdb"));
    make(QStringLiteral("qelvdataPrint2003_6.mdb"));
    EXPECT_FALSE(DataEnv::isLoaded());
    EXPECT_EQ(DataEnv::load().fileOf("conn3"), QStringLiteral("qelvdataPrint2003_5.mdb"));
    EXPECT_EQ(&DataEnv::load(), &DataEnv::load()) << "one shared instance while loaded";
    DataEnv::unload();
    EXPECT_FALSE(DataEnv::isLoaded());

    Module1::gWorkMonth = QDate(2003, 6, 1); // the login rewrites the month in place
    {
        DataEnv::Loaded env;
        EXPECT_EQ(env->fileOf("conn3"), QStringLiteral("qelvdataPrint2003_6.mdb"));
        EXPECT_EQ(env->fileOf("Conn4"), QStringLiteral("QELVKZTMP.MDB"));
    }
    EXPECT_FALSE(DataEnv::isLoaded());

    // Left by an error, the scope still unloads it: the next report reads the month valid then.
    try {
        DataEnv::Loaded env;
        throw std::runtime_error("report error");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(DataEnv::isLoaded());
    Module1::gWorkMonth = QDate(2003, 7, 1);
    EXPECT_EQ(DataEnv::Loaded()->fileOf("conn3"), QStringLiteral("qelvDataPrint.mdb"));
}

} // namespace
