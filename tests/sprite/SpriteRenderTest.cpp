#include "sprite/CSprite.h"
#include "sprite/CSpriteList.h"
#include "sprite/CSpriteMask.h"

#include "curve/Easing.h"

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
using Kavro::Vector3D;

namespace
{

constexpr int Width = 1280;
constexpr int Height = 720;
constexpr uint32_t Black = 0xFF000000u;
constexpr uint32_t Red = 0xFFFF0000u;

int channelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

// Sprites of an application whose render device is the real one, headless, over a fixture directory.
class SpriteRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        directory = std::filesystem::temp_directory_path() /
                    ("orvane_sprite_" + std::to_string(::getpid()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(directory);
        fileSystem = new DirectoryFileSystem(directory);
        device = Kavro::CreateRenderDevice(nullptr, Width, Height, fileSystem);
        ASSERT_NE(device, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
        t.app->renderDevice->release();
        t.app->renderDevice = device;
    }
    void TearDown() override
    {
        for (CObject* object : owned)
            object->release();
        fileSystem->release();
        std::filesystem::remove_all(directory);
    }

    CSprite* colourSprite(Vector2D position, int32_t w, int32_t h, uint32_t rgba)
    {
        const int32_t rect[4] = {0, 0, w, h};
        auto* s = new CSprite(position, rect);
        owned.push_back(s);
        const uint8_t bytes[4] = {uint8_t(rgba), uint8_t(rgba >> 8), uint8_t(rgba >> 16), uint8_t(rgba >> 24)};
        EXPECT_EQ(s->createColorTexture(bytes), 0);
        return s;
    }
    // One frame of the sprites on black, read back as 0xAARRGGBB pixels (saved as a PNG when
    // ORVANE_SPRITE_PNG_DIR names a folder, for looking at; the test's second frame gets "_1", ...).
    void drawFrame(const std::vector<CSprite*>& sprites)
    {
        drawFrameBy([&] {
            for (CSprite* s : sprites)
            {
                s->updateWorldMatrix();
                s->render();
                s->draw();
            }
        });
    }
    // The same with the drawing done by the caller.
    void drawFrameBy(const std::function<void()>& drawing)
    {
        ASSERT_EQ(device->beginFrame(), 0);
        const uint32_t black = Black;
        device->clear(1, &black);
        drawing();
        pixels.assign(size_t(Width) * Height, 0);
        ASSERT_EQ(device->readPixels(nullptr, pixels.data()), 0);
        if (const char* keep = std::getenv("ORVANE_SPRITE_PNG_DIR"))
        {
            std::string path = std::string(keep) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
            if (framesDrawn > 0)
            {
                path += '_';
                path += std::to_string(framesDrawn);
            }
            path += ".png";
            device->saveTexture(path.c_str(), nullptr, 0);
        }
        device->endFrame();
        ++framesDrawn;
    }
    uint32_t pixel(int x, int y) const { return pixels[size_t(y) * Width + size_t(x)]; }

    TaskTestApp t;
    std::filesystem::path directory;
    DirectoryFileSystem* fileSystem = nullptr;
    Kavro::IRenderDevice* device = nullptr;
    std::vector<CObject*> owned;
    std::vector<uint32_t> pixels;
    int framesDrawn = 0;
};

TEST_F(SpriteRenderTest, ColourSpriteCoversExactlyItsRectangle)
{
    drawFrame({colourSprite({200.0f, 100.0f}, 100, 50, 0xFF0000FFu)});
    int wrong = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
        {
            const bool inside = x >= 200 && x <= 299 && y >= 100 && y <= 149;
            if (pixel(x, y) != (inside ? Red : Black) && ++wrong < 10)
                ADD_FAILURE() << "(" << x << ", " << y << ") " << std::hex << pixel(x, y);
        }
    EXPECT_EQ(wrong, 0);
}

// Bilinear sample of 0xAARRGGBB texels at a point in texel units, edges clamped: what linear filtering
// of the texture gives there.
uint32_t sampleLinear(const std::vector<uint32_t>& texels, int w, int h, float u, float v)
{
    const float s = u - 0.5f, t = v - 0.5f;
    const int x0 = int(std::floor(s)), y0 = int(std::floor(t));
    const float fx = s - float(x0), fy = t - float(y0);
    auto at = [&](int x, int y) { return texels[size_t(std::clamp(y, 0, h - 1)) * w + size_t(std::clamp(x, 0, w - 1))]; };
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
    {
        auto c = [&](int x, int y) { return float((at(x, y) >> shift) & 0xFF); };
        const float top = c(x0, y0) + (c(x0 + 1, y0) - c(x0, y0)) * fx;
        const float bottom = c(x0, y0 + 1) + (c(x0 + 1, y0 + 1) - c(x0, y0 + 1)) * fx;
        out |= uint32_t(std::lround(top + (bottom - top) * fy)) << shift;
    }
    return out;
}

TEST_F(SpriteRenderTest, ImageSpriteTurnedThirtyDegreesMatchesTheReference)
{
    constexpr int W = 64, H = 32;
    std::vector<uint32_t> texels(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            texels[size_t(y) * W + size_t(x)] = 0xFF000000u | uint32_t(x * 4) << 16 | uint32_t(y * 8) << 8 | 0x40u;
    ASSERT_TRUE(Kavro::WritePng((directory / "ramp.png").string(), W, H, texels.data()));
    Kavro::ITexture* texture = device->loadTexture("ramp.png", 1, 0);
    ASSERT_NE(texture, nullptr);
    const int32_t rect[4] = {0, 0, W, H};
    const Vector2D position(300.0f, 200.0f);
    auto* s = new CSprite(texture, position, rect);
    owned.push_back(s);
    texture->release();
    ASSERT_EQ(s->create(), 0);
    setAt(s->rotation, Vector3D(0.0f, 0.0f, 30.0f));
    drawFrame({s});

    // Screen point -> sprite's own texels: undo the turn about the sprite's middle (y up there).
    const Kavro::Matrix4x4 undo = Kavro::Matrix4x4::GetRotationZ(-30.0f).Inverse();
    const float cx = position.x + W / 2.0f, cy = position.y + H / 2.0f;
    int compared = 0, background = 0, wrong = 0;
    for (int y = 150; y < 270; ++y)
        for (int x = 250; x < 420; ++x)
        {
            const Vector3D local = Vector3D(float(x) + 0.5f - cx, cy - (float(y) + 0.5f), 0.0f).TransformCoord(undo);
            const float u = local.x + W / 2.0f, v = H / 2.0f - local.y;
            const bool inside = u > 1.0f && u < W - 1.0f && v > 1.0f && v < H - 1.0f;
            const bool outside = u < -1.0f || u > W + 1.0f || v < -1.0f || v > H + 1.0f;
            if (!inside && !outside)
                continue; // the edge, where coverage rules may differ
            const uint32_t expected = inside ? sampleLinear(texels, W, H, u, v) : Black;
            ++(inside ? compared : background);
            if (channelDistance(pixel(x, y), expected) > 2 && ++wrong < 10)
                ADD_FAILURE() << "(" << x << ", " << y << ") " << std::hex << pixel(x, y) << " expected " << expected;
        }
    EXPECT_EQ(wrong, 0);
    EXPECT_GT(compared, 1500);
    EXPECT_GT(background, 5000);
    // The turned top-left corner is where the same math puts it.
    const Vector3D corner = Vector3D(-W / 2.0f, H / 2.0f, 0.0f).TransformCoord(Kavro::Matrix4x4::GetRotationZ(-30.0f));
    EXPECT_NEAR(s->getVertex(0).x, cx + corner.x, 1e-3f);
    EXPECT_NEAR(s->getVertex(0).y, cy - corner.y, 1e-3f);
}

TEST_F(SpriteRenderTest, CornerOffsetSpriteHasItsCornersAtCornerPlusOffset)
{
    CSprite* s = colourSprite({200.0f, 100.0f}, 100, 50, 0xFF0000FFu);
    const Vector2D offsets[4] = {{20.0f, 0.0f}, {0.0f, 10.0f}, {-10.0f, 5.0f}, {15.0f, -5.0f}};
    const Vector2D corners[4] = {{200.0f, 100.0f}, {300.0f, 100.0f}, {200.0f, 150.0f}, {300.0f, 150.0f}};
    for (int i = 0; i < 4; ++i)
        setAt(s->vertexMove[i], offsets[i]);
    drawFrame({s});
    Vector2D target[4], centre;
    for (int i = 0; i < 4; ++i)
    {
        target[i] = corners[i] + offsets[i];
        centre += target[i] * 0.25f;
    }
    for (int i = 0; i < 4; ++i)
    {
        const Vector2D out = (target[i] - centre).GetNormalize() * 3.0f;
        const Vector2D inner = target[i] - out, outer = target[i] + out;
        EXPECT_EQ(pixel(int(inner.x), int(inner.y)), Red) << "inside corner " << i;
        EXPECT_EQ(pixel(int(outer.x), int(outer.y)), Black) << "outside corner " << i;
        EXPECT_NEAR(s->getVertex(i).x, target[i].x, 1e-3f);
        EXPECT_NEAR(s->getVertex(i).y, target[i].y, 1e-3f);
    }
    // The undistorted rectangle's corner 0 (200, 100) now lies outside: the edge starts at x = 220.
    EXPECT_EQ(pixel(205, 101), Black);
    EXPECT_EQ(pixel(222, 101), Red);
}

TEST_F(SpriteRenderTest, UvOffsetWrapsTheTextureAround)
{
    constexpr int W = 8, H = 4;
    std::vector<uint32_t> texels(W * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            texels[size_t(y) * W + size_t(x)] = x < W / 2 ? Red : 0xFF0000FFu;
    ASSERT_TRUE(Kavro::WritePng((directory / "halves.png").string(), W, H, texels.data()));
    Kavro::ITexture* texture = device->loadTexture("halves.png", 1, 0);
    ASSERT_NE(texture, nullptr);
    const int32_t rect[4] = {0, 0, W, H};
    auto* s = new CSprite(texture, {40.0f, 20.0f}, rect);
    owned.push_back(s);
    texture->release();
    ASSERT_EQ(s->create(), 0);
    s->setUVOffset({0.5f, 0.0f});
    drawFrame({s});
    // Half a texture further on: the blue half first, then the red half again instead of the edge texel.
    EXPECT_EQ(pixel(41, 21), 0xFF0000FFu);
    EXPECT_EQ(pixel(43, 22), 0xFF0000FFu);
    EXPECT_EQ(pixel(44, 21), Red);
    EXPECT_EQ(pixel(47, 23), Red);
    EXPECT_EQ(pixel(48, 21), Black);
}

TEST_F(SpriteRenderTest, MovedSpriteStandsAtTheEasedPosition)
{
    CSprite* s = colourSprite({100.0f, 100.0f}, 20, 20, 0xFF0000FFu);
    t.app->frameSpeed = 1.0f;
    t.app->frameTimeCap = 16.666666f;
    s->move(400.0f, 200.0f, 1000, 1);
    float elapsed = 0.0f;
    for (int i = 0; i < 30; ++i)
    {
        t.core->milliTime += 16;
        s->update();
        elapsed += 16.666666f;
    }
    drawFrame({s});
    const float x = Orvane::easingTable[1](100.0f, 400.0f, 1000.0f, elapsed);
    const float y = Orvane::easingTable[1](100.0f, 200.0f, 1000.0f, elapsed);
    ASSERT_GT(x, 150.0f); // well on its way
    const int left = int(std::floor(x)), top = int(std::floor(y));
    for (int py = top + 2; py < top + 18; ++py)
        for (int px = left + 2; px < left + 18; ++px)
            ASSERT_EQ(pixel(px, py), Red) << px << ", " << py;
    EXPECT_EQ(pixel(left - 1, top + 10), Black);
    EXPECT_EQ(pixel(left + 21, top + 10), Black);
    EXPECT_EQ(pixel(left + 10, top - 1), Black);
    EXPECT_EQ(pixel(left + 10, top + 21), Black);
    EXPECT_EQ(pixel(100 + 5, 100 + 5), Black); // nothing left where it started
}

// A 200 x 200 mask picture: opaque white inside a circle of radius 90 about its middle, clear outside.
std::vector<uint32_t> circlePicture()
{
    std::vector<uint32_t> texels(200 * 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
        {
            const float dx = float(x) + 0.5f - 100.0f, dy = float(y) + 0.5f - 100.0f;
            texels[size_t(y) * 200 + size_t(x)] = dx * dx + dy * dy < 90.0f * 90.0f ? 0xFFFFFFFFu : 0x00FFFFFFu;
        }
    return texels;
}

TEST_F(SpriteRenderTest, CircularMaskClipsTheSpriteAndFollowsTheMask)
{
    const std::vector<uint32_t> circle = circlePicture();
    ASSERT_TRUE(Kavro::WritePng((directory / "circle.png").string(), 200, 200, circle.data()));
    Kavro::ITexture* texture = device->loadTexture("circle.png", 1, 0);
    ASSERT_NE(texture, nullptr);
    const int32_t rect[4] = {0, 0, 200, 200};
    auto* mask = new CSpriteMask(texture, {300.0f, 200.0f}, rect);
    owned.push_back(mask);
    texture->release();
    ASSERT_EQ(mask->create(), 0);
    // Red over the circle's upper part only: the lower part shows whether the mask's own picture is seen.
    CSprite* red = colourSprite({150.0f, 150.0f}, 600, 200, 0xFF0000FFu);
    red->setMask(mask);

    // Inside the circle (away from its edge) red, outside it the background, for the circle about centre.
    auto check = [&](float cx, float cy) {
        int inside = 0, outside = 0, wrong = 0;
        for (int y = 150; y < 350; ++y)
            for (int x = 150; x < 750; ++x)
            {
                const float dx = float(x) + 0.5f - cx, dy = float(y) + 0.5f - cy;
                const float distance = std::sqrt(dx * dx + dy * dy);
                if (std::fabs(distance - 90.0f) < 1.5f)
                    continue;
                const uint32_t expected = distance < 90.0f ? Red : Black;
                ++(distance < 90.0f ? inside : outside);
                if (channelDistance(pixel(x, y), expected) > 2 && ++wrong < 10)
                    ADD_FAILURE() << "(" << x << ", " << y << ") " << std::hex << pixel(x, y);
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(inside, 10000);
        EXPECT_GT(outside, 50000);
    };
    drawFrame({mask, red});
    check(400.0f, 300.0f);
    EXPECT_EQ(pixel(400, 370), Black); // inside the circle but below the sprite: the mask itself is unseen

    mask->move(420.0f, 180.0f, 0, 0);
    drawFrame({mask, red});
    check(520.0f, 280.0f);
    EXPECT_EQ(pixel(330, 300), Black); // where the circle was
}

// Pixel rectangle (x, y, w, h) to the library's clip space of the screen, as a quad's matrix.
Kavro::Matrix4x4 pixelsToClip(float x, float y)
{
    Kavro::Matrix4x4 m;
    m.m[0][0] = 2.0f / float(Width);
    m.m[1][1] = -2.0f / float(Height);
    m.m[3][0] = 2.0f * x / float(Width) - 1.0f;
    m.m[3][1] = 1.0f - 2.0f * y / float(Height);
    return m;
}

TEST_F(SpriteRenderTest, ListOfGlyphQuadsDrawnTwiceAtOffsets)
{
    // A glyph page of one 8 x 12 white glyph.
    constexpr int GlyphW = 8, GlyphH = 12, Columns = 20, Rows = 10;
    const std::vector<uint32_t> white(GlyphW * GlyphH, 0xFFFFFFFFu);
    ASSERT_TRUE(Kavro::WritePng((directory / "page.png").string(), GlyphW, GlyphH, white.data()));
    Kavro::ITexture* texture = device->loadTexture("page.png", 1, 0);
    ASSERT_NE(texture, nullptr);
    auto* list = new CSpriteList(texture);
    owned.push_back(list);
    texture->release();
    ASSERT_EQ(list->createList(Columns * Rows), 0);

    const Kavro::Vector4D corners[4] = {{0.0f, 0.0f, 0.0f, 1.0f},
                                        {float(GlyphW), 0.0f, 0.0f, 1.0f},
                                        {0.0f, float(GlyphH), 0.0f, 1.0f},
                                        {float(GlyphW), float(GlyphH), 0.0f, 1.0f}};
    const uint32_t colours[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    const Vector2D uv[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    auto origin = [](int i) { return Vector2D(100.0f + 16.0f * float(i % Columns), 100.0f + 20.0f * float(i / Columns)); };
    ASSERT_EQ(list->beginQuads(), 0);
    for (int i = 0; i < Columns * Rows; ++i)
        ASSERT_EQ(list->addQuad(pixelsToClip(origin(i).x, origin(i).y), corners, colours, uv), 0);
    ASSERT_EQ(list->endQuads(), 0);

    const Kavro::Vector4D blue(0.0f, 0.0f, 1.0f, 1.0f);
    drawFrameBy([&] {
        list->updateWorldMatrix();
        list->render();
        EXPECT_EQ(list->drawAt({3.0f, 3.0f}, &blue, 1.0f), 0); // the shadow first
        EXPECT_EQ(list->drawAt({}, nullptr, 1.0f), 0);
    });
    constexpr uint32_t Blue = 0xFF0000FFu, White = 0xFFFFFFFFu;
    int wrong = 0;
    for (int i = 0; i < Columns * Rows; ++i)
    {
        const int x = int(origin(i).x), y = int(origin(i).y);
        const std::pair<Vector2D, uint32_t> probes[] = {
            {{float(x), float(y)}, White},
            {{float(x + GlyphW - 1), float(y + GlyphH - 1)}, White},
            {{float(x + GlyphW), float(y + 3)}, Blue},               // shadow beside the glyph
            {{float(x + 4), float(y + GlyphH + 2)}, Blue},           // and below it
            {{float(x + GlyphW + 3), float(y + GlyphH + 3)}, Black}, // beyond the shadow
            {{float(x - 1), float(y)}, Black}};
        for (const auto& [at, expected] : probes)
            if (pixel(int(at.x), int(at.y)) != expected && ++wrong < 10)
                ADD_FAILURE() << "glyph " << i << " (" << at.x << ", " << at.y << ") " << std::hex << pixel(int(at.x), int(at.y));
    }
    EXPECT_EQ(wrong, 0);

    // Invisible: drawAt draws nothing.
    list->setVisible(0);
    drawFrameBy([&] { EXPECT_EQ(list->drawAt({}, nullptr, 1.0f), 0); });
    EXPECT_EQ(pixel(100, 100), Black);
}

} // namespace

namespace
{

// A 640 x 480 picture cut into 40 x 30 cells of 16 texels: before its clock moves, the split picture is
// the whole picture, drawn in one call; later its pieces have flown apart.
TEST_F(SpriteRenderTest, SplitPictureIsWholeAtTimeZeroAndFliesApartLater)
{
    constexpr int W = 640, H = 480;
    std::vector<uint32_t> texels(size_t(W) * H);
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            texels[size_t(y) * W + size_t(x)] =
                0xFF000000u | uint32_t(x * 255 / W) << 16 | uint32_t(y * 255 / H) << 8 | uint32_t((x ^ y) & 0x3F);
    ASSERT_TRUE(Kavro::WritePng((directory / "picture.png").string(), W, H, texels.data()));
    Kavro::ITexture* texture = device->loadTexture("picture.png", 1, 0);
    ASSERT_NE(texture, nullptr);
    const int32_t rect[4] = {0, 0, W, H};
    auto* s = new CSprite(texture, Vector2D(320.0f, 120.0f), rect);
    owned.push_back(s);
    texture->release();
    ASSERT_EQ(s->create(), 0);
    drawFrame({s});
    const std::vector<uint32_t> whole = pixels;

    s->splitFace(30, 40, 0.5f, 77, 1);
    ASSERT_EQ(s->splitPieces.size(), 1200u);
    SplitActionDesc desc;
    desc.time = 1.0f;
    desc.seed = 5;
    desc.vel.enabled = 1;
    desc.vel.distEdge = Vector2D(1.0f, 1.0f);
    desc.vel.distMin = 100.0f;
    desc.vel.distMax = 300.0f;
    desc.vel.mask = Vector3D(1.0f, 1.0f, 0.0f);
    desc.vel.dir = Vector3D(1.0f, 0.0f, 0.0f);
    desc.angVel.enabled = 1;
    desc.angVel.randMin = Vector3D(0.0f, 0.0f, -90.0f);
    desc.angVel.randMax = Vector3D(0.0f, 0.0f, 90.0f);
    desc.angVel.mask = Vector3D(1.0f, 1.0f, 1.0f);
    s->pushSplitAction(desc);
    s->beginSplitAction(0.0f, 1.0f, 1000.0f, 0, 0);
    const long before = Kavro::GetRenderDrawCalls(device);
    drawFrame({s});
    EXPECT_EQ(Kavro::GetRenderDrawCalls(device) - before, 1);
    int differing = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        differing += channelDistance(pixels[i], whole[i]) > 2;
    EXPECT_EQ(differing, 0);

    s->setSplitActionTimer(600.0f);
    drawFrame({s});
    differing = 0;
    int outside = 0;
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x)
        {
            const bool inPicture = x >= 320 && x < 320 + W && y >= 120 && y < 120 + H;
            differing += channelDistance(pixel(x, y), whole[size_t(y) * Width + size_t(x)]) > 2;
            outside += !inPicture && pixel(x, y) != Black;
        }
    EXPECT_GT(differing, W * H / 4);
    EXPECT_GT(outside, 1000); // pieces have flown out of the picture's rectangle
}

} // namespace
