// One painter of the page model onto any paged device: a printer, a PDF writer, a preview.
#pragma once

#include "platform/report/page_model.h"

#include <QRectF>

class QFont;
class QPagedPaintDevice;
class QPainter;

namespace report {

// The font a text is painted in: its size in pixels of one twip, so that its measures are twips.
QFont paintFont(const Font& font);

// Where the painter puts a text's lines: the rectangle they take within (or, when too long, beyond)
// the text's box, in twips.
QRectF paintedBounds(const TextItem& text);

// Paints one page; `unitsPerTwip` is the device's resolution over 1440.
void paintPage(QPainter& painter, const Page& page, double unitsPerTwip);

// Paints the pages from `first` to `last` (1-based, 0 for all) onto a device that has not begun yet,
// giving each page its own size and orientation. Returns false when the device cannot be painted on.
bool paintDocument(QPagedPaintDevice& device, const Document& document, int first = 0, int last = 0);

} // namespace report
