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

} // namespace

void RegisterScriptGlobals()
{
    SqPlus::RegisterGlobal(&Import, "Import");
    SqPlus::RegisterGlobal(&PreCompile, "PreCompile");
    SqPlus::RegisterGlobal(&IncludeFile, "IncludeFile");
    SquirrelObject root = SquirrelVM::GetRootTable();
    SquirrelVM::CreateFunction(root, &Suspend, "Suspend", "*");
    RegisterGlobalFunctions();
    Squirrel::RegisterValueClasses();
    RegisterScriptClasses();
    seedGlobalRandom();
    RegisterScriptMathFunctions();
}

} // namespace Orvane
