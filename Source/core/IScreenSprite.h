#pragma once

#include <cstdint>

namespace Kavro
{
class ITexture;
}

namespace Orvane
{

class CRenderingTaskObject;

// What the application needs of the sprite over its back texture (screen fades and captures) and
// of a capture sprite. The sprite classes implement it beside their sprite base; the drawable itself
// (returned by getSpriteObject) is updated, rendered, drawn and released.
class IScreenSprite
{
public:
    virtual CRenderingTaskObject* getSpriteObject() = 0;
    // The texture the sprite was built over.
    virtual Kavro::ITexture* getTexture() = 0;
    // Builds the sprite's scene object; negative on failure.
    virtual int create() = 0;
    // Moves the opacity to value over time ms along the easing curve; time 0 lands at once.
    virtual int fadeTo(float value, uint32_t time, int32_t curve) = 0;
    virtual float getFade() = 0;
    virtual int scaleTo(float x, float y, uint32_t time, int32_t curve) = 0;
    virtual void setBlendMode(int32_t mode) = 0;

protected:
    ~IScreenSprite() = default;
};

} // namespace Orvane
