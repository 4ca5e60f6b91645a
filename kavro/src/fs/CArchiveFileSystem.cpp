#include "CArchiveFileSystem.h"

#include "ArchiveFileSystem.h"
#include "CArchiveStream.h"
#include "CPlainFileStream.h"

#include "kavro/ArchiveKey.h"
#include "kavro/Wpk2DigestIndex.h"

#include <algorithm>
#include <cstring>

namespace Kavro
{

IFileSystem* CreateArchiveFileSystem()
{
    return new CArchiveFileSystem;
}

namespace
{

// Windows finds "W4_sys.wpk" whatever the case on disk; here the lower-cased name is tried second.
bool OpenArchiveFile(Wpk2File& file, const std::string& name)
{
    return file.open(name) || file.open(Wpk2DigestIndex::lowerCaseName(name));
}

} // namespace

int CArchiveFileSystem::mount(const char* name, const uint8_t* key, const uint32_t* keyLength)
{
    if (!name || !*name)
        return -Wpk2::BadArgument;
    const uint32_t length = keyLength ? *keyLength : 0;
    Wpk2Key archiveKey{};
    if (!key || length == 0)
        archiveKey = BuildArchiveKey();
    else if (length == archiveKey.size())
        std::memcpy(archiveKey.data(), key, archiveKey.size());
    else
        return -Wpk2::BadArgument;

    if (isMounted(name))
        return -Wpk2::AlreadyMounted;
    auto mounted = std::make_shared<MountedArchive>();
    mounted->name = name;
    if (!OpenArchiveFile(mounted->file, mounted->name))
        return -Wpk2::OpenFailed;
    if (const int code = mounted->archive.load(mounted->file, archiveKey))
        return -code;

    std::lock_guard guard(lock_);
    const bool raced = std::any_of(mounts_.begin(), mounts_.end(), [&](const auto& m) { return m->name == name; });
    if (raced)
        return -Wpk2::AlreadyMounted;
    mounts_.insert(mounts_.begin(), std::move(mounted));
    return 0;
}

int CArchiveFileSystem::unmount(const char* name)
{
    if (!name)
        return -Wpk2::BadArgument;
    std::lock_guard guard(lock_);
    const auto found = std::find_if(mounts_.begin(), mounts_.end(), [&](const auto& m) { return m->name == name; });
    if (found == mounts_.end())
        return -Wpk2::NotFound;
    mounts_.erase(found);
    return 0;
}

int CArchiveFileSystem::isMounted(const char* name)
{
    if (!name)
        return 0;
    std::lock_guard guard(lock_);
    return std::any_of(mounts_.begin(), mounts_.end(), [&](const auto& m) { return m->name == name; }) ? 1 : 0;
}

IFileStream* CArchiveFileSystem::open(const char* path, int, int mode, int)
{
    if (!path || !*path || (mode != CFile::ModeRead && mode != CFile::ModeWrite))
        return nullptr;
    if (mode == CFile::ModeRead)
    {
        if (IFileStream* stream = openEntry(path))
            return stream;
    }
    auto* plain = new CPlainFileStream;
    if (!plain->open(path, mode))
    {
        plain->release();
        return nullptr;
    }
    return plain;
}

IFileStream* CArchiveFileSystem::openEntry(const std::string& path)
{
    const std::string lookup = Wpk2DigestIndex::lowerCaseName(path);
    std::lock_guard guard(lock_);
    for (const auto& mounted : mounts_)
    {
        if (const Wpk2Entry* entry = mounted->archive.find(lookup))
            return new CArchiveStream(mounted, *entry);
    }
    return nullptr;
}

std::string CArchiveFileSystem::explainMissing(const char* path)
{
    std::string archives;
    {
        std::lock_guard guard(lock_);
        for (const auto& mounted : mounts_)
            archives += (archives.empty() ? "" : ", ") + mounted->name;
    }
    const std::string plain = IFileSystem::explainMissing(path);
    if (archives.empty())
        return "no archive is mounted, and " + plain;
    return "not in " + archives + " (the mounted archives, newest first), and " + plain;
}

} // namespace Kavro
