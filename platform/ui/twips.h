#pragma once
// Window geometry in twips, at a fixed 15 twips a pixel, so windows keep their designed proportions.
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace ui {

inline constexpr int twipsPerPixel = 15;
int px(double twips); // twips -> pixels, rounded
double twips(int pixels); // pixels -> twips
QRect rectTwips(double left, double top, double width, double height);
// Places a widget at left, top with size width x height, all in twips.
void placeTwips(QWidget* w, double left, double top, double width, double height);
// Sets a top-level window's client size in twips.
void clientSizeTwips(QWidget* w, double width, double height);
// Centres a window on the screen, or on its owner.
void centreOnScreen(QWidget* w);
void centreOnOwner(QWidget* w);

} // namespace ui
