#pragma once
// The month's fee list: the print file qelvdataPrint<y>_<m>.mdb, copied afresh from its template and
// filled from the billing-control file, the register, the assignments and the month's discharge data;
// then printed as the report frmDataForm through the print run, on a custom sheet 297 mm wide and
// 210 mm long.
#include "platform/report/page_model.h"
#include "qelv/core/print_run.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QVariant>

class QWidget;

namespace feeList {

// What the builder wrote.
struct Built {
    int enterprises = 0; // rows of dw
    int lines = 0; // rows of ShuJu
};

// Replaces the month's print file by a copy of the template (a missing one is simply made).
void copyPrintFile(const QDate& month);

// Fills the month's print file, just copied, with the enterprises billed in the month (M<m> = 1) in
// the order of their numbers as text, each with a line for every assignment whose discharge-data row
// the month's file holds. An enterprise the register lacks is left out; one without assignments keeps
// its heading alone. Everything is written in one transaction: on any error (a missing file or table,
// a value the print file refuses) nothing is written and the error is thrown.
Built BuildPrintData(const QDate& month);

// The period printed after the figures: the remark M<m>B when it holds text, else "<m>月".
QString period(const QDate& month, const QVariant& remark);
// The figures (dischargeFigures::text of the assignment's row) without their last comma, then " (", the
// period and ")".
QString withPeriod(const QString& dischargeText, const QString& period);

// Renders the fee list, the month formatted in front of the title (2003年05月开票单位排污数据及收费情况),
// from the print file that the data environment's conn3 names; the data
// environment is loaded for it and unloaded however the rendering ends.
report::Document render(const QDate& month);

// The print of the operating month's list, as the workbench's print command runs it: the print file
// built before the printer is touched (an error is shown and nothing printed), then the report printed
// through the print dialog on the custom sheet, the printer's paper set back afterwards. `owner` is
// the printing window (its closing refused during the wait), `commands` the commands disabled meanwhile.
printRun::Outcome printFeeList(QWidget* owner, const QList<QWidget*>& commands = {});

} // namespace feeList
