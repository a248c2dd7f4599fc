// The spooler on CUPS. A printer's default settings are its `media-default` and
// `orientation-requested-default`, read with Get-Printer-Attributes and set system-wide with
// CUPS-Add-Modify-Printer, as `lpadmin -o media-default=... -o orientation-requested-default=...` sets
// them. Paper size codes become CUPS media through the paper table, custom sizes CUPS custom media.
// CUPS has no forms database: named forms are kept in the control's own (FormsRegistry), per printer
// under the name the scheduler reports for it, after the listed papers, so that a form's position counted
// from 1 is its code like a listed paper's.
//
// Whether the forms database is used for custom sizes is a setting of this backend: with it a custom size
// goes through a named form, without it straight into the printer's settings.
#pragma once

#include "quorbel/forms_registry.h"
#include "quorbel/spooler.h"

#include <QString>

namespace quorbel {

class CupsSpooler : public Spooler {
public:
    struct Options {
        bool formsDatabase = true;
        QString formsRegistry; // empty: FormsRegistry::defaultPath()
    };

    CupsSpooler();
    explicit CupsSpooler(Options options);

    bool hasFormsDatabase() const override { return options_.formsDatabase; }
    std::unique_ptr<PrinterHandle> open(const QString& printerName) override;
    void broadcast(const QString& printerName) override;

private:
    Options options_;
};

} // namespace quorbel
