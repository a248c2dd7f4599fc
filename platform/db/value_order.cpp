#include "platform/db/value_order.h"

#include "platform/convert/convert.h"

#include <QDate>
#include <QDateTime>

namespace db {

namespace {

bool isDate(const QVariant& v)
{
    return v.userType() == QMetaType::QDate || v.userType() == QMetaType::QDateTime;
}

double numberOf(const QVariant& v)
{
    if (v.userType() == qMetaTypeId<convert::Currency>())
        return v.value<convert::Currency>().toDouble();
    if (v.userType() == QMetaType::QString)
        return convert::toDouble(v.toString());
    return v.toDouble();
}

QString textOf(const QVariant& v)
{
    if (v.userType() == QMetaType::QDate)
        return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
    if (v.userType() == QMetaType::QDateTime)
        return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    return v.toString();
}

} // namespace

bool isNullValue(const QVariant& v)
{
    return !v.isValid() || (v.isNull() && v.userType() != qMetaTypeId<convert::Currency>());
}

int compareValues(const QVariant& a, const QVariant& b)
{
    const bool an = isNullValue(a), bn = isNullValue(b);
    if (an || bn)
        return an == bn ? 0 : (an ? -1 : 1);
    const bool aNum = convert::isNumber(a) || (convert::isNumber(b) && convert::isNumeric(a.toString()));
    const bool bNum = convert::isNumber(b) || (convert::isNumber(a) && convert::isNumeric(b.toString()));
    if (aNum && bNum) {
        if (a.userType() == qMetaTypeId<convert::Currency>() && b.userType() == a.userType()) {
            const auto x = a.value<convert::Currency>(), y = b.value<convert::Currency>();
            return x < y ? -1 : (y < x ? 1 : 0);
        }
        const double x = numberOf(a), y = numberOf(b);
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    if (isDate(a) && isDate(b)) {
        const QDateTime x = a.userType() == QMetaType::QDate ? a.toDate().startOfDay() : a.toDateTime();
        const QDateTime y = b.userType() == QMetaType::QDate ? b.toDate().startOfDay() : b.toDateTime();
        return x < y ? -1 : (y < x ? 1 : 0);
    }
    const int c = QString::compare(textOf(a), textOf(b), Qt::CaseInsensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

QString foldedText(const QString& text)
{
    QString folded;
    folded.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(char16_t(c), text[++i].unicode());
        const char32_t f = QChar::toCaseFolded(c);
        if (QChar::requiresSurrogates(f)) {
            folded += QChar(QChar::highSurrogate(f));
            folded += QChar(QChar::lowSurrogate(f));
        } else {
            folded += QChar(char16_t(f));
        }
    }
    return folded;
}

bool valuesEqual(const QVariant& a, const QVariant& b)
{
    return !isNullValue(a) && !isNullValue(b) && compareValues(a, b) == 0;
}

} // namespace db
