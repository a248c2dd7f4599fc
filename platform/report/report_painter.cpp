#include "platform/report/report_painter.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

namespace report {

namespace {

// A device page is set as the sheet is fed: the orientation turns a portrait sheet across.
QPageLayout layoutOf(const Page& page)
{
    QSizeF sheet = page.size / kTwipsPerPoint;
    if (page.orientation == Orientation::Landscape)
        sheet.transpose();
    const QPageSize size(sheet, QPageSize::Point, QString(), QPageSize::ExactMatch);
    return QPageLayout(size,
                       page.orientation == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Point);
}

int flagsOf(const TextItem& text)
{
    int flags = Qt::AlignTop | Qt::TextDontClip;
    switch (text.alignment) {
    case Alignment::Left:
        flags |= Qt::AlignLeft;
        break;
    case Alignment::Right:
        flags |= Qt::AlignRight;
        break;
    case Alignment::Centre:
        flags |= Qt::AlignHCenter;
        break;
    }
    if (text.wraps)
        flags |= Qt::TextWordWrap;
    return flags;
}

} // namespace

QFont paintFont(const Font& font)
{
    QFont f(font.family);
    f.setPixelSize(std::max(1, int(std::lround(font.pointSize * kTwipsPerPoint))));
    f.setBold(font.bold);
    return f;
}

QRectF paintedBounds(const TextItem& text)
{
    return QFontMetricsF(paintFont(text.font)).boundingRect(text.box, flagsOf(text), text.text);
}

void paintPage(QPainter& painter, const Page& page, double unitsPerTwip)
{
    painter.save();
    painter.scale(unitsPerTwip, unitsPerTwip);
    for (const PictureItem& p : page.pictures)
        painter.drawImage(p.rect, p.image);
    for (const BoxItem& b : page.boxes) {
        painter.setPen(QPen(Qt::black, b.width));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(b.rect);
    }
    for (const LineItem& l : page.lines) {
        painter.setPen(QPen(Qt::black, l.width));
        painter.drawLine(l.from, l.to);
    }
    painter.setPen(Qt::black);
    Font current{QString(), -1, false};
    for (const TextItem& t : page.texts) {
        if (!(t.font == current)) {
            current = t.font;
            painter.setFont(paintFont(t.font));
        }
        // Texts run past their box rather than lose characters.
        painter.drawText(t.box, flagsOf(t), t.text);
    }
    painter.restore();
}

bool paintDocument(QPagedPaintDevice& device, const Document& document, int first, int last)
{
    const int count = int(document.pages.size());
    const int from = first > 0 ? first : 1;
    const int to = last > 0 ? std::min(last, count) : count;
    if (count == 0 || from > to)
        return true;
    device.setPageLayout(layoutOf(document.pages[from - 1]));
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double unitsPerTwip = device.logicalDpiX() / 1440.0;
    for (int i = from; i <= to; ++i) {
        const Page& page = document.pages[i - 1];
        if (i > from) {
            device.setPageLayout(layoutOf(page));
            device.newPage();
        }
        paintPage(painter, page, unitsPerTwip);
    }
    return painter.end();
}

} // namespace report
