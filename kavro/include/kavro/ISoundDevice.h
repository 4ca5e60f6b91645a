#pragma once

#include "IInterface.h"

namespace Kavro
{

class ISoundDevice : public IInterface
{
public:
    // 0 when there is no playback device: everything else still works, silently.
    virtual int hasOutput() = 0;
    // A handle for sound objects; negative when none is free.
    virtual int requestHandle(int first, int last) = 0;
};

} // namespace Kavro
