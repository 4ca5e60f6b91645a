#pragma once

namespace Kavro
{
class ISceneFrame;
}

namespace Orvane
{

// What a bone object offers to the physics classes: the model frame it stands for (null while it has none).
// Rigid bodies take over the body attached to that frame.
class IBoneFrame
{
public:
    virtual ~IBoneFrame() = default;
    virtual Kavro::ISceneFrame* getBoneFrame() = 0;
};

} // namespace Orvane
