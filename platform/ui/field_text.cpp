#include "platform/ui/field_text.h"

#include "platform/convert/convert.h"

#include <QDateTime>

namespace ui {

QString fieldText(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    switch (value.typeId()) {
    case QMetaType::Double:
        return convert::plainNumber(value.toDouble());
    case QMetaType::Float:
        // The shortest digits of the single-precision value: a stored 0.002 reads "0.002".
        return value.toString();
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QDate:
        return convert::formatIsoDate(value.toDate());
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime();
        if (dt.time() == QTime(0, 0))
            return convert::formatIsoDate(dt.date());
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    default:
        break;
    }
    if (value.canConvert<convert::Currency>() && value.metaType() == QMetaType::fromType<convert::Currency>())
        return value.value<convert::Currency>().toPlainString();
    return value.toString();
}

QVariant typedValue(const QString& text, db::ColumnType type)
{
    if (text.isEmpty() && type != db::ColumnType::Text && type != db::ColumnType::Memo)
        return QVariant();
    return text;
}

} // namespace ui
