#pragma once

#include "sound/ISampleSource.h"

#include <cstdint>
#include <vector>

namespace Kavro
{

// Where a stretch of read frames came from: frames from `offset` on in the read block continue the sound
// at `frame`. A block gets a new segment at every jump back to the loop start.
struct SoundSegment
{
    int64_t offset = 0;
    int64_t frame = 0;
};

// Loop rules applied to a sample source. The loop region is [start, end) in frames. Mode below 0 jumps
// from the end back to the start forever; n > 1 plays the region n times (n - 1 jumps), then runs on to
// the end of the sound; 0 and 1 play through once.
class CLoopCursor
{
public:
    // A region end of 0 or at or before its start, or beyond the sound, is the sound's end; a start
    // beyond the sound is its beginning.
    void setLoop(int64_t length, int mode, int64_t start, int64_t end);
    // Starts a pass over the source from a frame (clamped to the sound).
    void begin(ISampleSource& source, int64_t frame);
    // Reads up to count frames into out, following the loop; records where each stretch came from.
    int64_t read(ISampleSource& source, float* out, int64_t count, std::vector<SoundSegment>& segments);
    bool finished() const { return finished_; }
    int64_t position() const { return position_; }

private:
    bool jumpBack(ISampleSource& source);
    void truncate();

    int64_t length_ = 0;
    int64_t loopStart_ = 0;
    int64_t loopEnd_ = 0;
    int64_t jumpsLeft_ = 0; // negative: forever
    int64_t position_ = 0;
    bool finished_ = true;
};

} // namespace Kavro
