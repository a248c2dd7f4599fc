// The monthly workbench: loading, the moves through enterprises and assignments, fee entry and the
// month-file commands.
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/frmKaiPiao.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/frmCJSJK.h"
#include "tests/assessment/assignment_fixture.h"
#include "tests/fixtures/modal.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>
#include <sqlite3.h>

namespace {

class WorkbenchTest : public AssignmentFileTest {
protected:
    void SetUp() override
    {
        AssignmentFileTest::SetUp();
        Module1::gWorkMonth = QDate(2003, 6, 1);
        Module1::gInvoiceDate = QDate(2003, 6, 18);
        Module1::gUserName = QStringLiteral("张三");
        addEnterprise(QStringLiteral("0002"), "乙厂");
        addEnterprise(QStringLiteral("0001"), "甲厂");
        addEnterprise(QStringLiteral("0003"), "丙厂");
        addPollutant(QStringLiteral("P1"), QStringLiteral("COD"), 1, QStringLiteral("废水"),
                     QStringLiteral("Q:1 *:4 0.7:0"));
        addPollutant(QStringLiteral("P2"), QStringLiteral("噪声"), 5, QStringLiteral("噪声"), QStringLiteral("Q:1"));
        addPollutant(QStringLiteral("P3"), QStringLiteral("氨氮"), 1, QStringLiteral("废水"),
                     QStringLiteral("Q:1 /:5 0:0"));
        addPollutant(QStringLiteral("P4"), QStringLiteral("烟尘"), 2, QStringLiteral("废气"),
                     QStringLiteral("污染当量值:1 *:4 Q:1 *:4 X:1"));
        assign(QStringLiteral("0001"), QStringLiteral("P4"), 1, QStringLiteral("烟尘"));
        assign(QStringLiteral("0001"), QStringLiteral("P1"), 1, QStringLiteral("COD"));
        assign(QStringLiteral("0002"), QStringLiteral("P2"), 2, QStringLiteral("噪声"));
        assign(QStringLiteral("0002"), QStringLiteral("P3"), 1, QStringLiteral("氨氮"));
        fixtures::exec(folder->data(QStringLiteral("qelvDL.mdb")),
                       QStringLiteral("insert into dl values ('D1','一类','A',2.5,'水'), ('D2','二类','B',4,'气')"));
        buildTemplate();
    }

    void buildTemplate() const
    {
        db::Connection dwConn(db::DataFile{QStringLiteral("qelvdw.mdb")});
        db::Connection wrwConn(db::DataFile{QStringLiteral("qelvwrw.mdb")});
        discharge::buildTemplate(dwConn, wrwConn);
    }
    QString month(int y = 2003, int m = 6) const
    {
        return folder->data(QStringLiteral("qelvdata%1_%2.mdb").arg(y).arg(m));
    }
    void copyTemplateToMonth(int y = 2003, int m = 6) const { files::copy(tmpl(), month(y, m)); }
    QString kz() const { return folder->data(QStringLiteral("qelvkz2003.mdb")); }
    static QVariant fee(const QString& file, const QString& table)
    {
        return fixtures::probe(file, QStringLiteral("select \"收费金额\" from \"%1\"").arg(table));
    }
    static QStringList messages() { return ui::testing::shownTexts(); }
    static int column(frmKaiPiao& w, const QString& caption)
    {
        ui::RecordsetModel* m = w.DataGrid2->recordsetModel();
        for (int i = 0; m && i < m->columnCount(); ++i)
            if (m->headerData(i, Qt::Horizontal).toString() == caption)
                return i;
        return -1;
    }
    // Types into a cell of the discharge grid as the operator does and leaves the cell.
    static void type(frmKaiPiao& w, const QString& caption, const QString& text)
    {
        const int c = column(w, caption);
        ASSERT_GE(c, 0) << caption.toStdString();
        w.show();
        ui::RecordsetModel* m = w.DataGrid2->recordsetModel();
        const QModelIndex index = m->index(0, c);
        w.DataGrid2->setCurrentIndex(index);
        w.DataGrid2->edit(index);
        auto* editor = qobject_cast<QLineEdit*>(w.DataGrid2->indexWidget(index));
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        w.DataGrid2->commitEdit();
    }
    static QString cell(frmKaiPiao& w, const QString& caption) { return w.DataGrid2->text(column(w, caption)); }
    static QString currentEnterprise(frmKaiPiao& w)
    {
        return w.enterprises()->value(QStringLiteral("DanWeiBianHao")).toString();
    }
    static QString currentPollutant(frmKaiPiao& w)
    {
        return w.assignments()->value(QStringLiteral("WuRanWuBianHao")).toString();
    }
    // Closes the notice of a made table at once, counting it.
    void expectNotice()
    {
        fixtures::whenShown<frmCJSJK>(QStringLiteral("frmCJSJK"), [this](frmCJSJK* n) {
            ++notices;
            n->accept();
        });
    }
    int notices = 0;
};

// --- loading ------------------------------------------------------------------------------------

TEST_F(WorkbenchTest, TheLoadQuestionsAndMessagesFollowTheFlags)
{
    struct Case {
        const char* gs;
        const char* dwwrw;
        ui::Answer answer;
        QStringList shown;
        bool monthReplaced;
        const char* dwwrwAfter;
    };
    const QString added = QStringLiteral("添加了新的污染物，请重新创建数据库！然后复制最新数据！");
    const QString changed = QStringLiteral("修改了污染物公司，必须重新创建数据库！然后复制最新数据！");
    const QString question = QStringLiteral("单位污染物已修改过，是否自动复制最新数据！");
    const Case cases[] = {
        {"0", "0", ui::Answer::Yes, {}, false, "0"},
        {"1", "0", ui::Answer::Yes, {added}, false, "0"},
        {"2", "1", ui::Answer::Yes, {changed, question}, true, "0"},
        {"2", "1", ui::Answer::No, {changed, question}, false, "0"},
        {"3", "2", ui::Answer::Yes, {}, false, "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.gs) + "/" + c.dwwrw);
        copyTemplateToMonth();
        fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 9"));
        settings::save(QStringLiteral("ModifyDataGS"), QString::fromLatin1(c.gs));
        settings::save(QStringLiteral("ModifyDataDWWRW"), QString::fromLatin1(c.dwwrw));
        ui::testing::clearShown();
        // Every box takes the next queued answer, the information first.
        if (c.shown.size() == 2)
            ui::testing::answer(ui::Answer::Ok);
        if (QString::fromLatin1(c.dwwrw) == QLatin1String("1"))
            ui::testing::answer(c.answer);
        {
            frmKaiPiao w;
            EXPECT_EQ(messages(), c.shown);
            if (c.shown.contains(question)) {
                EXPECT_EQ(ui::testing::shown().back().buttons, ui::Buttons::YesNo);
            }
            if (!c.shown.isEmpty() && c.shown.first() != question) {
                EXPECT_EQ(ui::testing::shown().front().icon, ui::Icon::Information);
            }
        }
        EXPECT_EQ(fixtures::probe(month(), QStringLiteral("select Q from WRW0001P11")).toDouble(),
                  c.monthReplaced ? 0.0 : 9.0);
        EXPECT_EQ(gsFlag(), QString::fromLatin1(c.gs)) << "the formula flag is only read";
        EXPECT_EQ(dwwrwFlag(), QString::fromLatin1(c.dwwrwAfter));
    }
}

TEST_F(WorkbenchTest, TheYearFileIsMadeAndTheStatusBarFilled)
{
    ASSERT_FALSE(files::exists(kz()));
    frmKaiPiao w;
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    EXPECT_TRUE(files::exists(kz()));
    EXPECT_EQ(w.panelText(1), QStringLiteral("状态"));
    EXPECT_EQ(w.panelText(2), QStringLiteral("用户:张三"));
    EXPECT_EQ(w.panelText(3), QStringLiteral("开票日期:2003-06-18"));
    EXPECT_EQ(w.panelText(4), QStringLiteral("操作月份:2003-06"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("排污数据录入"));
    EXPECT_TRUE(w.Command7->isEnabled());
    EXPECT_EQ(w.ListView1->topLevelItemCount(), 2);
    EXPECT_EQ(w.ListView1->topLevelItem(1)->text(3), QStringLiteral("4"));
    EXPECT_TRUE(w.ListView1->isHidden());
    EXPECT_EQ(currentEnterprise(w), QStringLiteral("0001")) << "in number order";
    EXPECT_EQ(w.Label1->text(), QStringLiteral("甲厂"));
}

TEST_F(WorkbenchTest, AnEmptyRegisterIsSaidAndTheWindowStaysOpen)
{
    fixtures::exec(dw(), QStringLiteral("delete from dw"));
    frmKaiPiao w;
    EXPECT_EQ(messages(), QStringList({"请初始化软件!"}));
    EXPECT_FALSE(w.gridsBound());
    EXPECT_EQ(w.panelText(4), QStringLiteral("操作月份:2003-06"));
    w.Command2_Click();
    w.cmdNext_Click();
    EXPECT_EQ(messages().size(), 1) << "next and previous do nothing on an empty list";
    w.Command4_Click();
    EXPECT_EQ(messages().size(), 2) << "first fails with a message";
}

// --- navigation ---------------------------------------------------------------------------------

TEST_F(WorkbenchTest, TheBillingRowAndTheLedgerAreMadeOnFirstShowAndLeftAloneAfter)
{
    const QString ledgers = folder->data(QStringLiteral("qelvdwznj.mdb"));
    {
        frmKaiPiao w;
        ASSERT_NE(w.billingRow(), nullptr);
        EXPECT_EQ(w.billingRow()->fieldNames(), QStringList({"单位编号", "6月", "几个月", "6月注释"}));
        EXPECT_EQ(w.DataGrid3->text(1), QStringLiteral("0"));
        EXPECT_EQ(w.DataGrid3->text(2), QStringLiteral("0"));
        EXPECT_EQ(w.DataGrid3->text(3), QString());
        EXPECT_TRUE(w.DataGrid3->isColumnHidden(0));
        EXPECT_TRUE(w.DataGrid3->hasButton(1));
        EXPECT_FALSE(w.DataGrid3->hasButton(2));
        w.ToggleMonthFlag(1);
        w.Command2_Click();
        EXPECT_EQ(currentEnterprise(w), QStringLiteral("0002"));
        w.Command2_Click();
        EXPECT_EQ(currentEnterprise(w), QStringLiteral("0003"));
    }
    EXPECT_EQ(fixtures::probe(kz(), QStringLiteral("select count(*) from KPKZK")).toInt(), 3);
    EXPECT_EQ(fixtures::probe(kz(), QStringLiteral("select M6 from KPKZK where DanWeiBianHao='0001'")).toInt(), 1);
    for (const char* t : {"ZNJ0001", "ZNJ0002", "ZNJ0003"})
        EXPECT_EQ(fixtures::probe(
                      ledgers,
                      QStringLiteral("select count(*) from sqlite_master where name='%1'").arg(QString::fromLatin1(t)))
                      .toInt(),
                  1)
            << t;
    fixtures::exec(ledgers, QStringLiteral("insert into ZNJ0001 (FaPiaoBianHao) values ('1')"));
    {
        frmKaiPiao w;
        w.Command1_Click();
        EXPECT_EQ(w.DataGrid3->text(1), QStringLiteral("0"));
    }
    EXPECT_EQ(fixtures::probe(kz(), QStringLiteral("select count(*) from KPKZK")).toInt(), 3);
    EXPECT_EQ(fixtures::probe(kz(), QStringLiteral("select M6 from KPKZK where DanWeiBianHao='0001'")).toInt(), 1);
    EXPECT_EQ(fixtures::probe(ledgers, QStringLiteral("select count(*) from ZNJ0001")).toInt(), 1);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
}

TEST_F(WorkbenchTest, OctoberHeadsTheBillingColumnsWithItsMonth)
{
    Module1::gWorkMonth = QDate(2003, 10, 1);
    frmKaiPiao w;
    ASSERT_NE(w.billingRow(), nullptr);
    EXPECT_EQ(w.billingRow()->fieldNames(), QStringList({"单位编号", "10月", "几个月", "10月注释"}));
    w.ToggleMonthFlag(1);
    w.close();
    EXPECT_EQ(fixtures::probe(kz(), QStringLiteral("select M10 || '/' || M6 from KPKZK where DanWeiBianHao='0001'"))
                  .toString(),
              QStringLiteral("1/0"));
}

TEST_F(WorkbenchTest, WithoutAMonthFileTheDischargeGridStaysEmptyAndBillingRowsStillShow)
{
    frmKaiPiao w;
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    EXPECT_EQ(w.monthRow(), nullptr);
    EXPECT_EQ(w.DataGrid2->recordsetModel(), nullptr);
    w.cmdNext_Click();
    w.Command2_Click();
    EXPECT_EQ(w.monthRow(), nullptr);
    EXPECT_FALSE(files::exists(month())) << "the load makes no month file";
    EXPECT_EQ(w.DataGrid3->text(0), QStringLiteral("0002"));
}

TEST_F(WorkbenchTest, MovesShowEachAssignmentsRowAndTheEndsBeep)
{
    copyTemplateToMonth();
    frmKaiPiao w;
    ASSERT_NE(w.monthRow(), nullptr);
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P1"));
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("  污染物: 甲厂->COD"));
    EXPECT_EQ(w.DataGrid2->recordsetModel()->columnCount(), 5);
    EXPECT_EQ(cell(w, QStringLiteral("是否单独列为收费项目")), QStringLiteral("否"));
    const QList<int> buttons = {1, 4};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(w.DataGrid2->hasButton(c), buttons.contains(c)) << c;

    w.cmdNext_Click();
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P4"));
    EXPECT_GE(column(w, QStringLiteral("污染当量值")), 0);
    EXPECT_TRUE(w.DataGrid2->hasButton(column(w, QStringLiteral("污染当量值"))));
    EXPECT_FALSE(w.DataGrid2->hasButton(column(w, QStringLiteral("X"))));
    w.cmdNext_Click();
    EXPECT_EQ(ui::testing::beeps(), 1);
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P4"));
    w.cmdFirst_Click();
    w.cmdPrevious_Click();
    EXPECT_EQ(ui::testing::beeps(), 2);
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P1"));

    w.Command3_Click();
    EXPECT_EQ(ui::testing::beeps(), 3);
    w.Command1_Click();
    EXPECT_EQ(currentEnterprise(w), QStringLiteral("0003"));
    EXPECT_EQ(w.DataGrid2->recordsetModel(), nullptr) << "an enterprise without assignments shows no figures";
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("  污染物: 甲厂->COD")) << "keeps its earlier text";
    w.Command2_Click();
    EXPECT_EQ(ui::testing::beeps(), 4);
    EXPECT_EQ(currentEnterprise(w), QStringLiteral("0003"));
    w.Command3_Click();
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P2"));
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("  污染物: 乙厂->噪声"));
    w.cmdLast_Click();
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P3"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
}

TEST_F(WorkbenchTest, AnAssignmentAddedAfterTheCopyGetsItsTableWithOneNotice)
{
    copyTemplateToMonth();
    assign(QStringLiteral("0001"), QStringLiteral("P3"), 2, QStringLiteral("氨氮"));
    frmKaiPiao w;
    expectNotice();
    w.cmdLast_Click();
    EXPECT_EQ(notices, 0);
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P4"));
    w.cmdPrevious_Click();
    ASSERT_EQ(currentPollutant(w), QStringLiteral("P3"));
    EXPECT_EQ(notices, 1);
    ASSERT_NE(w.monthRow(), nullptr);
    EXPECT_EQ(rowOf(month(), QStringLiteral("WRW0001P32")), QStringLiteral("1:0|0|0|0|0"));
    EXPECT_EQ(cell(w, QStringLiteral("是否单独列为收费项目")), QStringLiteral("否"));
    w.cmdNext_Click();
    w.cmdPrevious_Click();
    EXPECT_EQ(notices, 1) << "made once";
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
}

TEST_F(WorkbenchTest, ATableThatCannotBeMadeIsSaidOnceAndTheGridShowsNothing)
{
    copyTemplateToMonth();
    // A formula naming a variable like a fee column cannot be made into a table.
    addPollutant(QStringLiteral("P9"), QStringLiteral("坏"), 1, QStringLiteral("废水"),
                 QStringLiteral("收费金额:1 *:4 2:0"));
    assign(QStringLiteral("0001"), QStringLiteral("P9"), 1, QStringLiteral("坏"));
    frmKaiPiao w;
    ASSERT_NE(w.monthRow(), nullptr);
    w.cmdLast_Click();
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P9"));
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(w.monthRow(), nullptr);
    EXPECT_EQ(w.DataGrid2->recordsetModel(), nullptr) << "never the previous assignment's row";
}

TEST_F(WorkbenchTest, TheKeysOfTheDischargeGridMoveWithAndWithoutCtrlAlone)
{
    copyTemplateToMonth();
    frmKaiPiao w;
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers shift;
        const char* enterprise;
        const char* pollutant;
    };
    // From 0001/P1 each time.
    const Case cases[] = {
        {Qt::Key_Down, Qt::NoModifier, "0001", "P4"},
        {Qt::Key_Down, Qt::ControlModifier, "0001", "P4"},
        {Qt::Key_PageDown, Qt::NoModifier, "0002", "P2"},
        {Qt::Key_PageDown, Qt::ControlModifier, "0003", ""},
        {Qt::Key_PageDown, Qt::ControlModifier | Qt::ShiftModifier, "0002", "P2"},
        {Qt::Key_Left, Qt::ControlModifier, "0001", "P1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.key));
        w.Command4_Click();
        w.cmdFirst_Click();
        QTest::keyClick(w.DataGrid2, c.key, c.shift);
        EXPECT_EQ(currentEnterprise(w), QString::fromLatin1(c.enterprise));
        if (*c.pollutant) {
            EXPECT_EQ(currentPollutant(w), QString::fromLatin1(c.pollutant));
        }
    }
    // Up and Page Up, from the last assignment of the second enterprise.
    const Case back[] = {
        {Qt::Key_Up, Qt::NoModifier, "0002", "P2"},
        {Qt::Key_Up, Qt::ControlModifier | Qt::ShiftModifier, "0002", "P2"},
        {Qt::Key_PageUp, Qt::NoModifier, "0001", "P1"},
        {Qt::Key_PageUp, Qt::ControlModifier, "0001", "P1"},
    };
    for (const Case& c : back) {
        SCOPED_TRACE(static_cast<int>(c.key));
        w.Command4_Click();
        w.Command2_Click();
        w.cmdLast_Click();
        ASSERT_EQ(currentPollutant(w), QStringLiteral("P3"));
        QTest::keyClick(w.DataGrid2, c.key, c.shift);
        EXPECT_EQ(currentEnterprise(w), QString::fromLatin1(c.enterprise));
        EXPECT_EQ(currentPollutant(w), QString::fromLatin1(c.pollutant));
    }
    // The window's own keys move the assignments.
    w.Command4_Click();
    EXPECT_TRUE(w.Form_KeyDown(Qt::Key_End, Qt::NoModifier));
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P4"));
    EXPECT_TRUE(w.Form_KeyDown(Qt::Key_Up, Qt::ControlModifier));
    EXPECT_EQ(currentPollutant(w), QStringLiteral("P1"));
    EXPECT_FALSE(w.Form_KeyDown(Qt::Key_Escape, Qt::NoModifier));
}

// The ledger is made beside the billing row: a ledger file that another program keeps locked is said,
// and the billing row is made and shown all the same; the next show makes the ledger.
TEST_F(WorkbenchTest, ALedgerThatCannotBeMadeIsSaidAndTheBillingRowStillShows)
{
    const QString ledgers = folder->data(QStringLiteral("qelvdwznj.mdb"));
    frmKaiPiao w;
    ASSERT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(ledgers.toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    w.Command2_Click();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(currentEnterprise(w), QStringLiteral("0002"));
    EXPECT_EQ(w.DataGrid3->text(0), QStringLiteral("0002"));
    EXPECT_EQ(fixtures::probe(kz(), QStringLiteral("select count(*) from KPKZK where DanWeiBianHao='0002'")).toInt(),
              1);
    const QString ledgerCount = QStringLiteral("select count(*) from sqlite_master where name='ZNJ0002'");
    EXPECT_EQ(fixtures::probe(ledgers, ledgerCount).toInt(), 0);

    w.Command3_Click();
    w.Command2_Click();
    EXPECT_EQ(fixtures::probe(ledgers, ledgerCount).toInt(), 1);
    EXPECT_EQ(messages().size(), 1);
}

// Numbers are typed text: a quote in them reaches every statement of a move bound or quoted, never
// spliced (the fixture's own inserts double it).
TEST_F(WorkbenchTest, NumbersWithQuotesReachTheBillingRowTheLedgerAndTheMonthTable)
{
    addEnterprise(QStringLiteral("0''0"), "丁厂");
    addPollutant(QStringLiteral("P''5"), QStringLiteral("苯"), 1, QStringLiteral("废水"),
                 QStringLiteral("Q:1 *:4 2:0"));
    assign(QStringLiteral("0''0"), QStringLiteral("P''5"), 1, QStringLiteral("苯"));
    buildTemplate();
    copyTemplateToMonth();
    {
        frmKaiPiao w;
        ASSERT_EQ(currentEnterprise(w), QStringLiteral("0'0"));
        ASSERT_EQ(currentPollutant(w), QStringLiteral("P'5"));
        ASSERT_NE(w.monthRow(), nullptr);
        EXPECT_EQ(w.DataGrid3->text(0), QStringLiteral("0'0"));
        type(w, QStringLiteral("Q"), QStringLiteral("3"));
        EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("6.00"));
        w.Command2_Click();
        EXPECT_EQ(currentEnterprise(w), QStringLiteral("0001"));
    }
    EXPECT_DOUBLE_EQ(fee(month(), QStringLiteral("WRW0'0P'51")).toDouble(), 6.0);
    EXPECT_EQ(fixtures::probe(kz(), QStringLiteral("select M6 || '/' || M6N from KPKZK where DanWeiBianHao='0''0'"))
                  .toString(),
              QStringLiteral("1/1"));
    EXPECT_EQ(fixtures::probe(folder->data(QStringLiteral("qelvdwznj.mdb")),
                              QStringLiteral("select count(*) from sqlite_master where name='ZNJ0''0'"))
                  .toInt(),
              1);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
}

// --- fee entry ----------------------------------------------------------------------------------

TEST_F(WorkbenchTest, TheFeeButtonComputesTheFormulaAndStoresTwoDecimals)
{
    copyTemplateToMonth();
    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 120"));
    {
        frmKaiPiao w;
        w.ComputeFeeOrToggle(column(w, QStringLiteral("收费金额")));
        EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("84.00"));
        EXPECT_EQ(w.DataGrid3->text(1), QStringLiteral("0")) << "the button alone marks nothing";
        w.cmdNext_Click();
    }
    EXPECT_DOUBLE_EQ(fee(month(), QStringLiteral("WRW0001P11")).toDouble(), 84.0);

    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 1.2345"));
    {
        frmKaiPiao w;
        w.ComputeFeeOrToggle(column(w, QStringLiteral("收费金额")));
    }
    EXPECT_DOUBLE_EQ(fee(month(), QStringLiteral("WRW0001P11")).toDouble(), 0.86) << "0.86415 kept to two decimals";
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
}

// What the grids show: money with its fen, and the billing row's three columns whole, without
// scrolling, for the first enterprise and after a move.
TEST_F(WorkbenchTest, MoneyCellsShowTwoDecimalsAndTheBillingGridItsThreeColumns)
{
    copyTemplateToMonth();
    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 120"));
    frmKaiPiao w;
    w.show();
    w.ComputeFeeOrToggle(column(w, QStringLiteral("收费金额")));
    auto shown = [&w](const char* caption) {
        return w.DataGrid2->model()->index(0, column(w, QString::fromUtf8(caption))).data().toString();
    };
    EXPECT_EQ(shown("收费金额"), QStringLiteral("84.00"));
    EXPECT_EQ(shown("Q"), QStringLiteral("120.00"));
    EXPECT_EQ(shown("加倍收费"), QStringLiteral("0.00"));
    EXPECT_EQ(shown("提高收费"), QStringLiteral("0.00"));
    EXPECT_EQ(shown("是否单独列为收费项目"), QStringLiteral("否"));

    for (int move = 0; move < 2; ++move) {
        QApplication::processEvents();
        ui::DataGrid* g = w.DataGrid3;
        EXPECT_EQ(g->horizontalScrollBar()->maximum(), 0) << "move " << move;
        for (int c = 1; c <= 3; ++c) {
            EXPECT_FALSE(g->isColumnHidden(c));
            EXPECT_GE(g->columnWidth(c), g->horizontalHeader()->sectionSizeHint(c)) << "heading of column " << c;
            EXPECT_LE(g->columnViewportPosition(c) + g->columnWidth(c), g->viewport()->width()) << "column " << c;
        }
        w.Command2_Click();
    }
}

// A figure with more than two decimals shows rounded but counts as stored: 1.005 * 0.7 is 0.70, where
// the 1.01 shown would give 0.71.
TEST_F(WorkbenchTest, TheFeeIsComputedFromTheFiguresAsStoredNotAsShown)
{
    copyTemplateToMonth();
    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 1.005"));
    frmKaiPiao w;
    EXPECT_EQ(cell(w, QStringLiteral("Q")), QStringLiteral("1.01"));
    w.ComputeFeeOrToggle(column(w, QStringLiteral("收费金额")));
    EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("0.70"));
}

TEST_F(WorkbenchTest, EditingAVariableRecomputesAndMarksTheMonth)
{
    copyTemplateToMonth();
    billingControl::ensureYearFile(2003);
    fixtures::exec(kz(), QStringLiteral("insert into KPKZK (DanWeiBianHao, M6, M6N) values ('0001', 0, 3)"));
    {
        frmKaiPiao w;
        type(w, QStringLiteral("Q"), QStringLiteral("10"));
        EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("7.00"));
        EXPECT_EQ(w.DataGrid3->text(1), QStringLiteral("1"));
        EXPECT_EQ(w.DataGrid3->text(2), QStringLiteral("1"));

        // Cells right of the fee neither recompute nor mark.
        w.DataGrid3->setText(2, QStringLiteral("3"));
        type(w, QStringLiteral("加倍收费"), QStringLiteral("5"));
        type(w, QStringLiteral("收费金额"), QStringLiteral("1"));
        type(w, QStringLiteral("是否单独列为收费项目"), QStringLiteral("是"));
        EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("1.00"));
        EXPECT_EQ(w.DataGrid3->text(2), QStringLiteral("3"));
    }
    EXPECT_EQ(rowOf(month(), QStringLiteral("WRW0001P11")), QStringLiteral("1:10|1|5|0|1"));
    EXPECT_EQ(fixtures::probe(kz(), QStringLiteral("select M6 || '/' || M6N from KPKZK where DanWeiBianHao='0001'"))
                  .toString(),
              QStringLiteral("1/3"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
}

TEST_F(WorkbenchTest, APickedEquivalentIsWrittenAndRecomputes)
{
    copyTemplateToMonth();
    fixtures::exec(month(), QStringLiteral("update WRW0001P41 set Q = 3, X = 2"));
    frmKaiPiao w;
    w.cmdLast_Click();
    const int equivalent = column(w, QStringLiteral("污染当量值"));
    w.ComputeFeeOrToggle(equivalent);
    EXPECT_FALSE(w.ListView1->isHidden());
    EXPECT_EQ(w.pickColumn(), equivalent);
    EXPECT_EQ(cell(w, QStringLiteral("污染当量值")), QStringLiteral("0.00")) << "the cell waits for the pick";
    w.ListView1->setCurrentItem(w.ListView1->topLevelItem(1));
    w.PickEquivalent();
    EXPECT_TRUE(w.ListView1->isHidden());
    EXPECT_EQ(cell(w, QStringLiteral("污染当量值")), QStringLiteral("4.00"));
    EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("24.00"));
    EXPECT_EQ(w.DataGrid3->text(1), QStringLiteral("1"));
    EXPECT_EQ(w.DataGrid3->text(2), QStringLiteral("1"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();

    w.ListView1->clearSelection();
    w.PickEquivalent();
    EXPECT_EQ(messages().size(), 1) << "a click without a selected item";
}

TEST_F(WorkbenchTest, FormulasThatComputeNothingAndTheEvaluatorsFailure)
{
    copyTemplateToMonth();
    fixtures::exec(month(), QStringLiteral("update WRW0002P22 set Q = 5, \"收费金额\" = 7"));
    fixtures::exec(month(), QStringLiteral("update WRW0002P31 set Q = 5, \"收费金额\" = 7"));
    addPollutant(QStringLiteral("P0"), QStringLiteral("无"), 1, QStringLiteral("废水"));
    fixtures::exec(dw(), QStringLiteral("update dwwrw set WuRanWuBianHao = 'P0' where WuRanWuBianHao = 'P1'"));
    expectNotice();
    frmKaiPiao w;
    // P0, a formula without tokens, got its table for the renamed assignment; its fee button changes
    // nothing.
    ASSERT_EQ(currentPollutant(w), QStringLiteral("P0"));
    EXPECT_EQ(notices, 1);
    w.ComputeFeeOrToggle(column(w, QStringLiteral("收费金额")));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();

    w.Command2_Click(); // 0002: P2, a single variable
    ASSERT_EQ(currentPollutant(w), QStringLiteral("P2"));
    w.ComputeFeeOrToggle(column(w, QStringLiteral("收费金额")));
    EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("7.00"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();

    w.cmdNext_Click(); // P3: Q / 0
    w.ComputeFeeOrToggle(column(w, QStringLiteral("收费金额")));
    EXPECT_EQ(messages().size(), 1) << "the evaluator's own message";
    EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("0.00"));

    // An empty variable cell is an error and leaves the fee.
    w.DataGrid2->setText(column(w, QStringLiteral("Q")), QString());
    w.DataGrid2->setText(column(w, QStringLiteral("收费金额")), QStringLiteral("7"));
    w.ComputeFeeOrToggle(column(w, QStringLiteral("收费金额")));
    EXPECT_EQ(messages().size(), 2);
    EXPECT_EQ(cell(w, QStringLiteral("收费金额")), QStringLiteral("7.00"));
}

TEST_F(WorkbenchTest, TheYesNoAndMonthFlagButtonsToggle)
{
    copyTemplateToMonth();
    frmKaiPiao w;
    const int yesNo = column(w, QStringLiteral("是否单独列为收费项目"));
    w.ComputeFeeOrToggle(yesNo);
    EXPECT_EQ(cell(w, QStringLiteral("是否单独列为收费项目")), QStringLiteral("是"));
    w.ComputeFeeOrToggle(yesNo);
    EXPECT_EQ(cell(w, QStringLiteral("是否单独列为收费项目")), QStringLiteral("否"));
    w.ComputeFeeOrToggle(yesNo);
    w.cmdNext_Click();
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("select \"是否单独列为收费项目\" from WRW0001P11")).toInt(), 1);

    struct Case {
        const char* before;
        const char* after;
    };
    for (const Case& c : {Case{"0", "1"}, Case{"1", "0"}, Case{"2", "0"}, Case{"", "0"}}) {
        SCOPED_TRACE(c.before);
        w.DataGrid3->setText(1, QString::fromLatin1(c.before));
        w.ToggleMonthFlag(1);
        EXPECT_EQ(w.DataGrid3->text(1), QString::fromLatin1(c.after));
    }
    EXPECT_TRUE(messages().isEmpty()) << messages().join('/').toStdString();
}

// --- month files --------------------------------------------------------------------------------

TEST_F(WorkbenchTest, CopyingAnotherMonthTakesItsFileOrElseTheTemplate)
{
    copyTemplateToMonth();
    copyTemplateToMonth(2003, 5);
    fixtures::exec(month(2003, 5), QStringLiteral("update WRW0001P11 set Q = 55"));
    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 66"));
    settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("2"));
    frmKaiPiao w;
    ui::testing::answerInput(QStringLiteral("2003-05"));
    w.Command5_Click();
    EXPECT_EQ(ui::testing::shown().back().title, QStringLiteral("输入年月"));
    EXPECT_EQ(ui::testing::shown().back().text, QStringLiteral("输入年月，格式为YYYY-MM！"));
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("select Q from WRW0001P11")).toDouble(), 55.0);
    EXPECT_EQ(cell(w, QStringLiteral("Q")), QStringLiteral("55.00"));
    EXPECT_EQ(dwwrwFlag(), QStringLiteral("0"));

    ui::testing::answerInput(QStringLiteral("2002-12"));
    w.Command5_Click();
    EXPECT_EQ(cell(w, QStringLiteral("Q")), QStringLiteral("0.00")) << "no December file: the template";

    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 66"));
    ui::testing::answerInput(QString());
    w.Command5_Click();
    ui::testing::answerInput(QStringLiteral("五月"));
    w.Command5_Click();
    EXPECT_EQ(messages().size(), 5) << "four inputs and the date error: " << messages().join('/').toStdString();
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("select Q from WRW0001P11")).toDouble(), 66.0);
}

TEST_F(WorkbenchTest, CopyingTheOperatingMonthOntoItselfIsRefused)
{
    copyTemplateToMonth();
    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 66"));
    frmKaiPiao w;
    ui::testing::answerInput(QStringLiteral("2003-6"));
    w.Command5_Click();
    EXPECT_EQ(messages().size(), 2);
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("select Q from WRW0001P11")).toDouble(), 66.0);
    EXPECT_EQ(cell(w, QStringLiteral("Q")), QStringLiteral("66.00"));
}

TEST_F(WorkbenchTest, CopyingTheLatestDataReplacesTheMonthAndAMissingTemplateLeavesIt)
{
    copyTemplateToMonth();
    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 66"));
    frmKaiPiao w;
    w.DataGrid2->setText(column(w, QStringLiteral("Q")), QStringLiteral("77"));
    w.Command6_Click();
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("select Q from WRW0001P11")).toDouble(), 0.0);
    EXPECT_EQ(cell(w, QStringLiteral("Q")), QStringLiteral("0.00"));

    fixtures::exec(month(), QStringLiteral("update WRW0001P11 set Q = 66"));
    w.cmdNext_Click();
    w.cmdPrevious_Click();
    files::remove(tmpl());
    ui::testing::clearShown();
    w.Command6_Click();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("select Q from WRW0001P11")).toDouble(), 66.0);
    EXPECT_EQ(cell(w, QStringLiteral("Q")), QStringLiteral("66.00"));
    w.Command5_Click(); // cancelled
    ui::testing::answerInput(QStringLiteral("2003-01"));
    w.Command5_Click();
    EXPECT_EQ(messages().size(), 4);
    EXPECT_EQ(fixtures::probe(month(), QStringLiteral("select Q from WRW0001P11")).toDouble(), 66.0);
}

} // namespace

// --- printing -------------------------------------------------------------------------------------

// The print command runs the fee list's print with the grids' pending edits written first; whatever
// the print comes to (here the print dialog cancelled, or no printer to read), the status panel reads
// "状态" again and the commands are given back.
TEST_F(WorkbenchTest, ThePrintCommandWritesPendingEditsAndEndsWithTheStatusBack)
{
    frmKaiPiao w;
    ui::testing::clearShown();
    ui::testing::answer(ui::Answer::Cancel);
    ASSERT_TRUE(w.Command7->isEnabled());
    w.Command7->click();
    EXPECT_EQ(w.panelText(1), QStringLiteral("状态"));
    for (QPushButton* b : {w.Command5, w.Command6, w.Command7, w.Command8})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_FALSE(ui::testing::shown().empty()) << "the print dialog or the reason it could not print";
}
