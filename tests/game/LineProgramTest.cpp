// Lines drawn by the whole program: the built `orvane` over packed archives, headless, on the fixed 1/60 s
// clock, with a frame captured through its test mode.
#include "ProgramFrames.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace
{

const std::string Settings = "[Init]\nSCREEN_WIDTH=320\nSCREEN_HEIGHT=240\nWINDOW_NAME=\"Test\"\n";

bool white(const Kavro::DecodedImage& image, int x, int y)
{
    return OrvaneTest::PixelAt(image, x, y) == 0xFFFFFFFFu;
}

} // namespace

TEST(LineProgram, ABandWithRoundedEndsAndAnEndThatFollowsASprite)
{
    OrvaneTest::GameFolder game;
    game.pack("system.wpk", {{"setting.ini", Settings}});
    // A thickness-2 line, and a thin one from (40, 40) to (10, 10) of a square that moves to (200, 160).
    game.pack("script.wpk", {{"media/script/main.nut", "::l <- SQLine(\"l\");\n"
                                                       "::l.create(2);\n"
                                                       "::l.move(0, 100.0, 100.0, 0, 0);\n"
                                                       "::l.move(1, 300.0, 100.0, 0, 0);\n"
                                                       "::box <- SQSprite(\"box\");\n"
                                                       "::box.createColor(20, 20, 0.0, 0.0, 1.0);\n"
                                                       "::box.move(40.0, 160.0, 0, 0);\n"
                                                       "::thin <- SQLine(\"thin\");\n"
                                                       "::thin.create(1);\n"
                                                       "::thin.setPriority(1);\n"
                                                       "::thin.move(0, 40.0, 40.0, 0, 0);\n"
                                                       "::thin.move(1, 10.0, 10.0, 0, 0);\n"
                                                       "::thin.link(1, \"box\");\n"
                                                       "Suspend();\n"
                                                       "::box.move(200.0, 160.0, 0, 0);\n"
                                                       "while (true) Suspend();\n"}});
    OrvaneTest::TempDirectory runtime, scratch;
    const std::string frame = scratch.file("frame3.png");
    const auto result = OrvaneTest::runProgram(game.path(), runtime.path().string(), 60,
                                               {"KAVRO_FIXED_CLOCK=1", "ORVANE_CAPTURE_FRAMES=3:" + frame,
                                                "ORVANE_FRAME_LIMIT=3"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    ASSERT_TRUE(std::filesystem::exists(frame)) << result.output;
    if (const char* keep = std::getenv("ORVANE_LINE_PNG_DIR"))
        std::filesystem::copy_file(frame, std::filesystem::path(keep) / "program_frame3.png",
                                   std::filesystem::copy_options::overwrite_existing);

    const Kavro::DecodedImage image = OrvaneTest::ReadFrame(frame);
    ASSERT_EQ(image.width, 320);
    for (int x : {100, 200, 301})
    {
        EXPECT_TRUE(white(image, x, 99)) << x;
        EXPECT_TRUE(white(image, x, 100)) << x;
        EXPECT_FALSE(white(image, x, 98)) << x;
        EXPECT_FALSE(white(image, x, 101)) << x;
    }
    // The thin line ends at (210, 170), in the moved square: it crosses row 165 near x = 203.
    bool crossed = false;
    for (int x = 201; x <= 205; ++x)
        crossed = crossed || white(image, x, 165);
    EXPECT_TRUE(crossed);
    EXPECT_EQ(OrvaneTest::PixelAt(image, 215, 175), 0xFF0000FFu);
}
