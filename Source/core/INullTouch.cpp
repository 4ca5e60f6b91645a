#include "core/INullTouch.h"

namespace Orvane
{

int INullTouch::release() { return 0; }
int INullTouch::addRef() { return 0; }
int INullTouch::getRefCount() { return 0; }
int INullTouch::getContactCount() { return 0; }
int INullTouch::getContactState(int) { return 0; }
int INullTouch::isContactMoving(int) { return 0; }

Kavro::IntPair& INullTouch::getContactMove(Kavro::IntPair& out, int)
{
    out = {0, 0};
    return out;
}

Kavro::IntPair& INullTouch::getContactPosition(Kavro::IntPair& out, int)
{
    out = {0, 0};
    return out;
}

int INullTouch::getContactTime(int) { return 0; }

Kavro::Vector2D& INullTouch::getContactVelocity(Kavro::Vector2D& out, int)
{
    out = {0.0f, 0.0f};
    return out;
}

void INullTouch::clearInput() {}

} // namespace Orvane
