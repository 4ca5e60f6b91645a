// The standard libraries through the host API: registration, blob/format/regexp entry points,
// file streams, script loading (encodings, bytecode) and the error printers.
#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdio.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>
#include <squirrel.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

std::string g_out;

void capture(HSQUIRRELVM, const SQChar *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    char buf[4096];
    int n = std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    if (n > 0)
        g_out.append(buf, static_cast<std::size_t>(std::min<int>(n, sizeof buf - 1)));
}

class StdlibApi : public testing::Test {
protected:
    void SetUp() override
    {
        g_out.clear();
        v_ = sq_open(1024);
        sq_setprintfunc(v_, capture);
        sq_pushroottable(v_);
        sqstd_register_bloblib(v_);
        sqstd_register_iolib(v_);
        sqstd_register_systemlib(v_);
        sqstd_register_mathlib(v_);
        sqstd_register_stringlib(v_);
        sqstd_seterrorhandlers(v_);
        sq_pop(v_, 1);
        dir_ = std::filesystem::temp_directory_path() /
               ("sqstdlib_" + std::to_string(::getpid()) + "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        setGlobal("DIR", dir_.string());
    }

    void TearDown() override
    {
        sq_close(v_);
        std::filesystem::remove_all(dir_);
    }

    void setGlobal(const char *name, const std::string &value)
    {
        sq_pushroottable(v_);
        sq_pushstring(v_, name, -1);
        sq_pushstring(v_, value.c_str(), static_cast<SQInteger>(value.size()));
        sq_newslot(v_, -3, SQFalse);
        sq_pop(v_, 1);
    }

    std::string lastError()
    {
        sq_getlasterror(v_);
        const SQChar *s = nullptr;
        std::string r = SQ_SUCCEEDED(sq_getstring(v_, -1, &s)) ? s : "(not a string)";
        sq_pop(v_, 1);
        return r;
    }

    // Runs `src` with the root table as `this`; returns its result as text or "error: ...".
    std::string run(const std::string &src)
    {
        SQInteger top = sq_gettop(v_);
        if (SQ_FAILED(sq_compilebuffer(v_, src.c_str(), static_cast<SQInteger>(src.size()), "test", SQFalse)))
            return "compile error: " + lastError();
        sq_pushroottable(v_);
        std::string result;
        if (SQ_FAILED(sq_call(v_, 1, SQTrue, SQFalse))) {
            result = "error: " + lastError();
        } else if (sq_gettype(v_, -1) == OT_NULL) {
            result = "null";
        } else {
            sq_tostring(v_, -1);
            const SQChar *s = nullptr;
            sq_getstring(v_, -1, &s);
            result = s ? s : "";
        }
        sq_settop(v_, top);
        return result;
    }

    void writeFile(const std::string &name, const std::string &bytes)
    {
        std::ofstream out(dir_ / name, std::ios::binary);
        out << bytes;
    }

    std::string path(const std::string &name) const { return (dir_ / name).string(); }

    HSQUIRRELVM v_ = nullptr;
    std::filesystem::path dir_;
};

TEST_F(StdlibApi, RegistrationNeedsATableOnTop)
{
    using Register = SQRESULT (*)(HSQUIRRELVM);
    for (Register reg : {Register(sqstd_register_bloblib), Register(sqstd_register_iolib)}) {
        sq_pushinteger(v_, 1);
        EXPECT_TRUE(SQ_FAILED(reg(v_)));
        EXPECT_EQ(lastError(), "table expected");
        EXPECT_EQ(sq_gettop(v_), 1);
        sq_pop(v_, 1);
    }
}

TEST_F(StdlibApi, RegistrationLeavesTheStackAsItWas)
{
    sq_newtable(v_);
    sqstd_register_bloblib(v_);
    sqstd_register_iolib(v_);
    sqstd_register_systemlib(v_);
    sqstd_register_mathlib(v_);
    sqstd_register_stringlib(v_);
    EXPECT_EQ(sq_gettop(v_), 1);
    EXPECT_EQ(sq_gettype(v_, -1), OT_TABLE);
}

TEST_F(StdlibApi, StreamBaseClassIsSharedAndInTheRootTable)
{
    EXPECT_EQ(run("return typeof stream"), "class");
    EXPECT_EQ(run("return (blob() instanceof stream) + \" \" + (stdout instanceof stream)"), "true true");
    EXPECT_EQ(run("return blob.parent == file.parent"), "true");
}

TEST_F(StdlibApi, BlobCanBeCreatedOnAnEmptyStack)
{
    ASSERT_EQ(sq_gettop(v_), 0);
    ASSERT_NE(sqstd_createblob(v_, 2), nullptr);
    EXPECT_EQ(sq_gettop(v_), 1);
    EXPECT_EQ(sqstd_getblobsize(v_, -1), 2);
}

TEST_F(StdlibApi, CreatedBlobIsReadableThroughTheApi)
{
    sq_pushroottable(v_);
    auto *data = static_cast<unsigned char *>(sqstd_createblob(v_, 4));
    ASSERT_NE(data, nullptr);
    std::memcpy(data, "\x01\x02\x03\x04", 4);
    EXPECT_EQ(sqstd_getblobsize(v_, -1), 4);
    SQUserPointer p = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_getblob(v_, -1, &p)));
    EXPECT_EQ(p, data);
    sq_pushstring(v_, "b", -1);
    sq_push(v_, -2);
    sq_newslot(v_, -4, SQFalse);
    EXPECT_EQ(run("return b[3] + b.len()"), "8");

    sq_pushinteger(v_, 5);
    EXPECT_TRUE(SQ_FAILED(sqstd_getblob(v_, -1, &p)));
    EXPECT_EQ(sqstd_getblobsize(v_, -1), -1);
}

TEST_F(StdlibApi, FormatUsesTheValuesAfterTheFormatString)
{
    sq_pushstring(v_, "%d-%s-%.1f", -1);
    sq_pushinteger(v_, 5);
    sq_pushstring(v_, "x", -1);
    sq_pushfloat(v_, 2.25f);
    SQInteger len = 0;
    SQChar *out = nullptr;
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_format(v_, sq_gettop(v_) - 3, &len, &out)));
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(len)), "5-x-2.2");
    ASSERT_TRUE(SQ_SUCCEEDED(sqstd_format(v_, -4, &len, &out)));
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(len)), "5-x-2.2");
    sq_pushstring(v_, "%s", -1);
    EXPECT_TRUE(SQ_FAILED(sqstd_format(v_, sq_gettop(v_), &len, &out)));
    EXPECT_EQ(lastError(), "not enough paramters for the given format string");
}

TEST_F(StdlibApi, RegexpCApiReportsMatchesAndErrors)
{
    const SQChar *error = nullptr;
    EXPECT_EQ(sqstd_rex_compile("a{2", &error), nullptr);
    EXPECT_STREQ(error, ", or } expected");

    SQRex *rex = sqstd_rex_compile("(\\d+)-(\\d+)", &error);
    ASSERT_NE(rex, nullptr);
    EXPECT_EQ(sqstd_rex_getsubexpcount(rex), 3);
    const char text[] = "ab 12-345 x";
    const SQChar *b = nullptr, *e = nullptr;
    ASSERT_TRUE(sqstd_rex_search(rex, text, &b, &e));
    EXPECT_EQ(std::string(b, e), "12-345");
    SQRexMatch m;
    ASSERT_TRUE(sqstd_rex_getsubexp(rex, 2, &m));
    EXPECT_EQ(std::string(m.begin, static_cast<std::size_t>(m.len)), "345");
    EXPECT_FALSE(sqstd_rex_getsubexp(rex, 3, &m));
    // A range that ends before the text does: the match may not run past it.
    ASSERT_TRUE(sqstd_rex_searchrange(rex, text, text + 7, &b, &e));
    EXPECT_EQ(std::string(b, e), "12-3");
    EXPECT_FALSE(sqstd_rex_match(rex, text));
    EXPECT_TRUE(sqstd_rex_match(rex, "1-2"));
    sqstd_rex_free(rex);
}

TEST_F(StdlibApi, FilesWriteAndReadBack)
{
    setGlobal("P", path("data.bin"));
    EXPECT_EQ(run("local f = file(P, \"wb\"); f.writen(258, 'w'); f.writen(1.5, 'f'); "
                  "return f.flush() + \" \" + f.tell() + \" \" + typeof f"),
              "1 6 file");
    EXPECT_EQ(run("local f = file(P, \"rb\"); local s = f.len() + \" \" + f.readn('w') + \" \" + f.readn('f'); "
                  "return s + \" \" + f.eos()"),
              "6 258 1.5 1");
    EXPECT_EQ(run("local f = file(P, \"rb\"); local b = f.readblob(100); return b.len() + \" \" + b[1]"), "6 1");
    EXPECT_EQ(run("return file(DIR + \"/missing/x\", \"rb\")"), "error: cannot open file");
    EXPECT_EQ(run("return file(1, 2)"), "error: wrong parameter");
}

TEST_F(StdlibApi, LoadsSourceWithAndWithoutByteOrderMark)
{
    writeFile("plain.nut", "return 6 * 7");
    writeFile("bom.nut", "\xEF\xBB\xBFreturn \"\xC3\xA9\".len() + \" \" + \"\xC3\xA9\"[0]");
    writeFile("badbom.nut", "\xEF\xBB\x00return 1");
    writeFile("broken.nut", "return )");
    setGlobal("D", dir_.string() + "/");
    EXPECT_EQ(run("return dofile(D + \"plain.nut\")"), "42");
    EXPECT_EQ(run("return typeof loadfile(D + \"plain.nut\")"), "function");
    EXPECT_EQ(run("return dofile(D + \"bom.nut\")"), "1 -23");
    EXPECT_EQ(run("return dofile(D + \"badbom.nut\")"), "error: Unrecognozed ecoding");
    EXPECT_EQ(run("return dofile(D + \"none.nut\")"), "error: cannot open the file");
    g_out.clear();
    EXPECT_EQ(run("return loadfile(D + \"broken.nut\")"), "error: expression expected");
    EXPECT_EQ(g_out, "");
    EXPECT_EQ(run("return loadfile(D + \"broken.nut\", true)"), "error: expression expected");
    EXPECT_NE(g_out.find(path("broken.nut") + " line = (1) column = ("), std::string::npos) << g_out;
    EXPECT_NE(g_out.find(") : error expression expected\n"), std::string::npos) << g_out;
}

TEST_F(StdlibApi, DofileRunsWithTheCallersThis)
{
    writeFile("this.nut", "return marker");
    setGlobal("D", dir_.string() + "/");
    EXPECT_EQ(run("return dofile.call({marker = \"mine\"}, D + \"this.nut\")"), "mine");
}

TEST_F(StdlibApi, BytecodeWrittenToAFileLoadsAgain)
{
    setGlobal("D", dir_.string() + "/");
    EXPECT_EQ(run("writeclosuretofile(D + \"f.cnut\", compilestring(\"return 3 + 4\")); "
                  "return dofile(D + \"f.cnut\")"),
              "7");
    std::ifstream in(dir_ / "f.cnut", std::ios::binary);
    unsigned char tag[2] = {0, 0};
    in.read(reinterpret_cast<char *>(tag), 2);
    EXPECT_EQ(tag[0], 0xFA);
    EXPECT_EQ(tag[1], 0xFA);
}

TEST_F(StdlibApi, ErrorReportNeedsAPrintFunction)
{
    sq_setprintfunc(v_, nullptr);
    EXPECT_EQ(run("local f = function() { throw \"x\" }\nf.call(this)"), "error: x");
    sq_setprintfunc(v_, capture);
    EXPECT_EQ(g_out, "");
}

TEST_F(StdlibApi, CallStackAloneStartsAtLevelOne)
{
    sq_pushroottable(v_);
    sq_pushstring(v_, "printstack", -1);
    sq_newclosure(v_, [](HSQUIRRELVM v) -> SQInteger {
        sqstd_printcallstack(v);
        return 0;
    }, 0);
    sq_newslot(v_, -3, SQFalse);
    sq_pop(v_, 1);
    EXPECT_EQ(run("function probe(a) {\n  local b = a + 1\n  printstack()\n}\nprobe(1)"), "null");
    EXPECT_EQ(g_out, "\nCALLSTACK\n"
                     "*FUNCTION [probe()] test line [3]\n"
                     "*FUNCTION [main()] test line [5]\n"
                     "\nLOCALS\n"
                     "[b] 2\n"
                     "[a] 1\n"
                     "[this] TABLE\n"
                     "[this] TABLE\n");
}

} // namespace
