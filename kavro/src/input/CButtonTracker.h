#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Kavro
{

// Per-frame states of a set of buttons (keys, mouse or pad buttons), fed by press and release
// events and read between frames: 0 up, 1 went down, 2 held, 3 went up. A press that is
// released before the frame ends still shows as 1 in that frame and as 3 in the next one, so
// quick taps are never lost.
class CButtonTracker
{
public:
    enum State : uint8_t
    {
        Up = 0,
        WentDown = 1,
        Held = 2,
        WentUp = 3,
    };

    explicit CButtonTracker(size_t count);

    void press(size_t index, uint32_t now);
    void release(size_t index);
    // Releases every button (focus lost, device gone).
    void releaseAll();
    // Forgets everything, also the states of the current frame.
    void clear();
    // Ends the frame: the events since the previous call become the states read until the next.
    void nextFrame();

    size_t size() const { return entries_.size(); }
    // Up for an index outside the set.
    State state(size_t index) const;
    bool isDown(size_t index) const;
    // Clock value of the button's last press.
    uint32_t pressTime(size_t index) const;
    int heldCount() const;

private:
    struct Entry
    {
        bool live = false;
        bool pressed = false;
        State state = Up;
        uint32_t pressTime = 0;
    };
    std::vector<Entry> entries_;
};

} // namespace Kavro
