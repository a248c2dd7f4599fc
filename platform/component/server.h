// The library side of a component library: the four entry points it exports by name, and the helpers its
// registration uses. A host looks the entry points up with dlsym, so they keep C names.
#pragma once

#include "platform/component/registry.h"
#include "platform/component/result.h"

#include <QFileInfo>
#include <QString>
#include <QUuid>
#include <dlfcn.h>
#include <initializer_list>

namespace component {

inline constexpr char kDllRegisterServer[] = "DllRegisterServer";
inline constexpr char kDllUnregisterServer[] = "DllUnregisterServer";
inline constexpr char kDllGetClassObject[] = "DllGetClassObject";
inline constexpr char kDllCanUnloadNow[] = "DllCanUnloadNow";

using DllRegisterServerFunction = HResult (*)();
using DllUnregisterServerFunction = HResult (*)();
// Gives the interface `iid` of the factory of class `clsid`; CLASS_E_CLASSNOTAVAILABLE for a class the
// library does not serve.
using DllGetClassObjectFunction = HResult (*)(const QUuid& clsid, const QUuid& iid, void** object);
// S_OK when no object and no lock is left, S_FALSE while there are.
using DllCanUnloadNowFunction = HResult (*)();

// The full path of the library that holds `address` (any function or object of it).
inline QString libraryPathOf(const void* address)
{
    Dl_info info{};
    if (!dladdr(address, &info) || !info.dli_fname)
        return QString();
    return QFileInfo(QString::fromLocal8Bit(info.dli_fname)).canonicalFilePath();
}

// Registration as a library does it: the type library first (SELFREG_E_TYPELIB when it cannot be
// written, and then nothing else is tried), then each class (SELFREG_E_CLASS at the first that fails).
inline HResult registerServer(const Registry& registry, const TypeLibEntry& typeLib,
                              std::initializer_list<ClassEntry> classes)
{
    if (!registry.registerTypeLib(typeLib))
        return SELFREG_E_TYPELIB;
    for (const ClassEntry& entry : classes)
        if (!registry.registerClass(entry))
            return SELFREG_E_CLASS;
    return S_OK;
}

inline HResult unregisterServer(const Registry& registry, const QUuid& typeLib, int major, int minor,
                                std::initializer_list<QUuid> classes)
{
    if (!registry.unregisterTypeLib(typeLib, major, minor))
        return SELFREG_E_TYPELIB;
    for (const QUuid& clsid : classes)
        if (!registry.unregisterClass(clsid))
            return SELFREG_E_CLASS;
    return S_OK;
}

} // namespace component

// How a library declares its entry points: C names, visible outside however the rest is built.
#define COMPONENT_EXPORT extern "C" __attribute__((visibility("default")))
