#include "input/CButtonTracker.h"

namespace Kavro
{

CButtonTracker::CButtonTracker(size_t count) : entries_(count) {}

void CButtonTracker::press(size_t index, uint32_t now)
{
    if (index >= entries_.size()) return;
    Entry& entry = entries_[index];
    if (!entry.live)
    {
        entry.pressed = true;
        entry.pressTime = now;
    }
    entry.live = true;
}

void CButtonTracker::release(size_t index)
{
    if (index < entries_.size()) entries_[index].live = false;
}

void CButtonTracker::releaseAll()
{
    for (Entry& entry : entries_)
        entry.live = false;
}

void CButtonTracker::clear()
{
    for (Entry& entry : entries_)
        entry = Entry();
}

void CButtonTracker::nextFrame()
{
    for (Entry& entry : entries_)
    {
        const bool wasDown = entry.state == WentDown || entry.state == Held;
        if (entry.pressed)
            entry.state = WentDown;
        else if (entry.live)
            entry.state = Held;
        else if (wasDown)
            entry.state = WentUp;
        else
            entry.state = Up;
        entry.pressed = false;
    }
}

CButtonTracker::State CButtonTracker::state(size_t index) const
{
    return index < entries_.size() ? entries_[index].state : Up;
}

bool CButtonTracker::isDown(size_t index) const
{
    const State s = state(index);
    return s == WentDown || s == Held;
}

uint32_t CButtonTracker::pressTime(size_t index) const
{
    return index < entries_.size() ? entries_[index].pressTime : 0;
}

int CButtonTracker::heldCount() const
{
    int count = 0;
    for (const Entry& entry : entries_)
        count += entry.state == WentDown || entry.state == Held;
    return count;
}

} // namespace Kavro
