// The statistics build: tjktmp a copy of KPKZK completed from the register, the two month counts, the
// empty terms, the rows passed over, a build that fails half-way, and a year file without the tables.
#include "qelv/notices/statistics_tables.h"

#include "tests/fixtures/sqlite_probe.h"
#include "tests/notices/statistics_fixture.h"

#include <functional>
#include <gtest/gtest.h>

namespace {

using statistics::MonthCount;

class StatisticsBuild : public fixtures::StatisticsYear {
protected:
    void build(MonthCount count)
    {
        auto yearFile = std::make_unique<db::Connection>(db::DataFile{dataFiles::billing(2003)});
        statistics::build(*yearFile, *dw, count);
    }
    QVariant probe(const QString& sql) { return fixtures::probe(folder->data(dataFiles::billing(2003)), sql); }
};

TEST_F(StatisticsBuild, TheBuildAsATable)
{
    struct Case {
        const char* what;
        std::function<void(StatisticsBuild&)> arrange;
        MonthCount count;
        QStringList expected;
    };
    const auto threeMonths = [](StatisticsBuild& t) {
        t.enterprise("0001", "甲厂", "化工", "一中队");
        t.billingRow("0001", {{"M3", 1}, {"M3N", 3}});
    };
    const auto twelveAmounts = [](StatisticsBuild& t) {
        t.enterprise("0001", "甲厂", "化工", "一中队");
        std::map<QString, QVariant> amounts;
        for (int m = 1; m <= 12; ++m)
            amounts[QStringLiteral("M%1M").arg(m)] = 0.1;
        amounts["M12M"] = 1234.56;
        amounts["M5"] = 1;
        amounts["M5N"] = 2;
        t.billingRow("0001", amounts);
    };
    const Case cases[] = {
        {"a bill in month 3 covering three months: the months covered",
         threeMonths,
         MonthCount::Covered,
         {"0001|甲厂|化工|一中队|0|3"}},
        {"the same bill for the payment report: the months billed",
         threeMonths,
         MonthCount::Billed,
         {"0001|甲厂|化工|一中队|0|1"}},
        {"twelve amounts summed into JinE, exactly",
         twelveAmounts,
         MonthCount::Covered,
         {"0001|甲厂|化工|一中队|1235.66|2"}},
        {"a Null amount leaves JinE empty; the month count is formed all the same",
         [](StatisticsBuild& t) {
             t.enterprise("0001", "甲厂", "化工", "一中队");
             t.billingRow("0001", {{"M7M", QVariant()}, {"M2M", 50}, {"M2", 1}, {"M2N", 1}});
         },
         MonthCount::Covered,
         {"0001|甲厂|化工|一中队|-|1"}},
        {"a Null month count leaves SumMonth empty; JinE is formed all the same",
         [](StatisticsBuild& t) {
             t.enterprise("0001", "甲厂", "化工", "一中队");
             t.billingRow("0001", {{"M4N", QVariant()}, {"M4M", 80}});
         },
         MonthCount::Covered,
         {"0001|甲厂|化工|一中队|80|-"}},
        {"a Null squad or industry: the row is passed over, all five columns empty",
         [](StatisticsBuild& t) {
             t.enterprise("0001", "甲厂", "化工", QVariant());
             t.enterprise("0002", "乙厂", QVariant(), "二中队");
             t.enterprise("0003", QVariant(), "冶金", "二中队");
             for (const char* n : {"0001", "0002", "0003"})
                 t.billingRow(n, {{"M1M", 10}, {"M1", 1}, {"M1N", 1}});
         },
         MonthCount::Covered,
         {"0001|-|-|-|-|-", "0002|-|-|-|-|-", "0003||冶金|二中队|10|1"}},
        {"an empty register: a plain copy of KPKZK",
         [](StatisticsBuild& t) {
             t.billingRow("0002", {{"M1M", 10}});
             t.billingRow("0001");
         },
         MonthCount::Covered,
         {"0002|-|-|-|-|-", "0001|-|-|-|-|-"}},
        {"an empty KPKZK: tjktmp ends empty",
         [](StatisticsBuild& t) { t.enterprise("0001", "甲厂", "化工", "一中队"); },
         MonthCount::Covered,
         {}},
        {"a number of the register without a billing row changes nothing; the next one is completed",
         [](StatisticsBuild& t) {
             t.enterprise("0001", "甲厂", "化工", "一中队");
             t.enterprise("0002", "乙厂", "冶金", "二中队");
             t.billingRow("0002", {{"M1M", 5}});
         },
         MonthCount::Covered,
         {"0002|乙厂|冶金|二中队|5|0"}},
        {"values as they are stored: a quote, blanks, numbers compared without regard to case",
         [](StatisticsBuild& t) {
             t.enterprise("a01", "甲'厂 ", " 化工", "一中队");
             t.billingRow("A01");
         },
         MonthCount::Covered,
         {"A01|甲'厂 | 化工|一中队|0|0"}},
        {"two billing rows of one number: each row sums its own terms",
         [](StatisticsBuild& t) {
             t.enterprise("0001", "甲厂", "化工", "一中队");
             t.billingRow("0001", {{"M1M", 10}});
             t.billingRow("0001", {{"M1M", 20}, {"M1", 1}});
         },
         MonthCount::Billed,
         {"0001|甲厂|化工|一中队|10|0", "0001|甲厂|化工|一中队|20|1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        billing->execute("delete from KPKZK");
        dw->execute("delete from dw");
        c.arrange(*this);
        build(c.count);
        EXPECT_EQ(statisticsRows(), c.expected);
    }
}

TEST_F(StatisticsBuild, EveryColumnOfKPKZKIsCopiedByName)
{
    enterprise("0001", "甲厂", "化工", "一中队");
    billingRow("0001",
               {{"M3", 1},
                {"M3N", 2},
                {"M3B", "一季度"},
                {"M3P", "1001"},
                {"M3M", 12.5},
                {"M3CM", "壹拾贰元伍角"},
                {"M3DATE", QDate(2003, 3, 20)},
                {"M3MBZJ", 0.5},
                {"M3MD", 1},
                {"M3DDATE", QDate(2003, 4, 1)},
                {"M12DDATE", QDate(2003, 12, 31)}});
    // A row of the build before goes.
    billing->execute("insert into tjktmp (DanWeiBianHao) values ('9999')");
    build(MonthCount::Covered);
    auto rs = billing->openRecordset("select * from tjktmp", {}, db::LockType::ReadOnly);
    ASSERT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(rs->fieldNames(), statistics::statisticsColumns());
    EXPECT_EQ(statistics::statisticsColumns().size(), 1 + 12 * 10 + 5);
    QStringList got;
    for (const char* c : {"M3", "M3N", "M3B", "M3P", "M3M", "M3CM", "M3DATE", "M3MBZJ", "M3MD", "M3DDATE", "M12DDATE",
                          "JinE", "SumMonth"})
        got << rs->value(QString::fromLatin1(c)).toString();
    EXPECT_EQ(got,
              (QStringList{"1", "2", "一季度", "1001", "12.5", "壹拾贰元伍角", "2003-03-20", "0.5", "1", "2003-04-01",
                           "2003-12-31", "12.5", "2"}));
    // The amount is stored in the currency's steps, not as a sum of doubles.
    EXPECT_EQ(probe("select typeof(JinE) from tjktmp").toString(), QStringLiteral("real"));
    billing->execute("update KPKZK set M1M = 0.1, M2M = 0.2");
    build(MonthCount::Covered);
    EXPECT_EQ(probe("select JinE = 12.8 from tjktmp").toInt(), 1);
}

TEST_F(StatisticsBuild, ABuildThatFailsHalfWayLeavesThePreviousBuild)
{
    for (const char* n : {"0001", "0002", "0003"}) {
        enterprise(n, QStringLiteral("厂") + n, "化工", "一中队");
        billingRow(n, {{"M1M", 10}});
    }
    build(MonthCount::Covered);
    const QStringList complete = statisticsRows();
    ASSERT_EQ(complete.size(), 3);

    // The next build: a new row, new names, and the file refusing the third enterprise's update.
    billingRow("0004", {{"M1M", 40}});
    dw->execute("update dw set DanWeiQuangCheng = '新名'");
    fixtures::exec(folder->data(dataFiles::billing(2003)),
                   "CREATE TRIGGER refuse BEFORE UPDATE ON tjktmp WHEN new.DanWeiBianHao = '0003' "
                   "BEGIN SELECT RAISE(ABORT, 'refused by the test'); END");
    CollectedErrors errors;
    EXPECT_FALSE(statistics::BuildStatisticsTable(2003, MonthCount::Billed, errors.sink()));
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list()[0].contains("refused by the test")) << errors.list()[0].toStdString();
    EXPECT_EQ(statisticsRows(), complete);

    fixtures::exec(folder->data(dataFiles::billing(2003)), "DROP TRIGGER refuse");
    EXPECT_TRUE(statistics::BuildStatisticsTable(2003, MonthCount::Billed, errors.sink()));
    EXPECT_EQ(statisticsRows(),
              (QStringList{"0001|新名|化工|一中队|10|0", "0002|新名|化工|一中队|10|0", "0003|新名|化工|一中队|10|0",
                           "0004|-|-|-|-|-"}));
}

TEST_F(StatisticsBuild, AMissingFileIsReported)
{
    billing.reset();
    QFile::remove(folder->data(dataFiles::billing(2003)));
    CollectedErrors errors;
    EXPECT_FALSE(statistics::BuildStatisticsTable(2003, MonthCount::Covered, errors.sink()));
    ASSERT_EQ(errors.list().size(), 1);
    EXPECT_TRUE(errors.list()[0].contains("qelvkz2003.mdb")) << errors.list()[0].toStdString();

    billingControl::ensureYearFile(2003);
    QFile::remove(folder->data(dataFiles::enterprises));
    EXPECT_FALSE(statistics::BuildStatisticsTable(2003, MonthCount::Covered, errors.sink()));
    ASSERT_EQ(errors.list().size(), 2);
    EXPECT_TRUE(errors.list()[1].contains("qelvdw.mdb")) << errors.list()[1].toStdString();
}

TEST_F(StatisticsBuild, AYearFileWithoutTheStatisticsTablesGetsThem)
{
    // A year file copied from the template of before: KPKZK alone.
    fixtures::exec(folder->data(dataFiles::billing(2003)), "DROP TABLE tjktmp; DROP TABLE tjk");
    enterprise("0001", "甲厂", "化工", "一中队");
    billingRow("0001", {{"M2M", 7.25}});
    EXPECT_TRUE(statistics::BuildStatisticsTable(2003, MonthCount::Covered, {}));
    EXPECT_EQ(statisticsRows(), QStringList{"0001|甲厂|化工|一中队|7.25|0"});
    EXPECT_EQ(statisticsRows("tjk"), QStringList{});
    db::Connection shipped(db::DataFile{QString::fromLatin1(dataFiles::billingTemplate)});
    for (const char* table : {"tjktmp", "tjk"}) {
        const QList<db::ColumnDef> made = billing->columns(QString::fromLatin1(table));
        const QList<db::ColumnDef> template_ = shipped.columns(QString::fromLatin1(table));
        ASSERT_EQ(made.size(), template_.size()) << table;
        for (qsizetype i = 0; i < made.size(); ++i) {
            EXPECT_EQ(made[i].name, template_[i].name);
            EXPECT_EQ(made[i].type, template_[i].type) << made[i].name.toStdString();
            EXPECT_EQ(made[i].size, template_[i].size) << made[i].name.toStdString();
        }
    }
}

} // namespace
