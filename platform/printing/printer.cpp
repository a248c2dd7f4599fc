#include "platform/printing/printer.h"

#include "platform/printing/paper_sizes.h"

#include <QFile>
#include <cups/cups.h>
#include <string>

namespace printing {

namespace {

std::string printerUri(const QString& printer)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                     printer.toUtf8().constData());
    return uri;
}

// One connection per call: libcups keeps its default connection per thread, and jobs go out from
// threads of their own.
class Connection {
public:
    Connection()
        : http_(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr))
    {
        if (!http_)
            throw Error(QStringLiteral("无法连接打印服务：%1").arg(QString::fromUtf8(cupsServer())));
        httpSetTimeout(http_, 30.0, nullptr, nullptr);
    }
    ~Connection() { httpClose(http_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    http_t* get() const { return http_; }

private:
    http_t* http_;
};

QString lastError()
{
    return QString::fromUtf8(cupsLastErrorString());
}

bool succeeded()
{
    return cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
}

} // namespace

QString defaultPrinterName()
{
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    QString name;
    if (cups_dest_t* dest = cupsGetDest(nullptr, nullptr, count, dests))
        name = QString::fromUtf8(dest->name);
    cupsFreeDests(count, dests);
    return name;
}

PrinterPaper printerPaper(const QString& printer)
{
    Connection http;
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri(printer).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    static const char* const wanted[] = {"media-default", "orientation-requested-default"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http.get(), request, "/");
    if (!response || !succeeded()) {
        ippDelete(response);
        const QString description = QStringLiteral("无法读取打印机“%1”的纸张：%2").arg(printer, lastError());
        if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            throw UnknownPrinter(description);
        throw Error(description);
    }
    PrinterPaper paper;
    // The printer's own setting comes first; the driver's default may follow under the same name.
    if (ipp_attribute_t* a = ippFindAttribute(response, "media-default", IPP_TAG_ZERO))
        if (ippGetValueTag(a) == IPP_TAG_KEYWORD || ippGetValueTag(a) == IPP_TAG_NAME)
            if (const char* value = ippGetString(a, 0, nullptr))
                paper.media = QString::fromUtf8(value);
    if (ipp_attribute_t* a = ippFindAttribute(response, "orientation-requested-default", IPP_TAG_ZERO))
        if (ippGetValueTag(a) == IPP_TAG_ENUM)
            paper.orientation = ippGetInteger(a, 0);
    ippDelete(response);
    return paper;
}

int paperSizeCode(const PrinterPaper& paper)
{
    if (paper.media)
        if (const PaperSize* listed = paperSizeForMedia(paper.media->toStdString()))
            return listed->code;
    return kCustomPaperSize;
}

void restorePrinterPaper(const QString& printer, const PrinterPaper& paper)
{
    // CUPS-Add-Modify-Printer makes a queue of a name it does not know: ask first, so that a printer
    // removed meanwhile gets no empty queue in its place (UnknownPrinter).
    printerPaper(printer);
    Connection http;
    ipp_t* request = ippNewRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri(printer).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    if (paper.media)
        ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "media-default", nullptr,
                     paper.media->toUtf8().constData());
    else
        ippAddOutOfBand(request, IPP_TAG_PRINTER, IPP_TAG_DELETEATTR, "media-default");
    if (paper.orientation)
        ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "orientation-requested-default", *paper.orientation);
    else
        ippAddOutOfBand(request, IPP_TAG_PRINTER, IPP_TAG_DELETEATTR, "orientation-requested-default");
    ippDelete(cupsDoRequest(http.get(), request, "/admin/"));
    if (!succeeded())
        throw Error(QStringLiteral("无法恢复打印机“%1”的纸张：%2").arg(printer, lastError()));
}

QString mediaForSheet(int width, int length)
{
    for (const PaperSize& paper : kPaperSizes)
        if (!paper.media.empty())
            if (const auto size = mediaSize(paper.media); size && size->width == width && size->length == length)
                return QString::fromUtf8(paper.media.data(), qsizetype(paper.media.size()));
    return QString::fromStdString(customMediaName(width, length));
}

int submitJob(const QString& printer, const QString& pdfPath, const JobOptions& options)
{
    QFile file(pdfPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法读取打印文件：%1").arg(pdfPath));
    const QByteArray document = file.readAll();

    Connection http;
    cups_option_t* settings = nullptr;
    int count = 0;
    count = cupsAddOption("media", options.media.toUtf8().constData(), count, &settings);
    count = cupsAddIntegerOption("orientation-requested", options.orientation, count, &settings);
    count = cupsAddIntegerOption("copies", options.copies, count, &settings);
    const QByteArray name = printer.toUtf8();
    const int job = cupsCreateJob(http.get(), name.constData(), options.title.toUtf8().constData(), count, settings);
    cupsFreeOptions(count, settings);
    if (job <= 0)
        throw Error(QStringLiteral("打印机“%1”拒绝了打印任务：%2").arg(printer, lastError()));
    if (cupsStartDocument(http.get(), name.constData(), job, "document", CUPS_FORMAT_PDF, 1) != HTTP_STATUS_CONTINUE ||
        cupsWriteRequestData(http.get(), document.constData(), size_t(document.size())) != HTTP_STATUS_CONTINUE ||
        cupsFinishDocument(http.get(), name.constData()) > IPP_STATUS_OK_CONFLICTING) {
        const QString reason = lastError();
        cupsCancelJob2(http.get(), name.constData(), job, 0);
        throw Error(QStringLiteral("打印任务没有送到打印机“%1”：%2").arg(printer, reason));
    }
    return job;
}

} // namespace printing
