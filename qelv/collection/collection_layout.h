#pragma once
// The collection-document layout of the layout file, as plain values: the placed items of table wt (data
// fields "字段" and fixed labels "标签") and the paper row of wtPaperSize. Positions and sizes are in
// hundredths of a millimetre on the layout's picture of the bank's form, from its top-left corner.
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace db {
class Connection;
}

namespace collection {

struct LayoutItem {
    int id = 0;
    QVariant name; // a field's WTDW column, or a label's text; Null when the row has none
    double left = 0, top = 0, width = 0, height = 0;
    double fontSize = 0; // points; 0 or less keeps the report's
    int align = 0; // 0 left, 1 right, 2 centre
};

struct LayoutPaper {
    double paperWidth = 0, paperHeight = 0; // PaperWidth, Paperheigth
    double pictureWidth = 0, pictureHeight = 0; // PictureWidth, PictureHeigth
    QVariant gap; // JianXi: only single sheets read it, so it may be Null
};

struct CollectionLayout {
    QList<LayoutItem> fields; // the "字段" rows in ID order
    QList<LayoutItem> labels; // the "标签" rows in ID order
    std::optional<LayoutPaper> paper; // the first wtPaperSize row

    // Reads both tables. Throws db::Error when a table cannot be read and convert::Error when a paper
    // value or a number of an item is no number (a Null one reads as 0).
    static CollectionLayout read(db::Connection& layoutFile);
};

// The report has 50 text boxes and 10 labels to place.
inline constexpr int maxFields = 50;
inline constexpr int maxLabels = 10;

// Why the layout cannot print the documents of a print file whose WTDW has these columns, each a
// sentence for the operator; empty when it can. A paper row with paper and picture sizes above zero
// that the paper control takes (tenths of a millimetre within 16 bits), a gap within 16 bits for single
// sheets, at most 50 fields and 10 labels, each field a WTDW column, alignments 0 to 2.
QStringList layoutProblems(const CollectionLayout& layout, const QStringList& documentColumns, bool singleSheets);

// The gap of single sheets as the report takes it: JianXi rounded to a whole number, halves to even.
// Throws convert::Error when it is Null, no number or outside 16 bits.
int gapOf(const LayoutPaper& paper);

} // namespace collection
