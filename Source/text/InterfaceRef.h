#pragma once

#include <utility>

namespace Orvane
{

// One counted reference on a library object: copies add a reference, destruction releases it.
template <typename T> class InterfaceRef
{
public:
    InterfaceRef() = default;
    // Takes over a reference the caller already holds.
    static InterfaceRef adopt(T* object)
    {
        InterfaceRef ref;
        ref.object_ = object;
        return ref;
    }
    // Adds a reference of its own.
    explicit InterfaceRef(T* object) : object_(object)
    {
        if (object_)
            object_->addRef();
    }
    InterfaceRef(const InterfaceRef& other) : InterfaceRef(other.object_) {}
    InterfaceRef(InterfaceRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    InterfaceRef& operator=(InterfaceRef other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }
    ~InterfaceRef() { reset(); }

    void reset()
    {
        if (T* object = std::exchange(object_, nullptr))
            object->release();
    }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    bool operator==(const InterfaceRef& other) const { return object_ == other.object_; }

private:
    T* object_ = nullptr;
};

} // namespace Orvane
