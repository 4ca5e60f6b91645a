#include "ProgramRun.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using OrvaneTest::GameFolder;
using OrvaneTest::runProgram;

namespace
{

const char* const SettingsBoxText = "システム情報の読み込みに失敗しました";

const std::string MinimalSettings = "[Init]\nSCREEN_WIDTH=320\nSCREEN_HEIGHT=240\nWINDOW_NAME=\"Test\"\n";

} // namespace

TEST(Program, MissingSystemArchiveShowsTheSettingsBoxAndEndsWithZero)
{
    GameFolder game;
    OrvaneTest::TempDirectory runtime;
    const auto result = runProgram(game.path(), runtime.path().string(), 20);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.output.find(SettingsBoxText), std::string::npos) << result.output;
}

TEST(Program, GarbledSystemArchiveShowsTheSettingsBox)
{
    GameFolder game;
    game.directory().write("system.wpk", OrvaneTest::NoiseBytes(3000, 7));
    OrvaneTest::TempDirectory runtime;
    const auto result = runProgram(game.path(), runtime.path().string(), 20);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.output.find(SettingsBoxText), std::string::npos) << result.output;
}

TEST(Program, SecondInstanceEndsAtOnceWithMinusOne)
{
    GameFolder game;
    game.pack("system.wpk", {{"setting.ini", MinimalSettings}});
    game.pack("script.wpk", {{"media/script/main.nut", "while (true) ::suspend();\n"}});
    OrvaneTest::TempDirectory runtime;
    // The first copy runs until it is killed; the second must not wait for it.
    std::thread first([&] { runProgram(game.path(), runtime.path().string(), 6); });
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    const auto start = std::chrono::steady_clock::now();
    const auto second = runProgram(game.path(), runtime.path().string(), 20);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    first.join();
    EXPECT_EQ(second.exitCode, -1);
    EXPECT_EQ(second.output, "");
    EXPECT_LT(elapsed, std::chrono::seconds(4));
}
