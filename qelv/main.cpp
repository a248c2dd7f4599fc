#include "platform/ui/application.h"
#include "qelv/core/version.h"
#include "qelv/startup.h"
#include "qelv/uidriver.h"
#include "qelv/windows_all.h"

int main(int argc, char** argv)
{
    ui::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tevrano"));
    QApplication::setApplicationVersion(version::text());
    qelv::registerAllWindows();
    uidriver::startFromEnvironment();
    if (!Module1::Main())
        return uidriver::exitCode(0);
    const int rc = app.exec();
    return uidriver::exitCode(rc);
}
