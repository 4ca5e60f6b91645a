#include "SoundFixture.h"

#include <kavro/ICore.h>
#include <kavro/Kavro.h>

#include <sndfile.h>

#include <cmath>

using namespace OrvaneTest;
using Kavro::Vector3D;

namespace
{

constexpr int Wav = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
constexpr double SineRms = 0.5 / 1.41421356; // amplitude 0.5
constexpr double Half = 0.70710678;          // equal-power centre gain

// A 10 ms burst of 1 kHz, then silence to one second.
float Burst(int64_t frame, int)
{
    return frame < Rate / 100 ? float(0.5 * std::sin(2.0 * 3.14159265358979 * 1000.0 * double(frame) / Rate))
                              : 0.0f;
}

// RMS of both channels together over [from, to).
double Level(const Stereo& out, size_t from, size_t to)
{
    return std::sqrt((std::pow(out.rms(0, from, to), 2) + std::pow(out.rms(1, from, to), 2)) / 2.0);
}

double Decibels(double ratio)
{
    return 20.0 * std::log10(ratio);
}

class SoundSpaceTest : public SoundTest
{
protected:
    SoundSpaceTest()
    {
        WriteSound(path("tone.wav"), Wav, 1, Rate, Sine(441, 0.5));
        handle = uint32_t(device->newHandle(-4096, -1));
        EXPECT_EQ(device->open3D(path("tone.wav").c_str(), 0, handle, 1, 1), 0);
    }

    // Left and right RMS of the positional tone with the listener and the source placed.
    std::pair<double, double> levels(const Vector3D& source, const Vector3D& listener = {},
                                     const Vector3D& rotation = {})
    {
        device->setListenerPosition(listener);
        device->setListenerRotation(rotation);
        device->setPosition3D(handle, source);
        device->play(handle, -1, 0, 0, 0);
        render(2048); // let OpenAL's gain ramps settle
        const Stereo out = render(8820);
        device->stop(handle, -1);
        return {out.rms(0, 0, out.frames()), out.rms(1, 0, out.frames())};
    }

    uint32_t handle = 0;
};

} // namespace

TEST_F(SoundSpaceTest, DistanceLowersTheGainInverselyBetweenTheClamps)
{
    struct Case
    {
        float distance;
        double gain; // reference 1 / distance clamped to 1..100
    };
    for (const Case& c : {Case{0.5f, 1.0}, Case{1.0f, 1.0}, Case{2.0f, 0.5}, Case{4.0f, 0.25},
                          Case{10.0f, 0.1}, Case{100.0f, 0.01}, Case{400.0f, 0.01}})
    {
        SCOPED_TRACE(c.distance);
        const auto [left, right] = levels({c.distance, 0, 0});
        EXPECT_NEAR(right, SineRms * c.gain, SineRms * c.gain * 0.02);
        EXPECT_LT(left, right * 0.05);
    }
}

TEST_F(SoundSpaceTest, ListenerPositionAndRotationDecideTheSide)
{
    struct Case
    {
        Vector3D source;
        Vector3D listener;
        Vector3D rotation; // degrees, turned about Z, then X, then Y
        int louder;        // 0 left, 1 right, -1 both alike
    };
    const Case cases[] = {
        {{2, 0, 0}, {}, {}, 1},          {{-2, 0, 0}, {}, {}, 0},
        {{2, 0, 0}, {}, {0, 180, 0}, 0}, // turned round
        {{2, 0, 0}, {}, {0, 0, 180}, 0}, // upside down
        {{2, 0, 0}, {}, {180, 0, 0}, 1}, // head over: still right
        {{2, 0, 0}, {}, {0, 90, 0}, -1}, // facing the source
        {{0, 0, -3}, {}, {0, 90, 0}, 1}, // facing +x, the right hand points to -z
        {{0, 0, 3}, {}, {0, -90, 0}, 1}, {{5, 0, 0}, {6, 0, 0}, {}, 0}, // the listener moved past the source
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message()
                     << "source " << c.source.x << "," << c.source.y << "," << c.source.z << " rotation "
                     << c.rotation.x << "," << c.rotation.y << "," << c.rotation.z);
        const auto [left, right] = levels(c.source, c.listener, c.rotation);
        if (c.louder < 0)
            EXPECT_NEAR(left, right, 0.01 * right);
        else
            EXPECT_GT(c.louder ? right : left, 4.0 * (c.louder ? left : right));
    }
    // Distance from the moved listener: 2 units.
    const auto [left, right] = levels({4, 0, 0}, {2, 0, 0});
    EXPECT_NEAR(right, SineRms * 0.5, SineRms * 0.01);
    EXPECT_LT(left, right * 0.05);
}

TEST_F(SoundTest, EchoAddsADelayedCopy)
{
    WriteSound(path("burst.wav"), Wav, 1, Rate, Burst);
    const uint32_t handle = openSound("burst.wav", 0);
    const double burst = SineRms; // the burst's own level
    const auto window = [](const Stereo& out, int channel, int ms)
    { return out.rms(channel, size_t(ms) * 441 / 10, size_t(ms + 10) * 441 / 10); };
    struct Case
    {
        float wet;
        float feedback;
        int panSwap;
    };
    for (const Case& c : {Case{50, 0, 0}, Case{25, 0, 0}, Case{50, 0, 1}, Case{80, 50, 0}})
    {
        SCOPED_TRACE(testing::Message()
                     << "wet " << c.wet << " feedback " << c.feedback << " swap " << c.panSwap);
        EXPECT_EQ(device->setEcho(handle, c.wet, c.feedback, 100.0f, 150.0f, c.panSwap), 0);
        device->play(handle, 1, 0, 0, 0);
        const Stereo out = render(Rate / 2);
        const double wet = c.wet / 100.0;
        const int first = c.panSwap ? 1 : 0; // the left delay is the shorter one
        // The dry sound, lowered by the mix, at the centre.
        EXPECT_NEAR(window(out, 0, 0), (1 - wet) * burst * Half, 0.003);
        EXPECT_NEAR(window(out, 1, 0), (1 - wet) * burst * Half, 0.003);
        // Echoes at 100 ms on one side and 150 ms on the other, each at wet x the sound's level.
        EXPECT_NEAR(window(out, first, 100), wet * burst, 0.005);
        EXPECT_LT(window(out, 1 - first, 100), 0.001);
        EXPECT_NEAR(window(out, 1 - first, 150), wet * burst, 0.005);
        EXPECT_LT(window(out, first, 150), 0.001);
        EXPECT_LT(out.peak(0, 441 * 2, 4410) + out.peak(1, 441 * 2, 4410), 0.001);
        // Feedback sends the echoes round again, 150 ms later, lowered by its share.
        const double again = wet * burst * c.feedback / 100.0;
        EXPECT_NEAR(window(out, first, 250), again, 0.005);
        EXPECT_NEAR(window(out, 1 - first, 300), again, 0.005);
    }
}

TEST_F(SoundTest, ReverbTailDecaysOverTheSetTime)
{
    WriteSound(path("burst.wav"), Wav, 1, Rate, Burst);
    const uint32_t handle = openSound("burst.wav", 0);
    for (float time : {500.0f, 1000.0f, 2000.0f})
    {
        SCOPED_TRACE(time);
        EXPECT_EQ(device->setEffect2(handle, 0.0f, 0.0f, time, 0.5f), 0);
        device->play(handle, 1, 0, 0, 0);
        const Stereo out = render(3 * Rate);
        // Fit a line through the tail's level in decibels, 50 ms windows from 150 ms to 80 % of the time.
        double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (int ms = 150; ms < int(time * 0.8f); ms += 50)
        {
            const double level = Decibels(Level(out, size_t(ms) * 441 / 10, size_t(ms + 50) * 441 / 10));
            const double t = ms / 1000.0;
            n += 1, sx += t, sy += level, sxx += t * t, sxy += t * level;
        }
        const double slope = (n * sxy - sx * sy) / (n * sxx - sx * sx); // dB per second
        // The set time is the time to fall by 60 dB.
        EXPECT_NEAR(-60.0 / slope, time / 1000.0, time / 1000.0 * 0.2);
        EXPECT_GT(Level(out, 4410 * 2, 4410 * 3), 0.001); // a tail, not silence
    }
    // Preset rooms replace the reverb; 0 turns it off, indices outside the table fail.
    EXPECT_EQ(device->setPresetReverb(handle, 8), 0);
    device->play(handle, 1, 0, 0, 0);
    EXPECT_GT(Level(render(Rate), 4410, 8820), 0.001);
    EXPECT_EQ(device->setPresetReverb(handle, 0), 0);
    device->play(handle, 1, 0, 0, 0);
    EXPECT_EQ(Level(render(Rate), 4410, 8820), 0.0);
    EXPECT_EQ(device->setPresetReverb(handle, 13), -1);
    EXPECT_EQ(device->setPresetReverb(handle, -1), -1);
    // The two calls without a meaning change nothing.
    EXPECT_EQ(device->setEffect1(handle, 1, 2, 3, 4, 5, 6), 0);
    EXPECT_EQ(device->setEffect3(handle), 0);
    EXPECT_LT(device->setEffect3(0), 0);
    EXPECT_LT(device->setEcho(0, 50, 0, 10, 10, 0), 0);
    device->play(handle, 1, 0, 0, 0);
    EXPECT_EQ(Level(render(Rate), 4410, 8820), 0.0);
}

TEST_F(SoundTest, MeterReadsPeakAndRmsBeforeVolume)
{
    WriteSound(path("tone.wav"), Wav, 1, Rate, Sine(441, 0.5));
    const uint32_t handle = openSound("tone.wav", 0);
    EXPECT_EQ(device->getPulse(handle, 0), 0.0f);
    device->setVolume(handle, 0.25f, -1);
    device->setPan(handle, 0.7f, -1);
    device->play(handle, 1, 0, 0, 0);
    for (int step = 0; step < 5; ++step)
    {
        render(2000 + step * 313);
        EXPECT_NEAR(device->getPulse(handle, 0), 0.5, 0.005);
        EXPECT_NEAR(device->getAmplitude(handle, 0), 0.3536, 0.003536);
    }

    // The window is the last 20 ms heard: half tone, half silence; then silence alone. Streamed alike.
    WriteSound(path("half.wav"), Wav, 1, Rate,
               [](int64_t frame, int c) { return frame < Rate / 2 ? Sine(441, 0.5)(frame, c) : 0.0f; });
    for (int mode : {0, 1})
    {
        const uint32_t half = openSound("half.wav", mode);
        device->play(half, 1, 0, 0, 0);
        render(Rate / 2 + 441);
        EXPECT_NEAR(device->getAmplitude(half, 0), 0.25, 0.0025);
        EXPECT_NEAR(device->getPulse(half, 0), 0.5, 0.005);
        render(441);
        EXPECT_EQ(device->getAmplitude(half, 0), 0.0f);
        EXPECT_EQ(device->getPulse(half, 0), 0.0f);
        device->stop(half, -1);
        EXPECT_EQ(device->getPulse(half, 0), 0.0f);
    }
}

TEST(SoundOutputChoice, EverySoundTypeIsTheDefaultOutput)
{
    Kavro::ICore* core = Kavro::CreateKavro();
    for (int type : {-1, 0, 1, 2, 7})
    {
        Kavro::ISoundDevice* device = core->createSoundDevice(type);
        ASSERT_NE(device, nullptr) << type;
        EXPECT_EQ(device->isOutputAvailable(), 0); // OpenAL's null back end in tests
        EXPECT_GT(device->newHandle(-4096, -1), 0);
        device->release();
    }
    core->finalize();
    Kavro::ReleaseKavro();
}
