#pragma once
// Making a window's controls: each carries its designed object name and its place in twips.
#include "platform/ui/twips.h"

#include <QString>
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

} // namespace ui
