#include "RenderFixture.h"

#include <kavro/IRenderDevice.h>

#include <cmath>

namespace OrvaneTest
{
namespace
{

class SceneSpriteTest : public RenderFixture
{
};

// Each texel different, so any shift, flip or filtering shows.
std::vector<uint32_t> patternImage(int w, int h)
{
    std::vector<uint32_t> pixels(size_t(w) * size_t(h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            pixels[size_t(y) * w + x] = Argb(255, uint8_t(x * 4), uint8_t(y * 4), uint8_t(255 - x - y));
    return pixels;
}

TEST_F(SceneSpriteTest, PngDrawnAtPositionLandsOnExactlyThosePixels)
{
    const auto image = patternImage(64, 64);
    writePng("picture.png", 64, 64, image);
    Kavro::ITexture* texture = device_->loadTexture("picture.png", 0, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getSize()[0], 64);
    EXPECT_EQ(texture->getSize()[1], 64);
    EXPECT_STREQ(texture->getFileName(), "picture.png");

    const uint32_t background = Argb(255, 10, 20, 30);
    device_->clear(1, &background);
    drawQuad(texture, 100.0f, 50.0f, 64.0f, 64.0f);
    texture->release();
    readBack();

    for (int y = 40; y < 124; ++y)
        for (int x = 90; x < 174; ++x)
        {
            const bool inside = x >= 100 && x < 164 && y >= 50 && y < 114;
            const uint32_t expected = inside ? image[size_t(y - 50) * 64 + (x - 100)] : background;
            ASSERT_EQ(Hex(pixel(x, y)), Hex(expected)) << "at " << x << ", " << y;
        }
}

TEST_F(SceneSpriteTest, CornerColoursInterpolateOverTheQuad)
{
    Kavro::IQuad* quad = device_->createColorQuad(1);
    ASSERT_NE(quad, nullptr);
    const auto c = corners(100.0f, 50.0f);
    // Top-left red, top-right green, bottom-left blue, bottom-right white.
    const uint32_t colours[4] = {Rgba(255, 0, 0), Rgba(0, 255, 0), Rgba(0, 0, 255), Rgba(255, 255, 255)};
    quad->begin();
    quad->addQuad(spriteMatrix(20.0f, 30.0f, 100.0f, 50.0f), c.data(), colours);
    quad->end();
    EXPECT_EQ(quad->getQuadCount(), 1);
    quad->draw({0.0f, 0.0f}, nullptr, 1.0f);
    quad->release();
    readBack();

    // Pixel centres lie half a pixel inside the corners, so the corner pixels carry about 1% of the
    // neighbours' colours.
    EXPECT_LE(ChannelDistance(pixel(20, 30), Argb(255, 255, 0, 0)), 4) << Hex(pixel(20, 30));
    EXPECT_LE(ChannelDistance(pixel(119, 30), Argb(255, 0, 255, 0)), 4) << Hex(pixel(119, 30));
    EXPECT_LE(ChannelDistance(pixel(20, 79), Argb(255, 0, 0, 255)), 4) << Hex(pixel(20, 79));
    EXPECT_LE(ChannelDistance(pixel(119, 79), Argb(255, 255, 255, 255)), 4) << Hex(pixel(119, 79));
    // The quad is the triangles (top-left, top-right, bottom-left) and (bottom-left, top-right,
    // bottom-right): the centre lies on their shared edge, half top-right and half bottom-left.
    EXPECT_LE(ChannelDistance(pixel(70, 55), Argb(255, 0, 128, 128)), 4) << Hex(pixel(70, 55));
    // Outside stays black.
    EXPECT_EQ(Hex(pixel(19, 30)), Hex(Argb(255, 0, 0, 0)));
    EXPECT_EQ(Hex(pixel(120, 79)), Hex(Argb(255, 0, 0, 0)));
}

struct BlendCase
{
    int mode;
    // Expected red, green, blue from background b and source s with alpha a (0..1).
    float (*channel)(float b, float s, float a);
    bool keepsTargetAlpha;
};

float normal(float b, float s, float a) { return s * a + b * (1 - a); }
float replace(float, float s, float) { return s; }
float add(float b, float s, float a) { return std::min(1.0f, b + s * a); }
float subtract(float b, float s, float a) { return std::max(0.0f, b - s * a); }
float multiply(float b, float s, float a) { return b * (s * a + 1 - a); }
float screen(float b, float s, float a) { return b + s * a * (1 - b); }

TEST_F(SceneSpriteTest, EachBlendModeOverAKnownBackground)
{
    const BlendCase cases[] = {{0, replace, false},  {1, normal, false},   {2, add, true},
                               {3, subtract, true},  {4, multiply, true},  {5, screen, true},
                               {6, normal, false},   {-1, normal, false},  {100, normal, false}};
    const uint8_t back[3] = {200, 100, 50}, source[3] = {100, 150, 250};
    const uint8_t backAlpha = 160, sourceAlpha = 128;
    Kavro::ITexture* target = device_->createRenderTexture(8, 8, 4, 0, 0, 0);
    ASSERT_NE(target, nullptr);
    for (const BlendCase& c : cases)
    {
        SCOPED_TRACE("blend mode " + std::to_string(c.mode));
        device_->clearTexture(target, Argb(backAlpha, back[0], back[1], back[2]));
        ASSERT_EQ(device_->setRenderTarget(0, target, 0), 0);
        drawQuad(nullptr, 0.0f, 0.0f, 8.0f, 8.0f, Rgba(source[0], source[1], source[2], sourceAlpha), 0, c.mode, 8,
                 8);
        device_->setRenderTarget(0, nullptr, 0);
        readBack(target);
        const uint32_t got = pixel(4, 4);
        const float a = sourceAlpha / 255.0f;
        for (int i = 0; i < 3; ++i)
        {
            const float expected = c.channel(back[i] / 255.0f, source[i] / 255.0f, a) * 255.0f;
            const int value = int((got >> (16 - 8 * i)) & 0xFF);
            EXPECT_NEAR(value, expected, 1.0) << "channel " << i << " of " << Hex(got);
        }
        const float expectedAlpha = c.keepsTargetAlpha ? backAlpha
                                    : c.mode == 0      ? sourceAlpha
                                                       : sourceAlpha + backAlpha * (1 - a);
        EXPECT_NEAR(int(got >> 24), expectedAlpha, 1.0) << "alpha of " << Hex(got);
    }
    target->release();
}

TEST_F(SceneSpriteTest, QuadTurnedNinetyDegreesTurnsItsPicture)
{
    // Top half red, bottom half blue.
    std::vector<uint32_t> image(size_t(40) * 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            image[size_t(y) * 40 + x] = y < 10 ? Argb(255, 255, 0, 0) : Argb(255, 0, 0, 255);
    writePng("half.png", 40, 20, image);
    Kavro::ITexture* texture = device_->loadTexture("half.png", 0, 0);
    ASSERT_NE(texture, nullptr);
    Kavro::ISpriteQuad* quad = device_->createSprite(texture, 1, 1, 1);
    texture->release();
    const auto c = corners(40.0f, 20.0f);
    const auto uv = wholeUv();
    const uint32_t white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    // Centred on (160, 120); +90 degrees turns counter-clockwise on screen (y up, left-handed).
    quad->begin();
    quad->addQuad(spriteMatrix(140.0f, 110.0f, 40.0f, 20.0f, 90.0f), c.data(), white, uv.data());
    quad->end();
    quad->draw({0.0f, 0.0f}, nullptr, 1.0f);
    quad->release();
    readBack();

    // Now 20 wide and 40 high: x 150..169, y 100..139; the red top half went to the left.
    EXPECT_EQ(Hex(pixel(152, 120)), Hex(Argb(255, 255, 0, 0)));
    EXPECT_EQ(Hex(pixel(167, 120)), Hex(Argb(255, 0, 0, 255)));
    EXPECT_EQ(Hex(pixel(155, 101)), Hex(Argb(255, 255, 0, 0)));
    EXPECT_EQ(Hex(pixel(165, 138)), Hex(Argb(255, 0, 0, 255)));
    EXPECT_EQ(Hex(pixel(149, 120)), Hex(Argb(255, 0, 0, 0)));
    EXPECT_EQ(Hex(pixel(170, 120)), Hex(Argb(255, 0, 0, 0)));
    EXPECT_EQ(Hex(pixel(160, 99)), Hex(Argb(255, 0, 0, 0)));
    EXPECT_EQ(Hex(pixel(160, 140)), Hex(Argb(255, 0, 0, 0)));
}

TEST_F(SceneSpriteTest, TexturingIsPerspectiveCorrect)
{
    // Four columns: the column seen at 40% of the width tells affine (column 1) from perspective (column 0).
    const std::vector<uint32_t> columns = {Argb(255, 255, 0, 0), Argb(255, 0, 255, 0), Argb(255, 0, 0, 255),
                                           Argb(255, 255, 255, 255)};
    writePng("columns.png", 4, 1, columns);
    Kavro::ITexture* texture = device_->loadTexture("columns.png", 0, 0);
    ASSERT_NE(texture, nullptr);
    Kavro::ISpriteQuad* quad = device_->createSprite(texture, 1, 1, 1);
    texture->release();
    // Screen x 0..100 at y 0..10; the right edge is three times as far (w = 3).
    const float wr = 3.0f;
    const Kavro::Vector4D c[4] = {{0, 0, 0, 1}, {100 * wr, 0, 0, wr}, {0, 10, 0, 1}, {100 * wr, 10 * wr, 0, wr}};
    Kavro::Matrix4x4 toClip(2.0f / ScreenWidth, 0, 0, 0, 0, -2.0f / ScreenHeight, 0, 0, 0, 0, 1, 0, -1, 1, 0, 1);
    const auto uv = wholeUv();
    const uint32_t white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    quad->begin();
    quad->addQuad(toClip, c, white, uv.data());
    quad->end();
    quad->draw({0.0f, 0.0f}, nullptr, 1.0f);
    quad->release();
    readBack();
    // u at 40%: (0.4 / 3) / (0.6 + 0.4 / 3) = 0.18, column 0; affine texturing would give 0.4, column 1.
    EXPECT_EQ(Hex(pixel(40, 5)), Hex(columns[0]));
    // u at 80%: (0.8 / 3) / (0.2 + 0.8 / 3) = 0.57, column 2.
    EXPECT_EQ(Hex(pixel(80, 5)), Hex(columns[2]));
}

TEST_F(SceneSpriteTest, FilterSwitchChoosesNearestOrLinear)
{
    writePng("two.png", 2, 1, {Argb(255, 0, 0, 0), Argb(255, 255, 255, 255)});
    Kavro::ITexture* texture = device_->loadTexture("two.png", 0, 0);
    ASSERT_NE(texture, nullptr);
    drawQuad(texture, 0.0f, 0.0f, 100.0f, 4.0f, 0xFFFFFFFFu, 0);
    drawQuad(texture, 0.0f, 10.0f, 100.0f, 4.0f, 0xFFFFFFFFu, 1);
    texture->release();
    readBack();
    // Nearest: a hard step at the middle; linear: a ramp between the texel centres.
    EXPECT_EQ(Hex(pixel(49, 1)), Hex(Argb(255, 0, 0, 0)));
    EXPECT_EQ(Hex(pixel(50, 1)), Hex(Argb(255, 255, 255, 255)));
    EXPECT_LE(ChannelDistance(pixel(50, 11), Argb(255, 128, 128, 128)), 4) << Hex(pixel(50, 11));
}

TEST_F(SceneSpriteTest, DrawOffsetColourAndFactorApplyToTheWholeList)
{
    Kavro::IQuad* quad = device_->createColorQuad(2);
    const auto c = corners(10.0f, 10.0f);
    const uint32_t white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    quad->begin();
    quad->addQuad(spriteMatrix(0.0f, 0.0f, 10.0f, 10.0f), c.data(), white);
    quad->addQuad(spriteMatrix(50.0f, 0.0f, 10.0f, 10.0f), c.data(), white);
    quad->end();
    EXPECT_EQ(quad->getQuadCount(), 2);
    const Kavro::Vector4D colour{1.0f, 0.5f, 0.0f, 1.0f};
    quad->draw({20.0f, 30.0f}, &colour, 1.0f);
    quad->setBlendMode(0);
    quad->draw({100.0f, 30.0f}, nullptr, 0.5f);
    quad->release();
    readBack();
    EXPECT_LE(ChannelDistance(pixel(20, 30), Argb(255, 255, 128, 0)), 1) << Hex(pixel(20, 30));
    EXPECT_LE(ChannelDistance(pixel(79, 39), Argb(255, 255, 128, 0)), 1) << Hex(pixel(79, 39));
    EXPECT_EQ(Hex(pixel(19, 30)), Hex(Argb(255, 0, 0, 0)));
    EXPECT_EQ(Hex(pixel(20, 29)), Hex(Argb(255, 0, 0, 0)));
    // Replace writes the halved alpha itself; the screen's read-back shows it opaque, a copy keeps it.
    EXPECT_LE(ChannelDistance(pixel(100, 30), Argb(255, 255, 255, 255)), 1) << Hex(pixel(100, 30));
    Kavro::ITexture* copy = device_->createRenderTexture(ScreenWidth, ScreenHeight, 4, 0, 0, 0);
    ASSERT_NE(copy, nullptr);
    ASSERT_EQ(device_->copyTexture(copy, nullptr, 0), 0);
    readBack(copy);
    EXPECT_LE(ChannelDistance(pixel(100, 30), Argb(128, 255, 255, 255)), 1) << Hex(pixel(100, 30));
    copy->release();
}

TEST_F(SceneSpriteTest, QuadsDrawInSubmissionOrder)
{
    Kavro::IQuad* red = device_->createColorQuad(1);
    Kavro::IQuad* green = device_->createColorQuad(1);
    const auto c = corners(20.0f, 20.0f);
    const uint32_t r[4] = {Rgba(255, 0, 0), Rgba(255, 0, 0), Rgba(255, 0, 0), Rgba(255, 0, 0)};
    const uint32_t g[4] = {Rgba(0, 255, 0), Rgba(0, 255, 0), Rgba(0, 255, 0), Rgba(0, 255, 0)};
    // Red lies farther (greater depth) but is drawn last: order wins, depth does not.
    const Kavro::Matrix4x4 farther =
        spriteMatrix(10.0f, 10.0f, 20.0f, 20.0f) * Kavro::Matrix4x4::GetTranslation(0, 0, 0.5f);
    green->begin();
    green->addQuad(spriteMatrix(10.0f, 10.0f, 20.0f, 20.0f), c.data(), g);
    green->end();
    red->begin();
    red->addQuad(farther, c.data(), r);
    red->end();
    green->draw({0, 0}, nullptr, 1.0f);
    red->draw({0, 0}, nullptr, 1.0f);
    red->release();
    green->release();
    readBack();
    EXPECT_EQ(Hex(pixel(20, 20)), Hex(Argb(255, 255, 0, 0)));
}

} // namespace
} // namespace OrvaneTest
