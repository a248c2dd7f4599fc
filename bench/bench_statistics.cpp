// The yearly statistics of the 1,500-enterprise county with twelve months of billing columns: the
// statistics build of the statistics window, and the opening of the monthly payment report (which
// rebuilds the table with the months billed), each beside a bare SQLite loop making the same copy and
// the same per-enterprise updates in one transaction; then each at 4,000 enterprises beside its time at
// 1,500 (..._growth).
#include "bench/bare_sqlite.h"
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "platform/files/files.h"
#include "platform/ui/application.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/notices/frmYDZQKBB.h"
#include "qelv/notices/statistics_tables.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <sqlite3.h>

namespace {

int enterprises = bench::countySize;
constexpr const char* target = "1.5";
const QDate month(2003, 12, 1);

QString dataPath(const QString& name)
{
    return files::dataFile(name);
}

// Every enterprise with a billing row of the year whose twelve months are filled as invoicing and
// payment registration leave them; most have an industry type and a squad, every fiftieth lacks one.
void makeYear()
{
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    dw.execute(QStringLiteral("update dw set HangYeLeiXing = '行业' || (rowid % 7), "
                              "DanWeiFenQu = case when rowid % 50 = 0 then NULL else '中队' || (rowid % 5) end"));
    billingControl::ensureYearFile(month.year());
    db::Connection billing(db::DataFile{dataFiles::billing(month.year())});
    billing.beginTransaction();
    billing.execute(QStringLiteral("delete from KPKZK"));
    const QStringList columns = statistics::billingColumns();
    QStringList marks;
    for (qsizetype i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    const QString insert =
        QStringLiteral("insert into KPKZK (%1) values (%2)").arg(columns.join(u','), marks.join(u','));
    for (int e = 1; e <= enterprises; ++e) {
        QVariantList row{bench::enterpriseNumber(e)};
        for (int m = 1; m <= 12; ++m) {
            const bool billed = (e + m) % 3 != 0;
            const bool paid = billed && (e + m) % 4 != 0;
            const QDate invoiced(month.year(), m, 20);
            row << (billed ? 1 : 0) << (billed ? 1 + e % 3 : 0)
                << (m % 6 == 0 ? QVariant(QStringLiteral("%1至%2月").arg(m - 2).arg(m)) : QVariant())
                << (billed ? QVariant(QString::number(e * 100 + m)) : QVariant())
                << QVariant::fromValue(
                       convert::Currency::fromUnits(billed ? (1000 + (e * 7919 + m) % 500000) * 100 : 0))
                << (billed ? QVariant(QStringLiteral("壹佰元整")) : QVariant())
                << (billed ? QVariant(invoiced) : QVariant())
                << QVariant::fromValue(convert::Currency::fromUnits(billed && e % 9 == 0 ? 5000 : 0)) << (paid ? 1 : 0)
                << (paid ? QVariant(invoiced.addDays(10)) : QVariant());
        }
        billing.execute(insert, row);
    }
    billing.commit();
}

QString monthSum(const char* suffix)
{
    QStringList terms;
    for (int m = 1; m <= 12; ++m)
        terms << QStringLiteral("M%1%2").arg(m).arg(QLatin1String(suffix));
    return terms.join(QStringLiteral(" + "));
}

// The same build on the bare library, the files opened as the layer opens them: the copy, then per
// enterprise of the register one update.
double bareLoop(bool monthsBilled)
{
    QElapsedTimer t;
    t.start();
    bare::Connection yearFile(dataPath(dataFiles::billing(month.year())));
    bare::Connection register_(dataPath(QString::fromLatin1(dataFiles::enterprises)));
    sqlite3* year = yearFile.handle();
    sqlite3* dw = register_.handle();
    const QString columns = statistics::billingColumns().join(u',');
    const QString copy =
        QStringLiteral("BEGIN; delete from tjktmp; Insert Into tjktmp (%1) select %1 from kpkzk;").arg(columns);
    char* error = nullptr;
    if (sqlite3_exec(year, copy.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "bare loop: %s\n", error);
        sqlite3_free(error);
    }
    sqlite3_stmt* registerRows = nullptr;
    sqlite3_prepare_v2(dw,
                       "Select DanWeiBianHao,DanWeiQuangCheng,HangYeLeiXing,DanWeiFenQu from dw order by "
                       "DanWeiBianHao ASC",
                       -1, &registerRows, nullptr);
    const QByteArray update =
        QStringLiteral("Update tjktmp Set DanWeiQuangCheng=?,HangYeLeiXing=?,DanWeiFenQu=?,"
                       "JinE=coalesce(round(%1, 4), JinE),SumMonth=coalesce(%2, SumMonth) where DanWeiBianHao=?")
            .arg(monthSum("M"), monthSum(monthsBilled ? "" : "N"))
            .toUtf8();
    sqlite3_stmt* complete = nullptr;
    if (sqlite3_prepare_v2(year, update.constData(), -1, &complete, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "bare loop: %s\n", sqlite3_errmsg(year));
    while (sqlite3_step(registerRows) == SQLITE_ROW) {
        if (sqlite3_column_type(registerRows, 2) == SQLITE_NULL || sqlite3_column_type(registerRows, 3) == SQLITE_NULL)
            continue;
        sqlite3_reset(complete);
        for (int c : {1, 2, 3})
            sqlite3_bind_value(complete, c, sqlite3_column_value(registerRows, c));
        if (sqlite3_column_type(registerRows, 1) == SQLITE_NULL)
            sqlite3_bind_text(complete, 1, "", 0, SQLITE_STATIC);
        sqlite3_bind_value(complete, 4, sqlite3_column_value(registerRows, 0));
        sqlite3_step(complete);
    }
    sqlite3_finalize(complete);
    sqlite3_finalize(registerRows);
    sqlite3_exec(year, "COMMIT", nullptr, nullptr, nullptr);
    return t.nsecsElapsed() / 1e6;
}

// What a build left: rows, completed rows, the sum of the amounts and of the month counts.
QString digest()
{
    sqlite3* year = nullptr;
    sqlite3_open(dataPath(dataFiles::billing(month.year())).toUtf8().constData(), &year);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(year,
                       "select count(*) || '/' || count(DanWeiFenQu) || '/' || total(JinE) || '/' || total(SumMonth) "
                       "from tjktmp",
                       -1, &st, nullptr);
    QString out;
    if (sqlite3_step(st) == SQLITE_ROW)
        out = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(year);
    return out;
}

double ourBuild()
{
    return bench::timedMs([] {
        statistics::BuildStatisticsTable(month.year(), statistics::MonthCount::Covered, [](const QString& e) {
            std::fprintf(stderr, "%s\n", e.toUtf8().constData());
        });
    });
}

double ourOpening()
{
    return bench::timedMs([] { frmYDZQKBB window; });
}

} // namespace

int main(int argc, char** argv)
{
    ui::Application app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    Module1::gWorkMonth = month;
    try {
        bench::makeCounty(bench::County{.enterprises = enterprises});
        makeYear();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }

    struct Case {
        const char* name;
        bool monthsBilled;
        double (*ours)();
    };
    const Case cases[] = {{"statistics_build", false, ourBuild}, {"payment_report_open", true, ourOpening}};
    std::vector<double> at1500;
    for (const Case& c : cases) {
        std::vector<double> mine, base;
        QString bareLeft, ourLeft;
        for (int i = 0; i < bench::repetitions(5); ++i) {
            base.push_back(bareLoop(c.monthsBilled));
            bareLeft = digest();
            mine.push_back(c.ours());
            ourLeft = digest();
        }
        if (ourLeft != bareLeft)
            std::fprintf(stderr, "%s: the builds differ: ours %s, bare loop %s\n", c.name, ourLeft.toUtf8().constData(),
                         bareLeft.toUtf8().constData());
        bench::printRatio(c.name, bench::median(mine), bench::median(base), target);
        at1500.push_back(bench::median(mine));
    }
    // The same year of a county of 4,000.
    try {
        enterprises = bench::largerCounty;
        bench::makeCounty(bench::County{.enterprises = enterprises});
        makeYear();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    for (std::size_t k = 0; k < std::size(cases); ++k) {
        std::vector<double> larger;
        for (int i = 0; i < bench::repetitions(5); ++i)
            larger.push_back(cases[k].ours());
        bench::printGrowth(cases[k].name, bench::median(larger), at1500[k]);
    }
    return 0;
}
