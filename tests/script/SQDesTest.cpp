// The developer-support class inside a running application: the soft reset it requests, debug text
// and the measured frame rate.

#include "core/CApp.h"
#include "core/CSquirrelHost.h"
#include "core/CAppSystemState.h"
#include "core/StartupState.h"
#include "script/CSquirrel.h"

#include "support/DirectoryFileSystem.h"
#include "support/FakeCore.h"
#include "support/FakeTaskObjects.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>

using namespace OrvaneTest;

namespace
{

std::string printed;

void capturePrint(HSQUIRRELVM, const SQChar* format, ...)
{
    char buffer[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    printed += buffer;
}

// The application with its own script host and main task over the fake core.
class ScriptedApp : public Orvane::CApp
{
public:
    ScriptedApp(FakeCore* core, CallLog& log) : CApp("Orvane Test", 640, 480, nullptr), fake(core), log(log) {}

    FakeCore* fake;
    CallLog& log;

protected:
    Kavro::ICore* createCore() override
    {
        fake->addRef();
        return fake;
    }
    void releaseCore(Kavro::ICore* oldCore) override { oldCore->release(); }
    Orvane::CTask* createMainTask() override { return new TestTaskMain(log); }
};

class SQDesInApp : public ::testing::Test
{
protected:
    SQDesInApp()
    {
        printed.clear();
        core->fileSystem = new DirectoryFileSystem(folder.path());
        Orvane::setSavePathRoot("save");
        Orvane::setSettingsFileName("system.dat");
        std::filesystem::create_directory(folder.path() / "save");
    }
    ~SQDesInApp() override
    {
        Orvane::CApp::shutdown();
        if (Orvane::CApp* current = Orvane::CApp::get())
            current->release();
        Orvane::CApp::set(nullptr);
        Orvane::CSquirrel::clearErrorText();
        core->release();
    }
    void start(const std::string& mainScript)
    {
        folder.write("media/script/main.nut", std::vector<uint8_t>(mainScript.begin(), mainScript.end()));
        app = new ScriptedApp(core, log);
        ASSERT_EQ(Orvane::CApp::install(app, nullptr), 0);
        auto* host = dynamic_cast<Orvane::CSquirrelHost*>(app->scriptHost);
        ASSERT_NE(host, nullptr);
        host->getSquirrel()->setPrintCallback(&capturePrint);
        ASSERT_EQ(app->pushTask("MAIN"), 0);
    }

    TempDirectory folder;
    FakeCore* core = new FakeCore;
    CallLog log;
    ScriptedApp* app = nullptr;
};

TEST_F(SQDesInApp, ResetMakesTheApplicationSoftResetAtTheEndOfThatFrame)
{
    start("local des = SQDes(\"des\");\n"
          "print(\"start\" + des.getRunStates());\n"
          "des.reset();\n"
          "print(\" \" + des.getRunStates() + \";\");\n"
          "Suspend();\n"
          "print(\"resumed\");\n");
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_EQ(printed, "start1 1;");
    // The request was taken at the end of the frame: a new machine waits for the main script.
    EXPECT_EQ(app->systemState->resetRequested, 0u);
    EXPECT_EQ(app->scriptHost->getRunState(), -1);
    EXPECT_EQ(app->getTopTask()->findTaskObject("des"), nullptr);

    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_EQ(printed, "start1 1;start1 1;"); // started again, never resumed
}

TEST_F(SQDesInApp, DebugTextFrameRateAndTheQuietMethods)
{
    core->detectFps = 30.0f;
    start("local des = SQDes(\"des\");\n"
          "des.drawDebugString(10, 20, 1.0, 0.5, 0.0, \"50% %s done\");\n"
          "print(des.getDetectFps() + \" \" + des.isDroppedFile() + \" \");\n"
          "des.setLatestDroppedFileName(\"x.nut\"); des.setRunFileName(\"run.nut\");\n"
          "des.clearLog(); des.printLogWarning(\"w\"); des.printLogError(\"e\");\n"
          "print((des.getDroppedFileName() == null) + \" \" + (des.getLatestDroppedFileName() == null) + \" \");\n"
          "try { des.drawDebugString(10, 20, 1, 0.5, 0.0, \"x\") } catch (e) { print(e + \" \") }\n"
          "try { des.drawDebugString(10.0, 20, 1.0, 0.5, 0.0, \"x\") } catch (e) { print(e) }\n");
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_EQ(printed, "30 0 true true Incorrect function argument Incorrect function argument");
    const std::vector<std::string> drawn = core->log.named("drawDebugText");
    ASSERT_EQ(drawn.size(), 1u);
    // Colour bytes 255, 127, 0 with alpha 255, as the device's ARGB word.
    EXPECT_EQ(drawn[0], "drawDebugText(10, 20, " + std::to_string(0xFFFF7F00u) + ", appFont, 50% %s done)");
}

} // namespace
