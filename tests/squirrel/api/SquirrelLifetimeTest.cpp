// Objects die as soon as the script lets go of them (weak references read null, release hooks
// run), and the error handler runs exactly where an interpreter entry reports an error.
#include <gtest/gtest.h>
#include <sqstdaux.h>
#include <squirrel.h>

#include <cstdarg>
#include <cstdio>
#include <string>

namespace {

int g_released = 0;
std::string g_out;

SQInteger CountRelease(SQUserPointer, SQInteger) {
    g_released++;
    return 1;
}

// makeobj(): a userdata whose release hook counts.
SQInteger MakeObj(HSQUIRRELVM v) {
    sq_newuserdata(v, 4);
    sq_setreleasehook(v, -1, CountRelease);
    return 1;
}

SQInteger Released(HSQUIRRELVM v) {
    sq_pushinteger(v, g_released);
    return 1;
}

// touch(x): a native that returns its argument (pushes a copy into the caller's frame).
SQInteger Touch(HSQUIRRELVM v) {
    sq_push(v, 2);
    return 1;
}

void CapturePrint(HSQUIRRELVM, const SQChar *fmt, ...) {
    char buf[4096];
    va_list vl;
    va_start(vl, fmt);
    std::vsnprintf(buf, sizeof(buf), fmt, vl);
    va_end(vl);
    g_out += buf;
}

int CountOf(const std::string &text, const std::string &what) {
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) n++;
    return n;
}

class SquirrelLifetimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_released = 0;
        g_out.clear();
        v = sq_open(1024);
        sq_setprintfunc(v, CapturePrint);
        sqstd_seterrorhandlers(v);
        Register("makeobj", MakeObj);
        Register("released", Released);
        Register("touch", Touch);
    }
    void TearDown() override { sq_close(v); }

    void Register(const char *name, SQFUNCTION f) {
        sq_pushroottable(v);
        sq_pushstring(v, name, -1);
        sq_newclosure(v, f, 0);
        sq_newslot(v, -3, SQFalse);
        sq_pop(v, 1);
    }
    // Runs src (raise error on) and returns its result as text, or "error:" + the message.
    std::string Run(const std::string &src) {
        SQInteger top = sq_gettop(v);
        std::string r;
        if (SQ_FAILED(sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), "test", SQTrue))) {
            r = "compile error";
        } else {
            sq_pushroottable(v);
            if (SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQTrue))) {
                sq_tostring(v, -1);
                const SQChar *s = nullptr;
                sq_getstring(v, -1, &s);
                r = s ? s : "";
            } else {
                sq_getlasterror(v);
                const SQChar *s = nullptr;
                sq_getstring(v, -1, &s);
                r = std::string("error:") + (s ? s : "?");
            }
        }
        sq_settop(v, top);
        return r;
    }
    int Reports() const { return CountOf(g_out, "AN ERROR HAS OCCURED"); }
    HSQUIRRELVM v = nullptr;
};

TEST_F(SquirrelLifetimeTest, WeakReferenceReadsNullOnceTheLastStrongReferenceIsDropped) {
    const char *cases[] = {
        "local t = {}\nlocal w = t.weakref()\nt = null\nreturn w.ref() == null",
        // A native returned a copy of t into this frame before it was dropped.
        "local t = {}\nlocal w = t.weakref()\nlocal r = w.ref()\nr = null\nt = null\nreturn w.ref() == null",
        "local t = {}\nlocal w = t.weakref()\ntouch(t)\nt = null\nreturn w.ref() == null",
        "function id(x) { local copy = x; return 1 }\n"
        "local t = {}\nlocal w = t.weakref()\nid(t)\nt = null\nreturn w.ref() == null",
    };
    for (const char *src : cases) EXPECT_EQ(Run(src), "true") << src;
}

TEST_F(SquirrelLifetimeTest, ReleaseHooksRunWhenTheScriptDropsTheObject) {
    struct Case {
        const char *src;
        const char *result;  // released() at the points the script reports
    };
    const Case cases[] = {
        // A table passed to a script call and to a native call.
        {"local o = { u = makeobj() }\n"
         "function keep(t) { local x = t.u; return 1 }\n"
         "keep(o)\ntouch(o)\nlocal before = released()\no = null\nreturn before + \",\" + released()",
         "0,1"},
        // An instance used only as a temporary.
        {"class Holder { u = null; constructor(x) { u = x } function get() { return 5 } }\n"
         "local n = Holder(makeobj()).get()\nreturn n + \",\" + released()",
         "5,1"},
        // An object held only by a generator that has finished.
        {"function gen(x) { yield 1; yield 2 }\n"
         "local g = gen(makeobj())\nlocal a = resume g\nlocal b = resume g\nlocal mid = released()\n"
         "resume g\nreturn mid + \",\" + released()",
         "0,1"},
        {"function gen(x) { yield 1 }\nforeach (v in gen(makeobj())) {}\nreturn released()", "1"},
        // A frame that ended with an exception.
        {"function boom(x) { local y = x; throw \"no\" }\n"
         "try { boom(makeobj()) } catch (e) {}\nreturn released()",
         "1"},
    };
    for (const Case &c : cases) {
        g_released = 0;
        EXPECT_EQ(Run(c.src), c.result) << c.src;
    }
}

TEST_F(SquirrelLifetimeTest, CallsFailingBeforeTheFunctionStartsReportOnlyWithoutAFrame) {
    struct Case {
        const char *src;
        const char *result;
        int reports;
    };
    const Case cases[] = {
        // The error goes on to the enclosing frame, where try catches it silently.
        {"function f(a, b) {}\ntry { f.call(this, 1) } catch (e) { return e }", "wrong number of parameters", 0},
        {"function f(a, b) {}\ntry { f.acall([this, 1]) } catch (e) { return e }", "wrong number of parameters", 0},
        {"function f(a, b) {}\ntry { f(1) } catch (e) { return e }", "wrong number of parameters", 0},
        {"class C { constructor(a, b) {} }\ntry { C(1) } catch (e) { return e }",
         "wrong number of parameters", 0},
        // Uncaught, it is reported once by the host's entry.
        {"function f(a, b) {}\nf.call(this, 1)", "error:wrong number of parameters", 1},
        // An error thrown inside the called function is reported by the call's own entry even
        // when the caller catches it.
        {"function f() { throw \"inner\" }\ntry { f.call(this) } catch (e) { return e }", "inner", 1},
        {"function f() { throw \"inner\" }\ntry { f.pcall(this) } catch (e) { return e }", "inner", 0},
        {"function f() { throw \"inner\" }\ntry { f() } catch (e) { return e }", "inner", 0},
        // Reported by the inner entry and again by the host's.
        {"function f() { throw \"inner\" }\nf.call(this)", "error:inner", 2},
    };
    for (const Case &c : cases) {
        g_out.clear();
        EXPECT_EQ(Run(c.src), c.result) << c.src;
        EXPECT_EQ(Reports(), c.reports) << c.src << "\n" << g_out;
    }
}

TEST_F(SquirrelLifetimeTest, HostCallWithWrongArgumentCountIsReportedOnce) {
    const char *src = "function f(a, b) {}";
    ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, src, static_cast<SQInteger>(std::char_traits<char>::length(src)),
                                              "test", SQTrue)));
    sq_pushroottable(v);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQTrue)));
    sq_pop(v, 1);
    sq_pushroottable(v);
    sq_pushstring(v, "f", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    sq_pushroottable(v);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 2, SQFalse, SQTrue)));
    EXPECT_EQ(Reports(), 1) << g_out;
    g_out.clear();
    sq_pushroottable(v);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 2, SQFalse, SQFalse)));
    EXPECT_EQ(Reports(), 0) << g_out;
}

}  // namespace
