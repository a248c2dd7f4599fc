#include "qelv/core/data_files.h"

#include <gtest/gtest.h>

namespace {

struct MonthCase {
    QDate month;
    const char* data;
    const char* feeList;
    const char* notices;
    const char* invoices;
    const char* collections;
    const char* billing;
};

class MonthFiles : public ::testing::TestWithParam<MonthCase> { };

TEST_P(MonthFiles, NameTheMonthWithoutLeadingZero)
{
    const MonthCase& c = GetParam();
    EXPECT_EQ(dataFiles::monthData(c.month), QString::fromLatin1(c.data));
    EXPECT_EQ(dataFiles::monthFeeList(c.month), QString::fromLatin1(c.feeList));
    EXPECT_EQ(dataFiles::monthNotices(c.month), QString::fromLatin1(c.notices));
    EXPECT_EQ(dataFiles::monthInvoices(c.month), QString::fromLatin1(c.invoices));
    EXPECT_EQ(dataFiles::monthCollections(c.month), QString::fromLatin1(c.collections));
    EXPECT_EQ(dataFiles::billing(c.month.year()), QString::fromLatin1(c.billing));
}

INSTANTIATE_TEST_SUITE_P(
    Months, MonthFiles,
    ::testing::Values(
        MonthCase{QDate(2004, 1, 31), "qelvdata2004_1.mdb", "qelvdataPrint2004_1.mdb", "qelvtzPrint2004_1.mdb",
                  "qelvfpPrint2004_1.mdb", "qelvwtPrint2004_1.mdb", "qelvkz2004.mdb"},
        MonthCase{QDate(2003, 12, 1), "qelvdata2003_12.mdb", "qelvdataPrint2003_12.mdb", "qelvtzPrint2003_12.mdb",
                  "qelvfpPrint2003_12.mdb", "qelvwtPrint2003_12.mdb", "qelvkz2003.mdb"},
        // Only year and month count: the last day of a leap February names the same files as its first.
        MonthCase{QDate(2004, 2, 29), "qelvdata2004_2.mdb", "qelvdataPrint2004_2.mdb", "qelvtzPrint2004_2.mdb",
                  "qelvfpPrint2004_2.mdb", "qelvwtPrint2004_2.mdb", "qelvkz2004.mdb"}));

TEST(DataFiles, TheStartupCompactionTakesItsNamesFromTheCatalogue)
{
    const QDate month(2004, 2, 29);
    EXPECT_EQ(
        dataFiles::compactedAtStartup(month),
        QStringList({dataFiles::enterprises, dataFiles::pollutants, dataFiles::lateFeeLedgers,
                     dataFiles::monthData(month), dataFiles::monthFeeList(month), dataFiles::monthNotices(month),
                     dataFiles::monthCollections(month), dataFiles::monthInvoices(month), dataFiles::billing(2004)}));
}

TEST(DataFiles, TheShippedListIsTheOneTheBuildMakes)
{
    QStringList built = QString::fromLatin1(QELV_SHIPPED_DB_LIST).split(QLatin1Char(','), Qt::SkipEmptyParts);
    QStringList catalogue = dataFiles::shipped();
    built.sort();
    catalogue.sort();
    EXPECT_EQ(catalogue, built);
}

} // namespace
