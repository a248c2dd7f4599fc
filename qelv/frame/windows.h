#pragma once
// The windows the main window opens, found by their form names. Each window's library registers its
// factory once at start-up (see qelv/windows.cpp); a command whose window is not registered is shown
// disabled.
#include <QString>
#include <functional>

class QWidget;
class QDialog;

namespace windows {

using Factory = std::function<QDialog*(QWidget* owner)>;

void registerWindow(const QString& formName, Factory factory);
// Null when no window of that name is registered.
Factory factory(const QString& formName);
bool isRegistered(const QString& formName);

} // namespace windows
