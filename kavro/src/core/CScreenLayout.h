#pragma once

#include "kavro/Rect2D.h"

namespace Kavro
{

// Where the logical screen sits in the window: stretched over the whole window, or, with a
// fixed aspect, the largest centred rectangle of the screen's proportions (letterbox).
class CScreenLayout
{
public:
    // The rectangle of an area of areaWidth x areaHeight that shows a screen of the given size.
    static Rect2D<int> Fit(int areaWidth, int areaHeight, int screenWidth, int screenHeight,
                           bool fixedAspect);

    void set(int windowWidth, int windowHeight, int screenWidth, int screenHeight, bool fixedAspect);
    // In window coordinates.
    const Rect2D<int>& presentRect() const { return present_; }
    int windowWidth() const { return windowWidth_; }
    int windowHeight() const { return windowHeight_; }
    int screenWidth() const { return screenWidth_; }
    int screenHeight() const { return screenHeight_; }
    // A window point in logical screen pixels; false (and -1, -1) when it lies outside the screen.
    bool toScreen(int windowX, int windowY, int& screenX, int& screenY) const;
    // A logical screen pixel as a window point (the pixel's centre).
    void toWindow(int screenX, int screenY, int& windowX, int& windowY) const;
    // A distance in window units as logical screen pixels.
    float scaleX() const;
    float scaleY() const;

private:
    Rect2D<int> present_{0, 0, 1, 1};
    int windowWidth_ = 1;
    int windowHeight_ = 1;
    int screenWidth_ = 1;
    int screenHeight_ = 1;
};

} // namespace Kavro
