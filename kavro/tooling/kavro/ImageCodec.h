#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Kavro
{

// Pixels of a decoded image: 32-bit 0xAARRGGBB, rows top down.
struct DecodedImage
{
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// Largest width or height an image file may declare.
inline constexpr int MaxImageSide = 16384;
// Largest pixel count (64 MiB of pixels): a file of a few hundred bytes may declare a far larger image.
inline constexpr int64_t MaxImagePixels = int64_t(4096) * 4096;

// Decodes a PNG or JPEG file held in memory (recognised by its signature). Sizes over maxSide or
// MaxImagePixels are refused from the header, before anything is decoded. On failure returns false and
// puts the reason into error.
bool DecodeImage(const uint8_t* data, size_t size, DecodedImage& out, std::string& error,
                 int maxSide = MaxImageSide);

// The PNG file of 0xAARRGGBB pixels (rows top down); empty when it cannot be encoded.
std::vector<uint8_t> EncodePng(int width, int height, const uint32_t* pixels);

// Writes 0xAARRGGBB pixels (rows top down) as a PNG file; the file is written under a temporary name and
// renamed over path on success.
bool WritePng(const std::string& path, int width, int height, const uint32_t* pixels);

} // namespace Kavro
