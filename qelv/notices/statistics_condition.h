#pragma once
// The condition of the statistics query: up to four rows of field, comparison and value over the
// columns of tjktmp, each row after the first joined to the one before by a conjunction; written as SQL
// for the query's "where" and as words for the report's condition line. No widget: the query-condition
// dialog gives the texts of its boxes.
#include "platform/error/error.h"

#include <QString>
#include <QStringList>
#include <array>

namespace statistics {

// The items of the dialog's boxes, in their order.
QStringList conditionFields(); // "单位编号", "单位名称", "行业类型", "所属中队", "年收费金额"
QStringList conditionOperators(); // "=", "<>", ">", "<", ">=", "<="
QStringList conditionConjunctions(); // "OR", "And"

// One row as its boxes hold it.
struct ConditionRow {
    QString field;
    QString op;
    QString value;
};

struct Condition {
    QString sql; // " DanWeiBianHao='001'  And  JinE>=800 "
    QString text; // "单位编号=001 And 年收费金额>=800 "
};

// Input the condition cannot take; the description says which row and why.
class ConditionInputError : public platform::Error {
public:
    using platform::Error::Error;
};

// Row 1, then for each conjunction box in turn (the ones before rows 2, 3 and 4) while it is not empty,
// the conjunction and its row. A row whose field is one of the captions adds its column, operator and
// value to the SQL (a text value between single quotes, a quote in it doubled; the amount bare); a row
// with any other field adds nothing there; every row goes into the text as typed. Throws
// ConditionInputError for an operator of a row that adds to the SQL which is none of the items, an
// amount that is no number, or a conjunction other than "OR" and "And" (letter case aside).
Condition buildCondition(const std::array<ConditionRow, 4>& rows, const std::array<QString, 3>& conjunctions);

// Why the database could not take a condition as it stands (empty, beginning or ending in a
// conjunction, two conjunctions without a row between them); empty when it can be tried.
QString conditionRefusal(const QString& conditionSql);

} // namespace statistics
