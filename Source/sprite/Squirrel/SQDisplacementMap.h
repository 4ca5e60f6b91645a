#pragma once

#include "sprite/CSpriteDisplacementMap.h"
#include "sprite/Squirrel/SQSpriteRenderTarget.h"

#include <vector>

namespace Orvane::Squirrel
{

// The script class "SQDisplacementMap": makes a displacement map and fills it each frame from the objects
// bound to it. Other sprites name it in setDisplacementMap. In the script it has no base class and a short
// method table of its own; until create it does nothing.
class SQDisplacementMap : public SQSpriteRenderTarget
{
public:
    explicit SQDisplacementMap(const char* name);

    // Null until create succeeds; the inherited steps act on the task's back surface until then.
    CSpriteDisplacementMap* getMap() const { return map; }

    int draw() override;
    int render() override;
    void setTimeScale(float scale) override;

    // scale: the pixels full red and full green stand for. 0, or -1 (and no map) when the library makes none.
    int create(float scaleX, float scaleY);
    // The map takes the size of the surface it is bound to; its own name is refused.
    void setSurface(const char* name);

    // The script method table after the ten base methods, in registration order.
    static const std::vector<const char*>& methodNames();
    static void registerClass();

private:
    // The engine object once it is a map (the binding holds it as its target).
    CSpriteDisplacementMap* map = nullptr;
};

} // namespace Orvane::Squirrel
