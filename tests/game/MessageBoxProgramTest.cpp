// The script-error box of the built program on a real X display (Xvfb) under the C.UTF-8 locale: the
// window system gets the caption as UTF-8, and the box's pixels are the Japanese text drawn by the
// library, read back from the server.
#include "ProgramRun.h"
#include "X11Windows.h"

#include "core/MessageBoxWindow.h"

#include <kavro/IGlyphRasterizer.h>
#include <kavro/ImageCodec.h>
#include <kavro/MessageBox.h>
#include <kavro/Ref.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using OrvaneTest::GameFolder;
using OrvaneTest::runProgram;

namespace
{

const char* const Caption = "アプリケーションエラー";
const char* const BoxText = "エラーが発生しました";

} // namespace

TEST(MessageBoxProgram, ScriptErrorBoxShowsItsJapaneseTextUnderTheCUtf8Locale)
{
    OrvaneTest::XvfbDisplay server;
    if (!server.ready())
        GTEST_SKIP() << "Xvfb and xdotool are needed";
    GameFolder game;
    game.pack("system.wpk", {{"setting.ini", "[Init]\nSCREEN_WIDTH=320\nSCREEN_HEIGHT=240\nWINDOW_NAME=\"Test\"\n"}});
    game.pack("script.wpk", {{"media/script/main.nut", "Undefined();\n"}});
    OrvaneTest::TempDirectory runtime;
    OrvaneTest::ProgramResult result;
    std::thread program([&] {
        // On a real display SDL's D-Bus connection and the GL driver, unloaded before the leak check,
        // leave blocks the checker reports from modules no suppression can name; the headless program
        // tests keep the leak check.
        result = runProgram(game.path(), runtime.path().string(), 120,
                            {"LANG=C.UTF-8", "LC_ALL=C.UTF-8", "LSAN_OPTIONS=detect_leaks=0"}, server.name());
    });

    // What the library draws for the text, with the same face, pixel for pixel.
    const Kavro::Ref<Kavro::IFontFace> face = Kavro::Ref<Kavro::IFontFace>::adopt(Kavro::MessageBoxFace());
    const Kavro::MessageBoxLayout layout = Kavro::LayOutMessageBox(*face.get(), BoxText, Kavro::MB_ICONERROR);
    std::vector<uint32_t> expected;
    Kavro::DrawMessageBox(*face.get(), layout, -1, expected);

    OrvaneTest::X11Windows windows(server.name());
    ASSERT_TRUE(windows.connected());
    // The launcher first: Start Game, clicked again until the box has come (a click can come before the
    // dialog's first frame on a busy machine).
    unsigned long box = 0;
    for (int attempt = 0; attempt < 10 && !box; ++attempt)
    {
        server.xdotool("search --sync --name 'Kiru Launcher' windowfocus %1 mousemove --window %1 432 58 click 1", 10);
        box = windows.findTitled(Caption, 6);
    }
    std::vector<uint32_t> shown;
    int width = 0, height = 0;
    if (box)
    {
        // Away from the buttons, so that none is drawn hovered; the first picture may still be on its way.
        // A busy machine can take seconds to draw it, so the picture is read until it settles.
        server.xdotool("mousemove 0 0");
        for (int look = 0; look < 50 && shown != expected; ++look)
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            windows.readPixels(box, width, height, shown);
        }
        server.xdotool("windowfocus --sync " + std::to_string(box) + " key Return", 10);
    }
    program.join();
    ASSERT_NE(box, 0ul) << "no window titled " << Caption << "\n" << result.output;
    EXPECT_EQ(result.exitCode, 0) << result.output;

    ASSERT_EQ(width, layout.width);
    ASSERT_EQ(height, layout.height);
    if (const char* keep = std::getenv("ORVANE_BOX_PNG"))
        Kavro::WritePng(keep, width, height, shown.data());
    size_t differing = 0;
    for (size_t i = 0; i < expected.size(); ++i)
        differing += shown[i] != expected[i];
    EXPECT_EQ(differing, 0u);
}
