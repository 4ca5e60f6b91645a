#pragma once

#include "kavro/Wpk2Archive.h"
#include "kavro/Wpk2File.h"

#include <string>

namespace Kavro
{

// An archive of the file system: its file and index. Shared with the streams opened on it, so an
// unmount while a stream is open leaves the stream readable until it is released.
struct MountedArchive
{
    std::string name;
    Wpk2File file;
    Wpk2Archive archive;
};

} // namespace Kavro
