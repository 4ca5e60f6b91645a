// Mixer CPU per second of audio: 64 in-memory and 8 streamed (Ogg Vorbis) sounds playing at once, mixed
// offline through the sound device, beside the same 72 sources played by OpenAL alone from static buffers
// (no decoding, no feeding) in the same run. Prints CPU seconds per audio second and the ratio.
#include "sound/CSoundDevice.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>
#include <sndfile.h>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int Rate = 44100;
constexpr int Memory = 64;
constexpr int Streamed = 8;
constexpr int Seconds = 20;
constexpr int Slice = 1024;

double CpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

std::vector<float> Tone(int channels, int frames, double hertz)
{
    std::vector<float> samples(size_t(frames) * size_t(channels));
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[size_t(i * channels + c)] =
                float(0.01 * std::sin(2 * std::numbers::pi * hertz * (i + c * 7) / Rate));
    return samples;
}

bool Write(const std::string& path, int format, int channels, const std::vector<float>& samples)
{
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return false;
    sf_writef_float(file, samples.data(), sf_count_t(samples.size() / size_t(channels)));
    sf_close(file);
    return true;
}

double MixDevice(const std::filesystem::path& dir)
{
    auto* device = new Kavro::CSoundDevice(nullptr, Kavro::CSoundDevice::Output::Offline);
    for (int i = 0; i < Memory + Streamed; ++i)
    {
        const bool streamed = i >= Memory;
        const std::string name = streamed ? "music" + std::to_string(i % Streamed) + ".ogg"
                                          : "effect" + std::to_string(i % 16) + ".wav";
        const uint32_t handle = uint32_t(device->newHandle(-4096, -1));
        if (device->open((dir / name).c_str(), streamed ? 1 : 0, handle, 1, 1) < 0)
        {
            std::fprintf(stderr, "cannot open %s\n", name.c_str());
            return -1;
        }
        device->setPan(handle, float(i % 9) / 4.0f - 1.0f, -1);
        device->play(handle, -1, 0, 0, 0);
    }
    std::vector<float> out(size_t(Slice) * 2);
    const double start = CpuSeconds();
    for (int done = 0; done < Seconds * Rate; done += Slice)
        device->renderOffline(out.data(), Slice);
    const double used = CpuSeconds() - start;
    device->release();
    return used / Seconds;
}

double MixOpenAlAlone()
{
    ALCdevice* device = alcLoopbackOpenDeviceSOFT(nullptr);
    const int attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                              ALC_STEREO_SOFT,
                              ALC_FORMAT_TYPE_SOFT,
                              ALC_FLOAT_SOFT,
                              ALC_FREQUENCY,
                              Rate,
                              ALC_HRTF_SOFT,
                              ALC_FALSE,
                              0};
    ALCcontext* context = alcCreateContext(device, attributes);
    alcSetThreadContext(context);
    std::vector<ALuint> buffers(Memory + Streamed), sources(Memory + Streamed);
    alGenBuffers(ALsizei(buffers.size()), buffers.data());
    alGenSources(ALsizei(sources.size()), sources.data());
    for (size_t i = 0; i < sources.size(); ++i)
    {
        const auto samples = Tone(2, Rate, 200.0 + double(i));
        alBufferData(buffers[i], AL_FORMAT_STEREO_FLOAT32, samples.data(),
                     ALsizei(samples.size() * sizeof(float)), Rate);
        alSourcei(sources[i], AL_BUFFER, ALint(buffers[i]));
        alSourcei(sources[i], AL_LOOPING, AL_TRUE);
        alSourcei(sources[i], AL_DIRECT_CHANNELS_SOFT, AL_TRUE);
        alSourcePlay(sources[i]);
    }
    std::vector<float> out(size_t(Slice) * 2);
    const double start = CpuSeconds();
    for (int done = 0; done < Seconds * Rate; done += Slice)
        alcRenderSamplesSOFT(device, out.data(), Slice);
    const double used = CpuSeconds() - start;
    alDeleteSources(ALsizei(sources.size()), sources.data());
    alDeleteBuffers(ALsizei(buffers.size()), buffers.data());
    alcSetThreadContext(nullptr);
    alcDestroyContext(context);
    alcCloseDevice(device);
    return used / Seconds;
}

} // namespace

int main()
{
    const auto dir =
        std::filesystem::temp_directory_path() / ("orvane-sound-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    for (int i = 0; i < 16; ++i)
        Write((dir / ("effect" + std::to_string(i) + ".wav")).string(), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1,
              Tone(1, Rate / 2 + i * 1000, 300.0 + 20.0 * i));
    for (int i = 0; i < Streamed; ++i)
        Write((dir / ("music" + std::to_string(i) + ".ogg")).string(), SF_FORMAT_OGG | SF_FORMAT_VORBIS, 2,
              Tone(2, 5 * Rate, 110.0 + 30.0 * i));

    const double device = MixDevice(dir);
    const double alone = MixOpenAlAlone();
    std::filesystem::remove_all(dir);
    if (device < 0) return 1;
    std::printf("%d in-memory + %d streamed sounds, %d s of 44.1 kHz stereo\n", Memory, Streamed, Seconds);
    std::printf("sound device:  %.4f CPU s per audio s (%.2f%% of one core)\n", device, device * 100);
    std::printf("OpenAL alone:  %.4f CPU s per audio s (%.2f%% of one core, static buffers, no decoding)\n",
                alone, alone * 100);
    std::printf("ratio device / OpenAL alone: %.2f\n", device / alone);
    return 0;
}
