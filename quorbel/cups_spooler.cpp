#include "quorbel/cups_spooler.h"

#include "quorbel/broadcast.h"

#include "platform/printing/paper_sizes.h"

#include <cups/cups.h>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace quorbel {

namespace {

// IPP's orientation-requested values for the device mode's 1 (portrait) and 2 (landscape).
constexpr int kIppPortrait = 3;
constexpr int kIppLandscape = 4;

// Listed papers come first in a printer's forms, at the positions of their codes.
constexpr int kListedForms = static_cast<int>(printing::kPaperSizes.size());

const char* noPassword(const char*, http_t*, const char*, const char*, void*)
{
    return nullptr;
}

// libcups keeps its server, user and password callback per thread. The control talks to the scheduler on
// a thread of its own: it neither uses nor changes what the host set up for its own printing, and no
// password is ever asked for, so an operator who may not change a printer is refused, not prompted.
template <class Work> auto onCupsThread(Work work) -> decltype(work())
{
    std::optional<decltype(work())> result;
    std::thread thread([&] {
        cupsSetPasswordCB2(noPassword, nullptr);
        result = work();
    });
    thread.join();
    return *result;
}

// What the scheduler says of a printer.
struct PrinterState {
    std::string name; // as the scheduler spells it, whatever spelling it was asked by
    std::string mediaDefault;
    int orientationDefault = 0; // 0: none
    std::vector<std::string> mediaSupported;
    std::optional<printing::MediaSize> customMin, customMax;
};

// CUPS refuses these in printer names; refusing them here keeps a name from reaching another resource.
bool isPrinterName(const QString& name)
{
    if (name.isEmpty() || name.size() > 127)
        return false;
    for (const QChar c : name)
        if (c.unicode() <= 0x20 || c.unicode() == 0x7F || QStringLiteral("/\\'\"?#").contains(c))
            return false;
    return true;
}

std::string printerUri(const std::string& name)
{
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                     name.c_str());
    return uri;
}

http_t* connectScheduler()
{
    http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, 30000, nullptr);
    if (http)
        httpSetTimeout(http, 30.0, nullptr, nullptr);
    return http;
}

std::optional<PrinterState> queryPrinter(const std::string& name)
{
    return onCupsThread([&]() -> std::optional<PrinterState> {
        http_t* http = connectScheduler();
        if (!http)
            return std::nullopt;
        ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri(name).c_str());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        static const char* const wanted[] = {"printer-name", "media-default", "media-supported",
                                             "orientation-requested-default"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes",
                      static_cast<int>(std::size(wanted)), nullptr, wanted);
        ipp_t* response = cupsDoRequest(http, request, "/");
        std::optional<PrinterState> state;
        if (response && cupsLastError() <= IPP_STATUS_OK_CONFLICTING) {
            state.emplace();
            if (ipp_attribute_t* a = ippFindAttribute(response, "printer-name", IPP_TAG_NAME))
                if (const char* value = ippGetString(a, 0, nullptr))
                    state->name = value;
            // The printer's own setting comes first; the driver's default may follow under the same name.
            if (ipp_attribute_t* a = ippFindAttribute(response, "media-default", IPP_TAG_ZERO))
                if (const char* value = ippGetString(a, 0, nullptr))
                    state->mediaDefault = value;
            if (ipp_attribute_t* a = ippFindAttribute(response, "orientation-requested-default", IPP_TAG_ENUM))
                state->orientationDefault = ippGetInteger(a, 0);
            if (ipp_attribute_t* a = ippFindAttribute(response, "media-supported", IPP_TAG_ZERO)) {
                for (int i = 0; i < ippGetCount(a); ++i) {
                    const char* value = ippGetString(a, i, nullptr);
                    if (!value)
                        continue;
                    const std::string media = value;
                    if (media.starts_with("custom_min_"))
                        state->customMin = printing::mediaSize(media);
                    else if (media.starts_with("custom_max_"))
                        state->customMax = printing::mediaSize(media);
                    else
                        state->mediaSupported.push_back(media);
                }
            }
        }
        ippDelete(response);
        httpClose(http);
        return state;
    });
}

bool modifyPrinter(const std::string& name, const std::string& media, int orientation)
{
    return onCupsThread([&] {
        http_t* http = connectScheduler();
        if (!http)
            return false;
        ipp_t* request = ippNewRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER);
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri(name).c_str());
        ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
        ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_KEYWORD, "media-default", nullptr, media.c_str());
        ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "orientation-requested-default", orientation);
        ippDelete(cupsDoRequest(http, request, "/admin/"));
        const bool done = cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
        httpClose(http);
        return done;
    });
}

std::int16_t tenths(int hundredths)
{
    return static_cast<std::int16_t>(qBound(0, (hundredths + 5) / 10, 0x7FFF));
}

class CupsPrinter : public PrinterHandle {
public:
    CupsPrinter(QString name, PrinterState state, FormsRegistry forms)
        : name_(std::move(name)),
          state_(std::move(state)),
          forms_(std::move(forms))
    {
    }

    bool readInfo(std::optional<DeviceMode>* mode) override
    {
        *mode = deviceMode();
        return true;
    }
    std::optional<DeviceMode> driverDefaults() override { return deviceMode(); }

    bool validate(DeviceMode& mode) override
    {
        if ((mode.fields & DM_ORIENTATION) && mode.orientation != 1 && mode.orientation != 2)
            return false;
        const bool custom = mode.paperSize == printing::kCustomPaperSize;
        if (mode.fields & (DM_PAPERLENGTH | DM_PAPERWIDTH)) {
            if (!custom || !accepts(mediaOf(mode)))
                return false;
        } else if (mode.fields & DM_PAPERSIZE) {
            if (custom ? !hasCustomSizes() : !accepts(mediaOf(mode)))
                return false;
        }
        mode.fields = supportedFields();
        return true;
    }

    bool store(const DeviceMode& mode) override
    {
        const std::optional<std::string> media = mediaOf(mode);
        const int orientation = mode.orientation == 1 ? kIppPortrait : mode.orientation == 2 ? kIppLandscape : 0;
        if (!media || !orientation)
            return false;
        const std::string name = name_.toStdString();
        if (!modifyPrinter(name, *media, orientation))
            return false;
        // The scheduler takes default values it cannot use without complaint: only what it gives back counts.
        std::optional<PrinterState> now = queryPrinter(name);
        if (!now || now->mediaDefault != *media || now->orientationDefault != orientation)
            return false;
        state_ = std::move(*now);
        const std::optional<Form> form = userForm(mode.paperSize);
        forms_.select(name_, form ? form->name : QString());
        return true;
    }

    std::optional<Form> getForm(const QString& name) override
    {
        if (const printing::PaperSize* paper = listedForm(name)) {
            const auto size = printing::mediaSize(paper->media);
            return Form{name, size ? size->width * 10 : 0, size ? size->length * 10 : 0};
        }
        const auto forms = forms_.forms(name_);
        if (forms)
            for (const Form& form : *forms)
                if (form.name == name)
                    return form;
        return std::nullopt;
    }
    bool setForm(const Form& form) override
    {
        // the listed papers are the spooler's own and keep their sizes
        return !listedForm(form.name) && forms_.resize(name_, form);
    }
    bool addForm(const Form& form) override { return !listedForm(form.name) && forms_.add(name_, form); }
    std::optional<QStringList> enumForms() override
    {
        const auto forms = forms_.forms(name_);
        if (!forms)
            return std::nullopt;
        QStringList names;
        for (const printing::PaperSize& paper : printing::kPaperSizes)
            names.append(QString::fromUtf8(paper.description.data(), qsizetype(paper.description.size())));
        for (const Form& form : *forms)
            names.append(form.name);
        return names;
    }

private:
    bool hasCustomSizes() const { return state_.customMin && state_.customMax; }

    std::uint32_t supportedFields() const
    {
        std::uint32_t fields = DM_ORIENTATION;
        if (!state_.mediaSupported.empty() || hasCustomSizes())
            fields |= DM_PAPERSIZE;
        if (hasCustomSizes())
            fields |= DM_PAPERLENGTH | DM_PAPERWIDTH;
        return fields;
    }

    static const printing::PaperSize* listedForm(const QString& name)
    {
        const QByteArray utf8 = name.toUtf8();
        for (const printing::PaperSize& paper : printing::kPaperSizes)
            if (paper.description == std::string_view(utf8.constData(), std::size_t(utf8.size())))
                return &paper;
        return nullptr;
    }

    // The user form at a form position after the listed papers.
    std::optional<Form> userForm(int position) const
    {
        if (position <= kListedForms)
            return std::nullopt;
        const auto forms = forms_.forms(name_);
        if (!forms || position - kListedForms > forms->size())
            return std::nullopt;
        return forms->at(position - kListedForms - 1);
    }

    // The CUPS media that a device mode stands for.
    std::optional<std::string> mediaOf(const DeviceMode& mode) const
    {
        if (mode.paperSize == printing::kCustomPaperSize) {
            if (mode.paperWidth <= 0 || mode.paperLength <= 0)
                return std::nullopt;
            return printing::customMediaName(mode.paperWidth * 10, mode.paperLength * 10);
        }
        if (const printing::PaperSize* paper = printing::paperSizeForCode(mode.paperSize))
            return paper->media.empty() ? std::nullopt : std::optional<std::string>(std::string(paper->media));
        if (const std::optional<Form> form = userForm(mode.paperSize)) {
            if (form->width <= 0 || form->length <= 0)
                return std::nullopt;
            return printing::customMediaName(form->width / 10, form->length / 10);
        }
        return std::nullopt;
    }

    // A media the printer takes: one it lists, or a size within its custom limits.
    bool accepts(const std::optional<std::string>& media) const
    {
        if (!media)
            return false;
        for (const std::string& listed : state_.mediaSupported)
            if (listed == *media)
                return true;
        if (!hasCustomSizes())
            return false;
        const auto size = printing::mediaSize(*media);
        return size && size->width >= state_.customMin->width && size->width <= state_.customMax->width &&
            size->length >= state_.customMin->length && size->length <= state_.customMax->length;
    }

    DeviceMode deviceMode() const
    {
        DeviceMode mode;
        mode.fields = supportedFields();
        mode.orientation = state_.orientationDefault == kIppPortrait ? 1
            : state_.orientationDefault == kIppLandscape             ? 2
                                                                     : 0;
        const std::string& media = state_.mediaDefault;
        const printing::PaperSize* paper = printing::paperSizeForMedia(media);
        if (paper)
            mode.paperSize = static_cast<std::int16_t>(paper->code);
        else if (printing::isCustomMedia(media))
            mode.paperSize = printing::kCustomPaperSize;
        if (const auto size = printing::mediaSize(media)) {
            mode.paperWidth = tenths(size->width);
            mode.paperLength = tenths(size->length);
        }
        // The form last selected still counts as long as the printer carries its size.
        const QString selected = forms_.selected(name_);
        if (!selected.isEmpty()) {
            const auto forms = forms_.forms(name_);
            if (forms)
                for (const Form& form : *forms)
                    if (form.name == selected && printing::customMediaName(form.width / 10, form.length / 10) == media)
                        mode.formName = selected;
        }
        if (mode.formName.isEmpty() && paper)
            mode.formName = QString::fromUtf8(paper->description.data(), qsizetype(paper->description.size()));
        return mode;
    }

    QString name_;
    PrinterState state_;
    FormsRegistry forms_;
};

} // namespace

CupsSpooler::CupsSpooler()
    : CupsSpooler(Options{})
{
}

CupsSpooler::CupsSpooler(Options options)
    : options_(std::move(options))
{
}

std::unique_ptr<PrinterHandle> CupsSpooler::open(const QString& printerName)
{
    if (!isPrinterName(printerName))
        return nullptr;
    std::optional<PrinterState> state = queryPrinter(printerName.toStdString());
    // The scheduler matches printer names without regard to case; its own spelling keys the forms, so that
    // one printer has one list of forms and a form one code, however a window spells the name.
    if (!state || state->name.empty())
        return nullptr;
    const QString name = QString::fromStdString(state->name);
    FormsRegistry forms(options_.formsRegistry.isEmpty() ? FormsRegistry::defaultPath() : options_.formsRegistry);
    return std::make_unique<CupsPrinter>(name, std::move(*state), std::move(forms));
}

void CupsSpooler::broadcast(const QString& printerName)
{
    DeviceModeBroadcast::instance().send(printerName);
}

} // namespace quorbel
