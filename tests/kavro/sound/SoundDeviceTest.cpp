#include "SoundFixture.h"

#include "Wpk2TestArchives.h"
#include "sound/CSoundData.h"

#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

using namespace OrvaneTest;

namespace
{

constexpr int Wav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
constexpr int Ogg = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
constexpr double Half = 0.70710678; // equal-power centre gain

// Every frame a value of its own, so a render shows exactly which frame played when.
float Ramp(int64_t frame, int)
{
    return float(frame + 1) / 4096.0f;
}

// The frames a sound of `length` frames plays with a loop: its pass order.
std::vector<int64_t> LoopOrder(int64_t length, int64_t start, int64_t end, int passes)
{
    std::vector<int64_t> order;
    for (int64_t i = 0; i < end; ++i)
        order.push_back(i);
    for (int pass = 1; pass < passes; ++pass)
        for (int64_t i = start; i < end; ++i)
            order.push_back(i);
    for (int64_t i = end; i < length; ++i)
        order.push_back(i);
    return order;
}

// Left channel of a hard-left render equals the sound's own samples.
void ExpectFrames(const Stereo& out, const std::vector<int64_t>& order, size_t from = 0)
{
    for (size_t i = 0; i < order.size(); ++i)
        ASSERT_FLOAT_EQ(out.at(from + i, 0), Ramp(order[i], 0)) << "output frame " << from + i;
}

} // namespace

TEST_F(SoundTest, HandlesStartAtOneAndUnknownHandlesFail)
{
    WriteSound(path("a.wav"), Wav, 1, 1000, Sine(441, 0.5));
    const int first = device->newHandle(-4096, -1);
    EXPECT_GE(first, 1);
    EXPECT_EQ(device->newHandle(-4096, -1), first + 1);

    const uint32_t unknown = uint32_t(first + 100);
    for (uint32_t handle : {0u, unknown})
    {
        EXPECT_EQ(device->open(path("a.wav").c_str(), 0, handle, 1, 1), -1);
        EXPECT_LT(device->play(handle, 1, 0, 0, 0), 0);
        EXPECT_LT(device->stop(handle, -1), 0);
        EXPECT_LT(device->setVolume(handle, 0.5f, -1), 0);
        EXPECT_LT(device->seek(handle, 10), 0);
        EXPECT_LT(device->releaseHandle(handle), 0);
        EXPECT_EQ(device->isPlaying(handle, -1), 0);
        EXPECT_EQ(device->getDuration(handle), 0);
        EXPECT_EQ(device->getPosition(handle), 0);
    }
    // Issued but never opened: known, yet it holds no sound to act on.
    EXPECT_LT(device->play(uint32_t(first), 1, 0, 0, 0), 0);
    EXPECT_EQ(device->open(path("a.wav").c_str(), 0, uint32_t(first), 1, 1), 0);
    EXPECT_EQ(device->play(uint32_t(first), 1, 0, 0, 0), 0);
    EXPECT_EQ(device->releaseHandle(uint32_t(first)), 0);
    EXPECT_LT(device->play(uint32_t(first), 1, 0, 0, 0), 0);
    // Released handles are opened again by the engine.
    EXPECT_EQ(device->open(path("a.wav").c_str(), 1, uint32_t(first), 1, 1), 0);
}

// Opening another file on a handle that holds a sound drops the old sound, playing or not, in either mode.
TEST_F(SoundTest, ReopeningAHandleReplacesItsSound)
{
    WriteSound(path("long.wav"), Wav, 1, Rate, Sine(441, 0.5));
    WriteSound(path("short.wav"), Wav, 1, Rate / 5, Sine(441, 0.25));
    for (int oldMode : {0, 1})
        for (int newMode : {0, 1})
        {
            SCOPED_TRACE(testing::Message() << "mode " << oldMode << " then " << newMode);
            const uint32_t handle = openSound("long.wav", oldMode, oldMode ? 1 : 3);
            ASSERT_EQ(device->play(handle, -1, 0, 0, 0), 0);
            render(2000);
            ASSERT_EQ(device->isPlaying(handle, -1), 1);

            ASSERT_EQ(device->open(path("short.wav").c_str(), newMode, handle, 1, 1), 0);
            EXPECT_EQ(device->isPlaying(handle, -1), 0);
            EXPECT_EQ(device->getDuration(handle), 200);
            EXPECT_EQ(render(2000).peak(0, 0, 2000), 0.0);

            ASSERT_EQ(device->play(handle, 1, 0, 0, 0), 0);
            const Stereo out = render(Rate / 10);
            EXPECT_NEAR(out.peak(0, 0, out.frames()), 0.25 * Half, 0.002);
            render(Rate / 5);
            EXPECT_EQ(device->isPlaying(handle, -1), 0);
            device->releaseHandle(handle);
        }
}

TEST_F(SoundTest, TenInstancesOverlapAsTenCopies)
{
    WriteSound(path("tone.wav"), Wav, 1, Rate, Sine(441, 0.05));
    const uint32_t handle = openSound("tone.wav", 0, 10);
    for (int instance = 0; instance < 10; ++instance)
        ASSERT_EQ(device->play(handle, 1, 0, 0, instance), 0);
    const Stereo ten = render(4410);
    EXPECT_NEAR(ten.peak(0, 0, 4410), 10 * 0.05 * Half, 0.002);
    EXPECT_NEAR(ten.peak(1, 0, 4410), 10 * 0.05 * Half, 0.002);

    // Playing one instance again restarts it: still one copy. Another handle on the file shares the decode.
    device->stop(handle, -1);
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(device->play(handle, 1, 0, 0, 3), 0);
    const uint32_t other = openSound("tone.wav", 0, 1);
    device->setPan(other, 1.0f, -1);
    device->play(other, 1, 0, 0, -1);
    const Stereo one = render(4410);
    EXPECT_NEAR(one.peak(0, 0, 4410), 0.05 * Half, 0.0005);
    EXPECT_NEAR(one.peak(1, 0, 4410), 0.05 * Half + 0.05, 0.0005);
    EXPECT_EQ(device->isPlaying(handle, -1), 1);
    EXPECT_EQ(device->isPlaying(handle, 3), 1);
    EXPECT_EQ(device->isPlaying(handle, 0), 0);
}

TEST_F(SoundTest, LoopRegionRepeatsSampleExactly)
{
    constexpr int64_t Length = 5000;
    WriteSound(path("ramp.wav"), Wav, 1, Length, Ramp);
    struct Case
    {
        int mode;
        int start;
        int end;
        int passes; // as played
        int64_t playedStart;
        int64_t playedEnd;
    };
    const Case cases[] = {
        {3, 1200, 3900, 3, 1200, 3900}, // three passes of the region, then on to the end
        {0, 1200, 3900, 1, 1200, 3900}, // 0 and 1 play once
        {1, 1200, 3900, 1, 1200, 3900},   {2, 100, 0, 2, 100, Length}, // an end of 0 is the end of the sound
        {2, 4000, 4000, 2, 4000, Length},                              // an end at the start, too
        {4, 0, 2500, 4, 0, 2500},                                      // a region shorter than one buffer
        {5, 2047, 2049, 5, 2047, 2049},                                // two frames across a buffer boundary
    };
    for (int mode : {0, 1})
        for (const Case& c : cases)
        {
            SCOPED_TRACE(testing::Message() << (mode ? "streamed" : "in memory") << " loop " << c.mode << " "
                                            << c.start << ".." << c.end);
            const uint32_t handle = openSound("ramp.wav", mode);
            device->setPan(handle, -1.0f, -1);
            ASSERT_EQ(device->play(handle, c.mode, c.start, c.end, 0), 0);
            const auto order = LoopOrder(Length, c.playedStart, c.playedEnd, c.passes);
            const Stereo out = render(int(order.size()) + 3000);
            ExpectFrames(out, order);
            EXPECT_EQ(out.peak(0, order.size(), out.frames()), 0.0);
            EXPECT_EQ(device->isPlaying(handle, -1), 0);
            device->releaseHandle(handle);
        }
}

TEST_F(SoundTest, NegativeLoopModeRepeatsForever)
{
    constexpr int64_t Length = 3000;
    WriteSound(path("ramp.wav"), Wav, 1, Length, Ramp);
    for (int mode : {0, 1})
    {
        const uint32_t handle = openSound("ramp.wav", mode);
        device->setPan(handle, -1.0f, -1);
        device->play(handle, -1, 500, 1700, 0);
        const auto order = LoopOrder(1700, 500, 1700, 33);
        const Stereo out = render(int(order.size()));
        ExpectFrames(out, order);
        EXPECT_EQ(device->isPlaying(handle, -1), 1);
        device->releaseHandle(handle);
    }
}

TEST_F(SoundTest, SetLoopChangesAPlayingLoop)
{
    WriteSound(path("ramp.wav"), Wav, 1, 3000, Ramp);
    for (int mode : {0, 1})
    {
        const uint32_t handle = openSound("ramp.wav", mode);
        device->setPan(handle, -1.0f, -1);
        device->play(handle, -1, 500, 1000, 0);
        render(20000);
        EXPECT_EQ(device->isPlaying(handle, -1), 1);
        // Played once from here on: the sound runs to its end and stops.
        EXPECT_EQ(device->setLoop(handle, 1, 0, 0, -1), 0);
        render(20000);
        EXPECT_EQ(device->isPlaying(handle, -1), 0);
        // Later plays take the new loop too.
        device->play(handle, 1, 0, 0, 0);
        const Stereo out = render(4000);
        ExpectFrames(out, LoopOrder(3000, 0, 3000, 1));
        device->releaseHandle(handle);
    }
}

TEST_F(SoundTest, StreamedOggLoopMatchesTheDecodedFile)
{
    WriteSound(path("tone.ogg"), Ogg, 1, Rate, Sine(330, 0.4));
    const uint32_t memory = openSound("tone.ogg", 0);
    const uint32_t streamed = openSound("tone.ogg", 1);
    device->setPan(memory, -1.0f, -1);
    device->setPan(streamed, 1.0f, -1);
    device->play(memory, 3, 10000, 30000, 0);
    device->play(streamed, 3, 10000, 30000, 0);
    const Stereo out = render(Rate + 2 * 20000 + 1000);
    for (size_t i = 0; i < out.frames(); ++i)
        ASSERT_FLOAT_EQ(out.at(i, 0), out.at(i, 1)) << "frame " << i;
    EXPECT_GT(out.rms(0, 50000, 70000), 0.25);
}

TEST_F(SoundTest, StreamedOggPlaysToItsEndWithoutGaps)
{
    constexpr int64_t Length = 3 * Rate; // many times the queued buffers
    WriteSound(path("long.ogg"), Ogg, 2, Length, Sine(441, 0.5));
    const uint32_t streamed = openSound("long.ogg", 1);
    const uint32_t memory = openSound("long.ogg", 0);
    EXPECT_EQ(device->getDuration(streamed), 3000);
    device->setPan(memory, 1.0f, -1);
    device->setPan(streamed, -1.0f, -1);
    device->play(streamed, 1, 0, 0, 0);
    device->play(memory, 1, 0, 0, 0);
    const Stereo out = render(int(Length) + 2000);
    // The stream hands over every sample the whole decode has, in order, across every buffer.
    for (size_t i = 0; i < out.frames(); ++i)
        ASSERT_FLOAT_EQ(out.at(i, 0), out.at(i, 1)) << "frame " << i;
    // A sine of this pitch never steps more than 2*pi*441/44100*0.5 between samples: no clicks.
    EXPECT_LT(out.largestStep(0, 0, size_t(Length)), 0.04);
    EXPECT_NEAR(out.rms(0, 0, size_t(Length)), 0.5 * Half, 0.01);
    EXPECT_EQ(out.peak(0, size_t(Length), out.frames()), 0.0);
    EXPECT_EQ(device->isPlaying(streamed, -1), 0);
}

TEST_F(SoundTest, VolumePanAndFrequencyShowInTheOutput)
{
    WriteSound(path("tone.wav"), Wav, 1, Rate, Sine(441, 0.5));
    WriteSound(path("stereo.wav"), Wav, 2, Rate, Sine(441, 0.5));
    const uint32_t handle = openSound("tone.wav", 0);
    const size_t Window = 8820; // whole periods
    struct Case
    {
        float pan;
        double left;
        double right;
    };
    for (const Case& c : {Case{-1.0f, 1.0, 0.0}, Case{-0.5f, 0.92388, 0.38268}, Case{0.0f, Half, Half},
                          Case{0.5f, 0.38268, 0.92388}, Case{1.0f, 0.0, 1.0}, Case{3.0f, 0.0, 1.0}})
    {
        SCOPED_TRACE(c.pan);
        device->setPan(handle, c.pan, -1);
        device->setVolume(handle, 0.5f, -1);
        device->play(handle, 1, 0, 0, 0);
        const Stereo out = render(int(Window));
        EXPECT_NEAR(out.rms(0, 0, Window), 0.5 * 0.5 * c.left / std::sqrt(2.0), 0.002);
        EXPECT_NEAR(out.rms(1, 0, Window), 0.5 * 0.5 * c.right / std::sqrt(2.0), 0.002);
    }
    device->stop(handle, -1);

    // A stereo sound keeps both channels at the centre and fades the far side.
    const uint32_t stereo = openSound("stereo.wav", 0);
    device->setPan(stereo, 0.5f, -1);
    device->play(stereo, 1, 0, 0, 0);
    const Stereo out = render(int(Window));
    EXPECT_NEAR(out.rms(0, 0, Window), 0.5 * 0.5412 / std::sqrt(2.0), 0.002);
    EXPECT_NEAR(out.rms(1, 0, Window), 0.5 / std::sqrt(2.0), 0.002);
    device->stop(stereo, -1);

    // Frequency is a factor of the rate: twice as fast halves the period and the playing time.
    device->setPan(handle, 0.0f, -1);
    device->setVolume(handle, 1.0f, -1);
    for (float factor : {2.0f, 0.5f})
    {
        device->setFrequency(handle, factor, -1);
        device->play(handle, 1, 0, 0, 0);
        const Stereo tone = render(Rate / 4);
        EXPECT_NEAR(tone.period(0, 0, tone.frames()), 100.0 / factor, 0.05);
        const int left = int(Rate / factor) - Rate / 4;
        render(left - 600);
        EXPECT_EQ(device->isPlaying(handle, -1), 1);
        render(1200);
        EXPECT_EQ(device->isPlaying(handle, -1), 0);
    }
}

TEST_F(SoundTest, PositionAndDurationAreMilliseconds)
{
    WriteSound(path("second.wav"), Wav, 1, Rate, Sine(441, 0.5));
    WriteSound(path("second.ogg"), Ogg, 1, Rate, Sine(441, 0.5));
    for (int mode : {0, 1})
        for (const char* name : {"second.wav", "second.ogg"})
        {
            SCOPED_TRACE(testing::Message() << name << " mode " << mode);
            const uint32_t handle = openSound(name, mode);
            EXPECT_EQ(device->getDuration(handle), 1000);
            EXPECT_EQ(device->getPosition(handle), 0);
            device->play(handle, 1, 0, 0, 0);
            render(Rate / 2);
            EXPECT_NEAR(device->getPosition(handle), 500, 1);
            device->pause(handle, -1);
            EXPECT_EQ(device->isPaused(handle, -1), 1);
            EXPECT_EQ(device->isPlaying(handle, -1), 0);
            render(Rate / 10);
            EXPECT_NEAR(device->getPosition(handle), 500, 1);
            device->seek(handle, 800); // a paused sound moves and stays paused
            EXPECT_NEAR(device->getPosition(handle), 800, 1);
            device->resume(handle, -1);
            render(Rate / 10);
            EXPECT_NEAR(device->getPosition(handle), 900, 1);
            render(Rate / 5);
            EXPECT_EQ(device->isPlaying(handle, -1), 0);
            EXPECT_EQ(device->getPosition(handle), 0);
            // Sought while stopped: the next play starts there.
            device->seek(handle, 250);
            EXPECT_EQ(device->getPosition(handle), 250);
            device->play(handle, 1, 0, 0, 0);
            render(Rate / 20);
            EXPECT_NEAR(device->getPosition(handle), 300, 1);
            device->releaseHandle(handle);
        }
}

TEST_F(SoundTest, EveryFormatDecodes)
{
    struct Case
    {
        const char* name;
        int format;
        int rate;
    };
    const Case cases[] = {
        {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, Rate},  {"float.wav", Wav, 22050},
        {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, Rate}, {"tone.ogg", Ogg, Rate},
        {"tone.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000},
    };
    for (const Case& c : cases)
    {
        WriteSound(
            path(c.name), c.format, 1, c.rate / 2,
            [&](int64_t frame, int)
            { return float(0.5 * std::sin(2 * 3.14159265358979 * 441.0 * double(frame) / c.rate)); },
            c.rate);
        for (int mode : {0, 1})
        {
            SCOPED_TRACE(testing::Message() << c.name << " mode " << mode);
            const uint32_t handle = openSound(c.name, mode);
            EXPECT_NEAR(device->getDuration(handle), 500, 15); // Opus pads its start
            device->play(handle, 1, 0, 0, 0);
            const Stereo out = render(Rate / 4);
            EXPECT_NEAR(out.rms(0, Rate / 20, out.frames()), 0.5 * Half / std::sqrt(2.0), 0.005);
            EXPECT_NEAR(out.period(0, Rate / 20, out.frames()), 100.0, 0.1);
            device->releaseHandle(handle);
        }
    }
}

TEST_F(SoundTest, SoundsPlayFromArchives)
{
    WriteSound(path("beep.wav"), Wav, 1, Rate / 2, Sine(441, 0.5));
    WriteSound(path("loop.ogg"), Ogg, 1, Rate / 2, Sine(441, 0.5));
    auto writer = FixedWriter();
    writer.add("se/beep.wav", dir.read("beep.wav"));
    writer.add("bgm/loop.ogg", dir.read("loop.ogg"));
    std::string error;
    ASSERT_TRUE(writer.writeFile(path("sound.wpk"), &error)) << error;
    ASSERT_EQ(fileSystem->mount(path("sound.wpk").c_str(), nullptr, nullptr), 0);
    std::filesystem::remove(path("beep.wav"));
    std::filesystem::remove(path("loop.ogg"));

    for (const auto& [name, mode] : {std::pair{"se/beep.wav", 0}, std::pair{"BGM/Loop.ogg", 1}})
    {
        SCOPED_TRACE(name);
        const uint32_t handle = uint32_t(device->newHandle(-4096, -1));
        ASSERT_EQ(device->open(name, mode, handle, 1, 1), 0);
        device->play(handle, 1, 0, 0, 0);
        const Stereo out = render(Rate / 4);
        EXPECT_NEAR(out.rms(0, 0, out.frames()), 0.5 * Half / std::sqrt(2.0), 0.005);
        device->releaseHandle(handle);
    }
}

TEST_F(SoundTest, ADamagedFileFailsItsOpenAndChangesNothing)
{
    WriteSound(path("good.wav"), Wav, 1, Rate, Sine(441, 0.5));
    WriteSound(path("short.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 1, Rate, Sine(441, 0.5));
    const auto good = dir.read("short.wav");
    dir.write("noise.ogg", NoiseBytes(5000, 7));
    dir.write("header.wav", std::vector<uint8_t>(good.begin(), good.begin() + 30));
    dir.write("empty.wav", {});
    WriteSound(path("surround.wav"), Wav, 6, 100, Sine(441, 0.5));

    const uint32_t handle = openSound("good.wav", 0);
    device->play(handle, -1, 0, 0, 0);
    for (const char* name : {"noise.ogg", "header.wav", "empty.wav", "surround.wav", "missing.wav"})
        for (int mode : {0, 1})
        {
            SCOPED_TRACE(testing::Message() << name << " mode " << mode);
            const int expected = std::string(name) == "missing.wav" ? -2 : -3;
            EXPECT_EQ(device->open(path(name).c_str(), mode, handle, 1, 1), expected);
            EXPECT_EQ(device->injectFile(path(name).c_str()), expected);
        }
    // The handle still holds the sound it had, playing.
    EXPECT_EQ(device->isPlaying(handle, -1), 1);
    EXPECT_EQ(device->getDuration(handle), 1000);
    const Stereo out = render(4410);
    EXPECT_NEAR(out.peak(0, 0, out.frames()), 0.5 * Half, 0.002);

    // A file cut short in its data plays what it holds.
    std::vector<uint8_t> cut(good.begin(), good.begin() + long(good.size() / 2));
    dir.write("cut.wav", cut);
    const uint32_t partial = openSound("cut.wav", 1);
    device->stop(handle, -1);
    device->play(partial, 1, 0, 0, 0);
    render(Rate / 2 + 2000);
    EXPECT_EQ(device->isPlaying(partial, -1), 0);
}

TEST_F(SoundTest, InjectedFilesStayDecoded)
{
    WriteSound(path("a.wav"), Wav, 1, 1000, Sine(441, 0.5));
    EXPECT_EQ(device->injectFile(path("a.wav").c_str()), 0);
    std::filesystem::remove(path("a.wav"));
    // Opened in memory from the cache, though the file is gone.
    const uint32_t handle = openSound("a.wav", 0);
    EXPECT_EQ(device->getDuration(handle), 22);
    EXPECT_EQ(device->ejectFile(path("a.wav").c_str()), 0);
    EXPECT_EQ(device->ejectFile(path("a.wav").c_str()), -1);
    device->releaseHandle(handle);
    EXPECT_EQ(device->open(path("a.wav").c_str(), 0, handle, 1, 1), -2);
}

TEST(SoundDeviceClock, WithoutOutputTheDeviceKeepsTime)
{
    TempDirectory dir;
    WriteSound(dir.file("short.wav"), Wav, 1, Rate / 5, Sine(441, 0.5));
    for (auto output : {Kavro::CSoundDevice::Output::Playback, Kavro::CSoundDevice::Output::Null})
    {
        // Tests run on OpenAL's null back end: no speakers either way.
        auto* device = new Kavro::CSoundDevice(nullptr, output);
        ASSERT_TRUE(device->isReady());
        EXPECT_EQ(device->isOutputAvailable(), 0);
        const uint32_t handle = uint32_t(device->newHandle(-4096, -1));
        ASSERT_EQ(device->open(dir.file("short.wav").c_str(), 1, handle, 1, 1), 0);
        const auto started = std::chrono::steady_clock::now();
        device->play(handle, 1, 0, 0, 0);
        // The position moves on while the sound plays, and the sound ends on its own, not before its
        // 200 ms have passed. Waits are bounded only to end a broken run.
        const auto deadline = started + std::chrono::seconds(10);
        bool movedWhilePlaying = false;
        while (device->isPlaying(handle, -1) == 1 && std::chrono::steady_clock::now() < deadline)
        {
            movedWhilePlaying = movedWhilePlaying || device->getPosition(handle) > 20;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        const auto ended = std::chrono::steady_clock::now();
        EXPECT_TRUE(movedWhilePlaying);
        EXPECT_EQ(device->isPlaying(handle, -1), 0);
        EXPECT_GE(ended - started, std::chrono::milliseconds(180));
        device->release();
    }
}

// A file of a few hundred kilobytes can hold hours of silence: decoded whole it took gigabytes. A sound longer
// than the decoding limit is streamed, one decoder per instance, and plays as a decoded one would.
TEST_F(SoundTest, SoundsTooLongToDecodeWholeAreStreamed)
{
    const int64_t longFrames = Kavro::CSoundData::MaxSamples + Rate;
    const auto toneThenSilence = [](int64_t frame, int) {
        return frame < Rate / 2 ? float(0.5 * std::sin(2 * 3.14159265358979 * 441.0 * double(frame) / Rate)) : 0.0f;
    };
    WriteSound(path("hour.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, longFrames, toneThenSilence);
    WriteSound(path("short.flac"), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 1, Rate, toneThenSilence);
    ASSERT_LT(dir.read("hour.flac").size(), size_t(4) << 20);
    const struct
    {
        const char* name;
        int mode;
        int instances;
        bool streamed;
        int duration;
    } cases[] = {
        {"short.flac", 0, 2, false, 1000},
        {"short.flac", 1, 1, true, 1000},
        {"hour.flac", 0, 2, true, int(longFrames * 1000 / Rate)},
        {"hour.flac", 1, 1, true, int(longFrames * 1000 / Rate)},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.name << " mode " << c.mode);
        const uint32_t handle = openSound(c.name, c.mode, c.instances);
        EXPECT_EQ(device->isStreamed(handle), c.streamed);
        EXPECT_EQ(device->getDuration(handle), c.duration);
        for (int instance = 0; instance < c.instances; ++instance)
            device->play(handle, 1, 0, 0, instance);
        const Stereo out = render(Rate / 4);
        EXPECT_NEAR(out.peak(0, 0, out.frames()), 0.5 * Half * c.instances, 0.01);
        EXPECT_NEAR(out.period(0, Rate / 20, out.frames()), 100.0, 0.1);
        device->releaseHandle(handle);
    }
    EXPECT_EQ(device->injectFile(path("hour.flac").c_str()), 0);
}
