#include "kavro/CFile.h"

#include <limits>

namespace Kavro
{

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
    file_ = std::fopen(path, "rb");
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

int CFile::SeekStart(int64_t offset)
{
    return file_ && offset >= 0 && ::fseeko(file_, off_t(offset), SEEK_SET) == 0 ? 0 : -1;
}

int CFile::SeekEnd(int64_t offset)
{
    return file_ && ::fseeko(file_, off_t(offset), SEEK_END) == 0 ? 0 : -1;
}

int CFile::Seek(int64_t offset)
{
    return file_ && ::fseeko(file_, off_t(offset), SEEK_CUR) == 0 ? 0 : -1;
}

int64_t CFile::GetFilePosition()
{
    return file_ ? int64_t(::ftello(file_)) : -1;
}

} // namespace Kavro
