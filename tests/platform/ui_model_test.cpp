// The data grid model, the data grid and the field binding over a real recordset.
#include "platform/convert/convert.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_binding.h"
#include "platform/ui/recordset_model.h"
#include "platform/ui/twips.h"
#include "tests/platform/db_fixture.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

const QList<db::ColumnDef> firmColumns = {
    {QStringLiteral("Code"), db::ColumnType::Text, 10, true, true, {}},
    {QStringLiteral("Name"), db::ColumnType::Text, 20, false, false, {}},
    {QStringLiteral("Amount"), db::ColumnType::Currency, 0, false, false, {}},
    {QStringLiteral("Days"), db::ColumnType::Short, 0, false, false, {}},
    {QStringLiteral("Rate"), db::ColumnType::Single, 0, false, false, {}},
    {QStringLiteral("OnOff"), db::ColumnType::YesNo, 0, false, false, {}},
    {QStringLiteral("Note"), db::ColumnType::Memo, 0, false, false, {}},
};

class BoundControlsTest : public dbtest::DataFolderTest {
protected:
    void SetUp() override
    {
        DataFolderTest::SetUp();
        ui::testing::enable();
        path = make(QStringLiteral("firms.mdb"),
                    dbtest::tableSql(QStringLiteral("firm"), firmColumns) +
                        QStringLiteral("INSERT INTO firm VALUES ('001', 'Alpha', 12.5, 3, 0.002, 1, 'a');"
                                       "INSERT INTO firm VALUES ('002', 'Beta', 0, NULL, 0, 0, NULL);"
                                       "INSERT INTO firm VALUES ('003', 'Gamma', 7, 1, 0.5, 0, NULL);"));
        conn = std::make_unique<db::Connection>();
        conn->openPath(path);
        rs = conn->openRecordset(QStringLiteral("select * from firm order by Code"));
    }
    void TearDown() override { ui::testing::disable(); }

    QString stored(const QString& column, const QString& code) const
    {
        return fixtures::probe(path, QStringLiteral("select %1 from firm where Code='%2'").arg(column, code))
            .toString();
    }

    QString path;
    std::unique_ptr<db::Connection> conn;
    std::unique_ptr<db::Recordset> rs;
};

// Types a text into a box as the operator would, replacing what it held.
void type(QLineEdit* box, const QString& text)
{
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, text);
}

} // namespace

// --- the model ---------------------------------------------------------------------------------------

TEST_F(BoundControlsTest, ModelShowsTheChosenColumnsAsText)
{
    ui::RecordsetModel model;
    model.setColumns({{QStringLiteral("Name"), QStringLiteral("名称"), 900},
                      {QStringLiteral("Amount"), QStringLiteral("金额"), 600},
                      {QStringLiteral("Days"), QStringLiteral("天数"), 0},
                      {QStringLiteral("Rate"), QStringLiteral("比例"), 0}});
    model.setRecordset(rs.get());
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 4);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("名称"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("金额"));
    const QStringList row0 = {model.index(0, 0).data().toString(), model.index(0, 1).data().toString(),
                              model.index(0, 2).data().toString(), model.index(0, 3).data().toString()};
    EXPECT_EQ(row0, QStringList({"Alpha", "12.5", "3", "0.002"}));
    EXPECT_EQ(model.index(1, 2).data().toString(), QString()) << "Null shows empty";
    EXPECT_EQ(model.index(1, 1).data().toString(), QStringLiteral("0"));
}

TEST_F(BoundControlsTest, AColumnWithAFormatShowsItsValuesInThatFormat)
{
    ui::RecordsetModel model;
    ui::GridColumn amount{QStringLiteral("Amount"), QStringLiteral("金额"), 600};
    amount.format = QStringLiteral("\"￥\"#,##0");
    ui::GridColumn name{QStringLiteral("Name"), QStringLiteral("名称"), 600};
    name.format = QStringLiteral("0.00"); // a text its format cannot show
    model.setColumns({amount, name});
    model.setRecordset(rs.get());
    rs->moveFirst();
    rs->setValue(QStringLiteral("Amount"), 1234.5);
    EXPECT_EQ(model.index(0, 0).data().toString(), QStringLiteral("￥1,235"));
    EXPECT_EQ(model.index(0, 0).data(Qt::EditRole).toString(), QStringLiteral("1234.5")) << "edited as it is";
    EXPECT_EQ(model.index(1, 0).data().toString(), QStringLiteral("￥0"));
    EXPECT_EQ(model.index(0, 1).data().toString(), QStringLiteral("Alpha"));
    rs->cancelUpdate();
}

TEST_F(BoundControlsTest, ModelWithoutColumnsShowsEveryFieldAndAnUnknownFieldIsRefused)
{
    ui::RecordsetModel all;
    all.setRecordset(rs.get());
    EXPECT_EQ(all.columnCount(), rs->fieldCount());
    EXPECT_EQ(all.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Name"));

    ui::RecordsetModel wrong;
    wrong.setColumns({{QStringLiteral("Nope"), QStringLiteral("x"), 0}});
    EXPECT_THROW(wrong.setRecordset(rs.get()), db::Error);
    EXPECT_EQ(wrong.recordset(), nullptr);
    EXPECT_EQ(wrong.rowCount(), 0);
}

TEST_F(BoundControlsTest, ModelFollowsTheRecordsetsRowsAndCurrentRow)
{
    ui::RecordsetModel model;
    model.setRecordset(rs.get());
    QSignalSpy moved(&model, &ui::RecordsetModel::currentRowChanged);
    rs->moveLast();
    ASSERT_EQ(moved.size(), 1);
    EXPECT_EQ(moved.last().at(0).toInt(), 2);
    EXPECT_EQ(model.currentRow(), 2);
    rs->addNew();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.currentRow(), 3);
    rs->cancelUpdate();
    EXPECT_EQ(model.rowCount(), 3);
    model.moveToRow(0);
    EXPECT_EQ(rs->absolutePosition(), 1);
}

TEST_F(BoundControlsTest, ModelEditGoesIntoItsRowAndIsWrittenWhenTheRowIsLeft)
{
    ui::RecordsetModel model;
    model.setRecordset(rs.get());
    // Row 1 is not current: the edit makes it current first.
    ASSERT_TRUE(model.setData(model.index(1, 1), QStringLiteral("Bravo")));
    EXPECT_EQ(rs->currentIndex(), 1);
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral("Bravo"));
    EXPECT_EQ(stored(QStringLiteral("Name"), QStringLiteral("002")), QStringLiteral("Beta"))
        << "pending until the row is left";
    model.moveToRow(2);
    EXPECT_EQ(stored(QStringLiteral("Name"), QStringLiteral("002")), QStringLiteral("Bravo"));
    // An emptied number cell clears the field.
    ASSERT_TRUE(model.setData(model.index(2, 3), QString()));
    model.moveToRow(0);
    EXPECT_TRUE(fixtures::probe(path, QStringLiteral("select Days is null from firm where Code='003'")).toBool());
}

TEST_F(BoundControlsTest, ModelRefusesAValueTheColumnCannotTakeAndReportsIt)
{
    ui::RecordsetModel model;
    model.setRecordset(rs.get());
    QStringList reported;
    model.setErrorHandler([&](const std::exception& e) { reported << ui::describe(e); });
    EXPECT_FALSE(model.setData(model.index(0, 2), QStringLiteral("abc")));
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].startsWith(QString::fromUtf8(db::messages::typeMismatch))) << reported[0].toStdString();
    EXPECT_EQ(model.index(0, 2).data().toString(), QStringLiteral("12.5")) << "the cell keeps its value";
    EXPECT_EQ(rs->editMode(), db::EditMode::None);
}

// --- the grid ----------------------------------------------------------------------------------------

class GridTest : public BoundControlsTest {
protected:
    void SetUp() override
    {
        BoundControlsTest::SetUp();
        model.setColumns({{QStringLiteral("Code"), QStringLiteral("编号"), 915},
                          {QStringLiteral("Name"), QStringLiteral("名称"), 2445},
                          {QStringLiteral("Amount"), QStringLiteral("金额"), 735}});
        model.setRecordset(rs.get());
        model.setErrorHandler([this](const std::exception& e) { errors << ui::describe(e); });
        grid.setRecordsetModel(&model);
        grid.resize(600, 300);
        grid.show();
    }
    QLineEdit* openEditor(int row, int column)
    {
        const QModelIndex cell = model.index(row, column);
        grid.setCurrentIndex(cell);
        // Editors closed before are deleted later: only the one opened now is left.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        grid.edit(cell);
        return grid.viewport()->findChild<QLineEdit*>();
    }

    ui::RecordsetModel model;
    ui::DataGrid grid;
    QStringList errors;
};

TEST_F(GridTest, ColumnsKeepTheirWidthsInTwipsAlsoAfterARequery)
{
    EXPECT_EQ(grid.columnWidth(0), ui::px(915));
    EXPECT_EQ(grid.columnWidth(1), ui::px(2445));
    rs->requery();
    EXPECT_EQ(grid.columnWidth(1), ui::px(2445));
    EXPECT_DOUBLE_EQ(grid.columnWidthTwips(2), ui::twips(ui::px(735)));
}

TEST_F(GridTest, CurrentRowFollowsTheRecordsetAndTheRecordsetFollowsTheGrid)
{
    EXPECT_EQ(grid.currentIndex().row(), 0);
    rs->moveLast();
    EXPECT_EQ(grid.currentIndex().row(), 2);
    grid.setCurrentIndex(model.index(1, 1));
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_EQ(grid.text(0), QStringLiteral("002"));
    rs->addNew();
    EXPECT_EQ(grid.currentIndex().row(), 3) << "the added row is the grid's current row";
}

TEST_F(GridTest, LeavingARowTheTableRefusesKeepsItCurrentInBoth)
{
    grid.setCurrentIndex(model.index(1, 0));
    grid.setText(0, QStringLiteral("001")); // the number of another row
    grid.setCurrentIndex(model.index(2, 0));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].startsWith(QString::fromUtf8(db::messages::duplicateValue))) << errors[0].toStdString();
    EXPECT_EQ(rs->currentIndex(), 1);
    EXPECT_EQ(grid.currentIndex().row(), 1);
    EXPECT_EQ(stored(QStringLiteral("Code"), QStringLiteral("002")), QStringLiteral("002"));
}

TEST_F(GridTest, AnOpenCellEditorIsCommittedIntoItsOwnRow)
{
    QLineEdit* editor = openEditor(0, 1);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Aleph"));
    ASSERT_TRUE(grid.isEditing());
    grid.commitEdit();
    EXPECT_FALSE(grid.isEditing());
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral("Aleph"));

    // The recordset moved by code while a cell is open: the text still goes to the row it was typed in.
    editor = openEditor(1, 1);
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("Bet"));
    rs->moveLast();
    EXPECT_EQ(rs->currentIndex(), 2);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    EXPECT_EQ(stored(QStringLiteral("Name"), QStringLiteral("002")), QStringLiteral("Bet"));

    editor = openEditor(0, 1);
    editor->setText(QStringLiteral("dropped"));
    grid.discardEdit();
    EXPECT_EQ(rs->value(QStringLiteral("Name")).toString(), QStringLiteral("Aleph"));
}

TEST_F(GridTest, OnlyTheCurrentCellOfAButtonColumnShowsAButtonAndReportsItsClick)
{
    grid.setButtonColumns({1});
    QSignalSpy clicks(&grid, &ui::DataGrid::buttonClick);
    grid.setCurrentIndex(model.index(1, 0));
    EXPECT_TRUE(grid.cellButtonRect(model.index(1, 0)).isEmpty()) << "column without a button";
    EXPECT_TRUE(grid.cellButtonRect(model.index(0, 1)).isEmpty()) << "not the current cell";
    grid.setCurrentIndex(model.index(1, 1));
    const QRect button = grid.cellButtonRect(model.index(1, 1));
    ASSERT_FALSE(button.isEmpty());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, button.center());
    ASSERT_EQ(clicks.size(), 1);
    EXPECT_EQ(clicks[0].at(0).toInt(), 1);
    EXPECT_FALSE(grid.isEditing());
}

TEST_F(GridTest, GeometryOfTheCurrentRowInTwips)
{
    grid.setCurrentIndex(model.index(2, 1));
    EXPECT_EQ(grid.visibleRow(), 2);
    EXPECT_DOUBLE_EQ(grid.columnLeft(1), ui::twips(grid.viewport()->x() + grid.columnViewportPosition(1)));
    EXPECT_DOUBLE_EQ(grid.columnTop(), ui::twips(grid.viewport()->y()));
    EXPECT_GT(grid.rowHeightTwips(), 0);
    rs->moveToIndex(0);
    EXPECT_EQ(grid.visibleRow(), 0);
}

TEST_F(GridTest, AWalkByCodeMovesTheCurrentCellAtEveryMoveAndTheViewAnswersWhenItIsOver)
{
    QString rows;
    for (int i = 4; i <= 60; ++i)
        rows += QStringLiteral("INSERT INTO firm VALUES ('%1', 'n%1', 0, 0, 0, 0, NULL);").arg(i, 3, 10, QChar('0'));
    fixtures::exec(path, rows);
    rs->requery();
    grid.setButtonColumns({1});
    grid.setCurrentIndex(model.index(0, 1));
    QCoreApplication::processEvents();

    // Every reader of the current cell sees the recordset's row at once, before the event loop runs.
    for (int row = 1; row < 60; ++row) {
        rs->moveNext();
        ASSERT_EQ(grid.currentIndex(), model.index(row, 1)) << row;
        ASSERT_EQ(grid.selectionModel()->currentIndex(), model.index(row, 1)) << row;
        ASSERT_EQ(grid.text(0), QStringLiteral("%1").arg(row + 1, 3, 10, QChar('0'))) << row;
        ASSERT_FALSE(grid.cellButtonRect(model.index(row, 1)).isEmpty()) << row;
        ASSERT_TRUE(grid.cellButtonRect(model.index(row - 1, 1)).isEmpty()) << row;
    }
    // The last row is brought into view for a reader before the event loop too.
    const int visible = grid.visibleRow();
    EXPECT_GT(visible, 0);
    EXPECT_EQ(grid.rowAt(grid.rowViewportPosition(59)), 59);
    EXPECT_LT(grid.rowViewportPosition(59) + grid.rowHeight(59), grid.viewport()->height() + 1);

    QCoreApplication::processEvents();
    EXPECT_EQ(grid.visibleRow(), visible);
    EXPECT_EQ(grid.selectionModel()->selectedIndexes(), QModelIndexList({model.index(59, 1)}))
        << "only the cell the walk ended on is highlighted";

    // A move of the grid's own starts from where the walk ended.
    QTest::keyClick(&grid, Qt::Key_Up);
    EXPECT_EQ(rs->currentIndex(), 58);
    EXPECT_EQ(grid.currentIndex(), model.index(58, 1));

    // An editor opened on entering a cell opens on the cell a run ended on, and its text goes there.
    grid.setEditTriggers(grid.editTriggers() | QAbstractItemView::CurrentChanged);
    rs->moveToIndex(10);
    rs->moveToIndex(20);
    EXPECT_FALSE(grid.isEditing()) << "not before the moves are over";
    QCoreApplication::processEvents();
    ASSERT_TRUE(grid.isEditing());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<QLineEdit*> editors = grid.viewport()->findChildren<QLineEdit*>();
    ASSERT_EQ(editors.size(), 1);
    EXPECT_EQ(editors[0]->text(), QStringLiteral("n021"));
    editors[0]->setText(QStringLiteral("Twenty-one"));
    rs->moveFirst();
    EXPECT_EQ(stored(QStringLiteral("Name"), QStringLiteral("021")), QStringLiteral("Twenty-one"));
    EXPECT_EQ(stored(QStringLiteral("Name"), QStringLiteral("011")), QStringLiteral("n011"));
}

// --- the field binding -------------------------------------------------------------------------------

TEST_F(BoundControlsTest, BoundWidgetsShowTheCurrentRowAfterEveryMove)
{
    QLineEdit name, amount;
    QPlainTextEdit note;
    QCheckBox on;
    ui::FieldBinding binding;
    binding.bind(&name, QStringLiteral("Name"));
    binding.bind(&amount, QStringLiteral("Amount"));
    binding.bind(&note, QStringLiteral("Note"));
    binding.bind(&on, QStringLiteral("OnOff"));
    binding.setRecordset(rs.get());
    EXPECT_EQ(name.text(), QStringLiteral("Alpha"));
    EXPECT_EQ(amount.text(), QStringLiteral("12.5"));
    EXPECT_EQ(note.toPlainText(), QStringLiteral("a"));
    EXPECT_TRUE(on.isChecked());
    rs->moveNext();
    EXPECT_EQ(name.text(), QStringLiteral("Beta"));
    EXPECT_EQ(note.toPlainText(), QString());
    EXPECT_FALSE(on.isChecked());
    rs->addNew();
    EXPECT_EQ(name.text(), QString());
    binding.setRecordset(nullptr);
    EXPECT_EQ(name.text(), QString()) << "unbound widgets are empty";
}

TEST_F(BoundControlsTest, TypingGoesIntoTheRowAndIsWrittenOnTheNextMove)
{
    QLineEdit name;
    QPlainTextEdit note;
    QCheckBox on;
    ui::FieldBinding binding;
    binding.bind(&name, QStringLiteral("Name"));
    binding.bind(&note, QStringLiteral("Note"));
    binding.bind(&on, QStringLiteral("OnOff"));
    binding.setRecordset(rs.get());
    type(&name, QStringLiteral("Omega"));
    QTest::keyClicks(&note, QStringLiteral("bc"));
    on.click();
    EXPECT_EQ(rs->editMode(), db::EditMode::InProgress);
    EXPECT_EQ(stored(QStringLiteral("Name"), QStringLiteral("001")), QStringLiteral("Alpha"));
    binding.commit();
    rs->moveNext();
    EXPECT_EQ(stored(QStringLiteral("Name"), QStringLiteral("001")), QStringLiteral("Omega"));
    EXPECT_EQ(stored(QStringLiteral("OnOff"), QStringLiteral("001")), QStringLiteral("0"));
    EXPECT_FALSE(stored(QStringLiteral("Note"), QStringLiteral("001")).isEmpty());
    EXPECT_NE(stored(QStringLiteral("Note"), QStringLiteral("001")), QStringLiteral("a"));
}

TEST_F(BoundControlsTest, ARefusedTextStaysInTheBoxAndCommitReportsIt)
{
    QLineEdit days;
    ui::FieldBinding binding;
    binding.bind(&days, QStringLiteral("Days"));
    binding.setRecordset(rs.get());
    type(&days, QStringLiteral("5x"));
    EXPECT_EQ(days.text(), QStringLiteral("5x"));
    EXPECT_TRUE(binding.hasRefusedText());
    const QString error = dbtest::dbError([&] { binding.commit(); });
    EXPECT_TRUE(error.startsWith(QString::fromUtf8(db::messages::typeMismatch))) << error.toStdString();
    EXPECT_EQ(days.text(), QStringLiteral("5x"));
    // Correcting the text puts it in the row.
    type(&days, QStringLiteral("40"));
    EXPECT_FALSE(binding.hasRefusedText());
    EXPECT_NO_THROW(binding.commit());
    rs->moveNext();
    EXPECT_EQ(stored(QStringLiteral("Days"), QStringLiteral("001")), QStringLiteral("40"));
}

TEST_F(BoundControlsTest, FormatAndParseOfABox)
{
    QLineEdit rate;
    ui::FieldBinding binding;
    binding.bind(
        &rate, QStringLiteral("Rate"), [](const QVariant& v) { return convert::formatPercent(convert::toDouble(v)); },
        [](const QString& t) { return QVariant(convert::parsePercent(t)); });
    binding.setRecordset(rs.get());
    EXPECT_EQ(rate.text(), QStringLiteral("0.20%"));
    type(&rate, QStringLiteral("1.50%"));
    binding.commit();
    rs->moveNext();
    EXPECT_EQ(rate.text(), QStringLiteral("0.00%"));
    EXPECT_NEAR(fixtures::probe(path, QStringLiteral("select Rate from firm where Code='001'")).toDouble(), 0.015,
                1e-7);
}

TEST_F(BoundControlsTest, WithoutACurrentRowTypingGoesNowhereAndCommitDoesNothing)
{
    auto empty = conn->openRecordset(QStringLiteral("select * from firm where Code='none'"));
    QLineEdit name;
    ui::FieldBinding binding;
    binding.bind(&name, QStringLiteral("Name"));
    binding.setRecordset(empty.get());
    QTest::keyClicks(&name, QStringLiteral("x"));
    EXPECT_NO_THROW(binding.commit());
    EXPECT_EQ(fixtures::probe(path, QStringLiteral("select count(*) from firm")).toInt(), 3);
}

TEST_F(BoundControlsTest, BindingAFieldTheRecordsetLacksIsRefused)
{
    QLineEdit box;
    ui::FieldBinding binding;
    binding.bind(&box, QStringLiteral("Missing"));
    const QString error = dbtest::dbError([&] { binding.setRecordset(rs.get()); });
    EXPECT_TRUE(error.startsWith(QString::fromUtf8(db::messages::itemNotFound))) << error.toStdString();
    EXPECT_EQ(binding.recordset(), nullptr);
}
