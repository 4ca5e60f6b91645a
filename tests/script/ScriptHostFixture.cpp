#include "ScriptHostFixture.h"

#include "support/DirectoryFileSystem.h"

#include <cstdarg>
#include <cstdio>

namespace OrvaneTest
{

std::string ScriptHostFixture::output;

namespace
{

void capturePrint(HSQUIRRELVM, const SQChar* format, ...)
{
    char buffer[4096];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(buffer, sizeof buffer, format, arguments);
    va_end(arguments);
    ScriptHostFixture::output += buffer;
}

} // namespace

void ScriptHostFixture::SetUp()
{
    output.clear();
    core = new FakeCore;
    core->fileSystem = new DirectoryFileSystem(dir.path());
    app = new Orvane::CApp("script host");
    app->setCore(core);
    Orvane::CApp::set(app);
}

void ScriptHostFixture::TearDown()
{
    host.reset();
    Orvane::CSquirrel::clearErrorText();
    Orvane::CApp::set(nullptr);
    app->release();
    core->release();
}

void ScriptHostFixture::writeFile(const std::string& path, const std::string& text)
{
    dir.write(path, std::vector<uint8_t>(text.begin(), text.end()));
}

void ScriptHostFixture::writeFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    dir.write(path, bytes);
}

Orvane::CSquirrel& ScriptHostFixture::startHost()
{
    host = std::make_unique<Orvane::CSquirrel>();
    host->setPrintCallback(&capturePrint);
    host->setMainScriptPath("media/script/main.nut");
    return *host;
}

std::string RunSnippet(HSQUIRRELVM vm, const std::string& source)
{
    const SQInteger top = sq_gettop(vm);
    std::string error;
    if (SQ_FAILED(sq_compilebuffer(vm, source.c_str(), SQInteger(source.size()), "snippet", SQFalse)))
        error = "compile error";
    else
    {
        sq_pushroottable(vm);
        if (SQ_FAILED(sq_call(vm, 1, SQFalse, SQFalse)))
        {
            sq_getlasterror(vm);
            const SQChar* text = nullptr;
            error = SQ_SUCCEEDED(sq_getstring(vm, -1, &text)) ? text : "non-string error";
        }
    }
    sq_settop(vm, top);
    return error;
}

std::string ScriptHostFixture::runSnippet(const std::string& source)
{
    return RunSnippet(host->getVM(), source);
}

std::string ScriptHostFixture::eval(const std::string& expression)
{
    output.clear();
    const std::string error = runSnippet("print(" + expression + ")");
    return error.empty() ? output : "error: " + error;
}

void ScriptTaskFixture::SetUp()
{
    ScriptHostFixture::SetUp();
    core->milliTime = 1000;
    task = new TestTask(log, "MAIN");
    app->taskStack.push_back(task);
    writeFile("media/script/main.nut", "while (true) Suspend();\n");
    startHost();
}

void ScriptTaskFixture::TearDown()
{
    host.reset();
    app->taskStack.clear();
    if (task)
        task->release();
    ScriptHostFixture::TearDown();
}

std::string ScriptTaskFixture::results()
{
    return eval("SQMATH_RET_1 + \",\" + SQMATH_RET_2 + \",\" + SQMATH_RET_3 + \",\" + SQMATH_RET_4");
}

} // namespace OrvaneTest
