#pragma once

#include "support/CallLog.h"
#include "support/Fake3D.h"
#include "support/FakeInput.h"
#include "support/FakeMovie.h"
#include "support/FakePhysics.h"
#include "support/FakeRender.h"

#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>
#include <kavro/IPhysicsWorld.h>
#include <kavro/ISoundDevice.h>
#include <kavro/MessageBox.h>
#include <kavro/RefCounted.h>

#include <deque>
#include <string>

namespace OrvaneTest
{

class FakeSoundDevice : public LoggedRefCounted<Kavro::ISoundDevice>
{
public:
    int output = 1;
    int hasOutput() override { return output; }
    int requestHandle(int, int) override { return 0; }
    // Sound operations fail until a test needs them recorded.
    int open(const char*, int, uint32_t, int, int) override { return -1; }
    int open3D(const char*, int, uint32_t, int, int) override { return -1; }
    int releaseHandle(uint32_t) override { return -1; }
    int play(uint32_t, int, int, int, int) override { return -1; }
    int stop(uint32_t, int) override { return -1; }
    int pause(uint32_t, int) override { return -1; }
    int resume(uint32_t, int) override { return -1; }
    int setLoop(uint32_t, int, int, int, int) override { return -1; }
    int setVolume(uint32_t, float, int) override { return -1; }
    int setPan(uint32_t, float, int) override { return -1; }
    int setFrequency(uint32_t, float, int) override { return -1; }
    int seek(uint32_t, int) override { return -1; }
    int isPlaying(uint32_t, int) override { return 0; }
    int isPaused(uint32_t, int) override { return 0; }
    int getDuration(uint32_t) override { return 0; }
    int getPosition(uint32_t) override { return 0; }
    int setListenerPosition(const Kavro::Vector3D&) override { return 0; }
    int setListenerRotation(const Kavro::Vector3D&) override { return 0; }
    int setPosition3D(uint32_t, const Kavro::Vector3D&) override { return -1; }
    float getPulse(uint32_t, int) override { return 0.0f; }
    float getAmplitude(uint32_t, int) override { return 0.0f; }
    int setEffect1(uint32_t, float, float, float, float, int, float) override { return -1; }
    int setEcho(uint32_t, float, float, float, float, int) override { return -1; }
    int setEffect2(uint32_t, float, float, float, float) override { return -1; }
    int setPresetReverb(uint32_t, int) override { return -1; }
    int setEffect3(uint32_t) override { return -1; }
    int injectFile(const char*) override { return -1; }
    int ejectFile(const char*) override { return -1; }
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
    uint32_t getFrameCount() override { return frameCount; }
    void completeStartup() override;
    Kavro::IFileSystem* getFileSystem() override { return fileSystem; }
    Kavro::IFileSystem* createFileSystem() override;
    void* getWindowHandle() override { return this; }
    void setWindowProc(Kavro::WindowProc proc) override { windowProc = proc; }
    // Hand out a reference each, as the library's core does.
    Kavro::IRenderDevice* getRenderDevice() override
    {
        if (noRenderDevice)
            return nullptr;
        render->addRef();
        return render;
    }
    Kavro::ISoundDevice* createSoundDevice(int type) override;
    Kavro::IInputManager* getInputManager() override
    {
        if (noInputManager)
            return nullptr;
        input.addRef();
        return &input;
    }
    // With makePhysicsWorlds set, a new FakePhysicsWorld "world<n>" (n counting from 1), making its bodies and
    // joints through the attached Fake3D; with physicsWorldMaker set, what it makes (the library's worlds for
    // tests that simulate); else null.
    Kavro::IPhysicsWorld* createPhysicsWorld() override;
    bool makeMovies = false;
    int movieWidth = 64;
    int movieHeight = 32;
    int movieOpenResult = 0;
    int moviesMade = 0;
    FakeMovie* lastMovie = nullptr;
    // With makeMovies set, a new FakeMovie "movie<n>" (n counting from 1) of movieWidth x movieHeight,
    // whose open answers movieOpenResult; else null. lastMovie points at it without a reference.
    // The attached Fake3D's movie when one is attached; else as above.
    Kavro::IMovie* openMovie() override;
    void setWindowName(const char* name) override;
    void setScreenSize(int width, int height) override;
    void setDisplayMode(int width, int height, int fullScreen, int fixedAspect) override;
    int applyDisplayMode() override;
    int changeDisplayMode(int width, int height, int fullScreen, int fixedAspect) override;
    void setAntiAliasType(int type) override;
    int changeAntiAliasType(int type) override;
    int getAntiAliasType() override { return antiAliasType; }
    int setFrameRate(int fps) override;
    int getFrameRate() override { return frameRate; }
    float getDetectFps() override { return detectFps; }
    int isFullScreen() override { return fullScreen; }
    Kavro::IntPair getScreenSize() override { return screenSize; }
    Kavro::Rect2D<int> getPresentRect() override { return {0, 0, screenSize.x, screenSize.y}; }
    const char* getPlatformName() override { return "Fake"; }
    void exit() override;
    int getSystemInfo1(char* buffer, int size) override { return systemInfo(1, buffer, size); }
    int getSystemInfo2(char* buffer, int size) override { return systemInfo(2, buffer, size); }
    int getSystemInfo3(char* buffer, int size) override { return systemInfo(3, buffer, size); }
    int getSystemInfo4(char* buffer, int size) override { return systemInfo(4, buffer, size); }
    int getSystemInfo5(char* buffer, int size) override { return systemInfo(5, buffer, size); }
    int getSystemInfo6(char* buffer, int size) override { return systemInfo(6, buffer, size); }
    int getSystemInfo7(char* buffer, int size) override { return systemInfo(7, buffer, size); }
    int getSystemInfo8(char* buffer, int size) override { return systemInfo(8, buffer, size); }
    int postMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void postQuitMessage(int exitCode) override;
    intptr_t defWindowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void* getActiveWindow() override { return active ? this : nullptr; }
    void setCursor(int cursor) override;
    int showCursor(int show) override;

    // Makes the render device, its scene and the core answer their 3D operations from fake (logged into
    // fake's log).
    void attach(Fake3D& fake);

    CallLog log;
    Fake3D* fake3D = nullptr;
    std::string systemInfoLines[9]; // [1]..[8] answered by getSystemInfo1..8
    int antiAliasType = 0;
    int frameRate = 60;
    int fullScreen = 0;
    int changeResult = 1;
    int active = 1;
    int cursorCount = 0;
    Kavro::IntPair screenSize{1280, 720};
    uint32_t milliTime = 0;
    uint64_t systemTime = 0;
    uint32_t frameCount = 0;
    float detectFps = 60.0f;
    int initializeResult = 0;
    int applyResult = 0;
    std::deque<int> pumpResults;
    bool noRenderDevice = false;
    bool noInputManager = false;
    bool noSoundDevice = false;
    int soundOutput = 1; // what a new sound device's hasOutput answers
    bool makePhysicsWorlds = false;
    int physicsWorldsMade = 0;
    Kavro::IPhysicsWorld* (*physicsWorldMaker)() = nullptr;
    Kavro::WindowProc windowProc = nullptr;
    // Owned: released by the destructor; createFileSystem hands out a reference of it.
    Kavro::IFileSystem* fileSystem = nullptr;
    RecordingRenderDevice* render;
    FakeInputManager input;
    FakeSoundDevice* sound = nullptr;

private:
    int systemInfo(int line, char* buffer, int size);
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
