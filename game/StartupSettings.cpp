#include "StartupSettings.h"

#include "core/CIniLoader.h"
#include "core/TextEncoding.h"

namespace Orvane
{

int soundTypeFromName(const std::string& name)
{
    if (name == "Default") return -1;
    if (name == "CRIAdx2") return 1;
    if (name == "DirectSound") return 0;
    if (name == "XAudio2") return 2;
    return -1;
}

namespace
{

int decodeSettingsText(const std::string& fileText, std::u16string& wide)
{
    if (toWide(CodePageUtf8, fileText, wide) == 0) return 0;
    return toWide(CodePageShiftJis, fileText, wide);
}

void readFontFiles(const CIniLoader& ini, std::vector<std::string>& fontFiles)
{
    const int count = ini.getKeyCount();
    for (int index = 0; index < count; ++index)
    {
        std::string file = ini.getString("Font", ini.getKeyAt(index), "");
        if (!file.empty()) fontFiles.push_back(std::move(file));
    }
}

} // namespace

int parseStartupSettings(const std::string& fileText, StartupSettings& settings)
{
    std::u16string wide;
    if (decodeSettingsText(fileText, wide) != 0) return -1;
    CIniLoader ini;
    // Keys that could not be parsed keep their defaults, so the parse result is not looked at.
    ini.parse(wide);
    settings.screenWidth = ini.getInt("Init", "SCREEN_WIDTH", settings.screenWidth);
    settings.screenHeight = ini.getInt("Init", "SCREEN_HEIGHT", settings.screenHeight);
    settings.windowName = ini.getString("Init", "WINDOW_NAME", settings.windowName);
    settings.soundType = soundTypeFromName(ini.getString("Init", "SOUND_TYPE", "Default"));
    settings.savePath = ini.getString("App", "SAVE_PATH", settings.savePath);
    settings.version = ini.getString("App", "VERSION", settings.version);
    readFontFiles(ini, settings.fontFiles);
    return 0;
}

} // namespace Orvane
