#pragma once
// The month fee list report: a heading with name and number for each enterprise of the print file's
// dw, a line for each of its ShuJu rows (pollutant, outlet, category, the discharge text and the four
// amounts), the enterprise's total under its lines, the title at the head of every page and the page
// numbers and date of printing at its foot. Laid out for a sheet 297 mm wide and 210 mm long. Its data
// is the data environment's Command4 with its child Command5. The enterprise's name, a pollutant's name
// and its discharge figures take the lines they need, the rest moving down.
#include "platform/report/report.h"

class frmDataForm : public report::Report {
public:
    static constexpr const char* formName = "frmDataForm";
    // The report as designed; the print flow puts the month in front of the caption of Label1.
    frmDataForm();
};
