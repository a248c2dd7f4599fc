// Batch payment registration of a month of 1,500 invoiced enterprises, each ledger holding a year of
// invoices and last year's:
//
//     bench batch_payment  the payment writer registering every invoice beside a bare SQLite loop
//                          making the same two updates per invoice, one commit per invoice over the
//                          billing file with the ledger file attached (target: within 1.5 times)
//     bench batch_payment_growth  the writer over 4,000 invoices beside it over 1,500
//     bench batch_payment_bare_growth  the bare loop over 4,000 invoices beside it over 1,500 (no target:
//                          how much of the writer's growth is SQLite's own, the ledger file holding a
//                          table per enterprise)
#include "bench_support.h"
#include "platform/db/connection.h"
#include "platform/files/files.h"
#include "platform/ui/application.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/invoice_payment.h"
#include "qelv/core/late_fee_ledger.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

int kEnterprises = bench::countySize;
const int kMonth = 5;
const QDate kInvoiceDate(2003, 5, 20);
const QDate kPaidOn(2003, 6, 9);

QString number(int i)
{
    return QStringLiteral("%1").arg(i, 4, 10, QLatin1Char('0'));
}

QString invoiceNumber(int i)
{
    return QString::number(50000 + i);
}

void makeMonth()
{
    files::copy(files::dataFile(QString::fromLatin1(dataFiles::billingTemplate)),
                files::dataFile(dataFiles::billing(2003)));
    db::Connection billing(db::DataFile{dataFiles::billing(2003)});
    db::Connection ledgers(db::DataFile{QString::fromLatin1(dataFiles::lateFeeLedgers)});
    billing.beginTransaction();
    ledgers.beginTransaction();
    for (int i = 1; i <= kEnterprises; ++i) {
        billing.execute(
            QStringLiteral("insert into KPKZK (DanWeiBianHao, M5, M5P, M5M, M5DATE) values (?, 1, ?, 100, ?)"),
            {number(i), invoiceNumber(i), kInvoiceDate});
        lateFeeLedger::ensure(ledgers, number(i));
        const QString insert =
            QStringLiteral("insert into %1 (KaiPiaoRiQi, FaPiaoBianHao, FaPiaoJinE, ShouFeiJinE, DaoZhangQingKuang, "
                           "PiaoJuLeiXing, ZNJYiShou) values (?, ?, 100, 100, 0, 0, 0)")
                .arg(db::quoteIdentifier(lateFeeLedger::tableName(number(i))));
        for (int m = 1; m <= 12; ++m) {
            ledgers.execute(insert, {QDate(2002, m, 20), invoiceNumber(i)});
            if (m <= kMonth)
                ledgers.execute(insert, {QDate(2003, m, 20), m == kMonth ? invoiceNumber(i) : QString::number(m)});
        }
    }
    ledgers.commit();
    billing.commit();
}

double ours()
{
    QElapsedTimer t;
    t.start();
    invoicePayment::Writer writer(2003);
    for (int i = 1; i <= kEnterprises; ++i)
        writer.record({number(i), kMonth, invoiceNumber(i), kInvoiceDate}, {.paid = 1, .date = kPaidOn});
    return t.nsecsElapsed() / 1e6;
}

void bindText(sqlite3_stmt* s, int i, const QString& text)
{
    const QByteArray b = text.toUtf8();
    sqlite3_bind_text(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

bool step(sqlite3* db, sqlite3_stmt* s)
{
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE)
        std::fprintf(stderr, "bare loop: %s\n", sqlite3_errmsg(db));
    return rc == SQLITE_DONE;
}

double bareLoop()
{
    QElapsedTimer t;
    t.start();
    sqlite3* db = nullptr;
    sqlite3_open(files::dataFile(dataFiles::billing(2003)).toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    const QByteArray attach = QStringLiteral("ATTACH DATABASE '%1' AS znj")
                                  .arg(files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)))
                                  .toUtf8();
    sqlite3_exec(db, attach.constData(), nullptr, nullptr, nullptr);
    sqlite3_stmt* billing = nullptr;
    sqlite3_prepare_v2(db, "UPDATE KPKZK SET M5MD = ?, M5DDATE = ? WHERE DanWeiBianHao = ?", -1, &billing, nullptr);
    const QString date = kPaidOn.toString(Qt::ISODate);
    const QString invoiceDate = kInvoiceDate.toString(Qt::ISODate);
    for (int i = 1; i <= kEnterprises; ++i) {
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_bind_int(billing, 1, 1);
        bindText(billing, 2, date);
        bindText(billing, 3, number(i));
        step(db, billing);
        sqlite3_stmt* ledger = nullptr;
        const QByteArray sql = QStringLiteral("UPDATE znj.\"ZNJ%1\" SET DaoZhangQingKuang = ?, DaoZhangRiQi = ? "
                                              "WHERE FaPiaoBianHao = ? AND date(KaiPiaoRiQi) = date(?)")
                                   .arg(number(i))
                                   .toUtf8();
        sqlite3_prepare_v2(db, sql.constData(), -1, &ledger, nullptr);
        sqlite3_bind_int(ledger, 1, 1);
        bindText(ledger, 2, date);
        bindText(ledger, 3, invoiceNumber(i));
        bindText(ledger, 4, invoiceDate);
        step(db, ledger);
        sqlite3_finalize(ledger);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    }
    sqlite3_finalize(billing);
    sqlite3_close(db);
    return t.nsecsElapsed() / 1e6;
}

int paidEverywhere()
{
    db::Connection billing(db::DataFile{dataFiles::billing(2003)});
    return billing.scalar(QStringLiteral("select count(*) from KPKZK where M5MD = 1 and M5DDATE = ?"), {kPaidOn})
        .toInt();
}

} // namespace

int main(int argc, char** argv)
{
    ui::Application app(argc, argv);
    const bench::ProgramFolder dir;
    if (!dir.ready())
        return 1;
    Module1::setStartupDefaults();
    Module1::gWorkMonth = QDate(2003, kMonth, 1);
    const int repetitions = bench::repetitions(3);
    std::vector<double> mine, base;
    try {
        makeMonth();
        for (int i = 0; i < repetitions; ++i) {
            base.push_back(bareLoop());
            mine.push_back(ours());
        }
        if (paidEverywhere() != kEnterprises)
            std::fprintf(stderr, "only %d invoices registered\n", paidEverywhere());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    // The same month of 4,000 invoiced enterprises.
    std::vector<double> larger, largerBare;
    try {
        kEnterprises = bench::largerCounty;
        files::remove(files::dataFile(dataFiles::billing(2003)));
        files::remove(files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)));
        files::copy(files::dataFile(QString::fromLatin1(dataFiles::blankDatabase)),
                    files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)));
        makeMonth();
        for (int i = 0; i < repetitions; ++i) {
            largerBare.push_back(bareLoop());
            larger.push_back(ours());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    const double x = bench::median(mine), y = bench::median(base);
    bench::printRatio("batch_payment", x, y, "1.5");
    bench::printGrowth("batch_payment", bench::median(larger), x);
    bench::printRatio("batch_payment_bare_growth", bench::median(largerBare), y, "-");
    return 0;
}
