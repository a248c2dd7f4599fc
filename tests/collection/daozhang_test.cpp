// Single payment registration: the searches, and the paid and payment-date cells writing the billing
// row and the ledger row together.
#include "platform/ui/dialogs.h"
#include "platform/ui/recordset_model.h"
#include "qelv/collection/frmDaoZhang.h"
#include "tests/collection/payment_fixture.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFile>
#include <QLineEdit>
#include <functional>

using namespace collectionTests;

namespace {

const QDate march(2003, 3, 20);

struct SearchCase {
    const char* label;
    QString year, number, name, month;
    QStringList messages; // every box shown
    QStringList rows; // enterprise and invoice number of each grid row
    QString text3, text4; // the name and month boxes afterwards
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << c.label;
}

const QString empty = QStringLiteral("按单位名称查询时，单位名称和排污费月份不能为空！");
const QString notNumeric = QStringLiteral("排污费月份输入的不是数字！");
const QString outOfRange = QStringLiteral("排污费月份输入数字要在 1-12 之间！");

} // namespace

class DaoZhangTest : public PaymentTest {
protected:
    void SetUp() override
    {
        PaymentTest::SetUp();
        enterprise(QStringLiteral("0001"), QStringLiteral("甲厂"));
        enterprise(QStringLiteral("0002"), QStringLiteral("乙厂"));
        enterprise(QStringLiteral("0003"), QStringLiteral("乙厂"));
        enterprise(QStringLiteral("0004"), QStringLiteral("O'Brien厂"));
        invoice(QStringLiteral("0001"), 2, QStringLiteral("201"), QDate(2003, 2, 20));
        invoice(QStringLiteral("0001"), 3, QStringLiteral("301"), march);
        invoice(QStringLiteral("0001"), 4, QStringLiteral("401"), QDate(2003, 4, 20));
        invoice(QStringLiteral("0001"), 10, QStringLiteral("1001"), QDate(2003, 10, 20));
        invoice(QStringLiteral("0002"), 3, QStringLiteral("302"), march);
        invoice(QStringLiteral("0002"), 5, QStringLiteral("AB5"), QDate(2003, 5, 20));
        invoice(QStringLiteral("0003"), 3, QStringLiteral("303"), march);
        invoice(QStringLiteral("0004"), 3, QStringLiteral("304"), march);
        enterprise(QStringLiteral("0001"), QStringLiteral("甲厂"), 2004);
        invoice(QStringLiteral("0001"), 2, QStringLiteral("4201"), QDate(2004, 2, 20), 2004);
        ui::testing::clearShown();
    }

    static QStringList rows(frmDaoZhang& w)
    {
        QStringList out;
        ui::RecordsetModel* m = w.DataGrid1->recordsetModel();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->data(m->index(r, 0)).toString() + QLatin1Char(' ') + m->data(m->index(r, 1)).toString();
        return out;
    }
    static QString cell(frmDaoZhang& w, int column)
    {
        ui::RecordsetModel* m = w.DataGrid1->recordsetModel();
        return m->data(m->index(m->currentRow(), column)).toString();
    }
    void findMarch301(frmDaoZhang& w)
    {
        w.Text2->setText(QStringLiteral("301"));
        w.Command1_Click();
        ASSERT_EQ(rows(w), QStringList{"0001 301"});
    }
    QString march301() const
    {
        return billing("0001", "M3MD") + QLatin1Char('|') + billing("0001", "M3DDATE") + QLatin1Char('/') +
            ledger("0001", "301", march);
    }
};

class DaoZhangSearchTest : public DaoZhangTest, public ::testing::WithParamInterface<SearchCase> { };

TEST_P(DaoZhangSearchTest, FindsTheInvoice)
{
    const SearchCase& c = GetParam();
    frmDaoZhang w;
    w.Text1->setText(c.year);
    w.Text2->setText(c.number);
    w.Text3->setText(c.name);
    w.Text4->setText(c.month);
    w.Command1_Click();
    EXPECT_EQ(ui::testing::shownTexts(), c.messages);
    const QStringList checks = {empty, notNumeric, outOfRange, QStringLiteral("没有找到该发票!")};
    for (const ui::testing::Shown& s : ui::testing::shown()) {
        if (checks.contains(s.text)) {
            EXPECT_EQ(s.icon, ui::Icon::Information) << s.text.toStdString();
        }
    }
    EXPECT_EQ(rows(w), c.rows);
    EXPECT_EQ(w.Text3->text(), c.text3);
    EXPECT_EQ(w.Text4->text(), c.text4);
    EXPECT_FALSE(QFile::exists(billingFile(2005))) << "a search makes no file";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DaoZhangSearchTest,
    ::testing::Values(
        // A number wins over name and month, which then show the invoice's enterprise and month.
        SearchCase{"number_in_october", "", "1001", "x", "99", {}, {"0001 1001"}, "甲厂", "10"},
        SearchCase{"number_in_another_case", "", "ab5", "", "", {}, {"0002 AB5"}, "乙厂", "5"},
        SearchCase{"number_nowhere", "", "9999", "甲厂", "3", {"没有找到该发票!"}, {}, "甲厂", "3"},
        SearchCase{"month_empty", "", "", "甲厂", "", {empty}, {}, "甲厂", ""},
        SearchCase{"name_empty", "", "", "", "3", {empty}, {}, "", "3"},
        SearchCase{"month_letters", "", "", "甲厂", "abc", {notNumeric}, {}, "甲厂", "abc"},
        SearchCase{"month_0", "", "", "甲厂", "0", {outOfRange}, {}, "甲厂", "0"},
        SearchCase{"month_13", "", "", "甲厂", "13", {outOfRange}, {}, "甲厂", "13"},
        SearchCase{"month_12", "", "", "甲厂", "12", {}, {"0001 "}, "甲厂", "12"},
        SearchCase{"month_2_5_to_even", "", "", "甲厂", "2.5", {}, {"0001 201"}, "甲厂", "2.5"},
        SearchCase{"month_3_6_up", "", "", "甲厂", "3.6", {}, {"0001 401"}, "甲厂", "3.6"},
        SearchCase{"shared_name", "", "", "乙厂", "3", {}, {"0002 302", "0003 303"}, "乙厂", "3"},
        SearchCase{"quote_in_name", "", "", "O'Brien厂", "3", {}, {"0004 304"}, "O'Brien厂", "3"},
        SearchCase{"quote_in_number", "", "1' or '1'='1", "", "", {"没有找到该发票!"}, {}, "", ""},
        SearchCase{"name_nowhere", "", "", "丙厂", "3", {"没有找到该单位!"}, {}, "丙厂", "3"},
        SearchCase{"typed_year", "2004", "4201", "", "", {}, {"0001 4201"}, "甲厂", "2"},
        SearchCase{"year_without_file",
                   "2005",
                   "301",
                   "",
                   "",
                   {"没有2005年的开票数据：文件 qelvkz2005.mdb 不存在。"},
                   {},
                   "",
                   ""},
        SearchCase{"year_no_date", "20x4", "301", "", "", {"日期格式不正确：20x4-01-01"}, {}, "", ""}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.label); });

TEST_F(DaoZhangTest, TheGridHasSixColumnsOf1200TwipsWithButtonsOnThePaymentCells)
{
    frmDaoZhang w;
    EXPECT_TRUE(w.MonthView1->isHidden());
    EXPECT_EQ(w.MonthView1->selectedDate(), QDate::currentDate());
    findMarch301(w);
    ui::RecordsetModel* m = w.DataGrid1->recordsetModel();
    QStringList captions;
    for (int c = 0; c < m->columnCount(); ++c) {
        captions << m->headerData(c, Qt::Horizontal).toString();
        EXPECT_NEAR(w.DataGrid1->columnWidthTwips(c), 1200, 15);
        const bool payment = c >= frmDaoZhang::Paid;
        EXPECT_EQ(w.DataGrid1->hasButton(c), payment) << c;
        EXPECT_EQ(bool(m->flags(m->index(0, c)) & Qt::ItemIsEditable), payment) << c;
    }
    EXPECT_EQ(captions, QStringList({"单位编号", "发票编号", "发票金额", "开票日期", "到账", "到账日期"}));
    EXPECT_EQ(cell(w, frmDaoZhang::InvoiceDate), "2003-03-20");
}

TEST_F(DaoZhangTest, TheButtonsChangeTheBillingRowAndTheLedgerRowTogether)
{
    fixtures::exec(billingFile(), QStringLiteral("update KPKZK set M3MD = NULL where DanWeiBianHao = '0001'"));
    frmDaoZhang w;
    findMarch301(w);
    EXPECT_EQ(cell(w, frmDaoZhang::Paid), "");
    emit w.DataGrid1->buttonClick(frmDaoZhang::Paid);
    EXPECT_EQ(cell(w, frmDaoZhang::Paid), "0") << "an empty flag becomes 0";
    EXPECT_EQ(march301(), "0|NULL/0|NULL");
    emit w.DataGrid1->buttonClick(frmDaoZhang::Paid);
    EXPECT_EQ(cell(w, frmDaoZhang::Paid), "1");
    EXPECT_EQ(march301(), "1|NULL/1|NULL");

    emit w.DataGrid1->buttonClick(frmDaoZhang::PaidOn);
    EXPECT_FALSE(w.MonthView1->isHidden());
    emit w.MonthView1->clicked(QDate(2003, 6, 15));
    EXPECT_TRUE(w.MonthView1->isHidden());
    EXPECT_EQ(cell(w, frmDaoZhang::PaidOn), "2003-06-15");
    EXPECT_EQ(march301(), "1|2003-06-15/1|2003-06-15");
    EXPECT_EQ(billing("0001", "M4MD") + ledger("0001", "401", QDate(2003, 4, 20)), "00|NULL") << "another month";
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty());
}

TEST_F(DaoZhangTest, ATypedValueGoesTheWayOfTheButtonsAndABadOneIsRefused)
{
    frmDaoZhang w;
    findMarch301(w);
    ui::RecordsetModel* m = w.DataGrid1->recordsetModel();
    struct Typed {
        int column;
        QString text;
        bool taken;
        QString after;
    };
    const QList<Typed> cases = {
        {frmDaoZhang::Paid, "1", true, "1|NULL/1|NULL"},
        {frmDaoZhang::Paid, "2", false, "1|NULL/1|NULL"},
        {frmDaoZhang::Paid, "", false, "1|NULL/1|NULL"},
        {frmDaoZhang::PaidOn, "2003-7-1", true, "1|2003-07-01/1|2003-07-01"},
        {frmDaoZhang::PaidOn, "2003-13-40", false, "1|2003-07-01/1|2003-07-01"},
        {frmDaoZhang::PaidOn, "soon", false, "1|2003-07-01/1|2003-07-01"},
        {frmDaoZhang::Paid, "0", true, "0|2003-07-01/0|2003-07-01"},
    };
    for (const Typed& t : cases) {
        ui::testing::clearShown();
        EXPECT_EQ(m->setData(m->index(0, t.column), t.text), t.taken) << t.text.toStdString();
        QApplication::processEvents();
        EXPECT_EQ(march301(), t.after) << t.text.toStdString();
        EXPECT_EQ(ui::testing::shownTexts().size(), t.taken ? 0 : 1) << t.text.toStdString();
    }
    EXPECT_EQ(cell(w, frmDaoZhang::PaidOn), "2003-07-01");
    EXPECT_EQ(cell(w, frmDaoZhang::Paid), "0");
}

TEST_F(DaoZhangTest, AMissingLedgerTableLeavesBothFilesAndTheCell)
{
    frmDaoZhang w;
    findMarch301(w);
    fixtures::exec(ledgerFile(), QStringLiteral("drop table ZNJ0001"));
    emit w.DataGrid1->buttonClick(frmDaoZhang::Paid);
    ASSERT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_TRUE(ui::testing::shownTexts()[0].contains(QStringLiteral("301")));
    EXPECT_EQ(cell(w, frmDaoZhang::Paid), "0");
    EXPECT_EQ(billing("0001", "M3MD"), "0");

    ui::testing::clearShown();
    emit w.DataGrid1->buttonClick(frmDaoZhang::PaidOn);
    emit w.MonthView1->clicked(QDate(2003, 6, 15));
    EXPECT_EQ(ui::testing::shownTexts().size(), 1);
    EXPECT_FALSE(w.MonthView1->isHidden()) << "the calendar stays for another try";
    EXPECT_EQ(cell(w, frmDaoZhang::PaidOn), "");
    EXPECT_EQ(billing("0001", "M3DDATE"), "NULL");
}

TEST_F(DaoZhangTest, ALedgerWithoutTheInvoicesRowChangesTheBillingRowSilently)
{
    fixtures::exec(ledgerFile(), QStringLiteral("delete from ZNJ0001 where FaPiaoBianHao = '301'"));
    frmDaoZhang w;
    findMarch301(w);
    emit w.DataGrid1->buttonClick(frmDaoZhang::Paid);
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty());
    EXPECT_EQ(billing("0001", "M3MD"), "1");
    EXPECT_EQ(cell(w, frmDaoZhang::Paid), "1");
}

TEST_F(DaoZhangTest, AnInvoiceRenumberedSinceTheSearchIsRegisteredInNeitherFileAndIsNamed)
{
    frmDaoZhang w;
    findMarch301(w);
    renumberInCollectionWindow(QStringLiteral("0001"), 3, QStringLiteral("3011"));
    ui::RecordsetModel* m = w.DataGrid1->recordsetModel();
    struct Change {
        const char* what;
        std::function<void()> make;
    };
    const QList<Change> changes = {
        {"the paid button", [&] { emit w.DataGrid1->buttonClick(frmDaoZhang::Paid); }},
        {"a day of the calendar",
         [&] {
             emit w.DataGrid1->buttonClick(frmDaoZhang::PaidOn);
             emit w.MonthView1->clicked(QDate(2003, 6, 15));
         }},
        {"a typed date",
         [&] {
             m->setData(m->index(0, frmDaoZhang::PaidOn), QStringLiteral("2003-7-1"));
             QApplication::processEvents();
         }},
    };
    for (const Change& c : changes) {
        SCOPED_TRACE(c.what);
        ui::testing::clearShown();
        c.make();
        EXPECT_EQ(billing("0001", "M3MD") + billing("0001", "M3DDATE"), "0NULL");
        EXPECT_EQ(ledger("0001", "3011", march), "0|NULL");
        ASSERT_EQ(ui::testing::shownTexts().size(), 1);
        const QString said = ui::testing::shownTexts()[0];
        EXPECT_TRUE(said.contains(QStringLiteral("301")) && said.contains(QStringLiteral("0001")) &&
                    said.contains(QStringLiteral("请重新查找")))
            << said.toStdString();
    }

    // Found again under its new number, it is registered in both.
    ui::testing::clearShown();
    w.Text2->setText(QStringLiteral("3011"));
    w.Command1_Click();
    emit w.DataGrid1->buttonClick(frmDaoZhang::Paid);
    EXPECT_TRUE(ui::testing::shownTexts().isEmpty());
    EXPECT_EQ(billing("0001", "M3MD") + ledger("0001", "3011", march), "11|NULL");
}
