#pragma once
// The windows the main window opens, found by their form names. Each window registers itself once
// at start-up by its class (qelv/windows_all.cpp): `windows::registerWindow<frmDW>()`, its form name
// the class's constant `formName`. A command whose window is not registered is shown disabled.
#include <QString>
#include <functional>
#include <stdexcept>

class QWidget;
class QDialog;

namespace windows {

using Factory = std::function<QDialog*(QWidget* owner)>;

// A second registration under a form name already taken is refused with std::logic_error: two
// windows answering one command is a wiring fault, not something to settle by order.
void registerWindow(const QString& formName, Factory factory);

template <class Window> void registerWindow()
{
    registerWindow(QString::fromLatin1(Window::formName), [](QWidget* owner) -> QDialog* { return new Window(owner); });
}

// Null when no window of that name is registered.
Factory factory(const QString& formName);
bool isRegistered(const QString& formName);

} // namespace windows
