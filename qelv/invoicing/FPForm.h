#pragma once
// The invoice report that overprints the generated invoices on the pre-printed stationery. Its design is
// a fixed pool of empty text fields, twenty to each invoice band; DataReport_Initialize lays them out
// from the invoice layout (the designer's boxes on the picture of the blank invoice, scaled to the
// paper) each time a print is made, so the layout and the single-sheet switch are read afresh.
//
// One invoice to a page, from the sheet's top-left corner: every form of the stationery is one page.
// Nothing moves on the stationery: a text too long for its field is printed in a smaller font, to fit it.
#include "platform/report/report.h"
#include "qelv/core/print_run.h"
#include "qelv/invoicing/invoice_layout.h"

#include <QStringList>

namespace db {
class Connection;
}

namespace invoicing {

// The paper a layout is printed on, as the paper control takes it: portrait, the custom form
// "UserDefine", length and width in tenths of a millimetre. Throws convert::Error ("溢出") for a size
// beyond 16 bits.
printRun::PaperRequest invoicePaper(const PaperRow& paper);

class FPForm : public report::Report {
public:
    static constexpr const char* reportName = "FPForm";

    // The design: ReportHeader, PageHeader, Command1_Header ("Text1" to "Text20"), Command2_Detail
    // ("Text21" to "Text40"), Command1_Footer ("Text41" to "Text60"), PageFooter (the label "."),
    // ReportFooter; the font "宋体" at 9 points, where the machine has it.
    FPForm();

    // Lays the report out from the layout file, with the gap when Module1::gNonContinuousPrint is set.
    // Throws on the first thing it cannot lay out (no band limits or paper row, a picture of size zero,
    // a field without a name, a gap beyond 16 bits, a 21st field of a band); what was set before stays.
    void DataReport_Initialize();
    // The same from a layout already read.
    void applyLayout(const InvoiceLayout& layout, bool nonContinuous);

    // The twips the layout's gap moves an invoice's content up by (0 unless on single sheets).
    double gap() const { return gap_; }

    // The invoices of the enterprises given, in that order, from the print file: each its header row of
    // KPDW with its lines of MX by ID. A field bound to a column the file lacks prints empty. Throws
    // db::Error when a table cannot be read.
    report::Document renderInvoices(db::Connection& printFile, const QStringList& enterprises) const;

private:
    double gap_ = 0;
};

} // namespace invoicing
