// What a game's author sees when a script goes wrong or a file cannot be used: the built program over
// small game folders, headless, its terminal output and the save folder's "error.log" read back.
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using OrvaneTest::GameFolder;
using OrvaneTest::runProgram;

namespace
{

const std::string Settings = "[Init]\nSCREEN_WIDTH=320\nSCREEN_HEIGHT=240\nWINDOW_NAME=\"Test\"\n";
const char* const ErrorBox = "[アプリケーションエラー] エラーが発生しました";

std::string readText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

size_t countOf(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

// Each mistake a new author makes: the terminal gets the report with the file and line, "error.log" in
// the save folder holds the same report, and the box is still shown.
TEST(ErrorReportProgram, EveryScriptMistakeIsReportedWithItsFileAndLine)
{
    const struct
    {
        const char* what;
        GameFolder::Files scripts;
        std::string expected[3]; // parts of the report, in order
    } cases[] = {
        {"misspelt method",
         {{"media/script/main.nut", "local s = SQSprite(\"s\");\ns.creat(\"image/a.png\", -1, 0, 0, 0);\n"}},
         {"creat", "media/script/main.nut", "2行目"}},
        {"an integer where a float is expected",
         {{"media/script/main.nut", "local s = SQSprite(\"s\");\n\ns.move(1, 2.0, 0, 0);\n"}},
         {"Incorrect function argument", "media/script/main.nut", "3行目"}},
        {"wrong argument count",
         {{"media/script/main.nut", "function f(a) { return a; }\nprint(\"\");\nf(1, 2, 3);\n"}},
         {"wrong number of parameters", "media/script/main.nut", "3行目"}},
        {"syntax error",
         {{"media/script/main.nut", "local a = 1;\nlocal b = ;\n"}},
         {"スクリプトのコンパイルに失敗しました", "media/script/main.nut 2行、", "文字目 : error"}},
        {"null access",
         {{"media/script/main.nut", "local t = null;\nprint(\"\");\nprint(t.size);\n"}},
         {"エラーの詳細：", "media/script/main.nut", "3行目"}},
        {"undefined function",
         {{"media/script/main.nut", "print(\"\");\nUndefinedFunction();\n"}},
         {"UndefinedFunction", "media/script/main.nut", "2行目"}},
        {"an error in an imported file",
         {{"media/script/main.nut", "Import(\"lib.nut\");\n"}, {"media/script/lib.nut", "\n\nMissing();\n"}},
         {"Missing", "media/script/lib.nut", "3行目"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        GameFolder game;
        game.pack("system.wpk", {{"setting.ini", Settings + "[App]\nSAVE_PATH=\"save\"\n"}});
        game.pack("script.wpk", c.scripts);
        OrvaneTest::TempDirectory runtime;
        const auto result = runProgram(game.path(), runtime.path().string(), 60);
        EXPECT_EQ(result.exitCode, 0);
        const auto logPath = game.directory().path() / "save" / "error.log";
        EXPECT_NE(result.output.find("script error (also written to " + logPath.string() + ")"), std::string::npos)
            << result.output;
        const std::string log = readText(logPath);
        size_t at = 0;
        for (const std::string& part : c.expected)
        {
            at = log.find(part, at);
            ASSERT_NE(at, std::string::npos) << part << "\n" << log;
        }
        // The terminal shows the same report, once, before the box.
        const size_t report = result.output.find(log);
        EXPECT_NE(report, std::string::npos) << result.output;
        EXPECT_EQ(countOf(result.output, log), 1u);
        EXPECT_GT(result.output.find(ErrorBox), report) << result.output;
        // Nothing of the engine's temporary file is left beside the log.
        size_t files = 0;
        for (const auto& entry : std::filesystem::directory_iterator(logPath.parent_path()))
            files += entry.is_regular_file();
        EXPECT_EQ(files, 2u); // error.log and system.dat
    }
}

// Files that cannot be used answer as before (-1, or skipped by Import), and the terminal says once per
// name what failed and why.
TEST(ErrorReportProgram, FilesThatCannotBeUsedAreToldOncePerNameWithTheReason)
{
    GameFolder game;
    game.pack("system.wpk", {{"setting.ini", Settings}});
    game.pack("cg.wpk", {{"image/broken.png", "this is no picture"}});
    game.pack("sound.wpk", {{"sound/broken.ogg", std::string(400, 'x')}});
    game.pack("script.wpk",
              {{"media/script/main.nut",
                "local s = SQSprite(\"s\");\n"
                "local results = [];\n"
                "for (local i = 0; i < 3; ++i) {\n"
                "  results.append(s.create(\"image/missing.png\", -1, 0, 0, 0));\n"
                "  results.append(s.create(\"image/broken.png\", -1, 0, 0, 0));\n"
                "}\n"
                "local m = SQSound(\"m\");\n"
                "results.append(m.create(\"sound/missing.ogg\"));\n"
                "results.append(m.load(\"sound/broken.ogg\"));\n"
                "results.append(SQApp(\"app\").loadFont(\"bitmap\", \"media/font/missing\"));\n"
                "results.append(Import(\"nothere.nut\"));\n"
                "local line = \"\";\n"
                "foreach (r in results) line += r + \" \";\n"
                "print(\"results \" + line + \"\\n\");\n"
                "while (true) Suspend();\n"}});
    OrvaneTest::TempDirectory runtime;
    const auto result = runProgram(game.path(), runtime.path().string(), 60, {"ORVANE_FRAME_LIMIT=3"});
    EXPECT_NE(result.output.find("results -1 -1 -1 -1 -1 -1 -1 -1 0 -1 \n"), std::string::npos) << result.output;
    const std::string archives = "not in system.wpk, sound.wpk, cg.wpk, script.wpk (the mounted archives, newest first)";
    const std::string folder = std::filesystem::canonical(game.directory().path()).string();
    const struct
    {
        const char* name;
        std::string reason;
    } lines[] = {
        {"image/missing.png", archives + ", and no file " + folder + "/image/missing.png"},
        {"image/broken.png", "not a picture that can be decoded (not a PNG or JPEG file)"},
        {"sound/missing.ogg", archives + ", and no file " + folder + "/sound/missing.ogg"},
        {"sound/broken.ogg", "not a sound that can be decoded ("},
        // A bitmap font is the glyph table NAME.bin in the folder given.
        {"media/font/missing/bitmap.bin", archives + ", and no file " + folder + "/media/font/missing/bitmap.bin"},
        {"media/script/nothere.nut", archives + ", and no file " + folder + "/media/script/nothere.nut"},
    };
    for (const auto& line : lines)
    {
        const std::string said = std::string("orvane: cannot load \"") + line.name + "\": ";
        EXPECT_EQ(countOf(result.output, said), 1u) << line.name << "\n" << result.output;
        EXPECT_NE(result.output.find(said + line.reason), std::string::npos) << line.name << "\n" << result.output;
    }
}

// Without its main script the program says where it looked, then ends through the box as before.
TEST(ErrorReportProgram, AMissingMainScriptNamesWhereItWasLookedFor)
{
    GameFolder game;
    game.pack("system.wpk", {{"setting.ini", Settings}});
    game.pack("script.wpk", {{"media/script/title.nut", ""}});
    OrvaneTest::TempDirectory runtime;
    const auto result = runProgram(game.path(), runtime.path().string(), 60);
    EXPECT_EQ(result.exitCode, 0);
    const size_t said = result.output.find("orvane: cannot load \"media/script/main.nut\": not in system.wpk, script.wpk");
    EXPECT_NE(said, std::string::npos) << result.output;
    EXPECT_GT(result.output.find(ErrorBox), said) << result.output;
    EXPECT_FALSE(std::filesystem::exists(game.directory().path() / "dev/Save/error.log"));
}
