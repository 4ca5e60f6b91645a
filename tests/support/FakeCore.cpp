#include "support/FakeCore.h"

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
    return fileSystem;
}

Kavro::ISoundDevice* FakeCore::createSoundDevice(int type)
{
    log.add("createSoundDevice", type);
    if (!sound)
        sound = new FakeSoundDevice;
    sound->addRef();
    return sound;
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

void FakeCore::setFrameRate(int fps)
{
    log.add("setFrameRate", fps);
}

} // namespace OrvaneTest
