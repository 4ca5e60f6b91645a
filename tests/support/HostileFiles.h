#pragma once

// Small files that claim far more than they hold: images declaring huge sizes, long silent sounds.
// Shared by the tests, the bomb benchmark and the fuzz targets' seeds.
#include <cstdint>
#include <vector>

namespace OrvaneTest
{

// A baseline JPEG of one colour, written with libjpeg.
std::vector<uint8_t> JpegOfOneColour(int width, int height);
// The same bytes with the frame header's size changed (the data stays that of the small image).
void DeclareJpegSize(std::vector<uint8_t>& jpeg, uint16_t width, uint16_t height);
// A PNG's header size changed, its checksum recomputed so that only the size is wrong.
void DeclarePngSize(std::vector<uint8_t>& png, uint32_t width, uint32_t height);
// A sound file of silence written by libsndfile: format is an SF_FORMAT_* major and minor pair.
std::vector<uint8_t> SilentSound(int format, int rate, int channels, int64_t frames);

} // namespace OrvaneTest
