#include "qelv/notices/pollutant_detail.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/error/error.h"
#include "qelv/core/discharge_figures.h"
#include "qelv/core/discharge_records.h"

#include <optional>

namespace notices {

namespace {

bool isZero(const QVariant& v)
{
    return v.isNull() || convert::toDouble(v) == 0;
}

} // namespace

PollutantDetail::PollutantDetail(db::Connection& enterprises, db::Connection& discharge, db::Connection& print,
                                 db::Connection& billing, const QDate& workMonth, dischargeRecords::Cache* records)
    : discharge_(discharge),
      records_(records),
      registered_(enterprises, QStringLiteral("Select DanWeiBianHao,DanWeiQuangCheng from dw where DanWeiBianHao=?")),
      remark_(billing,
              QStringLiteral("Select %1 from KPKZK where DanWeiBianHao=? and %2=1 and %1 is not null")
                  .arg(db::quoteIdentifier(QStringLiteral("M%1B").arg(workMonth.month())),
                       db::quoteIdentifier(QStringLiteral("M%1").arg(workMonth.month())))),
      insert_(print,
              QStringLiteral("Insert Into WuRanWuMingXi (DanWeiBianHao,PaiWuKou,WuRanWuMingCheng,WuRanWuShuJu) "
                             "Values (?,?,?,?)"))
{
    db::PreparedStatement all(enterprises,
                              QStringLiteral("Select ID,DanWeiBianHao,WuRanWuBianHao,WuRanWuMingCheng,LeiXing,PaiWuKou "
                                             "from dwwrw Order By ID ASC"));
    for (bool row = all.first(); row; row = all.next())
        assignments_[all.value(1).toString().toCaseFolded()]
            << Assignment{all.value(0), all.value(2).toString(), all.value(3).toString(), all.value(5)};
}

PollutantDetail::~PollutantDetail() = default;

QString detailText(const QString& figures, const QString& remark)
{
    const QString period = remark.isEmpty() ? QString() : QStringLiteral("(%1)").arg(remark);
    return figures.left(qMax<qsizetype>(0, figures.size() - 1)) + QLatin1Char(' ') + period;
}

int PollutantDetail::build(const QString& number, const ErrorSink& errors)
{
    int appended = 0;
    if (number.isEmpty())
        return appended;
    try {
        if (!registered_.first({number}) || registered_.value(0).isNull())
            return appended;
        const QList<Assignment> list = assignments_.value(number.toCaseFolded());
        if (list.isEmpty() || list.first().id.isNull())
            return appended;
        QString remark;
        if (remark_.first({number}))
            remark = remark_.value(0).toString();
        for (const Assignment& a : list) {
            const QString table = QStringLiteral("WRW") + number + a.pollutant + a.outlet.toString();
            std::optional<dischargeRecords::Record> own;
            const dischargeRecords::Record& record =
                records_ ? records_->of(table) : own.emplace(dischargeRecords::read(discharge_, table));
            if (!record.found || record.values.value(0).isNull())
                continue;
            const qsizetype columns = record.values.size();
            if (isZero(record.values.at(0)) && (columns < 2 || isZero(record.values.at(1))))
                continue;
            insert_.run(
                {number, a.outlet, a.name, detailText(dischargeFigures::text(record.names, record.values), remark)});
            ++appended;
        }
    } catch (const std::exception& e) {
        if (errors)
            errors(platform::describe(e));
    }
    return appended;
}

} // namespace notices
