// The fee of a stored formula, as every writer of fees computes it: which formulas compute a fee at all,
// how constants and variables become the evaluator's operands, and the failures on either side.
#include "platform/convert/convert.h"
#include "platform/error/error.h"
#include "qelv/assessment/formula.h"

#include <QHash>
#include <gtest/gtest.h>
#include <optional>

// Texts in failure messages as text.
static void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

// Tokens written as the keypad stores them, separated by blanks: the operators, bars and brackets as
// themselves, a number a constant, any other word a variable.
QList<FormulaToken> formula(const char* text)
{
    static const QHash<QString, int> operators = {
        {"+", TokenKind::Plus}, {"-", TokenKind::Minus}, {"*", TokenKind::Times}, {"/", TokenKind::Divide},
        {"|", TokenKind::Bar},  {"(", TokenKind::Open},  {")", TokenKind::Close},
    };
    QList<FormulaToken> tokens;
    for (const QString& t : QString::fromUtf8(text).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        bool number = false;
        t.toDouble(&number);
        tokens << FormulaToken{tokens.size() + 1, t,
                               operators.value(t, number ? TokenKind::Constant : TokenKind::Variable)};
    }
    return tokens;
}

FormulaFigure figures(const QHash<QString, double>& known)
{
    return [known](const QString& variable) -> std::optional<double> {
        if (!known.contains(variable))
            return std::nullopt;
        return known.value(variable);
    };
}

struct FeeCase {
    const char* name;
    const char* formula;
    QHash<QString, double> figures;
    std::optional<double> fee;
    int failures; // the evaluator's own, given to the sink
};

void PrintTo(const FeeCase& c, std::ostream* os)
{
    *os << c.name;
}

class FormulaFee : public ::testing::TestWithParam<FeeCase> { };

TEST_P(FormulaFee, ComputesOrLeavesTheFee)
{
    const FeeCase& c = GetParam();
    QStringList failures;
    const std::optional<double> fee =
        formulaFee(formula(c.formula), figures(c.figures), [&](const QString& why) { failures << why; });
    ASSERT_EQ(fee.has_value(), c.fee.has_value()) << c.formula;
    if (fee) {
        EXPECT_DOUBLE_EQ(*fee, *c.fee) << c.formula;
    }
    EXPECT_EQ(failures.size(), c.failures) << failures.join(" / ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Formulas, FormulaFee,
    ::testing::Values(
        // Constants and variables alone compute nothing: the fee is left as it is, not set to the
        // first operand's value.
        FeeCase{"Empty", "", {}, std::nullopt, 0}, FeeCase{"ASingleVariable", "Q", {{"Q", 120}}, std::nullopt, 0},
        FeeCase{"ASingleConstant", "5", {}, std::nullopt, 0},
        FeeCase{"OperandsSideBySide", "Q 0.7", {{"Q", 120}}, std::nullopt, 0},
        FeeCase{"VariableTimesConstant", "Q * 0.7", {{"Q", 120}}, 84, 0},
        FeeCase{"OperandsNumberedInTheirOrder", "( A - B ) / 4 * 0.7", {{"A", 12000}, {"B", 2000}}, 1750, 0},
        FeeCase{"BarsAroundVariables", "| A - B | * 350", {{"A", 70}, {"B", 78}}, 2800, 0},
        FeeCase{"AVariableTwiceTakesTwoPlaces", "Q * Q - 1", {{"Q", 3}}, 8, 0},
        FeeCase{"AVariableWithoutAFigureCountsZero", "Q + X * 2", {{"Q", 5}}, 5, 0},
        FeeCase{"OperandsSideBySideWithAnOperator", "Q 2 + 3", {{"Q", 4}}, 4, 0},
        FeeCase{"TheEvaluatorsFailureGivesZero", "Q / 0", {{"Q", 5}}, 0, 1},
        FeeCase{"AFailedGroupCountsZero", "Q + ( 1 / 0 )", {{"Q", 5}}, 5, 1}),
    [](const ::testing::TestParamInfo<FeeCase>& info) { return std::string(info.param.name); });

// What stops the computation before the evaluator: the fee is not touched and the caller shows why.
TEST(FormulaFeeRefusal, FormulasTheValueListCannotHold)
{
    const auto refusal = [](const QList<FormulaToken>& tokens) {
        try {
            formulaFee(tokens, figures({{"Q", 1}}), [](const QString& why) { ADD_FAILURE() << why.toStdString(); });
        } catch (const platform::Error& e) {
            return e.description();
        }
        return QStringLiteral("<computed>");
    };
    EXPECT_EQ(refusal(formula("( + )")), QStringLiteral("下标越界：公式中没有常数或变量"));
    EXPECT_EQ(refusal(formula("|")), QStringLiteral("下标越界：公式中没有常数或变量"));
    // A token of a kind below 0 is no operator and no counted operand: it has no place in the values.
    EXPECT_EQ(refusal({{1, "Q", TokenKind::Variable}, {2, "*", TokenKind::Times}, {3, "x", -1}}),
              QStringLiteral("下标越界"));
    EXPECT_THROW(formulaFee({{1, "abc", TokenKind::Constant}, {2, "*", TokenKind::Times}, {3, "2", 0}}, figures({}),
                            [](const QString&) {}),
                 convert::Error);
}

TEST(FormulaFeeRefusal, AFigureThatCannotBeReadStopsIt)
{
    const FormulaFigure unreadable = [](const QString& variable) -> std::optional<double> {
        throw platform::Error(QStringLiteral("空的 %1").arg(variable));
    };
    try {
        formulaFee(formula("Q * 2"), unreadable, [](const QString&) {});
        ADD_FAILURE() << "computed";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.description(), QStringLiteral("空的 Q"));
    }
    // A formula that computes nothing asks for no figure.
    EXPECT_EQ(formulaFee(formula("Q"), unreadable, [](const QString&) {}), std::nullopt);
}

} // namespace
