#pragma once
// The one reader of a pollutant's stored formula: its rows of the token table wrwgs, in ID order.
#include "qelv/assessment/formula.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace db {
class Connection;
}

// The tokens of the pollutant `number` (matched as the column does, without regard to case), read
// through a connection to the pollutant file.
QList<FormulaToken> readFormulaTokens(db::Connection& pollutants, const QString& number);
// The texts of the variable tokens, in the formula's order.
QStringList formulaVariables(const QList<FormulaToken>& tokens);
