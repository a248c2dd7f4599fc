#pragma once
// Values between Qt and SQLite, by the Jet type of each column. For the layer's own use.
#include "platform/convert/currency.h"
#include "platform/db/schema.h"

#include <QString>
#include <QVariant>
#include <cstring>
#include <memory_resource>
#include <sqlite3.h>
#include <string>

namespace db {

// The type id of a value, read without a call into Qt: asked for every value written.
inline int typeOf(const QVariant& v)
{
    return v.data_ptr().typeId();
}

// Binds one parameter: QString, integers, double/float, bool (1/0), QDate ("yyyy-MM-dd"),
// QDateTime ("yyyy-MM-dd hh:mm:ss"), convert::Currency (REAL yuan), null. Throws db::Error for others.
// With `holder`, text and blobs are bound without SQLite making its own copy: their bytes are kept
// in `holder`, which must outlive the statement's use of the value.
void bindValue(sqlite3_stmt* stmt, int index, const QVariant& value, QByteArray* holder = nullptr);

// The value of column `i` of the current row as the column's Jet type gives it (`typed`), or by
// SQLite's storage class for a column without a declared type (an expression): Text/Memo QString,
// Byte/Short/Long/Counter int, Single the double of its single-precision value's shortest form,
// Double double, Currency convert::Currency, YesNo bool, DateTime QDate (no time part) or QDateTime;
// NULL a null QVariant.
QVariant valueFromSql(sqlite3_stmt* stmt, int i, ColumnType type, bool typed);
// The same, the type taken from the column's declared type.
QVariant valueFromSql(sqlite3_stmt* stmt, int i);

// A value as SQLite stores it (storage class and payload), so that rows can be kept in that compact
// form and converted only when read. `bytes` points into storage owned elsewhere.
struct StoredValue {
    int storage = 5; // SQLITE_NULL
    qint64 integer = 0;
    double real = 0;
    const char* bytes = nullptr;
    int size = 0;
};
// valueFromSql for a value kept in stored form.
QVariant valueFromStored(const StoredValue& v, ColumnType type, bool typed);
// Appends the compact form of column `i` of the current row, or of a value as bindValue binds it
// (so that reading it back gives what reading the table would), to `out`; readStored decodes one at
// `p` and returns the position after it.
void appendStored(std::pmr::string& out, sqlite3_stmt* stmt, int i);
void appendStored(std::pmr::string& out, const QVariant& value);
// A text already in UTF-8.
void appendStoredText(std::pmr::string& out, const char* utf8, int size);
// The same compact form written straight into memory the caller has sized with storedSize: rows read
// at an open go into their blocks without passing through a string. These, and storedOf, are inline:
// they run for every field of every row read or kept.
inline StoredValue storedOf(sqlite3_stmt* stmt, int i)
{
    StoredValue v;
    sqlite3_value* value = sqlite3_column_value(stmt, i);
    v.storage = sqlite3_value_type(value);
    switch (v.storage) {
    case SQLITE_INTEGER:
        v.integer = sqlite3_value_int64(value);
        break;
    case SQLITE_FLOAT:
        v.real = sqlite3_value_double(value);
        break;
    case SQLITE_TEXT:
        v.bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
        v.size = sqlite3_value_bytes(value);
        break;
    case SQLITE_BLOB:
        v.bytes = static_cast<const char*>(sqlite3_value_blob(value));
        v.size = sqlite3_value_bytes(value);
        break;
    default:
        break;
    }
    return v;
}

// Lengths in the compact form: seven bits a byte, the high bit saying more follow.
inline char* writeLength(char* p, quint32 n)
{
    while (n >= 0x80) {
        *p++ = static_cast<char>((n & 0x7f) | 0x80);
        n >>= 7;
    }
    *p++ = static_cast<char>(n);
    return p;
}

inline const char* readStored(const char* p, StoredValue* v)
{
    v->storage = static_cast<unsigned char>(*p++);
    switch (v->storage) {
    case SQLITE_INTEGER:
        std::memcpy(&v->integer, p, sizeof v->integer);
        return p + sizeof v->integer;
    case SQLITE_FLOAT:
        std::memcpy(&v->real, p, sizeof v->real);
        return p + sizeof v->real;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        quint32 n = 0;
        int shift = 0;
        unsigned char c;
        do {
            c = static_cast<unsigned char>(*p++);
            n |= static_cast<quint32>(c & 0x7f) << shift;
            shift += 7;
        } while (c & 0x80);
        v->bytes = p;
        v->size = static_cast<int>(n);
        return p + n;
    }
    default:
        return p;
    }
}

inline std::size_t storedSize(const StoredValue& v)
{
    switch (v.storage) {
    case SQLITE_INTEGER:
    case SQLITE_FLOAT:
        return 1 + 8;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        std::size_t n = 2;
        for (quint32 size = static_cast<quint32>(v.size); size >= 0x80; size >>= 7)
            ++n;
        return n + static_cast<std::size_t>(v.size);
    }
    default:
        return 1;
    }
}

inline char* writeStored(char* p, const StoredValue& v)
{
    *p++ = static_cast<char>(v.storage);
    switch (v.storage) {
    case SQLITE_INTEGER:
        std::memcpy(p, &v.integer, sizeof v.integer);
        return p + sizeof v.integer;
    case SQLITE_FLOAT:
        std::memcpy(p, &v.real, sizeof v.real);
        return p + sizeof v.real;
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
        p = writeLength(p, static_cast<quint32>(v.size));
        if (v.size > 0)
            std::memcpy(p, v.bytes, static_cast<std::size_t>(v.size));
        return p + v.size;
    }
    default:
        return p;
    }
}

// A value converted for a column of the given type, or db::Error with the description Jet gives
// (type mismatch, overflow, text too long, no date). Empty text into a non-text column is NULL;
// numbers into whole-number columns round half to even.
QVariant valueForColumn(const QVariant& value, ColumnType type, int size, const QString& field);
// True for a value valueForColumn gives back as it is without a look further: the texts and amounts
// forms give most often, already of their column's kind.
inline bool fitsAsIs(const QVariant& value, ColumnType type, int size)
{
    const int given = typeOf(value);
    if (given == QMetaType::QString && type == ColumnType::Text && !value.data_ptr().is_null)
        // No more characters than UTF-16 units.
        return static_cast<const QString*>(value.constData())->size() <= (size > 0 ? size : 255);
    return type == ColumnType::Currency && given == qMetaTypeId<convert::Currency>();
}

// UTF-16 to UTF-8, as SQLite takes text, into room of three bytes a UTF-16 unit; the end of what was
// written. A lone surrogate becomes U+FFFD.
char* utf8Of(const QString& text, char* out);

// A double kept at single precision, given as the double of its shortest decimal form (0.002 stays 0.002).
double singlePrecision(double value);

} // namespace db
