#pragma once
// Printing the generated invoices over a typed range of pre-printed numbers, without a window: the
// invoices of the month's print file numbered in ascending order of the enterprise number, everything
// the run needs checked before anything is written, and the records of the run (the invoice columns of
// KPKZK and, while late fees are on, a row of each enterprise's ledger) written in one transaction
// that the print run commits once the scheduler has taken the print.
#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "platform/error/error.h"
#include "qelv/core/late_fee_ledger.h"
#include "qelv/core/print_run.h"
#include "qelv/invoicing/invoice_generator.h"
#include "qelv/invoicing/invoice_layout.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace invoicing {

// A typed invoice number: digits only once the blanks around it are dropped, at most 15 of them, read
// without its leading zeros ("00012345" is 12345). Nothing for any other text.
std::optional<std::int64_t> invoiceNumber(const QString& typed);
// Why a typed number is refused.
QString invoiceNumberRefusal(const QString& typed);

// A run that cannot go ahead, with every reason found; nothing was written.
class PrintRefused : public platform::Error {
public:
    using platform::Error::Error;
};

struct NumberedInvoice {
    QString enterprise; // DanWeiBianHao
    QString number; // the number it gets
    convert::Currency total; // 小写合计, late fee included
    QString capitals; // 大写合计
    convert::Currency lateFee; // znj
    // What the operating month held before: a re-print replaces that number and its ledger row.
    QString oldNumber;
    QDate oldDate;
    QString ledger; // its late-fee table as the ledger file spells it; empty when it has none
};

// A run planned and checked: the invoices that get numbers, in the order they get them.
struct InvoicePrint {
    RunState state;
    InvoiceLayout layout;
    printRun::PaperRequest paper;
    QList<NumberedInvoice> invoices;
    int unnumbered = 0; // generated invoices past the end of the range: neither numbered nor printed

    QStringList enterprises() const;
    // The invoices whose month already held a number, "enterprise number" each.
    QStringList reprints() const;
};

// The invoice layout read and checked for printing: everything the report needs to lay itself out (with
// the gap on single sheets) and the paper. Throws PrintRefused with every reason, or db::Error for a
// layout file that cannot be read.
struct PrintLayout {
    InvoiceLayout layout;
    printRun::PaperRequest paper;
};
PrintLayout checkPrintLayout(bool nonContinuous);

// Reads the generated invoices and checks what the run needs of each: its amounts, its lines against
// the lines per form, its billing row, no payment or collection document on an earlier number, and,
// with late fees on, its ledger. Throws PrintRefused with every reason, or db::Error for a file that
// cannot be read.
InvoicePrint planInvoicePrint(const RunState& state, const PrintLayout& layout, std::int64_t first, std::int64_t last);

// The question asked before invoices that already carry a number are numbered again.
QString reprintQuestion(const InvoicePrint& print);
// The message when the range holds fewer numbers than there are invoices.
QString unnumberedMessage(const InvoicePrint& print);

// The records of a planned run. write() leaves them in an open transaction on the year's billing file,
// with the ledger file attached; commit() makes them stand. Whatever is left uncommitted is rolled back
// when the object goes.
class InvoiceRecords {
public:
    // Throws db::Error when a file is missing.
    explicit InvoiceRecords(const InvoicePrint& print);
    ~InvoiceRecords();
    InvoiceRecords(const InvoiceRecords&) = delete;
    InvoiceRecords& operator=(const InvoiceRecords&) = delete;

    // Each invoice's number, amount, capitals, date and late fee in its KPKZK row; its earlier ledger
    // row (matched by the old number and date) deleted; with late fees on, its new ledger row.
    void write();
    void commit();

private:
    const InvoicePrint& print_;
    db::Connection billing_;
    std::unique_ptr<lateFeeLedger::Attached> ledgers_;
};

} // namespace invoicing
