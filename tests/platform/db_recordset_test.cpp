#include "tests/platform/db_fixture.h"

#include "platform/convert/currency.h"
#include "platform/files/files.h"

#include <QSignalSpy>
#include <functional>

using convert::Currency;
using db::ColumnDef;
using db::ColumnType;
using db::EditMode;
using db::LockType;
using db::Recordset;
using dbtest::dbError;

namespace {

const QString noCurrent = QString::fromUtf8(db::messages::noCurrentRecord);

// Three operators, a table of every column type, and a second table to join with.
class RecordsetTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        const QList<ColumnDef> user = dbtest::userColumns();
        const QList<ColumnDef> kinds = dbtest::kindColumns(false);
        path = make(QStringLiteral("qelvSetUp.mdb"),
                    dbtest::tableSql(QStringLiteral("User"), user) + dbtest::tableSql(QStringLiteral("kinds"), kinds) +
                        QStringLiteral("INSERT INTO \"User\" VALUES ('carol', 'c'), ('admin', 'a'), ('bob', 'b');"
                                       "CREATE TABLE roles (UserName TEXT(50) COLLATE NOCASE, Role TEXT(20));"
                                       "INSERT INTO roles VALUES ('ADMIN', 'all');"));
        cn.openPath(file(QStringLiteral("QELVSETUP.mdb")));
    }

    std::unique_ptr<Recordset> users(LockType lock = LockType::Optimistic)
    {
        return cn.openRecordset(QStringLiteral("select UserName,PassWord from [User] Order by UserName"), {}, lock);
    }
    QStringList namesInFile() const
    {
        return fixtures::probe(
                   path,
                   QStringLiteral(
                       "SELECT group_concat(UserName, ',') FROM (SELECT UserName FROM \"User\" ORDER BY UserName)"))
            .toString()
            .split(QLatin1Char(','), Qt::SkipEmptyParts);
    }
    static QString name(const Recordset& rs) { return rs.value(0).toString(); }

    QString path;
    db::Connection cn;
};

TEST_F(RecordsetTest, MovesThroughTheRowsWithBofEofAndPosition)
{
    auto rs = users();
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(rs->absolutePosition(), 1); // on the first row at opening
    EXPECT_EQ(name(*rs), QStringLiteral("admin"));

    enum Op { First, Last, Next, Previous, MoveBy };
    const struct {
        Op op;
        int by;
        bool bof, eof;
        int position;
        const char* name; // nullptr: no current row
    } steps[] = {
        {Next, 0, false, false, 2, "bob"},
        {Next, 0, false, false, 3, "carol"},
        {Next, 0, false, true, db::PosEOF, nullptr},
        {Previous, 0, false, false, 3, "carol"},
        {First, 0, false, false, 1, "admin"},
        {Previous, 0, true, false, db::PosBOF, nullptr},
        {Next, 0, false, false, 1, "admin"},
        {MoveBy, 2, false, false, 3, "carol"},
        {MoveBy, -5, true, false, db::PosBOF, nullptr},
        {MoveBy, 9, false, true, db::PosEOF, nullptr},
        {Last, 0, false, false, 3, "carol"},
        {MoveBy, -1, false, false, 2, "bob"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(testing::Message() << "op " << s.op << " by " << s.by << " to " << (s.name ? s.name : "-"));
        switch (s.op) {
        case First:
            rs->moveFirst();
            break;
        case Last:
            rs->moveLast();
            break;
        case Next:
            rs->moveNext();
            break;
        case Previous:
            rs->movePrevious();
            break;
        case MoveBy:
            rs->move(s.by);
            break;
        }
        EXPECT_EQ(rs->isBOF(), s.bof);
        EXPECT_EQ(rs->isEOF(), s.eof);
        EXPECT_EQ(rs->absolutePosition(), s.position);
        if (s.name)
            EXPECT_EQ(name(*rs), QString::fromUtf8(s.name));
        else
            EXPECT_EQ(dbError([&] { rs->value(0); }), noCurrent);
    }
    rs->moveLast();
    rs->moveNext();
    EXPECT_EQ(dbError([&] { rs->moveNext(); }), noCurrent);
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_EQ(dbError([&] { rs->movePrevious(); }), noCurrent);
    rs->setAbsolutePosition(2);
    EXPECT_EQ(name(*rs), QStringLiteral("bob"));
}

TEST_F(RecordsetTest, AnEmptyRecordsetIsAtBothEndsAndHasNoRowToMoveTo)
{
    cn.execute(QStringLiteral("DELETE FROM [User]"));
    auto rs = users();
    EXPECT_TRUE(rs->isBOF());
    EXPECT_TRUE(rs->isEOF());
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_EQ(rs->absolutePosition(), db::PosUnknown);
    EXPECT_EQ(dbError([&] { rs->moveFirst(); }), noCurrent);
    EXPECT_EQ(dbError([&] { rs->moveLast(); }), noCurrent);
    EXPECT_EQ(dbError([&] { rs->value(QStringLiteral("UserName")); }), noCurrent);
    EXPECT_EQ(dbError([&] { rs->bookmark(); }), noCurrent);
}

TEST_F(RecordsetTest, FieldsByNameOrIndex)
{
    auto rs = users();
    EXPECT_EQ(rs->fieldNames(), (QStringList{QStringLiteral("UserName"), QStringLiteral("PassWord")}));
    EXPECT_EQ(rs->fieldIndex(QStringLiteral("password")), 1);
    EXPECT_EQ(rs->fieldIndex(QStringLiteral("nosuch")), -1);
    EXPECT_EQ(rs->value(QStringLiteral("PASSWORD")), QVariant(QStringLiteral("a")));
    EXPECT_TRUE(dbError([&] {
                    rs->value(QStringLiteral("nosuch"));
                }).startsWith(QString::fromUtf8(db::messages::itemNotFound)));
    EXPECT_EQ(rs->fieldType(0), ColumnType::Text);
}

TEST_F(RecordsetTest, BookmarksFollowTheirRowUntilRequery)
{
    auto rs = users();
    rs->moveNext();
    const db::Bookmark bob = rs->bookmark();
    rs->moveLast();
    const db::Bookmark carol = rs->bookmark();
    EXPECT_GT(bob, 0);
    EXPECT_NE(bob, carol);
    rs->setSort(QStringLiteral("UserName DESC"));
    rs->setBookmark(bob);
    EXPECT_EQ(name(*rs), QStringLiteral("bob"));
    rs->setBookmark(carol);
    EXPECT_EQ(rs->absolutePosition(), 1);
    rs->moveLast();
    rs->deleteCurrent(); // admin
    rs->setBookmark(bob);
    EXPECT_EQ(name(*rs), QStringLiteral("bob"));
    rs->requery();
    EXPECT_EQ(dbError([&] { rs->setBookmark(bob); }), QStringLiteral("书签无效。"));
}

TEST_F(RecordsetTest, AnAddedRowStandsAtTheEndUntilRequery)
{
    auto rs = users();
    QSignalSpy moves(rs.get(), &Recordset::moveComplete);
    rs->addNew();
    EXPECT_EQ(rs->editMode(), EditMode::Add);
    EXPECT_EQ(rs->recordCount(), 4);
    EXPECT_EQ(rs->absolutePosition(), 4);
    EXPECT_TRUE(rs->isNewRow(3));
    EXPECT_TRUE(rs->value(0).isNull());
    rs->setValue(QStringLiteral("UserName"), QStringLiteral("aaron"));
    rs->updateBatch();
    EXPECT_EQ(rs->editMode(), EditMode::None);
    EXPECT_FALSE(rs->isNewRow(3));
    EXPECT_EQ(namesInFile(),
              (QStringList{QStringLiteral("aaron"), QStringLiteral("admin"), QStringLiteral("bob"),
                           QStringLiteral("carol")}));
    rs->moveLast();
    EXPECT_EQ(name(*rs), QStringLiteral("aaron"));
    rs->requery();
    EXPECT_EQ(name(*rs), QStringLiteral("aaron"));
    EXPECT_EQ(rs->absolutePosition(), 1);
    EXPECT_EQ(moves.count(), 3); // addNew, moveLast, requery
}

TEST_F(RecordsetTest, DefaultsAndTheCounterAreReadBackAfterTheInsert)
{
    auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM kinds"));
    EXPECT_TRUE(rs->isUpdatable());
    for (int i = 0; i < 2; ++i) {
        rs->addNew();
        rs->setValue(QStringLiteral("Code"), QStringLiteral("0012"));
        rs->update();
    }
    EXPECT_EQ(rs->value(QStringLiteral("ID")), QVariant(2));
    EXPECT_EQ(rs->value(QStringLiteral("M")), QVariant::fromValue(Currency()));
    EXPECT_EQ(rs->value(QStringLiteral("Y")), QVariant(false));
    EXPECT_EQ(rs->value(QStringLiteral("Code")), QVariant(QStringLiteral("0012")));
    EXPECT_EQ(rs->fieldType(rs->fieldIndex(QStringLiteral("ID"))), ColumnType::Counter);
    EXPECT_TRUE(dbError([&] { rs->setValue(QStringLiteral("ID"), 7); }).contains(QStringLiteral("自动编号")));
}

TEST_F(RecordsetTest, RowsOnlyReadStillTellTheCounterByItsType)
{
    for (LockType lock : {LockType::ReadOnly, LockType::ForwardOnly, LockType::Optimistic}) {
        auto rs = cn.openRecordset(QStringLiteral("SELECT ID, Code FROM kinds"), {}, lock);
        EXPECT_EQ(rs->fieldType(0), ColumnType::Counter) << static_cast<int>(lock);
        EXPECT_EQ(rs->fieldType(1), ColumnType::Text) << static_cast<int>(lock);
    }
}

// Qt guards connections with a pool of locks chosen by the object's address. A listener that shares
// its lock with the recordset, destroyed, disconnects while that lock is held.
TEST_F(RecordsetTest, AListenerDestroyedWhileConnectedLeavesTheRecordsetUsable)
{
    auto rs = users();
    const auto lockOf = [](const void* p) { return static_cast<unsigned>(reinterpret_cast<quintptr>(p)) % 131; };
    std::vector<std::unique_ptr<QObject>> tried;
    QObject* sharing = nullptr;
    for (int i = 0; i < 100000 && !sharing; ++i) {
        tried.push_back(std::make_unique<QObject>());
        if (lockOf(tried.back().get()) == lockOf(rs.get()))
            sharing = tried.back().get();
    }
    ASSERT_NE(sharing, nullptr);
    int told = 0;
    QObject::connect(rs.get(), &Recordset::rowChanged, sharing, [&told] { ++told; });
    rs->setValue(1, QStringLiteral("x"));
    EXPECT_EQ(told, 1);
    tried.clear(); // destroys the listener
    rs->setValue(1, QStringLiteral("y"));
    EXPECT_EQ(told, 1);
    rs->update();
    EXPECT_EQ(rs->value(1).toString(), QStringLiteral("y"));
}

TEST_F(RecordsetTest, CancellingAnAddedRowMakesItDisappear)
{
    auto rs = users();
    rs->moveNext(); // bob
    rs->addNew();
    rs->setValue(0, QStringLiteral("dora"));
    rs->cancelUpdate();
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(name(*rs), QStringLiteral("bob")); // back where the add started
    EXPECT_EQ(namesInFile().size(), 3);

    rs->setValue(1, QStringLiteral("changed"));
    EXPECT_EQ(rs->editMode(), EditMode::InProgress);
    rs->cancelUpdate();
    EXPECT_EQ(rs->value(1), QVariant(QStringLiteral("b")));
    rs->moveNext();
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'bob'")),
              QVariant(QStringLiteral("b")));
}

TEST_F(RecordsetTest, DeletingLeavesNoCurrentRowAndNextGoesToTheFollowingRow)
{
    const struct {
        int deleteAt; // 1-based
        const char* afterNext; // nullptr: EOF
    } cases[] = {{1, "bob"}, {2, "carol"}, {3, nullptr}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.deleteAt);
        cn.execute(QStringLiteral("DELETE FROM [User]"));
        cn.execute(QStringLiteral("INSERT INTO [User] VALUES ('admin','a'),('bob','b'),('carol','c')"));
        auto rs = users();
        rs->setAbsolutePosition(c.deleteAt);
        rs->deleteCurrent();
        EXPECT_EQ(namesInFile().size(), 2); // at once, without an update
        EXPECT_EQ(rs->recordCount(), 2);
        EXPECT_FALSE(rs->isBOF());
        EXPECT_FALSE(rs->isEOF());
        EXPECT_EQ(rs->absolutePosition(), db::PosUnknown);
        EXPECT_EQ(dbError([&] { rs->value(0); }), noCurrent);
        rs->moveNext();
        if (c.afterNext) {
            EXPECT_EQ(name(*rs), QString::fromUtf8(c.afterNext));
        } else {
            EXPECT_TRUE(rs->isEOF());
            rs->moveLast();
            EXPECT_EQ(name(*rs), QStringLiteral("bob"));
        }
    }
}

TEST_F(RecordsetTest, DeletingTheOnlyRowThenMovingLastFails)
{
    cn.execute(QStringLiteral("DELETE FROM [User] WHERE UserName <> 'bob'"));
    auto rs = users();
    rs->deleteCurrent();
    rs->moveNext();
    EXPECT_TRUE(rs->isEOF());
    EXPECT_TRUE(rs->isBOF());
    EXPECT_EQ(dbError([&] { rs->moveLast(); }), noCurrent);
    EXPECT_TRUE(namesInFile().isEmpty());
}

TEST_F(RecordsetTest, AnEditIsWrittenWhenTheCurrentRowChanges)
{
    enum Leave { Next, Previous, First, Last, ToIndex, Requery, Find };
    for (Leave how : {Next, Previous, First, Last, ToIndex, Requery, Find}) {
        SCOPED_TRACE(how);
        cn.execute(QStringLiteral("UPDATE [User] SET PassWord = 'b' WHERE UserName = 'bob'"));
        auto rs = users();
        rs->moveNext();
        rs->setValue(QStringLiteral("PassWord"), QStringLiteral("new"));
        EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'bob'")),
                  QVariant(QStringLiteral("b")));
        QSignalSpy willChange(rs.get(), &Recordset::willChangeRecord);
        switch (how) {
        case Next:
            rs->moveNext();
            break;
        case Previous:
            rs->movePrevious();
            break;
        case First:
            rs->moveFirst();
            break;
        case Last:
            rs->moveLast();
            break;
        case ToIndex:
            rs->moveToIndex(0);
            break;
        case Requery:
            rs->requery();
            break;
        case Find:
            rs->find(QStringLiteral("UserName"), QStringLiteral("CAROL"));
            break;
        }
        EXPECT_EQ(willChange.count(), 1);
        EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'bob'")),
                  QVariant(QStringLiteral("new")));
    }
}

TEST_F(RecordsetTest, ARefusedWriteKeepsTheRowAndItsEditForCorrection)
{
    auto rs = users();
    rs->moveNext(); // bob
    rs->setValue(0, QStringLiteral("ADMIN")); // the same key as admin: text keys ignore case
    const QString message = dbError([&] { rs->moveNext(); });
    EXPECT_TRUE(message.startsWith(QString::fromUtf8(db::messages::duplicateValue))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("UNIQUE constraint failed"))) << message.toStdString();
    EXPECT_EQ(rs->absolutePosition(), 2); // the move did not happen
    EXPECT_EQ(name(*rs), QStringLiteral("ADMIN"));
    EXPECT_EQ(rs->editMode(), EditMode::InProgress);
    EXPECT_EQ(namesInFile(), (QStringList{QStringLiteral("admin"), QStringLiteral("bob"), QStringLiteral("carol")}));

    rs->setValue(0, QStringLiteral("bert"));
    rs->moveNext();
    EXPECT_EQ(name(*rs), QStringLiteral("carol"));
    EXPECT_EQ(namesInFile(), (QStringList{QStringLiteral("admin"), QStringLiteral("bert"), QStringLiteral("carol")}));

    // An added row the table refuses (a required field left empty) stays added.
    rs->addNew();
    rs->setValue(1, QStringLiteral("pw"));
    EXPECT_TRUE(dbError([&] { rs->update(); }).startsWith(QString::fromUtf8(db::messages::requiredField)));
    EXPECT_EQ(rs->editMode(), EditMode::Add);
    rs->setValue(0, QStringLiteral("dora"));
    rs->update();
    EXPECT_EQ(namesInFile().size(), 4);
}

TEST_F(RecordsetTest, AnAddedRowLeftEmptyIsDroppedByAMove)
{
    auto rs = users();
    rs->addNew();
    rs->movePrevious();
    EXPECT_EQ(name(*rs), QStringLiteral("carol"));
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(namesInFile().size(), 3);
}

TEST_F(RecordsetTest, BatchLockingWritesOnlyOnUpdateBatchAndAllOrNothing)
{
    auto rs = users(LockType::BatchOptimistic);
    rs->setValue(1, QStringLiteral("A"));
    rs->moveNext();
    rs->setValue(0, QStringLiteral("Carol")); // a duplicate of the third row
    rs->moveNext();
    rs->addNew();
    rs->setValue(0, QStringLiteral("erin"));
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'admin'")),
              QVariant(QStringLiteral("a")));
    EXPECT_TRUE(dbError([&] { rs->updateBatch(); }).startsWith(QString::fromUtf8(db::messages::duplicateValue)));
    // Nothing was written, every change is still pending.
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'admin'")),
              QVariant(QStringLiteral("a")));
    EXPECT_EQ(namesInFile().size(), 3);
    EXPECT_EQ(rs->valueAt(1, 0), QVariant(QStringLiteral("Carol")));
    EXPECT_TRUE(rs->isNewRow(3));
    EXPECT_NE(dbError([&] { rs->requery(); }), QStringLiteral("<no error>"));

    rs->moveToIndex(1);
    rs->setValue(0, QStringLiteral("bob2"));
    rs->updateBatch();
    EXPECT_EQ(namesInFile(),
              (QStringList{QStringLiteral("admin"), QStringLiteral("bob2"), QStringLiteral("carol"),
                           QStringLiteral("erin")}));
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'admin'")),
              QVariant(QStringLiteral("A")));
}

TEST_F(RecordsetTest, CancelBatchDiscardsEveryPendingChange)
{
    auto rs = users(LockType::BatchOptimistic);
    rs->setValue(1, QStringLiteral("A"));
    rs->addNew();
    rs->setValue(0, QStringLiteral("erin"));
    rs->cancelBatch();
    EXPECT_EQ(rs->recordCount(), 3);
    EXPECT_EQ(name(*rs), QStringLiteral("admin"));
    EXPECT_EQ(rs->value(1), QVariant(QStringLiteral("a")));
    rs->updateBatch();
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'admin'")),
              QVariant(QStringLiteral("a")));
}

TEST_F(RecordsetTest, ValuesAreConvertedToTheColumnOrRefusedAsJetRefusesThem)
{
    auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM kinds"));
    rs->addNew();
    const struct {
        const char* field;
        QVariant value;
        QVariant stored; // when accepted
        const char* refused; // the start of the error, else nullptr
    } cases[] = {
        {"L", QStringLiteral("12a"), {}, db::messages::typeMismatch},
        {"B", 256, {}, db::messages::overflow},
        {"B", -1, {}, db::messages::overflow},
        {"S", QStringLiteral("40000"), {}, db::messages::overflow},
        {"L", 2147483648.0, {}, db::messages::overflow},
        {"Code", QStringLiteral("12345"), {}, db::messages::fieldTooSmall},
        {"T", QStringLiteral("soon"), {}, db::messages::typeMismatch},
        {"T", QStringLiteral("2003-2-30"), {}, db::messages::typeMismatch},
        {"M", QStringLiteral("abc"), {}, db::messages::typeMismatch},
        {"Y", QStringLiteral("maybe"), {}, db::messages::typeMismatch},
        {"S", 2.5, 2, nullptr}, // halves to even
        {"S", 3.5, 4, nullptr},
        {"S", QStringLiteral(" -7 "), -7, nullptr},
        {"L", QStringLiteral(""), QVariant(), nullptr}, // empty text into a number is Null
        {"Code", 12, QStringLiteral("12"), nullptr},
        {"Code", QStringLiteral("0012"), QStringLiteral("0012"), nullptr},
        {"M", QStringLiteral("1,234.5678"), QVariant::fromValue(Currency::fromUnits(12345678)), nullptr},
        {"M", 0.1, QVariant::fromValue(Currency::fromUnits(1000)), nullptr},
        {"F", QStringLiteral("0.002"), 0.002, nullptr},
        {"D", QStringLiteral("1e3"), 1000.0, nullptr},
        {"Y", QStringLiteral("True"), true, nullptr},
        {"Y", 0, false, nullptr},
        {"T", QStringLiteral("2003-5-1"), QDate(2003, 5, 1), nullptr},
        {"T", QStringLiteral("2003年5月"), QDate(2003, 5, 1), nullptr},
        {"T", QStringLiteral("2003-05-01 8:30:00"), QDateTime(QDate(2003, 5, 1), QTime(8, 30)), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.field << " <- " << c.value.toString().toStdString());
        const QString field = QString::fromUtf8(c.field);
        if (c.refused) {
            const QString message = dbError([&] { rs->setValue(field, c.value); });
            EXPECT_TRUE(message.startsWith(QString::fromUtf8(c.refused))) << message.toStdString();
            EXPECT_TRUE(message.contains(field)) << message.toStdString();
        } else {
            rs->setValue(field, c.value);
            EXPECT_EQ(rs->value(field), c.stored);
            EXPECT_EQ(rs->value(field).userType(), c.stored.userType());
        }
    }
    rs->update();
    // What was written reads back the same from the file.
    EXPECT_EQ(rs->value(QStringLiteral("M")), QVariant::fromValue(Currency::fromUnits(1000)));
    EXPECT_EQ(rs->value(QStringLiteral("T")), QVariant(QDateTime(QDate(2003, 5, 1), QTime(8, 30))));
    EXPECT_EQ(rs->value(QStringLiteral("F")), QVariant(0.002));
    EXPECT_TRUE(rs->value(QStringLiteral("L")).isNull());
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT S FROM kinds")), QVariant(-7LL));
}

TEST_F(RecordsetTest, QueriesOverMoreThanOneRowOfATableAreReadOnly)
{
    const struct {
        const char* sql;
        bool updatable;
    } cases[] = {
        {"select * from [User] order by UserName", true},
        {"select UserName as U, PassWord || '!' as P from [User] u where UserName in (select UserName from roles group "
         "by UserName)",
         true},
        {"select u.UserName, r.Role from [User] u join roles r on r.UserName = u.UserName", false},
        {"select u.UserName from [User] u, roles r where r.UserName = u.UserName", false},
        {"select distinct PassWord from [User]", false},
        {"select PassWord from [User] group by PassWord", false},
        {"select max(UserName) from [User]", false},
        {"select UserName from [User] union select UserName from roles", false},
        {"select * from (select * from [User])", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sql);
        auto rs = cn.openRecordset(QString::fromUtf8(c.sql));
        EXPECT_EQ(rs->isUpdatable(), c.updatable);
        if (!c.updatable && !rs->isEOF()) {
            EXPECT_EQ(dbError([&] { rs->setValue(0, QStringLiteral("x")); }),
                      QString::fromUtf8(db::messages::readOnly));
        }
    }
    EXPECT_FALSE(users(LockType::ReadOnly)->isUpdatable());

    // The expression field of an updatable query is read-only; the others write back.
    auto rs = cn.openRecordset(QString::fromUtf8(cases[1].sql));
    EXPECT_EQ(rs->value(QStringLiteral("P")), QVariant(QStringLiteral("a!")));
    EXPECT_NE(dbError([&] { rs->setValue(QStringLiteral("P"), QStringLiteral("x")); }), QStringLiteral("<no error>"));
    rs->setValue(QStringLiteral("U"), QStringLiteral("root"));
    rs->update();
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'root'")),
              QVariant(QStringLiteral("a")));
}

TEST_F(RecordsetTest, FindFilterAndSort)
{
    auto rs = users();
    EXPECT_TRUE(rs->find(QStringLiteral("UserName"), QStringLiteral("BOB")));
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_TRUE(rs->find(QStringLiteral("UserName"), QStringLiteral("bob"))); // the current row counts
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_FALSE(rs->find(QStringLiteral("UserName"), QStringLiteral("admin")));
    EXPECT_TRUE(rs->isEOF());
    EXPECT_TRUE(rs->find(QStringLiteral("UserName"), QStringLiteral("admin"), false));
    EXPECT_EQ(rs->absolutePosition(), 1);

    QSignalSpy resets(rs.get(), &Recordset::rowsReset);
    rs->setFilter(QStringLiteral("PassWord"), QStringLiteral("C"));
    EXPECT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(name(*rs), QStringLiteral("carol"));
    rs->clearFilter();
    EXPECT_EQ(rs->recordCount(), 3);
    rs->setSort(QStringLiteral("PassWord DESC"));
    EXPECT_EQ(name(*rs), QStringLiteral("carol"));
    EXPECT_EQ(rs->valueAt(2, 0), QVariant(QStringLiteral("admin")));
    rs->setSort(QString());
    EXPECT_EQ(name(*rs), QStringLiteral("admin"));
    EXPECT_EQ(resets.count(), 4);
}

// A recordset that cannot be written looks a text filter up instead of comparing every row; it lets
// through exactly the rows an updatable one over the same rows does, in the same order.
TEST_F(RecordsetTest, AReadOnlyFilterShowsTheRowsAnUpdatableOneShows)
{
    cn.execute(QStringLiteral("CREATE TABLE codes (ID INTEGER PRIMARY KEY, Code TEXT(10), Mixed)"));
    cn.execute(QStringLiteral("INSERT INTO codes (Code, Mixed) VALUES ('ab', 'x'), ('AB', 7), ('007', '007'),"
                              " ('Äb', NULL), (NULL, 'X'), ('äB', '7'), ('ab', 7.0), ('7', 'y')"));
    const QString sql = QStringLiteral("select * from codes order by ID");
    auto writable = cn.openRecordset(sql, {}, LockType::Optimistic);
    auto readOnly = cn.openRecordset(sql, {}, LockType::ReadOnly);
    auto ids = [](Recordset& rs) {
        QStringList out;
        for (int i = 0; i < rs.recordCount(); ++i)
            out << rs.valueAt(i, 0).toString();
        return out;
    };
    const struct {
        const char* field;
        QVariant value;
        const char* sort;
        const char* ids;
    } cases[] = {
        {"Code", QStringLiteral("aB"), "", "1,2,7"},
        {"Code", QStringLiteral("ÄB"), "", "4,6"},
        {"Code", QStringLiteral("7"), "", "8"},
        {"Code", 7, "", "3,8"}, // a number matches numeric text by value
        {"Code", QStringLiteral("zz"), "", ""},
        {"Code", QVariant(), "", ""},
        {"Code", QStringLiteral("ab"), "ID DESC", "7,2,1"},
        {"Mixed", QStringLiteral("7"), "", "2,6,7"}, // numbers in the column: compared by value
        {"Mixed", QStringLiteral("x"), "", "1,5"},
        {"Code", QStringLiteral("AB"), "", "1,2,7"}, // back on the first field after another
    };
    for (const auto& c : cases) {
        for (Recordset* rs : {writable.get(), readOnly.get()}) {
            rs->setSort(QString::fromUtf8(c.sort));
            rs->setFilter(QString::fromUtf8(c.field), c.value);
        }
        const QString what = QStringLiteral("%1 = %2").arg(QString::fromUtf8(c.field), c.value.toString());
        EXPECT_EQ(ids(*writable).join(','), QString::fromUtf8(c.ids)) << qPrintable(what);
        EXPECT_EQ(ids(*readOnly), ids(*writable)) << qPrintable(what);
        EXPECT_EQ(readOnly->recordCount(), writable->recordCount()) << qPrintable(what);
        if (readOnly->recordCount() > 0) {
            readOnly->moveLast();
            EXPECT_EQ(readOnly->absolutePosition(), readOnly->recordCount()) << qPrintable(what);
            EXPECT_EQ(readOnly->value(0).toString(), ids(*writable).last()) << qPrintable(what);
        } else {
            EXPECT_TRUE(readOnly->isEOF()) << qPrintable(what);
        }
    }
    readOnly->clearFilter();
    EXPECT_EQ(readOnly->recordCount(), 8);
    cn.execute(QStringLiteral("INSERT INTO codes (Code) VALUES ('Ab')"));
    readOnly->requery();
    readOnly->setFilter(QStringLiteral("Code"), QStringLiteral("ab"));
    EXPECT_EQ(ids(*readOnly), QStringList({"1", "2", "7", "9"})) << "read again, the rows looked up anew";
}

TEST_F(RecordsetTest, GridAccessByRowIndex)
{
    auto rs = users();
    QSignalSpy changed(rs.get(), &Recordset::rowChanged);
    EXPECT_EQ(rs->currentIndex(), 0);
    rs->moveToIndex(2);
    EXPECT_EQ(name(*rs), QStringLiteral("carol"));
    rs->setValue(1, QStringLiteral("typed"));
    EXPECT_EQ(rs->valueAt(2, 1), QVariant(QStringLiteral("typed"))); // the pending edit shows
    ASSERT_GE(changed.count(), 1);
    EXPECT_EQ(changed.first().first().toInt(), 2);
    rs->moveToIndex(0);
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT PassWord FROM \"User\" WHERE UserName = 'carol'")),
              QVariant(QStringLiteral("typed")));
    rs->moveLast();
    rs->moveNext();
    EXPECT_EQ(rs->currentIndex(), -1);
    EXPECT_NE(dbError([&] { rs->moveToIndex(3); }), QStringLiteral("<no error>"));
}

TEST_F(RecordsetTest, NotifyMoveCompleteRunsAHandlerConnectedAfterOpening)
{
    auto rs = users();
    QSignalSpy moves(rs.get(), &Recordset::moveComplete);
    rs->notifyMoveComplete();
    EXPECT_EQ(moves.count(), 1);
    EXPECT_EQ(rs->absolutePosition(), 1);
}

} // namespace

// --- statements kept for reuse, forward-only reading -----------------------------------------------------

namespace {

TEST_F(RecordsetTest, AStatementUsedAgainAfterTheTableWasMadeAgainReadsItsNewColumns)
{
    cn.execute(QStringLiteral("CREATE TABLE t (a TEXT(10) COLLATE NOCASE)"));
    cn.execute(QStringLiteral("INSERT INTO t VALUES ('one')"));
    const QString query = QStringLiteral("SELECT * FROM t");
    EXPECT_EQ(cn.openRecordset(query)->fieldNames(), QStringList{QStringLiteral("a")});
    EXPECT_EQ(cn.scalar(query), QVariant(QStringLiteral("one")));

    // Dropped and made again with other columns, here and through another connection to the file.
    cn.execute(QStringLiteral("DROP TABLE t"));
    cn.createTable(QStringLiteral("t"),
                   {{QStringLiteral("JinE"), ColumnType::Currency, 0, false, false, {}},
                    {QStringLiteral("a"), ColumnType::Text, 10, false, false, {}}});
    cn.execute(QStringLiteral("INSERT INTO t VALUES (1.5, 'two')"));
    auto rs = cn.openRecordset(query);
    EXPECT_EQ(rs->fieldNames(), (QStringList{QStringLiteral("JinE"), QStringLiteral("a")}));
    EXPECT_EQ(rs->fieldType(0), ColumnType::Currency);
    EXPECT_EQ(rs->value(0), QVariant::fromValue(Currency::fromUnits(15000)));
    EXPECT_EQ(cn.scalar(query), QVariant::fromValue(Currency::fromUnits(15000)));
    rs->setValue(1, QStringLiteral("three"));
    rs->update();
    rs.reset();

    db::Connection other;
    other.openPath(path);
    other.execute(QStringLiteral("DROP TABLE t"));
    other.execute(QStringLiteral("CREATE TABLE t (x YESNO, y SMALLINT, z TEXT(5))"));
    other.execute(QStringLiteral("INSERT INTO t VALUES (1, 7, 'four')"));
    rs = cn.openRecordset(query);
    EXPECT_EQ(rs->fieldNames(), (QStringList{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")}));
    EXPECT_EQ(rs->value(0), QVariant(true));
    EXPECT_EQ(rs->value(2), QVariant(QStringLiteral("four")));
    EXPECT_EQ(cn.scalar(query), QVariant(true));
    rs->setValue(1, 8);
    rs->update();
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("SELECT y FROM t")), QVariant(8LL));
}

TEST_F(RecordsetTest, ForwardOnlyReadsTheSameRowsAsTheStaticRecordset)
{
    cn.execute(QStringLiteral("INSERT INTO kinds (Code, B, M, Y, T) VALUES ('a', 1, 1.25, 1, '2003-05-01'), "
                              "('b', NULL, 0, 0, '2003-05-01 08:30:00'), ('c', 3, NULL, 1, NULL)"));
    const struct {
        const char* sql;
        QVariantList params;
    } queries[] = {
        {"SELECT * FROM kinds ORDER BY Code DESC", {}},
        {"SELECT Code, M * 2 AS Twice FROM kinds WHERE Y <> ? ", {0}},
        {"SELECT u.UserName, r.Role FROM [User] u LEFT JOIN roles r ON r.UserName = u.UserName ORDER BY 1", {}},
        {"SELECT * FROM kinds WHERE Code = ?", {QStringLiteral("none")}},
    };
    for (const auto& c : queries) {
        SCOPED_TRACE(c.sql);
        auto fixed = cn.openRecordset(QString::fromUtf8(c.sql), c.params, LockType::ReadOnly);
        auto forward = cn.openRecordset(QString::fromUtf8(c.sql), c.params, LockType::ForwardOnly);
        EXPECT_EQ(forward->fieldNames(), fixed->fieldNames());
        EXPECT_FALSE(forward->isUpdatable());
        EXPECT_EQ(forward->isEOF(), fixed->isEOF());
        EXPECT_EQ(forward->isBOF(), fixed->isBOF());
        int rows = 0;
        while (!fixed->isEOF()) {
            ASSERT_FALSE(forward->isEOF());
            for (int f = 0; f < fixed->fieldCount(); ++f) {
                EXPECT_EQ(forward->value(f), fixed->value(f)) << fixed->fieldName(f).toStdString();
                EXPECT_EQ(forward->value(f).userType(), fixed->value(f).userType());
            }
            EXPECT_EQ(forward->absolutePosition(), fixed->absolutePosition());
            fixed->moveNext();
            forward->moveNext();
            ++rows;
        }
        EXPECT_TRUE(forward->isEOF());
        EXPECT_EQ(dbError([&] { forward->value(0); }), noCurrent);
        EXPECT_EQ(rows, fixed->recordCount());
        if (rows > 0) {
            forward->moveFirst(); // the query runs again
            EXPECT_EQ(forward->value(0), fixed->valueAt(0, 0));
        }
    }
}

TEST_F(RecordsetTest, ForwardOnlyRefusesWritesAndBackwardMovesAndLetsGoOfTheFileAtTheEnd)
{
    auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM [User] ORDER BY UserName"), {}, LockType::ForwardOnly);
    EXPECT_EQ(rs->recordCount(), -1);
    EXPECT_EQ(dbError([&] { rs->setValue(0, QStringLiteral("x")); }), QString::fromUtf8(db::messages::readOnly));
    EXPECT_EQ(dbError([&] { rs->addNew(); }), QString::fromUtf8(db::messages::readOnly));
    for (const auto& backward : std::vector<std::function<void()>>{
             [&] { rs->movePrevious(); }, [&] { rs->moveLast(); }, [&] { rs->setSort(QStringLiteral("PassWord")); },
             [&] { rs->find(QStringLiteral("UserName"), QStringLiteral("bob")); }}) {
        EXPECT_NE(dbError(backward), QStringLiteral("<no error>"));
    }
    EXPECT_EQ(rs->value(0), QVariant(QStringLiteral("admin")));
    // While rows are still to come the query holds the file; once read to the end it no longer does.
    EXPECT_THROW(files::releaseHandles(path), files::Error);
    rs->move(5);
    EXPECT_TRUE(rs->isEOF());
    EXPECT_NO_THROW(files::releaseHandles(path));
    EXPECT_EQ(cn.scalar(QStringLiteral("SELECT count(*) FROM [User]")).toInt(), 3);
}

} // namespace

namespace {

// A written row is not read back from the table (defaults and counters excepted), so what the
// recordset keeps must be what the table holds, for texts of any length and for times.
TEST_F(RecordsetTest, AWrittenRowShowsWhatTheTableHolds)
{
    cn.execute(QStringLiteral("ALTER TABLE kinds ADD COLUMN Memo LONGTEXT COLLATE NOCASE"));
    auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM kinds"));
    const QString longText = QString(150, QChar(0x6c61)) + QStringLiteral("x"); // over 127 bytes and over 255
    const QDateTime moment(QDate(2003, 5, 1), QTime(8, 30, 15, 250));
    for (LockType lock : {LockType::Optimistic, LockType::BatchOptimistic}) {
        SCOPED_TRACE(static_cast<int>(lock));
        rs = cn.openRecordset(QStringLiteral("SELECT * FROM kinds"), {}, lock);
        rs->addNew();
        rs->setValue(QStringLiteral("Memo"), longText);
        rs->setValue(QStringLiteral("Code"), QStringLiteral("码"));
        rs->setValue(QStringLiteral("T"), moment);
        rs->setValue(QStringLiteral("M"), QStringLiteral("-0.0001"));
        rs->setValue(QStringLiteral("F"), 0.1);
        if (lock == LockType::Optimistic)
            rs->update();
        else
            rs->updateBatch();
        const QVariantList written = {rs->value(QStringLiteral("Memo")), rs->value(QStringLiteral("Code")),
                                      rs->value(QStringLiteral("T")),    rs->value(QStringLiteral("M")),
                                      rs->value(QStringLiteral("F")),    rs->value(QStringLiteral("Y")),
                                      rs->value(QStringLiteral("ID"))};
        EXPECT_EQ(written[0], QVariant(longText));
        EXPECT_EQ(written[2], QVariant(QDateTime(QDate(2003, 5, 1), QTime(8, 30, 15))));
        EXPECT_EQ(written[3], QVariant::fromValue(Currency::fromUnits(-1)));
        EXPECT_EQ(written[5], QVariant(false)); // the column's default
        EXPECT_TRUE(written[6].toInt() > 0); // the counter
        rs->requery();
        rs->moveLast();
        const QVariantList read = {rs->value(QStringLiteral("Memo")), rs->value(QStringLiteral("Code")),
                                   rs->value(QStringLiteral("T")),    rs->value(QStringLiteral("M")),
                                   rs->value(QStringLiteral("F")),    rs->value(QStringLiteral("Y")),
                                   rs->value(QStringLiteral("ID"))};
        EXPECT_EQ(written, read);

        // Changed in place: an update the recordset does not read back at all.
        rs->setValue(QStringLiteral("Memo"), longText + QStringLiteral("y"));
        rs->setValue(QStringLiteral("T"), moment.addDays(1));
        rs->setValue(QStringLiteral("S"), QStringLiteral(" 12 "));
        if (lock == LockType::Optimistic)
            rs->update();
        else
            rs->updateBatch();
        const QVariantList changed = {rs->value(QStringLiteral("Memo")), rs->value(QStringLiteral("T")),
                                      rs->value(QStringLiteral("S")), rs->value(QStringLiteral("Code"))};
        EXPECT_EQ(changed[1], QVariant(QDateTime(QDate(2003, 5, 2), QTime(8, 30, 15))));
        rs->requery();
        rs->moveLast();
        EXPECT_EQ(changed,
                  (QVariantList{rs->value(QStringLiteral("Memo")), rs->value(QStringLiteral("T")),
                                rs->value(QStringLiteral("S")), rs->value(QStringLiteral("Code"))}));
    }
}

// Rows added field by field in the fields' order, out of it, or with a field set twice, hold what was
// set last, before the write and after it, as the file has it.
TEST_F(RecordsetTest, AddedRowsHoldTheLastValueSetInWhateverOrder)
{
    const struct {
        const char* name;
        std::vector<std::pair<int, QString>> sets;
        const char* user;
        const char* password;
    } cases[] = {
        {"in order", {{0, QStringLiteral("dave")}, {1, QStringLiteral("d")}}, "dave", "d"},
        {"backwards", {{1, QStringLiteral("e")}, {0, QStringLiteral("erin")}}, "erin", "e"},
        {"twice", {{0, QStringLiteral("x")}, {1, QStringLiteral("f")}, {0, QStringLiteral("frank")}}, "frank", "f"},
        {"one field", {{0, QStringLiteral("gina")}}, "gina", ""},
    };
    for (const LockType lock : {LockType::Optimistic, LockType::BatchOptimistic}) {
        auto rs = users(lock);
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            rs->addNew();
            for (const auto& [field, value] : c.sets)
                rs->setValue(field, value);
            EXPECT_EQ(rs->value(0).toString(), QString::fromUtf8(c.user));
        }
        if (lock == LockType::Optimistic)
            rs->update();
        else
            rs->updateBatch();
        for (const auto& c : cases) {
            SCOPED_TRACE(c.name);
            ASSERT_TRUE(rs->find(QStringLiteral("UserName"), QString::fromUtf8(c.user), false) ||
                        rs->find(QStringLiteral("UserName"), QString::fromUtf8(c.user)));
            EXPECT_EQ(rs->value(1).toString(), QString::fromUtf8(c.password));
            EXPECT_EQ(
                fixtures::probe(path,
                                QStringLiteral("SELECT coalesce(PassWord, '') FROM \"User\" WHERE UserName = '%1'")
                                    .arg(QString::fromUtf8(c.user)))
                    .toString(),
                QString::fromUtf8(c.password));
        }
        cn.execute(QStringLiteral("DELETE FROM \"User\" WHERE UserName IN ('dave', 'erin', 'frank', 'gina')"));
    }
}

// More rows than one block of the recordset's memory holds, and more data: added in a batch or one at a
// time, written, changed again, cancelled and read anew, each row keeps its own values, and so does
// the file.
TEST_F(RecordsetTest, ManyRowsKeepTheirOwnValuesThroughAddsRewritesAndCancels)
{
    cn.execute(dbtest::tableSql(QStringLiteral("many"),
                                {{QStringLiteral("K"), ColumnType::Text, 20, true, true, {}},
                                 {QStringLiteral("V"), ColumnType::Text, 255, false, false, {}},
                                 {QStringLiteral("N"), ColumnType::Long, 0, false, false, {}}}));
    const int rows = 7000;
    auto text = [](int i, int round) {
        return QStringLiteral("环保企业第%1号，第%2轮：").arg(i).arg(round).repeated(2);
    };
    auto expectRows = [&](Recordset& rs, int round, const std::function<bool(int)>& changed) {
        ASSERT_EQ(rs.recordCount(), rows);
        for (int i = 0; i < rows; i += 7) {
            SCOPED_TRACE(i);
            const int r = changed(i) ? round : 0;
            ASSERT_EQ(rs.valueAt(i, 0), QVariant(QStringLiteral("k%1").arg(i)));
            ASSERT_EQ(rs.valueAt(i, 1), QVariant(text(i, r)));
            ASSERT_EQ(rs.valueAt(i, 2), QVariant(i + r));
        }
    };
    for (const LockType lock : {LockType::BatchOptimistic, LockType::Optimistic}) {
        SCOPED_TRACE(static_cast<int>(lock));
        cn.execute(QStringLiteral("DELETE FROM many"));
        cn.beginTransaction(); // rows written one at a time would each wait for the disk
        auto rs = cn.openRecordset(QStringLiteral("SELECT K, V, N FROM many"), {}, lock);
        for (int i = 0; i < rows; ++i) {
            rs->addNew();
            rs->setValue(0, QStringLiteral("k%1").arg(i));
            rs->setValue(1, text(i, 0));
            rs->setValue(2, i);
        }
        if (lock == LockType::BatchOptimistic)
            expectRows(*rs, 0, [](int) { return false; }); // pending, before the write
        rs->updateBatch();
        rs->update();
        expectRows(*rs, 0, [](int) { return false; });

        // Every third row changed and written, then every fifth changed and the change cancelled.
        const auto third = [](int i) { return i % 3 == 0; };
        for (int i = 0; i < rows; i += 3) {
            rs->moveToIndex(i);
            rs->setValue(1, text(i, 1));
            rs->setValue(2, i + 1);
        }
        rs->updateBatch();
        rs->update();
        expectRows(*rs, 1, third);
        if (lock == LockType::BatchOptimistic) {
            for (int i = 0; i < rows; i += 5) {
                rs->moveToIndex(i);
                rs->setValue(1, QStringLiteral("cancelled"));
            }
            rs->cancelBatch();
            expectRows(*rs, 1, third);
        }
        rs->requery();
        rs.reset();
        cn.commit();
        auto again = cn.openRecordset(QStringLiteral("SELECT K, V, N FROM many"), {}, lock);
        expectRows(*again, 1, third);
        EXPECT_EQ(
            fixtures::probe(path, QStringLiteral("SELECT count(*) FROM many WHERE N <> CAST(substr(K, 2) AS INTEGER)"))
                .toInt(),
            (rows + 2) / 3);
    }
}

// Texts read as Qt reads their UTF-8: well-formed ones of every length of sequence, and what Qt mends
// (a leading byte order mark dropped, malformed bytes replaced), in a typed column and in an expression.
TEST_F(RecordsetTest, TextsReadAsQtReadsTheirUtf8)
{
    const QByteArray cases[] = {
        "",
        "plain ASCII, longer than eight letters",
        "\xe7\x8e\xaf\xe4\xbf\x9d\xe4\xbc\x81\xe4\xb8\x9a"
        "12345\xe5\x8f\xb7", // 环保企业12345号
        "caf\xc3\xa9 na\xc3\xafve",
        "emoji \xf0\x9f\x98\x80 and \xf4\x8f\xbf\xbf",
        "\xef\xbb\xbfleading mark",
        "middle \xef\xbb\xbf mark",
        "overlong \xc0\xaf and \xe0\x80\xaf",
        "surrogate \xed\xa0\x80 encoded",
        "cut short \xe6\xb5",
        "\x80 lone continuation",
        "beyond \xf4\x90\x80\x80 and \xf5\x80\x80\x80",
        "eight ASCII\xe5\x8f\xb7then more",
    };
    cn.execute(QStringLiteral("CREATE TABLE texts (N INTEGER, V TEXT(255) COLLATE NOCASE)"));
    for (int i = 0; i < static_cast<int>(std::size(cases)); ++i)
        cn.execute(QStringLiteral("INSERT INTO texts VALUES (?, CAST(X'%1' AS TEXT))")
                       .arg(QString::fromLatin1(cases[i].toHex())),
                   {i});
    for (const LockType lock : {LockType::Optimistic, LockType::ForwardOnly}) {
        auto rs = cn.openRecordset(QStringLiteral("SELECT V, V || '' AS E FROM texts ORDER BY N"), {}, lock);
        for (const QByteArray& bytes : cases) {
            SCOPED_TRACE(bytes.toHex().toStdString());
            ASSERT_FALSE(rs->isEOF());
            EXPECT_EQ(rs->value(0), QVariant(QString::fromUtf8(bytes)));
            EXPECT_EQ(rs->value(1), QVariant(QString::fromUtf8(bytes)));
            rs->moveNext();
        }
    }
}

} // namespace
