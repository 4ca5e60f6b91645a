#pragma once

#include "kavro/SafeFileWriter.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace Kavro
{

// A plain file of the host's file system. Writing replaces the file safely (SafeFileWriter): the bytes
// go to a temporary file that Close() renames over the path, so a failed save keeps the old file.
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

    // 0 on success, -1 on failure. Mode 0 reads; mode 1 writes a new file that replaces path on Close().
    int Open(const char* path, int mode);
    // 0 on success; -1 when a written file could not be saved whole (the old file is then kept).
    int Close();
    bool IsOpened() const { return file_ != nullptr; }

    // Byte counts moved. After a failed write every later write moves nothing.
    uint32_t Read(void* buffer, uint32_t size);
    uint32_t Write(const void* buffer, uint32_t size);
    // 0 on success, -1 on failure.
    int Flush();

    // Loads the whole file into memory; 0 on success, -1 on failure (also for files of 4 GiB and more).
    int Load();
    const uint8_t* GetLoadData() const { return loaded_.empty() ? nullptr : loaded_.data(); }
    // 0 when unknown or too large for 32 bits.
    uint32_t GetFileSize();
    // Why the last write, flush or close failed; empty when none did.
    const std::string& GetWriteError() const { return writer_.error(); }

    // 0 on success, -1 on failure.
    int SeekStart(int64_t offset);
    int SeekEnd(int64_t offset);
    int Seek(int64_t offset);
    int64_t GetFilePosition();

private:
    // Size in bytes, -1 when unknown.
    int64_t size64();
    int seekTo(int64_t offset, int whence);

    std::FILE* file_ = nullptr; // the read file, or the writer's temporary file
    SafeFileWriter writer_;
    std::vector<uint8_t> loaded_;
};

} // namespace Kavro
