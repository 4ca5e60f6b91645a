#pragma once

#include "core/ITaskCallback.h"
#include "script/SquirrelObject.h"

namespace Orvane::Squirrel
{

// A task's close handler that calls a script function. An error inside the function goes to the
// script error text, which ends the run at the next frame's script step.
class CTaskCallbackFunctionCall : public ITaskCallback
{
public:
    explicit CTaskCallbackFunctionCall(const SquirrelObject& function) : function(function) {}

    void call() override;

private:
    SquirrelObject function;
};

} // namespace Orvane::Squirrel
