#include "qelv/collection/invoice_number.h"

#include "platform/db/connection.h"
#include "qelv/core/invoice_payment.h"
#include "qelv/core/invoice_search.h"

namespace collection {

namespace {

constexpr int maxDigits = 8;

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

QString changeInvoiceNumber(int year, int month, const QString& enterprise, const QString& listedNumber,
                            const QString& newNumber)
{
    const QString problem = invoiceNumberProblem(newNumber);
    if (!problem.isEmpty())
        throw NumberError(problem);
    // Stored as the print run numbers invoices: the whole-number value, without leading zeros.
    const qlonglong value = newNumber.toLongLong();
    const QString number = QString::number(value);

    invoicePayment::Writer writer(year);
    if (listedNumber == number)
        return number;
    // Every invoice of the year is found by its number, and printed and sent to the bank by its value:
    // no two may share one, whatever zeros lead it. Looked for in the change's own transaction, so that
    // no other copy of the program gives the number away between the look and the change.
    try {
        writer.renumber(enterprise, month, listedNumber, number, [&](db::Connection& billing) {
            if (const auto user = invoiceSearch::byNumberValue(billing, value, invoiceSearch::Found{enterprise, month}))
                throw invoicePayment::Refused(QStringLiteral("发票编号 %1 已经是单位 %2 %3 月发票的编号。")
                                                  .arg(newNumber, user->enterprise)
                                                  .arg(user->month));
        });
    } catch (const invoicePayment::Refused& e) {
        throw NumberError(e.description());
    }
    return number;
}

} // namespace collection
