#include "PatchArchives.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace Orvane
{

namespace
{

std::string toLowerAscii(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool hasWpkExtension(const std::string& lowerName)
{
    return lowerName.size() >= 4 && lowerName.compare(lowerName.size() - 4, 4, ".wpk") == 0;
}

void insertSortedUnique(std::vector<std::string>& names, std::string name)
{
    const auto at = std::lower_bound(names.begin(), names.end(), name);
    if (at == names.end() || *at != name) names.insert(at, std::move(name));
}

} // namespace

std::vector<std::string> listPatchArchives(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return names;
    for (const auto& entry : it)
    {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) continue;
        std::string lower = toLowerAscii(entry.path().filename().string());
        if (hasWpkExtension(lower)) insertSortedUnique(names, "patch/" + lower);
    }
    return names;
}

const std::vector<std::string>& baseArchiveNames()
{
    static const std::vector<std::string> names = {"script.wpk", "cg.wpk",    "dx.wpk",     "font.wpk",
                                                   "sound.wpk",  "voice.wpk", "W4_sys.wpk", "system.wpk"};
    return names;
}

} // namespace Orvane
