#include "qelv/core/report_controls.h"

namespace reportControls {

report::Control placed(report::ControlKind kind, const QString& name, double left, double top, double width,
                       double height, report::Alignment alignment)
{
    report::Control c;
    c.name = name;
    c.kind = kind;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.alignment = alignment;
    return c;
}

report::Control label(const QString& name, const QString& caption, double left, double top, double width, double height,
                      report::Alignment alignment)
{
    report::Control c = placed(report::ControlKind::Label, name, left, top, width, height, alignment);
    c.caption = caption;
    return c;
}

report::Control textBox(const QString& name, const QString& dataField, double left, double top, double width,
                        double height, report::Alignment alignment, bool canGrow)
{
    report::Control c = placed(report::ControlKind::TextBox, name, left, top, width, height, alignment);
    c.dataField = dataField;
    c.canGrow = canGrow;
    return c;
}

} // namespace reportControls
