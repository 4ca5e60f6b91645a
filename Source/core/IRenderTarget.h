#pragma once

namespace Kavro
{
class ITexture;
}

namespace Orvane
{

class CRenderingTaskObject;

// What the task and its draw pass need of a render target: a drawable whose texture is a drawing
// surface. The sprite render targets implement it beside their sprite base; the drawable itself
// (returned by getTargetObject) is what the task lists, counts and compares.
class IRenderTarget
{
public:
    virtual CRenderingTaskObject* getTargetObject() = 0;
    // The drawing surface; null for the task's back surface.
    virtual Kavro::ITexture* getTexture() = 0;
    // Makes the surface the current drawing target and clears it; -1 when suspended or already drawing.
    virtual int beginRender() = 0;
    virtual int endRender() = 0;
    // Draws the library scene into the surface and sets the captured flag; -1 when suspended.
    virtual int capture() = 0;
    // Drawn where its own sprite stands in another target's list instead of on its own.
    virtual bool isDelayRendering() = 0;
    virtual bool isSuspended() = 0;
    // Set by capture, cleared by the target's render step each frame.
    virtual bool isCaptured() = 0;
    // The surface changed size this frame: what is drawn into it recomputes its geometry.
    virtual bool isResized() { return false; }

protected:
    ~IRenderTarget() = default;
};

} // namespace Orvane
