#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Kavro
{

// A plain file of the host's file system.
class CFile
{
public:
    enum Mode
    {
        ModeRead = 0,
        ModeWrite = 1,
    };

    CFile() = default;
    ~CFile() { Close(); }
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // 0 on success, -1 on failure. Mode 0 reads, mode 1 creates or truncates for writing.
    int Open(const char* path, int mode);
    void Close();
    bool IsOpened() const { return file_ != nullptr; }

    // Byte counts moved.
    uint32_t Read(void* buffer, uint32_t size);
    uint32_t Write(const void* buffer, uint32_t size);
    // 0 on success, -1 on failure.
    int Flush();

    // Loads the whole file into memory; 0 on success, -1 on failure.
    int Load();
    const uint8_t* GetLoadData() const { return loaded_.empty() ? nullptr : loaded_.data(); }
    uint32_t GetFileSize();

    // 0 on success, -1 on failure.
    int SeekStart(int64_t offset);
    int SeekEnd(int64_t offset);
    int Seek(int64_t offset);
    int64_t GetFilePosition();

private:
    std::FILE* file_ = nullptr;
    std::vector<uint8_t> loaded_;
};

} // namespace Kavro
