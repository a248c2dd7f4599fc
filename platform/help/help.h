#pragma once
// The help window: shows the help pages shipped in the program folder (help/index.html).
#include "platform/error/error.h"

#include <QString>

class QWidget;

namespace help {

// The help pages are missing.
class Error : public platform::Error {
public:
    using platform::Error::Error;
};

// The start page of the shipped help, <program folder>/help/index.html.
QString startPage();
// Opens (or raises) the help window, maximised, on the start page; un-maximised it keeps a size a page
// reads well in, within the screen. Throws help::Error with a description when the pages are missing.
void showContents(QWidget* owner = nullptr);

} // namespace help
