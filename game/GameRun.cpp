#include "GameRun.h"

#include "CHaldenExConfigSerializer.h"
#include "CHaldenInitCallback.h"
#include "GameScriptFunctions.h"
#include "MainWindowProc.h"
#include "PatchArchives.h"
#include "SingleInstanceLock.h"
#include "StartupSettings.h"

#include "core/CApp.h"
#include "core/CInitializeCallback.h"
#include "core/CSquirrelHost.h"
#include "core/StartupState.h"
#include "core/SystemArchive.h"
#include "core/TextEncoding.h"
#include "script/CSquirrel.h"
#include "text/CSystemFont.h"

#include <kavro/ArchiveKey.h>
#include <kavro/ICore.h>
#include <kavro/MessageBox.h>

#include <cstdarg>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace
{

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

void afterScriptInit() {}

// The scripts' print output is the game's console: it goes to the terminal the engine runs in.
void printScriptText(HSQUIRRELVM, const SQChar* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::vprintf(format, arguments);
    va_end(arguments);
    std::fflush(stdout);
}

Orvane::CSquirrel* squirrelOf(Orvane::CApp& app)
{
    auto* host = dynamic_cast<Orvane::CSquirrelHost*>(app.scriptHost);
    return host ? host->getSquirrel() : nullptr;
}

void prepareRun(Orvane::CApp& app, const Orvane::StartupSettings& settings, int (*frameHook)())
{
    app.getCore()->setWindowProc(Orvane::mainWindowProc);
    app.frameHook = frameHook;
    if (Orvane::CSquirrel* squirrel = squirrelOf(app))
    {
        squirrel->setAfterInitHook(afterScriptInit);
        squirrel->setPrintCallback(printScriptText);
        squirrel->addRegistration(Orvane::RegisterGameScriptFunctions);
        squirrel->runRegistrations();
    }
    // A font that cannot be loaded leaves the game to the fonts it has.
    for (const std::string& file : settings.fontFiles) Orvane::CSystemFont::loadFontFile(file);
}

} // namespace

namespace Orvane
{

int RunGame(const char* folder, int (*frameHook)())
{
    if (folder && chdir(folder) != 0)
    {
        std::fprintf(stderr, "orvane: cannot enter the game folder %s\n", folder);
        return 0;
    }
    SingleInstanceLock instanceLock;
    if (!instanceLock.acquire()) return -1;

    const auto key = Kavro::BuildArchiveKey();
    StartupSettings settings;
    const std::string settingsText = readSettingsText(key.data());
    if (settingsText.empty() || parseStartupSettings(settingsText, settings) != 0)
    {
        instanceLock.release();
        showSettingsError();
        return 0;
    }
    queueGameArchives(key.data());
    applyStartupSettings(settings);
    sceneManagerStartWord() = 0;

    auto* record = new CHaldenExConfigSerializer;
    auto* callback = new CHaldenInitCallback(record);
    const int created =
        CApp::create(settings.screenWidth, settings.screenHeight, settings.windowName, nullptr, callback);
    delete callback;
    if (created >= 0)
    {
        prepareRun(*CApp::get(), settings, frameHook);
        CApp::get()->run();
    }
    CApp::shutdown();
    if (CApp* app = CApp::get())
    {
        CApp::set(nullptr);
        app->release();
    }
    record->release();
    return 0;
}

} // namespace Orvane
