#pragma once
// Printing the yearly statistics: the report frmBB over the rows of tjk in the operating year's billing
// file (the data environment's Command6), titled with the bureau's name and the year, with the last
// query's condition; printed through the kernel's print run with the print dialog, on A4 upright.
#include "platform/report/page_model.h"
#include "qelv/core/print_run.h"

#include <QDate>
#include <QList>
#include <QString>

class QWidget;

namespace statistics {

// The title: the bureau's name, the year as a plain number and "报表", with nothing between them.
QString reportTitle(const QString& orgName, const QDate& workMonth);

// Renders the report from the file the data environment's Conn4 names, the title from Module1's
// gOrgName and gWorkMonth and the condition line "条件为 " followed by `conditionText`. The data
// environment is loaded for it and unloaded however the rendering ends; throws what the data or the
// report throws.
report::Document renderReport(const QString& conditionText);

// The print of the statistics window: the progress window "正在打印报表..." while the run lasts,
// closed on every way out; the report rendered before the printer is touched (a report that cannot
// be made prints nothing); then the print dialog, the print on A4 and the printer's paper set back.
// `commands` are disabled and the window's closing refused while the print waits. Errors go to a
// message box over `window`.
printRun::Outcome PrintReport(QWidget* window, const QList<QWidget*>& commands, const QString& conditionText);

} // namespace statistics
