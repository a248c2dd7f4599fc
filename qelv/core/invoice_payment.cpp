#include "qelv/core/invoice_payment.h"

#include "platform/db/recordset.h"
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

void checkMonth(int month)
{
    if (month < 1 || month > 12)
        throw Error(QStringLiteral("月份 %1 不在 1-12 之间。").arg(month));
}

// The month's columns are named without quotes on purpose: a yearly file that lacks one then fails
// with SQLite's "no such column", which names it, where a quoted name that matches no column would be
// read as a text and the statement would run on.
QString column(int month, const char* suffix)
{
    return QStringLiteral("M%1%2").arg(month).arg(QLatin1String(suffix));
}

// The enterprise's billing row while its month still holds the listed invoice: its number (an empty
// one matching Null too) and its invoice date. Parameters: listedParams().
QString listedCondition(int month)
{
    const QString p = column(month, "P");
    const QString d = column(month, "DATE");
    return QStringLiteral("DanWeiBianHao = ? AND (%1 = ? OR (%1 IS NULL AND ? = '')) "
                          "AND (date(%2) = date(?) OR (%2 IS NULL AND ? IS NULL))")
        .arg(p, d);
}

QVariantList listedParams(const Invoice& invoice)
{
    const QVariant date = invoice.invoiceDate.isValid() ? QVariant(invoice.invoiceDate) : QVariant();
    return {invoice.enterprise, invoice.number, invoice.number, date, date};
}

QString staleReason(const QString& enterprise, int month)
{
    return QStringLiteral("列出以后，开票控制表中单位 %1 %2 月的发票编号或开票日期已经改变。")
        .arg(enterprise)
        .arg(month);
}

// Exactly one billing row: none is a list made untrue since, more than one a file holding the
// enterprise twice, which no change may guess between.
void checkBillingRows(int changed, const QString& enterprise, int month)
{
    if (changed == 0)
        throw Stale(staleReason(enterprise, month));
    if (changed > 1)
        throw Error(QStringLiteral("开票控制表中单位 %1 有 %2 行，不知道该改哪一行。").arg(enterprise).arg(changed));
}

// At most one ledger row: none is an invoice printed while late fees were off.
void checkLedgerRows(int changed, const QString& table)
{
    if (changed > 1)
        throw Error(QStringLiteral("滞纳金表 %1 中有 %2 行是这张发票，不知道该改哪一行。").arg(table).arg(changed));
}

// The failure that leaves a transaction, named after the invoice it was about; a Stale stays one.
[[noreturn]] void rethrowFor(const QString& prefix)
{
    try {
        throw;
    } catch (const Refused&) {
        throw;
    } catch (const Stale& e) {
        throw Stale(prefix + e.description());
    } catch (const std::exception& e) {
        throw Error(prefix + platform::describe(e));
    }
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

QString Writer::ledgerTable(const QString& enterprise) const
{
    return QString::fromLatin1(ledgerSchema) + QLatin1Char('.') +
        db::quoteIdentifier(lateFeeLedger::tableName(enterprise));
}

Recorded Writer::record(const Invoice& invoice, const Change& change)
{
    if (!change.paid && !change.date)
        return {};
    try {
        checkMonth(invoice.month);
        attachLedgers();
        const int m = invoice.month;
        QStringList billingSets, ledgerSets;
        QVariantList values;
        if (change.paid) {
            billingSets << column(m, "MD") + QStringLiteral(" = ?");
            ledgerSets << QStringLiteral("DaoZhangQingKuang = ?");
            values << *change.paid;
        }
        if (change.date) {
            billingSets << column(m, "DDATE") + QStringLiteral(" = ?");
            ledgerSets << QStringLiteral("DaoZhangRiQi = ?");
            values << (change.date->isValid() ? QVariant(*change.date) : QVariant());
        }
        QString where = listedCondition(m);
        if (change.onlyUnpaid)
            where += QStringLiteral(" AND ifnull(%1, 0) = 0").arg(column(m, "MD"));

        return db::inTransaction(billing_, [&]() -> Recorded {
            const int billed =
                billing_.execute(QStringLiteral("UPDATE KPKZK SET %1 WHERE %2").arg(billingSets.join(u", "), where),
                                 values + listedParams(invoice));
            if (billed == 0 && change.onlyUnpaid) {
                // The update holds the file's write lock: what the row holds now stays so until the end.
                auto held = billing_.openRecordset(QStringLiteral("SELECT %1, %2 FROM KPKZK WHERE %3")
                                                       .arg(column(m, "MD"), column(m, "DDATE"), listedCondition(m)),
                                                   listedParams(invoice), db::LockType::ReadOnly);
                if (!held->isEOF())
                    return Recorded{false, held->value(0), held->value(1)};
            }
            checkBillingRows(billed, invoice.enterprise, m);
            const QString table = ledgerTable(invoice.enterprise);
            checkLedgerRows(
                billing_.execute(QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                     .arg(table, ledgerSets.join(u", "), lateFeeLedger::invoiceRowCondition()),
                                 values + lateFeeLedger::invoiceRowParams(invoice.number, invoice.invoiceDate)),
                lateFeeLedger::tableName(invoice.enterprise));
            return Recorded{};
        });
    } catch (const std::exception&) {
        rethrowFor(QStringLiteral("发票 %1（单位 %2）的到账没有登记：").arg(invoice.number, invoice.enterprise));
    }
}

void Writer::voidInvoice(const Invoice& invoice)
{
    try {
        if (invoice.number.trimmed().isEmpty())
            throw Error(QStringLiteral("这一行没有发票编号，不能作废。"));
        checkMonth(invoice.month);
        attachLedgers();
        const int m = invoice.month;
        db::inTransaction(billing_, [&] {
            checkBillingRows(
                billing_.execute(
                    QStringLiteral("UPDATE KPKZK SET %1 = '', %2 = 0, %3 = NULL, %4 = 0, %5 = NULL WHERE %6")
                        .arg(column(m, "P"), column(m, "M"), column(m, "DATE"), column(m, "MD"), column(m, "DDATE"),
                             listedCondition(m)),
                    listedParams(invoice)),
                invoice.enterprise, m);
            checkLedgerRows(
                billing_.execute(QStringLiteral("DELETE FROM %1 WHERE %2")
                                     .arg(ledgerTable(invoice.enterprise), lateFeeLedger::invoiceRowCondition()),
                                 lateFeeLedger::invoiceRowParams(invoice.number, invoice.invoiceDate)),
                lateFeeLedger::tableName(invoice.enterprise));
        });
    } catch (const std::exception&) {
        rethrowFor(QStringLiteral("发票 %1（单位 %2）没有作废：").arg(invoice.number, invoice.enterprise));
    }
}

void Writer::renumber(const QString& enterprise, int month, const QString& listedNumber, const QString& newNumber,
                      const std::function<void(db::Connection& billing)>& check)
{
    try {
        checkMonth(month);
        attachLedgers();
        db::inTransaction(billing_, [&] {
            if (check)
                check(billing_);
            checkBillingRows(
                billing_.execute(QStringLiteral("UPDATE KPKZK SET %1 = ? WHERE DanWeiBianHao = ? AND %1 = ?")
                                     .arg(column(month, "P")),
                                 {newNumber, enterprise, listedNumber}),
                enterprise, month);
            // Read under the update's write lock, so it is the date of the row just changed.
            const QDate invoiceDate =
                billing_
                    .scalar(QStringLiteral("SELECT %1 FROM KPKZK WHERE DanWeiBianHao = ? AND %2 = ?")
                                .arg(column(month, "DATE"), column(month, "P")),
                            {enterprise, newNumber})
                    .toDate();
            checkLedgerRows(
                billing_.execute(QStringLiteral("UPDATE %1 SET FaPiaoBianHao = ? WHERE %2")
                                     .arg(ledgerTable(enterprise), lateFeeLedger::invoiceRowCondition()),
                                 QVariantList{newNumber} + lateFeeLedger::invoiceRowParams(listedNumber, invoiceDate)),
                lateFeeLedger::tableName(enterprise));
        });
    } catch (const std::exception&) {
        rethrowFor(QStringLiteral("发票 %1（单位 %2）的编号没有修改：").arg(listedNumber, enterprise));
    }
}

} // namespace invoicePayment
