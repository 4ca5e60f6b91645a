// Runs the stdlib scripts through the C API the way the sq shell does (all standard libraries,
// the standard error handlers, a print function) and compares what they print.
#include <sqstdaux.h>
#include <sqstdblob.h>
#include <sqstdio.h>
#include <sqstdmath.h>
#include <sqstdstring.h>
#include <sqstdsystem.h>
#include <squirrel.h>

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string g_printed;

void capturePrint(HSQUIRRELVM, const SQChar *fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n > 0) {
        std::string buf(static_cast<std::size_t>(n) + 1, '\0');
        std::vsnprintf(buf.data(), buf.size(), fmt, args);
        g_printed.append(buf.data(), static_cast<std::size_t>(n));
    }
    va_end(args);
}

std::string readFile(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class StdlibScript : public testing::TestWithParam<const char *> {};

TEST_P(StdlibScript, PrintsTheExpectedOutput)
{
    const std::filesystem::path dir = SQSTDLIB_SCRIPT_DIR;
    const std::string name = GetParam();
    std::filesystem::current_path(dir);
    g_printed.clear();

    HSQUIRRELVM v = sq_open(1024);
    ASSERT_NE(v, nullptr);
    sq_setprintfunc(v, capturePrint);
    sq_pushroottable(v);
    sqstd_register_bloblib(v);
    sqstd_register_iolib(v);
    sqstd_register_systemlib(v);
    sqstd_register_mathlib(v);
    sqstd_register_stringlib(v);
    sqstd_seterrorhandlers(v);
    EXPECT_EQ(sq_gettop(v), 1) << "registration must leave the stack as it was";
    if (SQ_FAILED(sqstd_dofile(v, (name + ".nut").c_str(), SQFalse, SQTrue))) {
        // As the sq shell reports an error that ended the script.
        sq_getlasterror(v);
        const SQChar *err = nullptr;
        if (SQ_SUCCEEDED(sq_getstring(v, -1, &err)))
            g_printed += std::string("Error [") + err + "]\n";
    }
    sq_close(v);

    EXPECT_EQ(g_printed, readFile(dir / (name + ".expected")));
}

INSTANTIATE_TEST_SUITE_P(Scripts, StdlibScript,
                         testing::Values("format", "regexp", "blob", "strings", "arrays", "math", "errorreport", "base", "system"));

} // namespace
