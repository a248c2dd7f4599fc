#include "qelv/core/key_preview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

KeyPreview::KeyPreview(QWidget* window, Handler handler)
    : QObject(window),
      window_(window),
      handler_(std::move(handler))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    qApp->removeEventFilter(this);
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease) {
        inFlight_ = nullptr;
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != window_ && !window_->isAncestorOf(widget)))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // A key a control ignores goes on to its parents, each of which passes this filter again: the
    // same event, the same key, one parent further up.
    if (event == inFlight_ && key->key() == keyCode_ && key->modifiers() == shift_) {
        QWidget* last = receiver_.data();
        if (last && widget != last && widget->isAncestorOf(last)) {
            receiver_ = widget;
            return kept_;
        }
    }
    inFlight_ = event;
    receiver_ = widget;
    keyCode_ = key->key();
    shift_ = key->modifiers();
    kept_ = false;
    kept_ = handler_(watched, key->key(), key->modifiers());
    return kept_;
}
