#include "SoundFixture.h"

#include "fs/ArchiveFileSystem.h"

#include <sndfile.h>

#include <cmath>
#include <numbers>

namespace OrvaneTest
{

Signal Sine(double hertz, double amplitude)
{
    return [=](int64_t frame, int)
    { return float(amplitude * std::sin(2.0 * std::numbers::pi * hertz * double(frame) / Rate)); };
}

void WriteSound(const std::string& path, int format, int channels, int64_t frames, const Signal& signal,
                int rate)
{
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    std::vector<float> samples(size_t(frames) * size_t(channels));
    for (int64_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[size_t(i) * size_t(channels) + size_t(c)] = signal(i, c);
    EXPECT_EQ(sf_writef_float(file, samples.data(), frames), frames);
    sf_close(file);
}

double Stereo::rms(int channel, size_t from, size_t to) const
{
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += double(at(i, channel)) * at(i, channel);
    return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

double Stereo::peak(int channel, size_t from, size_t to) const
{
    double most = 0.0;
    for (size_t i = from; i < to; ++i)
        most = std::max(most, double(std::fabs(at(i, channel))));
    return most;
}

double Stereo::period(int channel, size_t from, size_t to) const
{
    std::vector<double> crossings;
    for (size_t i = from + 1; i < to; ++i)
        if (at(i - 1, channel) < 0.0f && at(i, channel) >= 0.0f)
            crossings.push_back(double(i - 1) + at(i - 1, channel) / (at(i - 1, channel) - at(i, channel)));
    if (crossings.size() < 2) return 0.0;
    return (crossings.back() - crossings.front()) / double(crossings.size() - 1);
}

double Stereo::largestStep(int channel, size_t from, size_t to) const
{
    double most = 0.0;
    for (size_t i = from + 1; i < to; ++i)
        most = std::max(most, double(std::fabs(at(i, channel) - at(i - 1, channel))));
    return most;
}

SoundTest::SoundTest()
{
    fileSystem = Kavro::CreateArchiveFileSystem();
    device = new Kavro::CSoundDevice(fileSystem, Kavro::CSoundDevice::Output::Offline);
}

SoundTest::~SoundTest()
{
    device->release();
    fileSystem->release();
}

uint32_t SoundTest::openSound(const std::string& name, int mode, int instances)
{
    const uint32_t handle = uint32_t(device->newHandle(-4096, -1));
    EXPECT_EQ(device->open(path(name).c_str(), mode, handle, instances, 1), 0) << name;
    return handle;
}

Stereo SoundTest::render(int frames)
{
    Stereo out;
    out.samples.resize(size_t(frames) * 2);
    device->renderOffline(out.samples.data(), frames);
    return out;
}

} // namespace OrvaneTest
