#include "ScriptedAppFixture.h"
#include "ScriptHostFixture.h"

#include "core/CSquirrelHost.h"
#include "core/StartupState.h"

#include "support/DirectoryFileSystem.h"
#include "support/FakeTaskObjects.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>

namespace OrvaneTest
{

std::string ScriptedAppTest::printed;

namespace
{

void capturePrint(HSQUIRRELVM, const SQChar* format, ...)
{
    char buffer[4096];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    ScriptedAppTest::printed += buffer;
}

} // namespace

Kavro::ICore* ScriptedApp::createCore()
{
    fake->addRef();
    return fake;
}

void ScriptedApp::releaseCore(Kavro::ICore* oldCore)
{
    oldCore->release();
}

Orvane::CTask* ScriptedApp::createMainTask()
{
    return new TestTaskMain(log);
}

ScriptedAppTest::ScriptedAppTest()
{
    printed.clear();
    core->fileSystem = new DirectoryFileSystem(folder.path());
    Orvane::setSavePathRoot("save");
    Orvane::setSettingsFileName("system.dat");
    std::filesystem::create_directory(folder.path() / "save");
}

ScriptedAppTest::~ScriptedAppTest()
{
    Orvane::CApp::shutdown();
    if (Orvane::CApp* current = Orvane::CApp::get())
        current->release();
    Orvane::CApp::set(nullptr);
    Orvane::CSquirrel::clearErrorText();
    core->release();
}

void ScriptedAppTest::start(const std::string& mainScript)
{
    folder.write("media/script/main.nut", std::vector<uint8_t>(mainScript.begin(), mainScript.end()));
    app = new ScriptedApp(core, log);
    ASSERT_EQ(Orvane::CApp::install(app, nullptr), 0);
    auto* host = dynamic_cast<Orvane::CSquirrelHost*>(app->scriptHost);
    ASSERT_NE(host, nullptr);
    host->getSquirrel()->setPrintCallback(&capturePrint);
    ASSERT_EQ(app->pushTask("MAIN"), 0);
}

Orvane::CSquirrel& ScriptedAppTest::squirrel()
{
    return *dynamic_cast<Orvane::CSquirrelHost&>(*app->scriptHost).getSquirrel();
}

std::string ScriptedAppTest::run(const std::string& source)
{
    return RunSnippet(squirrel().getVM(), source);
}

std::string ScriptedAppTest::eval(const std::string& expression)
{
    printed.clear();
    const std::string error = run("print(" + expression + ")");
    return error.empty() ? printed : "error: " + error;
}

int ScriptedAppTest::frame(uint32_t ms)
{
    core->milliTime += ms;
    return app->runFrame();
}

} // namespace OrvaneTest
