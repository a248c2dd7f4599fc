#pragma once
// What a run generating the month's invoices and a run generating its payment notices share: the
// shared state they read, the files they open, their way down the window's list, the identities of
// their lines, the period their items name, the late fee they charge and the error that stops them.
// Each run words its lines and lays out its print file in its own way; what both compute alike is
// decided here once, so that a notice and the invoice of the same month agree.
//
// A run that stops leaves nothing of itself: its rows and its late-fee marks go in one transaction on
// its print file with the late-fee file attached, rolled back when it stops (see lateFeeMarks).
#include "platform/convert/currency.h"
#include "platform/db/connection.h"
#include "platform/error/error.h"
#include "qelv/core/late_fee_ledger.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <exception>
#include <functional>

namespace generationRun {

// The shared state a run reads, taken once when it starts.
struct RunState {
    QDate workMonth;
    QDate invoiceDate;
    QString userName;
    bool lateFeeOn = false;
    std::int16_t graceDays = 0;
    float dailyRate = 0;

    static RunState fromModule1();
};

// The files a run opens, each once: the enterprise file, the month's discharge data, the month's print
// file of the run's kind, the year's billing file. The late-fee file is attached to the print file's
// connection for the run (lateFeeLedger::Attached), so the run's rows and its late-fee marks go in one
// transaction.
struct RunFiles {
    db::Connection enterprises;
    db::Connection discharge;
    db::Connection print;
    db::Connection billing;
    QString ledgersPath; // the late-fee file, as resolved

protected:
    // Opens them for the operating month, with `printFile` (a data file's name) as the print file, the
    // look-up indexes made where a file lacks them; throws db::Error for a file that is missing.
    void openMonth(const QDate& workMonth, const QString& printFile);
};

// A run that stopped: nothing of it stays (its print tables empty, no late payment marked). The
// description says why, names the enterprise where it stopped when it had reached one, and says that
// nothing was generated.
class GenerationError : public platform::Error {
public:
    using platform::Error::Error;
};

// Called for every list row (1-based position) before it is looked at, with the row count and the
// count of enterprises taken so far, this one included when it is taken.
using Progress = std::function<void(int position, int count, int taken)>;

// A progress bar's value for a list row: the position times 100 / count, in single precision as the
// bars always had it.
int percent(int position, int count);

// A run's way down its list: which rows it takes, what its progress callback hears, and which
// enterprise a failure stopped it at.
class ListWalk {
public:
    ListWalk(qsizetype count, Progress progress);

    // Moves to the next row, the enterprise `number`, which the run takes or passes over as `taken`
    // says, and tells the progress callback. Returns `taken`.
    bool next(const QString& number, bool taken);
    // The row moved to, from 1.
    int position() const { return position_; }
    // The rows taken so far.
    int taken() const { return taken_; }
    // Past the last row: a failure from here on names no enterprise.
    void finish() { current_.clear(); }

    // The error of a run stopped by `cause`: its description, the enterprise taken last unless the walk
    // is finished, then `nothingKept`, the run's own sentence saying that it left nothing.
    GenerationError stopped(const std::exception& cause, const QString& nothingKept) const;

private:
    int count_;
    Progress progress_;
    int position_ = 0;
    int taken_ = 0;
    QString current_;
};

// The ID of a run's MX rows: 1 for its first row, one more for each row after it. The column holds
// 16 bits: beyond 32767 rows it throws convert::Error with `overflow`, the run's own message for it.
class LineIds {
public:
    explicit LineIds(QString overflow);
    std::int16_t next();

private:
    QString overflow_;
    std::int16_t last_ = 0;
};

// The period that every item line names after the item: "(" M<m>B of the enterprise's billing row ")"
// when the row holds a remark (neither Null nor empty), else the operating month, "(2003年05月)".
QString periodText(const QVariant& remark, const QDate& workMonth);

// The late fee an enterprise's new document carries (ComputeLateFee with the run's state, on the
// ledgers attached to the run's print file), taken at whole fen, halves to even, so that the document's
// line, its total and its capitals agree. `marked` receives the late payments it marks as charged.
convert::Currency lateFee(db::Connection& print, const RunState& state, const QString& enterprise,
                          QList<lateFeeLedger::InvoiceRow>* marked);

} // namespace generationRun
