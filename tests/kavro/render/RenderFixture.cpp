#include "RenderFixture.h"

#include <cstdio>
#include <cstdlib>

namespace OrvaneTest
{

void RenderFixture::SetUp()
{
    directory_ = std::filesystem::temp_directory_path() /
                 ("kavro_render_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
    fileSystem_ = new DirectoryFileSystem(directory_);
    device_ = Kavro::CreateRenderDevice(nullptr, ScreenWidth, ScreenHeight, fileSystem_);
    ASSERT_NE(device_, nullptr) << "no headless OpenGL 3.3 context (EGL surfaceless)";
    ASSERT_EQ(device_->beginFrame(), 0);
}

void RenderFixture::TearDown()
{
    if (device_)
        device_->release();
    fileSystem_->release();
    std::filesystem::remove_all(directory_);
}

void RenderFixture::writePng(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels)
{
    ASSERT_TRUE(Kavro::WritePng((directory_ / name).string(), width, height, pixels.data()));
}

void RenderFixture::readBack(Kavro::ITexture* target)
{
    const int32_t* size = target ? target->getSize() : device_->getScreenSize();
    readWidth_ = size[0];
    pixels_.assign(size_t(size[0]) * size_t(size[1]), 0xDEADBEEFu);
    ASSERT_EQ(device_->readPixels(target, pixels_.data()), 0);
}

uint32_t RenderFixture::pixel(int x, int y) const
{
    return pixels_.at(size_t(y) * size_t(readWidth_) + size_t(x));
}

Kavro::Matrix4x4 RenderFixture::spriteMatrix(float left, float top, float w, float h, float degrees, int viewWidth,
                                             int viewHeight) const
{
    const float cx = left + w * 0.5f - float(viewWidth) * 0.5f;
    const float cy = float(viewHeight) * 0.5f - (top + h * 0.5f);
    Kavro::Matrix4x4 view, projection;
    view.LookAt({0.0f, 0.0f, -1000.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    projection.Ortho(float(viewWidth), float(viewHeight), 0.0f, 120000.0f);
    return Kavro::Matrix4x4::GetRotationZ(degrees) * Kavro::Matrix4x4::GetTranslation(cx, cy, 0.0f) * view *
           projection;
}

std::array<Kavro::Vector4D, 4> RenderFixture::corners(float w, float h)
{
    const float hw = w * 0.5f, hh = h * 0.5f;
    return {{{-hw, hh, 0.0f, 1.0f}, {hw, hh, 0.0f, 1.0f}, {-hw, -hh, 0.0f, 1.0f}, {hw, -hh, 0.0f, 1.0f}}};
}

std::array<Kavro::Vector2D, 4> RenderFixture::wholeUv()
{
    return {{{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}}};
}

void RenderFixture::drawQuad(Kavro::ITexture* texture, float left, float top, float w, float h, uint32_t rgba,
                             int filter, int blendMode, int viewWidth, int viewHeight)
{
    Kavro::ISpriteQuad* quad = device_->createSprite(texture, 1, 1, 1);
    ASSERT_NE(quad, nullptr);
    const auto c = corners(w, h);
    const auto uv = wholeUv();
    const uint32_t colours[4] = {rgba, rgba, rgba, rgba};
    quad->setFilter(filter);
    quad->setBlendMode(blendMode);
    quad->begin();
    quad->addQuad(spriteMatrix(left, top, w, h, 0.0f, viewWidth, viewHeight), c.data(), colours, uv.data());
    quad->end();
    EXPECT_EQ(quad->draw({0.0f, 0.0f}, nullptr, 1.0f), 0);
    quad->release();
}

uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16 | uint32_t(a) << 24;
}

uint32_t Argb(uint8_t a, uint8_t r, uint8_t g, uint8_t b)
{
    return uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

int ChannelDistance(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift = 0; shift < 32; shift += 8)
        worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
    return worst;
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", value);
    return text;
}

} // namespace OrvaneTest
