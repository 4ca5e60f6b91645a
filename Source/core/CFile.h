#pragma once

#include <cstdint>
#include <string>

namespace Kavro
{
class IFileStream;
class CFile;
} // namespace Kavro

namespace Orvane
{

// The engine's file: a stream of the library's file system (archives and plain files) while the
// application has a core with a file system, otherwise a plain Kavro::CFile. Every operation goes
// to the stream when there is one, else to the plain file; with neither, reads and writes move nothing.
class CFile
{
public:
    CFile() = default;
    // Opens for reading; a failed open shows as a failed read or load.
    explicit CFile(const char* path);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Mode 0 reads; mode 1 writes a new file that replaces path at close (the old one is kept when saving
    // fails). 0 on success, -1 on failure. The second argument is not used.
    int open(const char* path, int reserved, int mode, int flag);
    // 0 on success; negative when a written file could not be saved whole (the old file is kept).
    int close();
    uint32_t read(void* buffer, uint32_t size);
    uint32_t write(const void* buffer, uint32_t size);
    // Negative when buffered bytes could not be written.
    int flush();
    int seekStart(int64_t offset);
    // Relative to the end.
    int seekEnd(int64_t offset);
    // Relative to the current position.
    int seek(int64_t offset);
    // Negative when there is no open file.
    int64_t getFilePosition();
    // Loads the whole file; 0 on success, negative on failure.
    int load();
    uint32_t getFileSize();
    // The bytes of load(), owned by the stream or plain file; null before load.
    const uint8_t* getLoadData();

    // Exactly 4 bytes, little-endian; 1 when all 4 moved, else 0.
    int writeDword(const uint32_t& value);
    int readDword(uint32_t& value);

    bool isOpen();

    // Why path cannot be opened for reading, for a game author's messages: where it was looked for.
    static std::string explainMissing(const char* path);

private:
    void closeAll();

    Kavro::IFileStream* stream = nullptr;
    Kavro::CFile* plainFile = nullptr;
};

} // namespace Orvane
