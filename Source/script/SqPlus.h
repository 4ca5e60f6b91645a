#pragma once

// The glue between engine types and script classes: type records, class registration, argument
// matching, native dispatch of functions and member functions, instance ownership.

#include "script/ClassType.h"
#include "script/SqPlusPush.h"
#include "script/SquirrelError.h"
#include "script/SquirrelObject.h"
#include "script/SquirrelVM.h"

#include <squirrel.h>

#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace Orvane::SqPlus
{

// ---- Non-template parts (SqPlus.cpp) ----

// Creates the class name (derived from baseName when given) in the root table with tag as its type
// tag; out refers to it. False, stack untouched, when the base is not in the root table.
bool CreateClass(HSQUIRRELVM vm, SquirrelObject& out, SQUserPointer tag, const SQChar* name,
                 const SQChar* baseName);
// The "__ot" object table and the "__ca" hierarchy array shared along a class hierarchy.
void setupClassHierarchy(SquirrelObject& newClass);
// Fills the instance's own "__ot" table: the object under the type's id and under the id of every
// ancestor in "__ca".
void PopulateAncestry(HSQUIRRELVM vm, SquirrelObject& instance, ClassTypeBase& type, void* object);
// Ties object to the instance under construction (stack index 1) with its release hook.
SQInteger PostConstruct(HSQUIRRELVM vm, void* object, ClassTypeBase& type, SQRELEASEHOOK hook);
// The type's object inside the value at index: an instance of the type's class or of a derived
// class. Null when the value is no such instance or holds no object.
void* FindInstanceObject(HSQUIRRELVM vm, SQInteger index, ClassTypeBase& type);
// A new instance of the class className around object, which it does not own; left on the stack.
bool CreateNativeClassInstance(HSQUIRRELVM vm, const SQChar* className, void* object);
// The payload of the free-variable userdata on top of the stack (type tag 0), or null.
void* FreeVariablePayload(HSQUIRRELVM vm, size_t size);
// Pushes name and a native closure over dispatcher with a copy of payload as its free variable.
void PushBoundClosure(HSQUIRRELVM vm, const SQChar* name, SQFUNCTION dispatcher, const void* payload,
                      size_t size);
SQInteger IncorrectArgument(HSQUIRRELVM vm);
SQInteger InvalidInstance(HSQUIRRELVM vm);

// Runs a native body; a SquirrelError, or memory running out, becomes a script error here, so no C++
// exception ever unwinds through the machine's frames.
template <typename Body> SQInteger NativeBoundary(HSQUIRRELVM vm, Body&& body)
{
    try
    {
        return body();
    }
    catch (const SquirrelError& error)
    {
        return sq_throwerror(vm, error.desc.c_str());
    }
    catch (const std::bad_alloc&)
    {
        return sq_throwerror(vm, "not enough memory");
    }
}

// ---- Argument matching and reading, one specialisation per parameter type ----

template <typename T, typename Enable = void> struct Arg;

template <> struct Arg<int>
{
    static bool Match(HSQUIRRELVM vm, SQInteger index) { return sq_gettype(vm, index) == OT_INTEGER; }
    static int Get(HSQUIRRELVM vm, SQInteger index)
    {
        SQInteger value = 0;
        if (SQ_FAILED(sq_getinteger(vm, index, &value)))
            throw SquirrelError("sq_get*() failed (type error)");
        return value;
    }
};

template <> struct Arg<float>
{
    static bool Match(HSQUIRRELVM vm, SQInteger index) { return sq_gettype(vm, index) == OT_FLOAT; }
    static float Get(HSQUIRRELVM vm, SQInteger index)
    {
        SQFloat value = 0;
        if (SQ_FAILED(sq_getfloat(vm, index, &value)))
            throw SquirrelError("sq_get*() failed (type error)");
        return value;
    }
};

template <> struct Arg<const char*>
{
    static bool Match(HSQUIRRELVM vm, SQInteger index) { return sq_gettype(vm, index) == OT_STRING; }
    // Valid while the script string lives.
    static const char* Get(HSQUIRRELVM vm, SQInteger index)
    {
        const SQChar* value = nullptr;
        if (SQ_FAILED(sq_getstring(vm, index, &value)))
            throw SquirrelError("sq_get*() failed (type error)");
        return value;
    }
};

template <> struct Arg<SquirrelObject>
{
    static bool Match(HSQUIRRELVM, SQInteger) { return true; }
    // A missing argument (beyond the top) reads as null.
    static SquirrelObject Get(HSQUIRRELVM vm, SQInteger index)
    {
        SquirrelObject value;
        if (index <= sq_gettop(vm))
            value.AttachToStackObject(vm, index);
        return value;
    }
};
template <> struct Arg<const SquirrelObject&> : Arg<SquirrelObject>
{
};

template <typename T> T& GetInstance(HSQUIRRELVM vm, SQInteger index)
{
    void* object = FindInstanceObject(vm, index, ClassType<T>::Get());
    if (!object)
        throw SquirrelError("GetInstance: Invalid argument type");
    return *static_cast<T*>(object);
}

// A bound class by reference: an instance of its class (or a derived one) holding an object.
template <typename T> struct Arg<T&, std::enable_if_t<std::is_class_v<std::remove_const_t<T>>>>
{
    using Bare = std::remove_const_t<T>;
    static bool Match(HSQUIRRELVM vm, SQInteger index)
    {
        return FindInstanceObject(vm, index, ClassType<Bare>::Get()) != nullptr;
    }
    static T& Get(HSQUIRRELVM vm, SQInteger index) { return GetInstance<Bare>(vm, index); }
};

// A bound class by pointer: as by reference, or null.
template <typename T> struct Arg<T*, std::enable_if_t<std::is_class_v<std::remove_const_t<T>>>>
{
    using Bare = std::remove_const_t<T>;
    static bool Match(HSQUIRRELVM vm, SQInteger index)
    {
        return sq_gettype(vm, index) == OT_NULL || Arg<T&>::Match(vm, index);
    }
    static T* Get(HSQUIRRELVM vm, SQInteger index)
    {
        if (sq_gettype(vm, index) == OT_NULL)
            return nullptr;
        return &GetInstance<Bare>(vm, index);
    }
};

// ---- Calls ----

template <typename... A, size_t... I> bool MatchAll([[maybe_unused]] HSQUIRRELVM vm, std::index_sequence<I...>)
{
    return (Arg<A>::Match(vm, SQInteger(I) + 2) && ...);
}

// Tests every argument (from stack index 2), reads them, calls invoke with them and pushes the result.
template <typename R, typename... A, typename Invoke> SQInteger Call(HSQUIRRELVM vm, Invoke&& invoke)
{
    using Indexes = std::index_sequence_for<A...>;
    if (!MatchAll<A...>(vm, Indexes{}))
        return IncorrectArgument(vm);
    return [&]<size_t... I>(std::index_sequence<I...>) -> SQInteger {
        if constexpr (std::is_void_v<R>)
        {
            invoke(Arg<A>::Get(vm, SQInteger(I) + 2)...);
            return 0;
        }
        else
        {
            Push(vm, invoke(Arg<A>::Get(vm, SQInteger(I) + 2)...));
            return 1;
        }
    }(Indexes{});
}

template <typename R, typename... A> struct DirectCallFunction
{
    using Function = R (*)(A...);
    static SQInteger Dispatch(HSQUIRRELVM vm)
    {
        return NativeBoundary(vm, [vm]() -> SQInteger {
            auto* payload = static_cast<Function*>(FreeVariablePayload(vm, sizeof(Function)));
            if (!payload)
                return InvalidInstance(vm);
            Function function = *payload;
            return Call<R, A...>(vm, [function](auto&&... args) { return function(args...); });
        });
    }
};

template <typename C, typename MemberFunction, typename R, typename... A>
struct DirectCallInstanceMemberFunction
{
    static SQInteger Dispatch(HSQUIRRELVM vm)
    {
        return NativeBoundary(vm, [vm]() -> SQInteger {
            auto* member = static_cast<MemberFunction*>(FreeVariablePayload(vm, sizeof(MemberFunction)));
            C* object = static_cast<C*>(FindInstanceObject(vm, 1, ClassType<C>::Get()));
            if (!object || !member)
                return InvalidInstance(vm);
            MemberFunction function = *member;
            return Call<R, A...>(vm, [object, function](auto&&... args) { return (object->*function)(args...); });
        });
    }
};

// ---- Registration ----

template <typename T> SQInteger ReleaseHook(SQUserPointer object, SQInteger)
{
    delete static_cast<T*>(object);
    return 0;
}

template <typename T> SQInteger ConstructDefault(HSQUIRRELVM vm)
{
    return NativeBoundary(vm, [vm]() { return PostConstruct(vm, new T(), ClassType<T>::Get(), &ReleaseHook<T>); });
}

template <typename T, typename... A> SQInteger ConstructWith(HSQUIRRELVM vm)
{
    return NativeBoundary(vm, [vm]() -> SQInteger {
        T* created = nullptr;
        const SQInteger result = Call<void, A...>(vm, [&created](auto&&... args) { created = new T(args...); });
        if (result < 0)
            return result;
        return PostConstruct(vm, created, ClassType<T>::Get(), &ReleaseHook<T>);
    });
}

// The class T under name with "constructor" (no arguments when T has a default constructor),
// "__ot" and "__ca". A null handle when the base does not exist.
template <typename T> SquirrelObject RegisterClassType(const SQChar* name, const SQChar* baseName = nullptr)
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    const SQInteger top = sq_gettop(vm);
    SquirrelObject newClass;
    if (CreateClass(vm, newClass, ClassType<T>::Get().tag(), name, baseName))
    {
        if constexpr (std::is_default_constructible_v<T>)
            SquirrelVM::CreateFunction(newClass, &ConstructDefault<T>, "constructor");
        setupClassHierarchy(newClass);
    }
    sq_settop(vm, top);
    return newClass;
}

// Replaces "constructor" by one taking the given argument types (no machine parameter check).
template <typename T, typename... A> void RegisterConstructor(SquirrelObject& targetClass)
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    const SQInteger top = sq_gettop(vm);
    targetClass.Push();
    sq_pushstring(vm, "constructor", -1);
    sq_newclosure(vm, &ConstructWith<T, A...>, 0);
    sq_setnativeclosurename(vm, -1, "constructor");
    sq_newslot(vm, -3, SQFalse);
    sq_settop(vm, top);
}

// One method closure of targetClass over a member-function pointer of either constness.
template <typename C, typename Member, typename R, typename... A>
void RegisterMember(SquirrelObject& targetClass, Member method, const SQChar* name)
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    const SQInteger top = sq_gettop(vm);
    targetClass.Push();
    PushBoundClosure(vm, name, &DirectCallInstanceMemberFunction<C, Member, R, A...>::Dispatch, &method, sizeof method);
    sq_newslot(vm, -3, SQFalse);
    sq_settop(vm, top);
}

template <typename C, typename R, typename... A>
void RegisterInstance(SquirrelObject& targetClass, R (C::*method)(A...), const SQChar* name)
{
    RegisterMember<C, decltype(method), R, A...>(targetClass, method, name);
}

template <typename C, typename R, typename... A>
void RegisterInstance(SquirrelObject& targetClass, R (C::*method)(A...) const, const SQChar* name)
{
    RegisterMember<C, decltype(method), R, A...>(targetClass, method, name);
}

template <typename R, typename... A> void RegisterGlobal(R (*function)(A...), const SQChar* name)
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    PushBoundClosure(vm, name, &DirectCallFunction<R, A...>::Dispatch, &function, sizeof function);
    sq_newslot(vm, -3, SQFalse);
    sq_settop(vm, top);
}

// ---- Member and table variables ----

enum VarType
{
    TypeInteger = 0,
    TypeUnsignedInteger = 1,
    TypeFloat = 2,
    TypeBool = 3,
    TypeConstString = 4,
    TypeStringBuffer = 5,
    TypeUserPointer = 6,
    TypeInstance = 7,
};

enum VarAccess
{
    VarAccessReadWrite = 0,
    VarAccessReadOnly = 1,
    VarAccessConstant = 2,
    VarAccessStatic = 4,
};

// One bound variable, stored in a userdata under "_v" + its name.
struct VarRef
{
    uintptr_t offsetOrAddress; // offset in the object; the address for static and constant ones
    int type;
    ClassTypeBase* instanceType;
    ClassTypeBase* varType;
    short size;
    int access;
};

template <typename T> constexpr int VarTypeOf()
{
    if constexpr (std::is_same_v<T, bool>)
        return TypeBool;
    else if constexpr (std::is_floating_point_v<T>)
        return TypeFloat;
    else if constexpr (std::is_integral_v<T> && std::is_unsigned_v<T>)
        return TypeUnsignedInteger;
    else if constexpr (std::is_integral_v<T>)
        return TypeInteger;
    else if constexpr (std::is_same_v<T, const char*>)
        return TypeConstString;
    else if constexpr (std::is_pointer_v<T>)
        return TypeUserPointer;
    else
        return TypeInstance;
}

// Stores the VarRef under "_v" + name in target and records the variable type's name in the root
// table's "__SqTypes".
void createVarRef(SquirrelObject& target, const VarRef& ref, const SQChar* name);
// "_set"/"_get" on a class, the first time one of its members is bound.
void createInstanceSetGetHandlers(SquirrelObject& targetClass);
// "_set"/"_get" on the table's delegate.
void createTableSetGetHandlers(SquirrelObject& table);

// A data member of Owner at offset, of type T.
template <typename Owner, typename T>
void RegisterInstanceVariable(SquirrelObject& targetClass, size_t offset, const SQChar* name,
                              int access = VarAccessReadWrite)
{
    const VarRef ref{offset, VarTypeOf<T>(), &ClassType<Owner>::Get(), &ClassType<T>::Get(), short(sizeof(T)), access};
    createVarRef(targetClass, ref, name);
    createInstanceSetGetHandlers(targetClass);
}

// A variable of the engine at address, seen by scripts as a slot of table.
template <typename T>
void RegisterTableVariable(SquirrelObject& table, T* address, const SQChar* name, int access = VarAccessReadWrite)
{
    const VarRef ref{reinterpret_cast<uintptr_t>(address), VarTypeOf<T>(), nullptr, &ClassType<T>::Get(),
                     short(sizeof(T)), access | VarAccessStatic};
    createVarRef(table, ref, name);
    createTableSetGetHandlers(table);
}

} // namespace Orvane::SqPlus
