#include "platform/ui/application.h"
#include "qelv/frame/Module1.h"
#include "qelv/uidriver.h"
#include "qelv/windows_all.h"


int main(int argc, char** argv)
{
    ui::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tevrano"));
    QApplication::setApplicationVersion(QStringLiteral(QELV_VERSION));
    qelv::registerAllWindows();
    uidriver::startFromEnvironment();
    if (!Module1::Main())
        return uidriver::exitCode(0);
    const int rc = app.exec();
    return uidriver::exitCode(rc);
}
