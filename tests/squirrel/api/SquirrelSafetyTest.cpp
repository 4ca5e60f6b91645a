// Hostile scripts and bytecode end in script errors: deep recursion through metamethods, long
// delegate and object chains, nesting, huge sizes and patched instructions.
#include <gtest/gtest.h>
#include <squirrel.h>

#include <cstring>
#include <string>
#include <vector>

#include "sqclosure.h"
#include "sqfuncproto.h"
#include "sqobject.h"

namespace {

SQInteger WriteBytes(SQUserPointer up, SQUserPointer buf, SQInteger n) {
    auto *out = static_cast<std::vector<unsigned char> *>(up);
    auto *b = static_cast<unsigned char *>(buf);
    out->insert(out->end(), b, b + n);
    return n;
}

struct ByteReader {
    const std::vector<unsigned char> &bytes;
    size_t pos = 0;
};

SQInteger ReadBytes(SQUserPointer up, SQUserPointer buf, SQInteger n) {
    auto *in = static_cast<ByteReader *>(up);
    size_t take = std::min(in->bytes.size() - in->pos, static_cast<size_t>(n));
    if (take > 0) std::memcpy(buf, in->bytes.data() + in->pos, take);
    in->pos += take;
    return static_cast<SQInteger>(take);
}

class SquirrelSafetyTest : public ::testing::Test {
protected:
    void SetUp() override { v = sq_open(1024); }
    void TearDown() override { sq_close(v); }

    // Runs src with the root table as `this`; returns the error text, or "ok:" + the result's
    // string form.
    std::string Run(const std::string &src) {
        SQInteger top = sq_gettop(v);
        if (SQ_FAILED(sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), "test", SQTrue))) {
            std::string e = LastError();
            sq_settop(v, top);
            return "compile:" + e;
        }
        std::string r = CallTop();
        sq_settop(v, top);
        return r;
    }
    // Calls the closure on top of the stack.
    std::string CallTop() {
        sq_pushroottable(v);
        if (SQ_FAILED(sq_call(v, 1, SQTrue, SQFalse))) return LastError();
        sq_tostring(v, -1);
        const SQChar *s = nullptr;
        sq_getstring(v, -1, &s);
        return std::string("ok:") + (s ? s : "");
    }
    std::string LastError() {
        sq_getlasterror(v);
        const SQChar *s = nullptr;
        std::string r = SQ_SUCCEEDED(sq_getstring(v, -1, &s)) ? s : "<not a string>";
        sq_pop(v, 1);
        return r;
    }
    // Compiles src, lets patch change the instructions of the function at `path` (child indexes
    // from main), and runs what a write/read round trip of the patched closure loads.
    template <typename Patch>
    std::string RunPatched(const std::string &src, std::vector<int> path, Patch patch) {
        SQInteger top = sq_gettop(v);
        EXPECT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), "t", SQTrue)));
        HSQOBJECT main;
        sq_getstackobj(v, -1, &main);
        SQFunctionProto *fp = _closure(main)->Proto();
        for (int child : path) fp = fp->Function(child);
        patch(fp->_instructions);
        std::vector<unsigned char> bytes;
        EXPECT_TRUE(SQ_SUCCEEDED(sq_writeclosure(v, WriteBytes, &bytes)));
        sq_settop(v, top);
        ByteReader in{bytes};
        if (SQ_FAILED(sq_readclosure(v, ReadBytes, &in))) return "load:" + LastError();
        std::string r = CallTop();
        sq_settop(v, top);
        return r;
    }
    HSQUIRRELVM v = nullptr;
};

SQInstruction &FindOp(std::vector<SQInstruction> &code, SQOpcode op) {
    for (SQInstruction &i : code) {
        if (i.op == op) return i;
    }
    ADD_FAILURE() << "opcode " << op << " not found";
    return code.back();
}

TEST_F(SquirrelSafetyTest, MetamethodRecursingDeepThenThrowingGivesTheOperatorsError) {
    // The metamethod's frames grow the value stack far beyond its first pages while the
    // arithmetic operands are still being read.
    EXPECT_EQ(Run("function deep(n) { if (n == 0) throw \"bottom\"; return deep(n - 1) + 0 }\n"
                  "local d = { function _add(o) { return deep(60000) } }\n"
                  "local t = delegate d : {}\n"
                  "try { t + 1 } catch (e) { return e }"),
              "ok:arith op + on between 'table' and 'integer'");
    EXPECT_EQ(Run("function deep(n) { return n == 0 ? 7 : deep(n - 1) }\n"
                  "local d = { function _add(o) { return deep(60000) } }\n"
                  "local t = delegate d : {}\n"
                  "return t + 1"),
              "ok:7");
}

TEST_F(SquirrelSafetyTest, EndlessRecursionIsAStackOverflowAndTheVmStaysUsable) {
    EXPECT_EQ(Run("function f(n) { return f(n + 1) + 1 }\n"
                  "try { f(0) } catch (e) { return e }"),
              "ok:stack overflow");
    EXPECT_EQ(Run("class C { function m(n) { return 1 + m(n + 1) } }\n"
                  "local c = C()\n"
                  "try { c.m(0) } catch (e) { return e }"),
              "ok:stack overflow");
    EXPECT_EQ(Run("function f(n) { return f(n + 1) + 1 }\nreturn f(0)"), "stack overflow");
    EXPECT_EQ(Run("function f(n) { return n == 0 ? 0 : 1 + f(n - 1) }\nreturn f(1000)"), "ok:1000");
}

TEST_F(SquirrelSafetyTest, LongDelegateChainsMissAndFreeWithoutRecursion) {
    EXPECT_EQ(Run("local c = {}\n"
                  "for (local i = 0; i < 60000; i++) c = delegate c : {}\n"
                  "local r = []\n"
                  "try { c.missing } catch (e) { r.append(e) }\n"
                  "try { c.missing = 1 } catch (e) { r.append(e) }\n"
                  "c = null\n"
                  "return r[0] + \"|\" + r[1]"),
              "ok:the index 'missing' does not exist|the index 'missing' does not exist");
    // Lookups keep their order: own slots down the chain, then _get from the deepest level up.
    EXPECT_EQ(Run("local bottom = { function _get(k) { return \"bottom:\" + k } }\n"
                  "local mid = delegate bottom : { x = 1 }\n"
                  "local top = delegate mid : {}\n"
                  "top.x = 5\n"
                  "return top.x + \",\" + mid.x + \",\" + top.y + \",\" + top.len()"),
              "ok:5,5,bottom:y,0");
}

TEST_F(SquirrelSafetyTest, LongObjectChainsAreFreedInALoop) {
    EXPECT_EQ(Run("local x = null, w = null\n"
                  "for (local i = 0; i < 200000; i++) { x = { next = x }; if (i == 0) w = x.weakref() }\n"
                  "x = null\n"
                  "local a = null\n"
                  "for (local i = 0; i < 200000; i++) a = [a]\n"
                  "a = null\n"
                  "class Node { next = null; constructor(n) { next = n } }\n"
                  "local n = null\n"
                  "for (local i = 0; i < 200000; i++) n = Node(n)\n"
                  "n = null\n"
                  "return w.ref() == null"),
              "ok:true");
}

TEST_F(SquirrelSafetyTest, HugeSizesAreNotEnoughMemory) {
    EXPECT_EQ(Run("try { array(2000000000) } catch (e) { return e }"), "ok:not enough memory");
    EXPECT_EQ(Run("local a = [1]\ntry { a.resize(2000000000) } catch (e) { return e + a.len() }"),
              "ok:not enough memory1");
    EXPECT_EQ(Run("function f(...) { return vargc }\ntry { f.acall(array(1200000)) } catch (e) { return e }"), "ok:stack overflow");
}

TEST_F(SquirrelSafetyTest, DeepNestingIsACompileError) {
    std::string parens(20000, '(');
    EXPECT_EQ(Run("return " + parens + "1"), "compile:nesting too deep");
    EXPECT_EQ(Run("local s = \"\"\nfor (local i = 0; i < 20000; i++) s += \"(\"\n"
                  "try { compilestring(\"return \" + s + \"1\") } catch (e) { return e }"),
              "ok:nesting too deep");
    EXPECT_EQ(Run("local s = \"\"\nfor (local i = 0; i < 20000; i++) s += \"{\"\n"
                  "try { compilestring(s) } catch (e) { return e }"),
              "ok:nesting too deep");
    std::string negations;
    for (int i = 0; i < 100; i++) negations += "- ";
    EXPECT_EQ(Run("return " + negations + "1"), "ok:1");
    EXPECT_EQ(Run("return " + std::string(100, '(') + "2" + std::string(100, ')')), "ok:2");
}

TEST_F(SquirrelSafetyTest, SizeHintsOfPatchedBytecodeAreOnlyHints) {
    EXPECT_EQ(RunPatched("local t = {a = 1}\nreturn t.a", {},
                         [](std::vector<SQInstruction> &c) { FindOp(c, _OP_NEWTABLE)._arg1 = 0x7fffffff; }),
              "ok:1");
    EXPECT_EQ(RunPatched("local a = [4]\nreturn a[0]", {},
                         [](std::vector<SQInstruction> &c) { FindOp(c, _OP_NEWARRAY)._arg1 = 0x7fffffff; }),
              "ok:4");
}

TEST_F(SquirrelSafetyTest, PatchedBytecodeWithWrongOperandKindsFailsCleanly) {
    // APPENDARRAY aimed at the register of an integer local.
    EXPECT_EQ(RunPatched("local n = 5\nlocal a = [n]\nreturn a", {},
                         [](std::vector<SQInstruction> &c) { FindOp(c, _OP_APPENDARRAY)._arg0 = 1; }),
              "internal vm error, appending to a integer");
    // POPTRAP with no trap pushed.
    EXPECT_EQ(RunPatched("local x = 1\nlocal y = 2\nreturn x", {},
                         [](std::vector<SQInstruction> &c) {
                             SQInstruction &i = FindOp(c, _OP_LOADINT);
                             i = SQInstruction(_OP_POPTRAP, 1);
                         }),
              "internal vm error, popping a trap that was not pushed");
    // A function that returns with its trap still pushed: the caller's own trap catches later.
    EXPECT_EQ(RunPatched("function f() { try { return 1 } catch (e) { return 2 } }\n"
                         "try { f(); throw \"late\" } catch (e) { return e }",
                         {0},
                         [](std::vector<SQInstruction> &c) { FindOp(c, _OP_POPTRAP) = SQInstruction(_OP_LINE, 0, 1); }),
              "ok:late");
}

}  // namespace
