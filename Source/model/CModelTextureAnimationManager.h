#pragma once

#include "core/CObject.h"

#include <kavro/Vector2D.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Orvane
{

class CModel;

// Scrolls texture coordinates of a model: each entry adds its speed to its offset once per frame and hands
// the offset to the model's scene model.
class CModelTextureAnimationManager : public CObject
{
public:
    enum Kind : int32_t
    {
        ColorUV = 0,
        BumpUV = 1,
        ExtraUV = 2,
    };

    struct UVAnimation
    {
        int32_t kind = ColorUV;
        std::string firstName;
        std::string secondName;
        Kavro::Vector2D offset;
        Kavro::Vector2D speed;
    };

    explicit CModelTextureAnimationManager(CModel* model) : model(model) {}

    // The entry of that kind and names restarts at offset 0 with the new speed; a new pair with speed
    // (0, 0) adds nothing.
    void setAnimation(const std::string& firstName, const std::string& secondName, const Kavro::Vector2D& speed,
                      int32_t kind);
    // Once per frame: speed x time scale added to every offset, each handed to the scene model.
    void step();

    const std::vector<UVAnimation>& getEntries() const { return entries; }

    float timeScale = 1.0f;

private:
    CModel* model;
    std::vector<UVAnimation> entries;
};

} // namespace Orvane
