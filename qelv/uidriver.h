#pragma once
// A scripted operator for unattended runs of the program (acceptance tests): when $QELV_UI_SCRIPT
// names a file, its lines are carried out one by one against the real windows while the program runs:
//   wait <object>            until a visible widget of that object name exists
//   set <object> <text>      types the text into a line edit
//   click <object>           presses a button or triggers an action
//   expect <object> <text>   the widget's text must be exactly <text>
//   msgbox <text>            a message box showing <text> is open: press its default button
//   close <object>           closes the window of that object name
// Each step is reported on standard output; a step that fails within 10 s ends the program with code 3.
namespace uidriver {

void startFromEnvironment();
// The exit code of the process: `normal`, or 3 when a step of the script failed or was left undone.
int exitCode(int normal);

} // namespace uidriver
