#include "qelv/assessment/formula.h"

#include "platform/convert/convert.h"
#include "platform/error/error.h"
#include "qelv/assessment/GongShiJieXi.h"

#include <QStringList>

void Formula::assign(const QList<FormulaToken>& tokens)
{
    tokens_ = tokens;
}

void Formula::clear()
{
    tokens_.clear();
}

void Formula::append(const QString& text, int kind)
{
    FormulaToken t;
    t.id = tokens_.isEmpty() ? 1 : tokens_.last().id + 1;
    t.text = text;
    t.kind = kind;
    tokens_.append(t);
}

void Formula::undo()
{
    if (!tokens_.isEmpty())
        tokens_.removeLast();
}

QString Formula::displayText() const
{
    QString text;
    for (const FormulaToken& t : tokens_)
        text += QLatin1Char(' ') + t.text;
    return text;
}

int Formula::count(int kind) const
{
    int n = 0;
    for (const FormulaToken& t : tokens_)
        if (t.kind == kind)
            ++n;
    return n;
}

QString Formula::operatorText(int kind)
{
    switch (kind) {
    case TokenKind::Plus:
        return QStringLiteral("+");
    case TokenKind::Minus:
        return QStringLiteral("-");
    case TokenKind::Times:
        return QStringLiteral("*");
    case TokenKind::Divide:
        return QStringLiteral("/");
    case TokenKind::Bar:
        return QStringLiteral("|");
    case TokenKind::Open:
        return QStringLiteral("(");
    case TokenKind::Close:
        return QStringLiteral(")");
    default:
        return QString();
    }
}

std::optional<double> formulaFee(const QList<FormulaToken>& formula, const FormulaFigure& figure,
                                 const ErrorSink& errors)
{
    if (formula.isEmpty())
        return std::nullopt;
    // The value list has room for the constants and variables; a token of any other kind that is no
    // operator still takes a place there, and overruns it.
    int operands = 0;
    for (const FormulaToken& t : formula)
        if (t.kind == TokenKind::Constant || t.kind == TokenKind::Variable)
            ++operands;
    if (operands == 0)
        throw platform::Error(QStringLiteral("下标越界：公式中没有常数或变量"));
    if (formula.size() <= operands)
        return std::nullopt;

    QStringList tokens;
    QList<double> values;
    for (const FormulaToken& t : formula) {
        if (t.kind > TokenKind::Variable) {
            tokens << t.text;
            continue;
        }
        if (values.size() >= operands)
            throw platform::Error(QStringLiteral("下标越界"));
        tokens << QString::number(values.size() + 1);
        values << (t.kind == TokenKind::Constant ? convert::toDouble(t.text) : figure(t.text).value_or(0.0));
    }
    return GongShiJieXi(tokens, values, static_cast<int>(tokens.size()), static_cast<int>(values.size()), errors);
}
