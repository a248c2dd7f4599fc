#include "qelv/core/discharge_figures.h"

#include "platform/convert/convert.h"

namespace dischargeFigures {

namespace {

QString valueText(const QVariant& v)
{
    if (v.isNull())
        return QString();
    if (v.userType() == qMetaTypeId<convert::Currency>())
        return v.value<convert::Currency>().toPlainString();
    if (convert::isNumber(v))
        return convert::plainNumber(convert::toDouble(v));
    return v.toString();
}

bool isFigure(const QString& column)
{
    if (column.isEmpty())
        return false;
    for (const char* fixed : {"是否单独列为收费项目", "提高收费", "加倍收费", "收费金额"})
        if (column.compare(QString::fromUtf8(fixed), Qt::CaseInsensitive) == 0)
            return false;
    for (const char* part : {"修正", "当量", "标准"})
        if (column.contains(QString::fromUtf8(part), Qt::CaseInsensitive))
            return false;
    return true;
}

} // namespace

QString text(const QStringList& names, const QVariantList& values)
{
    QString text;
    for (qsizetype i = 0; i < names.size() && i < values.size(); ++i)
        if (isFigure(names[i]))
            text += names[i] + QLatin1Char(':') + valueText(values[i]) + QLatin1Char(',');
    return text;
}

} // namespace dischargeFigures
