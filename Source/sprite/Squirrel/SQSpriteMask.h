#pragma once

#include "sprite/CSpriteMask.h"
#include "sprite/Squirrel/SQSprite.h"

#include <cstdint>
#include <vector>

namespace Orvane::Squirrel
{

// The script class "SQSpriteMask": nearly the whole of SQSprite over a sprite mask (a null mask before
// the first creation and after a failed one), which other sprites name in their setMask. A mask draws
// before what it masks: it joins its task at priority -65536, and a masked mask right after its own mask.
class SQSpriteMask : public SQSprite
{
public:
    static constexpr int32_t maskPriority = -65536;

    explicit SQSpriteMask(const char* name);

    CSpriteMask* getMask() { return static_cast<CSpriteMask*>(engine); }

    // Creation through the task's mask factories: 0, or -1 with a null mask in place.
    int create(const char* imageName, int x, int y, int w, int h);
    int createColor(int width, int height, float r, float g, float b);
    int createMovie(const char* movieName, int mode);
    // A mask may be masked, though not by itself.
    void setMask(const char* name);
    void setDiffuseOnly(int flag);
    // As SQSprite's, with 0.0 as the fourth value.
    void getColorBalance();
    int isCaptureEnabled() { return 0; }
    // The rendering object's record, then the mask's shake effect.
    int32_t serialize(const char* fileObjectName) override;
    int32_t deserialize(const char* fileObjectName) override;

    // The script method table after the ten base methods, in registration order.
    static const std::vector<const char*>& methodNames();
    static void registerClass();
};

} // namespace Orvane::Squirrel
