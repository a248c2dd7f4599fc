#pragma once
// The yearly statistics tables of the billing file qelvkz<year>.mdb: tjktmp, a copy of KPKZK completed
// with each enterprise's name, industry type and squad from the register and with two year totals, and
// tjk, the rows of tjktmp that matched the last statistics query. No widget: the statistics window and
// the monthly payment report call the build, the statistics window the query.
#include "qelv/core/error_sink.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace db {
class Connection;
class Recordset;
} // namespace db

namespace statistics {

// What a row's month count SumMonth adds up: the months each month's bill covers (M1N .. M12N, the
// statistics window) or the months billed (M1 .. M12, the monthly payment report).
enum class MonthCount { Covered, Billed };

// The columns of KPKZK in the order of the shipped template: DanWeiBianHao, then for each month m the
// ten columns M<m>, M<m>N, M<m>B, M<m>P, M<m>M, M<m>CM, M<m>DATE, M<m>MBZJ, M<m>MD, M<m>DDATE.
QStringList billingColumns();
// The columns of tjktmp and tjk: those of KPKZK, then DanWeiQuangCheng, HangYeLeiXing, DanWeiFenQu,
// JinE and SumMonth.
QStringList statisticsColumns();

// Fills tjktmp afresh: a copy of every KPKZK row, then for each enterprise of the register, in number
// order, that has an industry type and a squad, its name (empty for none), type and squad, its year
// amount M1M + .. + M12M in JinE and its month count in SumMonth. A sum with an empty term leaves its
// column as it was (empty after the copy). Everything goes in one transaction: a build that fails
// leaves tjktmp as the last complete build left it. A year file made before it had the statistics
// tables gets them, as the template has them. Throws what the files throw.
void build(db::Connection& billing, db::Connection& enterprises, MonthCount count);

// The build over the year's billing file and the register; an error goes to `errors` and gives false.
bool BuildStatisticsTable(int year, MonthCount count, const ErrorSink& errors);

// The query of the statistics window: tjk emptied and filled with the rows of tjktmp that match the
// condition, and those rows read for the grid, all in one transaction: when the database refuses the
// condition, tjk keeps its rows and the error is thrown. The condition is placed after "where" as it
// stands; check it with conditionRefusal() first.
std::unique_ptr<db::Recordset> query(db::Connection& billing, const QString& conditionSql);

} // namespace statistics
