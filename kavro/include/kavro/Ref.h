#pragma once

#include <utility>

namespace Kavro
{

// One counted reference on an interface (anything with addRef and release): copies add a
// reference, destruction releases it.
template <typename T> class Ref
{
public:
    Ref() = default;
    // Takes over a reference the caller already holds.
    static Ref adopt(T* object)
    {
        Ref ref;
        ref.object_ = object;
        return ref;
    }
    // Adds a reference of its own.
    explicit Ref(T* object) : object_(object)
    {
        if (object_)
            object_->addRef();
    }
    Ref(const Ref& other) : Ref(other.object_) {}
    Ref(Ref&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    Ref& operator=(Ref other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }
    ~Ref() { reset(); }

    void reset()
    {
        if (T* object = std::exchange(object_, nullptr))
            object->release();
    }
    // Hands the reference to the caller.
    T* detach() { return std::exchange(object_, nullptr); }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    bool operator==(const Ref& other) const { return object_ == other.object_; }

private:
    T* object_ = nullptr;
};

} // namespace Kavro
