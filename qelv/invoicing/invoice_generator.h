#pragma once
// Generating the operating month's invoices into its invoice print file: for each enterprise of the
// run window's list (all, or the ticked ones) its fee lines in MX and, when its total is above zero,
// its header row in KPDW. No widget: the window gives the list, the shared state, the files and a
// progress callback, and shows what comes back.
#include "platform/db/connection.h"
#include "qelv/core/generation_run.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

namespace invoicing {

// A row of the run window's list.
struct ListedEnterprise {
    QString number;
    bool ticked = false;
};

// The shared state a run reads and the error of a run that stopped (nothing of it stays: print tables
// empty, no late payment marked), as for notices.
using RunState = generationRun::RunState;
using GenerationError = generationRun::GenerationError;

// The files of a run, each opened once: the layout, then those of every generation run (the enterprise
// file, the month's discharge data, the month's invoice print file, the year's billing file and the
// late-fee file to attach to the print file's connection).
struct RunFiles : generationRun::RunFiles {
    db::Connection layout;

    // Opens the files of the operating month; throws db::Error for a file that is missing.
    static std::unique_ptr<RunFiles> open(const QDate& workMonth);
};

struct RunResult {
    int taken = 0; // the enterprises taken into the run, with or without an invoice
    int invoices = 0; // header rows written
    // Enterprises whose lines do not fit one form, each "number name (lines 行)": no invoice, no lines.
    QStringList tooLong;
    std::int16_t linesPerInvoice = 0;
};

class InvoiceGenerator {
public:
    using Progress = generationRun::Progress;

    InvoiceGenerator(RunFiles& files, RunState state, Progress progress = {});

    // Generates the invoices of the rows given (with `selectedOnly`, of the ticked ones only). An
    // empty list does nothing at all. First, in a transaction of its own, the month's earlier invoice
    // run goes: its invoices are emptied, and the late payments it charged are charged no longer, but
    // for the invoices of it that were printed, so that a run generated again carries the same late
    // fees (see lateFeeMarks). Then every row and mark of the run is written in one transaction, so a
    // run that stops (GenerationError) leaves the tables empty and marks nothing. Killed at any
    // moment, the print file holds the earlier run whole, nothing, or this run whole.
    RunResult run(const QList<ListedEnterprise>& list, bool selectedOnly);

private:
    struct Line;
    struct Invoice;

    RunFiles& files_;
    RunState state_;
    Progress progress_;
};

// The closing message of a run: "共生成 k 张发票！" with k the enterprises taken into the run, and
// the enterprises left without an invoice.
QString closingMessage(const RunResult& result);

} // namespace invoicing
