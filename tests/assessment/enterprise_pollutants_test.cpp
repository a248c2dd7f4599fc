// The enterprise pollutants window: captions, picking and deleting assignments, the build button and
// the closing question.
#include "platform/db/recordset.h"
#include "qelv/assessment/frmDWWRW.h"
#include "tests/assessment/assignment_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

namespace {

class EnterprisePollutantsTest : public AssignmentFileTest {
protected:
    void SetUp() override
    {
        AssignmentFileTest::SetUp();
        addEnterprise(QStringLiteral("0012"), "甲厂");
        addEnterprise(QStringLiteral("0003"), nullptr);
        addEnterprise(QStringLiteral("0100"), "丙厂");
        addPollutant(QStringLiteral("W3"), QStringLiteral("COD"), 1, QStringLiteral("废水"),
                     QStringLiteral("排放量:1"));
        addPollutant(QStringLiteral("N1"), QStringLiteral("噪声"), 5, QStringLiteral("噪声"), QStringLiteral("300:0"));
        assign(QStringLiteral("0012"), QStringLiteral("W3"), 1, QStringLiteral("COD"));
    }

    static void pick(frmDWWRW& w, const QString& number)
    {
        const auto items = w.ListView1->findItems(number, Qt::MatchExactly, 0);
        ASSERT_EQ(items.size(), 1);
        w.ShowPollutantPicker();
        w.ListView1->setCurrentItem(items[0]);
        w.PickPollutantForRow();
    }
    static void toNewRow(frmDWWRW& w)
    {
        ui::RecordsetModel* m = w.grdDataGrid->recordsetModel();
        m->moveToRow(m->newRow());
    }
    static QStringList messages() { return ui::testing::shownTexts(); }
    // Types into a cell of the assignment grid through its own editor and leaves the cell.
    static void typeCell(frmDWWRW& w, int row, int column, const QString& text)
    {
        const QModelIndex cell = w.grdDataGrid->recordsetModel()->index(row, column);
        w.grdDataGrid->setCurrentIndex(cell);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the last cell's editor
        w.grdDataGrid->edit(cell);
        auto* editor = w.grdDataGrid->viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        w.grdDataGrid->commitEdit();
    }
};

} // namespace

TEST_F(EnterprisePollutantsTest, CaptionsFollowTheEnterpriseAndANullNameKeepsThePreviousOnes)
{
    frmDWWRW w;
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    EXPECT_EQ(w.Label1->text(), QStringLiteral("甲厂"));
    EXPECT_EQ(w.assignmentCaption(), QStringLiteral("甲厂污染物种类"));
    EXPECT_EQ(w.assignments()->recordCount(), 1);
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 2);
    EXPECT_EQ(w.ListView1->topLevelItem(0)->text(0), QStringLiteral("N1")) << "in number order";
    EXPECT_EQ(w.ListView1->topLevelItem(0)->text(2), QStringLiteral("5"));
    EXPECT_TRUE(w.ListView1->isHidden());

    w.Command6_Click(); // to 0003, whose name is Null
    EXPECT_EQ(messages(), QStringList({"无效使用 Null"}));
    EXPECT_EQ(w.Label1->text(), QStringLiteral("甲厂"));
    EXPECT_EQ(w.assignmentCaption(), QStringLiteral("甲厂污染物种类"));
    EXPECT_EQ(w.assignments()->recordCount(), 0) << "the grid shows that enterprise's rows all the same";
    w.Command6_Click();
    EXPECT_EQ(w.Label1->text(), QStringLiteral("丙厂"));
    w.Command6_Click(); // past the end: beep, stays on the last
    EXPECT_EQ(ui::testing::beeps(), 1);
    EXPECT_EQ(w.enterprises()->absolutePosition(), 3);
    EXPECT_TRUE(w.lblStatus->text().isEmpty());
}

TEST_F(EnterprisePollutantsTest, AnEmptyRegisterAndAnEmptyCatalogueAreSaidAndTheWindowOpens)
{
    fixtures::exec(dw(), QStringLiteral("delete from dw"));
    fixtures::exec(wrw(), QStringLiteral("delete from wrw"));
    frmDWWRW w;
    EXPECT_EQ(messages(), QStringList({"请先输入单位!", "请先输入污染物!"}));
    w.Command1_Click(); // nothing to delete, nothing said
    EXPECT_EQ(messages().size(), 2);
}

TEST_F(EnterprisePollutantsTest, PickingOnTheNewRowAddsAnAssignmentWithOutletOneUnderTheEnterprise)
{
    frmDWWRW w;
    w.Command7_Click(); // 0100, no assignments yet: the grid stands on its empty row
    EXPECT_TRUE(w.assignments()->isEOF());
    pick(w, QStringLiteral("N1"));
    EXPECT_TRUE(w.ListView1->isHidden());
    w.Command4_Click();
    toNewRow(w);
    pick(w, QStringLiteral("W3"));
    pick(w, QStringLiteral("W3")); // the same pollutant once more on the row it went to: nothing new
    toNewRow(w);
    pick(w, QStringLiteral("W3")); // the same pollutant and outlet twice is allowed
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    EXPECT_EQ(assignments(),
              QStringLiteral("1|0012|W3|COD|1|1|废水;2|0100|N1|噪声|5|1|噪声;3|0012|W3|COD|1|1|废水;"
                             "4|0012|W3|COD|1|1|废水"));
    EXPECT_EQ(w.assignments()->recordCount(), 3);
}

TEST_F(EnterprisePollutantsTest, PickingOnARowReplacesOrRefreshesItAndKeepsItsIdAndEnterprise)
{
    fixtures::exec(dw(), QStringLiteral("update dwwrw set PaiWuKou = 3, WuRanWuMingCheng = '旧名'"));
    frmDWWRW w;
    pick(w, QStringLiteral("W3")); // the same pollutant: copies refreshed, the outlet back to 1
    EXPECT_EQ(assignments(), QStringLiteral("1|0012|W3|COD|1|1|废水"));
    pick(w, QStringLiteral("N1")); // another pollutant replaces it on the same row
    EXPECT_EQ(assignments(), QStringLiteral("1|0012|N1|噪声|5|1|噪声"));

    w.ShowPollutantPicker();
    w.ListView1->setCurrentItem(nullptr);
    w.PickPollutantForRow(); // no item: only hides the list
    EXPECT_TRUE(w.ListView1->isHidden());
    EXPECT_EQ(assignments(), QStringLiteral("1|0012|N1|噪声|5|1|噪声"));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(EnterprisePollutantsTest, APickOrDeleteTheFileRefusesIsShownAndTheGridShowsWhatTheFileHolds)
{
    fixtures::exec(
        dw(),
        QStringLiteral("CREATE TRIGGER no_add BEFORE INSERT ON dwwrw BEGIN SELECT RAISE(ABORT, '不许添加'); END;"
                       "CREATE TRIGGER no_del BEFORE DELETE ON dwwrw BEGIN SELECT RAISE(ABORT, '不许删除'); END;"));
    frmDWWRW w;
    toNewRow(w);
    pick(w, QStringLiteral("N1"));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains(QStringLiteral("不许添加"))) << messages()[0].toStdString();
    EXPECT_EQ(w.assignments()->recordCount(), 1) << "no row that looks saved";
    EXPECT_EQ(assignments(), QStringLiteral("1|0012|W3|COD|1|1|废水"));

    w.assignments()->moveFirst();
    w.Command1_Click();
    ASSERT_EQ(messages().size(), 2);
    EXPECT_TRUE(messages()[1].contains(QStringLiteral("不许删除")));
    EXPECT_EQ(w.assignments()->recordCount(), 1);
}

TEST_F(EnterprisePollutantsTest, DeletingTheLastRowLeavesTheGridOnTheNewLastRow)
{
    assign(QStringLiteral("0012"), QStringLiteral("N1"), 1, QStringLiteral("噪声"));
    frmDWWRW w;
    w.assignments()->moveLast();
    w.Command1_Click();
    EXPECT_EQ(assignments(), QStringLiteral("1|0012|W3|COD|1|1|废水"));
    EXPECT_EQ(w.assignments()->absolutePosition(), 1);
    w.Command1_Click();
    EXPECT_EQ(assignments(), QString());
    w.Command1_Click(); // an empty grid: nothing happens
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
}

TEST_F(EnterprisePollutantsTest, TheBuildWritesTheGridsPendingEditFirst)
{
    frmDWWRW w;
    w.grdDataGrid->setText(3, QStringLiteral("2")); // the outlet, typed and not yet written
    w.Command3_Click();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    EXPECT_EQ(tables(tmpl()), QStringList({"WRW0012W32"}));
    EXPECT_EQ(gsFlag(), QStringLiteral("0"));
    EXPECT_EQ(w.Label1->text(), QStringLiteral("甲厂")) << "the window stays on its enterprise";
}

TEST_F(EnterprisePollutantsTest, APollutantOrOutletNumberWithBlanksAroundItIsRefused)
{
    frmDWWRW w;
    w.show();
    const QString before = assignments();
    const struct {
        int row, column;
        const char* typed;
        const char* says;
    } cases[] = {
        {0, 0, "W3 ", "污染物编号“W3 ”的前后有空格"},
        {0, 0, " N1", "污染物编号“ N1”的前后有空格"},
        {0, 3, " 2", "排污口“ 2”的前后有空格"},
        {1, 0, "N1 ", "污染物编号“N1 ”的前后有空格"}, // the empty new row: no assignment added
    };
    for (const auto& c : cases) {
        ui::testing::clearShown();
        typeCell(w, c.row, c.column, QString::fromUtf8(c.typed));
        ASSERT_EQ(messages().size(), 1) << c.typed;
        EXPECT_TRUE(messages()[0].startsWith(QString::fromUtf8(c.says))) << messages()[0].toStdString();
        w.Command3_Click(); // writes what is pending first
        EXPECT_EQ(assignments(), before) << c.typed;
    }
    // Typed without the blanks, the outlet is taken.
    ui::testing::clearShown();
    typeCell(w, 0, 3, QStringLiteral("2"));
    w.Command3_Click();
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    EXPECT_EQ(assignments(), QStringLiteral("1|0012|W3|COD|1|2|废水"));
}

TEST_F(EnterprisePollutantsTest, ClosingAsksAndOnlyYesSetsTheFlag)
{
    {
        settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("1"));
        frmDWWRW w;
        ui::testing::answer(ui::Answer::No);
        w.Command2_Click();
        EXPECT_EQ(messages(), QStringList({"有没有改变数据?改变单击是,没有单击否!"}));
        EXPECT_EQ(dwwrwFlag(), QStringLiteral("1")) << "No leaves it as it was";
    }
    settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("0"));
    ui::testing::clearShown();
    frmDWWRW w;
    ui::testing::answer(ui::Answer::Yes);
    w.cmdClose->click();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(dwwrwFlag(), QStringLiteral("1"));
}

TEST_F(EnterprisePollutantsTest, KeysMoveThroughTheEnterprisesExceptInThePollutantList)
{
    frmDWWRW w;
    QTest::keyClick(w.DataGrid1, Qt::Key_End);
    EXPECT_EQ(w.enterprises()->absolutePosition(), 3);
    QTest::keyClick(w.grdDataGrid, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(w.enterprises()->absolutePosition(), 1);
    QTest::keyClick(w.DataGrid1, Qt::Key_Down);
    EXPECT_EQ(w.enterprises()->absolutePosition(), 2) << "one move for one key";
    w.ShowPollutantPicker();
    QTest::keyClick(w.ListView1, Qt::Key_Down);
    EXPECT_EQ(w.enterprises()->absolutePosition(), 2);
    ui::testing::clearShown();
    QTest::keyClick(w.DataGrid1, Qt::Key_Escape);
    EXPECT_EQ(messages(), QStringList({"有没有改变数据?改变单击是,没有单击否!"})) << "Esc closes the window";
}
