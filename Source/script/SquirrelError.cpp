#include "script/SquirrelError.h"

#include "script/SquirrelVM.h"

namespace Orvane
{

SquirrelError::SquirrelError() : desc("unknown error")
{
    HSQUIRRELVM vm = SquirrelVM::GetVMPtr();
    if (!vm)
        return;
    sq_getlasterror(vm);
    const SQChar* text = nullptr;
    if (sq_gettype(vm, -1) == OT_STRING && SQ_SUCCEEDED(sq_getstring(vm, -1, &text)))
        desc = text;
    sq_poptop(vm);
}

} // namespace Orvane
