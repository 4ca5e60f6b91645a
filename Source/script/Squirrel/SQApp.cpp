#include "script/Squirrel/SQApp.h"

#include "core/CApp.h"
#include "core/CAppSystemState.h"
#include "core/CFontPool.h"
#include "core/CSoundGroup.h"
#include "core/CSoundManager.h"
#include "core/CSoundTypeVolume.h"
#include "core/CTask.h"
#include "particle/ParticleCaches.h"
#include "particle/Squirrel/ParticleTable.h"
#include "script/CSquirrel.h"
#include "script/SqPlus.h"
#include "script/Squirrel/CTaskCallbackFunctionCall.h"
#include "script/Squirrel/ScriptColour.h"
#include "text/CFont.h"

#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>
#include <kavro/IGamepad.h>
#include <kavro/IKeyboard.h>
#include <kavro/IMouse.h>
#include <kavro/ISoundDevice.h>
#include <kavro/ITouch.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace Orvane::Squirrel
{

namespace
{

// SQMATH_RET_1 among the host's scratch values.
constexpr int firstResultValue = 14;
constexpr uint32_t noKeyLength = 0;

CApp* application()
{
    return CApp::get();
}

Kavro::ICore* applicationCore()
{
    CApp* app = application();
    return app ? app->getCore() : nullptr;
}

CAppSystemState* settings()
{
    CApp* app = application();
    return app ? app->systemState : nullptr;
}

void setVectorResult(float x, float y)
{
    CSquirrel* host = CSquirrel::get();
    if (!host)
        return;
    host->mathValue(firstResultValue) = x;
    host->mathValue(firstResultValue + 1) = y;
    host->mathValue(firstResultValue + 2) = 0.0f;
    host->mathValue(firstResultValue + 3) = 0.0f;
}

void setVectorResult(const Kavro::IntPair& pair)
{
    setVectorResult(float(pair.x), float(pair.y));
}

// Easing indexes come from scripts as signed integers and are read unsigned: negative ones are out
// of range too.
int32_t scriptCurve(int curve)
{
    return uint32_t(curve) <= 60u ? curve : 0;
}

float clampVolume(float volume)
{
    return volume < 0.0f ? 0.0f : (volume > 1.0f ? 1.0f : volume);
}

// Whole milliseconds of a script's float time, the fraction dropped.
uint32_t scriptMilliseconds(float time)
{
    return toWholeMilliseconds(time);
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The key bytes of an even-length text of upper-case hexadecimal digits; false for anything else.
bool parseKeyText(const char* text, std::vector<uint8_t>& key)
{
    const size_t length = std::strlen(text);
    if (length % 2 != 0)
        return false;
    key.clear();
    for (size_t i = 0; i < length; i += 2)
    {
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        key.push_back(uint8_t(high << 4 | low));
    }
    return true;
}

SquirrelObject stringArray(const std::vector<std::string>& strings)
{
    SquirrelObject array = CSquirrel::createArray(0);
    for (const std::string& text : strings)
    {
        SquirrelObject value;
        value.SetByValue(text.c_str());
        array.ArrayAppend(value);
    }
    return array;
}

} // namespace

// ---- Time ----

float SQApp::getFrameSpeed()
{
    CApp* app = application();
    return app ? app->frameSpeed : 0.0f;
}

int SQApp::getMilliTime()
{
    Kavro::ICore* core = applicationCore();
    return core ? int(core->getMilliTime()) : 0;
}

int SQApp::getSystemTime()
{
    Kavro::ICore* core = applicationCore();
    return core ? int(uint32_t(core->getSystemTime())) : 0;
}

// ---- Input ----

void SQApp::getCursorPosition()
{
    Kavro::IMouse* mouse = getTask() ? getTask()->getMouse(0) : nullptr;
    if (!mouse)
        return setVectorResult(-1.0f, -1.0f);
    setVectorResult(float(mouse->getCursorX()), float(mouse->getCursorY()));
}

void SQApp::setCursorPosition(int x, int y)
{
    if (Kavro::IMouse* mouse = getTask() ? getTask()->getMouse(0) : nullptr)
        mouse->setCursorPosition(Kavro::IntPair{x, y});
}

int SQApp::isKeyDown(int key, int interval)
{
    return getTask() ? getTask()->isKeyDown(key, 0, uint32_t(interval)) : 0;
}

int SQApp::isKeyUp(int key)
{
    return getTask() ? getTask()->isKeyUp(key) : 0;
}

int SQApp::getKeyState(int key)
{
    Kavro::IKeyboard* keyboard = getTask() ? getTask()->getKeyboard(0) : nullptr;
    return keyboard ? keyboard->getKeyState(key) : 0;
}

int SQApp::getMouseButtonStateL()
{
    Kavro::IMouse* mouse = getTask() ? getTask()->getMouse(0) : nullptr;
    return mouse ? mouse->getLeftButtonState() : 0;
}

int SQApp::getMouseButtonStateR()
{
    Kavro::IMouse* mouse = getTask() ? getTask()->getMouse(0) : nullptr;
    return mouse ? mouse->getRightButtonState() : 0;
}

int SQApp::getMouseWheelState()
{
    constexpr int noWheel = 4;
    Kavro::IMouse* mouse = getTask() ? getTask()->getMouse(0) : nullptr;
    return mouse ? mouse->getWheelState() : noWheel;
}

void SQApp::getMouseMove()
{
    Kavro::IMouse* mouse = getTask() ? getTask()->getMouse(0) : nullptr;
    if (!mouse)
        return setVectorResult(0.0f, 0.0f);
    setVectorResult(float(mouse->getMoveX()), float(mouse->getMoveY()));
}

int SQApp::getTouchContactNum()
{
    Kavro::ITouch* touch = getTask() ? getTask()->getTouch(0) : nullptr;
    return touch ? touch->getContactCount() : 0;
}

int SQApp::getTouchState(int index)
{
    Kavro::ITouch* touch = getTask() ? getTask()->getTouch(0) : nullptr;
    return touch ? touch->getContactState(index) : 0;
}

int SQApp::isTouchMoving(int index)
{
    Kavro::ITouch* touch = getTask() ? getTask()->getTouch(0) : nullptr;
    return touch ? touch->isContactMoving(index) : 0;
}

void SQApp::getTouchMove(int index)
{
    Kavro::IntPair move{0, 0};
    if (Kavro::ITouch* touch = getTask() ? getTask()->getTouch(0) : nullptr)
        touch->getContactMove(move, index);
    setVectorResult(move);
}

void SQApp::getTouchPosition(int index)
{
    Kavro::IntPair position{0, 0};
    if (Kavro::ITouch* touch = getTask() ? getTask()->getTouch(0) : nullptr)
        touch->getContactPosition(position, index);
    setVectorResult(position);
}

int SQApp::getTouchTime(int index)
{
    Kavro::ITouch* touch = getTask() ? getTask()->getTouch(0) : nullptr;
    return touch ? touch->getContactTime(index) : 0;
}

void SQApp::getTouchVelocity(int index)
{
    Kavro::Vector2D velocity(0.0f, 0.0f);
    if (Kavro::ITouch* touch = getTask() ? getTask()->getTouch(0) : nullptr)
        touch->getContactVelocity(velocity, index);
    setVectorResult(velocity.x, velocity.y);
}

void SQApp::clearTouchInput()
{
    if (Kavro::ITouch* touch = getTask() ? getTask()->getTouch(0) : nullptr)
        touch->clearInput();
}

int SQApp::isButtonDown(int pad, int mask, int interval)
{
    if (!getTask() || !getTask()->getGamepad(0))
        return 0;
    return getTask()->isButtonDown(pad, mask, 0, uint32_t(interval));
}

int SQApp::getGamepadButtonState(int pad, int mask)
{
    Kavro::IGamepad* gamepad = getTask() ? getTask()->getGamepad(0) : nullptr;
    return gamepad ? gamepad->getButtonState(pad, mask) : 0;
}

float SQApp::getGamepadTriggerValue(int pad, int trigger)
{
    Kavro::IGamepad* gamepad = getTask() ? getTask()->getGamepad(0) : nullptr;
    return gamepad ? gamepad->getTriggerValue(pad, trigger) : 0.0f;
}

void SQApp::getGamepadThumbValue(int pad, int stick)
{
    Kavro::Vector2D value(0.0f, 0.0f);
    if (Kavro::IGamepad* gamepad = getTask() ? getTask()->getGamepad(0) : nullptr)
        gamepad->getThumbValue(value, pad, stick);
    setVectorResult(value.x, value.y);
}

void SQApp::setGamepadVibration(int pad, float value, int second)
{
    if (Kavro::IGamepad* gamepad = getTask() ? getTask()->getGamepad(0) : nullptr)
        gamepad->setVibration(pad, value, float(uint32_t(second)));
}

// ---- Textures and fonts ----

int SQApp::loadTexture(const char* name)
{
    return getTask() && getTask()->loadTexture(name) >= 0 ? 1 : 0;
}

void SQApp::unloadTexture(const char* name)
{
    if (getTask())
        getTask()->unloadTexture(name);
}

int SQApp::loadFont(const char* name, const char* path)
{
    CApp* app = application();
    if (!app || !app->fontPool)
        return 0;
    constexpr uint32_t scriptFont = 0; // kept until unloaded or reset
    return app->fontPool->loadFont(name, path, scriptFont) >= 0 ? 1 : 0;
}

int SQApp::loadSystemFont(const char* name, const char* face, int size, int weight, int charset, int vertical,
                          int option)
{
    CApp* app = application();
    if (!app || !app->fontPool)
        return 0;
    constexpr uint32_t scriptFont = 0;
    return app->fontPool->loadSystemFont(size, weight, charset, vertical, option, scriptFont, name, face) >= 0 ? 1
                                                                                                               : 0;
}

void SQApp::clearFontCache(const char* name)
{
    CApp* app = application();
    if (!app || !app->fontPool)
        return;
    if (CFont* font = app->fontPool->lookup(name))
        font->clearGlyphCache();
}

void SQApp::unloadFont(const char* name)
{
    CApp* app = application();
    if (!app || !app->fontPool)
        return;
    const auto entry = app->fontPool->find(name);
    if (entry == app->fontPool->fonts.end())
        return;
    if (entry->second)
        entry->second->release();
    entry->second = nullptr;
    app->fontPool->eraseFont(entry);
}

// ---- Cursor ----

void SQApp::showCursor(int show)
{
    Kavro::ICore* core = applicationCore();
    if (!core)
        return;
    if (show)
    {
        if (core->showCursor(1) > 0)
            core->showCursor(0);
    }
    else if (core->showCursor(0) < -1)
    {
        core->showCursor(1);
    }
}

void SQApp::setCursor(int kind)
{
    if (CApp* app = application())
        app->cursorKind = kind;
}

int SQApp::getCursor()
{
    CApp* app = application();
    return app ? app->cursorKind : 0;
}

// ---- Screen fades ----

void SQApp::fadeoutScreen(int duration)
{
    if (CApp* app = application())
        app->fadeoutColor(uint32_t(duration), 0, ColourBytes{}, 1);
}

void SQApp::fadeoutColor(int duration, float red, float green, float blue)
{
    CApp* app = application();
    if (!app)
        return;
    ColourBytes colour;
    colour.red = scriptColourByte(red);
    colour.green = scriptColourByte(green);
    colour.blue = scriptColourByte(blue);
    colour.alpha = 255;
    app->fadeoutColor(uint32_t(duration), 1, colour, 0);
}

// ---- Particles ----

SquirrelObject SQApp::getParticleNameList(const char* fileName)
{
    std::vector<std::string> names;
    Particle::listParticleNames(fileName, names);
    return stringArray(names);
}

SquirrelObject SQApp::getParticleFileList()
{
    std::vector<std::string> files;
    Particle::listParticleFiles(files);
    return stringArray(files);
}

SquirrelObject SQApp::getParticleParameter(const char* name)
{
    return Particle::makeParticleParameterTable(Particle::loadParticleParameter(name));
}

// ---- Task and window ----

int SQApp::callTask(const char* name)
{
    CApp* app = application();
    if (!app)
        return -1;
    // Asking for a task nobody registered would end the frame loop at the next task switch.
    const auto task = app->registeredTasks.find(name);
    if (task == app->registeredTasks.end() || !task->second)
        return -1;
    app->requestedTaskName = name;
    return 0;
}

int SQApp::setWindowTitle(const char* title)
{
    CApp* app = application();
    return app ? app->setWindowTitle(title) : -1;
}

// ---- Mounts ----

int SQApp::mountFile(const char* archive, const char* keyText)
{
    Kavro::ICore* core = applicationCore();
    Kavro::IFileSystem* files = core ? core->getFileSystem() : nullptr;
    std::vector<uint8_t> key;
    if (!parseKeyText(keyText, key) || !files)
        return -1;
    const uint32_t keyLength = uint32_t(key.size());
    return files->mount(archive, key.empty() ? nullptr : key.data(), key.empty() ? &noKeyLength : &keyLength);
}

int SQApp::unmountFile(const char* archive)
{
    Kavro::ICore* core = applicationCore();
    Kavro::IFileSystem* files = core ? core->getFileSystem() : nullptr;
    return files ? files->unmount(archive) : -1;
}

int SQApp::isMounted(const char* archive)
{
    Kavro::ICore* core = applicationCore();
    Kavro::IFileSystem* files = core ? core->getFileSystem() : nullptr;
    return files ? files->isMounted(archive) : 0;
}

// ---- Sound files ----

int SQApp::injectSoundFile(const char* name)
{
    CApp* app = application();
    return app && app->soundDevice ? app->soundDevice->injectFile(name) : -1;
}

int SQApp::ejectSoundFile(const char* name)
{
    CApp* app = application();
    return app && app->soundDevice ? app->soundDevice->ejectFile(name) : -1;
}

// ---- Display ----

int SQApp::setFullScreen(int mode)
{
    CAppSystemState* state = settings();
    if (state && state->fullScreen != uint32_t(mode))
    {
        state->fullScreen = uint32_t(mode);
        state->applyRequested = 1;
    }
    return 0;
}

int SQApp::isFullScreen()
{
    Kavro::ICore* core = applicationCore();
    return core ? core->isFullScreen() : 0;
}

int SQApp::setFrameRate(int fps)
{
    Kavro::ICore* core = applicationCore();
    return core ? core->setFrameRate(fps) : -1;
}

int SQApp::getFrameRate()
{
    Kavro::ICore* core = applicationCore();
    return core ? core->getFrameRate() : 0;
}

void SQApp::setMaxFrameTime(float ms)
{
    CApp* app = application();
    if (!app || app->frameTimeCap < 0.0f)
        return;
    app->frameTimeCap = ms < 0.0f ? ms : std::max(app->frameTimeCap, ms);
}

// ---- Files ----

int SQApp::createDirectory(const char* path)
{
    CApp* app = application();
    return app && app->fileSystem ? app->fileSystem->createDirectory(path) : 0;
}

SquirrelObject SQApp::getFileTime(const char* path)
{
    Kavro::FileTime time{};
    CApp* app = application();
    const int exists = app && app->fileSystem ? app->fileSystem->getFileTime(path, &time) : 0;
    SquirrelObject table = CSquirrel::createTable();
    table.SetValue("is_exist", SQInteger(exists));
    table.SetValue("year", SQInteger(time.year));
    table.SetValue("month", SQInteger(time.month + 1));
    table.SetValue("day", SQInteger(time.day));
    table.SetValue("weekday", SQInteger(time.weekday));
    table.SetValue("hour", SQInteger(time.hour));
    table.SetValue("min", SQInteger(time.minute));
    table.SetValue("sec", SQInteger(time.second));
    return table;
}

// ---- System ----

const char* SQApp::getPlatformName()
{
    Kavro::ICore* core = applicationCore();
    const char* name = core ? core->getPlatformName() : nullptr;
    return name ? name : "";
}

const char* SQApp::getProductName()
{
    CApp* app = application();
    return app ? app->getName().c_str() : "";
}

int SQApp::createPhysicsWorld(int id)
{
    CApp* app = application();
    return app ? app->createPhysicsWorld(id) : -1;
}

int SQApp::deletePhysicsWorld(int id)
{
    CApp* app = application();
    return app ? app->deletePhysicsWorld(id) : -1;
}

void SQApp::exit()
{
    CApp* app = application();
    if (!app)
        return;
    if (CTask* top = app->getTopTask())
        top->setCloseHandler(nullptr);
    if (Kavro::ICore* core = app->getCore())
        core->exit();
}

int SQApp::showMessageBox(const char* caption, const char* text, int flags)
{
    CApp* app = application();
    return app ? app->showMessageBox(caption, text, uint32_t(flags)) : 0;
}

// ---- Sound groups ----

void SQApp::defineSoundGroup(const char* name)
{
    CApp* app = application();
    if (app && app->soundManager)
        app->soundManager->defineSoundGroup(name);
}

void SQApp::setSoundTypeVolume(int type, float volume, float time, int curve)
{
    CApp* app = application();
    if (!app || !app->soundManager)
        return;
    CSoundTypeVolume* entry = app->soundManager->getTypeVolume(uint32_t(type));
    entry->volume.set(entry->volume.value, clampVolume(volume), scriptMilliseconds(time), scriptCurve(curve));
    // A volume that lands at once still has to reach the type's sounds in the next step.
    if (time <= 0.0f)
        entry->running = 1;
}

void SQApp::setSoundGroupVolume(const char* group, float volume, float time, int curve)
{
    CApp* app = application();
    CSoundGroup* entry = app && app->soundManager ? app->soundManager->findSoundGroup(group) : nullptr;
    if (!entry)
        return;
    entry->volume.set(entry->volume.value, clampVolume(volume), scriptMilliseconds(time), scriptCurve(curve));
    entry->running = 1;
}

// ---- Close callback ----

void SQApp::setCloseCallback(const SquirrelObject& function)
{
    CApp* app = application();
    CTask* top = app ? app->getTopTask() : nullptr;
    if (!top)
        return;
    if (function.IsNull())
    {
        top->setCloseHandler(nullptr);
        return;
    }
    auto* handler = new CTaskCallbackFunctionCall(function);
    top->setCloseHandler(handler);
    handler->release();
}

// ---- Settings record ----

int SQApp::saveSystemConfig()
{
    CApp* app = application();
    return app ? app->saveSystemState() : -1;
}

int SQApp::loadSystemConfig()
{
    CApp* app = application();
    return app ? app->loadSystemState() : -1;
}

void SQApp::applySystemConfig()
{
    if (CAppSystemState* state = settings())
        state->applyRequested = 1;
}

void SQApp::applyPresetConfig(int level)
{
    if (CAppSystemState* state = settings())
    {
        state->applyPreset(level);
        state->applyRequested = 1;
    }
}

int SQApp::isExistUserSetting()
{
    CAppSystemState* state = settings();
    return state ? int(state->userSettingExists) : 0;
}

void SQApp::setConfig_ScreenSize(int width, int height)
{
    if (CAppSystemState* state = settings())
    {
        state->screenWidth = uint32_t(width);
        state->screenHeight = uint32_t(height);
    }
}

void SQApp::getConfig_ScreenSize()
{
    CAppSystemState* state = settings();
    if (!state)
        return setVectorResult(0.0f, 0.0f);
    setVectorResult(float(state->screenWidth), float(state->screenHeight));
}

// The plain fields: the setter stores the script's integer, the getter answers it.
#define ORVANE_SQAPP_CONFIG_FIELD(Name, field)                                                                       \
    void SQApp::setConfig_##Name(int value)                                                                          \
    {                                                                                                                \
        if (CAppSystemState* state = settings())                                                                     \
            state->field = uint32_t(value);                                                                          \
    }                                                                                                                \
    int SQApp::getConfig_##Name()                                                                                    \
    {                                                                                                                \
        CAppSystemState* state = settings();                                                                         \
        return state ? int(state->field) : 0;                                                                        \
    }
ORVANE_SQAPP_CONFIG_FIELD(FullScreen, fullScreen)
ORVANE_SQAPP_CONFIG_FIELD(FixedAspect, fixedAspect)
ORVANE_SQAPP_CONFIG_FIELD(FrameRate, frameRate)
ORVANE_SQAPP_CONFIG_FIELD(SceneDegreeSizeRatio, sceneDegreeSizeRatio)
ORVANE_SQAPP_CONFIG_FIELD(UseSoftFocus, useSoftFocus)
ORVANE_SQAPP_CONFIG_FIELD(UseHDR, useHDR)
ORVANE_SQAPP_CONFIG_FIELD(UseDOF, useDOF)
ORVANE_SQAPP_CONFIG_FIELD(UseToneMapping, useToneMapping)
ORVANE_SQAPP_CONFIG_FIELD(ShadowQuality, shadowQuality)
ORVANE_SQAPP_CONFIG_FIELD(UseShadow, useShadow)
#undef ORVANE_SQAPP_CONFIG_FIELD

void SQApp::setConfig_AntiAliasType(int value)
{
    if (CAppSystemState* state = settings())
        state->setAntiAliasType(uint32_t(value));
}

int SQApp::getConfig_AntiAliasType()
{
    CAppSystemState* state = settings();
    return state ? int(state->antiAliasType) : 0;
}

void SQApp::setConfig_UseSelfShadow(int value)
{
    if (CAppSystemState* state = settings())
        state->useSelfShadow = uint32_t(value);
}

int SQApp::getConfig_UseSelfShadow()
{
    CAppSystemState* state = settings();
    return state ? int(state->getUseSelfShadow()) : 0;
}

void SQApp::setConfig_PointLightNum(int value)
{
    if (CAppSystemState* state = settings())
        state->setPointLightNum(uint32_t(value));
}

int SQApp::getConfig_PointLightNum()
{
    CAppSystemState* state = settings();
    return state ? int(state->pointLightNum) : 0;
}

// ---- Registration ----

void SQApp::registerClass()
{
    SquirrelObject c = SqPlus::RegisterClassType<SQApp>("SQApp");
    SqPlus::RegisterConstructor<SQApp, const char*>(c);
#define ORVANE_SQAPP_METHOD(name) SqPlus::RegisterInstance(c, &SQApp::name, #name);
    ORVANE_SQAPP_METHOD(getFrameSpeed)
    ORVANE_SQAPP_METHOD(getMilliTime)
    ORVANE_SQAPP_METHOD(getSystemTime)
    ORVANE_SQAPP_METHOD(getCursorPosition)
    ORVANE_SQAPP_METHOD(setCursorPosition)
    ORVANE_SQAPP_METHOD(isKeyDown)
    ORVANE_SQAPP_METHOD(isKeyUp)
    ORVANE_SQAPP_METHOD(getKeyState)
    ORVANE_SQAPP_METHOD(getMouseButtonStateL)
    ORVANE_SQAPP_METHOD(getMouseButtonStateR)
    ORVANE_SQAPP_METHOD(getMouseWheelState)
    ORVANE_SQAPP_METHOD(getMouseMove)
    ORVANE_SQAPP_METHOD(getTouchContactNum)
    ORVANE_SQAPP_METHOD(getTouchState)
    ORVANE_SQAPP_METHOD(isTouchMoving)
    ORVANE_SQAPP_METHOD(getTouchMove)
    ORVANE_SQAPP_METHOD(getTouchPosition)
    ORVANE_SQAPP_METHOD(getTouchTime)
    ORVANE_SQAPP_METHOD(getTouchVelocity)
    ORVANE_SQAPP_METHOD(clearTouchInput)
    ORVANE_SQAPP_METHOD(isButtonDown)
    ORVANE_SQAPP_METHOD(getGamepadButtonState)
    ORVANE_SQAPP_METHOD(getGamepadTriggerValue)
    ORVANE_SQAPP_METHOD(getGamepadThumbValue)
    ORVANE_SQAPP_METHOD(setGamepadVibration)
    ORVANE_SQAPP_METHOD(loadTexture)
    ORVANE_SQAPP_METHOD(unloadTexture)
    ORVANE_SQAPP_METHOD(loadFont)
    ORVANE_SQAPP_METHOD(loadSystemFont)
    ORVANE_SQAPP_METHOD(clearFontCache)
    ORVANE_SQAPP_METHOD(unloadFont)
    ORVANE_SQAPP_METHOD(showCursor)
    ORVANE_SQAPP_METHOD(setCursor)
    ORVANE_SQAPP_METHOD(getCursor)
    ORVANE_SQAPP_METHOD(fadeoutScreen)
    ORVANE_SQAPP_METHOD(fadeoutColor)
    ORVANE_SQAPP_METHOD(loadParticle)
    ORVANE_SQAPP_METHOD(unloadParticle)
    ORVANE_SQAPP_METHOD(getParticleNameList)
    ORVANE_SQAPP_METHOD(getParticleFileList)
    ORVANE_SQAPP_METHOD(getParticleParameter)
    ORVANE_SQAPP_METHOD(setParticleDebugDrawEnable)
    ORVANE_SQAPP_METHOD(callTask)
    ORVANE_SQAPP_METHOD(setWindowTitle)
    ORVANE_SQAPP_METHOD(mountFile)
    ORVANE_SQAPP_METHOD(unmountFile)
    ORVANE_SQAPP_METHOD(isMounted)
    ORVANE_SQAPP_METHOD(injectSoundFile)
    ORVANE_SQAPP_METHOD(ejectSoundFile)
    ORVANE_SQAPP_METHOD(setFullScreen)
    ORVANE_SQAPP_METHOD(isFullScreen)
    ORVANE_SQAPP_METHOD(setFrameRate)
    ORVANE_SQAPP_METHOD(getFrameRate)
    ORVANE_SQAPP_METHOD(setMaxFrameTime)
    ORVANE_SQAPP_METHOD(createDirectory)
    ORVANE_SQAPP_METHOD(getFileTime)
    ORVANE_SQAPP_METHOD(getPlatformName)
    ORVANE_SQAPP_METHOD(getProductName)
    ORVANE_SQAPP_METHOD(createPhysicsWorld)
    ORVANE_SQAPP_METHOD(deletePhysicsWorld)
    ORVANE_SQAPP_METHOD(exit)
    ORVANE_SQAPP_METHOD(showMessageBox)
    ORVANE_SQAPP_METHOD(defineSoundGroup)
    ORVANE_SQAPP_METHOD(setSoundTypeVolume)
    ORVANE_SQAPP_METHOD(setSoundGroupVolume)
    ORVANE_SQAPP_METHOD(setCloseCallback)
    ORVANE_SQAPP_METHOD(saveSystemConfig)
    ORVANE_SQAPP_METHOD(loadSystemConfig)
    ORVANE_SQAPP_METHOD(applySystemConfig)
    ORVANE_SQAPP_METHOD(applyPresetConfig)
    ORVANE_SQAPP_METHOD(isExistUserSetting)
    ORVANE_SQAPP_METHOD(setConfig_ScreenSize)
    ORVANE_SQAPP_METHOD(getConfig_ScreenSize)
    ORVANE_SQAPP_METHOD(setConfig_FullScreen)
    ORVANE_SQAPP_METHOD(getConfig_FullScreen)
    ORVANE_SQAPP_METHOD(setConfig_FixedAspect)
    ORVANE_SQAPP_METHOD(getConfig_FixedAspect)
    ORVANE_SQAPP_METHOD(setConfig_FrameRate)
    ORVANE_SQAPP_METHOD(getConfig_FrameRate)
    ORVANE_SQAPP_METHOD(setConfig_AntiAliasType)
    ORVANE_SQAPP_METHOD(getConfig_AntiAliasType)
    ORVANE_SQAPP_METHOD(setConfig_SceneDegreeSizeRatio)
    ORVANE_SQAPP_METHOD(getConfig_SceneDegreeSizeRatio)
    ORVANE_SQAPP_METHOD(setConfig_UseSoftFocus)
    ORVANE_SQAPP_METHOD(getConfig_UseSoftFocus)
    ORVANE_SQAPP_METHOD(setConfig_UseHDR)
    ORVANE_SQAPP_METHOD(getConfig_UseHDR)
    ORVANE_SQAPP_METHOD(setConfig_UseDOF)
    ORVANE_SQAPP_METHOD(getConfig_UseDOF)
    ORVANE_SQAPP_METHOD(setConfig_UseToneMapping)
    ORVANE_SQAPP_METHOD(getConfig_UseToneMapping)
    ORVANE_SQAPP_METHOD(setConfig_ShadowQuality)
    ORVANE_SQAPP_METHOD(getConfig_ShadowQuality)
    ORVANE_SQAPP_METHOD(setConfig_UseShadow)
    ORVANE_SQAPP_METHOD(getConfig_UseShadow)
    ORVANE_SQAPP_METHOD(setConfig_UseSelfShadow)
    ORVANE_SQAPP_METHOD(getConfig_UseSelfShadow)
    ORVANE_SQAPP_METHOD(setConfig_PointLightNum)
    ORVANE_SQAPP_METHOD(getConfig_PointLightNum)
#undef ORVANE_SQAPP_METHOD
}

} // namespace Orvane::Squirrel
