// The host side: create an object of a registered class by its ProgID or class identifier, loading the
// library that the registry names, and call it late-bound by dispatch identifier.
//
//     component::Dispatch paper;
//     if (component::createObject("QUORBEL.QuorbelCtrl.1", &paper) == component::S_OK) {
//         paper.put(7, printerName);                      // PrinterName
//         paper.put(8, 9);                                // PaperSize: A4
//         const bool done = paper.call(9).toBool();       // SetPaper
//     }
#pragma once

#include "platform/component/class_factory.h"
#include "platform/component/dispatch.h"
#include "platform/component/registry.h"
#include "platform/component/server.h"

#include <QFile>
#include <dlfcn.h>
#include <memory>

namespace component {

// A loaded component library. It is never unloaded again: a library that made Qt objects may have left
// Qt holding on to its code (meta-objects, style and font caches), so it stays, as Qt's own plugins do.
// DllCanUnloadNow still says whether anything made from it is alive.
class Library {
public:
    static std::shared_ptr<Library> open(const QString& path, HResult* result)
    {
        *result = CO_E_DLLNOTFOUND;
        if (path.isEmpty() || !QFile::exists(path))
            return nullptr;
        void* handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (!handle)
            return nullptr;
        std::shared_ptr<Library> library(new Library(handle));
        if (!library->getClassObject_ || !library->canUnloadNow_) {
            *result = CO_E_ERRORINDLL;
            return nullptr;
        }
        *result = S_OK;
        return library;
    }

    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    HResult getClassObject(const QUuid& clsid, const QUuid& iid, void** object) const
    {
        return getClassObject_(clsid, iid, object);
    }
    HResult canUnloadNow() const { return canUnloadNow_(); }

    // An entry point of the library by name, or null.
    template <class Function> Function entry(const char* name) const
    {
        return reinterpret_cast<Function>(dlsym(handle_, name));
    }

private:
    explicit Library(void* handle)
        : handle_(handle),
          getClassObject_(entry<DllGetClassObjectFunction>(kDllGetClassObject)),
          canUnloadNow_(entry<DllCanUnloadNowFunction>(kDllCanUnloadNow))
    {
    }

    void* handle_;
    DllGetClassObjectFunction getClassObject_;
    DllCanUnloadNowFunction canUnloadNow_;
};

// A late-bound reference to an object: members by dispatch identifier, variants in and out.
class Dispatch {
public:
    Dispatch() = default;
    Dispatch(std::shared_ptr<Library> library, Ptr<IDispatch> object)
        : library_(std::move(library)),
          object_(std::move(object))
    {
    }
    Dispatch(const Dispatch&) = default;
    Dispatch(Dispatch&&) noexcept = default;
    // What was held before goes when `other` does: its object before the library that holds its code.
    Dispatch& operator=(Dispatch other) noexcept
    {
        std::swap(library_, other.library_);
        std::swap(object_, other.object_);
        return *this;
    }
    ~Dispatch() { object_.reset(); } // the object before its library

    explicit operator bool() const { return static_cast<bool>(object_); }
    IDispatch* object() const { return object_.get(); }

    HResult invoke(DispId member, Invoke kind, const QVariantList& args = {}, QVariant* result = nullptr) const
    {
        if (!object_)
            return E_POINTER;
        return object_->invoke(member, kind, args, result);
    }
    QVariant get(DispId member, HResult* result = nullptr) const
    {
        QVariant value;
        const HResult hr = invoke(member, Invoke::PropertyGet, {}, &value);
        if (result)
            *result = hr;
        return value;
    }
    HResult put(DispId member, const QVariant& value) const { return invoke(member, Invoke::PropertyPut, {value}); }
    QVariant call(DispId member, const QVariantList& args = {}, HResult* result = nullptr) const
    {
        QVariant value;
        const HResult hr = invoke(member, Invoke::Method, args, &value);
        if (result)
            *result = hr;
        return value;
    }

private:
    std::shared_ptr<Library> library_; // declared first, so that it is released last
    Ptr<IDispatch> object_;
};

// Creates an object of the class that `progIdOrClsid` names in the registry and gives its dispatch
// interface: REGDB_E_CLASSNOTREG when the registry does not know the class, CO_E_DLLNOTFOUND or
// CO_E_ERRORINDLL when its library cannot be loaded, else what the library's factory answers.
inline HResult createObject(const QString& progIdOrClsid, Dispatch* out, const Registry& registry = Registry())
{
    *out = Dispatch();
    const auto entry = registry.findClass(progIdOrClsid);
    if (!entry)
        return REGDB_E_CLASSNOTREG;
    HResult hr = S_OK;
    std::shared_ptr<Library> library = Library::open(entry->library, &hr);
    if (!library)
        return hr;
    Ptr<IClassFactory> factory;
    hr = library->getClassObject(entry->clsid, IClassFactory::iid, factory.out());
    if (failed(hr))
        return hr;
    Ptr<IDispatch> object;
    hr = factory->createInstance(nullptr, IDispatch::iid, object.out());
    factory.reset();
    if (failed(hr))
        return hr;
    *out = Dispatch(std::move(library), std::move(object));
    return S_OK;
}

} // namespace component
