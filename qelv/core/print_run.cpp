#include "qelv/core/print_run.h"

#include "platform/component/host.h"
#include "platform/printing/printer.h"
#include "platform/report/report.h"
#include "platform/report/report_output.h"
#include "qelv/core/paper_record.h"
#include "quorbel/identities.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <optional>

namespace printRun {

namespace {

bool gRunning = false;

// Refuses the printing window's closing while the run lasts, by its close box or by Esc, which a dialog
// takes as a rejection: its handlers are still running under it.
class CloseRefuser : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            return true;
        }
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            return true;
        return QObject::eventFilter(watched, event);
    }
};

// The run's hold on the program and the window: set up at the start, released on every way out.
class Hold {
public:
    explicit Hold(const Request& request)
    {
        gRunning = true;
        if (request.window) {
            window_ = request.window;
            refuser_ = new CloseRefuser(request.window);
            request.window->installEventFilter(refuser_);
        }
        for (QWidget* command : request.commands)
            if (command && command->isEnabled()) {
                command->setEnabled(false);
                disabled_ << command;
            }
    }
    ~Hold()
    {
        for (const QPointer<QWidget>& command : disabled_)
            if (command)
                command->setEnabled(true);
        if (window_ && refuser_) {
            window_->removeEventFilter(refuser_);
            delete refuser_;
        }
        gRunning = false;
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

private:
    QPointer<QWidget> window_;
    QPointer<CloseRefuser> refuser_;
    QList<QPointer<QWidget>> disabled_;
};

void reportError(const Request& request, const QString& description)
{
    if (request.errors)
        request.errors(description);
}

// Sets the saved code through the control and the printer's paper back as it was, once, however the
// run ends after the paper was touched.
class PaperRestore {
public:
    PaperRestore(const Request& request, QString printer, printing::PrinterPaper saved, int savedCode)
        : request_(request),
          printer_(std::move(printer)),
          saved_(std::move(saved)),
          savedCode_(savedCode)
    {
    }
    ~PaperRestore()
    {
        if (control_) {
            control_->put(quorbel::dispid::PaperSize, savedCode_);
            control_->call(quorbel::dispid::SetPaper); // its result is not what restores the paper
        }
        try {
            // Only what differs is written: an operator who may not change the printer changed nothing.
            if (printing::printerPaper(printer_) != saved_)
                printing::restorePrinterPaper(printer_, saved_);
            // Kept while the paper is not back: the next start or run sets it back.
            paperRecord::forget(printer_);
        } catch (const std::exception& e) {
            reportError(request_, platform::describe(e));
        }
    }
    PaperRestore(const PaperRestore&) = delete;
    PaperRestore& operator=(const PaperRestore&) = delete;

    void setControl(component::Dispatch control) { control_ = std::move(control); }

private:
    const Request& request_;
    QString printer_;
    printing::PrinterPaper saved_;
    int savedCode_;
    std::optional<component::Dispatch> control_;
};

} // namespace

bool running()
{
    return gRunning;
}

QString busyText()
{
    return QStringLiteral("正在打印，请等打印完成后再试。");
}

Outcome run(const Request& request)
{
    if (gRunning) {
        reportError(request, busyText());
        return Outcome::Refused;
    }
    Hold hold(request);

    QString printer;
    printing::PrinterPaper saved;
    int savedCode = 0;
    try {
        if (request.check)
            request.check();
        printer = printing::defaultPrinterName();
        if (printer.isEmpty())
            throw printing::Error(QStringLiteral("没有默认打印机，请先设置默认打印机。"));
        // A paper an earlier run could not set back goes back first; one that still cannot is the
        // paper this run restores, never the one the printer carries now.
        paperRecord::restoreAll(request.errors);
        if (const auto left = paperRecord::entryFor(printer)) {
            saved = left->paper;
            savedCode = left->paperSizeCode;
        } else {
            saved = printing::printerPaper(printer);
            savedCode = printing::paperSizeCode(saved);
            paperRecord::remember({printer, saved, savedCode});
        }
    } catch (const std::exception& e) {
        reportError(request, platform::describe(e));
        return Outcome::Failed;
    }

    PaperRestore restore(request, printer, saved, savedCode);
    {
        // A control that cannot be made is taken as a SetPaper that returned false: the report prints
        // on whatever paper the printer has.
        component::Dispatch control;
        if (component::createObject(QString::fromLatin1(quorbel::kControlProgId), &control) == component::S_OK &&
            control) {
            const PaperRequest& p = request.paper;
            control.put(quorbel::dispid::PrinterName, printer);
            control.put(quorbel::dispid::Orientation, p.orientation);
            control.put(quorbel::dispid::UserFormName, p.userFormName);
            control.put(quorbel::dispid::PaperLength, p.paperLength);
            control.put(quorbel::dispid::PaperWidth, p.paperWidth);
            control.put(quorbel::dispid::PaperSize, p.paperSize);
            control.call(quorbel::dispid::SetPaper);
            restore.setControl(control);
        }
    }

    try {
        const report::Document document = request.render ? request.render() : report::Document{};
        if (request.record)
            request.record();
        report::PrintJobs jobs;
        if (jobs.print(document, request.showPrintDialog, printer, request.window) ==
            report::PrintJobs::Result::Cancelled)
            return Outcome::Cancelled;
        QEventLoop wait;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &wait, [&] {
            const int pending = jobs.pending();
            if (pending < 1)
                wait.quit();
            else if (request.progress)
                request.progress(pending);
        });
        if (request.progress && jobs.pending() > 0)
            request.progress(jobs.pending());
        poll.start(10);
        wait.exec();
        const QStringList refused = jobs.takeErrors();
        if (!refused.isEmpty()) {
            for (const QString& e : refused)
                reportError(request, e);
            return Outcome::Failed;
        }
        if (request.commit)
            request.commit();
    } catch (const std::exception& e) {
        reportError(request, platform::describe(e));
        return Outcome::Failed;
    }
    return Outcome::Printed;
}

} // namespace printRun
