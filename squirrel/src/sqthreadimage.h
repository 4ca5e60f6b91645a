// One thread's machine state as plain values: value stack, call frames, suspend state, variable
// arguments and exception traps (part of the save interface, sqsave.h). Taken from a suspended
// or idle thread; checked, against the function prototypes it names, before it is put into a new
// thread, so that nothing read from a file can point outside the stack or the code.
#pragma once

#include <squirrel.h>

#include <cstdint>
#include <vector>

#include "sqobject.h"

struct SQVM;

class SQThreadImage {
public:
    struct Frame {
        uint32_t traps = 0;
        uint32_t previousBase = 0;  // the frame's stack base minus its caller's
        uint32_t previousTop = 0;   // the caller's top, from the caller's base
        int32_t target = -1;        // the caller's register for the result
        uint32_t calls = 1;
        bool root = false;
        uint16_t varargCount = 0;
        uint16_t varargBase = 0;
        uint32_t instruction = 0;  // from the start of the prototype's code
        SQObjectPtr closure;
    };
    // A pushed exception trap; it belongs to the frame whose trap count covers it, frames in order.
    struct Trap {
        uint32_t stackBase = 0;
        uint32_t stackTop = 0;
        uint32_t instruction = 0;  // where the catch starts, in the owning frame's code
        int32_t target = 0;        // register of the owning frame that receives the exception
    };

    uint32_t top = 0;
    uint32_t base = 0;
    bool suspended = false;
    bool suspendedRoot = false;
    int32_t suspendedTarget = -1;
    uint32_t suspendedTraps = 0;
    uint16_t suspendedVarargCount = 0;
    uint16_t suspendedVarargBase = 0;
    uint32_t nativeCalls = 0;
    SQObjectPtr temporary;
    std::vector<SQObjectPtr> varargs;
    uint32_t frameCapacity = 0;
    uint32_t frameStorage = 0;
    std::vector<Frame> frames;
    std::vector<SQObjectPtr> stack;
    std::vector<Trap> traps;

    // Null when taken; otherwise why this thread cannot be saved (one running code, for example).
    const char *capture(SQVM *thread);
    // Null when the image can run in a thread; otherwise the first thing found wrong.
    const char *check() const;
    // Puts a checked image into a thread that has never run.
    void applyTo(SQVM *thread) const;

private:
    // Stack bases of the frames, and the base the outermost frame returns to (last).
    std::vector<uint32_t> frameBases() const;
};
