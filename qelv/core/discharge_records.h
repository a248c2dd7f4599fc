#pragma once
// The month's record of an assignment: the first row of its discharge-data table, every column as
// `select *` reads it. A notice run wants each record twice, for the enterprise's fee items and for
// its detail sheet; a Cache reads it once. Every read of a table looks it up among the month file's
// thousands of tables (a table an assignment), the costliest step of the read, and one that grows with
// the county.
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

namespace db {
class Connection;
}

namespace dischargeRecords {

struct Record {
    bool found = false; // the table has a row
    QStringList names; // its columns, in the table's order (also when there is no row)
    QVariantList values; // the row's values, typed as the columns declare them; empty without a row

    // The value of the column named, matched without regard to case as the file matches names; Null
    // without a row. Throws db::Error when the table has no such column.
    QVariant value(const QString& column) const;
};

// Throws db::Error for a missing table.
Record read(db::Connection& discharge, const QString& table);

// The records read so far, by table, until clear(). Reading inside one transaction of the month file
// (or with nothing else writing it) keeps what is read the same as what a second read would give.
class Cache {
public:
    // `discharge` must outlive it.
    explicit Cache(db::Connection& discharge);

    // The table's record, read at the first request since clear(); a failed read is not kept.
    const Record& of(const QString& table);
    void clear() { records_.clear(); }

private:
    db::Connection& discharge_;
    QHash<QString, Record> records_; // by table name, letter case folded
};

} // namespace dischargeRecords
