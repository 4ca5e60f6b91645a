#pragma once

#include "model/CModelFocus.h"

namespace Kavro
{
class ISceneFrame;
}

namespace Orvane
{

// Turns the head toward the target: the spine frames below the spine root share the turn once the target
// lies well to the side, then the neck and the head turn in full; each frame by at most about 11.5 degrees.
class CModelFocusFace : public CModelFocus
{
public:
    using CModelFocus::CModelFocus;

    void apply();
    // Turns frame toward the target by share of the focus weight; its parent's world matrix is taken as it
    // stands, so frames are turned from the top down.
    void turnFrame(Kavro::ISceneFrame* frame, float share);
};

} // namespace Orvane
