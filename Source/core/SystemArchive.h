#pragma once

#include "core/CArchiveFile.h"
#include "core/CArchiveRecord.h"

#include <kavro/Wpk2Format.h>

#include <cstdint>
#include <memory>
#include <string>

namespace Orvane
{

// The engine's own reader of the system archive "system.wpk", used at start-up before the library
// exists, to read "Setting.ini". Both names are fixed. Results are Kavro::Wpk2::Result codes, 0 success.

// Stops every mounted archive's worker and forgets the archives. Returns 0.
int ArchiveUnmountAll();
// Mounts "system.wpk" of the working directory with the 32-byte key.
int ArchiveMount(const uint8_t* key);
// Opens "Setting.ini" in the first mounted archive holding it; *handle must be empty.
int ArchiveOpenFile(CArchiveFile** handle);
// Waits for the file's queued reads, closes and frees it, and empties *handle.
void ArchiveCloseFile(CArchiveFile** handle);
// origin 0 from the start, 1 from the position, 2 back from the end (size - offset).
int ArchiveSeek(CArchiveFile* file, int64_t offset, int origin);
// Up to *size bytes from the position through the file's block caches; the position advances by what
// was copied. A read of 0 bytes or at the end succeeds with nothing copied.
int ArchiveRead(CArchiveFile* file, void* destination, const uint32_t* size);
// The whole entry into destination, which holds *capacity bytes.
int ArchiveReadWhole(const CArchiveRecord* archive, const Kavro::Wpk2Entry* entry, const Kavro::Wpk2File* file,
                     void* destination, const uint32_t* capacity);
// One block (at most 64 KiB decoded) into output; its decoded length goes to *outputLength.
int ArchiveReadBlock(const CArchiveRecord* archive, const Kavro::Wpk2Entry* entry, const Kavro::Wpk2File* file,
                     int64_t blockIndex, uint8_t* output, uint32_t* outputLength);
// The archive's "Setting.ini", looked up lower-cased, or null.
const Kavro::Wpk2Entry* ArchiveFindSettings(const CArchiveRecord* archive);
// Queues a read of size bytes at position to the archive's worker; 5 when it is not running.
int ArchiveQueueRead(CArchiveFile* file, void* destination, uint32_t size, uint64_t position);
// The worker thread's body: serves queued reads until the archive stops running.
void ArchiveWorkerProc(const std::shared_ptr<CArchiveRecord>& archive);

// The start-up sequence: mount, open, read "Setting.ini" whole, close, unmount. The text ends at its first
// zero byte; an empty entry gives empty text and 0. An entry over 1 MiB is refused (13) unread.
int ArchiveReadSettings(const uint8_t* key, std::string& text);

} // namespace Orvane
