#include "core/CApp.h"

#include "core/CAppSystemState.h"
#include "core/CFile.h"
#include "core/CFontPool.h"
#include "core/CInitializeCallback.h"
#include "core/CRenderingTaskObject.h"
#include "core/CScreenSprite.h"
#include "core/CSerializeObject.h"
#include "core/CSoundManager.h"
#include "core/CSquirrelHost.h"
#include "core/CTask.h"
#include "core/CTaskMain.h"
#include "core/CTextureWacher.h"
#include "core/INullGamepad.h"
#include "core/INullKeyboard.h"
#include "core/INullMouse.h"
#include "core/INullTexture.h"
#include "core/INullTouch.h"
#include "core/NGCodeSets.h"
#include "core/IScreenSprite.h"
#include "core/IScriptHost.h"
#include "core/StartupState.h"
#include "core/TextEncoding.h"
#include "particle/ParticleCaches.h"

#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>
#include <kavro/IInputManager.h>
#include <kavro/IPhysicsWorld.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISoundDevice.h>
#include <kavro/ITexture.h>
#include <kavro/MessageBox.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace Orvane
{

namespace
{
CApp* application = nullptr;

const char* const initFailedText[2] = {"アプリケーションの初期化に失敗しました\nエラーコード：%d",
                                       "Application failed to initialize.\nError code: %d"};
const char* const renderDeviceText[2] = {
    "Direct3Dデバイスを作成できません。\n以下の理由が考えられます。\n\n・ディスプレイモードがフルカラーに対応していない\n"
    "・ご使用のグラフィックボードがDirectX11に対応していない.\n・グラフィックドライバが古い、または異常がある",
    "Cannot create Direct3D device.\nPossible causes:\n\n- Your display mode does not support full color.\n"
    "- Your graphics card does not support DirectX 9.0c.\n- Your graphics drivers are corrupt or out of date."};
const char* const soundFailedEnglish =
    "XAudio2 failed to initialize.\nPlease check that your audio device is connected and its drivers are up to date.";
const char* const soundDeviceText[2] = {"XAudio2の初期化に失敗しました。\n以下の理由が考えられます。\n\n・サウンドデバイスが正常に接続されていない\n"
                                        "・サウンドデバイスのドライバに異常がある",
                                        soundFailedEnglish};
const char* const soundOutputText[2] = {"XAudio2の初期化に失敗しました。\n以下の理由が考えられます。\n\n・有効な再生デバイスが存在しない\n"
                                        "・スピーカー／ヘッドホンが正常に接続されていない",
                                        soundFailedEnglish};

enum InitErrorCode
{
    fileSystemMissing = 122,
    coreInitFailed = 138,
    inputManagerMissing = 168,
    mouseMissing = 169,
    keyboardMissing = 170,
    gamepadMissing = 171,
    touchMissing = 172,
    sceneManagerMissing = 226,
    backTextureMissing = 236,
};

constexpr float framePhysicsStep = 1.0f / 60.0f;
constexpr float maxFrameSpeed = 5.0f;
constexpr float maxFrameTime = 83.333336f;
constexpr float physicsWorldParameter = 0.8f;
constexpr int resetKey = 0x3C; // F2
constexpr int32_t handCursor = 7;
constexpr int32_t arrowCursor = 1;
constexpr size_t boxTextSize = 65536;
constexpr size_t debugTextSize = 512;

const char* byLanguage(const char* const (&texts)[2])
{
    return texts[getMessageLanguage() == 1 ? 1 : 0];
}

int noFrameHook()
{
    return CApp::noFrameHookResult;
}

template <typename Interface> void releaseInterface(Interface*& object)
{
    if (object)
        object->release();
    object = nullptr;
}

template <typename Object> void releaseObject(Object*& object)
{
    if (object)
        object->release();
    object = nullptr;
}

void releaseSprite(IScreenSprite*& sprite)
{
    if (sprite)
        sprite->getSpriteObject()->release();
    sprite = nullptr;
}

std::string formatText(size_t size, const char* format, va_list args)
{
    std::string text(size, '\0');
    const int written = std::vsnprintf(text.data(), size, format, args);
    text.resize(written < 0 ? 0 : std::min(size_t(written), size - 1));
    return text;
}

bool isUtf8(const std::string& text)
{
    std::u16string wide;
    return toWide(CodePageUtf8, text, wide) >= 0;
}
} // namespace

CApp::CApp(const std::string& windowName, int width, int height, void* instance)
    : CObject(windowName), instance(instance), nullKeyboard(new INullKeyboard), nullMouse(new INullMouse),
      nullGamepad(new INullGamepad), nullTexture(new INullTexture), nullTouch(new INullTouch),
      systemState(new CAppSystemState(uint32_t(width), uint32_t(height))), screenWidth(width), screenHeight(height),
      frameHook(noFrameHook), soundManager(new CSoundManager), textureWatcher(new CTextureWacher)
{
    // The quality of preset 2 until the settings file says otherwise.
    systemState->applyPreset(2);
}

CApp::~CApp()
{
    releaseAllTasks();
    if (ownsScriptHost)
        delete scriptHost;
    for (auto& [id, world] : physicsWorlds)
        world->release();
    releaseDevices();
    releaseBookkeeping();
    setCore(nullptr);
    delete nullKeyboard;
    delete nullMouse;
    delete nullGamepad;
    delete nullTexture;
    delete nullTouch;
    if (application == this)
        application = nullptr;
}

CApp* CApp::get()
{
    return application;
}

void CApp::set(CApp* app)
{
    application = app;
}

void CApp::setCore(Kavro::ICore* newCore)
{
    if (newCore)
        newCore->addRef();
    if (core)
        core->release();
    core = newCore;
}

// ---------------------------------------------------------------------------------------------
// Creation and initialisation

int CApp::create(int width, int height, const std::string& windowName, void* instance,
                 CInitializeCallback* callback)
{
    if (application)
        application->release();
    application = nullptr;
    return install(new CApp(windowName, width, height, instance), callback);
}

int CApp::install(CApp* app, CInitializeCallback* callback)
{
    if (application && application != app)
        application->release();
    application = app;
    return app->initialize(callback);
}

Kavro::ICore* CApp::createCore()
{
    return Kavro::CreateKavro();
}

void CApp::releaseCore(Kavro::ICore*)
{
    Kavro::ReleaseKavro();
}

IScriptHost* CApp::createScriptHost()
{
    return new CSquirrelHost;
}

CTask* CApp::createMainTask()
{
    return new CTaskMain;
}

IScreenSprite* CApp::createScreenSprite(Kavro::ITexture* texture, int width, int height)
{
    return new CScreenSprite(texture, width, height);
}

int CApp::failInitialization(int code)
{
    showErrorBox(byLanguage(initFailedText), code);
    return -1;
}

int CApp::initialize(CInitializeCallback* callback)
{
    soundType = getSoundType();
    resetNGCodes();
    core = createCore();
    if (!core)
        return -1;
    fileSystem = core->createFileSystem();
    if (!fileSystem)
        return failInitialization(fileSystemMissing);
    if (callback && callback->onInitialize(core) == 0)
        return -1;
    if (systemState)
        systemState->startTime = core->getMilliTime();
    loadSystemState();
    setInitialDisplayMode();
    if (core->initialize() < 0)
        return failInitialization(coreInitFailed);
    mountPendingArchives();
    if (acquireRenderDevice() < 0 || acquireInputDevices() < 0 || acquireSoundDevice() < 0)
        return -1;

    scriptHost = createScriptHost();
    ownsScriptHost = scriptHost != nullptr;
    fontPool = new CFontPool;
    registeredTasks.clear();
    taskStack.clear();

    core->completeStartup();
    if (acquireSceneManager() < 0)
        return -1;
    if (systemState)
        systemState->apply();
    if (CTask* mainTask = createMainTask())
    {
        registerTask(mainTask);
        mainTask->release();
    }
    if (createBackSurface() < 0)
        return -1;
    lastFrameTime = core->getMilliTime();
    return 0;
}

void CApp::setInitialDisplayMode()
{
    int windowWidth = screenWidth, windowHeight = screenHeight, fixedAspect = 1, antiAlias = 0;
    if (systemState)
    {
        if (!systemState->userSettingExists)
        {
            systemState->screenWidth = uint32_t(screenWidth);
            systemState->screenHeight = uint32_t(screenHeight);
        }
        windowWidth = int(systemState->screenWidth);
        windowHeight = int(systemState->screenHeight);
        fixedAspect = int(systemState->fixedAspect);
        antiAlias = int(systemState->antiAliasType);
    }
    core->setWindowName(getName().c_str());
    core->setScreenSize(screenWidth, screenHeight);
    // The window always starts windowed; applying the settings later goes full screen.
    core->setDisplayMode(windowWidth, windowHeight, 0, fixedAspect);
    core->setAntiAliasType(antiAlias);
}

void CApp::mountPendingArchives()
{
    // A mount that fails is not an error: that archive's files are simply absent.
    for (const PendingMount& mount : takePendingMounts())
    {
        const uint32_t length = uint32_t(mount.key.size());
        fileSystem->mount(mount.name.c_str(), mount.key.empty() ? nullptr : mount.key.data(), &length);
    }
}

int CApp::acquireRenderDevice()
{
    renderDevice = core->getRenderDevice();
    if (renderDevice)
        return 0;
    // The box names the Windows API; the terminal gets what really failed.
    std::fprintf(stderr, "orvane: no render device: %s\n", core->getRenderDeviceFailure().c_str());
    showErrorBox("%s", byLanguage(renderDeviceText));
    return -1;
}

int CApp::acquireInputDevices()
{
    inputManager = core->getInputManager();
    if (!inputManager)
        return failInitialization(inputManagerMissing);
    if (!(mouse = inputManager->getMouse()))
        return failInitialization(mouseMissing);
    if (!(keyboard = inputManager->getKeyboard()))
        return failInitialization(keyboardMissing);
    if (!(gamepad = inputManager->getGamepad()))
        return failInitialization(gamepadMissing);
    if (!(touch = inputManager->getTouch()))
        return failInitialization(touchMissing);
    return 0;
}

bool CApp::leaveFullScreenForBox()
{
    if (!systemState || !systemState->fullScreen)
        return false;
    core->setDisplayMode(int(systemState->screenWidth), int(systemState->screenHeight), 0,
                         int(systemState->fixedAspect));
    core->applyDisplayMode();
    return true;
}

int CApp::acquireSoundDevice()
{
    soundDevice = core->createSoundDevice(soundType);
    if (!soundDevice)
    {
        leaveFullScreenForBox();
        std::fprintf(stderr, "orvane: no sound device: OpenAL Soft could not be started\n");
        showErrorBox("%s", byLanguage(soundDeviceText));
        return -1;
    }
    if (soundDevice->hasOutput())
        return 0;
    // Without a playback device the game still runs, silently. The box names the Windows API; the
    // terminal gets what really failed.
    std::fprintf(stderr, "orvane: the game runs silently: %s\n", soundDevice->getOutputFailure().c_str());
    const bool left = leaveFullScreenForBox();
    showWarningBox("%s", byLanguage(soundOutputText));
    if (left)
    {
        core->setDisplayMode(int(systemState->screenWidth), int(systemState->screenHeight), 1,
                             int(systemState->fixedAspect));
        core->applyDisplayMode();
    }
    return 0;
}

int CApp::acquireSceneManager()
{
    sceneManager = renderDevice->getSceneManager();
    if (!sceneManager)
        return failInitialization(sceneManagerMissing);
    sceneManager->addRef();
    uint32_t frameWord = 0;
    sceneManager->setup(&frameWord, &sceneManagerStartWord());
    return 0;
}

int CApp::createBackSurface()
{
    backTexture = renderDevice->createRenderTexture(screenWidth, screenHeight, 4, 0, 0, 0);
    if (!backTexture)
        return failInitialization(backTextureMissing);
    const int32_t* size = backTexture->getSize();
    screenSprite = createScreenSprite(backTexture, int(float(size[0])), int(float(size[1])));
    if (screenSprite)
    {
        screenSprite->create();
        screenSprite->fadeTo(0.0f, 0, 0);
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Shutdown

void CApp::shutdown()
{
    if (application && application->core)
        application->releaseForShutdown();
}

void CApp::releaseForShutdown()
{
    Kavro::CAutoLock guard(lock);
    for (auto& [name, task] : registeredTasks)
        task->releaseObjects();
    if (ownsScriptHost)
        delete scriptHost;
    scriptHost = nullptr;
    ownsScriptHost = false;
    releaseAllTasks();
    releaseDevices();
    for (auto& [id, world] : physicsWorlds)
        world->release();
    physicsWorlds.clear();
    releaseBookkeeping();
    core->finalize();
    Kavro::ICore* oldCore = core;
    core = nullptr;
    releaseCore(oldCore);
}

void CApp::releaseBookkeeping()
{
    if (soundManager)
        soundManager->clear();
    delete soundManager;
    soundManager = nullptr;
    delete textureWatcher;
    textureWatcher = nullptr;
}

void CApp::releaseDevices()
{
    for (auto& [name, object] : sharedObjects)
        releaseInterface(object);
    sharedObjects.clear();
    for (auto& [name, object] : namedObjects)
        releaseObject(object);
    namedObjects.clear();
    releaseObject(systemState);
    releaseObject(gameRecord);
    releaseSprite(screenSprite);
    releaseInterface(backTexture);
    releaseSprite(captureSprite);
    releaseInterface(sceneManager);
    releaseObject(fontPool);
    releaseInterface(gamepad);
    releaseInterface(keyboard);
    releaseInterface(mouse);
    releaseInterface(touch);
    releaseInterface(inputManager);
    releaseInterface(soundDevice);
    releaseInterface(renderDevice);
    releaseInterface(fileSystem);
}

// ---------------------------------------------------------------------------------------------
// Tasks

void CApp::registerTask(CTask* task)
{
    Kavro::CAutoLock guard(lock);
    if (registeredTasks.emplace(task->getName(), task).second)
        task->addRef();
}

void CApp::releaseScriptObjects()
{
    Kavro::CAutoLock guard(lock);
    for (auto& [name, task] : registeredTasks)
        task->releaseObjects();
}

void CApp::releaseAllTasks()
{
    Kavro::CAutoLock guard(lock);
    taskStack.clear();
    requestedTask = nullptr;
    std::map<std::string, CTask*> tasks;
    tasks.swap(registeredTasks);
    for (auto& [name, task] : tasks)
        task->release();
}

int CApp::pushTask(const std::string& name)
{
    Kavro::CAutoLock guard(lock);
    for (CTask* task : taskStack)
        if (task->getName() == name)
            return 0;
    const auto entry = registeredTasks.find(name);
    if (entry == registeredTasks.end() || !entry->second)
        return -1;
    taskStack.push_back(entry->second);
    return entry->second->initialize();
}

int CApp::updateTaskStack()
{
    CTask* top = getTopTask();
    const bool finished = top && top->finished;
    if (!requestedTask && requestedTaskName.empty() && !finished)
        return 0;
    if (finished)
    {
        top->terminate();
        taskStack.pop_back();
    }
    if (requestedTask)
    {
        if (pushTask(requestedTask->getName()) < 0)
            return -1;
        requestedTask = nullptr;
    }
    else
    {
        std::string name;
        name.swap(requestedTaskName);
        if (pushTask(name.empty() ? mainTaskName : name) < 0)
            return -1;
    }
    cursorKind = 0;
    return 0;
}

// ---------------------------------------------------------------------------------------------
// The frame loop

int CApp::run()
{
    if (pushTask(mainTaskName) < 0)
        return -1;
    lock.Enter();
    for (;;)
    {
        const int pumped = core->pumpMessages();
        if (pumped < 0)
            break;
        if (pumped == 0 && runFrame() < 0)
        {
            lock.Leave();
            return -1;
        }
        // Others that take the lock (task registration, shutdown) get their turn between passes.
        lock.Leave();
        lock.Enter();
    }
    lock.Leave();
    return 0;
}

int CApp::runFrame()
{
    if (systemState && systemState->applyRequested)
    {
        systemState->apply();
        return 0;
    }
    if (updateTaskStack() < 0)
        return -1;
    frameHook();
    stepPhysicsWorlds();
    update();
    if (fontPool)
        fontPool->renderGlyphs();
    if (soundManager)
        soundManager->update();
    render();
    if (systemState && systemState->resetRequested)
        reset();
    return 0;
}

void CApp::stepPhysicsWorlds()
{
    for (auto& [id, world] : physicsWorlds)
        world->step(framePhysicsStep);
}

void CApp::updateFrameTime()
{
    const float elapsed = float(uint32_t(core->getMilliTime() - lastFrameTime));
    frameSpeed = std::clamp(elapsed * 0.06f, 0.0f, maxFrameSpeed);
    const float elapsedAgain = float(uint32_t(core->getMilliTime() - lastFrameTime));
    frameTimeCap = std::clamp(elapsedAgain, 0.0f, maxFrameTime);
    lastFrameTime = core->getMilliTime();
}

int CApp::update()
{
    updateFrameTime();
    if (CTask* top = getTopTask())
    {
        top->updateInput();
        if (top->update() < 0)
            return -1;
    }
    updateCursor();
    updateFocus();
    if (screenSprite)
        screenSprite->getSpriteObject()->update();
    return 0;
}

void CApp::updateCursor()
{
    if (cursorKind != postedCursorKind)
        core->postMessage(core->getWindowHandle(), Kavro::WM_SETCURSOR, uintptr_t(cursorKind), 0);
    postedCursorKind = cursorKind;
    // A script that wants the hand asks for it again every frame.
    cursorKind = arrowCursor;
}

void CApp::updateFocus()
{
    if (hasFocus)
        return;
    if (core->getActiveWindow() && core->getActiveWindow() == core->getWindowHandle())
        hasFocus = 1;
    else
        cursorKind = 0;
}

void CApp::render()
{
    if (renderDevice->beginFrame() < 0)
        return;
    if (captureRequested)
        startCapture();
    const uint32_t black = 0xFF000000;
    renderDevice->clear(1, &black);
    if (CTask* top = getTopTask())
    {
        top->updateWorldMatrix();
        top->prepareFrame();
        top->render();
        // Objects advance after drawing: what the scripts changed in this frame shows in the next.
        top->updateObjects();
    }
    drawScreenFade();
    frameCapture.frameDrawn(*renderDevice, *core);
    renderDevice->endFrame();
}

void CApp::startCapture()
{
    IScreenSprite* target = captureSprite ? captureSprite : screenSprite;
    if (target)
        renderDevice->setRenderTarget(0, target->getTexture(), 0);
    releaseSprite(captureSprite);
    captureRequested = 0;
}

void CApp::drawScreenFade()
{
    if (!screenSprite || !(screenSprite->getFade() > 0.0f))
        return;
    CRenderingTaskObject* sprite = screenSprite->getSpriteObject();
    sprite->render();
    sprite->draw();
}

void CApp::reset()
{
    Kavro::CAutoLock guard(lock);
    if (scriptHost)
        scriptHost->reset();
    for (auto& [name, task] : registeredTasks)
    {
        task->terminate();
        task->clearRenderLists();
    }
    Particle::clearParticleCaches();
    if (screenSprite)
        screenSprite->fadeTo(0.0f, 0, 0);
    cursorKind = arrowCursor;
    // The cursor ends visible whether it was hidden once or shown.
    if (core->showCursor(1) > 0)
        core->showCursor(0);
    if (systemState)
        systemState->resetRequested = 0;
    if (CTask* top = getTopTask())
        top->initialize();
    releaseObject(fontPool);
    fontPool = new CFontPool;
}

int CApp::resetOnKeyRelease()
{
    if (!keyboard || !keyboard->isKeyUp(resetKey))
        return 0;
    const int state = scriptHost ? scriptHost->getRunState() : -1;
    if (state == 1 || state == 2)
        return 0;
    reset();
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Services

int CApp::setWindowTitle(const std::string& title)
{
    if (!isUtf8(title))
        return -1;
    if (core)
        core->setWindowName(title.c_str());
    return 0;
}

int CApp::showMessageBox(const std::string& caption, const std::string& text, uint32_t flags)
{
    return Kavro::ShowMessageBox(text.c_str(), caption.c_str(), flags);
}

int CApp::showErrorBox(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = formatText(boxTextSize, format, args);
    va_end(args);
    return showMessageBox(getName(), text, Kavro::MB_ICONERROR);
}

int CApp::showWarningBox(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = formatText(boxTextSize, format, args);
    va_end(args);
    return showMessageBox(getName(), text, Kavro::MB_ICONWARNING);
}

int CApp::drawDebugString(const Kavro::Vector2D& position, const ColourBytes& colour, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = formatText(debugTextSize, format, args);
    va_end(args);
    if (!renderDevice)
        return -1;
    const uint32_t argb = 0xFF000000u | uint32_t(colour.red) << 16 | uint32_t(colour.green) << 8 | colour.blue;
    return renderDevice->drawDebugText(position, argb, "appFont", text.c_str());
}

void CApp::fadeoutColor(uint32_t duration, int useColour, const ColourBytes& colour, int capture)
{
    if (!screenSprite)
        return;
    if (useColour)
    {
        uint32_t rgba = 0;
        std::memcpy(&rgba, &colour, sizeof rgba);
        if (renderDevice)
            renderDevice->fillTexture(screenSprite->getTexture(), &rgba);
    }
    else if (capture)
    {
        releaseSprite(captureSprite);
        captureRequested = 1;
    }
    screenSprite->fadeTo(1.0f, 0, 0);
    screenSprite->fadeTo(0.0f, duration, 0);
    screenSprite->scaleTo(1.0f, 1.0f, 1, 0);
    screenSprite->setBlendMode(1);
}

void CApp::leaveFullScreen()
{
    if (core)
        leaveFullScreenForBox();
}

int CApp::createPhysicsWorld(int32_t id)
{
    if (!core || physicsWorlds.count(id))
        return -1;
    Kavro::IPhysicsWorld* world = core->createPhysicsWorld();
    if (!world)
        return -1;
    world->setParameter(&physicsWorldParameter);
    physicsWorlds[id] = world;
    return 0;
}

int CApp::deletePhysicsWorld(int32_t id)
{
    const auto entry = physicsWorlds.find(id);
    if (entry == physicsWorlds.end())
        return -1;
    entry->second->release();
    physicsWorlds.erase(entry);
    return 0;
}

Kavro::IPhysicsWorld* CApp::getPhysicsWorld(int32_t id)
{
    const auto entry = physicsWorlds.find(id);
    if (entry == physicsWorlds.end())
        return nullptr;
    entry->second->addRef();
    return entry->second;
}

// ---------------------------------------------------------------------------------------------
// The settings file

std::string CApp::settingsFilePath() const
{
    std::string path = getSavePathRoot();
    if (path.back() != '/' && path.back() != '\\')
        path += '/';
    return path + getSettingsFileName();
}

int CApp::loadSystemState()
{
    if (getSavePathRoot().empty())
        return -2;
    if (!systemState)
        return 0;
    CFile file;
    // A missing file shows as a failed read: the record keeps its defaults.
    file.open(settingsFilePath().c_str(), 0, 0, 0);
    const int result = systemState->read(file);
    systemState->apply();
    if (result < 0 || !gameRecord)
        return 0;
    const int gameResult = gameRecord->read(file);
    return gameResult < 0 ? gameResult : 0;
}

int CApp::saveSystemState()
{
    if (getSavePathRoot().empty())
        return -2;
    if (!systemState)
        return -1;
    CFile file;
    const int opened = file.open(settingsFilePath().c_str(), 0, 1, 0);
    if (opened < 0)
        return opened;
    int result = systemState->write(file);
    if (result >= 0 && gameRecord)
        result = gameRecord->write(file);
    // The file replaces the old one only when closed whole.
    const int closed = file.close();
    return result < 0 ? result : (closed < 0 ? closed : 0);
}

void CApp::setGameRecord(CSerializeObject* record)
{
    if (record)
        record->addRef();
    releaseObject(gameRecord);
    gameRecord = record;
}

} // namespace Orvane
