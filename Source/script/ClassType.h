#pragma once

#include <squirrel.h>

#include <type_traits>

namespace Kavro
{
struct Vector2D;
struct Vector3D;
struct ColorF;
} // namespace Kavro

namespace Orvane::SqPlus
{

using CopyVarFunc = void (*)(void* destination, const void* source);

// The type record of one bound engine type. Its address is the type tag of the script class; its
// id stands for it wherever the tag is kept as a script integer ("__ot", "__SqTypes"), since an
// address of this host does not fit a 32-bit script integer. Ids are handed out in order of first
// use and never change while the process runs.
class ClassTypeBase
{
public:
    virtual CopyVarFunc vgetCopyFunc() = 0;
    virtual const char* GetTypeName() = 0;

    SQUserPointer tag() { return this; }
    SQInteger id() const { return typeId; }

    ClassTypeBase* m_pbase = nullptr;
    const char* m_name;
    int m_offset = 0;
    int m_may_have_offset = -1;

protected:
    explicit ClassTypeBase(const char* name);
    virtual ~ClassTypeBase() = default;

private:
    SQInteger typeId;
};

// The name a type's record carries; null unless given below.
template <typename T> struct TypeName
{
    static constexpr const char* value = nullptr;
};
template <> struct TypeName<float>
{
    static constexpr const char* value = "float";
};
template <> struct TypeName<Kavro::Vector2D>
{
    static constexpr const char* value = "Vector2D";
};
template <> struct TypeName<Kavro::Vector3D>
{
    static constexpr const char* value = "Vector3D";
};
template <> struct TypeName<Kavro::ColorF>
{
    static constexpr const char* value = "ColorF";
};

template <typename T> class ClassType : public ClassTypeBase
{
public:
    // Created on first use and kept for the whole process.
    static ClassType& Get()
    {
        static ClassType* record = new ClassType;
        return *record;
    }
    CopyVarFunc vgetCopyFunc() override { return &copy; }
    const char* GetTypeName() override { return m_name; }

private:
    ClassType() : ClassTypeBase(TypeName<T>::value) {}
    static void copy(void* destination, const void* source)
    {
        if constexpr (std::is_copy_assignable_v<T>)
            *static_cast<T*>(destination) = *static_cast<const T*>(source);
    }
};

} // namespace Orvane::SqPlus
