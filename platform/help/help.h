#pragma once
// The help window: shows the help pages shipped in the program folder (help/index.html).
#include <QString>

class QWidget;

namespace help {

// The start page of the shipped help, <program folder>/help/index.html.
QString startPage();
// Opens (or raises) the help window, maximised, on the start page; un-maximised it keeps a size a page
// reads well in, within the screen. Throws std::runtime_error with a description when the pages are
// missing.
void showContents(QWidget* owner = nullptr);

} // namespace help
