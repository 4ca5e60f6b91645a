#pragma once

#include "core/CObject.h"
#include "core/IScriptHost.h"
#include "script/SquirrelObject.h"

#include <squirrel.h>

#include <cstdint>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace Orvane
{

class IScriptHostApplication;
class ReferenceTable;

// The host of the script machine: creates and configures it, runs the main script one step per
// frame and resumes it after it suspends itself, runs further files, calls script closures for the
// engine, and collects compile and runtime errors into the process-wide error text.
class CSquirrel : public CObject, public IScriptHost
{
public:
    using Registration = void (*)(HSQUIRRELVM);
    using Hook = void (*)();

    enum RunState
    {
        NotStarted = -1, // or failed
        Finished = 0,
        Running = 1,
        Suspended = 2,
    };
    static constexpr int MathValueCount = 30;

    CSquirrel();
    ~CSquirrel() override;

    // The host most recently constructed and still alive; null when there is none.
    static CSquirrel* get();

    void initVM();
    void closeVM();
    // Soft reset: the application releases its script objects, then a new machine replaces the old.
    void reset();
    // One frame of the main script; returns and stores the new run state.
    int update() override;
    // Loads and runs a file once; 0, or -1 when it cannot be loaded. A compile failure leaves as a
    // SquirrelError.
    int runFile(const char* name, int rewriteFunctions);
    // Calls closure without arguments with self (the root table when self is null) as this; 0 on
    // success, -1 on failure.
    int callScriptFunction(const SquirrelObject& self, const SquirrelObject& closure);

    // Pending registrations run at runRegistrations and again on every later machine.
    void addRegistration(Registration registration) { pendingRegistrations.push_back(registration); }
    int runRegistrations();

    // Pushes the compiled closure of a script file: 0, or -1 when the file cannot be read. A
    // compile failure raises SquirrelError with the error text.
    int loadScript(const char* name, int rewriteFunctions);
    // The source rewrites before compiling (dots before "//", and "function " when asked).
    static void preprocessSource(std::string& text, int rewriteFunctions);

    // Error reports, appended to the process-wide error text.
    static void printf(const char* format, ...) __attribute__((format(printf, 1, 2)));
    static void onCompileError(HSQUIRRELVM vm, const SQChar* description, const SQChar* source, SQInteger line,
                               SQInteger column);
    static SQInteger reportRuntimeError(HSQUIRRELVM vm);
    static void reportLocals(HSQUIRRELVM vm);
    static const std::string& getErrorText();
    static void clearErrorText();

    static SquirrelObject getRootTable();
    static SquirrelObject createArray(SQInteger size);
    static SquirrelObject createTable();

    // The object index of saved script states (see ReferenceTable). Building and clearing do
    // nothing while a state file is being written or read.
    void createReferenceTable(const SquirrelObject& priority, const SquirrelObject& exclusions);
    void clearReferenceTable();
    ReferenceTable& getReferenceTable() { return *referenceTable; }

    HSQUIRRELVM getVM() const { return vm; }
    int getRunState() const { return runState; }
    const std::string& getMainScriptPath() const override { return mainScriptPath; }
    std::string getErrorReport() const override { return getErrorText(); }
    void setMainScriptPath(const std::string& path) override { mainScriptPath = path; }
    void setAfterInitHook(Hook hook) { afterInitHook = hook; }
    // Scripts' print output goes here when set (also for the live machine), else it is discarded.
    void setPrintCallback(SQPRINTFUNCTION callback);
    void setApplication(IScriptHostApplication* owner) { application = owner; }
    // A script that has not returned to the frame loop for this long is reported once on stderr, with its
    // file and line (the game goes on).
    void setStallReportTime(std::chrono::milliseconds time) { stallReportTime = time; }
    float& mathValue(int index) { return mathValues[index]; }

private:
    void bindMathValues();
    void installErrorHandler();
    void installPrintAndCompileHandlers();
    int readPrecompiled(const uint8_t* data, uint32_t size);
    void compileSource(const uint8_t* data, uint32_t size, const std::string& path, int rewriteFunctions);
    void runLoadedClosure();
    static void watchdog(HSQUIRRELVM thread, SQUserPointer host);

    HSQUIRRELVM vm = nullptr;
    int runState = NotStarted;
    std::string mainScriptPath;
    Hook afterInitHook = nullptr;
    SQPRINTFUNCTION printCallback = nullptr;
    IScriptHostApplication* application = nullptr;
    std::vector<Registration> pendingRegistrations;
    std::vector<Registration> rememberedRegistrations;
    float mathValues[MathValueCount] = {};
    std::unique_ptr<ReferenceTable> referenceTable;
    std::chrono::milliseconds stallReportTime{10000};
    std::chrono::steady_clock::time_point frameEntered = std::chrono::steady_clock::now();
    bool stallReported = false;
};

} // namespace Orvane
