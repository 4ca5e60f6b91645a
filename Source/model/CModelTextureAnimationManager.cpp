#include "model/CModelTextureAnimationManager.h"

#include "model/CModel.h"

#include <kavro/ISceneModel.h>

namespace Orvane
{

void CModelTextureAnimationManager::setAnimation(const std::string& firstName, const std::string& secondName,
                                                 const Kavro::Vector2D& speed, int32_t kind)
{
    for (UVAnimation& entry : entries)
        if (entry.kind == kind && entry.firstName == firstName && entry.secondName == secondName)
        {
            entry.offset = Kavro::Vector2D();
            entry.speed = speed;
            return;
        }
    if (speed.x == 0.0f && speed.y == 0.0f)
        return;
    entries.push_back({kind, firstName, secondName, Kavro::Vector2D(), speed});
}

void CModelTextureAnimationManager::step()
{
    Kavro::ISceneModel* scene = model ? model->getSceneModel() : nullptr;
    for (UVAnimation& entry : entries)
    {
        entry.offset.x += entry.speed.x * timeScale;
        entry.offset.y += entry.speed.y * timeScale;
        if (!scene)
            continue;
        const float offset[2] = {entry.offset.x, entry.offset.y};
        const char* first = entry.firstName.c_str();
        const char* second = entry.secondName.c_str();
        if (entry.kind == ColorUV)
            scene->setColorUVOffset(first, second, offset);
        else if (entry.kind == BumpUV)
            scene->setBumpUVOffset(first, second, offset);
        else if (entry.kind == ExtraUV)
            scene->setExtraUVOffset(first, second, offset);
    }
}

} // namespace Orvane
