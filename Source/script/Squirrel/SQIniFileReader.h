#pragma once

#include "core/CIniLoader.h"
#include "core/CTaskObject.h"

#include <string>

namespace Orvane::Squirrel
{

// Scripts' reader of INI files: a named task object over the engine's settings reader.
class SQIniFileReader : public CTaskObject
{
public:
    explicit SQIniFileReader(const char* name) : CTaskObject(name) {}

    // Negative when the file cannot be opened or its text not converted, else the parse result.
    int load(const char* path);
    // The default when the section or key is missing or holds another type.
    int getInt(const char* section, const char* key, int defaultValue);
    std::string getString(const char* section, const char* key, const char* defaultValue);

    static void registerClass();

private:
    CIniLoader loader;
};

} // namespace Orvane::Squirrel
