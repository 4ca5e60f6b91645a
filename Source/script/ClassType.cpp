#include "script/ClassType.h"

#include <atomic>

namespace Orvane::SqPlus
{

namespace
{
std::atomic<SQInteger> nextTypeId{1};
}

ClassTypeBase::ClassTypeBase(const char* name) : m_name(name), typeId(nextTypeId++) {}

} // namespace Orvane::SqPlus
