// What the control needs of a print spooler: a printer's default settings (its device mode), the driver's
// check of a changed device mode, storing it as the printer's default, the printer's forms database, and
// the announcement of a change. The CUPS backend is the real one; tests use a recording fake.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>
#include <optional>

namespace quorbel {

// The device-mode fields that a mode names (which of its values count).
enum DeviceModeField : std::uint32_t {
    DM_ORIENTATION = 0x1,
    DM_PAPERSIZE = 0x2,
    DM_PAPERLENGTH = 0x4,
    DM_PAPERWIDTH = 0x8,
};

struct DeviceMode {
    std::uint32_t fields = 0; // as read: the fields the driver supports; as written: the fields to merge
    std::int16_t orientation = 0; // 1 portrait, 2 landscape
    std::int16_t paperSize = 0; // a paper size code, 256 for a custom size, or a form's position
    std::int16_t paperLength = 0; // tenths of a millimetre
    std::int16_t paperWidth = 0;
    QString formName; // the form that the settings name
    bool operator==(const DeviceMode&) const = default;
};

// A form of the forms database; sizes in thousandths of a millimetre, the printable area the whole sheet.
struct Form {
    QString name;
    std::int32_t width = 0;
    std::int32_t length = 0;
    bool operator==(const Form&) const = default;
};

// One opened printer; closing it (destroying the handle) frees whatever the backend holds for it.
class PrinterHandle {
public:
    virtual ~PrinterHandle() = default;

    // The printer's information; false when it cannot be read. `mode` is empty when the printer keeps no
    // default settings of its own.
    virtual bool readInfo(std::optional<DeviceMode>* mode) = 0;
    // The driver's default settings, for a printer that keeps none.
    virtual std::optional<DeviceMode> driverDefaults() = 0;
    // Has the driver check the fields that `mode.fields` names and merge them into its settings; on
    // success `mode` is the merged device mode, with the fields the driver supports.
    virtual bool validate(DeviceMode& mode) = 0;
    // Stores `mode` as the printer's default settings.
    virtual bool store(const DeviceMode& mode) = 0;

    virtual std::optional<Form> getForm(const QString& name) = 0;
    virtual bool setForm(const Form& form) = 0;
    virtual bool addForm(const Form& form) = 0;
    // The names of the printer's forms in the order whose positions, counted from 1, are their codes.
    virtual std::optional<QStringList> enumForms() = 0;
};

class Spooler {
public:
    virtual ~Spooler() = default;

    // Whether this spooler keeps a forms database, which decides how a custom size is applied.
    virtual bool hasFormsDatabase() const = 0;
    // Opens a printer for changing its defaults; null when there is no such printer or it cannot be opened.
    virtual std::unique_ptr<PrinterHandle> open(const QString& printerName) = 0;
    // Tells everyone in the process that the printer's default settings changed; returns when all have heard.
    virtual void broadcast(const QString& printerName) = 0;
};

} // namespace quorbel
