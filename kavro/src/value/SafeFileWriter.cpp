#include "kavro/SafeFileWriter.h"

#include "SafeFileFaults.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace Kavro
{

namespace SafeFileFaults
{

namespace
{
std::atomic<int> armedStep{None};
std::atomic<int> armedError{0};
} // namespace

void failNext(Step step, int error)
{
    armedError = error;
    armedStep = step;
}

int take(Step step)
{
    int expected = step;
    if (step == None || !armedStep.compare_exchange_strong(expected, None))
        return 0;
    return armedError;
}

} // namespace SafeFileFaults

namespace
{

// Runs a step (true when it failed, errno set); an armed test failure replaces the step.
template <typename Step>
bool Fails(SafeFileFaults::Step step, Step run)
{
    if (const int injected = SafeFileFaults::take(step))
    {
        errno = injected;
        return true;
    }
    return run();
}

// Where a write to path really lands: a symbolic link is replaced at what it points to.
std::string ResolveTarget(const std::string& path)
{
    std::error_code code;
    if (!std::filesystem::is_symlink(path, code))
        return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, code);
    return code ? path : resolved.string();
}

// A new file beside target that nobody else has opened; -1 with errno set on failure.
int CreateTemporary(const std::string& target, std::string& name)
{
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        name = target + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Makes the rename durable; the new file is already in place, so a failure here is not reported.
void SyncFolderOf(const std::string& path)
{
    const std::string parent = std::filesystem::path(path).parent_path().string();
    const int fd = ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

int SafeFileWriter::fail(const std::string& what, int code)
{
    error_ = "cannot " + what + " " + target_ + ": " + std::strerror(code);
    failed_ = true;
    return -1;
}

int SafeFileWriter::open(const std::string& path)
{
    abandon();
    error_.clear();
    failed_ = false;
    target_ = ResolveTarget(path);
    struct stat existing{};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode))
    {
        error_ = "refusing to replace " + target_ + ": not a regular file";
        return -1;
    }
    const int fd = CreateTemporary(target_, temporary_);
    if (fd < 0)
        return fail("create a file beside", errno);
    // A replaced file keeps its permissions.
    if (exists)
        ::fchmod(fd, existing.st_mode & 07777);
    file_ = ::fdopen(fd, "wb");
    if (!file_)
    {
        const int code = errno;
        ::close(fd);
        abandon();
        return fail("write", code);
    }
    return 0;
}

int SafeFileWriter::write(const void* data, size_t size)
{
    if (!file_ || failed_ || (!data && size))
        return -1;
    if (Fails(SafeFileFaults::Write, [&] { return size && std::fwrite(data, 1, size, file_) != size; }))
        return fail("write", errno);
    return 0;
}

int SafeFileWriter::flush()
{
    if (!file_ || failed_)
        return -1;
    if (Fails(SafeFileFaults::Flush, [&] { return std::fflush(file_) != 0; }))
        return fail("write", errno);
    return 0;
}

int SafeFileWriter::commit()
{
    if (!file_)
        return -1;
    if (flush() < 0 || Fails(SafeFileFaults::Sync, [&] { return ::fsync(::fileno(file_)) != 0; }))
    {
        const int code = errno;
        abandon();
        return failed_ ? -1 : fail("write", code);
    }
    // The file is closed whatever happens, so a test failure is checked only after.
    const bool closeFailed = std::fclose(std::exchange(file_, nullptr)) != 0;
    if (Fails(SafeFileFaults::Close, [&] { return closeFailed; }))
    {
        const int code = errno;
        abandon();
        return fail("write", code);
    }
    if (Fails(SafeFileFaults::Rename, [&] { return std::rename(temporary_.c_str(), target_.c_str()) != 0; }))
    {
        const int code = errno;
        abandon();
        return fail("replace", code);
    }
    temporary_.clear();
    SyncFolderOf(target_);
    return 0;
}

void SafeFileWriter::abandon()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    if (!temporary_.empty())
        ::unlink(temporary_.c_str());
    temporary_.clear();
}

int WriteFileReplacing(const std::string& path, const void* data, size_t size, std::string* error)
{
    SafeFileWriter out;
    const int result = out.open(path) < 0 || out.write(data, size) < 0 || out.commit() < 0 ? -1 : 0;
    if (result < 0 && error)
        *error = out.error();
    return result;
}

} // namespace Kavro
