#pragma once

#include "MountedArchive.h"

#include "kavro/IFileSystem.h"
#include "kavro/RefCounted.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Kavro
{

// Archives and plain files under one name space. Entry paths are looked up lower-cased in the archives,
// the most recently mounted first; a path no archive holds is opened as a plain file. Writing always goes
// to plain files. Mount results are the negated reader codes (Wpk2::Result).
class CArchiveFileSystem : public RefCounted<IFileSystem>
{
public:
    // A null key or a key length of 0 mounts with the built-in archive key; other lengths than 32 give -6.
    int mount(const char* name, const uint8_t* key, const uint32_t* keyLength) override;
    // 0, or -4 for a name that is not mounted.
    int unmount(const char* name) override;
    // 1 or 0.
    int isMounted(const char* name) override;
    IFileStream* open(const char* path, int reserved, int mode, int flag) override;
    // Names the mounted archives searched before the plain file.
    std::string explainMissing(const char* path) override;

private:
    IFileStream* openEntry(const std::string& path);

    std::mutex lock_;
    std::vector<std::shared_ptr<const MountedArchive>> mounts_; // newest first
};

} // namespace Kavro
