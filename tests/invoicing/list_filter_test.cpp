#include "platform/db/connection.h"
#include "platform/error/error.h"
#include "platform/ui/dialogs.h"
#include "qelv/core/Module1.h"
#include "qelv/invoicing/frmFaPiaoGuoLv.h"
#include "qelv/invoicing/list_filter.h"
#include "tests/fixtures/program_folder.h"
#include "tests/fixtures/sqlite_probe.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using invoicing::FilterRow;

struct FilterCase {
    const char* name;
    int month;
    FilterRow first;
    const char* conjunction;
    FilterRow second;
    const char* text; // the condition as the operator reads it
};
void PrintTo(const FilterCase& c, std::ostream* os)
{
    *os << c.name;
}

FilterRow row(const char* field, const char* op, const char* value)
{
    return {QString::fromUtf8(field), QString::fromUtf8(op), QString::fromUtf8(value)};
}

class ListFilterText : public ::testing::TestWithParam<FilterCase> { };

TEST_P(ListFilterText, ReadsAsTheConditionWithItsValuesQuoted)
{
    const FilterCase& c = GetParam();
    const invoicing::ListCondition cond =
        invoicing::buildListCondition(c.first, QString::fromUtf8(c.conjunction), c.second, c.month);
    EXPECT_EQ(cond.text(), QString::fromUtf8(c.text));
    EXPECT_EQ(cond.sql.count(QLatin1Char('?')), cond.values.size());
}

const FilterRow none{};

INSTANTIATE_TEST_SUITE_P(
    Conditions, ListFilterText,
    ::testing::Values(
        FilterCase{"EnterpriseEquals", 5, row("单位编号", " = ", "1001"), "", none, "DanWeiBianHao = '1001'"},
        FilterCase{"EnterpriseEmpty", 5, row("单位编号", " = ", ""), "", none, "DanWeiBianHao = ''"},
        FilterCase{"EnterpriseLike", 5, row("单位编号", " Like ", "10"), "", none, "DanWeiBianHao Like '%10%'"},
        FilterCase{"InvoiceMissing", 5, row("发票编号", " = ", ""), "", none, "M5P IS NULL"},
        FilterCase{"InvoicePresent", 5, row("发票编号", " <> ", ""), "", none, "M5P IS NOT NULL"},
        FilterCase{"InvoiceAboveEmpty", 5, row("发票编号", " > ", ""), "", none, "M5P > ''"},
        FilterCase{"InvoiceLike", 5, row("发票编号", " Like ", "12"), "", none, "M5P Like '%12%'"},
        FilterCase{"InvoiceLikeEmptyFirstRow", 5, row("发票编号", " Like ", ""), "", none,
                   "M5P Like Null OR M5P Like ''"},
        FilterCase{"TwoRows", 5, row("单位编号", " >= ", "100"), " OR ", row("发票编号", " <> ", ""),
                   "DanWeiBianHao >= '100' OR M5P IS NOT NULL"},
        FilterCase{"InvoiceLikeEmptySecondRow", 5, row("单位编号", " = ", "1"), " AND ", row("发票编号", " Like ", ""),
                   "DanWeiBianHao = '1' AND M5P Like '%%'"},
        FilterCase{"December", 12, row("发票编号", " = ", "88"), "", none, "M12P = '88'"},
        FilterCase{"January", 1, row("发票编号", " <= ", "88"), "", none, "M1P <= '88'"},
        // The second row needs both its conjunction and its field.
        FilterCase{"SecondRowWithoutConjunction", 5, row("单位编号", " = ", "1"), "", row("发票编号", " = ", "2"),
                   "DanWeiBianHao = '1'"},
        FilterCase{"SecondRowWithoutField", 5, row("单位编号", " = ", "1"), " OR ", row("", " = ", "2"),
                   "DanWeiBianHao = '1'"},
        // Without a condition of the first row the second stands alone, without the conjunction.
        FilterCase{"SecondRowAlone", 5, row("", "", ""), " AND ", row("发票编号", " = ", ""), "M5P IS NULL"},
        FilterCase{"SecondRowAfterAnUnknownField", 5, row("编号", " = ", "1"), " OR ", row("单位编号", " < ", "2"),
                   "DanWeiBianHao < '2'"},
        FilterCase{"Nothing", 5, row("", "", ""), "", none, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ListFilterValues, AreKeptApartFromTheStatement)
{
    const auto cond = invoicing::buildListCondition(row("单位编号", " = ", "O'Brien"), QString(), none, 5);
    EXPECT_EQ(cond.sql, QStringLiteral("DanWeiBianHao = ?"));
    EXPECT_EQ(cond.values, QVariantList{QStringLiteral("O'Brien")});
    const auto like = invoicing::buildListCondition(row("发票编号", " Like ", "7"), QString(), none, 5);
    EXPECT_EQ(like.sql, QStringLiteral("M5P Like ?"));
    EXPECT_EQ(like.values, QVariantList{QStringLiteral("%7%")});
}

TEST(ListFilterValues, UnknownOperatorsAndConjunctionsAreRefused)
{
    EXPECT_THROW(invoicing::buildListCondition(row("单位编号", "=", "1"), QString(), none, 5),
                 invoicing::FilterInputError);
    EXPECT_THROW(invoicing::buildListCondition(row("单位编号", "", "1"), QString(), none, 5),
                 invoicing::FilterInputError);
    EXPECT_THROW(invoicing::buildListCondition(row("单位编号", " = 1 OR 1=1 -- ", "1"), QString(), none, 5),
                 invoicing::FilterInputError);
    EXPECT_THROW(invoicing::buildListCondition(row("单位编号", " = ", "1"), QStringLiteral(" OR 1=1 OR "),
                                               row("发票编号", " = ", ""), 5),
                 invoicing::FilterInputError);
    // The refusal reaches any handler of errors with the text the operator reads.
    try {
        invoicing::buildListCondition(row("单位编号", " LIKE? ", "1"), QString(), none, 5);
        ADD_FAILURE() << "accepted";
    } catch (const std::exception& e) {
        EXPECT_EQ(platform::describe(e), QStringLiteral("运算符“LIKE?”不能用，请从列表中选择。"));
        EXPECT_STREQ(e.what(), "运算符“LIKE?”不能用，请从列表中选择。");
    }
    // A row that makes no condition is not looked at.
    EXPECT_NO_THROW(invoicing::buildListCondition(row("编号", "??", "1"), QString(), none, 5));
    EXPECT_NO_THROW(
        invoicing::buildListCondition(row("单位编号", " = ", "1"), QString(), row("发票编号", "??", ""), 5));
}

// The condition bound by a query over a billing table: a quote in a value filters for that quote.
TEST(ListFilterValues, AQuoteInAValueFiltersForThatQuote)
{
    fixtures::ProgramFolder folder(false);
    const QString file = folder.data(QStringLiteral("qelvkz2003.mdb"));
    fixtures::exec(
        file,
        QStringLiteral(
            "CREATE TABLE KPKZK (DanWeiBianHao TEXT(20) COLLATE NOCASE, M5 SMALLINT, M5P TEXT(50) COLLATE NOCASE);"
            "INSERT INTO KPKZK VALUES ('10''01', 1, NULL), ('1001', 1, '7'), ('2002', 1, '');"));
    db::Connection conn;
    conn.openPath(file);
    auto count = [&conn](const invoicing::ListCondition& c) {
        return conn
            .scalar(QStringLiteral("Select count(*) From KPKZK where ") + c.narrowing(QStringLiteral("M5=1")), c.values)
            .toInt();
    };
    EXPECT_EQ(count(invoicing::buildListCondition(row("单位编号", " = ", "10'01"), QString(), none, 5)), 1);
    EXPECT_EQ(count(invoicing::buildListCondition(row("单位编号", " Like ", "'"), QString(), none, 5)), 1);
    // A voided invoice's empty number is not a missing one.
    EXPECT_EQ(count(invoicing::buildListCondition(row("发票编号", " = ", ""), QString(), none, 5)), 1);
    EXPECT_EQ(count(invoicing::buildListCondition(row("发票编号", " Like ", ""), QString(), none, 5)), 1);
}

// An OR in the filter narrows the enterprises billed in the month; it never adds one that is not.
TEST(ListFilterValues, AnOrNarrowsOnlyTheMonthsBilledEnterprises)
{
    fixtures::ProgramFolder folder(false);
    const QString file = folder.data(QStringLiteral("qelvkz2003.mdb"));
    fixtures::exec(
        file,
        QStringLiteral(
            "CREATE TABLE KPKZK (DanWeiBianHao TEXT(20) COLLATE NOCASE, M5 SMALLINT, M5P TEXT(50) COLLATE NOCASE);"
            "INSERT INTO KPKZK VALUES ('1001', 1, NULL), ('1002', 0, NULL), ('1003', 1, '9'), ('1004', 0, '');"));
    db::Connection conn;
    conn.openPath(file);
    const auto either = invoicing::buildListCondition(row("单位编号", " = ", "1003"), QStringLiteral(" OR "),
                                                      row("发票编号", " = ", ""), 5);
    EXPECT_EQ(either.narrowing(QStringLiteral("M5=1")), QStringLiteral("M5=1 and (DanWeiBianHao = ? OR M5P IS NULL)"));
    EXPECT_EQ(
        conn.scalar(QStringLiteral("Select count(*) From KPKZK where ") + either.narrowing(QStringLiteral("M5=1")),
                    either.values)
            .toInt(),
        2);
    const auto firstRowLike = invoicing::buildListCondition(row("发票编号", " Like ", ""), QString(), none, 5);
    EXPECT_EQ(conn.scalar(QStringLiteral("Select count(*) From KPKZK where ") +
                              firstRowLike.narrowing(QStringLiteral("M5=1")),
                          firstRowLike.values)
                  .toInt(),
              0);
    EXPECT_EQ(invoicing::ListCondition{}.narrowing(QStringLiteral("M5=1")), QStringLiteral("M5=1"));
}

class FilterDialog : public fixtures::ProgramFolderTest {
protected:
    void SetUp() override
    {
        ProgramFolderTest::SetUp();
        Module1::gWorkMonth = QDate(2003, 5, 1);
    }
    void fill(frmFaPiaoGuoLv& d, int i, const char* field, const char* op, const char* value)
    {
        d.Combo1[i]->setEditText(QString::fromUtf8(field));
        d.Combo2[i]->setEditText(QString::fromUtf8(op));
        d.Text1[i]->setText(QString::fromUtf8(value));
    }
};

TEST_F(FilterDialog, OpensWithEmptyBoxesAndTheListsItems)
{
    frmFaPiaoGuoLv d;
    EXPECT_EQ(d.windowTitle(), QStringLiteral("过滤条件"));
    EXPECT_TRUE(d.isModal());
    EXPECT_FALSE(d.FilterAccepted);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(d.Combo1[i]->currentText(), QString());
        EXPECT_EQ(d.Combo2[i]->currentText(), QString());
        EXPECT_EQ(d.Combo1[i]->count(), 2);
        EXPECT_EQ(d.Combo2[i]->itemText(6), QStringLiteral(" Like "));
    }
    EXPECT_EQ(d.Combo3->currentText(), QString());
    EXPECT_EQ(d.Combo3->itemText(1), QStringLiteral(" OR "));
    EXPECT_NE(d.findChild<QComboBox*>(QStringLiteral("Combo11")), nullptr);
}

TEST_F(FilterDialog, FilterWithEveryBoxEmptyAcceptsTheWholeList)
{
    frmFaPiaoGuoLv d;
    d.show();
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    EXPECT_TRUE(d.FilterAccepted);
    EXPECT_TRUE(d.Filter.isEmpty());
    EXPECT_FALSE(d.isVisible());
}

TEST_F(FilterDialog, FilterGivesTheConditionOfBothRowsForTheOperatingMonth)
{
    Module1::gWorkMonth = QDate(2003, 12, 1);
    frmFaPiaoGuoLv d;
    d.show();
    fill(d, 0, "单位编号", " >= ", "100");
    d.Combo3->setEditText(QStringLiteral(" OR "));
    fill(d, 1, "发票编号", " <> ", "");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    EXPECT_TRUE(d.FilterAccepted);
    EXPECT_EQ(d.FilterText(), QStringLiteral("DanWeiBianHao >= '100' OR M12P IS NOT NULL"));
    EXPECT_EQ(d.Filter.values, QVariantList{QStringLiteral("100")});
}

TEST_F(FilterDialog, CancelAndTheCloseBoxAcceptNothing)
{
    {
        frmFaPiaoGuoLv d;
        d.show();
        fill(d, 0, "单位编号", " = ", "1");
        QTest::mouseClick(d.CancelButton, Qt::LeftButton);
        EXPECT_FALSE(d.FilterAccepted);
        EXPECT_FALSE(d.isVisible());
    }
    {
        frmFaPiaoGuoLv d;
        d.show();
        fill(d, 0, "单位编号", " = ", "1");
        d.close();
        EXPECT_FALSE(d.FilterAccepted);
        EXPECT_FALSE(d.isVisible());
    }
}

TEST_F(FilterDialog, RemoveFilterAcceptsAnEmptyCondition)
{
    frmFaPiaoGuoLv d;
    d.show();
    fill(d, 0, "单位编号", " = ", "1");
    QTest::mouseClick(d.Command1, Qt::LeftButton);
    EXPECT_TRUE(d.FilterAccepted);
    EXPECT_TRUE(d.Filter.isEmpty());
}

TEST_F(FilterDialog, ATypedOperatorThatIsNoItemIsRefusedAndTheDialogStaysOpen)
{
    frmFaPiaoGuoLv d;
    d.show();
    fill(d, 0, "单位编号", "=", "1");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    EXPECT_FALSE(d.FilterAccepted);
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(ui::testing::shown().size(), 1u);
    EXPECT_TRUE(ui::testing::shown().front().text.contains(QStringLiteral("=")));
    // Corrected, it is accepted.
    d.Combo2[0]->setCurrentIndex(0);
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    EXPECT_TRUE(d.FilterAccepted);
    EXPECT_EQ(d.FilterText(), QStringLiteral("DanWeiBianHao = '1'"));
}

TEST_F(FilterDialog, ATypedConjunctionThatIsNoItemIsRefused)
{
    frmFaPiaoGuoLv d;
    d.show();
    fill(d, 0, "单位编号", " = ", "1");
    d.Combo3->setEditText(QStringLiteral("AND"));
    fill(d, 1, "发票编号", " = ", "");
    QTest::mouseClick(d.OKButton, Qt::LeftButton);
    EXPECT_FALSE(d.FilterAccepted);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(ui::testing::shown().size(), 1u);
}

} // namespace
