#include "input/CTouch.h"

#include <algorithm>
#include <cmath>

namespace Kavro
{

CTouch::Contact* CTouch::find(SDL_FingerID finger)
{
    for (Contact& c : contacts_)
        if (c.finger == finger && c.live) return &c;
    return nullptr;
}

const CTouch::Contact* CTouch::at(int index) const
{
    return index >= 0 && index < int(contacts_.size()) ? &contacts_[size_t(index)] : nullptr;
}

IntPair CTouch::toScreen(float x, float y) const
{
    IntPair p;
    const int windowX = int(std::floor(x * float(layout_.windowWidth())));
    const int windowY = int(std::floor(y * float(layout_.windowHeight())));
    layout_.toScreen(windowX, windowY, p.x, p.y);
    return p;
}

int CTouch::getContactCount()
{
    return int(contacts_.size());
}

int CTouch::getContactState(int index)
{
    const Contact* c = at(index);
    return c ? c->state : 0;
}

int CTouch::isContactMoving(int index)
{
    const Contact* c = at(index);
    return c && (c->move.x != 0 || c->move.y != 0);
}

IntPair& CTouch::getContactMove(IntPair& out, int index)
{
    const Contact* c = at(index);
    out = c ? c->move : IntPair();
    return out;
}

IntPair& CTouch::getContactPosition(IntPair& out, int index)
{
    const Contact* c = at(index);
    out = c ? c->position : IntPair();
    return out;
}

int CTouch::getContactTime(int index)
{
    const Contact* c = at(index);
    return c ? c->time : 0;
}

Vector2D& CTouch::getContactVelocity(Vector2D& out, int index)
{
    const Contact* c = at(index);
    out = c ? c->velocity : Vector2D();
    return out;
}

void CTouch::clearInput()
{
    contacts_.clear();
}

void CTouch::down(SDL_FingerID finger, float x, float y, uint32_t now)
{
    if (find(finger)) return;
    Contact c;
    c.finger = finger;
    c.position = c.framePosition = toScreen(x, y);
    c.start = now;
    contacts_.push_back(c);
}

void CTouch::motion(SDL_FingerID finger, float x, float y)
{
    if (Contact* c = find(finger)) c->position = toScreen(x, y);
}

void CTouch::up(SDL_FingerID finger, float x, float y)
{
    if (Contact* c = find(finger))
    {
        c->position = toScreen(x, y);
        c->live = false;
    }
}

void CTouch::releaseAll()
{
    for (Contact& c : contacts_)
        c.live = false;
}

void CTouch::nextFrame(uint32_t now)
{
    // A contact reported as ended in the last frame is gone now.
    std::erase_if(contacts_, [](const Contact& c) { return c.state == 3; });
    const float seconds = float(now - lastFrame_) / 1000.0f;
    lastFrame_ = now;
    for (Contact& c : contacts_)
    {
        c.state = c.began ? 1 : c.live ? 2 : 3;
        c.began = false;
        c.move = {c.position.x - c.framePosition.x, c.position.y - c.framePosition.y};
        c.framePosition = c.position;
        c.velocity =
            seconds > 0.0f ? Vector2D(float(c.move.x) / seconds, float(c.move.y) / seconds) : Vector2D();
        c.time = int(now - c.start);
    }
}

} // namespace Kavro
