// The script-global functions: exact argument types, Suspend's refusals, screen size, path roots,
// file operations, text counting, value identity and the NG-code sets.

#include "ScriptHostFixture.h"

#include "core/CAppSystemState.h"
#include "core/NGCodeSets.h"
#include "core/StartupState.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace Orvane;
using namespace OrvaneTest;

namespace
{

class ScriptGlobals : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        savedRoot = getSavePathRoot();
        startHost();
    }
    void TearDown() override
    {
        setSavePathRoot(savedRoot);
        ScriptHostFixture::TearDown();
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(dir.path() / name); }

    std::string savedRoot;
};

TEST_F(ScriptGlobals, RandomNumbersTakeExactlyTheirOwnNumberType)
{
    EXPECT_EQ(eval("RandomI(1.5, 3)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("RandomF(1, 2)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("RandomI(3, 3)"), "3");
    EXPECT_EQ(eval("typeof RandomF(1.0, 2.0)"), "float");
    for (int i = 0; i < 50; ++i)
    {
        const std::string drawn = eval("RandomI(-2, 2)");
        EXPECT_TRUE(drawn == "-2" || drawn == "-1" || drawn == "0" || drawn == "1" || drawn == "2") << drawn;
        const float value = std::stof(eval("RandomF(1.0, 2.0)"));
        EXPECT_GE(value, 1.0f);
        EXPECT_LE(value, 2.0f);
    }
}

TEST_F(ScriptGlobals, SuspendRefusesFromInsideAFurtherNativeCall)
{
    EXPECT_EQ(runSnippet("local a = [2, 1]; a.sort(function(x, y) { Suspend(); return 0 })"),
              "cannot suspend through native calls/metamethods");
}

TEST_F(ScriptGlobals, ScreenSizeIsTheApplicationsLogicalScreen)
{
    app->screenWidth = 1280;
    app->screenHeight = 720;
    EXPECT_EQ(eval("GetScreenWidth() + \"x\" + GetScreenHeight()"), "1280x720");
}

TEST_F(ScriptGlobals, PathRoots)
{
    EXPECT_EQ(runSnippet("SetSavePathRoot(\"saves\")"), "");
    EXPECT_EQ(eval("GetSavePathRoot()"), "saves/");
    EXPECT_EQ(getSavePathRoot(), "saves/");
    EXPECT_EQ(runSnippet("SetSavePathRoot(\"other/\")"), "");
    EXPECT_EQ(eval("GetSavePathRoot()"), "other/");
    EXPECT_EQ(eval("\"[\" + GetTempPathRoot() + \"]\""), "[]");
}

TEST_F(ScriptGlobals, FileOperationsGoThroughTheApplicationFileSystem)
{
    writeFile("a.txt", "alpha");
    writeFile("b.txt", "beta");
    // The option refuses an existing destination when nonzero.
    EXPECT_EQ(eval("FileCopy(\"a.txt\", \"b.txt\", 1)"), "0");
    EXPECT_EQ(dir.read("b.txt"), (std::vector<uint8_t>{'b', 'e', 't', 'a'}));
    EXPECT_EQ(eval("FileCopy(\"a.txt\", \"b.txt\", 0)"), "1");
    EXPECT_EQ(dir.read("b.txt"), (std::vector<uint8_t>{'a', 'l', 'p', 'h', 'a'}));
    EXPECT_EQ(eval("FileCopy(\"missing.txt\", \"c.txt\", 0)"), "0");
    EXPECT_EQ(eval("FileCopy(\"a.txt\", 1, 0)"), "error: Incorrect function argument");

    EXPECT_EQ(eval("FileMove(\"a.txt\", \"b.txt\")"), "0"); // an existing destination stays
    EXPECT_EQ(eval("FileMove(\"a.txt\", \"c.txt\")"), "1");
    EXPECT_FALSE(exists("a.txt"));
    EXPECT_EQ(dir.read("c.txt"), (std::vector<uint8_t>{'a', 'l', 'p', 'h', 'a'}));

    EXPECT_EQ(eval("FileDelete(\"c.txt\")"), "1");
    EXPECT_FALSE(exists("c.txt"));
    EXPECT_EQ(eval("FileDelete(\"c.txt\")"), "0");
}

TEST_F(ScriptGlobals, SystemCallLeavesFullScreenFirstAndAlwaysAnswersMinusOne)
{
    ASSERT_NE(app->systemState, nullptr);
    app->systemState->fullScreen = 1;
    core->fullScreen = 0;
    // An empty command starts nothing.
    EXPECT_EQ(eval("SystemCall(\"\")"), "-1");
    EXPECT_EQ(app->systemState->fullScreen, 1u); // the display is not full screen
    core->fullScreen = 1;
    EXPECT_EQ(eval("SystemCall(\"\")"), "-1");
    EXPECT_EQ(app->systemState->fullScreen, 0u);
}

TEST_F(ScriptGlobals, MessageTextIsCountedWithoutBreaksTabsOrMarkup)
{
    struct Case
    {
        const char* markup;
        const char* counts;
        const char* units;
    };
    const Case cases[] = {
        {"ab", "2 0", "97,98|"},
        {"a\tb\r\nc", "3 0", "97,98,99|"},
        {"#{かな}漢字#x", "3 2", "28450,23383,120|12363,12394"},
        {"<RUBY TEXT='a\tb'>z</RUBY>", "1 2", "122|97,98"},
    };
    const std::string join = "local t = ConvertToUTF16(M); local s = \"\";"
                             "foreach (i, v in t.text) s += (i ? \",\" : \"\") + v; s += \"|\";"
                             "foreach (i, v in t.ruby) s += (i ? \",\" : \"\") + v; print(s)";
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.markup);
        const std::string literal = "@\"" + std::string(c.markup) + "\"";
        EXPECT_EQ(eval("CountTextLength(" + literal + ").text + \" \" + CountTextLength(" + literal + ").ruby"),
                  c.counts);
        output.clear();
        EXPECT_EQ(runSnippet("local M = " + literal + ";" + join), "");
        EXPECT_EQ(output, c.units);
    }
    EXPECT_EQ(eval("CountTextLength(\"a#{x}y\") == null"), "true");
    EXPECT_EQ(eval("ConvertToUTF16(\"a#{x}y\") == null"), "true");
}

TEST_F(ScriptGlobals, CompareSqObjectComparesTypeAndValue)
{
    struct Case
    {
        const char* a;
        const char* b;
        const char* same;
    };
    const Case cases[] = {
        {"T", "T", "1"},
        {"T", "{}", "0"},
        {"1", "1", "1"},
        {"1", "1.0", "0"},
        {"0", "null", "0"},
        {"null", "0", "0"},
        {"null", "null", "1"},
        {"1.5", "1.5", "1"},
        {"N", "N", "0"},
        {"\"ab\"", "\"a\" + \"b\"", "1"},
        {"true", "1", "0"},
        {"V", "V", "1"},
        {"V", "Vector2D()", "0"},
    };
    ASSERT_EQ(runSnippet("::T <- {}"), "");
    ASSERT_EQ(runSnippet("local z = 0.0; ::N <- z / z"), "");
    ASSERT_EQ(runSnippet("::V <- Vector2D()"), "");
    for (const Case& c : cases)
        EXPECT_EQ(eval(std::string("CompareSqObject(") + c.a + ", " + c.b + ")"), c.same) << c.a << " vs " << c.b;
}

TEST_F(ScriptGlobals, NGCodesAreAddedOnceAndResetAppendsTheDefaultsAgain)
{
    resetNGCodes();
    const size_t head = getNGCodes(NGCodeSet::HeadOfLine).size();
    const size_t end = getNGCodes(NGCodeSet::EndOfLine).size();

    EXPECT_EQ(runSnippet("AddNGCode_HeadOfLine(\"、、\"); AddNGCode_EndOfLine(null); AddNGCode_EndOfLine(5)"), "");
    EXPECT_EQ(getNGCodes(NGCodeSet::HeadOfLine).size(), head);
    EXPECT_EQ(getNGCodes(NGCodeSet::EndOfLine).size(), end);

    EXPECT_FALSE(isNGCode(NGCodeSet::EndOfLine, u'ぁ'));
    EXPECT_EQ(runSnippet("AddNGCode_EndOfLine(\"ぁぁ\"); AddNGCode_EndOfLine(\"ぁ\")"), "");
    EXPECT_TRUE(isNGCode(NGCodeSet::EndOfLine, u'ぁ'));
    EXPECT_EQ(getNGCodes(NGCodeSet::EndOfLine).size(), end + 1);
    EXPECT_FALSE(isNGCode(NGCodeSet::HeadOfLine, u'ぁ'));

    EXPECT_EQ(runSnippet("ResetNGCode()"), "");
    EXPECT_EQ(getNGCodes(NGCodeSet::HeadOfLine).size(), head + 17);
    EXPECT_EQ(getNGCodes(NGCodeSet::EndOfLine).size(), end + 1 + 11);
    for (char16_t unit : std::u16string(u"、。，．？！゜｀）〕］｝〉》」』】"))
        EXPECT_TRUE(isNGCode(NGCodeSet::HeadOfLine, unit));
    for (char16_t unit : std::u16string(u"‘“（〔［｛〈《「『【"))
        EXPECT_TRUE(isNGCode(NGCodeSet::EndOfLine, unit));
    EXPECT_TRUE(isNGCode(NGCodeSet::EndOfLine, u'ぁ')); // added characters stay
}

TEST_F(ScriptGlobals, EveryExistingScriptClassIsRegistered)
{
    for (const char* name : {"Vector2D", "Vector3D", "ColorF", "Rect2DF", "SQSound", "SQSound3D", "SQSoundDevice", "SQProcess", "SQFile", "SQDes"})
        EXPECT_EQ(eval(std::string("typeof ") + name), "class") << name;
}

} // namespace
