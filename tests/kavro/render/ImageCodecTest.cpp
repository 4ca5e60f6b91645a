// Image files from a game are decoded only when their data can back the size they declare.
#include "render/ImageCodec.h"
#include "support/HostileFiles.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

std::vector<uint8_t> Jpeg(int width, int height, uint16_t declaredWidth = 0, uint16_t declaredHeight = 0)
{
    std::vector<uint8_t> bytes = OrvaneTest::JpegOfOneColour(width, height);
    if (declaredWidth)
        OrvaneTest::DeclareJpegSize(bytes, declaredWidth, declaredHeight);
    return bytes;
}

std::vector<uint8_t> Png(int width, int height, uint32_t declaredWidth = 0, uint32_t declaredHeight = 0)
{
    const std::vector<uint32_t> pixels(size_t(width) * size_t(height), 0xFF336699u);
    std::vector<uint8_t> bytes = Kavro::EncodePng(width, height, pixels.data());
    if (declaredWidth)
        OrvaneTest::DeclarePngSize(bytes, declaredWidth, declaredHeight);
    return bytes;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t keep)
{
    bytes.resize(keep);
    return bytes;
}

} // namespace

TEST(ImageCodec, HostileSizesAreRefusedBeforeDecoding)
{
    const struct
    {
        const char* name;
        std::function<std::vector<uint8_t>()> file;
        int maxSide;
        int width; // 0: refused
    } cases[] = {
        {"a plain JPEG", [] { return Jpeg(40, 24); }, Kavro::MaxImageSide, 40},
        {"a plain PNG", [] { return Png(40, 24); }, Kavro::MaxImageSide, 40},
        {"JPEG of 595 bytes declaring 16384 x 16384", [] { return Jpeg(16, 16, 16384, 16384); }, Kavro::MaxImageSide, 0},
        {"JPEG declaring 4096 x 4096 over the data of 16 x 16", [] { return Jpeg(16, 16, 4096, 4096); },
         Kavro::MaxImageSide, 0},
        {"JPEG cut in its data", [] { return Cut(Jpeg(256, 256), 400); }, Kavro::MaxImageSide, 0},
        {"JPEG wider than the device takes", [] { return Jpeg(40, 24); }, 32, 0},
        {"PNG declaring 4096 x 4097, one pixel too many", [] { return Png(16, 16, 4096, 4097); },
         Kavro::MaxImageSide, 0},
        {"PNG declaring 4000 x 4000 in a few hundred bytes", [] { return Png(16, 16, 4000, 4000); },
         Kavro::MaxImageSide, 0},
        {"PNG wider than the device takes", [] { return Png(40, 24); }, 32, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> bytes = c.file();
        Kavro::DecodedImage image;
        std::string error;
        const bool decoded = Kavro::DecodeImage(bytes.data(), bytes.size(), image, error, c.maxSide);
        EXPECT_EQ(decoded, c.width != 0) << error;
        EXPECT_EQ(image.width, c.width);
        if (c.width == 0)
        {
            EXPECT_FALSE(error.empty());
            EXPECT_LE(image.pixels.capacity() * 4, size_t(1) << 20) << "memory taken for a refused image";
        }
    }
}
