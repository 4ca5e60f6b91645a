// C API behaviour that needs no compiler: natives and their parameter checks, classes and
// instances, arrays, error texts.
#include <gtest/gtest.h>
#include <squirrel.h>

#include <string>

namespace {

class SquirrelApiTest : public ::testing::Test {
protected:
    void SetUp() override { v = sq_open(1024); }
    void TearDown() override { sq_close(v); }

    std::string LastError() {
        sq_getlasterror(v);
        const SQChar *s = nullptr;
        std::string r = SQ_SUCCEEDED(sq_getstring(v, -1, &s)) ? s : "<not a string>";
        sq_pop(v, 1);
        return r;
    }
    std::string TopString() {
        const SQChar *s = nullptr;
        return SQ_SUCCEEDED(sq_getstring(v, -1, &s)) ? s : "<not a string>";
    }
    HSQUIRRELVM v = nullptr;
};

SQInteger ReturnArgCount(HSQUIRRELVM v) {
    sq_pushinteger(v, sq_gettop(v));
    return 1;
}

SQInteger ReturnFreeVariables(HSQUIRRELVM v) {
    // this, one argument, then the free variables
    SQInteger a = 0, b = 0;
    sq_getinteger(v, 3, &a);
    sq_getinteger(v, 4, &b);
    sq_pushinteger(v, a * 10 + b);
    return 1;
}

SQInteger Fail(HSQUIRRELVM v) { return sq_throwerror(v, "native failed"); }

struct ParamCase {
    SQInteger nparamscheck;
    const char *mask;
    int kind;  // argument pushed after `this`: 0 none, 1 integer, 2 string, 3 bool, 4 native closure
    const char *expectedError;  // nullptr = call succeeds
};

TEST_F(SquirrelApiTest, ParamsCheckAcceptsAndRefuses) {
    const ParamCase cases[] = {
        {2, "ts|n", 1, nullptr},
        {2, "ts|n", 2, nullptr},
        {2, "ts|n", 3, "parameter 1 has an invalid type 'bool' ; expected: 'integer|float|string'"},
        {2, "t.", 3, nullptr},
        {2, "tc", 1, "parameter 1 has an invalid type 'integer' ; expected: 'function|function'"},
        {2, "tc", 4, nullptr},
        {2, nullptr, 0, "wrong number of parameters"},
        {-2, nullptr, 0, "wrong number of parameters"},
        {-1, nullptr, 0, nullptr},
        {SQ_MATCHTYPEMASKSTRING, "tb", 3, nullptr},
        {SQ_MATCHTYPEMASKSTRING, "tb", 0, "wrong number of parameters"},
        {1, "x", 0, "parameter 0 has an invalid type 'table' ; expected: 'instance'"},
    };
    for (const ParamCase &c : cases) {
        sq_newclosure(v, ReturnArgCount, 0);
        ASSERT_TRUE(SQ_SUCCEEDED(sq_setparamscheck(v, c.nparamscheck, c.mask)));
        sq_pushroottable(v);
        switch (c.kind) {
        case 1: sq_pushinteger(v, 5); break;
        case 2: sq_pushstring(v, "s", -1); break;
        case 3: sq_pushbool(v, SQTrue); break;
        case 4: sq_newclosure(v, Fail, 0); break;
        default: break;
        }
        SQInteger nargs = c.kind ? 2 : 1;
        SQRESULT r = sq_call(v, nargs, SQTrue, SQFalse);
        if (c.expectedError) {
            EXPECT_TRUE(SQ_FAILED(r)) << c.mask;
            EXPECT_EQ(LastError(), c.expectedError) << (c.mask ? c.mask : "(null)");
            sq_pop(v, 1);
        } else {
            ASSERT_TRUE(SQ_SUCCEEDED(r)) << (c.mask ? c.mask : "(null)") << " " << LastError();
            SQInteger n = 0;
            sq_getinteger(v, -1, &n);
            EXPECT_EQ(n, nargs);
            sq_pop(v, 2);
        }
        EXPECT_EQ(sq_gettop(v), 0);
    }
}

TEST_F(SquirrelApiTest, InvalidTypemaskAndNonNative) {
    sq_newclosure(v, ReturnArgCount, 0);
    EXPECT_TRUE(SQ_FAILED(sq_setparamscheck(v, 1, "tz")));
    EXPECT_EQ(LastError(), "invalid typemask");
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_setparamscheck(v, 1, "t")));
    EXPECT_EQ(LastError(), "native closure expected");
}

TEST_F(SquirrelApiTest, FreeVariablesFollowArgumentsTopValueFirst) {
    sq_pushinteger(v, 2);  // becomes free variable 1
    sq_pushinteger(v, 7);  // top: free variable 0
    sq_newclosure(v, ReturnFreeVariables, 2);
    sq_pushroottable(v);
    sq_pushinteger(v, 0);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_call(v, 2, SQTrue, SQFalse)));
    SQInteger n = 0;
    sq_getinteger(v, -1, &n);
    EXPECT_EQ(n, 72);
}

TEST_F(SquirrelApiTest, NativeErrorLeavesCalleeAndSetsLastError) {
    sq_newclosure(v, Fail, 0);
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse)));
    EXPECT_EQ(sq_gettop(v), 1);
    EXPECT_EQ(LastError(), "native failed");
    EXPECT_EQ(sq_getvmstate(v), SQ_VMSTATE_IDLE);
}

TEST_F(SquirrelApiTest, WrongArgumentTypeTexts) {
    const SQChar *s;
    sq_pushinteger(v, 42);
    EXPECT_TRUE(SQ_FAILED(sq_getstring(v, -1, &s)));
    EXPECT_EQ(LastError(), "wrong argument type, expected 'string' got '42'");
    sq_pushfloat(v, 2.5f);
    EXPECT_TRUE(SQ_FAILED(sq_getstring(v, -1, &s)));
    EXPECT_EQ(LastError(), "wrong argument type, expected 'string' got '2.5'");
    sq_newtable(v);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_FAILED(sq_arrayappend(v, -2)));
    EXPECT_EQ(LastError(), "wrong argument type, expected 'array' got 'table'");
    sq_pop(v, 2);
    sq_pushbool(v, SQTrue);
    EXPECT_EQ(sq_getsize(v, -1), -1);
    EXPECT_EQ(LastError(), "unexpected type bool");
    SQInteger i = 0;
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinteger(v, -2, &i)));
    EXPECT_EQ(i, 2);
}

TEST_F(SquirrelApiTest, ArrayOperations) {
    sq_newarray(v, 0);
    for (SQInteger i = 1; i <= 3; i++) {
        sq_pushinteger(v, i);
        sq_arrayappend(v, -2);
    }
    sq_pushinteger(v, 0);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_arrayinsert(v, -2, 0)));
    sq_pushinteger(v, 9);
    EXPECT_TRUE(SQ_FAILED(sq_arrayinsert(v, -2, 9)));
    EXPECT_EQ(LastError(), "index out of range");
    EXPECT_EQ(sq_gettop(v), 1);  // value popped anyway
    EXPECT_TRUE(SQ_SUCCEEDED(sq_arrayreverse(v, -1)));
    EXPECT_TRUE(SQ_SUCCEEDED(sq_arrayremove(v, -1, 0)));
    EXPECT_TRUE(SQ_FAILED(sq_arrayremove(v, -1, 5)));
    EXPECT_TRUE(SQ_FAILED(sq_arrayresize(v, -1, -1)));
    EXPECT_EQ(LastError(), "negative size");
    std::string seen;
    sq_pushnull(v);
    while (SQ_SUCCEEDED(sq_next(v, -2))) {
        SQInteger k, val;
        sq_getinteger(v, -2, &k);
        sq_getinteger(v, -1, &val);
        seen += std::to_string(k) + "=" + std::to_string(val) + " ";
        sq_pop(v, 2);
    }
    sq_pop(v, 1);
    EXPECT_EQ(seen, "0=2 1=1 2=0 ");
    EXPECT_TRUE(SQ_SUCCEEDED(sq_arraypop(v, -1, SQTrue)));
    SQInteger last = -1;
    sq_getinteger(v, -1, &last);
    EXPECT_EQ(last, 0);
    sq_pop(v, 1);
    sq_arrayresize(v, -1, 0);
    EXPECT_TRUE(SQ_FAILED(sq_arraypop(v, -1, SQFalse)));
    EXPECT_EQ(LastError(), "empty array");
}

TEST_F(SquirrelApiTest, ClassMembersFieldsAndLocking) {
    sq_newclass(v, SQFalse);
    sq_pushstring(v, "field", -1);
    sq_pushinteger(v, 3);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "method", -1);
    sq_newclosure(v, ReturnArgCount, 0);
    sq_newslot(v, -3, SQFalse);
    sq_newclass(v, SQTrue);  // derived from it (base popped)
    sq_createinstance(v, -1);
    sq_pushstring(v, "field", -1);
    ASSERT_TRUE(SQ_SUCCEEDED(sq_get(v, -2)));
    SQInteger n = 0;
    sq_getinteger(v, -1, &n);
    EXPECT_EQ(n, 3);
    sq_pop(v, 1);
    sq_pushstring(v, "field", -1);
    sq_pushinteger(v, 4);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_set(v, -3)));
    sq_pushstring(v, "method", -1);
    sq_pushinteger(v, 4);
    EXPECT_TRUE(SQ_FAILED(sq_set(v, -3)));
    EXPECT_EQ(LastError(), "the index 'method' does not exist");
    sq_pop(v, 3);
    // The class is locked by its first instance.
    sq_pushstring(v, "late", -1);
    sq_pushinteger(v, 1);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_newslot(v, -3, SQFalse)));
    EXPECT_EQ(LastError(), "trying to modify a class that has already been instantiated");
    EXPECT_TRUE(SQ_FAILED(sq_setclassudsize(v, -1, 8)));
    EXPECT_EQ(LastError(), "the class is locked");
    sq_getbase(v, -1);
    EXPECT_EQ(sq_gettype(v, -1), OT_CLASS);
    sq_createinstance(v, -2);
    EXPECT_EQ(sq_instanceof(v), SQTrue);  // instance of the derived class, tested against its base
    sq_pop(v, 1);
    sq_newclass(v, SQFalse);
    sq_createinstance(v, -3);
    EXPECT_EQ(sq_instanceof(v), SQFalse);
    sq_pop(v, 2);
    sq_pushinteger(v, 1);
    EXPECT_EQ(sq_instanceof(v), static_cast<SQBool>(-1));
    EXPECT_EQ(LastError(), "invalid param type");
}

TEST_F(SquirrelApiTest, InstanceTypeTagSearchesAncestors) {
    static int tag;
    sq_newclass(v, SQFalse);
    sq_settypetag(v, -1, &tag);
    sq_newclass(v, SQTrue);
    sq_createinstance(v, -1);
    SQUserPointer p = nullptr;
    EXPECT_TRUE(SQ_SUCCEEDED(sq_getinstanceup(v, -1, &p, &tag)));
    static int other;
    EXPECT_TRUE(SQ_FAILED(sq_getinstanceup(v, -1, &p, &other)));
    EXPECT_EQ(LastError(), "invalid type tag");
}

TEST_F(SquirrelApiTest, SuspendOutsideScriptIsRefused) {
    sq_newclosure(v, [](HSQUIRRELVM vm) -> SQInteger { return sq_suspendvm(vm); }, 0);
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_FAILED(sq_call(v, 1, SQFalse, SQFalse)));
    EXPECT_EQ(LastError(), "cannot suspend through native calls/metamethods");
    EXPECT_TRUE(SQ_FAILED(sq_wakeupvm(v, SQFalse, SQFalse, SQFalse, SQFalse)));
    EXPECT_EQ(LastError(), "cannot resume a vm that is not running any code");
}

TEST_F(SquirrelApiTest, ThreadsShareRootTable) {
    HSQUIRRELVM t = sq_newthread(v, 256);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(sq_gettype(v, -1), OT_THREAD);
    sq_pushroottable(v);
    sq_pushroottable(t);
    HSQOBJECT a, b;
    sq_getstackobj(v, -1, &a);
    sq_getstackobj(t, -1, &b);
    EXPECT_EQ(a._unVal.pTable, b._unVal.pTable);
    EXPECT_EQ(sq_getvmstate(t), SQ_VMSTATE_IDLE);
}

TEST_F(SquirrelApiTest, StackInfosOfNativeFrame) {
    sq_newclosure(v, [](HSQUIRRELVM vm) -> SQInteger {
        SQStackInfos si;
        if (SQ_FAILED(sq_stackinfos(vm, 0, &si))) return sq_throwerror(vm, "no frame");
        if (std::string(si.source) != "NATIVE" || std::string(si.funcname) != "probe" || si.line != -1) {
            return sq_throwerror(vm, "bad infos");
        }
        if (SQ_SUCCEEDED(sq_stackinfos(vm, 1, &si))) return sq_throwerror(vm, "too deep");
        return 0;
    }, 0);
    sq_setnativeclosurename(v, -1, "probe");
    sq_pushroottable(v);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQFalse, SQFalse))) << LastError();
}

TEST_F(SquirrelApiTest, ToStringOfValues) {
    struct Case {
        int kind;
        const char *expected;
    };
    for (const Case &c : {Case{0, "42"}, Case{1, "0.333333"}, Case{2, "true"}, Case{3, "1e+06"}}) {
        switch (c.kind) {
        case 0: sq_pushinteger(v, 42); break;
        case 1: sq_pushfloat(v, 1.0f / 3.0f); break;
        case 2: sq_pushbool(v, SQTrue); break;
        default: sq_pushfloat(v, 1e6f); break;
        }
        sq_tostring(v, -1);
        EXPECT_EQ(TopString(), c.expected);
        sq_pop(v, 2);
    }
}

}  // namespace
