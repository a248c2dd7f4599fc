#include "qelv/core/generation_run.h"

#include "platform/convert/convert.h"
#include "platform/files/files.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"
#include "qelv/core/fee_items.h"
#include "qelv/core/late_fee.h"
#include "qelv/core/lookup_indexes.h"

#include <limits>

namespace generationRun {

RunState RunState::fromModule1()
{
    return {Module1::gWorkMonth, Module1::gInvoiceDate,      Module1::gUserName,
            Module1::gLateFeeOn, Module1::gLateFeeStartDays, Module1::gLateFeeRate};
}

void RunFiles::openMonth(const QDate& workMonth, const QString& printFile)
{
    enterprises.open(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    discharge.open(db::DataFile{dataFiles::monthData(workMonth)});
    print.open(db::DataFile{printFile});
    billing.open(db::DataFile{dataFiles::billing(workMonth.year())});
    for (db::Connection* c : {&enterprises, &print, &billing})
        lookupIndexes::ensure(*c);
    ledgersPath = files::dataFile(QString::fromLatin1(dataFiles::lateFeeLedgers));
    if (!files::exists(ledgersPath))
        throw db::Error(QStringLiteral("找不到文件“%1”。").arg(ledgersPath));
    ledgersPath = files::resolve(ledgersPath);
}

int percent(int position, int count)
{
    const float step = 100.0f / static_cast<float>(count);
    return static_cast<int>(static_cast<float>(position) * step);
}

ListWalk::ListWalk(qsizetype count, Progress progress)
    : count_(static_cast<int>(count)),
      progress_(std::move(progress))
{
}

bool ListWalk::next(const QString& number, bool taken)
{
    ++position_;
    if (taken)
        ++taken_;
    if (progress_)
        progress_(position_, count_, taken_);
    if (taken)
        current_ = number;
    return taken;
}

GenerationError ListWalk::stopped(const std::exception& cause, const QString& nothingKept) const
{
    QString why = platform::describe(cause);
    if (!current_.isEmpty())
        why += QStringLiteral("\n生成到单位 %1 时出错。").arg(current_);
    why += QLatin1Char('\n') + nothingKept;
    return GenerationError(why);
}

LineIds::LineIds(QString overflow)
    : overflow_(std::move(overflow))
{
}

std::int16_t LineIds::next()
{
    if (last_ == std::numeric_limits<std::int16_t>::max())
        throw convert::Error(overflow_);
    return ++last_;
}

QString periodText(const QVariant& remark, const QDate& workMonth)
{
    if (remark.isNull() || remark.toString().isEmpty())
        return QStringLiteral("(%1)").arg(convert::formatYearMonthCn(workMonth));
    return QStringLiteral("(%1)").arg(remark.toString());
}

convert::Currency lateFee(db::Connection& print, const RunState& state, const QString& enterprise,
                          QList<lateFeeLedger::InvoiceRow>* marked)
{
    return feeItems::wholeFen(ComputeLateFee(print, enterprise, state.invoiceDate, state.graceDays, state.dailyRate,
                                             state.lateFeeOn, marked));
}

} // namespace generationRun
