#pragma once
// The entry procedure of the program.
namespace Module1 {

// Defaults, login, splash with compaction, main window. Returns true when the main window is shown
// and the event loop should run; false when the program is to end.
bool Main();

} // namespace Module1
