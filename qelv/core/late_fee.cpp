#include "qelv/core/late_fee.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/prepared.h"

#include <QDateTime>
#include <QVariant>
#include <cmath>

namespace {

// A ledger date as a day number with its time of day as the fraction, so that differences are in
// days as the dates' own arithmetic gives them. Null (or no date) gives false.
bool dayNumber(const QVariant& v, double* out)
{
    if (v.isNull())
        return false;
    if (v.userType() == QMetaType::QDateTime) {
        const QDateTime t = v.toDateTime();
        *out = static_cast<double>(t.date().toJulianDay()) + t.time().msecsSinceStartOfDay() / 86400000.0;
        return true;
    }
    const QDate d = v.toDate();
    if (!d.isValid())
        return false;
    *out = static_cast<double>(d.toJulianDay());
    return true;
}

convert::Currency feeAmount(const QVariant& v)
{
    if (v.isNull())
        throw convert::Error(QStringLiteral("无效使用 Null"));
    if (v.userType() == qMetaTypeId<convert::Currency>())
        return v.value<convert::Currency>();
    return convert::toCurrency(convert::toDouble(v));
}

convert::Currency times(convert::Currency amount, std::int16_t days)
{
    std::int64_t units = 0;
    if (__builtin_mul_overflow(amount.units(), static_cast<std::int64_t>(days), &units))
        throw convert::Error(QStringLiteral("溢出"));
    return convert::Currency::fromUnits(units);
}

} // namespace

convert::Currency ComputeLateFee(db::Connection& ledgers, const QString& enterprise, const QDate& invoiceDate,
                                 std::int16_t graceDays, float dailyRate, bool lateFeeOn,
                                 QList<lateFeeLedger::InvoiceRow>* marked)
{
    convert::Currency fee;
    if (!lateFeeOn)
        return fee;
    const QString table = db::quoteIdentifier(QStringLiteral("ZNJ") + enterprise);
    // The rate is kept in single precision; it takes part in double arithmetic as its exact value.
    const double rate = static_cast<double>(dailyRate);
    const double invoiceDay = static_cast<double>(invoiceDate.toJulianDay());

    // The ledger's rows are read forward, once each, by statements of the layer: a ledger holds a few
    // rows, and opening a recordset for them would cost more than reading them.
    // Overdue unpaid rows without collection document.
    convert::Currency unpaid;
    {
        db::PreparedStatement overdue(
            ledgers,
            QStringLiteral("Select * from %1 Where DaoZhangQingKuang=0 AND PiaoJuLeiXing=0 and KaiPiaoRiQi <= ?")
                .arg(table));
        if (!overdue.first({invoiceDate.addDays(-graceDays)}) ||
            overdue.value(overdue.column(QStringLiteral("KaiPiaoRiQi"))).isNull())
            return fee;
        const int amount = overdue.column(QStringLiteral("ShouFeiJinE"));
        do
            unpaid += feeAmount(overdue.value(amount));
        while (overdue.next());
    }

    // Days since the latest earlier row of any kind. Without one (no grace days and nothing dated
    // before the invoice date) there is no interval to charge: the unpaid part is zero and the late
    // payments below are charged as usual. The rows are read forward, once: the last one is wanted.
    {
        db::PreparedStatement earlier(
            ledgers, QStringLiteral("Select * from %1 where KaiPiaoRiQi<?  Order By KaiPiaoRiQi ASC").arg(table));
        if (earlier.first({invoiceDate})) {
            const int dated = earlier.column(QStringLiteral("KaiPiaoRiQi"));
            QVariant last;
            do
                last = earlier.value(dated);
            while (earlier.next());
            double latest = 0;
            if (!dayNumber(last, &latest))
                throw convert::Error(QStringLiteral("无效使用 Null"));
            const std::int16_t days = convert::toInt16(invoiceDay - latest - graceDays);
            if (days > 0)
                fee = convert::toCurrency(times(unpaid, days).toDouble() * rate);
        }
    }

    // Paid rows not yet charged.
    const QString paidCondition = QStringLiteral("DaoZhangQingKuang=1 AND PiaoJuLeiXing=0 and ZNJYiShou =0");
    QList<lateFeeLedger::InvoiceRow> rows;
    {
        db::PreparedStatement paid(ledgers, QStringLiteral("Select * from %1 Where %2").arg(table, paidCondition));
        if (!paid.first())
            return fee;
        const int invoicedAt = paid.column(QStringLiteral("KaiPiaoRiQi"));
        if (paid.value(invoicedAt).isNull())
            return fee;
        const int numberAt = paid.column(QStringLiteral("FaPiaoBianHao"));
        const int paidAt = paid.column(QStringLiteral("DaoZhangRiQi"));
        const int amountAt = paid.column(QStringLiteral("ShouFeiJinE"));
        do {
            const QVariant invoicedOn = paid.value(invoicedAt);
            rows << lateFeeLedger::InvoiceRow{paid.value(numberAt).toString(), invoicedOn.toDate()};
            double invoiced = 0, paidOn = 0;
            if (!dayNumber(invoicedOn, &invoiced) || !dayNumber(paid.value(paidAt), &paidOn))
                continue;
            const double excess = paidOn - invoiced - graceDays;
            if (excess > 0)
                fee = convert::toCurrency(fee.toDouble() + excess * rate * feeAmount(paid.value(amountAt)).toDouble());
        } while (paid.next());
    }
    ledgers.execute(QStringLiteral("Update %1 Set ZNJYiShou = 1 Where %2").arg(table, paidCondition));
    if (marked)
        *marked += rows;
    return fee;
}
