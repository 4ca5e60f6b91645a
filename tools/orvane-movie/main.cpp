// Writes a generated Ogg Theora movie: orvane-movie <file> [width height frames fps toneHertz]. The picture is
// a colour wheel turning behind a white bar that crosses the screen once; the sound a steady tone.
#include "MovieWriter.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace
{

constexpr double Pi = 3.14159265358979323846;

uint32_t hueColour(double turns)
{
    const double h = (turns - std::floor(turns)) * 6.0;
    const double x = 1.0 - std::fabs(std::fmod(h, 2.0) - 1.0);
    double r = 0, g = 0, b = 0;
    switch (int(h))
    {
    case 0: r = 1, g = x; break;
    case 1: r = x, g = 1; break;
    case 2: g = 1, b = x; break;
    case 3: g = x, b = 1; break;
    case 4: r = x, b = 1; break;
    default: r = 1, b = x; break;
    }
    auto byte = [](double v) { return uint32_t(std::lround(v * 200.0 + 30.0)); };
    return byte(r) << 16 | byte(g) << 8 | byte(b);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 7)
    {
        std::fprintf(stderr, "usage: orvane-movie <file> [width height frames fps toneHertz]\n");
        return 2;
    }
    OrvaneTools::MovieSpec spec;
    spec.width = 320;
    spec.height = 180;
    spec.frames = 90;
    spec.toneHertz = 440.0;
    spec.toneLevel = 0.3;
    if (argc == 7)
    {
        spec.width = std::atoi(argv[2]);
        spec.height = std::atoi(argv[3]);
        spec.frames = std::atoi(argv[4]);
        spec.fpsNumerator = std::atoi(argv[5]);
        spec.toneHertz = std::atof(argv[6]);
    }
    const int width = spec.width, height = spec.height, frames = spec.frames;
    spec.pixel = [=](int frame, int x, int y) {
        const double dx = x - width / 2.0, dy = y - height / 2.0;
        const double angle = std::atan2(dy, dx) / (2.0 * Pi);
        const int bar = frames > 1 ? frame * (width - width / 10) / (frames - 1) : 0;
        if (x >= bar && x < bar + width / 10)
            return 0xF0F0F0u;
        return hueColour(angle + double(frame) / frames);
    };
    const std::vector<uint8_t> bytes = OrvaneTools::WriteMovie(spec);
    if (bytes.empty())
    {
        std::fprintf(stderr, "orvane-movie: the movie could not be encoded\n");
        return 1;
    }
    const std::filesystem::path path(argv[1]);
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path());
    const std::filesystem::path temporary = path.string() + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        if (!out)
        {
            std::fprintf(stderr, "orvane-movie: %s cannot be written\n", argv[1]);
            return 1;
        }
    }
    std::filesystem::rename(temporary, path);
    return 0;
}
