#pragma once

#include "IInterface.h"

#include <string>

namespace Kavro
{

// An open file of the file system: an archive entry or a plain file.
class IFileStream : public IInterface
{
public:
    // 0 on success; negative when a written file could not be saved (the old file is then kept).
    virtual int close() = 0;
    virtual int isOpened() = 0;
    // Byte counts moved. A read that fails (a damaged archive block) moves nothing and leaves the
    // position; getError() then tells it from the end of the file.
    virtual uint32_t write(const void* buffer, uint32_t size) = 0;
    virtual uint32_t read(void* buffer, uint32_t size) = 0;
    // 0, or negative once a read has failed.
    virtual int getError() { return 0; }
    // Loads the whole file; 0 on success, negative on failure.
    virtual int load() = 0;
    virtual uint32_t getFileSize() = 0;
    // 0 on success, negative on failure.
    virtual int seekStart(int64_t offset) = 0;
    virtual int seekEnd(int64_t offset) = 0;
    virtual int seek(int64_t offset) = 0;
    virtual int64_t getFilePosition() = 0;
    // The bytes of load(), owned by the stream; null before load.
    virtual const uint8_t* getLoadData() = 0;
    virtual int flush() = 0;
};

// The modification time of a plain file, in local time; month 0 is January, weekday 0 is Sunday.
struct FileTime
{
    int32_t year;
    int32_t month;
    int32_t weekday;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
    int32_t reserved;
};

// Archives and plain files under one name space. Archives mounted later win.
class IFileSystem : public IInterface
{
public:
    // Mounts a ".wpk" archive with a key (32 bytes); negative on failure.
    virtual int mount(const char* name, const uint8_t* key, const uint32_t* keyLength) = 0;
    virtual int unmount(const char* name) = 0;
    virtual int isMounted(const char* name) = 0;
    // mode 0 reads, 1 writes a plain file that replaces path when closed (kept old on failure). Null when
    // it cannot be opened.
    virtual IFileStream* open(const char* path, int reserved, int mode, int flag) = 0;

    // Plain files only (archive entries are read-only). Each returns 1 on success, 0 on failure.
    virtual int deleteFile(const char* path);
    // A nonzero *failIfExists (or a null pointer) refuses an existing destination; an existing one is
    // otherwise replaced whole or kept as it was.
    virtual int copyFile(const char* source, const char* destination, const int* failIfExists);
    // Refuses an existing destination.
    virtual int moveFile(const char* source, const char* destination);
    // Creates the folder and any missing parents; 1 also when it already exists.
    virtual int createDirectory(const char* path);
    // 1 with *time filled for an existing plain file or folder, 0 (time untouched) otherwise.
    virtual int getFileTime(const char* path, FileTime* time);
    // Why path cannot be opened for reading, in words for a game's author: where it was looked for.
    virtual std::string explainMissing(const char* path);
};

} // namespace Kavro
