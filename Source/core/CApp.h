#pragma once

#include "core/CObject.h"

#include <kavro/CCriticalSection.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Kavro
{
class ICore;
class IGamepad;
class IInterface;
class IKeyboard;
class IMouse;
class IRenderDevice;
class ISceneManager;
class ISoundDevice;
class ITouch;
} // namespace Kavro

namespace Orvane
{

class CTask;
class INullGamepad;
class INullKeyboard;
class INullMouse;
class INullTouch;
class IScriptHost;

// The single application object. This holds what the engine file, the interpolators and the tasks
// read: the library core and devices, the do-nothing devices, the task stack and the application
// lock, and the frame-speed factor and frame-time cap of the current frame.
class CApp : public CObject
{
public:
    explicit CApp(const std::string& windowName = {});
    ~CApp() override;

    // The process-wide application pointer; null when there is no application object.
    static CApp* get();
    // Installs (or clears, with null) the application pointer. The caller keeps ownership.
    static void set(CApp* app);

    Kavro::ICore* getCore() const { return core; }
    // Keeps the core with a reference; the previous one is released.
    void setCore(Kavro::ICore* newCore);

    // The last task of the stack; null when it is empty.
    CTask* getTopTask() const { return taskStack.empty() ? nullptr : taskStack.back(); }

    // A modal box over the main window; the button chosen.
    int showMessageBox(const std::string& caption, const std::string& text, uint32_t flags);
    // Switches a full-screen display to a window (so that a box can be seen).
    void leaveFullScreen();

    // Elapsed milliseconds x 0.06, clamped to 0..5.0; 1.0 at start.
    float frameSpeed = 1.0f;
    // Elapsed milliseconds clamped to 0..83.333336; 0 at start.
    float frameTimeCap = 0.0f;

    // Library devices; each holds one reference, released when the application goes.
    Kavro::IRenderDevice* renderDevice = nullptr;
    Kavro::ISceneManager* sceneManager = nullptr;
    Kavro::ISoundDevice* soundDevice = nullptr;
    Kavro::IMouse* mouse = nullptr;
    Kavro::ITouch* touch = nullptr;
    Kavro::IGamepad* gamepad = nullptr;
    Kavro::IKeyboard* keyboard = nullptr;
    // Not owned: whoever makes the script host keeps it.
    IScriptHost* scriptHost = nullptr;

    // The application lock: recursive, taken before any task lock.
    Kavro::CCriticalSection lock;
    // Bottom first; the last element is the top task. Not owned.
    std::vector<CTask*> taskStack;
    // Library objects shared by name (textures among them); one reference each.
    std::map<std::string, Kavro::IInterface*> sharedObjects;
    // The logical screen the game draws.
    int screenWidth = 0;
    int screenHeight = 0;

    // Handed to tasks that are not on top; owned.
    INullKeyboard* const nullKeyboard;
    INullMouse* const nullMouse;
    INullGamepad* const nullGamepad;
    INullTouch* const nullTouch;

private:
    void releaseDevices();

    Kavro::ICore* core = nullptr;
};

} // namespace Orvane
