#include "kavro/CFile.h"

#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace Kavro
{

namespace
{

// Only regular files and folders are opened: a FIFO would block the open (and the game) until some
// other process wrote to it, and a device is no game file. The open itself does not block, so the
// check is made on what was really opened.
std::FILE* OpenForReading(const char* path)
{
    const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat info{};
    if (::fstat(fd, &info) != 0 || !(S_ISREG(info.st_mode) || S_ISDIR(info.st_mode)) ||
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
    {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return file;
}

} // namespace

int CFile::Open(const char* path, int mode)
{
    Close();
    if (!path || (mode != ModeRead && mode != ModeWrite))
        return -1;
    if (mode == ModeWrite)
    {
        if (writer_.open(path) < 0)
            return -1;
        file_ = writer_.stream();
        return 0;
    }
    file_ = OpenForReading(path);
    return file_ ? 0 : -1;
}

int CFile::Close()
{
    int result = 0;
    if (writer_.isOpen())
        result = writer_.commit();
    else if (file_)
        std::fclose(file_);
    file_ = nullptr;
    loaded_.clear();
    return result;
}

uint32_t CFile::Read(void* buffer, uint32_t size)
{
    if (!file_ || !buffer || writer_.isOpen())
        return 0;
    return uint32_t(std::fread(buffer, 1, size, file_));
}

uint32_t CFile::Write(const void* buffer, uint32_t size)
{
    if (!writer_.isOpen() || !buffer)
        return 0;
    return writer_.write(buffer, size) == 0 ? size : 0;
}

int CFile::Flush()
{
    if (writer_.isOpen())
        return writer_.flush();
    return file_ && std::fflush(file_) == 0 ? 0 : -1;
}

int64_t CFile::size64()
{
    if (!file_)
        return -1;
    if (writer_.isOpen())
    {
        const int64_t here = writer_.tell();
        if (here < 0 || writer_.seek(0, SEEK_END) < 0)
            return -1;
        const int64_t size = writer_.tell();
        return writer_.seek(here, SEEK_SET) < 0 ? -1 : size;
    }
    const off_t here = ::ftello(file_);
    if (here < 0 || ::fseeko(file_, 0, SEEK_END) != 0)
        return -1;
    const off_t size = ::ftello(file_);
    ::fseeko(file_, here, SEEK_SET);
    return size;
}

uint32_t CFile::GetFileSize()
{
    const int64_t size = size64();
    if (size < 0 || uint64_t(size) > std::numeric_limits<uint32_t>::max())
        return 0;
    return uint32_t(size);
}

int CFile::Load()
{
    const int64_t size = size64();
    if (size < 0 || uint64_t(size) > std::numeric_limits<uint32_t>::max() || writer_.isOpen())
        return -1;
    std::vector<uint8_t> data(static_cast<size_t>(size));
    if (::fseeko(file_, 0, SEEK_SET) != 0 || (size && std::fread(data.data(), 1, size_t(size), file_) != size_t(size)))
        return -1;
    loaded_ = std::move(data);
    return 0;
}

// A written file seeks through its writer, which keeps a failure of the flush inside the seek.
int CFile::seekTo(int64_t offset, int whence)
{
    if (!file_)
        return -1;
    if (writer_.isOpen())
        return writer_.seek(offset, whence);
    return ::fseeko(file_, off_t(offset), whence) == 0 ? 0 : -1;
}

int CFile::SeekStart(int64_t offset)
{
    return offset >= 0 ? seekTo(offset, SEEK_SET) : -1;
}

int CFile::SeekEnd(int64_t offset)
{
    return seekTo(offset, SEEK_END);
}

int CFile::Seek(int64_t offset)
{
    return seekTo(offset, SEEK_CUR);
}

int64_t CFile::GetFilePosition()
{
    if (writer_.isOpen())
        return writer_.tell();
    return file_ ? int64_t(::ftello(file_)) : -1;
}

} // namespace Kavro
