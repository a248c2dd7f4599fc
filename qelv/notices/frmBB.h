#pragma once
// The yearly statistics report on A4: the title and the condition line, set at print time, and the
// date of printing once at the head; framed column headings on every page; a framed line for each row
// of tjk with number, name, industry type, squad, month count and year amount; the page number and
// count at the foot; the count of enterprises and the sum of their amounts at the end. Its data is the
// data environment's Command6. A text too long for its framed cell is printed smaller.
#include "platform/report/report.h"

class frmBB : public report::Report {
public:
    static constexpr const char* formName = "frmBB";
    // The report as designed; the print sets the captions of lBiaoTou and Ltj in ReportHeader.
    frmBB();
};
