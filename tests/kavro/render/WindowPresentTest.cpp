#include "RenderFixture.h"

#include "render/GL.h"

#include <kavro/IRenderDevice.h>

#include <SDL2/SDL.h>

namespace OrvaneTest
{
namespace
{

// A device over an SDL window (the offscreen video driver in tests) presents the screen scaled into it.
class WindowPresentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_VIDEO), 0) << SDL_GetError();
        // Held for the whole run: unloaded, the GL driver's own allocations would look lost.
        static const bool driverLoaded = SDL_GL_LoadLibrary(nullptr) == 0;
        ASSERT_TRUE(driverLoaded) << SDL_GetError();
        Kavro::PrepareRenderWindowAttributes();
        window_ = SDL_CreateWindow("render test", 0, 0, 200, 100, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
        ASSERT_NE(window_, nullptr) << SDL_GetError();
        device_ = Kavro::CreateRenderDevice(window_, 40, 40, nullptr);
        ASSERT_NE(device_, nullptr);
    }
    void TearDown() override
    {
        if (device_)
            device_->release();
        if (window_)
            SDL_DestroyWindow(window_);
        // The video subsystem stays up: quitting it unloads the GL driver, whose allocations then look lost.
    }

    // Presents a red screen and reads the window's pixels (rows top down, 0xAARRGGBB).
    std::vector<uint32_t> presentRed()
    {
        device_->beginFrame();
        const uint32_t red = Argb(255, 255, 0, 0);
        device_->clear(1, &red);
        EXPECT_EQ(device_->endFrame(), 0);
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(window_, &w, &h);
        EXPECT_EQ(w, 200);
        EXPECT_EQ(h, 100);
        std::vector<uint32_t> bottomUp(size_t(w) * size_t(h));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadPixels(0, 0, w, h, GL_BGRA, GL_UNSIGNED_BYTE, bottomUp.data());
        std::vector<uint32_t> rows(bottomUp.size());
        for (int y = 0; y < h; ++y)
            std::copy_n(&bottomUp[size_t(h - 1 - y) * w], w, &rows[size_t(y) * w]);
        return rows;
    }

    SDL_Window* window_ = nullptr;
    Kavro::IRenderDevice* device_ = nullptr;
};

TEST_F(WindowPresentTest, SquareScreenIsCentredBetweenBars)
{
    const auto window = presentRed();
    const uint32_t red = Argb(255, 255, 0, 0), black = Argb(255, 0, 0, 0);
    // 40 x 40 into 200 x 100: a 100 x 100 square at x 50..149.
    EXPECT_EQ(Hex(window[50 * 200 + 49]), Hex(black));
    EXPECT_EQ(Hex(window[50 * 200 + 50]), Hex(red));
    EXPECT_EQ(Hex(window[0 * 200 + 149]), Hex(red));
    EXPECT_EQ(Hex(window[99 * 200 + 149]), Hex(red));
    EXPECT_EQ(Hex(window[50 * 200 + 150]), Hex(black));
}

TEST_F(WindowPresentTest, ProviderPlacesTheScreen)
{
    Kavro::SetPresentRectProvider(device_, [] { return Kavro::Rect2D<int>(10, 20, 30, 40); });
    const auto window = presentRed();
    const uint32_t red = Argb(255, 255, 0, 0), black = Argb(255, 0, 0, 0);
    EXPECT_EQ(Hex(window[20 * 200 + 10]), Hex(red));
    EXPECT_EQ(Hex(window[59 * 200 + 39]), Hex(red));
    EXPECT_EQ(Hex(window[19 * 200 + 10]), Hex(black));
    EXPECT_EQ(Hex(window[20 * 200 + 9]), Hex(black));
    EXPECT_EQ(Hex(window[60 * 200 + 39]), Hex(black));
    EXPECT_EQ(Hex(window[59 * 200 + 40]), Hex(black));
}

} // namespace
} // namespace OrvaneTest
