#include "script/SqPlus.h"

#include "script/StackGuard.h"

namespace Orvane::SqPlus
{

namespace
{

SQInteger absoluteIndex(HSQUIRRELVM vm, SQInteger index)
{
    return index < 0 ? sq_gettop(vm) + index + 1 : index;
}

// Pushes the raw member key of the object at index; false (nothing pushed) when absent.
bool pushRawMember(HSQUIRRELVM vm, SQInteger index, const SQChar* key)
{
    index = absoluteIndex(vm, index);
    sq_pushstring(vm, key, -1);
    if (SQ_SUCCEEDED(sq_rawget(vm, index)))
        return true;
    return false;
}

SQInteger idOfTag(SQUserPointer tag)
{
    return tag ? static_cast<ClassTypeBase*>(tag)->id() : 0;
}

} // namespace

SQInteger IncorrectArgument(HSQUIRRELVM vm)
{
    return sq_throwerror(vm, "Incorrect function argument");
}

SQInteger InvalidInstance(HSQUIRRELVM vm)
{
    return sq_throwerror(vm, "Invalid Instance Type");
}

bool CreateClass(HSQUIRRELVM vm, SquirrelObject& out, SQUserPointer tag, const SQChar* name, const SQChar* baseName)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, name, -1);
    if (baseName)
    {
        sq_pushstring(vm, baseName, -1);
        if (SQ_FAILED(sq_rawget(vm, -3)))
        {
            sq_settop(vm, top);
            sq_throwerror(vm, "the index doesn't exist");
            return false;
        }
    }
    if (SQ_FAILED(sq_newclass(vm, baseName ? SQTrue : SQFalse)))
    {
        sq_settop(vm, top);
        return false;
    }
    out.AttachToStackObject(-1);
    sq_settypetag(vm, -1, tag);
    sq_newslot(vm, -3, SQFalse);
    sq_settop(vm, top);
    return true;
}

void setupClassHierarchy(SquirrelObject& newClass)
{
    if (!newClass.Exists("__ot"))
        newClass.SetValue("__ot", SquirrelVM::CreateTable());
    SquirrelObject hierarchy;
    if (newClass.Exists("__ca"))
        hierarchy = newClass.GetValue("__ca");
    else
    {
        hierarchy = SquirrelVM::CreateArray(0);
        newClass.SetValue("__ca", hierarchy);
    }
    hierarchy.ArrayAppend(newClass);
}

void PopulateAncestry(HSQUIRRELVM vm, SQInteger instanceIndex, ClassTypeBase& type, void* object)
{
    StackGuard guard(vm);
    const SQInteger instance = absoluteIndex(vm, instanceIndex);
    sq_newtable(vm);
    const SQInteger objectTable = sq_gettop(vm);
    sq_pushinteger(vm, type.id());
    sq_pushuserpointer(vm, object);
    sq_rawset(vm, objectTable);
    sq_pushstring(vm, "__ot", -1);
    sq_push(vm, objectTable);
    if (SQ_FAILED(sq_rawset(vm, instance)))
        sq_pop(vm, 2);
    if (!pushRawMember(vm, instance, "__ca") || sq_gettype(vm, -1) != OT_ARRAY)
        return;
    const SQInteger hierarchy = sq_gettop(vm);
    const SQInteger count = sq_getsize(vm, hierarchy);
    for (SQInteger i = 0; count > 1 && i < count - 1; ++i)
    {
        sq_pushinteger(vm, i);
        if (SQ_FAILED(sq_rawget(vm, hierarchy)))
            continue;
        SQUserPointer tag = nullptr;
        if (SQ_SUCCEEDED(sq_gettypetag(vm, -1, &tag)) && tag)
        {
            sq_pushinteger(vm, idOfTag(tag));
            sq_pushuserpointer(vm, object);
            sq_rawset(vm, objectTable);
        }
        sq_poptop(vm);
    }
}

SQInteger PostConstruct(HSQUIRRELVM vm, void* object, ClassTypeBase& type, SQRELEASEHOOK hook)
{
    if (sq_gettype(vm, 1) != OT_INSTANCE)
    {
        // Nothing would own the object, and a hook on a class or userdata would later be handed
        // something else entirely.
        if (hook)
            hook(object, 0);
        sq_throwerror(vm, "the object is not a class instance");
        return 1;
    }
    PopulateAncestry(vm, 1, type, object);
    sq_setinstanceup(vm, 1, object);
    sq_setreleasehook(vm, 1, hook);
    return 1;
}

void* FindInstanceObject(HSQUIRRELVM vm, SQInteger index, ClassTypeBase& type)
{
    index = absoluteIndex(vm, index);
    if (index < 1 || index > sq_gettop(vm) || sq_gettype(vm, index) != OT_INSTANCE)
        return nullptr;
    SQUserPointer tag = nullptr;
    sq_gettypetag(vm, index, &tag);
    SQUserPointer object = nullptr;
    sq_getinstanceup(vm, index, &object, nullptr);
    // A clone copies the "__ot" slot but not the instance's object or its release hook: it owns nothing
    // and must not reach its source's object, which may be gone before it.
    if (!object || tag == type.tag())
        return object;
    StackGuard guard(vm);
    if (!pushRawMember(vm, index, "__ot") || sq_gettype(vm, -1) != OT_TABLE)
        return nullptr;
    sq_pushinteger(vm, type.id());
    if (SQ_FAILED(sq_rawget(vm, -2)) || sq_gettype(vm, -1) != OT_USERPOINTER)
        return nullptr;
    sq_getuserpointer(vm, -1, &object);
    return object;
}

bool CreateNativeClassInstance(HSQUIRRELVM vm, const SQChar* className, void* object)
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    if (!className || !pushRawMember(vm, -1, className) || SQ_FAILED(sq_createinstance(vm, -1)))
    {
        sq_settop(vm, top);
        return false;
    }
    PopulateAncestry(vm, -1, ClassType<void>::Get(), object);
    sq_remove(vm, -2); // the class
    sq_remove(vm, -2); // the root table
    sq_setinstanceup(vm, -1, object);
    sq_setreleasehook(vm, -1, nullptr);
    return true;
}

void* FreeVariablePayload(HSQUIRRELVM vm, size_t size)
{
    if (sq_gettype(vm, -1) != OT_USERDATA || sq_getsize(vm, -1) < SQInteger(size))
        return nullptr;
    SQUserPointer data = nullptr;
    SQUserPointer tag = nullptr;
    if (SQ_FAILED(sq_getuserdata(vm, -1, &data, &tag)) || tag)
        return nullptr;
    return data;
}

void PushBoundClosure(HSQUIRRELVM vm, const SQChar* name, SQFUNCTION dispatcher, const void* payload, size_t size)
{
    sq_pushstring(vm, name, -1);
    void* data = sq_newuserdata(vm, SQUnsignedInteger(size));
    std::memcpy(data, payload, size);
    sq_newclosure(vm, dispatcher, 1);
    sq_setnativeclosurename(vm, -1, name);
}

} // namespace Orvane::SqPlus
