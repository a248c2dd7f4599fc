#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "qelv/invoicing/frmFaPiaoGuoLv.h"
#include "qelv/invoicing/frmPJSCDY.h"
#include "tests/fixtures/modal.h"
#include "tests/fixtures/sqlite_probe.h"
#include "tests/invoicing/month_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>
#include <gtest/gtest.h>

namespace {

class RunWindow : public fixtures::InvoiceMonth {
protected:
    QStringList listed(const frmPJSCDY& w, int column = 0)
    {
        QStringList out;
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
            out << w.ListView1->topLevelItem(i)->text(column);
        return out;
    }
    QStringList keys(const frmPJSCDY& w)
    {
        QStringList out;
        for (int i = 0; i < w.ListView1->topLevelItemCount(); ++i)
            out << w.rowKey(i);
        return out;
    }
    // Runs the filter dialog from the toolbar; `fill` sets its boxes, then OK (or Cancel) is pressed.
    void filter(frmPJSCDY& w, std::function<void(frmFaPiaoGuoLv*)> fill, bool ok = true)
    {
        fixtures::whenShown<frmFaPiaoGuoLv>(QStringLiteral("frmFaPiaoGuoLv"), [fill, ok](frmFaPiaoGuoLv* d) {
            fill(d);
            QTest::mouseClick(ok ? d->OKButton : d->CancelButton, Qt::LeftButton);
        });
        w.Toolbar1_ButtonClick(QStringLiteral("设置过滤"));
    }
    static void row(frmFaPiaoGuoLv* d, int i, const char* field, const char* op, const char* value)
    {
        d->Combo1[i]->setEditText(QString::fromUtf8(field));
        d->Combo2[i]->setEditText(QString::fromUtf8(op));
        d->Text1[i]->setText(QString::fromUtf8(value));
    }
    void billedOnly(const QString& number, int m5)
    {
        billing->execute(QStringLiteral("insert into KPKZK (DanWeiBianHao, M5) values (?, ?)"), {number, m5});
    }
    int count(const char* table) { return print->scalar(QStringLiteral("select count(*) from %1").arg(table)).toInt(); }
};

TEST_F(RunWindow, TheMayListShowsTheBilledEnterprisesWithTheirInvoiceNumbers)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲'厂"));
    billing->execute(QStringLiteral("update KPKZK set M5P = '0000123' where DanWeiBianHao = '1001'"));
    enterprise(QStringLiteral("1002"), QStringLiteral("乙厂"));
    enterprise(QStringLiteral("1003"), QStringLiteral("丙厂"), QVariant(), false);
    billedOnly(QStringLiteral("1009"), 1); // billed, but not in the register

    frmPJSCDY w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("票据生成"));
    EXPECT_EQ(w.ListedCount, 2);
    EXPECT_EQ(listed(w), (QStringList{QStringLiteral("1001"), QStringLiteral("1002")}));
    EXPECT_EQ(listed(w, 1), (QStringList{QStringLiteral("甲'厂"), QStringLiteral("乙厂")}));
    EXPECT_EQ(listed(w, 2), (QStringList{QStringLiteral("0000123"), QString()}));
    EXPECT_EQ(keys(w), (QStringList{QStringLiteral("No1"), QStringLiteral("No2")}));
    EXPECT_EQ(w.panels[0]->text(), QStringLiteral("状态"));
    EXPECT_EQ(w.panels[1]->text(), QStringLiteral("用户:张三"));
    EXPECT_EQ(w.panels[2]->text(), QStringLiteral("开票日期:2003-06-20"));
    EXPECT_EQ(w.panels[3]->text(), QStringLiteral("操作月份:2003-05"));
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    // The toolbar's keys in order, every one of them enabled.
    QStringList toolbarKeys;
    for (QAction* a : w.Toolbar1->actions())
        toolbarKeys << a->objectName();
    EXPECT_EQ(toolbarKeys,
              (QStringList{QStringLiteral("syfp"), QStringLiteral("sxfp"), QStringLiteral("设置过滤"),
                           QStringLiteral("lxtd"), QStringLiteral("flxtd"), QStringLiteral("tc")}));
    for (QAction* a : w.Toolbar1->actions())
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(w.ListView1->topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
}

TEST_F(RunWindow, TheFilterNarrowsTheListAndACancelKeepsIt)
{
    for (int i = 1; i <= 5; ++i)
        enterprise(QStringLiteral("100%1").arg(i), QStringLiteral("厂%1").arg(i));
    enterprise(QStringLiteral("1006"), QStringLiteral("厂6"), QVariant(), false);
    frmPJSCDY w;
    ASSERT_EQ(w.ListedCount, 5);

    filter(w, [](frmFaPiaoGuoLv* d) { row(d, 0, "单位编号", " > ", "1002"); });
    EXPECT_EQ(w.ListedCount, 3);
    EXPECT_EQ(listed(w), (QStringList{QStringLiteral("1003"), QStringLiteral("1004"), QStringLiteral("1005")}));
    EXPECT_EQ(keys(w), (QStringList{QStringLiteral("No1"), QStringLiteral("No2"), QStringLiteral("No3")}));

    filter(
        w, [](frmFaPiaoGuoLv* d) { row(d, 0, "单位编号", " = ", "1001"); }, false);
    EXPECT_EQ(w.ListedCount, 3);
    EXPECT_EQ(listed(w).first(), QStringLiteral("1003"));

    // An OR stays within the month's billed enterprises: 1006 is not billed in May.
    filter(w, [](frmFaPiaoGuoLv* d) {
        row(d, 0, "单位编号", " = ", "1001");
        d->Combo3->setEditText(QStringLiteral(" OR "));
        row(d, 1, "单位编号", " = ", "1006");
    });
    EXPECT_EQ(listed(w), QStringList{QStringLiteral("1001")});
    EXPECT_EQ(w.ListedCount, 1);

    // A quote in a value is a value, bound: it finds nothing and breaks nothing.
    filter(w, [](frmFaPiaoGuoLv* d) { row(d, 0, "单位编号", " = ", "1' or '1'='1"); });
    EXPECT_EQ(w.ListedCount, 0);
}

TEST_F(RunWindow, WithoutTheYearsBillingFileThereIsNoData)
{
    Module1::gWorkMonth = QDate(2004, 5, 1);
    frmPJSCDY w;
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("没有数据!")});
    EXPECT_EQ(w.ListedCount, 0);
    EXPECT_EQ(w.panels[1]->text(), QString());
    // The month's print file is there all the same.
    EXPECT_TRUE(QFile::exists(folder->data(dataFiles::monthInvoices(Module1::gWorkMonth))));
}

TEST_F(RunWindow, TheTemplateIsCopiedOnlyWhenTheMonthsFileIsMissing)
{
    const QString file = folder->data(dataFiles::monthInvoices(Module1::gWorkMonth));
    print.reset();
    ASSERT_TRUE(QFile::remove(file));
    {
        frmPJSCDY w;
    }
    ASSERT_TRUE(QFile::exists(file));
    fixtures::exec(file, QStringLiteral("INSERT INTO KPDW (DanWeiBianHao) VALUES ('0999');"));
    {
        frmPJSCDY w;
    }
    EXPECT_EQ(fixtures::probe(file, QStringLiteral("select count(*) from KPDW")).toInt(), 1);
}

TEST_F(RunWindow, SelectedWithNoTickGeneratesNothingAndSaysSo)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    fixtures::exec(folder->data(dataFiles::monthInvoices(Module1::gWorkMonth)),
                   QStringLiteral("INSERT INTO KPDW (DanWeiBianHao) VALUES ('0999');"));
    frmPJSCDY w;
    ui::testing::clearShown();
    w.Toolbar1_ButtonClick(QStringLiteral("sxfp"));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("共生成 0 张发票！")});
    EXPECT_EQ(count("KPDW"), 0);
    EXPECT_FALSE(w.ProgressBar1->isVisible());

    w.ListView1->topLevelItem(0)->setCheckState(0, Qt::Checked);
    ui::testing::clearShown();
    w.Toolbar1_ButtonClick(QStringLiteral("sxfp"));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("共生成 1 张发票！")});
    EXPECT_EQ(count("KPDW"), 1);
}

TEST_F(RunWindow, ThePreviewShowsTheInvoicesInNumberOrderWithTheirLines)
{
    for (const char* n : {"1003", "1001", "1002"}) {
        const QString number = QString::fromLatin1(n);
        enterprise(number, QStringLiteral("厂") + number);
        assign(number, QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), n);
    }
    frmPJSCDY w;
    w.show();
    w.Toolbar1_ButtonClick(QStringLiteral("syfp"));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    ASSERT_NE(w.adoPrimaryRS(), nullptr);
    EXPECT_EQ(w.Text[0]->text(), QStringLiteral("厂1001"));
    EXPECT_EQ(w.Text[5]->text(), QStringLiteral("1001.00"));
    EXPECT_EQ(w.Text[8]->text(), QStringLiteral("张三"));
    EXPECT_TRUE(w.Text[4]->isReadOnly());
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("记录: 1"));
    // Its eight lines (the shipped layout's), in ID order: the lines of 1001 came second.
    QAbstractItemModel* lines = w.DataGrid1->model();
    ASSERT_EQ(lines->rowCount(), 8);
    EXPECT_EQ(lines->data(lines->index(0, 0)).toInt(), 9);
    EXPECT_EQ(lines->data(lines->index(7, 0)).toInt(), 16);
    EXPECT_EQ(lines->data(lines->index(0, 3)).toString(), QStringLiteral("废水(2003年05月)"));

    const int beeps = ui::testing::beeps();
    QTest::mouseClick(w.cmdPrevious, Qt::LeftButton);
    EXPECT_EQ(ui::testing::beeps(), beeps + 1);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("记录: 1"));
    QTest::mouseClick(w.cmdNext, Qt::LeftButton);
    EXPECT_EQ(w.Text[0]->text(), QStringLiteral("厂1002"));
    EXPECT_EQ(lines->data(lines->index(0, 0)).toInt(), 17);
    QTest::mouseClick(w.cmdLast, Qt::LeftButton);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("记录: 3"));
    EXPECT_EQ(w.Text[0]->text(), QStringLiteral("厂1003"));
    QTest::mouseClick(w.cmdNext, Qt::LeftButton);
    EXPECT_EQ(ui::testing::beeps(), beeps + 2);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("记录: 3"));
    QTest::mouseClick(w.cmdFirst, Qt::LeftButton);
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("记录: 1"));

    // Generated again with nothing ticked, the preview shows empty boxes.
    w.Toolbar1_ButtonClick(QStringLiteral("sxfp"));
    QTest::mouseClick(w.Command1, Qt::LeftButton);
    EXPECT_EQ(w.Text[0]->text(), QString());
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("记录: "));
    EXPECT_EQ(lines->rowCount(), 0);
}

// At the window's opening size the preview shows every column of an invoice line, digit by digit,
// under its whole heading, and the amount boxes with their labels beside, not under, the list.
TEST_F(RunWindow, ThePreviewShowsItsDigitColumnsAndAmountBoxesWithoutScrolling)
{
    frmPJSCDY w;
    w.show();
    QApplication::processEvents();
    ui::DataGrid* grid = w.DataGrid1;
    ASSERT_EQ(grid->model()->columnCount(), 14);
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0) << "the lines scroll sideways";
    for (int c = 0; c < grid->model()->columnCount(); ++c) {
        EXPECT_GE(grid->columnWidth(c), grid->horizontalHeader()->sectionSizeHint(c))
            << grid->model()->headerData(c, Qt::Horizontal).toString().toStdString() << " is cut off";
        EXPECT_LE(grid->columnViewportPosition(c) + grid->columnWidth(c), grid->viewport()->width());
    }
    const QRect inside = w.rect();
    const QRect list = w.ListView1->geometry();
    for (const char* name : {"Text5", "Label5", "Text6", "Label6", "Text1", "Label1", "Text9", "Label9"}) {
        auto* box = w.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_TRUE(inside.contains(box->geometry())) << name << " is outside the window";
        EXPECT_FALSE(list.intersects(box->geometry())) << name << " lies under the list";
        if (auto* label = qobject_cast<QLabel*>(box)) {
            EXPECT_GE(label->width(), label->sizeHint().width()) << name << " is cut off";
        }
    }
    EXPECT_TRUE(inside.contains(grid->geometry()));
}

TEST_F(RunWindow, AMoveBeforeAnyPreviewSaysSo)
{
    frmPJSCDY w;
    ui::testing::clearShown();
    w.cmdNext_Click();
    w.cmdFirst_Click();
    ASSERT_EQ(ui::testing::shownTexts().size(), 2);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("显示发票")));
    EXPECT_EQ(w.lblStatus->text(), QString());
}

TEST_F(RunWindow, AListOfAnotherOperatingMonthGeneratesNothing)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10");
    fixtures::exec(folder->data(dataFiles::monthInvoices(Module1::gWorkMonth)),
                   QStringLiteral("INSERT INTO KPDW (DanWeiBianHao) VALUES ('0999');"));
    frmPJSCDY w;
    ASSERT_EQ(w.ListedCount, 1);
    // A new login meanwhile, for June.
    Module1::gWorkMonth = QDate(2003, 6, 1);
    ui::testing::clearShown();
    w.Toolbar1_ButtonClick(QStringLiteral("syfp"));
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("重新打开")));
    EXPECT_EQ(count("KPDW"), 1);
    Module1::gWorkMonth = QDate(2003, 5, 1);
    w.Toolbar1_ButtonClick(QStringLiteral("syfp"));
    EXPECT_EQ(print->scalar(QStringLiteral("select DanWeiBianHao from KPDW")).toString(), QStringLiteral("1001"));
}

TEST_F(RunWindow, ARunThatStopsShowsWhereAndLeavesNoInvoices)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    assign(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, 1, QStringLiteral("废水"), "10", "0",
           "0", false, false);
    frmPJSCDY w;
    ui::testing::clearShown();
    w.Toolbar1_ButtonClick(QStringLiteral("syfp"));
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("1001")));
    EXPECT_FALSE(w.ProgressBar1->isVisible());
    EXPECT_EQ(count("MX"), 0);
}

} // namespace
