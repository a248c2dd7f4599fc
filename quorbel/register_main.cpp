// quorbel-register [--unregister] [LIBRARY]: registers a component library (by default the libquorbel.so
// next to this program) in the registry of components by calling its own DllRegisterServer, or removes
// it with DllUnregisterServer; the registry's place is QELV_COMPONENT_REGISTRY, else the default one.
#include "platform/component/host.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool unregister = arguments.removeAll(QStringLiteral("--unregister")) > 0;
    if (arguments.size() > 1 || (!arguments.isEmpty() && arguments.first().startsWith('-'))) {
        std::fprintf(stderr, "usage: quorbel-register [--unregister] [LIBRARY]\n");
        return 2;
    }
    const QString library = arguments.isEmpty()
        ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libquorbel.so"))
        : QDir::current().absoluteFilePath(arguments.first());

    component::HResult hr = component::E_FAIL;
    const auto loaded = component::Library::open(library, &hr);
    if (!loaded) {
        std::fprintf(stderr, "cannot load %s as a component library (0x%08X)\n", qPrintable(library), unsigned(hr));
        return 1;
    }
    const auto entry = loaded->entry<component::DllRegisterServerFunction>(unregister ? component::kDllUnregisterServer
                                                                                      : component::kDllRegisterServer);
    if (!entry) {
        std::fprintf(stderr, "%s does not register itself\n", qPrintable(library));
        return 1;
    }
    hr = entry();
    const QString registry = component::Registry::defaultPath();
    if (hr != component::S_OK) {
        std::fprintf(stderr, "%s %s failed (0x%08X), registry %s\n", qPrintable(library),
                     unregister ? "unregistration" : "registration", unsigned(hr), qPrintable(registry));
        return 1;
    }
    std::printf("%s %s in %s\n", qPrintable(library), unregister ? "unregistered" : "registered", qPrintable(registry));
    return 0;
}
