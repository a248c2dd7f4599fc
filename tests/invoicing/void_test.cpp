// Voiding an invoice: the searches of the voiding window, and what a void clears in KPKZK and the
// late-fee ledger, together or not at all.
#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/recordset_model.h"
#include "qelv/invoicing/frmFPZF.h"
#include "tests/invoicing/month_fixture.h"

#include <QLineEdit>
#include <gtest/gtest.h>

static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

const QDate march(2003, 3, 20);

class Voiding : public fixtures::InvoiceMonth {
protected:
    void SetUp() override
    {
        InvoiceMonth::SetUp();
        enterprise(QStringLiteral("0001"), QStringLiteral("甲厂"));
        enterprise(QStringLiteral("0002"), QStringLiteral("乙厂"));
        enterprise(QStringLiteral("0003"), QStringLiteral("乙厂"));
        invoice(QStringLiteral("0001"), 3, QStringLiteral("301"), march);
        invoice(QStringLiteral("0001"), 7, QStringLiteral("301"), QDate(2003, 7, 20)); // the same number later
        invoice(QStringLiteral("0002"), 3, QStringLiteral("302"), march);
        invoice(QStringLiteral("0003"), 3, QStringLiteral("302"), march); // the same number, another row
        // Another year's invoice 301 of the same enterprise, in its ledger only.
        ledgers->execute(
            QStringLiteral("insert into ZNJ0001 values ('2002-03-20', '301', 50, 50, 1, '2002-04-01', 0, 1)"));
        ui::testing::clearShown();
    }

    // A printed invoice of a month: number, amount 100 with a late fee of 5, and its ledger row.
    void invoice(const QString& number, int month, const QString& invoiceNo, const QDate& date)
    {
        billing->execute(QStringLiteral("update KPKZK set M%1 = 1, M%1P = ?, M%1M = 100, M%1CM = '壹佰元整', "
                                        "M%1DATE = ?, M%1MBZJ = 5 where DanWeiBianHao = ?")
                             .arg(month),
                         {invoiceNo, date, number});
        ledgers->execute(QStringLiteral("insert into %1 values (?, ?, 100, 95, 0, NULL, 0, 0)")
                             .arg(db::quoteIdentifier(lateFeeLedger::tableName(number))),
                         {date, invoiceNo});
    }

    static QStringList rows(frmFPZF& w)
    {
        QStringList out;
        ui::RecordsetModel* m = w.DataGrid1->recordsetModel();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->data(m->index(r, 0)).toString() + QLatin1Char(' ') + m->data(m->index(r, 1)).toString();
        return out;
    }
    // The month's invoice columns of a billing row, "P M CM DATE MBZJ MD DDATE M".
    QString month(const char* number, int m)
    {
        return billing
            ->scalar(QStringLiteral("select ifnull(M%1P, '<null>') || ' ' || M%1M || ' ' || ifnull(M%1CM, '') || ' ' "
                                    "|| ifnull(M%1DATE, '<null>') || ' ' || M%1MBZJ || ' ' || M%1MD || ' ' || "
                                    "ifnull(M%1DDATE, '<null>') || ' ' || M%1 from KPKZK where DanWeiBianHao = ?")
                         .arg(m),
                     {QString::fromLatin1(number)})
            .toString();
    }
    QStringList ledger(const char* number)
    {
        QStringList out;
        auto rs =
            ledgers->openRecordset(QStringLiteral("select FaPiaoBianHao, KaiPiaoRiQi from %1 order by KaiPiaoRiQi")
                                       .arg(db::quoteIdentifier(lateFeeLedger::tableName(number))),
                                   {}, db::LockType::ReadOnly);
        for (; !rs->isEOF(); rs->moveNext())
            out << rs->value(0).toString() + QLatin1Char(' ') + rs->value(1).toDate().toString(Qt::ISODate);
        return out;
    }
    void findByNumber(frmFPZF& w, const QString& number)
    {
        w.Text2->setText(number);
        w.Command1_Click();
    }
};

TEST_F(Voiding, SearchesByNumberAndByNameAndMonth)
{
    struct Case {
        const char* what;
        QString year, number, name, fee;
        QStringList shown, rows;
        QString text3, text4;
    };
    billingControl::ensureYearFile(2002);
    {
        db::Connection y2002(db::DataFile{dataFiles::billing(2002)});
        y2002.execute(QStringLiteral("insert into KPKZK (DanWeiBianHao, M4P) values ('0002', '2402')"));
    }
    const Case cases[] = {
        {"a number in March: that row, its name and its month", "", "302", "", "", {}, {"0002 302"}, "乙厂", "3"},
        {"a number in two months of one row: the first month", "", "301", "x", "9", {}, {"0001 301"}, "甲厂", "3"},
        {"another year's file", "2002", "2402", "", "", {}, {"0002 2402"}, "乙厂", "4"},
        {"a number nowhere", "", "999", "", "", {"没有找到该发票!"}, {}, "", ""},
        {"name without month",
         "",
         "",
         "甲厂",
         "",
         {"按单位名称查询时，单位名称和排污费月份不能为空！"},
         {},
         "甲厂",
         ""},
        {"month 13", "", "", "甲厂", "13", {"排污费月份输入数字要在 1-12 之间！"}, {}, "甲厂", "13"},
        {"month 0", "", "", "甲厂", "0", {"排污费月份输入数字要在 1-12 之间！"}, {}, "甲厂", "0"},
        {"month 三", "", "", "甲厂", "三", {"排污费月份输入的不是数字！"}, {}, "甲厂", "三"},
        {"two enterprises of one name", "", "", "乙厂", "3", {}, {"0002 302", "0003 302"}, "乙厂", "3"},
        {"a quote in a name is a name", "", "", "乙' or '1'='1", "3", {"没有找到该单位!"}, {}, "乙' or '1'='1", "3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ui::testing::clearShown();
        frmFPZF w;
        EXPECT_EQ(w.windowTitle(), QStringLiteral("作废发票"));
        w.Text1->setText(c.year);
        w.Text2->setText(c.number);
        w.Text3->setText(c.name);
        w.Text4->setText(c.fee);
        w.Command1_Click();
        EXPECT_EQ(ui::testing::shownTexts(), c.shown);
        EXPECT_EQ(rows(w), c.rows);
        EXPECT_EQ(w.Text3->text(), c.text3);
        EXPECT_EQ(w.Text4->text(), c.text4);
        if (!c.rows.isEmpty()) {
            ui::DataGrid* grid = w.DataGrid1;
            EXPECT_EQ(grid->recordsetModel()->columnCount(), 6);
            for (int col = 0; col < 6; ++col)
                EXPECT_EQ(grid->columnWidthTwips(col), 1200) << col;
            EXPECT_FALSE(grid->recordsetModel()->flags(grid->recordsetModel()->index(0, 1)) & Qt::ItemIsEditable);
        }
    }
}

TEST_F(Voiding, AVoidClearsTheInvoiceAndOnlyItsOwnLedgerRow)
{
    frmFPZF w;
    w.show();
    findByNumber(w, QStringLiteral("301"));
    ui::testing::answer(ui::Answer::Yes);
    w.Command3_Click();
    EXPECT_EQ(ui::testing::shownTexts(),
              (QStringList{QStringLiteral("真的要作废编号为 301 的发票吗？"), QStringLiteral("发票已经作废！")}));
    EXPECT_EQ(ui::testing::shown()[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(ui::testing::shown()[1].icon, ui::Icon::Information);
    EXPECT_FALSE(w.isVisible()) << "the window closes after a void";
    // Number, amount, date and payment cleared; capitals, late fee and billing flag kept.
    EXPECT_EQ(month("0001", 3), QStringLiteral(" 0 壹佰元整 <null> 5 0 <null> 1"));
    EXPECT_EQ(month("0001", 7), QStringLiteral("301 100 壹佰元整 2003-07-20 5 0 <null> 1"));
    EXPECT_EQ(ledger("0001"), (QStringList{"301 2002-03-20", "301 2003-07-20"}))
        << "another year's and another month's row of the same number stay";

    // Searched again, the number is found only in July.
    frmFPZF again;
    findByNumber(again, QStringLiteral("301"));
    EXPECT_EQ(again.Text4->text(), QStringLiteral("7"));
    billing->execute(QStringLiteral("update KPKZK set M7P = '' where DanWeiBianHao = '0001'"));
    ui::testing::clearShown();
    frmFPZF third;
    findByNumber(third, QStringLiteral("301"));
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("没有找到该发票!")});
}

TEST_F(Voiding, TheQuestionSaysWhenTheInvoiceIsPaidAndNoChangesNothing)
{
    billing->execute(QStringLiteral("update KPKZK set M3MD = 1, M3DDATE = '2003-04-01' where DanWeiBianHao = '0002'"));
    const QString before = month("0002", 3);
    frmFPZF w;
    w.show();
    findByNumber(w, QStringLiteral("302"));
    ui::testing::answer(ui::Answer::No);
    w.Command3_Click();
    EXPECT_EQ(
        ui::testing::shownTexts(),
        QStringList{QStringLiteral("这张发票已经到账（到账日期 2003-04-01）。\n真的要作废编号为 302 的发票吗？")});
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(month("0002", 3), before);
    EXPECT_EQ(ledger("0002"), QStringList{"302 2003-03-20"});
}

TEST_F(Voiding, OfTwoEnterprisesOfOneNameTheCurrentRowIsVoided)
{
    frmFPZF w;
    w.Text3->setText(QStringLiteral("乙厂"));
    w.Text4->setText(QStringLiteral("3"));
    w.Command1_Click();
    ASSERT_EQ(rows(w).size(), 2);
    w.DataGrid1->recordsetModel()->moveToRow(1);
    ui::testing::answer(ui::Answer::Yes);
    w.Command3_Click();
    EXPECT_TRUE(month("0003", 3).startsWith(QStringLiteral(" 0 "))) << month("0003", 3).toStdString();
    EXPECT_TRUE(month("0002", 3).startsWith(QStringLiteral("302 100 "))) << month("0002", 3).toStdString();
    EXPECT_TRUE(ledger("0003").isEmpty());
    EXPECT_EQ(ledger("0002"), QStringList{"302 2003-03-20"});
}

TEST_F(Voiding, ARowWithoutNumberOrNoSearchIsRefusedWithoutAQuestion)
{
    frmFPZF w;
    w.Command3_Click();
    EXPECT_EQ(ui::testing::shownTexts(), QStringList{QStringLiteral("没有要作废的发票：请先查找发票。")});

    ui::testing::clearShown();
    w.Text3->setText(QStringLiteral("甲厂"));
    w.Text4->setText(QStringLiteral("5")); // billed in May, never invoiced
    w.Command1_Click();
    ASSERT_EQ(rows(w), QStringList{"0001 "});
    const QString before = month("0001", 5);
    w.Command3_Click();
    EXPECT_EQ(ui::testing::shownTexts(),
              QStringList{QStringLiteral("单位 0001 这个月没有发票编号，没有可作废的发票。")});
    EXPECT_EQ(month("0001", 5), before);
}

TEST_F(Voiding, AFailureChangesNothing)
{
    ledgers->execute(QStringLiteral("drop table ZNJ0002"));
    const QString before = month("0002", 3);
    frmFPZF w;
    w.show();
    findByNumber(w, QStringLiteral("302"));
    ui::testing::answer(ui::Answer::Yes);
    w.Command3_Click();
    ASSERT_EQ(ui::testing::shownTexts().size(), 2);
    EXPECT_TRUE(ui::testing::shownTexts()[1].startsWith(QStringLiteral("发票 302（单位 0002）没有作废：")))
        << ui::testing::shownTexts()[1].toStdString();
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(month("0002", 3), before);

    // The billing row changed since the search: the ledger row stays too.
    ui::testing::clearShown();
    findByNumber(w, QStringLiteral("301"));
    billing->execute(QStringLiteral("update KPKZK set M3P = '399' where DanWeiBianHao = '0001'"));
    ui::testing::answer(ui::Answer::Yes);
    w.Command3_Click();
    ASSERT_EQ(ui::testing::shownTexts().size(), 2);
    EXPECT_TRUE(ui::testing::shownTexts()[1].contains(QStringLiteral("没有作废")))
        << ui::testing::shownTexts()[1].toStdString();
    EXPECT_EQ(ledger("0001"), (QStringList{"301 2002-03-20", "301 2003-03-20", "301 2003-07-20"}));
}

TEST_F(Voiding, AnInvoiceChangedSinceTheSearchIsNotVoidedAndIsNamed)
{
    struct Since {
        const char* what;
        QString billing, ledger; // what another window or program did to 0002's invoice 302
        QStringList ledgerAfter;
    };
    const QList<Since> cases = {
        {"printed again under its number on another day",
         "update KPKZK set M3DATE = '2003-03-25' where DanWeiBianHao = '0002'",
         "update ZNJ0002 set KaiPiaoRiQi = '2003-03-25'",
         {"302 2003-03-25"}},
        {"renumbered",
         "update KPKZK set M3P = '392' where DanWeiBianHao = '0002'",
         "update ZNJ0002 set FaPiaoBianHao = '392'",
         {"392 2003-03-20"}},
    };
    for (const Since& since : cases) {
        SCOPED_TRACE(since.what);
        ui::testing::clearShown();
        frmFPZF w;
        w.show();
        findByNumber(w, QStringLiteral("302"));
        billing->execute(since.billing);
        ledgers->execute(since.ledger);
        const QString before = month("0002", 3);
        ui::testing::answer(ui::Answer::Yes);
        w.Command3_Click();
        ASSERT_EQ(ui::testing::shownTexts().size(), 2);
        const QString said = ui::testing::shownTexts()[1];
        EXPECT_TRUE(said.contains(QStringLiteral("302")) && said.contains(QStringLiteral("0002")) &&
                    said.contains(QStringLiteral("请重新查找")))
            << said.toStdString();
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(month("0002", 3), before);
        EXPECT_EQ(ledger("0002"), since.ledgerAfter);
        // Put back for the next case.
        billing->execute(
            QStringLiteral("update KPKZK set M3P = '302', M3DATE = '2003-03-20' where DanWeiBianHao = '0002'"));
        ledgers->execute(QStringLiteral("update ZNJ0002 set FaPiaoBianHao = '302', KaiPiaoRiQi = '2003-03-20'"));
    }
}

} // namespace
