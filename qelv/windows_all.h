#pragma once

namespace qelv {
// Registers every window that the main window can open (once; later calls do nothing).
void registerAllWindows();
} // namespace qelv
