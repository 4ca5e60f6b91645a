#pragma once

#include <string>
#include <vector>

namespace Orvane
{

// What "Setting.ini" gives the start-up: the application object's construction values and the
// game's paths. Every key missing from the file keeps its default.
struct StartupSettings
{
    int screenWidth = 1280;
    int screenHeight = 720;
    std::string windowName = "OrvaneEngineStudio";
    int soundType = -1;
    std::string savePath = "dev/Save";
    std::string version = "0.00";
    std::vector<std::string> fontFiles;
};

// "Default" -1, "CRIAdx2" 1, "DirectSound" 0, "XAudio2" 2, compared exactly; anything else -1.
int soundTypeFromName(const std::string& name);

// Reads the keys out of the file's bytes: UTF-8 (a byte-order mark skipped), else code page 932.
// 0 on success, -1 when the text is neither (the settings are then left as they were).
int parseStartupSettings(const std::string& fileText, StartupSettings& settings);

} // namespace Orvane
