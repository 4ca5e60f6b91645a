#include "core/INullGamepad.h"

namespace Orvane
{

int INullGamepad::release() { return 0; }
int INullGamepad::addRef() { return 0; }
int INullGamepad::getRefCount() { return 0; }
int INullGamepad::getButtonState(int, int) { return 0; }
float INullGamepad::getTriggerValue(int, int) { return 0.0f; }

Kavro::Vector2D& INullGamepad::getThumbValue(Kavro::Vector2D& out, int, int)
{
    out = {0.0f, 0.0f};
    return out;
}

void INullGamepad::setVibration(int, float, float) {}

} // namespace Orvane
