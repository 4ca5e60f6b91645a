#include "sprite/Squirrel/SQDisplacementMap.h"

#include "sprite/Squirrel/SQSpriteMethodTable.h"

#include <string>

namespace Orvane::Squirrel
{

SQDisplacementMap::SQDisplacementMap(const char* name) : SQSpriteRenderTarget(name)
{
    erase = 0;
}

int SQDisplacementMap::create(float scaleX, float scaleY)
{
    map = nullptr;
    useTarget(standInTarget());
    auto* made = new CSpriteDisplacementMap;
    if (made->createDisplacementMap(Kavro::Vector2D(scaleX, scaleY)) < 0)
    {
        made->release();
        return -1;
    }
    useTarget(made);
    map = made;
    engineObject = made;
    made->leaveTaskLists();
    return 0;
}

int SQDisplacementMap::draw()
{
    markFlag();
    if (map) renderTargetOnce(map);
    return 0;
}

int SQDisplacementMap::render()
{
    return map ? map->render() : 0;
}

void SQDisplacementMap::setTimeScale(float scale)
{
    if (map) map->setTimeScale(scale);
    timeScale = scale;
}

void SQDisplacementMap::setSurface(const char* name)
{
    if (!map) return;
    map->invalidate();
    const std::string wanted = name ? name : "";
    // Bound to itself, the map would be drawn into while it is being filled.
    if (!wanted.empty() && wanted == getName()) return;
    // Resolved before the map lets go of its old surface, so that an unchanged size stays unchanged.
    map->setSurface(wanted.empty() ? nullptr : renderTargetNamed(wanted));
}

const std::vector<const char*>& SQDisplacementMap::methodNames()
{
    static const std::vector<const char*> names = {"create", "setSurface", "getSize"};
    return names;
}

void SQDisplacementMap::registerClass()
{
    using T = SQDisplacementMap;
    SquirrelObject c = SqPlus::RegisterClassType<T>("SQDisplacementMap");
    SqPlus::RegisterConstructor<T, const char*>(c);
    RegisterRenderingMethods<T>(c);
    addAs<T>(c, &T::create, "create");
    addAs<T>(c, &T::setSurface, "setSurface");
    addAs<T>(c, &SQSpriteRenderTarget::getSize, "getSize");
}

} // namespace Orvane::Squirrel
