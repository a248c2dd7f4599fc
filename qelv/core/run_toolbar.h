#pragma once
// The text-only toolbar along the top of the run windows (invoices, notices, collection documents):
// each button's action is named by its key, which the window's click handler receives.
#include <QString>
#include <cstddef>
#include <functional>

class QToolBar;
class QWidget;

namespace runToolbar {

struct Button {
    const char* caption;
    const char* key;
    const char* tip;
    bool separatorAfter = false;
};

QToolBar* make(QWidget* window, double widthTwips, const Button* buttons, std::size_t count,
               const std::function<void(const QString& key)>& click);

template <std::size_t N>
QToolBar* make(QWidget* window, double widthTwips, const Button (&buttons)[N],
               const std::function<void(const QString& key)>& click)
{
    return make(window, widthTwips, buttons, N, click);
}

} // namespace runToolbar
