#include "kavro/SafeFileWriter.h"

#include "SafeFileFaults.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
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

// Removes "<target>.tmp<pid>-<n>" files whose writing process is gone: a save killed midway leaves
// one, and nothing else ever would. A live process's file is left alone (it may be saving right now).
void RemoveStaleTemporaries(const std::string& target)
{
    const std::filesystem::path path(target);
    const std::string prefix = path.filename().string() + ".tmp";
    std::error_code code;
    std::filesystem::directory_iterator entries(path.parent_path().empty() ? "." : path.parent_path(), code);
    for (; !code && entries != std::filesystem::directory_iterator(); entries.increment(code))
    {
        const std::string name = entries->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
            continue;
        const std::string rest = name.substr(prefix.size());
        const size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || dash + 1 == rest.size() ||
            rest.find_first_not_of("0123456789-") != std::string::npos || rest.find('-', dash + 1) != std::string::npos)
            continue;
        const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
        if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno != ESRCH)
            continue;
        if (entries->is_regular_file(code))
            ::unlink(entries->path().c_str());
        code.clear();
    }
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
    RemoveStaleTemporaries(target_);
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

int SafeFileWriter::seek(int64_t offset, int whence)
{
    if (!file_ || failed_)
        return -1;
    // fseeko flushes first and, when that fails, drops the buffered bytes: the stream's error flag is
    // then the only trace, so it is checked as well as the result.
    if (::fseeko(file_, off_t(offset), whence) != 0 || std::ferror(file_))
        return fail("write", errno);
    return 0;
}

int64_t SafeFileWriter::tell() const
{
    return file_ ? int64_t(::ftello(file_)) : -1;
}

int SafeFileWriter::commit()
{
    if (!file_)
        return -1;
    // Whatever wrote to the stream behind the writer's back, a lost byte is never renamed into place.
    if (!failed_ && std::ferror(file_))
        fail("write", EIO);
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
