#include "core/CSceneNullObject.h"

namespace Orvane
{

int CSceneNullObject::isValid()
{
    return 0;
}

int CSceneNullObject::isVisible()
{
    return 0;
}

int CSceneNullObject::addToScene()
{
    return 0;
}

} // namespace Orvane
