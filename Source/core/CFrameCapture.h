#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace Kavro
{
class ICore;
class IRenderDevice;
} // namespace Kavro

namespace Orvane
{

// For test runs of the program: ORVANE_CAPTURE_FRAMES="31:/tmp/a.png;62:/tmp/b.png" saves those frames
// (counted from 1), read back from the render device as drawn, as PNG files; ORVANE_FRAME_LIMIT=N asks
// the program to quit after frame N. Without the variables it does nothing.
class CFrameCapture
{
public:
    CFrameCapture();

    // After a frame is drawn, before it is shown.
    void frameDrawn(Kavro::IRenderDevice& device, Kavro::ICore& core);

    // Reads "frame:path" pairs separated by ';'; malformed pairs are skipped.
    static std::map<uint32_t, std::string> parseFrames(const std::string& text);

private:
    uint32_t frame = 0;
    uint32_t limit = 0;
    std::map<uint32_t, std::string> captures;
};

} // namespace Orvane
