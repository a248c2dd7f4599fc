#pragma once
// The one writer of a listed invoice's changes: its payment (the paid flag and payment date of the
// invoice's month in the enterprise's KPKZK row and in its late-fee ledger row), its voiding, which
// clears both, and its new number. Each is one transaction with the late-fee file attached to the
// yearly file's connection, so the two rows never disagree.
//
// Every change is made to the invoice as the window listed it: the billing row is written only where
// it still holds the listed invoice, and the statements' own counts of changed rows decide, inside the
// transaction, whether exactly that one billing row and at most that one ledger row changed. A list
// that another window or another copy of the program has made untrue since (a number changed, an
// invoice voided or printed again) is refused with Stale, and nothing changes.
#include "platform/db/connection.h"
#include "platform/error/error.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

namespace invoicePayment {

// A change not written; the description names the invoice.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// The billing row no longer holds the invoice as it was listed: nothing was written. The description
// names the invoice; the window adds how to list it again.
class Stale : public Error {
public:
    using Error::Error;
};

// A change the caller's own check refused, inside the change's transaction: nothing was written, and
// the description is the caller's, as it was thrown.
class Refused : public Error {
public:
    using Error::Error;
};

// The invoice as the window listed it from KPKZK: enterprise, month, M<m>P and M<m>DATE. Its ledger
// row is the row of the enterprise's ledger with that number and that invoice date, so a row of
// another year that carries the same number is left alone.
struct Invoice {
    QString enterprise;
    int month = 0;
    QString number; // empty for a month whose M<m>P is empty or Null
    QDate invoiceDate; // null when the month holds no date
};

// What a registration sets: the paid flag (0 or 1), the payment date (a null date clears it), or both.
struct Change {
    std::optional<int> paid;
    std::optional<QDate> date;
    // Only an invoice the billing row shows unpaid is written; one paid already keeps its flag and date
    // in both rows (a batch registration never re-dates a payment: the date decides the paid-late fee).
    bool onlyUnpaid = false;
};

// What a registration did.
struct Recorded {
    bool written = true;
    // When passed over as paid already (Change::onlyUnpaid): the flag and date the billing row keeps.
    QVariant paid;
    QVariant paidOn;
};

class Writer {
public:
    // Opens the year's billing file; the late-fee file is attached at the first write. Throws Error when
    // either file is missing; no file is made.
    explicit Writer(int year);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Writes the change to both rows, or to neither. Throws Stale when the billing row no longer holds
    // the invoice, and Error on any other failure (no ledger table, a missing column, which it names, a
    // locked file, more than one row holding the invoice). A ledger without the invoice's row (printed
    // while late fees were off) is no failure.
    Recorded record(const Invoice& invoice, const Change& change);

    // Voids the invoice in one transaction: its ledger row deleted, and in KPKZK its number emptied,
    // its amount and paid flag 0, its invoice and payment dates cleared; its capitals, late fee and the
    // month's billing columns stay. Refused for an invoice without a number. Throws as record() does.
    void voidInvoice(const Invoice& invoice);

    // Gives the enterprise's invoice of the month that the billing row holds under `listedNumber` the
    // number `newNumber`: M<m>P, and FaPiaoBianHao of its ledger row (the old number and the row's
    // M<m>DATE). `check`, when given, runs first in the change's transaction, which holds the billing
    // file's write lock from its start: what it reads of that file stays so until the change is
    // committed, so a number it finds free cannot be given to another invoice meanwhile by another
    // window or another copy of the program. It refuses the number by throwing Refused. Throws as
    // record() does.
    void renumber(const QString& enterprise, int month, const QString& listedNumber, const QString& newNumber,
                  const std::function<void(db::Connection& billing)>& check = {});

private:
    void attachLedgers();
    QString ledgerTable(const QString& enterprise) const;
    db::Connection billing_;
    QString ledgerPath_;
    bool attached_ = false;
};

} // namespace invoicePayment
