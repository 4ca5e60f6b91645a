#pragma once

#include "core/CObject.h"

#include <cstdint>

namespace Orvane::Squirrel
{

// The script-object record every binding owns: two words scripts use as marks.
class SQNutObject : public CObject
{
public:
    explicit SQNutObject(const std::string& name) : CObject(name) {}

    int32_t lock = 0;
    int32_t disused = 0;
};

} // namespace Orvane::Squirrel
