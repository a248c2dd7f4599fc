// The monthly payment report: its controls, the statistics table rebuilt at each opening, the month
// typed and its refusals, the paid and unpaid invoices of the month by squad, and the grid's columns.
#include "qelv/notices/frmYDZQKBB.h"

#include "platform/ui/data_grid.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/field_text.h"
#include "platform/ui/twips.h"
#include "qelv/notices/payment_report.h"
#include "tests/notices/statistics_fixture.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

class PaymentReport : public fixtures::StatisticsYear {
protected:
    void SetUp() override
    {
        StatisticsYear::SetUp();
        // Two squads; the paid, the unpaid, a billed month without invoice, a Null paid flag, an invoice
        // of a month not marked as billed, an enterprise billed in another month only.
        enterprise("0005", "戊厂", "化工", "二中队");
        billingRow("0005",
                   {{"M3", 1},
                    {"M3P", "5"},
                    {"M3M", 50},
                    {"M3DATE", QDate(2003, 3, 20)},
                    {"M3MD", 1},
                    {"M3DDATE", QDate(2003, 4, 2)}});
        enterprise("0001", "甲厂", "化工", "二中队");
        billingRow("0001",
                   {{"M3", 1},
                    {"M3P", "1"},
                    {"M3M", 1234.5},
                    {"M3DATE", QDate(2003, 3, 20)},
                    {"M3MD", 1},
                    {"M3DDATE", QDate(2003, 4, 1)}});
        enterprise("0003", "丙厂", "冶金", "一中队");
        billingRow("0003",
                   {{"M3", 1},
                    {"M3P", "3"},
                    {"M3M", 30},
                    {"M3DATE", QDate(2003, 3, 20)},
                    {"M3MD", 1},
                    {"M3DDATE", QDate(2003, 3, 25)}});
        enterprise("0002", "乙厂", "冶金", "一中队");
        billingRow("0002", {{"M3", 1}, {"M3P", "2"}, {"M3M", 20}, {"M3DATE", QDate(2003, 3, 20)}, {"M3MD", 0}});
        enterprise("0004", "丁厂", "化工", "一中队");
        billingRow("0004", {{"M3", 1}, {"M3MD", 0}});
        enterprise("0006", "己厂", "化工", "一中队");
        billingRow("0006", {{"M3", 1}, {"M3P", "6"}, {"M3M", 60}, {"M3MD", QVariant()}});
        enterprise("0007", "庚厂", "化工", "一中队");
        billingRow("0007", {{"M3", 0}, {"M3P", "7"}, {"M3M", 70}, {"M3MD", 1}, {"M3DDATE", QDate(2003, 4, 1)}});
        enterprise("0008", "辛厂", "化工", "一中队");
        billingRow("0008", {{"M4", 1}, {"M4MD", 1}});
    }

    // Each grid row as its seven cells joined by '|'.
    static QStringList grid(const frmYDZQKBB& w)
    {
        QStringList out;
        QAbstractItemModel* m = w.DataGrid1->model();
        for (int r = 0; r < m->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < m->columnCount(); ++c)
                cells << m->index(r, c).data().toString();
            out << cells.join(u'|');
        }
        return out;
    }
    static void query(frmYDZQKBB& w, const QString& month, bool paid)
    {
        w.Text1->setText(month);
        (paid ? w.Option1 : w.Option2)->setChecked(true);
        w.Command1->click();
    }

    const QStringList paid{"0003|丙厂|3|30|2003-03-20|2003-03-25|一中队",
                           "0001|甲厂|1|1234.5|2003-03-20|2003-04-01|二中队",
                           "0005|戊厂|5|50|2003-03-20|2003-04-02|二中队"};
    const QStringList unpaid{"0002|乙厂|2|20|2003-03-20||一中队", "0004|丁厂||0|||一中队"};
};

TEST_F(PaymentReport, ItsControlsAtOpening)
{
    frmYDZQKBB w;
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(w.objectName(), QStringLiteral("frmYDZQKBB"));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("月到账情况报表"));
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(w.size(), QSize(ui::px(9405), ui::px(6315)));
    EXPECT_EQ(w.Label1->text(), QStringLiteral("排污费月份："));
    EXPECT_EQ(w.Label1->geometry(), ui::rectTwips(30, 60, 1215, 195));
    EXPECT_EQ(w.Text1->text(), QString());
    EXPECT_EQ(w.Text1->geometry(), ui::rectTwips(1260, 30, 2265, 270));
    EXPECT_EQ(w.Command1->text(), QStringLiteral("查询"));
    EXPECT_EQ(w.Command1->geometry(), ui::rectTwips(3660, 30, 1335, 795));
    EXPECT_FALSE(w.Command1->icon().isNull());
    EXPECT_EQ(w.Command2->text(), QStringLiteral("退出"));
    EXPECT_EQ(w.Command2->geometry(), ui::rectTwips(8010, 45, 1335, 795));
    EXPECT_EQ(w.Frame1->geometry(), ui::rectTwips(30, 330, 3495, 495));
    EXPECT_EQ(w.Frame1->title(), QString());
    EXPECT_EQ(w.Option1->parentWidget(), w.Frame1);
    EXPECT_EQ(w.Option1->geometry(), ui::rectTwips(120, 150, 1485, 255));
    EXPECT_EQ(w.Option1->text(), QStringLiteral("显示到账情况"));
    EXPECT_TRUE(w.Option1->isChecked());
    EXPECT_EQ(w.Option2->geometry(), ui::rectTwips(1710, 150, 1635, 255));
    EXPECT_EQ(w.Option2->text(), QStringLiteral("显示未到账情况"));
    EXPECT_FALSE(w.Option2->isChecked());
    EXPECT_EQ(w.DataGrid1->geometry(), ui::rectTwips(30, 930, 9345, 5325));
    EXPECT_EQ(w.DataGrid1->model()->rowCount(), 0) << "empty until the first query";

    w.show();
    w.Command2->click();
    EXPECT_FALSE(w.isVisible());
}

// The invoice and payment dates show whole: each date column is as wide as the view itself finds
// its cells need, for the paid and the unpaid; its heading shows whole too.
TEST_F(PaymentReport, DatesShowWhole)
{
    frmYDZQKBB w;
    w.show();
    for (bool paidOnes : {true, false}) {
        query(w, "3", paidOnes);
        ASSERT_FALSE(grid(w).isEmpty());
        auto* view = static_cast<QAbstractItemView*>(w.DataGrid1);
        for (int c : {4, 5}) {
            EXPECT_GE(w.DataGrid1->columnWidth(c), view->sizeHintForColumn(c))
                << "column " << c << (paidOnes ? " of the paid" : " of the unpaid");
            EXPECT_GE(w.DataGrid1->columnWidth(c), w.DataGrid1->horizontalHeader()->sectionSizeHint(c)) << c;
        }
    }
}

TEST_F(PaymentReport, PaidAndUnpaidInvoicesOfTheMonthBySquadThenNumber)
{
    frmYDZQKBB w;
    query(w, "3", true);
    EXPECT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();
    EXPECT_EQ(grid(w), paid);
    query(w, "03", false);
    EXPECT_EQ(grid(w), unpaid) << "the Null paid flag under neither, the unbilled invoice under neither";
    query(w, "03", true);
    EXPECT_EQ(grid(w), paid);

    // The columns, their captions and widths; every column locked.
    QAbstractItemModel* m = w.DataGrid1->model();
    QStringList captions;
    for (int c = 0; c < m->columnCount(); ++c)
        captions << m->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions,
              (QStringList{"单位编号", "单位名称", "发票编号", "发票金额", "开票日期", "到账日期", "所属中队"}));
    for (int c : {0, 2, 3, 6})
        EXPECT_EQ(w.DataGrid1->columnWidth(c), ui::px(1000)) << c;
    EXPECT_EQ(w.DataGrid1->columnWidth(1), ui::px(2500));
    EXPECT_EQ(w.DataGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);

    // Switching the option changes nothing until the next query.
    w.Option2->setChecked(true);
    EXPECT_EQ(grid(w), paid);
    for (const char* month : {"12", "1", " 4 "}) {
        query(w, month, true);
        EXPECT_TRUE(messages().isEmpty()) << month << messages().join('\n').toStdString();
    }
    EXPECT_EQ(grid(w), QStringList{"0008|辛厂||0|||一中队"});
}

TEST_F(PaymentReport, AMonthThatIsNoneIsRefusedAndTheGridKeepsWhatItShowed)
{
    frmYDZQKBB w;
    query(w, "3", true);
    ASSERT_EQ(grid(w), paid);
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"", "排污费月份不能为空！"},           {"abc", "排污费月份应为数字！"},
        {"3月", "排污费月份应为数字！"},        {"0", "排污费月份应在 1 - 12 之间！"},
        {"13", "排污费月份应在 1 - 12 之间！"}, {"-3", "排污费月份应在 1 - 12 之间！"},
        {"2.5", "排污费月份应为整数！"},        {"12.5", "排污费月份应在 1 - 12 之间！"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        ui::testing::clearShown();
        query(w, QString::fromUtf8(c.text), false);
        ASSERT_EQ(ui::testing::shown().size(), 1u);
        EXPECT_EQ(ui::testing::shown()[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(ui::testing::shown()[0].icon, ui::Icon::Information);
        EXPECT_EQ(ui::testing::shown()[0].title, QString::fromUtf8(ui::appTitle));
        EXPECT_EQ(grid(w), paid);
    }
    EXPECT_EQ(paymentReport::checkMonth("03").month, 3);
    EXPECT_EQ(paymentReport::checkMonth("3.0").month, 3);
}

// The statement of a month reads the statistics table's columns of that month, under the grid's
// captions: a month of two digits reads its own, not those of the month of its first digit.
TEST_F(PaymentReport, TheStatementReadsTheColumnsOfItsMonth)
{
    billing->execute("update KPKZK set M1 = 1, M1P = '11', M1M = 11, M1MD = 1, M1DDATE = '2003-02-01' "
                     "where DanWeiBianHao = '0001'");
    billing->execute("update KPKZK set M10 = 1, M10P = '20', M10M = 200, M10DATE = '2003-10-20', M10MD = 0 "
                     "where DanWeiBianHao = '0002'");
    billing->execute("update KPKZK set M10 = 1, M10P = '30', M10M = 300, M10DATE = '2003-10-20', M10MD = 1, "
                     "M10DDATE = '2003-11-02' where DanWeiBianHao = '0003'");
    frmYDZQKBB opened; // builds the statistics table
    ASSERT_TRUE(messages().isEmpty()) << messages().join('\n').toStdString();

    const struct {
        int month;
        bool paid;
        QStringList rows;
    } cases[] = {
        {3, true, paid},
        {3, false, unpaid},
        {10, false, {"0002|乙厂|20|200|2003-10-20||一中队"}},
        {10, true, {"0003|丙厂|30|300|2003-10-20|2003-11-02|一中队"}},
        {1, true, {"0001|甲厂|11|11||2003-02-01|二中队"}},
        {1, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.month << (c.paid ? " paid" : " unpaid"));
        auto rs = billing->openRecordset(paymentReport::querySql(c.month, c.paid), {}, db::LockType::ReadOnly);
        EXPECT_EQ(rs->fieldNames(),
                  (QStringList{"单位编号", "单位名称", "发票编号", "发票金额", "开票日期", "到账日期", "所属中队"}));
        QStringList rows;
        for (; !rs->isEOF(); rs->moveNext()) {
            QStringList cells;
            for (int f = 0; f < rs->fieldCount(); ++f)
                cells << ui::fieldText(rs->value(f));
            rows << cells.join(u'|');
        }
        EXPECT_EQ(rows, c.rows);
    }
}

TEST_F(PaymentReport, TheStatisticsTableIsRebuiltAtEachOpening)
{
    frmYDZQKBB first;
    // The payment-report build: the month count is of months billed.
    EXPECT_EQ(statisticsRows().first(), QStringLiteral("0005|戊厂|化工|二中队|50|1"));
    billing->execute("update KPKZK set M3MD = 1, M3DDATE = '2003-04-09' where DanWeiBianHao = '0002'");
    dw->execute("update dw set DanWeiQuangCheng = '乙厂新名' where DanWeiBianHao = '0002'");
    query(first, "3", false);
    EXPECT_EQ(grid(first), unpaid) << "read as the opening left tjktmp";

    frmYDZQKBB second;
    query(second, "3", false);
    EXPECT_EQ(grid(second), QStringList{"0004|丁厂||0|||一中队"});
    query(second, "3", true);
    EXPECT_EQ(grid(second).first(), QStringLiteral("0002|乙厂新名|2|20|2003-03-20|2003-04-09|一中队"));
    // The first window's next query reads what the second one's opening built.
    query(first, "3", false);
    EXPECT_EQ(grid(first), QStringList{"0004|丁厂||0|||一中队"});
}

TEST_F(PaymentReport, AFailedRebuildIsSaidAndTheWindowOpensAllTheSame)
{
    billing.reset();
    const QString year = folder->data(dataFiles::billing(2003));
    ASSERT_TRUE(QFile::remove(year));
    frmYDZQKBB w;
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("qelvkz2003.mdb")) << messages()[0].toStdString();
    ui::testing::clearShown();
    query(w, "3", true);
    ASSERT_EQ(messages().size(), 1);
    EXPECT_TRUE(messages()[0].contains("qelvkz2003.mdb")) << messages()[0].toStdString();
    EXPECT_EQ(w.DataGrid1->model()->rowCount(), 0);
}

} // namespace
