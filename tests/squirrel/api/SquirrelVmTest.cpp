// Virtual machine entry points seen from the host: calls, suspend/wakeup, error handler per
// interpreter entry, exceptions through natives, generators, debug information and hook.
#include <gtest/gtest.h>
#include <squirrel.h>

#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string g_out;

void CapturePrint(HSQUIRRELVM, const SQChar *fmt, ...) {
    char buf[1024];
    va_list vl;
    va_start(vl, fmt);
    std::vsnprintf(buf, sizeof(buf), fmt, vl);
    va_end(vl);
    g_out += buf;
}

std::vector<std::string> g_handled;

SQInteger RecordingErrorHandler(HSQUIRRELVM v) {
    const SQChar *s = nullptr;
    g_handled.push_back(SQ_SUCCEEDED(sq_getstring(v, 2, &s)) ? s : "<non-string>");
    return 0;
}

class SquirrelVmTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_out.clear();
        g_handled.clear();
        v = sq_open(1024);
        sq_setprintfunc(v, CapturePrint);
        sq_newclosure(v, RecordingErrorHandler, 0);
        sq_seterrorhandler(v);
    }
    void TearDown() override { sq_close(v); }

    // Compiles and runs src with the root table as `this`; leaves the stack as it was.
    SQRESULT Run(const std::string &src, bool raise = true) {
        SQInteger top = sq_gettop(v);
        if (SQ_FAILED(sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), "test", SQTrue))) {
            return SQ_ERROR;
        }
        sq_pushroottable(v);
        SQRESULT r = sq_call(v, 1, SQFalse, raise ? SQTrue : SQFalse);
        if (sq_getvmstate(v) != SQ_VMSTATE_SUSPENDED) sq_settop(v, top);
        return r;
    }
    // Compiles src and pushes the main closure.
    bool Compile(const std::string &src, const char *name = "test") {
        return SQ_SUCCEEDED(sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), name, SQTrue));
    }
    std::string LastError() {
        sq_getlasterror(v);
        const SQChar *s = nullptr;
        std::string r = SQ_SUCCEEDED(sq_getstring(v, -1, &s)) ? s : "<not a string>";
        sq_pop(v, 1);
        return r;
    }
    void RegisterGlobal(const char *name, SQFUNCTION f) {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        sq_newclosure(v, f, 0);
        sq_setnativeclosurename(v, -1, name);
        sq_newslot(v, -3, SQFalse);
        sq_pop(v, 1);
    }
    HSQUIRRELVM v = nullptr;
};

TEST_F(SquirrelVmTest, SuspendedMainScriptResumesWithWakeupValue) {
    ASSERT_TRUE(SQ_SUCCEEDED(Run("print(\"a\"); local x = suspend(5); print(\"b\" + x); return 7")));
    EXPECT_EQ(g_out, "a");
    EXPECT_EQ(sq_getvmstate(v), SQ_VMSTATE_SUSPENDED);
    sq_pushinteger(v, 42);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(v, SQTrue, SQTrue, SQTrue, SQFalse)));
    EXPECT_EQ(g_out, "ab42");
    SQInteger ret = 0;
    sq_getinteger(v, -1, &ret);
    EXPECT_EQ(ret, 7);
    EXPECT_EQ(sq_getvmstate(v), SQ_VMSTATE_IDLE);
    EXPECT_TRUE(SQ_FAILED(sq_wakeupvm(v, SQFalse, SQFalse, SQFalse, SQFalse)));
}

TEST_F(SquirrelVmTest, WakeupCanThrowAtTheSuspensionPoint) {
    ASSERT_TRUE(SQ_SUCCEEDED(Run("try { suspend(1) } catch (e) { print(\"caught \" + e) }")));
    sq_throwerror(v, "stop");
    ASSERT_TRUE(SQ_SUCCEEDED(sq_wakeupvm(v, SQFalse, SQFalse, SQTrue, SQTrue)));
    EXPECT_EQ(g_out, "caught stop");
}

TEST_F(SquirrelVmTest, ErrorHandlerRunsOncePerEntryWithoutTry) {
    struct Case {
        const char *src;
        std::vector<std::string> handled;
    };
    const Case cases[] = {
        {"throw \"x\"", {"x"}},
        {"try { throw \"x\" } catch (e) {}", {}},
        {"function f() { throw \"y\" } try { f() } catch (e) {}", {}},
        // A try outside the entry made by call() does not stop the handler of that entry.
        {"function f() { throw \"z\" } try { f.call(this) } catch (e) {}", {"z"}},
        {"function f() { throw \"w\" } try { f.pcall(this) } catch (e) {}", {}},
    };
    for (const Case &c : cases) {
        g_handled.clear();
        Run(c.src);
        EXPECT_EQ(g_handled, c.handled) << c.src;
    }
    g_handled.clear();
    EXPECT_TRUE(SQ_FAILED(Run("throw \"quiet\"", false)));
    EXPECT_TRUE(g_handled.empty());
    EXPECT_EQ(LastError(), "quiet");
}

TEST_F(SquirrelVmTest, NotifyAllExceptionsReportsCaughtOnes) {
    sq_notifyallexceptions(v, SQTrue);
    Run("try { throw \"seen\" } catch (e) {}");
    EXPECT_EQ(g_handled, std::vector<std::string>{"seen"});
}

SQInteger CallBack(HSQUIRRELVM v) {
    // Calls the function given as argument; its error travels back through this native.
    sq_push(v, 2);
    sq_pushroottable(v);
    if (SQ_FAILED(sq_call(v, 1, SQTrue, SQFalse))) return SQ_ERROR;
    return 1;
}

TEST_F(SquirrelVmTest, ExceptionsCrossNativeCalls) {
    RegisterGlobal("callback", CallBack);
    ASSERT_TRUE(SQ_SUCCEEDED(Run(
        "local r = callback(function() { return 3 }); print(r);"
        "try { callback(function() { throw \"inner\" }) } catch (e) { print(\" \" + e) }")));
    EXPECT_EQ(g_out, "3 inner");
}

SQInteger Where(HSQUIRRELVM v) {
    SQStackInfos si;
    std::string r;
    for (SQInteger level = 0; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); level++) {
        r += std::string(si.funcname ? si.funcname : "NULL") + "@" + si.source + ":" + std::to_string(si.line) + " ";
    }
    const SQChar *name = sq_getlocal(v, 1, 0);
    r += name ? name : "none";
    if (name) sq_pop(v, 1);
    name = sq_getlocal(v, 1, 1);
    if (name) {
        SQInteger n = 0;
        sq_getinteger(v, -1, &n);
        r += std::string(" ") + name + "=" + std::to_string(n);
        sq_pop(v, 1);
    }
    sq_pushstring(v, r.c_str(), -1);
    return 1;
}

TEST_F(SquirrelVmTest, StackInfosAndLocalsOfScriptFrames) {
    RegisterGlobal("where", Where);
    ASSERT_TRUE(SQ_SUCCEEDED(Run("function probe(a) {\n  local b = a + 1\n  print(where())\n}\nprobe(4)\n")));
    EXPECT_EQ(g_out, "where@NATIVE:-1 probe@test:3 main@test:5 b a=4");  // debug-record order
}

TEST_F(SquirrelVmTest, GeneratorResumedFromHost) {
    ASSERT_TRUE(Compile("function g() { yield 1; yield 2; return 3 } return g()"));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse)));
    std::vector<SQInteger> got;
    for (int i = 0; i < 3; i++) {
        ASSERT_TRUE(SQ_SUCCEEDED(sq_resume(v, SQTrue, SQFalse)));
        SQInteger n = 0;
        sq_getinteger(v, -1, &n);
        got.push_back(n);
        sq_pop(v, 1);
    }
    EXPECT_EQ(got, (std::vector<SQInteger>{1, 2, 3}));
    EXPECT_TRUE(SQ_FAILED(sq_resume(v, SQTrue, SQFalse)));
    EXPECT_EQ(LastError(), "resuming dead generator");
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_resume(v, SQTrue, SQFalse)));
    EXPECT_EQ(LastError(), "only generators can be resumed");
}

std::string g_hook;

SQInteger DebugHook(HSQUIRRELVM v) {
    SQInteger type = 0, line = 0;
    sq_getinteger(v, 2, &type);
    sq_getinteger(v, 4, &line);
    const SQChar *fn = nullptr;
    if (SQ_FAILED(sq_getstring(v, 5, &fn))) fn = "?";
    g_hook += static_cast<char>(type) + std::string(fn) + std::to_string(line) + " ";
    return 0;
}

TEST_F(SquirrelVmTest, DebugHookSeesCallsLinesAndReturns) {
    sq_enabledebuginfo(v, SQTrue);
    sq_newclosure(v, DebugHook, 0);
    sq_setdebughook(v);
    ASSERT_TRUE(SQ_SUCCEEDED(Run("function f() {\n  return 1\n}\nf()\n")));
    // The call event reports the line of the first instruction (the merged LINE of line 2).
    EXPECT_EQ(g_hook, "cmain1 lmain1 lmain4 cf2 lf2 rf2 lmain5 rmain5 ");
}

TEST_F(SquirrelVmTest, CycleCollectionFromScript) {
    ASSERT_TRUE(SQ_SUCCEEDED(Run(
        "local a = {}, b = {}\n a.b <- b; b.a <- a; local w = a.weakref(); a = null; b = null;"
        "print(collectgarbage() + \" \" + (w.ref() == null))")));
    EXPECT_EQ(g_out, "2 true");
}

TEST_F(SquirrelVmTest, CollectorCountsEachCycleKind) {
    struct Case {
        const char *makeCycle;  // body of a function whose locals form an unreachable cycle
        const char *count;
    };
    const Case cases[] = {
        {"local a = []; a.append(a)", "1"},
        {"local x = Node(); x.n = x", "1"},
        {"local t = {}\n t.f <- function() : (t) { return t }", "2"},
        {"local a = {}, b = []\n a.b <- b; b.append(a); local keep = {}", "2"},
    };
    ASSERT_TRUE(SQ_SUCCEEDED(Run("class Node { n = null }")));
    for (const Case &c : cases) {
        g_out.clear();
        std::string src = std::string("function mk() {\n") + c.makeCycle + "\n}\nmk()\nprint(collectgarbage())";
        ASSERT_TRUE(SQ_SUCCEEDED(Run(src))) << c.makeCycle;
        EXPECT_EQ(g_out, c.count) << c.makeCycle;
    }
}

TEST_F(SquirrelVmTest, NativeNestingLimit) {
    // The host call is one level; each step through call() adds two (the native and its entry).
    ASSERT_TRUE(SQ_SUCCEEDED(Run("function nat(n) { if (n == 0) return 0; return nat.call(this, n - 1) }")));
    EXPECT_TRUE(SQ_SUCCEEDED(Run("nat(49)", false))) << LastError();
    EXPECT_TRUE(SQ_FAILED(Run("nat(50)", false)));
    EXPECT_EQ(LastError(), "Native stack overflow");
    // Script-to-script recursion is not limited by it.
    EXPECT_TRUE(SQ_SUCCEEDED(Run("function rec(n) { return n == 0 ? 0 : 1 + rec(n - 1) }\nrec(5000)", false)));
}

TEST_F(SquirrelVmTest, RuntimeErrorTexts) {
    struct Case {
        const char *src;
        const char *error;
    };
    const Case cases[] = {
        {"local t = {}\nreturn t.nope", "the index 'nope' does not exist"},
        {"return 1 / 0", "division by zero"},
        {"return 1 % 0", "modulo by zero"},
        {"return {} + 1", "arith op + on between 'table' and 'integer'"},
        {"return 1.5 | 1", "bitwise op between 'float' and 'integer'"},
        {"return ~1.0", "attempt to perform a bitwise op on a float"},
        {"return -\"s\"", "attempt to negate a string"},
        {"return \"a\" < 1", "comparsion between 'a' and '1'"},
        {"return true < 1", "comparsion between 'bool' and '1'"},
        {"local x = 1; x()", "attempt to call 'integer'"},
        {"local a = [1]; return a[5]", "the index '5' does not exist"},
        {"foreach (x in 5) {}", "cannot iterate integer"},
        {"return 1 instanceof 2", "cannot apply instanceof between a integer and a integer"},
        {"return clone 1", "cloning a integer"},
        {"class A {} A.x <- 1; A(); A.y <- 2", "trying to modify a class that has already been instantiated"},
        {"class A {} local a = A(); a.x <- 1", "class instances do not support the new slot operator"},
        {"class A extends 1 {}", "trying to inherit from a integer"},
        {"local t = {}\nt[null] <- 1", "null cannot be used as index"},
        {"local a = []; return a.parent", "the array type doesn't have a parent slot"},
        {"local g = (function() { yield 1 })(); return g()", "attempt to call 'generator'"},
        {"local x = 1; resume x", "trying to resume a 'integer',only genenerator can be resumed"},
        {"local t = {}\ndelete t.q", "the index 'q' does not exist"},
        {"local f = 2.5\nreturn f.x", "the index 'x' does not exist"},
        {"local t = {}\nreturn t[2.5]", "the index '2.5' does not exist"},
    };
    for (const Case &c : cases) {
        EXPECT_TRUE(SQ_FAILED(Run(c.src, false))) << c.src;
        EXPECT_EQ(LastError(), c.error) << c.src;
    }
}

}  // namespace

namespace {

TEST_F(SquirrelVmTest, ClosureInfoFreeVariablesAndBoundEnvironment) {
    ASSERT_TRUE(Compile("local k = 5\nreturn function(a, b) : (k) { return this.tag + k + a + b }"));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse)));
    SQUnsignedInteger nparams = 0, nfree = 0;
    ASSERT_TRUE(SQ_SUCCEEDED(sq_getclosureinfo(v, -1, &nparams, &nfree)));
    EXPECT_EQ(nparams, 3u);
    EXPECT_EQ(nfree, 1u);
    const SQChar *name = sq_getfreevariable(v, -1, 0);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, "k");
    sq_pop(v, 1);
    EXPECT_EQ(sq_getfreevariable(v, -1, 1), nullptr);
    sq_pushinteger(v, 100);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_setfreevariable(v, -2, 0)));
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_setfreevariable(v, -2, 3)));
    EXPECT_EQ(LastError(), "invalid free var index");
    sq_pop(v, 1);

    sq_newtable(v);
    sq_pushstring(v, "tag", -1);
    sq_pushinteger(v, 1000);
    sq_newslot(v, -3, SQFalse);
    sq_push(v, -1);  // the environment is held weakly: keep the table alive
    ASSERT_TRUE(SQ_SUCCEEDED(sq_bindenv(v, -3)));  // the table on top is replaced by the bound copy
    sq_pushroottable(v);  // ignored: the environment replaces `this`
    sq_pushinteger(v, 20);
    sq_pushinteger(v, 3);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 3, SQTrue, SQFalse))) << LastError();
    SQInteger r = 0;
    sq_getinteger(v, -1, &r);
    EXPECT_EQ(r, 1123);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_bindenv(v, -1)));
    EXPECT_EQ(LastError(), "the target is not a closure");
}

SQInteger FunctionInfo(HSQUIRRELVM v) {
    SQFunctionInfo fi;
    std::string r;
    for (SQInteger level = 0; level < 3; level++) {
        if (SQ_SUCCEEDED(sq_getfunctioninfo(v, level, &fi))) r += std::string(fi.name) + "/" + fi.source + " ";
        else r += "fail ";
    }
    sq_pushstring(v, r.c_str(), -1);
    return 1;
}

TEST_F(SquirrelVmTest, FunctionInfoNamesScriptFramesOnly) {
    RegisterGlobal("info", FunctionInfo);
    ASSERT_TRUE(SQ_SUCCEEDED(Run("local anon = function() { return info() }\nprint(anon())")));
    EXPECT_EQ(g_out, "fail unknown/unknown main/test ");
}

TEST_F(SquirrelVmTest, NextIteratesInstancesThroughNexti) {
    ASSERT_TRUE(Compile(
        "class R { function _nexti(k) { if (k == null) return 0; if (k < 2) return k + 1; return null }\n"
        "function _get(k) { return k * 10 } }\nreturn R()"));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse))) << LastError();
    std::string seen;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, -2))) {
        SQInteger k = 0, val = 0;
        sq_getinteger(v, -2, &k);
        sq_getinteger(v, -1, &val);
        seen += std::to_string(k) + "=" + std::to_string(val) + " ";
        sq_pop(v, 2);
    }
    EXPECT_EQ(seen, "0=0 1=10 2=20 ");
}

}  // namespace
