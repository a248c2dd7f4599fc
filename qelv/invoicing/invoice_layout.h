#pragma once
// The invoice layout of the layout file: the printed fields (table fp), the three band limits (fpLine)
// and the paper row (fpPaperSize), as plain values. Positions and sizes are in hundredths of a
// millimetre on the picture of the blank invoice, from its top-left corner.
#include <QList>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>

namespace db {
class Connection;
}

namespace invoicing {

enum Band : int { Header = 1, Line = 2, Footer = 3 };

struct LayoutField {
    int id = 0;
    QVariant name; // Null when the row has none
    int band = 0; // LeiXing
    double left = 0, top = 0, width = 0, height = 0;
    double fontSize = 0; // 0: the field keeps its font size
    int align = 0; // 0 left, 1 right, 2 centred
};

struct BandLimits {
    double head = 0; // HeadHeigth: the header ends, the first fee line begins
    double detail = 0; // DetailHeigth: the first fee line ends
    double footer = 0; // FooterHeigth: the footer begins
};

struct PaperRow {
    double paperWidth = 0, paperHeight = 0;
    double pictureWidth = 0, pictureHeight = 0;
    QVariant gap; // JianXi, read only for single-sheet printing, so it may be Null
};

struct InvoiceLayout {
    QList<LayoutField> fields; // every fp row, in ID order
    std::optional<BandLimits> limits; // the first fpLine row in ID order
    std::optional<PaperRow> paper; // the first fpPaperSize row

    // The fields of the bands given, in ID order: {Header, Footer} are the columns of KPDW.
    QList<LayoutField> fieldsOf(std::initializer_list<Band> bands) const;

    // Reads the three tables. Throws db::Error when a table cannot be read and convert::Error when a
    // number column holds no number (a Null band limit or paper value included; a Null position or
    // font size of a field reads as 0).
    static InvoiceLayout read(db::Connection& layoutFile);
    // The field rows alone, for what needs nothing else of the layout.
    static QList<LayoutField> readFields(db::Connection& layoutFile);
};

// How far a use of the layout checks it.
enum class LayoutUse {
    PrintTables, // the rebuild of the print tables: the fields alone
    Printing, // generation, the print run and the report: fields, band limits and paper
};

// The reasons the layout cannot serve that use, each a sentence for the operator; empty when it can.
// For the print tables: header/footer and line fields present, every field named, no name twice
// within KPDW (header and footer together) or within MX, no field named DanWeiBianHao, no line field
// named ID. For printing also: the band limits and the paper row present, the line height not zero,
// the picture's size not zero, and at most 20 fields to a band.
QStringList layoutProblems(const InvoiceLayout& layout, LayoutUse use);

// Lines per invoice: the room for fee lines over the height of one line, halves rounded up; 6 without
// band limits. Throws convert::Error for equal head and detail limits ("除数为零") and for a count
// outside 16 bits ("溢出").
std::int16_t linesPerInvoice(const std::optional<BandLimits>& limits);

} // namespace invoicing
