#pragma once
// Column types of the database files, named as the Jet types they stand for. The declared SQLite type
// carries the Jet type so that values read back as the type they were (see valueFromSql in types.h).
#include <QString>
#include <QVariant>

namespace db {

enum class ColumnType {
    Text, // TEXT(size) COLLATE NOCASE; size 0 = 255
    Memo, // MEMO COLLATE NOCASE: long text
    Byte, // BYTE: 0..255
    Short, // SMALLINT: 16-bit
    Long, // INTEGER: 32-bit
    Counter, // COUNTER: 32-bit, given by the database when a row is added
    Single, // SINGLE: single-precision float
    Double, // DOUBLE
    Currency, // CURRENCY: exact ten-thousandths
    YesNo, // YESNO: 1 or 0
    DateTime, // DATETIME: ISO text
};

struct ColumnDef {
    QString name;
    ColumnType type = ColumnType::Text;
    int size = 0; // Text only
    bool required = false; // NOT NULL
    bool unique = false;
    QVariant defaultValue; // null = none
};

// The column's SQL definition: "\"LeiXing\" SMALLINT". The declared type names the Jet type, and with
// it what the column refuses as Jet does (a text over its size, a whole number out of its range,
// anything but a number in a number column), which the connection's write guard refuses for every
// statement that writes rows (see write_guard.h); a file of thousands of tables keeps a small schema.
QString columnSql(const ColumnDef& column);
// Reverse: the Jet type of a declared SQLite type ("TEXT(50)" -> Text 50); unknown types map to Text 0
// with `known` false.
ColumnType typeFromDecl(const QString& declaredType, int* size = nullptr, bool* known = nullptr);
// The same for a declaration as SQLite gives it (UTF-8).
ColumnType typeFromDecl(const char* declaredType, int* size = nullptr, bool* known = nullptr);

} // namespace db
