// The program's entry: orvane <game folder>. Opens the window named by the game's "Setting.ini"
// (in its "system.wpk") and runs frames until the window is closed.

#include "core/CIniLoader.h"
#include "core/SystemArchive.h"
#include "core/TextEncoding.h"

#include <kavro/ArchiveKey.h>
#include <kavro/ICore.h>
#include <kavro/IFileSystem.h>
#include <kavro/IRenderDevice.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace
{

Kavro::ICore* g_core = nullptr;

struct StartSettings
{
    std::string windowName = "OrvaneEngineStudio";
    int width = 1280;
    int height = 720;
};

// The [Init] keys of "Setting.ini"; the defaults stand when the archive or a key is missing.
StartSettings readStartSettings()
{
    StartSettings settings;
    const auto key = Kavro::BuildArchiveKey();
    std::string text;
    const int read = Orvane::ArchiveReadSettings(key.data(), text);
    std::u16string wide;
    if (read != 0 || text.empty() ||
        (Orvane::toWide(65001, text, wide) != 0 && Orvane::toWide(932, text, wide) != 0))
        return settings;
    Orvane::CIniLoader ini;
    ini.parse(wide);
    settings.windowName = ini.getString("Init", "WINDOW_NAME", settings.windowName);
    settings.width = ini.getInt("Init", "SCREEN_WIDTH", settings.width);
    settings.height = ini.getInt("Init", "SCREEN_HEIGHT", settings.height);
    return settings;
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
    const StartSettings settings = readStartSettings();
    g_core = Kavro::CreateKavro();
    if (!g_core) return 0;
    g_core->setWindowName(settings.windowName.c_str());
    g_core->setScreenSize(settings.width, settings.height);
    g_core->setDisplayMode(settings.width, settings.height, 0, 1);
    Kavro::IFileSystem* fileSystem = g_core->createFileSystem();
    Kavro::IRenderDevice* render = nullptr;
    if (g_core->initialize() >= 0)
    {
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
