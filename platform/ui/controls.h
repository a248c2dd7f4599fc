#pragma once
// Making a window's controls: each carries its designed object name and its place in twips.
#include "platform/ui/twips.h"

#include <QPushButton>
#include <QString>
#include <QStyle>
#include <QWidget>
#include <utility>

namespace ui {

// A new control of type W on `parent`, named `objectName`, at left/top with size width x height in
// twips. Further arguments go to W's constructor before the parent: a caption for labels and buttons.
template <typename W, typename... Args>
W* control(QWidget* parent, const char* objectName, double left, double top, double width, double height,
           Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(objectName));
    placeTwips(w, left, top, width, height);
    return w;
}

// A command button: Enter in the window never presses it of its own accord, as a command button of the
// designs never is the default one.
inline QPushButton* commandButton(QWidget* parent, const char* objectName, double left, double top, double width,
                                  double height, const QString& caption)
{
    auto* b = control<QPushButton>(parent, objectName, left, top, width, height, caption);
    b->setAutoDefault(false);
    return b;
}

// A command button with the style's picture beside its caption, as the dialogs' OK and Cancel and the
// report windows' commands show one.
inline QPushButton* commandButton(QWidget* parent, const char* objectName, double left, double top, double width,
                                  double height, const QString& caption, QStyle::StandardPixmap picture)
{
    auto* b = commandButton(parent, objectName, left, top, width, height, caption);
    b->setIcon(parent->style()->standardIcon(picture));
    b->setIconSize(QSize(24, 24));
    return b;
}

// A navigation button of a record bar: the style's picture, 345 twips wide.
inline QPushButton* pictureButton(QWidget* parent, const char* objectName, QStyle::StandardPixmap picture, double left,
                                  double top, double height)
{
    auto* b = commandButton(parent, objectName, left, top, 345, height, QString());
    b->setIcon(parent->style()->standardIcon(picture));
    b->setIconSize(QSize(16, 16));
    return b;
}

} // namespace ui
