#include "platform/report/report_output.h"

#include "platform/printing/printer.h"
#include "platform/report/report.h"
#include "platform/report/report_painter.h"
#include "platform/ui/dialogs.h"

#include <QDir>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTemporaryFile>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace report {

namespace {

// The sheet as it is fed, in hundredths of a millimetre: a landscape page lies across a portrait sheet.
std::pair<int, int> sheetOf(const Page& page)
{
    QSizeF size = page.size;
    if (page.orientation == Orientation::Landscape)
        size.transpose();
    // to whole tenths of a millimetre, the finest a paper size is set in: 11906 twips are 210.0 mm
    auto hundredths = [](double twips) { return int(std::lround(twips * 254.0 / 1440.0)) * 10; };
    return {hundredths(size.width()), hundredths(size.height())};
}

} // namespace

void writePdf(const Document& document, const QString& path)
{
    QPdfWriter writer(path);
    writer.setResolution(1440);
    writer.setTitle(document.title);
    writer.setCreator(QStringLiteral("Tevrano"));
    if (!paintDocument(writer, document))
        throw Error(QStringLiteral("无法写入文件：%1").arg(path));
}

QPrintPreviewDialog* makePreview(const Document& document, QWidget* parent)
{
    auto* dialog = new QPrintPreviewDialog(parent);
    dialog->setObjectName(QStringLiteral("reportPreview"));
    dialog->setWindowTitle(document.title);
    QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                     [document](QPrinter* printer) { paintDocument(*printer, document); });
    return dialog;
}

PrintJobs::~PrintJobs()
{
    for (Job& job : jobs_)
        if (job.sent.valid())
            job.sent.wait();
}

PrintJobs::Result PrintJobs::print(const Document& document, bool showDialog, const QString& printerName,
                                   QWidget* parent)
{
    const QString printer = printerName.isEmpty() ? printing::defaultPrinterName() : printerName;
    if (printer.isEmpty())
        throw Error(QStringLiteral("没有默认打印机"));
    if (document.pages.empty())
        return Result::Sent;

    QPrinter device(QPrinter::HighResolution);
    device.setPrinterName(printer);
    device.setDocName(document.title);
    device.setFullPage(true);
    device.setFromTo(1, int(document.pages.size()));
    int first = 0, last = 0;
    QString target = printer;
    if (showDialog) {
        device.setPrintRange(QPrinter::AllPages);
        const bool accepted = ui::runDialog(QStringLiteral("打印"), [&] {
            QPrintDialog dialog(&device, parent);
            dialog.setMinMax(1, int(document.pages.size()));
            return dialog.exec() == QDialog::Accepted;
        });
        if (!accepted)
            return Result::Cancelled;
        // the dialog's print to a file: the pages go into that file, and no job to any printer
        if (device.printerName().isEmpty() && !device.outputFileName().isEmpty()) {
            device.setOutputFormat(QPrinter::PdfFormat);
            if (!paintDocument(device, document, device.printRange() == QPrinter::PageRange ? device.fromPage() : 0,
                               device.printRange() == QPrinter::PageRange ? device.toPage() : 0))
                throw Error(QStringLiteral("无法写入文件：%1").arg(device.outputFileName()));
            return Result::Sent;
        }
        if (!device.printerName().isEmpty())
            target = device.printerName();
        if (device.printRange() == QPrinter::PageRange) {
            first = device.fromPage();
            last = device.toPage();
        }
    }
    const int copies = std::max(1, device.copyCount());
    device.setCopyCount(1); // the scheduler makes the copies

    // The pages go to the scheduler as a PDF of their own, with the sheet named on the job.
    auto file = std::make_shared<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/qelv-print-XXXXXX.pdf"));
    if (!file->open())
        throw Error(QStringLiteral("无法建立打印文件：%1").arg(file->errorString()));
    file->close();
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(file->fileName());
    device.setResolution(1440);
    if (!paintDocument(device, document, first, last))
        throw Error(QStringLiteral("无法生成打印页面"));

    const Page& page = document.pages.front();
    const auto [width, length] = sheetOf(page);
    printing::JobOptions options;
    options.title = document.title.isEmpty() ? QStringLiteral("Tevrano") : document.title;
    options.media = printing::mediaForSheet(width, length);
    options.orientation = page.orientation == Orientation::Landscape ? 4 : 3;
    options.copies = copies;
    Job job;
    job.sent = std::async(std::launch::async,
                          [file, target, options] { return printing::submitJob(target, file->fileName(), options); });
    jobs_.push_back(std::move(job));
    return Result::Sent;
}

void PrintJobs::collect() const
{
    for (Job& job : jobs_) {
        if (job.done || job.sent.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
            continue;
        job.done = true;
        try {
            job.id = job.sent.get();
        } catch (const std::exception& e) {
            errors_ << platform::describe(e);
        }
    }
}

int PrintJobs::pending() const
{
    collect();
    return int(std::count_if(jobs_.begin(), jobs_.end(), [](const Job& j) { return !j.done; }));
}

std::vector<int> PrintJobs::jobIds() const
{
    collect();
    std::vector<int> ids;
    for (const Job& j : jobs_)
        if (j.id > 0)
            ids.push_back(j.id);
    return ids;
}

QStringList PrintJobs::takeErrors()
{
    collect();
    QStringList errors;
    errors.swap(errors_);
    return errors;
}

} // namespace report
