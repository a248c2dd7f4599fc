#include "platform/ui/dialogs.h"
#include "qelv/assessment/GongShiJieXi.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* name;
    const char* tokens; // separated by blanks
    QList<double> values;
    double result;
    int messages;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.name;
}

class EvaluatorTable : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override { ui::testing::enable(); }
    void TearDown() override { ui::testing::disable(); }
};

// The caller gives n as the number of tokens and m as the number of values, as the fee entry does.
TEST_P(EvaluatorTable, ResultAndMessages)
{
    const Case& c = GetParam();
    const QStringList tokens = QString::fromUtf8(c.tokens).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const double r = GongShiJieXi(tokens, c.values, int(tokens.size()), int(c.values.size()), messageBoxSink());
    EXPECT_DOUBLE_EQ(r, c.result) << c.tokens;
    EXPECT_EQ(int(ui::testing::shown().size()), c.messages) << ui::testing::shownTexts().join(" / ").toStdString();
    for (const auto& box : ui::testing::shown()) {
        EXPECT_EQ(box.buttons, ui::Buttons::Ok);
        EXPECT_EQ(box.title, QStringLiteral("Tevrano"));
        EXPECT_FALSE(box.text.isEmpty());
    }
}

const Case cases[] = {
    {"SingleOperand", "1", {7.5}, 7.5, 0},
    {"BracketGroup", "1 * ( 2 + 3 )", {2, 3, 4}, 14, 0},
    {"BarClosedByOperator", "| 1 - 2 | / 3", {1, 4, 2}, 1.5, 0},
    {"SubtractionLeftToRight", "1 - 2 - 3", {10, 3, 2}, 5, 0},
    {"DivisionLeftToRight", "1 / 2 / 3", {12, 3, 2}, 2, 0},
    {"ProductBeforeSum", "1 + 2 * 3", {1, 2, 3}, 7, 0},
    {"ProductsAndSumsMixed", "1 * 2 - 3 / 4 + 5", {3, 4, 9, 3, 1}, 10, 0},
    {"NestedBrackets", "( ( 1 + 2 ) * ( 3 - 4 ) ) / 5", {1, 2, 7, 3, 2}, 6, 0},
    {"NestedBars", "| | 1 | - 2 |", {-3, 5}, 2, 0},
    {"LastBarClosesAtTheEnd", "| 1 - 2 |", {2, 5}, 3, 0},
    {"AdjacentBarGroups", "| 1 | * | 2 |", {-2, -3}, 6, 0},
    {"BarsMatchedAfterBrackets", "( 1 + 2 ) * | 3 - 4 |", {1, 2, 3, 7}, 12, 0},
    {"BarsInsideBrackets", "( | 1 | )", {-4}, 4, 0},
    {"BarsInsideBracketGroup", "( | 1 - 2 | ) * 3", {1, 3, 2}, 4, 0},
    {"BarClosedByUnpairedBracket", "| 1 - 2 | ) * 3", {1, 3, 2}, 4, 0},
    {"UnpairedBarFails", "| 1 - | 2 | |", {1, 2}, 0, 1},
    {"DivisionByZeroInGroupCostsTheGroup", "1 + ( 2 / 3 )", {5, 1, 0}, 5, 1},
    {"DivisionByZeroOutside", "1 / 2", {5, 0}, 0, 1},
    {"ZeroByZero", "1 / 2", {0, 0}, 0, 1},
    {"OperatorFirstFails", "- 1", {3}, 0, 1},
    {"TrailingOperatorIgnored", "1 + 2 *", {1, 2}, 3, 0},
    {"TrailingPlusIgnored", "1 * 2 +", {4, 2}, 8, 0},
    {"AdjacentOperandsFirstTermCounts", "1 2 + 3", {4, 9, 1}, 4, 0},
    {"AdjacentOperandsOnly", "1 2", {4, 9}, 4, 0},
    {"EmptyBracketGroupFailsTheSequence", "1 + ( )", {2}, 0, 1},
    {"EmptyBarGroupFailsTheSequence", "1 + | |", {2}, 0, 1},
    {"GroupWithoutOperandAndNoRoom", "1 + ( + )", {2}, 0, 2},
    {"GroupWithoutOperandInsideGroup", "( 1 + ( + ) )", {2}, 2, 1},
    {"OperatorsSideBySide", "1 * - 2", {2, 3}, 0, 1},
    // "*" binds first and takes the operand before "+"; the "+" is then last and has no effect.
    {"PlusBeforeTimesIsLeftLast", "1 + * 2", {2, 3}, 6, 0},
    {"UnpairedOpeningBracket", "( 1 + 2", {1, 2}, 0, 1},
    {"UnpairedOpeningBeforeBar", "1 + | ( 2 |", {1, 2}, 0, 1},
    {"UnpairedBarInsideGroupCostsTheGroup", "1 + ( | 2 )", {1, 2}, 1, 1},
    {"UnpairedClosingBracketIgnored", "1 + 2 )", {1, 2}, 3, 0},
    {"UnpairedClosingBracketAfterOperator", "1 + )", {1}, 0, 1},
    {"OverflowInProduct", "1 * 2", {1e308, 10}, 0, 1},
    {"OverflowInsideGroupCostsTheGroup", "1 + ( 2 * 3 )", {1, 1e308, 1e308}, 1, 1},
};

INSTANTIATE_TEST_SUITE_P(Formulas, EvaluatorTable, ::testing::ValuesIn(cases),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

class Evaluator : public ::testing::Test {
protected:
    void SetUp() override { ui::testing::enable(); }
    void TearDown() override { ui::testing::disable(); }
};

TEST_F(Evaluator, LeavesTheCallersListsAsTheyWere)
{
    const QStringList tokens = {"(", "1", "+", "2", ")", "*", "|", "3", "-", "4", "|"};
    const QList<double> values = {1, 2, 3, 7};
    const QStringList tokensBefore = tokens;
    const QList<double> valuesBefore = values;
    EXPECT_DOUBLE_EQ(GongShiJieXi(tokens, values, 11, 4, messageBoxSink()), 12);
    EXPECT_EQ(tokens, tokensBefore);
    EXPECT_EQ(values, valuesBefore);
}

TEST_F(Evaluator, UsesOnlyTheFirstNTokens)
{
    // The tokens after position n are not part of the formula.
    EXPECT_DOUBLE_EQ(GongShiJieXi({"1", "+", "2", "*", "3"}, {1, 2, 3}, 3, 3, messageBoxSink()), 3);
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(Evaluator, ReferencesOutsideTheValueListFail)
{
    EXPECT_DOUBLE_EQ(GongShiJieXi({"1", "+", "3"}, {1, 2}, 3, 2, messageBoxSink()), 0);
    EXPECT_EQ(ui::testing::shown().size(), 1u);
    ui::testing::clearShown();
    // More tokens claimed than the list holds.
    EXPECT_DOUBLE_EQ(GongShiJieXi({"1", "+"}, {1, 2}, 3, 2, messageBoxSink()), 0);
    EXPECT_EQ(ui::testing::shown().size(), 1u);
}

TEST_F(Evaluator, CountsBeyondSixteenBitsFail)
{
    QStringList tokens;
    QList<double> values;
    for (int i = 1; i <= 32768; ++i) {
        tokens << QString::number(i);
        values << 1.0;
    }
    EXPECT_DOUBLE_EQ(GongShiJieXi(tokens, values, 32768, 32768, messageBoxSink()), 0);
    EXPECT_EQ(ui::testing::shown().size(), 1u);
    ui::testing::clearShown();
    EXPECT_DOUBLE_EQ(GongShiJieXi(tokens, values, 32767, 32767, messageBoxSink()), 1);
    EXPECT_TRUE(ui::testing::shown().empty());
}

TEST_F(Evaluator, NoRoundingInside)
{
    EXPECT_DOUBLE_EQ(GongShiJieXi({"1", "/", "2"}, {1, 3}, 3, 2, messageBoxSink()), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(GongShiJieXi({"1", "*", "2"}, {0.1, 0.2}, 3, 2, messageBoxSink()), 0.1 * 0.2);
}

TEST_F(Evaluator, DeeplyNestedGroups)
{
    // ((((...(1)...)))) twenty deep, with bars inside brackets inside bars.
    QStringList tokens;
    for (int i = 0; i < 20; ++i)
        tokens << (i % 2 ? "|" : "(");
    tokens << "1";
    for (int i = 19; i >= 0; --i)
        tokens << (i % 2 ? "|" : ")");
    EXPECT_DOUBLE_EQ(GongShiJieXi(tokens, {-6.5}, int(tokens.size()), 1, messageBoxSink()), 6.5);
    EXPECT_TRUE(ui::testing::shown().empty());
}

} // namespace
