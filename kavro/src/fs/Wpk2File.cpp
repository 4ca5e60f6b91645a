#include "kavro/Wpk2File.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Kavro
{

Wpk2File::~Wpk2File()
{
    close();
}

bool Wpk2File::open(const std::string& path)
{
    close();
    // Not blocking: a FIFO would otherwise hold the open until a writer came.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info{};
    const bool known = ::fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode) || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    {
        const int code = !known ? errno : S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        ::close(fd);
        errno = code; // callers report why
        return false;
    }
    fd_ = fd;
    size_ = uint64_t(info.st_size);
    return true;
}

void Wpk2File::openMemory(std::vector<uint8_t> bytes)
{
    close();
    memory_ = std::move(bytes);
    size_ = memory_.size();
    inMemory_ = true;
}

void Wpk2File::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    inMemory_ = false;
    memory_.clear();
    size_ = 0;
}

bool Wpk2File::readAt(uint64_t offset, void* destination, size_t length) const
{
    if (length == 0)
        return isOpen();
    bytesRequested_.fetch_add(length, std::memory_order_relaxed);
    if (inMemory_)
    {
        if (offset > memory_.size() || length > memory_.size() - offset)
            return false;
        std::memcpy(destination, memory_.data() + offset, length);
        return true;
    }
    if (fd_ < 0)
        return false;
    auto* out = static_cast<uint8_t*>(destination);
    size_t done = 0;
    while (done < length)
    {
        const ssize_t got = ::pread(fd_, out + done, length - done, off_t(offset + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        done += size_t(got);
    }
    return true;
}

} // namespace Kavro
