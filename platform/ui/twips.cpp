#include "platform/ui/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace ui {

int px(double twips)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel));
}
double twips(int pixels)
{
    return static_cast<double>(pixels) * twipsPerPixel;
}

QRect rectTwips(double left, double top, double width, double height)
{
    return QRect(px(left), px(top), px(width), px(height));
}

void placeTwips(QWidget* w, double left, double top, double width, double height)
{
    w->setGeometry(rectTwips(left, top, width, height));
}

void clientSizeTwips(QWidget* w, double width, double height)
{
    w->resize(px(width), px(height));
}

static void centreIn(QWidget* w, const QRect& area)
{
    QRect frame = w->frameGeometry();
    frame.moveCenter(area.center());
    w->move(frame.topLeft());
}

void centreOnScreen(QWidget* w)
{
    QScreen* screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    if (screen)
        centreIn(w, screen->availableGeometry());
}

void centreOnOwner(QWidget* w)
{
    QWidget* owner = w->parentWidget() ? w->parentWidget()->window() : nullptr;
    if (owner && owner->isVisible())
        centreIn(w, owner->frameGeometry());
    else
        centreOnScreen(w);
}

} // namespace ui
