#pragma once

#include <string>
#include <vector>

namespace Orvane
{

// The patch archives "<folder>/*.wpk" as mount names "patch/<name>": regular files only, ".wpk"
// matched without regard to case, names as they are on disk (so that they open), ordered by their
// lower-cased form byte-wise; of names equal but for case only the first by bytes is kept.
// A missing folder gives an empty list.
std::vector<std::string> listPatchArchives(const std::string& folder = "patch");

// The archives every game mounts, in mount order, before the patch archives.
const std::vector<std::string>& baseArchiveNames();

} // namespace Orvane
