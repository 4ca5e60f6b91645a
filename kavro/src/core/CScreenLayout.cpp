#include "core/CScreenLayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace Kavro
{

Rect2D<int> CScreenLayout::Fit(int areaWidth, int areaHeight, int screenWidth, int screenHeight,
                               bool fixedAspect)
{
    areaWidth = std::max(areaWidth, 1);
    areaHeight = std::max(areaHeight, 1);
    if (!fixedAspect || screenWidth <= 0 || screenHeight <= 0) return {0, 0, areaWidth, areaHeight};
    // Compare areaWidth/areaHeight with screenWidth/screenHeight without rounding.
    const int64_t wideness = int64_t(areaWidth) * screenHeight - int64_t(areaHeight) * screenWidth;
    int width = areaWidth;
    int height = areaHeight;
    if (wideness > 0) // bars left and right
        width = std::max(1, int(int64_t(areaHeight) * screenWidth / screenHeight));
    else if (wideness < 0) // bars above and below
        height = std::max(1, int(int64_t(areaWidth) * screenHeight / screenWidth));
    return {(areaWidth - width) / 2, (areaHeight - height) / 2, width, height};
}

void CScreenLayout::set(int windowWidth, int windowHeight, int screenWidth, int screenHeight,
                        bool fixedAspect)
{
    windowWidth_ = std::max(windowWidth, 1);
    windowHeight_ = std::max(windowHeight, 1);
    screenWidth_ = std::max(screenWidth, 1);
    screenHeight_ = std::max(screenHeight, 1);
    present_ = Fit(windowWidth, windowHeight, screenWidth_, screenHeight_, fixedAspect);
}

bool CScreenLayout::toScreen(int windowX, int windowY, int& screenX, int& screenY) const
{
    if (!present_.contains(windowX, windowY))
    {
        screenX = screenY = -1;
        return false;
    }
    screenX = int(int64_t(windowX - present_.x) * screenWidth_ / present_.w);
    screenY = int(int64_t(windowY - present_.y) * screenHeight_ / present_.h);
    return true;
}

void CScreenLayout::toWindow(int screenX, int screenY, int& windowX, int& windowY) const
{
    // A point outside the screen goes to its nearest edge: scaled, a far one would not fit in an int.
    screenX = std::clamp(screenX, 0, std::max(screenWidth_ - 1, 0));
    screenY = std::clamp(screenY, 0, std::max(screenHeight_ - 1, 0));
    windowX = present_.x + int(std::floor((screenX + 0.5) * present_.w / screenWidth_));
    windowY = present_.y + int(std::floor((screenY + 0.5) * present_.h / screenHeight_));
}

float CScreenLayout::scaleX() const
{
    return float(screenWidth_) / float(present_.w);
}

float CScreenLayout::scaleY() const
{
    return float(screenHeight_) / float(present_.h);
}

} // namespace Kavro
