#include "particle/Squirrel/SQLine.h"

#include "core/CTask.h"
#include "core/TaskObjectLinks.h"
#include "particle/CLinePoint.h"
#include "particle/CNullLine.h"
#include "script/Squirrel/ScriptResults.h"

namespace Orvane::Squirrel
{

SQLine::SQLine(const char* name) : SQRenderer<CLine>(name ? name : "")
{
    adopt(new CNullLine);
}

SQLine::~SQLine()
{
    releaseLine();
}

void SQLine::adopt(CLine* line)
{
    engine = line;
    engine->leaveTaskLists();
    engineObject = engine;
}

void SQLine::releaseLine()
{
    if (engine)
        engine->release();
    engine = nullptr;
    engineObject = nullptr;
}

int SQLine::update()
{
    return engine->update();
}

int SQLine::render()
{
    return engine->render();
}

int SQLine::draw()
{
    markFlag();
    return erase ? 0 : engine->draw();
}

bool SQLine::isInCamera(Kavro::ICamera* camera)
{
    return engine->isInCamera(camera);
}

float SQLine::getCameraDepth(Kavro::ICamera* camera)
{
    return engine->getCameraDepth(camera);
}

void SQLine::setTimeScale(float scale)
{
    engine->setTimeScale(scale);
    SQRenderingObject::setTimeScale(scale);
}

int SQLine::create(int thickness)
{
    releaseLine();
    auto* line = new CLine;
    line->create(thickness);
    adopt(line);
    engine->setTimeScale(timeScale);
    engine->setParent(getTask());
    // The binding is drawn through its task's lists but is no frame of the tree: the line is.
    if (getParent())
        setParent(nullptr);
    return 0;
}

void SQLine::link(int index, const char* name)
{
    CLinePoint* end = engine->getPoint(index);
    if (!end)
        return;
    CFrame* found = FindLinkFrame(getTask(), name);
    if (!found || LinkFrame(*end, found) != 0)
        LinkFrame(*end, engine);
}

void SQLine::fade(int index, float alpha, int time, int easing)
{
    engine->fade(index, alpha, ScriptTime(time), easing);
}

void SQLine::move(int index, float x, float y, int time, int easing)
{
    engine->move(index, x, y, ScriptTime(time), easing);
}

void SQLine::move3D(int index, float x, float y, float z, int time, int easing)
{
    engine->move3D(index, x, y, z, ScriptTime(time), easing);
}

void SQLine::setBlendMode(int mode)
{
    engine->setBlendMode(mode);
}

float SQLine::getFade(int index)
{
    return engine->getFade(index);
}

void SQLine::getMove(int index)
{
    const Kavro::Vector3D position = engine->getMove(index);
    SetScriptResults({position.x, position.y, position.z});
}

void SQLine::setColor(int index, float r, float g, float b, int time, int easing)
{
    engine->setColor(index, r, g, b, float(time), easing);
}

void SQLine::getColor(int index)
{
    const Kavro::Vector4D colour = engine->getColor(index);
    SetScriptResults({colour.x, colour.y, colour.z, colour.w});
}

void SQLine::setSurface(const char* name)
{
    engine->setSurface(nullptr);
    engine->setDirty();
    if (IRenderTarget* target = FindRenderTarget(getTask(), name))
        engine->setSurface(target);
}

void SQLine::setCamera(const char* name, float distance, float fieldOfView)
{
    engine->setCamera(nullptr, -1.0f, -1.0f);
    if (Kavro::ICamera* camera = FindCamera(getTask(), name))
        engine->setCamera(camera, distance, fieldOfView);
}

int SQLine::isFading(int index)
{
    return engine->isFading(index);
}

int SQLine::isMoving(int index)
{
    return engine->isMoving(index);
}

float SQLine::getFadeTimer(int index)
{
    return engine->getFadeTimer(index);
}

float SQLine::getMoveTimer(int index)
{
    return engine->getMoveTimer(index);
}

float SQLine::getColorTimer(int index)
{
    return engine->getColorTimer(index);
}

void SQLine::setFadeTimer(int index, float elapsed)
{
    engine->setFadeTimer(index, elapsed);
}

void SQLine::setMoveTimer(int index, float elapsed)
{
    engine->setMoveTimer(index, elapsed);
}

void SQLine::setColorTimer(int index, float elapsed)
{
    engine->setColorTimer(index, elapsed);
}

// ---- Registration

void SQLine::registerClass()
{
    SquirrelObject c = SqPlus::RegisterClassType<SQLine>("SQLine");
    SqPlus::RegisterConstructor<SQLine, const char*>(c);
    RegisterRenderingMethods<SQLine>(c);
    SqPlus::RegisterInstance(c, &SQLine::create, "create");
    SqPlus::RegisterInstance(c, &SQLine::link, "link");
    SqPlus::RegisterInstance(c, &SQLine::fade, "fade");
    SqPlus::RegisterInstance(c, &SQLine::move, "move");
    SqPlus::RegisterInstance(c, &SQLine::move3D, "move3D");
    SqPlus::RegisterInstance(c, &SQLine::setBlendMode, "setBlendMode");
    SqPlus::RegisterInstance(c, &SQLine::getFade, "getFade");
    SqPlus::RegisterInstance(c, &SQLine::getMove, "getMove");
    SqPlus::RegisterInstance(c, &SQLine::setColor, "setColor");
    SqPlus::RegisterInstance(c, &SQLine::getColor, "getColor");
    SqPlus::RegisterInstance(c, &SQLine::setTimeScale, "setTimeScale");
    SqPlus::RegisterInstance(c, &SQLine::setSurface, "setSurface");
    SqPlus::RegisterInstance(c, &SQLine::setCamera, "setCamera");
    SqPlus::RegisterInstance(c, &SQLine::isFading, "isFading");
    SqPlus::RegisterInstance(c, &SQLine::isMoving, "isMoving");
    SqPlus::RegisterInstance(c, &SQLine::getFadeTimer, "getFadeTimer");
    SqPlus::RegisterInstance(c, &SQLine::getMoveTimer, "getMoveTimer");
    SqPlus::RegisterInstance(c, &SQLine::getColorTimer, "getColorTimer");
    SqPlus::RegisterInstance(c, &SQLine::setFadeTimer, "setFadeTimer");
    SqPlus::RegisterInstance(c, &SQLine::setMoveTimer, "setMoveTimer");
    SqPlus::RegisterInstance(c, &SQLine::setColorTimer, "setColorTimer");
}

} // namespace Orvane::Squirrel
