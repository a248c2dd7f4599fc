// What a rendered report is: pages of texts, lines, boxes and pictures at positions in twips (1/1440
// inch) from the sheet's top-left corner. Plain data, no widget: tests read it, and one painter puts it on
// any paged device.
#pragma once

#include <QImage>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <vector>

namespace report {

// As the layouts store it: 0 left, 1 right, 2 centre.
enum class Alignment { Left = 0, Right = 1, Centre = 2 };

enum class Orientation { Portrait, Landscape };

struct Font {
    QString family;
    double pointSize = 9;
    bool bold = false;
    bool operator==(const Font&) const = default;
};

struct TextItem {
    QRectF box; // twips; the text is clipped to nothing, it may run past its box
    QString text;
    Font font;
    Alignment alignment = Alignment::Left;
    bool wraps = false; // broken into lines within the box's width (a text box that grows)
};

struct LineItem {
    QPointF from, to;
    double width = 15; // twips
};

struct BoxItem {
    QRectF rect;
    double width = 15;
};

struct PictureItem {
    QRectF rect;
    QImage image;
};

struct Page {
    QSizeF size; // twips, as the page is read: width across, height down
    Orientation orientation = Orientation::Portrait;
    std::vector<TextItem> texts;
    std::vector<LineItem> lines;
    std::vector<BoxItem> boxes;
    std::vector<PictureItem> pictures;
};

struct Document {
    QString title;
    std::vector<Page> pages;
};

// Points to twips.
inline constexpr double kTwipsPerPoint = 20;

} // namespace report
