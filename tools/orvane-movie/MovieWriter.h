#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace OrvaneTools
{

// What a generated movie shows and sounds like.
struct MovieSpec
{
    int width = 64;
    int height = 48;
    int fpsNumerator = 30;
    int fpsDenominator = 1;
    int frames = 30;
    // The colour (0xRRGGBB) of each pixel of each frame.
    std::function<uint32_t(int frame, int x, int y)> pixel = [](int, int, int) { return 0x808080u; };
    // A sine tone over the whole movie; 0 Hz: no sound stream.
    double toneHertz = 0.0;
    double toneLevel = 0.5;
    int soundRate = 44100;
    int channels = 2;
    // Sound length; 0 or less: as long as the video.
    double soundSeconds = 0.0;
    // 0..63.
    int quality = 48;
};

// An Ogg file with a Theora stream (and a Vorbis stream when there is a tone); empty on failure.
std::vector<uint8_t> WriteMovie(const MovieSpec& spec);

// A frame per colour, each filling the picture.
std::function<uint32_t(int, int, int)> ColourPerFrame(std::vector<uint32_t> colours);

} // namespace OrvaneTools
