#include "script/CSquirrel.h"

#include "script/ReferenceTable.h"
#include "sqsave.h"

#include "script/IScriptHostApplication.h"
#include "script/ScriptGlobals.h"
#include "script/SqPlus.h"
#include "script/SquirrelError.h"
#include "script/SquirrelVM.h"

#include <sqstdblob.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>

#include <algorithm>
#include <cstdio>

namespace Orvane
{

namespace
{

CSquirrel* currentHost = nullptr;

constexpr const char* MathValueNames[CSquirrel::MathValueCount] = {
    "SQMATH_V3_1_X", "SQMATH_V3_1_Y", "SQMATH_V3_1_Z", "SQMATH_V3_2_X", "SQMATH_V3_2_Y", "SQMATH_V3_2_Z",
    "SQMATH_Q_1_X",  "SQMATH_Q_1_Y",  "SQMATH_Q_1_Z",  "SQMATH_Q_1_W",  "SQMATH_Q_2_X",  "SQMATH_Q_2_Y",
    "SQMATH_Q_2_Z",  "SQMATH_Q_2_W",  "SQMATH_RET_1",  "SQMATH_RET_2",  "SQMATH_RET_3",  "SQMATH_RET_4",
    "SQMATH_RET_5",  "SQMATH_RET_6",  "SQMATH_RET_7",  "SQMATH_RET_8",  "SQMATH_RET_9",  "SQMATH_RET_10",
    "SQMATH_RET_11", "SQMATH_RET_12", "SQMATH_RET_13", "SQMATH_RET_14", "SQMATH_RET_15", "SQMATH_RET_16",
};

void discardPrint(HSQUIRRELVM, const SQChar*, ...) {}

SQInteger ignoreDebugEvent(HSQUIRRELVM)
{
    return 0;
}

} // namespace

CSquirrel::CSquirrel() : referenceTable(std::make_unique<ReferenceTable>())
{
    currentHost = this;
    initVM();
}

CSquirrel::~CSquirrel()
{
    closeVM();
    if (currentHost == this)
        currentHost = nullptr;
}

CSquirrel* CSquirrel::get()
{
    return currentHost;
}

void CSquirrel::initVM()
{
    vm = sq_open(8192);
    if (!vm)
        return;
    // Checked about every 65,536 backward jumps and calls: a fraction of a millisecond of script.
    sq_setwatchdog(vm, &CSquirrel::watchdog, 65536, this);
    frameEntered = std::chrono::steady_clock::now();
    SquirrelVM::Init(vm);
    installPrintAndCompileHandlers();
    // The root table stays at stack position 1 of the outermost frame for the machine's life.
    sq_pushroottable(vm);
    sqstd_register_bloblib(vm);
    sqstd_register_systemlib(vm);
    sqstd_register_mathlib(vm);
    sqstd_register_stringlib(vm);
    bindMathValues();
    RegisterScriptGlobals();
    if (afterInitHook)
        afterInitHook();
    for (Registration registration : rememberedRegistrations)
        registration(vm);
    sq_newclosure(vm, &ignoreDebugEvent, 0);
    sq_setdebughook(vm);
    sq_setprintfunc(vm, &discardPrint);
    installErrorHandler();
    installPrintAndCompileHandlers();
    runState = NotStarted;
}

void CSquirrel::installPrintAndCompileHandlers()
{
    sq_setcompilererrorhandler(vm, &CSquirrel::onCompileError);
    if (printCallback)
        sq_setprintfunc(vm, printCallback);
}

void CSquirrel::installErrorHandler()
{
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    sq_pushstring(vm, "___MyErrorHandler", -1);
    sq_newclosure(vm, &CSquirrel::reportRuntimeError, 0);
    sq_setnativeclosurename(vm, -1, "___MyErrorHandler");
    sq_newslot(vm, -3, SQFalse);
    sq_pushstring(vm, "___MyErrorHandler", -1);
    if (SQ_SUCCEEDED(sq_rawget(vm, -2)))
        sq_seterrorhandler(vm);
    sq_settop(vm, top);
}

void CSquirrel::bindMathValues()
{
    SquirrelObject root = SquirrelVM::GetRootTable();
    for (int i = 0; i < MathValueCount; ++i)
    {
        mathValues[i] = 0.0f;
        SqPlus::RegisterTableVariable(root, &mathValues[i], MathValueNames[i]);
    }
}

void CSquirrel::closeVM()
{
    runState = Finished;
    if (!vm)
        return;
    referenceTable->clear();
    sq_collectgarbage(vm);
    if (SquirrelVM::GetVMPtr() == vm)
        SquirrelVM::Release();
    sq_close(vm);
    vm = nullptr;
}

void CSquirrel::reset()
{
    if (application)
        application->releaseScriptObjects();
    closeVM();
    initVM();
}

void CSquirrel::setPrintCallback(SQPRINTFUNCTION callback)
{
    printCallback = callback;
    if (vm)
        sq_setprintfunc(vm, callback ? callback : &discardPrint);
}

void CSquirrel::runLoadedClosure()
{
    sq_pushroottable(vm);
    sq_call(vm, 1, SQFalse, SQTrue);
}

void CSquirrel::watchdog(HSQUIRRELVM thread, SQUserPointer self)
{
    auto* host = static_cast<CSquirrel*>(self);
    if (host->stallReported || std::chrono::steady_clock::now() - host->frameEntered < host->stallReportTime)
        return;
    host->stallReported = true;
    SQStackInfos info{};
    const bool known = SQ_SUCCEEDED(sq_stackinfos(thread, 0, &info)) && info.source;
    std::fprintf(stderr, "The script has not returned to the frame loop for %lld ms: %s line %lld\n",
                 static_cast<long long>(host->stallReportTime.count()), known ? info.source : "?",
                 static_cast<long long>(known ? info.line : 0));
}

int CSquirrel::update()
{
    if (!vm)
        return runState;
    frameEntered = std::chrono::steady_clock::now();
    stallReported = false;
    try
    {
        if (runState == NotStarted)
        {
            const SQInteger top = sq_gettop(vm);
            if (loadScript(mainScriptPath.c_str(), 0) >= 0)
                runLoadedClosure();
            // A main script that suspended itself keeps its frame: cutting the stack back would
            // wipe the locals of the function waiting to be resumed.
            if (sq_getvmstate(vm) != SQ_VMSTATE_SUSPENDED)
                sq_settop(vm, top);
        }
        else if (runState == Suspended)
            sq_wakeupvm(vm, SQTrue, SQTrue, SQTrue, SQFalse);
        else
            return runState;
    }
    catch (const SquirrelError&)
    {
        // Only the error text decides the result.
    }
    if (!getErrorText().empty())
        runState = NotStarted;
    else if (sq_getvmstate(vm) == SQ_VMSTATE_SUSPENDED)
        runState = Suspended;
    else if (sq_getvmstate(vm) == SQ_VMSTATE_RUNNING)
        runState = Running;
    else
        runState = Finished;
    return runState;
}

int CSquirrel::runFile(const char* name, int rewriteFunctions)
{
    const SQInteger top = sq_gettop(vm);
    if (loadScript(name, rewriteFunctions) < 0)
        return -1;
    runLoadedClosure();
    if (!getErrorText().empty())
        reportRuntimeError(vm);
    sq_settop(vm, top);
    sq_collectgarbage(vm);
    return 0;
}

int CSquirrel::callScriptFunction(const SquirrelObject& self, const SquirrelObject& closure)
{
    try
    {
        const bool begun = self.IsNull() ? SquirrelVM::BeginCall(closure) : SquirrelVM::BeginCall(closure, self);
        if (!begun)
            return -1;
        SquirrelVM::EndCall();
        return 0;
    }
    catch (const SquirrelError&)
    {
        reportRuntimeError(vm);
        return -1;
    }
}

int CSquirrel::runRegistrations()
{
    for (Registration registration : pendingRegistrations)
        registration(vm);
    for (Registration registration : pendingRegistrations)
    {
        if (std::find(rememberedRegistrations.begin(), rememberedRegistrations.end(), registration) ==
            rememberedRegistrations.end())
            rememberedRegistrations.push_back(registration);
    }
    pendingRegistrations.clear();
    return 0;
}

SquirrelObject CSquirrel::getRootTable()
{
    return SquirrelVM::GetRootTable();
}

SquirrelObject CSquirrel::createArray(SQInteger size)
{
    return SquirrelVM::CreateArray(size);
}

SquirrelObject CSquirrel::createTable()
{
    return SquirrelVM::CreateTable();
}

void CSquirrel::createReferenceTable(const SquirrelObject& priority, const SquirrelObject& exclusions)
{
    if (vm && !referenceTable->isBusy())
        referenceTable->build(vm, sqRootTable(vm), priority.GetObjectHandle(), exclusions.GetObjectHandle());
}

void CSquirrel::clearReferenceTable()
{
    if (!referenceTable->isBusy())
        referenceTable->clear();
}

} // namespace Orvane
