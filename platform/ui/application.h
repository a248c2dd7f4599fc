#pragma once
// The program's application object. Every window's handler reports its own errors; should one slip
// through all the same, it is shown here as a message and the program goes on, instead of ending.
// Making it also sets how the heap keeps freed memory (platform/process/heap.h).
#include <QApplication>

namespace ui {

class Application : public QApplication {
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace ui
