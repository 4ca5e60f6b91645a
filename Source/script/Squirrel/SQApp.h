#pragma once

#include "core/CTaskObject.h"
#include "script/SquirrelObject.h"

namespace Orvane
{
class CApp;
class CAppSystemState;
} // namespace Orvane

namespace Orvane::Squirrel
{

// The application as scripts see it: clock, input, cursor, textures, fonts, screen fades, particle
// definitions, archive mounts, sound files and groups, display and settings, the task switch,
// window, message boxes, the close request, physics worlds and the end of the run. It keeps no
// state: input and textures go through the task it joined, everything else is application-wide.
// Methods answering a 2D vector leave it in SQMATH_RET_1 and SQMATH_RET_2 (3 and 4 become 0.0).
class SQApp : public CTaskObject
{
public:
    explicit SQApp(const char* name) : CTaskObject(name) {}

    // Time
    float getFrameSpeed();
    int getMilliTime();
    int getSystemTime();

    // Input, through the owning task: a task not on top reads the do-nothing devices.
    void getCursorPosition();
    void setCursorPosition(int x, int y);
    // Repeats at most once per interval ms while the key stays down.
    int isKeyDown(int key, int interval);
    int isKeyUp(int key);
    int getKeyState(int key);
    int getMouseButtonStateL();
    int getMouseButtonStateR();
    int getMouseWheelState();
    void getMouseMove();
    int getTouchContactNum();
    int getTouchState(int index);
    int isTouchMoving(int index);
    void getTouchMove(int index);
    void getTouchPosition(int index);
    int getTouchTime(int index);
    void getTouchVelocity(int index);
    void clearTouchInput();
    int isButtonDown(int pad, int mask, int interval);
    int getGamepadButtonState(int pad, int mask);
    float getGamepadTriggerValue(int pad, int trigger);
    void getGamepadThumbValue(int pad, int stick);
    void setGamepadVibration(int pad, float value, int second);

    // Textures of the owning task and fonts of the application's pool; loads answer 1 or 0.
    int loadTexture(const char* name);
    void unloadTexture(const char* name);
    int loadFont(const char* name, const char* path);
    int loadSystemFont(const char* name, const char* face, int size, int weight, int charset, int vertical,
                       int option);
    void clearFontCache(const char* name);
    void unloadFont(const char* name);

    // Cursor: the display count stays at 0 (shown) or -1 (hidden); the kind lasts one frame.
    void showCursor(int show);
    void setCursor(int kind);
    int getCursor();

    // The next frame's picture, or a colour, fades out over duration ms.
    void fadeoutScreen(int duration);
    void fadeoutColor(int duration, float red, float green, float blue);

    // Particle definitions loaded so far.
    int loadParticle(const char*) { return -1; }
    int unloadParticle(const char*) { return -1; }
    SquirrelObject getParticleNameList(const char* fileName);
    SquirrelObject getParticleFileList();
    SquirrelObject getParticleParameter(const char* name);
    void setParticleDebugDrawEnable(int, int) {}

    // 0 with the switch requested; -1 when no task has the name.
    int callTask(const char* name);
    int setWindowTitle(const char* title);

    // The key is 64 upper-case hexadecimal digits (or empty for none); anything else is -1.
    int mountFile(const char* archive, const char* keyText);
    int unmountFile(const char* archive);
    int isMounted(const char* archive);

    int injectSoundFile(const char* name);
    int ejectSoundFile(const char* name);

    // Display of the running library.
    int setFullScreen(int mode);
    int isFullScreen();
    int setFrameRate(int fps);
    int getFrameRate();
    void setMaxFrameTime(float ms);

    // Folders and file times of the application's file system (plain files only).
    int createDirectory(const char* path);
    // A table: is_exist, year, month (1 = January), day, weekday, hour, min, sec.
    SquirrelObject getFileTime(const char* path);

    // System
    const char* getPlatformName();
    const char* getProductName();
    int createPhysicsWorld(int id);
    int deletePhysicsWorld(int id);
    void exit();
    int showMessageBox(const char* caption, const char* text, int flags);

    void defineSoundGroup(const char* name);
    void setSoundTypeVolume(int type, float volume, float time, int curve);
    void setSoundGroupVolume(const char* group, float volume, float time, int curve);

    // A script value called on the window's close request instead of ending the run; null removes it.
    void setCloseCallback(const SquirrelObject& function);

    // The settings record and "system.dat".
    int saveSystemConfig();
    int loadSystemConfig();
    void applySystemConfig();
    void applyPresetConfig(int level);
    int isExistUserSetting();
    void setConfig_ScreenSize(int width, int height);
    void getConfig_ScreenSize();
    void setConfig_FullScreen(int value);
    int getConfig_FullScreen();
    void setConfig_FixedAspect(int value);
    int getConfig_FixedAspect();
    void setConfig_FrameRate(int value);
    int getConfig_FrameRate();
    // 0..16; anything else is ignored.
    void setConfig_AntiAliasType(int value);
    int getConfig_AntiAliasType();
    void setConfig_SceneDegreeSizeRatio(int value);
    int getConfig_SceneDegreeSizeRatio();
    void setConfig_UseSoftFocus(int value);
    int getConfig_UseSoftFocus();
    void setConfig_UseHDR(int value);
    int getConfig_UseHDR();
    void setConfig_UseDOF(int value);
    int getConfig_UseDOF();
    void setConfig_UseToneMapping(int value);
    int getConfig_UseToneMapping();
    void setConfig_ShadowQuality(int value);
    int getConfig_ShadowQuality();
    void setConfig_UseShadow(int value);
    int getConfig_UseShadow();
    void setConfig_UseSelfShadow(int value);
    // 1 only when shadows are on as well.
    int getConfig_UseSelfShadow();
    // Anything above 16 (or negative) stores 16.
    void setConfig_PointLightNum(int value);
    int getConfig_PointLightNum();

    static void registerClass();
};

} // namespace Orvane::Squirrel
