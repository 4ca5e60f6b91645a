#include "RenderFixture.h"

#include "render/GL.h"

#include <kavro/IRenderDevice.h>

#include <cstdlib>
#include <fstream>

namespace OrvaneTest
{
namespace
{

// How quads become draw calls, and what the device refuses or reports.
class DrawBatchTest : public RenderFixture
{
protected:
    // count sprites over texture in a row of 8 x 8 cells (wrapping every 32), each drawn on its own.
    void drawSprites(const std::vector<Kavro::ITexture*>& textures, int count)
    {
        for (int i = 0; i < count; ++i)
            drawQuad(textures[size_t(i) % textures.size()], float(i % 32) * 8.0f, float(i / 32) * 8.0f, 8.0f, 8.0f,
                     Rgba(255, 255, 255, 200));
    }
    long drawCalls() const { return Kavro::GetRenderDrawCalls(device_); }

    Kavro::ITexture* solid(uint32_t argb)
    {
        Kavro::ITexture* texture = device_->createTexture(4, 4, 0, 0);
        EXPECT_NE(texture, nullptr);
        if (texture && texture->lock(0, nullptr) == 0)
        {
            std::fill_n(static_cast<uint32_t*>(texture->getData()), 16, argb);
            texture->unlock();
        }
        return texture;
    }
};

TEST_F(DrawBatchTest, SpritesOfOneTextureAreOneDrawCallUntilSomethingChanges)
{
    Kavro::ITexture* red = solid(Argb(255, 255, 0, 0));
    Kavro::ITexture* blue = solid(Argb(255, 0, 0, 255));
    readBack(); // nothing queued before counting
    const long before = drawCalls();
    drawSprites({red}, 200);
    EXPECT_EQ(drawCalls(), before) << "quads wait until something needs their pixels";
    readBack();
    EXPECT_EQ(drawCalls(), before + 1);
    EXPECT_EQ(Hex(pixel(3, 3)), Hex(pixel(7 * 8 + 3, 6 * 8 + 3)));
    EXPECT_EQ(Hex(pixel(3, 3)), Hex(Argb(255, 200, 0, 0)));

    // Alternating textures split every time; so do the blend mode and the target.
    drawSprites({red, blue}, 10);
    readBack();
    EXPECT_EQ(drawCalls(), before + 11);
    drawQuad(red, 0.0f, 0.0f, 8.0f, 8.0f, 0xFFFFFFFFu, 0, 1);
    drawQuad(red, 8.0f, 0.0f, 8.0f, 8.0f, 0xFFFFFFFFu, 0, 2);
    drawQuad(red, 16.0f, 0.0f, 8.0f, 8.0f, 0xFFFFFFFFu, 0, 2);
    Kavro::ITexture* target = device_->createRenderTexture(16, 16, 4, 0, 0, 0);
    ASSERT_EQ(device_->setRenderTarget(0, target, 0), 0);
    drawQuad(red, 0.0f, 0.0f, 8.0f, 8.0f, 0xFFFFFFFFu, 0, 2, 16, 16);
    device_->setRenderTarget(0, nullptr, 0);
    EXPECT_EQ(device_->endFrame(), 0);
    EXPECT_EQ(drawCalls(), before + 14);
    // The last quad landed in the target, not on the screen (adding keeps the target's alpha).
    readBack(target);
    EXPECT_EQ(Hex(pixel(2, 2)), Hex(Argb(0, 255, 0, 0)));
    EXPECT_EQ(Hex(pixel(12, 12)), Hex(0u));
    target->release();
    red->release();
    blue->release();
}

TEST_F(DrawBatchTest, ChangesToTexturesWaitForTheQuadsQueuedBefore)
{
    Kavro::ITexture* texture = solid(Argb(255, 255, 0, 0));
    drawQuad(texture, 0.0f, 0.0f, 8.0f, 8.0f);
    // New pixels after the draw: the queued quad still shows the old ones.
    ASSERT_EQ(texture->lock(0, nullptr), 0);
    std::fill_n(static_cast<uint32_t*>(texture->getData()), 16, Argb(255, 0, 255, 0));
    ASSERT_EQ(texture->unlock(), 0);
    drawQuad(texture, 8.0f, 0.0f, 8.0f, 8.0f);
    // A texture released while its quad waits still draws it.
    Kavro::ITexture* doomed = solid(Argb(255, 0, 0, 255));
    drawQuad(doomed, 16.0f, 0.0f, 8.0f, 8.0f);
    doomed->release();
    // Clearing after queued quads clears over them.
    Kavro::ITexture* target = device_->createRenderTexture(8, 8, 4, 0, 0, 0);
    ASSERT_EQ(device_->setRenderTarget(0, target, 0), 0);
    drawQuad(texture, 0.0f, 0.0f, 8.0f, 8.0f, 0xFFFFFFFFu, 0, 1, 8, 8);
    EXPECT_EQ(device_->clearTexture(target, Argb(255, 1, 2, 3)), 0);
    device_->setRenderTarget(0, nullptr, 0);
    readBack();
    EXPECT_EQ(Hex(pixel(4, 4)), Hex(Argb(255, 255, 0, 0)));
    EXPECT_EQ(Hex(pixel(12, 4)), Hex(Argb(255, 0, 255, 0)));
    EXPECT_EQ(Hex(pixel(20, 4)), Hex(Argb(255, 0, 0, 255)));
    readBack(target);
    EXPECT_EQ(Hex(pixel(4, 4)), Hex(Argb(255, 1, 2, 3)));
    target->release();
    texture->release();
}

TEST_F(DrawBatchTest, ATargetIsNotDrawnIntoItself)
{
    Kavro::ITexture* target = device_->createRenderTexture(8, 8, 4, 0, 0, 0);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(device_->setRenderTarget(0, target, 0), 0);
    Kavro::ISpriteQuad* quad = device_->createSprite(target, 1, 1, 1);
    const auto c = corners(8.0f, 8.0f);
    const auto uv = wholeUv();
    const uint32_t white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    quad->begin();
    quad->addQuad(spriteMatrix(0.0f, 0.0f, 8.0f, 8.0f, 0.0f, 8, 8), c.data(), white, uv.data());
    quad->end();
    EXPECT_EQ(quad->draw({0, 0}, nullptr, 1.0f), -1);
    // Into another target it draws.
    device_->setRenderTarget(0, nullptr, 0);
    EXPECT_EQ(quad->draw({0, 0}, nullptr, 1.0f), 0);
    quad->release();
    target->release();
}

TEST_F(DrawBatchTest, TexturesBeyondTheDriversLimitAreNull)
{
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    ASSERT_GT(limit, 0);
    EXPECT_EQ(device_->createTexture(limit + 1, 4, 0, 0), nullptr);
    EXPECT_EQ(device_->createRenderTexture(4, limit + 1, 4, 0, 0, 0), nullptr);
    EXPECT_EQ(device_->createNamedRenderTexture("suf://big", limit + 1, limit + 1, 4, 0), nullptr);
    EXPECT_EQ(device_->getSharedRenderTexture(limit * 2, 4, 4), nullptr);
}

TEST_F(DrawBatchTest, ScreenReadBackAndScreenshotAreOpaque)
{
    // Replace writes a translucent pixel into the screen; the window would show it opaque.
    const uint32_t clearColour = Argb(0, 10, 20, 30);
    device_->clear(1, &clearColour);
    drawQuad(nullptr, 0.0f, 0.0f, 8.0f, 8.0f, Rgba(200, 100, 50, 60), 0, 0);
    readBack();
    EXPECT_EQ(Hex(pixel(4, 4)), Hex(Argb(255, 200, 100, 50)));
    EXPECT_EQ(Hex(pixel(40, 40)), Hex(Argb(255, 10, 20, 30)));
    const std::string path = (directory_ / "screen.png").string();
    ASSERT_EQ(device_->saveTexture(path.c_str(), nullptr, 0), 0);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    Kavro::DecodedImage image;
    std::string error;
    ASSERT_TRUE(Kavro::DecodeImage(bytes.data(), bytes.size(), image, error)) << error;
    for (uint32_t p : image.pixels)
        ASSERT_EQ(p >> 24, 255u) << Hex(p);
    EXPECT_EQ(image.pixels, pixels_);

    // A render target keeps its alpha.
    Kavro::ITexture* target = device_->createRenderTexture(8, 8, 4, 0, 0, 0);
    ASSERT_EQ(device_->setRenderTarget(0, target, 0), 0);
    drawQuad(nullptr, 0.0f, 0.0f, 8.0f, 8.0f, Rgba(200, 100, 50, 60), 0, 0, 8, 8);
    readBack(target);
    EXPECT_EQ(Hex(pixel(4, 4)), Hex(Argb(60, 200, 100, 50)));
    target->release();
}

TEST_F(DrawBatchTest, TextureFilterTurnsLinearFilteringOn)
{
    writePng("two.png", 2, 1, {Argb(255, 0, 0, 0), Argb(255, 255, 255, 255)});
    Kavro::ITexture* texture = device_->loadTexture("two.png", 0, 0);
    ASSERT_NE(texture, nullptr);
    drawQuad(texture, 0.0f, 0.0f, 100.0f, 4.0f, 0xFFFFFFFFu, 0);
    texture->setFilter(1, 1);
    drawQuad(texture, 0.0f, 10.0f, 100.0f, 4.0f, 0xFFFFFFFFu, 0);
    texture->setFilter(0, 0);
    drawQuad(texture, 0.0f, 20.0f, 100.0f, 4.0f, 0xFFFFFFFFu, 0);
    texture->release();
    readBack();
    EXPECT_EQ(Hex(pixel(50, 1)), Hex(Argb(255, 255, 255, 255)));
    EXPECT_LE(ChannelDistance(pixel(50, 11), Argb(255, 128, 128, 128)), 4) << Hex(pixel(50, 11));
    EXPECT_EQ(Hex(pixel(50, 21)), Hex(Argb(255, 255, 255, 255)));
}

TEST_F(DrawBatchTest, AGLErrorIsReportedAndFailsTheTest)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            setenv("KAVRO_GL_ERRORS", "abort", 1);
            // The child dies before TearDown: its own scratch folder goes first.
            std::filesystem::remove_all(directory_);
            // Fixed-function texturing does not exist in a core context.
            glEnable(GL_TEXTURE_2D);
            std::vector<uint32_t> screen(size_t(ScreenWidth) * ScreenHeight);
            device_->readPixels(nullptr, screen.data());
        },
        "OpenGL error 0x0500 \\(GL_INVALID_ENUM\\) in reading pixels back");
}

TEST_F(DrawBatchTest, TheDeviceOutlivesItsReleasedContext)
{
    Kavro::ITexture* texture = device_->createRenderTexture(8, 8, 4, 0, 0, 0);
    drawQuad(nullptr, 0.0f, 0.0f, 8.0f, 8.0f);
    Kavro::ReleaseRenderContext(device_);
    EXPECT_EQ(device_->beginFrame(), -1);
    EXPECT_EQ(device_->readPixels(nullptr, pixels_.data()), -1);
    EXPECT_EQ(device_->createTexture(4, 4, 0, 0), nullptr);
    Kavro::IQuad* quad = device_->createColorQuad(1);
    ASSERT_NE(quad, nullptr);
    EXPECT_EQ(quad->draw({0, 0}, nullptr, 1.0f), -1);
    quad->release();
    texture->release();
}

} // namespace
} // namespace OrvaneTest
