#include "RenderFixture.h"

#include "fs/ArchiveFileSystem.h"

#include <kavro/ArchiveKey.h>
#include <kavro/IRenderDevice.h>
#include <kavro/Wpk2Writer.h>

#include <fstream>

namespace OrvaneTest
{
namespace
{

class ArchiveTextureTest : public RenderFixture
{
};

TEST_F(ArchiveTextureTest, TextureLoadsFromAWpk2Archive)
{
    std::vector<uint32_t> image(size_t(16) * 8);
    for (size_t i = 0; i < image.size(); ++i)
        image[i] = Argb(255, uint8_t(i * 2), uint8_t(255 - i), 77);
    writePng("source.png", 16, 8, image);
    std::ifstream in(directory_ / "source.png", std::ios::binary);
    std::vector<uint8_t> png(std::istreambuf_iterator<char>(in), {});
    in.close();
    std::filesystem::remove(directory_ / "source.png");

    const auto key = Kavro::BuildArchiveKey();
    Kavro::Wpk2Writer writer(key);
    writer.add("media/cg/bg01.png", png);
    const std::string archive = (directory_ / "cg.wpk").string();
    ASSERT_TRUE(writer.writeFile(archive, nullptr));

    Kavro::IFileSystem* archives = Kavro::CreateArchiveFileSystem();
    const uint32_t keyLength = 32;
    ASSERT_EQ(archives->mount(archive.c_str(), key.data(), &keyLength), 0);
    // A device of its own over the archive file system.
    device_->release();
    device_ = Kavro::CreateRenderDevice(nullptr, ScreenWidth, ScreenHeight, archives);
    archives->release();
    ASSERT_NE(device_, nullptr);
    device_->beginFrame();

    Kavro::ITexture* texture = device_->loadTexture("media/cg/bg01.png", 0, 0);
    ASSERT_NE(texture, nullptr);
    EXPECT_STREQ(texture->getFileName(), "media/cg/bg01.png");
    drawQuad(texture, 7.0f, 9.0f, 16.0f, 8.0f);
    texture->release();
    readBack();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(Hex(pixel(7 + x, 9 + y)), Hex(image[size_t(y) * 16 + x])) << x << ", " << y;
    EXPECT_EQ(device_->loadTexture("media/cg/missing.png", 0, 0), nullptr);
}

} // namespace
} // namespace OrvaneTest
