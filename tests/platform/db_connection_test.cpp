#include "tests/platform/db_fixture.h"

#include "platform/convert/currency.h"
#include "platform/db/connection_state.h"
#include "platform/files/files.h"

#include <QFile>
#include <QFileInfo>

using convert::Currency;
using db::ColumnDef;
using db::ColumnType;
using dbtest::dbError;

namespace {

const QList<ColumnDef> userColumns = dbtest::userColumns();
const QList<ColumnDef> kindColumns = dbtest::kindColumns(true);

class ConnectionTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        path = make(QStringLiteral("qelvSetUp.mdb"),
                    dbtest::tableSql(QStringLiteral("User"), userColumns) +
                        dbtest::tableSql(QStringLiteral("kinds"), kindColumns) +
                        QStringLiteral("INSERT INTO \"User\" VALUES ('admin', 'pw'), ('0012', NULL);"));
    }
    QString path;
};

TEST_F(ConnectionTest, OpensWhateverTheCaseOfTheName)
{
    for (const QString& given : {file(QStringLiteral("qelvsetup.mdb")), file(QStringLiteral("QELVSETUP.MDB")),
                                 file(QStringLiteral("qelvSetUp.mdb"))}) {
        SCOPED_TRACE(given.toStdString());
        db::Connection cn;
        cn.openPath(given);
        EXPECT_TRUE(cn.isOpen());
        EXPECT_EQ(cn.path(), path);
        EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM [User]")).toInt(), 2);
    }
}

TEST_F(ConnectionTest, NeverMakesADatabaseOfAMissingFile)
{
    const QString missing = file(QStringLiteral("qelvkz2004.mdb"));
    const QString message = dbError([&] {
        db::Connection cn;
        cn.openPath(missing);
    });
    EXPECT_TRUE(message.contains(QStringLiteral("找不到文件"))) << message.toStdString();
    EXPECT_FALSE(QFile::exists(missing));
}

TEST_F(ConnectionTest, AFileThatIsNoDatabaseIsRefused)
{
    QFile f(file(QStringLiteral("qelvdw.mdb")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    const QString message = dbError([&] {
        db::Connection cn;
        cn.openPath(file(QStringLiteral("qelvdw.mdb")));
    });
    EXPECT_TRUE(message.contains(QStringLiteral("不可识别的数据库格式"))) << message.toStdString();
}

TEST_F(ConnectionTest, TextKeysKeepLeadingZerosAndCompareWithoutRegardToCase)
{
    db::Connection cn;
    cn.openPath(path);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT UserName FROM [User] WHERE UserName = ?"), {QStringLiteral("0012")}),
              QVariant(QStringLiteral("0012")));
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT UserName FROM [User] WHERE UserName = 'ADMIN'")),
              QVariant(QStringLiteral("admin")));
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT PassWord FROM [User] WHERE UserName = ?"), {QStringLiteral("Admin")}),
              QVariant(QStringLiteral("pw")));
    // A number bound to a text key is kept as the text it spells; no row of another key matches it.
    cn.execute(QStringLiteral("INSERT INTO [User] (UserName) VALUES (?)"), {12});
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM [User] WHERE UserName = '12'")).toInt(), 1);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM [User] WHERE UserName = '0012'")).toInt(), 1);
}

TEST_F(ConnectionTest, ValuesReadBackAsTheColumnsTypes)
{
    db::Connection cn;
    cn.openPath(path);
    const QDate day(2003, 5, 1);
    const QDateTime moment(day, QTime(13, 45, 10));
    cn.execute(QStringLiteral("INSERT INTO kinds (Code, B, S, L, F, D, M, Y, T, Memo) VALUES (?,?,?,?,?,?,?,?,?,?)"),
               {QStringLiteral("0012"), 255, -32768, 2147483647, 0.002, 0.1,
                QVariant::fromValue(Currency::fromUnits(214748364700)), true, day, QStringLiteral("长文本")});
    cn.execute(QStringLiteral("INSERT INTO kinds (Y, T) VALUES (?, ?)"), {5, moment});
    cn.execute(QStringLiteral("INSERT INTO kinds (Y) VALUES (0)"));

    const struct {
        const char* sql;
        QVariant expected;
    } cases[] = {
        {"SELECT Code FROM kinds WHERE ID = 1", QStringLiteral("0012")},
        {"SELECT B FROM kinds WHERE ID = 1", 255},
        {"SELECT S FROM kinds WHERE ID = 1", -32768},
        {"SELECT L FROM kinds WHERE ID = 1", 2147483647},
        {"SELECT F FROM kinds WHERE ID = 1", 0.002}, // single precision, shown as it was written
        {"SELECT D FROM kinds WHERE ID = 1", 0.1},
        {"SELECT M FROM kinds WHERE ID = 1", QVariant::fromValue(Currency::fromUnits(214748364700))},
        {"SELECT Y FROM kinds WHERE ID = 1", true},
        {"SELECT Y FROM kinds WHERE ID = 2", true}, // any non-zero is true
        {"SELECT Y FROM kinds WHERE ID = 3", false},
        {"SELECT T FROM kinds WHERE ID = 1", day},
        {"SELECT T FROM kinds WHERE ID = 2", moment},
        {"SELECT Memo FROM kinds WHERE ID = 1", QStringLiteral("长文本")},
        {"SELECT B FROM kinds WHERE ID = 2", QVariant()},
        {"SELECT M FROM kinds WHERE ID = 2", QVariant::fromValue(Currency())}, // the column's default
        {"SELECT count(*) FROM kinds", 3}, // an expression, by its storage
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const QVariant v = cn.scalar(QString::fromUtf8(c.sql));
        EXPECT_EQ(v.userType(), c.expected.userType()) << v.typeName();
        EXPECT_EQ(v, c.expected) << v.toString().toStdString();
    }
    // Dates are stored as ISO text.
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT T FROM kinds WHERE ID = 2")).toString(),
              QStringLiteral("2003-05-01 13:45:10"));
}

// Dates and moments are bound as ISO text, the form the date columns hold and SQLite's date() reads:
// four-digit years with their leading zeros, seconds without their fraction. A year of more digits is
// written as Qt writes it.
TEST_F(ConnectionTest, DatesAreBoundAsIsoText)
{
    db::Connection cn;
    cn.openPath(path);
    const QDate far(12345, 6, 7);
    const struct {
        QVariant value;
        QString text;
    } cases[] = {
        {QDate(2003, 5, 1), QStringLiteral("2003-05-01")},
        {QDate(987, 12, 31), QStringLiteral("0987-12-31")},
        {QDate(1, 1, 1), QStringLiteral("0001-01-01")},
        {QDateTime(QDate(2003, 5, 1), QTime(13, 45, 10, 250)), QStringLiteral("2003-05-01 13:45:10")},
        {QDateTime(QDate(2003, 11, 30), QTime(0, 0)), QStringLiteral("2003-11-30 00:00:00")},
        {QDateTime(QDate(2003, 5, 1), QTime(23, 59, 59)), QStringLiteral("2003-05-01 23:59:59")},
        {far, far.toString(QStringLiteral("yyyy-MM-dd"))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        const QVariant bound = cn.scalar(QStringLiteral("SELECT ?"), {c.value});
        EXPECT_EQ(bound.toString(), c.text);
    }
}

TEST_F(ConnectionTest, MoneyReadsBackExact)
{
    db::Connection cn;
    cn.openPath(path);
    for (double yuan : {0.1, 0.2, 21474836.47, -0.0001, 99999999.9999})
        cn.execute(QStringLiteral("INSERT INTO kinds (M, Y) VALUES (?, 0)"),
                   {QVariant::fromValue(Currency::fromDouble(yuan))});
    auto rs = cn.openRecordset(QStringLiteral("SELECT M FROM kinds ORDER BY ID"));
    std::vector<std::int64_t> units;
    for (; !rs->isEOF(); rs->moveNext())
        units.push_back(rs->value(0).value<Currency>().units());
    EXPECT_EQ(units, (std::vector<std::int64_t>{1000, 2000, 214748364700, -1, 999999999999}));
    EXPECT_EQ(Currency::fromUnits(units[0]) + Currency::fromUnits(units[1]), Currency::fromUnits(3000));
}

TEST_F(ConnectionTest, ExecuteBindsValuesAndCountsRows)
{
    db::Connection cn;
    cn.openPath(path);
    const QString tricky = QStringLiteral("x'); DROP TABLE \"User\"; --");
    EXPECT_EQ(cn.execute(QStringLiteral("INSERT INTO [User] VALUES (?, ?)"), {tricky, QVariant()}), 1);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM [User] WHERE UserName = ? AND PassWord IS NULL"), {tricky})
                  .toInt(),
              1);
    EXPECT_EQ(cn.execute(QStringLiteral("UPDATE [User] SET PassWord = ?"), {QStringLiteral("new")}), 3);
    EXPECT_EQ(cn.execute(QStringLiteral("CREATE TABLE t (a)")), 0);
    EXPECT_TRUE(cn.scalar(QStringLiteral("SELECT PassWord FROM [User] WHERE 0")).isNull());
    EXPECT_NE(dbError([&] { cn.execute(QStringLiteral("DELETE FROM [User]; DELETE FROM kinds")); }),
              QStringLiteral("<no error>"));
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM [User]")).toInt(), 3);
    EXPECT_NE(dbError([&] { cn.execute(QStringLiteral("UPDATE [User] SET PassWord = ?")); }),
              QStringLiteral("<no error>"));
}

TEST_F(ConnectionTest, RefusedRowsGiveClearChineseDescriptions)
{
    db::Connection cn;
    cn.openPath(path);
    const struct {
        const char* sql;
        QVariantList params;
        const char* starts;
        const char* contains;
    } cases[] = {
        {"INSERT INTO [User] VALUES (?, NULL)",
         {QStringLiteral("ADMIN")},
         "值重复",
         "UNIQUE constraint failed: User.UserName"},
        {"INSERT INTO [User] (PassWord) VALUES (?)", {QStringLiteral("x")}, "字段不能为空", "User.UserName"},
        {"INSERT INTO [User] VALUES (?, NULL)",
         {QString(51, QLatin1Char('x'))},
         "字段太小",
         "length(\"UserName\") <= 50"},
        {"INSERT INTO kinds (B, Y) VALUES (300, 0)", {}, "数据类型不匹配或溢出", "\"B\""},
        {"SELECT * FROM nosuch", {}, "找不到输入表或查询“nosuch”", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const QString message = dbError([&] { cn.execute(QString::fromUtf8(c.sql), c.params); });
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.starts))) << message.toStdString();
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.contains))) << message.toStdString();
    }
}

TEST_F(ConnectionTest, TransactionsCommitRollBackAndNest)
{
    db::Connection cn;
    cn.openPath(path);
    cn.beginTransaction();
    cn.execute(QStringLiteral("INSERT INTO [User] VALUES ('one', NULL)"));
    cn.beginTransaction();
    cn.execute(QStringLiteral("INSERT INTO [User] VALUES ('two', NULL)"));
    cn.rollback();
    EXPECT_TRUE(cn.inTransaction());
    cn.commit();
    EXPECT_FALSE(cn.inTransaction());
    EXPECT_EQ(fixtures::probe(
                  path, QStringLiteral("SELECT group_concat(UserName) FROM [User] WHERE UserName IN ('one','two')")),
              QVariant(QStringLiteral("one")));
    cn.beginTransaction();
    cn.execute(QStringLiteral("DELETE FROM [User]"));
    cn.rollback();
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM [User]")).toInt(), 3);
    EXPECT_NE(dbError([&] { cn.commit(); }), QStringLiteral("<no error>"));
}

TEST_F(ConnectionTest, SchemaOperations)
{
    db::Connection cn;
    cn.openPath(path);
    const QList<ColumnDef> cols = {
        {QStringLiteral("ID"), ColumnType::Counter, 0, false, false, {}},
        {QStringLiteral("DanWeiBianHao"), ColumnType::Text, 20, true, true, {}},
        {QStringLiteral("PaiFangLiang"), ColumnType::Double, 0, false, false, {}},
        {QStringLiteral("JinE"), ColumnType::Currency, 0, false, false,
         QVariant::fromValue(Currency::fromUnits(125000))},
        {QStringLiteral("RiQi"), ColumnType::DateTime, 0, false, false, QDate(2003, 5, 1)},
        {QStringLiteral("BeiZhu"), ColumnType::Text, 50, false, false, QStringLiteral("it's")},
    };
    cn.createTable(QStringLiteral("WRW0012011"), cols);
    EXPECT_TRUE(cn.tableExists(QStringLiteral("wrw0012011")));
    EXPECT_FALSE(cn.tableExists(QStringLiteral("wrw0012011"), true));
    EXPECT_TRUE(cn.tableExists(QStringLiteral("WRW0012011"), true));
    EXPECT_EQ(cn.tableNames(),
              (QStringList{QStringLiteral("kinds"), QStringLiteral("User"), QStringLiteral("WRW0012011")}));

    const QList<ColumnDef> read = cn.columns(QStringLiteral("WRW0012011"));
    ASSERT_EQ(read.size(), cols.size());
    for (qsizetype i = 0; i < cols.size(); ++i) {
        SCOPED_TRACE(cols[i].name.toStdString());
        EXPECT_EQ(read[i].name, cols[i].name);
        EXPECT_EQ(read[i].type, cols[i].type);
        EXPECT_EQ(read[i].size, cols[i].type == ColumnType::Text ? cols[i].size : 0);
        EXPECT_EQ(read[i].required, cols[i].required);
        EXPECT_EQ(read[i].unique, cols[i].unique);
    }
    // Defaults of every kind are literals the table fills in.
    cn.execute(QStringLiteral("INSERT INTO WRW0012011 (DanWeiBianHao) VALUES ('0012')"));
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT JinE FROM WRW0012011")),
              QVariant::fromValue(Currency::fromUnits(125000)));
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT RiQi FROM WRW0012011")), QVariant(QDate(2003, 5, 1)));
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT BeiZhu FROM WRW0012011")), QVariant(QStringLiteral("it's")));

    cn.addColumn(QStringLiteral("WRW0012011"), {QStringLiteral("Fee"), ColumnType::Currency, 0, false, false, {}});
    EXPECT_EQ(cn.columns(QStringLiteral("WRW0012011")).last().name, QStringLiteral("Fee"));
    cn.dropColumn(QStringLiteral("WRW0012011"), QStringLiteral("PaiFangLiang"));
    EXPECT_EQ(cn.columns(QStringLiteral("WRW0012011")).size(), cols.size());
    cn.dropTable(QStringLiteral("wrw0012011"));
    EXPECT_FALSE(cn.tableExists(QStringLiteral("WRW0012011")));
    EXPECT_TRUE(
        dbError([&] { cn.columns(QStringLiteral("WRW0012011")); }).contains(QStringLiteral("找不到输入表或查询")));
}

// A table is looked up in the schema the connection holds, which must follow what another
// connection made or dropped meanwhile; views and SQLite's own tables are no tables of the file.
TEST_F(ConnectionTest, TableLookupsSeeWhatAnotherConnectionChanged)
{
    db::Connection cn;
    cn.openPath(path);
    EXPECT_FALSE(cn.tableExists(QStringLiteral("ZNJ0001")));
    EXPECT_EQ(cn.tableSpelling(QStringLiteral("znj0001")), QString());
    {
        db::Connection other;
        other.openPath(path);
        other.execute(QStringLiteral("CREATE TABLE ZNJ0001 (FaPiaoBianHao TEXT)"));
        other.execute(QStringLiteral("CREATE VIEW Users AS SELECT * FROM [User]"));
    }
    EXPECT_TRUE(cn.tableExists(QStringLiteral("znj0001")));
    EXPECT_EQ(cn.tableSpelling(QStringLiteral("znj0001")), QStringLiteral("ZNJ0001"));
    EXPECT_EQ(cn.tableSpelling(QStringLiteral("user")), QStringLiteral("User"));
    EXPECT_FALSE(cn.tableExists(QStringLiteral("Users")));
    EXPECT_EQ(cn.tableSpelling(QStringLiteral("users")), QString());
    EXPECT_FALSE(cn.tableExists(QStringLiteral("sqlite_master")));
    {
        db::Connection other;
        other.openPath(path);
        other.execute(QStringLiteral("DROP TABLE ZNJ0001"));
    }
    EXPECT_FALSE(cn.tableExists(QStringLiteral("ZNJ0001")));
    EXPECT_EQ(cn.tableSpelling(QStringLiteral("ZNJ0001")), QString());
}

TEST_F(ConnectionTest, AFileIsCopiedOnlyAfterTheConnectionLetsGoAndTheConnectionGoesOn)
{
    db::Connection cn;
    cn.openPath(path);
    cn.execute(QStringLiteral("INSERT INTO [User] VALUES ('written', NULL)"));
    EXPECT_NE(cn.state()->db, nullptr);
    EXPECT_EQ(files::holderCount(file(QStringLiteral("QELVSETUP.MDB"))), 1);

    files::copy(path, file(QStringLiteral("copy.mdb")));
    EXPECT_EQ(cn.state()->db, nullptr); // let go of before the copy
    EXPECT_EQ(fixtures::probe(file(QStringLiteral("copy.mdb")),
                              QStringLiteral("SELECT count(*) FROM [User] WHERE UserName = 'written'")),
              QVariant(1LL));

    // The next use opens the file again; a write after the copy reaches the original, not the copy.
    cn.execute(QStringLiteral("INSERT INTO [User] VALUES ('after', NULL)"));
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT count(*) FROM [User] WHERE UserName = 'after'")),
              QVariant(1LL));
    EXPECT_EQ(fixtures::probe(file(QStringLiteral("copy.mdb")),
                              QStringLiteral("SELECT count(*) FROM [User] WHERE UserName = 'after'")),
              QVariant(0LL));

    // A file copied over the connection's file is what the connection reads next.
    db::Connection other;
    other.openPath(file(QStringLiteral("copy.mdb")));
    other.execute(QStringLiteral("DELETE FROM [User]"));
    files::copy(file(QStringLiteral("copy.mdb")), path);
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM [User]")).toInt(), 0);
}

TEST_F(ConnectionTest, AFileInTheMiddleOfATransactionIsNotTouched)
{
    db::Connection cn;
    cn.openPath(path);
    cn.beginTransaction();
    cn.execute(QStringLiteral("INSERT INTO [User] VALUES ('pending', NULL)"));
    try {
        files::copy(path, file(QStringLiteral("copy.mdb")));
        ADD_FAILURE() << "copied in the middle of a transaction";
    } catch (const files::Error& e) {
        EXPECT_TRUE(e.description().startsWith(QStringLiteral("文件正在使用"))) << e.what();
    }
    EXPECT_THROW(files::remove(path), files::Error);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("copy.mdb"))));
    cn.commit();
    files::copy(path, file(QStringLiteral("copy.mdb")));
    EXPECT_EQ(fixtures::probe(file(QStringLiteral("copy.mdb")),
                              QStringLiteral("SELECT count(*) FROM [User] WHERE UserName = 'pending'")),
              QVariant(1LL));
}

TEST_F(ConnectionTest, AFileRemovedUnderAConnectionIsNotMadeAgain)
{
    db::Connection cn;
    cn.openPath(path);
    cn.scalar(QStringLiteral("SELECT 1"));
    files::remove(file(QStringLiteral("qelvsetup.mdb")));
    EXPECT_TRUE(dbError([&] { cn.scalar(QStringLiteral("SELECT 1")); }).contains(QStringLiteral("找不到文件")));
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ConnectionTest, ARecordsetKeepsItsConnectionAliveAndTheFileInUse)
{
    std::unique_ptr<db::Recordset> rs;
    {
        db::Connection cn;
        cn.openPath(path);
        rs = cn.openRecordset(QStringLiteral("SELECT UserName FROM [User] ORDER BY UserName"));
    }
    EXPECT_EQ(files::holderCount(path), 1);
    rs->setValue(0, QStringLiteral("0013"));
    rs->update();
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT count(*) FROM [User] WHERE UserName = '0013'")),
              QVariant(1LL));
    rs.reset();
    EXPECT_EQ(files::holderCount(path), 0);
}

TEST_F(ConnectionTest, AClosedConnectionRefusesWork)
{
    db::Connection cn;
    cn.openPath(path);
    cn.close();
    EXPECT_FALSE(cn.isOpen());
    EXPECT_EQ(files::holderCount(path), 0);
    EXPECT_EQ(dbError([&] { cn.execute(QStringLiteral("SELECT 1")); }), QString::fromUtf8(db::messages::closed));
}

TEST(QuotedNames, QuotesAreDoubled)
{
    EXPECT_EQ(db::quoteIdentifier(QStringLiteral("WRW0012011")), QStringLiteral("\"WRW0012011\""));
    EXPECT_EQ(db::quoteIdentifier(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
}

} // namespace
