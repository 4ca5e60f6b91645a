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

struct PatchName
{
    std::string lower;
    std::string real;
    bool operator<(const PatchName& other) const
    {
        return lower != other.lower ? lower < other.lower : real < other.real;
    }
};

} // namespace

std::vector<std::string> listPatchArchives(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    if (error) return names;
    std::vector<PatchName> found;
    for (const auto& entry : it)
    {
        std::error_code typeError;
        if (!entry.is_regular_file(typeError)) continue;
        std::string real = entry.path().filename().string();
        std::string lower = toLowerAscii(real);
        if (hasWpkExtension(lower)) found.push_back({std::move(lower), std::move(real)});
    }
    // Names that differ only in case are one archive where names ignore case: the first by bytes is mounted.
    std::sort(found.begin(), found.end());
    for (size_t i = 0; i < found.size(); ++i)
        if (i == 0 || found[i].lower != found[i - 1].lower) names.push_back("patch/" + found[i].real);
    return names;
}

const std::vector<std::string>& baseArchiveNames()
{
    static const std::vector<std::string> names = {"script.wpk", "cg.wpk",    "dx.wpk",     "font.wpk",
                                                   "sound.wpk",  "voice.wpk", "W4_sys.wpk", "system.wpk"};
    return names;
}

} // namespace Orvane
