#include "platform/db/types.h"

#include "platform/convert/convert.h"
#include "platform/db/error.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>
#include <new>
#include <sqlite3.h>
#include <type_traits>
#include <utility>

namespace db {

namespace {

const char* const dateFormat = "yyyy-MM-dd";
const char* const dateTimeFormat = "yyyy-MM-dd hh:mm:ss";

bool isCurrency(const QVariant& v)
{
    return typeOf(v) == qMetaTypeId<convert::Currency>();
}

bool isText(const QVariant& v)
{
    return v.userType() == QMetaType::QString || v.userType() == QMetaType::QByteArray;
}

QString shown(const QVariant& v)
{
    if (isCurrency(v))
        return v.value<convert::Currency>().toPlainString();
    if (convert::isFloatingType(v.userType()))
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
    if (convert::isIntegerType(type) || convert::isFloatingType(type))
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
    const double r = std::nearbyint(d); // the default rounding mode: halves to even
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
        if (convert::isIntegerType(type)) {
            const qlonglong n = v.toLongLong();
            if (n > INT64_MAX / 10000 || n < INT64_MIN / 10000)
                refuse(messages::overflow, field, v);
            return QVariant::fromValue(convert::Currency::fromUnits(n * 10000));
        }
        if (convert::isFloatingType(type))
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
    if (convert::isIntegerType(type) || convert::isFloatingType(type))
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

// "yyyy-MM-dd" and "yyyy-MM-dd hh:mm:ss" written digit by digit: the format strings go through the
// locale and the calendar for every date bound, which costs more than the statement's own binding.
// Years beyond four digits (and invalid values) take the format strings' way.
QString dateText(const QDate& d)
{
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        return d.toString(QString::fromLatin1(dateFormat));
    char16_t out[10];
    const auto put = [&out](int at, int value, int digits) {
        for (int i = digits - 1; i >= 0; --i, value /= 10)
            out[at + i] = static_cast<char16_t>(u'0' + value % 10);
    };
    put(0, d.year(), 4);
    out[4] = u'-';
    put(5, d.month(), 2);
    out[7] = u'-';
    put(8, d.day(), 2);
    return QString(reinterpret_cast<const QChar*>(out), 10);
}

QString dateTimeText(const QDateTime& t)
{
    const QDate d = t.date();
    const QTime time = t.time();
    if (!t.isValid() || !d.isValid() || d.year() < 1 || d.year() > 9999 || !time.isValid())
        return t.toString(QString::fromLatin1(dateTimeFormat));
    QString text = dateText(d);
    const int hms[3] = {time.hour(), time.minute(), time.second()};
    char16_t out[9];
    for (int i = 0; i < 3; ++i) {
        out[i * 3] = i == 0 ? u' ' : u':';
        out[i * 3 + 1] = static_cast<char16_t>(u'0' + hms[i] / 10);
        out[i * 3 + 2] = static_cast<char16_t>(u'0' + hms[i] % 10);
    }
    text.append(reinterpret_cast<const QChar*>(out), 9);
    return text;
}

// Characters as SQLite's length() counts them, without making a copy of the text.
qsizetype codePoints(const QString& s)
{
    qsizetype n = s.size();
    for (const QChar c : s)
        if (c.isLowSurrogate())
            --n;
    return n;
}

QString textOf(const QVariant& v)
{
    const int type = v.userType();
    if (type == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (type == QMetaType::QDate)
        return dateText(v.toDate());
    if (type == QMetaType::QDateTime)
        return dateTimeText(v.toDateTime());
    return shown(v);
}

// The text a value is bound as when it is no number, null or blob.
QString textForBinding(const QVariant& value)
{
    const int type = value.userType();
    if (type == QMetaType::QString)
        return *static_cast<const QString*>(value.constData());
    if (type == QMetaType::QDate)
        return dateText(value.toDate());
    if (type == QMetaType::QDateTime)
        return dateTimeText(value.toDateTime());
    if (type == QMetaType::QTime)
        return value.toTime().toString(QStringLiteral("hh:mm:ss"));
    if (value.canConvert<QString>())
        return value.toString();
    throw Error(QStringLiteral("不支持的参数类型：%1").arg(QString::fromLatin1(value.typeName())));
}

} // namespace

char* utf8Of(const QString& text, char* out)
{
    const char16_t* p = reinterpret_cast<const char16_t*>(text.constData());
    const char16_t* const end = p + text.size();
    while (p < end) {
        const char32_t c = *p++;
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
            continue;
        }
        char32_t code = c;
        if (c >= 0xd800 && c < 0xdc00 && p < end && *p >= 0xdc00 && *p < 0xe000)
            code = 0x10000 + ((c - 0xd800) << 10) + (*p++ - 0xdc00);
        else if (c >= 0xd800 && c < 0xe000)
            code = 0xfffd;
        if (code < 0x800) {
            *out++ = static_cast<char>(0xc0 | (code >> 6));
        } else if (code < 0x10000) {
            *out++ = static_cast<char>(0xe0 | (code >> 12));
            *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        } else {
            *out++ = static_cast<char>(0xf0 | (code >> 18));
            *out++ = static_cast<char>(0x80 | ((code >> 12) & 0x3f));
            *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3f));
        }
        *out++ = static_cast<char>(0x80 | (code & 0x3f));
    }
    return out;
}

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

void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value, QByteArray* holder)
{
    int rc = SQLITE_OK;
    const int type = value.userType();
    if (isCurrency(value)) {
        rc = sqlite3_bind_double(stmt, index, static_cast<double>(value.value<convert::Currency>().units()) / 10000.0);
    } else if (!value.isValid() || value.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else if (type == QMetaType::Bool) {
        rc = sqlite3_bind_int(stmt, index, value.toBool() ? 1 : 0);
    } else if (convert::isIntegerType(type)) {
        if (type == QMetaType::ULongLong && value.toULongLong() > static_cast<qulonglong>(INT64_MAX))
            rc = sqlite3_bind_double(stmt, index, value.toDouble());
        else
            rc = sqlite3_bind_int64(stmt, index, value.toLongLong());
    } else if (convert::isFloatingType(type)) {
        rc = sqlite3_bind_double(stmt, index, value.toDouble());
    } else if (type == QMetaType::QByteArray) {
        const QByteArray b = value.toByteArray();
        if (holder)
            *holder = b;
        rc = sqlite3_bind_blob64(stmt, index, b.constData(), static_cast<sqlite3_uint64>(b.size()),
                                 holder ? SQLITE_STATIC : SQLITE_TRANSIENT);
    } else {
        const QByteArray utf8 = textForBinding(value).toUtf8();
        if (holder)
            *holder = utf8;
        rc = sqlite3_bind_text64(stmt, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                                 holder ? SQLITE_STATIC : SQLITE_TRANSIENT, SQLITE_UTF8);
    }
    if (rc != SQLITE_OK)
        throw Error(QStringLiteral("无法设置第 %1 个参数（%2）").arg(index).arg(QString::fromUtf8(sqlite3_errstr(rc))));
}

namespace {

// A value read, made in the variant's own room. A QString copied into a QVariant counts its reference
// up, and the one it was copied from counts it down again as it goes: two locked instructions a value,
// which cost more than the rest of reading a text field. An amount is made there without a call
// through its type's table.
template <typename T> QVariant madeInVariant(T&& value)
{
    using Type = std::remove_cvref_t<T>;
    static_assert(QVariant::Private::CanUseInternalSpace<Type>);
    QVariant v;
    QVariant::Private& d = v.data_ptr();
    d = QVariant::Private(QMetaType::fromType<Type>());
    new (&d.data.data) Type(std::forward<T>(value));
    return v;
}

QVariant textVariant(QString&& text)
{
    return madeInVariant(std::move(text));
}

// UTF-8 to UTF-16, for the texts of every row read. Qt's decoder takes some two hundred instructions
// for a short text; this loop takes the well-formed sequences and leaves anything else (a leading byte
// order mark, which Qt drops, and malformed bytes, which it replaces) to Qt, so that every text reads
// exactly as Qt reads it.
QString textFromUtf8(const char* utf8, int size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    if (size <= 0 || (size >= 3 && p[0] == 0xef && p[1] == 0xbb && p[2] == 0xbf))
        return QString::fromUtf8(utf8, size);
    QString text(size, Qt::Uninitialized); // never more UTF-16 units than UTF-8 bytes
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* out = begin;
    const unsigned char* const end = p + size;
    while (p < end) {
        const char32_t c = *p;
        if (c < 0x80) {
            // Eight letters of ASCII at a time where there are eight.
            quint64 eight = 0;
            while (end - p >= 8 && (std::memcpy(&eight, p, 8), (eight & 0x8080808080808080ull) == 0)) {
                for (int k = 0; k < 8; ++k)
                    out[k] = static_cast<char16_t>(p[k]);
                out += 8;
                p += 8;
            }
            while (p < end && *p < 0x80)
                *out++ = static_cast<char16_t>(*p++);
            continue;
        }
        const std::ptrdiff_t left = end - p;
        if (c >= 0xc2 && c < 0xe0 && left >= 2 && (p[1] & 0xc0) == 0x80) {
            *out++ = static_cast<char16_t>(((c & 0x1f) << 6) | (p[1] & 0x3f));
            p += 2;
            continue;
        }
        if (c >= 0xe0 && c < 0xf0 && left >= 3 && (p[1] & 0xc0) == 0x80 && (p[2] & 0xc0) == 0x80) {
            const char32_t u = ((c & 0x0f) << 12) | (static_cast<char32_t>(p[1] & 0x3f) << 6) | (p[2] & 0x3f);
            if (u < 0x800 || (u >= 0xd800 && u < 0xe000))
                return QString::fromUtf8(utf8, size);
            *out++ = static_cast<char16_t>(u);
            p += 3;
            continue;
        }
        if (c >= 0xf0 && c < 0xf5 && left >= 4 && (p[1] & 0xc0) == 0x80 && (p[2] & 0xc0) == 0x80 &&
            (p[3] & 0xc0) == 0x80) {
            const char32_t u = ((c & 0x07) << 18) | (static_cast<char32_t>(p[1] & 0x3f) << 12) |
                (static_cast<char32_t>(p[2] & 0x3f) << 6) | (p[3] & 0x3f);
            if (u < 0x10000 || u > 0x10ffff)
                return QString::fromUtf8(utf8, size);
            *out++ = static_cast<char16_t>(0xd800 + ((u - 0x10000) >> 10));
            *out++ = static_cast<char16_t>(0xdc00 + ((u - 0x10000) & 0x3ff));
            p += 4;
            continue;
        }
        return QString::fromUtf8(utf8, size);
    }
    text.truncate(out - begin);
    return text;
}

QVariant byStored(const StoredValue& v)
{
    switch (v.storage) {
    case SQLITE_INTEGER:
        return intVariant(v.integer);
    case SQLITE_FLOAT:
        return QVariant(v.real);
    case SQLITE_TEXT:
        return textVariant(textFromUtf8(v.bytes, v.size));
    case SQLITE_BLOB:
        return QByteArray(v.bytes, v.size);
    default:
        return QVariant();
    }
}

void appendValue(std::pmr::string& out, const StoredValue& v)
{
    const std::size_t at = out.size();
    out.resize(at + storedSize(v));
    writeStored(out.data() + at, v);
}

void appendRaw(std::pmr::string& out, int storage, qint64 integer, double real, const char* bytes, int size)
{
    StoredValue v;
    v.storage = storage;
    v.integer = integer;
    v.real = real;
    v.bytes = bytes;
    v.size = size;
    appendValue(out, v);
}

// A text written straight into the row's bytes: the length first, with room for the longest.
void appendText(std::pmr::string& out, const QString& text)
{
    const std::size_t room = 3 * static_cast<std::size_t>(text.size());
    out.push_back(static_cast<char>(SQLITE_TEXT));
    const std::size_t at = out.size();
    out.resize(at + 5 + room);
    char* begin = out.data() + at + 5;
    const std::size_t size = static_cast<std::size_t>(utf8Of(text, begin) - begin);
    char length[5];
    const std::size_t n = static_cast<std::size_t>(writeLength(length, static_cast<quint32>(size)) - length);
    std::memmove(out.data() + at + n, begin, size);
    std::memcpy(out.data() + at, length, n);
    out.resize(at + n + size);
}

} // namespace

void appendStoredText(std::pmr::string& out, const char* utf8, int size)
{
    appendRaw(out, SQLITE_TEXT, 0, 0, utf8, size);
}

void appendStored(std::pmr::string& out, sqlite3_stmt* stmt, int i)
{
    appendValue(out, storedOf(stmt, i));
}

void appendStored(std::pmr::string& out, const QVariant& value)
{
    const int type = typeOf(value);
    if (type == QMetaType::QString && !value.data_ptr().is_null) {
        appendText(out, *static_cast<const QString*>(value.constData()));
    } else if (isCurrency(value)) {
        appendRaw(out, SQLITE_FLOAT, 0, static_cast<double>(value.value<convert::Currency>().units()) / 10000.0,
                  nullptr, 0);
    } else if (!value.isValid() || value.isNull()) {
        appendRaw(out, SQLITE_NULL, 0, 0, nullptr, 0);
    } else if (type == QMetaType::Bool) {
        appendRaw(out, SQLITE_INTEGER, value.toBool() ? 1 : 0, 0, nullptr, 0);
    } else if (convert::isIntegerType(type)) {
        if (type == QMetaType::ULongLong && value.toULongLong() > static_cast<qulonglong>(INT64_MAX))
            appendRaw(out, SQLITE_FLOAT, 0, value.toDouble(), nullptr, 0);
        else
            appendRaw(out, SQLITE_INTEGER, value.toLongLong(), 0, nullptr, 0);
    } else if (convert::isFloatingType(type)) {
        appendRaw(out, SQLITE_FLOAT, 0, value.toDouble(), nullptr, 0);
    } else if (type == QMetaType::QByteArray) {
        const QByteArray b = value.toByteArray();
        appendRaw(out, SQLITE_BLOB, 0, 0, b.constData(), static_cast<int>(b.size()));
    } else {
        appendText(out, textForBinding(value));
    }
}

QVariant valueFromStored(const StoredValue& v, ColumnType type, bool typed)
{
    const int storage = v.storage;
    if (storage == SQLITE_NULL)
        return QVariant();
    if (!typed)
        return byStored(v);
    const bool numeric = storage == SQLITE_INTEGER || storage == SQLITE_FLOAT;
    const double real = storage == SQLITE_INTEGER ? static_cast<double>(v.integer) : v.real;
    switch (type) {
    case ColumnType::Text:
    case ColumnType::Memo:
        if (storage == SQLITE_FLOAT)
            return textVariant(convert::plainNumber(v.real));
        if (storage == SQLITE_INTEGER)
            return textVariant(QString::number(v.integer));
        return textVariant(textFromUtf8(v.bytes, v.size));
    case ColumnType::Byte:
    case ColumnType::Short:
    case ColumnType::Long:
    case ColumnType::Counter:
        if (storage == SQLITE_INTEGER)
            return intVariant(v.integer);
        break;
    case ColumnType::Single:
        if (numeric)
            return QVariant(singlePrecision(real));
        break;
    case ColumnType::Double:
        if (numeric)
            return QVariant(real);
        break;
    case ColumnType::Currency:
        if (storage == SQLITE_INTEGER) {
            const qint64 n = v.integer;
            if (n <= INT64_MAX / 10000 && n >= INT64_MIN / 10000)
                return madeInVariant(convert::Currency::fromUnits(n * 10000));
        } else if (storage == SQLITE_FLOAT) {
            const double units = std::round(v.real * 10000.0);
            if (std::fabs(units) < 9.2e18) // already whole: the cast is exact
                return madeInVariant(convert::Currency::fromUnits(static_cast<qint64>(units)));
        }
        break;
    case ColumnType::YesNo:
        if (numeric)
            return QVariant(real != 0.0);
        break;
    case ColumnType::DateTime:
        if (storage == SQLITE_TEXT) {
            const QVariant d = parseStoredDate(QString::fromUtf8(v.bytes, v.size));
            if (d.isValid())
                return d;
        }
        break;
    }
    // A value the column's type does not explain (written by other means) reads as it is stored.
    return byStored(v);
}

QVariant valueFromSql(sqlite3_stmt* stmt, int i, ColumnType type, bool typed)
{
    return valueFromStored(storedOf(stmt, i), type, typed);
}

QVariant valueFromSql(sqlite3_stmt* stmt, int i)
{
    const char* decl = sqlite3_column_decltype(stmt, i);
    if (!decl)
        return valueFromSql(stmt, i, ColumnType::Text, false);
    bool known = false;
    const ColumnType type = typeFromDecl(decl, nullptr, &known);
    return valueFromSql(stmt, i, type, known);
}

QVariant valueForColumn(const QVariant& value, ColumnType type, int size, const QString& field)
{
    if (fitsAsIs(value, type, size))
        return value;
    if (!value.isValid() || (value.isNull() && !isCurrency(value)))
        return QVariant();
    const bool textColumn = type == ColumnType::Text || type == ColumnType::Memo;
    if (!textColumn && isText(value) && value.toString().trimmed().isEmpty())
        return QVariant();
    switch (type) {
    case ColumnType::Text:
    case ColumnType::Memo: {
        const bool isString = value.userType() == QMetaType::QString;
        const QString s = isString ? *static_cast<const QString*>(value.constData()) : textOf(value);
        const int limit = size > 0 ? size : 255;
        // Characters as SQLite's length() counts them: code points.
        if (type == ColumnType::Text && codePoints(s) > limit)
            throw Error(QStringLiteral("%1（字段“%2”最多 %3 个字符）")
                            .arg(QString::fromUtf8(messages::fieldTooSmall), field)
                            .arg(limit));
        return isString ? value : QVariant(s);
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
