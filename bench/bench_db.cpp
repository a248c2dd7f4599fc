// The database layer beside bare SQLite loops doing the same reads and writes, in the same run.
// Each figure is the median of several repetitions; one line a figure:
//   bench <name> ours_ms=<x> base_ms=<y> ratio=<x/y> target=<t>
// Arguments pick cases by name prefix (walk, add, batch, grid, tables, compact, memory); none runs all.
#include "bench_support.h"
#include "platform/convert/currency.h"
#include "platform/db/compact.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/ui/application.h"
#include "platform/ui/data_grid.h"
#include "platform/ui/recordset_model.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

QString folder; // the benchmark's own data folder

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Job {
    std::function<void()> prepare; // untimed, before each repetition
    std::function<void()> run;
};

// The jobs take turns, one repetition each, so that a busy moment of the machine falls on all of
// them alike; the median of each.
std::vector<double> interleaved(int reps, const std::vector<Job>& jobs)
{
    std::vector<std::vector<double>> times(jobs.size());
    for (int i = 0; i < reps; ++i) {
        for (std::size_t j = 0; j < jobs.size(); ++j) {
            if (jobs[j].prepare)
                jobs[j].prepare();
            const auto start = Clock::now();
            jobs[j].run();
            times[j].push_back(msSince(start));
        }
    }
    std::vector<double> medians;
    for (auto& t : times)
        medians.push_back(bench::median(t));
    return medians;
}

void check(sqlite3* db, int rc, const char* what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(db));
        std::exit(1);
    }
}

// Opened as the layer opens its files: used by one thread, without SQLite's locking of every call.
struct Bare {
    sqlite3* db = nullptr;
    explicit Bare(const QString& path, int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
    {
        check(db, sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr),
              "open");
        sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    }
    ~Bare() { sqlite3_close_v2(db); }
    void exec(const char* sql) { check(db, sqlite3_exec(db, sql, nullptr, nullptr, nullptr), sql); }
    void exec(const QString& sql) { exec(sql.toUtf8().constData()); }
};

// --- the enterprise-like table ------------------------------------------------------------------------------

constexpr int textColumns = 12, moneyColumns = 8;
const int textSizes[textColumns] = {20, 100, 100, 50, 50, 50, 50, 255, 50, 50, 20, 100};

QString dwSql(const QString& table)
{
    QList<db::ColumnDef> cols;
    for (int i = 0; i < textColumns; ++i)
        cols.append({QStringLiteral("T%1").arg(i), db::ColumnType::Text, textSizes[i], i == 0, i == 0, {}});
    for (int i = 0; i < moneyColumns; ++i)
        cols.append({QStringLiteral("M%1").arg(i), db::ColumnType::Currency, 0, false, false, {}});
    QStringList defs;
    for (const auto& c : cols)
        defs << db::columnSql(c);
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(db::quoteIdentifier(table), defs.join(QStringLiteral(", ")));
}

// The values of row `n`: texts of Latin and Chinese letters, amounts with fen.
struct RowData {
    std::vector<std::string> texts;
    std::vector<double> money;
    QVariantList variants;
};

RowData rowData(int n, int salt = 0)
{
    RowData r;
    for (int i = 0; i < textColumns; ++i) {
        std::string s;
        if (i == 0)
            s = std::to_string(1000000 + n);
        else if (i % 3 == 1)
            s = "环保企业" + std::to_string(n + salt) + "号";
        else
            s = "Field " + std::to_string(i) + "-" + std::to_string((n + salt) % 977);
        r.texts.push_back(s);
        r.variants << QString::fromStdString(s);
    }
    for (int i = 0; i < moneyColumns; ++i) {
        const long long units = static_cast<long long>((n + salt) % 100000) * 100 + i * 25;
        r.money.push_back(static_cast<double>(units) / 10000.0);
        r.variants << QVariant::fromValue(convert::Currency::fromUnits(units));
    }
    return r;
}

const char* insertSql(const char* table)
{
    static std::string s;
    s = std::string("INSERT INTO ") + table + " VALUES (";
    for (int i = 0; i < textColumns + moneyColumns; ++i)
        s += i ? ",?" : "?";
    s += ")";
    return s.c_str();
}

void bareInsert(sqlite3_stmt* st, const RowData& r)
{
    int k = 1;
    for (const std::string& t : r.texts)
        sqlite3_bind_text(st, k++, t.data(), static_cast<int>(t.size()), SQLITE_STATIC);
    for (double m : r.money)
        sqlite3_bind_double(st, k++, m);
    sqlite3_step(st);
    sqlite3_reset(st);
}

// A file with table dw of `rows` rows, made by bare SQLite.
QString makeDwFile(const QString& name, int rows)
{
    const QString path = folder + QLatin1Char('/') + name;
    QFile::remove(path);
    Bare b(path);
    b.exec(dwSql(QStringLiteral("dw")));
    b.exec("BEGIN");
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(b.db, insertSql("dw"), -1, &st, nullptr);
    for (int n = 0; n < rows; ++n)
        bareInsert(st, rowData(n));
    sqlite3_finalize(st);
    b.exec("COMMIT");
    return path;
}

// Reads every field of every row, as the layer's walk does; returns a sum so nothing is optimised away.
long long bareWalk(const QString& path)
{
    Bare b(path, SQLITE_OPEN_READWRITE);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(b.db, "SELECT * FROM dw", -1, &st, nullptr);
    long long sum = 0;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < n; ++i) {
            if (i < textColumns)
                sum += sqlite3_column_bytes(st, i) + (sqlite3_column_text(st, i) ? 1 : 0);
            else
                sum += static_cast<long long>(sqlite3_column_double(st, i));
        }
    }
    sqlite3_finalize(st);
    return sum;
}

long long walkRecordset(db::Recordset& rs)
{
    long long sum = 0;
    const int n = rs.fieldCount();
    while (!rs.isEOF()) {
        for (int i = 0; i < n; ++i) {
            const QVariant v = rs.value(i);
            sum += v.isValid() ? 1 : 0;
        }
        rs.moveNext();
    }
    return sum;
}

long long oursWalk(const QString& path, db::LockType lock = db::LockType::Optimistic)
{
    db::Connection cn;
    cn.openPath(path);
    auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM dw"), {}, lock);
    return walkRecordset(*rs);
}

volatile long long sink = 0;

// --- cases -------------------------------------------------------------------------------------------------

void caseWalk()
{
    for (int rows : {10000, 100000}) {
        const QString path = makeDwFile(QStringLiteral("walk%1.mdb").arg(rows), rows);
        const int reps = rows > 10000 ? 5 : 9;
        oursWalk(path); // warms the file cache for both
        const auto t = interleaved(reps,
                                   {{nullptr, [&] { sink = bareWalk(path); }},
                                    {nullptr, [&] { sink = oursWalk(path); }},
                                    {nullptr, [&] { sink = oursWalk(path, db::LockType::ForwardOnly); }}});
        const double base = t[0], ours = t[1], forward = t[2];
        const QByteArray name = QStringLiteral("recordset_walk_%1k").arg(rows / 1000).toUtf8();
        bench::printRatio(name.constData(), ours, base, "2");
        const QByteArray fname = QStringLiteral("forward_walk_%1k").arg(rows / 1000).toUtf8();
        bench::printRatio(fname.constData(), forward, base, "2");
    }
}

long long statusKb(const char* key)
{
    FILE* f = std::fopen("/proc/self/status", "r");
    char line[256];
    long long kb = -1;
    while (f && std::fgets(line, sizeof line, f))
        if (std::strncmp(line, key, std::strlen(key)) == 0)
            kb = std::atoll(line + std::strlen(key));
    if (f)
        std::fclose(f);
    return kb;
}

// The peak memory of opening and walking 100,000 rows, measured in a child process of its own, beside
// the size of the values themselves (text bytes, eight bytes a number).
void caseMemory()
{
    const QString path = makeDwFile(QStringLiteral("walk100000.mdb"), 100000);
    double valueBytes = 0;
    {
        Bare b(path, SQLITE_OPEN_READWRITE);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(b.db, "SELECT * FROM dw", -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                valueBytes += sqlite3_column_type(st, i) == SQLITE_TEXT ? sqlite3_column_bytes(st, i)
                    : sqlite3_column_type(st, i) == SQLITE_NULL         ? 0
                                                                        : 8;
        sqlite3_finalize(st);
    }
    // A process of its own, started afresh, so that no memory freed by earlier cases is reused.
    QProcess child;
    child.start(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget(), {QStringLiteral("--memory-child"), path});
    child.waitForFinished(120000);
    const long long grownKb = QString::fromLatin1(child.readAllStandardOutput()).trimmed().toLongLong();
    const double ours = grownKb / 1024.0, base = valueBytes / (1024.0 * 1024.0);
    std::printf("bench recordset_walk_100k_memory ours_mb=%.1f base_mb=%.1f ratio=%.2f target=2\n", ours, base,
                ours / base);
    std::fflush(stdout);
}

// Adding rows through a recordset inside a transaction, against prepared INSERTs.
void caseAdd()
{
    const int rows = 10000;
    const QString path = folder + QStringLiteral("/add.mdb");
    std::vector<RowData> data;
    for (int n = 0; n < rows; ++n)
        data.push_back(rowData(n));
    auto fresh = [&] {
        QFile::remove(path);
        Bare b(path);
        b.exec(dwSql(QStringLiteral("dw")));
    };
    auto bare = [&] {
        Bare b(path);
        b.exec("BEGIN");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(b.db, insertSql("dw"), -1, &st, nullptr);
        for (const RowData& r : data)
            bareInsert(st, r);
        sqlite3_finalize(st);
        b.exec("COMMIT");
    };
    auto ours = [&](db::LockType lock) {
        db::Connection cn;
        cn.openPath(path);
        cn.beginTransaction();
        auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM dw"), {}, lock);
        const int n = rs->fieldCount();
        for (const RowData& r : data) {
            rs->addNew();
            for (int i = 0; i < n; ++i)
                rs->setValue(i, r.variants[i]);
        }
        if (lock == db::LockType::Optimistic)
            rs->update();
        else
            rs->updateBatch();
        cn.commit();
    };
    const auto t = interleaved(
        7, {{fresh, bare}, {fresh, [&] { ours(db::LockType::Optimistic); }}, {fresh, [&] {
                                                                                  ours(db::LockType::BatchOptimistic);
                                                                              }}});
    bench::printRatio("recordset_add_10k_optimistic", t[1], t[0], "1.5");
    bench::printRatio("recordset_add_10k_batch", t[2], t[0], "1.5");
}

// Two fields changed in every row and written by updateBatch, against prepared UPDATEs by row id.
void caseBatch()
{
    double perRow10k = 0, bare10k = 0;
    for (int rows : {10000, 100000}) {
        const QString path = makeDwFile(QStringLiteral("batch%1.mdb").arg(rows), rows);
        // The 10k median is also the divisor of the growth figure: it gets more repetitions to steady it.
        const int reps = rows > 10000 ? 5 : 15;
        int salt = 0;
        db::Connection cn;
        cn.openPath(path);
        std::unique_ptr<db::Recordset> rs;
        const auto t = interleaved(
            reps,
            {
                {[&] { ++salt; },
                 [&] {
                     Bare b(path);
                     b.exec("BEGIN");
                     sqlite3_stmt* st = nullptr;
                     sqlite3_prepare_v2(b.db, "UPDATE dw SET T1 = ?, M0 = ? WHERE _rowid_ = ?", -1, &st, nullptr);
                     for (int n = 0; n < rows; ++n) {
                         const std::string text = "改过" + std::to_string(n + salt);
                         sqlite3_bind_text(st, 1, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
                         sqlite3_bind_double(st, 2, n + salt + 0.25);
                         sqlite3_bind_int64(st, 3, n + 1);
                         sqlite3_step(st);
                         sqlite3_reset(st);
                     }
                     sqlite3_finalize(st);
                     b.exec("COMMIT");
                 }},
                {[&] {
                     ++salt;
                     rs = cn.openRecordset(QStringLiteral("SELECT * FROM dw"), {}, db::LockType::BatchOptimistic);
                 },
                 [&] {
                     const int t1 = rs->fieldIndex(QStringLiteral("T1")), m0 = rs->fieldIndex(QStringLiteral("M0"));
                     int n = 0;
                     while (!rs->isEOF()) {
                         rs->setValue(t1, QString::fromStdString("改过" + std::to_string(n + salt)));
                         rs->setValue(m0,
                                      QVariant::fromValue(convert::Currency::fromUnits((n + salt) * 10000LL + 2500)));
                         rs->moveNext();
                         ++n;
                     }
                     rs->updateBatch();
                 }},
            });
        const double base = t[0], ours = t[1];
        rs.reset();
        const QByteArray name = QStringLiteral("update_batch_%1k").arg(rows / 1000).toUtf8();
        bench::printRatio(name.constData(), ours, base, "1.5");
        if (rows == 10000) {
            perRow10k = ours;
            bare10k = base;
        } else {
            bench::printRatio("update_batch_100k_vs_10k", ours, perRow10k, "11");
            // SQLite's own growth over the same sizes, for reading the figure above.
            bench::printRatio("update_batch_100k_vs_10k_bare", base, bare10k, "-");
        }
    }
}

// Walking 10,000 rows while a grid shows the recordset, against the same walk with no grid.
void caseGrid()
{
    const QString path = makeDwFile(QStringLiteral("walk10000.mdb"), 10000);
    db::Connection cn;
    cn.openPath(path);
    std::unique_ptr<db::Recordset> rs, plain;
    ui::RecordsetModel model;
    ui::DataGrid grid;
    grid.resize(800, 400);
    grid.show();
    const auto t = interleaved(9,
                               {
                                   {[&] { plain = cn.openRecordset(QStringLiteral("SELECT * FROM dw")); },
                                    [&] { sink = walkRecordset(*plain); }},
                                   {[&] {
                                        model.setRecordset(nullptr);
                                        rs = cn.openRecordset(QStringLiteral("SELECT * FROM dw"));
                                        model.setRecordset(rs.get());
                                        grid.setRecordsetModel(&model);
                                        QApplication::processEvents();
                                    },
                                    [&] {
                                        sink = walkRecordset(*rs);
                                        QApplication::processEvents();
                                    }},
                               });
    const double ours = t[1], walk10kOurs = t[0];
    bench::printRatio("grid_walk_10k", ours, walk10kOurs, "3");
    model.setRecordset(nullptr);
}

// 9,000 one-row tables of currency columns and a yes/no column.
QList<db::ColumnDef> dischargeColumns(int i)
{
    QList<db::ColumnDef> cols;
    const int variables = i % 5; // with the three fixed amounts: four to eight currency columns
    for (int v = 0; v < variables + 1; ++v)
        cols.append({QStringLiteral("变量%1").arg(v), db::ColumnType::Currency, 0, false, false, {}});
    for (const char* name : {"收费金额", "加倍收费", "提高收费"})
        cols.append({QString::fromUtf8(name), db::ColumnType::Currency, 0, false, false, {}});
    cols.append({QStringLiteral("是否单独列为收费项目"), db::ColumnType::YesNo, 0, false, false, {}});
    return cols;
}

QString tableName(int i)
{
    return QStringLiteral("WRW%1W%2%3").arg(1000 + i / 7).arg(i % 7).arg(i % 3 + 1);
}

void emptyDatabase(const QString& path)
{
    QFile::remove(path);
    Bare b(path);
    b.exec("CREATE TABLE x (a); DROP TABLE x;");
}

void caseTables()
{
    const int tables = 9000;
    const QString oursPath = folder + QStringLiteral("/tables_ours.mdb");
    const QString barePath = folder + QStringLiteral("/tables_bare.mdb");
    std::vector<QList<db::ColumnDef>> defs;
    for (int i = 0; i < tables; ++i)
        defs.push_back(dischargeColumns(i));
    auto bare = [&] {
        Bare b(barePath);
        b.exec("BEGIN");
        for (int i = 0; i < tables; ++i) {
            QStringList cols, zeros;
            for (const auto& c : defs[static_cast<std::size_t>(i)]) {
                cols << db::quoteIdentifier(c.name) +
                        (c.type == db::ColumnType::YesNo ? QStringLiteral(" YESNO") : QStringLiteral(" CURRENCY"));
                zeros << QStringLiteral("?");
            }
            const QString name = db::quoteIdentifier(tableName(i));
            b.exec(QStringLiteral("CREATE TABLE %1 (%2)").arg(name, cols.join(QStringLiteral(", "))));
            sqlite3_stmt* st = nullptr;
            const QByteArray insert =
                QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(name, zeros.join(QLatin1Char(','))).toUtf8();
            sqlite3_prepare_v2(b.db, insert.constData(), -1, &st, nullptr);
            for (int k = 1; k <= zeros.size(); ++k)
                sqlite3_bind_int(st, k, 0);
            sqlite3_step(st);
            sqlite3_finalize(st);
        }
        b.exec("COMMIT");
    };
    auto ours = [&] {
        db::Connection cn;
        cn.openPath(oursPath);
        cn.beginTransaction();
        for (int i = 0; i < tables; ++i) {
            const auto& cols = defs[static_cast<std::size_t>(i)];
            const QString name = tableName(i);
            cn.createTable(name, cols);
            QStringList marks;
            QVariantList zeros;
            for (const auto& c : cols) {
                marks << QStringLiteral("?");
                zeros << (c.type == db::ColumnType::YesNo ? QVariant(false)
                                                          : QVariant::fromValue(convert::Currency::fromUnits(0)));
            }
            cn.execute(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                           .arg(db::quoteIdentifier(name), marks.join(QLatin1Char(','))),
                       zeros);
        }
        cn.commit();
    };
    const auto t = interleaved(3, {{[&] { emptyDatabase(barePath); }, bare}, {[&] { emptyDatabase(oursPath); }, ours}});
    const double base = t[0];
    bench::printRatio("make_9000_tables", t[1], base, "1.5");

    const QByteArray probe = QStringLiteral("SELECT * FROM %1").arg(db::quoteIdentifier(tableName(4321))).toUtf8();
    const auto open =
        interleaved(11,
                    {
                        {nullptr,
                         [&] {
                             Bare b(barePath, SQLITE_OPEN_READWRITE);
                             sqlite3_stmt* st = nullptr;
                             check(b.db, sqlite3_prepare_v2(b.db, probe.constData(), -1, &st, nullptr), "probe");
                             sink = sqlite3_step(st);
                             sqlite3_finalize(st);
                         }},
                        {nullptr,
                         [&] {
                             db::Connection cn;
                             cn.openPath(oursPath);
                             sink = cn.scalar(QString::fromUtf8(probe)).isValid();
                         }},
                    });
    const double baseOpen = open[0], oursOpen = open[1];
    bench::printRatio("open_9000_tables", oursOpen, baseOpen, "1.3");
}

// Compacting a file of about 50 MB with a fifth of its pages free, against a bare SQLite connection
// playing back any journal, reading the free page count and vacuuming the file in place, as the
// program does under its lock files.
void caseCompact()
{
    const QString path = folder + QStringLiteral("/compact.mdb");
    const QString source = makeDwFile(QStringLiteral("compact_source.mdb"), 200000);
    {
        // Whole pages go free only where a run of rows goes: every fifth row alone frees none.
        Bare b(source);
        b.exec("DELETE FROM dw WHERE _rowid_ <= (SELECT max(_rowid_) / 5 FROM dw)");
    }
    auto fresh = [&] {
        QFile::remove(path);
        QFile::copy(source, path);
    };
    auto bare = [&] {
        Bare b(path, SQLITE_OPEN_READWRITE);
        sqlite3_busy_timeout(b.db, 5000);
        b.exec("PRAGMA journal_mode=DELETE");
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(b.db, "PRAGMA freelist_count", -1, &st, nullptr);
        const bool freePages = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_int64(st, 0) > 0;
        sqlite3_finalize(st);
        if (!freePages) {
            std::fprintf(stderr, "the compaction benchmark's file has no free pages\n");
            std::exit(1);
        }
        b.exec("VACUUM");
    };
    const auto t = interleaved(5, {{fresh, bare}, {fresh, [&] { db::compact(path, QStringLiteral("qelvbbk.mdb")); }}});
    const double base = t[0], ours = t[1];
    const double mb = QFileInfo(source).size() / (1024.0 * 1024.0);
    char name[64];
    std::snprintf(name, sizeof name, "compact_%.0fmb", mb);
    bench::printRatio(name, ours, base, "1.3");
}

} // namespace

// The child of caseMemory: opens and walks the file, then prints how far its memory grew, in KiB.
int memoryChild(const QString& path)
{
    db::Connection cn;
    cn.openPath(path);
    cn.scalar(QStringLiteral("SELECT count(*) FROM dw"));
    const long long before = statusKb("VmRSS:");
    auto rs = cn.openRecordset(QStringLiteral("SELECT * FROM dw"));
    sink = walkRecordset(*rs);
    std::printf("%lld\n", statusKb("VmHWM:") - before);
    return 0;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--memory-child") == 0) {
        QCoreApplication core(argc, argv);
        return memoryChild(QString::fromLocal8Bit(argv[2]));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::Application app(argc, argv);
    QTemporaryDir dir;
    folder = dir.path();
    const struct {
        const char* name;
        void (*run)();
    } cases[] = {
        {"walk", caseWalk}, {"memory", caseMemory}, {"add", caseAdd},         {"batch", caseBatch},
        {"grid", caseGrid}, {"tables", caseTables}, {"compact", caseCompact},
    };
    QStringList picked;
    for (int i = 1; i < argc; ++i)
        picked << QString::fromLocal8Bit(argv[i]);
    for (const auto& c : cases) {
        const QString name = QString::fromLatin1(c.name);
        if (picked.isEmpty() || std::any_of(picked.begin(), picked.end(), [&](const QString& p) {
                return name.startsWith(p) || p.startsWith(name);
            }))
            c.run();
    }
    return 0;
}
