#include "qelv/notices/statistics_tables.h"

#include "platform/db/connection.h"
#include "platform/db/prepared.h"
#include "platform/db/recordset.h"
#include "platform/db/transaction.h"
#include "platform/error/error.h"
#include "qelv/core/data_files.h"

namespace statistics {

namespace {

const char* const kMonthSuffixes[] = {"", "N", "B", "P", "M", "CM", "DATE", "MBZJ", "MD", "DDATE"};
const char* const kOwnColumns[] = {"DanWeiQuangCheng", "HangYeLeiXing", "DanWeiFenQu", "JinE", "SumMonth"};

const QString kWorkTable = QStringLiteral("tjktmp");
const QString kQueryTable = QStringLiteral("tjk");

// The twelve terms "M<m><suffix>" joined by " + ": the database's row arithmetic, Null when one is.
QString monthSum(const char* suffix)
{
    QStringList terms;
    for (int m = 1; m <= 12; ++m)
        terms << QStringLiteral("M%1%2").arg(m).arg(QLatin1String(suffix));
    return terms.join(QStringLiteral(" + "));
}

QString columnList(const QStringList& columns)
{
    QStringList quoted;
    for (const QString& c : columns)
        quoted << db::quoteIdentifier(c);
    return quoted.join(QLatin1Char(','));
}

// A year file copied from a template of the time before the statistics had their tables lacks them:
// they are made as the shipped template makes them, so that the statistics work on every year's file.
void ensureTables(db::Connection& billing)
{
    const bool work = billing.tableExists(kWorkTable), kept = billing.tableExists(kQueryTable);
    if (work && kept)
        return;
    db::Connection shipped(db::DataFile{QString::fromLatin1(dataFiles::billingTemplate)});
    if (!work) {
        billing.createTable(kWorkTable, shipped.columns(kWorkTable));
        billing.execute(QStringLiteral("CREATE INDEX \"tjktmp_DanWeiBianHao\" ON \"tjktmp\" (\"DanWeiBianHao\")"));
    }
    if (!kept)
        billing.createTable(kQueryTable, shipped.columns(kQueryTable));
}

} // namespace

QStringList billingColumns()
{
    QStringList columns{QStringLiteral("DanWeiBianHao")};
    for (int m = 1; m <= 12; ++m)
        for (const char* suffix : kMonthSuffixes)
            columns << QStringLiteral("M%1%2").arg(m).arg(QLatin1String(suffix));
    return columns;
}

QStringList statisticsColumns()
{
    QStringList columns = billingColumns();
    for (const char* c : kOwnColumns)
        columns << QString::fromLatin1(c);
    return columns;
}

void build(db::Connection& billing, db::Connection& enterprises, MonthCount count)
{
    db::PreparedStatement dw(enterprises,
                             QStringLiteral("Select DanWeiBianHao,DanWeiQuangCheng,HangYeLeiXing,DanWeiFenQu "
                                            "from dw order by DanWeiBianHao ASC"));
    db::inTransaction(billing, [&] {
        ensureTables(billing);
        billing.execute(QStringLiteral("delete from tjktmp"));
        const QString copied = columnList(billingColumns());
        // Every value written below already passed the rules of a column of the same definition: the
        // copy's are KPKZK's, the names the register's, the sums whole numbers and amounts of
        // them. The write guard would only check them again, row by row.
        db::PreparedStatement copy(billing, QStringLiteral("Insert Into tjktmp (%1) select %1 from kpkzk").arg(copied));
        copy.trustValues();
        copy.run();

        // Each row's sums are its own terms; a Null sum keeps the column as it was. The amount is
        // rounded to ten-thousandths, the currency's own steps, as a bound amount would be.
        db::PreparedStatement complete(
            billing,
            QStringLiteral("Update tjktmp Set DanWeiQuangCheng=?,HangYeLeiXing=?,DanWeiFenQu=?,"
                           "JinE=coalesce(round(%1, 4), JinE),SumMonth=coalesce(%2, SumMonth) "
                           "where DanWeiBianHao=?")
                .arg(monthSum("M"), monthSum(count == MonthCount::Covered ? "N" : "")));
        complete.trustValues();
        for (bool more = dw.first(); more; more = dw.next()) {
            const QVariant industry = dw.value(2), squad = dw.value(3);
            if (industry.isNull() || squad.isNull())
                continue;
            const QVariant name = dw.value(1);
            complete.run({name.isNull() ? QVariant(QStringLiteral("")) : name, industry, squad, dw.value(0)});
        }
        return true;
    });
}

bool BuildStatisticsTable(int year, MonthCount count, const ErrorSink& errors)
{
    try {
        db::Connection billing(db::DataFile{dataFiles::billing(year)});
        db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        build(billing, enterprises, count);
        return true;
    } catch (const std::exception& e) {
        if (errors)
            errors(platform::describe(e));
        return false;
    }
}

std::unique_ptr<db::Recordset> query(db::Connection& billing, const QString& conditionSql)
{
    return db::inTransaction(billing, [&] {
        billing.execute(QStringLiteral("Delete from tjk"));
        const QString columns = columnList(statisticsColumns());
        billing.execute(
            QStringLiteral("Insert Into tjk (%1)  Select %1 from tjktmp  where %2;").arg(columns, conditionSql));
        return billing.openRecordset(QStringLiteral("Select * from tjktmp  where %1;").arg(conditionSql), {},
                                     db::LockType::ReadOnly);
    });
}

} // namespace statistics
