#include "script/ScriptGlobals.h"

#include "core/CApp.h"
#include "script/CSquirrel.h"
#include "script/ScriptStateFile.h"
#include "script/Squirrel/SQFile.h"
#include "script/ScriptGlobalFunctions.h"
#include "script/ScriptMath.h"
#include "script/SqPlus.h"
#include "script/Squirrel/SQValueClasses.h"

#include <string>

namespace Orvane
{

namespace
{

int Import(const char* file)
{
    CSquirrel* host = CSquirrel::get();
    return host ? host->runFile(file, 0) : -1;
}

std::string PreCompile(const char* source)
{
    std::string text = source;
    CSquirrel::preprocessSource(text, 0);
    return text;
}

int IncludeFile(const char* file)
{
    CSquirrel* host = CSquirrel::get();
    return host ? host->runFile(file, 1) : -1;
}

// The machine refuses by itself when already suspended or inside a further native call.
SQInteger Suspend(HSQUIRRELVM vm)
{
    return sq_suspendvm(vm);
}

SQInteger CreateReferenceTable(HSQUIRRELVM vm)
{
    CSquirrel* host = CSquirrel::get();
    if (host && host->getVM() == vm)
    {
        SquirrelObject priority, exclusions;
        priority.AttachToStackObject(2);
        exclusions.AttachToStackObject(3);
        host->createReferenceTable(priority, exclusions);
    }
    return 0;
}

SQInteger ClearReferenceTable(HSQUIRRELVM vm)
{
    CSquirrel* host = CSquirrel::get();
    if (host && host->getVM() == vm)
        host->clearReferenceTable();
    return 0;
}

// The open file of the named file object on the top task; null when there is none.
CFile* findStateFile(HSQUIRRELVM vm)
{
    const SQChar* name = nullptr;
    CApp* app = CApp::get();
    if (!app || SQ_FAILED(sq_getstring(vm, 2, &name)))
        return nullptr;
    return Squirrel::SQFile::findOpenFile(app->getTopTask(), name);
}

int runStateFile(HSQUIRRELVM vm, bool saving)
{
    CSquirrel* host = CSquirrel::get();
    CFile* file = findStateFile(vm);
    if (!host || !file)
        return saving ? -1 : -2;
    HSQOBJECT first, second, third;
    sq_getstackobj(vm, 3, &first);
    sq_getstackobj(vm, 4, &second);
    sq_getstackobj(vm, 5, &third);
    ScriptStateFile state(vm, host->getReferenceTable(), *file);
    return saving ? state.save(first, second) : state.restore(first, second, third);
}

SQInteger SerializeRootTable(HSQUIRRELVM vm)
{
    sq_pushinteger(vm, runStateFile(vm, true));
    return 1;
}

SQInteger DeserializeRootTable(HSQUIRRELVM vm)
{
    sq_pushinteger(vm, runStateFile(vm, false));
    return 1;
}

} // namespace

void RegisterScriptGlobals()
{
    SqPlus::RegisterGlobal(&Import, "Import");
    SqPlus::RegisterGlobal(&PreCompile, "PreCompile");
    SqPlus::RegisterGlobal(&IncludeFile, "IncludeFile");
    SquirrelObject root = SquirrelVM::GetRootTable();
    SquirrelVM::CreateFunction(root, &Suspend, "Suspend", "*");
    SquirrelVM::CreateFunction(root, &CreateReferenceTable, "CreateReferenceTable", "..");
    SquirrelVM::CreateFunction(root, &ClearReferenceTable, "ClearReferenceTable", "");
    SquirrelVM::CreateFunction(root, &SerializeRootTable, "SerializeRootTable", "s...");
    SquirrelVM::CreateFunction(root, &DeserializeRootTable, "DeserializeRootTable", "s...");
    RegisterGlobalFunctions();
    Squirrel::RegisterValueClasses();
    RegisterScriptClasses();
    seedGlobalRandom();
    RegisterScriptMathFunctions();
}

} // namespace Orvane
