#include "movie/CTheoraStream.h"

#include <cstring>

namespace Kavro
{

CTheoraStream::CTheoraStream(MovieBytes bytes, int serial) : reader_(std::move(bytes), serial)
{
    th_info_init(&info_);
    th_comment_init(&comment_);
}

CTheoraStream::~CTheoraStream()
{
    if (decoder_)
        th_decode_free(decoder_);
    th_setup_free(setup_);
    th_comment_clear(&comment_);
    th_info_clear(&info_);
}

bool CTheoraStream::open()
{
    ogg_packet packet;
    for (;;)
    {
        if (reader_.next(packet) != 1)
            return false;
        const int result = th_decode_headerin(&info_, &comment_, &setup_, &packet);
        if (result < 0)
            return false;
        if (result == 0)
            break; // the first frame: every header came before it
    }
    // The first frame packet stays in the reader's buffer until the next read: keep it for next().
    pending_ = packet;
    hasPending_ = true;
    if (info_.pic_width == 0 || info_.pic_height == 0 || info_.fps_numerator == 0 || info_.fps_denominator == 0 ||
        info_.pic_x + info_.pic_width > info_.frame_width || info_.pic_y + info_.pic_height > info_.frame_height)
        return false;
    return startDecoder();
}

bool CTheoraStream::startDecoder()
{
    if (decoder_)
        th_decode_free(decoder_);
    decoder_ = th_decode_alloc(&info_, setup_);
    nextIndex_ = 0;
    return decoder_ != nullptr;
}

int64_t CTheoraStream::frameOfGranule(int64_t granule) const
{
    if (granule < 0 || !decoder_)
        return -1;
    return th_granule_frame(decoder_, granule);
}

bool CTheoraStream::rewind()
{
    reader_.rewind();
    hasPending_ = false;
    ogg_packet packet;
    // Skip the headers: packets until the first that is not one (its first byte's top bit is clear).
    for (;;)
    {
        if (reader_.next(packet) != 1)
            return false;
        if (packet.bytes > 0 && !(packet.packet[0] & 0x80))
            break;
    }
    pending_ = packet;
    hasPending_ = true;
    return startDecoder();
}

int CTheoraStream::next(int64_t& index)
{
    if (!decoder_)
        return -1;
    for (;;)
    {
        ogg_packet packet;
        if (hasPending_)
        {
            packet = pending_;
            hasPending_ = false;
        }
        else
        {
            const int got = reader_.next(packet);
            if (got <= 0)
                return got;
        }
        // A header packet after the headers does not belong here.
        if (packet.bytes > 0 && (packet.packet[0] & 0x80))
            return -1;
        ogg_int64_t granule = -1;
        const int result = th_decode_packetin(decoder_, &packet, &granule);
        if (result < 0)
            return -1;
        index = granule >= 0 ? th_granule_frame(decoder_, granule) : nextIndex_;
        nextIndex_ = index + 1;
        return 1;
    }
}

void CTheoraStream::picture(YuvFrame& frame)
{
    th_ycbcr_buffer buffer;
    th_decode_ycbcr_out(decoder_, buffer);
    for (int i = 0; i < 3; ++i)
    {
        YuvPlane& plane = frame.planes[i];
        plane.width = buffer[i].width;
        plane.height = buffer[i].height;
        plane.bytes.resize(size_t(plane.width) * size_t(plane.height));
        for (int row = 0; row < plane.height; ++row)
            std::memcpy(plane.bytes.data() + size_t(row) * size_t(plane.width),
                        buffer[i].data + ptrdiff_t(row) * buffer[i].stride, size_t(plane.width));
    }
    frame.pictureX = int(info_.pic_x);
    frame.pictureY = int(info_.pic_y);
    frame.pictureWidth = int(info_.pic_width);
    frame.pictureHeight = int(info_.pic_height);
}

} // namespace Kavro
