#pragma once

#include <string>
#include <vector>

namespace Orvane
{

// The patch archives "<folder>/*.wpk" as mount names "patch/<name>": regular files only, ".wpk"
// matched without regard to case, names lower-cased, sorted byte-wise, duplicates dropped.
// A missing folder gives an empty list.
std::vector<std::string> listPatchArchives(const std::string& folder = "patch");

// The archives every game mounts, in mount order, before the patch archives.
const std::vector<std::string>& baseArchiveNames();

} // namespace Orvane
