#pragma once

#include <kavro/IFileSystem.h>
#include <kavro/RefCounted.h>

#include <filesystem>
#include <set>
#include <string>

namespace OrvaneTest
{

// File system over one directory: paths are relative to it; mounts are only remembered.
class DirectoryFileSystem : public Kavro::RefCounted<Kavro::IFileSystem>
{
public:
    explicit DirectoryFileSystem(std::filesystem::path root) : root_(std::move(root)) {}

    int mount(const char* name, const uint8_t* key, const uint32_t* keyLength) override;
    int unmount(const char* name) override;
    int isMounted(const char* name) override;
    Kavro::IFileStream* open(const char* path, int reserved, int mode, int flag) override;
    int deleteFile(const char* path) override;
    int copyFile(const char* source, const char* destination, const int* failIfExists) override;
    int moveFile(const char* source, const char* destination) override;
    int createDirectory(const char* path) override;
    int getFileTime(const char* path, Kavro::FileTime* time) override;

    const std::filesystem::path& root() const { return root_; }

private:
    std::filesystem::path root_;
    std::set<std::string> mounted_;
};

} // namespace OrvaneTest
