#include "qelv/collection/invoice_number.h"

#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "qelv/core/data_files.h"
#include "qelv/core/invoice_search.h"
#include "qelv/core/late_fee_ledger.h"

#include <QStringList>

namespace collection {

namespace {

constexpr int maxDigits = 8;

QString existing(const QString& name)
{
    const QString path = files::dataFile(name);
    if (!files::exists(path))
        throw NumberError(QStringLiteral("文件 %1 不存在。").arg(name));
    return path;
}

QString column(int month, const char* suffix)
{
    return db::quoteIdentifier(QStringLiteral("M%1%2").arg(month).arg(QLatin1String(suffix)));
}

} // namespace

QString invoiceNumberProblem(const QString& typed)
{
    if (typed.isEmpty() || typed.size() > maxDigits)
        return QStringLiteral("发票编号要由 1 到 %1 位数字组成。").arg(maxDigits);
    for (const QChar c : typed)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return QStringLiteral("发票编号只能由数字组成。");
    return QString();
}

QString changeInvoiceNumber(int year, int month, const QString& enterprise, const QString& newNumber)
{
    if (month < 1 || month > 12)
        throw NumberError(QStringLiteral("月份 %1 不在 1-12 之间。").arg(month));
    const QString problem = invoiceNumberProblem(newNumber);
    if (!problem.isEmpty())
        throw NumberError(problem);
    // Stored as the print run numbers invoices: the whole-number value, without leading zeros.
    const qlonglong value = newNumber.toLongLong();
    const QString number = QString::number(value);

    db::Connection billing;
    billing.openPath(existing(dataFiles::billing(year)));
    const QString ledgers = existing(QString::fromLatin1(dataFiles::lateFeeLedgers));

    auto own = billing.openRecordset(QStringLiteral("select %1, %2 from KPKZK where DanWeiBianHao = ?")
                                         .arg(column(month, "P"), column(month, "DATE")),
                                     {enterprise}, db::LockType::ReadOnly);
    if (own->isEOF())
        throw NumberError(QStringLiteral("本年的开票记录中没有单位 %1。").arg(enterprise));
    const QString oldNumber = own->value(0).toString();
    const QDate invoiceDate = own->value(1).toDate();
    if (oldNumber == number)
        return number;

    // Every invoice of the year is found by its number, and printed and sent to the bank by its
    // value: no two may share one, whatever zeros lead it.
    if (const auto user = invoiceSearch::byNumberValue(billing, value, invoiceSearch::Found{enterprise, month}))
        throw NumberError(QStringLiteral("发票编号 %1 已经是单位 %2 %3 月发票的编号。")
                              .arg(newNumber, user->enterprise)
                              .arg(user->month));

    // Declared before the transaction, so that it takes back whatever a failing statement left open.
    const lateFeeLedger::Attached attached(billing, ledgers);
    billing.beginTransaction();
    billing.execute(QStringLiteral("update KPKZK set %1 = ? where DanWeiBianHao = ?").arg(column(month, "P")),
                    {number, enterprise});
    billing.execute(
        QStringLiteral("update %1 set FaPiaoBianHao = ? where %2")
            .arg(db::quoteIdentifier(lateFeeLedger::tableName(enterprise)), lateFeeLedger::invoiceRowCondition()),
        QVariantList{number} + lateFeeLedger::invoiceRowParams(oldNumber, invoiceDate));
    billing.commit();
    return number;
}

} // namespace collection
