#pragma once

#include "core/IRenderTarget.h"
#include "sprite/CSprite.h"

namespace Orvane
{

class CTask;

// The task's default render target: the frame the application draws (the screen, or the texture it
// captures the frame into). It has no texture of its own and draws nothing; the objects that name no
// surface are drawn into it.
class CBackSurfaceTarget : public CSprite, public IRenderTarget
{
public:
    // Joins owner's render targets (first, as the task builds it before any other) and no other list.
    explicit CBackSurfaceTarget(CTask& owner);
    ~CBackSurfaceTarget() override;

    CRenderingTaskObject* getTargetObject() override { return this; }
    Kavro::ITexture* getTexture() override { return nullptr; }
    // The application selected the frame's target and cleared it when the frame began.
    int beginRender() override { return 0; }
    int endRender() override { return 0; }
    // Draws the library scene into the frame.
    int capture() override;
    bool isDelayRendering() override { return false; }
    bool isSuspended() override { return false; }
    bool isCaptured() override { return captured; }

    int render() override;
    int draw() override { return 0; }
    int update() override { return 0; }

private:
    bool captured = false;
};

} // namespace Orvane
