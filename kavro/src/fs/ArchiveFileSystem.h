#pragma once

#include "kavro/IFileSystem.h"

namespace Kavro
{

// A new file system over WPK2 archives and plain files, with one reference held by the caller.
IFileSystem* CreateArchiveFileSystem();

} // namespace Kavro
