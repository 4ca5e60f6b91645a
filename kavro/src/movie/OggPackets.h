#pragma once

#include <ogg/ogg.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace Kavro
{

// The bytes of a movie file, read once and shared by the video decoder and the sound.
using MovieBytes = std::shared_ptr<const std::vector<uint8_t>>;

// The packets of one logical stream of an Ogg file in memory, in order.
class COggPacketReader
{
public:
    COggPacketReader(MovieBytes bytes, int serial);
    ~COggPacketReader();
    COggPacketReader(const COggPacketReader&) = delete;
    COggPacketReader& operator=(const COggPacketReader&) = delete;

    // 1: a packet (valid until the next call), 0: the stream ended, -1: the file is damaged here
    // (lost page sync, a missing page, or a page cut short at the end of the file).
    int next(ogg_packet& packet);
    // Back to the first packet.
    void rewind();

private:
    // Feeds the next page of the stream; false at the end of the data or on damage (damaged_ set).
    bool feedPage();

    MovieBytes bytes_;
    int serial_;
    size_t offset_ = 0;
    bool damaged_ = false;
    bool ended_ = false;
    ogg_sync_state sync_{};
    ogg_stream_state stream_{};
};

// What a walk over every page of a file finds: the streams that begin in it and where each ends.
struct OggStreamSummary
{
    int serial = 0;
    int64_t lastGranule = -1; // of the last page that carries one
    bool ended = false;       // an end-of-stream page was seen
    long lastPage = -1;       // sequence number of the stream's last page
};

// Walks every page. False when the file is damaged anywhere: no page at all, lost sync, a page cut
// short at the end, a page missing from a stream's sequence, a page of a stream that never began, or a
// stream beginning after data pages.
bool ScanOggPages(const uint8_t* data, size_t size, std::vector<OggStreamSummary>& streams);

} // namespace Kavro
