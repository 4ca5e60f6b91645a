#pragma once

#include <kavro/Wpk2Format.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

// orvane-wpk: packs a directory into a WPK2 archive, lists and extracts archives, prints the key.
class ArchiveTool
{
public:
    enum ExitCode
    {
        Success = 0,
        Failed = 1,   // bad input: unreadable archive, refused names, I/O errors
        BadUsage = 2, // unknown command, wrong arguments, malformed key
    };

    ArchiveTool(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
    int run(std::vector<std::string> args);

private:
    bool takeKeyOption(std::vector<std::string>& args);
    int pack(const std::string& archive, const std::filesystem::path& directory);
    int list(const std::string& archive);
    int extract(const std::string& archive, const std::filesystem::path& directory);
    int printKey();
    int usage(std::ostream& to, int exitCode);
    int fail(const std::string& message);

    std::ostream& out_;
    std::ostream& err_;
    Kavro::Wpk2Key key_{};
};
