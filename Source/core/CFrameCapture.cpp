#include "core/CFrameCapture.h"

#include <kavro/ICore.h>
#include <kavro/IRenderDevice.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace Orvane
{

CFrameCapture::CFrameCapture()
{
    if (const char* frames = std::getenv("ORVANE_CAPTURE_FRAMES")) captures = parseFrames(frames);
    if (const char* last = std::getenv("ORVANE_FRAME_LIMIT"))
        limit = uint32_t(std::strtoul(last, nullptr, 10));
}

std::map<uint32_t, std::string> CFrameCapture::parseFrames(const std::string& text)
{
    std::map<uint32_t, std::string> frames;
    std::istringstream pairs(text);
    std::string pair;
    while (std::getline(pairs, pair, ';'))
    {
        const size_t colon = pair.find(':');
        if (colon == 0 || colon == std::string::npos || colon + 1 == pair.size()) continue;
        char* end = nullptr;
        const unsigned long number = std::strtoul(pair.c_str(), &end, 10);
        if (end != pair.c_str() + colon || number == 0 || number > UINT32_MAX) continue;
        frames[uint32_t(number)] = pair.substr(colon + 1);
    }
    return frames;
}

void CFrameCapture::frameDrawn(Kavro::IRenderDevice& device, Kavro::ICore& core)
{
    if (captures.empty() && limit == 0) return;
    ++frame;
    if (auto it = captures.find(frame); it != captures.end())
        if (device.saveTexture(it->second.c_str(), nullptr, 0) < 0)
            std::fprintf(stderr, "orvane: frame %u could not be saved to %s\n", frame, it->second.c_str());
    if (limit != 0 && frame == limit) core.postQuitMessage(0);
}

} // namespace Orvane
