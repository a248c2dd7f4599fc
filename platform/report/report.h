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
