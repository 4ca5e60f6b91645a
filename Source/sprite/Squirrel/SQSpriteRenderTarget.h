#pragma once

#include "sprite/CSpriteRenderTarget.h"
#include "sprite/Squirrel/SQSprite.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane::Squirrel
{

// The script class "SQSpriteRenderTarget": makes a render target and drives it. Besides the sprite
// methods it shares with SQSprite (acting on the target), it fills the target three ways: the normal
// pass over the objects bound to it, a capture mode that copies what lies beneath it on screen, and
// a copy mode that mirrors another target. Before create, and after a failed one, it acts on the
// task's back surface, which draws nothing.
class SQSpriteRenderTarget : public SQSprite
{
public:
    explicit SQSpriteRenderTarget(const char* name);
    ~SQSpriteRenderTarget() override;

    // The target the methods act on.
    virtual CSpriteRenderTarget* getTarget() { return static_cast<CSpriteRenderTarget*>(engine); }

    int update() override;
    int draw() override;
    int render() override;
    // A delayed target fills itself right before it is drawn, at most once a frame.
    int drawsOnBackSurface() override;
    int drawOnBackSurface() override;

    // flags non-zero: a capture surface, filled only by the capture mode. 0 or -1.
    int create(int width, int height, int flags);
    void getSize();
    // The object's own name leaves the surface as it was: a target cannot draw into itself.
    void setSurface(const char* name);
    void setCapture(int enable);
    void setCopyTarget(const char* name);
    void setCaptureTarget(const char* name);
    void setDelayRendering(int flag);
    int isDelayedRendering();
    int isCaptureEnabled() { return int(captureEnabled); }
    int isPaused() { return captureEnabled ? 0 : 1; }
    void clear() { clearRequested = 1; }
    void play();
    void stop();
    void pause();
    void onResume();
    // No kind of custom effect exists: both answer -1.
    int createCustomEffect(const char* name, SquirrelObject parameters);
    int setCustomEffectParameter(SquirrelObject parameters);

    // The script method table after the ten base methods, in registration order.
    static const std::vector<const char*>& methodNames();
    static void registerClass();

protected:
    bool keepsPixels() const override { return createFlags != 0 && !captureEnabled; }
    // The target that takes the place of a missing one: the task's back surface.
    CSpriteRenderTarget* standInTarget();
    // Fills the target from the objects bound to it, unless that happened this frame or is under way: a
    // target bound to itself, or two bound to each other, would otherwise fill each other without end.
    void renderTargetOnce(CSpriteRenderTarget* target);
    void useTarget(CSpriteRenderTarget* made);
    // The render target of a named task object (a render-target binding or a bare target); null for
    // none.
    IRenderTarget* renderTargetNamed(const std::string& name) const;

    int32_t createFlags = 0;
    std::string captureTargetName;
    Kavro::ITexture* copyTarget = nullptr;
    uint32_t clearRequested = 0;

private:
    void startCapture(int32_t value);
    void captureIntoTarget(CSpriteRenderTarget* target);
    void copyIntoTarget(CSpriteRenderTarget* target);
};

} // namespace Orvane::Squirrel
