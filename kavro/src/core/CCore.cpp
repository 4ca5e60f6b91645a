#include "core/CCore.h"

#include "core/CSystemInfo.h"
#include "core/MessageBoxOwner.h"
#include "fs/ArchiveFileSystem.h"
#include "input/CInputManager.h"
#include "kavro/IFileSystem.h"
#include "kavro/IRenderDevice.h"
#include "movie/CMovie.h"
#include "physics/PhysicsWorldFactory.h"
#include "render/RenderDeviceFactory.h"
#include "render/RenderFailure.h"
#include "sound/SoundDeviceFactory.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace Kavro
{

namespace
{

// Events made by tests carry no window; events of other windows (such as a hidden helper
// window) are not ours.
bool isOurs(const SDL_Event& event, SDL_Window* window)
{
    uint32_t id = 0;
    switch (event.type)
    {
    case SDL_WINDOWEVENT:
        id = event.window.windowID;
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        id = event.key.windowID;
        break;
    case SDL_MOUSEMOTION:
        id = event.motion.windowID;
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        id = event.button.windowID;
        break;
    case SDL_MOUSEWHEEL:
        id = event.wheel.windowID;
        break;
    default:
        return true;
    }
    return id == 0 || !window || id == SDL_GetWindowID(window);
}

} // namespace

CCore::CCore() : input_(new CInputManager)
{
    pacer_.setFrameRate(60);
    const char* fixedClock = std::getenv("KAVRO_FIXED_CLOCK");
    fixedClock_ = fixedClock && *fixedClock && std::strcmp(fixedClock, "0") != 0;
    fixedSystemStart_ = wallClock();
    updateLayout();
    input_->setWarp(
        [this](int x, int y)
        {
            if (window_) SDL_WarpMouseInWindow(window_, x, y);
        });
}

CCore::~CCore()
{
    finalize();
    input_->release();
}

bool CCore::startVideo()
{
    if (videoStarted_) return true;
    // Closing the window is a message to the window procedure, not an order to quit.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    // Without controller support the window still works.
    SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER);
    videoStarted_ = true;
    return true;
}

int CCore::initialize()
{
    if (window_) return 0;
    if (!startVideo()) return -1;
    PrepareRenderWindowAttributes();

    // Hidden until start-up is complete, so that no half-made frame shows.
    uint32_t flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI;
    if (wanted_.fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    // Without a display the render device draws surfaceless; on a display, the window carries
    // its OpenGL context. No OpenGL on the display: the window still opens.
    if (HaveDisplay())
        window_ = SDL_CreateWindow(name_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   wanted_.width, wanted_.height, flags | SDL_WINDOW_OPENGL);
    else
        std::fputs("No display: running without a window.\n", stderr);
    if (!window_)
        window_ = SDL_CreateWindow(name_.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   wanted_.width, wanted_.height, flags);
    if (!window_) return -1;
    destroyed_ = false;
    active_ = true;
    applied_ = wanted_;
    updateLayout();
    SetMessageBoxOwner(window_);
    return 0;
}

void CCore::finalize()
{
    // Whoever still holds the device keeps an object without a context: the context has to go while
    // its window and the video subsystem are still there.
    if (renderDevice_) ReleaseRenderContext(renderDevice_);
    if (renderDevice_) renderDevice_->release();
    renderDevice_ = nullptr;
    if (fileSystem_) fileSystem_->release();
    fileSystem_ = nullptr;
    if (movieSound_) movieSound_->release();
    movieSound_ = nullptr;
    if (!videoStarted_) return;
    input_->gamepad().closeAll();
    SetMessageBoxOwner(nullptr);
    for (SDL_Cursor** cursor : {&arrow_, &hand_})
    {
        if (*cursor) SDL_FreeCursor(*cursor);
        *cursor = nullptr;
    }
    if (window_) SDL_DestroyWindow(window_);
    window_ = nullptr;
    SDL_Quit();
    videoStarted_ = false;
}

void CCore::send(uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (proc_)
        proc_(window_, message, wParam, lParam);
    else
        defWindowProc(window_, message, wParam, lParam);
}

int CCore::dispatchPending()
{
    std::deque<WindowMessage> batch;
    {
        std::lock_guard<std::mutex> guard(postedLock_);
        batch.swap(posted_);
    }
    int count = int(batch.size());
    for (const WindowMessage& m : batch)
        send(m.message, m.wParam, m.lParam);
    if (!videoStarted_) return count;
    // Only what is waiting now: a stream of new events cannot hold off the next frame.
    SDL_PumpEvents();
    SDL_Event event;
    for (int waiting = SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT); waiting > 0;
         --waiting)
    {
        if (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) <= 0) break;
        handleEvent(event);
        ++count;
    }
    return count;
}

void CCore::handleEvent(const SDL_Event& event)
{
    if (event.type == SDL_QUIT) // asked to end from outside (a signal, the session)
    {
        postQuitMessage(0);
        return;
    }
    if (!isOurs(event, window_)) return;
    if (event.type == SDL_WINDOWEVENT)
    {
        switch (event.window.event)
        {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            active_ = true;
            break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            active_ = false;
            input_->releaseAll(); // keys let go while away must not stay down
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            updateLayout();
            break;
        default:
            break;
        }
    }
    input_->handleEvent(event, getMilliTime());
    translated_.clear();
    translator_.translate(event, translated_);
    for (const WindowMessage& m : translated_)
        send(m.message, m.wParam, m.lParam);
}

void CCore::waitForFrame()
{
    using namespace std::chrono;
    // At low rates the wait sleeps on the event queue, so that the window stays responsive; the
    // last stretch (all of it at usual rates) is slept precisely to the frame's time.
    constexpr auto kPrecise = milliseconds(20);
    const auto remaining = pacer_.deadline() - CFramePacer::Clock::now();
    if (videoStarted_ && remaining > kPrecise)
    {
        const auto ms = duration_cast<milliseconds>(remaining - kPrecise / 2).count();
        if (SDL_WaitEventTimeout(nullptr, int(ms)) == 1) return;
    }
    std::this_thread::sleep_until(pacer_.deadline());
}

int CCore::pumpMessages()
{
    const auto takeQuit = [this]
    {
        std::lock_guard<std::mutex> guard(postedLock_);
        if (!quitPosted_ || !posted_.empty()) return false;
        quitPosted_ = false;
        return true;
    };
    if (takeQuit()) return -1;
    // The quit comes after every message posted before it, as the next pump's answer.
    if (const int handled = dispatchPending(); handled > 0) return handled;
    if (takeQuit()) return -1;
    if (fixedClock_)
        ++fixedFrames_;
    else if (!pacer_.isDue(CFramePacer::Clock::now()))
    {
        waitForFrame();
        // What came in meanwhile is handled before the frame, so that the frame sees it.
        if (const int handled = dispatchPending(); handled > 0) return handled;
        if (takeQuit()) return -1;
        if (!pacer_.isDue(CFramePacer::Clock::now()))
            return 1; // woken early by an event that brought no message
    }
    input_->nextFrame(getMilliTime());
    pacer_.frameStarted(CFramePacer::Clock::now());
    ++frameCount_;
    return 0;
}

uint32_t CCore::getMilliTime()
{
    if (fixedClock_)
        return uint32_t(1000 + fixedFrames_ * 1000 / 60);
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t CCore::getSystemTime()
{
    // Under the fixed clock the date moves with the frames too, so that what runs on it (lip timelines)
    // is the same in every run.
    if (fixedClock_)
        return fixedSystemStart_ + fixedFrames_ * 1000 / 60;
    return wallClock();
}

uint64_t CCore::wallClock()
{
    using namespace std::chrono;
    return uint64_t(duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count());
}

void CCore::completeStartup()
{
    if (window_ && !destroyed_)
    {
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
    }
}

IFileSystem* CCore::getFileSystem()
{
    return fileSystem_;
}

IFileSystem* CCore::createFileSystem()
{
    if (!fileSystem_) fileSystem_ = CreateArchiveFileSystem();
    if (fileSystem_) fileSystem_->addRef();
    return fileSystem_;
}

void* CCore::getWindowHandle()
{
    return window_;
}

void CCore::setWindowProc(WindowProc proc)
{
    proc_ = proc;
}

IRenderDevice* CCore::getRenderDevice()
{
    if (!renderDevice_)
    {
        // A window without OpenGL (no display) leaves the device to draw headless.
        SDL_Window* target = window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL) ? window_ : nullptr;
        SetRenderFailure({});
        renderDevice_ = CreateRenderDevice(target, screen_.x, screen_.y, fileSystem_);
        if (!renderDevice_)
            renderFailure_ = LastRenderFailure().empty() ? "no OpenGL 3.3 core context" : LastRenderFailure();
        // Presentation follows the display mode: letterboxed or stretched like the mouse mapping.
        if (renderDevice_)
            SetPresentRectProvider(renderDevice_, [this] { return getPresentRect(); });
    }
    if (renderDevice_) renderDevice_->addRef();
    return renderDevice_;
}

ISoundDevice* CCore::createSoundDevice(int)
{
    // Every sound type is the one OpenAL Soft device on the default output.
    ISoundDevice* device = CreateSoundDevice(fileSystem_);
    if (device && !movieSound_)
    {
        movieSound_ = device;
        movieSound_->addRef();
    }
    return device;
}

IInputManager* CCore::getInputManager()
{
    input_->addRef();
    return input_;
}

IPhysicsWorld* CCore::createPhysicsWorld() { return physics::createWorld(); }

IMovie* CCore::openMovie()
{
    CMovie::Clock clock;
    // Test runs: movies without sound keep the core's fixed time.
    if (fixedClock_)
        clock = [this] { return int64_t(getMilliTime()); };
    return new CMovie(fileSystem_, movieSound_, std::move(clock));
}

void CCore::setWindowName(const char* name)
{
    name_ = name ? name : "";
    if (window_) SDL_SetWindowTitle(window_, name_.c_str());
}

void CCore::setScreenSize(int width, int height)
{
    screen_ = {width > 0 ? width : 1, height > 0 ? height : 1};
    updateLayout();
}

void CCore::setDisplayMode(int width, int height, int fullScreen, int fixedAspect)
{
    wanted_ = {width > 0 ? width : screen_.x, height > 0 ? height : screen_.y, fullScreen != 0,
               fixedAspect != 0};
}

int CCore::applyDisplayMode()
{
    if (window_)
    {
        if (wanted_.fullScreen)
        {
            if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) return -1;
        }
        else
        {
            if (SDL_SetWindowFullscreen(window_, 0) != 0) return -1;
            SDL_SetWindowSize(window_, wanted_.width, wanted_.height);
            SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
        }
    }
    applied_ = wanted_;
    updateLayout();
    return 0;
}

int CCore::changeDisplayMode(int width, int height, int fullScreen, int fixedAspect)
{
    setDisplayMode(width, height, fullScreen, fixedAspect);
    return wanted_ == applied_ ? 1 : 0;
}

void CCore::setAntiAliasType(int type)
{
    antiAlias_ = type;
}

int CCore::changeAntiAliasType(int type)
{
    const bool same = type == antiAlias_;
    antiAlias_ = type;
    return same ? 1 : 0;
}

int CCore::getAntiAliasType()
{
    return antiAlias_;
}

int CCore::setFrameRate(int framesPerSecond)
{
    pacer_.setFrameRate(framesPerSecond);
    return 0;
}

int CCore::getFrameRate()
{
    return pacer_.frameRate();
}

float CCore::getDetectFps()
{
    return pacer_.measuredFps();
}

int CCore::isFullScreen()
{
    return applied_.fullScreen ? 1 : 0;
}

IntPair CCore::getScreenSize()
{
    return screen_;
}

void CCore::updateLayout()
{
    int width = applied_.width, height = applied_.height;
    if (window_) SDL_GetWindowSize(window_, &width, &height);
    layout_.set(width, height, screen_.x, screen_.y, applied_.fixedAspect);
    input_->setLayout(layout_);
}

Rect2D<int> CCore::getPresentRect()
{
    int width = applied_.width, height = applied_.height;
    if (window_)
    {
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_OPENGL)
            SDL_GL_GetDrawableSize(window_, &width, &height);
        else
            SDL_GetWindowSize(window_, &width, &height);
    }
    return CScreenLayout::Fit(width, height, screen_.x, screen_.y, applied_.fixedAspect);
}

const char* CCore::getPlatformName()
{
    return "Linux";
}

void CCore::exit()
{
    postQuitMessage(0);
}

int CCore::getSystemInfo1(char* buffer, int size)
{
    return CSystemInfo::Copy(CSystemInfo::OperatingSystem(), buffer, size);
}

int CCore::getSystemInfo2(char* buffer, int size)
{
    return CSystemInfo::Copy(CSystemInfo::Processor(), buffer, size);
}

int CCore::getSystemInfo3(char* buffer, int size)
{
    return CSystemInfo::Copy(CSystemInfo::Memory(), buffer, size);
}

int CCore::getSystemInfo4(char* buffer, int size)
{
    return CSystemInfo::Copy(CSystemInfo::Renderer(), buffer, size);
}

int CCore::getSystemInfo5(char* buffer, int size)
{
    return CSystemInfo::Copy(CSystemInfo::Display(), buffer, size);
}

int CCore::getSystemInfo6(char* buffer, int size)
{
    return CSystemInfo::Copy(CSystemInfo::Audio(), buffer, size);
}

int CCore::getSystemInfo7(char* buffer, int size)
{
    return CSystemInfo::Copy(CSystemInfo::GraphicsVersion(), buffer, size);
}

int CCore::getSystemInfo8(char* buffer, int size)
{
    return CSystemInfo::Copy(CSystemInfo::Controllers(), buffer, size);
}

int CCore::postMessage(void*, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    std::lock_guard<std::mutex> guard(postedLock_);
    posted_.push_back({message, wParam, lParam});
    return 1;
}

void CCore::postQuitMessage(int)
{
    std::lock_guard<std::mutex> guard(postedLock_);
    quitPosted_ = true;
}

intptr_t CCore::defWindowProc(void*, uint32_t message, uintptr_t, intptr_t)
{
    // Closing destroys the window: it disappears and the procedure hears WM_DESTROY once. The
    // window object itself stays until finalize, since the render device still draws into it.
    if (message == WM_CLOSE && !destroyed_)
    {
        destroyed_ = true;
        active_ = false;
        if (window_) SDL_HideWindow(window_);
        send(WM_DESTROY, 0, 0);
    }
    return 0;
}

void* CCore::getActiveWindow()
{
    return active_ && window_ && !destroyed_ ? window_ : nullptr;
}

void CCore::setCursor(int cursor)
{
    if (!videoStarted_) return;
    const bool hand = cursor == IDC_HAND;
    SDL_Cursor*& shape = hand ? hand_ : arrow_;
    if (!shape) shape = SDL_CreateSystemCursor(hand ? SDL_SYSTEM_CURSOR_HAND : SDL_SYSTEM_CURSOR_ARROW);
    if (shape) SDL_SetCursor(shape);
}

int CCore::showCursor(int show)
{
    cursorCount_ += show ? 1 : -1;
    if (videoStarted_) SDL_ShowCursor(cursorCount_ >= 0 ? SDL_ENABLE : SDL_DISABLE);
    return cursorCount_;
}

} // namespace Kavro
