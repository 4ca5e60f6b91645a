// Line lists drawn by the headless device: which pixels a line lights, its colours, blending and order.
#include "RenderFixture.h"

#include <kavro/ILineList.h>
#include <kavro/IRenderDevice.h>

namespace OrvaneTest
{
namespace
{

constexpr uint32_t Black = 0xFF000000u;

class LineListTest : public RenderFixture
{
protected:
    void TearDown() override
    {
        if (lines)
            lines->release();
        RenderFixture::TearDown();
    }

    // Screen pixels (y down) to clip space.
    static Kavro::Matrix4x4 pixelMatrix()
    {
        return Kavro::Matrix4x4(2.0f / ScreenWidth, 0, 0, 0, 0, -2.0f / ScreenHeight, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1);
    }
    static Kavro::Vector4D at(float x, float y) { return {x, y, 0.0f, 1.0f}; }

    void makeList(int count)
    {
        lines = device_->createLineList(count);
        ASSERT_NE(lines, nullptr);
    }
    // One list of the given lines (from x, from y, to x, to y), drawn on black and read back.
    struct Segment
    {
        float x0, y0, x1, y1;
        uint32_t from, to;
    };
    void drawOnBlack(const std::vector<Segment>& segments, int blendMode = 1)
    {
        makeList(int(segments.size()));
        lines->setBlendMode(blendMode);
        lines->begin();
        for (const Segment& s : segments)
            ASSERT_EQ(lines->addLine(pixelMatrix(), at(s.x0, s.y0), s.from, at(s.x1, s.y1), s.to), 0);
        lines->end();
        const uint32_t black = Black;
        device_->clear(1, &black);
        ASSERT_EQ(lines->render(), 0);
        readBack();
    }
    // Pixels differing from black in the rectangle (x0..x1, y0..y1 inclusive).
    int litIn(int x0, int y0, int x1, int y1) const
    {
        int lit = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                lit += pixel(x, y) != Black ? 1 : 0;
        return lit;
    }

    Kavro::ILineList* lines = nullptr;
};

TEST_F(LineListTest, WholePixelEndsLightTheRowOrColumnBetweenThem)
{
    // Which end pixel a rasteriser lights differs (Mesa's last-pixel rule depends on the direction), so the
    // ends may each give or take one pixel; everything between them is lit, nothing beside.
    const uint32_t white = Rgba(255, 255, 255);
    const struct
    {
        Segment segment;
        int x0, y0, x1, y1; // the pixels between the ends
    } cases[] = {
        {{20.0f, 30.0f, 120.0f, 30.0f, white, white}, 20, 30, 119, 30},
        {{200.0f, 10.0f, 200.0f, 90.0f, white, white}, 200, 10, 200, 89},
        {{120.0f, 150.0f, 20.0f, 150.0f, white, white}, 20, 150, 119, 150},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.x0);
        drawOnBlack({c.segment});
        const bool across = c.y0 == c.y1;
        const int inner = across ? litIn(c.x0 + 1, c.y0, c.x1 - 1, c.y1) : litIn(c.x0, c.y0 + 1, c.x1, c.y1 - 1);
        EXPECT_EQ(inner, across ? c.x1 - c.x0 - 1 : c.y1 - c.y0 - 1);
        const int nearby = across ? litIn(c.x0 - 1, c.y0, c.x1 + 1, c.y1) : litIn(c.x0, c.y0 - 1, c.x1, c.y1 + 1);
        EXPECT_EQ(litIn(0, 0, ScreenWidth - 1, ScreenHeight - 1), nearby) << "pixels beside the line";
        EXPECT_LE(nearby, inner + 3);
        lines->release();
        lines = nullptr;
    }
}

TEST_F(LineListTest, ColourRunsFromTheStartColourToTheEndColour)
{
    drawOnBlack({{10.0f, 50.0f, 210.0f, 50.0f, Rgba(255, 0, 0), Rgba(0, 0, 255)}});
    EXPECT_LE(ChannelDistance(pixel(10, 50), Argb(255, 255, 0, 0)), 2);
    EXPECT_LE(ChannelDistance(pixel(110, 50), Argb(255, 128, 0, 127)), 3);
    EXPECT_LE(ChannelDistance(pixel(209, 50), Argb(255, 0, 0, 255)), 3);
}

TEST_F(LineListTest, BlendModesWeighTheLineByItsAlpha)
{
    const uint32_t grey = Argb(255, 100, 100, 100);
    const uint32_t halfWhite = Rgba(255, 255, 255, 128);
    const struct
    {
        int mode;
        uint32_t expected;
    } cases[] = {{1, Argb(255, 178, 178, 178)}, {2, Argb(255, 228, 228, 228)}, {3, Argb(255, 0, 0, 0)}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.mode);
        makeList(1);
        lines->setBlendMode(c.mode);
        EXPECT_EQ(lines->getBlendMode(), c.mode);
        lines->begin();
        lines->addLine(pixelMatrix(), at(0.0f, 20.0f), halfWhite, at(100.0f, 20.0f), halfWhite);
        lines->end();
        device_->clear(1, &grey);
        lines->render();
        readBack();
        EXPECT_LE(ChannelDistance(pixel(50, 20), c.expected), 2) << Hex(pixel(50, 20));
        EXPECT_EQ(pixel(50, 21), grey);
        lines->release();
        lines = nullptr;
    }
}

TEST_F(LineListTest, ListHoldsAsManyLinesAsItWasMadeForAndBeginEmptiesIt)
{
    EXPECT_EQ(device_->createLineList(0), nullptr);
    EXPECT_EQ(device_->createLineList(-1), nullptr);
    makeList(2);
    const uint32_t white = Rgba(255, 255, 255);
    lines->begin();
    EXPECT_EQ(lines->addLine(pixelMatrix(), at(0, 1), white, at(9, 1), white), 0);
    EXPECT_EQ(lines->addLine(pixelMatrix(), at(0, 2), white, at(9, 2), white), 0);
    EXPECT_EQ(lines->addLine(pixelMatrix(), at(0, 3), white, at(9, 3), white), -1);
    lines->end();
    EXPECT_EQ(lines->getLineCount(), 2);
    lines->begin();
    lines->end();
    EXPECT_EQ(lines->getLineCount(), 0);
    const uint32_t black = Black;
    device_->clear(1, &black);
    EXPECT_EQ(lines->render(), 0);
    readBack();
    EXPECT_EQ(litIn(0, 0, 20, 5), 0);
}

TEST_F(LineListTest, LinesKeepTheirPlaceAmongQueuedQuads)
{
    const uint32_t black = Black;
    device_->clear(1, &black);
    makeList(2);
    lines->begin();
    lines->addLine(pixelMatrix(), at(0.0f, 10.0f), Rgba(0, 255, 0), at(100.0f, 10.0f), Rgba(0, 255, 0));
    lines->addLine(pixelMatrix(), at(0.0f, 40.0f), Rgba(0, 255, 0), at(100.0f, 40.0f), Rgba(0, 255, 0));
    lines->end();
    // A red quad under the lines, a blue one over the second line only.
    drawQuad(nullptr, 0.0f, 0.0f, 100.0f, 50.0f, Rgba(255, 0, 0));
    lines->render();
    drawQuad(nullptr, 0.0f, 30.0f, 100.0f, 20.0f, Rgba(0, 0, 255));
    readBack();
    EXPECT_EQ(pixel(50, 10), Argb(255, 0, 255, 0));
    EXPECT_EQ(pixel(50, 40), Argb(255, 0, 0, 255));
    EXPECT_EQ(pixel(50, 20), Argb(255, 255, 0, 0));
}

TEST_F(LineListTest, LinesDrawIntoTheCurrentRenderTarget)
{
    Kavro::ITexture* target = device_->createRenderTexture(64, 32, 4, 0, 0, 0);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(device_->setRenderTarget(0, target, 0), 0);
    makeList(1);
    // Clip space of the 64 x 32 target: x 8..40 on row 4.
    const Kavro::Matrix4x4 toClip(2.0f / 64, 0, 0, 0, 0, -2.0f / 32, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1);
    lines->begin();
    lines->addLine(toClip, at(8.0f, 4.0f), Rgba(255, 255, 255), at(40.0f, 4.0f), Rgba(255, 255, 255));
    lines->end();
    lines->render();
    device_->setRenderTarget(0, nullptr, 0);
    readBack(target);
    EXPECT_EQ(pixel(8, 4), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(39, 4), 0xFFFFFFFFu);
    EXPECT_EQ(pixel(40, 4), 0u);
    EXPECT_EQ(pixel(20, 5), 0u);
    target->release();
}

} // namespace
} // namespace OrvaneTest
