#pragma once
// One start-up of the program as the operator makes it: the login answered and OK pressed, through
// the splash's compaction of the data files to the main window painted. The county must be made.

namespace bench {

// The time in ms from OK to the main window painted; the windows it left are closed afterwards.
// Throws when the start-up does not reach the main window.
double startUp();

} // namespace bench
