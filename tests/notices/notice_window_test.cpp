#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "qelv/notices/frmCSTZ.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/notices/notice_fixture.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QToolBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

class NoticeWindow : public fixtures::NoticeMonth {
protected:
    QStringList listed(const frmCSTZ& w, int column = 0)
    {
        QStringList out;
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
            out << w.ListView1->topLevelItem(i)->text(column);
        return out;
    }
    QStringList column(QAbstractItemModel* m, int c)
    {
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, c).data().toString();
        return out;
    }
    void setTexts()
    {
        fixtures::exec(
            folder->data(QString::fromLatin1(dataFiles::setUp)),
            QStringLiteral("UPDATE tz SET FaLvFaGui = '法规', JiaoKuanQiXian = '期限', JiaoDuiRen = '李四'"));
    }
};

TEST_F(NoticeWindow, ListsTheBilledEnterprisesOfTheRegisterWithTheirKeys)
{
    setTexts();
    enterprise(QStringLiteral("1002"), QStringLiteral("乙厂"));
    enterprise(QStringLiteral("1001"), QStringLiteral("甲'厂"));
    enterprise(QStringLiteral("1003"), QStringLiteral("丙厂"), QVariant(), false);
    // Billed, but not in the register: not listed, not counted.
    billing->execute(QStringLiteral("insert into KPKZK (DanWeiBianHao, M5) values ('1009', 1)"));
    enterprise(QStringLiteral("1004"), QStringLiteral("丁厂"));

    frmCSTZ w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("测算与收费通知"));
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty()) << ui::testing::shownTexts().join('\n').toStdString();
    EXPECT_EQ(w.ListedCount, 3);
    EXPECT_EQ(listed(w), (QStringList{QStringLiteral("1002"), QStringLiteral("1001"), QStringLiteral("1004")}));
    EXPECT_EQ(listed(w, 1), (QStringList{QStringLiteral("乙厂"), QStringLiteral("甲'厂"), QStringLiteral("丁厂")}));
    EXPECT_EQ((QStringList{w.rowKey(0), w.rowKey(1), w.rowKey(2), w.rowKey(3)}),
              (QStringList{QStringLiteral("No1"), QStringLiteral("No2"), QStringLiteral("No3"), QString()}));
    EXPECT_EQ(w.ListView1->topLevelItem(0)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(w.panels[0]->text(), QStringLiteral("状态"));
    EXPECT_EQ(w.panels[1]->text(), QStringLiteral("用户:张三"));
    EXPECT_EQ(w.panels[2]->text(), QStringLiteral("开票日期:2003-05-31"));
    EXPECT_EQ(w.panels[3]->text(), QStringLiteral("操作月份:2003-05"));
    EXPECT_FALSE(w.panels[4]->text().isEmpty()) << "the clock";
    EXPECT_EQ(w.BaseTexts.FaLvFaGui, QStringLiteral("法规"));
    EXPECT_EQ(w.BaseTexts.JiaoDuiRen, QStringLiteral("李四"));
    QStringList keys;
    for (QAction* a : w.Toolbar1->actions())
        if (!a->isSeparator())
            keys << a->objectName() + QLatin1Char('=') + a->text();
    EXPECT_EQ(
        keys,
        (QStringList{"sytz=所有通知", "sxtz=所选通知", "xstz=显示通知", "dy=打印通知", "dymx=打印明细", "tc=退 出"}));
}

TEST_F(NoticeWindow, ThePrintFileIsCopiedOnceAndKeptAfterwards)
{
    const QString file = folder->data(dataFiles::monthNotices(Module1::gWorkMonth));
    notices.reset();
    ASSERT_TRUE(QFile::remove(file));
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    {
        frmCSTZ w;
        EXPECT_TRUE(QFile::exists(file));
        w.Toolbar1_ButtonClick(QStringLiteral("sytz"));
        EXPECT_EQ(ui::testing::shownTexts().last(), QStringLiteral("共生成 1 张通知单！"));
    }
    {
        frmCSTZ again;
    }
    EXPECT_EQ(fixtures::probe(file, QStringLiteral("select group_concat(DanWeiBianHao) from tzdw")).toString(),
              QStringLiteral("1001"));
}

TEST_F(NoticeWindow, WithoutTheYearsBillingFileThereIsNoData)
{
    Module1::gWorkMonth = QDate(2004, 5, 1);
    frmCSTZ w;
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("没有数据!")});
    EXPECT_EQ(w.ListedCount, 0);
    EXPECT_EQ(w.panels[1]->text(), QString());
    EXPECT_TRUE(QFile::exists(folder->data(dataFiles::monthNotices(Module1::gWorkMonth))));
}

TEST_F(NoticeWindow, AnEmptyTzIsSaidAndTheListStays)
{
    fixtures::exec(folder->data(QString::fromLatin1(dataFiles::setUp)), QStringLiteral("DELETE FROM tz"));
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    frmCSTZ w;
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("通知的基本内容为空！请设置。")});
    EXPECT_EQ(w.ListedCount, 1);
    EXPECT_EQ(w.panels[1]->text(), QStringLiteral("用户:张三"));
    EXPECT_TRUE(w.BaseTexts.FaLvFaGui.isEmpty());
}

TEST_F(NoticeWindow, GeneratesTheTickedAndBrowsesTheNoticesBeepingAtBothEnds)
{
    setTexts();
    for (const char* n : {"1003", "1001", "1002"}) {
        const QString number = QString::fromLatin1(n);
        enterprise(number, QStringLiteral("厂") + number);
        assign(number, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
        assign(number, QStringLiteral("W2"), QStringLiteral("乙"), 1, 2, QStringLiteral("废气"), "5");
    }
    frmCSTZ w;
    w.show();
    // Moves before "显示通知" say so.
    w.cmdNext_Click();
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("显示通知")));
    // An empty file's browser leaves the grids empty.
    w.Toolbar1_ButtonClick(QStringLiteral("xstz"));
    EXPECT_EQ(w.DataGrid1->model()->rowCount(), 0);
    ui::testing::clearShown();

    w.ListView1->topLevelItem(0)->setCheckState(0, Qt::Checked);
    w.ListView1->topLevelItem(2)->setCheckState(0, Qt::Checked);
    w.Toolbar1_ButtonClick(QStringLiteral("sxtz"));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("共生成 2 张通知单！")});
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_FALSE(w.busy());

    w.Toolbar1_ButtonClick(QStringLiteral("xstz"));
    ASSERT_NE(w.adoPrimaryRS(), nullptr);
    EXPECT_EQ(w.adoPrimaryRS()->recordCount(), 2);
    // In enterprise-number order: 1002 first, then 1003.
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("厂1002"));
    EXPECT_EQ(w.Text5->text(), QStringLiteral("2003年05月应缴纳排污费人民币壹拾伍元整"));
    EXPECT_EQ(w.Text9->text(), QStringLiteral("张三"));
    QAbstractItemModel* lines = w.DataGrid1->model();
    EXPECT_EQ(column(lines, 2), (QStringList{"1", "2", "合计"}));
    EXPECT_EQ(column(lines, 1), (QStringList{"1002", "1002", "1002"}));
    QAbstractItemModel* detail = w.DataGrid2->model();
    EXPECT_EQ(column(detail, 1), (QStringList{"1", "2"}));
    EXPECT_EQ(column(detail, 2), (QStringList{"甲", "乙"}));

    const int beeps = ui::testing::beeps();
    w.cmdPrevious_Click();
    EXPECT_EQ(ui::testing::beeps(), beeps + 1);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("厂1002"));
    w.cmdNext_Click();
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("厂1003"));
    EXPECT_EQ(column(lines, 1), (QStringList{"1003", "1003", "1003"}));
    EXPECT_EQ(column(detail, 0), (QStringList{"1003", "1003"}));
    w.cmdNext_Click();
    EXPECT_EQ(ui::testing::beeps(), beeps + 2);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("厂1003"));
    w.cmdFirst_Click();
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("厂1002"));
    w.cmdLast_Click();
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("厂1003"));
    EXPECT_EQ(ui::testing::shownTexts().size(), 1) << ui::testing::shownTexts().join('\n').toStdString();
}

TEST_F(NoticeWindow, ARunThatStopsSaysWhereAndLeavesTheWindowUsable)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10", "0",
           "0", false, false);
    frmCSTZ w;
    w.Toolbar1_ButtonClick(QStringLiteral("sytz"));
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("1001")));
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_TRUE(w.Toolbar1->isEnabled());
    EXPECT_FALSE(w.busy());
}

} // namespace

// More billed enterprises than the list's 16-bit count holds: the load is refused whole, so the count
// agrees with the list, and a run over the list takes nothing.
TEST_F(NoticeWindow, MoreEnterprisesThanTheCountHoldsLeaveTheCountAgreeingWithTheList)
{
    setTexts();
    const QString numbers =
        QStringLiteral("with recursive n(i) as (select 1 union all select i + 1 from n where i < 32768) ");
    dw->execute(
        numbers +
        QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng) select printf('%05d', i), '厂' from n"));
    billing->execute(numbers +
                     QStringLiteral("insert into KPKZK (DanWeiBianHao, M5) select printf('%05d', i), 1 from n"));

    frmCSTZ w;
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("溢出：列出的单位多于 32767 个")});
    ASSERT_EQ(w.ListedCount, w.ListView1->topLevelItemCount());
    EXPECT_EQ(w.ListedCount, 0);
    w.Toolbar1_ButtonClick(QStringLiteral("sytz"));
    EXPECT_EQ(noticeCount("tzdw"), 0);
}
