// A game script plays looped music through the whole engine: script host, script class, sound
// object, sound manager and the library's sound device, mixed offline and measured.
#include "ScriptHostFixture.h"

#include "core/CSoundManager.h"
#include "core/CTask.h"
#include "sound/CSoundDevice.h"

#include "support/FakeTaskObjects.h"

#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <vector>

using namespace OrvaneTest;

namespace
{

constexpr int Rate = 44100;
constexpr int FrameMs = 20;
constexpr int FramesPerStep = Rate * FrameMs / 1000;

// One second: a 440 Hz tone at amplitude 0.5 for the first half, silence after it.
void writeToneThenSilenceOgg(const std::string& path)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    SF_INFO info{};
    info.samplerate = Rate;
    info.channels = 1;
    info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    std::vector<float> samples(Rate, 0.0f);
    for (int i = 0; i < Rate / 2; ++i)
        samples[size_t(i)] = 0.5f * float(std::sin(2.0 * M_PI * 440.0 * i / Rate));
    if (file)
    {
        sf_writef_float(file, samples.data(), Rate);
        sf_close(file);
    }
}

double rms(const std::vector<float>& stereo, size_t from, size_t to)
{
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += double(stereo[i * 2]) * stereo[i * 2];
    return std::sqrt(sum / double(to - from));
}

class SoundScriptTest : public ScriptHostFixture
{
protected:
    void SetUp() override
    {
        ScriptHostFixture::SetUp();
        core->milliTime = 1000;
        task = new TestTask(log, "MAIN");
        app->taskStack.push_back(task);
        device = new Kavro::CSoundDevice(core->fileSystem, Kavro::CSoundDevice::Output::Offline);
        app->soundDevice = device;
    }
    void TearDown() override
    {
        host.reset();
        app->taskStack.clear();
        task->release();
        ScriptHostFixture::TearDown();
    }

    // One frame of the game loop, then its 20 ms of sound mixed.
    void frame(std::vector<float>& mixed)
    {
        core->milliTime += FrameMs;
        app->frameSpeed = 2.0f;
        app->frameTimeCap = float(FrameMs);
        host->update();
        for (Orvane::CTaskObject* object : task->getTaskObjects())
            object->update();
        app->soundManager->update();
        const size_t at = mixed.size();
        mixed.resize(at + FramesPerStep * 2);
        device->renderOffline(mixed.data() + at, FramesPerStep);
    }

    CallLog log;
    TestTask* task = nullptr;
    Kavro::CSoundDevice* device = nullptr;
};

} // namespace

TEST_F(SoundScriptTest, MainScriptLoopsARegionOfLoadedMusic)
{
    ASSERT_TRUE(device->isReady());
    writeToneThenSilenceOgg(dir.file("sound/bgm.ogg"));
    writeFile("media/script/main.nut",
              "::bgm <- SQSound(\"bgm\");\n"
              "::opened <- ::bgm.load(\"sound/bgm.ogg\");\n"
              "::missing <- SQSound(\"none\").load(\"sound/none.ogg\");\n"
              "::bgm.setLoop(-1, 4410, 17640);\n"
              "::bgm.play();\n"
              "while (true) Suspend();\n");
    startHost();

    std::vector<float> mixed;
    for (int i = 0; i < 100; ++i)
        frame(mixed);
    EXPECT_EQ(eval("::opened"), "0");
    EXPECT_EQ(eval("::missing"), "-1");
    EXPECT_EQ(eval("::bgm.isPlaying()"), "1");

    // Two seconds: without the loop everything after half a second would be silent. Every 100 ms
    // holds the tone at its level (RMS of a 0.5 sine: 0.354), centred so each side carries it equally.
    const size_t window = Rate / 10;
    for (size_t from = 0; from + window <= mixed.size() / 2; from += window)
        EXPECT_NEAR(rms(mixed, from, from + window), 0.354 / std::sqrt(2.0), 0.03) << from;
    // The region repeats sample for sample: the second pass equals the first.
    const size_t start = 4410, length = 17640 - 4410;
    size_t differing = 0;
    for (size_t i = 0; i < length; ++i)
        if (std::fabs(mixed[(start + i) * 2] - mixed[(start + length + i) * 2]) > 1e-6f)
            ++differing;
    EXPECT_EQ(differing, 0u);
}

TEST_F(SoundScriptTest, ScriptMethodsReturnWhatTheScriptsExpect)
{
    writeToneThenSilenceOgg(dir.file("sound/bgm.ogg"));
    writeFile("media/script/main.nut", "while (true) Suspend();\n");
    startHost();
    std::vector<float> mixed;
    frame(mixed);
    ASSERT_EQ(runSnippet("::p <- SQSound3D(\"p\"); ::p.create(\"sound/bgm.ogg\"); ::p.move3D(1.0, 2.0, 3.0, 0, 0);"
                         "::s <- SQSound(\"s\"); ::s.create(\"sound/bgm.ogg\"); ::l <- SQSoundDevice(\"l\");"),
              "");
    EXPECT_EQ(eval("::p.isMoving()"), "0");
    EXPECT_EQ(eval("typeof ::p.getMove3D()"), "null");
    EXPECT_EQ(eval("SQMATH_RET_1 + \",\" + SQMATH_RET_2 + \",\" + SQMATH_RET_3 + \",\" + SQMATH_RET_4"), "1,2,3,0");
    EXPECT_EQ(eval("typeof ::s.addSoundGroup(\"none\", 1, 0.5)"), "null");
    EXPECT_EQ(eval("::s.getTotalTime()"), "1000");
    EXPECT_EQ(eval("::s.getRemainTime()"), "1000");
    EXPECT_EQ(eval("typeof ::l.moveListener(0.0, 0.0, 1.0, 100, 0)"), "null");
    // A float parameter refuses a script integer.
    EXPECT_NE(eval("::s.setVolume(1, 0, 0)").find("error"), std::string::npos);
    // Both sound classes carry the binding base's lock and disused flags.
    for (const char* binding : {"::s", "::p"})
    {
        SCOPED_TRACE(binding);
        const std::string b = binding;
        EXPECT_EQ(eval(b + ".getLock() + \",\" + " + b + ".getDisused()"), "0,0");
        ASSERT_EQ(runSnippet(b + ".setLock(1); " + b + ".setDisused(1);"), "");
        EXPECT_EQ(eval(b + ".getLock() + \",\" + " + b + ".getDisused()"), "1,1");
    }
}
