#include "CArchiveStream.h"

namespace Kavro
{

CArchiveStream::CArchiveStream(std::shared_ptr<const MountedArchive> archive, const Wpk2Entry& entry)
    : archive_(std::move(archive))
{
    reader_.emplace(archive_->archive, entry, archive_->file);
}

int CArchiveStream::close()
{
    reader_.reset();
    loadData_ = {};
    loaded_ = false;
    return 0;
}

uint32_t CArchiveStream::read(void* buffer, uint32_t size)
{
    if (!reader_ || (!buffer && size))
        return 0;
    const uint64_t start = reader_->position();
    uint64_t copied = 0;
    if (const int code = reader_->read(buffer, size, &copied))
    {
        error_ = code;
        reader_->seek(int64_t(start), Wpk2EntryReader::FromStart);
        return 0;
    }
    return uint32_t(copied);
}

int CArchiveStream::load()
{
    if (!reader_)
        return -1;
    const Wpk2Entry& entry = reader_->entry();
    // One extra zero byte so text can be read as a terminated string; not counted in the size. A one-piece
    // entry's size is only claimed by the index: its buffer grows as it decodes. A blocked entry's size is
    // backed by its block records.
    std::vector<uint8_t> data;
    int code = Wpk2::Ok;
    if (entry.onePiece)
        code = reader_->takeOnePiece(data);
    else
    {
        data.assign(size_t(entry.size) + 1, 0);
        code = archive_->archive.readWhole(archive_->file, entry, data.data(), entry.size);
    }
    if (code != Wpk2::Ok)
    {
        error_ = code;
        return -1;
    }
    data.resize(size_t(entry.size) + 1, 0);
    loadData_ = std::move(data);
    loaded_ = true;
    reader_->seek(0, Wpk2EntryReader::BackFromEnd);
    return 0;
}

int CArchiveStream::seekStart(int64_t offset)
{
    return reader_ && reader_->seek(offset, Wpk2EntryReader::FromStart) == Wpk2::Ok ? 0 : -1;
}

int CArchiveStream::seekEnd(int64_t offset)
{
    // size + offset, as for plain files: only offsets of 0 and below stay inside.
    if (!reader_ || offset > 0 || offset == INT64_MIN)
        return -1;
    return reader_->seek(-offset, Wpk2EntryReader::BackFromEnd) == Wpk2::Ok ? 0 : -1;
}

int CArchiveStream::seek(int64_t offset)
{
    return reader_ && reader_->seek(offset, Wpk2EntryReader::FromCurrent) == Wpk2::Ok ? 0 : -1;
}

} // namespace Kavro
