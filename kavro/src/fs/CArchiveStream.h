#pragma once

#include "MountedArchive.h"

#include "kavro/IFileSystem.h"
#include "kavro/RefCounted.h"
#include "kavro/Wpk2EntryReader.h"

#include <memory>
#include <optional>
#include <vector>

namespace Kavro
{

// A read-only stream over one archive entry.
class CArchiveStream : public RefCounted<IFileStream>
{
public:
    CArchiveStream(std::shared_ptr<const MountedArchive> archive, const Wpk2Entry& entry);

    int close() override;
    int isOpened() override { return reader_ ? 1 : 0; }
    // Archives are not written.
    uint32_t write(const void*, uint32_t) override { return 0; }
    // A block that does not decode fails the whole read: nothing is counted, the position stays.
    uint32_t read(void* buffer, uint32_t size) override;
    int getError() override { return -error_; }
    // Decodes the whole entry for getLoadData; the read position moves to the end.
    int load() override;
    uint32_t getFileSize() override { return reader_ ? reader_->entry().size : 0; }
    // Absolute; size + offset; current + offset. -1 outside 0..size, the position unchanged.
    int seekStart(int64_t offset) override;
    int seekEnd(int64_t offset) override;
    int seek(int64_t offset) override;
    int64_t getFilePosition() override { return reader_ ? int64_t(reader_->position()) : -1; }
    const uint8_t* getLoadData() override { return loaded_ ? loadData_.data() : nullptr; }
    int flush() override { return 0; }

private:
    std::shared_ptr<const MountedArchive> archive_;
    std::optional<Wpk2EntryReader> reader_;
    std::vector<uint8_t> loadData_;
    bool loaded_ = false;
    int error_ = Wpk2::Ok; // of the last failed read
};

} // namespace Kavro
