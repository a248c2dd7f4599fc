// The payment notices of a month for 1,500 enterprises with 6 assignments each, late fees on, generated
// by the program (fee lines, late fees, detail sheets, headers), beside a bare SQLite loop that runs the
// same reads and inserts on the same files in one transaction. Every run generates the month again: it
// first sets back the late payments the run before it marked, as the program does. The growth lines
// are the program's run, then the bare loop's, at 4,000 enterprises beside 1,500.
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/files/files.h"
#include "platform/ui/application.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/notices/notice_generator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <array>
#include <map>
#include <QTemporaryDir>
#include <cstdio>
#include <sqlite3.h>
#include <string>
#include <vector>

namespace {

int enterprises = bench::countySize;
constexpr const char* target = "1.5";
const QDate month(2003, 5, 1);
const QDate invoiceDate(2003, 6, 20);
constexpr int graceDays = 10;
constexpr double rate = 0.0005;

QString dataPath(const QString& name)
{
    return files::dataFile(name);
}

struct Bare {
    sqlite3* db = nullptr;
    bool failed = false;

    sqlite3_stmt* prepare(const QString& sql)
    {
        sqlite3_stmt* st = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db, text.constData(), -1, &st, nullptr) != SQLITE_OK) {
            std::fprintf(stderr, "bare loop: %s\n", sqlite3_errmsg(db));
            failed = true;
        }
        return st;
    }
    static void text(sqlite3_stmt* st, int i, const QString& s)
    {
        const QByteArray b = s.toUtf8();
        sqlite3_bind_text(st, i, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    }
    static QString column(sqlite3_stmt* st, int i)
    {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i)));
    }
};

struct Assignment {
    QString table, name;
    int outlet;
};

// An assignment's record as read, once, for its fees and its detail row: its columns and values.
struct Record {
    bool row = false;
    QStringList names;
    std::vector<double> values;
};

// An assignment as the fee lines take it: its table, calculation category and outlet.
struct Charged {
    QString table;
    int kind, outlet;
};

double bareLoop(int* notices)
{
    QElapsedTimer t;
    t.start();
    Bare b;
    sqlite3_open(dataPath(dataFiles::monthNotices(month)).toUtf8().constData(), &b.db);
    const auto attach = [&b](const QString& name, const char* as) {
        const QString sql = QStringLiteral("ATTACH DATABASE '%1' AS %2").arg(dataPath(name), QString::fromLatin1(as));
        sqlite3_exec(b.db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    };
    attach(QString::fromLatin1(dataFiles::enterprises), "dwf");
    attach(dataFiles::monthData(month), "md");
    attach(dataFiles::billing(month.year()), "kz");
    attach(QString::fromLatin1(dataFiles::lateFeeLedgers), "znj");
    sqlite3_exec(b.db, "DELETE FROM MX; DELETE FROM tzdw; DELETE FROM WuRanWuMingXi; BEGIN", nullptr, nullptr, nullptr);
    // The marks of the run before, set back where the ledger still shows them, and their list emptied.
    {
        sqlite3_stmt* listed = b.prepare(QStringLiteral("select * from YiShouZNJ order by rowid"));
        QString enterprise;
        sqlite3_stmt* back = nullptr;
        while (sqlite3_step(listed) == SQLITE_ROW) {
            if (Bare::column(listed, 0) != enterprise) {
                enterprise = Bare::column(listed, 0);
                sqlite3_finalize(back);
                back = nullptr;
                const QByteArray table = QStringLiteral("ZNJ%1").arg(enterprise).toUtf8();
                if (sqlite3_table_column_metadata(b.db, "znj", table.constData(), nullptr, nullptr, nullptr, nullptr,
                                                  nullptr, nullptr) == SQLITE_OK)
                    back = b.prepare(QStringLiteral("Update znj.\"ZNJ%1\" Set ZNJYiShou = 0 Where ZNJYiShou <> 0 AND "
                                                    "FaPiaoBianHao = ? AND (date(KaiPiaoRiQi) = date(?) OR "
                                                    "(KaiPiaoRiQi IS NULL AND ? IS NULL))")
                                         .arg(enterprise));
            }
            if (!back)
                continue;
            sqlite3_reset(back);
            Bare::text(back, 1, Bare::column(listed, 1));
            Bare::text(back, 2, Bare::column(listed, 2).left(10));
            Bare::text(back, 3, Bare::column(listed, 2).left(10));
            sqlite3_step(back);
        }
        sqlite3_finalize(back);
        sqlite3_finalize(listed);
        sqlite3_exec(b.db, "Delete from YiShouZNJ", nullptr, nullptr, nullptr);
    }
    // The assignments once: by enterprise and category for the fees, by enterprise for the details.
    QHash<QString, QList<Charged>> tables;
    QHash<QString, QList<Assignment>> byEnterprise;
    {
        sqlite3_stmt* all = b.prepare(QStringLiteral(
            "select DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, PaiWuKou, FenLei from dwf.dwwrw "
            "order by PaiWuKou, ID"));
        while (sqlite3_step(all) == SQLITE_ROW) {
            const QString table = QStringLiteral("md.\"WRW%1%2%3\"")
                                      .arg(Bare::column(all, 0), Bare::column(all, 1), Bare::column(all, 4));
            tables[Bare::column(all, 0) + QLatin1Char('\n') + Bare::column(all, 5)]
                << Charged{table, sqlite3_column_int(all, 3), sqlite3_column_int(all, 4)};
        }
        sqlite3_finalize(all);
        sqlite3_stmt* byId = b.prepare(QStringLiteral("select ID, DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, "
                                                      "LeiXing, PaiWuKou from dwf.dwwrw order by ID"));
        while (sqlite3_step(byId) == SQLITE_ROW)
            byEnterprise[Bare::column(byId, 1)]
                << Assignment{QStringLiteral("md.\"WRW%1%2%3\"")
                                  .arg(Bare::column(byId, 1), Bare::column(byId, 2), Bare::column(byId, 5)),
                              Bare::column(byId, 3), sqlite3_column_int(byId, 5)};
        sqlite3_finalize(byId);
    }
    sqlite3_stmt* reg =
        b.prepare(QStringLiteral("select LowLever, DanWeiQuangCheng from dwf.dw where DanWeiBianHao = ?"));
    sqlite3_stmt* kz = b.prepare(QStringLiteral("select M5B, M5N from kz.KPKZK where DanWeiBianHao = ?"));
    sqlite3_stmt* known =
        b.prepare(QStringLiteral("select DanWeiBianHao, DanWeiQuangCheng from dwf.dw where DanWeiBianHao = ?"));
    sqlite3_stmt* remark =
        b.prepare(QStringLiteral("select M5B from kz.KPKZK where DanWeiBianHao = ? and M5 = 1 and M5B is not null"));
    sqlite3_stmt* line =
        b.prepare(QStringLiteral("Insert Into MX (ID,DanWeiBianHao,序号,项目,金额) Values (?,?,?,?,?)"));
    sqlite3_stmt* detail = b.prepare(QStringLiteral(
        "Insert Into WuRanWuMingXi (DanWeiBianHao,PaiWuKou,WuRanWuMingCheng,WuRanWuShuJu) Values (?,?,?,?)"));
    sqlite3_stmt* mark = b.prepare(QStringLiteral(
        "Insert into YiShouZNJ (DanWeiBianHao, FaPiaoBianHao, KaiPiaoRiQi, FaPiao, YuanFaPiaoBianHao, YuanKaiPiaoRiQi, "
        "YuanFaPiaoJinE, YuanZNJ, FaPiaoJinE, ZNJ) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    sqlite3_stmt* head = b.prepare(QStringLiteral(
        "Insert Into tzdw (DanWeiBianHao,DanWeiQuangCheng,FaLvFaGui,YingJiaoKuang,NianYueQiKuangMingXi,"
        "NianYueJiaoKuangMingXi,JiaoKuangQiXian,KaiHuiYinHang,ZhangHao,YiYi,DianHua,ShouKuanDanWei,TongZhiRiQi,"
        "JingBanRen,JiaoDuiRen) Values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    const QStringList categories{QStringLiteral("废水"), QStringLiteral("废气"), QStringLiteral("废渣"),
                                 QStringLiteral("噪声"), QStringLiteral("其它")};
    const QString cutOff = invoiceDate.addDays(-graceDays).toString(Qt::ISODate);
    int id = 0;
    *notices = 0;
    QHash<QString, Record> records;
    const auto recordOf = [&b, &records](const QString& table) -> const Record& {
        auto it = records.find(table);
        if (it != records.end())
            return *it;
        Record r;
        sqlite3_stmt* w = b.prepare(QStringLiteral("select * from %1").arg(table));
        r.row = sqlite3_step(w) == SQLITE_ROW;
        for (int c = 0; c < sqlite3_column_count(w); ++c) {
            r.names << QString::fromUtf8(sqlite3_column_name(w, c));
            if (r.row)
                r.values.push_back(sqlite3_column_double(w, c));
        }
        sqlite3_finalize(w);
        return *records.insert(table, r);
    };
    for (int e = 1; e <= enterprises && !b.failed; ++e) {
        const QString number = bench::enterpriseNumber(e);
        records.clear();
        double total = 0;
        int lines = 0;
        // The fee lines as the notices have them: per category the separate items, then the category's
        // charge (calculation category 1 added up, any other the largest per outlet); the doubled and
        // raised charges on lines of their own.
        double doubled = 0, raised = 0;
        for (const QString& c : categories) {
            double charges = 0;
            std::map<std::pair<int, int>, std::array<double, 3>> largest;
            for (const Charged& a : tables.value(number + QLatin1Char('\n') + c)) {
                const Record& w = recordOf(a.table);
                if (w.row) {
                    // The fee columns close the record: charge, doubled, raised, a fee item of its own.
                    const std::size_t fees = w.values.size() - 4;
                    const double charge = w.values[fees], twice = w.values[fees + 1], more = w.values[fees + 2];
                    if (a.kind == 1) {
                        if (w.values[fees + 3] != 0) {
                            total += charge;
                            if (charge > 0)
                                ++lines;
                        } else {
                            charges += charge;
                        }
                        doubled += twice;
                        raised += more;
                    } else {
                        auto& cell = largest[{a.kind, a.outlet}];
                        if (cell[0] + cell[1] + cell[2] < charge + twice + more)
                            cell = {charge, twice, more};
                    }
                }
            }
            for (const auto& [key, cell] : largest) {
                charges += cell[0];
                doubled += cell[1];
                raised += cell[2];
            }
            total += charges;
            if (charges > 0)
                ++lines;
        }
        total += doubled + raised;
        lines += (doubled > 0 ? 1 : 0) + (raised > 0 ? 1 : 0);
        QString name;
        sqlite3_reset(reg);
        Bare::text(reg, 1, number);
        if (sqlite3_step(reg) == SQLITE_ROW)
            name = Bare::column(reg, 1);
        sqlite3_reset(kz);
        Bare::text(kz, 1, number);
        sqlite3_step(kz);

        const QString ledger = QStringLiteral("znj.\"ZNJ%1\"").arg(number);
        double unpaid = 0, fee = 0;
        bool overdueRows = false;
        sqlite3_stmt* overdue = b.prepare(
            QStringLiteral("Select * from %1 Where DaoZhangQingKuang=0 AND PiaoJuLeiXing=0 and KaiPiaoRiQi <= ?")
                .arg(ledger));
        Bare::text(overdue, 1, cutOff);
        while (sqlite3_step(overdue) == SQLITE_ROW) {
            overdueRows = true;
            unpaid += sqlite3_column_double(overdue, 3);
        }
        sqlite3_finalize(overdue);
        if (overdueRows) {
            sqlite3_stmt* earlier = b.prepare(
                QStringLiteral("Select * from %1 where KaiPiaoRiQi < ? Order By KaiPiaoRiQi ASC").arg(ledger));
            Bare::text(earlier, 1, invoiceDate.toString(Qt::ISODate));
            QDate latest;
            while (sqlite3_step(earlier) == SQLITE_ROW)
                latest = QDate::fromString(Bare::column(earlier, 0).left(10), Qt::ISODate);
            sqlite3_finalize(earlier);
            fee = unpaid * std::max<qint64>(0, latest.daysTo(invoiceDate) - graceDays) * rate;
            // The late payments charged now, marked in the ledger and listed for the next run.
            sqlite3_stmt* paid = b.prepare(
                QStringLiteral("Select * from %1 Where DaoZhangQingKuang=1 AND PiaoJuLeiXing=0 and ZNJYiShou =0")
                    .arg(ledger));
            bool paidRows = false;
            while (sqlite3_step(paid) == SQLITE_ROW) {
                paidRows = true;
                const QDate invoiced = QDate::fromString(Bare::column(paid, 0).left(10), Qt::ISODate);
                const QDate paidOn = QDate::fromString(Bare::column(paid, 5).left(10), Qt::ISODate);
                fee += std::max<qint64>(0, invoiced.daysTo(paidOn) - graceDays) * rate * sqlite3_column_double(paid, 3);
                sqlite3_reset(mark);
                Bare::text(mark, 1, number);
                Bare::text(mark, 2, Bare::column(paid, 1));
                Bare::text(mark, 3, invoiced.toString(Qt::ISODate));
                sqlite3_bind_int(mark, 4, 0);
                for (int c = 5; c <= 10; ++c)
                    sqlite3_bind_null(mark, c);
                sqlite3_step(mark);
            }
            sqlite3_finalize(paid);
            if (paidRows) {
                sqlite3_stmt* marked = b.prepare(
                    QStringLiteral(
                        "Update %1 Set ZNJYiShou = 1 Where DaoZhangQingKuang=1 AND PiaoJuLeiXing=0 and ZNJYiShou =0")
                        .arg(ledger));
                sqlite3_step(marked);
                sqlite3_finalize(marked);
            }
            if (fee > 0)
                ++lines;
        }
        total += fee;
        for (int n = 1; n <= lines; ++n) {
            sqlite3_reset(line);
            sqlite3_bind_int(line, 1, ++id);
            Bare::text(line, 2, number);
            Bare::text(line, 3, QString::number(n));
            Bare::text(line, 4, QStringLiteral("废水收费(2003年05月)"));
            Bare::text(line, 5, QString::number(total / lines, 'f', 2));
            sqlite3_step(line);
        }

        // The detail sheet: the enterprise known, its period remark, each assignment's record.
        sqlite3_reset(known);
        Bare::text(known, 1, number);
        sqlite3_step(known);
        sqlite3_reset(remark);
        Bare::text(remark, 1, number);
        const QString period = sqlite3_step(remark) == SQLITE_ROW
            ? QStringLiteral("(%1)").arg(Bare::column(remark, 0))
            : QString();
        // A record without figures (its first two columns zero) gives no row.
        for (const Assignment& a : byEnterprise.value(number)) {
            const Record& w = recordOf(a.table);
            if (!w.row || (w.values[0] == 0 && w.values[1] == 0))
                continue;
            QString text;
            for (std::size_t c = 0; c < w.values.size() - 4; ++c)
                text += w.names[c] + QLatin1Char(':') + QString::number(w.values[c]) + QLatin1Char(',');
            sqlite3_reset(detail);
            Bare::text(detail, 1, number);
            sqlite3_bind_int(detail, 2, a.outlet);
            Bare::text(detail, 3, a.name);
            Bare::text(detail, 4, text.left(text.size() - 1) + QLatin1Char(' ') + period);
            sqlite3_step(detail);
        }

        if (total > 0) {
            sqlite3_reset(head);
            Bare::text(head, 1, number);
            Bare::text(head, 2, name);
            for (int c = 3; c <= 15; ++c)
                Bare::text(head, c, QStringLiteral("2003年05月应缴纳排污费人民币壹佰元整"));
            sqlite3_step(head);
            ++*notices;
        }
        sqlite3_reset(line);
        sqlite3_bind_int(line, 1, ++id);
        Bare::text(line, 2, number);
        Bare::text(line, 3, QStringLiteral("合计"));
        Bare::text(line, 4, QStringLiteral("壹佰元整"));
        Bare::text(line, 5, QString::number(total, 'f', 2));
        sqlite3_step(line);
    }
    sqlite3_exec(b.db, "COMMIT", nullptr, nullptr, nullptr);
    for (sqlite3_stmt* st : {reg, kz, known, remark, line, detail, mark, head})
        sqlite3_finalize(st);
    sqlite3_close(b.db);
    return t.nsecsElapsed() / 1e6;
}

// The rows a run left in the notice print file: fee lines, headers, detail rows, late payments listed.
QString rowCounts()
{
    sqlite3* db = nullptr;
    sqlite3_open(dataPath(dataFiles::monthNotices(month)).toUtf8().constData(), &db);
    QString counts;
    for (const char* table : {"MX", "tzdw", "WuRanWuMingXi", "YiShouZNJ"}) {
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db, (std::string("select count(*) from ") + table).c_str(), -1, &st, nullptr);
        counts += QStringLiteral(" %1=%2").arg(QString::fromLatin1(table))
                      .arg(sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int(st, 0) : -1);
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return counts;
}

double ours(int* notices)
{
    QList<notices::ListedEnterprise> list;
    for (int e = 1; e <= enterprises; ++e)
        list << notices::ListedEnterprise{bench::enterpriseNumber(e), QStringLiteral("单位%1").arg(e), false};
    QElapsedTimer t;
    t.start();
    auto runFiles = notices::RunFiles::open(month);
    int detailErrors = 0;
    notices::NoticeGenerator generator(*runFiles, notices::RunState::fromModule1(), notices::NoticeTexts{}, {},
                                       [&detailErrors](const QString&) { ++detailErrors; });
    const notices::RunResult result = generator.run(list, false);
    const double ms = t.nsecsElapsed() / 1e6;
    *notices = result.notices;
    if (detailErrors > 0)
        std::fprintf(stderr, "%d detail sheets failed\n", detailErrors);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    ui::Application app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    bench::startRun(month, invoiceDate, graceDays, static_cast<float>(rate));
    const QString pristine = dir.path() + QStringLiteral("/ledgers.db");
    // The month as a run of the program leaves it: the files with their look-up indexes, the late
    // payments of that run listed, for every timed run to set back.
    int warmUp = 0;
    const auto makeMonth = [&pristine, &warmUp] {
        bench::makeMonthWith(
            bench::County{.enterprises = enterprises, .assignmentsPerEnterprise = 6, .figures = true}, month,
            QString::fromLatin1(dataFiles::noticeTemplate), dataFiles::monthNotices(month), pristine);
        bench::restoreLedgers(pristine);
        ours(&warmUp);
    };
    try {
        makeMonth();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }

    std::vector<double> mine, base;
    int ourNotices = 0, bareNotices = 0;
    try {
        for (int i = 0; i < bench::repetitions(5); ++i) {
            bench::restoreLedgers(pristine);
            base.push_back(bareLoop(&bareNotices));
            const QString bareRows = rowCounts();
            bench::restoreLedgers(pristine);
            mine.push_back(ours(&ourNotices));
            if (rowCounts() != bareRows)
                std::fprintf(stderr, "rows: ours%s, bare loop%s\n", rowCounts().toUtf8().constData(),
                             bareRows.toUtf8().constData());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    if (ourNotices != enterprises || bareNotices != enterprises)
        std::fprintf(stderr, "notices: ours %d, bare loop %d, of %d enterprises\n", ourNotices, bareNotices,
                     enterprises);
    // The same month of a county of 4,000.
    std::vector<double> larger, largerBase;
    try {
        enterprises = bench::largerCounty;
        makeMonth();
        for (int i = 0; i < bench::repetitions(5); ++i) {
            bench::restoreLedgers(pristine);
            largerBase.push_back(bareLoop(&bareNotices));
            bench::restoreLedgers(pristine);
            larger.push_back(ours(&ourNotices));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    const double x = bench::median(mine), y = bench::median(base);
    bench::printRatio("notices", x, y, target);
    bench::printGrowth("notices", bench::median(larger), x);
    // The bare loop's own growth over the same files: every statement on an assignment's table finds
    // it in SQLite's schema hash, whose chains lengthen with the county.
    bench::printRatio("notices_bare_growth", bench::median(largerBase), y, "-");
    return 0;
}
