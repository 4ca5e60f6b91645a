#include "script/SquirrelVM.h"

#include "script/SquirrelError.h"

#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdio.h>
#include <sqstdmath.h>
#include <sqstdstring.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Orvane
{

HSQUIRRELVM SquirrelVM::machine = nullptr;
SquirrelObject* SquirrelVM::rootTable = nullptr;
SQInteger SquirrelVM::callState = -1;

namespace
{

void printToStandardOutput(HSQUIRRELVM, const SQChar* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
}

// Machines the framework opened itself; closed when the process ends.
struct OwnedMachines
{
    std::vector<HSQUIRRELVM> list;
    ~OwnedMachines()
    {
        for (HSQUIRRELVM vm : list)
        {
            if (SquirrelVM::GetVMPtr() == vm)
                SquirrelVM::Release();
            sq_close(vm);
        }
    }
};

OwnedMachines& ownedMachines()
{
    static OwnedMachines machines;
    return machines;
}

HSQUIRRELVM openOwnMachine()
{
    HSQUIRRELVM vm = sq_open(1024);
    if (!vm)
        return nullptr;
    sq_setprintfunc(vm, printToStandardOutput);
    sq_pushroottable(vm);
    sqstd_register_iolib(vm);
    sqstd_register_bloblib(vm);
    sqstd_register_mathlib(vm);
    sqstd_register_stringlib(vm);
    sqstd_seterrorhandlers(vm);
    sq_poptop(vm);
    ownedMachines().list.push_back(vm);
    return vm;
}

} // namespace

bool SquirrelVM::Init(HSQUIRRELVM vm)
{
    if (vm && vm == machine)
        return true;
    if (!vm)
    {
        vm = openOwnMachine();
        if (!vm)
            return false;
    }
    Release();
    machine = vm;
    return true;
}

void SquirrelVM::Release()
{
    // The cached root table is released while its machine is still current.
    delete rootTable;
    rootTable = nullptr;
    machine = nullptr;
    callState = -1;
}

SquirrelObject SquirrelVM::GetRootTable()
{
    if (!rootTable)
    {
        rootTable = new SquirrelObject;
        sq_pushroottable(machine);
        rootTable->AttachToStackObject(-1);
        sq_poptop(machine);
    }
    return *rootTable;
}

SquirrelObject SquirrelVM::CreateTable()
{
    SquirrelObject table;
    sq_newtable(machine);
    table.AttachToStackObject(-1);
    sq_poptop(machine);
    return table;
}

SquirrelObject SquirrelVM::CreateArray(SQInteger size)
{
    SquirrelObject array;
    sq_newarray(machine, size);
    array.AttachToStackObject(-1);
    sq_poptop(machine);
    return array;
}

SquirrelObject SquirrelVM::CreateFunction(SquirrelObject& table, SQFUNCTION func, const SQChar* name,
                                          const SQChar* typeMask)
{
    char mask[64];
    if (!typeMask)
        std::snprintf(mask, sizeof mask, "t|y|x");
    else if (typeMask[0] != '*')
    {
        const int length = std::snprintf(mask, sizeof mask, "t|y|x%s", typeMask);
        if (length < 0 || size_t(length) >= sizeof mask)
            throw SquirrelError("CreateFunction: typeMask string too long.");
    }
    const SQInteger top = sq_gettop(machine);
    table.Push();
    sq_pushstring(machine, name, -1);
    sq_newclosure(machine, func, 0);
    sq_setnativeclosurename(machine, -1, name);
    if (!typeMask || typeMask[0] != '*')
        sq_setparamscheck(machine, SQ_MATCHTYPEMASKSTRING, mask);
    SquirrelObject function;
    function.AttachToStackObject(-1);
    sq_newslot(machine, -3, SQFalse);
    sq_settop(machine, top);
    return function;
}

bool SquirrelVM::BeginCall(const SquirrelObject& function)
{
    if (callState != -1)
        return false;
    function.Push();
    sq_pushroottable(machine);
    callState = 1;
    return true;
}

bool SquirrelVM::BeginCall(const SquirrelObject& function, const SquirrelObject& self)
{
    if (callState != -1)
        throw SquirrelError("call already initialized");
    function.Push();
    self.Push();
    callState = 1;
    return true;
}

void SquirrelVM::countParam()
{
    if (callState == -1)
        throw SquirrelError("call not initialized");
    ++callState;
}

void SquirrelVM::PushParam(const SquirrelObject& value)
{
    countParam();
    value.Push();
}

void SquirrelVM::PushParam(SQInteger value)
{
    countParam();
    sq_pushinteger(machine, value);
}

void SquirrelVM::PushParam(SQFloat value)
{
    countParam();
    sq_pushfloat(machine, value);
}

void SquirrelVM::PushParam(const SQChar* value)
{
    countParam();
    sq_pushstring(machine, value, -1);
}

SquirrelObject SquirrelVM::EndCall()
{
    SquirrelObject result;
    if (callState == -1)
        throw SquirrelError("call not initialized");
    const SQInteger count = callState;
    callState = -1;
    if (SQ_FAILED(sq_call(machine, count, SQTrue, SQTrue)))
    {
        sq_poptop(machine); // the function
        throw SquirrelError();
    }
    result.AttachToStackObject(-1);
    sq_pop(machine, 2); // the result and the function
    return result;
}

} // namespace Orvane
