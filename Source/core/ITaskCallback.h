#pragma once

#include "core/CObject.h"

namespace Orvane
{

// A task's close handler: run when the window's close button is pressed.
class ITaskCallback : public CObject
{
public:
    virtual void call() = 0;
};

} // namespace Orvane
