#pragma once

#include <array>
#include <string>

namespace Kavro
{
class ICore;
}

namespace Orvane
{

struct LauncherResolution
{
    int width;
    int height;
    const char* label;
};

// The six resolutions the launcher offers, in the order of its list.
const std::array<LauncherResolution, 6>& launcherResolutions();
// The index of an offered resolution, -1 for any other size.
int findLauncherResolution(int width, int height);

// Expands a configured path for this machine: the first "file://" is removed (keeping the root
// slash), "<TEMP>" and "<TMP>" become the temporary folder, "<APPDATA>" the user's data folder
// ($XDG_DATA_HOME, else ~/.local/share), backslashes become "/", and runs of "/" collapse into one.
std::string expandLauncherPath(const std::string& path);

// The machine description shown by the launcher: the core's eight information lines joined by
// CR LF (none after the last). Lines 7 and 8 have a trailing "以上" turned into " or better".
std::string collectSystemInfo(Kavro::ICore& core);

} // namespace Orvane
