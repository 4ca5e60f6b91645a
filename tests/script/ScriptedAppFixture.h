#pragma once

#include "core/CApp.h"
#include "script/CSquirrel.h"

#include "support/CallLog.h"
#include "support/FakeCore.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <string>

namespace OrvaneTest
{

// The application with its real script host and a TestTaskMain over the fake core.
class ScriptedApp : public Orvane::CApp
{
public:
    ScriptedApp(FakeCore* core, CallLog& log) : CApp("Orvane Test", 640, 480, nullptr), fake(core), log(log) {}

    FakeCore* fake;
    CallLog& log;

protected:
    Kavro::ICore* createCore() override;
    void releaseCore(Kavro::ICore* oldCore) override;
    Orvane::CTask* createMainTask() override;
};

// A scratch game folder (its file system is the core's and the application's), with "save" as the
// save folder and "system.dat" as the settings file; start() installs the application over a main
// script and pushes the main task. Scripts' print output is collected in `printed`.
class ScriptedAppTest : public ::testing::Test
{
public:
    static std::string printed;

protected:
    ScriptedAppTest();
    ~ScriptedAppTest() override;

    void start(const std::string& mainScript);
    Orvane::CSquirrel& squirrel();
    // Runs a snippet on the running machine with the root table as this: "" or the error text.
    std::string run(const std::string& source);
    // What the snippet prints of one expression, or "error: ...".
    std::string eval(const std::string& expression);
    // Advances the fake clock by ms and runs one frame; the frame's result.
    int frame(uint32_t ms);

    TempDirectory folder;
    FakeCore* core = new FakeCore;
    CallLog log;
    ScriptedApp* app = nullptr;
};

} // namespace OrvaneTest
