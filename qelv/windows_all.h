#pragma once
#include <QStringList>

namespace qelv {
// Registers every window that the main window can open (once; later calls do nothing).
void registerAllWindows();
// The menu commands whose windows are not built yet; the main window shows them disabled. Every
// other window command of the main window opens a registered window.
QStringList commandsNotBuilt();
} // namespace qelv
