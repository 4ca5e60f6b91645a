#include <kavro/IFileSystem.h>
#include <kavro/LoadReport.h>
#include <kavro/SafeFileWriter.h>

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Kavro
{

namespace
{

bool isRegularFile(const char* path)
{
    struct stat info = {};
    return path && stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

bool exists(const char* path)
{
    struct stat info = {};
    return lstat(path, &info) == 0;
}

} // namespace

int IFileSystem::deleteFile(const char* path)
{
    if (!isRegularFile(path))
        return 0;
    return std::remove(path) == 0 ? 1 : 0;
}

int IFileSystem::copyFile(const char* source, const char* destination, const int* failIfExists)
{
    if (!isRegularFile(source) || !destination || !*destination)
        return 0;
    if ((!failIfExists || *failIfExists) && exists(destination))
        return 0;
    std::ifstream in(source, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return 0;
    return WriteFileReplacing(destination, bytes.data(), bytes.size(), nullptr) == 0 ? 1 : 0;
}

int IFileSystem::moveFile(const char* source, const char* destination)
{
    if (!source || !exists(source) || !destination || !*destination || exists(destination))
        return 0;
    return std::rename(source, destination) == 0 ? 1 : 0;
}

int IFileSystem::createDirectory(const char* path)
{
    if (!path || !*path)
        return 0;
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return !error && std::filesystem::is_directory(path, error) ? 1 : 0;
}

int IFileSystem::getFileTime(const char* path, FileTime* time)
{
    struct stat info = {};
    if (!path || !time || stat(path, &info) != 0)
        return 0;
    std::tm local = {};
    if (!localtime_r(&info.st_mtime, &local))
        return 0;
    *time = FileTime{local.tm_year + 1900, local.tm_mon, local.tm_wday, local.tm_mday,
                     local.tm_hour, local.tm_min, local.tm_sec, 0};
    return 1;
}

std::string IFileSystem::explainMissing(const char* path)
{
    return ExplainMissingPlainFile(path);
}

std::string ExplainMissingPlainFile(const char* path)
{
    if (!path || !*path)
        return "no file name was given";
    std::error_code ignored;
    const std::string where = std::filesystem::absolute(path, ignored).lexically_normal().string();
    if (!exists(path))
        return "no file " + where;
    if (!isRegularFile(path))
        return where + " is not a file";
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return where + " cannot be read: " + std::strerror(errno);
    std::fclose(file);
    return where + " could not be read whole";
}

} // namespace Kavro
