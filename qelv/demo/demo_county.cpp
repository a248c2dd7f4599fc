#include "qelv/demo/demo_county.h"

#include "platform/convert/convert.h"
#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/error/error.h"
#include "platform/files/files.h"
#include "platform/settings/settings.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/formula.h"
#include "qelv/assessment/formula_tokens.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/capitals.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"

#include <QHash>
#include <QVariant>
#include <optional>

namespace demo {

namespace {

struct Pollutant {
    const char* number;
    const char* name;
    int leiXing; // calculation category: 1 adds up, the others count their largest per outlet
    const char* fenLei;
    // The formula as the keypad stores it: a constant is a number, a variable any other word; the
    // operators, bars and brackets stand as themselves.
    QStringList formula;
};

const QList<Pollutant>& pollutants()
{
    static const QList<Pollutant> list = {
        {"101", "化学需氧量", 1, "废水", {"排放量", "/", "当量值", "*", "0.7"}},
        {"102", "悬浮物", 1, "废水", {"(", "排放量", "-", "回用量", ")", "/", "4", "*", "0.7"}},
        {"103", "氨氮", 1, "废水", {"排放量", "/", "0.8", "*", "0.7"}},
        {"201", "二氧化硫", 2, "废气", {"排放量", "/", "0.95", "*", "0.6"}},
        {"202", "烟尘", 2, "废气", {"(", "有组织排放量", "+", "无组织排放量", ")", "/", "2.18", "*", "0.6"}},
        {"301", "工业固体废物", 3, "废渣", {"贮存量", "*", "5"}},
        {"401", "工业噪声", 4, "噪声", {"|", "测得分贝", "-", "限值", "|", "*", "350"}},
        {"501", "超标排放加收", 5, "其它", {"超标天数", "*", "(", "日排放量", "*", "2", "+", "100", ")"}},
    };
    return list;
}

int tokenKind(const QString& text)
{
    static const QHash<QString, int> operators = {
        {"+", TokenKind::Plus}, {"-", TokenKind::Minus}, {"*", TokenKind::Times}, {"/", TokenKind::Divide},
        {"|", TokenKind::Bar},  {"(", TokenKind::Open},  {")", TokenKind::Close},
    };
    if (operators.contains(text))
        return operators.value(text);
    bool number = false;
    text.toDouble(&number);
    return number ? TokenKind::Constant : TokenKind::Variable;
}

struct Enterprise {
    const char* number;
    const char* name;
    const char* industry;
    const char* squad;
    int minimum; // LowLever, yuan a month
    bool collection; // a collection agreement and an account with the bank
};

const QList<Enterprise>& enterprises()
{
    static const QList<Enterprise> list = {
        {"0001", "示范县第一造纸厂", "造纸", "城关中队", 500, true},
        {"0002", "示范县化肥厂", "化工", "城关中队", 300, true},
        {"0003", "宏达水泥有限公司", "建材", "东区中队", 300, false},
        {"0004", "示范县热电厂", "电力", "东区中队", 800, true},
        {"0005", "金山铸造厂", "机械", "西区中队", 0, false},
        {"0006", "清源食品有限公司", "食品", "城关中队", 100, false},
        {"0007", "示范县印染厂", "纺织", "西区中队", 300, true},
        {"0008", "华新制药有限公司", "医药", "东区中队", 200, false},
        {"0009", "东风砖厂", "建材", "西区中队", 0, false},
        {"0010", "示范县酿酒厂", "食品", "城关中队", 200, true},
        {"0011", "永安化工有限公司", "化工", "东区中队", 400, false},
        {"0012", "示范县屠宰场", "食品", "西区中队", 0, false},
        {"0013", "利民皮革厂", "轻工", "西区中队", 100, false},
        {"0014", "新光电镀厂", "机械", "城关中队", 200, true},
        {"0015", "示范县人民医院", "服务业", "城关中队", 0, false},
        {"0016", "绿源养殖场", "农业", "东区中队", 0, false},
        {"0017", "长江建材有限公司", "建材", "东区中队", 100, false},
        {"0018", "示范县机械厂", "机械", "西区中队", 0, true},
        {"0019", "明珠宾馆", "服务业", "城关中队", 1500, false},
        {"0020", "示范县自来水公司", "服务业", "城关中队", 0, false},
    };
    return list;
}

struct Assignment {
    const char* enterprise;
    const char* pollutant;
    int outlet;
    QHash<QString, double> figures; // by variable
    double doubled = 0; // 加倍收费
    double raised = 0; // 提高收费
    bool ownItem = false; // 是否单独列为收费项目
};

const QList<Assignment>& assignments()
{
    static const QList<Assignment> list = {
        {"0001", "101", 1, {{"排放量", 8600}, {"当量值", 1}}},
        {"0001", "102", 1, {{"排放量", 12000}, {"回用量", 2000}}},
        {"0001", "201", 1, {{"排放量", 1900}}},
        {"0002", "103", 1, {{"排放量", 3200}}},
        {"0002", "101", 2, {{"排放量", 2500}, {"当量值", 1}}, 0, 0, true},
        {"0002", "201", 1, {{"排放量", 950}}},
        {"0003", "202", 1, {{"有组织排放量", 4300}, {"无组织排放量", 1150}}},
        {"0003", "401", 1, {{"测得分贝", 78}, {"限值", 70}}},
        {"0004", "201", 1, {{"排放量", 15200}}},
        {"0004", "202", 1, {{"有组织排放量", 9800}, {"无组织排放量", 600}}},
        {"0004", "301", 1, {{"贮存量", 420}}},
        {"0005", "202", 1, {{"有组织排放量", 760}, {"无组织排放量", 220}}},
        {"0005", "401", 1, {{"测得分贝", 74}, {"限值", 65}}},
        {"0006", "101", 1, {{"排放量", 1300}, {"当量值", 1}}},
        {"0006", "103", 1, {{"排放量", 420}}},
        {"0007", "101", 1, {{"排放量", 5400}, {"当量值", 1}}, 3780, 0},
        {"0007", "102", 1, {{"排放量", 6000}, {"回用量", 1500}}},
        {"0007", "501", 1, {{"超标天数", 3}, {"日排放量", 150}}},
        {"0008", "101", 1, {{"排放量", 2100}, {"当量值", 1}}},
        {"0008", "201", 1, {{"排放量", 380}}, 0, 120},
        {"0009", "202", 1, {{"有组织排放量", 2600}, {"无组织排放量", 900}}},
        {"0009", "301", 1, {{"贮存量", 160}}},
        {"0010", "101", 1, {{"排放量", 3900}, {"当量值", 1}}},
        {"0010", "101", 2, {{"排放量", 1100}, {"当量值", 1}}},
        {"0011", "101", 1, {{"排放量", 4700}, {"当量值", 1}}},
        {"0011", "103", 1, {{"排放量", 1800}}},
        {"0011", "201", 1, {{"排放量", 2300}}},
        {"0012", "101", 1, {{"排放量", 1500}, {"当量值", 1}}},
        {"0012", "102", 1, {{"排放量", 2400}, {"回用量", 0}}},
        {"0013", "101", 1, {{"排放量", 900}, {"当量值", 1}}},
        {"0013", "501", 1, {{"超标天数", 1}, {"日排放量", 40}}},
        {"0014", "103", 1, {{"排放量", 260}}},
        {"0014", "101", 1, {{"排放量", 700}, {"当量值", 1}}},
        {"0015", "101", 1, {{"排放量", 1200}, {"当量值", 1}}},
        {"0016", "103", 1, {{"排放量", 950}}},
        {"0016", "101", 1, {{"排放量", 2600}, {"当量值", 1}}},
        {"0017", "202", 1, {{"有组织排放量", 1400}, {"无组织排放量", 380}}},
        {"0017", "401", 1, {{"测得分贝", 72}, {"限值", 70}}},
        {"0018", "202", 1, {{"有组织排放量", 540}, {"无组织排放量", 90}}},
        {"0018", "401", 1, {{"测得分贝", 69}, {"限值", 65}}},
        {"0019", "401", 1, {{"测得分贝", 58}, {"限值", 55}}},
        {"0020", "102", 1, {{"排放量", 3000}, {"回用量", 1200}}},
    };
    return list;
}

QVariant money(double yuan)
{
    return QVariant::fromValue(convert::Currency::fromText(convert::format0_00(yuan)));
}

const Pollutant& pollutant(const QString& number)
{
    for (const Pollutant& p : pollutants())
        if (QString::fromLatin1(p.number) == number)
            return p;
    throw platform::Error(QStringLiteral("示范县没有污染物 %1").arg(number));
}

// The fee as the workbench computes it from the figures; nullopt where the workbench computes none and
// leaves the fee as it is.
std::optional<double> fee(db::Connection& wrw, const Assignment& a)
{
    QString failure;
    const std::optional<double> result = formulaFee(
        readFormulaTokens(wrw, QString::fromLatin1(a.pollutant)),
        [&a](const QString& variable) -> std::optional<double> {
            if (!a.figures.contains(variable))
                return std::nullopt;
            // The figure as the month's file stores it, which is what the workbench reads.
            return money(a.figures.value(variable)).toDouble();
        },
        [&failure](const QString& why) { failure = why; });
    if (!failure.isEmpty())
        throw platform::Error(QStringLiteral("污染物 %1 的公式不能计算：%2").arg(a.pollutant, failure));
    return result;
}

void writeReferenceTables()
{
    db::Connection setUp(db::DataFile{QString::fromLatin1(dataFiles::setUp)});
    setUp.beginTransaction();
    setUp.execute(QStringLiteral("delete from hbj"));
    setUp.execute(QStringLiteral("insert into hbj values (?, ?, ?, ?)"),
                  {QString::fromUtf8(bureauName), QStringLiteral("农行示范县支行"), QStringLiteral("622848001234567"),
                   QStringLiteral("370000001")});
    setUp.execute(QStringLiteral("delete from znj"));
    // Late fees on, from the 15th day after the invoice date, 0.05 % a day.
    setUp.execute(QStringLiteral("insert into znj values (1, 15, 0.0005)"));
    setUp.execute(QStringLiteral("delete from tz"));
    setUp.execute(QStringLiteral("insert into tz values (?, ?, ?, ?, ?, ?, ?, ?)"),
                  {QStringLiteral("根据《排污费征收使用管理条例》和国家排污费征收标准，经核定，你单位"),
                   QStringLiteral("请于接到本通知之日起七日内，到本局收费室或开户银行缴纳排污费。逾期不缴的，"
                                  "自滞纳之日起按日加收滞纳金。"),
                   QStringLiteral("农行示范县支行"), QStringLiteral("622848001234567"),
                   QStringLiteral("如对核定的排污费有异议，请于接到本通知之日起七日内向本局申请复核。"),
                   QStringLiteral("0000-1234567"), QString::fromUtf8(bureauName), QStringLiteral("李四")});
    setUp.commit();

    db::Connection dl(db::DataFile{QString::fromLatin1(dataFiles::specialEquivalents)});
    dl.beginTransaction();
    dl.execute(QStringLiteral("delete from dl"));
    const QList<QVariantList> equivalents = {
        {QStringLiteral("D01"), QStringLiteral("化学需氧量"), QStringLiteral("一般"), 1.0, QStringLiteral("废水")},
        {QStringLiteral("D02"), QStringLiteral("化学需氧量（造纸）"), QStringLiteral("特殊"), 0.8,
         QStringLiteral("废水")},
        {QStringLiteral("D03"), QStringLiteral("化学需氧量（印染）"), QStringLiteral("特殊"), 1.2,
         QStringLiteral("废水")},
    };
    for (const QVariantList& row : equivalents)
        dl.execute(QStringLiteral("insert into dl values (?, ?, ?, ?, ?)"), row);
    dl.commit();
}

void writePollutants()
{
    db::Connection wrw(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
    wrw.beginTransaction();
    wrw.execute(QStringLiteral("delete from wrw"));
    wrw.execute(QStringLiteral("delete from wrwgs"));
    int id = 0;
    for (const Pollutant& p : pollutants()) {
        wrw.execute(QStringLiteral("insert into wrw (WuRanWuBianHao, MingCheng, LeiXing, FenLei) values (?, ?, ?, ?)"),
                    {QString::fromLatin1(p.number), QString::fromUtf8(p.name), p.leiXing, QString::fromUtf8(p.fenLei)});
        for (const QString& token : p.formula)
            wrw.execute(QStringLiteral("insert into wrwgs (ID, MingCheng, BiaoJi, WuRanWuBianHao) values (?, ?, ?, ?)"),
                        {++id, token, tokenKind(token), QString::fromLatin1(p.number)});
    }
    wrw.commit();
}

void writeRegister()
{
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    dw.beginTransaction();
    for (const char* table : {"dwwrw", "dw", "HangYeLeiXing", "DanWeiFenQu"})
        dw.execute(QStringLiteral("delete from %1").arg(QString::fromLatin1(table)));
    QStringList industries, squads;
    int i = 0;
    for (const Enterprise& e : enterprises()) {
        ++i;
        const QString industry = QString::fromUtf8(e.industry);
        const QString squad = QString::fromUtf8(e.squad);
        if (!industries.contains(industry))
            industries << industry;
        if (!squads.contains(squad))
            squads << squad;
        dw.execute(
            QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng, KaiHuYingHang, ZhangHao, "
                           "WeiTuoXieYiHao, LowLever, HangYeLeiXing, DanWeiFenQu) values (?, ?, ?, ?, ?, ?, ?, ?)"),
            {QString::fromLatin1(e.number), QString::fromUtf8(e.name),
             e.collection ? QVariant(QStringLiteral("农行示范县支行")) : QVariant(),
             e.collection ? QVariant(QStringLiteral("6228480%1").arg(i * 7919, 8, 10, QLatin1Char('0'))) : QVariant(),
             e.collection ? QVariant(QStringLiteral("WT2024%1").arg(i, 3, 10, QLatin1Char('0'))) : QVariant(),
             money(e.minimum), industry, squad});
    }
    for (const QString& industry : industries)
        dw.execute(QStringLiteral("insert into HangYeLeiXing values (?)"), {industry});
    for (const QString& squad : squads)
        dw.execute(QStringLiteral("insert into DanWeiFenQu values (?)"), {squad});
    for (const Assignment& a : assignments()) {
        const Pollutant& p = pollutant(QString::fromLatin1(a.pollutant));
        dw.execute(QStringLiteral("insert into dwwrw (DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, "
                                  "PaiWuKou, FenLei) values (?, ?, ?, ?, ?, ?)"),
                   {QString::fromLatin1(a.enterprise), QString::fromLatin1(p.number), QString::fromUtf8(p.name),
                    p.leiXing, a.outlet, QString::fromUtf8(p.fenLei)});
    }
    dw.commit();
}

// The month's file from the template, every assignment's figures with its fee.
void writeMonth(const QDate& month)
{
    const QString file = files::dataFile(dataFiles::monthData(month));
    if (files::exists(file))
        files::remove(file);
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::dischargeTemplate)), file);
    db::Connection wrw(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
    db::Connection data(db::DataFile{dataFiles::monthData(month)});
    data.beginTransaction();
    for (const Assignment& a : assignments()) {
        const QString table = db::quoteIdentifier(discharge::tableName(
            {QString::fromLatin1(a.enterprise), QString::fromLatin1(a.pollutant), QString::number(a.outlet)}));
        QStringList sets;
        QVariantList values;
        for (auto f = a.figures.constBegin(); f != a.figures.constEnd(); ++f) {
            sets << QStringLiteral("%1 = ?").arg(db::quoteIdentifier(f.key()));
            values << money(f.value());
        }
        if (const std::optional<double> f = fee(wrw, a)) {
            sets << QStringLiteral("收费金额 = ?");
            values << money(*f);
        }
        sets << QStringLiteral("加倍收费 = ?") << QStringLiteral("提高收费 = ?")
             << QStringLiteral("是否单独列为收费项目 = ?");
        values << money(a.doubled) << money(a.raised) << (a.ownItem ? 1 : 0);
        data.execute(QStringLiteral("update %1 set %2").arg(table, sets.join(QStringLiteral(", "))), values);
    }
    data.commit();
}

// Every enterprise billed in the month, one of them for a quarter with its period noted; each with its
// late-fee ledger, and two of them with an unpaid invoice of two months before.
void writeBilling(const QDate& month)
{
    billingControl::ensureYearFile(month.year());
    db::Connection billing(db::DataFile{dataFiles::billing(month.year())});
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    billing.beginTransaction();
    billing.execute(QStringLiteral("delete from KPKZK"));
    const int m = month.month();
    for (const Enterprise& e : enterprises()) {
        const QString number = QString::fromLatin1(e.number);
        const bool quarter = number == QLatin1String("0010");
        billing.execute(QStringLiteral("insert into KPKZK (DanWeiBianHao, M%1, M%1N, M%1B) values (?, 1, ?, ?)").arg(m),
                        {number, quarter ? 3 : 1,
                         quarter
                             ? QVariant(QStringLiteral("%1至%2").arg(convert::formatYearMonthCn(month.addMonths(-2)),
                                                                     convert::formatYearMonthCn(month)))
                             : QVariant()});
        lateFeeLedger::ensure(ledgers, number);
    }
    billing.commit();

    const QDate earlier = month.addMonths(-2);
    const QDate invoiced(earlier.year(), earlier.month(), 20);
    billingControl::ensureYearFile(earlier.year());
    db::Connection earlierBilling(db::DataFile{dataFiles::billing(earlier.year())});
    const QString k = QString::number(earlier.month());
    const QList<std::pair<const char*, double>> unpaid = {{"0003", 4620.00}, {"0011", 5870.50}};
    int invoiceNumber = 880001;
    for (const auto& [enterprise, amount] : unpaid) {
        const QString number = QString::fromLatin1(enterprise);
        const QString invoice = QString::number(invoiceNumber++);
        const QVariant total = money(amount);
        billingControl::ensureRow(earlierBilling, number);
        earlierBilling.execute(
            QStringLiteral("update KPKZK set M%1 = 1, M%1N = 1, M%1P = ?, M%1M = ?, M%1CM = ?, M%1DATE = ?, M%1MD = 0 "
                           "where DanWeiBianHao = ?")
                .arg(k),
            {invoice, total, AmountToChineseCapitals(total.value<convert::Currency>()) + QStringLiteral("整"), invoiced,
             number});
        ledgers.execute(QStringLiteral("insert into %1 values (?, ?, ?, ?, 0, null, 0, 0)")
                            .arg(db::quoteIdentifier(lateFeeLedger::tableName(number))),
                        {invoiced, invoice, total, total});
    }
}

} // namespace

bool hasRegister()
{
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    return dw.scalar(QStringLiteral("select count(*) from dw")).toInt() > 0;
}

Made makeCounty(const QDate& month)
{
    writeReferenceTables();
    writePollutants();
    writeRegister();
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    db::Connection wrw(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
    Made made;
    made.tables = discharge::buildTemplate(dw, wrw);
    writeMonth(month);
    writeBilling(month);
    settings::save(QStringLiteral("DanWeiMingCheng"), QString::fromUtf8(bureauName));
    settings::save(QStringLiteral("ModifyDataDWWRW"), QStringLiteral("0"));
    made.enterprises = static_cast<int>(enterprises().size());
    made.assignments = static_cast<int>(assignments().size());
    return made;
}

QString pm22StandIn()
{
    return QStringLiteral(
        "#!/bin/sh\n"
        "# A stand-in for the bank's PM22 program, for the sample county only: it answers each request\n"
        "# (the record in the file named first) with a password made from the request, in the file named\n"
        "# second. Put the bank's own program here under this name for real collection documents.\n"
        "sum=$(cksum < \"$1\" | cut -d' ' -f1)\n"
        "printf '\"%s\",\\r\\n' \"$sum\" > \"$2\"\n");
}

} // namespace demo
