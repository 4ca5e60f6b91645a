#pragma once

namespace Kavro
{

// What a drawable scene object hands to ISceneManager::addSceneNode to be drawn by the next renderScene.
// A node belongs to its scene object (it is not counted) and is valid while that object lives.
class ISceneNode
{
protected:
    ~ISceneNode() = default;
};

} // namespace Kavro
