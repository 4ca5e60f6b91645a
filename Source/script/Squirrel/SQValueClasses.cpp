#include "script/Squirrel/SQValueClasses.h"

#include "script/SqPlus.h"

#include <kavro/ColorF.h>
#include <kavro/Rect2D.h>
#include <kavro/Vector2D.h>
#include <kavro/Vector3D.h>

#include <cstddef>
#include <initializer_list>

namespace Orvane::Squirrel
{

namespace
{

struct Member
{
    const char* name;
    size_t offset;
};

// A new value with every member 0.0 (a colour or rectangle is not filled by its script constructor).
template <typename T> SQInteger constructZeroed(HSQUIRRELVM vm)
{
    return SqPlus::NativeBoundary(vm, [vm]() {
        T* value = new T();
        float* members = reinterpret_cast<float*>(value);
        for (size_t i = 0; i < sizeof(T) / sizeof(float); ++i)
            members[i] = 0.0f;
        return SqPlus::PostConstruct(vm, value, SqPlus::ClassType<T>::Get(), &SqPlus::ReleaseHook<T>);
    });
}

template <typename T> void registerValueClass(const char* name, std::initializer_list<Member> members, bool zeroed)
{
    static_assert(sizeof(T) % sizeof(float) == 0);
    SquirrelObject valueClass = SqPlus::RegisterClassType<T>(name);
    if (zeroed)
        SquirrelVM::CreateFunction(valueClass, &constructZeroed<T>, "constructor");
    for (const Member& member : members)
        SqPlus::RegisterInstanceVariable<T, float>(valueClass, member.offset, member.name);
}

} // namespace

void RegisterValueClasses()
{
    registerValueClass<Kavro::Vector2D>(
        "Vector2D", {{"x", offsetof(Kavro::Vector2D, x)}, {"y", offsetof(Kavro::Vector2D, y)}}, false);
    registerValueClass<Kavro::Vector3D>("Vector3D",
                                        {{"x", offsetof(Kavro::Vector3D, x)},
                                         {"y", offsetof(Kavro::Vector3D, y)},
                                         {"z", offsetof(Kavro::Vector3D, z)}},
                                        false);
    registerValueClass<Kavro::ColorF>("ColorF",
                                      {{"r", offsetof(Kavro::ColorF, r)},
                                       {"g", offsetof(Kavro::ColorF, g)},
                                       {"b", offsetof(Kavro::ColorF, b)},
                                       {"a", offsetof(Kavro::ColorF, a)}},
                                      true);
    registerValueClass<Kavro::Rect2D<float>>("Rect2DF",
                                             {{"x", offsetof(Kavro::Rect2D<float>, x)},
                                              {"y", offsetof(Kavro::Rect2D<float>, y)},
                                              {"w", offsetof(Kavro::Rect2D<float>, w)},
                                              {"h", offsetof(Kavro::Rect2D<float>, h)}},
                                             true);
}

} // namespace Orvane::Squirrel
