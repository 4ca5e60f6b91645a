// A thread of execution: value stack, call frames, vararg stack and exception traps, plus the
// interpreter loop that runs the 2.2.4 instruction set.
#pragma once

#include "sqobject.h"
#include "sqopcodes.h"
#include "sqvaluestack.h"

#define MAX_NATIVE_CALLS 100
#define SQ_SUSPEND_FLAG -666

struct SQExceptionTrap {
    SQInteger _stackbase = 0;
    SQInteger _stacksize = 0;
    SQInstruction *_ip = nullptr;
    SQInteger _extarget = 0;
};

// One call frame.
struct SQCallInfo {
    SQInstruction *_ip = nullptr;
    SQObjectPtr *_literals = nullptr;
    SQObjectPtr _closure;
    SQGenerator *_generator = nullptr;
    SQInteger _etraps = 0;
    SQInteger _prevstkbase = 0;
    SQInteger _prevtop = 0;
    SQInteger _target = -1;
    SQInteger _ncalls = 1;
    bool _root = false;
    SQInteger _vargs_size = 0;
    SQInteger _vargs_base = 0;
};

// What a call instruction did: ran (a script frame was entered, or the callee finished and its
// result is stored), suspended the VM from a native, or failed.
enum class SQCallOutcome { Ran, Suspended, Failed };

struct SQVM : public SQCollectable {
    enum ExecutionType { ET_CALL, ET_RESUME_GENERATOR, ET_RESUME_VM, ET_RESUME_THROW_VM };

    explicit SQVM(SQSharedState *ss);
    ~SQVM() override;
    bool Init(SQVM *friendvm, SQInteger stacksize);
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;

    // Runs script code from native code (an interpreter entry): a call of the closure whose
    // nargs arguments start at stackbase, a generator resume, or a suspended VM's wakeup.
    bool Execute(const SQObjectPtr &func, SQInteger target, SQInteger nargs, SQInteger stackbase,
                 SQObjectPtr &outres, SQBool raiseerror, ExecutionType et = ET_CALL);
    // Calls any callable value with nparams values starting at stackbase (`this` first).
    bool Call(const SQObjectPtr &closure, SQInteger nparams, SQInteger stackbase, SQObjectPtr &outres,
              SQBool raiseerror);
    bool CallNative(SQNativeClosure *nclosure, SQInteger nargs, SQInteger stackbase, SQObjectPtr &retval,
                    bool &suspend);
    bool StartCall(SQClosure *closure, SQInteger target, SQInteger nargs, SQInteger stackbase, bool tailcall);
    bool CreateClassInstance(SQClass *theclass, SQObjectPtr &inst, SQObjectPtr &constructor);
    SQCallOutcome CallInstruction(SQInteger target, SQInteger callee, SQInteger argbase, SQInteger nargs,
                                  SQObjectPtr &suspendvalue);
    SQCallOutcome ConstructInstance(SQClass *cls, SQInteger target, SQInteger argbase, SQInteger nargs);
    // The metamethod of a table/userdata (own slot of its delegate) or instance (its class).
    bool GetMetaMethod(const SQObject &o, SQMetaMethod mm, SQObjectPtr &closure);
    // Calls metamethod mm of o with the nparams values on top of the stack (popped).
    bool CallMetaMethod(const SQObject &o, SQMetaMethod mm, SQInteger nparams, SQObjectPtr &outres);
    bool Return(SQInteger _arg0, SQInteger _arg1, SQObjectPtr &retval);
    void CallDebugHook(SQInteger type, SQInteger forcedline = 0);
    void CallErrorHandler(const SQObjectPtr &e);

    // Full get/set/newslot/delete semantics (language.md section 7). fetchroot: when self is
    // the running function's `this`, a failed lookup continues in the root table.
    bool Get(const SQObjectPtr &self, const SQObjectPtr &key, SQObjectPtr &dest, bool raw, bool fetchroot);
    bool FallBackGet(const SQObjectPtr &self, const SQObjectPtr &key, SQObjectPtr &dest, bool raw);
    bool CallGetMetaMethod(const SQObjectPtr &self, const SQObjectPtr &key, SQObjectPtr &dest);
    bool CallSetMetaMethod(const SQObjectPtr &self, const SQObjectPtr &key, const SQObjectPtr &val);
    bool Set(const SQObjectPtr &self, const SQObjectPtr &key, const SQObjectPtr &val, bool fetchroot);
    bool NewSlot(const SQObjectPtr &self, const SQObjectPtr &key, const SQObjectPtr &val, bool bstatic);
    bool DeleteSlot(const SQObjectPtr &self, const SQObjectPtr &key, SQObjectPtr &res);
    bool Clone(const SQObjectPtr &self, SQObjectPtr &target);
    bool ObjCmp(const SQObjectPtr &o1, const SQObjectPtr &o2, SQInteger &res);
    bool CMP_OP(SQCompareOp op, const SQObjectPtr &o1, const SQObjectPtr &o2, SQObjectPtr &res);
    bool StringCat(const SQObjectPtr &str, const SQObjectPtr &obj, SQObjectPtr &dest);
    static constexpr int kScalarTextSize = 32;
    void CatText(const SQObjectPtr &o, SQObjectPtr &holder, char (&buf)[kScalarTextSize], const SQChar *&text,
                 SQInteger &len);
    static bool IsEqual(const SQObject &o1, const SQObject &o2);
    static bool IsFalse(const SQObject &o) {
        if (o._type == OT_FLOAT) return o._unVal.fFloat == 0.0f;
        return (o._type & SQOBJECT_CANBEFALSE) && o._unVal.nInteger == 0;
    }
    void ToString(const SQObjectPtr &o, SQObjectPtr &res);
    SQString *PrintObjVal(const SQObject &o);
    bool TypeOf(const SQObjectPtr &obj1, SQObjectPtr &dest);
    bool ArithMetaMethod(SQInteger op, const SQObjectPtr &o1, const SQObjectPtr &o2, SQObjectPtr &dest);
    bool ARITH_OP(SQUnsignedInteger op, SQObjectPtr &trg, const SQObjectPtr &o1, const SQObjectPtr &o2);
    bool BW_OP(SQUnsignedInteger op, SQObjectPtr &trg, const SQObjectPtr &o1, const SQObjectPtr &o2);
    bool NEG_OP(SQObjectPtr &trg, const SQObjectPtr &o1);
    bool FOREACH_OP(SQInteger container, SQInteger keyreg, SQInteger exitpos, SQInteger &jump, bool &resumed);
    bool DerefInc(SQInteger op, SQObjectPtr &target, const SQObjectPtr &self, const SQObjectPtr &key,
                  const SQObjectPtr &incr, bool postfix);
    bool CLOSURE_OP(SQObjectPtr &target, SQFunctionProto *func);
    bool GETVARGV_OP(SQObjectPtr &target, const SQObjectPtr &idx);
    bool CLASS_OP(SQObjectPtr &target, SQInteger base, SQInteger attributes);
    bool NEWSLOTA_OP(SQInteger flags, const SQObjectPtr &self, const SQObjectPtr &key, const SQObjectPtr &val,
                     const SQObjectPtr &attrs);
    [[gnu::always_inline]] inline void LeaveFrame();
    void PushCallInfo(const SQCallInfo &nci);

    // Errors (set _lasterror to a string built from the message).
    void Raise_Error(const SQChar *s, ...);
    void Raise_Error(const SQObjectPtr &desc);
    void Raise_IdxError(const SQObject &o);
    void Raise_CompareError(const SQObject &o1, const SQObject &o2);
    void Raise_ParamTypeError(SQInteger nparam, SQInteger typemask, SQInteger type);

    // Stack access.
    // A push past the stack's capacity is dropped (only a native that pushes without bound gets
    // there: script calls stop far below it with "stack overflow").
    void Push(const SQObject &o) {
        if (_top >= static_cast<SQInteger>(_stack.size()) && !EnsureStack(_top + 1)) return;
        _stack[static_cast<size_t>(_top++)] = o;
    }
    void Pop() { _stack[static_cast<size_t>(--_top)].Null(); }
    void Pop(SQInteger n) {
        for (SQInteger i = 0; i < n; i++) _stack[static_cast<size_t>(--_top)].Null();
    }
    void Remove(SQInteger n);
    SQObjectPtr &Top() { return _stack[static_cast<size_t>(_top - 1)]; }
    SQObjectPtr &PopGet() { return _stack[static_cast<size_t>(--_top)]; }
    SQObjectPtr &GetUp(SQInteger n) { return _stack[static_cast<size_t>(_top + n)]; }
    SQObjectPtr &GetAt(SQInteger n) { return _stack[static_cast<size_t>(n)]; }
    // Makes sure cells [0, size) exist (cells never move); false beyond the stack's capacity.
    bool EnsureStack(SQInteger size);
    // Room for a new frame reaching cell `top`: false and "stack overflow" past the limits.
    bool CheckFrameRoom(SQInteger top);
    // Cells a script frame at stackbase may touch, whatever its declared stack size (what a call
    // makes sure of before the frame runs).
    static SQInteger FrameStackNeed(SQInteger stackbase, SQInteger stacksize);
    // Most call frames a thread holds.
    static SQInteger MaxCallDepth();

    SQValueStack _stack;
    std::vector<SQObjectPtr> _vargsstack;
    SQInteger _top = 0;
    SQInteger _stackbase = 0;
    SQObjectPtr _roottable;
    SQObjectPtr _lasterror;
    SQObjectPtr _errorhandler;
    SQObjectPtr _debughook;
    SQObjectPtr temp_reg;
    std::vector<SQCallInfo> _callsstack;
    SQInteger _callsstacksize = 0;
    SQCallInfo *ci = nullptr;
    std::vector<SQExceptionTrap> _etraps;
    SQUserPointer _foreignptr = nullptr;
    SQInteger _nnativecalls = 0;
    bool _suspended = false;
    bool _suspended_root = false;
    SQInteger _suspended_target = -1;
    SQInteger _suspended_traps = 0;
    bool _debughook_running = false;  // the hook gets no events for its own frames
    // Backward jumps, calls and caught exceptions left before the VM stops script code with
    // "execution budget exhausted" (the fuzz target's bound on loaded code; never set otherwise).
    // Bulk work (long strings, big arrays) spends one unit per 64 KiB.
    // With a watchdog (sq_setwatchdog) the budget is its interval, and a spent budget is the watchdog's
    // turn: it runs and the budget starts again.
    std::int64_t _budget = INT64_MAX;
    void SpendBulk(std::int64_t bytes) { _budget -= bytes >> 16; }
    // The budget has gone below zero: true when it is spent for good.
    bool BudgetSpent();
};

struct SQAutoDec {
    explicit SQAutoDec(SQInteger *n) : _n(n) {}
    ~SQAutoDec() { (*_n)--; }
    SQInteger *_n;
};

inline SQObjectPtr &stack_get(HSQUIRRELVM v, SQInteger idx) {
    return (idx >= 0) ? v->GetAt(idx + v->_stackbase - 1) : v->GetUp(idx);
}

#define _ss(_vm_) (_vm_)->_sharedstate
#define _opt_ss(_vm_) (_vm_)->_sharedstate

