#include "quorbel/set_paper.h"

#include "quorbel/ansi.h"

#include "platform/printing/paper_sizes.h"

namespace quorbel {

namespace {

// The printer name goes to the spooler in a buffer of 256 bytes with its terminator.
constexpr int kPrinterNameBytes = 255;

// A listed paper size: orientation and code, checked by the driver, then stored.
bool standardRoad(const PaperRequest& request, PrinterHandle& printer, DeviceMode& mode)
{
    if (!(mode.fields & DM_PAPERSIZE))
        return false;
    mode.fields = DM_ORIENTATION | DM_PAPERSIZE;
    mode.orientation = request.orientation;
    mode.paperSize = static_cast<std::int16_t>(request.paperSize);
    if (!printer.validate(mode))
        return false;
    return printer.store(mode);
}

// A custom size where there is no forms database: the custom code and the orientation, then length and
// width, go into the device mode. Nothing is stored before the driver has accepted all of it, so that a
// driver without custom sizes, or one that refuses the size, leaves the printer as it was.
bool customRoad(const PaperRequest& request, PrinterHandle& printer, DeviceMode& mode)
{
    constexpr std::uint32_t custom = DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
    if ((mode.fields & custom) != custom)
        return false;
    mode.fields = DM_ORIENTATION | DM_PAPERSIZE;
    mode.orientation = request.orientation;
    mode.paperSize = printing::kCustomPaperSize;
    if (!printer.validate(mode))
        return false;
    mode.fields = custom;
    mode.paperSize = printing::kCustomPaperSize;
    mode.paperLength = request.paperLength;
    mode.paperWidth = request.paperWidth;
    if (!printer.validate(mode))
        return false;
    return printer.store(mode);
}

// Whether the driver takes the requested sheet in the requested orientation. Asked before a form is added
// or resized: a form the printer cannot print would stay in the forms database after the refusal, and its
// code would then fail every later request.
bool takesSheet(const PaperRequest& request, PrinterHandle& printer, const DeviceMode& mode)
{
    if (!(mode.fields & DM_PAPERSIZE))
        return false;
    DeviceMode sheet = mode;
    sheet.fields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
    sheet.orientation = request.orientation;
    sheet.paperSize = printing::kCustomPaperSize;
    sheet.paperLength = request.paperLength;
    sheet.paperWidth = request.paperWidth;
    return printer.validate(sheet);
}

// A custom size through the forms database: the form of the requested name is made to have the requested
// size (added, or resized when it has another), then selected by its position in the printer's forms.
bool formsRoad(const PaperRequest& request, PrinterHandle& printer, DeviceMode& mode)
{
    // A name too long to keep would leave the previous name in use, and with it another form resized.
    if (request.formNameRefused || request.formName.isEmpty())
        return false;
    const Form wanted{request.formName, std::int32_t(request.paperWidth) * 100,
                      std::int32_t(request.paperLength) * 100};
    bool sizeUnchanged = false;
    if (const auto existing = printer.getForm(wanted.name)) {
        if (existing->width == wanted.width && existing->length == wanted.length)
            sizeUnchanged = true;
        else if (!takesSheet(request, printer, mode) || !printer.setForm(wanted))
            return false;
    } else if (!takesSheet(request, printer, mode) || !printer.addForm(wanted)) {
        return false;
    }

    // Already selected: nothing to write, but only when the printer really has this paper, at this size,
    // in the requested orientation.
    if (sizeUnchanged && mode.formName == wanted.name && mode.orientation == request.orientation)
        return true;

    const auto forms = printer.enumForms();
    if (!forms)
        return false;
    const qsizetype position = forms->indexOf(wanted.name);
    if (position < 0 || position + 1 > 0x7FFF)
        return false; // selecting by another position would select another form

    if (!(mode.fields & DM_PAPERSIZE))
        return false;
    mode.fields = DM_ORIENTATION | DM_PAPERSIZE;
    mode.orientation = request.orientation;
    mode.paperSize = static_cast<std::int16_t>(position + 1);
    if (!printer.validate(mode))
        return false;
    return printer.store(mode);
}

} // namespace

bool applyPaperRequest(const PaperRequest& request, Spooler& spooler)
{
    if (toAnsi(request.printerName).size() > kPrinterNameBytes)
        return false;
    const std::unique_ptr<PrinterHandle> printer = spooler.open(request.printerName);
    if (!printer)
        return false;

    std::optional<DeviceMode> mode;
    if (!printer->readInfo(&mode))
        return false;
    if (!mode) {
        mode = printer->driverDefaults();
        if (!mode)
            return false;
    }

    bool done = false;
    if (request.paperSize != printing::kCustomPaperSize)
        done = standardRoad(request, *printer, *mode);
    else if (spooler.hasFormsDatabase())
        done = formsRoad(request, *printer, *mode);
    else
        done = customRoad(request, *printer, *mode);

    if (done)
        spooler.broadcast(request.printerName);
    return done;
}

} // namespace quorbel
