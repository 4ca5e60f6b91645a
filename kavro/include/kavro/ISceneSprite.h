#pragma once

#include "IInterface.h"
#include "Matrix4x4.h"

namespace Kavro
{

class ISceneNode;

// A 3D sprite's instance in the scene.
class ISceneSprite : public IInterface
{
public:
    virtual ISceneNode* getSceneNode() = 0;
    virtual int setWorldMatrix(const Matrix4x4& world) = 0;
    // Blend modes as for 2D quads.
    virtual int setBlendMode(int mode) = 0;
    // Option 2: the sprite is drawn after the models, depth tested.
    virtual int setOption(int option) = 0;
    // Depth test and depth write, 0 or 1 each.
    virtual int setFlagPair(const int& depthTest, const int& depthWrite) = 0;
    // 1: lit by the scene's lights.
    virtual int setFlag(const int& flag) = 0;
};

} // namespace Kavro
