// The compiler and bytecode entry points of the C API on a real VM.
#include "sqfuncproto.h"
#include "sqinternal.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct CompileErrorRecord {
    std::string desc;
    std::string source;
    SQInteger line = 0;
    SQInteger column = 0;
    int calls = 0;
};
CompileErrorRecord g_lastCompileError;

void recordCompileError(HSQUIRRELVM, const SQChar *desc, const SQChar *source, SQInteger line, SQInteger column) {
    g_lastCompileError.desc = desc;
    g_lastCompileError.source = source;
    g_lastCompileError.line = line;
    g_lastCompileError.column = column;
    g_lastCompileError.calls++;
}

class SQCompileApiTest : public ::testing::Test {
protected:
    void SetUp() override {
        v = sq_open(1024);
        g_lastCompileError = {};
        sq_setcompilererrorhandler(v, recordCompileError);
    }
    void TearDown() override { sq_close(v); }

    std::string lastError() {
        sq_getlasterror(v);
        const SQChar *s = "";
        sq_getstring(v, -1, &s);
        std::string r = s;
        sq_pop(v, 1);
        return r;
    }
    // Calls the closure on top with the root table as `this`; returns the integer result.
    SQInteger callTop() {
        sq_pushroottable(v);
        EXPECT_TRUE(SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse))) << lastError();
        SQInteger r = -1;
        sq_getinteger(v, -1, &r);
        sq_pop(v, 2);
        return r;
    }
    void compile(const std::string &src, const char *name = "t.nut", SQBool raise = SQTrue) {
        ASSERT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(v, src.c_str(), static_cast<SQInteger>(src.size()), name, raise)))
            << lastError();
    }

    HSQUIRRELVM v = nullptr;
};

std::vector<unsigned char> g_sink;
SQInteger writeToSink(SQUserPointer, SQUserPointer p, SQInteger n) {
    auto b = static_cast<unsigned char *>(p);
    g_sink.insert(g_sink.end(), b, b + n);
    return n;
}
struct Source {
    const std::vector<unsigned char> *bytes;
    size_t pos;
};
SQInteger readFromSource(SQUserPointer up, SQUserPointer p, SQInteger n) {
    auto *s = static_cast<Source *>(up);
    size_t take = std::min(s->bytes->size() - s->pos, static_cast<size_t>(n));
    if (take > 0) std::memcpy(p, s->bytes->data() + s->pos, take);
    s->pos += take;
    return static_cast<SQInteger>(take);
}

// ex1.nut compiled by the reference compiler (bytecode reference, worked example 1).
const unsigned char kReferenceEx1[] = {
    0xfa, 0xfa, 0x52, 0x49, 0x51, 0x53, 0x01, 0x00, 0x00, 0x00, 0x54, 0x52, 0x41, 0x50, 0x10, 0x00, 0x00, 0x08, 0x07,
    0x00, 0x00, 0x00, 0x65, 0x78, 0x31, 0x2e, 0x6e, 0x75, 0x74, 0x10, 0x00, 0x00, 0x08, 0x04, 0x00, 0x00, 0x00, 0x6d,
    0x61, 0x69, 0x6e, 0x54, 0x52, 0x41, 0x50, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x02, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x54, 0x52, 0x41, 0x50, 0x54, 0x52, 0x41, 0x50, 0x10, 0x00, 0x00, 0x08, 0x04, 0x00, 0x00, 0x00, 0x74, 0x68,
    0x69, 0x73, 0x54, 0x52, 0x41, 0x50, 0x54, 0x52, 0x41, 0x50, 0x10, 0x00, 0x00, 0x08, 0x01, 0x00, 0x00, 0x00, 0x61,
    0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03, 0x00, 0x00, 0x00, 0x10, 0x00, 0x00, 0x08, 0x04, 0x00, 0x00,
    0x00, 0x74, 0x68, 0x69, 0x73, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x54, 0x52,
    0x41, 0x50, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x03,
    0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x54, 0x52, 0x41, 0x50, 0x54, 0x52, 0x41, 0x50, 0x28, 0x00, 0x00, 0x00,
    0x02, 0x01, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x02, 0x02, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00, 0x11, 0x02, 0x01,
    0x2b, 0x02, 0x00, 0x00, 0x00, 0x13, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x13, 0xff, 0x00, 0x00, 0x54, 0x52,
    0x41, 0x50, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4c, 0x49, 0x41, 0x54};

TEST_F(SQCompileApiTest, ReferenceBytecodeLoadsAndRuns) {
    std::vector<unsigned char> bytes(std::begin(kReferenceEx1), std::end(kReferenceEx1));
    Source src{&bytes, 0};
    ASSERT_TRUE(SQ_SUCCEEDED(sq_readclosure(v, readFromSource, &src))) << lastError();
    EXPECT_EQ(callTop(), 42);
}

TEST_F(SQCompileApiTest, WrittenClosureReadsBackAndRunsTheSame) {
    compile("function f(n, k = 3) { local s = 0; for (local i = 0; i < n; i++) s += i * k; return s }\n"
            "return f(5) + f(2, 10)\n");
    g_sink.clear();
    ASSERT_TRUE(SQ_SUCCEEDED(sq_writeclosure(v, writeToSink, nullptr))) << lastError();
    EXPECT_EQ(callTop(), 40);
    Source src{&g_sink, 0};
    ASSERT_TRUE(SQ_SUCCEEDED(sq_readclosure(v, readFromSource, &src))) << lastError();
    EXPECT_EQ(callTop(), 40);
}

TEST_F(SQCompileApiTest, WritingANonClosureFails) {
    sq_pushinteger(v, 5);
    EXPECT_TRUE(SQ_FAILED(sq_writeclosure(v, writeToSink, nullptr)));
    EXPECT_EQ(lastError(), "wrong argument type, expected 'function' got '5'");
}

TEST_F(SQCompileApiTest, ReadFailureLeavesTheStackAndSetsTheError) {
    std::vector<unsigned char> bytes(std::begin(kReferenceEx1), std::begin(kReferenceEx1) + 100);
    Source src{&bytes, 0};
    SQInteger top = sq_gettop(v);
    EXPECT_TRUE(SQ_FAILED(sq_readclosure(v, readFromSource, &src)));
    EXPECT_EQ(sq_gettop(v), top);
    EXPECT_EQ(lastError(), "io error, read function failure, the origin stream could be corrupted/trucated");
}

TEST_F(SQCompileApiTest, CompileErrorReachesHandlerWithPosition) {
    const char *src = "local a = 1\n#";
    SQInteger top = sq_gettop(v);
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, src, static_cast<SQInteger>(std::strlen(src)), "bad.nut", SQTrue)));
    EXPECT_EQ(sq_gettop(v), top);
    EXPECT_EQ(lastError(), "expression expected");
    EXPECT_EQ(g_lastCompileError.calls, 1);
    EXPECT_EQ(g_lastCompileError.desc, "expression expected");
    EXPECT_EQ(g_lastCompileError.source, "bad.nut");
    EXPECT_EQ(g_lastCompileError.line, 2);
    EXPECT_EQ(g_lastCompileError.column, 2);
}

TEST_F(SQCompileApiTest, CompileErrorWithoutRaiseSkipsHandler) {
    const char *src = "x = ";
    EXPECT_TRUE(SQ_FAILED(sq_compilebuffer(v, src, static_cast<SQInteger>(std::strlen(src)), "bad.nut", SQFalse)));
    EXPECT_EQ(g_lastCompileError.calls, 0);
    EXPECT_EQ(lastError(), "expression expected");
}

TEST_F(SQCompileApiTest, ConstantsAddedAtRunTimeAreSeenByLaterCompilations) {
    compile("getconsttable().LIMIT <- 7\nconst OTHER = 5\n");
    callTop();
    compile("return LIMIT * 10 + OTHER\n");
    EXPECT_EQ(callTop(), 75);
}

TEST_F(SQCompileApiTest, DebugInfoFlagEmitsLineInstructions) {
    compile("return 1\n");
    EXPECT_EQ(_closure(stack_get(v, -1))->Proto()->_instructions[0].op, _OP_LOADINT);
    sq_pop(v, 1);
    sq_enabledebuginfo(v, SQTrue);
    compile("return 1\n");
    EXPECT_EQ(_closure(stack_get(v, -1))->Proto()->_instructions[0].op, _OP_LINE);
    sq_pop(v, 1);
}

}  // namespace
