#include "CHaldenInitCallback.h"

#include "CHaldenExConfigSerializer.h"
#include "LauncherLogic.h"

#include "core/CApp.h"
#include "core/CAppSystemState.h"
#include "core/DesktopOpen.h"
#include "core/StartupState.h"

#include <kavro/IFileSystem.h>

#include <filesystem>
#include <system_error>

namespace Orvane
{

namespace
{

std::string workingFolder()
{
    std::error_code error;
    const auto folder = std::filesystem::current_path(error);
    return error ? std::string(".") : folder.string();
}

std::string withTrailingSlash(std::string path)
{
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

// Start Game always drops the quality settings to their lowest; the game raises them itself.
void clearQualitySettings(CAppSystemState& state)
{
    state.antiAliasType = 0;
    state.sceneDegreeSizeRatio = 0;
    state.useSoftFocus = 0;
    state.useHDR = 0;
    state.useDOF = 0;
    state.useShadow = 0;
    state.useSelfShadow = 0;
    state.shadowQuality = 0;
    state.pointLightNum = 0;
}

} // namespace

CHaldenInitCallback::CHaldenInitCallback(CHaldenExConfigSerializer* record)
    : record_(record), runDialog_(Kavro::RunLauncherDialog),
      open_([](const std::string& target) { openWithDesktop(target); })
{
    if (record_) record_->addRef();
}

CHaldenInitCallback::~CHaldenInitCallback()
{
    if (record_) record_->release();
}

LauncherChoices CHaldenInitCallback::readChoices(CApp& app) const
{
    LauncherChoices choices;
    app.loadSystemState();
    if (record_) choices.gameValue = record_->value;
    if (const CAppSystemState* state = app.systemState)
    {
        choices.fullScreen = int(state->fullScreen);
        const int index = findLauncherResolution(int(state->screenWidth), int(state->screenHeight));
        if (index >= 0) choices.resolutionIndex = index;
    }
    return choices;
}

Kavro::LauncherDialogModel CHaldenInitCallback::makeModel(Kavro::ICore& core, const LauncherChoices& choices) const
{
    Kavro::LauncherDialogModel model;
    model.fullScreen = choices.fullScreen;
    model.resolutionIndex = choices.resolutionIndex;
    for (const LauncherResolution& resolution : launcherResolutions()) model.resolutions.emplace_back(resolution.label);
    model.systemInfo = collectSystemInfo(core);
    const std::string manual = expandLauncherPath(workingFolder()) + "/Kiru_Manual.pdf";
    const std::string saveFolder = expandLauncherPath(getSavePathRoot());
    model.openManual = [open = open_, manual] { open(manual); };
    model.openSaveFolder = [open = open_, saveFolder] { open(saveFolder); };
    return model;
}

void CHaldenInitCallback::storeChoices(CApp& app, const LauncherChoices& choices) const
{
    if (app.fileSystem)
        app.fileSystem->createDirectory((withTrailingSlash(expandLauncherPath(getSavePathRoot())) + "common").c_str());
    if (CAppSystemState* state = app.systemState)
    {
        const LauncherResolution& resolution = launcherResolutions()[size_t(choices.resolutionIndex)];
        state->fullScreen = uint32_t(choices.fullScreen);
        state->screenWidth = uint32_t(resolution.width);
        state->screenHeight = uint32_t(resolution.height);
        clearQualitySettings(*state);
    }
    if (record_) record_->value = choices.gameValue;
    app.saveSystemState();
}

int CHaldenInitCallback::onInitialize(Kavro::ICore* core)
{
    CApp* app = CApp::get();
    if (!app || !core) return 1;
    app->setGameRecord(record_);
    LauncherChoices choices = readChoices(*app);
    Kavro::LauncherDialogModel model = makeModel(*core, choices);
    const int result = runDialog_(model);
    if (result == 0) return 0;
    if (result > 0)
    {
        choices.fullScreen = model.fullScreen ? 1 : 0;
        if (model.resolutionIndex >= 0 && model.resolutionIndex < int(launcherResolutions().size()))
            choices.resolutionIndex = model.resolutionIndex;
        // The dialog has no check box for the game's value, so Start Game clears it.
        choices.gameValue = 0;
    }
    storeChoices(*app, choices);
    return result;
}

} // namespace Orvane
