#include "sqvm.h"

#include <cmath>
#include <cstdarg>
#include <algorithm>
#include <cstdio>
#include <new>
#include <string>

#include "sqfuncproto.h"
#include "sqinternal.h"

static constexpr SQInteger kMinStackOverhead = 16;
// Registers a frame may address whatever its prototype declares (8-bit operands).
static constexpr SQInteger kFrameRegisters = 256;
// Deepest chain of call frames; beyond it a call fails with "stack overflow".
static constexpr SQInteger kMaxCallDepth = 1 << 18;
// Table and array size hints in bytecode are only hints: larger ones are not honoured.
static constexpr SQInteger kMaxSizeHint = 1 << 16;
// Longest string concatenation makes (lengths are 32-bit).
static constexpr SQInteger kMaxStringLength = 1 << 30;

SQVM::SQVM(SQSharedState *ss) : SQCollectable(ss) {}

SQVM::~SQVM() { Finalize(); }

void SQVM::Release() { delete this; }

bool SQVM::BudgetSpent() {
    SQSharedState *ss = _sharedstate;
    if (!ss->_watchdog) return true;
    _budget = ss->_watchdoginterval;
    ss->_watchdog(this, ss->_watchdogdata);
    return false;
}

bool SQVM::Init(SQVM *friendvm, SQInteger stacksize) {
    if (_sharedstate->_watchdog) _budget = _sharedstate->_watchdoginterval;
    if (stacksize < 64) stacksize = 64;
    if (stacksize > SQValueStack::kScriptLimit) stacksize = SQValueStack::kScriptLimit;
    if (!_stack.Reserve() || !_stack.Grow(stacksize)) return false;
    _callsstack.resize(4);
    _callsstacksize = 0;
    ci = nullptr;
    _top = 0;
    _stackbase = 0;
    if (friendvm) {
        _roottable = friendvm->_roottable;
        _errorhandler = friendvm->_errorhandler;
        _debughook = friendvm->_debughook;
    } else {
        _roottable = SQTable::Create(_sharedstate, 0);
    }
    return true;
}

void SQVM::Finalize() {
    _roottable.Null();
    _lasterror.Null();
    _errorhandler.Null();
    _debughook.Null();
    temp_reg.Null();
    for (SQInteger i = 0; i < _callsstacksize; i++) _callsstack[static_cast<size_t>(i)]._closure.Null();
    _callsstacksize = 0;
    ci = nullptr;
    for (SQObjectPtr &o : _stack) o.Null();
    _vargsstack.clear();
    _etraps.clear();
    _top = 0;
    _stackbase = 0;
}

void SQVM::Mark(SQGCMarker &marker) {
    marker.MarkObject(_roottable);
    marker.MarkObject(_lasterror);
    marker.MarkObject(_errorhandler);
    marker.MarkObject(_debughook);
    marker.MarkObject(temp_reg);
    for (const SQObjectPtr &o : _stack) marker.MarkObject(o);
    for (const SQObjectPtr &o : _vargsstack) marker.MarkObject(o);
    for (SQInteger i = 0; i < _callsstacksize; i++) marker.MarkObject(_callsstack[static_cast<size_t>(i)]._closure);
}

bool SQVM::EnsureStack(SQInteger size) {
    SQInteger have = static_cast<SQInteger>(_stack.size());
    if (size <= have) return true;
    if (size > SQValueStack::kCapacity) return false;
    return _stack.Grow(std::min(std::max(size, have * 2), SQValueStack::kCapacity));
}

bool SQVM::CheckFrameRoom(SQInteger top) {
    if (top > SQValueStack::kScriptLimit || _callsstacksize >= kMaxCallDepth) {
        Raise_Error("stack overflow");
        return false;
    }
    return true;
}

SQInteger SQVM::FrameStackNeed(SQInteger stackbase, SQInteger stacksize) {
    return std::max(stackbase + stacksize, stackbase + kFrameRegisters) + kMinStackOverhead;
}

SQInteger SQVM::MaxCallDepth() { return kMaxCallDepth; }

void SQVM::PushCallInfo(const SQCallInfo &nci) {
    if (_callsstacksize == static_cast<SQInteger>(_callsstack.size())) _callsstack.resize(_callsstack.size() * 2);
    ci = &_callsstack[static_cast<size_t>(_callsstacksize++)];
    *ci = nci;
}

inline void SQVM::LeaveFrame() {
    // Every cell of the frame dies with it, including the caller's argument cells it started
    // at, so that what the script dropped is released now rather than when a register is reused.
    SQInteger last_top = _top, first = _stackbase;
    SQInteger css = --_callsstacksize;
    ci->_closure.Null();
    for (SQInteger n = 0; n < ci->_vargs_size; n++) _vargsstack.pop_back();
    _stackbase -= ci->_prevstkbase;
    _top = _stackbase + ci->_prevtop;
    ci = css ? &_callsstack[static_cast<size_t>(css - 1)] : nullptr;
    while (last_top > first) _stack[static_cast<size_t>(--last_top)].Null();
}

void SQVM::Remove(SQInteger n) {
    n = (n >= 0) ? n + _stackbase - 1 : _top + n;
    for (SQInteger i = n; i < _top - 1; i++) _stack[static_cast<size_t>(i)] = _stack[static_cast<size_t>(i + 1)];
    _stack[static_cast<size_t>(_top - 1)].Null();
    _top--;
}

// ---------------------------------------------------------------------------------------------
// Errors

void SQVM::Raise_Error(const SQChar *s, ...) {
    va_list vl;
    va_start(vl, s);
    va_list vl2;
    va_copy(vl2, vl);
    int n = std::vsnprintf(nullptr, 0, s, vl2);
    va_end(vl2);
    std::vector<SQChar> buf(static_cast<size_t>(n > 0 ? n : 0) + 1);
    std::vsnprintf(buf.data(), buf.size(), s, vl);
    va_end(vl);
    _lasterror = SQString::Create(_sharedstate, buf.data(), n > 0 ? n : 0);
}

void SQVM::Raise_Error(const SQObjectPtr &desc) { _lasterror = desc; }

SQString *SQVM::PrintObjVal(const SQObject &o) {
    char buf[64];
    switch (sq_type(o)) {
    case OT_STRING: return _string(o);
    case OT_INTEGER:
        std::snprintf(buf, sizeof(buf), "%d", _integer(o));
        return SQString::Create(_sharedstate, buf, -1);
    case OT_FLOAT:
        std::snprintf(buf, sizeof(buf), "%.14g", static_cast<double>(_float(o)));
        return SQString::Create(_sharedstate, buf, -1);
    default: return SQString::Create(_sharedstate, GetTypeName(o), -1);
    }
}

void SQVM::Raise_IdxError(const SQObject &o) {
    SQObjectPtr oval = PrintObjVal(o);
    Raise_Error("the index '%.50s' does not exist", _stringval(oval));
}

void SQVM::Raise_CompareError(const SQObject &o1, const SQObject &o2) {
    SQObjectPtr oval1 = PrintObjVal(o1), oval2 = PrintObjVal(o2);
    Raise_Error("comparsion between '%.50s' and '%.50s'", _stringval(oval1), _stringval(oval2));
}

void SQVM::Raise_ParamTypeError(SQInteger nparam, SQInteger typemask, SQInteger type) {
    std::string exptypes;
    for (SQInteger i = 0; i < 16; i++) {
        SQInteger mask = 1 << i;
        if (typemask & mask) {
            if (!exptypes.empty()) exptypes += "|";
            exptypes += GetTypeName(static_cast<SQObjectType>(mask));
        }
    }
    Raise_Error("parameter %d has an invalid type '%s' ; expected: '%s'", nparam,
                GetTypeName(static_cast<SQObjectType>(type)), exptypes.c_str());
}

// ---------------------------------------------------------------------------------------------
// Value operations

bool SQVM::IsEqual(const SQObject &o1, const SQObject &o2) {
    if (sq_type(o1) == sq_type(o2)) return _rawval(o1) == _rawval(o2);
    if (sq_isnumeric(o1) && sq_isnumeric(o2)) {
        double d1 = sq_type(o1) == OT_INTEGER ? static_cast<double>(_integer(o1)) : static_cast<double>(_float(o1));
        double d2 = sq_type(o2) == OT_INTEGER ? static_cast<double>(_integer(o2)) : static_cast<double>(_float(o2));
        return d1 == d2;
    }
    return false;
}

bool SQVM::GetMetaMethod(const SQObject &o, SQMetaMethod mm, SQObjectPtr &closure) {
    switch (sq_type(o)) {
    case OT_TABLE:
    case OT_USERDATA: {
        SQTable *del = _delegable(o)->_delegate;
        return del && del->Get(_sharedstate->_metamethods[mm], closure);
    }
    case OT_INSTANCE: {
        SQClass *c = _instance(o)->_class;
        if (c && sq_type(c->_metamethods[mm]) != OT_NULL) {
            closure = c->_metamethods[mm];
            return true;
        }
        return false;
    }
    default: return false;
    }
}

bool SQVM::CallMetaMethod(const SQObject &o, SQMetaMethod mm, SQInteger nparams, SQObjectPtr &outres) {
    SQObjectPtr closure;
    if (GetMetaMethod(o, mm, closure)) {
        if (Call(closure, nparams, _top - nparams, outres, SQFalse)) {
            Pop(nparams);
            return true;
        }
    }
    Pop(nparams);
    return false;
}

bool SQVM::ArithMetaMethod(SQInteger op, const SQObjectPtr &o1, const SQObjectPtr &o2, SQObjectPtr &dest) {
    SQMetaMethod mm;
    switch (op) {
    case '+': mm = MT_ADD; break;
    case '-': mm = MT_SUB; break;
    case '/': mm = MT_DIV; break;
    case '*': mm = MT_MUL; break;
    case '%': mm = MT_MODULO; break;
    default: return false;
    }
    if (is_delegable(o1)) {
        Push(o1);
        Push(o2);
        return CallMetaMethod(o1, mm, 2, dest);
    }
    return false;
}

static inline SQInteger sqWrapAdd(SQInteger a, SQInteger b) {
    return static_cast<SQInteger>(static_cast<SQUnsignedInteger>(a) + static_cast<SQUnsignedInteger>(b));
}
static inline SQInteger sqWrapSub(SQInteger a, SQInteger b) {
    return static_cast<SQInteger>(static_cast<SQUnsignedInteger>(a) - static_cast<SQUnsignedInteger>(b));
}
static inline SQInteger sqWrapMul(SQInteger a, SQInteger b) {
    return static_cast<SQInteger>(static_cast<SQUnsignedInteger>(a) * static_cast<SQUnsignedInteger>(b));
}
// Integer arithmetic of the common cases; false for division/modulo by 0 or -1 (slow path).
static inline bool sqFastIntArith(SQInteger op, SQInteger a, SQInteger b, SQInteger &r) {
    switch (op) {
    case '+': r = sqWrapAdd(a, b); return true;
    case '-': r = sqWrapSub(a, b); return true;
    case '*': r = sqWrapMul(a, b); return true;
    case '/':
        if (b == 0 || b == -1) return false;
        r = a / b;
        return true;
    case '%':
        if (b == 0 || b == -1) return false;
        r = a % b;
        return true;
    default: return false;
    }
}
// Integer with integer or float with float, the common cases of ARITH and COMPARITHL: the result
// (what the general path gives) in r; false for every other case.
[[gnu::always_inline]] static inline bool sqFastArith(SQInteger op, const SQObject &o1, const SQObject &o2, SQObject &r) {
    if (sq_type(o1) == OT_INTEGER && sq_type(o2) == OT_INTEGER) {
        SQInteger i;
        if (!sqFastIntArith(op, _integer(o1), _integer(o2), i)) return false;
        r._type = OT_INTEGER;
        r._unVal.raw = sqRawOfInteger(i);
        return true;
    }
    if (sq_type(o1) == OT_FLOAT && sq_type(o2) == OT_FLOAT && op != '%') {
        // Float with float: the result rounded once, as the general path does.
        double f1 = _float(o1), f2 = _float(o2);
        double f = op == '+' ? f1 + f2 : op == '-' ? f1 - f2 : op == '*' ? f1 * f2 : f1 / f2;
        r._type = OT_FLOAT;
        r._unVal.raw = sqRawOfFloat(static_cast<SQFloat>(f));
        return true;
    }
    return false;
}
static inline double sqNumToDouble(const SQObject &o) {
    return sq_type(o) == OT_INTEGER ? static_cast<double>(_integer(o)) : static_cast<double>(_float(o));
}

bool SQVM::ARITH_OP(SQUnsignedInteger op, SQObjectPtr &trg, const SQObjectPtr &o1, const SQObjectPtr &o2) {
    SQObject fast;
    if (sqFastArith(static_cast<SQInteger>(op), o1, o2, fast)) {
        trg.SetScalar(fast);
        return true;
    }
    if (sq_isnumeric(o1) && sq_isnumeric(o2)) {
        if (sq_type(o1) == OT_INTEGER && sq_type(o2) == OT_INTEGER) {
            // What the fast path leaves: division and modulo by 0 or -1 (and unknown kinds).
            if (_integer(o2) == 0 && (op == '/' || op == '%')) {
                Raise_Error(op == '/' ? "division by zero" : "modulo by zero");
                return false;
            }
            trg = SQObjectPtr(op == '/' ? sqWrapSub(0, _integer(o1)) : 0);
            return true;
        }
        // Mixed or float: the integer enters exactly, only the result is rounded to float.
        double f1 = sqNumToDouble(o1), f2 = sqNumToDouble(o2), res;
        switch (op) {
        case '+': res = f1 + f2; break;
        case '-': res = f1 - f2; break;
        case '*': res = f1 * f2; break;
        case '/': res = f1 / f2; break;
        case '%': res = std::fmod(static_cast<double>(static_cast<float>(f1)), static_cast<double>(static_cast<float>(f2))); break;
        default: res = 0; break;
        }
        trg = SQObjectPtr(static_cast<SQFloat>(res));
        return true;
    }
    if (op == '+' && (sq_type(o1) == OT_STRING || sq_type(o2) == OT_STRING)) return StringCat(o1, o2, trg);
    if (ArithMetaMethod(op, o1, o2, trg)) return true;
    Raise_Error("arith op %c on between '%s' and '%s'", static_cast<int>(op), GetTypeName(o1), GetTypeName(o2));
    return false;
}

// Bitwise operation of BITW on two integers; false for an unknown kind.
[[gnu::always_inline]] static inline bool sqIntBitwise(SQUnsignedInteger op, SQInteger i1, SQInteger i2, SQInteger &res) {
    SQUnsignedInteger count = static_cast<SQUnsignedInteger>(i2) & 31u;
    switch (op) {
    case BW_AND: res = i1 & i2; return true;
    case BW_OR: res = i1 | i2; return true;
    case BW_XOR: res = i1 ^ i2; return true;
    case BW_SHIFTL: res = static_cast<SQInteger>(static_cast<SQUnsignedInteger>(i1) << count); return true;
    case BW_SHIFTR: res = i1 >> count; return true;
    case BW_USHIFTR: res = static_cast<SQInteger>(static_cast<SQUnsignedInteger>(i1) >> count); return true;
    default: return false;
    }
}

bool SQVM::BW_OP(SQUnsignedInteger op, SQObjectPtr &trg, const SQObjectPtr &o1, const SQObjectPtr &o2) {
    if (sq_type(o1) == OT_INTEGER && sq_type(o2) == OT_INTEGER) {
        SQInteger res;
        if (!sqIntBitwise(op, _integer(o1), _integer(o2), res)) {
            Raise_Error("internal vm error bitwise op failed");
            return false;
        }
        trg = SQObjectPtr(res);
        return true;
    }
    Raise_Error("bitwise op between '%s' and '%s'", GetTypeName(o1), GetTypeName(o2));
    return false;
}

bool SQVM::NEG_OP(SQObjectPtr &trg, const SQObjectPtr &o) {
    switch (sq_type(o)) {
    case OT_INTEGER: trg = SQObjectPtr(sqWrapSub(0, _integer(o))); return true;
    case OT_FLOAT: trg = SQObjectPtr(-_float(o)); return true;
    case OT_TABLE:
    case OT_USERDATA:
    case OT_INSTANCE: {
        SQObjectPtr closure;
        if (GetMetaMethod(o, MT_UNM, closure)) {
            SQObjectPtr self = o;
            Push(self);
            SQObjectPtr res;
            if (CallMetaMethod(self, MT_UNM, 1, res)) {
                trg = res;
                return true;
            }
        }
        break;
    }
    default: break;
    }
    Raise_Error("attempt to negate a %s", GetTypeName(o));
    return false;
}

bool SQVM::ObjCmp(const SQObjectPtr &o1, const SQObjectPtr &o2, SQInteger &res) {
    if (sq_type(o1) == sq_type(o2)) {
        if (_rawval(o1) == _rawval(o2)) {
            res = 0;
            return true;
        }
        switch (sq_type(o1)) {
        case OT_STRING: {
            int r = std::strcmp(_stringval(o1), _stringval(o2));
            res = r < 0 ? -1 : (r > 0 ? 1 : 0);
            return true;
        }
        case OT_INTEGER: {
            SQInteger d = sqWrapSub(_integer(o1), _integer(o2));
            res = d < 0 ? -1 : (d > 0 ? 1 : 0);
            return true;
        }
        case OT_FLOAT: res = (_float(o1) < _float(o2)) ? -1 : 1; return true;
        case OT_TABLE:
        case OT_USERDATA:
        case OT_INSTANCE: {
            SQObjectPtr closure;
            if (GetMetaMethod(o1, MT_CMP, closure)) {
                SQObjectPtr a = o1, b = o2, r;
                Push(a);
                Push(b);
                if (CallMetaMethod(a, MT_CMP, 2, r)) {
                    if (sq_type(r) != OT_INTEGER) {
                        Raise_CompareError(a, b);
                        return false;
                    }
                    res = _integer(r);
                    return true;
                }
            }
            break;
        }
        default: break;
        }
        res = (_rawval(o1) < _rawval(o2)) ? -1 : 1;
        return true;
    }
    if (sq_isnumeric(o1) && sq_isnumeric(o2)) {
        double d1 = sqNumToDouble(o1), d2 = sqNumToDouble(o2);
        res = (d1 == d2) ? 0 : (d1 < d2 ? -1 : 1);
        return true;
    }
    if (sq_type(o1) == OT_NULL) {
        res = -1;
        return true;
    }
    if (sq_type(o2) == OT_NULL) {
        res = 1;
        return true;
    }
    Raise_CompareError(o1, o2);
    return false;
}

bool SQVM::CMP_OP(SQCompareOp op, const SQObjectPtr &o1, const SQObjectPtr &o2, SQObjectPtr &res) {
    SQInteger r;
    if (!ObjCmp(o1, o2, r)) return false;
    switch (op) {
    case CMP_G: res = SQObjectPtr(r > 0); return true;
    case CMP_GE: res = SQObjectPtr(r >= 0); return true;
    case CMP_L: res = SQObjectPtr(r < 0); return true;
    case CMP_LE: res = SQObjectPtr(r <= 0); return true;
    }
    return false;
}

// Decimal text of an integer, written backwards from end; returns its first character.
static char *sqIntegerText(SQInteger n, char *end) {
    std::uint32_t u = n < 0 ? 0u - static_cast<std::uint32_t>(n) : static_cast<std::uint32_t>(n);
    do {
        *--end = static_cast<char>('0' + u % 10);
        u /= 10;
    } while (u != 0);
    if (n < 0) *--end = '-';
    return end;
}

// The text tostring gives a number or a bool, in buf; false for other types.
static bool sqScalarText(const SQObject &o, char (&buf)[SQVM::kScalarTextSize], const SQChar *&text, SQInteger &len) {
    switch (sq_type(o)) {
    case OT_INTEGER: {
        char *end = buf + sizeof buf;
        text = sqIntegerText(_integer(o), end);
        len = end - text;
        return true;
    }
    case OT_FLOAT: len = std::snprintf(buf, sizeof buf, "%g", static_cast<double>(_float(o))); break;
    case OT_BOOL: len = std::snprintf(buf, sizeof buf, "%s", _integer(o) ? "true" : "false"); break;
    default: return false;
    }
    text = buf;
    return true;
}

void SQVM::ToString(const SQObjectPtr &o, SQObjectPtr &res) {
    char buf[96];
    const SQChar *text = nullptr;
    SQInteger len = 0;
    switch (sq_type(o)) {
    case OT_STRING: res = o; return;
    case OT_FLOAT:
    case OT_INTEGER:
    case OT_BOOL: {
        char scalar[SQVM::kScalarTextSize];
        sqScalarText(o, scalar, text, len);
        res = SQString::Create(_sharedstate, text, len);
        return;
    }
    case OT_TABLE:
    case OT_USERDATA:
    case OT_INSTANCE: {
        SQObjectPtr closure;
        if (GetMetaMethod(o, MT_TOSTRING, closure)) {
            SQObjectPtr self = o, r;
            Push(self);
            if (CallMetaMethod(self, MT_TOSTRING, 1, r) && sq_type(r) == OT_STRING) {
                res = r;
                return;
            }
        }
    }
        [[fallthrough]];
    default:
        std::snprintf(buf, sizeof(buf), "(%s : 0x%p)", GetTypeName(o),
                      sq_type(o) == OT_NULL ? nullptr : reinterpret_cast<void *>(static_cast<std::uintptr_t>(_rawval(o))));
        break;
    }
    res = SQString::Create(_sharedstate, buf, -1);
}

// The text of an operand of concatenation: strings as they are, numbers and bools written into
// buf (no string made for them), anything else through ToString into holder.
void SQVM::CatText(const SQObjectPtr &o, SQObjectPtr &holder, char (&buf)[kScalarTextSize], const SQChar *&text,
                   SQInteger &len) {
    if (sq_type(o) == OT_STRING) {
        text = _stringval(o);
        len = _string(o)->_len;
    } else if (!sqScalarText(o, buf, text, len)) {
        ToString(o, holder);
        text = _stringval(holder);
        len = _string(holder)->_len;
    }
}

bool SQVM::StringCat(const SQObjectPtr &str, const SQObjectPtr &obj, SQObjectPtr &dest) {
    SQObjectPtr ha, hb;
    char ba[kScalarTextSize], bb[kScalarTextSize];
    const SQChar *a, *b;
    SQInteger l, ol;
    CatText(str, ha, ba, a, l);
    CatText(obj, hb, bb, b, ol);
    if (l > kMaxStringLength - ol) {
        Raise_Error("not enough memory");
        return false;
    }
    SpendBulk(static_cast<std::int64_t>(l) + ol);
    dest = _sharedstate->_stringtable->Concat(a, l, b, ol);
    return true;
}

bool SQVM::TypeOf(const SQObjectPtr &obj1, SQObjectPtr &dest) {
    SQObjectPtr closure;
    if (is_delegable(obj1) && GetMetaMethod(obj1, MT_TYPEOF, closure)) {
        SQObjectPtr self = obj1;
        Push(self);
        if (CallMetaMethod(self, MT_TYPEOF, 1, dest)) return true;
    }
    dest = SQString::Create(_sharedstate, GetTypeName(obj1), -1);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Slots

bool SQVM::Get(const SQObjectPtr &self, const SQObjectPtr &key, SQObjectPtr &dest, bool raw, bool fetchroot) {
    switch (sq_type(self)) {
    case OT_TABLE:
        if (_table(self)->Get(key, dest)) {
            if (sq_type(dest) == OT_WEAKREF) dest = sqDerefWeak(dest);
            return true;
        }
        break;
    case OT_ARRAY:
        if (sq_isnumeric(key)) return _array(self)->Get(sqToInteger(key), dest);
        break;
    case OT_INSTANCE:
        if (_instance(self)->Get(key, dest)) return true;
        break;
    case OT_STRING:
        if (sq_isnumeric(key)) {
            SQInteger n = sqToInteger(key);
            if (n >= 0 && n < _string(self)->_len) {
                dest = SQObjectPtr(static_cast<SQInteger>(static_cast<signed char>(_stringval(self)[n])));
                return true;
            }
            return false;
        }
        break;
    default: break;
    }
    // Copies: metamethod calls may grow (move) the value stack the arguments live in.
    SQObjectPtr s = self, k = key;
    if (FallBackGet(s, k, dest, raw)) return true;
    if (fetchroot && ci && sq_type(_roottable) == OT_TABLE &&
        _rawval(_stack[static_cast<size_t>(_stackbase)]) == _rawval(s) &&
        sq_type(_stack[static_cast<size_t>(_stackbase)]) == sq_type(s)) {
        if (_table(_roottable)->Get(k, dest)) {
            if (sq_type(dest) == OT_WEAKREF) dest = sqDerefWeak(dest);
            return true;
        }
    }
    return false;
}

// The _get and _set metamethods of self, when it has them; false when absent or failed.
bool SQVM::CallGetMetaMethod(const SQObjectPtr &self, const SQObjectPtr &key, SQObjectPtr &dest) {
    SQObjectPtr closure;
    if (!GetMetaMethod(self, MT_GET, closure)) return false;
    SQObjectPtr s = self, k = key;
    Push(s);
    Push(k);
    return CallMetaMethod(s, MT_GET, 2, dest);
}

bool SQVM::CallSetMetaMethod(const SQObjectPtr &self, const SQObjectPtr &key, const SQObjectPtr &val) {
    SQObjectPtr closure;
    if (!GetMetaMethod(self, MT_SET, closure)) return false;
    SQObjectPtr s = self, k = key, v = val, t;
    Push(s);
    Push(k);
    Push(v);
    return CallMetaMethod(s, MT_SET, 3, t);
}

// self and key must not live in the value stack (Get passes copies).
bool SQVM::FallBackGet(const SQObjectPtr &self, const SQObjectPtr &key, SQObjectPtr &dest, bool raw) {
    SQSharedState *ss = _sharedstate;
    switch (sq_type(self)) {
    case OT_CLASS: return _class(self)->Get(key, dest);
    case OT_TABLE:
    case OT_USERDATA: {
        if (!_delegable(self)->_delegate) {
            if (sq_type(self) != OT_TABLE || raw) return false;
            return _table(ss->_table_default_delegate)->Get(key, dest);
        }
        // Walked in a loop (chains can be very long): the own slots of every delegate down the
        // chain first, then, from the deepest level back up, each level's _get metamethod.
        std::vector<SQObjectPtr> chain;
        chain.push_back(self);
        for (SQTable *d = _delegable(self)->_delegate; d; d = d->_delegate) {
            if (d->Get(key, dest)) {
                if (sq_type(dest) == OT_WEAKREF) dest = sqDerefWeak(dest);
                return true;
            }
            chain.push_back(SQObjectPtr(d));
        }
        if (raw) return false;
        if (_table(ss->_table_default_delegate)->Get(key, dest)) return true;
        for (size_t n = chain.size() - 1; n-- > 0;) {
            if (CallGetMetaMethod(chain[n], key, dest)) return true;
            if (sq_type(chain[n]) == OT_TABLE && _table(ss->_table_default_delegate)->Get(key, dest)) return true;
        }
        return false;
    }
    case OT_ARRAY:
        if (raw) return false;
        return _table(ss->_array_default_delegate)->Get(key, dest);
    case OT_STRING:
        if (raw) return false;
        return _table(ss->_string_default_delegate)->Get(key, dest);
    case OT_INSTANCE: {
        if (raw) return false;
        if (CallGetMetaMethod(self, key, dest)) return true;
        return _table(ss->_instance_default_delegate)->Get(key, dest);
    }
    case OT_INTEGER:
    case OT_FLOAT:
    case OT_BOOL:
        if (raw) return false;
        return _table(ss->_number_default_delegate)->Get(key, dest);
    case OT_GENERATOR:
        if (raw) return false;
        return _table(ss->_generator_default_delegate)->Get(key, dest);
    case OT_CLOSURE:
    case OT_NATIVECLOSURE:
        if (raw) return false;
        return _table(ss->_closure_default_delegate)->Get(key, dest);
    case OT_THREAD:
        if (raw) return false;
        return _table(ss->_thread_default_delegate)->Get(key, dest);
    case OT_WEAKREF:
        if (raw) return false;
        return _table(ss->_weakref_default_delegate)->Get(key, dest);
    default: return false;
    }
}

bool SQVM::Set(const SQObjectPtr &self0, const SQObjectPtr &key0, const SQObjectPtr &val0, bool fetchroot) {
    if (sq_type(self0) == OT_TABLE && _table(self0)->Set(key0, val0)) return true;
    if (sq_type(self0) == OT_INSTANCE && _instance(self0)->Set(key0, val0)) return true;
    SQObjectPtr self = self0, key = key0, val = val0;  // see Get
    switch (sq_type(self)) {
    case OT_TABLE:
        if (_table(self)->_delegate) {
            // Existing slots down the delegate chain first, then the _set metamethods from the
            // deepest level back up (a loop: chains can be very long).
            std::vector<SQObjectPtr> chain;
            chain.push_back(self);
            for (SQTable *d = _table(self)->_delegate; d; d = d->_delegate) {
                if (d->Set(key, val)) return true;
                chain.push_back(SQObjectPtr(d));
            }
            for (size_t n = chain.size() - 1; n-- > 0;) {
                if (CallSetMetaMethod(chain[n], key, val)) return true;
            }
        }
        break;
    case OT_USERDATA:
        if (_delegable(self)->_delegate) {
            if (CallSetMetaMethod(self, key, val)) return true;
        }
        break;
    case OT_INSTANCE: {
        if (_instance(self)->Set(key, val)) return true;
        if (CallSetMetaMethod(self, key, val)) return true;
        break;
    }
    case OT_ARRAY:
        if (!sq_isnumeric(key)) {
            Raise_Error("indexing %s with %s", GetTypeName(self), GetTypeName(key));
            return false;
        }
        return _array(self)->Set(sqToInteger(key), val);
    default:
        Raise_Error("trying to set '%s'", GetTypeName(self));
        return false;
    }
    if (fetchroot && ci && sq_type(_roottable) == OT_TABLE &&
        _rawval(_stack[static_cast<size_t>(_stackbase)]) == _rawval(self) &&
        sq_type(_stack[static_cast<size_t>(_stackbase)]) == sq_type(self)) {
        return _table(_roottable)->Set(key, val);
    }
    return false;
}

bool SQVM::NewSlot(const SQObjectPtr &self0, const SQObjectPtr &key0, const SQObjectPtr &val0, bool bstatic) {
    SQObjectPtr self = self0, key = key0, val = val0;  // see Get
    if (sq_type(key) == OT_NULL) {
        Raise_Error("null cannot be used as index");
        return false;
    }
    switch (sq_type(self)) {
    case OT_TABLE: {
        bool rawcall = true;
        if (_table(self)->_delegate) {
            SQObjectPtr res;
            if (!_table(self)->Get(key, res)) {
                SQObjectPtr closure;
                if (GetMetaMethod(self, MT_NEWSLOT, closure)) {
                    SQObjectPtr s = self, k = key, v = val;
                    Push(s);
                    Push(k);
                    Push(v);
                    rawcall = !CallMetaMethod(s, MT_NEWSLOT, 3, res);
                }
            }
        }
        if (rawcall) _table(self)->NewSlot(key, val);
        return true;
    }
    case OT_INSTANCE: {
        SQObjectPtr res, closure;
        if (GetMetaMethod(self, MT_NEWSLOT, closure)) {
            SQObjectPtr s = self, k = key, v = val;
            Push(s);
            Push(k);
            Push(v);
            if (CallMetaMethod(s, MT_NEWSLOT, 3, res)) return true;
        }
        Raise_Error("class instances do not support the new slot operator");
        return false;
    }
    case OT_CLASS:
        if (!_class(self)->NewSlot(_sharedstate, key, val, bstatic)) {
            Raise_Error("trying to modify a class that has already been instantiated");
            return false;
        }
        return true;
    default:
        Raise_Error("indexing %s with %s", GetTypeName(self), GetTypeName(key));
        return false;
    }
}

bool SQVM::DeleteSlot(const SQObjectPtr &self0, const SQObjectPtr &key0, SQObjectPtr &res) {
    SQObjectPtr self = self0, key = key0;  // see Get
    switch (sq_type(self)) {
    case OT_TABLE:
    case OT_INSTANCE:
    case OT_USERDATA: {
        SQObjectPtr t, closure;
        bool handled = false;
        if (GetMetaMethod(self, MT_DELSLOT, closure)) {
            SQObjectPtr s = self, k = key;
            Push(s);
            Push(k);
            handled = CallMetaMethod(s, MT_DELSLOT, 2, t);
        }
        if (!handled) {
            if (sq_type(self) == OT_TABLE) {
                if (_table(self)->Get(key, t)) {
                    SQObjectPtr s = self;
                    _table(s)->Remove(key);
                } else {
                    Raise_IdxError(key);
                    return false;
                }
            } else {
                Raise_Error("cannot delete a slot from %s", GetTypeName(self));
                return false;
            }
        }
        res = t;
        return true;
    }
    default:
        Raise_Error("attempt to delete a slot from a %s", GetTypeName(self));
        return false;
    }
}

bool SQVM::Clone(const SQObjectPtr &self, SQObjectPtr &target) {
    SQObjectPtr newobj;
    switch (sq_type(self)) {
    case OT_TABLE: newobj = _table(self)->Clone(); break;
    case OT_INSTANCE: newobj = _instance(self)->Clone(_sharedstate); break;
    case OT_ARRAY: target = _array(self)->Clone(); return true;
    default:
        Raise_Error("cloning a %s", GetTypeName(self));
        return false;
    }
    SQObjectPtr closure;
    if (GetMetaMethod(newobj, MT_CLONED, closure)) {
        SQObjectPtr orig = self, tmp;
        Push(newobj);
        Push(orig);
        CallMetaMethod(newobj, MT_CLONED, 2, tmp);
    }
    target = newobj;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Calls

bool SQVM::CreateClassInstance(SQClass *theclass, SQObjectPtr &inst, SQObjectPtr &constructor) {
    inst = theclass->CreateInstance();
    if (!theclass->GetConstructor(constructor)) constructor.Null();
    return true;
}

bool SQVM::StartCall(SQClosure *closure, SQInteger target, SQInteger nargs, SQInteger stackbase, bool tailcall) {
    SQFunctionProto *func = closure->Proto();
    SQInteger paramssize = static_cast<SQInteger>(func->_parameters.size());
    SQInteger newtop = stackbase + func->_stacksize;
    if (!CheckFrameRoom(newtop)) return false;
    if (--_budget < 0 && BudgetSpent()) {
        Raise_Error("execution budget exhausted");
        return false;
    }
    if (paramssize != nargs) {
        SQInteger ndef = static_cast<SQInteger>(func->_defaultparams.size());
        if (!func->_varparams && ndef && nargs < paramssize && (paramssize - nargs) <= ndef) {
            SQInteger diff = paramssize - nargs;
            for (SQInteger n = ndef - diff; n < ndef; n++) {
                _stack[static_cast<size_t>(stackbase + nargs++)] = closure->_defaultparams[static_cast<size_t>(n)];
            }
        } else if (func->_varparams) {
            if (nargs < paramssize) {
                Raise_Error("wrong number of parameters");
                return false;
            }
            for (SQInteger n = 0; n < nargs - paramssize; n++) {
                _vargsstack.push_back(_stack[static_cast<size_t>(stackbase + paramssize + n)]);
                _stack[static_cast<size_t>(stackbase + paramssize + n)].Null();
            }
        } else {
            Raise_Error("wrong number of parameters");
            return false;
        }
    }
    if (sq_type(closure->_env) == OT_WEAKREF) {
        _stack[static_cast<size_t>(stackbase)] = _weakref(closure->_env)->_obj;
    }
    if (!tailcall) {
        // Filled in place: a free slot's closure is already null.
        if (_callsstacksize == static_cast<SQInteger>(_callsstack.size())) _callsstack.resize(_callsstack.size() * 2);
        SQCallInfo &c = _callsstack[static_cast<size_t>(_callsstacksize++)];
        c._generator = nullptr;
        c._etraps = 0;
        c._prevstkbase = stackbase - _stackbase;
        c._target = target;
        c._prevtop = _top - _stackbase;
        c._ncalls = 1;
        c._root = false;
        ci = &c;
    } else {
        if (ci->_ncalls < kMaxCallDepth) ci->_ncalls++;  // debug hook return events of absorbed calls
        for (SQInteger i = newtop; i < _top; i++) _stack[static_cast<size_t>(i)].Null();
    }
    ci->_vargs_size = nargs - paramssize;
    ci->_vargs_base = static_cast<SQInteger>(_vargsstack.size()) - ci->_vargs_size;
    closure->_uiRef++;
    sqReleaseRaw(ci->_closure._type == OT_NULL ? nullptr : ci->_closure._unVal.pRefCounted);
    ci->_closure._type = OT_CLOSURE;
    ci->_closure._unVal.raw = 0;
    ci->_closure._unVal.pClosure = closure;
    ci->_literals = func->_literals.data();
    ci->_ip = func->_instructions.data();
    // Every 8-bit register operand stays inside the stack even for a prototype whose declared
    // stack size is too small (bytecode from a file).
    SQInteger need = FrameStackNeed(stackbase, func->_stacksize);
    if (need > static_cast<SQInteger>(_stack.size())) EnsureStack(need);
    // Registers beyond the arguments start out null.
    for (SQInteger i = stackbase + nargs; i < newtop; i++) _stack[static_cast<size_t>(i)].Null();
    _top = newtop;
    _stackbase = stackbase;
    if (sq_type(_debughook) != OT_NULL && !_debughook_running) CallDebugHook('c');
    return true;
}

bool SQVM::Return(SQInteger _arg0, SQInteger _arg1, SQObjectPtr &retval) {
    if (sq_type(_debughook) != OT_NULL && !_debughook_running) {
        for (SQInteger i = 0; i < ci->_ncalls; i++) CallDebugHook('r');
    }
    bool isroot = ci->_root;
    SQInteger callerbase = _stackbase - ci->_prevstkbase;
    SQInteger target = ci->_target;
    SQObjectPtr ret;
    if (_arg0 != SQ_NO_OPERAND) ret = std::move(_stack[static_cast<size_t>(_stackbase + _arg1)]);
    LeaveFrame();
    if (isroot) retval = std::move(ret);
    else if (target != -1) _stack[static_cast<size_t>(callerbase + target)] = std::move(ret);
    return isroot;
}

bool SQVM::CallNative(SQNativeClosure *nclosure, SQInteger nargs, SQInteger stackbase, SQObjectPtr &retval,
                      bool &suspend) {
    suspend = false;
    if (_nnativecalls + 1 > MAX_NATIVE_CALLS) {
        Raise_Error("Native stack overflow");
        return false;
    }
    SQInteger nparamscheck = nclosure->_nparamscheck;
    if (nparamscheck && ((nparamscheck > 0 && nparamscheck != nargs) || (nparamscheck < 0 && nargs < -nparamscheck))) {
        Raise_Error("wrong number of parameters");
        return false;
    }
    SQInteger tcs = static_cast<SQInteger>(nclosure->_typecheck.size());
    for (SQInteger i = 0; i < nargs && i < tcs; i++) {
        SQInteger mask = nclosure->_typecheck[static_cast<size_t>(i)];
        const SQObjectPtr &arg = _stack[static_cast<size_t>(stackbase + i)];
        if (mask != -1 && !(mask & raw_type(arg))) {
            Raise_ParamTypeError(i, mask, sq_type(arg));
            return false;
        }
    }
    SQInteger outers = static_cast<SQInteger>(nclosure->_outervalues.size());
    if (!CheckFrameRoom(stackbase + nargs + outers)) return false;
    _nnativecalls++;
    EnsureStack(stackbase + nargs + outers + kMinStackOverhead * 2);
    SQInteger oldtop = _top, oldstackbase = _stackbase;
    _top = stackbase + nargs;
    // The frame is filled in place; its closure reference keeps the native alive during the call.
    if (_callsstacksize == static_cast<SQInteger>(_callsstack.size())) _callsstack.resize(_callsstack.size() * 2);
    SQCallInfo &c = _callsstack[static_cast<size_t>(_callsstacksize++)];
    c._ip = nullptr;
    c._literals = nullptr;
    c._closure = SQObjectPtr(nclosure);
    c._generator = nullptr;
    c._etraps = 0;
    c._prevstkbase = stackbase - _stackbase;
    c._prevtop = oldtop - oldstackbase;
    c._target = -1;
    c._ncalls = 1;
    c._root = false;
    c._vargs_size = 0;
    c._vargs_base = 0;
    ci = &c;
    _stackbase = stackbase;
    for (SQInteger i = 0; i < outers; i++) Push(nclosure->_outervalues[static_cast<size_t>(i)]);
    if (sq_type(nclosure->_env) == OT_WEAKREF) _stack[static_cast<size_t>(stackbase)] = _weakref(nclosure->_env)->_obj;
    SQInteger ret;
    try {
        ret = (nclosure->_function)(this);
    } catch (const std::bad_alloc &) {
        Raise_Error("not enough memory");
        ret = SQ_ERROR;
    }
    _nnativecalls--;
    bool ok = true;
    if (ret == SQ_SUSPEND_FLAG) {
        suspend = true;
        retval = _stack[static_cast<size_t>(_top - 1)];
    } else if (ret < 0) {
        ok = false;
    } else if (ret != 0) {
        retval = _stack[static_cast<size_t>(_top - 1)];
    } else {
        retval.Null();
    }
    SQInteger nativetop = _top;
    _stackbase = oldstackbase;
    _top = oldtop;
    _callsstacksize--;
    _callsstack[static_cast<size_t>(_callsstacksize)]._closure.Null();
    ci = _callsstacksize ? &_callsstack[static_cast<size_t>(_callsstacksize - 1)] : nullptr;
    // The arguments and whatever the native pushed are dead now (deterministic release).
    for (SQInteger i = stackbase; i < nativetop; i++) _stack[static_cast<size_t>(i)].Null();
    if (!ok) {
        SQObjectPtr err = _lasterror;
        Raise_Error(err);
    }
    return ok;
}

bool SQVM::Call(const SQObjectPtr &closure0, SQInteger nparams, SQInteger stackbase, SQObjectPtr &outres,
                SQBool raiseerror) {
    SQObjectPtr closure = closure0;
    switch (sq_type(closure)) {
    case OT_CLOSURE: return Execute(closure, _top - nparams, nparams, stackbase, outres, raiseerror);
    case OT_NATIVECLOSURE: {
        bool suspend;
        return CallNative(_nativeclosure(closure), nparams, stackbase, outres, suspend);
    }
    case OT_CLASS: {
        SQObjectPtr constr, temp;
        CreateClassInstance(_class(closure), outres, constr);
        if (sq_type(constr) != OT_NULL) {
            _stack[static_cast<size_t>(stackbase)] = outres;
            return Call(constr, nparams, stackbase, temp, raiseerror);
        }
        return true;
    }
    default: return false;
    }
}

void SQVM::CallErrorHandler(const SQObjectPtr &error) {
    if (sq_type(_errorhandler) != OT_NULL) {
        SQObjectPtr out, e = error;
        EnsureStack(_top + 4);
        Push(_roottable);
        Push(e);
        Call(_errorhandler, 2, _top - 2, out, SQFalse);
        Pop(2);
    }
}

void SQVM::CallDebugHook(SQInteger type, SQInteger forcedline) {
    if (!ci || sq_type(ci->_closure) != OT_CLOSURE) return;
    _debughook_running = true;
    SQFunctionProto *func = _closure(ci->_closure)->Proto();
    SQObjectPtr temp;
    SQInteger nparams = 5;
    SQInteger line = forcedline ? forcedline
                                : func->GetLine(static_cast<SQInteger>(ci->_ip - func->_instructions.data()));
    SQObjectPtr hook = _debughook;
    EnsureStack(_top + nparams + 1);
    Push(_roottable);
    Push(SQObjectPtr(type));
    Push(func->_sourcename);
    Push(SQObjectPtr(line));
    Push(func->_name);
    Call(hook, nparams, _top - nparams, temp, SQFalse);
    Pop(nparams);
    _debughook_running = false;
}

bool SQVM::CLOSURE_OP(SQObjectPtr &target, SQFunctionProto *func) {
    SQObjectPtr nc(SQClosure::Create(_sharedstate, func));
    SQClosure *closure = _closure(nc);
    size_t nouters = func->_outervalues.size();
    closure->_outervalues.reserve(nouters);
    for (size_t i = 0; i < nouters; i++) {
        SQOuterVar &v = func->_outervalues[i];
        switch (v._type) {
        case otSYMBOL: {
            SQObjectPtr val, self = _stack[static_cast<size_t>(_stackbase)];
            if (!Get(self, v._src, val, false, true)) {
                Raise_IdxError(v._src);
                return false;
            }
            closure->_outervalues.push_back(val);
            break;
        }
        case otLOCAL: closure->_outervalues.push_back(_stack[static_cast<size_t>(_stackbase + _integer(v._src))]); break;
        case otOUTER:
            closure->_outervalues.push_back(_closure(ci->_closure)->_outervalues[static_cast<size_t>(_integer(v._src))]);
            break;
        }
    }
    for (SQInteger reg : func->_defaultparams) closure->_defaultparams.push_back(_stack[static_cast<size_t>(_stackbase + reg)]);
    target = nc;
    return true;
}

bool SQVM::GETVARGV_OP(SQObjectPtr &target, const SQObjectPtr &index) {
    if (ci->_vargs_size == 0) {
        Raise_Error("the function doesn't have var args");
        return false;
    }
    if (!sq_isnumeric(index)) {
        Raise_Error("indexing 'vargv' with %s", GetTypeName(index));
        return false;
    }
    SQInteger idx = sqToInteger(index);
    if (idx < 0 || idx >= ci->_vargs_size) {
        Raise_Error("vargv index out of range");
        return false;
    }
    target = _vargsstack[static_cast<size_t>(ci->_vargs_base + idx)];
    return true;
}

bool SQVM::CLASS_OP(SQObjectPtr &target, SQInteger baseclass, SQInteger attributes) {
    SQClass *base = nullptr;
    SQObjectPtr attrs;
    if (baseclass != -1) {
        const SQObjectPtr &b = _stack[static_cast<size_t>(_stackbase + baseclass)];
        if (sq_type(b) != OT_CLASS) {
            Raise_Error("trying to inherit from a %s", GetTypeName(b));
            return false;
        }
        base = _class(b);
    }
    if (attributes != SQ_NO_OPERAND) attrs = _stack[static_cast<size_t>(_stackbase + attributes)];
    SQObjectPtr cls(SQClass::Create(_sharedstate, base));
    if (sq_type(_class(cls)->_metamethods[MT_INHERITED]) != OT_NULL) {
        SQObjectPtr ret, mm = _class(cls)->_metamethods[MT_INHERITED], err = _lasterror;
        Push(cls);
        Push(attrs);
        Call(mm, 2, _top - 2, ret, SQFalse);
        Pop(2);
        _lasterror = err;
    }
    _class(cls)->_attributes = attrs;
    target = cls;
    return true;
}

// The general CALL: the value in register callee called with nargs arguments from register
// argbase, its result for register target. A script function enters its frame (Ran: the running
// frame changed); anything else runs to its end here.
SQCallOutcome SQVM::CallInstruction(SQInteger target, SQInteger callee, SQInteger argbase, SQInteger nargs,
                                    SQObjectPtr &suspendvalue) {
    SQObjectPtr *stk = _stack.data() + _stackbase;
    // A script function below the callee's frame (all compiled code): the frame takes its own
    // reference, so no copy is needed.
    if (sq_type(stk[callee]) == OT_CLOSURE && callee < argbase && !_closure(stk[callee])->Proto()->_bgenerator) {
        return StartCall(_closure(stk[callee]), target, nargs, _stackbase + argbase, false) ? SQCallOutcome::Ran
                                                                                            : SQCallOutcome::Failed;
    }
    SQObjectPtr clo = stk[callee];
    switch (sq_type(clo)) {
    case OT_CLOSURE:
        if (_closure(clo)->Proto()->_bgenerator) {
            SQObjectPtr gen(SQGenerator::Create(_sharedstate, _closure(clo)));
            if (!StartCall(_closure(clo), target, nargs, _stackbase + argbase, false) || !_generator(gen)->Yield(this)) {
                return SQCallOutcome::Failed;
            }
            LeaveFrame();
            stk[target] = gen;
            return SQCallOutcome::Ran;
        }
        return StartCall(_closure(clo), target, nargs, _stackbase + argbase, false) ? SQCallOutcome::Ran
                                                                                    : SQCallOutcome::Failed;
    case OT_NATIVECLOSURE: {
        bool suspend;
        SQObjectPtr ret;
        if (!CallNative(_nativeclosure(clo), nargs, _stackbase + argbase, ret, suspend)) return SQCallOutcome::Failed;
        if (suspend) {
            suspendvalue = ret;
            return SQCallOutcome::Suspended;
        }
        stk[target] = ret;
        return SQCallOutcome::Ran;
    }
    case OT_CLASS: return ConstructInstance(_class(clo), target, argbase, nargs);
    case OT_TABLE:
    case OT_USERDATA:
    case OT_INSTANCE: {
        SQObjectPtr closure;
        if (GetMetaMethod(clo, MT_CALL, closure)) {
            EnsureStack(_top + nargs + 2);
            Push(clo);
            for (SQInteger i = 0; i < nargs; i++) Push(stk[argbase + i]);
            SQObjectPtr ret;
            bool ok = Call(closure, nargs + 1, _top - (nargs + 1), ret, SQFalse);
            Pop(nargs + 1);
            if (ok) {
                stk[target] = ret;
                return SQCallOutcome::Ran;
            }
            // A failing metamethod counts as absent.
        }
    }
        [[fallthrough]];
    default:
        Raise_Error("attempt to call '%s'", GetTypeName(clo));
        return SQCallOutcome::Failed;
    }
}

// A call of a class from script code: a new instance for register target, then the constructor
// (if any) with the nargs arguments from register argbase, `this` being the instance.
SQCallOutcome SQVM::ConstructInstance(SQClass *cls, SQInteger target, SQInteger argbase, SQInteger nargs) {
    SQObjectPtr *stk = _stack.data() + _stackbase;
    SQObjectPtr inst, ctor;
    CreateClassInstance(cls, inst, ctor);
    stk[argbase] = inst;
    if (sq_type(ctor) == OT_CLOSURE && !_closure(ctor)->Proto()->_bgenerator) {
        // The constructor runs as an ordinary script call whose result is dropped. Its cells die
        // when it returns, so when the result register is among them (a class held in a local)
        // the arguments move up past it first.
        SQInteger base = argbase;
        if (target >= argbase) {
            base = target + 1;
            if (!EnsureStack(_stackbase + base + nargs)) {
                Raise_Error("stack overflow");
                return SQCallOutcome::Failed;
            }
            for (SQInteger n = nargs; n-- > 0;) stk[base + n] = std::move(stk[argbase + n]);
        }
        stk[target] = inst;
        return StartCall(_closure(ctor), -1, nargs, _stackbase + base, false) ? SQCallOutcome::Ran : SQCallOutcome::Failed;
    }
    if (sq_type(ctor) != OT_NULL) {
        SQObjectPtr ret;
        if (!Call(ctor, nargs, _stackbase + argbase, ret, SQFalse)) return SQCallOutcome::Failed;
    }
    stk[target] = inst;  // after the call: a native call clears its argument cells
    return SQCallOutcome::Ran;
}

// A member of a table or class body (NEWSLOTA): a class's _newmember metamethod gets it first
// (attributes too); when there is none or it fails, the slot is made and the attributes stored.
bool SQVM::NEWSLOTA_OP(SQInteger flags, const SQObjectPtr &self0, const SQObjectPtr &key0, const SQObjectPtr &val0,
                       const SQObjectPtr &attrs0) {
    SQObjectPtr self = self0, key = key0, val = val0, attrs = attrs0;
    if (sq_type(self) == OT_CLASS && sq_type(_class(self)->_metamethods[MT_NEWMEMBER]) != OT_NULL) {
        SQObjectPtr mm = _class(self)->_metamethods[MT_NEWMEMBER], ret;
        EnsureStack(_top + 5);
        Push(self);
        Push(key);
        Push(val);
        Push(attrs);
        bool ok = Call(mm, 4, _top - 4, ret, SQFalse);
        Pop(4);
        if (ok) return true;
    }
    if (!NewSlot(self, key, val, (flags & NEW_SLOT_STATIC_FLAG) != 0)) return false;
    if ((flags & NEW_SLOT_ATTRIBUTES_FLAG) && sq_type(self) == OT_CLASS) _class(self)->SetAttributes(key, attrs);
    return true;
}

bool SQVM::DerefInc(SQInteger op, SQObjectPtr &target, const SQObjectPtr &self0, const SQObjectPtr &key0,
                    const SQObjectPtr &incr0, bool postfix) {
    SQObjectPtr self = self0, key = key0, incr = incr0, tmp, res;
    if (!Get(self, key, tmp, false, true)) {
        Raise_IdxError(key);
        return false;
    }
    if (!ARITH_OP(static_cast<SQUnsignedInteger>(op), res, tmp, incr)) return false;
    Set(self, key, res, true);
    target = postfix ? tmp : res;
    return true;
}

bool SQVM::FOREACH_OP(SQInteger container, SQInteger keyreg, SQInteger exitpos, SQInteger &jump, bool &resumed) {
    resumed = false;
    SQObjectPtr o1 = _stack[static_cast<size_t>(_stackbase + container)];
    SQObjectPtr refpos = _stack[static_cast<size_t>(_stackbase + keyreg + 2)];
    SQObjectPtr key, val;
    SQInteger nrefidx = -1;
    switch (sq_type(o1)) {
    case OT_TABLE: nrefidx = _table(o1)->Next(refpos, key, val); break;
    case OT_ARRAY: nrefidx = _array(o1)->Next(refpos, key, val); break;
    case OT_STRING: nrefidx = _string(o1)->Next(refpos, key, val); break;
    case OT_CLASS: nrefidx = _class(o1)->Next(refpos, key, val); break;
    case OT_USERDATA:
    case OT_INSTANCE: {
        SQObjectPtr closure;
        if (!GetMetaMethod(o1, MT_NEXTI, closure)) {
            if (sq_type(o1) == OT_USERDATA && !_userdata(o1)->_delegate) {
                Raise_Error("cannot iterate userdata");
            } else {
                Raise_Error("_nexti failed");
            }
            return false;
        }
        SQObjectPtr itr;
        Push(o1);
        Push(refpos);
        if (!CallMetaMethod(o1, MT_NEXTI, 2, itr)) {
            Raise_Error("_nexti failed");
            return false;
        }
        _stack[static_cast<size_t>(_stackbase + keyreg)] = itr;
        _stack[static_cast<size_t>(_stackbase + keyreg + 2)] = itr;
        if (sq_type(itr) == OT_NULL) {
            jump = exitpos;
            return true;
        }
        if (!Get(o1, itr, val, false, false)) {
            Raise_Error("_nexti returned an invalid idx");
            return false;
        }
        _stack[static_cast<size_t>(_stackbase + keyreg + 1)] = val;
        jump = 1;
        return true;
    }
    case OT_GENERATOR: {
        SQGenerator *g = _generator(o1);
        if (g->_state == SQGenerator::eDead) {
            jump = exitpos;
            return true;
        }
        if (g->_state == SQGenerator::eSuspended) {
            SQInteger idx = 0;
            if (sq_type(refpos) == OT_INTEGER) idx = _integer(refpos) + 1;
            _stack[static_cast<size_t>(_stackbase + keyreg)] = SQObjectPtr(idx);
            _stack[static_cast<size_t>(_stackbase + keyreg + 2)] = SQObjectPtr(idx);
            if (!g->Resume(this, keyreg + 1)) return false;
            resumed = true;
            jump = 0;
            return true;
        }
        Raise_Error("resuming active generator");
        return false;
    }
    default:
        Raise_Error("cannot iterate %s", GetTypeName(o1));
        return false;
    }
    if (nrefidx == -1) {
        jump = exitpos;
        return true;
    }
    _stack[static_cast<size_t>(_stackbase + keyreg)] = key;
    _stack[static_cast<size_t>(_stackbase + keyreg + 1)] = val;
    _stack[static_cast<size_t>(_stackbase + keyreg + 2)] = SQObjectPtr(nrefidx);
    jump = 1;
    return true;
}

// The plain script call, the one compiled code makes nearly always: the exact argument count, no
// weak environment to bind, no debug hook, and room for the frame without growing anything. Enters
// the frame as StartCall would and gives true; otherwise changes nothing and gives false, leaving
// every other case (and every error) to StartCall.
[[gnu::always_inline]] static inline bool sqEnterPlainCall(SQVM *v, SQClosure *closure, SQInteger target, SQInteger nargs,
                                                          SQInteger stackbase) {
    SQFunctionProto *func = closure->Proto();
    SQInteger newtop = stackbase + func->_stacksize;
    if (static_cast<SQInteger>(func->_parameters.size()) != nargs || sq_type(closure->_env) == OT_WEAKREF ||
        sq_type(v->_debughook) != OT_NULL || newtop > SQValueStack::kScriptLimit || v->_budget <= 0 ||
        v->_callsstacksize >= kMaxCallDepth ||
        v->_callsstack.data() + v->_callsstacksize == v->_callsstack.data() + v->_callsstack.size() ||
        SQVM::FrameStackNeed(stackbase, func->_stacksize) > static_cast<SQInteger>(v->_stack.size())) {
        return false;
    }
    v->_budget--;
    SQCallInfo &c = v->_callsstack[static_cast<size_t>(v->_callsstacksize++)];
    c._generator = nullptr;
    c._etraps = 0;
    c._prevstkbase = stackbase - v->_stackbase;
    c._target = target;
    c._prevtop = v->_top - v->_stackbase;
    c._ncalls = 1;
    c._root = false;
    c._vargs_size = 0;
    c._vargs_base = static_cast<SQInteger>(v->_vargsstack.size());
    closure->_uiRef++;
    sqReleaseRaw(c._closure._type == OT_NULL ? nullptr : c._closure._unVal.pRefCounted);
    c._closure._type = OT_CLOSURE;
    c._closure._unVal.raw = 0;
    c._closure._unVal.pClosure = closure;
    c._literals = func->_literals.data();
    c._ip = func->_instructions.data();
    v->ci = &c;
    // Registers beyond the arguments start out null (usually they are already).
    SQObjectPtr *cells = v->_stack.data();
    for (SQInteger i = stackbase + nargs; i < newtop; i++) {
        if (sq_type(cells[i]) != OT_NULL) cells[i].Null();
    }
    v->_top = newtop;
    v->_stackbase = stackbase;
    return true;
}

// Return of a plain frame (called from script, no generator, traps, varargs or debug hook): what
// Return and LeaveFrame do for it, in the same order. retreg is the returned register or -1.
[[gnu::always_inline]] static inline bool sqLeavePlainFrame(SQVM *v, SQInteger retreg) {
    SQCallInfo *f = v->ci;
    if (f->_generator || f->_etraps != 0 || f->_root || f->_vargs_size != 0 || sq_type(v->_debughook) != OT_NULL) {
        return false;
    }
    SQObjectPtr *cells = v->_stack.data();
    SQInteger first = v->_stackbase, last_top = v->_top;
    SQInteger callerbase = first - f->_prevstkbase;
    SQInteger target = f->_target;
    SQObject ret = sqMakeNull();
    if (retreg >= 0) {
        SQObjectPtr &r = cells[first + retreg];
        ret = r;
        r._type = OT_NULL;
        r._unVal.raw = 0;
    }
    SQInteger css = --v->_callsstacksize;
    f->_closure.Null();
    v->_stackbase = callerbase;
    v->_top = callerbase + f->_prevtop;
    v->ci = &v->_callsstack[static_cast<size_t>(css - 1)];
    while (last_top > first) cells[--last_top].Null();
    if (target != -1) {
        SQObjectPtr &t = cells[callerbase + target];
        SQObject old = t;
        t._type = ret._type;
        t._unVal = ret._unVal;
        sqRelease(old);
    } else {
        sqRelease(ret);
    }
    return true;
}

// Integer comparison of CMP (operands in instruction order: a is arg2's register, b is arg1's).
[[gnu::always_inline]] static inline bool sqIntCompare(SQInteger op, SQInteger a, SQInteger b) {
    SQInteger d = sqWrapSub(a, b);
    return op == CMP_G ? d > 0 : op == CMP_GE ? d >= 0 : op == CMP_L ? d < 0 : d <= 0;
}

// The common instructions on their fast paths, in a function of its own so that the instruction
// pointer and the frame stay in registers (the full interpreter loop has too many calls for
// that). Runs from ip until an instruction needs anything more (another operand kind, a call out,
// an error, a hook, a spent budget) and returns that instruction, not executed: the full loop
// runs it. Calls and returns of plain script frames are made here too; ci->_ip of the running
// frame is only brought up to date when a call leaves it.
[[gnu::noinline]] static SQInstruction *sqRunFast(SQVM *v, SQInstruction *ip) {
    SQObjectPtr *stk = v->_stack.data() + v->_stackbase;
    SQObjectPtr *lits = v->ci->_literals;
    for (;;) {
        SQInstruction i = *ip;
        switch (i.op) {
        case _OP_LINE:
            if (sq_type(v->_debughook) != OT_NULL) return ip;
            break;
        case _OP_LOAD: stk[i._arg0] = lits[i._arg1]; break;
        case _OP_LOADINT:
            stk[i._arg0].SetInteger(i._arg1);
            // An operand for the next instruction: go straight to it (a predictable branch
            // instead of a dispatch).
            if (ip[1].op == _OP_ARITH) {
                i = *++ip;
                goto arith;
            }
            if (ip[1].op == _OP_CMP) {
                i = *++ip;
                goto compare;
            }
            break;
        case _OP_LOADFLOAT: {
            SQFloat f;
            std::memcpy(&f, &i._arg1, sizeof(f));
            stk[i._arg0].SetFloat(f);
            break;
        }
        case _OP_DLOAD:
            stk[i._arg0] = lits[i._arg1];
            stk[i._arg2] = lits[i._arg3];
            break;
        case _OP_MOVE: stk[i._arg0] = stk[i._arg1]; break;
        case _OP_DMOVE:
            stk[i._arg0] = stk[i._arg1];
            stk[i._arg2] = stk[i._arg3];
            break;
        case _OP_LOADNULLS:
            for (SQInteger n = 0; n < i._arg1; n++) stk[i._arg0 + n].Null();
            break;
        case _OP_LOADBOOL: stk[i._arg0].SetBool(i._arg1 != 0); break;
        case _OP_LOADROOTTABLE: stk[i._arg0] = v->_roottable; break;
        case _OP_LOADFREEVAR: stk[i._arg0] = _closure(v->ci->_closure)->_outervalues[static_cast<size_t>(i._arg1)]; break;
        case _OP_EQ:
        case _OP_NE: {
            bool res = SQVM::IsEqual(stk[i._arg2], i._arg3 != 0 ? lits[i._arg1] : stk[i._arg1]);
            stk[i._arg0].SetBool(i.op == _OP_EQ ? res : !res);
            break;
        }
        case _OP_NOT: stk[i._arg0].SetBool(SQVM::IsFalse(stk[i._arg1])); break;
        case _OP_ARITH:
        arith: {
            SQObject r;
            if (!sqFastArith(i._arg3, stk[i._arg2], stk[i._arg1], r)) return ip;
            stk[i._arg0].SetScalar(r);
            break;
        }
        case _OP_BITW: {
            const SQObjectPtr &a = stk[i._arg2], &b = stk[i._arg1];
            SQInteger r;
            if (sq_type(a) != OT_INTEGER || sq_type(b) != OT_INTEGER || !sqIntBitwise(i._arg3, _integer(a), _integer(b), r)) {
                return ip;
            }
            stk[i._arg0].SetInteger(r);
            break;
        }
        case _OP_POSTFOREACH: {
            const SQObjectPtr &g = stk[i._arg0];
            if (sq_type(g) == OT_GENERATOR && _generator(g)->_state == SQGenerator::eDead) ip += (i._arg1 - 1);
            break;
        }
        case _OP_COMPARITHL: {
            SQObject r;
            if (!sqFastArith(i._arg3, stk[i._arg1], stk[i._arg2], r)) return ip;
            stk[i._arg0].SetScalar(r);
            stk[i._arg1].SetScalar(r);
            break;
        }
        case _OP_INCL:
        case _OP_PINCL: {
            SQObjectPtr &var = stk[i._arg1];
            if (sq_type(var) != OT_INTEGER) return ip;
            SQInteger old = _integer(var);
            SQInteger res = sqWrapAdd(old, static_cast<signed char>(i._arg3));
            stk[i._arg0].SetInteger(i.op == _OP_INCL ? res : old);
            var.SetInteger(res);
            // The step of a for loop: its jump back follows.
            if (ip[1].op == _OP_JMP) {
                i = *++ip;
                goto jump;
            }
            break;
        }
        case _OP_CMP:
        compare: {
            const SQObjectPtr &a = stk[i._arg2], &b = stk[i._arg1];
            if (sq_type(a) != OT_INTEGER || sq_type(b) != OT_INTEGER) return ip;
            const SQInstruction &next = ip[1];
            bool fused = next.op == _OP_JZ && next._arg0 == i._arg0;
            if (fused && next._arg1 < 0 && v->_budget <= 0) return ip;
            bool r = sqIntCompare(i._arg3, _integer(a), _integer(b));
            stk[i._arg0].SetBool(r);
            // A loop or if test: the JZ on this result runs here, saving its dispatch.
            if (fused) {
                ip++;
                if (!r) {
                    ip += next._arg1;
                    if (next._arg1 < 0) v->_budget--;
                }
            }
            break;
        }
        case _OP_JMP:
        jump:
            if (i._arg1 < 0 && v->_budget-- <= 0) {
                v->_budget++;
                return ip;
            }
            ip += i._arg1;
            break;
        case _OP_JZ:
        case _OP_JNZ:
        case _OP_AND:
        case _OP_OR: {
            const SQObjectPtr &t = stk[(i.op == _OP_JZ || i.op == _OP_JNZ) ? i._arg0 : i._arg2];
            bool jump = (i.op == _OP_JZ || i.op == _OP_AND) ? SQVM::IsFalse(t) : !SQVM::IsFalse(t);
            if (!jump) break;
            if (i._arg1 < 0 && v->_budget <= 0) return ip;
            if (i._arg1 < 0) v->_budget--;
            if (i.op == _OP_AND || i.op == _OP_OR) stk[i._arg0] = t;
            ip += i._arg1;
            break;
        }
        case _OP_GET: {
            const SQObjectPtr &o = stk[i._arg1], &k = stk[i._arg2];
            if (sq_type(o) != OT_ARRAY || sq_type(k) != OT_INTEGER ||
                static_cast<SQUnsignedInteger>(_integer(k)) >= static_cast<SQUnsignedInteger>(_array(o)->Size())) {
                return ip;
            }
            stk[i._arg0] = sqDerefWeak(_array(o)->_values[static_cast<size_t>(_integer(k))]);
            break;
        }
        case _OP_SET: {
            const SQObjectPtr &o = stk[i._arg1], &k = stk[i._arg2];
            if (sq_type(o) != OT_ARRAY || sq_type(k) != OT_INTEGER ||
                static_cast<SQUnsignedInteger>(_integer(k)) >= static_cast<SQUnsignedInteger>(_array(o)->Size())) {
                return ip;
            }
            _array(o)->_values[static_cast<size_t>(_integer(k))] = stk[i._arg3];
            if (i._arg0 != i._arg3) stk[i._arg0] = stk[i._arg3];
            break;
        }
        case _OP_GETK: {
            // A slot of the table or instance itself: what Get finds first, without a call out.
            const SQObjectPtr &o = stk[i._arg2];
            SQObjectPtr val;
            if (!((sq_type(o) == OT_TABLE && _table(o)->Get(lits[i._arg1], val) && sq_type(val) != OT_WEAKREF) ||
                  (sq_type(o) == OT_INSTANCE && _instance(o)->Get(lits[i._arg1], val)))) {
                return ip;
            }
            stk[i._arg0] = std::move(val);
            break;
        }
        case _OP_PREPCALL:
        case _OP_PREPCALLK: {
            const SQObjectPtr &key = i.op == _OP_PREPCALLK ? lits[i._arg1] : stk[i._arg1];
            const SQObjectPtr &o = stk[i._arg2];
            SQObjectPtr fn;
            if (!((sq_type(o) == OT_TABLE && _table(o)->Get(key, fn) && sq_type(fn) != OT_WEAKREF) ||
                  (sq_type(o) == OT_INSTANCE && _instance(o)->Get(key, fn)))) {
                return ip;
            }
            stk[i._arg3] = o;
            stk[i._arg0] = std::move(fn);
            break;
        }
        case _OP_CALL: {
            const SQObjectPtr &fn = stk[i._arg1];
            if (sq_type(fn) != OT_CLOSURE || i._arg1 >= i._arg2 || _closure(fn)->Proto()->_bgenerator) return ip;
            v->ci->_ip = ip + 1;
            if (!sqEnterPlainCall(v, _closure(fn), i._arg0, i._arg3, v->_stackbase + i._arg2)) return ip;
            stk = v->_stack.data() + v->_stackbase;
            lits = v->ci->_literals;
            ip = v->ci->_ip;
            continue;
        }
        case _OP_RETURN:
            if (!sqLeavePlainFrame(v, i._arg0 != SQ_NO_OPERAND ? i._arg1 : -1)) return ip;
            stk = v->_stack.data() + v->_stackbase;
            lits = v->ci->_literals;
            ip = v->ci->_ip;
            continue;
        default: return ip;
        }
        ip++;
    }
}

// ---------------------------------------------------------------------------------------------
// The interpreter loop

// stk is the current frame's first cell: the stack never moves, so it only changes when the
// running frame does (calls, returns, generator switches, exceptions, the fast loop).
#define STK(a) stk[(a)]
// ip is the running frame's instruction pointer, kept in a local: ci->_ip is brought up to date
// (SAVE_IP) before anything that can look at it or leave the frame (calls, metamethods, errors,
// hooks, allocations), and re-read whenever the frame changes.
#define SAVE_IP() (ci->_ip = ip)
#define FRAME_CHANGED()                       \
    {                                         \
        ip = ci->_ip;                         \
        continue;                             \
    }
#define TARGET STK(arg0)
#define _SPEND_ON_BACKJUMP(offset)                                                  \
    if ((offset) < 0 && --_budget < 0) {                                           \
        SAVE_IP();                                                                  \
        if (BudgetSpent()) {                                                        \
            Raise_Error("execution budget exhausted");                              \
            goto exception_trap;                                                   \
        }                                                                           \
    }
#define _GUARD(exp)                  \
    {                                \
        if (!(exp)) goto exception_trap; \
    }

// Dispatch of the general path: a label table (generated from the opcode list) where the compiler
// has computed goto, a switch elsewhere or when SQ_PORTABLE_DISPATCH is defined. Handlers are
// written once, as SQ_OP(name): ..., and end with continue or a jump to exception_trap.
#if defined(__GNUC__) && !defined(SQ_PORTABLE_DISPATCH)
#define SQ_COMPUTED_GOTO 1
#define SQ_OP_LABEL_ADDRESS(name, number) &&L_OP_##name,
#define SQ_DISPATCH(op) goto *((op) < SQ_OPCODE_COUNT ? kLabels[(op)] : &&L_UNKNOWN_OP);
#define SQ_OP(name) L_OP_##name
#define SQ_UNKNOWN_OP L_UNKNOWN_OP
#else
#define SQ_COMPUTED_GOTO 0
#define SQ_DISPATCH(op) switch (op)
#define SQ_OP(name) case _OP_##name
#define SQ_UNKNOWN_OP default
#endif

bool SQVM::Execute(const SQObjectPtr &closure0, SQInteger target, SQInteger nargs, SQInteger stackbase,
                   SQObjectPtr &outres, SQBool raiseerror, ExecutionType et) {
    if (_nnativecalls + 1 > MAX_NATIVE_CALLS) {
        Raise_Error("Native stack overflow");
        return false;
    }
    _nnativecalls++;
    SQAutoDec ad(&_nnativecalls);
    SQObjectPtr closure = closure0;
    SQInteger traps = 0;
    switch (et) {
    case ET_CALL: {
        SQClosure *c = _closure(closure);
        if (!StartCall(c, target, nargs, stackbase, false)) {
            // A call that fails before its function starts is reported here only when no frame
            // is on the stack; otherwise the error goes on to the enclosing frame.
            if (_callsstacksize == 0 && (raiseerror || _sharedstate->_notifyallexceptions)) {
                CallErrorHandler(_lasterror);
            }
            return false;
        }
        ci->_root = true;
        if (c->Proto()->_bgenerator) {
            SQObjectPtr gen(SQGenerator::Create(_sharedstate, c));
            if (!_generator(gen)->Yield(this)) return false;
            ci->_root = false;
            LeaveFrame();
            outres = gen;
            return true;
        }
        break;
    }
    case ET_RESUME_GENERATOR:
        if (!_generator(closure)->Resume(this, target)) return false;
        ci->_root = true;
        traps += ci->_etraps;
        break;
    case ET_RESUME_VM:
    case ET_RESUME_THROW_VM:
        traps = _suspended_traps;
        ci->_root = _suspended_root;
        _suspended = false;
        if (et == ET_RESUME_THROW_VM) goto exception_trap;
        break;
    }

    SQObjectPtr *stk;
    SQInstruction *ip;
#if SQ_COMPUTED_GOTO
    static void *const kLabels[SQ_OPCODE_COUNT] = {SQ_OPCODES(SQ_OP_LABEL_ADDRESS)};
#endif
    for (;;) {
    try {
    ip = ci->_ip;
    for (;;) {
        // The fast loop runs until an instruction needs more than its fast path; what it hands
        // back runs here, on the general path.
        ip = sqRunFast(this, ip);
        stk = _stack.data() + _stackbase;
        // Operands are read where used (keeping all four live across the dispatch spills them).
        const SQInstruction _i_ = *ip++;
#define arg0 static_cast<SQInteger>(_i_._arg0)
#define arg1 static_cast<SQInteger>(_i_._arg1)
#define arg2 static_cast<SQInteger>(_i_._arg2)
#define arg3 static_cast<SQInteger>(_i_._arg3)
        SQ_DISPATCH(_i_.op) {
        SQ_OP(LINE):  // handed back only while a debug hook is set
            if (sq_type(_debughook) != OT_NULL && !_debughook_running) {
                SAVE_IP();
                CallDebugHook('l', arg1);
            }
            continue;
        SQ_OP(LOAD):
        SQ_OP(LOADINT):
        SQ_OP(LOADFLOAT):
        SQ_OP(DLOAD):
        SQ_OP(MOVE):
        SQ_OP(DMOVE):
        SQ_OP(LOADNULLS):
        SQ_OP(LOADBOOL):
        SQ_OP(LOADROOTTABLE):
        SQ_OP(LOADFREEVAR):
        SQ_OP(EQ):
        SQ_OP(NE):
        SQ_OP(NOT):
        SQ_OP(POSTFOREACH):
            // Completed by the fast loop every time: never handed back.
            SAVE_IP();
            Raise_Error("internal vm error, opcode %d handed back", static_cast<int>(_i_.op));
            goto exception_trap;
        SQ_OP(TAILCALL): {
            SAVE_IP();
            SQObjectPtr &t = STK(arg1);
            // A frame with live traps keeps its frame (the traps point into its code).
            if (sq_type(t) == OT_CLOSURE && !_closure(t)->Proto()->_bgenerator && ci->_etraps == 0) {
                SQObjectPtr clo = t;
                for (SQInteger n = 0; n < ci->_vargs_size; n++) _vargsstack.pop_back();
                ci->_vargs_size = 0;
                for (SQInteger i = 0; i < arg3; i++) STK(i) = STK(arg2 + i);
                _GUARD(StartCall(_closure(clo), ci->_target, arg3, _stackbase, true));
                FRAME_CHANGED();
            }
            goto ordinary_call;  // any other callee
        }
        SQ_OP(CALL):
        ordinary_call: {
            SAVE_IP();
            SQObjectPtr ret;
            switch (CallInstruction(arg0, arg1, arg2, arg3, ret)) {
            case SQCallOutcome::Failed: goto exception_trap;
            case SQCallOutcome::Suspended:
                _suspended = true;
                _suspended_target = arg0;
                _suspended_root = ci->_root;
                _suspended_traps = traps;
                outres = ret;
                return true;
            case SQCallOutcome::Ran: break;
            }
            FRAME_CHANGED();
        }
        SQ_OP(PREPCALL):
        SQ_OP(PREPCALLK): {
            // Cells never move and Get copies what it passes to metamethods.
            const SQObjectPtr &key = (_i_.op == _OP_PREPCALLK) ? ci->_literals[arg1] : STK(arg1);
            const SQObjectPtr &o = STK(arg2);
            SAVE_IP();
            SQObjectPtr fn;
            if (!Get(o, key, fn, false, true)) {
                if (sq_type(o) == OT_CLASS && _table(_sharedstate->_class_default_delegate)->Get(key, fn)) {
                    STK(arg3) = o;
                    TARGET = fn;
                    continue;
                }
                Raise_IdxError(key);
                goto exception_trap;
            }
            STK(arg3) = (sq_type(o) == OT_CLASS) ? STK(0) : o;
            TARGET = fn;
            continue;
        }
        SQ_OP(GETK): {
            SAVE_IP();
            SQObjectPtr v;
            if (!Get(STK(arg2), ci->_literals[arg1], v, false, true)) {
                Raise_IdxError(ci->_literals[arg1]);
                goto exception_trap;
            }
            TARGET = std::move(v);
            continue;
        }
        SQ_OP(NEWSLOT):
            SAVE_IP();
            _GUARD(NewSlot(STK(arg1), STK(arg2), STK(arg3), false));
            if (arg0 != arg3) TARGET = STK(arg3);
            continue;
        SQ_OP(DELETE): {
            SAVE_IP();
            SQObjectPtr res;
            _GUARD(DeleteSlot(STK(arg1), STK(arg2), res));
            TARGET = res;
            continue;
        }
        SQ_OP(SET):
            SAVE_IP();
            if (!Set(STK(arg1), STK(arg2), STK(arg3), true)) {
                Raise_IdxError(STK(arg2));
                goto exception_trap;
            }
            if (arg0 != arg3) TARGET = STK(arg3);
            continue;
        SQ_OP(GET): {
            SAVE_IP();
            SQObjectPtr v;
            if (!Get(STK(arg1), STK(arg2), v, false, true)) {
                Raise_IdxError(STK(arg2));
                goto exception_trap;
            }
            TARGET = std::move(v);
            continue;
        }
        SQ_OP(ARITH): {
            SAVE_IP();
            SQObjectPtr res;
            _GUARD(ARITH_OP(static_cast<SQUnsignedInteger>(arg3), res, STK(arg2), STK(arg1)));
            TARGET = std::move(res);
            continue;
        }
        SQ_OP(BITW): {
            SAVE_IP();
            SQObjectPtr res;
            _GUARD(BW_OP(static_cast<SQUnsignedInteger>(arg3), res, STK(arg2), STK(arg1)));
            TARGET = std::move(res);
            continue;
        }
        SQ_OP(RETURN): {
            SAVE_IP();
            if (ci->_generator) ci->_generator->Kill();
            if (ci->_etraps > 0) {
                // Only bytecode from a file returns with traps left; they die with the frame.
                _etraps.resize(_etraps.size() - static_cast<size_t>(ci->_etraps));
                traps -= ci->_etraps;
                ci->_etraps = 0;
            }
            SQObjectPtr ret;
            if (Return(arg0, arg1, ret)) {
                outres = ret;
                return true;
            }
            FRAME_CHANGED();
        }
        // Jumps are handed back when a backward one finds the budget spent.
        SQ_OP(JMP):
            ip += arg1;
            _SPEND_ON_BACKJUMP(arg1);
            continue;
        SQ_OP(JNZ):
            if (!IsFalse(STK(arg0))) {
                ip += arg1;
                _SPEND_ON_BACKJUMP(arg1);
            }
            continue;
        SQ_OP(JZ):
            if (IsFalse(STK(arg0))) {
                ip += arg1;
                _SPEND_ON_BACKJUMP(arg1);
            }
            continue;
        SQ_OP(AND):
            if (IsFalse(STK(arg2))) {
                TARGET = STK(arg2);
                ip += arg1;
                _SPEND_ON_BACKJUMP(arg1);
            }
            continue;
        SQ_OP(OR):
            if (!IsFalse(STK(arg2))) {
                TARGET = STK(arg2);
                ip += arg1;
                _SPEND_ON_BACKJUMP(arg1);
            }
            continue;
        SQ_OP(VARGC): TARGET = SQObjectPtr(ci->_vargs_size); continue;
        SQ_OP(GETVARGV): {
            SAVE_IP();
            SQObjectPtr res, idx = STK(arg1);
            _GUARD(GETVARGV_OP(res, idx));
            TARGET = res;
            continue;
        }
        SQ_OP(NEWTABLE):
            SAVE_IP();
            TARGET = SQObjectPtr(SQTable::Create(_sharedstate, std::clamp<SQInteger>(arg1, 0, kMaxSizeHint)));
            continue;
        SQ_OP(NEWARRAY): {
            SAVE_IP();
            SQArray *a = SQArray::Create(_sharedstate, 0);
            a->_values.reserve(static_cast<size_t>(std::clamp<SQInteger>(arg1, 0, kMaxSizeHint)));
            TARGET = SQObjectPtr(a);
            continue;
        }
        SQ_OP(APPENDARRAY):
            SAVE_IP();
            if (sq_type(STK(arg0)) != OT_ARRAY) {
                Raise_Error("internal vm error, appending to a %s", GetTypeName(STK(arg0)));
                goto exception_trap;
            }
            _array(STK(arg0))->Append(arg3 != 0 ? ci->_literals[arg1] : STK(arg1));
            continue;
        SQ_OP(GETPARENT): {
            SAVE_IP();
            const SQObjectPtr &o = STK(arg1);
            SQObjectPtr res;
            if (sq_type(o) == OT_TABLE) {
                if (_table(o)->_delegate) res = SQObjectPtr(_table(o)->_delegate);
            } else if (sq_type(o) == OT_CLASS) {
                if (_class(o)->_base) res = SQObjectPtr(_class(o)->_base);
            } else {
                Raise_Error("the %s type doesn't have a parent slot", GetTypeName(o));
                goto exception_trap;
            }
            TARGET = res;
            continue;
        }
        SQ_OP(COMPARITH): {
            SAVE_IP();
            SQInteger selfidx = (arg1 >> 16) & 0xFFFF;
            SQObjectPtr res;
            _GUARD(DerefInc(arg3, res, STK(selfidx), STK(arg2), STK(arg1 & 0xFFFF), false));
            TARGET = res;
            continue;
        }
        SQ_OP(COMPARITHL): {
            SAVE_IP();
            SQObjectPtr res;
            _GUARD(ARITH_OP(static_cast<SQUnsignedInteger>(arg3), res, STK(arg1), STK(arg2)));
            TARGET = res;
            STK(arg1) = res;
            continue;
        }
        SQ_OP(INC):
        SQ_OP(PINC): {
            SAVE_IP();
            SQObjectPtr incr(static_cast<SQInteger>(static_cast<signed char>(arg3)));
            SQObjectPtr res;
            _GUARD(DerefInc('+', res, STK(arg1), STK(arg2), incr, _i_.op == _OP_PINC));
            TARGET = res;
            continue;
        }
        SQ_OP(INCL):
        SQ_OP(PINCL): {
            SAVE_IP();
            SQObjectPtr incr(static_cast<SQInteger>(static_cast<signed char>(arg3)));
            SQObjectPtr old = STK(arg1), res;
            _GUARD(ARITH_OP('+', res, old, incr));
            TARGET = _i_.op == _OP_INCL ? res : old;
            STK(arg1) = res;
            continue;
        }
        SQ_OP(CMP): {
            SAVE_IP();
            SQObjectPtr res;
            _GUARD(CMP_OP(static_cast<SQCompareOp>(arg3), STK(arg2), STK(arg1), res));
            TARGET = res;
            continue;
        }
        SQ_OP(EXISTS): {
            SAVE_IP();
            SQObjectPtr tmp;
            bool res = Get(STK(arg1), STK(arg2), tmp, true, false);
            TARGET = SQObjectPtr(res);
            continue;
        }
        SQ_OP(INSTANCEOF): {
            SAVE_IP();
            const SQObjectPtr &c = STK(arg1);
            const SQObjectPtr &i = STK(arg2);
            if (sq_type(c) != OT_CLASS || sq_type(i) != OT_INSTANCE) {
                Raise_Error("cannot apply instanceof between a %s and a %s", GetTypeName(c), GetTypeName(i));
                goto exception_trap;
            }
            TARGET = SQObjectPtr(_instance(i)->InstanceOf(_class(c)));
            continue;
        }
        SQ_OP(NEG): {
            SAVE_IP();
            SQObjectPtr res;
            _GUARD(NEG_OP(res, STK(arg1)));
            TARGET = res;
            continue;
        }
        SQ_OP(BWNOT):
            if (sq_type(STK(arg1)) == OT_INTEGER) {
                TARGET = SQObjectPtr(static_cast<SQInteger>(~_integer(STK(arg1))));
                continue;
            }
            SAVE_IP();
            Raise_Error("attempt to perform a bitwise op on a %s", GetTypeName(STK(arg1)));
            goto exception_trap;
        SQ_OP(CLOSURE): {
            SAVE_IP();
            SQClosure *c = _closure(ci->_closure);
            SQFunctionProto *fp = c->Proto();
            SQObjectPtr res;
            _GUARD(CLOSURE_OP(res, fp->Function(arg1)));
            TARGET = res;
            continue;
        }
        SQ_OP(YIELD): {
            SAVE_IP();
            if (!ci->_generator) {
                Raise_Error("trying to yield a '%s',only genenerator can be yielded", GetTypeName(ci->_closure));
                goto exception_trap;
            }
            SQObjectPtr val;
            if (arg0 != SQ_NO_OPERAND) val = STK(arg1);
            SQInteger frametraps = ci->_etraps;
            _GUARD(ci->_generator->Yield(this));
            traps -= frametraps;
            if (arg0 != SQ_NO_OPERAND) STK(arg1) = val;
            SQObjectPtr ret;
            if (Return(arg0, arg1, ret)) {
                outres = ret;
                return true;
            }
            FRAME_CHANGED();
        }
        SQ_OP(RESUME): {
            SAVE_IP();
            SQObjectPtr g = STK(arg1);
            if (sq_type(g) != OT_GENERATOR) {
                Raise_Error("trying to resume a '%s',only genenerator can be resumed", GetTypeName(g));
                goto exception_trap;
            }
            _GUARD(_generator(g)->Resume(this, arg0));
            traps += ci->_etraps;
            FRAME_CHANGED();
        }
        SQ_OP(FOREACH): {
            SAVE_IP();
            SQInteger tojump;
            bool resumed;
            SQInteger callerci = _callsstacksize - 1;
            _GUARD(FOREACH_OP(arg0, arg2, arg1, tojump, resumed));
            _callsstack[static_cast<size_t>(callerci)]._ip += tojump;
            _SPEND_ON_BACKJUMP(tojump);
            if (resumed) traps += ci->_etraps;
            FRAME_CHANGED();
        }
        SQ_OP(DELEGATE): {
            SAVE_IP();
            SQObjectPtr t = STK(arg1), d = STK(arg2);
            if (sq_type(t) != OT_TABLE) {
                Raise_Error("delegating a '%s'", GetTypeName(t));
                goto exception_trap;
            }
            switch (sq_type(d)) {
            case OT_TABLE:
                if (!_table(t)->SetDelegate(_table(d))) {
                    Raise_Error("delegate cycle detected");
                    goto exception_trap;
                }
                break;
            case OT_NULL: _table(t)->SetDelegate(nullptr); break;
            default:
                Raise_Error("using '%s' as delegate", GetTypeName(d));
                goto exception_trap;
            }
            TARGET = t;
            continue;
        }
        SQ_OP(CLONE): {
            SAVE_IP();
            SQObjectPtr res;
            _GUARD(Clone(STK(arg1), res));
            TARGET = res;
            continue;
        }
        SQ_OP(TYPEOF): {
            SAVE_IP();
            SQObjectPtr res;
            TypeOf(STK(arg1), res);
            TARGET = res;
            continue;
        }
        SQ_OP(PUSHTRAP): {
            SAVE_IP();
            SQExceptionTrap t;
            t._stacksize = _top;
            t._stackbase = _stackbase;
            t._ip = ip + arg1;
            t._extarget = arg0;
            _etraps.push_back(t);
            traps++;
            ci->_etraps++;
            continue;
        }
        SQ_OP(POPTRAP):
            SAVE_IP();
            if (arg0 > ci->_etraps) {
                Raise_Error("internal vm error, popping a trap that was not pushed");
                goto exception_trap;
            }
            for (SQInteger i = 0; i < arg0; i++) {
                _etraps.pop_back();
                traps--;
                ci->_etraps--;
            }
            continue;
        SQ_OP(THROW):
            SAVE_IP();
            Raise_Error(STK(arg0));
            goto exception_trap;
        SQ_OP(CLASS): {
            SAVE_IP();
            SQObjectPtr res;
            _GUARD(CLASS_OP(res, arg1, arg2));
            TARGET = res;
            continue;
        }
        SQ_OP(NEWSLOTA):
            SAVE_IP();
            _GUARD(NEWSLOTA_OP(arg0, STK(arg1), STK(arg2), STK(arg3), (arg0 & NEW_SLOT_ATTRIBUTES_FLAG) ? STK(arg2 - 1) : SQObjectPtr()));
            continue;
        SQ_UNKNOWN_OP:
            SAVE_IP();
            Raise_Error("internal vm error, unknown opcode %d", static_cast<int>(_i_.op));
            goto exception_trap;
        }
    }
#undef arg0
#undef arg1
#undef arg2
#undef arg3
    } catch (const std::bad_alloc &) {
        Raise_Error("not enough memory");
    }

exception_trap : {
    SQObjectPtr currerror = _lasterror;
    SQInteger last_top = _top;
    if (_sharedstate->_notifyallexceptions || (!traps && raiseerror)) CallErrorHandler(currerror);
    while (ci) {
        if (ci->_etraps > 0 && (_budget-- > 0 || !BudgetSpent())) {
            SQExceptionTrap &et = _etraps.back();
            ci->_ip = et._ip;
            _top = et._stacksize;
            _stackbase = et._stackbase;
            _stack[static_cast<size_t>(_stackbase + et._extarget)] = currerror;
            _etraps.pop_back();
            traps--;
            ci->_etraps--;
            while (last_top > _top) _stack[static_cast<size_t>(--last_top)].Null();
            goto next_instruction;
        }
        if (ci->_etraps > 0) {
            // Traps skipped because the budget ran out go with their frame.
            _etraps.resize(_etraps.size() - static_cast<size_t>(ci->_etraps));
            traps -= ci->_etraps;
            ci->_etraps = 0;
        }
        if (ci->_generator) ci->_generator->Kill();
        bool mustbreak = ci->_root;
        LeaveFrame();
        if (mustbreak) break;
    }
    _lasterror = currerror;
    return false;
}
next_instruction:;
    }
}
