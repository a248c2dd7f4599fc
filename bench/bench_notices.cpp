// The payment notices of a month for 1,500 enterprises with 6 assignments each, late fees on, generated
// by the program (fee lines with the minimum top-up and the late fee, detail sheets, headers with the
// total in capitals), beside a bare SQLite loop that computes the same and writes the same rows into
// the same files in one transaction. Every run generates the month again: it first sets back the late
// payments the run before it marked, as the program does. After each run the rows of the two are
// compared, and any difference is said on stderr. The growth lines are the program's run, then the bare
// loop's, at 4,000 enterprises beside 1,500.
#include "bench/bare_generation.h"
#include "bench/synthetic_county.h"
#include "bench_support.h"
#include "platform/files/files.h"
#include "platform/ui/application.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/notices/notice_generator.h"

#include <QElapsedTimer>
#include <QHash>
#include <cstdio>
#include <optional>
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

// A row of the notice window's list: the register's number and name.
struct Listed {
    QString number, name;
};

QList<Listed> listOf(int count)
{
    QList<Listed> list;
    for (int e = 1; e <= count; ++e)
        list << Listed{bench::enterpriseNumber(e), bench::enterpriseName(e)};
    return list;
}

// An assignment as the detail sheet takes it, in the register's order.
struct DetailAssignment {
    QString pollutant, name;
    std::int64_t outlet = 0;
};

double bareLoop(const QList<Listed>& list, int* notices)
{
    QElapsedTimer t;
    t.start();
    bare::Connection b(dataPath(dataFiles::monthNotices(month)));
    b.attach(dataPath(QString::fromLatin1(dataFiles::enterprises)), "dwf");
    b.attach(dataPath(dataFiles::monthData(month)), "md");
    b.attach(dataPath(dataFiles::billing(month.year())), "kz");
    b.attach(dataPath(QString::fromLatin1(dataFiles::lateFeeLedgers)), "znj");
    for (const char* table : {"MX", "tzdw", "WuRanWuMingXi"})
        b.exec(QStringLiteral("Delete from %1").arg(QString::fromLatin1(table)));
    b.exec(QStringLiteral("BEGIN"));
    bare::Marks marks(b, "znj");
    marks.setBackEarlier({});
    const bare::FeeReader fees(b, QStringLiteral("dwf"));
    QHash<QString, QList<DetailAssignment>> details;
    {
        bare::Statement all(b,
                            QStringLiteral("Select ID,DanWeiBianHao,WuRanWuBianHao,WuRanWuMingCheng,LeiXing,PaiWuKou "
                                           "from dwf.dwwrw Order By ID ASC"));
        while (all.step())
            details[all.text(1).toCaseFolded()] << DetailAssignment{all.text(2), all.text(3), all.integer(5)};
    }
    bare::Statement reg(b, QStringLiteral("Select LowLever,DanWeiQuangCheng from dwf.dw where DanWeiBianHao=?"));
    bare::Statement billing(b, QStringLiteral("select M5B,M5N from kz.KPKZK where DanWeiBianHao=?"));
    bare::Statement known(b, QStringLiteral("Select DanWeiBianHao,DanWeiQuangCheng from dwf.dw where DanWeiBianHao=?"));
    bare::Statement remark(
        b, QStringLiteral("Select \"M5B\" from kz.KPKZK where DanWeiBianHao=? and \"M5\"=1 and \"M5B\" is not null"));
    bare::Statement line(b, QStringLiteral("Insert Into MX (ID,DanWeiBianHao,序号,项目,金额) Values (?,?,?,?,?)"));
    bare::Statement detail(b,
                           QStringLiteral("Insert Into WuRanWuMingXi (DanWeiBianHao,PaiWuKou,WuRanWuMingCheng,"
                                          "WuRanWuShuJu) Values (?,?,?,?)"));
    bare::Statement head(
        b,
        QStringLiteral(
            "Insert Into tzdw (DanWeiBianHao,DanWeiQuangCheng,FaLvFaGui,YingJiaoKuang,NianYueQiKuangMingXi,"
            "NianYueJiaoKuangMingXi,JiaoKuangQiXian,KaiHuiYinHang,ZhangHao,YiYi,DianHua,ShouKuanDanWei,TongZhiRiQi,"
            "JingBanRen,JiaoDuiRen) Values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"));
    const QString monthText = month.toString(QStringLiteral("yyyy年MM月"));
    const QString defaultPeriod = QStringLiteral("(%1)").arg(monthText);
    const QString noticeDate = invoiceDate.toString(QStringLiteral("yyyy年MM月dd日"));
    const bare::LateFeeTerms terms{invoiceDate, graceDays, static_cast<float>(rate)};
    // Each record is read once per enterprise, for its fee and its detail row.
    QHash<QString, bare::Record> records;
    const auto recordOf = [&b, &records](const QString& table) -> const bare::Record& {
        const QString key = table.toCaseFolded();
        auto it = records.find(key);
        if (it == records.end()) {
            bare::Statement select(b, QStringLiteral("Select * from md.\"%1\"").arg(table));
            it = records.insert(key, bare::readRecord(select));
        }
        return *it;
    };
    std::int64_t id = 0;
    *notices = 0;
    for (const Listed& row : list) {
        if (b.failed())
            break;
        const QString& code = row.number;
        records.clear();
        const bare::Fees f = fees.read(code, recordOf);
        bare::Units total = f.total;
        std::optional<double> lowLever, months;
        QString period;
        if (reg.reset().bind(1, code).step() && !reg.isNull(0))
            lowLever = reg.number(0);
        if (billing.reset().bind(1, code).step()) {
            period = billing.text(0);
            if (!billing.isNull(1))
                months = billing.number(1);
        }
        const QString periodText = period.isEmpty() ? defaultPeriod : QStringLiteral("(%1)").arg(period);
        int number = 0;
        const auto writeLine = [&](const QString& item, bare::Units amount) {
            line.reset().bind(1, ++id).bind(2, code).bind(3, QString::number(++number)).bind(4, item + periodText);
            line.bind(5, bare::moneyText(amount)).run();
        };
        for (const bare::FeeItem& item : f.items)
            writeLine(item.separate ? item.name : item.name + QStringLiteral("收费"), item.amount);
        if (f.doubled > 0)
            writeLine(QStringLiteral("加倍收费"), f.doubled);
        if (f.raised > 0)
            writeLine(QStringLiteral("提高征收"), f.raised);
        if (const bare::Units topUp = bare::minimumTopUp(total, lowLever, months); topUp > 0) {
            total += topUp;
            writeLine(QStringLiteral("补充最少收费金额"), topUp);
        }
        bare::Marked marked{code, {}, false, {}, {}, {}};
        const bare::Units lateFee = bare::wholeFen(bare::lateFee(b, "znj", code, terms, &marked.rows));
        marks.add(marked);
        if (lateFee > 0)
            writeLine(QStringLiteral("滞纳金"), lateFee);
        total += lateFee;

        // The detail sheet: each assignment's record that holds figures, with the period remark.
        const QList<DetailAssignment> own = details.value(code.toCaseFolded());
        if (known.reset().bind(1, code).step() && !known.isNull(0) && !own.isEmpty()) {
            const QString remarkText = remark.reset().bind(1, code).step() ? remark.text(0) : QString();
            for (const DetailAssignment& a : own) {
                const bare::Record& r =
                    recordOf(QStringLiteral("WRW") + code + a.pollutant + QString::number(a.outlet));
                if (!r.found || r.values.empty() || !r.values[0])
                    continue;
                if (*r.values[0] == 0 && (r.values.size() < 2 || !r.values[1] || *r.values[1] == 0))
                    continue;
                QString figures;
                for (std::size_t c = 0; c < r.values.size(); ++c) {
                    const QString& name = r.names[static_cast<qsizetype>(c)];
                    if (bare::isFigure(name))
                        figures += name + QLatin1Char(':') +
                            (r.values[c] ? bare::plainText(bare::storedAmount(*r.values[c])) : QString()) +
                            QLatin1Char(',');
                }
                figures.chop(1);
                detail.reset().bind(1, code).bind(2, a.outlet).bind(3, a.name);
                detail
                    .bind(4,
                          figures + QLatin1Char(' ') +
                              (remarkText.isEmpty() ? QString() : QStringLiteral("(%1)").arg(remarkText)))
                    .run();
            }
        }

        const QString capitals = bare::capitals(total);
        if (total > 0) {
            head.reset().bind(1, code).bind(2, row.name).bind(3, QString());
            head.bind(4, monthText + QStringLiteral("应缴纳排污费人民币") + capitals + QStringLiteral("整"));
            head.bind(5, monthText + QStringLiteral("份排污情况明细表"));
            head.bind(6, monthText + QStringLiteral("份应缴纳排污费明细表　　　（单位：元）"));
            for (int c = 7; c <= 12; ++c)
                head.bind(c, QString());
            head.bind(13, noticeDate).bind(14, Module1::gUserName).bind(15, QString()).run();
            ++*notices;
        }
        line.reset()
            .bind(1, ++id)
            .bind(2, code)
            .bind(3, QStringLiteral("合计"))
            .bind(4, capitals + QStringLiteral("整"));
        line.bind(5, bare::moneyText(total)).run();
    }
    b.exec(QStringLiteral("COMMIT"));
    return t.nsecsElapsed() / 1e6;
}

double ours(const QList<Listed>& listed, int* notices)
{
    QList<notices::ListedEnterprise> list;
    for (const Listed& row : listed)
        list << notices::ListedEnterprise{row.number, row.name, false};
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

// The program's run and the bare loop's in turns, each from the same ledgers, the rows they leave in
// the notice print file compared: fee lines, headers, detail rows, the late payments charged.
bare::Times runs(const QString& pristine)
{
    const QList<Listed> list = listOf(enterprises);
    int ourNotices = 0, bareNotices = 0;
    const bare::Times times = bare::inTurns(
        bench::repetitions(5), [&] { bench::restoreLedgers(pristine); }, [&] { return bareLoop(list, &bareNotices); },
        [&] { return ours(list, &ourNotices); }, dataPath(dataFiles::monthNotices(month)),
        {QStringLiteral("MX"), QStringLiteral("tzdw"), QStringLiteral("WuRanWuMingXi"), QStringLiteral("YiShouZNJ")});
    if (ourNotices != enterprises || bareNotices != enterprises)
        std::fprintf(stderr, "notices: ours %d, bare loop %d, of %d enterprises\n", ourNotices, bareNotices,
                     enterprises);
    return times;
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
    const auto makeMonth = [&pristine] {
        bench::makeMonthWith(bench::County{.enterprises = enterprises, .assignmentsPerEnterprise = 6, .figures = true},
                             month, QString::fromLatin1(dataFiles::noticeTemplate), dataFiles::monthNotices(month),
                             pristine);
        bench::restoreLedgers(pristine);
        int warmUp = 0;
        ours(listOf(enterprises), &warmUp);
    };
    bare::Times at1500, at4000;
    try {
        makeMonth();
        at1500 = runs(pristine);
        // The same month of a county of 4,000.
        enterprises = bench::largerCounty;
        makeMonth();
        at4000 = runs(pristine);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    const double x = bench::median(at1500.ours), y = bench::median(at1500.base);
    bench::printRatio("notices", x, y, target);
    bench::printGrowth("notices", bench::median(at4000.ours), x);
    // The bare loop's own growth over the same files: every statement on an assignment's table finds
    // it in SQLite's schema hash, whose chains lengthen with the county.
    bench::printRatio("notices_bare_growth", bench::median(at4000.base), y, "-");
    return 0;
}
