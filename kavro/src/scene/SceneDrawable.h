#pragma once

#include <kavro/ISceneNode.h>

namespace Kavro
{

class CSceneRenderer;

// The library's own scene nodes. The scene manager draws only nodes it made or registered, so a pointer
// from elsewhere is refused rather than cast.
class SceneDrawable : public ISceneNode
{
public:
    virtual ~SceneDrawable() = default;
    // Draws (or queues for sorted drawing) this node's content for the capture being built.
    virtual void submit(CSceneRenderer& renderer) = 0;
};

} // namespace Kavro
