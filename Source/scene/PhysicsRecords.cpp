#include "scene/PhysicsRecords.h"

#include <algorithm>
#include <cstring>

namespace Orvane
{

void setRecordName(char (&field)[PhysicsNameSize], const std::string& name)
{
    std::memset(field, 0, PhysicsNameSize);
    std::memcpy(field, name.data(), std::min(name.size(), PhysicsNameSize - 1));
}

std::string getRecordName(const char (&field)[PhysicsNameSize])
{
    return std::string(field, strnlen(field, PhysicsNameSize));
}

} // namespace Orvane
