// Values Jet refuses are refused whichever way they are written: through a recordset (by the layer,
// before anything is written) and through a statement (by the table's own constraints). Either way
// the row stays as it was.
#include "tests/platform/db_fixture.h"

#include "platform/convert/currency.h"
#include "platform/db/prepared.h"
#include "platform/db/recordset.h"

#include <functional>

using convert::Currency;
using db::ColumnDef;
using db::ColumnType;
using dbtest::dbError;

namespace {

class RefusalTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        path = make(QStringLiteral("kinds.mdb"),
                    dbtest::tableSql(QStringLiteral("kinds"), dbtest::kindColumns(false)) +
                        QStringLiteral("INSERT INTO kinds (Code, B, S, L, F, D, M, Y, T) "
                                       "VALUES ('ab', 7, -7, 70000, 0.5, 2.25, 12.5, 1, '2003-05-01');"));
        cn.openPath(path);
    }
    // The row as it is in the file, every column as text.
    QString row() const
    {
        return fixtures::probe(
                   path,
                   QStringLiteral(
                       "SELECT quote(ID)||'|'||quote(Code)||'|'||quote(B)||'|'||quote(S)||'|'||quote(L)||'|'||"
                       "quote(F)||'|'||quote(D)||'|'||quote(M)||'|'||quote(Y)||'|'||quote(T) FROM kinds"))
            .toString();
    }

    QString path;
    db::Connection cn;
};

const struct {
    const char* field;
    QVariant value;
    const char* byRecordset; // the start of the error the recordset gives
    const char* byStatement; // the start of the error the table's constraint gives
} refused[] = {
    {"Code", QStringLiteral("abcde"), db::messages::fieldTooSmall, db::messages::fieldTooSmall},
    {"B", 256, db::messages::overflow, "数据类型不匹配或溢出"},
    {"B", -1, db::messages::overflow, "数据类型不匹配或溢出"},
    {"S", 32768, db::messages::overflow, "数据类型不匹配或溢出"},
    {"S", -32769, db::messages::overflow, "数据类型不匹配或溢出"},
    {"S", QStringLiteral("12a"), db::messages::typeMismatch, "数据类型不匹配或溢出"},
    {"L", QStringLiteral("abc"), db::messages::typeMismatch, "数据类型不匹配或溢出"},
    {"F", QStringLiteral("abc"), db::messages::typeMismatch, db::messages::typeMismatch},
    {"D", QStringLiteral("1.5x"), db::messages::typeMismatch, db::messages::typeMismatch},
    {"M", QStringLiteral("abc"), db::messages::typeMismatch, db::messages::typeMismatch},
    {"M", QStringLiteral("十元"), db::messages::typeMismatch, db::messages::typeMismatch},
    {"Y", QStringLiteral("maybe"), db::messages::typeMismatch, db::messages::typeMismatch},
    {"T", QStringLiteral("soon"), db::messages::typeMismatch, db::messages::typeMismatch},
};

TEST_F(RefusalTest, ThroughARecordsetTheValueIsRefusedAndTheRowStaysAsItWas)
{
    const QString before = row();
    auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM kinds"));
    for (const auto& c : refused) {
        SCOPED_TRACE(testing::Message() << c.field << " <- " << c.value.toString().toStdString());
        const QString field = QString::fromUtf8(c.field);
        const QString message = dbError([&] { rs->setValue(field, c.value); });
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.byRecordset))) << message.toStdString();
        EXPECT_TRUE(message.contains(field)) << message.toStdString();
        EXPECT_EQ(rs->editMode(), db::EditMode::None);
    }
    rs->update();
    rs->requery();
    EXPECT_EQ(row(), before);
}

TEST_F(RefusalTest, ThroughAStatementTheTableRefusesTheValueAndTheRowStaysAsItWas)
{
    const QString before = row();
    for (const auto& c : refused) {
        SCOPED_TRACE(testing::Message() << c.field << " <- " << c.value.toString().toStdString());
        const QString field = QString::fromUtf8(c.field);
        const QString message = dbError(
            [&] { cn.execute(QStringLiteral("UPDATE kinds SET %1 = ?").arg(db::quoteIdentifier(field)), {c.value}); });
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.byStatement))) << message.toStdString();
        // The field is named: quoted in the constraint's text, or in the words of a number's test.
        EXPECT_TRUE(message.contains(QLatin1Char('"') + field + QLatin1Char('"')) ||
                    message.contains(QStringLiteral("“%1”").arg(field)))
            << message.toStdString();
        // Written as a literal in the statement's text, too.
        if (c.value.userType() == QMetaType::QString) {
            const QString literal = dbError([&] {
                cn.execute(
                    QStringLiteral("UPDATE kinds SET %1 = '%2'").arg(db::quoteIdentifier(field), c.value.toString()));
            });
            EXPECT_TRUE(literal.startsWith(QString::fromUtf8(c.byStatement))) << literal.toStdString();
        }
        EXPECT_EQ(row(), before);
    }
}

TEST_F(RefusalTest, NumbersNullAndNumericTextStillGoIntoNumberColumns)
{
    const struct {
        const char* field;
        QVariant value;
        const char* stored;
    } accepted[] = {
        {"M", QStringLiteral("12.5"), "12.5"}, // numeric text becomes the number
        {"M", QVariant(), ""},
        {"M", -3, "-3"},
        {"D", 1e300, "1.0e+300"},
        {"F", QStringLiteral("1e3"), "1000"},
        {"Y", 0, "0"},
        {"B", 255, "255"},
        {"S", -32768, "-32768"},
    };
    for (const auto& c : accepted) {
        SCOPED_TRACE(c.field);
        const QString field = QString::fromUtf8(c.field);
        cn.execute(QStringLiteral("UPDATE kinds SET %1 = ?").arg(db::quoteIdentifier(field)), {c.value});
        EXPECT_EQ(fixtures::probe(
                      path, QStringLiteral("SELECT coalesce(%1, '') || '' FROM kinds").arg(db::quoteIdentifier(field)))
                      .toString(),
                  QString::fromUtf8(c.stored));
    }
}

// The tables made at run time by thousands (one row of amounts each) refuse letters as well.
TEST_F(RefusalTest, TablesMadeAtRunTimeRefuseLettersInTheirAmounts)
{
    const QList<ColumnDef> cols = {
        {QStringLiteral("COD"), ColumnType::Currency, 0, false, false, {}},
        {QStringLiteral("收费金额"), ColumnType::Currency, 0, false, false, {}},
        {QStringLiteral("是否单独列为收费项目"), ColumnType::YesNo, 0, false, false, {}},
        {QStringLiteral("Order"), ColumnType::Currency, 0, false, false, {}}, // a name that needs quotes
    };
    cn.createTable(QStringLiteral("WRW0012W31"), cols);
    cn.execute(QStringLiteral("INSERT INTO WRW0012W31 VALUES (?, ?, ?, NULL)"),
               {QVariant::fromValue(Currency::fromUnits(0)), QVariant::fromValue(Currency::fromUnits(0)), false});
    const struct {
        const char* sql;
        const char* field;
    } cases[] = {
        {"UPDATE WRW0012W31 SET COD = 'x'", "COD"},
        {"UPDATE WRW0012W31 SET \"收费金额\" = '一百'", "收费金额"},
        {"UPDATE WRW0012W31 SET \"是否单独列为收费项目\" = 'ja'", "是否单独列为收费项目"},
        {"UPDATE WRW0012W31 SET \"Order\" = 'first'", "Order"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        const QString message = dbError([&] { cn.execute(QString::fromUtf8(c.sql)); });
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(db::messages::typeMismatch))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("“%1”").arg(QString::fromUtf8(c.field)))) << message.toStdString();
    }
    EXPECT_EQ(fixtures::probe(
                  path, QStringLiteral("SELECT COD||'|'||\"收费金额\"||'|'||\"是否单独列为收费项目\" FROM WRW0012W31")),
              QVariant(QStringLiteral("0|0|0")));
    auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM WRW0012W31"));
    EXPECT_EQ(rs->value(0), QVariant::fromValue(Currency::fromUnits(0)));
    EXPECT_EQ(rs->value(2), QVariant(false));
}

// The tables the layer makes carry no CHECK: the schema of a file of thousands of them stays small,
// and the declared types, which another program reads as well, say what each column takes.
TEST_F(RefusalTest, TablesMadeAtRunTimeKeepOnlyTheirDeclaredTypes)
{
    cn.createTable(QStringLiteral("WRW0012W31"), dbtest::kindColumns(true));
    const QString sql =
        fixtures::probe(path, QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'WRW0012W31'")).toString();
    EXPECT_FALSE(sql.contains(QStringLiteral("CHECK"), Qt::CaseInsensitive)) << sql.toStdString();
    for (const char* decl : {"TEXT(4)", "BYTE", "SMALLINT", "SINGLE", "CURRENCY", "YESNO", "DATETIME", "LONGTEXT"})
        EXPECT_TRUE(sql.contains(QString::fromLatin1(decl))) << decl;
}

// A statement refused part of the way leaves every row as it was before it, inside a transaction as
// well, where the transaction goes on with what was written before it.
TEST_F(RefusalTest, ARefusedStatementUndoesItsOwnRowsOnlyAndTheTransactionGoesOn)
{
    cn.execute(QStringLiteral("INSERT INTO kinds (Code, S, Y) VALUES ('cd', 100, 0), ('ef', 200, 0)"));
    const QString before = fixtures::probe(path, QStringLiteral("SELECT group_concat(S, ',') FROM kinds")).toString();
    ASSERT_EQ(before, QStringLiteral("-7,100,200"));
    const struct {
        const char* sql;
        const char* starts;
    } cases[] = {
        // The first rows would go in; the last one is out of range.
        {"UPDATE kinds SET S = S * 200", "数据类型不匹配或溢出"},
        {"INSERT INTO kinds (Code, S, Y) SELECT Code || 'x', S * 300, 0 FROM kinds", "数据类型不匹配或溢出"},
        {"INSERT INTO kinds (Code, Y) VALUES ('gh', 0), ('toolong', 0)", db::messages::fieldTooSmall},
        {"UPDATE kinds SET T = '2003-13-01' WHERE Code = 'ef'", db::messages::typeMismatch},
    };
    for (const bool inTransaction : {false, true}) {
        SCOPED_TRACE(inTransaction ? "in a transaction" : "alone");
        if (inTransaction) {
            cn.beginTransaction();
            cn.execute(QStringLiteral("UPDATE kinds SET L = 5"));
        }
        for (const auto& c : cases) {
            SCOPED_TRACE(c.sql);
            const QString message = dbError([&] { cn.execute(QString::fromUtf8(c.sql)); });
            EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.starts))) << message.toStdString();
            EXPECT_EQ(cn.scalar(QStringLiteral("SELECT group_concat(S, ',') FROM kinds")).toString(), before);
            EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM kinds")).toInt(), 3);
            EXPECT_EQ(cn.inTransaction(), inTransaction);
        }
        if (inTransaction) {
            EXPECT_EQ(cn.scalar(QStringLiteral("SELECT group_concat(L, ',') FROM kinds")).toString(),
                      QStringLiteral("5,5,5"));
            cn.commit();
        }
    }
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT group_concat(L, ',') FROM kinds")).toString(),
              QStringLiteral("5,5,5"));
    // A statement prepared once and run again is watched at every run.
    db::PreparedStatement st(cn, QStringLiteral("UPDATE kinds SET B = ? WHERE Code = 'cd'"));
    EXPECT_EQ(st.run({9}), 1);
    EXPECT_TRUE(dbError([&] { st.run({300}); }).startsWith(QStringLiteral("数据类型不匹配或溢出")));
    EXPECT_EQ(st.run({10}), 1);
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT B FROM kinds WHERE Code = 'cd'")).toInt(), 10);
}

// Names built at run time are quoted as identifiers; one that matches no column is refused and named,
// never read as a text, whichever way the statement is run, and nothing is written.
TEST_F(RefusalTest, AQuotedNameThatMatchesNoColumnIsRefusedAndNamed)
{
    const QString before = row();
    const char* statements[] = {
        R"(UPDATE kinds SET Code = 'zz' WHERE "Missing" = 'Missing')",
        R"(UPDATE kinds SET Code = "Missing")",
        R"(SELECT "Missing" FROM kinds)",
        R"(SELECT Code FROM kinds WHERE "Missing" IS NOT NULL)",
    };
    for (const char* sql : statements) {
        SCOPED_TRACE(sql);
        const QString text = QString::fromUtf8(sql);
        for (const auto& run : std::initializer_list<std::function<void()>>{
                 [&] { cn.execute(text); },
                 [&] { cn.scalar(text); },
                 [&] { db::PreparedStatement(cn, text).run({}); },
             }) {
            const QString message = dbError(run);
            EXPECT_TRUE(message.contains(QStringLiteral("Missing"))) << message.toStdString();
            EXPECT_EQ(row(), before);
        }
    }
    const QString byRecordset = dbError(
        [&] { cn.openRecordset(QStringLiteral(R"(SELECT "Missing", Code FROM kinds)"), {}, db::LockType::ReadOnly); });
    EXPECT_TRUE(byRecordset.contains(QStringLiteral("Missing"))) << byRecordset.toStdString();
}

TEST_F(RefusalTest, DatesInTheFormsSqliteReadsGoIntoDateColumns)
{
    for (const char* text : {"2003-05-01", "2003-05-01 10:20:30", "2003-05-01T10:20", "2003-05-01 10:20:30.5",
                             "2003-12-31 23:59:59Z", " 2003-05-01 "}) {
        SCOPED_TRACE(text);
        EXPECT_NO_THROW(cn.execute(QStringLiteral("UPDATE kinds SET T = ?"), {QString::fromLatin1(text)}));
    }
    for (const QVariant& v : {QVariant(QStringLiteral("2003-13-01")), QVariant(QStringLiteral("2003-5-1")),
                              QVariant(QStringLiteral("soon")), QVariant(20030501), QVariant(1.5)}) {
        SCOPED_TRACE(v.toString().toStdString());
        const QString message = dbError([&] { cn.execute(QStringLiteral("UPDATE kinds SET T = ?"), {v}); });
        EXPECT_TRUE(message.startsWith(QString::fromUtf8(db::messages::typeMismatch))) << message.toStdString();
        EXPECT_TRUE(message.contains(QStringLiteral("“T”"))) << message.toStdString();
    }
}

// The columns the guard goes by follow the table: made anew, by this connection or by another one,
// its new columns are the ones a value is measured against.
TEST_F(RefusalTest, ATableMadeAnewIsGuardedByItsNewColumns)
{
    const QList<ColumnDef> narrow = {{QStringLiteral("A"), ColumnType::Text, 2, false, false, {}}};
    const QList<ColumnDef> wide = {{QStringLiteral("A"), ColumnType::Currency, 0, false, false, {}}};
    cn.createTable(QStringLiteral("t"), narrow);
    const QString insert = QStringLiteral("INSERT INTO t VALUES (?)");
    cn.execute(insert, {QStringLiteral("ab")});
    EXPECT_TRUE(dbError([&] {
                    cn.execute(insert, {QStringLiteral("abc")});
                }).startsWith(QString::fromUtf8(db::messages::fieldTooSmall)));

    // By another connection to the same file: a text of any length is refused now, a number taken.
    {
        db::Connection other;
        other.openPath(path);
        other.dropTable(QStringLiteral("t"));
        other.createTable(QStringLiteral("t"), wide);
    }
    EXPECT_NO_THROW(cn.execute(insert, {12345}));
    EXPECT_TRUE(dbError([&] {
                    cn.execute(insert, {QStringLiteral("ab")});
                }).startsWith(QString::fromUtf8(db::messages::typeMismatch)));

    // And back again, by this one.
    cn.dropTable(QStringLiteral("t"));
    cn.execute(QStringLiteral("CREATE TABLE t (A TEXT(3))"));
    EXPECT_NO_THROW(cn.execute(insert, {QStringLiteral("abc")}));
    EXPECT_TRUE(dbError([&] {
                    cn.execute(insert, {QStringLiteral("abcd")});
                }).startsWith(QString::fromUtf8(db::messages::fieldTooSmall)));
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT group_concat(A, ',') FROM t")).toString(),
              QStringLiteral("abc"));
}

// Whether a key column is the row id itself follows from the whole key: the single INTEGER key is
// SQLite's own and takes any row id; an INTEGER column that is one of several key columns is a whole
// number of Jet's range like any other.
TEST_F(RefusalTest, OnlyTheSingleIntegerKeyTakesRowIdsBeyondTheWholeNumberRange)
{
    const struct {
        const char* table;
        bool taken;
    } cases[] = {
        {"CREATE TABLE k (Id INTEGER PRIMARY KEY, A TEXT(2))", true},
        {"CREATE TABLE k (A TEXT(2), Id INTEGER, PRIMARY KEY (Id))", true},
        {"CREATE TABLE k (Id INTEGER, A TEXT(2), PRIMARY KEY (Id, A))", false},
        {"CREATE TABLE k (Id INTEGER, A TEXT(2))", false},
    };
    const qint64 beyond = qint64(1) << 40;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.table);
        cn.execute(QString::fromLatin1(c.table));
        const QString why =
            dbError([&] { cn.execute(QStringLiteral("INSERT INTO k (Id, A) VALUES (?, 'ab')"), {beyond}); });
        EXPECT_EQ(why == QStringLiteral("<no error>"), c.taken) << why.toStdString();
        if (!c.taken) {
            EXPECT_TRUE(why.startsWith(QString::fromUtf8(db::messages::typeMismatch))) << why.toStdString();
        }
        EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT count(*) FROM k")).toInt(), c.taken ? 1 : 0);
        // The other column is still measured by its own rule.
        EXPECT_TRUE(dbError([&] {
                        cn.execute(QStringLiteral("INSERT INTO k (Id, A) VALUES (1, 'abc')"));
                    }).startsWith(QString::fromUtf8(db::messages::fieldTooSmall)));
        cn.execute(QStringLiteral("DROP TABLE k"));
    }
}

} // namespace
