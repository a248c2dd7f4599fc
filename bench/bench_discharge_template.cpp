// The discharge template for 1,500 enterprises with 6 assignments each (9,000 tables), built by the
// program, beside a bare SQLite loop that makes the same tables and rows in one transaction.
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/formula_tokens.h"
#include "qelv/core/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr const char* target = "1.5";

struct Table {
    QByteArray create;
    QByteArray insert;
};

// The same tables as the build makes: names and columns read from the county beforehand, so that
// the loop does nothing but make them.
std::vector<Table> plainTables()
{
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection wrw(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
    std::vector<Table> out;
    auto rows =
        dw.openRecordset(QStringLiteral("select DanWeiBianHao, WuRanWuBianHao, PaiWuKou from dwwrw order by rowid"), {},
                         db::LockType::ReadOnly);
    for (; !rows->isEOF(); rows->moveNext()) {
        const discharge::Assignment a{rows->value(0).toString(), rows->value(1).toString(), rows->value(2).toString()};
        QStringList defs;
        QStringList zeros;
        for (const QString& v : formulaVariables(readFormulaTokens(wrw, a.pollutant)))
            defs << db::quoteIdentifier(v) + QStringLiteral(" CURRENCY");
        for (const char* f : {"收费金额", "加倍收费", "提高收费"})
            defs << db::quoteIdentifier(QString::fromUtf8(f)) + QStringLiteral(" CURRENCY");
        defs << db::quoteIdentifier(QStringLiteral("是否单独列为收费项目")) + QStringLiteral(" YESNO");
        for (qsizetype i = 0; i < defs.size(); ++i)
            zeros << QStringLiteral("0");
        const QString name = db::quoteIdentifier(discharge::tableName(a));
        out.push_back({QStringLiteral("CREATE TABLE %1 (%2)").arg(name, defs.join(QStringLiteral(", "))).toUtf8(),
                       QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(name, zeros.join(QLatin1Char(','))).toUtf8()});
    }
    return out;
}

double bareLoop(const std::vector<Table>& tables, const QString& path)
{
    QFile::remove(path);
    QElapsedTimer t;
    t.start();
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const Table& table : tables) {
        if (sqlite3_exec(db, table.create.constData(), nullptr, nullptr, nullptr) != SQLITE_OK ||
            sqlite3_exec(db, table.insert.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "bare loop: %s\n", sqlite3_errmsg(db));
            break;
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return t.nsecsElapsed() / 1e6;
}

double ours()
{
    QElapsedTimer t;
    t.start();
    db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection pollutants(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
    const int made = discharge::buildTemplate(enterprises, pollutants);
    const double ms = t.nsecsElapsed() / 1e6;
    if (made != 9000)
        std::fprintf(stderr, "the build made %d tables\n", made);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    bench::makeCounty({.enterprises = 1500, .assignmentsPerEnterprise = 6});
    const std::vector<Table> tables = plainTables();
    const QString barePath = dir.path() + QStringLiteral("/bare.db");

    const int repetitions = bench::repetitions(5);
    std::vector<double> mine, base;
    try {
        for (int i = 0; i < repetitions; ++i) {
            base.push_back(bareLoop(tables, barePath));
            mine.push_back(ours());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    const double x = bench::median(mine), y = bench::median(base);
    bench::printRatio("discharge_template", x, y, target);
    return 0;
}
