#include "qelv/core/invoice_search.h"

#include "platform/convert/convert.h"
#include "platform/db/connection.h"
#include "platform/db/recordset.h"
#include "platform/files/files.h"
#include "qelv/core/Module1.h"
#include "qelv/core/data_files.h"

#include <functional>
#include <optional>

namespace invoiceSearch {

namespace {

int typedYear(const QString& text)
{
    const QString typed = text.trimmed();
    return typed.isEmpty() ? Module1::gWorkMonth.year() : convert::toDate(typed + QStringLiteral("-01-01")).year();
}

std::unique_ptr<db::Connection> openBilling(int year)
{
    const QString name = dataFiles::billing(year);
    if (!files::exists(files::dataFile(name)))
        throw Error(QStringLiteral("没有%1年的开票数据：文件 %2 不存在。").arg(year).arg(name));
    return std::make_unique<db::Connection>(db::DataFile{name});
}

} // namespace

namespace {

// The first row of which a month column meets the month's condition, with the first month that does,
// so the row found always names its month. `params` are one month's parameters.
std::optional<Found> firstInMonths(db::Connection& billing, const std::function<QString(int month)>& condition,
                                   const std::function<QVariantList(int month)>& params)
{
    QString monthCase = QStringLiteral("case");
    QStringList anyMonth;
    QVariantList caseParams, anyParams;
    for (int m = 1; m <= 12; ++m) {
        monthCase += QStringLiteral(" when %1 then %2").arg(condition(m)).arg(m);
        anyMonth << QStringLiteral("(%1)").arg(condition(m));
        caseParams += params(m);
        anyParams += params(m);
    }
    auto found = billing.openRecordset(QStringLiteral("Select DanWeiBianHao, %1 end as FoundMonth from kpkzk where %2")
                                           .arg(monthCase, anyMonth.join(QStringLiteral(" or "))),
                                       caseParams + anyParams, db::LockType::ReadOnly);
    if (found->isEOF())
        return std::nullopt;
    return Found{found->value(0).toString(), found->value(1).toInt()};
}

} // namespace

std::optional<Found> byNumber(db::Connection& billing, const QString& number)
{
    // Under the column's own comparison.
    return firstInMonths(
        billing, [](int m) { return QStringLiteral("M%1P = ?").arg(m); },
        [&number](int) { return QVariantList{number}; });
}

std::optional<Found> byNumberValue(db::Connection& billing, std::int64_t value, const std::optional<Found>& except)
{
    return firstInMonths(
        billing,
        [&except](int m) {
            const QString digits = QStringLiteral("trim(M%1P)").arg(m);
            QString c = QStringLiteral("%1 <> '' and %1 not glob '*[^0-9]*' and cast(%1 as integer) = ?").arg(digits);
            if (except && except->month == m)
                c += QStringLiteral(" and DanWeiBianHao <> ?");
            return c;
        },
        [&](int m) {
            QVariantList p{QVariant::fromValue<qlonglong>(value)};
            if (except && except->month == m)
                p << except->enterprise;
            return p;
        });
}

namespace {

// A fee month typed for a search by name, or the message that refuses the two texts (either empty, a
// month that is no number or out of range).
struct TypedMonth {
    int month = 0;
    QString refusal;
};

TypedMonth typedMonth(const QString& name, const QString& month)
{
    if (month.isEmpty() || name.isEmpty())
        return {0, QStringLiteral("按单位名称查询时，单位名称和排污费月份不能为空！")};
    if (!convert::isNumeric(month))
        return {0, QStringLiteral("排污费月份输入的不是数字！")};
    const double typed = convert::toDouble(month);
    if (typed > 12 || typed < 1)
        return {0, QStringLiteral("排污费月份输入数字要在 1-12 之间！")};
    return {convert::toInt16(typed), QString()};
}

QStringList enterprisesNamed(db::Connection& enterprises, const QString& name)
{
    auto named = enterprises.openRecordset(QStringLiteral("Select DanWeiBianHao from dw Where DanWeiQuangCheng = ?"),
                                           {name}, db::LockType::ReadOnly);
    QStringList numbers;
    for (; !named->isEOF(); named->moveNext())
        numbers << named->value(0).toString();
    return numbers;
}

QString gridQuery(int month, int enterprises)
{
    QString sql = QStringLiteral("Select DanWeiBianHao as [单位编号],M%1P as [发票编号],M%1M as [发票金额],"
                                 "[M%1DATE] as [开票日期],M%1MD as [到账],M%1DDATE as [到账日期] From kpkzk "
                                 "where DanWeiBianHao = ?")
                      .arg(month);
    for (int i = 1; i < enterprises; ++i)
        sql += QStringLiteral(" or DanWeiBianHao = ?");
    return sql;
}

} // namespace

std::unique_ptr<db::Recordset> openGrid(db::Connection& billing, int month, const QStringList& enterprises)
{
    QVariantList params;
    for (const QString& n : enterprises)
        params << n;
    return billing.openRecordset(gridQuery(month, int(enterprises.size())), params, db::LockType::ReadOnly);
}

Search search(const QString& yearText, const QString& number, const QString& name, const QString& monthText)
{
    Search s;
    s.year = typedYear(yearText);
    s.billing = openBilling(s.year);
    db::Connection enterprises(db::DataFile{QString::fromLatin1(dataFiles::enterprises)});
    if (!number.isEmpty()) {
        const auto found = byNumber(*s.billing, number);
        if (!found) {
            s.refusal = QStringLiteral("没有找到该发票!");
            return s;
        }
        s.byNumber = true;
        s.month = found->month;
        s.enterprises = {found->enterprise};
        s.name = enterprises.scalar(QStringLiteral("Select DanWeiQuangCheng from dw Where DanWeiBianHao = ?"),
                                    {found->enterprise});
        return s;
    }
    const TypedMonth month = typedMonth(name, monthText);
    if (!month.refusal.isEmpty()) {
        s.refusal = month.refusal;
        return s;
    }
    s.month = month.month;
    s.enterprises = enterprisesNamed(enterprises, name);
    if (s.enterprises.isEmpty())
        s.refusal = QStringLiteral("没有找到该单位!");
    return s;
}

} // namespace invoiceSearch
