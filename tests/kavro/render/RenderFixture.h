#pragma once

#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"
#include "support/DirectoryFileSystem.h"

#include <kavro/Matrix4x4.h>
#include <kavro/Vector4D.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

namespace OrvaneTest
{

// A headless render device of a 320 x 240 screen over a fresh directory of fixture files.
class RenderFixture : public ::testing::Test
{
protected:
    static constexpr int ScreenWidth = 320;
    static constexpr int ScreenHeight = 240;

    void SetUp() override;
    void TearDown() override;

    // Writes a PNG fixture (0xAARRGGBB pixels, rows top down) into the fixture directory.
    void writePng(const std::string& name, int width, int height, const std::vector<uint32_t>& pixels);
    // Reads target (null: the screen) back; pixel(x, y) reads from the last read-back.
    void readBack(Kavro::ITexture* target = nullptr);
    uint32_t pixel(int x, int y) const;

    // Matrix of a w x h quad whose corners are centred on its origin (y up), turned by degrees, with its
    // top-left at (left, top) in screen pixels before turning: the sprites' own projection.
    Kavro::Matrix4x4 spriteMatrix(float left, float top, float w, float h, float degrees = 0.0f,
                                  int viewWidth = ScreenWidth, int viewHeight = ScreenHeight) const;
    static std::array<Kavro::Vector4D, 4> corners(float w, float h);
    static std::array<Kavro::Vector2D, 4> wholeUv();
    // Draws texture (null: white) as a w x h quad at (left, top) with blend mode 1.
    void drawQuad(Kavro::ITexture* texture, float left, float top, float w, float h, uint32_t rgba = 0xFFFFFFFFu,
                  int filter = 0, int blendMode = 1, int viewWidth = ScreenWidth, int viewHeight = ScreenHeight);

    std::filesystem::path directory_;
    DirectoryFileSystem* fileSystem_ = nullptr;
    Kavro::IRenderDevice* device_ = nullptr;
    std::vector<uint32_t> pixels_;
    int readWidth_ = 0;
};

// Packs red, green, blue, alpha as the quads take them (bytes in memory order).
uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
// Packs as the textures hold pixels: 0xAARRGGBB.
uint32_t Argb(uint8_t a, uint8_t r, uint8_t g, uint8_t b);
// Largest difference of one channel between two 0xAARRGGBB pixels.
int ChannelDistance(uint32_t a, uint32_t b);
std::string Hex(uint32_t value);

} // namespace OrvaneTest
