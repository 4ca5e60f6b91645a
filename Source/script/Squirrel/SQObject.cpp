#include "script/Squirrel/SQObject.h"

#include "script/Squirrel/SQNutObject.h"

namespace Orvane::Squirrel
{

SQObject::SQObject(const std::string& name) : CTaskObject(name), nutObject(new SQNutObject(name)) {}

SQObject::~SQObject()
{
    nutObject->release();
}

int32_t SQObject::setLock(int32_t value)
{
    return nutObject->lock = value;
}

int32_t SQObject::getLock()
{
    return nutObject->lock;
}

int32_t SQObject::setDisused(int32_t value)
{
    return nutObject->disused = value;
}

int32_t SQObject::getDisused()
{
    return nutObject->disused;
}

} // namespace Orvane::Squirrel
