#pragma once

#include "script/SquirrelObject.h"

#include <squirrel.h>

namespace Orvane
{

// The process's one script machine as the binding framework sees it, and the engine-to-script call
// protocol. Main thread only.
class SquirrelVM
{
public:
    // Adopts vm as the current machine (dropping what was held for the previous one). Given no
    // machine, opens one with the standard libraries and a print function to standard output; that
    // machine is closed at process exit. False only when opening fails.
    static bool Init(HSQUIRRELVM vm = nullptr);
    // Forgets the current machine without closing it (its owner closes it).
    static void Release();
    static HSQUIRRELVM GetVMPtr() { return machine; }

    static SquirrelObject GetRootTable();
    static SquirrelObject CreateTable();
    static SquirrelObject CreateArray(SQInteger size);
    // Registers func under name in table. No mask: this only ("t|y|x"); a mask starting with '*':
    // no parameter check; otherwise "t|y|x" followed by the mask.
    static SquirrelObject CreateFunction(SquirrelObject& table, SQFUNCTION func, const SQChar* name,
                                         const SQChar* typeMask = nullptr);

    // Opens a call of function with the root table as this; false, with nothing pushed, while
    // another call is being prepared.
    static bool BeginCall(const SquirrelObject& function);
    // As above with an explicit this; raises SquirrelError while another call is being prepared.
    static bool BeginCall(const SquirrelObject& function, const SquirrelObject& self);
    static void PushParam(const SquirrelObject& value);
    static void PushParam(SQInteger value);
    static void PushParam(SQFloat value);
    static void PushParam(const SQChar* value);
    // Calls with the counted values and closes the call; the result, or SquirrelError on failure.
    static SquirrelObject EndCall();
    // -1 when no call is being prepared, else the number of values pushed for it.
    static SQInteger GetCallState() { return callState; }

private:
    static void countParam();

    static HSQUIRRELVM machine;
    static SquirrelObject* rootTable;
    static SQInteger callState;
};

} // namespace Orvane
