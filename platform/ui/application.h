#pragma once
// The program's application object. Every window's handler reports its own errors; should one slip
// through all the same, it is shown here as a message and the program goes on, instead of ending.
// Making it also sets how the heap keeps freed memory (platform/process/heap.h), and makes Qt's own
// windows and texts (the print and file dialogs, standard buttons, the calendar's months and days)
// Chinese like the program's: Qt's Chinese translations (Debian's qt6-translations-l10n) and the
// Chinese locale, whatever the system's locale is. Without the translations Qt's texts stay English
// and a warning says which file is missing.
#include <QApplication>

namespace ui {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace ui
