// Reference-counted objects with interfaces found by identifier: the base every component object and every
// interface of the component model build on.
#pragma once

#include "platform/component/result.h"

#include <QUuid>
#include <atomic>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace component {

// Every interface derives from IUnknown, names its identifier as `iid` and its parent interface as `Base`.
class IUnknown {
public:
    using Base = void;
    static constexpr QUuid iid{0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

    virtual HResult queryInterface(const QUuid& id, void** object) = 0;
    virtual std::uint32_t addRef() = 0;
    virtual std::uint32_t release() = 0;

protected:
    virtual ~IUnknown() = default;
};

// Holds one reference to an interface and gives it back when it goes.
template <class T> class Ptr {
public:
    Ptr() = default;
    Ptr(std::nullptr_t) { }
    explicit Ptr(T* object)
        : object_(object)
    {
        if (object_)
            object_->addRef();
    }
    Ptr(const Ptr& other)
        : Ptr(other.object_)
    {
    }
    Ptr(Ptr&& other) noexcept
        : object_(std::exchange(other.object_, nullptr))
    {
    }
    Ptr& operator=(Ptr other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Ptr() { reset(); }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset()
    {
        if (auto* object = std::exchange(object_, nullptr))
            object->release();
    }

    // Where a call that hands out a reference writes it; what was held before is released first.
    void** out()
    {
        reset();
        return reinterpret_cast<void**>(&object_);
    }

    // The same object through another of its interfaces, or empty when it has none of that kind.
    template <class U> Ptr<U> query(HResult* result = nullptr) const
    {
        Ptr<U> other;
        const HResult hr = object_ ? object_->queryInterface(U::iid, other.out()) : E_POINTER;
        if (result)
            *result = hr;
        return other;
    }

private:
    T* object_ = nullptr;
};

// What a library counts to answer whether it may be unloaded: its live objects and the locks of its hosts.
class Module {
public:
    void lock() { ++locks_; }
    void unlock() { --locks_; }
    bool canUnload() const { return locks_.load() == 0; }

private:
    std::atomic<long> locks_{0};
};

namespace detail {
template <class I> bool isInterface(const QUuid& id)
{
    if (id == I::iid)
        return true;
    if constexpr (!std::is_void_v<typename I::Base>)
        return isInterface<typename I::Base>(id);
    else
        return false;
}
} // namespace detail

// An object implementing the given interfaces, counted by its module while it lives. It starts without a
// reference: whoever creates it takes the first one (through Ptr or queryInterface).
template <class First, class... Rest> class Object : public First, public Rest... {
public:
    explicit Object(Module& module)
        : module_(module)
    {
        module_.lock();
    }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    HResult queryInterface(const QUuid& id, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (!find<First, Rest...>(id, object))
            return E_NOINTERFACE;
        addRef();
        return S_OK;
    }
    std::uint32_t addRef() override { return ++references_; }
    std::uint32_t release() override
    {
        const std::uint32_t left = --references_;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    ~Object() override { module_.unlock(); }

private:
    template <class I, class... More> bool find(const QUuid& id, void** object)
    {
        if (id == IUnknown::iid) {
            *object = static_cast<IUnknown*>(static_cast<First*>(this));
            return true;
        }
        if (detail::isInterface<I>(id)) {
            *object = static_cast<I*>(this);
            return true;
        }
        if constexpr (sizeof...(More) > 0)
            return find<More...>(id, object);
        else
            return false;
    }

    Module& module_;
    std::atomic<std::uint32_t> references_{0};
};

} // namespace component
