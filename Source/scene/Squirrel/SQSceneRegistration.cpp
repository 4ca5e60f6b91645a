#include "scene/Squirrel/SQSceneRegistration.h"

#include "scene/Squirrel/SQCamera.h"
#include "scene/Squirrel/SQNull3D.h"

namespace Orvane::Squirrel
{

void RegisterSceneClasses()
{
    SQCamera::registerClass();
    SQNull3D::registerClass();
}

} // namespace Orvane::Squirrel
