#include "sprite/CSprite.h"

#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"
#include "support/DirectoryFileSystem.h"
#include "support/FakeTaskObjects.h"

#include <kavro/IRenderDevice.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector2D;

namespace
{

constexpr int ScreenW = 128;
constexpr int ScreenH = 64;
// The sprite under test: a W x H picture at (Left, Top) on black.
constexpr int W = 64;
constexpr int H = 32;
constexpr int Left = 32;
constexpr int Top = 16;

int channel(uint32_t argb, int shift)
{
    return int((argb >> shift) & 0xFF);
}

// Red across, green down, a little blue: every pixel differs from its neighbours.
std::vector<uint32_t> picture()
{
    std::vector<uint32_t> texels(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            texels[size_t(y) * W + size_t(x)] = 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 8) << 8 | 0x40u;
    return texels;
}

// Grey rising from left to right over the sprite's width.
std::vector<uint32_t> leftToRightRule()
{
    std::vector<uint32_t> texels(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
        {
            const uint32_t grey = uint32_t(x * 4 + 2);
            texels[size_t(y) * W + size_t(x)] = 0xFF000000u | grey << 16 | grey << 8 | grey;
        }
    return texels;
}

// Effects drawn by the real render device, headless, on sprites over fixture images.
class SpriteEffectRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        directory = std::filesystem::temp_directory_path() /
                    ("orvane_effect_" + std::to_string(::getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        fileSystem = new DirectoryFileSystem(directory);
        device = Kavro::CreateRenderDevice(nullptr, ScreenW, ScreenH, fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        t.app->renderDevice->release();
        t.app->renderDevice = device;
        t.app->screenWidth = ScreenW;
        t.app->screenHeight = ScreenH;
        write("picture.png", picture());
        write("white.png", std::vector<uint32_t>(W * H, 0xFFFFFFFFu));
        write("rule.png", leftToRightRule());
        write("black.png", std::vector<uint32_t>(W * H, 0xFF000000u));
    }
    void TearDown() override
    {
        for (CObject* object : owned)
            object->release();
        fileSystem->release();
        std::filesystem::remove_all(directory);
    }

    void write(const std::string& name, const std::vector<uint32_t>& texels)
    {
        ASSERT_TRUE(Kavro::WritePng((directory / name).string(), W, H, texels.data()));
    }
    CSprite* sprite(const char* image = "picture.png")
    {
        Kavro::ITexture* texture = device->loadTexture(image, 1, 0);
        EXPECT_NE(texture, nullptr);
        const int32_t rect[4] = {0, 0, W, H};
        auto* s = new CSprite(texture, Vector2D(float(Left), float(Top)), rect);
        owned.push_back(s);
        texture->release();
        EXPECT_EQ(s->create(), 0);
        return s;
    }
    // One frame of the sprite on black; the W x H pixels it covers, 0xAARRGGBB, rows top down.
    std::vector<uint32_t> drawn(CSprite* s)
    {
        std::vector<uint32_t> screen(size_t(ScreenW) * ScreenH);
        EXPECT_EQ(device->beginFrame(), 0);
        const uint32_t black = 0xFF000000u;
        device->clear(1, &black);
        s->updateWorldMatrix();
        s->render();
        s->draw();
        EXPECT_EQ(device->readPixels(nullptr, screen.data()), 0);
        device->endFrame();
        std::vector<uint32_t> out;
        for (int y = Top; y < Top + H; ++y)
            out.insert(out.end(), screen.begin() + y * ScreenW + Left, screen.begin() + y * ScreenW + Left + W);
        return out;
    }
    // Counts (and reports the first few) pixels farther than 2 per channel from what expected makes of the
    // plain sprite's pixel at the same place.
    int mismatches(const std::vector<uint32_t>& got, const std::vector<uint32_t>& plain,
                   const std::function<uint32_t(uint32_t, int, int)>& expected, const std::string& what)
    {
        int wrong = 0;
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x)
            {
                const size_t i = size_t(y) * W + size_t(x);
                const uint32_t want = expected(plain[i], x, y);
                int worst = 0;
                for (int shift = 0; shift < 24; shift += 8)
                    worst = std::max(worst, std::abs(channel(got[i], shift) - channel(want, shift)));
                if (worst > 2 && ++wrong <= 5)
                    ADD_FAILURE() << what << " at (" << x << ", " << y << "): " << std::hex << got[i] << " expected "
                                  << want;
            }
        return wrong;
    }

    TaskTestApp t;
    std::filesystem::path directory;
    DirectoryFileSystem* fileSystem = nullptr;
    Kavro::IRenderDevice* device = nullptr;
    std::vector<CObject*> owned;
};

uint32_t same(uint32_t plain, int, int)
{
    return plain;
}

uint32_t fromChannels(int r, int g, int b)
{
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

TEST_F(SpriteEffectRenderTest, EachEffectAtItsNeutralValueLeavesTheSpriteUnchanged)
{
    const std::vector<uint32_t> plain = drawn(sprite());
    EXPECT_EQ(plain[0], picture()[0]) << "the fixture sprite stands where the test reads it";
    struct Case
    {
        const char* what;
        std::function<void(CSprite*)> set;
    } cases[] = {
        {"hue 0", [](CSprite* s) { s->setColorHue(0.0f, 0.0f, 0); }},
        {"saturation 0", [](CSprite* s) { s->setColorSaturation(0.0f, 0.0f, 0); }},
        {"brightness 0", [](CSprite* s) { s->setColorBrightness(0.0f, 0.0f, 0); }},
        {"glow 0", [](CSprite* s) { s->setColorGlow(0.0f, 0.0f, 0); }},
        {"balance (1, 1, 1)", [](CSprite* s) { s->setColorBalance(1.0f, 1.0f, 1.0f, 0.0f, 0); }},
        {"negaposi 0", [](CSprite* s) { s->setNegaposiPower(0.0f, 0.0f, 0); }},
        {"monochrome 0", [](CSprite* s) { s->setMonochromePower(0.0f, 0.0f, 0); }},
        {"level (0, 1, 1)", [](CSprite* s) { s->setColorLevel(0.0f, 1.0f, 1.0f, 0.0f, 0); }},
        {"shading power 0", [](CSprite* s) { s->setShadingPower(0.0f, 0.0f, 0); }},
        {"radial blur 0", [](CSprite* s) { s->setRadialBlur(32.0f, 16.0f, 0.0f, 0.0f, 0, 0); }},
        {"directional blur 0", [](CSprite* s) { s->setDirectionalBlur(1.0f, 0.0f, 0.0f, 0.0f, 0, 0); }},
        {"ripple power 0", [](CSprite* s) { s->setRipple(32.0f, 16.0f, 0.0f, 0.1f, 0.05f, 0, 0); }},
        {"raster power 0", [](CSprite* s) { s->setRaster(0.0f, 0.0f, 0.1f, 0.05f, 0.0f, 0); }},
        {"lens power 0", [](CSprite* s) { s->setLens({32.0f, 16.0f}, 0.0f, 12.0f, 0.0f, 0); }},
        {"dither off", [](CSprite* s) { s->setDither(0, 4, 4, ""); }},
        // These run the sprite shader itself with stages that change nothing.
        {"transition fully in over a black rule",
         [](CSprite* s) {
             s->loadTransitionMask("black.png", 0);
             s->transition(1.0f, 1.0f, 0.0f, 0, 0);
         }},
        {"dither of an opaque sprite", [](CSprite* s) { s->setDither(1, 4, 4, ""); }},
        {"lens at a point far away", [](CSprite* s) { s->setLens({1000.0f, 1000.0f}, 0.5f, 4.0f, 0.0f, 0); }},
    };
    for (const Case& c : cases)
    {
        CSprite* s = sprite();
        c.set(s);
        EXPECT_EQ(mismatches(drawn(s), plain, same, c.what), 0) << c.what;
    }
}

TEST_F(SpriteEffectRenderTest, HalfwayRuleTransitionShowsTheLeftHalf)
{
    const std::vector<uint32_t> plain = drawn(sprite());
    CSprite* s = sprite();
    s->loadTransitionMask("rule.png", 0);
    s->transition(0.0f, 1.0f, 0.0f, 1000, 0);
    s->transitionValue.scaledValue = 0.5f;
    const std::vector<uint32_t> got = drawn(s);
    // The rule's columns are 2, 6, ... 254 grey: the first 32 lie below mid-grey.
    EXPECT_EQ(mismatches(got, plain, [](uint32_t p, int x, int) { return x < W / 2 ? p : 0xFF000000u; },
                         "left half"),
              0);
}

TEST_F(SpriteEffectRenderTest, VagueWidthGivesASoftRampOfThatWidth)
{
    CSprite* s = sprite("white.png");
    s->loadTransitionMask("rule.png", 0);
    s->transition(0.5f, 0.5f, 0.25f, 0, 0);
    const std::vector<uint32_t> got = drawn(s);
    // Coverage falls from 1 to 0 over a quarter of the grey range: 16 of the 64 columns.
    const std::vector<uint32_t> white(W * H, 0xFFFFFFFFu);
    EXPECT_EQ(mismatches(got, white,
                         [](uint32_t, int x, int) {
                             const float g = float(x * 4 + 2) / 255.0f;
                             const float a = std::clamp((0.5f * 1.25f - g) / 0.25f, 0.0f, 1.0f);
                             const int v = int(std::lround(a * 255.0f));
                             return fromChannels(v, v, v);
                         },
                         "ramp"),
              0);
    int ramp = 0;
    for (int x = 0; x < W; ++x)
        if (channel(got[size_t(x)], 0) > 2 && channel(got[size_t(x)], 0) < 253)
            ++ramp;
    EXPECT_NEAR(ramp, 16, 1);
}

TEST_F(SpriteEffectRenderTest, ColourEffectsAtFullPower)
{
    const std::vector<uint32_t> plain = drawn(sprite());
    struct Case
    {
        const char* what;
        std::function<void(CSprite*)> set;
        std::function<uint32_t(uint32_t, int, int)> expected;
    } cases[] = {
        {"monochrome 1", [](CSprite* s) { s->setMonochromePower(1.0f, 0.0f, 0); },
         [](uint32_t p, int, int) {
             const int l = int(std::lround(0.299 * channel(p, 16) + 0.587 * channel(p, 8) + 0.114 * channel(p, 0)));
             return fromChannels(l, l, l);
         }},
        {"negaposi 1", [](CSprite* s) { s->setNegaposiPower(1.0f, 0.0f, 0); },
         [](uint32_t p, int, int) {
             return fromChannels(255 - channel(p, 16), 255 - channel(p, 8), 255 - channel(p, 0));
         }},
        {"level (0.25, 0.75, 1)", [](CSprite* s) { s->setColorLevel(0.25f, 0.75f, 1.0f, 0.0f, 0); },
         [](uint32_t p, int, int) {
             const auto stretch = [](int v) {
                 return int(std::lround(std::clamp((v / 255.0 - 0.25) / 0.5, 0.0, 1.0) * 255.0));
             };
             return fromChannels(stretch(channel(p, 16)), stretch(channel(p, 8)), stretch(channel(p, 0)));
         }},
        {"balance (1, 0, 0)", [](CSprite* s) { s->setColorBalance(1.0f, 0.0f, 0.0f, 0.0f, 0); },
         [](uint32_t p, int, int) {
             const double k = 1.0 - 1.0 / std::sqrt(3.0);
             const auto times = [](int v, double f) { return int(std::lround(std::min(v * f, 255.0))); };
             return fromChannels(times(channel(p, 16), 1.0 + k), times(channel(p, 8), k), times(channel(p, 0), k));
         }},
    };
    for (const Case& c : cases)
    {
        CSprite* s = sprite();
        c.set(s);
        const std::vector<uint32_t> got = drawn(s);
        EXPECT_EQ(mismatches(got, plain, c.expected, c.what), 0) << c.what;
    }
    CSprite* s = sprite();
    s->setMonochromePower(1.0f, 0.0f, 0);
    for (uint32_t p : drawn(s))
    {
        EXPECT_EQ(channel(p, 16), channel(p, 8));
        EXPECT_EQ(channel(p, 8), channel(p, 0));
    }
}

TEST_F(SpriteEffectRenderTest, RippleMovesPixelsOnlyWithPower)
{
    const std::vector<uint32_t> plain = drawn(sprite());
    CSprite* s = sprite();
    s->setRipple(32.0f, 16.0f, 3.0f, 0.1f, 0.0f, 0, 0);
    const std::vector<uint32_t> got = drawn(s);
    int moved = 0;
    for (size_t i = 0; i < got.size(); ++i)
        moved += got[i] != plain[i];
    EXPECT_GT(moved, W * H / 4);
}

} // namespace
