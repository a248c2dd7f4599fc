#pragma once
// What a print run is about to change on a printer, kept on disk until the printer has it back. The
// control changes the printer's defaults for every program of the machine; a run killed while it waits
// for the scheduler (or a power cut) would leave the printer on the run's paper, and the next run would
// take that paper for the printer's own and "restore" to it for good. So a run writes the printer's
// paper here before it changes anything and removes it once the paper is back; the next start, and the
// next run before it reads the printer, set a recorded paper back first, and a run never takes the
// paper of a printer that still has a record for the one to restore.
//
// The record is a small JSON file in the user's settings folder, one entry a printer.
#include "platform/printing/printer.h"
#include "qelv/core/error_sink.h"

#include <QList>
#include <QString>
#include <optional>

namespace paperRecord {

struct Entry {
    QString printer;
    printing::PrinterPaper paper; // exactly what the printer had: media and orientation, each may be absent
    int paperSizeCode = 0; // the code read before the run, set back through the control
    bool operator==(const Entry&) const = default;
};

// <settings folder>/printer-paper.json
QString path();

// The entries recorded; none when there is no record. A record that cannot be read is reported and
// taken as empty.
QList<Entry> entries(const ErrorSink& errors = {});
std::optional<Entry> entryFor(const QString& printer, const ErrorSink& errors = {});

// Writes the entry (replacing one of the same printer) to disk before it returns; throws
// platform::Error when it cannot, and the caller must then leave the printer alone.
void remember(const Entry& entry);
// Removes the printer's entry, and the file with its last entry; throws platform::Error.
void forget(const QString& printer);

// Sets every recorded printer back to its recorded paper and removes each entry whose printer has it
// (or no longer exists). A printer that cannot be set back now keeps its entry; the reason is reported.
void restoreAll(const ErrorSink& errors);

} // namespace paperRecord
