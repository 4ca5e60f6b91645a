#include "RenderFixture.h"

#include <kavro/IRenderDevice.h>

namespace OrvaneTest
{
namespace
{

constexpr uint32_t Background = 0xFF102030u; // 0xAARRGGBB
constexpr uint32_t White = 0xFFFFFFFFu;

class MaskQuadTest : public RenderFixture
{
protected:
    // A 64 x 64 mask picture: opaque left half, alpha 128 in the right half's top rows, clear below them.
    Kavro::ITexture* maskPicture()
    {
        std::vector<uint32_t> image(64 * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x)
                image[size_t(y) * 64 + x] = x < 32 ? 0xFFFFFFFFu : y < 16 ? 0x80FFFFFFu : 0x00FFFFFFu;
        writePng("mask.png", 64, 64, image);
        return device_->loadTexture("mask.png", 0, 0);
    }
    // A quad list of one w x h quad at (left, top).
    void place(Kavro::ISpriteQuad* quad, float left, float top, float w, float h, int view = ScreenWidth,
                      int viewHeight = ScreenHeight)
    {
        const auto c = corners(w, h);
        const auto uv = wholeUv();
        const uint32_t colours[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
        quad->begin();
        quad->addQuad(spriteMatrix(left, top, w, h, 0.0f, view, viewHeight), c.data(), colours, uv.data());
        quad->end();
    }
    // White over (80, 40)..(200, 140), masked by mask, on the background; read back.
    void drawMasked(Kavro::ISpriteQuad* mask)
    {
        device_->clear(1, &Background);
        Kavro::ISpriteQuad* white = device_->createSprite(nullptr, 1, 1, 1);
        ASSERT_NE(white, nullptr);
        EXPECT_EQ(white->setMask(mask), 0);
        place(white, 80.0f, 40.0f, 120.0f, 100.0f);
        EXPECT_EQ(white->draw({0.0f, 0.0f}, nullptr, 1.0f), 0);
        white->release();
        readBack();
    }
};

TEST_F(MaskQuadTest, OnlyModeSixMakesAMaskQuad)
{
    EXPECT_EQ(device_->createSpriteMask(nullptr, 5), nullptr);
    Kavro::ISpriteQuad* mask = device_->createSpriteMask(nullptr, 6);
    ASSERT_NE(mask, nullptr);
    mask->release();
    // Plain quads take no mask options, nor a plain quad as their mask.
    Kavro::ISpriteQuad* plain = device_->createSprite(nullptr, 1, 1, 1);
    EXPECT_EQ(plain->setMaskSize(64, 64), -1);
    EXPECT_EQ(plain->setDiffuseOnly(1), -1);
    Kavro::ISpriteQuad* other = device_->createSprite(nullptr, 1, 1, 1);
    EXPECT_EQ(plain->setMask(other), -1);
    other->release();
    plain->release();
}

TEST_F(MaskQuadTest, TheMasksAlphaLimitsTheMaskedQuadAndItsPictureIsNotShown)
{
    Kavro::ITexture* picture = maskPicture();
    ASSERT_NE(picture, nullptr);
    Kavro::ISpriteQuad* mask = device_->createSpriteMask(picture, 6);
    picture->release();
    ASSERT_NE(mask, nullptr);

    // Not drawn yet: the mask is empty and hides everything.
    drawMasked(mask);
    EXPECT_EQ(Hex(pixel(110, 60)), Hex(Background));

    place(mask, 100.0f, 50.0f, 64.0f, 64.0f);
    EXPECT_EQ(mask->draw({0.0f, 0.0f}, nullptr, 1.0f), 0);
    drawMasked(mask);
    struct Probe
    {
        int x, y;
        uint32_t expected;
    } probes[] = {{100, 50, White},      {131, 113, White},     {132, 80, Background}, {99, 60, Background},
                  {150, 30, Background}, {150, 120, Background}, {90, 130, Background}};
    for (const Probe& p : probes)
        EXPECT_EQ(Hex(pixel(p.x, p.y)), Hex(p.expected)) << p.x << ", " << p.y;
    // Half the mask's alpha: half way between the background and white.
    EXPECT_LE(ChannelDistance(pixel(150, 55), Argb(255, 0x88, 0x90, 0x98)), 2) << Hex(pixel(150, 55));

    // The mask keeps its picture between draws; diffuse only, it is the quad's whole rectangle.
    EXPECT_EQ(mask->setDiffuseOnly(1), 0);
    drawMasked(mask);
    EXPECT_EQ(Hex(pixel(150, 80)), Hex(Background));
    EXPECT_EQ(mask->draw({0.0f, 0.0f}, nullptr, 1.0f), 0);
    drawMasked(mask);
    EXPECT_EQ(Hex(pixel(150, 80)), Hex(White));
    EXPECT_EQ(Hex(pixel(163, 113)), Hex(White));
    EXPECT_EQ(Hex(pixel(164, 80)), Hex(Background));
    mask->release();
}

TEST_F(MaskQuadTest, AMaskOfAnotherSizeCoversTheSameShareOfTheTarget)
{
    Kavro::ISpriteQuad* mask = device_->createSpriteMask(nullptr, 6);
    ASSERT_NE(mask, nullptr);
    // A quarter-size mask: (50, 25) 32 x 32 there is (100, 50) 64 x 64 on the screen.
    EXPECT_EQ(mask->setMaskSize(ScreenWidth / 2, ScreenHeight / 2), 0);
    place(mask, 50.0f, 25.0f, 32.0f, 32.0f, ScreenWidth / 2, ScreenHeight / 2);
    EXPECT_EQ(mask->draw({0.0f, 0.0f}, nullptr, 1.0f), 0);
    drawMasked(mask);
    EXPECT_EQ(Hex(pixel(100, 50)), Hex(White));
    EXPECT_EQ(Hex(pixel(163, 113)), Hex(White));
    EXPECT_EQ(Hex(pixel(164, 80)), Hex(Background));
    EXPECT_EQ(Hex(pixel(99, 80)), Hex(Background));
    mask->release();
}

} // namespace
} // namespace OrvaneTest
