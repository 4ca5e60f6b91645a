#include "LauncherLogic.h"

#include "core/TextEncoding.h"

#include <kavro/ICore.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace Orvane
{

const std::array<LauncherResolution, 6>& launcherResolutions()
{
    static const std::array<LauncherResolution, 6> table = {{{640, 480, "640x480"},
                                                             {800, 600, "800x600"},
                                                             {1024, 768, "1024x768"},
                                                             {1280, 960, "1280x960"},
                                                             {1600, 1200, "1600x1200"},
                                                             {1920, 1440, "1920x1440"}}};
    return table;
}

int findLauncherResolution(int width, int height)
{
    const auto& table = launcherResolutions();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].width == width && table[i].height == height) return static_cast<int>(i);
    return -1;
}

namespace
{

void replaceFirst(std::string& text, const std::string& pattern, const std::string& replacement)
{
    const size_t at = text.find(pattern);
    if (at != std::string::npos) text.replace(at, pattern.size(), replacement);
}

std::string temporaryFolder()
{
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    return error ? std::string("/tmp") : folder.string();
}

std::string userDataFolder()
{
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return data;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + "/.local/share";
}

std::string collapseSlashes(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text)
    {
        if (c == '\\') c = '/';
        if (c == '/' && !out.empty() && out.back() == '/') continue;
        out += c;
    }
    return out;
}

// "...以上" (and above) in a requirement line becomes "... or better".
std::string rewordRequirement(const std::string& line)
{
    std::u16string wide;
    if (toWide(CodePageShiftJis, line, wide) != 0) return line;
    const size_t at = wide.find(u"以上");
    if (at == std::u16string::npos) return line;
    wide.resize(at);
    wide += u" or better";
    std::string out;
    utf16ToUtf8(wide, out);
    return out;
}

std::string infoLine(Kavro::ICore& core, int (Kavro::ICore::*get)(char*, int))
{
    std::vector<char> buffer(1024, '\0');
    if ((core.*get)(buffer.data(), static_cast<int>(buffer.size())) < 0) return {};
    buffer.back() = '\0';
    return buffer.data();
}

} // namespace

std::string expandLauncherPath(const std::string& path)
{
    std::string text = path;
    // On this system the third slash of a file URL is the root of the path, so it stays.
    replaceFirst(text, "file://", "");
    if (text.find("<TEMP>") != std::string::npos || text.find("<TMP>") != std::string::npos)
    {
        const std::string temp = temporaryFolder();
        replaceFirst(text, "<TEMP>", temp);
        replaceFirst(text, "<TMP>", temp);
    }
    if (text.find("<APPDATA>") != std::string::npos) replaceFirst(text, "<APPDATA>", userDataFolder());
    return collapseSlashes(text);
}

std::string collectSystemInfo(Kavro::ICore& core)
{
    using Getter = int (Kavro::ICore::*)(char*, int);
    static const Getter plainLines[] = {&Kavro::ICore::getSystemInfo1, &Kavro::ICore::getSystemInfo2,
                                        &Kavro::ICore::getSystemInfo3, &Kavro::ICore::getSystemInfo4,
                                        &Kavro::ICore::getSystemInfo5, &Kavro::ICore::getSystemInfo6};
    std::string info;
    for (Getter get : plainLines) info += infoLine(core, get) + "\r\n";
    info += rewordRequirement(infoLine(core, &Kavro::ICore::getSystemInfo7)) + "\r\n";
    info += rewordRequirement(infoLine(core, &Kavro::ICore::getSystemInfo8));
    return info;
}

} // namespace Orvane
