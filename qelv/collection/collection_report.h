#pragma once
// The collection documents printed over the bank's pre-printed forms: the report WTForm, one page of the
// layout's custom paper per document of WTDW, and its print run. Nothing moves on the form: a text too
// long for its box is printed in a smaller font, to fit it.
//
// The run checks everything before it touches the printer: the layout's paper row and sizes, its fields
// and labels against what the report can place and what WTDW holds, a document to print, and with late
// fees on a ledger for each document's enterprise. A failure says why, and nothing is printed or marked.
// The report prints at once, without a dialog, on the custom paper "UserDefine" of the layout's size,
// portrait. Only once the printer has taken the job are the documents' invoices marked in the late-fee
// ledgers (while late fees are on), all in one transaction.
#include "platform/report/report.h"
#include "qelv/collection/collection_layout.h"
#include "qelv/core/print_run.h"

#include <QList>

class QWidget;

namespace collection {

class WTForm : public report::Report {
public:
    static constexpr const char* reportName = "WTForm";

    // The report as designed, then laid out from the layout file and gNonContinuousPrint, as its
    // initialisation does when the report is created. Throws what reading the layout throws, and
    // report::Error for a layout it cannot place.
    WTForm();
    // The report as designed, without a layout.
    explicit WTForm(std::nullptr_t);

    // Lays the report out: the detail section the paper's height, the n-th field row in "Text<n>", the
    // k-th label row in "Label<k+2>", scaled from the picture to the paper and, on single sheets, moved
    // up by the gap; the boxes and labels after the last placed one hidden and bound like it. Without a
    // paper row the design stays. Throws report::Error, before anything is changed, for more than 50
    // fields or 10 labels, sizes not above zero, or a gap outside 16 bits on single sheets.
    void DataReport_Initialize(const CollectionLayout& layout, bool singleSheets);
};

// The paper control's request for the layout: "UserDefine", Paperheigth / 10 by PaperWidth / 10,
// portrait, size code 256. Zero sizes when the layout has no paper the control takes.
printRun::PaperRequest paperRequest(const CollectionLayout& layout);

// One print run of the month's documents, on continuous stationery or (gNonContinuousPrint) on single
// sheets. The progress window shows while it lasts and is closed on every way out; `commands` are
// disabled and the window's closing refused while it waits. Messages go to a box over `window`.
printRun::Outcome PrintCollectionDocuments(QWidget* window, const QList<QWidget*>& commands = {});

} // namespace collection
