#include "qelv/assessment/formula_tokens.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"

QList<FormulaToken> readFormulaTokens(db::Connection& pollutants, const QString& number)
{
    auto rows = pollutants.openRecordset(
        QStringLiteral("Select ID,MingCheng,BiaoJi from wrwgs where WuRanWuBianHao=? Order By ID ASC"), {number},
        db::LockType::ReadOnly);
    QList<FormulaToken> tokens;
    for (; !rows->isEOF(); rows->moveNext()) {
        FormulaToken t;
        t.id = rows->value(0).toLongLong();
        t.text = rows->value(1).toString();
        t.kind = rows->value(2).toInt();
        tokens << t;
    }
    return tokens;
}

QStringList formulaVariables(const QList<FormulaToken>& tokens)
{
    QStringList names;
    for (const FormulaToken& t : tokens)
        if (t.kind == TokenKind::Variable)
            names << t.text;
    return names;
}
