#pragma once

#include "core/CArchiveRecord.h"

#include <kavro/Wpk2EntryReader.h>

#include <future>
#include <memory>
#include <vector>

namespace Orvane
{

// A file opened on an archive of the system-archive reader: its own handle on the archive file, its
// read position and two block caches (in the reader), and the reads it has queued to the worker.
class CArchiveFile
{
public:
    CArchiveFile(std::shared_ptr<CArchiveRecord> owner, const Kavro::Wpk2Entry& openedEntry)
        : archive(std::move(owner)), entry(openedEntry), reader(archive->archive, entry, file)
    {
    }

    // Held so that an unmount before the close leaves a record that answers "not running".
    std::shared_ptr<CArchiveRecord> archive;
    const Kavro::Wpk2Entry& entry;
    Kavro::Wpk2File file;
    std::vector<std::shared_future<void>> pending;
    Kavro::Wpk2EntryReader reader;
};

} // namespace Orvane
