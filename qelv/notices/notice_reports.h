#pragma once
// The two printouts of the notice window, over the month's notice print file: the report "tzdw", one A4
// page per notice (its header row of tzdw in enterprise-number order, its lines of MX by ID), and the
// report "PaiWuMinXi", per notice its discharge-data sheet (the rows of WuRanWuMingXi by outlet). Both
// print through the kernel's print run on A4 to the default printer without a dialog, the printer's
// paper set back afterwards.
#include "platform/report/report.h"
#include "qelv/core/print_run.h"

#include <QDate>
#include <QList>

class QWidget;

namespace notices {

// The notices: the enterprise, the amount due in capitals, the headings, the fee lines (序号, 项目, 金额)
// and the notice texts with the notice date, the operator and the checker. Every text of some length
// (the enterprise's name, the amount, an item, the notice texts and the two names) takes the lines it
// needs, and what stands below it moves down.
class tzdw : public report::Report {
public:
    static constexpr const char* reportName = "tzdw";
    tzdw();
};

// The pollutant detail sheets: per notice its heading and its discharge-data rows. The enterprise's
// name, a pollutant's name and its data take the lines they need.
class PaiWuMinXi : public report::Report {
public:
    static constexpr const char* reportName = "PaiWuMinXi";
    PaiWuMinXi();
};

// Renders a report over the month's notice print file; throws db::Error when the file or a table of
// it is missing.
report::Document renderNotices(const QDate& month);
report::Document renderPollutantDetails(const QDate& month);

// Print the notices ("正在打印通知...") or the detail sheets ("正在打印排污明细...") of the operating
// month. The progress window shows while the run lasts and is closed on every way out; `commands` are
// disabled and the window's closing refused meanwhile. Errors go to a message box over `window`.
printRun::Outcome PrintNotices(QWidget* window, const QList<QWidget*>& commands = {});
printRun::Outcome PrintPollutantDetails(QWidget* window, const QList<QWidget*>& commands = {});

} // namespace notices
