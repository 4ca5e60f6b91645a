// A suspended generator function: the frame (registers, traps, varargs) is saved here at each
// yield and copied back on resume.
#pragma once

#include "sqvm.h"

struct SQGenerator : public SQCollectable {
    enum SQGeneratorState { eRunning, eSuspended, eDead };

    SQObjectPtr _closure;
    std::vector<SQObjectPtr> _stack;
    std::vector<SQObjectPtr> _vargsstack;
    SQCallInfo _ci;
    std::vector<SQExceptionTrap> _etraps;
    SQGeneratorState _state = eRunning;

    static SQGenerator *Create(SQSharedState *ss, SQClosure *closure);
    SQGenerator(SQSharedState *ss, SQClosure *closure);
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;
    void Kill();
    // Saves the running frame into the generator and leaves it (YIELD).
    bool Yield(SQVM *v);
    // Copies the saved frame back onto v's stack at `target` and makes it the running frame.
    bool Resume(SQVM *v, SQInteger target);
};
