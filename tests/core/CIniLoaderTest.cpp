#include "core/CIniLoader.h"
#include "core/TextEncoding.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using Orvane::CIniLoader;

namespace
{

std::u16string wide(const std::string& utf8)
{
    std::u16string out;
    Orvane::utf8ToUtf16(utf8, out);
    return out;
}

struct IntCase
{
    const char* what;
    const char* text;
    int parseResult;
    const char* section;
    const char* key;
    int expected; // with default -7
};

struct StringCase
{
    const char* what;
    const char* text;
    int parseResult;
    const char* section;
    const char* key;
    const char* expected; // with default "dflt"
};

} // namespace

TEST(CIniLoader, IntegerValues)
{
    const std::vector<IntCase> cases = {
        {"plain", "[Init]\nSCREEN_WIDTH=1280\n", 0, "Init", "SCREEN_WIDTH", 1280},
        {"carriage returns and tabs dropped", "[Init]\r\nW=\t12\r\n", 0, "Init", "W", 12},
        {"trailing comment", "[Init]\nW=1280 # the width\n", 0, "Init", "W", 1280},
        {"leading space skipped by the number", "[Init]\nW= 640\n", 0, "Init", "W", 640},
        {"space in the key name is kept", "[Init]\nW =640\n", 0, "Init", "W", -7},
        {"space before the key is part of it", "[Init]\nW =640\n", 0, "Init", "W ", 640},
        {"negative", "[Init]\nX=-42abc\n", 0, "Init", "X", -42},
        {"unquoted text is integer 0", "[Init]\nSAVE_PATH=dev/Save\n", 0, "Init", "SAVE_PATH", 0},
        {"no final line feed loses the last line", "[Init]\nA=1\nB=2", 0, "Init", "B", -7},
        {"line before the last kept", "[Init]\nA=1\nB=2", 0, "Init", "A", 1},
        {"lines before any section store nothing", "A=1\n[Init]\n", 0, "Init", "A", -7},
        {"empty value stores nothing", "[Init]\nA=\n", 0, "Init", "A", -7},
        {"line without = stores nothing", "[Init]\nA\n", 0, "Init", "A", -7},
        {"missing section", "[Init]\nA=1\n", 0, "Other", "A", -7},
        {"keys are case sensitive", "[Init]\nA=1\n", 0, "Init", "a", -7},
        {"same key in two sections", "[One]\nA=1\n[Two]\nA=2\n", 0, "Two", "A", 2},
        {"duplicate key fails", "[Init]\nA=1\nA=2\n", -2, "Init", "A", 1},
        {"lines after a failure are not read", "[Init]\nA=1\nA=2\nB=3\n", -2, "Init", "B", -7},
        {"a quoted value is not an integer", "[Init]\nA=\"5\"\n", 0, "Init", "A", -7},
        {"overflow saturates", "[Init]\nA=99999999999\n", 0, "Init", "A", 2147483647},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CIniLoader loader;
        EXPECT_EQ(loader.parse(wide(c.text)), c.parseResult);
        EXPECT_EQ(loader.getInt(c.section, c.key, -7), c.expected);
    }
}

TEST(CIniLoader, StringValues)
{
    const std::vector<StringCase> cases = {
        {"quoted", "[Init]\nSAVE_PATH=\"dev/Save\"\n", 0, "Init", "SAVE_PATH", "dev/Save"},
        {"hash inside quotes kept", "[Init]\nA=\"a#b\"\n", 0, "Init", "A", "a#b"},
        {"empty quoted string", "[Init]\nA=\"\"\n", 0, "Init", "A", ""},
        {"unquoted gives the default", "[Init]\nA=dev/Save\n", 0, "Init", "A", "dflt"},
        {"lone quote fails", "[Init]\nA=\"\n", -2, "Init", "A", "dflt"},
        {"unclosed quote fails", "[Init]\nA=\"abc\n", -2, "Init", "A", "dflt"},
        {"utf-8 text", "[Font]\nF=\"IPAexゴシック\"\n", 0, "Font", "F", "IPAexゴシック"},
        {"tab inside quotes dropped", "[Init]\nA=\"a\tb\"\n", 0, "Init", "A", "ab"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CIniLoader loader;
        EXPECT_EQ(loader.parse(wide(c.text)), c.parseResult);
        EXPECT_EQ(loader.getString(c.section, c.key, "dflt"), c.expected);
    }
}

TEST(CIniLoader, FontKeysKeepFileOrder)
{
    CIniLoader loader;
    ASSERT_EQ(loader.parse(wide("[Font]\nzeta=\"z.ttf\"\nalpha=\"a.ttf\"\nmid=\"m.ttf\"\n")), 0);
    ASSERT_EQ(loader.getKeyCount(), 3);
    EXPECT_EQ(loader.getKeyAt(0), "zeta");
    EXPECT_EQ(loader.getKeyAt(1), "alpha");
    EXPECT_EQ(loader.getKeyAt(2), "mid");
    EXPECT_EQ(loader.getKeyAt(3), "");
    EXPECT_EQ(loader.getKeyAt(-1), "");
    CIniLoader empty;
    EXPECT_EQ(empty.getKeyCount(), 0);
    EXPECT_EQ(empty.getKeyAt(0), "");
}

TEST(CIniLoader, LoadReadsAFileInItsCodePage)
{
    const auto dir = std::filesystem::temp_directory_path() / ("orvane_ini_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    {
        std::ofstream(dir / "sjis.ini", std::ios::binary) << "[Init]\nNAME=\"\x82\xA0\x8A\xBF\"\nW=800\n";
        std::ofstream(dir / "utf8.ini", std::ios::binary) << "\xEF\xBB\xBF[Init]\nW=1024\n";
        std::ofstream(dir / "bad.ini", std::ios::binary) << "[Init]\n\x80=1\n";
    }
    CIniLoader sjis; // the engine's code page is 932 until the settings are read
    EXPECT_EQ(sjis.getCodePage(), 932u);
    EXPECT_EQ(sjis.load((dir / "sjis.ini").c_str()), 0);
    EXPECT_EQ(sjis.getString("Init", "NAME", ""), "あ漢");
    EXPECT_EQ(sjis.getInt("Init", "W", 0), 800);

    CIniLoader utf8;
    utf8.setCodePage(Orvane::CodePageUtf8);
    EXPECT_EQ(utf8.load((dir / "utf8.ini").c_str()), 0);
    EXPECT_EQ(utf8.getInt("Init", "W", 0), 1024);
    EXPECT_EQ(utf8.load((dir / "bad.ini").c_str()), -2);
    EXPECT_LT(utf8.load((dir / "missing.ini").c_str()), 0);
    std::filesystem::remove_all(dir);
}
