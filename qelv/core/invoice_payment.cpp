#include "qelv/core/invoice_payment.h"

#include "platform/db/transaction.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"
#include "qelv/core/late_fee_ledger.h"
#include "qelv/core/lookup_indexes.h"

#include <QStringList>
#include <QVariantList>

namespace invoicePayment {

namespace {

const char* const ledgerSchema = "znj";

QString existingDataFile(const QString& name)
{
    const QString path = files::dataFile(name);
    if (!files::exists(path))
        throw Error(QStringLiteral("文件 %1 不存在。").arg(name));
    return path;
}

} // namespace

Writer::Writer(int year)
{
    billing_.openPath(existingDataFile(dataFiles::billing(year)));
    lookupIndexes::ensure(billing_);
    ledgerPath_ = existingDataFile(QString::fromLatin1(dataFiles::lateFeeLedgers));
}

Writer::~Writer() = default;

// Attached at the first write, so that a writer opened only to read asks nothing of the ledger file.
void Writer::attachLedgers()
{
    if (!attached_) {
        billing_.attachPath(ledgerPath_, QString::fromLatin1(ledgerSchema));
        attached_ = true;
    }
}

void Writer::record(const Invoice& invoice, const Change& change)
{
    if (!change.paid && !change.date)
        return;
    try {
        if (invoice.month < 1 || invoice.month > 12)
            throw Error(QStringLiteral("月份 %1 不在 1-12 之间。").arg(invoice.month));
        attachLedgers();
        const QString m = QStringLiteral("M%1").arg(invoice.month);
        QStringList billingSets, ledgerSets;
        QVariantList values;
        if (change.paid) {
            billingSets << m + QStringLiteral("MD = ?");
            ledgerSets << QStringLiteral("DaoZhangQingKuang = ?");
            values << *change.paid;
        }
        if (change.date) {
            billingSets << m + QStringLiteral("DDATE = ?");
            ledgerSets << QStringLiteral("DaoZhangRiQi = ?");
            values << (change.date->isValid() ? QVariant(*change.date) : QVariant());
        }

        db::inTransaction(billing_, [&] {
            billing_.execute(QStringLiteral("UPDATE KPKZK SET %1 WHERE DanWeiBianHao = ?").arg(billingSets.join(u", ")),
                             values + QVariantList{invoice.enterprise});
            billing_.execute(QStringLiteral("UPDATE %1.%2 SET %3 WHERE %4")
                                 .arg(QString::fromLatin1(ledgerSchema),
                                      db::quoteIdentifier(lateFeeLedger::tableName(invoice.enterprise)),
                                      ledgerSets.join(u", "), lateFeeLedger::invoiceRowCondition()),
                             values + lateFeeLedger::invoiceRowParams(invoice.number, invoice.invoiceDate));
        });
    } catch (const std::exception& e) {
        throw Error(QStringLiteral("发票 %1（单位 %2）的到账没有登记：%3")
                        .arg(invoice.number, invoice.enterprise, platform::describe(e)));
    }
}

void Writer::voidInvoice(const Invoice& invoice)
{
    try {
        if (invoice.number.trimmed().isEmpty())
            throw Error(QStringLiteral("这一行没有发票编号，不能作废。"));
        if (invoice.month < 1 || invoice.month > 12)
            throw Error(QStringLiteral("月份 %1 不在 1-12 之间。").arg(invoice.month));
        attachLedgers();
        db::inTransaction(billing_, [&] {
            billing_.execute(QStringLiteral("Delete from %1.%2 where %3")
                                 .arg(QString::fromLatin1(ledgerSchema),
                                      db::quoteIdentifier(lateFeeLedger::tableName(invoice.enterprise)),
                                      lateFeeLedger::invoiceRowCondition()),
                             lateFeeLedger::invoiceRowParams(invoice.number, invoice.invoiceDate));
            const int changed = billing_.execute(
                QStringLiteral("UPDATE KPKZK SET M%1P = '', M%1M = 0, M%1DATE = NULL, M%1MD = 0, M%1DDATE = NULL "
                               "WHERE DanWeiBianHao = ? AND M%1P = ?")
                    .arg(invoice.month),
                {invoice.enterprise, invoice.number});
            if (changed != 1)
                throw Error(QStringLiteral("开票控制表中没有这张发票。"));
        });
    } catch (const std::exception& e) {
        throw Error(QStringLiteral("发票 %1（单位 %2）没有作废：%3")
                        .arg(invoice.number, invoice.enterprise, platform::describe(e)));
    }
}

} // namespace invoicePayment
