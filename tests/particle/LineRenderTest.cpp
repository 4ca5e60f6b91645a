// Lines made by scripts, drawn by the library's headless render device and read back.
#include "ScriptHostFixture.h"

#include "core/CTask.h"
#include "render/RenderDeviceFactory.h"
#include "support/FakeTaskObjects.h"

#include <kavro/IRenderDevice.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace OrvaneTest;

namespace
{

constexpr int Width = 320;
constexpr int Height = 240;
constexpr uint32_t Black = 0xFF000000u;

class LineRenderTest : public ScriptTaskFixture
{
protected:
    void SetUp() override
    {
        ScriptTaskFixture::SetUp();
        device = Kavro::CreateRenderDevice(nullptr, Width, Height, core->fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        app->renderDevice = device;
        app->screenWidth = Width;
        app->screenHeight = Height;
    }

    // One frame as the application runs it: world matrices, every drawable's render and draw on black, read
    // back (saved as a PNG where ORVANE_LINE_PNG_DIR names a folder, to look at), then every update.
    void drawFrame()
    {
        ASSERT_EQ(device->beginFrame(), 0);
        const uint32_t black = Black;
        device->clear(1, &black);
        task->updateWorldMatrix();
        for (const auto& record : task->getRenderingObjects())
            record.object->render();
        for (const auto& record : task->getRenderingObjects())
            record.object->draw();
        pixels.assign(size_t(Width) * Height, 0);
        ASSERT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_LINE_PNG_DIR"))
        {
            const std::string path = std::string(keep) + "/" +
                                     ::testing::UnitTest::GetInstance()->current_test_info()->name() + "_" +
                                     std::to_string(framesDrawn) + ".png";
            device->saveTexture(path.c_str(), nullptr, 0);
        }
        device->endFrame();
        ++framesDrawn;
        core->milliTime += 17;
        app->frameSpeed = 1.0f;
        app->frameTimeCap = 100.0f;
        const auto objects = task->getTaskObjects();
        for (Orvane::CTaskObject* object : objects)
            object->update();
    }
    bool lit(int x, int y) const { return pixels[size_t(y) * Width + size_t(x)] != Black; }
    uint32_t at(int x, int y) const { return pixels[size_t(y) * Width + size_t(x)]; }
    // A white pixel on row y within a pixel of x (a slanting one-pixel line may step either way).
    bool whiteNear(int x, int y) const
    {
        for (int dx = -1; dx <= 1; ++dx)
            if (at(x + dx, y) == 0xFFFFFFFFu)
                return true;
        return false;
    }
    // The rows lit in column x.
    std::vector<int> litRows(int x) const
    {
        std::vector<int> rows;
        for (int y = 0; y < Height; ++y)
            if (lit(x, y))
                rows.push_back(y);
        return rows;
    }
    int litCount() const
    {
        int count = 0;
        for (uint32_t p : pixels)
            count += p != Black ? 1 : 0;
        return count;
    }

    Kavro::IRenderDevice* device = nullptr;
    std::vector<uint32_t> pixels;
    int framesDrawn = 0;
};

TEST_F(LineRenderTest, ThicknessTwoIsATwoPixelBandWithRoundedEnds)
{
    ASSERT_EQ(runSnippet("::l <- SQLine(\"l\"); ::l.create(2); ::l.move(0, 100.0, 100.0, 0, 0);"
                         "::l.move(1, 300.0, 100.0, 0, 0);"
                         "::t <- SQLine(\"t\"); ::t.create(10); ::t.move(0, 100.0, 180.0, 0, 0);"
                         "::t.move(1, 300.0, 180.0, 0, 0); ::t.setColor(-1, 1.0, 0.0, 0.0, 0, 0);"),
              "");
    drawFrame();
    // Along the bands: two and ten whole rows.
    for (int x : {100, 150, 200, 250, 301})
    {
        SCOPED_TRACE(x);
        EXPECT_EQ(litRows(x), (std::vector<int>{99, 100, 175, 176, 177, 178, 179, 180, 181, 182, 183, 184}));
        EXPECT_EQ(at(x, 99), 0xFFFFFFFFu);
        EXPECT_EQ(at(x, 100), 0xFFFFFFFFu);
        EXPECT_EQ(at(x, 180), 0xFFFF0000u);
    }
    // Thickness 2 ends where its ends are (its rounding is under a pixel); thickness 10 reaches some pixels
    // further in the middle of the band than at its edges (up to 5).
    const auto span = [&](int y) {
        int first = Width, last = -1;
        for (int x = 0; x < Width; ++x)
            if (lit(x, y))
                first = std::min(first, x), last = std::max(last, x);
        return std::pair{first, last};
    };
    EXPECT_EQ(span(99), (std::pair{100, 301}));
    EXPECT_EQ(span(100), (std::pair{100, 301}));
    const auto edge = span(175), middle = span(179), otherEdge = span(184);
    EXPECT_GE(middle.first, 95);
    EXPECT_LE(middle.first, edge.first - 3);
    EXPECT_LE(middle.first, otherEdge.first - 3);
    EXPECT_GE(middle.second, edge.second + 3);
    EXPECT_GE(middle.second, otherEdge.second + 3);
    EXPECT_LE(middle.second, 306);
    // Nothing away from the bands.
    int outside = 0;
    for (int y = 0; y < Height; ++y)
        if (y != 99 && y != 100 && (y < 175 || y > 184))
            for (int x = 0; x < Width; ++x)
                outside += lit(x, y) ? 1 : 0;
    EXPECT_EQ(outside, 0);
}

TEST_F(LineRenderTest, AnEndLinkedToASpriteFollowsIt)
{
    // A blue 20 x 20 square at (40, 160); the line's end sits at (10, 10) of the square, its start at (40, 40).
    ASSERT_EQ(runSnippet("::box <- SQSprite(\"box\"); ::box.createColor(20, 20, 0.0, 0.0, 1.0);"
                         "::box.move(40.0, 160.0, 0, 0);"
                         "::l <- SQLine(\"l\"); ::l.create(1); ::l.setPriority(1); ::l.move(0, 40.0, 40.0, 0, 0);"
                         "::l.move(1, 10.0, 10.0, 0, 0); ::l.link(1, \"box\");"),
              "");
    // Where the line from (40, 40) to the end crosses rows 105 and 165 (the latter inside the square).
    const auto crossing = [](float endX, int row) { return int(40.0f + (endX - 40.0f) * float(row - 40) / 130.0f); };
    drawFrame();
    EXPECT_TRUE(whiteNear(crossing(50.0f, 105), 105));
    EXPECT_TRUE(whiteNear(crossing(50.0f, 165), 165)) << "the line over the square";
    EXPECT_FALSE(whiteNear(crossing(210.0f, 105), 105));

    // The square moves right by 160 pixels: the end goes with it.
    ASSERT_EQ(runSnippet("::box.move(200.0, 160.0, 0, 0);"), "");
    drawFrame();
    EXPECT_TRUE(whiteNear(crossing(210.0f, 105), 105));
    EXPECT_TRUE(whiteNear(crossing(210.0f, 165), 165));
    EXPECT_FALSE(whiteNear(crossing(50.0f, 105), 105));
    EXPECT_EQ(at(205, 175), 0xFF0000FFu);

    // Linked back to the line: (10, 10) of the screen.
    ASSERT_EQ(runSnippet("::l.link(1, \"\");"), "");
    drawFrame();
    EXPECT_TRUE(whiteNear(25, 25));
    EXPECT_FALSE(whiteNear(crossing(210.0f, 105), 105));
}

} // namespace
