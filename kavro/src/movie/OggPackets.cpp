#include "movie/OggPackets.h"

#include <algorithm>
#include <cstring>

namespace Kavro
{

namespace
{

constexpr size_t ChunkSize = 8192;

// Copies the next chunk of data into the sync state. False at the end of the data.
bool feed(ogg_sync_state& sync, const uint8_t* data, size_t size, size_t& offset)
{
    if (offset >= size)
        return false;
    const size_t count = std::min(ChunkSize, size - offset);
    char* buffer = ogg_sync_buffer(&sync, long(count));
    if (!buffer)
        return false;
    std::memcpy(buffer, data + offset, count);
    ogg_sync_wrote(&sync, long(count));
    offset += count;
    return true;
}

// Bytes the sync state holds that no page has taken.
long pendingBytes(const ogg_sync_state& sync)
{
    return sync.fill - sync.returned;
}

} // namespace

COggPacketReader::COggPacketReader(MovieBytes bytes, int serial) : bytes_(std::move(bytes)), serial_(serial)
{
    ogg_sync_init(&sync_);
    ogg_stream_init(&stream_, serial_);
}

COggPacketReader::~COggPacketReader()
{
    ogg_stream_clear(&stream_);
    ogg_sync_clear(&sync_);
}

void COggPacketReader::rewind()
{
    ogg_sync_reset(&sync_);
    ogg_stream_reset_serialno(&stream_, serial_);
    offset_ = 0;
    damaged_ = false;
    ended_ = false;
}

bool COggPacketReader::feedPage()
{
    ogg_page page;
    for (;;)
    {
        const int found = ogg_sync_pageout(&sync_, &page);
        if (found < 0)
        {
            damaged_ = true;
            return false;
        }
        if (found == 0)
        {
            if (!feed(sync_, bytes_->data(), bytes_->size(), offset_))
            {
                // Bytes left over at the end are a page cut short.
                if (pendingBytes(sync_) > 0)
                    damaged_ = true;
                return false;
            }
            continue;
        }
        if (ogg_page_serialno(&page) != serial_)
            continue;
        if (ogg_stream_pagein(&stream_, &page) != 0)
        {
            damaged_ = true;
            return false;
        }
        return true;
    }
}

int COggPacketReader::next(ogg_packet& packet)
{
    for (;;)
    {
        if (damaged_)
            return -1;
        const int got = ogg_stream_packetout(&stream_, &packet);
        if (got > 0)
            return 1;
        if (got < 0)
        {
            // A hole: a page of the stream is missing.
            damaged_ = true;
            return -1;
        }
        if (ended_ || ogg_stream_eos(&stream_))
            return 0;
        if (!feedPage())
        {
            if (damaged_)
                return -1;
            ended_ = true;
        }
    }
}

bool ScanOggPages(const uint8_t* data, size_t size, std::vector<OggStreamSummary>& streams)
{
    streams.clear();
    ogg_sync_state sync;
    ogg_sync_init(&sync);
    size_t offset = 0;
    bool ok = true;
    bool sawData = false;
    size_t pages = 0;
    for (;;)
    {
        ogg_page page;
        const int found = ogg_sync_pageout(&sync, &page);
        if (found < 0)
        {
            ok = false;
            break;
        }
        if (found == 0)
        {
            if (!feed(sync, data, size, offset))
            {
                ok = pendingBytes(sync) == 0;
                break;
            }
            continue;
        }
        ++pages;
        const int serial = ogg_page_serialno(&page);
        auto stream = std::find_if(streams.begin(), streams.end(),
                                   [serial](const OggStreamSummary& s) { return s.serial == serial; });
        if (ogg_page_bos(&page))
        {
            // Every stream begins before the first data page, once.
            if (sawData || stream != streams.end())
            {
                ok = false;
                break;
            }
            streams.push_back({serial, -1, false, ogg_page_pageno(&page) - 1});
            stream = streams.end() - 1;
        }
        else
        {
            sawData = true;
            if (stream == streams.end() || stream->ended)
            {
                ok = false;
                break;
            }
        }
        if (ogg_page_pageno(&page) != stream->lastPage + 1)
        {
            ok = false;
            break;
        }
        stream->lastPage = ogg_page_pageno(&page);
        if (ogg_page_granulepos(&page) >= 0)
            stream->lastGranule = ogg_page_granulepos(&page);
        if (ogg_page_eos(&page))
            stream->ended = true;
    }
    ogg_sync_clear(&sync);
    return ok && pages > 0;
}

} // namespace Kavro
