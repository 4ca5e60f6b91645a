// The program's entry: orvane <game folder>. Opens the window named by the game's "Setting.ini"
// (in its "system.wpk") and runs frames until the window is closed.

#include "PatchArchives.h"
#include "SingleInstanceLock.h"
#include "StartupSettings.h"

#include "core/StartupState.h"
#include "core/SystemArchive.h"
#include "core/TextEncoding.h"

#include <kavro/ArchiveKey.h>
#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>
#include <kavro/IRenderDevice.h>
#include <kavro/MessageBox.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace
{

Kavro::ICore* g_core = nullptr;

// The text of "Setting.ini" out of "system.wpk"; empty when it cannot be read.
std::string readSettingsText(const uint8_t* key)
{
    std::string text;
    if (Orvane::ArchiveReadSettings(key, text) != 0) text.clear();
    return text;
}

void showSettingsError()
{
    Kavro::ShowMessageBox("システム情報の読み込みに失敗しました", "起動エラー", Kavro::MB_ICONERROR);
}

void queueGameArchives(const uint8_t* key)
{
    for (const std::string& name : Orvane::baseArchiveNames()) Orvane::queueArchiveMount(name, key, 32);
    for (const std::string& name : Orvane::listPatchArchives()) Orvane::queueArchiveMount(name, key, 32);
}

void applyStartupSettings(const Orvane::StartupSettings& settings)
{
    Orvane::setSettingsFileName("system.dat");
    Orvane::setSavePathRoot(settings.savePath);
    Orvane::setSoundType(settings.soundType);
    Orvane::setVersionString(settings.version);
    Orvane::setEngineCodePage(Orvane::CodePageUtf8);
    Orvane::setMessageLanguage(1);
}

void mountPendingArchives(Kavro::IFileSystem* fileSystem)
{
    for (const Orvane::PendingMount& mount : Orvane::takePendingMounts())
    {
        const uint32_t length = static_cast<uint32_t>(mount.key.size());
        fileSystem->mount(mount.name.c_str(), mount.key.empty() ? nullptr : mount.key.data(), &length);
    }
}

intptr_t windowProc(void* window, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message == Kavro::WM_DESTROY) g_core->postQuitMessage(0);
    return g_core->defWindowProc(window, message, wParam, lParam);
}

void runFrames(Kavro::IRenderDevice* render)
{
    const uint32_t black = 0xFF000000;
    for (;;)
    {
        const int pumped = g_core->pumpMessages();
        if (pumped < 0) return;
        if (pumped > 0 || !render) continue;
        if (render->beginFrame() >= 0)
        {
            render->clear(1, &black);
            render->endFrame();
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && chdir(argv[1]) != 0)
    {
        std::fprintf(stderr, "orvane: cannot enter the game folder %s\n", argv[1]);
        return 0;
    }
    Orvane::SingleInstanceLock instanceLock;
    if (!instanceLock.acquire()) return -1;

    const auto key = Kavro::BuildArchiveKey();
    Orvane::StartupSettings settings;
    const std::string settingsText = readSettingsText(key.data());
    if (settingsText.empty() || Orvane::parseStartupSettings(settingsText, settings) != 0)
    {
        instanceLock.release();
        showSettingsError();
        return 0;
    }
    queueGameArchives(key.data());
    applyStartupSettings(settings);

    g_core = Kavro::CreateKavro();
    if (!g_core) return 0;
    g_core->setWindowName(settings.windowName.c_str());
    g_core->setScreenSize(settings.screenWidth, settings.screenHeight);
    g_core->setDisplayMode(settings.screenWidth, settings.screenHeight, 0, 1);
    Kavro::IFileSystem* fileSystem = g_core->createFileSystem();
    Kavro::IRenderDevice* render = nullptr;
    if (g_core->initialize() >= 0)
    {
        if (fileSystem) mountPendingArchives(fileSystem);
        render = g_core->getRenderDevice();
        g_core->setWindowProc(windowProc);
        g_core->completeStartup();
        runFrames(render);
    }
    if (render) render->release();
    if (fileSystem) fileSystem->release();
    g_core->finalize();
    Kavro::ReleaseKavro();
    return 0;
}
