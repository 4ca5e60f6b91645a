#pragma once

#include "core/CObject.h"

#include <cstdint>
#include <vector>

namespace Orvane
{

// One queued motion of a layer.
struct MotionEntry
{
    // The scene model's motion index; -1 is the "LOOP" marker.
    int32_t motion = -1;
    // 0 or more: starts once this many ms have passed since the last switch; negative: when the playing
    // motion ends.
    int32_t durationMs = 0;
    int32_t reserved = 0;
};

// The queue of motions that follow a layer's playing motion.
class CModelMotionStack : public CObject
{
public:
    CModelMotionStack() = default;

    // The next entry to start.
    uint32_t index = 0;
    std::vector<MotionEntry> entries;
};

} // namespace Orvane
