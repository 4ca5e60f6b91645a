#pragma once

#include "kavro/CFile.h"
#include "kavro/IFileSystem.h"
#include "kavro/RefCounted.h"

namespace Kavro
{

// A stream over a file of the host's file system.
class CPlainFileStream : public RefCounted<IFileStream>
{
public:
    // False when the path cannot be opened in that mode (0 read, 1 write).
    bool open(const char* path, int mode) { return file_.Open(path, mode) == 0; }

    int close() override { return file_.Close(); }
    int isOpened() override { return file_.IsOpened() ? 1 : 0; }
    uint32_t write(const void* buffer, uint32_t size) override { return file_.Write(buffer, size); }
    uint32_t read(void* buffer, uint32_t size) override { return file_.Read(buffer, size); }
    int load() override { return file_.Load(); }
    uint32_t getFileSize() override { return file_.GetFileSize(); }
    int seekStart(int64_t offset) override { return file_.SeekStart(offset); }
    int seekEnd(int64_t offset) override { return file_.SeekEnd(offset); }
    int seek(int64_t offset) override { return file_.Seek(offset); }
    int64_t getFilePosition() override { return file_.GetFilePosition(); }
    const uint8_t* getLoadData() override { return file_.GetLoadData(); }
    int flush() override { return file_.Flush(); }

private:
    CFile file_;
};

} // namespace Kavro
