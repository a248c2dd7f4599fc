#include "platform/db/types.h"

#include "platform/convert/convert.h"
#include "platform/db/error.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <charconv>
#include <cfloat>
#include <cmath>
#include <sqlite3.h>

namespace db {

namespace {

const char* const dateFormat = "yyyy-MM-dd";
const char* const dateTimeFormat = "yyyy-MM-dd hh:mm:ss";

bool isCurrency(const QVariant& v) { return v.userType() == qMetaTypeId<convert::Currency>(); }

bool isInteger(int type)
{
    switch (type) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
        return true;
    default:
        return false;
    }
}

bool isFloating(int type) { return type == QMetaType::Double || type == QMetaType::Float; }

bool isText(const QVariant& v)
{
    return v.userType() == QMetaType::QString || v.userType() == QMetaType::QByteArray;
}

QString shown(const QVariant& v)
{
    if (isCurrency(v))
        return v.value<convert::Currency>().toPlainString();
    if (isFloating(v.userType()))
        return convert::plainNumber(v.toDouble());
    return v.toString();
}

[[noreturn]] void refuse(const char* text, const QString& field, const QVariant& value)
{
    throw Error(QStringLiteral("%1：字段“%2”不能接受“%3”。").arg(QString::fromUtf8(text), field, shown(value)));
}

QVariant intVariant(sqlite3_int64 v)
{
    if (v >= INT_MIN && v <= INT_MAX)
        return QVariant(static_cast<int>(v));
    return QVariant(static_cast<qlonglong>(v));
}

QVariant byStorage(sqlite3_stmt* stmt, int i)
{
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return intVariant(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, i));
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)), sqlite3_column_bytes(stmt, i));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_column_blob(stmt, i)), sqlite3_column_bytes(stmt, i));
    default:
        return QVariant();
    }
}

// "yyyy-MM-dd" gives a date, "yyyy-MM-dd hh:mm[:ss]" (or with a T) a date and time; else invalid.
QVariant parseStoredDate(const QString& text)
{
    if (text.size() == 10) {
        const QDate d = QDate::fromString(text, Qt::ISODate);
        return d.isValid() ? QVariant(d) : QVariant();
    }
    if (text.size() > 10 && (text[10] == QLatin1Char(' ') || text[10] == QLatin1Char('T'))) {
        const QDate d = QDate::fromString(text.left(10), Qt::ISODate);
        const QTime t = QTime::fromString(text.mid(11), Qt::ISODate);
        if (d.isValid() && t.isValid())
            return QDateTime(d, t);
    }
    return QVariant();
}

// A number from a value of any kind, for the number columns; text must be numeric as a whole.
double numberOf(const QVariant& v, const QString& field)
{
    const int type = v.userType();
    if (isCurrency(v))
        return v.value<convert::Currency>().toDouble();
    if (type == QMetaType::Bool)
        return v.toBool() ? 1.0 : 0.0;
    if (isInteger(type) || isFloating(type))
        return v.toDouble();
    if (isText(v)) {
        try {
            return convert::toDouble(v.toString());
        } catch (const convert::Error& e) {
            if (e.description() == QString::fromUtf8(messages::overflow))
                refuse(messages::overflow, field, v);
            refuse(messages::typeMismatch, field, v);
        }
    }
    refuse(messages::typeMismatch, field, v);
}

QVariant wholeNumber(const QVariant& v, ColumnType type, const QString& field)
{
    const double d = numberOf(v, field);
    if (!std::isfinite(d))
        refuse(messages::overflow, field, v);
    const double r = std::nearbyint(d);   // the default rounding mode: halves to even
    double low = -2147483648.0, high = 2147483647.0;
    if (type == ColumnType::Byte)
        low = 0, high = 255;
    else if (type == ColumnType::Short)
        low = -32768, high = 32767;
    if (r < low || r > high)
        refuse(messages::overflow, field, v);
    return QVariant(static_cast<int>(r));
}

QVariant money(const QVariant& v, const QString& field)
{
    try {
        if (isCurrency(v))
            return v;
        const int type = v.userType();
        if (type == QMetaType::Bool)
            return QVariant::fromValue(convert::Currency::fromUnits(v.toBool() ? 10000 : 0));
        if (isInteger(type)) {
            const qlonglong n = v.toLongLong();
            if (n > INT64_MAX / 10000 || n < INT64_MIN / 10000)
                refuse(messages::overflow, field, v);
            return QVariant::fromValue(convert::Currency::fromUnits(n * 10000));
        }
        if (isFloating(type))
            return QVariant::fromValue(convert::Currency::fromDouble(v.toDouble()));
        if (isText(v)) {
            const QString t = v.toString();
            try {
                return QVariant::fromValue(convert::Currency::fromText(t));
            } catch (const convert::Error&) {
                // "1e3" and the like: numeric, though not in the plain form.
                return QVariant::fromValue(convert::Currency::fromDouble(convert::toDouble(t)));
            }
        }
    } catch (const convert::Error& e) {
        if (e.description() == QString::fromUtf8(messages::overflow))
            refuse(messages::overflow, field, v);
        refuse(messages::typeMismatch, field, v);
    }
    refuse(messages::typeMismatch, field, v);
}

QVariant yesNo(const QVariant& v, const QString& field)
{
    const int type = v.userType();
    if (type == QMetaType::Bool)
        return v;
    if (isCurrency(v))
        return QVariant(v.value<convert::Currency>().units() != 0);
    if (isInteger(type) || isFloating(type))
        return QVariant(v.toDouble() != 0.0);
    if (isText(v)) {
        const QString t = v.toString().trimmed().toLower();
        static const QStringList yes = {QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("on"),
                                        QStringLiteral("是"), QStringLiteral("真")};
        static const QStringList no = {QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("off"),
                                       QStringLiteral("否"), QStringLiteral("假")};
        if (yes.contains(t))
            return QVariant(true);
        if (no.contains(t))
            return QVariant(false);
        if (convert::isNumeric(t))
            return QVariant(convert::toDouble(t) != 0.0);
    }
    refuse(messages::typeMismatch, field, v);
}

QVariant dateTime(const QVariant& v, const QString& field)
{
    const int type = v.userType();
    if (type == QMetaType::QDate) {
        if (!v.toDate().isValid())
            refuse(messages::typeMismatch, field, v);
        return v;
    }
    if (type == QMetaType::QDateTime) {
        if (!v.toDateTime().isValid())
            refuse(messages::typeMismatch, field, v);
        return v;
    }
    if (isText(v)) {
        const QString t = v.toString().trimmed();
        const qsizetype blank = t.indexOf(QRegularExpression(QStringLiteral("[ T]")));
        try {
            if (blank < 0)
                return QVariant(convert::toDate(t));
            const QDate d = convert::toDate(t.left(blank));
            const QString clock = t.mid(blank + 1).trimmed();
            QTime time = QTime::fromString(clock, QStringLiteral("H:m:s"));
            if (!time.isValid())
                time = QTime::fromString(clock, QStringLiteral("H:m"));
            if (time.isValid())
                return QVariant(QDateTime(d, time));
        } catch (const convert::Error&) {
        }
    }
    refuse(messages::typeMismatch, field, v);
}

QString textOf(const QVariant& v)
{
    const int type = v.userType();
    if (type == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (type == QMetaType::QDate)
        return v.toDate().toString(QString::fromLatin1(dateFormat));
    if (type == QMetaType::QDateTime)
        return v.toDateTime().toString(QString::fromLatin1(dateTimeFormat));
    return shown(v);
}

} // namespace

double singlePrecision(double value)
{
    const float f = static_cast<float>(value);
    if (!std::isfinite(f))
        return value;
    char buffer[64];
    const auto res = std::to_chars(buffer, buffer + sizeof buffer, f);
    double d = 0;
    std::from_chars(buffer, res.ptr, d);
    return d;
}

void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value)
{
    int rc = SQLITE_OK;
    const int type = value.userType();
    if (isCurrency(value)) {
        rc = sqlite3_bind_double(stmt, index, static_cast<double>(value.value<convert::Currency>().units()) / 10000.0);
    } else if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else if (type == QMetaType::Bool) {
        rc = sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
    } else if (isInteger(type)) {
        if (type == QMetaType::ULongLong && value.toULongLong() > static_cast<qulonglong>(INT64_MAX))
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
        else
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
    } else if (isFloating(type)) {
        rc = sqlite3_bind_double(stmt, index, value.toDouble());
    } else if (type == QMetaType::QByteArray) {
        const QByteArray b = value.toByteArray();
        rc = sqlite3_bind_blob64(stmt, index, b.constData(), static_cast<sqlite3_uint64>(b.size()), SQLITE_TRANSIENT);
    } else {
        QString text;
        if (type == QMetaType::QString)
            text = value.toString();
        else if (type == QMetaType::QDate)
            text = value.toDate().toString(QString::fromLatin1(dateFormat));
        else if (type == QMetaType::QDateTime)
            text = value.toDateTime().toString(QString::fromLatin1(dateTimeFormat));
        else if (type == QMetaType::QTime)
            text = value.toTime().toString(QStringLiteral("hh:mm:ss"));
        else if (value.canConvert<QString>())
            text = value.toString();
        else
            throw Error(QStringLiteral("不支持的参数类型：%1").arg(QString::fromLatin1(value.typeName())));
        const QByteArray utf8 = text.toUtf8();
        rc = sqlite3_bind_text64(stmt, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                                 SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (rc != SQLITE_OK)
        throw Error(QStringLiteral("无法设置第 %1 个参数（%2）").arg(index).arg(QString::fromUtf8(sqlite3_errstr(rc))));
}

QVariant valueFromSql(sqlite3_stmt* stmt, int i, ColumnType type, bool typed)
{
    const int storage = sqlite3_column_type(stmt, i);
    if (storage == SQLITE_NULL)
        return QVariant();
    if (!typed)
        return byStorage(stmt, i);
    const bool numeric = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
    switch (type) {
    case ColumnType::Text:
    case ColumnType::Memo:
        if (storage == SQLITE_FLOAT)
            return convert::plainNumber(sqlite3_column_double(stmt, i));
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)), sqlite3_column_bytes(stmt, i));
    case ColumnType::Byte:
    case ColumnType::Short:
    case ColumnType::Long:
    case ColumnType::Counter:
        if (storage == SQLITE_INTEGER)
            return intVariant(sqlite3_column_int64(stmt, i));
        break;
    case ColumnType::Single:
        if (numeric)
            return QVariant(singlePrecision(sqlite3_column_double(stmt, i)));
        break;
    case ColumnType::Double:
        if (numeric)
            return QVariant(sqlite3_column_double(stmt, i));
        break;
    case ColumnType::Currency:
        if (storage == SQLITE_INTEGER) {
            const sqlite3_int64 n = sqlite3_column_int64(stmt, i);
            if (n <= INT64_MAX / 10000 && n >= INT64_MIN / 10000)
                return QVariant::fromValue(convert::Currency::fromUnits(n * 10000));
        } else if (storage == SQLITE_FLOAT) {
            const double units = std::round(sqlite3_column_double(stmt, i) * 10000.0);
            if (std::fabs(units) < 9.2e18)
                return QVariant::fromValue(convert::Currency::fromUnits(std::llround(units)));
        }
        break;
    case ColumnType::YesNo:
        if (numeric)
            return QVariant(sqlite3_column_double(stmt, i) != 0.0);
        break;
    case ColumnType::DateTime:
        if (storage == SQLITE_TEXT) {
            const QVariant d = parseStoredDate(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i))));
            if (d.isValid())
                return d;
        }
        break;
    }
    // A value the column's type does not explain (written by other means) reads as it is stored.
    return byStorage(stmt, i);
}

QVariant valueFromSql(sqlite3_stmt* stmt, int i)
{
    const char* decl = sqlite3_column_decltype(stmt, i);
    if (!decl)
        return valueFromSql(stmt, i, ColumnType::Text, false);
    bool known = false;
    const ColumnType type = typeFromDecl(QString::fromUtf8(decl), nullptr, &known);
    return valueFromSql(stmt, i, type, known);
}

QVariant valueForColumn(const QVariant& value, ColumnType type, int size, const QString& field)
{
    if (!value.isValid() || (value.isNull() && !isCurrency(value)))
        return QVariant();
    const bool textColumn = type == ColumnType::Text || type == ColumnType::Memo;
    if (!textColumn && isText(value) && value.toString().trimmed().isEmpty())
        return QVariant();
    switch (type) {
    case ColumnType::Text:
    case ColumnType::Memo: {
        const QString s = textOf(value);
        const int limit = size > 0 ? size : 255;
        // Characters as SQLite's length() counts them: code points.
        if (type == ColumnType::Text && s.toUcs4().size() > limit)
            throw Error(QStringLiteral("%1（字段“%2”最多 %3 个字符）").arg(QString::fromUtf8(messages::fieldTooSmall), field).arg(limit));
        return s;
    }
    case ColumnType::Byte:
    case ColumnType::Short:
    case ColumnType::Long:
        return wholeNumber(value, type, field);
    case ColumnType::Counter:
        throw Error(QStringLiteral("字段“%1”是自动编号，由数据库给出，不能更改。").arg(field));
    case ColumnType::Single: {
        const double d = numberOf(value, field);
        if (!std::isfinite(d) || std::fabs(d) > FLT_MAX)
            refuse(messages::overflow, field, value);
        return QVariant(singlePrecision(d));
    }
    case ColumnType::Double: {
        const double d = numberOf(value, field);
        if (!std::isfinite(d))
            refuse(messages::overflow, field, value);
        return QVariant(d);
    }
    case ColumnType::Currency:
        return money(value, field);
    case ColumnType::YesNo:
        return yesNo(value, field);
    case ColumnType::DateTime:
        return dateTime(value, field);
    }
    return value;
}

} // namespace db
