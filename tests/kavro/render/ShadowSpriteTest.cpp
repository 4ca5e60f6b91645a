#include "RenderFixture.h"

#include "scene/CShadowSprite.h"

#include <kavro/IRenderDevice.h>

#include <cstdlib>
#include <iterator>
#include <vector>

namespace OrvaneTest
{
namespace
{

// A screen-sized shadow texture with one opaque white square stamped into it, drawn through a shadow
// sprite in black onto a grey screen.
class ShadowSpriteTest : public RenderFixture
{
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        shadow_ = device_->createRenderTexture(ScreenWidth, ScreenHeight, 4, 0, 0, 0);
        ASSERT_NE(shadow_, nullptr);
        device_->clearTexture(shadow_, 0x00FFFFFFu);
        Kavro::ITexture* white = device_->createRenderTexture(16, 16, 4, 0, 0, 0);
        device_->clearTexture(white, 0xFFFFFFFFu);
        ASSERT_EQ(device_->copyRect(shadow_, {100, 100, 116, 116}, white, {0, 0, 16, 16}), 0);
        white->release();
        sprite_ = device_->createShadowSprite(shadow_);
        ASSERT_NE(sprite_, nullptr);
        const Kavro::Vector4D corners[4] = {{-1, 1, 0, 1}, {1, 1, 0, 1}, {-1, -1, 0, 1}, {1, -1, 0, 1}};
        const Kavro::Vector2D uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        const uint32_t black[4] = {Rgba(0, 0, 0, 255), Rgba(0, 0, 0, 255), Rgba(0, 0, 0, 255), Rgba(0, 0, 0, 255)};
        sprite_->setQuad(Kavro::Matrix4x4(), corners, black, uv);
    }
    void TearDown() override
    {
        if (sprite_)
            sprite_->release();
        if (shadow_)
            shadow_->release();
        RenderFixture::TearDown();
    }
    void drawShadow()
    {
        device_->clear(1, &grey_);
        ASSERT_EQ(sprite_->draw({0.0f, 0.0f}, nullptr, 1.0f), 0);
        readBack();
    }
    int greyOf(int x, int y) const { return int(pixel(x, y) & 0xFF); }

    const uint32_t grey_ = Argb(255, 128, 128, 128);
    Kavro::ITexture* shadow_ = nullptr;
    Kavro::IShadowSprite* sprite_ = nullptr;
};

TEST_F(ShadowSpriteTest, SharpShadowCoversTheStampInsideTheRectangleOnly)
{
    sprite_->setRect(92.0f, 92.0f, 20.0f, 32.0f);
    drawShadow();
    EXPECT_EQ(pixel(100, 100), 0xFF000000u);
    EXPECT_EQ(pixel(111, 115), 0xFF000000u);
    EXPECT_EQ(pixel(112, 105), grey_) << "the stamp goes on, the rectangle ends";
    EXPECT_EQ(pixel(99, 105), grey_) << "beside the stamp";
    EXPECT_EQ(pixel(105, 116), grey_);
}

TEST_F(ShadowSpriteTest, SoftnessSpreadsTheEdgeSymmetrically)
{
    sprite_->setRect(84.0f, 84.0f, 48.0f, 48.0f);
    sprite_->setShading(4, 0.0f, 0.0f);
    drawShadow();
    EXPECT_LT(greyOf(108, 108), 8) << "the middle stays dark";
    EXPECT_EQ(pixel(86, 108), grey_) << "far outside stays clear";
    // Across the left and the right edge the shadow ramps between the background and black over a few pixels.
    int left = 0, right = 0;
    for (int d = -6; d <= 6; ++d)
    {
        left += greyOf(100 + d, 108) > 4 && greyOf(100 + d, 108) < 124;
        right += greyOf(115 + d, 108) > 4 && greyOf(115 + d, 108) < 124;
    }
    EXPECT_GE(left, 3);
    EXPECT_GE(right, 3);
    EXPECT_LE(std::abs(left - right), 2);
}

TEST_F(ShadowSpriteTest, HalvingsPerSoftnessAndGainOnAlpha)
{
    const int softness[] = {-3, 0, 1, 2, 3, 4, 7, 8, 16, 1000};
    const int expected[] = {0, 0, 0, 1, 1, 2, 2, 3, 4, 5};
    for (size_t i = 0; i < std::size(softness); ++i)
        EXPECT_EQ(Kavro::CShadowSprite::halvings(softness[i]), expected[i]) << softness[i];

    const Kavro::Vector4D corners[4] = {{-1, 1, 0, 1}, {1, 1, 0, 1}, {-1, -1, 0, 1}, {1, -1, 0, 1}};
    const Kavro::Vector2D uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    const uint32_t half = Rgba(0, 0, 0, 64);
    const uint32_t colours[4] = {half, half, half, half};
    sprite_->setQuad(Kavro::Matrix4x4(), corners, colours, uv);
    sprite_->setShading(0, 2.0f, 0.0f);
    drawShadow();
    EXPECT_NEAR(greyOf(108, 108), 128 - 128 * 128 / 255, 2) << "alpha 64 doubled";
}

TEST_F(ShadowSpriteTest, DitherPatternIsAnOrderedFourByFour)
{
    Kavro::ITexture* dither = device_->getDitherTexture();
    ASSERT_NE(dither, nullptr);
    EXPECT_EQ(dither, device_->getDitherTexture());
    ASSERT_EQ(dither->getSize()[0], 4);
    ASSERT_EQ(dither->getSize()[1], 4);
    std::vector<uint32_t> texels(16);
    ASSERT_EQ(dither->readPixels(texels.data()), 1);
    std::vector<int> levels;
    for (uint32_t t : texels)
    {
        EXPECT_EQ(t >> 24, 255u);
        levels.push_back(int(t & 0xFF));
    }
    EXPECT_EQ(levels, (std::vector<int>{8, 136, 40, 168, 200, 72, 232, 104, 56, 184, 24, 152, 248, 120, 216, 88}));
    EXPECT_EQ(sprite_->setDither(dither, 4.0f, 4.0f), 0);
}

} // namespace
} // namespace OrvaneTest
