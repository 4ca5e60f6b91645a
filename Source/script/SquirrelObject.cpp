#include "script/SquirrelObject.h"

#include "script/SquirrelVM.h"
#include "script/StackGuard.h"

#include <cstdio>

namespace Orvane
{

namespace
{

HSQUIRRELVM machine()
{
    return SquirrelVM::GetVMPtr();
}

void pushKey(HSQUIRRELVM vm, const SQChar* key) { sq_pushstring(vm, key, -1); }
void pushKey(HSQUIRRELVM vm, SQInteger key) { sq_pushinteger(vm, key); }
void pushValue(HSQUIRRELVM vm, const SquirrelObject& value) { sq_pushobject(vm, value.GetObjectHandle()); }
void pushValue(HSQUIRRELVM vm, SQInteger value) { sq_pushinteger(vm, value); }
void pushValue(HSQUIRRELVM vm, SQFloat value) { sq_pushfloat(vm, value); }
void pushValue(HSQUIRRELVM vm, const SQChar* value) { sq_pushstring(vm, value, -1); }
void pushValue(HSQUIRRELVM vm, SQUserPointer value) { sq_pushuserpointer(vm, value); }

void recordMissingIndex(HSQUIRRELVM vm)
{
    sq_throwerror(vm, "the index doesn't exist");
}

} // namespace

SquirrelObject::SquirrelObject()
{
    sq_resetobject(&object);
}

SquirrelObject::SquirrelObject(HSQOBJECT value) : object(value)
{
    if (machine())
        sq_addref(machine(), &object);
}

SquirrelObject::SquirrelObject(const SquirrelObject& other) : object(other.object)
{
    if (machine())
        sq_addref(machine(), &object);
}

SquirrelObject& SquirrelObject::operator=(const SquirrelObject& other)
{
    // The new value is referenced before the old one goes, so self-assignment is safe.
    HSQOBJECT value = other.object;
    if (machine())
        sq_addref(machine(), &value);
    Reset();
    object = value;
    return *this;
}

SquirrelObject::~SquirrelObject()
{
    Reset();
}

void SquirrelObject::Reset()
{
    EndIteration();
    if (machine())
        sq_release(machine(), &object);
    else if (object._type != OT_NULL && object._unVal.raw != 0)
        std::printf("SquirrelObject::~SquirrelObject - Cannot release\n");
    sq_resetobject(&object);
}

void SquirrelObject::AttachToStackObject(SQInteger index)
{
    AttachToStackObject(machine(), index);
}

void SquirrelObject::AttachToStackObject(HSQUIRRELVM vm, SQInteger index)
{
    HSQOBJECT value;
    sq_resetobject(&value);
    sq_getstackobj(vm, index, &value);
    sq_addref(vm, &value);
    Reset();
    object = value;
}

void SquirrelObject::SetByValue(SQInteger value)
{
    sq_pushinteger(machine(), value);
    AttachToStackObject(-1);
    sq_poptop(machine());
}

void SquirrelObject::SetByValue(const SQChar* value)
{
    sq_pushstring(machine(), value, -1);
    AttachToStackObject(-1);
    sq_poptop(machine());
}

void SquirrelObject::Push() const
{
    sq_pushobject(machine(), object);
}

SQInteger SquirrelObject::Len() const
{
    switch (object._type)
    {
    case OT_TABLE:
    case OT_ARRAY:
    case OT_STRING:
    {
        StackGuard restore(machine());
        Push();
        return sq_getsize(machine(), -1);
    }
    default:
        return 0;
    }
}

template <typename Key, typename Value> bool SquirrelObject::setValueOf(const Key& key, const Value& value)
{
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    pushKey(vm, key);
    pushValue(vm, value);
    return SQ_SUCCEEDED(sq_newslot(vm, -3, SQFalse));
}

bool SquirrelObject::SetValue(const SQChar* key, const SquirrelObject& value) { return setValueOf(key, value); }
bool SquirrelObject::SetValue(const SQChar* key, SQInteger value) { return setValueOf(key, value); }
bool SquirrelObject::SetValue(const SQChar* key, SQFloat value) { return setValueOf(key, value); }
bool SquirrelObject::SetValue(const SQChar* key, const SQChar* value) { return setValueOf(key, value); }
bool SquirrelObject::SetValue(SQInteger key, const SquirrelObject& value) { return setValueOf(key, value); }
bool SquirrelObject::SetValue(SQInteger key, const SQChar* value) { return setValueOf(key, value); }
bool SquirrelObject::SetUserPointer(SQInteger key, SQUserPointer pointer) { return setValueOf(key, pointer); }

template <typename Key> SquirrelObject SquirrelObject::getValueOf(const Key& key) const
{
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    SquirrelObject result;
    Push();
    pushKey(vm, key);
    if (SQ_SUCCEEDED(sq_get(vm, -2)))
        result.AttachToStackObject(-1);
    else
        recordMissingIndex(vm);
    return result;
}

SquirrelObject SquirrelObject::GetValue(const SQChar* key) const { return getValueOf(key); }
SquirrelObject SquirrelObject::GetValue(SQInteger key) const { return getValueOf(key); }

SQUserPointer SquirrelObject::GetUserPointer(SQInteger key) const
{
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    sq_pushinteger(vm, key);
    if (SQ_FAILED(sq_get(vm, -2)))
    {
        recordMissingIndex(vm);
        return nullptr;
    }
    SQUserPointer pointer = nullptr;
    if (sq_gettype(vm, -1) == OT_USERPOINTER)
        sq_getuserpointer(vm, -1, &pointer);
    return pointer;
}

bool SquirrelObject::Exists(const SQChar* key) const
{
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    pushKey(vm, key);
    if (SQ_SUCCEEDED(sq_get(vm, -2)))
        return true;
    recordMissingIndex(vm);
    return false;
}

void SquirrelObject::ArrayAppend(const SquirrelObject& value)
{
    if (object._type != OT_ARRAY)
        return;
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    value.Push();
    sq_arrayappend(vm, -2);
}

SquirrelObject SquirrelObject::GetDelegate() const
{
    SquirrelObject result;
    if (object._type != OT_TABLE && object._type != OT_USERDATA)
        return result;
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    if (SQ_SUCCEEDED(sq_getdelegate(vm, -1)))
        result.AttachToStackObject(-1);
    return result;
}

bool SquirrelObject::SetDelegate(const SquirrelObject& table)
{
    if (object._type != OT_TABLE && object._type != OT_USERDATA)
        return false;
    if (table.GetType() != OT_TABLE && table.GetType() != OT_NULL)
        return false;
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    table.Push();
    return SQ_SUCCEEDED(sq_setdelegate(vm, -2));
}

SQUserPointer SquirrelObject::NewUserData(const SQChar* key, SQInteger size, SQUserPointer* typeTag)
{
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    sq_pushstring(vm, key, -1);
    SQUserPointer data = sq_newuserdata(vm, SQUnsignedInteger(size));
    if (typeTag)
        sq_settypetag(vm, -1, *typeTag);
    if (SQ_FAILED(sq_rawset(vm, -3)))
        return nullptr;
    return data;
}

bool SquirrelObject::GetUserData(const SQChar* key, SQUserPointer* data, SQUserPointer* typeTag) const
{
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    sq_pushstring(vm, key, -1);
    if (SQ_FAILED(sq_rawget(vm, -2)) || sq_gettype(vm, -1) != OT_USERDATA)
        return false;
    SQUserPointer tag = nullptr;
    if (SQ_FAILED(sq_getuserdata(vm, -1, data, &tag)))
        return false;
    if (typeTag)
        *typeTag = tag;
    return true;
}

bool SquirrelObject::BeginIteration()
{
    if (object._type != OT_TABLE && object._type != OT_ARRAY && object._type != OT_CLASS)
        return false;
    EndIteration();
    Push();
    sq_pushnull(machine());
    iterating = true;
    return true;
}

bool SquirrelObject::Next(SquirrelObject& key, SquirrelObject& value)
{
    if (!iterating)
        return false;
    HSQUIRRELVM vm = machine();
    if (SQ_FAILED(sq_next(vm, -2)))
    {
        EndIteration();
        return false;
    }
    key.AttachToStackObject(-2);
    value.AttachToStackObject(-1);
    sq_pop(vm, 2);
    return true;
}

void SquirrelObject::EndIteration()
{
    if (!iterating)
        return;
    iterating = false;
    if (machine())
        sq_pop(machine(), 2);
}

bool SquirrelObject::GetTypeTag(SQUserPointer* typeTag) const
{
    HSQOBJECT value = object;
    if (SQ_SUCCEEDED(sq_getobjtypetag(&value, typeTag)))
        return true;
    if (machine())
        sq_throwerror(machine(), "invalid object type");
    return false;
}

SQUserPointer SquirrelObject::GetInstanceUP() const
{
    if (object._type != OT_INSTANCE)
        return nullptr;
    HSQUIRRELVM vm = machine();
    StackGuard restore(vm);
    Push();
    SQUserPointer pointer = nullptr;
    sq_getinstanceup(vm, -1, &pointer, nullptr);
    sq_reseterror(vm);
    return pointer;
}

SQInteger SquirrelObject::ToInteger() const
{
    HSQOBJECT value = object;
    return sq_objtointeger(&value);
}

SQFloat SquirrelObject::ToFloat() const
{
    HSQOBJECT value = object;
    return sq_objtofloat(&value);
}

const SQChar* SquirrelObject::ToString() const
{
    HSQOBJECT value = object;
    return sq_objtostring(&value);
}

} // namespace Orvane
