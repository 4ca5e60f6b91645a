#pragma once

#include "movie/OggPackets.h"
#include "render/YuvFrame.h"

#include <theora/theoradec.h>

#include <cstdint>

namespace Kavro
{

// Decodes the frames of one Theora stream of a movie file, from the start.
class CTheoraStream
{
public:
    CTheoraStream(MovieBytes bytes, int serial);
    ~CTheoraStream();
    CTheoraStream(const CTheoraStream&) = delete;
    CTheoraStream& operator=(const CTheoraStream&) = delete;

    // Reads the three headers. False when the stream is not Theora, or its headers are damaged or
    // describe no picture or no frame rate.
    bool open();
    const th_info& info() const { return info_; }
    // Milliseconds a frame lasts.
    double frameMilliseconds() const { return double(info_.fps_denominator) * 1000.0 / double(info_.fps_numerator); }
    // The index of the frame a granule position ends (-1 for none).
    int64_t frameOfGranule(int64_t granule) const;

    // Decodes the next frame: 1 (index set), 0 at the end of the stream, -1 when the stream turns out
    // to be damaged.
    int next(int64_t& index);
    // Copies the frame next decoded.
    void picture(YuvFrame& frame);
    // Back to the first frame.
    bool rewind();

private:
    bool startDecoder();

    COggPacketReader reader_;
    th_info info_{};
    th_comment comment_{};
    th_setup_info* setup_ = nullptr;
    th_dec_ctx* decoder_ = nullptr;
    ogg_packet pending_{};
    bool hasPending_ = false;
    int64_t nextIndex_ = 0;
};

} // namespace Kavro
