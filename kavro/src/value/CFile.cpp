#include "kavro/CFile.h"

#include <limits>

namespace Kavro
{

int CFile::Open(const char* path, int mode)
{
    Close();
    if (!path || (mode != ModeRead && mode != ModeWrite))
        return -1;
    file_ = std::fopen(path, mode == ModeRead ? "rb" : "wb");
    return file_ ? 0 : -1;
}

void CFile::Close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    loaded_.clear();
}

uint32_t CFile::Read(void* buffer, uint32_t size)
{
    if (!file_ || !buffer)
        return 0;
    return uint32_t(std::fread(buffer, 1, size, file_));
}

uint32_t CFile::Write(const void* buffer, uint32_t size)
{
    if (!file_ || !buffer)
        return 0;
    return uint32_t(std::fwrite(buffer, 1, size, file_));
}

int CFile::Flush()
{
    return file_ && std::fflush(file_) == 0 ? 0 : -1;
}

uint32_t CFile::GetFileSize()
{
    if (!file_)
        return 0;
    const long here = std::ftell(file_);
    if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0)
        return 0;
    const long size = std::ftell(file_);
    std::fseek(file_, here, SEEK_SET);
    if (size < 0 || uint64_t(size) > std::numeric_limits<uint32_t>::max())
        return 0;
    return uint32_t(size);
}

int CFile::Load()
{
    if (!file_)
        return -1;
    const uint32_t size = GetFileSize();
    std::vector<uint8_t> data(size);
    if (std::fseek(file_, 0, SEEK_SET) != 0 || (size && std::fread(data.data(), 1, size, file_) != size))
        return -1;
    loaded_ = std::move(data);
    return 0;
}

int CFile::SeekStart(int64_t offset)
{
    return file_ && offset >= 0 && std::fseek(file_, long(offset), SEEK_SET) == 0 ? 0 : -1;
}

int CFile::SeekEnd(int64_t offset)
{
    return file_ && std::fseek(file_, long(offset), SEEK_END) == 0 ? 0 : -1;
}

int CFile::Seek(int64_t offset)
{
    return file_ && std::fseek(file_, long(offset), SEEK_CUR) == 0 ? 0 : -1;
}

int64_t CFile::GetFilePosition()
{
    return file_ ? int64_t(std::ftell(file_)) : -1;
}

} // namespace Kavro
