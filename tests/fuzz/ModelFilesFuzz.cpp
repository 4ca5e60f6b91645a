// libFuzzer target for the motion (".anm") and morph readers: any bytes are read without touching memory
// outside the data, and what is accepted keeps the readers' promises and writes back to the same bytes.
#include "scene/ModelFiles.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Kavro::MotionClip clip;
    if (Kavro::ReadMotionFile(data, size, clip))
    {
        if (!(clip.frameRate > 0.0f) || clip.frameCount == 0)
            std::abort();
        for (const Kavro::MotionTrack& track : clip.tracks)
            for (const Kavro::MotionRotationKey& key : track.rotations)
                if (std::fabs(key.value.Length() - 1.0f) > 1e-3f || key.frame > float(clip.frameCount - 1))
                    std::abort();
        Kavro::MotionClip again;
        const std::vector<uint8_t> bytes = Kavro::WriteMotionFile(clip);
        if (!Kavro::ReadMotionFile(bytes.data(), bytes.size(), again) || again.tracks.size() != clip.tracks.size())
            std::abort();
    }
    Kavro::MorphTargetFile morph;
    if (Kavro::ReadMorphFile(data, size, morph))
    {
        if (morph.positions.empty() || morph.positions.size() != morph.normals.size() ||
            morph.positions.size() * 24 > size)
            std::abort();
        const std::vector<uint8_t> bytes = Kavro::WriteMorphFile(morph);
        if (bytes.size() != size || !std::equal(bytes.begin(), bytes.end(), data))
            std::abort();
    }
    return 0;
}
