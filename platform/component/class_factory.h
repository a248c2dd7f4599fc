// Class factories: what a library hands out for each class it serves, so that a host creates objects
// without knowing their types.
#pragma once

#include "platform/component/unknown.h"

#include <new>

namespace component {

class IClassFactory : public IUnknown {
public:
    using Base = IUnknown;
    static constexpr QUuid iid{0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

    // Creates a new object and gives the interface `id` of it. Aggregation is not offered: an outer
    // object gives CLASS_E_NOAGGREGATION.
    virtual HResult createInstance(IUnknown* outer, const QUuid& id, void** object) = 0;
    // Keeps the library loaded while a host holds a lock, even with no object alive.
    virtual HResult lockServer(bool lock) = 0;
};

// The factory of one class, a static object of its library: its references do not own it, and it lives
// from the library's load to its unload. `Make` builds a new object of the class from the module.
template <class Make> class ClassFactory final : public IClassFactory {
public:
    ClassFactory(Module& module, Make make)
        : module_(module),
          make_(std::move(make))
    {
    }

    HResult queryInterface(const QUuid& id, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (id != IUnknown::iid && id != IClassFactory::iid)
            return E_NOINTERFACE;
        *object = static_cast<IClassFactory*>(this);
        addRef();
        return S_OK;
    }
    // While a host holds the factory, the library must stay loaded.
    std::uint32_t addRef() override
    {
        module_.lock();
        return 2;
    }
    std::uint32_t release() override
    {
        module_.unlock();
        return 1;
    }

    HResult createInstance(IUnknown* outer, const QUuid& id, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        IUnknown* created = make_(module_);
        if (!created)
            return E_OUTOFMEMORY;
        created->addRef();
        const HResult hr = created->queryInterface(id, object);
        created->release(); // when the interface was refused, this deletes the object again
        return hr;
    }
    HResult lockServer(bool lock) override
    {
        if (lock)
            module_.lock();
        else
            module_.unlock();
        return S_OK;
    }

private:
    Module& module_;
    Make make_;
};

} // namespace component
