#pragma once

#include "core/CSerializeObject.h"

#include <cstdint>

namespace Orvane
{

// What the application reads and sets of its settings record: the requests the frame loop acts on,
// the window the display starts with, and handing the record to the library.
class IAppSystemState : public CSerializeObject
{
public:
    using CSerializeObject::CSerializeObject;

    // Hands the record to the library core and scene; clears the apply request.
    virtual void apply() = 0;

    uint32_t userSettingExists = 0;
    uint32_t resetRequested = 0;
    uint32_t applyRequested = 0;
    uint32_t startTime = 0;
    uint32_t screenWidth = 0;
    uint32_t screenHeight = 0;
    uint32_t fullScreen = 0;
    uint32_t fixedAspect = 1;
    uint32_t antiAliasType = 4;
};

} // namespace Orvane
