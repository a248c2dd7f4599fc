#include "tests/quorbel/fake_spooler.h"

namespace quorbel::testing {

namespace {

QString size(const Form& form)
{
    return QStringLiteral("%1x%2").arg(form.width).arg(form.length);
}

class FakePrinterHandle : public PrinterHandle {
public:
    FakePrinterHandle(FakeSpooler& spooler, FakePrinter& printer)
        : spooler_(spooler),
          printer_(printer)
    {
    }
    ~FakePrinterHandle() override { log("close"); }

    bool readInfo(std::optional<DeviceMode>* mode) override
    {
        log("readInfo");
        if (!printer_.infoReadable)
            return false;
        *mode = printer_.info;
        return true;
    }
    std::optional<DeviceMode> driverDefaults() override
    {
        log("driverDefaults");
        return printer_.driverDefaults;
    }
    bool validate(DeviceMode& mode) override
    {
        log("validate " + FakeSpooler::describeNamed(mode));
        if (!printer_.accepts(mode))
            return false;
        mode.fields = printer_.driverFields;
        return true;
    }
    bool store(const DeviceMode& mode) override
    {
        log("store " + FakeSpooler::describe(mode));
        if (!printer_.stores)
            return false;
        printer_.stored = mode;
        return true;
    }
    std::optional<Form> getForm(const QString& name) override
    {
        for (const Form& form : printer_.forms)
            if (form.name == name) {
                log("getForm " + name + " -> " + size(form));
                return form;
            }
        log("getForm " + name + " -> none");
        return std::nullopt;
    }
    bool setForm(const Form& form) override
    {
        log("setForm " + form.name + " " + size(form));
        if (!printer_.formsWritable)
            return false;
        for (Form& existing : printer_.forms)
            if (existing.name == form.name) {
                existing = form;
                return true;
            }
        return false;
    }
    bool addForm(const Form& form) override
    {
        log("addForm " + form.name + " " + size(form));
        if (!printer_.formsWritable)
            return false;
        printer_.forms.append(form);
        added_.append(form.name);
        return true;
    }
    std::optional<QStringList> enumForms() override
    {
        log("enumForms");
        QStringList names;
        for (const Form& form : printer_.forms)
            if (printer_.listsForm || !added_.contains(form.name))
                names.append(form.name);
        return names;
    }

private:
    void log(const QString& call) { spooler_.calls.append(call); }

    FakeSpooler& spooler_;
    FakePrinter& printer_;
    QStringList added_;
};

} // namespace

std::unique_ptr<PrinterHandle> FakeSpooler::open(const QString& printerName)
{
    auto printer = printers.find(printerName);
    if (printer == printers.end()) {
        calls.append("open " + printerName + " -> none");
        return nullptr;
    }
    calls.append("open " + printerName);
    return std::make_unique<FakePrinterHandle>(*this, *printer);
}

void FakeSpooler::broadcast(const QString& printerName)
{
    calls.append("broadcast " + printerName);
}

QString FakeSpooler::describe(const DeviceMode& mode)
{
    return QStringLiteral("orientation=%1 paperSize=%2 length=%3 width=%4 form=%5")
        .arg(mode.orientation)
        .arg(mode.paperSize)
        .arg(mode.paperLength)
        .arg(mode.paperWidth)
        .arg(mode.formName);
}

QString FakeSpooler::describeNamed(const DeviceMode& mode)
{
    QStringList parts{QStringLiteral("fields=%1").arg(mode.fields)};
    if (mode.fields & DM_ORIENTATION)
        parts << QStringLiteral("orientation=%1").arg(mode.orientation);
    if (mode.fields & DM_PAPERSIZE)
        parts << QStringLiteral("paperSize=%1").arg(mode.paperSize);
    if (mode.fields & DM_PAPERLENGTH)
        parts << QStringLiteral("length=%1").arg(mode.paperLength);
    if (mode.fields & DM_PAPERWIDTH)
        parts << QStringLiteral("width=%1").arg(mode.paperWidth);
    return parts.join(' ');
}

} // namespace quorbel::testing
