#pragma once

#include "core/CFramePacer.h"
#include "core/CMessageTranslator.h"
#include "core/CScreenLayout.h"
#include "kavro/ICore.h"
#include "kavro/RefCounted.h"

#include <SDL2/SDL.h>

#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace Kavro
{

class CInputManager;

// The core over SDL2: one window, the message pump, the clock and the devices.
class CCore : public RefCounted<ICore>
{
public:
    CCore();
    ~CCore() override;

    int initialize() override;
    void finalize() override;
    int pumpMessages() override;
    uint32_t getMilliTime() override;
    uint64_t getSystemTime() override;
    uint32_t getFrameCount() override { return frameCount_; }
    void completeStartup() override;
    IFileSystem* getFileSystem() override;
    IFileSystem* createFileSystem() override;
    void* getWindowHandle() override;
    void setWindowProc(WindowProc proc) override;
    IRenderDevice* getRenderDevice() override;
    std::string getRenderDeviceFailure() override { return renderFailure_; }
    ISoundDevice* createSoundDevice(int type) override;
    IInputManager* getInputManager() override;
    IPhysicsWorld* createPhysicsWorld() override;
    IMovie* openMovie() override;
    void setWindowName(const char* name) override;
    void setScreenSize(int width, int height) override;
    void setDisplayMode(int width, int height, int fullScreen, int fixedAspect) override;
    int applyDisplayMode() override;
    int changeDisplayMode(int width, int height, int fullScreen, int fixedAspect) override;
    void setAntiAliasType(int type) override;
    int changeAntiAliasType(int type) override;
    int getAntiAliasType() override;
    int setFrameRate(int framesPerSecond) override;
    int getFrameRate() override;
    float getDetectFps() override;
    int isFullScreen() override;
    IntPair getScreenSize() override;
    Rect2D<int> getPresentRect() override;
    const char* getPlatformName() override;
    void exit() override;
    int getSystemInfo1(char* buffer, int size) override;
    int getSystemInfo2(char* buffer, int size) override;
    int getSystemInfo3(char* buffer, int size) override;
    int getSystemInfo4(char* buffer, int size) override;
    int getSystemInfo5(char* buffer, int size) override;
    int getSystemInfo6(char* buffer, int size) override;
    int getSystemInfo7(char* buffer, int size) override;
    int getSystemInfo8(char* buffer, int size) override;
    int postMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void postQuitMessage(int exitCode) override;
    intptr_t defWindowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) override;
    void* getActiveWindow() override;
    void setCursor(int cursor) override;
    int showCursor(int show) override;

private:
    static uint64_t wallClock();
    struct DisplayMode
    {
        int width = 1280;
        int height = 720;
        bool fullScreen = false;
        bool fixedAspect = true;
        bool operator==(const DisplayMode&) const = default;
    };

    bool startVideo();
    void send(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // Delivers the posted messages and the window events waiting now; how many there were.
    int dispatchPending();
    void handleEvent(const SDL_Event& event);
    void updateLayout();
    // Waits until the next frame is due, or less when an event arrives at a low frame rate.
    void waitForFrame();

    SDL_Window* window_ = nullptr;
    bool videoStarted_ = false;
    bool destroyed_ = false;
    bool active_ = false;
    WindowProc proc_ = nullptr;
    std::string name_ = "Orvane";
    IntPair screen_{1280, 720};
    DisplayMode wanted_;
    DisplayMode applied_;
    int antiAlias_ = 0;
    CScreenLayout layout_;
    CFramePacer pacer_;
    // Test runs (KAVRO_FIXED_CLOCK set): frames follow at once and the clock moves 1/60 s per frame.
    bool fixedClock_ = false;
    uint64_t fixedFrames_ = 0;
    uint64_t fixedSystemStart_ = 0; // getSystemTime at the first frame under the fixed clock
    uint32_t frameCount_ = 0;
    CMessageTranslator translator_;
    std::vector<WindowMessage> translated_;
    CInputManager* input_;
    IFileSystem* fileSystem_ = nullptr;
    IRenderDevice* renderDevice_ = nullptr;
    std::string renderFailure_;
    // The first sound device made: movies play their sound there (one reference).
    ISoundDevice* movieSound_ = nullptr;
    SDL_Cursor* arrow_ = nullptr;
    SDL_Cursor* hand_ = nullptr;
    int cursorCount_ = 0;

    std::mutex postedLock_; // posting may come from any thread
    std::deque<WindowMessage> posted_;
    bool quitPosted_ = false;
};

} // namespace Kavro
