// The one print run every printing window uses. In this order: check that everything the report needs is
// there; read the default printer, its paper size code and its paper, and record them on disk (see
// paper_record.h: a paper an earlier run left on the printer is set back first); create the paper control
// `Quorbel1` and set the paper asked for; render the report, write what the print records (left
// uncommitted) and print it; wait while its jobs are pending, the caller's progress text shown and its
// commands and closing disabled; make the records stand once the scheduler has taken the jobs; set the
// saved code through the control again and restore the printer's paper exactly. Every way out, errors
// and a cancelled print dialog included, sets back what the run changed on the printer, and records
// and print stand or fall together.
//
// One run at a time in the program: the printing windows share one data environment, and a second
// print started while one waits would print from under it. It is refused with a message.
#pragma once

#include "platform/report/page_model.h"
#include "qelv/core/error_sink.h"

#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

class QWidget;

namespace printRun {

// What the printing window sets on the paper control before it prints, in its units (tenths of a
// millimetre, device-mode paper size codes).
struct PaperRequest {
    std::int16_t orientation = 1;
    QString userFormName = QStringLiteral("UserDefine");
    std::int16_t paperLength = 0;
    std::int16_t paperWidth = 0;
    std::int16_t paperSize = 9;
};

struct Request {
    PaperRequest paper;
    // Throws (any platform::Error) when something the report needs is missing; nothing is changed then.
    std::function<void()> check;
    // Builds and renders the report; throws to end the run before anything is printed.
    std::function<report::Document()> render;
    // Writes what the print records (numbers given to documents), inside a transaction the caller
    // holds open; called once the report is rendered, before anything is sent. Throws to end the run
    // with nothing printed.
    std::function<void()> record;
    // Commits what `record` wrote, once the scheduler has taken every job. A print that fails or is
    // cancelled never calls it: the caller's transaction is then rolled back, and nothing is recorded.
    std::function<void()> commit;
    bool showPrintDialog = false;
    // Shows the caller's progress text for the count of jobs still pending.
    std::function<void(int pending)> progress;
    // The printing window: closing it is refused while the run lasts, and its commands are disabled.
    QWidget* window = nullptr;
    QList<QWidget*> commands;
    ErrorSink errors;
};

enum class Outcome { Printed, Cancelled, Failed, Refused };

Outcome run(const Request& request);

// Whether a run is going on.
bool running();

// The message of a print refused while another waits.
QString busyText();

} // namespace printRun
