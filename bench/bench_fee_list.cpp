// The month's fee list of the benchmark county, every one of its 1,500 enterprises billed with 6
// assignments each (9,000 lines):
//
//     bench fee_list_build  the builder beside a bare SQLite loop making the same reads and inserts
//                           in one transaction (target: within 2 times); the rows the two leave are
//                           compared, and any difference is said on stderr
//     bench fee_list_pdf    the report rendered from the print file into a PDF, against the time its
//                           pages take at 200 pages a second
//
// and one line with the count of pages the list takes.
#include "bench/bare_generation.h"
#include "bench/synthetic_county.h"
#include "bench_support.h"
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

// The same reads and inserts, on prepared statements, nothing checked but what the list needs.
double bareLoop()
{
    feeList::copyPrintFile(kMonth);
    QElapsedTimer t;
    t.start();
    bare::Connection kz(files::dataFile(dataFiles::billing(kMonth.year())));
    bare::Connection dw(files::dataFile(QString::fromLatin1(dataFiles::enterprises)));
    bare::Connection data(files::dataFile(dataFiles::monthData(kMonth)));
    bare::Connection print(files::dataFile(dataFiles::monthFeeList(kMonth)));
    bare::Statement billed(
        kz, QStringLiteral("select DanWeiBianHao, M5, M5B from kpkzk where M5 = 1 order by DanWeiBianHao"));
    bare::Statement registered(
        dw, QStringLiteral("select DanWeiBianHao, DanWeiQuangCheng from dw where DanWeiBianHao = ?"));
    bare::Statement assignments(dw,
                                QStringLiteral("select ID, DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, "
                                               "PaiWuKou from dwwrw where DanWeiBianHao = ? order by ID"));
    bare::Statement insertDw(print, QStringLiteral("insert into dw (DanWeiBianHao, DanWeiMingCheng) values (?, ?)"));
    bare::Statement insertLine(
        print,
        QStringLiteral("insert into ShuJu (DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, "
                       "PaiWuKou, LeiXing, PaiWuShuJu, JinE, TiGaoJinE, JiaBeiJinE, HeJi) values "
                       "(?,?,?,?,?,?,?,?,?,?)"));
    print.exec(QStringLiteral("BEGIN"));
    while (billed.step()) {
        const QString number = billed.text(0);
        const QString period = billed.isNull(2) || billed.text(2).isEmpty() ? QStringLiteral("5月") : billed.text(2);
        if (!registered.reset().bind(1, number).step() || registered.isNull(0))
            continue;
        insertDw.reset().bind(1, number).bind(2, registered.text(1)).run();
        assignments.reset().bind(1, number);
        while (assignments.step()) {
            const QString table =
                QStringLiteral("WRW") + assignments.text(1) + assignments.text(2) + assignments.text(5);
            bare::Statement row(data, QStringLiteral("select * from ") + db::quoteIdentifier(table));
            if (!row.step() || row.isNull(0))
                continue;
            QString figures;
            double charge = 0, raised = 0, doubled = 0;
            for (int c = 0; c < row.columnCount(); ++c) {
                const QString name = row.columnName(c);
                if (name == QStringLiteral("收费金额"))
                    charge = row.number(c);
                else if (name == QStringLiteral("提高收费"))
                    raised = row.number(c);
                else if (name == QStringLiteral("加倍收费"))
                    doubled = row.number(c);
                else if (bare::isFigure(name))
                    figures += name + QLatin1Char(':') +
                        (row.isNull(c) ? QString() : bare::plainText(bare::storedAmount(row.number(c)))) +
                        QLatin1Char(',');
            }
            figures.chop(1);
            insertLine.reset().bind(1, number).bind(2, assignments.text(2)).bind(3, assignments.text(3));
            insertLine.bind(4, assignments.integer(5)).bind(5, assignments.integer(4));
            insertLine.bind(6, figures + QStringLiteral(" (") + period + QLatin1Char(')'));
            insertLine.bind(7, charge).bind(8, raised).bind(9, doubled);
            insertLine
                .bind(10,
                      static_cast<double>(bare::storedAmount(charge) + bare::storedAmount(raised) +
                                          bare::storedAmount(doubled)) /
                          10000.0)
                .run();
        }
    }
    print.exec(QStringLiteral("COMMIT"));
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
    bare::Times times;
    std::vector<double> rendered;
    feeList::Built built;
    std::size_t pages = 0;
    try {
        bench::makeCounty({.enterprises = 1500, .assignmentsPerEnterprise = 6});
        makeMonth();
        // The enterprises and lines the two leave in the print file are compared.
        times = bare::inTurns(
            repetitions, [] {}, bareLoop, [&built] { return ours(&built); },
            files::dataFile(dataFiles::monthFeeList(kMonth)), {QStringLiteral("dw"), QStringLiteral("ShuJu")});
        for (int i = 0; i < std::min(repetitions, 3); ++i)
            rendered.push_back(pdf(dir.path() + QStringLiteral("/list.pdf"), &pages));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    if (built.enterprises != 1500 || built.lines != 9000)
        std::fprintf(stderr, "the builder listed %d enterprises and %d lines\n", built.enterprises, built.lines);
    bench::printRatio("fee_list_build", bench::median(times.ours), bench::median(times.base), "2.0");
    // Over 200 pages a second: the list's pages in at most the time they take at that rate.
    bench::printLimit("fee_list_pdf", bench::median(rendered), pages * 1000.0 / pagesPerSecond);
    std::printf("fee_list pages=%zu enterprises=%d lines=%d\n", pages, built.enterprises, built.lines);
    return 0;
}
