#pragma once
// The late payments a generation run marked as charged in the ledgers (ZNJYiShou), listed in the month's
// print file the run writes (its own table there, made when the file has none), so that the next run of
// the same kind in that month sets back the marks whose charge reached no document that went out before
// it computes anything: generating again, after a correction or for other enterprises, charges those
// late payments again instead of dropping them. Invoice runs and notice runs list their marks in their
// own print files, so each kind sets back only its own, and of a notice run and an invoice run the first
// still carries the late payments.
//
// Everything goes on the run's connection to its print file, with the ledger file attached, so that
// the print file never lists marks other than those of the documents it holds, whatever stops the
// program: the earlier run goes in one transaction (its marks set back, its list forgotten, its
// documents emptied), the new run in another (its documents, its marks and their list).
#include "platform/convert/currency.h"
#include "qelv/core/late_fee_ledger.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <optional>

namespace db {
class Connection;
class PreparedStatement;
} // namespace db

namespace lateFeeMarks {

// The month's invoice of an enterprise as its billing row records it: M<m>P, M<m>DATE, M<m>M, M<m>MBZJ.
struct RecordedInvoice {
    QString number;
    QDate date;
    std::optional<convert::Currency> amount;
    std::optional<convert::Currency> lateFee;

    static RecordedInvoice fromValues(const QVariant& number, const QVariant& date, const QVariant& amount,
                                      const QVariant& lateFee);
    bool operator==(const RecordedInvoice&) const = default;
};

// What an invoice run knew of an enterprise's invoice when it marked the enterprise's late payments.
struct InvoiceRun {
    RecordedInvoice before; // what the billing row recorded when the run made its invoice
    // The invoice the run made, its total and late fee as its header row states them; none when the
    // enterprise got no invoice.
    std::optional<convert::Currency> amount;
    std::optional<convert::Currency> lateFee;
};

// Whether a print recorded the invoice an invoice run made: the billing row now records that invoice's
// amount and late fee under a number, and that record is not the one the run found.
bool printed(const InvoiceRun& run, const RecordedInvoice& now);

// The rows a run marked for one enterprise.
struct Marked {
    QString enterprise;
    QList<lateFeeLedger::InvoiceRow> rows;
    std::optional<InvoiceRun> invoice; // invoice runs only
};

class RunMarks {
public:
    // `print` is the run's connection to its print file, with `ledgers` attached to it. Makes the
    // table when the file has none; throws db::Error.
    RunMarks(db::Connection& print, const lateFeeLedger::Attached& ledgers);
    ~RunMarks();
    RunMarks(const RunMarks&) = delete;
    RunMarks& operator=(const RunMarks&) = delete;

    // Takes the earlier run out of the print file in one transaction of its own: sets back its marks
    // that `stands` does not keep, forgets its list and empties `tables`, those of its documents. The
    // marks kept belong to documents that went out, and stay. A mark the ledger no longer shows (its
    // ledger or its row gone, the mark taken off) is passed over. Throws db::Error, changing nothing.
    void takeOutEarlier(const QStringList& tables, const std::function<bool(const Marked&)>& stands);
    // Lists what this run marked for one enterprise.
    void add(const Marked& marked);

    // What the print file lists, enterprise by enterprise in the order they were listed.
    static QList<Marked> listed(db::Connection& print);

private:
    db::Connection& print_;
    const lateFeeLedger::Attached& ledgers_;
    std::unique_ptr<db::PreparedStatement> insert_; // prepared at the first row listed, for all of them
};

} // namespace lateFeeMarks
