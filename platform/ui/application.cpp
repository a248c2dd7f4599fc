#include "platform/ui/application.h"

#include "platform/process/heap.h"
#include "platform/ui/dialogs.h"

namespace ui {

Application::Application(int& argc, char** argv)
    : QApplication(argc, argv)
{
    process::keepFreedHeap();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showError(e);
    } catch (...) {
        showError(QStringLiteral("未知错误"));
    }
    return false;
}

} // namespace ui
