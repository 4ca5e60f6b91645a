// Sprites drawn by the whole program: the built `orvane` over packed archives, headless, on the fixed
// 1/60 s clock, with frames read back by the render device.
#include "ProgramFrames.h"
#include "ProgramRun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using OrvaneTest::GameFolder;
using OrvaneTest::runProgram;

namespace
{

constexpr int Width = 320;
constexpr int Height = 240;

const std::string Settings = "[Init]\nSCREEN_WIDTH=320\nSCREEN_HEIGHT=240\nWINDOW_NAME=\"Test\"\n";

// A PNG of one colour, as the bytes of its file.
std::string solidPng(const OrvaneTest::TempDirectory& scratch, int w, int h, uint32_t argb)
{
    const std::vector<uint32_t> pixels(size_t(w) * size_t(h), argb);
    const std::string path = scratch.file("solid.png");
    EXPECT_TRUE(Kavro::WritePng(path, w, h, pixels.data()));
    return OrvaneTest::FileText(path);
}

} // namespace

TEST(SpriteProgram, FadeFromAnImageAndAScreenCaptureShowInTheFramesReadBack)
{
    GameFolder game;
    OrvaneTest::TempDirectory scratch;
    game.pack("system.wpk", {{"setting.ini", Settings}});
    game.pack("cg.wpk", {{"image/white.png", solidPng(scratch, 64, 64, 0xFFFFFFFFu)},
                         {"image/red.png", solidPng(scratch, 32, 32, 0xFFFF0000u)}});
    // A red square, a white square fading in over one second, then a copy of the screen drawn so far,
    // moved to the lower right.
    game.pack("script.wpk", {{"media/script/main.nut", "::red <- SQSprite(\"red\");\n"
                                                       "::red.create(\"image/red.png\", -1, 0, 0, 0);\n"
                                                       "::white <- SQSprite(\"white\");\n"
                                                       "::white.create(\"image/white.png\", -1, 0, 0, 0);\n"
                                                       "::white.move(64.0, 64.0, 0, 0);\n"
                                                       "::white.fade(0.0, 0, 0);\n"
                                                       "::white.fade(1.0, 1000, 0);\n"
                                                       "::copy <- SQSprite(\"copy\");\n"
                                                       "::copy.createScreen(-1, 0, 0, 0);\n"
                                                       "::copy.move(160.0, 120.0, 0, 0);\n"
                                                       "while (true) Suspend();\n"}});
    OrvaneTest::TempDirectory runtime;
    const std::string frame1 = scratch.file("frame1.png"), frame31 = scratch.file("frame31.png"),
                      frame61 = scratch.file("frame61.png");
    const auto result = runProgram(game.path(), runtime.path().string(), 60,
                                   {"KAVRO_FIXED_CLOCK=1",
                                    "ORVANE_CAPTURE_FRAMES=1:" + frame1 + ";31:" + frame31 + ";61:" + frame61,
                                    "ORVANE_FRAME_LIMIT=61"});
    ASSERT_EQ(result.exitCode, 0) << result.output;
    ASSERT_TRUE(std::filesystem::exists(frame61)) << result.output;
    // For looking at: ORVANE_SPRITE_PNG_DIR names a folder that receives the frames.
    if (const char* keep = std::getenv("ORVANE_SPRITE_PNG_DIR"))
        for (const std::string* frame : {&frame1, &frame31, &frame61})
            std::filesystem::copy_file(*frame,
                                       std::filesystem::path(keep) /
                                           ("program_" + std::filesystem::path(*frame).filename().string()),
                                       std::filesystem::copy_options::overwrite_existing);

    const struct
    {
        const std::string* path;
        int grey; // the fading square over black
    } frames[] = {{&frame1, 0}, {&frame31, 127}, {&frame61, 255}};
    for (const auto& f : frames)
    {
        const Kavro::DecodedImage image = OrvaneTest::ReadFrame(*f.path);
        ASSERT_EQ(image.width, Width) << *f.path;
        ASSERT_EQ(image.height, Height) << *f.path;
        for (const auto& [x, y] : {std::pair{80, 80}, std::pair{240, 200}}) // the square, and its copy
        {
            const uint32_t p = OrvaneTest::PixelAt(image, x, y);
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(int((p >> shift) & 0xFF), f.grey, 1) << *f.path << " at " << x << "," << y;
        }
        EXPECT_EQ(OrvaneTest::PixelAt(image, 10, 10), 0xFFFF0000u) << *f.path;
        EXPECT_EQ(OrvaneTest::PixelAt(image, 170, 130), 0xFFFF0000u) << *f.path; // the red square's copy
        EXPECT_EQ(OrvaneTest::PixelAt(image, 150, 10), 0xFF000000u) << *f.path;
    }
}
