// Batch payment registration of a month of 1,500 invoiced enterprises, each ledger holding a year of
// invoices and last year's:
//
//     bench batch_payment  the payment writer registering every invoice beside a bare SQLite loop
//                          making the same two updates per invoice, one commit per invoice over the
//                          billing file with the ledger file attached, each run from the month before
//                          any payment (target: within 1.5 times)
//     bench batch_payment_growth  the writer over 4,000 invoices beside it over 1,500
//     bench batch_payment_bare_growth  the bare loop over 4,000 invoices beside it over 1,500 (no target:
//                          how much of the writer's growth is SQLite's own, the ledger file holding a
//                          table per enterprise)
#include "bench/bare_sqlite.h"
#include "bench/synthetic_county.h"
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

// The same two updates per invoice on bare SQLite, the ledger file attached to the billing file's
// connection as the writer attaches it, each invoice committed on its own.
double bareLoop()
{
    QElapsedTimer t;
    t.start();
    bare::Connection db(files::dataFile(dataFiles::billing(2003)));
    db.attach(files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)), "znj");
    bare::Statement billing(db, QStringLiteral("UPDATE KPKZK SET M5MD = ?, M5DDATE = ? WHERE DanWeiBianHao = ?"));
    const QString date = kPaidOn.toString(Qt::ISODate);
    const QString invoiceDate = kInvoiceDate.toString(Qt::ISODate);
    for (int i = 1; i <= kEnterprises && !db.failed(); ++i) {
        db.exec(QStringLiteral("BEGIN"));
        billing.reset().bind(1, std::int64_t{1}).bind(2, date).bind(3, number(i)).run();
        bare::Statement ledger(db,
                               QStringLiteral("UPDATE znj.\"ZNJ%1\" SET DaoZhangQingKuang = ?, DaoZhangRiQi = ? "
                                              "WHERE FaPiaoBianHao = ? AND (date(KaiPiaoRiQi) = date(?) OR "
                                              "(KaiPiaoRiQi IS NULL AND ? IS NULL))")
                                   .arg(number(i)));
        ledger.bind(1, std::int64_t{1}).bind(2, date).bind(3, invoiceNumber(i)).bind(4, invoiceDate);
        ledger.bind(5, invoiceDate).run();
        db.exec(QStringLiteral("COMMIT"));
    }
    return t.nsecsElapsed() / 1e6;
}

int paidEverywhere()
{
    db::Connection billing(db::DataFile{dataFiles::billing(2003)});
    return billing.scalar(QStringLiteral("select count(*) from KPKZK where M5MD = 1 and M5DDATE = ?"), {kPaidOn})
        .toInt();
}

// The month made, then the bare loop and the writer in turns, each from the unpaid month (a payment
// written again would change no byte of either file, and commit nothing), the billing rows they leave
// compared.
bare::Times runs(const QString& folder)
{
    const QString billing = folder + QStringLiteral("/billing.db"), ledgers = folder + QStringLiteral("/ledgers.db");
    makeMonth();
    bench::setAside(dataFiles::billing(2003), billing);
    bench::setAside(QString::fromLatin1(dataFiles::lateFeeLedgers), ledgers);
    const bare::Times times =
        bare::inTurns(bench::repetitions(3),
                      [&] {
                          bench::putBack(billing, dataFiles::billing(2003));
                          bench::putBack(ledgers, QString::fromLatin1(dataFiles::lateFeeLedgers));
                      },
                      bareLoop, ours, files::dataFile(dataFiles::billing(2003)), {QStringLiteral("KPKZK")});
    if (paidEverywhere() != kEnterprises)
        std::fprintf(stderr, "only %d invoices registered\n", paidEverywhere());
    return times;
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
    bare::Times at1500, at4000;
    try {
        at1500 = runs(dir.path());
        // The same month of 4,000 invoiced enterprises.
        kEnterprises = bench::largerCounty;
        files::remove(files::dataFile(dataFiles::billing(2003)));
        files::remove(files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)));
        files::copy(files::dataFile(QString::fromLatin1(dataFiles::blankDatabase)),
                    files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers)));
        at4000 = runs(dir.path());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", platform::describe(e).toUtf8().constData());
        return 1;
    }
    const double x = bench::median(at1500.ours), y = bench::median(at1500.base);
    bench::printRatio("batch_payment", x, y, "1.5");
    bench::printGrowth("batch_payment", bench::median(at4000.ours), x);
    bench::printRatio("batch_payment_bare_growth", bench::median(at4000.base), y, "-");
    return 0;
}
