#pragma once
// The late-fee ledger of an enterprise: the table ZNJ<number> of the ledger file, one row per invoice
// printed while late fees are on. The file treats table names without regard to case, so a ledger is
// found that way too: ZNJ0a1 is the ledger of enterprise 0A1.
#include "platform/db/schema.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>
#include <QVariantList>

namespace db {
class Connection;
}

namespace lateFeeLedger {

// "ZNJ" followed by the number, nothing escaped (quote it as an identifier in statements).
QString tableName(const QString& number);
// The eight fields, in their order: rows are copied between ledgers by position.
QList<db::ColumnDef> columns();

// The condition that picks an invoice's row out of its ledger: the invoice's number and its invoice
// date, so that a row of another year carrying the same number is another invoice's. Its three
// parameters are invoiceRowParams().
QString invoiceRowCondition();
QVariantList invoiceRowParams(const QString& number, const QDate& invoiceDate);

// A ledger row as that condition picks it.
struct InvoiceRow {
    QString number; // FaPiaoBianHao
    QDate date; // KaiPiaoRiQi
};

// The ledger's name as the file spells it; empty when the enterprise has none. `schema` names the
// ledger file where it is attached to another file's connection.
QString find(db::Connection& ledgers, const QString& number, const QString& schema = QString());
bool exists(db::Connection& ledgers, const QString& number, const QString& schema = QString());
// Makes the ledger when the enterprise has none. Returns true when it made one.
bool ensure(db::Connection& ledgers, const QString& number);

// The ledgers' names as the file spells them, read once, for a run that looks up the ledger of each of
// many enterprises: a look-up in the file's list of tables reads the whole list, one entry a ledger.
class Names {
public:
    explicit Names(db::Connection& ledgers);
    // As lateFeeLedger::find() answers it.
    QString find(const QString& number) const;

private:
    QHash<QString, QString> names_;
};

// The ledger file attached to a run's print file for as long as the run lasts, so that the run's rows
// and its late-fee marks go in one transaction. Whatever the run left open is rolled back when it
// goes: declare it before the run's statements and transaction.
class Attached {
public:
    // Throws db::Error when the file cannot be attached.
    Attached(db::Connection& print, const QString& ledgersPath);
    ~Attached();
    Attached(const Attached&) = delete;
    Attached& operator=(const Attached&) = delete;

    // Whether the attached file holds the enterprise's ledger.
    bool holds(const QString& number) const;
    // The ledger's name in the attached file, quoted for statements on the print file's connection.
    QString table(const QString& number) const;

private:
    db::Connection& print_;
};

} // namespace lateFeeLedger
