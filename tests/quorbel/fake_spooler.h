// A spooler that plays printers from a script and writes down every call it gets, one line each, so that
// a test reads the road a paper request took.
#pragma once

#include "quorbel/spooler.h"

#include <QList>
#include <QMap>
#include <QStringList>
#include <functional>

namespace quorbel::testing {

struct FakePrinter {
    bool infoReadable = true;
    std::optional<DeviceMode> info{}; // empty: the printer keeps no default settings
    std::optional<DeviceMode> driverDefaults{}; // what the driver makes when it has none
    std::uint32_t driverFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH;
    std::function<bool(const DeviceMode&)> accepts = [](const DeviceMode&) { return true; };
    bool stores = true;
    QList<Form> forms{}; // the forms database, in enumeration order
    bool formsWritable = true;
    bool listsForm = true; // false: the enumeration leaves out forms added during the request
    std::optional<DeviceMode> stored{}; // the last device mode stored
};

class FakeSpooler : public Spooler {
public:
    bool formsDatabase = true;
    QMap<QString, FakePrinter> printers;
    QStringList calls;

    bool hasFormsDatabase() const override { return formsDatabase; }
    std::unique_ptr<PrinterHandle> open(const QString& printerName) override;
    void broadcast(const QString& printerName) override;

    // A stored device mode as the log writes it: "orientation=1 paperSize=9 length=2970 width=2100 form=A4".
    static QString describe(const DeviceMode& mode);
    // The fields a device mode names, with their values: "fields=3 orientation=1 paperSize=9".
    static QString describeNamed(const DeviceMode& mode);
};

} // namespace quorbel::testing
