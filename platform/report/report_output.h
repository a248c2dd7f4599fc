// A rendered report onto paper, into a PDF file or into a preview window.
#pragma once

#include "platform/report/page_model.h"

#include <QString>
#include <future>
#include <vector>

class QPrintPreviewDialog;
class QWidget;

namespace report {

// Writes the document at 1440 dots an inch, where one device unit is one twip; throws Error.
void writePdf(const Document& document, const QString& path);

// A print preview of the document, not yet shown (object name "reportPreview").
QPrintPreviewDialog* makePreview(const Document& document, QWidget* parent = nullptr);

// The print jobs of one report. Each job is sent to the scheduler on a thread of its own with the page
// size and orientation of the document's first page; the count of pending jobs falls to 0 once the
// scheduler holds them.
class PrintJobs {
public:
    enum class Result { Sent, Cancelled };
    PrintJobs() = default;
    PrintJobs(const PrintJobs&) = delete;
    PrintJobs& operator=(const PrintJobs&) = delete;
    ~PrintJobs(); // waits for jobs still being sent

    // Prints all pages, or the range the print dialog gives when it is shown (answered through
    // platform/ui's test mode in tests), on `printer` (the default printer when empty), or into the file
    // the dialog names. Cancelled when the dialog is cancelled: nothing is sent. Throws Error when there is no printer or the pages
    // cannot be made; a job the scheduler refuses is reported by takeErrors().
    Result print(const Document& document, bool showDialog, const QString& printer = QString(),
                 QWidget* parent = nullptr);

    int pending() const;
    // The jobs' ids, for those sent so far.
    std::vector<int> jobIds() const;
    // Descriptions of the jobs that the scheduler refused, once no job is pending; taken once.
    QStringList takeErrors();

private:
    struct Job {
        std::future<int> sent;
        int id = 0;
        bool done = false;
    };
    void collect() const;

    mutable std::vector<Job> jobs_;
    mutable QStringList errors_;
};

} // namespace report
