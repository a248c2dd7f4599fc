// Applying a paper request to a printer's default settings: the work of the control's SetPaper.
#pragma once

#include "quorbel/spooler.h"

#include <QString>
#include <cstdint>

namespace quorbel {

struct PaperRequest {
    QString printerName{};
    std::int16_t orientation = 1;
    std::int32_t paperSize = 9; // 256 for a custom size
    std::int16_t paperLength = 0; // tenths of a millimetre
    std::int16_t paperWidth = 0;
    QString formName{}; // the custom form's name
    bool formNameRefused = false; // the last form name asked for was too long to keep
};

// True when the printer now carries the requested paper and orientation (and the change was announced);
// false otherwise, with nothing written to the printer's settings. A custom size that the driver does not
// take leaves the forms database as it was as well.
bool applyPaperRequest(const PaperRequest& request, Spooler& spooler);

} // namespace quorbel
