#include "support/FakeCore.h"

#include <algorithm>
#include <cstring>

namespace OrvaneTest
{

FakeCore::FakeCore() : render(new RecordingRenderDevice(log)) {}

FakeCore::~FakeCore()
{
    render->release();
    if (fileSystem)
        fileSystem->release();
    if (sound)
        sound->release();
}

int FakeCore::initialize()
{
    log.add("initialize");
    return initializeResult;
}

void FakeCore::finalize()
{
    log.add("finalize");
}

int FakeCore::pumpMessages()
{
    if (pumpResults.empty())
        return 0;
    const int result = pumpResults.front();
    pumpResults.pop_front();
    return result;
}

void FakeCore::completeStartup()
{
    log.add("completeStartup");
}

Kavro::IFileSystem* FakeCore::createFileSystem()
{
    log.add("createFileSystem");
    if (fileSystem)
        fileSystem->addRef();
    return fileSystem;
}

Kavro::ISoundDevice* FakeCore::createSoundDevice(int type)
{
    log.add("createSoundDevice", type);
    if (noSoundDevice)
        return nullptr;
    if (!sound)
    {
        sound = new FakeSoundDevice;
        sound->output = soundOutput;
    }
    sound->addRef();
    return sound;
}

Kavro::IPhysicsWorld* FakeCore::createPhysicsWorld()
{
    log.add("createPhysicsWorld");
    if (physicsWorldMaker)
        return physicsWorldMaker();
    if (!makePhysicsWorlds)
        return nullptr;
    return new FakePhysicsWorld(log, "world" + std::to_string(++physicsWorldsMade), fake3D);
}

Kavro::IMovie* FakeCore::openMovie()
{
    if (fake3D)
        return fake3D->openMovie();
    log.add("openMovie");
    if (!makeMovies)
        return nullptr;
    lastMovie = new FakeMovie(log, "movie" + std::to_string(++moviesMade));
    lastMovie->width = movieWidth;
    lastMovie->height = movieHeight;
    lastMovie->openResult = movieOpenResult;
    return lastMovie;
}

void FakeCore::attach(Fake3D& fake)
{
    fake3D = &fake;
    render->fake3D = &fake;
    render->recordingScene()->fake3D = &fake;
}

void FakeCore::setWindowName(const char* name)
{
    log.add("setWindowName", name ? name : "");
}

void FakeCore::setScreenSize(int width, int height)
{
    log.add("setScreenSize", width, height);
}

void FakeCore::setDisplayMode(int width, int height, int fullScreen, int fixedAspect)
{
    log.add("setDisplayMode", width, height, fullScreen, fixedAspect);
}

int FakeCore::applyDisplayMode()
{
    log.add("applyDisplayMode");
    return applyResult;
}

void FakeCore::setAntiAliasType(int type)
{
    log.add("setAntiAliasType", type);
}

int FakeCore::changeDisplayMode(int width, int height, int full, int fixedAspect)
{
    log.add("changeDisplayMode", width, height, full, fixedAspect);
    return changeResult;
}

int FakeCore::changeAntiAliasType(int type)
{
    log.add("changeAntiAliasType", type);
    return changeResult;
}

int FakeCore::setFrameRate(int fps)
{
    log.add("setFrameRate", fps);
    frameRate = fps;
    return 0;
}

void FakeCore::exit()
{
    log.add("exit");
}

int FakeCore::systemInfo(int line, char* buffer, int size)
{
    if (!buffer || size <= 0)
        return -1;
    const std::string& text = systemInfoLines[line];
    const int length = std::min(int(text.size()), size - 1);
    std::memcpy(buffer, text.data(), size_t(length));
    buffer[length] = '\0';
    return length;
}

int FakeCore::postMessage(void*, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    log.add("postMessage", message, wParam, lParam);
    return 1;
}

void FakeCore::postQuitMessage(int exitCode)
{
    log.add("postQuitMessage", exitCode);
}

intptr_t FakeCore::defWindowProc(void*, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    log.add("defWindowProc", message, wParam, lParam);
    return 0;
}

void FakeCore::setCursor(int cursor)
{
    log.add("setCursor", cursor);
}

int FakeCore::showCursor(int show)
{
    cursorCount += show ? 1 : -1;
    log.add("showCursor", show);
    return cursorCount;
}

} // namespace OrvaneTest
