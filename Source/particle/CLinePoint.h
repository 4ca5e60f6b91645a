#pragma once

#include "core/CFrame.h"
#include "curve/CInterpolator.h"

namespace Orvane
{

class CLine;

// One end of a line: a frame whose alpha, position and colour animate. Its position is in pixels of the
// view from the top-left corner, y down; it hangs under its line, or under the object it is linked to and
// then follows that object.
class CLinePoint : public CFrame
{
public:
    explicit CLinePoint(CLine& owner);

    // Places the end in the view's centred, y-up space at the line's pixel scale, under its parent; a change
    // of the world matrix marks the line for rebuilding.
    int updateWorldMatrix() override;
    // Ends have no view of their own: (0, 0).
    Kavro::Vector2D getViewSize() override;
    // The parent's world scale; (1, 1, 1) without a parent.
    Kavro::Vector3D getWorldScale() override;

    CInterpolator<float> fade;
    CInterpolator<Kavro::Vector3D> move;
    CInterpolator<Kavro::Vector3D> color;
    CLine& line;
};

} // namespace Orvane
