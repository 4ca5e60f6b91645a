#pragma once

#include "IInterface.h"

namespace Kavro
{

class IFileSystem;
class IRenderDevice;
class ISoundDevice;
class IInputManager;
class IPhysicsWorld;

// Window-style message procedure: (window, message, wParam, lParam) -> result.
using WindowProc = intptr_t (*)(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// The library's core: window, message pump, clock and the devices.
class ICore : public IInterface
{
public:
    // Negative: failure.
    virtual int initialize() = 0;
    virtual void finalize() = 0;
    // Negative: quit; 0: nothing pending; positive: messages handled.
    virtual int pumpMessages() = 0;
    // Milliseconds, wrapping at 32 bits.
    virtual uint32_t getMilliTime() = 0;
    // Milliseconds since the epoch.
    virtual uint64_t getSystemTime() = 0;
    virtual void completeStartup() = 0;
    virtual IFileSystem* getFileSystem() = 0;
    virtual IFileSystem* createFileSystem() = 0;
    virtual void* getWindowHandle() = 0;
    virtual void setWindowProc(WindowProc proc) = 0;
    virtual IRenderDevice* getRenderDevice() = 0;
    virtual ISoundDevice* createSoundDevice(int type) = 0;
    virtual IInputManager* getInputManager() = 0;
    virtual IPhysicsWorld* createPhysicsWorld() = 0;
    virtual void* openMovie(const char* name) = 0;
    virtual void setWindowName(const char* name) = 0;
    virtual void setScreenSize(int width, int height) = 0;
    virtual void setDisplayMode(int width, int height, int fullScreen, int fixedAspect) = 0;
    // Negative: failure.
    virtual int applyDisplayMode() = 0;
    virtual void setAntiAliasType(int type) = 0;
    virtual void setFrameRate(int framesPerSecond) = 0;
    // The frame rate the core measures.
    virtual float getDetectFps() = 0;
};

// Creates the library core; null when it cannot be created.
ICore* CreateKavro();
// Ends the library after ICore::finalize.
void ReleaseKavro();

} // namespace Kavro
