#include "script/Squirrel/SQProcess.h"

namespace Orvane::Squirrel
{

int SQProcess::create(const char* name)
{
    processName = name;
    return 0;
}

void SQProcess::registerClass()
{
    SquirrelObject scriptClass = SqPlus::RegisterClassType<SQProcess>("SQProcess");
    SqPlus::RegisterConstructor<SQProcess, const char*>(scriptClass);
    SqPlus::RegisterInstance(scriptClass, &SQProcess::create, "create");
    RegisterLockMethods<SQProcess>(scriptClass);
    SqPlus::RegisterInstance(scriptClass, &SQProcess::serialize, "serialize");
    SqPlus::RegisterInstance(scriptClass, &SQProcess::deserialize, "deserialize");
}

} // namespace Orvane::Squirrel
