#pragma once

#include "render/ImageCodec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

namespace OrvaneTest
{

inline std::string FileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A frame the program saved as a PNG (ORVANE_CAPTURE_FRAMES), decoded to 0xAARRGGBB pixels.
inline Kavro::DecodedImage ReadFrame(const std::string& path)
{
    const std::string bytes = FileText(path);
    Kavro::DecodedImage image;
    std::string error;
    EXPECT_TRUE(Kavro::DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, error))
        << path << ": " << error;
    return image;
}

inline uint32_t PixelAt(const Kavro::DecodedImage& image, int x, int y)
{
    return image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
}

} // namespace OrvaneTest
