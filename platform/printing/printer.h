// The default printer and its paper as the CUPS scheduler reports them, the exact save and restore of a
// printer's default paper, and sending a finished document to a printer as a job of its own.
#pragma once

#include "platform/error/error.h"

#include <QString>
#include <optional>

namespace printing {

// The scheduler cannot be reached, a printer is unknown, or it refused a change or a job.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// The scheduler does not know the printer (it was removed).
class UnknownPrinter : public Error {
public:
    using Error::Error;
};

// The default destination's name; empty when there is none.
QString defaultPrinterName();

// A printer's own default paper: its media-default and orientation-requested-default, each absent when
// the printer has no setting of its own (it then prints on its driver's default).
struct PrinterPaper {
    std::optional<QString> media;
    std::optional<int> orientation; // 3 portrait, 4 landscape, 5 and 6 the reversed ones
    bool operator==(const PrinterPaper&) const = default;
};

// Throws Error when the printer cannot be asked, UnknownPrinter when the scheduler has no such printer.
PrinterPaper printerPaper(const QString& printer);

// The paper size code of what the printer carries: the first listed code of its media, else (a custom
// media, a size without a code, or no media at all) the custom code 256.
int paperSizeCode(const PrinterPaper& paper);

// Writes back exactly what printerPaper read, removing a setting that was absent; throws Error when the
// printer is unknown or the scheduler refuses it.
void restorePrinterPaper(const QString& printer, const PrinterPaper& paper);

// A job: a PDF file printed with the sheet and orientation it is given, never the printer's default,
// which the native print path would put in place of the page size.
struct JobOptions {
    QString title;
    QString media; // e.g. "iso_a4_210x297mm", "custom_297x210mm_297x210mm"
    int orientation = 3; // 3 portrait, 4 landscape
    int copies = 1;
};

// The media that names a sheet of the given width and length (hundredths of a millimetre, as it is
// fed): a listed media of that size, else the custom media of that size.
QString mediaForSheet(int width, int length);

// Sends the file and returns the job's id once the scheduler holds it; throws Error when the printer is
// unknown or refuses the job. Safe to call from a thread of its own.
int submitJob(const QString& printer, const QString& pdfPath, const JobOptions& options);

} // namespace printing
