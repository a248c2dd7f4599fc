// What invoice and notice runs share about their list, their lines and their stop: which rows a run
// takes and what its progress hears, the error that names where it stopped, the line identities' limit
// and the period of the item lines.
#include "platform/convert/convert.h"
#include "qelv/core/generation_run.h"

#include <QDate>
#include <gtest/gtest.h>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace {

struct Listed {
    const char* number;
    bool ticked;
};

struct WalkCase {
    const char* name;
    std::vector<Listed> list;
    bool selectedOnly;
    std::vector<std::tuple<int, int, int>> heard; // position, count, taken
    QStringList taken;
};
void PrintTo(const WalkCase& c, std::ostream* os)
{
    *os << c.name;
}

class Walk : public ::testing::TestWithParam<WalkCase> { };

// Every row is announced, taken or not, with the rows taken so far, itself included when taken.
TEST_P(Walk, AnnouncesEveryRowAndTakesTheListedOrTheTicked)
{
    const WalkCase& c = GetParam();
    std::vector<std::tuple<int, int, int>> heard;
    generationRun::ListWalk walk(static_cast<qsizetype>(c.list.size()), [&heard](int position, int count, int taken) {
        heard.emplace_back(position, count, taken);
    });
    QStringList taken;
    for (const Listed& row : c.list) {
        const QString number = QString::fromLatin1(row.number);
        if (walk.next(number, !c.selectedOnly || row.ticked)) {
            taken << number;
            EXPECT_EQ(walk.position(), static_cast<int>(heard.size()));
        }
    }
    EXPECT_EQ(heard, c.heard);
    EXPECT_EQ(taken, c.taken);
    EXPECT_EQ(walk.taken(), taken.size());
}

INSTANTIATE_TEST_SUITE_P(
    Lists, Walk,
    ::testing::Values(WalkCase{"all",
                               {{"1001", false}, {"1002", true}, {"1003", false}},
                               false,
                               {{1, 3, 1}, {2, 3, 2}, {3, 3, 3}},
                               {QStringLiteral("1001"), QStringLiteral("1002"), QStringLiteral("1003")}},
                      WalkCase{"ticked",
                               {{"1001", false}, {"1002", true}, {"1003", false}, {"1004", true}},
                               true,
                               {{1, 4, 0}, {2, 4, 1}, {3, 4, 1}, {4, 4, 2}},
                               {QStringLiteral("1002"), QStringLiteral("1004")}},
                      WalkCase{"none ticked", {{"1001", false}, {"1002", false}}, true, {{1, 2, 0}, {2, 2, 0}}, {}}),
    [](const ::testing::TestParamInfo<WalkCase>& info) {
        return QString::fromLatin1(info.param.name).replace(QLatin1Char(' '), QLatin1Char('_')).toStdString();
    });

// The operator reads why the run stopped, at which enterprise, and the run's word that it left nothing.
TEST(WalkStopped, SaysWhyWhereAndThatNothingWasKept)
{
    const std::runtime_error cause("找不到表 WRW1002W11");
    const QString nothingKept = QStringLiteral("本次没有生成通知单，也没有计收任何滞纳金。");
    generationRun::ListWalk walk(3, {});
    EXPECT_EQ(walk.stopped(cause, nothingKept).description(),
              QStringLiteral("找不到表 WRW1002W11\n本次没有生成通知单，也没有计收任何滞纳金。"));

    walk.next(QStringLiteral("1001"), true);
    walk.next(QStringLiteral("1002"), true);
    walk.next(QStringLiteral("1003"), false);
    // A row passed over is not where the run was.
    EXPECT_EQ(
        walk.stopped(cause, nothingKept).description(),
        QStringLiteral("找不到表 WRW1002W11\n生成到单位 1002 时出错。\n本次没有生成通知单，也没有计收任何滞纳金。"));

    // Past the last row (its commit), no enterprise is to blame.
    walk.finish();
    const generationRun::GenerationError error = walk.stopped(convert::Error(QStringLiteral("磁盘已满")), nothingKept);
    EXPECT_EQ(error.description(), QStringLiteral("磁盘已满\n本次没有生成通知单，也没有计收任何滞纳金。"));
}

// The line identity is a 16-bit column: the run stops at the row that would not fit.
TEST(LineIds, RunFromOneToTheLast16BitValueThenOverflow)
{
    const QString overflow = QStringLiteral("溢出：一次生成的通知行多于 32767 行");
    generationRun::LineIds ids(overflow);
    std::int16_t last = 0;
    for (int i = 1; i <= 32767; ++i) {
        last = ids.next();
        if (last != i)
            FAIL() << "row " << i << " got " << last;
    }
    EXPECT_EQ(last, 32767);
    try {
        ids.next();
        FAIL() << "no overflow reported";
    } catch (const convert::Error& e) {
        EXPECT_EQ(e.description(), overflow);
    }
}

TEST(PeriodText, TheRemarkInBracketsElseTheOperatingMonth)
{
    const QDate may(2003, 5, 1);
    EXPECT_EQ(generationRun::periodText(QStringLiteral("2003年4-5月"), may), QStringLiteral("(2003年4-5月)"));
    EXPECT_EQ(generationRun::periodText(QVariant(), may), QStringLiteral("(2003年05月)"));
    EXPECT_EQ(generationRun::periodText(QVariant(QString()), may), QStringLiteral("(2003年05月)"));
    EXPECT_EQ(generationRun::periodText(QStringLiteral(" "), may), QStringLiteral("( )"));
}

} // namespace
