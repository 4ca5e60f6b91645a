#include "script/Squirrel/SQIniFileReader.h"

#include "script/SqPlus.h"

namespace Orvane::Squirrel
{

int SQIniFileReader::load(const char* path)
{
    return loader.load(path);
}

int SQIniFileReader::getInt(const char* section, const char* key, int defaultValue)
{
    return loader.getInt(section, key, defaultValue);
}

std::string SQIniFileReader::getString(const char* section, const char* key, const char* defaultValue)
{
    return loader.getString(section, key, defaultValue);
}

void SQIniFileReader::registerClass()
{
    SquirrelObject scriptClass = SqPlus::RegisterClassType<SQIniFileReader>("SQIniFileReader");
    SqPlus::RegisterConstructor<SQIniFileReader, const char*>(scriptClass);
    SqPlus::RegisterInstance(scriptClass, &SQIniFileReader::load, "load");
    SqPlus::RegisterInstance(scriptClass, &SQIniFileReader::getInt, "getInt");
    SqPlus::RegisterInstance(scriptClass, &SQIniFileReader::getString, "getString");
}

} // namespace Orvane::Squirrel
