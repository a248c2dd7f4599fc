#pragma once
// Values between Qt and SQLite, by the Jet type of each column. For the layer's own use.
#include "platform/convert/currency.h"
#include "platform/db/schema.h"

#include <QString>
#include <QVariant>
#include <memory_resource>
#include <string>

struct sqlite3_stmt;

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
StoredValue storedOf(sqlite3_stmt* stmt, int i);
// valueFromSql for a value kept in stored form.
QVariant valueFromStored(const StoredValue& v, ColumnType type, bool typed);
// Appends the compact form of column `i` of the current row, or of a value as bindValue binds it
// (so that reading it back gives what reading the table would), to `out`; readStored decodes one at
// `p` and returns the position after it.
void appendStored(std::pmr::string& out, sqlite3_stmt* stmt, int i);
void appendStored(std::pmr::string& out, const QVariant& value);
// A text already in UTF-8.
void appendStoredText(std::pmr::string& out, const char* utf8, int size);
const char* readStored(const char* p, StoredValue* v);
// The same compact form written straight into memory the caller has sized with storedSize: rows read
// at an open go into their blocks without passing through a string.
std::size_t storedSize(const StoredValue& v);
char* writeStored(char* p, const StoredValue& v);

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
