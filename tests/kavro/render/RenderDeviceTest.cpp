#include "RenderFixture.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>

#include <csetjmp>
#include <cstdio>
#include <fstream>
#include <jpeglib.h>

namespace OrvaneTest
{
namespace
{

class RenderDeviceTest : public RenderFixture
{
protected:
    // A JPEG of one colour, written with libjpeg.
    void writeJpeg(const std::string& name, int w, int h, uint8_t r, uint8_t g, uint8_t b)
    {
        jpeg_compress_struct info;
        jpeg_error_mgr err;
        info.err = jpeg_std_error(&err);
        jpeg_create_compress(&info);
        FILE* file = std::fopen((directory_ / name).string().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        jpeg_stdio_dest(&info, file);
        info.image_width = JDIMENSION(w);
        info.image_height = JDIMENSION(h);
        info.input_components = 3;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, 95, TRUE);
        jpeg_start_compress(&info, TRUE);
        std::vector<uint8_t> row(size_t(w) * 3);
        for (int x = 0; x < w; ++x)
        {
            row[size_t(x) * 3] = r;
            row[size_t(x) * 3 + 1] = g;
            row[size_t(x) * 3 + 2] = b;
        }
        while (info.next_scanline < info.image_height)
        {
            JSAMPROW p = row.data();
            jpeg_write_scanlines(&info, &p, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        std::fclose(file);
    }

    void writeBytes(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::ofstream(directory_ / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
};

TEST_F(RenderDeviceTest, JpegLoadsThroughTheFileSystem)
{
    writeJpeg("photo.jpg", 24, 16, 40, 180, 90);
    Kavro::ITexture* texture = device_->loadTexture("photo.jpg", 0, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getSize()[0], 24);
    EXPECT_EQ(texture->getSize()[1], 16);
    std::vector<uint32_t> pixels(24 * 16);
    ASSERT_EQ(texture->readPixels(pixels.data()), 1);
    EXPECT_LE(ChannelDistance(pixels[5 * 24 + 7], Argb(255, 40, 180, 90)), 3) << Hex(pixels[5 * 24 + 7]);
    texture->release();
}

TEST_F(RenderDeviceTest, FilesThatAreNotImagesDoNotLoad)
{
    const auto goodPng = [&] {
        writePng("good.png", 8, 8, std::vector<uint32_t>(64, 0xFF00FF00u));
        std::ifstream in(directory_ / "good.png", std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }();
    std::vector<uint8_t> truncated(goodPng.begin(), goodPng.begin() + long(goodPng.size() / 2));
    std::vector<uint8_t> hugePng = goodPng;
    // IHDR width field (bytes 16..19) claims 2^30 pixels.
    hugePng[16] = 0x40;
    const std::vector<uint8_t> jpegHeaderOnly = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10};
    writeBytes("truncated.png", truncated);
    writeBytes("huge.png", hugePng);
    writeBytes("header.jpg", jpegHeaderOnly);
    writeBytes("text.png", {'h', 'e', 'l', 'l', 'o'});
    writeBytes("empty.png", {});
    for (const char* name : {"truncated.png", "huge.png", "header.jpg", "text.png", "empty.png", "missing.png", "",
                             "suf://never-made"})
    {
        SCOPED_TRACE(name);
        Kavro::ITexture* texture = device_->loadTexture(name, 0, 0);
        EXPECT_EQ(texture, nullptr);
        if (texture)
            texture->release();
    }
    EXPECT_EQ(device_->loadTexture(nullptr, 0, 0), nullptr);
}

TEST_F(RenderDeviceTest, LockedTextureTakesCpuPixels)
{
    Kavro::ITexture* texture = device_->createTexture(4, 3, 0, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->getFormat(), 1);
    EXPECT_EQ(texture->getData(), nullptr);
    ASSERT_EQ(texture->lock(6, nullptr), 0);
    EXPECT_EQ(texture->lock(6, nullptr), -1);
    const int pitch = texture->getPitch();
    ASSERT_GE(pitch, 16);
    auto* bytes = static_cast<uint8_t*>(texture->getData());
    ASSERT_NE(bytes, nullptr);
    // A new texture is transparent black.
    EXPECT_EQ(*reinterpret_cast<uint32_t*>(bytes), 0u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            reinterpret_cast<uint32_t*>(bytes + y * pitch)[x] = Argb(255, uint8_t(x * 60), uint8_t(y * 100), 7);
    ASSERT_EQ(texture->unlock(), 0);
    EXPECT_EQ(texture->unlock(), -1);

    drawQuad(texture, 30.0f, 40.0f, 4.0f, 3.0f);
    readBack();
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Hex(pixel(30 + x, 40 + y)), Hex(Argb(255, uint8_t(x * 60), uint8_t(y * 100), 7)));
    texture->release();
}

TEST_F(RenderDeviceTest, NamedSurfaceIsATextureByItsName)
{
    Kavro::ITexture* surface = device_->createNamedRenderTexture("suf://layer", 40, 30, 4, 0);
    ASSERT_NE(surface, nullptr);
    EXPECT_STREQ(surface->getFileName(), "suf://layer");
    EXPECT_EQ(surface->isRenderTarget(0), 1);
    // A new surface is transparent black.
    readBack(surface);
    EXPECT_EQ(pixel(0, 0), 0u);

    ASSERT_EQ(device_->setRenderTarget(0, surface, 0), 0);
    EXPECT_EQ(device_->getRenderTarget(0), surface);
    const uint32_t grey = Argb(255, 50, 50, 50);
    device_->clear(1, &grey);
    // Red square in the target's top-left corner, in the target's own pixels.
    drawQuad(nullptr, 0.0f, 0.0f, 10.0f, 10.0f, Rgba(255, 0, 0), 0, 1, 40, 30);
    ASSERT_EQ(device_->setRenderTarget(0, nullptr, 0), 0);
    EXPECT_EQ(device_->getRenderTarget(0), nullptr);

    Kavro::ITexture* byName = device_->loadTexture("suf://layer", 0, 0);
    ASSERT_EQ(byName, surface);
    surface->release();
    drawQuad(byName, 200.0f, 100.0f, 40.0f, 30.0f);
    readBack();
    EXPECT_EQ(Hex(pixel(200, 100)), Hex(Argb(255, 255, 0, 0)));
    EXPECT_EQ(Hex(pixel(209, 109)), Hex(Argb(255, 255, 0, 0)));
    EXPECT_EQ(Hex(pixel(210, 100)), Hex(grey));
    EXPECT_EQ(Hex(pixel(239, 129)), Hex(grey));
    EXPECT_EQ(Hex(pixel(240, 129)), Hex(Argb(255, 0, 0, 0)));

    // Once the last reference goes, the name finds nothing.
    byName->release();
    EXPECT_EQ(device_->loadTexture("suf://layer", 0, 0), nullptr);
}

TEST_F(RenderDeviceTest, ReleasingTheCurrentTargetFallsBackToTheScreen)
{
    Kavro::ITexture* target = device_->createRenderTexture(16, 16, 4, 0, 0, 0);
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(device_->setRenderTarget(0, target, 0), 0);
    target->release();
    EXPECT_EQ(device_->getRenderTarget(0), nullptr);
    const uint32_t blue = Argb(255, 0, 0, 255);
    EXPECT_EQ(device_->clear(1, &blue), 0);
    readBack();
    EXPECT_EQ(Hex(pixel(300, 200)), Hex(blue));
}

TEST_F(RenderDeviceTest, FillClearAndCopyBetweenTextures)
{
    Kavro::ITexture* a = device_->createRenderTexture(20, 10, 4, 0, 0, 0);
    Kavro::ITexture* b = device_->createRenderTexture(20, 10, 4, 0, 0, 0);
    Kavro::ITexture* small = device_->createRenderTexture(10, 5, 4, 0, 0, 0);
    ASSERT_TRUE(a && b && small);
    const uint32_t rgba = Rgba(10, 20, 30, 40);
    ASSERT_EQ(device_->fillTexture(a, &rgba), 0);
    readBack(a);
    EXPECT_EQ(Hex(pixel(19, 9)), Hex(Argb(40, 10, 20, 30)));

    EXPECT_EQ(device_->copyTexture(b, a, 0), 0);
    readBack(b);
    EXPECT_EQ(Hex(pixel(3, 4)), Hex(Argb(40, 10, 20, 30)));
    // Mode 0 wants equal sizes; another mode scales.
    EXPECT_EQ(device_->copyTexture(small, a, 0), -1);
    EXPECT_EQ(device_->copyTexture(small, a, 2), 0);
    readBack(small);
    EXPECT_EQ(Hex(pixel(9, 4)), Hex(Argb(40, 10, 20, 30)));

    // A rectangle of b gets one of the screen.
    device_->clearTexture(nullptr, Argb(255, 0, 255, 0));
    EXPECT_EQ(device_->copyRect(b, {2, 3, 6, 5}, nullptr, {0, 0, 4, 2}), 0);
    readBack(b);
    EXPECT_EQ(Hex(pixel(2, 3)), Hex(Argb(255, 0, 255, 0)));
    EXPECT_EQ(Hex(pixel(5, 4)), Hex(Argb(255, 0, 255, 0)));
    EXPECT_EQ(Hex(pixel(6, 4)), Hex(Argb(40, 10, 20, 30)));
    EXPECT_EQ(Hex(pixel(2, 2)), Hex(Argb(40, 10, 20, 30)));
    // Rectangles outside either texture are refused.
    EXPECT_EQ(device_->copyRect(b, {15, 0, 25, 5}, a, {0, 0, 10, 5}), -1);
    EXPECT_EQ(device_->copyRect(b, {0, 0, 10, 5}, a, {-1, 0, 9, 5}), -1);
    EXPECT_EQ(device_->copyRect(b, {0, 0, 0, 5}, a, {0, 0, 0, 5}), -1);

    EXPECT_EQ(b->copyFrom(a), 1);
    EXPECT_EQ(small->copyFrom(a), 0);
    a->release();
    b->release();
    small->release();
}

TEST_F(RenderDeviceTest, SharedRenderTextureIsOnePerSize)
{
    Kavro::ITexture* a = device_->getSharedRenderTexture(32, 16, 4);
    Kavro::ITexture* b = device_->getSharedRenderTexture(32, 16, 4);
    Kavro::ITexture* other = device_->getSharedRenderTexture(16, 32, 4);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, other);
    EXPECT_EQ(a->isRenderTarget(0), 1);
    EXPECT_EQ(device_->getSharedRenderTexture(0, 16, 4), nullptr);
    a->release();
    b->release();
    other->release();
    // Once every holder let go, the next caller gets a new, cleared one.
    Kavro::ITexture* again = device_->getSharedRenderTexture(32, 16, 4);
    ASSERT_NE(again, nullptr);
    readBack(again);
    EXPECT_EQ(pixel(0, 0), 0u);
    again->release();
}

TEST_F(RenderDeviceTest, SizesOutsideTheDevicesRangeAreRefused)
{
    for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-5, 5}, {1 << 20, 4}})
    {
        EXPECT_EQ(device_->createTexture(w, h, 0, 0), nullptr);
        EXPECT_EQ(device_->createRenderTexture(w, h, 4, 0, 0, 0), nullptr);
    }
    EXPECT_EQ(device_->createNamedRenderTexture("no-prefix", 8, 8, 4, 0), nullptr);
}

TEST_F(RenderDeviceTest, ScreenSavesAsPngThatMatchesTheReadBack)
{
    const uint32_t background = Argb(255, 30, 60, 90);
    device_->clear(1, &background);
    drawQuad(nullptr, 10.0f, 10.0f, 50.0f, 20.0f, Rgba(250, 200, 0));
    ASSERT_EQ(device_->drawDebugText({12.0f, 40.0f}, Argb(255, 255, 255, 255), "appFont", "Kavro 123"), 0);
    readBack();
    // The text left white pixels in its line.
    int white = 0;
    for (int y = 40; y < 50; ++y)
        for (int x = 12; x < 80; ++x)
            white += pixel(x, y) == Argb(255, 255, 255, 255);
    EXPECT_GT(white, 20);

    const std::string path = (directory_ / "shot.png").string();
    ASSERT_EQ(device_->saveTexture(path.c_str(), nullptr, 0), 0);
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
    Kavro::DecodedImage image;
    std::string error;
    ASSERT_TRUE(Kavro::DecodeImage(bytes.data(), bytes.size(), image, error)) << error;
    ASSERT_EQ(image.width, ScreenWidth);
    ASSERT_EQ(image.height, ScreenHeight);
    EXPECT_EQ(image.pixels, pixels_);
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    // A path that cannot be written fails.
    EXPECT_EQ(device_->saveTexture((directory_ / "no/such/dir/x.png").string().c_str(), nullptr, 0), -1);
}

TEST_F(RenderDeviceTest, FrameCycleAndSceneManager)
{
    ASSERT_EQ(device_->endFrame(), 0);
    ASSERT_EQ(device_->beginFrame(), 0);
    Kavro::ISceneManager* scene = device_->getSceneManager();
    ASSERT_NE(scene, nullptr);
    uint32_t word = 5;
    const uint32_t start = 1;
    EXPECT_EQ(scene->setup(&word, &start), 0);
    EXPECT_EQ(scene->setRenderTarget(nullptr), 0);
    EXPECT_EQ(scene->renderScene(), 0);
    EXPECT_EQ(scene->finishRender(), 0);
    ASSERT_EQ(device_->endFrame(), 0);
    EXPECT_NE(device_->getDefaultTexture(), nullptr);
    EXPECT_EQ(device_->getDefaultTexture()->getSize()[0], 1);
}

} // namespace
} // namespace OrvaneTest
