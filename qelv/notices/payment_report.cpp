#include "qelv/notices/payment_report.h"

#include "platform/convert/convert.h"

#include <cmath>

namespace paymentReport {

Month checkMonth(const QString& text)
{
    if (text.isEmpty())
        return {0, QStringLiteral("排污费月份不能为空！")};
    if (!convert::isNumeric(text))
        return {0, QStringLiteral("排污费月份应为数字！")};
    const double value = convert::toDouble(text);
    if (value > 12 || value < 1)
        return {0, QStringLiteral("排污费月份应在 1 - 12 之间！")};
    if (value != std::floor(value))
        return {0, QStringLiteral("排污费月份应为整数！")};
    return {static_cast<int>(value), QString()};
}

QString querySql(int month, bool paid)
{
    const QString m = QString::number(month);
    const QString f = paid ? QStringLiteral("MD=1 and M") : QStringLiteral("MD=0 and M");
    return QStringLiteral("Select DanWeiBianHao as [单位编号],DanWeiQuangCheng as [单位名称],M") + m +
        QStringLiteral("P AS [发票编号],M") + m + QStringLiteral("M AS [发票金额],M") + m +
        QStringLiteral("DATE AS [开票日期],") + QStringLiteral("M") + m +
        QStringLiteral("DDATE AS [到账日期],DanWeiFenQu AS [所属中队] from tjktmp WHERE M") + m + f + m +
        QStringLiteral("=1 Order by DanWeiFenQu,DanWeiBianHao asc ;");
}

} // namespace paymentReport
