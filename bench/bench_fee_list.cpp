// The month's fee list of the benchmark county, every one of its 1,500 enterprises billed with 6
// assignments each (9,000 lines):
//
//     bench fee_list_build  the builder beside a bare SQLite loop making the same reads and inserts
//                           in one transaction (target: within 2 times)
//     bench fee_list_pdf    the report rendered from the print file into a PDF, against the time its
//                           pages take at 200 pages a second
//
// and one line with the count of pages the list takes.
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/report/report_output.h"
#include "platform/ui/application.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/fee_list.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

const QDate kMonth(2003, 5, 1);
constexpr double pagesPerSecond = 200;

// The county's month: the discharge template as the month's file, each figure given a value, and
// every enterprise billed in May.
void makeMonth()
{
    {
        db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        db::Connection pollutants(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
        discharge::buildTemplate(enterprises, pollutants);
    }
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate)),
                files::dataFile(dataFiles::monthData(kMonth)));
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::billingTemplate)),
                files::dataFile(dataFiles::billing(kMonth.year())));
    db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection data(db::DataFile{dataFiles::monthData(kMonth)});
    db::Connection billing(db::DataFile{dataFiles::billing(kMonth.year())});
    data.beginTransaction();
    for (const QString& table : data.tableNames())
        data.execute(QStringLiteral("update %1 set \"变量1\" = 12.5, \"变量2\" = 3, \"收费金额\" = 1234.5, "
                                    "\"提高收费\" = 10, \"加倍收费\" = 0")
                         .arg(db::quoteIdentifier(table)));
    data.commit();
    billing.beginTransaction();
    auto rows = enterprises.openRecordset(QStringLiteral("select DanWeiBianHao from dw"), {}, db::LockType::ReadOnly);
    for (; !rows->isEOF(); rows->moveNext())
        billing.execute(QStringLiteral("insert into KPKZK (DanWeiBianHao, M5, M5N) values (?, 1, 1)"),
                        {rows->value(0)});
    billing.commit();
}

QString text(sqlite3_stmt* s, int column)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, column)),
                             sqlite3_column_bytes(s, column));
}

sqlite3* openFile(const QString& name)
{
    sqlite3* db = nullptr;
    sqlite3_open(files::dataFile(name).toUtf8().constData(), &db);
    return db;
}

sqlite3_stmt* prepare(sqlite3* db, const QString& sql)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &s, nullptr) != SQLITE_OK)
        std::fprintf(stderr, "bare loop: %s\n", sqlite3_errmsg(db));
    return s;
}

void bindText(sqlite3_stmt* s, int i, const QString& t)
{
    const QByteArray b = t.toUtf8();
    sqlite3_bind_text(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

// The same reads and inserts, on prepared statements, nothing checked but what the list needs.
double bareLoop()
{
    feeList::copyPrintFile(kMonth);
    QElapsedTimer t;
    t.start();
    sqlite3* kz = openFile(dataFiles::billing(kMonth.year()));
    sqlite3* dw = openFile(QString::fromLatin1(dataFiles::enterprises));
    sqlite3* data = openFile(dataFiles::monthData(kMonth));
    sqlite3* print = openFile(dataFiles::monthFeeList(kMonth));
    sqlite3_stmt* billed =
        prepare(kz, QStringLiteral("select DanWeiBianHao, M5, M5B from kpkzk where M5 = 1 order by DanWeiBianHao"));
    sqlite3_stmt* registered =
        prepare(dw, QStringLiteral("select DanWeiBianHao, DanWeiQuangCheng from dw where DanWeiBianHao = ?"));
    sqlite3_stmt* assignments =
        prepare(dw,
                QStringLiteral("select ID, DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, PaiWuKou "
                               "from dwwrw where DanWeiBianHao = ? order by ID"));
    sqlite3_stmt* insertDw =
        prepare(print, QStringLiteral("insert into dw (DanWeiBianHao, DanWeiMingCheng) values (?, ?)"));
    sqlite3_stmt* insertLine =
        prepare(print,
                QStringLiteral("insert into ShuJu (DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, PaiWuKou, "
                               "LeiXing, PaiWuShuJu, JinE, TiGaoJinE, JiaBeiJinE, HeJi) values (?,?,?,?,?,?,?,?,?,?)"));
    sqlite3_exec(print, "BEGIN", nullptr, nullptr, nullptr);
    while (sqlite3_step(billed) == SQLITE_ROW) {
        const QString number = text(billed, 0);
        const QString period = sqlite3_column_type(billed, 2) == SQLITE_NULL || text(billed, 2).isEmpty()
            ? QStringLiteral("5月")
            : text(billed, 2);
        bindText(registered, 1, number);
        const bool found = sqlite3_step(registered) == SQLITE_ROW;
        if (found) {
            bindText(insertDw, 1, number);
            bindText(insertDw, 2, text(registered, 1));
            sqlite3_step(insertDw);
            sqlite3_reset(insertDw);
        }
        sqlite3_reset(registered);
        if (!found)
            continue;
        bindText(assignments, 1, number);
        while (sqlite3_step(assignments) == SQLITE_ROW) {
            const QString table =
                QStringLiteral("WRW") + text(assignments, 1) + text(assignments, 2) + text(assignments, 5);
            sqlite3_stmt* row = prepare(data, QStringLiteral("select * from ") + db::quoteIdentifier(table));
            if (sqlite3_step(row) == SQLITE_ROW && sqlite3_column_type(row, 0) != SQLITE_NULL) {
                QString figures;
                double charge = 0, raised = 0, doubled = 0;
                for (int c = 0; c < sqlite3_column_count(row); ++c) {
                    const QString name = QString::fromUtf8(sqlite3_column_name(row, c));
                    if (name == QStringLiteral("收费金额"))
                        charge = sqlite3_column_double(row, c);
                    else if (name == QStringLiteral("提高收费"))
                        raised = sqlite3_column_double(row, c);
                    else if (name == QStringLiteral("加倍收费"))
                        doubled = sqlite3_column_double(row, c);
                    else if (name != QStringLiteral("是否单独列为收费项目") && !name.contains(QStringLiteral("修正")) &&
                             !name.contains(QStringLiteral("当量")) && !name.contains(QStringLiteral("标准")))
                        figures += name + QLatin1Char(':') +
                            (sqlite3_column_type(row, c) == SQLITE_NULL
                                 ? QString()
                                 : convert::plainNumber(sqlite3_column_double(row, c))) +
                            QLatin1Char(',');
                }
                figures.chop(1);
                bindText(insertLine, 1, number);
                bindText(insertLine, 2, text(assignments, 2));
                bindText(insertLine, 3, text(assignments, 3));
                sqlite3_bind_int(insertLine, 4, sqlite3_column_int(assignments, 5));
                sqlite3_bind_int(insertLine, 5, sqlite3_column_int(assignments, 4));
                bindText(insertLine, 6, figures + QStringLiteral(" (") + period + QLatin1Char(')'));
                sqlite3_bind_double(insertLine, 7, charge);
                sqlite3_bind_double(insertLine, 8, raised);
                sqlite3_bind_double(insertLine, 9, doubled);
                sqlite3_bind_double(insertLine, 10, charge + raised + doubled);
                sqlite3_step(insertLine);
                sqlite3_reset(insertLine);
            }
            sqlite3_finalize(row);
        }
        sqlite3_reset(assignments);
    }
    sqlite3_exec(print, "COMMIT", nullptr, nullptr, nullptr);
    for (sqlite3_stmt* s : {billed, registered, assignments, insertDw, insertLine})
        sqlite3_finalize(s);
    for (sqlite3* db : {kz, dw, data, print})
        sqlite3_close(db);
    return t.nsecsElapsed() / 1e6;
}

double ours(feeList::Built* built)
{
    feeList::copyPrintFile(kMonth);
    QElapsedTimer t;
    t.start();
    *built = feeList::BuildPrintData(kMonth);
    return t.nsecsElapsed() / 1e6;
}

double pdf(const QString& path, std::size_t* pages)
{
    QElapsedTimer t;
    t.start();
    const report::Document document = feeList::render(kMonth);
    report::writePdf(document, path);
    *pages = document.pages.size();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    // The program's own application object: the heap behaves as it does under the print window.
    ui::Application app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    Module1::setStartupDefaults();
    Module1::gWorkMonth = kMonth;
    const int repetitions = bench::repetitions(5);
    std::vector<double> mine, base, rendered;
    feeList::Built built;
    std::size_t pages = 0;
    try {
        bench::makeCounty({.enterprises = 1500, .assignmentsPerEnterprise = 6});
        makeMonth();
        for (int i = 0; i < repetitions; ++i) {
            base.push_back(bareLoop());
            mine.push_back(ours(&built));
        }
        for (int i = 0; i < std::min(repetitions, 3); ++i)
            rendered.push_back(pdf(dir.path() + QStringLiteral("/list.pdf"), &pages));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    if (built.enterprises != 1500 || built.lines != 9000)
        std::fprintf(stderr, "the builder listed %d enterprises and %d lines\n", built.enterprises, built.lines);
    const double x = bench::median(mine), y = bench::median(base);
    bench::printRatio("fee_list_build", x, y, "2.0");
    // Over 200 pages a second: the list's pages in at most the time they take at that rate.
    bench::printLimit("fee_list_pdf", bench::median(rendered), pages * 1000.0 / pagesPerSecond);
    std::printf("fee_list pages=%zu enterprises=%d lines=%d\n", pages, built.enterprises, built.lines);
    return 0;
}
