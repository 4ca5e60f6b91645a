#pragma once

#include "core/CFrameCapture.h"
#include "core/CObject.h"

#include <kavro/CCriticalSection.h>
#include <kavro/Vector2D.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Kavro
{
class ICore;
class IFileSystem;
class IGamepad;
class IInputManager;
class IInterface;
class IKeyboard;
class IMouse;
class IPhysicsWorld;
class IRenderDevice;
class ISceneManager;
class ISoundDevice;
class ITexture;
class ITouch;
} // namespace Kavro

namespace Orvane
{

class CAppSystemState;
class CFontPool;
class CInitializeCallback;
class CSerializeObject;
class CSoundManager;
class CTask;
class CTextureWacher;
class INullGamepad;
class INullKeyboard;
class INullMouse;
class INullTexture;
class INullTouch;
class IScreenSprite;
class IScriptHost;

// A colour as four bytes in the order red, green, blue, alpha.
struct ColourBytes
{
    uint8_t red = 0, green = 0, blue = 0, alpha = 255;
};

// The single application object. It owns the library core and every device got from it, the
// do-nothing devices, the script host, the font pool, the settings record and the game's record,
// the physics worlds, the registered tasks and the task stack, and the application lock; it runs
// the frame loop over the top task of the stack.
class CApp : public CObject
{
public:
    using FrameHook = int (*)();

    static constexpr int noFrameHookResult = 0;

    explicit CApp(const std::string& windowName = {}, int width = 0, int height = 0, void* instance = nullptr);
    ~CApp() override;

    // Releases an application object that exists, makes a new one the application object and
    // initialises it: 0, or -1 on failure (after its message box, where it has one).
    static int create(int width, int height, const std::string& windowName, void* instance,
                      CInitializeCallback* callback);
    // The same with an object made by the caller, which hands over its reference.
    static int install(CApp* app, CInitializeCallback* callback);
    // Releases everything initialize made; nothing happens without a core. The object itself stays
    // the application object until the caller releases it.
    static void shutdown();

    // The process-wide application pointer; null when there is no application object.
    static CApp* get();
    // Installs (or clears, with null) the application pointer. The caller keeps ownership.
    static void set(CApp* app);

    // Creates the core and the devices, reads the settings file, registers the main task and
    // builds the back texture and its sprite. 0, or -1 on failure.
    int initialize(CInitializeCallback* callback);

    // The frame loop: 0 when the message pump reports quit, -1 when a task push fails.
    int run();
    // One frame (the pump was idle): 0, or -1 when the task switch fails.
    int runFrame();
    // 0 when the task is on the stack already; otherwise pushes the registered task of that name and
    // answers its initialize; -1 when no task is registered under the name.
    int pushTask(const std::string& name);
    // Leaves a finished top task and pushes the requested one (or "MAIN"); 0, or -1 when a push fails.
    int updateTaskStack();
    // Frame time, the top task's input and update, cursor, focus and the back-surface sprite; -1 when
    // the top task's update fails.
    int update();
    void updateFrameTime();
    void render();
    // Soft reset: a new script machine, every task terminated and the top one initialised again, the
    // particle caches and the font pool emptied, the screen fade cleared and the cursor shown.
    void reset();
    // F2 released while the script is neither running nor suspended resets at once; 1 when it did.
    int resetOnKeyRelease();

    // Keeps the task under its name with a reference of the registry's; an entry of that name stays.
    void registerTask(CTask* task);
    // Every registered task lets go of the objects the scripts made.
    void releaseScriptObjects();
    // Releases every registered task and empties the registry and the stack.
    void releaseAllTasks();

    // 0, or -1 when the title is not UTF-8.
    int setWindowTitle(const std::string& title);
    // A modal box over the main window; the button chosen.
    int showMessageBox(const std::string& caption, const std::string& text, uint32_t flags);
    // printf-style text (cut to 65535 bytes) in a box captioned with the application's name.
    int showErrorBox(const char* format, ...) __attribute__((format(printf, 2, 3)));
    int showWarningBox(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // printf-style text (cut to 511 bytes) in the render device's debug font; alpha is always 255.
    int drawDebugString(const Kavro::Vector2D& position, const ColourBytes& colour, const char* format, ...)
        __attribute__((format(printf, 4, 5)));
    // Shows the screen sprite at full opacity (filled with the colour, or the next frame's picture when
    // capturing) and fades it out over duration ms.
    void fadeoutColor(uint32_t duration, int useColour, const ColourBytes& colour, int capture);
    // Switches a full-screen display to a window (so that a box can be seen); the settings keep asking
    // for full screen.
    void leaveFullScreen();

    // 0, or -1 when the id is taken or the library made no world.
    int createPhysicsWorld(int32_t id);
    // 0, or -1 when no world has the id.
    int deletePhysicsWorld(int32_t id);
    // The world with one reference for the caller; null when no world has the id.
    Kavro::IPhysicsWorld* getPhysicsWorld(int32_t id);

    // Reads the settings file into the settings record (and the game's record after it) and applies
    // it: 0, -2 without a save folder, or the game record's negative result.
    int loadSystemState();
    // Writes the settings file: 0, or negative when it could not be written whole (the old file stays).
    int saveSystemState();
    // Installs the game's record, written after the settings record; the application keeps a reference.
    void setGameRecord(CSerializeObject* record);

    Kavro::ICore* getCore() const { return core; }
    // Keeps the core with a reference; the previous one is released.
    void setCore(Kavro::ICore* newCore);
    // The last task of the stack; null when it is empty.
    CTask* getTopTask() const { return taskStack.empty() ? nullptr : taskStack.back(); }

    // Sound back end asked for: -1 default, 0, 1, 2.
    int soundType = -1;
    void* instance = nullptr;

    // Elapsed milliseconds x 0.06, clamped to 0..5.0; 1.0 at start.
    float frameSpeed = 1.0f;
    // Elapsed milliseconds clamped to 0..83.333336; 0 at start.
    float frameTimeCap = 0.0f;
    uint32_t lastFrameTime = 0;
    CFrameCapture frameCapture;

    // Library devices; each holds one reference, released at shutdown (or when the object goes).
    Kavro::IRenderDevice* renderDevice = nullptr;
    Kavro::ISceneManager* sceneManager = nullptr;
    Kavro::ISoundDevice* soundDevice = nullptr;
    Kavro::IInputManager* inputManager = nullptr;
    Kavro::IMouse* mouse = nullptr;
    Kavro::ITouch* touch = nullptr;
    Kavro::IGamepad* gamepad = nullptr;
    Kavro::IFileSystem* fileSystem = nullptr;
    Kavro::IKeyboard* keyboard = nullptr;
    // Owned once initialize made it (deleted at shutdown); a test may set one it keeps.
    IScriptHost* scriptHost = nullptr;
    CFontPool* fontPool = nullptr;

    // The application lock: recursive, taken before any task lock.
    Kavro::CCriticalSection lock;
    // Name of the task to push at the next task switch; empty = none.
    std::string requestedTaskName;
    // Bottom first; the last element is the top task. The registry holds the references.
    std::vector<CTask*> taskStack;
    // Every task known by name, one reference each.
    std::map<std::string, CTask*> registeredTasks;
    // Task to push at the next task switch, by object; null = none.
    CTask* requestedTask = nullptr;
    // 0 after the window lost the focus, until it is the active window again.
    int32_t hasFocus = 1;
    std::string mainTaskName = "MAIN";
    // Library objects shared by name (textures among them); one reference each.
    std::map<std::string, Kavro::IInterface*> sharedObjects;
    // Cursor wanted for this frame: 1 arrow, 7 hand, 0 none.
    int32_t cursorKind = 1;

    // Handed to tasks that are not on top; owned.
    INullKeyboard* const nullKeyboard;
    INullMouse* const nullMouse;
    INullGamepad* const nullGamepad;
    INullTexture* const nullTexture;
    INullTouch* const nullTouch;

    // Settings record, made with the screen size and the quality of preset 2.
    CAppSystemState* systemState = nullptr;
    // Render texture of the screen size and the sprite over it; null until initialize.
    Kavro::ITexture* backTexture = nullptr;
    IScreenSprite* screenSprite = nullptr;
    // Nonzero: the next frame's picture goes into captureSprite (null: screenSprite).
    int32_t captureRequested = 0;
    IScreenSprite* captureSprite = nullptr;
    // Objects the application keeps by name; one reference each.
    std::map<std::string, CObject*> namedObjects;
    // The logical screen the game draws.
    int screenWidth = 0;
    int screenHeight = 0;
    // Worlds by the scripts' ids, one reference each.
    std::map<int32_t, Kavro::IPhysicsWorld*> physicsWorlds;
    // Called once per frame after the task switch.
    FrameHook frameHook;
    // The game's record after the settings record in the settings file; one reference.
    CSerializeObject* gameRecord = nullptr;
    // Sound groups, type volumes and the volume controls of every sound-playing object.
    CSoundManager* soundManager = nullptr;
    CTextureWacher* textureWatcher = nullptr;

protected:
    // The library core with one reference, and its release at shutdown (after finalize).
    virtual Kavro::ICore* createCore();
    virtual void releaseCore(Kavro::ICore* oldCore);
    // The pieces of other subsystems initialize builds; each may answer null.
    virtual IScriptHost* createScriptHost();
    virtual CTask* createMainTask();
    virtual IScreenSprite* createScreenSprite(Kavro::ITexture* texture, int width, int height);

private:
    int failInitialization(int code);
    int acquireRenderDevice();
    int acquireInputDevices();
    int acquireSoundDevice();
    int acquireSceneManager();
    int createBackSurface();
    void mountPendingArchives();
    void setInitialDisplayMode();
    // Leaves full screen while a start-up box shows; returns whether it did.
    bool leaveFullScreenForBox();
    void releaseForShutdown();
    void releaseDevices();
    void releaseBookkeeping();
    void stepPhysicsWorlds();
    void updateCursor();
    void updateFocus();
    void drawScreenFade();
    void startCapture();
    std::string settingsFilePath() const;

    Kavro::ICore* core = nullptr;
    // Cursor kind posted to the window last.
    int32_t postedCursorKind = 0;
    // Whether initialize made scriptHost (and so deletes it at shutdown).
    bool ownsScriptHost = false;
};

} // namespace Orvane
