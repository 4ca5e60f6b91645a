#include "core/CObject.h"

namespace Orvane
{

void CObject::setName(const std::string& newName)
{
    if (&newName != &name)
        name = newName;
}

const std::string& CObject::getName() const
{
    return name;
}

int CObject::addRef()
{
    return ++refCount;
}

int CObject::getRefCount() const
{
    return refCount;
}

int CObject::release()
{
    const int left = --refCount;
    if (left == 0)
        delete this;
    return left;
}

} // namespace Orvane
