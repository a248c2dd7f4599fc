#include "qelv/assessment/formula.h"

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
