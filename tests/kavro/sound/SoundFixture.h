#pragma once

#include "sound/CSoundDevice.h"
#include "support/TempDirectory.h"

#include <kavro/IFileSystem.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace OrvaneTest
{

constexpr int Rate = 44100;

// Sample i of channel c of a fixture.
using Signal = std::function<float(int64_t frame, int channel)>;

Signal Sine(double hertz, double amplitude);

// Writes a sound file with libsndfile: format is an SF_FORMAT_* combination.
void WriteSound(const std::string& path, int format, int channels, int64_t frames, const Signal& signal,
                int rate = Rate);

// Interleaved stereo frames rendered offline.
struct Stereo
{
    std::vector<float> samples;

    size_t frames() const { return samples.size() / 2; }
    float at(size_t frame, int channel) const { return samples[frame * 2 + size_t(channel)]; }
    // RMS and peak of one channel over [from, to).
    double rms(int channel, size_t from, size_t to) const;
    double peak(int channel, size_t from, size_t to) const;
    // Mean distance in frames between rising zero crossings of one channel over [from, to).
    double period(int channel, size_t from, size_t to) const;
    // Largest step between neighbouring samples of one channel over [from, to).
    double largestStep(int channel, size_t from, size_t to) const;
};

// An offline device over a temp folder's plain files (and whatever archives a test mounts).
class SoundTest : public ::testing::Test
{
protected:
    SoundTest();
    ~SoundTest() override;

    std::string path(const std::string& name) const { return dir.file(name); }
    // A fresh handle opened on a file; fails the test when the open fails.
    uint32_t openSound(const std::string& name, int mode, int instances = 1);
    Stereo render(int frames);

    TempDirectory dir;
    Kavro::IFileSystem* fileSystem = nullptr;
    Kavro::CSoundDevice* device = nullptr;
};

} // namespace OrvaneTest
