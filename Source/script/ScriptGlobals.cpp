#include "script/ScriptGlobals.h"

#include "script/CSquirrel.h"
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
    RegisterGlobalFunctions();
    Squirrel::RegisterValueClasses();
    RegisterScriptClasses();
    seedGlobalRandom();
    RegisterScriptMathFunctions();
}

} // namespace Orvane
