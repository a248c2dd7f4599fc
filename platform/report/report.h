// A banded report: a width, margins, a font and named sections holding named controls at positions in
// twips, bound to the rows of a source. Everything is changeable by name until render(), which lays the
// rows out into a page model; positions may be negative or lie past their section's edge, and nothing
// is clipped to its section.
//
// Sections print in this order: ReportHeader once at the top of the first page, PageHeader at the top
// of every page (on the first one below the ReportHeader), then for each parent row its group header,
// a Detail per child row and its group footer (a flat source has no groups: a Detail per row),
// ReportFooter once after the last row; PageFooter sits at the foot of every page. A section that does
// not fit below what the page holds starts the next page (unless breakWhenFull is off).
//
// A text box that can grow (canGrow) takes as many lines as its text needs within its width. What it
// grew moves down every control of its section that lies below it: a control whose top is at or below
// the box's bottom as designed, wherever it stands across the section. The section grows across its
// whole width, as a banded report writer's does, so a label keeps level with the field beside it and
// the rows of a form keep their order; horizontal overlap does not limit the move. A control beside
// the box (its top above the box's bottom) stays where it is, even one that reaches below the box or
// overlaps it across, such as a frame drawn round it. Moves add up down the section: a box moved by
// one above it and growing itself moves what lies below it by both, and of several boxes above a
// control the one that moved and grew most decides. The section grows by the most any of its controls
// moved and grew, and that height decides whether it still fits on the page. The page header and
// footer keep their designed places and heights.
//
// On fixed stationery nothing may move: a text box or label marked shrinkToFit whose text is wider or
// taller than its box, on one line, is printed in the largest smaller font that fits it.
#pragma once

#include "platform/error/error.h"
#include "platform/report/page_model.h"

#include <QDate>
#include <QImage>
#include <QString>
#include <vector>

namespace report {

class RowSource;

// A section or control that is not there, a field that the data lacks, a value its format cannot show.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

enum class SectionKind { ReportHeader, PageHeader, GroupHeader, Detail, GroupFooter, PageFooter, ReportFooter };

enum class ControlKind {
    Label, // its caption; "%p" page number, "%P" page count, "%D" long date, "%d" short date
    TextBox, // a field of the current row
    Function, // a sum or count of a field over the group (in a group section) or the report
    Line, // from (left, top) to (left + width, top + height)
    Box,
    Picture,
};

enum class Aggregate { Sum, Count };

struct Control {
    QString name;
    ControlKind kind = ControlKind::Label;
    double left = 0, top = 0, width = 0, height = 0;
    bool visible = true;
    QString caption;
    QString dataField;
    Aggregate aggregate = Aggregate::Sum;
    QString format; // a format of platform/convert ("\"￥\"#,##0.00"); empty: the value's own text
    Alignment alignment = Alignment::Left;
    double fontSize = 0; // points; 0 takes the report's
    bool bold = false;
    bool canGrow = false; // a text box taller than its box when its text needs more lines
    bool shrinkToFit = false; // a text box or label whose font shrinks until its text fits its box
    QImage picture;
};

struct Section {
    QString name;
    SectionKind kind = SectionKind::Detail;
    double height = 0; // twips, not always whole
    bool visible = true;
    bool newPageBefore = false; // starts on a page of its own (unless the page has nothing yet)
    std::vector<Control> controls;

    // The control of that name (without regard to case) in this section only; throws Error.
    Control& control(const QString& name);
    const Control& control(const QString& name) const;
};

class Report {
public:
    QString title;
    QSizeF paper{11906, 16838}; // twips as the page is read, A4 portrait by default
    Orientation orientation = Orientation::Portrait;
    double width = 0; // the report's width; a layout value, the paper decides the page
    double leftMargin = 0, rightMargin = 0, topMargin = 0, bottomMargin = 0;
    // False: a section that does not fit below what the page holds stays on it, running past its foot
    // and under the page footer; only newPageBefore starts a page. For forms of a fixed size, one to
    // a sheet, whose rounded band heights may add up to a twip or two more than the sheet.
    bool breakWhenFull = true;
    Font font{QStringLiteral("WenQuanYi Micro Hei"), 9, false};
    QDate printDate; // "%D" and "%d"; today when not set

    // Appends a section and returns it; names are unique without regard to case.
    Section& addSection(const QString& name, SectionKind kind, double height);
    Section& section(const QString& name);
    const Section& section(const QString& name) const;
    std::vector<Section>& sections() { return sections_; }
    const std::vector<Section>& sections() const { return sections_; }
    // A control by section and name, as the layouts address them.
    Control& control(const QString& section, const QString& name);

    // Lays every row out; throws Error (or the data's own error) without giving half a document.
    Document render(RowSource& rows) const;

private:
    std::vector<Section> sections_;
};

// The font family the system prints Chinese in; "宋体" of the stored layouts maps to it.
QString printFontFamily();
// The family a report asks for when the machine has it, else printFontFamily().
QString availableFontFamily(const QString& family);

} // namespace report
