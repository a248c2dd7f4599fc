#include "qelv/assessment/GongShiJieXi.h"

#include "platform/convert/convert.h"
#include "platform/error/error.h"

#include <cmath>

namespace {

// The descriptions shown for the kinds of failure.
const char* const overflowText = "溢出";
const char* const divisionByZeroText = "除数为零";
const char* const outOfRangeText = "下标越界";

constexpr int maxCount = 32767;

struct Failure {
    QString description;
};

[[noreturn]] void fail(const char* text)
{
    throw Failure{QString::fromUtf8(text)};
}

bool isOperator(const QString& t)
{
    static const QStringList operators = {QStringLiteral("+"), QStringLiteral("-"), QStringLiteral("*"),
                                          QStringLiteral("/"), QStringLiteral("|"), QStringLiteral("("),
                                          QStringLiteral(")")};
    return operators.contains(t);
}

// A bar followed by one of these (or standing last) closes a bar group; any other bar opens one.
bool closesBar(const QString& next)
{
    return next == QLatin1String("*") || next == QLatin1String("/") || next == QLatin1String("+") ||
        next == QLatin1String("-") || next == QLatin1String(")");
}

// The lists a pass reads: n tokens and m values, positions from 1.
struct Input {
    const QStringList& tokens;
    const QList<double>& values;
    int n;
    int m;
    const ErrorSink& errors; // where the call of a group reports its failure

    const QString& tokenAt(int position) const
    {
        if (position < 1 || position > n || position > tokens.size())
            fail(outOfRangeText);
        return tokens[position - 1];
    }

    // The value an operand reference stands for; an operator in its place is a type mismatch.
    double valueOf(const QString& reference) const
    {
        const int position = convert::toInt16(reference);
        if (position < 1 || position > m || position > values.size())
            fail(outOfRangeText);
        return values[position - 1];
    }
};

// The lists a pass writes, with the room it was given: operands are renumbered from 1 in the order
// they are written.
class Output {
public:
    Output(int tokenRoom, int valueRoom)
        : tokenRoom_(tokenRoom),
          valueRoom_(valueRoom)
    {
        if (tokenRoom > maxCount || valueRoom > maxCount)
            fail(overflowText);
        if (tokenRoom < 1 || valueRoom < 1)
            fail(outOfRangeText);
    }

    void putOperator(const QString& t)
    {
        if (tokens_.size() >= tokenRoom_)
            fail(outOfRangeText);
        tokens_.append(t);
    }

    void putOperand(double value)
    {
        if (values_.size() >= valueRoom_ || tokens_.size() >= tokenRoom_)
            fail(outOfRangeText);
        values_.append(value);
        tokens_.append(QString::number(values_.size()));
    }

    // The operand written last; an operator with nothing before it finds none.
    double& lastOperand()
    {
        if (values_.isEmpty())
            fail(outOfRangeText);
        return values_.last();
    }

    double firstOperand() const
    {
        if (values_.isEmpty())
            fail(outOfRangeText);
        return values_.first();
    }

    Input asInput(const ErrorSink& errors) const
    {
        return Input{tokens_, values_, int(tokens_.size()), int(values_.size()), errors};
    }

private:
    int tokenRoom_;
    int valueRoom_;
    QStringList tokens_;
    QList<double> values_;
};

void copyToken(const Input& in, Output& out, const QString& t)
{
    if (isOperator(t))
        out.putOperator(t);
    else
        out.putOperand(in.valueOf(t));
}

// Evaluates the tokens strictly between two partners as a formula of its own.
double evaluateGroup(const Input& in, int first, int last)
{
    if (last < first)
        fail(outOfRangeText);
    const int count = last - first + 1;
    QStringList tokens;
    QList<double> values;
    for (int i = first; i <= last; ++i) {
        const QString& t = in.tokenAt(i);
        if (isOperator(t)) {
            tokens.append(t);
        } else {
            values.append(in.valueOf(t));
            tokens.append(QString::number(values.size()));
        }
    }
    while (values.size() < count)
        values.append(0.0);
    return GongShiJieXi(tokens, values, count, count, in.errors);
}

// Replaces every group that `opener` opens by its value. `depthChange(in, j)` tells how the token at j
// moves the depth (+1 opens a nested group, -1 closes one, 0 leaves it); the first token that brings
// it to 0 is the partner. `finish` turns the group's value into the operand written in its place.
template <typename DepthChange, typename Finish>
Output groupPass(const Input& in, const char* opener, DepthChange depthChange, Finish finish)
{
    Output out(in.n, in.m);
    for (int i = 1; i <= in.n; ++i) {
        const QString& t = in.tokenAt(i);
        if (t != QLatin1String(opener)) {
            copyToken(in, out, t);
            continue;
        }
        int depth = 1;
        int j = i;
        while (depth > 0)
            depth += depthChange(in, ++j); // past the end: no partner
        out.putOperand(finish(evaluateGroup(in, i + 1, j - 1)));
        i = j;
    }
    return out;
}

Output bracketPass(const Input& in)
{
    return groupPass(
        in, "(",
        [](const Input& s, int j) {
            const QString& u = s.tokenAt(j);
            return u == QLatin1String("(") ? 1 : (u == QLatin1String(")") ? -1 : 0);
        },
        [](double value) { return value; });
}

Output barPass(const Input& in)
{
    return groupPass(
        in, "|",
        [](const Input& s, int j) {
            if (s.tokenAt(j) != QLatin1String("|"))
                return 0;
            return (j == s.n || closesBar(s.tokenAt(j + 1))) ? -1 : 1;
        },
        [](double value) { return std::fabs(value); });
}

double apply(const QString& op, double left, double right)
{
    double result = 0.0;
    if (op == QLatin1String("*")) {
        result = left * right;
    } else if (op == QLatin1String("/")) {
        if (right == 0.0)
            fail(divisionByZeroText);
        result = left / right;
    } else if (op == QLatin1String("+")) {
        result = left + right;
    } else {
        result = left - right;
    }
    if (!std::isfinite(result))
        fail(overflowText);
    return result;
}

// Applies the operators `a` and `b` from left to right to the operand before them and the one after.
// An operator in the last place has no operand after it and is copied through.
Output arithmeticPass(const Input& in, const QString& a, const QString& b)
{
    Output out(in.n, in.m);
    for (int i = 1; i <= in.n; ++i) {
        const QString& t = in.tokenAt(i);
        if ((t == a || t == b) && i < in.n) {
            double& left = out.lastOperand();
            left = apply(t, left, in.valueOf(in.tokenAt(i + 1)));
            ++i;
        } else {
            copyToken(in, out, t);
        }
    }
    return out;
}

} // namespace

double GongShiJieXi(const QStringList& tokens, const QList<double>& values, int n, int m, const ErrorSink& errors)
{
    try {
        if (n > maxCount || m > maxCount)
            fail(overflowText);
        const Input caller{tokens, values, n, m, errors};
        const Output brackets = bracketPass(caller);
        const Output bars = barPass(brackets.asInput(errors));
        const Output products = arithmeticPass(bars.asInput(errors), QStringLiteral("*"), QStringLiteral("/"));
        const Output sums = arithmeticPass(products.asInput(errors), QStringLiteral("+"), QStringLiteral("-"));
        return sums.firstOperand();
    } catch (const Failure& f) {
        errors(f.description);
    } catch (const std::exception& e) {
        errors(platform::describe(e));
    }
    return 0.0;
}
