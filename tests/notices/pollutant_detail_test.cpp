#include "qelv/assessment/discharge_tables.h"
#include "qelv/notices/pollutant_detail.h"
#include "tests/notices/notice_fixture.h"

#include <gtest/gtest.h>

namespace {

class Detail : public fixtures::NoticeMonth {
protected:
    // An assignment whose month record has the columns given, with their values (null: Null).
    void record(const QString& number, const QString& pollutant, const QString& name, int outlet,
                const QStringList& columns, const QVariantList& values, bool withTable = true)
    {
        dw->execute(QStringLiteral("insert into dwwrw (DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, "
                                   "PaiWuKou, FenLei) values (?, ?, ?, 1, ?, '废水')"),
                    {number, pollutant, name, outlet});
        if (!withTable)
            return;
        const QString table = discharge::tableName({number, pollutant, QString::number(outlet)});
        discharge::createTable(*month, table, columns);
        QStringList sets;
        for (const QString& c : columns)
            sets << db::quoteIdentifier(c) + QStringLiteral(" = ?");
        month->execute(QStringLiteral("update %1 set %2").arg(db::quoteIdentifier(table), sets.join(u',')), values);
    }

    int build(const QString& number, QStringList* errors = nullptr)
    {
        notices::PollutantDetail detail(*dw, *month, *notices, *billing, Module1::gWorkMonth);
        return detail.build(number, [errors](const QString& e) {
            if (errors)
                *errors << e;
            else
                ADD_FAILURE() << e.toStdString();
        });
    }

    static QVariant money(const char* text) { return amount(text); }
};

TEST_F(Detail, FiguresAreJoinedAndEndInABlankAndThePeriod)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    record(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("COD"), 1,
           {QStringLiteral("A"), QStringLiteral("B")}, {money("12.5"), money("0")});
    enterprise(QStringLiteral("1002"), QStringLiteral("乙厂"), QVariant(), true, 1, QStringLiteral("R"));
    record(QStringLiteral("1002"), QStringLiteral("W1"), QStringLiteral("COD"), 1,
           {QStringLiteral("A"), QStringLiteral("B")}, {money("3"), money("0.5")});
    EXPECT_EQ(build(QStringLiteral("1001")), 1);
    EXPECT_EQ(build(QStringLiteral("1002")), 1);
    EXPECT_EQ(detailRows(QStringLiteral("1001")), QStringList{QStringLiteral("1|COD|A:12.5,B:0 ")});
    EXPECT_EQ(detailRows(QStringLiteral("1002")), QStringList{QStringLiteral("1|COD|A:3,B:0.5 (R)")});
}

TEST_F(Detail, CorrectionsEquivalentsAndStandardsAreLeftOut)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    record(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("COD"), 1,
           {QStringLiteral("Q"), QStringLiteral("COD当量"), QStringLiteral("x修正Y"), QStringLiteral("排放标准"),
            QStringLiteral("c")},
           {money("2"), money("1"), money("1"), money("1"), money("7.25")});
    // Every column left out: the text is the blank alone.
    record(QStringLiteral("1001"), QStringLiteral("W2"), QStringLiteral("SO2"), 1,
           {QStringLiteral("当量"), QStringLiteral("标准")}, {money("1"), money("0")});
    EXPECT_EQ(build(QStringLiteral("1001")), 2);
    EXPECT_EQ(detailRows(QStringLiteral("1001")),
              (QStringList{QStringLiteral("1|COD|Q:2,c:7.25 "), QStringLiteral("1|SO2| ")}));
}

TEST_F(Detail, ARecordZeroInItsFirstTwoColumnsGivesNoRow)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    const QStringList abc{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")};
    record(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, abc,
           {money("0"), money("0"), money("5")});
    record(QStringLiteral("1001"), QStringLiteral("W2"), QStringLiteral("乙"), 1, abc,
           {money("0"), QVariant(), money("5")});
    record(QStringLiteral("1001"), QStringLiteral("W3"), QStringLiteral("丙"), 1, abc,
           {QVariant(), money("1"), money("5")});
    // One pollutant at two outlets: two rows.
    record(QStringLiteral("1001"), QStringLiteral("W4"), QStringLiteral("丁"), 1, abc,
           {money("0"), money("1"), QVariant()});
    record(QStringLiteral("1001"), QStringLiteral("W4"), QStringLiteral("丁"), 2, abc,
           {money("4"), money("0"), money("0")});
    EXPECT_EQ(build(QStringLiteral("1001")), 2);
    EXPECT_EQ(detailRows(QStringLiteral("1001")),
              (QStringList{QStringLiteral("1|丁|A:0,B:1,C: "), QStringLiteral("2|丁|A:4,B:0,C:0 ")}));
}

TEST_F(Detail, UnknownEnterprisesAndNoAssignmentsGiveNothingQuietly)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    EXPECT_EQ(build(QString()), 0);
    EXPECT_EQ(build(QStringLiteral("9999")), 0);
    EXPECT_EQ(build(QStringLiteral("1001")), 0);
    EXPECT_EQ(noticeCount("WuRanWuMingXi"), 0);
}

TEST_F(Detail, AFailureEndsTheEnterpriseWithItsMessageAndKeepsItsRows)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    record(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, {QStringLiteral("A")}, {money("1")});
    record(QStringLiteral("1001"), QStringLiteral("W2"), QStringLiteral("乙"), 1, {QStringLiteral("A")}, {}, false);
    record(QStringLiteral("1001"), QStringLiteral("W3"), QStringLiteral("丙"), 1, {QStringLiteral("A")}, {money("1")});
    QStringList errors;
    EXPECT_EQ(build(QStringLiteral("1001"), &errors), 1);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("WRW1001W21"))) << errors[0].toStdString();
    EXPECT_EQ(detailRows(QStringLiteral("1001")), QStringList{QStringLiteral("1|甲|A:1 ")});
}

TEST_F(Detail, TheRunWritesEveryProcessedEnterprisesRows)
{
    enterprise(QStringLiteral("1001"), QStringLiteral("甲厂"));
    record(QStringLiteral("1001"), QStringLiteral("W1"), QStringLiteral("甲"), 1, {QStringLiteral("A")}, {money("1")});
    enterprise(QStringLiteral("1002"), QStringLiteral("乙厂"));
    record(QStringLiteral("1002"), QStringLiteral("W1"), QStringLiteral("甲"), 1, {QStringLiteral("A")}, {money("2")});
    generateNotices({QStringLiteral("1001"), QStringLiteral("1002")});
    // A second run replaces the rows rather than adding to them.
    generateNotices({QStringLiteral("1001"), QStringLiteral("1002")}, true, {1});
    EXPECT_TRUE(detailRows(QStringLiteral("1001")).isEmpty());
    EXPECT_EQ(detailRows(QStringLiteral("1002")), QStringList{QStringLiteral("1|甲|A:2 ")});
}

// The notice window's BuildPollutantDetail is the run's step for each enterprise it processes: it is
// given the list row's position, and the rows are those its build writes.
TEST_F(Detail, TheRunHandsEachProcessedRowToTheWindowsDetailStep)
{
    for (const char* number : {"1001", "1002", "1003"}) {
        enterprise(QString::fromLatin1(number), QStringLiteral("厂"));
        record(QString::fromLatin1(number), QStringLiteral("W1"), QStringLiteral("甲"), 1, {QStringLiteral("A")},
               {money("1")});
    }
    QList<notices::ListedEnterprise> list;
    for (const char* number : {"1001", "1002", "1003"})
        list << notices::ListedEnterprise{QString::fromLatin1(number), QStringLiteral("厂"), number[3] != '2'};
    auto files = notices::RunFiles::open(Module1::gWorkMonth);
    notices::NoticeGenerator generator(*files, notices::RunState::fromModule1(), texts);
    QList<int> positions;
    generator.setDetailStep([&](std::int16_t& index) {
        positions << index;
        // As the window does: the row's enterprise, built by the run.
        if (index == 3)
            generator.buildDetail(list[index - 1].number);
    });
    generator.run(list, true);
    files.reset();
    EXPECT_EQ(positions, (QList<int>{1, 3}));
    EXPECT_TRUE(detailRows(QStringLiteral("1001")).isEmpty()) << "the step built nothing for row 1";
    EXPECT_EQ(detailRows(QStringLiteral("1003")), QStringList{QStringLiteral("1|甲|A:1 ")});
    // Once the run is over there is nothing to build through.
    generator.buildDetail(QStringLiteral("1001"));
    EXPECT_TRUE(detailRows(QStringLiteral("1001")).isEmpty());
}

} // namespace
