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

// The host whose machine is the binding framework's current one; null otherwise.
CSquirrel* currentHost()
{
    CSquirrel* host = CSquirrel::get();
    return host && host->getVM() && host->getVM() == SquirrelVM::GetVMPtr() ? host : nullptr;
}

void CreateReferenceTable(SquirrelObject priority, SquirrelObject exclusions)
{
    if (CSquirrel* host = currentHost())
        host->createReferenceTable(priority, exclusions);
}

void ClearReferenceTable()
{
    if (CSquirrel* host = currentHost())
        host->clearReferenceTable();
}

// The open file of the named file object on the top task; null when there is none.
CFile* findStateFile(const char* name)
{
    CApp* app = CApp::get();
    return app ? Squirrel::SQFile::findOpenFile(app->getTopTask(), name) : nullptr;
}

int runStateFile(const char* name, const SquirrelObject& first, const SquirrelObject& second,
                 const SquirrelObject& third, bool saving)
{
    CSquirrel* host = currentHost();
    CFile* file = findStateFile(name);
    if (!host || !file)
        return saving ? -1 : -2;
    ScriptStateFile state(host->getVM(), host->getReferenceTable(), *file);
    return saving ? state.save(first.GetObjectHandle(), second.GetObjectHandle())
                  : state.restore(first.GetObjectHandle(), second.GetObjectHandle(), third.GetObjectHandle());
}

int SerializeRootTable(const char* name, SquirrelObject infoWriter, SquirrelObject stateWriter, SquirrelObject)
{
    return runStateFile(name, infoWriter, stateWriter, SquirrelObject(), true);
}

int DeserializeRootTable(const char* name, SquirrelObject creator, SquirrelObject stateReader,
                         SquirrelObject onError)
{
    return runStateFile(name, creator, stateReader, onError, false);
}

} // namespace

void RegisterScriptGlobals()
{
    SqPlus::RegisterGlobal(&Import, "Import");
    SqPlus::RegisterGlobal(&PreCompile, "PreCompile");
    SqPlus::RegisterGlobal(&IncludeFile, "IncludeFile");
    SquirrelObject root = SquirrelVM::GetRootTable();
    SquirrelVM::CreateFunction(root, &Suspend, "Suspend", "*");
    SqPlus::RegisterGlobal(&CreateReferenceTable, "CreateReferenceTable");
    SqPlus::RegisterGlobal(&ClearReferenceTable, "ClearReferenceTable");
    SqPlus::RegisterGlobal(&SerializeRootTable, "SerializeRootTable");
    SqPlus::RegisterGlobal(&DeserializeRootTable, "DeserializeRootTable");
    RegisterGlobalFunctions();
    Squirrel::RegisterValueClasses();
    RegisterScriptClasses();
    seedGlobalRandom();
    RegisterScriptMathFunctions();
}

} // namespace Orvane
