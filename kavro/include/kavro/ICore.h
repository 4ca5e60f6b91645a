#pragma once

#include <string>

#include "IInterface.h"
#include "Rect2D.h"
#include "WindowMessage.h"

namespace Kavro
{

class IFileSystem;
class IRenderDevice;
class ISoundDevice;
class IInputManager;
class IMovie;
class IPhysicsWorld;

// Window-style message procedure: (window, message, wParam, lParam) -> result.
using WindowProc = intptr_t (*)(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The library's core: window, message pump, clock and the devices.
//
// The window procedure receives Windows-style messages (WindowMessage.h) made from the window
// system's events. The core also stands in for the few window-system calls the engine makes
// (posting messages, the quit message, the default procedure, cursor shape and visibility,
// the active window).
class ICore : public IInterface
{
public:
    // Opens the window with the display mode set so far. Negative: failure.
    virtual int initialize() = 0;
    virtual void finalize() = 0;
    // Negative: quit; 0: nothing pending and the next frame is due; positive: messages handled.
    // With a frame rate set, the pump waits for the next frame's time before it answers 0.
    virtual int pumpMessages() = 0;
    // Milliseconds, wrapping at 32 bits.
    virtual uint32_t getMilliTime() = 0;
    // Milliseconds since the epoch.
    virtual uint64_t getSystemTime() = 0;
    // Frames handed out by the pump so far; wraps at 32 bits.
    virtual uint32_t getFrameCount() = 0;
    virtual void completeStartup() = 0;
    // The file system made by createFileSystem, without a new reference; null before.
    virtual IFileSystem* getFileSystem() = 0;
    // Makes the file system (once) and hands out a reference the caller releases.
    virtual IFileSystem* createFileSystem() = 0;
    // The window (null before initialize).
    virtual void* getWindowHandle() = 0;
    virtual void setWindowProc(WindowProc proc) = 0;
    // These hand out a reference the caller releases.
    virtual IRenderDevice* getRenderDevice() = 0;
    // Why getRenderDevice gave nothing, in the words of the library beneath (EGL, SDL, OpenGL).
    virtual std::string getRenderDeviceFailure() { return {}; }
    virtual ISoundDevice* createSoundDevice(int type) = 0;
    virtual IInputManager* getInputManager() = 0;
    virtual IPhysicsWorld* createPhysicsWorld() = 0;
    // An unopened movie player (IMovie::open reads the file), or null.
    virtual IMovie* openMovie() = 0;
    // Window title, UTF-8; may be called before and after initialize.
    virtual void setWindowName(const char* name) = 0;
    // Size of the logical screen the game draws, in pixels.
    virtual void setScreenSize(int width, int height) = 0;
    // Stores the window's size and mode; initialize or applyDisplayMode puts it into effect.
    // A fixed aspect letterboxes the logical screen in the window; otherwise it is stretched.
    virtual void setDisplayMode(int width, int height, int fullScreen, int fixedAspect) = 0;
    // Negative: failure.
    virtual int applyDisplayMode() = 0;
    // Stores the mode like setDisplayMode: nonzero when it is already in effect, 0 when
    // applyDisplayMode must follow.
    virtual int changeDisplayMode(int width, int height, int fullScreen, int fixedAspect) = 0;
    virtual void setAntiAliasType(int type) = 0;
    // Stores the type: nonzero when unchanged, 0 when applyDisplayMode must follow.
    virtual int changeAntiAliasType(int type) = 0;
    virtual int getAntiAliasType() = 0;
    // Frames per second the pump hands out; 0 or less runs unpaced. Returns 0.
    virtual int setFrameRate(int framesPerSecond) = 0;
    virtual int getFrameRate() = 0;
    // The frame rate the core measures.
    virtual float getDetectFps() = 0;
    // Nonzero while the window is full screen.
    virtual int isFullScreen() = 0;
    virtual IntPair getScreenSize() = 0;
    // Where the logical screen is shown inside the window, in the window's drawable pixels.
    virtual Rect2D<int> getPresentRect() = 0;
    // "Linux".
    virtual const char* getPlatformName() = 0;
    // Ends the run: the next pump reports quit.
    virtual void exit() = 0;
    // Facts about this machine, one line each (ASCII), written NUL-terminated into buffer (cut
    // to size). Returns the length written, -1 when there is no room at all.
    virtual int getSystemInfo1(char* buffer, int size) = 0; // operating system
    virtual int getSystemInfo2(char* buffer, int size) = 0; // processor
    virtual int getSystemInfo3(char* buffer, int size) = 0; // memory
    virtual int getSystemInfo4(char* buffer, int size) = 0; // graphics renderer
    virtual int getSystemInfo5(char* buffer, int size) = 0; // display
    virtual int getSystemInfo6(char* buffer, int size) = 0; // audio
    virtual int getSystemInfo7(char* buffer, int size) = 0; // graphics interface version
    virtual int getSystemInfo8(char* buffer, int size) = 0; // game controllers

    // Window-system services.
    // Queues a message for the window procedure; the pump delivers it. Nonzero on success.
    virtual int postMessage(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // The pump reports quit once the messages posted before have been delivered.
    virtual void postQuitMessage(int exitCode) = 0;
    // What the window does with a message nobody handled: WM_CLOSE hides the window and sends
    // WM_DESTROY. Returns 0.
    virtual intptr_t defWindowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam) = 0;
    // The window while it has the input focus, else null.
    virtual void* getActiveWindow() = 0;
    // Cursor shape over the window: IDC_ARROW or IDC_HAND.
    virtual void setCursor(int cursor) = 0;
    // Display counter: show nonzero adds one, zero takes one; the cursor is visible while the
    // counter is 0 or more. Returns the new counter.
    virtual int showCursor(int show) = 0;
};

// Creates the library core; null when it cannot be created.
ICore* CreateKavro();
// Ends the library after ICore::finalize.
void ReleaseKavro();

} // namespace Kavro
