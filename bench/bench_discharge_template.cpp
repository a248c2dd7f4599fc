// The discharge template for 1,500 enterprises with 6 assignments each (9,000 tables), built by the
// program, beside a bare SQLite loop issuing the same statements with the same file settings: the same
// reads of the assignments and formulas, the same tables and rows in one transaction, the same copy,
// page cache and replacement of the template, the same setting saved (target: within 1.1 times).
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/db/connection.h"
#include "platform/files/files.h"
#include "platform/ui/application.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/core/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* target = "1.1";

sqlite3* openFile(const QString& path)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_busy_timeout(db, 5000);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    return db;
}

QString text(sqlite3_stmt* st, int c)
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)));
}

void fsyncPath(const QString& path, bool folder)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | (folder ? O_DIRECTORY : 0));
    ::fsync(fd);
    ::close(fd);
}

// The build on the bare library, with the program's file settings: the assignments of the register
// and each pollutant's formula read as the build reads them (each pollutant once), the blank file
// copied to the transient name, every table made with its row of zeros in one transaction with the
// build's page cache, the file on disk and renamed over the template, and the setting that says the
// template is current saved.
double bareLoop(const QString& dataFolder, const QString& settings)
{
    QElapsedTimer t;
    t.start();
    sqlite3* dw = openFile(dataFolder + QStringLiteral("/") + QString::fromLatin1(dataFiles::enterprises));
    sqlite3* wrw = openFile(dataFolder + QStringLiteral("/") + QString::fromLatin1(dataFiles::pollutants));
    QHash<QString, QList<QStringList>> byEnterprise;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(dw, "select DanWeiBianHao, WuRanWuBianHao, PaiWuKou from dwwrw order by rowid", -1, &st,
                       nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        byEnterprise[text(st, 0).toCaseFolded()] << QStringList{text(st, 0), text(st, 1), text(st, 2)};
    sqlite3_finalize(st);
    QList<QStringList> all;
    sqlite3_prepare_v2(dw, "select DanWeiBianHao from dw order by rowid", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        all << byEnterprise.value(text(st, 0).toCaseFolded());
    sqlite3_finalize(st);
    sqlite3_close(dw);

    const QString transient = dataFolder + QStringLiteral("/bare_new.mdb");
    const QString templ = dataFolder + QStringLiteral("/bare_tmp.mdb");
    QFile::remove(transient);
    QFile::copy(dataFolder + QStringLiteral("/") + QString::fromLatin1(dataFiles::blankDatabase), transient);
    fsyncPath(transient, false);
    sqlite3* out = openFile(transient);
    sqlite3_exec(out, "PRAGMA cache_size = -65536", nullptr, nullptr, nullptr);
    sqlite3_exec(out, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* tokens = nullptr;
    sqlite3_prepare_v2(wrw, "Select ID,MingCheng,BiaoJi from wrwgs where WuRanWuBianHao=? Order By ID ASC", -1, &tokens,
                       nullptr);
    QHash<QString, QStringList> variables;
    for (const QStringList& a : std::as_const(all)) {
        const QString key = a[1].toCaseFolded();
        if (!variables.contains(key)) {
            QStringList names;
            const QByteArray pollutant = a[1].toUtf8();
            sqlite3_reset(tokens);
            sqlite3_bind_text(tokens, 1, pollutant.constData(), -1, SQLITE_TRANSIENT);
            while (sqlite3_step(tokens) == SQLITE_ROW)
                if (sqlite3_column_int(tokens, 2) == 1)
                    names << text(tokens, 1);
            variables.insert(key, names);
        }
        QStringList defs, zeros;
        for (const QString& v : variables.value(key))
            defs << db::quoteIdentifier(v) + QStringLiteral(" CURRENCY");
        for (const char* f : {"收费金额", "加倍收费", "提高收费"})
            defs << db::quoteIdentifier(QString::fromUtf8(f)) + QStringLiteral(" CURRENCY");
        defs << db::quoteIdentifier(QStringLiteral("是否单独列为收费项目")) + QStringLiteral(" YESNO");
        for (qsizetype i = 0; i < defs.size(); ++i)
            zeros << QStringLiteral("0");
        const QString name = db::quoteIdentifier(QStringLiteral("WRW") + a[0] + a[1] + a[2]);
        const QByteArray create =
            QStringLiteral("CREATE TABLE %1 (%2)").arg(name, defs.join(QStringLiteral(", "))).toUtf8();
        const QByteArray insert =
            QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(name, zeros.join(QLatin1Char(','))).toUtf8();
        if (sqlite3_exec(out, create.constData(), nullptr, nullptr, nullptr) != SQLITE_OK ||
            sqlite3_exec(out, insert.constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "bare loop: %s\n", sqlite3_errmsg(out));
            break;
        }
    }
    sqlite3_finalize(tokens);
    sqlite3_exec(out, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(out);
    sqlite3_close(wrw);
    fsyncPath(transient, false);
    ::rename(QFile::encodeName(transient).constData(), QFile::encodeName(templ).constData());
    fsyncPath(dataFolder, true);
    bench::saveSetting(settings, QStringLiteral("ModifyDataGS"), QStringLiteral("0"));
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
    ui::Application app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    bench::makeCounty({.enterprises = 1500, .assignmentsPerEnterprise = 6});
    const QString data = files::dataFolder();
    const QString settings = bench::settingsCopy();

    const int repetitions = bench::repetitions(5);
    std::vector<double> mine, base;
    try {
        for (int i = 0; i < repetitions; ++i) {
            base.push_back(bareLoop(data, settings));
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
