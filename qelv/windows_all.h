#pragma once

namespace qelv {
// Registers every window that the main window can open.
void registerAllWindows();
}
