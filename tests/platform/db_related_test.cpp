// The parent/child pair of recordsets, and the data grid's empty new row over the child.
#include "platform/db/related_recordsets.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/recordset_model.h"
#include "tests/platform/db_fixture.h"

#include <QStringList>

namespace {

class RelatedTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ui::testing::enable();
        path =
            make(QStringLiteral("firms.mdb"),
                 QStringLiteral("CREATE TABLE firm (Code TEXT(10) COLLATE NOCASE, Name TEXT(20) COLLATE NOCASE);"
                                "CREATE TABLE item (ID INTEGER PRIMARY KEY AUTOINCREMENT, Code TEXT(10) COLLATE NOCASE,"
                                " What TEXT(20) COLLATE NOCASE, N SMALLINT);"
                                "INSERT INTO firm VALUES ('002', 'B'), ('001', 'A'), ('003', 'C');"
                                "INSERT INTO item (Code, What, N) VALUES ('001', 'a1', 1), ('002', 'b1', 1),"
                                " ('001', 'a2', 2), ('002', 'b2', 2), ('001', 'a3', 3);"));
        conn = std::make_unique<db::Connection>();
        conn->openPath(path);
        pair = std::make_unique<db::RelatedRecordsets>(*conn,
                                                       db::Relation{.parentSql = QStringLiteral("select * from firm"),
                                                                    .childSql = QStringLiteral("select * from item"),
                                                                    .parentKey = QStringLiteral("Code"),
                                                                    .childKey = QStringLiteral("Code")});
    }
    void TearDown() override { ui::testing::disable(); }

    QStringList childWhats() const
    {
        QStringList out;
        db::Recordset& c = pair->child();
        for (int i = 0; i < c.recordCount(); ++i)
            out << c.valueAt(i, c.fieldIndex(QStringLiteral("What"))).toString();
        return out;
    }
    QString stored(const QString& sql) const { return fixtures::probe(path, sql).toString(); }

    QString path;
    std::unique_ptr<db::Connection> conn;
    std::unique_ptr<db::RelatedRecordsets> pair;
};

} // namespace

TEST_F(RelatedTest, TheChildShowsTheCurrentParentsRowsInStoredOrderAndFollowsEveryMove)
{
    EXPECT_EQ(childWhats(), QStringList({"b1", "b2"})) << "the parent's first row at open";
    QStringList seenByHandler;
    QObject::connect(&pair->parent(), &db::Recordset::moveComplete, [&] { seenByHandler << childWhats().join('+'); });
    pair->parent().moveNext();
    EXPECT_EQ(childWhats(), QStringList({"a1", "a2", "a3"}));
    pair->parent().moveLast();
    EXPECT_TRUE(childWhats().isEmpty()) << "a parent without children";
    pair->parent().moveFirst();
    EXPECT_EQ(seenByHandler, QStringList({"a1+a2+a3", "", "b1+b2"})) << "a handler of the move sees the new children";
    pair->parent().moveLast();
    pair->parent().moveNext();
    EXPECT_TRUE(pair->parent().isEOF());
    EXPECT_TRUE(childWhats().isEmpty()) << "past the end the child keeps what it showed";
}

TEST_F(RelatedTest, ARowAddedToTheChildTakesTheParentsKey)
{
    pair->parent().moveLast(); // 003, no children yet
    pair->addChild();
    pair->child().setValue(QStringLiteral("What"), QStringLiteral("c1"));
    pair->child().update();
    // A row added by the child's own addNew (as a grid does) gets the key when it is written.
    pair->child().addNew();
    pair->child().setValue(QStringLiteral("What"), QStringLiteral("c2"));
    pair->parent().moveFirst(); // leaving the parent writes the child's pending row under 003
    EXPECT_EQ(stored("select group_concat(What, ',') from item where Code = '003' order by ID"),
              QStringLiteral("c1,c2"));
    EXPECT_EQ(childWhats(), QStringList({"b1", "b2"}));
}

TEST_F(RelatedTest, AChildWriteTheFileRefusesKeepsTheChildOnItsRowsAndIsReported)
{
    fixtures::exec(path,
                   QStringLiteral("CREATE TRIGGER no_x BEFORE UPDATE ON item WHEN NEW.What = 'x' "
                                  "BEGIN SELECT RAISE(ABORT, 'refused'); END;"));
    QStringList errors;
    pair->setErrorHandler([&](const std::exception& e) { errors << platform::describe(e); });
    pair->child().setValue(QStringLiteral("What"), QStringLiteral("x"));
    pair->parent().moveNext();
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("refused"))) << errors[0].toStdString();
    EXPECT_EQ(pair->childKeyValue().toString(), QStringLiteral("002"));
    EXPECT_EQ(childWhats(), QStringList({"x", "b2"}));
}

TEST_F(RelatedTest, TheGridsEmptyNewRowAddsARowOnlyWhenSomethingIsTyped)
{
    ui::RecordsetModel model;
    model.setColumns(
        {{QStringLiteral("What"), QStringLiteral("What"), 0}, {QStringLiteral("N"), QStringLiteral("N"), 0}});
    model.setNewRowOffered(true);
    model.setRowAdder([this] { pair->addChild(); });
    model.setRecordset(&pair->child());
    ui::DataGrid grid;
    grid.setRecordsetModel(&model);
    ASSERT_EQ(model.rowCount(), 3) << "two rows and the empty one";
    EXPECT_EQ(model.newRow(), 2);
    EXPECT_EQ(model.index(2, 0).data().toString(), QString());

    model.moveToRow(2);
    EXPECT_TRUE(pair->child().isEOF()) << "the empty row is past the last row";
    EXPECT_EQ(model.currentRow(), 2);
    EXPECT_TRUE(model.setData(model.index(2, 0), QString()));
    EXPECT_EQ(pair->child().recordCount(), 2) << "nothing typed adds nothing";

    EXPECT_TRUE(model.setData(model.index(2, 1), QStringLiteral("7")));
    EXPECT_EQ(pair->child().recordCount(), 3);
    EXPECT_EQ(model.rowCount(), 4);
    model.moveToRow(0);
    EXPECT_EQ(stored("select Code || '|' || coalesce(What, '') || '|' || N from item where N = 7"),
              QStringLiteral("002||7"));
}
