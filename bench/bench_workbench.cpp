// The monthly workbench over counties of 1,500, 4,000 and 15,000 enterprises with 6 assignments each,
// its month file copied from the discharge template, the window shown and painted as the operator sees
// it:
//
//     bench workbench_next_enterprise        a move to the next enterprise, its first show of the year
//                                            (which makes its billing row and its late-fee ledger)
//     bench workbench_next_enterprise_again  the same enterprises again
//     bench workbench_next_assignment        a move to the next assignment
//         each painted, the median of many moves, beside a bare loop making the same reads and writes
//         on open SQLite handles (the billing rows and ledgers in copies of their files, taken before
//         the moves) and painting the same texts with a bare QPainter
//     bench workbench_copy_latest            复制最新数据, and 复制指定月份数据 (workbench_copy_month), beside
//                                            a durable copy of the same file, the same reads and the
//                                            same setting saved
//     bench workbench_move_*                 each move at 1,500 and at 15,000 enterprises (under 30 ms)
//     bench startup_15000                    the login's OK to the main window at 15,000 (under 10 s)
//     bench workbench_open_growth            opening the window, and each month-file command
//     bench workbench_copy_latest_growth     (..._growth): the time at 4,000 enterprises beside the time
//     bench workbench_copy_month_growth      at 1,500 (at most 3.0 times; linear is 2.67)
//     bench workbench_copy_bare_growth       the bare durable copy and reads, 4,000 beside 1,500
//     bench month_file_schema_load_growth    a bare connection's first statement on the month file, at
//                                            4,000 beside 1,500: SQLite loading the schema, the floor
//                                            under the three lines above
//     bench workbench_open_beyond_schema_growth  the window's opening less that load, 4,000 beside 1,500
//
// QELV_BENCH_NO_TEN_TIMES=1 leaves out the county of 15,000 (it takes minutes to make) and its lines.
#include "bench/bare_sqlite.h"
#include "bench/startup_run.h"
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "platform/ui/application.h"
#include "platform/ui/dialogs.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/frmKaiPiao.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr double moveLimitMs = 30;
constexpr double startupLimitMs = 10000;
const QDate june(2003, 6, 1);
const QDate may(2003, 5, 1);

QString monthFile(const QDate& month)
{
    return files::dataFile(dataFiles::monthData(month));
}

// The window painted now, as the screen would show it after a command.
void paint(QWidget& w)
{
    QCoreApplication::sendPostedEvents();
    w.repaint();
}

// What the window paints of a move, with a bare painter: its captions and headings, the rows of the
// enterprise list in view, the enterprise's assignments, its billing row and the assignment's
// discharge row with its headings, and the names in the label and the status line.
struct BarePainter {
    QImage image;
    QStringList captions;
    explicit BarePainter(const QSize& size)
        : image(size, QImage::Format_ARGB32_Premultiplied)
    {
        for (const char* c : {"排污单位及排放污染物", "排污单位", "单位编号", "单位全称 ", "单位污染物", "污染物编号",
                              "污染物名称 ", "排污口", "开票控制", "6月", "几个月", "6月注释", "复制指定月份数据",
                              "复制最新数据", "打印开票单位数据", "排污数据", "状态"})
            captions << QString::fromUtf8(c);
    }
    void paint(const QStringList& texts)
    {
        image.fill(Qt::white);
        QPainter p(&image);
        int y = 0;
        for (const QStringList* list : std::initializer_list<const QStringList*>{&captions, &texts})
            for (const QString& t : *list) {
                p.drawRect(0, y, 200, 18);
                p.drawText(QRect(2, y, 196, 18), Qt::AlignLeft | Qt::AlignVCenter, t);
                y = (y + 18) % image.height();
            }
    }
};

// The files a bare loop reads and writes: the month's, and the year's billing file and the ledger file.
// For the moves, copies of the latter two taken beside the program's before the window moves, so that
// each enterprise shown for the first time is new to the bare loop too and gets its row and its ledger
// there, as in the program's files.
struct BareFiles {
    QString month, billing, ledgers;
};

BareFiles programFiles(const QString& month)
{
    return {month, files::dataFile(dataFiles::billing(june.year())),
            files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers))};
}

BareFiles copiesBeside(const QString& month)
{
    const BareFiles program = programFiles(month);
    const BareFiles copies{month, program.billing + QStringLiteral(".bare"), program.ledgers + QStringLiteral(".bare")};
    for (const auto& [from, to] :
         {std::pair{program.billing, copies.billing}, std::pair{program.ledgers, copies.ledgers}}) {
        QFile::remove(to);
        QFile::copy(from, to);
    }
    return copies;
}

// The same reads and writes as a move, on SQLite connections kept open, with the program's file settings.
struct BareReads {
    bare::Connection dw, znj;
    std::unique_ptr<bare::Connection> kz, month;
    // The assignments and the list read once, as the window's related recordsets hold them.
    QHash<QString, QList<QStringList>> assignments;
    QStringList numbers; // the list's order
    QHash<QString, int> positions;
    QHash<QString, QString> names;
    int rowsInView = 1;

    explicit BareReads(const BareFiles& paths)
        : dw(files::dataFile(QString::fromLatin1(dataFiles::enterprises))),
          znj(paths.ledgers),
          kz(std::make_unique<bare::Connection>(paths.billing)),
          month(std::make_unique<bare::Connection>(paths.month)),
          paths_(paths)
    {
        bare::Statement st(dw,
                           QStringLiteral("select DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, PaiWuKou "
                                          "from dwwrw order by WuRanWuBianHao"));
        while (st.step())
            assignments[st.text(0)] << QStringList{st.text(1), st.text(2), st.text(3)};
        bare::Statement list(dw,
                             QStringLiteral("select DanWeiBianHao, DanWeiQuangCheng from dw order by DanWeiBianHao"));
        while (list.step()) {
            positions.insert(list.text(0), int(numbers.size()));
            numbers << list.text(0);
            names.insert(list.text(0), list.text(1));
        }
    }
    // The first row of a query with one bound text, or nothing; with `headings`, its column names first.
    static QStringList first(bare::Connection& db, const QString& sql, const QString& bound = QString(),
                             bool headings = false)
    {
        bare::Statement st(db, sql);
        if (!bound.isNull())
            st.bind(1, bound);
        QStringList row;
        if (headings)
            for (int c = 0; c < st.columnCount(); ++c)
                row << st.columnName(c);
        if (st.step())
            for (int c = 0; c < st.columnCount(); ++c)
                row << st.text(c);
        return row;
    }
    QStringList billingRow(const QString& number)
    {
        return first(*kz,
                     QStringLiteral("Select DanWeiBianHao as 单位编号, M6 AS [6月],M6N AS [几个月], M6B AS [6月注释] "
                                    "FROM KPKZK where DanWeiBianHao=?"),
                     number);
    }
    // The rows of the list in view, the enterprise's at the bottom.
    QStringList listInView(const QString& number) const
    {
        QStringList shown;
        const int at = positions.value(number);
        for (int i = std::max(0, at - rowsInView + 1); i <= at; ++i)
            shown << numbers[i] << names.value(numbers[i]);
        return shown;
    }
    // An enterprise move: its billing row (made on its first show), its ledger (the same), and the move
    // to its first assignment.
    QStringList enterprise(const QString& number)
    {
        QStringList shown = listInView(number);
        shown << names.value(number);
        const QString ledger = QStringLiteral("ZNJ") + number;
        if (!znj.hasTable(ledger))
            znj.exec(QStringLiteral("CREATE TABLE \"%1\" (\"KaiPiaoRiQi\" DATETIME, \"FaPiaoBianHao\" TEXT(50) COLLATE "
                                    "NOCASE, \"FaPiaoJinE\" CURRENCY, \"ShouFeiJinE\" CURRENCY, \"DaoZhangQingKuang\" "
                                    "BYTE, \"DaoZhangRiQi\" DATETIME, \"PiaoJuLeiXing\" BYTE, \"ZNJYiShou\" BYTE)")
                         .arg(ledger));
        QStringList row = billingRow(number);
        if (row.isEmpty()) {
            if (first(*kz, QStringLiteral("select 1 from KPKZK where DanWeiBianHao = ?"), number).isEmpty())
                bare::Statement(*kz, QStringLiteral("Insert Into kpkzk (DanWeiBianHao) Values (?)"))
                    .bind(1, number)
                    .run();
            row = billingRow(number);
        }
        shown << row;
        const QList<QStringList> own = assignments.value(number);
        for (const QStringList& a : own)
            shown << a;
        if (!own.isEmpty())
            shown << assignment(number, own.first());
        return shown;
    }
    // After a month-file command: the billing file and the month's file opened anew, the billing row
    // and the first assignment's row read.
    QStringList rebind(const QString& number)
    {
        kz.reset();
        month.reset();
        kz = std::make_unique<bare::Connection>(paths_.billing);
        month = std::make_unique<bare::Connection>(paths_.month);
        QStringList shown = listInView(number);
        shown << billingRow(number);
        const QList<QStringList> own = assignments.value(number);
        for (const QStringList& a : own)
            shown << a;
        if (!own.isEmpty())
            shown << assignment(number, own.first());
        return shown;
    }
    // An assignment move: its table found (it is there), its row read with its headings, the status line.
    QStringList assignment(const QString& number, const QStringList& a)
    {
        const QString table = QStringLiteral("WRW") + number + a[0] + a[2];
        month->hasTable(table);
        QStringList shown =
            first(*month, QStringLiteral("select * from %1").arg(db::quoteIdentifier(table)), QString(), true);
        shown << QStringLiteral("  污染物: ") + names.value(number) + QStringLiteral("->") + a[1];
        return shown;
    }

private:
    BareFiles paths_;
};

// A month-file command without the program: the file copied beside the month's file, on disk, renamed
// over it and the folder on disk; then the reads of the window bound again and the command's setting
// saved (see copyCommands).
void durableCopy(const QString& from, const QString& to)
{
    const QString partial = to + QStringLiteral(".copying");
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY);
    const int out = ::open(QFile::encodeName(partial).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(1 << 16);
    for (ssize_t n; (n = ::read(in, buffer.data(), buffer.size())) > 0;)
        if (::write(out, buffer.data(), static_cast<size_t>(n)) != n)
            break;
    ::fsync(out);
    ::close(out);
    ::close(in);
    ::rename(QFile::encodeName(partial).constData(), QFile::encodeName(to).constData());
    const int dir = ::open(QFile::encodeName(QFileInfo(to).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    ::fsync(dir);
    ::close(dir);
}

struct County {
    int enterprises = 0;
    bool made = false;
};

void makeCounty(int enterprises)
{
    bench::makeCounty({.enterprises = enterprises, .assignmentsPerEnterprise = 6});
    {
        db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        db::Connection wrw(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
        discharge::buildTemplate(dw, wrw);
    }
    const QString tmpl = files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate));
    files::copy(tmpl, monthFile(june));
    files::copy(tmpl, monthFile(may));
    // A new county starts the year afresh: no billing rows, no ledgers.
    for (const QString& name : {dataFiles::billing(june.year()), QString::fromLatin1(dataFiles::lateFeeLedgers)})
        if (files::exists(files::dataFile(name)))
            files::remove(files::dataFile(name));
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::blankDatabase)),
                files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)));
}

// Opening the window as the main window does, until it is painted.
double openWindow()
{
    return bench::timedMs([] {
        frmKaiPiao w;
        w.show();
        paint(w);
    });
}

// What any SQLite connection pays for the month's file before its first row: its first statement
// loads the whole schema, one table per assignment. SQLite's table hash stops growing at 64 buckets,
// so this part grows with the square of the county whatever the program does.
double bareSchemaLoad()
{
    const QByteArray path = QFile::encodeName(monthFile(june));
    return bench::timedMs([&] {
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
            sqlite3_exec(db, "select 1 from sqlite_master limit 1", nullptr, nullptr, nullptr) != SQLITE_OK)
            std::fprintf(stderr, "bare schema load: %s\n", sqlite3_errmsg(db));
        sqlite3_close(db);
    });
}

struct CopyTimes {
    double latest = 0, another = 0, base = 0;
};

CopyTimes copyCommands(frmKaiPiao& w, int repetitions)
{
    const QString tmpl = files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate));
    const QString settings = bench::settingsCopy();
    std::vector<double> latest, another, base;
    for (int i = 0; i < repetitions; ++i) {
        latest.push_back(bench::timedMs([&] {
            w.Command6_Click();
            paint(w);
        }));
        ui::testing::answerInput(QStringLiteral("2003-05"));
        another.push_back(bench::timedMs([&] {
            w.Command5_Click();
            paint(w);
        }));
        const QString number = w.enterprises()->value(QStringLiteral("DanWeiBianHao")).toString();
        const QString copy = monthFile(june) + QStringLiteral(".bare");
        if (!QFile::exists(copy))
            durableCopy(tmpl, copy);
        BareReads bare(programFiles(copy));
        bare.rowsInView = w.DataGrid1->viewport()->height() / w.DataGrid1->verticalHeader()->defaultSectionSize() + 1;
        BarePainter painter(w.size());
        base.push_back(bench::timedMs([&] {
            durableCopy(tmpl, copy);
            painter.paint(bare.rebind(number));
            bench::saveSetting(settings, QStringLiteral("ModifyDataDWWRW"), QStringLiteral("0"));
        }));
    }
    QFile::remove(monthFile(june) + QStringLiteral(".bare"));
    QFile::remove(settings);
    return {bench::median(latest), bench::median(another), bench::median(base)};
}

struct Moves {
    std::vector<double> firstShow, firstShowBase, again, againBase, assignment, assignmentBase;
};

Moves moves(frmKaiPiao& w, int count)
{
    Moves m;
    const BareFiles copies = copiesBeside(monthFile(june));
    {
        BareReads bare(copies);
        bare.rowsInView = w.DataGrid1->viewport()->height() / w.DataGrid1->verticalHeader()->defaultSectionSize() + 1;
        BarePainter painter(w.size());
        const auto enterpriseMoves = [&](std::vector<double>& ours, std::vector<double>& base) {
            for (int i = 0; i < count; ++i) {
                ours.push_back(bench::timedMs([&] {
                    w.Command2_Click();
                    paint(w);
                }));
                const QString number = w.enterprises()->value(QStringLiteral("DanWeiBianHao")).toString();
                base.push_back(bench::timedMs([&] { painter.paint(bare.enterprise(number)); }));
            }
        };
        enterpriseMoves(m.firstShow, m.firstShowBase);
        // The same enterprises again: their rows and ledgers are there now.
        w.Command4_Click();
        enterpriseMoves(m.again, m.againBase);
        // The enterprise's billing row as its move read it: an assignment's move reads it no more.
        QString shownNumber;
        QStringList billingRow;
        for (int i = 0; i < count; ++i) {
            // Five moves through an enterprise's six assignments, then on to the next enterprise.
            if (i % 5 == 0)
                w.Command2_Click();
            m.assignment.push_back(bench::timedMs([&] {
                w.cmdNext_Click();
                paint(w);
            }));
            db::Recordset* ad = w.assignments();
            const QString number = ad->value(QStringLiteral("DanWeiBianHao")).toString();
            const QStringList a{ad->value(QStringLiteral("WuRanWuBianHao")).toString(),
                                ad->value(QStringLiteral("WuRanWuMingCheng")).toString(),
                                ad->value(QStringLiteral("PaiWuKou")).toString()};
            if (number != shownNumber) {
                shownNumber = number;
                billingRow = bare.billingRow(number);
            }
            m.assignmentBase.push_back(bench::timedMs([&] {
                QStringList shown = bare.listInView(number);
                shown << bare.names.value(number) << billingRow;
                for (const QStringList& own : bare.assignments.value(number))
                    shown << own;
                shown << bare.assignment(number, a);
                painter.paint(shown);
            }));
        }
    }
    QFile::remove(copies.billing);
    QFile::remove(copies.ledgers);
    return m;
}

// Nothing shown but the input boxes of the month copies.
bool quiet()
{
    QStringList messages;
    for (const ui::testing::Shown& s : ui::testing::shown())
        if (s.kind != ui::testing::Shown::Input)
            messages << s.text;
    if (messages.isEmpty())
        return true;
    std::fprintf(stderr, "shown: %s\n", messages.join('/').toUtf8().constData());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ui::Application app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    ui::testing::enable();
    Module1::setStartupDefaults();
    Module1::gWorkMonth = june;
    Module1::gInvoiceDate = QDate(2003, 6, 18);
    const int moveCount = bench::repetitions(200);
    const int openings = bench::repetitions(5);
    const int copies = bench::repetitions(5);
    try {
        // 1,500 enterprises: the moves beside their bare loops, and the month-file commands.
        makeCounty(1500);
        std::vector<double> open1500, schema1500;
        for (int i = 0; i < openings; ++i) {
            open1500.push_back(openWindow());
            schema1500.push_back(bareSchemaLoad());
        }
        auto w = std::make_unique<frmKaiPiao>();
        w->show();
        paint(*w);
        if (!quiet())
            return 1;
        const Moves m = moves(*w, moveCount);
        const CopyTimes c1500 = copyCommands(*w, copies);
        w.reset();
        ui::testing::enable();

        makeCounty(4000);
        std::vector<double> open4000, schema4000;
        for (int i = 0; i < openings; ++i) {
            open4000.push_back(openWindow());
            schema4000.push_back(bareSchemaLoad());
        }
        w = std::make_unique<frmKaiPiao>();
        w->show();
        paint(*w);
        const CopyTimes c4000 = copyCommands(*w, copies);
        w.reset();
        if (!quiet())
            return 1;

        bench::printRatio("workbench_next_enterprise", bench::median(m.firstShow), bench::median(m.firstShowBase), "-");
        bench::printRatio("workbench_next_enterprise_again", bench::median(m.again), bench::median(m.againBase), "-");
        bench::printRatio("workbench_next_assignment", bench::median(m.assignment), bench::median(m.assignmentBase),
                          "-");
        bench::printRatio("workbench_copy_latest", c1500.latest, c1500.base, "-");
        bench::printRatio("workbench_copy_month", c1500.another, c1500.base, "-");
        for (const auto& [name, times] :
             {std::pair{"workbench_move_first_show", &m.firstShow}, std::pair{"workbench_move_enterprise", &m.again},
              std::pair{"workbench_move_assignment", &m.assignment}})
            bench::printLimit(name, bench::median(*times), moveLimitMs);
        bench::printRatio("workbench_open_growth", bench::median(open4000), bench::median(open1500), "3.0");
        bench::printRatio("workbench_copy_latest_growth", c4000.latest, c1500.latest, "3.0");
        bench::printRatio("workbench_copy_month_growth", c4000.another, c1500.another, "3.0");
        // The bare copy and rebinding's own growth: it reloads the month file's schema too.
        bench::printRatio("workbench_copy_bare_growth", c4000.base, c1500.base, "-");
        // The floor under the three lines above: a bare connection's schema load at 4,000 beside 1,500,
        // and what the window spends on top of it.
        const double s1500 = bench::median(schema1500), s4000 = bench::median(schema4000);
        bench::printRatio("month_file_schema_load_growth", s4000, s1500, "-");
        bench::printRatio("workbench_open_beyond_schema_growth", bench::median(open4000) - s4000,
                          bench::median(open1500) - s1500, "-");

        if (qEnvironmentVariableIntValue("QELV_BENCH_NO_TEN_TIMES") == 0) {
            makeCounty(15000);
            w = std::make_unique<frmKaiPiao>();
            w->show();
            paint(*w);
            const Moves big = moves(*w, std::min(moveCount, 100));
            w.reset();
            for (const auto& [name, times] : {std::pair{"workbench_move_first_show_15000", &big.firstShow},
                                              std::pair{"workbench_move_enterprise_15000", &big.again},
                                              std::pair{"workbench_move_assignment_15000", &big.assignment}})
                bench::printLimit(name, bench::median(*times), moveLimitMs);
            // The start-up over the same county, last: the login sets the program's month.
            ui::testing::enable();
            bench::startUp();
            std::vector<double> startUps;
            for (int i = 0; i < bench::repetitions(3); ++i)
                startUps.push_back(bench::startUp());
            bench::printLimit("startup_15000", bench::median(startUps), startupLimitMs);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", ui::describe(e).toUtf8().constData());
        return 1;
    }
    return 0;
}
