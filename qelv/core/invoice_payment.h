#pragma once
// The one writer of an invoice's payment: the paid flag and payment date of the invoice's month in the
// enterprise's KPKZK row and in its late-fee ledger row, written in one transaction so that the two
// never disagree; and of its voiding, which clears both. The late-fee file is attached to the yearly
// file's connection for that.
#include "platform/db/connection.h"
#include "platform/error/error.h"

#include <QDate>
#include <QString>
#include <optional>

namespace invoicePayment {

// A payment not written; the description names the invoice.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// The invoice as KPKZK records it: enterprise, month, M<m>P and M<m>DATE. Its ledger row is the row
// of the enterprise's ledger with that number and that invoice date, so a row of another year that
// carries the same number is left alone.
struct Invoice {
    QString enterprise;
    int month = 0;
    QString number;
    QDate invoiceDate; // null when the month holds no date
};

// What a registration sets: the paid flag (0 or 1), the payment date (a null date clears it), or both.
struct Change {
    std::optional<int> paid;
    std::optional<QDate> date;
};

class Writer {
public:
    // Opens the year's billing file; the late-fee file is attached at the first write. Throws Error when
    // either file is missing; no file is made.
    explicit Writer(int year);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Writes the change to both rows, or to neither: on any failure (no ledger table, a locked file)
    // the transaction is rolled back and Error says which invoice. A ledger without the invoice's row
    // (printed while late fees were off) is no failure.
    void record(const Invoice& invoice, const Change& change);

    // Voids the invoice in one transaction: its ledger row deleted, and in KPKZK its number emptied,
    // its amount and paid flag 0, its invoice and payment dates cleared; its capitals, late fee and the
    // month's billing columns stay. Refused for an invoice without a number. On any failure (no ledger
    // table, no billing row) nothing changes and Error says which invoice.
    void voidInvoice(const Invoice& invoice);

private:
    void attachLedgers();
    db::Connection billing_;
    QString ledgerPath_;
    bool attached_ = false;
};

} // namespace invoicePayment
