#pragma once
// The controls of the reports designed in code, placed in twips as their designs give them.
#include "platform/report/report.h"

#include <QString>

namespace reportControls {

// A control of kind at its place; a box or a line takes nothing more.
report::Control placed(report::ControlKind kind, const QString& name, double left, double top, double width,
                       double height, report::Alignment alignment = report::Alignment::Left);
report::Control label(const QString& name, const QString& caption, double left, double top, double width, double height,
                      report::Alignment alignment = report::Alignment::Left);
// A text box showing dataField; canGrow lets it take more lines than its height holds.
report::Control textBox(const QString& name, const QString& dataField, double left, double top, double width,
                        double height, report::Alignment alignment = report::Alignment::Left, bool canGrow = false);

} // namespace reportControls
