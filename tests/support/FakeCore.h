#pragma once

#include "support/CallLog.h"
#include "support/FakeInput.h"
#include "support/FakeRender.h"

#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>
#include <kavro/ISoundDevice.h>
#include <kavro/MessageBox.h>
#include <kavro/RefCounted.h>

#include <deque>
#include <string>

namespace OrvaneTest
{

class FakeSoundDevice : public Kavro::RefCounted<Kavro::ISoundDevice>
{
public:
    int output = 1;
    int hasOutput() override { return output; }
    int requestHandle(int, int) override { return 0; }
};

// Core with a settable millisecond clock, scripted pump results and recording devices.
class FakeCore : public Kavro::RefCounted<Kavro::ICore>
{
public:
    FakeCore();
    ~FakeCore() override;

    int initialize() override;
    void finalize() override;
    // Answers the queued results, then 0 (idle).
    int pumpMessages() override;
    uint32_t getMilliTime() override { return milliTime; }
    uint64_t getSystemTime() override { return systemTime; }
    void completeStartup() override;
    Kavro::IFileSystem* getFileSystem() override { return fileSystem; }
    Kavro::IFileSystem* createFileSystem() override;
    void* getWindowHandle() override { return this; }
    void setWindowProc(Kavro::WindowProc proc) override { windowProc = proc; }
    Kavro::IRenderDevice* getRenderDevice() override { return render; }
    Kavro::ISoundDevice* createSoundDevice(int type) override;
    Kavro::IInputManager* getInputManager() override { return &input; }
    Kavro::IPhysicsWorld* createPhysicsWorld() override { return nullptr; }
    void* openMovie(const char*) override { return nullptr; }
    void setWindowName(const char* name) override;
    void setScreenSize(int width, int height) override;
    void setDisplayMode(int width, int height, int fullScreen, int fixedAspect) override;
    int applyDisplayMode() override;
    void setAntiAliasType(int type) override;
    void setFrameRate(int fps) override;
    float getDetectFps() override { return detectFps; }

    CallLog log;
    uint32_t milliTime = 0;
    uint64_t systemTime = 0;
    float detectFps = 60.0f;
    int initializeResult = 0;
    int applyResult = 0;
    std::deque<int> pumpResults;
    Kavro::WindowProc windowProc = nullptr;
    Kavro::IFileSystem* fileSystem = nullptr; // owned: released by the destructor
    RecordingRenderDevice* render;
    FakeInputManager input;
    FakeSoundDevice* sound = nullptr;
};

// Records message boxes and answers with a set result.
class RecordingMessageBoxSink : public Kavro::IMessageBoxSink
{
public:
    RecordingMessageBoxSink() { Kavro::SetMessageBoxSink(this); }
    ~RecordingMessageBoxSink() override { Kavro::SetMessageBoxSink(nullptr); }
    int show(const char* caption, const char* text, uint32_t flags) override
    {
        log.add("MessageBox", caption, text, flags);
        return answer;
    }

    CallLog log;
    int answer = Kavro::IDOK;
};

} // namespace OrvaneTest
