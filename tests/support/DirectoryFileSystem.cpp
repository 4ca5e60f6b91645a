#include "support/DirectoryFileSystem.h"

#include <kavro/CFile.h>

namespace OrvaneTest
{

namespace
{

// An IFileStream over a plain Kavro::CFile.
class PlainStream : public Kavro::RefCounted<Kavro::IFileStream>
{
public:
    Kavro::CFile file;

    int close() override { return file.Close(); }
    int isOpened() override { return file.IsOpened(); }
    uint32_t write(const void* b, uint32_t n) override { return file.Write(b, n); }
    uint32_t read(void* b, uint32_t n) override { return file.Read(b, n); }
    int load() override { return file.Load(); }
    uint32_t getFileSize() override { return file.GetFileSize(); }
    int seekStart(int64_t o) override { return file.SeekStart(o); }
    int seekEnd(int64_t o) override { return file.SeekEnd(o); }
    int seek(int64_t o) override { return file.Seek(o); }
    int64_t getFilePosition() override { return file.GetFilePosition(); }
    const uint8_t* getLoadData() override { return file.GetLoadData(); }
    int flush() override { return file.Flush(); }
};

} // namespace

int DirectoryFileSystem::mount(const char* name, const uint8_t* key, const uint32_t* keyLength)
{
    if (!name || !key || !keyLength || *keyLength != 32)
        return -1;
    mounted_.insert(name);
    return 0;
}

int DirectoryFileSystem::unmount(const char* name)
{
    return name && mounted_.erase(name) ? 0 : -1;
}

int DirectoryFileSystem::isMounted(const char* name)
{
    return name && mounted_.count(name) ? 1 : 0;
}

Kavro::IFileStream* DirectoryFileSystem::open(const char* path, int, int mode, int)
{
    if (!path)
        return nullptr;
    auto* stream = new PlainStream;
    if (stream->file.Open((root_ / path).string().c_str(), mode) != 0)
    {
        stream->release();
        return nullptr;
    }
    return stream;
}

int DirectoryFileSystem::deleteFile(const char* path)
{
    return path ? IFileSystem::deleteFile((root_ / path).c_str()) : 0;
}

int DirectoryFileSystem::copyFile(const char* source, const char* destination, const int* failIfExists)
{
    if (!source || !destination)
        return 0;
    return IFileSystem::copyFile((root_ / source).c_str(), (root_ / destination).c_str(), failIfExists);
}

int DirectoryFileSystem::moveFile(const char* source, const char* destination)
{
    if (!source || !destination)
        return 0;
    return IFileSystem::moveFile((root_ / source).c_str(), (root_ / destination).c_str());
}

int DirectoryFileSystem::createDirectory(const char* path)
{
    return path ? IFileSystem::createDirectory((root_ / path).c_str()) : 0;
}

int DirectoryFileSystem::getFileTime(const char* path, Kavro::FileTime* time)
{
    return path ? IFileSystem::getFileTime((root_ / path).c_str(), time) : 0;
}

} // namespace OrvaneTest
