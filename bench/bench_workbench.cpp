// The monthly workbench over a county of 1,500 enterprises with 6 assignments each and a month file
// copied from its template: a move to the next enterprise (its first show of the year, which makes its
// billing row and its late-fee ledger) and to the next assignment, each the median of many moves, beside
// a bare SQLite loop reading the same rows on open handles; and each month-file command beside a plain
// copy of the same file. A move should stay under 30 ms.
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/ui/dialogs.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/frmKaiPiao.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr double moveLimitMs = 30;

// What a move reads, on handles kept open: the billing row, the ledger's name and the discharge row.
// The billing and ledger files it writes are copies of the program's, so that neither side's writes
// make the other read the file's schema again, which the program alone on its files never has to.
struct BareReads {
    sqlite3* kz = nullptr;
    sqlite3* znj = nullptr;
    sqlite3* month = nullptr;
    BareReads()
    {
        kz = openCopy(files::dataFile(dataFiles::billing(2003)));
        znj = openCopy(files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)));
        sqlite3_open(files::dataFile(dataFiles::monthData(QDate(2003, 6, 1))).toUtf8().constData(), &month);
    }
    ~BareReads()
    {
        sqlite3_close(kz);
        sqlite3_close(znj);
        sqlite3_close(month);
    }
    static sqlite3* openCopy(const QString& file)
    {
        const QString copy = file + QStringLiteral(".bare");
        QFile::remove(copy);
        QFile::copy(file, copy);
        sqlite3* db = nullptr;
        sqlite3_open(copy.toUtf8().constData(), &db);
        exec(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
        return db;
    }
    static void read(sqlite3* db, const QString& sql, const QString& bound = QString())
    {
        sqlite3_stmt* st = nullptr;
        const QByteArray text = sql.toUtf8();
        sqlite3_prepare_v2(db, text.constData(), -1, &st, nullptr);
        const QByteArray value = bound.toUtf8();
        if (!bound.isNull())
            sqlite3_bind_text(st, 1, value.constData(), -1, SQLITE_TRANSIENT);
        while (sqlite3_step(st) == SQLITE_ROW) {
        }
        sqlite3_finalize(st);
    }
    // A first show also writes: the enterprise's billing row and its ledger, each in a statement of its
    // own, as the program does.
    void firstShow(const QString& number)
    {
        enterprise(number);
        exec(kz, QStringLiteral("insert into KPKZK (DanWeiBianHao) values ('%1')").arg(number));
        exec(znj,
             QStringLiteral("create table %1 (KaiPiaoRiQi DATETIME, FaPiaoBianHao TEXT(50), FaPiaoJinE CURRENCY, "
                            "ShouFeiJinE CURRENCY, DaoZhangQingKuang TINYINT, DaoZhangRiQi DATETIME, "
                            "PiaoJuLeiXing TINYINT, ZNJYiShou TINYINT)")
                 .arg(db::quoteIdentifier(QStringLiteral("ZNJB") + number)));
    }
    static void exec(sqlite3* db, const QString& sql)
    {
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    void enterprise(const QString& number)
    {
        read(kz, QStringLiteral("select DanWeiBianHao, M6, M6N, M6B from KPKZK where DanWeiBianHao = ?"), number);
        read(znj, QStringLiteral("select name from sqlite_master where type = 'table' and name = ? collate nocase"),
             QStringLiteral("ZNJ") + number);
    }
    void assignment(const QString& table)
    {
        read(month, QStringLiteral("select name from sqlite_master where type = 'table' and name = ? collate nocase"),
             table);
        read(month, QStringLiteral("select * from %1").arg(db::quoteIdentifier(table)));
    }
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    ui::testing::enable();
    Module1::setStartupDefaults();
    Module1::gWorkMonth = QDate(2003, 6, 1);
    Module1::gInvoiceDate = QDate(2003, 6, 18);
    const int moves = bench::repetitions(200);
    try {
        bench::makeCounty({.enterprises = 1500, .assignmentsPerEnterprise = 6});
        {
            db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
            db::Connection wrw(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
            discharge::buildTemplate(dw, wrw);
        }
        const QString tmpl = files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate));
        const QString june = files::dataFile(dataFiles::monthData(QDate(2003, 6, 1)));
        const QString may = files::dataFile(dataFiles::monthData(QDate(2003, 5, 1)));
        files::copy(tmpl, june);
        files::copy(tmpl, may);

        frmKaiPiao w;
        if (!ui::testing::shownTexts().isEmpty()) {
            std::fprintf(stderr, "load: %s\n", ui::testing::shownTexts().join('/').toUtf8().constData());
            return 1;
        }
        BareReads bare;
        std::vector<double> enterpriseMoves, enterpriseBase, assignmentMoves, assignmentBase;
        for (int i = 0; i < moves; ++i) {
            enterpriseMoves.push_back(bench::timedMs([&] { w.Command2_Click(); }));
            const QString number = w.enterprises()->value(QStringLiteral("DanWeiBianHao")).toString();
            enterpriseBase.push_back(bench::timedMs([&] { bare.firstShow(QStringLiteral("B") + number); }));
        }
        // The same enterprises again: their rows and ledgers are there now.
        std::vector<double> againMoves, againBase;
        w.Command4_Click();
        for (int i = 0; i < moves; ++i) {
            againMoves.push_back(bench::timedMs([&] { w.Command2_Click(); }));
            const QString number = w.enterprises()->value(QStringLiteral("DanWeiBianHao")).toString();
            againBase.push_back(bench::timedMs([&] { bare.enterprise(number); }));
        }
        for (int i = 0; i < moves; ++i) {
            // Five moves through an enterprise's six assignments, then on to the next enterprise.
            if (i % 5 == 0)
                w.Command2_Click();
            assignmentMoves.push_back(bench::timedMs([&] { w.cmdNext_Click(); }));
            db::Recordset* ad = w.assignments();
            const QString table = discharge::tableName({ad->value(QStringLiteral("DanWeiBianHao")).toString(),
                                                        ad->value(QStringLiteral("WuRanWuBianHao")).toString(),
                                                        ad->value(QStringLiteral("PaiWuKou")).toString()});
            assignmentBase.push_back(bench::timedMs([&] { bare.assignment(table); }));
        }
        const int repetitions = 3;
        std::vector<double> latest, another, plainCopy;
        for (int i = 0; i < repetitions; ++i) {
            plainCopy.push_back(bench::timedMs([&] {
                QFile::remove(june + QStringLiteral(".plain"));
                QFile::copy(tmpl, june + QStringLiteral(".plain"));
            }));
            latest.push_back(bench::timedMs([&] { w.Command6_Click(); }));
            ui::testing::answerInput(QStringLiteral("2003-05"));
            another.push_back(bench::timedMs([&] { w.Command5_Click(); }));
        }
        // Nothing but the input boxes of the month copies.
        if (ui::testing::shownTexts().size() != repetitions) {
            std::fprintf(stderr, "commands: %s\n", ui::testing::shownTexts().join('/').toUtf8().constData());
            return 1;
        }
        bench::printRatio("workbench_next_enterprise", bench::median(enterpriseMoves), bench::median(enterpriseBase),
                          "-");
        bench::printRatio("workbench_next_enterprise_again", bench::median(againMoves), bench::median(againBase), "-");
        bench::printRatio("workbench_next_assignment", bench::median(assignmentMoves), bench::median(assignmentBase),
                          "-");
        // A move stays under 30 ms.
        for (const auto& [name, moves] : {std::pair{"workbench_move_first_show", &enterpriseMoves},
                                          std::pair{"workbench_move_enterprise", &againMoves},
                                          std::pair{"workbench_move_assignment", &assignmentMoves}})
            bench::printLimit(name, bench::median(*moves), moveLimitMs);
        bench::printRatio("workbench_copy_latest", bench::median(latest), bench::median(plainCopy), "-");
        bench::printRatio("workbench_copy_month", bench::median(another), bench::median(plainCopy), "-");
        for (double m : {bench::median(enterpriseMoves), bench::median(againMoves), bench::median(assignmentMoves)})
            if (m >= moveLimitMs)
                std::fprintf(stderr, "a move took %.1f ms, over the %.0f ms a move may take\n", m, moveLimitMs);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", ui::describe(e).toUtf8().constData());
        return 1;
    }
    return 0;
}
