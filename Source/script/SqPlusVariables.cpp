// Member variables of bound classes and variables of the engine bound into tables, read and
// written through the "_get" and "_set" metamethods.
#include "script/SqPlus.h"
#include "script/StackGuard.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace Orvane::SqPlus
{

namespace
{

constexpr size_t MaxVarNameLength = 255;

std::string varKey(const SQChar* name)
{
    return "_v" + std::string(name).substr(0, MaxVarNameLength);
}

std::string formatWithName(const char* format, const SQChar* name)
{
    char buffer[258];
    std::snprintf(buffer, sizeof buffer, format, name);
    return buffer;
}

// The VarRef stored under "_v" + the key at stack index 2 in the object at index 1.
VarRef* findVarRef(HSQUIRRELVM vm)
{
    const SQChar* name = nullptr;
    if (SQ_FAILED(sq_getstring(vm, 2, &name)))
        return nullptr;
    StackGuard guard(vm);
    const std::string key = varKey(name);
    sq_pushstring(vm, key.c_str(), SQInteger(key.size()));
    SQUserPointer data = nullptr;
    if (SQ_SUCCEEDED(sq_rawget(vm, 1)) && sq_gettype(vm, -1) == OT_USERDATA &&
        sq_getsize(vm, -1) >= SQInteger(sizeof(VarRef)) && SQ_SUCCEEDED(sq_getuserdata(vm, -1, &data, nullptr)))
        return static_cast<VarRef*>(data);
    return nullptr;
}

bool isFixedAddress(const VarRef& ref)
{
    return (ref.access & (VarAccessConstant | VarAccessStatic)) != 0;
}

// Where the variable lives for the instance at stack index 1.
unsigned char* instanceAddress(HSQUIRRELVM vm, const VarRef& ref)
{
    if (isFixedAddress(ref))
        return reinterpret_cast<unsigned char*>(ref.offsetOrAddress);
    void* object = ref.instanceType ? FindInstanceObject(vm, 1, *ref.instanceType) : nullptr;
    if (!object)
        throw SquirrelError("Invalid Instance Type");
    return static_cast<unsigned char*>(object) + ref.offsetOrAddress;
}

SQInteger readInteger(const VarRef& ref, const unsigned char* address)
{
    const bool isSigned = ref.type == TypeInteger;
    switch (ref.size)
    {
    case 1:
        return isSigned ? SQInteger(*reinterpret_cast<const int8_t*>(address)) : SQInteger(*address);
    case 2:
        return isSigned ? SQInteger(*reinterpret_cast<const int16_t*>(address))
                        : SQInteger(*reinterpret_cast<const uint16_t*>(address));
    default:
        return *reinterpret_cast<const SQInteger*>(address);
    }
}

void writeInteger(const VarRef& ref, unsigned char* address, SQInteger value)
{
    switch (ref.size)
    {
    case 1:
        *address = static_cast<unsigned char>(value);
        break;
    case 2:
        *reinterpret_cast<uint16_t*>(address) = static_cast<uint16_t>(value);
        break;
    default:
        *reinterpret_cast<SQInteger*>(address) = value;
        break;
    }
}

SQInteger getVar(HSQUIRRELVM vm, const VarRef& ref, unsigned char* address, const SQChar* name)
{
    switch (ref.type)
    {
    case TypeInteger:
    case TypeUnsignedInteger:
        sq_pushinteger(vm, readInteger(ref, address));
        return 1;
    case TypeFloat:
        sq_pushfloat(vm, *reinterpret_cast<const float*>(address));
        return 1;
    case TypeBool:
        sq_pushbool(vm, *reinterpret_cast<const bool*>(address) ? SQTrue : SQFalse);
        return 1;
    case TypeConstString:
        if (!(ref.access & VarAccessConstant))
            throw SquirrelError("getVar(): Invalid type+access: 'const SQChar *' without VAR_ACCESS_CONSTANT");
        sq_pushstring(vm, *reinterpret_cast<const char* const*>(address), -1);
        return 1;
    case TypeStringBuffer:
        if (ref.access & VarAccessConstant)
            throw SquirrelError("getVar(): Invalid type+access: 'ScriptStringVarBase' with VAR_ACCESS_CONSTANT (use "
                                "VAR_ACCESS_READ_ONLY instead)");
        sq_pushstring(vm, reinterpret_cast<const char*>(address), -1);
        return 1;
    case TypeUserPointer:
        sq_pushuserpointer(vm, *reinterpret_cast<void* const*>(address));
        return 1;
    default:
        if (!CreateNativeClassInstance(vm, ref.varType->GetTypeName(), address))
            throw SquirrelError(formatWithName("getVar(): Could not create instance: %s", name));
        return 1;
    }
}

SQInteger setVar(HSQUIRRELVM vm, const VarRef& ref, unsigned char* address, const SQChar* name)
{
    if (ref.access & (VarAccessReadOnly | VarAccessConstant) || ref.type == TypeConstString)
        throw SquirrelError(formatWithName("setVar(): Cannot write to constant: %s", name));
    switch (ref.type)
    {
    case TypeInteger:
    case TypeUnsignedInteger:
    {
        SQInteger value = 0;
        sq_getinteger(vm, 3, &value);
        writeInteger(ref, address, value);
        break;
    }
    case TypeFloat:
    {
        SQFloat value = 0.0f;
        sq_getfloat(vm, 3, &value);
        *reinterpret_cast<float*>(address) = value;
        break;
    }
    case TypeBool:
    {
        SQBool value = SQFalse;
        *reinterpret_cast<bool*>(address) = SQ_SUCCEEDED(sq_getbool(vm, 3, &value)) && value;
        break;
    }
    case TypeStringBuffer:
    {
        const SQChar* text = "";
        sq_getstring(vm, 3, &text);
        const size_t capacity = size_t(ref.size > 0 ? ref.size : 1);
        std::strncpy(reinterpret_cast<char*>(address), text, capacity - 1);
        address[capacity - 1] = 0;
        break;
    }
    case TypeUserPointer:
        throw SquirrelError(formatWithName("setVar(): Cannot write to an SQUserPointer: %s", name));
    default:
    {
        void* source = FindInstanceObject(vm, 3, *ref.varType);
        if (!source)
            throw SquirrelError("INSTANCE type assignment mismatch");
        ref.varType->vgetCopyFunc()(address, source);
        sq_push(vm, 3);
        return 1;
    }
    }
    return getVar(vm, ref, address, name);
}

const SQChar* keyName(HSQUIRRELVM vm)
{
    const SQChar* name = "";
    sq_getstring(vm, 2, &name);
    return name;
}

template <bool Write> SQInteger instanceVariable(HSQUIRRELVM vm)
{
    return NativeBoundary(vm, [vm]() -> SQInteger {
        if (sq_gettype(vm, 1) != OT_INSTANCE)
            return SQ_ERROR;
        VarRef* ref = findVarRef(vm);
        if (!ref)
            return sq_throwerror(vm, "getInstanceVarInfo: Could not retrieve UserData");
        unsigned char* address = instanceAddress(vm, *ref);
        return Write ? setVar(vm, *ref, address, keyName(vm)) : getVar(vm, *ref, address, keyName(vm));
    });
}

template <bool Write> SQInteger tableVariable(HSQUIRRELVM vm)
{
    return NativeBoundary(vm, [vm]() -> SQInteger {
        if (sq_gettype(vm, 1) != OT_TABLE)
            return SQ_ERROR;
        VarRef* ref = findVarRef(vm);
        if (!ref || !isFixedAddress(*ref))
            return sq_throwerror(vm, "getVarInfo: Could not retrieve UserData");
        unsigned char* address = reinterpret_cast<unsigned char*>(ref->offsetOrAddress);
        return Write ? setVar(vm, *ref, address, keyName(vm)) : getVar(vm, *ref, address, keyName(vm));
    });
}

bool hasRawSlot(SquirrelObject& target, const SQChar* key)
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    StackGuard guard(vm);
    target.Push();
    sq_pushstring(vm, key, -1);
    return SQ_SUCCEEDED(sq_rawget(vm, -2));
}

void recordTypeName(const ClassTypeBase& varType)
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, "__SqTypes", -1);
    if (SQ_FAILED(sq_rawget(vm, -2)) || sq_gettype(vm, -1) != OT_TABLE)
    {
        sq_settop(vm, top + 1);
        sq_pushstring(vm, "__SqTypes", -1);
        sq_newtable(vm);
        sq_rawset(vm, -3);
        sq_pushstring(vm, "__SqTypes", -1);
        sq_rawget(vm, -2);
    }
    auto& type = const_cast<ClassTypeBase&>(varType);
    sq_pushinteger(vm, type.id());
    sq_pushstring(vm, type.GetTypeName(), -1);
    sq_rawset(vm, -3);
    sq_settop(vm, top);
}

} // namespace

SQInteger setInstanceVarFunc(HSQUIRRELVM vm) { return instanceVariable<true>(vm); }
SQInteger getInstanceVarFunc(HSQUIRRELVM vm) { return instanceVariable<false>(vm); }
SQInteger setVarFunc(HSQUIRRELVM vm) { return tableVariable<true>(vm); }
SQInteger getVarFunc(HSQUIRRELVM vm) { return tableVariable<false>(vm); }

void createVarRef(SquirrelObject& target, const VarRef& ref, const SQChar* name)
{
    const std::string key = varKey(name);
    SQUserPointer data = nullptr;
    if (!target.GetUserData(key.c_str(), &data))
    {
        data = target.NewUserData(key.c_str(), SQInteger(sizeof(VarRef)));
        if (!data)
            throw SquirrelError("Could not create UserData.");
    }
    std::memcpy(data, &ref, sizeof ref);
    recordTypeName(*ref.varType);
}

void createInstanceSetGetHandlers(SquirrelObject& targetClass)
{
    if (hasRawSlot(targetClass, "_set"))
        return;
    SquirrelVM::CreateFunction(targetClass, &setInstanceVarFunc, "_set", "sn|b|s|x");
    SquirrelVM::CreateFunction(targetClass, &getInstanceVarFunc, "_get", "s");
}

void createTableSetGetHandlers(SquirrelObject& table)
{
    SquirrelObject delegate = table.GetDelegate();
    if (delegate.GetType() == OT_TABLE && hasRawSlot(delegate, "_set"))
        return;
    delegate = SquirrelVM::CreateTable();
    SquirrelVM::CreateFunction(delegate, &setVarFunc, "_set", "sn|b|s");
    SquirrelVM::CreateFunction(delegate, &getVarFunc, "_get", "s");
    table.SetDelegate(delegate);
}

} // namespace Orvane::SqPlus
