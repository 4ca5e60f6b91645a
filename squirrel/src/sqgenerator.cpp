#include "sqgenerator.h"

#include <algorithm>

#include "sqinternal.h"

SQGenerator *SQGenerator::Create(SQSharedState *ss, SQClosure *closure) { return new SQGenerator(ss, closure); }

SQGenerator::SQGenerator(SQSharedState *ss, SQClosure *closure) : SQCollectable(ss) { _closure = SQObjectPtr(closure); }

void SQGenerator::Release() { delete this; }

void SQGenerator::Finalize() {
    _stack.clear();
    _vargsstack.clear();
    _closure.Null();
    _ci._closure.Null();
}

void SQGenerator::Mark(SQGCMarker &marker) {
    for (const SQObjectPtr &o : _stack) marker.MarkObject(o);
    for (const SQObjectPtr &o : _vargsstack) marker.MarkObject(o);
    marker.MarkObject(_closure);
    marker.MarkObject(_ci._closure);
}

void SQGenerator::Kill() {
    _state = eDead;
    _stack.clear();
    _vargsstack.clear();
    _etraps.clear();
    _closure.Null();
}

bool SQGenerator::Yield(SQVM *v) {
    if (_state == eSuspended) {
        v->Raise_Error("internal vm error, yielding dead generator");
        return false;
    }
    if (_state == eDead) {
        v->Raise_Error("internal vm error, yielding a dead generator");
        return false;
    }
    SQInteger size = v->_top - v->_stackbase;
    _ci = *v->ci;
    _stack.resize(static_cast<size_t>(size));
    for (SQInteger n = 0; n < size; n++) {
        _stack[static_cast<size_t>(n)] = std::move(v->_stack[static_cast<size_t>(v->_stackbase + n)]);
    }
    _vargsstack.clear();
    for (SQInteger n = 0; n < v->ci->_vargs_size; n++) {
        _vargsstack.push_back(v->_vargsstack[static_cast<size_t>(v->ci->_vargs_base + n)]);
    }
    _ci._generator = nullptr;
    // Traps are kept relative to the frame so that they can be restored at another stack base.
    _etraps.clear();
    size_t first = v->_etraps.size() - static_cast<size_t>(_ci._etraps);
    for (size_t i = first; i < v->_etraps.size(); i++) {
        SQExceptionTrap t = v->_etraps[i];
        t._stackbase -= v->_stackbase;
        t._stacksize -= v->_stackbase;
        _etraps.push_back(t);
    }
    v->_etraps.resize(first);
    _state = eSuspended;
    return true;
}

bool SQGenerator::Resume(SQVM *v, SQInteger target) {
    if (_state == eDead) {
        v->Raise_Error("resuming dead generator");
        return false;
    }
    if (_state == eRunning) {
        v->Raise_Error("resuming active generator");
        return false;
    }
    SQInteger size = static_cast<SQInteger>(_stack.size());
    SQInteger prevtop = v->_top - v->_stackbase;
    SQInteger oldstackbase = v->_stackbase;
    SQInteger newbase = v->_top;
    if (!v->CheckFrameRoom(newbase + size)) return false;
    v->EnsureStack(newbase + std::max<SQInteger>(size, 256) + 16);
    v->PushCallInfo(_ci);
    v->_stackbase = newbase;
    v->ci->_target = target;
    v->ci->_generator = this;
    v->ci->_root = false;
    for (const SQExceptionTrap &t0 : _etraps) {
        SQExceptionTrap t = t0;
        t._stackbase += newbase;
        t._stacksize += newbase;
        v->_etraps.push_back(t);
    }
    _etraps.clear();
    for (SQInteger n = 0; n < size; n++) {
        v->_stack[static_cast<size_t>(newbase + n)] = std::move(_stack[static_cast<size_t>(n)]);
    }
    _stack.clear();
    v->ci->_vargs_size = static_cast<SQInteger>(_vargsstack.size());
    v->ci->_vargs_base = static_cast<SQInteger>(v->_vargsstack.size());
    for (const SQObjectPtr &o : _vargsstack) v->_vargsstack.push_back(o);
    _vargsstack.clear();
    v->_top = newbase + size;
    v->ci->_prevtop = prevtop;
    v->ci->_prevstkbase = newbase - oldstackbase;
    _state = eRunning;
    if (sq_type(v->_debughook) != OT_NULL) v->CallDebugHook('c');
    return true;
}
