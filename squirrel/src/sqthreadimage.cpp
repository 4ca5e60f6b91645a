#include "sqthreadimage.h"

#include <algorithm>
#include <limits>

#include "sqinternal.h"

namespace {

SQFunctionProto *protoOf(const SQObjectPtr &closure) { return closure._unVal.pClosure->Proto(); }

// A register of a frame running proto.
bool isRegister(int64_t index, const SQFunctionProto *proto) { return index >= 0 && index < proto->_stacksize; }

bool fitsU16(SQInteger value) { return value >= 0 && value <= std::numeric_limits<uint16_t>::max(); }

}  // namespace

const char *SQThreadImage::capture(SQVM *thread) {
    SQInteger count = thread->_callsstacksize;
    // A thread in the middle of a call (the one saving, or one that called it) has native frames
    // and registers in use that no file can bring back.
    if (count > 0 && !thread->_suspended) return "the thread is running";
    stack.assign(thread->_stack.begin(), thread->_stack.end());
    top = static_cast<uint32_t>(thread->_top);
    base = static_cast<uint32_t>(thread->_stackbase);
    nativeCalls = static_cast<uint32_t>(thread->_nnativecalls);
    temporary = thread->temp_reg;
    varargs = thread->_vargsstack;
    frameCapacity = static_cast<uint32_t>(thread->_callsstack.size());
    frameStorage = static_cast<uint32_t>(thread->_callsstack.size());
    suspended = thread->_suspended;
    if (suspended) {
        const SQCallInfo &current = thread->_callsstack[static_cast<size_t>(count - 1)];
        suspendedRoot = thread->_suspended_root;
        suspendedTarget = static_cast<int32_t>(thread->_suspended_target);
        suspendedTraps = static_cast<uint32_t>(thread->_suspended_traps);
        suspendedVarargCount = static_cast<uint16_t>(current._vargs_size);
        suspendedVarargBase = static_cast<uint16_t>(current._vargs_base);
    }
    frames.clear();
    traps.clear();
    size_t trapIndex = 0;
    for (SQInteger k = 0; k < count; k++) {
        const SQCallInfo &call = thread->_callsstack[static_cast<size_t>(k)];
        if (sq_type(call._closure) != OT_CLOSURE) return "a frame of a native function";
        if (!fitsU16(call._vargs_size) || !fitsU16(call._vargs_base)) return "too many variable arguments";
        const SQFunctionProto *proto = protoOf(call._closure);
        Frame frame;
        frame.traps = static_cast<uint32_t>(call._etraps);
        frame.previousBase = static_cast<uint32_t>(call._prevstkbase);
        frame.previousTop = static_cast<uint32_t>(call._prevtop);
        frame.target = static_cast<int32_t>(call._target);
        frame.calls = static_cast<uint32_t>(call._ncalls);
        frame.root = call._root;
        frame.varargCount = static_cast<uint16_t>(call._vargs_size);
        frame.varargBase = static_cast<uint16_t>(call._vargs_base);
        frame.instruction = static_cast<uint32_t>(call._ip - proto->_instructions.data());
        frame.closure = call._closure;
        frames.push_back(frame);
        for (SQInteger n = 0; n < call._etraps; n++, trapIndex++) {
            if (trapIndex >= thread->_etraps.size()) return "exception traps out of step with the frames";
            const SQExceptionTrap &pushed = thread->_etraps[trapIndex];
            traps.push_back({static_cast<uint32_t>(pushed._stackbase), static_cast<uint32_t>(pushed._stacksize),
                             static_cast<uint32_t>(pushed._ip - proto->_instructions.data()),
                             static_cast<int32_t>(pushed._extarget)});
        }
    }
    if (trapIndex != thread->_etraps.size()) return "exception traps out of step with the frames";
    return nullptr;
}

std::vector<uint32_t> SQThreadImage::frameBases() const {
    std::vector<uint32_t> bases(frames.size() + 1);
    uint32_t at = base;
    for (size_t k = frames.size(); k-- > 0;) {
        bases[k] = at;
        at -= frames[k].previousBase;
    }
    bases[frames.size()] = at;
    return bases;
}

const char *SQThreadImage::check() const {
    const uint64_t size = stack.size();
    if (size > static_cast<uint64_t>(SQValueStack::kCapacity)) return "value stack too large";
    if (top > size || base > top) return "stack top or base outside the stack";
    // Slot 0 holds the thread's function: calling a thread reads below what it pushes.
    if (top < 1) return "no function slot on the stack";
    if (frames.size() > frameCapacity || frameCapacity > static_cast<uint64_t>(SQVM::MaxCallDepth()))
        return "call frames beyond their capacity";
    if (nativeCalls > MAX_NATIVE_CALLS) return "native call depth too large";
    if (frames.empty()) {
        if (suspended) return "suspended without a call frame";
        if (!traps.empty()) return "exception traps without a call frame";
        return nullptr;
    }
    if (!suspended) return "call frames in a thread that is not suspended";

    // Stack bases from the innermost frame outwards; none may fall below the stack.
    uint32_t at = base;
    for (size_t k = frames.size(); k-- > 0;) {
        if (frames[k].previousBase > at) return "a call frame below the stack";
        at -= frames[k].previousBase;
    }
    std::vector<uint32_t> bases = frameBases();

    uint64_t varargsLeft = varargs.size();
    uint64_t trapCount = 0;
    for (size_t k = frames.size(); k-- > 0;) {
        const Frame &frame = frames[k];
        // The frame's variable arguments are the ones left when every inner frame has dropped its own.
        if (uint64_t(frame.varargBase) + frame.varargCount > varargsLeft) return "variable arguments outside the stack";
        varargsLeft -= frame.varargCount;
        trapCount += frame.traps;
    }
    if (trapCount != traps.size()) return "exception trap count without its traps";

    for (size_t k = 0; k < frames.size(); k++) {
        const Frame &frame = frames[k];
        if (sq_type(frame.closure) != OT_CLOSURE) return "a call frame without a script function";
        const SQFunctionProto *proto = protoOf(frame.closure);
        if (frame.instruction >= proto->_instructions.size()) return "instruction outside the function";
        if (frame.calls < 1 || frame.calls > static_cast<uint64_t>(SQVM::MaxCallDepth()))
            return "call count out of range";
        // Only the outermost frame ends the resumed run.
        if (frame.root != (k == 0)) return "root flag on an inner frame";
        if (frame.target < -1 || (k > 0 && frame.target >= protoOf(frames[k - 1].closure)->_stacksize) ||
            (k == 0 && frame.target >= 256))
            return "result register outside the caller";
        uint32_t callerBase = k == 0 ? bases[frames.size()] : bases[k - 1];
        if (uint64_t(callerBase) + frame.previousTop > size) return "caller's top outside the stack";
        if (SQVM::FrameStackNeed(bases[k], proto->_stacksize) > SQValueStack::kCapacity)
            return "call frame beyond the stack's capacity";
    }

    size_t trapIndex = 0;
    for (size_t k = 0; k < frames.size(); k++) {
        const SQFunctionProto *proto = protoOf(frames[k].closure);
        for (uint32_t n = 0; n < frames[k].traps; n++, trapIndex++) {
            const Trap &trap = traps[trapIndex];
            if (trap.stackBase != bases[k] || trap.stackTop < bases[k] || trap.stackTop > size)
                return "exception trap outside its frame";
            if (trap.instruction >= proto->_instructions.size()) return "exception trap outside the function";
            if (!isRegister(trap.target, proto)) return "exception trap register outside the frame";
        }
    }

    const SQFunctionProto *current = protoOf(frames.back().closure);
    if (suspendedTarget != -1 && !isRegister(suspendedTarget, current)) return "suspend target outside the frame";
    if (suspendedRoot != frames.back().root) return "suspend root flag differs from the frame's";
    if (suspendedTraps != traps.size()) return "suspended trap count without its traps";
    if (uint64_t(suspendedVarargBase) + suspendedVarargCount > varargs.size())
        return "suspended variable arguments outside the stack";
    return nullptr;
}

void SQThreadImage::applyTo(SQVM *thread) const {
    std::vector<uint32_t> bases = frameBases();
    SQInteger need = static_cast<SQInteger>(stack.size());
    for (size_t k = 0; k < frames.size(); k++)
        need = std::max(need, SQVM::FrameStackNeed(bases[k], protoOf(frames[k].closure)->_stacksize));
    thread->EnsureStack(need);
    for (size_t i = 0; i < thread->_stack.size(); i++) thread->_stack[i] = i < stack.size() ? stack[i] : SQObjectPtr();
    thread->_top = top;
    thread->_stackbase = base;
    thread->_vargsstack = varargs;
    thread->temp_reg = temporary;
    thread->_nnativecalls = nativeCalls;

    // A call pushed onto a full array doubles it, so it never starts out empty.
    thread->_callsstack.assign(std::max<size_t>({frameCapacity, frames.size(), 4}), SQCallInfo());
    thread->_etraps.clear();
    size_t trapIndex = 0;
    for (size_t k = 0; k < frames.size(); k++) {
        const Frame &frame = frames[k];
        SQFunctionProto *proto = protoOf(frame.closure);
        SQCallInfo &call = thread->_callsstack[k];
        call._closure = frame.closure;
        call._ip = proto->_instructions.data() + frame.instruction;
        call._literals = proto->_literals.data();
        call._generator = nullptr;
        call._etraps = frame.traps;
        call._prevstkbase = frame.previousBase;
        call._prevtop = frame.previousTop;
        call._target = frame.target;
        call._ncalls = frame.calls;
        call._root = frame.root;
        call._vargs_size = frame.varargCount;
        call._vargs_base = frame.varargBase;
        for (uint32_t n = 0; n < frame.traps; n++, trapIndex++) {
            const Trap &trap = traps[trapIndex];
            SQExceptionTrap pushed;
            pushed._stackbase = trap.stackBase;
            pushed._stacksize = trap.stackTop;
            pushed._ip = proto->_instructions.data() + trap.instruction;
            pushed._extarget = trap.target;
            thread->_etraps.push_back(pushed);
        }
    }
    thread->_callsstacksize = static_cast<SQInteger>(frames.size());
    thread->ci = frames.empty() ? nullptr : &thread->_callsstack[frames.size() - 1];
    thread->_suspended = suspended;
    thread->_suspended_root = suspended && suspendedRoot;
    thread->_suspended_target = suspended ? suspendedTarget : -1;
    thread->_suspended_traps = suspended ? suspendedTraps : 0;
}
