// The script host: the main script's run states, files run by Import, error reports, the
// precompiled form, registrations across resets.
#include "ScriptHostFixture.h"

#include "script/SqPlus.h"
#include "script/SquirrelVM.h"

#include <gtest/gtest.h>

#include <chrono>
#include <new>
#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::ScriptHostFixture;

namespace
{

class ScriptHost : public ScriptHostFixture
{
};

std::vector<std::string> registrationLog;
void registerFirst(HSQUIRRELVM) { registrationLog.push_back("first"); }
void registerSecond(HSQUIRRELVM) { registrationLog.push_back("second"); }
void afterInit() { registrationLog.push_back("hook"); }

} // namespace

TEST_F(ScriptHost, MainScriptPrintsSuspendsIsWokenAndEnds)
{
    writeFile("media/script/main.nut", "print(\"a \")\n"
                                       "local kept = 7\n"
                                       "suspend()\n"
                                       "print(\"b\" + kept + \" \")\n"
                                       "Suspend()\n"
                                       "print(\"c\" + kept)\n");
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.getRunState(), -1);
    EXPECT_EQ(squirrel.update(), 2);
    EXPECT_EQ(output, "a ");
    EXPECT_EQ(squirrel.update(), 2);
    EXPECT_EQ(output, "a b7 ");
    EXPECT_EQ(squirrel.update(), 0);
    EXPECT_EQ(output, "a b7 c7");
    EXPECT_EQ(squirrel.update(), 0); // nothing runs once finished
    EXPECT_EQ(output, "a b7 c7");
    EXPECT_EQ(CSquirrel::getErrorText(), "");
    // The root table is still at the bottom of the machine's stack.
    HSQUIRRELVM vm = squirrel.getVM();
    ASSERT_GE(sq_gettop(vm), 1);
    HSQOBJECT bottom, root;
    sq_getstackobj(vm, 1, &bottom);
    sq_pushroottable(vm);
    sq_getstackobj(vm, -1, &root);
    sq_poptop(vm);
    EXPECT_EQ(bottom._unVal.pTable, root._unVal.pTable);
}

TEST_F(ScriptHost, MissingMainScriptEndsWithoutError)
{
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), 0);
    EXPECT_EQ(CSquirrel::getErrorText(), "");
}

TEST_F(ScriptHost, RuntimeErrorInAnImportedFileFailsTheNextUpdate)
{
    writeFile("media/script/main.nut", "print(Import(\"bad.nut\") + \" \")\n"
                                       "print(Import(\"none.nut\") + \" \")\n"
                                       "suspend()\n");
    writeFile("media/script/bad.nut", "local value = 5\n"
                                      "throw \"broken\"\n");
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), -1);
    EXPECT_EQ(output, "0 -1 "); // the importing script went on
    const std::string& text = CSquirrel::getErrorText();
    EXPECT_EQ(text.find("エラーの詳細：broken"), 0u) << text;
    EXPECT_NE(text.find("エラーの詳細：bad.nut"), std::string::npos) << text; // the second report
    EXPECT_NE(text.find("\n[value] 5"), std::string::npos) << text;
}

TEST_F(ScriptHost, CompileErrorReport)
{
    writeFile("media/script/main.nut", "local a = 1\nlocal b = 2\nlocal c = ) + 3\n");
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), -1);
    EXPECT_EQ(CSquirrel::getErrorText(), "\nスクリプトのコンパイルに失敗しました"
                                         "\nmedia/script/main.nut 3行、12文字目 : error expression expected");
}

TEST_F(ScriptHost, RuntimeErrorReportLayout)
{
    writeFile("media/script/main.nut", "function fail(n) {\n"
                                       "  local ratio = 0.1\n"
                                       "  local name = \"x\"\n"
                                       "  local nothing = null\n"
                                       "  local flag = true\n"
                                       "  local list = [1]\n"
                                       "  return n.missing\n"
                                       "}\n"
                                       "fail(3)\n");
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), -1);
    EXPECT_EQ(CSquirrel::getErrorText(), "エラーの詳細：the index 'missing' does not exist"
                                         "\nスクリプトファイル：media/script/main.nut\nfunction名：fail 7行目"
                                         "\nスクリプトファイル：media/script/main.nut\nfunction名：main 9行目"
                                         "\nLOCALS"
                                         "\n[list] ARRAY\n[flag] true\n[nothing] NULL\n"
                                         "\n[name] \"x\"\n[ratio] 0.1\n[n] 3\n[this] TABLE"
                                         "\n[this] TABLE");
}

TEST_F(ScriptHost, ReporterCalledOnAShortFrame)
{
    CSquirrel& squirrel = startHost();
    HSQUIRRELVM vm = squirrel.getVM();
    ASSERT_EQ(sq_gettop(vm), 1); // only the root table
    CSquirrel::reportRuntimeError(vm);
    EXPECT_EQ(CSquirrel::getErrorText(), "エラーの詳細：不明\nLOCALS");
}

TEST_F(ScriptHost, NonStringErrorIsUnknown)
{
    writeFile("media/script/main.nut", "throw 42\n");
    CSquirrel& squirrel = startHost();
    EXPECT_EQ(squirrel.update(), -1);
    EXPECT_EQ(CSquirrel::getErrorText().find("エラーの詳細：不明\nスクリプトファイル："), 0u);
}

TEST_F(ScriptHost, ScratchGlobalsAreFloatsZeroedOnEveryMachine)
{
    CSquirrel& squirrel = startHost();
    const char* names[] = {"SQMATH_V3_1_X", "SQMATH_Q_2_W", "SQMATH_RET_1", "SQMATH_RET_16"};
    for (const char* name : names)
        EXPECT_EQ(eval(std::string("typeof ") + name + " + \" \" + " + name), "float 0") << name;
    EXPECT_EQ(runSnippet("SQMATH_V3_1_X = 2; ::SQMATH_RET_16 = 1.5"), "");
    EXPECT_EQ(eval("typeof SQMATH_V3_1_X + \" \" + SQMATH_V3_1_X + \" \" + SQMATH_RET_16"), "float 2 1.5");
    EXPECT_EQ(squirrel.mathValue(0), 2.0f);
    squirrel.reset();
    squirrel.setPrintCallback(nullptr);
    EXPECT_EQ(squirrel.mathValue(0), 0.0f);
    EXPECT_EQ(runSnippet("if (SQMATH_V3_1_X != 0.0 || SQMATH_RET_16 != 0.0) throw \"kept\""), "");
}

TEST_F(ScriptHost, RegistrationsRunAgainOnceEachAfterAReset)
{
    registrationLog.clear();
    CSquirrel& squirrel = startHost();
    squirrel.setAfterInitHook(&afterInit);
    squirrel.addRegistration(&registerFirst);
    squirrel.addRegistration(&registerSecond);
    squirrel.addRegistration(&registerFirst);
    squirrel.runRegistrations();
    EXPECT_EQ(registrationLog, (std::vector<std::string>{"first", "second", "first"}));
    registrationLog.clear();
    squirrel.reset();
    EXPECT_EQ(registrationLog, (std::vector<std::string>{"hook", "first", "second"}));
    EXPECT_EQ(squirrel.getRunState(), -1);
}

TEST_F(ScriptHost, CallScriptFunction)
{
    CSquirrel& squirrel = startHost();
    ASSERT_EQ(runSnippet("function greet() { print(\"hello \" + this.who) } who <- \"root\"\n"
                         "function broken() { throw \"no\" }\n"
                         "other <- { who = \"table\" }"),
              "");
    SquirrelObject root = SquirrelVM::GetRootTable();
    EXPECT_EQ(squirrel.callScriptFunction(SquirrelObject(), root.GetValue("greet")), 0);
    EXPECT_EQ(squirrel.callScriptFunction(root.GetValue("other"), root.GetValue("greet")), 0);
    EXPECT_EQ(output, "hello roothello table");
    EXPECT_EQ(CSquirrel::getErrorText(), "");
    EXPECT_EQ(squirrel.callScriptFunction(SquirrelObject(), root.GetValue("broken")), -1);
    EXPECT_EQ(CSquirrel::getErrorText().find("エラーの詳細：no"), 0u);
}

TEST_F(ScriptHost, PrintIsDiscardedWithoutACallback)
{
    writeFile("media/script/main.nut", "print(\"unseen\")\n");
    CSquirrel& squirrel = startHost();
    squirrel.setPrintCallback(nullptr);
    EXPECT_EQ(squirrel.update(), 0);
    EXPECT_EQ(output, "");
}

namespace
{

int AllocateTooMuch(int)
{
    throw std::bad_alloc();
}

SQInteger AllocateTooMuchRaw(HSQUIRRELVM)
{
    throw std::bad_alloc();
}

} // namespace

// Memory running out in a native a script calls (bound through the binding framework or a plain closure)
// is the script error "not enough memory": the script can catch it, and the machine goes on.
TEST_F(ScriptHost, MemoryRunningOutInANativeIsAScriptError)
{
    CSquirrel& squirrel = startHost();
    SqPlus::RegisterGlobal(&AllocateTooMuch, "AllocateTooMuch");
    HSQUIRRELVM vm = squirrel.getVM();
    sq_pushroottable(vm);
    sq_pushstring(vm, "AllocateTooMuchRaw", -1);
    sq_newclosure(vm, &AllocateTooMuchRaw, 0);
    sq_newslot(vm, -3, SQFalse);
    sq_poptop(vm);
    for (const char* call : {"AllocateTooMuch(1)", "AllocateTooMuchRaw()"})
    {
        SCOPED_TRACE(call);
        output.clear();
        EXPECT_EQ(runSnippet(std::string("try { ") + call + " } catch (e) { print(e) }"), "");
        EXPECT_EQ(output, "not enough memory");
        EXPECT_EQ(runSnippet(call), "not enough memory");
        EXPECT_EQ(runSnippet("print(\"still here\")"), "");
    }
}

// A script that never returns to the frame loop is named on stderr, once per frame it holds up, in whatever
// thread it loops; loops that return in time, and exceptions caught inside the loop, are left alone.
TEST_F(ScriptHost, AScriptThatDoesNotReturnIsReportedOncePerFrame)
{
    writeFile("media/script/main.nut", "local t = clock()\n"
                                       "while (clock() - t < 0.4) { try { throw 1 } catch (e) {} }\n"
                                       "suspend()\n"
                                       "local c = newthread(function() { local u = clock(); while (clock() - u < 0.4) {} })\n"
                                       "c.call()\n"
                                       "suspend()\n"
                                       "local v = clock(); while (clock() - v < 0.02) {}\n"
                                       "suspend()\n");
    CSquirrel& squirrel = startHost();
    squirrel.setStallReportTime(std::chrono::milliseconds(100));
    const struct
    {
        const char* name;
        const char* line; // null: nothing said
    } frames[] = {// The line of a loop that throws and catches is not yet exact: only its file is checked.
                  {"a loop catching exceptions", " line "}, {"a loop in another thread", " line 4\n"},
                  {"a loop that returns in time", nullptr}};
    for (const auto& frame : frames)
    {
        SCOPED_TRACE(frame.name);
        testing::internal::CaptureStderr();
        EXPECT_EQ(squirrel.update(), 2);
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(CSquirrel::getErrorText(), "");
        if (!frame.line)
        {
            EXPECT_EQ(said, "");
            continue;
        }
        EXPECT_EQ(said.find("The script has not returned to the frame loop for 100 ms: "), 0u) << said;
        EXPECT_NE(said.find("main.nut" + std::string(frame.line)), std::string::npos) << said;
        EXPECT_EQ(said.find('\n'), said.size() - 1) << "once: " << said;
    }
}
