#include "script/Squirrel/CTaskCallbackFunctionCall.h"

#include "script/CSquirrel.h"

namespace Orvane::Squirrel
{

void CTaskCallbackFunctionCall::call()
{
    // The result is dropped: a failure has already been reported into the error text.
    if (CSquirrel* host = CSquirrel::get())
        host->callScriptFunction(SquirrelObject(), function);
}

} // namespace Orvane::Squirrel
