#include "bench/synthetic_county.h"

#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "qelv/assessment/discharge_tables.h"
#include "qelv/assessment/formula.h"
#include "qelv/core/Module1.h"
#include "qelv/core/billing_control.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"

#include <QVariant>

namespace bench {

QString enterpriseNumber(int i)
{
    return QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0'));
}

QString enterpriseName(int i)
{
    return QStringLiteral("企业%1").arg(i);
}

namespace {
QString pollutantNumber(int i)
{
    return QStringLiteral("W%1").arg(i, 2, 10, QLatin1Char('0'));
}

QVariant money(std::int64_t fen)
{
    return QVariant::fromValue(convert::Currency::fromUnits(fen * 100));
}
} // namespace

void makeCounty(const County& county)
{
    {
        db::Connection wrw(db::DataFile{QString::fromLatin1(dataFiles::pollutants)});
        wrw.beginTransaction();
        wrw.execute(QStringLiteral("delete from wrw"));
        wrw.execute(QStringLiteral("delete from wrwgs"));
        for (int p = 1; p <= county.pollutants; ++p) {
            const QString number = pollutantNumber(p);
            wrw.execute(QStringLiteral("insert into wrw values (?, ?, ?, ?)"),
                        {number, QStringLiteral("污染物%1").arg(p), 1 + p % 10, QStringLiteral("废水")});
            int id = 1;
            for (int v = 1; v <= county.variablesPerFormula; ++v) {
                wrw.execute(QStringLiteral("insert into wrwgs values (?, ?, ?, ?)"),
                            {id++, QStringLiteral("变量%1").arg(v), TokenKind::Variable, number});
                wrw.execute(QStringLiteral("insert into wrwgs values (?, ?, ?, ?)"),
                            {id++, QStringLiteral("*"), TokenKind::Times, number});
            }
            wrw.execute(QStringLiteral("insert into wrwgs values (?, ?, ?, ?)"),
                        {id++, QStringLiteral("0.7"), TokenKind::Constant, number});
        }
        wrw.commit();
    }
    db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    dw.beginTransaction();
    dw.execute(QStringLiteral("delete from dwwrw"));
    dw.execute(QStringLiteral("delete from dw"));
    int next = 0;
    for (int e = 1; e <= county.enterprises; ++e) {
        const QString number = enterpriseNumber(e);
        dw.execute(QStringLiteral("insert into dw (DanWeiBianHao, DanWeiQuangCheng, LowLever) values (?, ?, ?)"),
                   {number, enterpriseName(e), money(e % 4 == 0 ? 1500000 : 0)});
        for (int a = 0; a < county.assignmentsPerEnterprise; ++a, ++next) {
            const int p = 1 + next % county.pollutants;
            const int outlet = 1 + a % county.outlets;
            dw.execute(QStringLiteral("insert into dwwrw (DanWeiBianHao, WuRanWuBianHao, WuRanWuMingCheng, LeiXing, "
                                      "PaiWuKou, FenLei) values (?, ?, ?, ?, ?, ?)"),
                       {number, pollutantNumber(p), QStringLiteral("污染物%1").arg(p), 1 + p % 10, outlet,
                        QStringLiteral("废水")});
        }
    }
    dw.commit();
}

void makeMonth(const County& county, const QDate& month)
{
    const QString data = files::dataFile(dataFiles::monthData(month));
    if (files::exists(data))
        files::remove(data);
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::blankDatabase)), data);
    {
        db::Connection dw(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
        db::Connection file(db::DataFile{dataFiles::monthData(month)});
        // As the template's build does: each table made rewrites the schema, which outgrows the default
        // page cache at a county of thousands and would be read back from the file at every creation.
        file.execute(QStringLiteral("PRAGMA cache_size = -65536"));
        file.beginTransaction();
        auto rows =
            dw.openRecordset(QStringLiteral("select DanWeiBianHao, WuRanWuBianHao, PaiWuKou from dwwrw order by ID"),
                             {}, db::LockType::ReadOnly);
        int i = 0;
        for (; !rows->isEOF(); rows->moveNext(), ++i) {
            const discharge::Assignment a{rows->value(0).toString(), rows->value(1).toString(),
                                          QString::number(rows->value(2).toInt())};
            const QString table = discharge::tableName(a);
            QStringList variables;
            for (int v = 1; v <= county.variablesPerFormula; ++v)
                variables << QStringLiteral("变量%1").arg(v);
            discharge::createTable(file, table, variables);
            QString figures;
            QVariantList values;
            if (county.figures) {
                for (int v = 0; v < variables.size(); ++v) {
                    figures += db::quoteIdentifier(variables[v]) + QStringLiteral(" = ?, ");
                    values << money(1 + (i * 31 + v * 17) % 900);
                }
            }
            values << money(1000 + (i * 7919) % 500000) << money(i % 5 == 0 ? 2500 : 0) << money(i % 11 == 0 ? 1200 : 0)
                   << (i % 7 == 0);
            file.execute(
                QStringLiteral("update %1 set %2收费金额 = ?, 加倍收费 = ?, 提高收费 = ?, 是否单独列为收费项目 = ?")
                    .arg(db::quoteIdentifier(table), figures),
                values);
        }
        file.commit();
    }
    billingControl::ensureYearFile(month.year());
    db::Connection billing(db::DataFile{dataFiles::billing(month.year())});
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    billing.beginTransaction();
    ledgers.beginTransaction();
    billing.execute(QStringLiteral("delete from KPKZK"));
    const QString m = QString::number(month.month());
    for (int e = 1; e <= county.enterprises; ++e) {
        const QString number = enterpriseNumber(e);
        billing.execute(QStringLiteral("insert into KPKZK (DanWeiBianHao, M%1, M%1N) values (?, 1, 1)").arg(m),
                        {number});
        const QString table = db::quoteIdentifier(lateFeeLedger::tableName(number));
        if (lateFeeLedger::exists(ledgers, number))
            ledgers.execute(QStringLiteral("delete from %1").arg(table));
        else
            lateFeeLedger::ensure(ledgers, number);
        for (int back = 12; back >= 1; --back) {
            const QDate invoiced = month.addMonths(-back).addDays(19);
            const bool paid = back > 3;
            const QDate paidOn = invoiced.addDays(5 + (e + back) % 40);
            const std::int64_t fen = 20000 + (e * 131 + back * 17) % 300000;
            ledgers.execute(QStringLiteral("insert into %1 values (?, ?, ?, ?, ?, ?, 0, 0)").arg(table),
                            {invoiced, QString::number(e * 100 + back), money(fen), money(fen), paid ? 1 : 0,
                             paid ? QVariant(paidOn) : QVariant()});
        }
    }
    ledgers.commit();
    billing.commit();
}

void makeMonthWith(const County& county, const QDate& month, const QString& templateName, const QString& fileName,
                   const QString& pristineLedgers)
{
    makeCounty(county);
    makeMonth(county, month);
    files::copy(files::dataFile(templateName), files::dataFile(fileName));
    setAside(QString::fromLatin1(dataFiles::lateFeeLedgers), pristineLedgers);
}

void restoreLedgers(const QString& pristineLedgers)
{
    putBack(pristineLedgers, QString::fromLatin1(dataFiles::lateFeeLedgers));
}

void setAside(const QString& name, const QString& copy)
{
    files::copy(files::dataFile(name), copy);
}

void putBack(const QString& copy, const QString& name)
{
    const QString file = files::dataFile(name);
    files::remove(file);
    files::copy(copy, file);
}

void startRun(const QDate& month, const QDate& invoiceDate, std::int16_t graceDays, float dailyRate)
{
    Module1::gWorkMonth = month;
    Module1::gInvoiceDate = invoiceDate;
    Module1::gUserName = QStringLiteral("张三");
    Module1::gLateFeeOn = true;
    Module1::gLateFeeStartDays = graceDays;
    Module1::gLateFeeRate = dailyRate;
}

} // namespace bench
