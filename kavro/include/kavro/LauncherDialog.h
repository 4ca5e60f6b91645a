#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Kavro
{

// What the start-up dialog shows and what the player chose in it.
struct LauncherDialogModel
{
    std::string caption = "Kiru Launcher";
    int fullScreen = 0;
    int resolutionIndex = 0;
    std::vector<std::string> resolutions;
    std::string systemInfo;
    std::function<void()> openManual;
    std::function<void()> openSaveFolder;
};

// Shows the start-up dialog in a window of its own and waits for the player: 1 after Start Game
// (fullScreen and resolutionIndex then hold the choices), 0 after Quit or closing the window,
// -1 when no dialog can be shown (no display).
int RunLauncherDialog(LauncherDialogModel& model);

} // namespace Kavro
