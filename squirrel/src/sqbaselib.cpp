// Base library (global functions every VM gets) and the default delegates of every type.
#include "sqinternal.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Helpers

void pushString(HSQUIRRELVM v, const SQChar *s) { sq_pushstring(v, s, -1); }

// Value on top, table below it: pops the value into slot `key` of the table.
void setSlot(HSQUIRRELVM v, const SQChar *key)
{
    sq_pushstring(v, key, -1);
    sq_push(v, -2);
    sq_newslot(v, -4, SQFalse);
    sq_pop(v, 1);
}

void pushObject(HSQUIRRELVM v, const SQObjectPtr &o) { sq_pushobject(v, o); }

SQObjectPtr &arg(HSQUIRRELVM v, SQInteger idx) { return stack_get(v, idx); }

// Own member/slot test without delegates, metamethods or touching the last error.
bool rawContains(const SQObjectPtr &self, const SQObjectPtr &key)
{
    SQObjectPtr dummy;
    switch (sq_type(self)) {
    case OT_TABLE: return _table(self)->Get(key, dummy);
    case OT_CLASS: return _class(self)->_members->Get(key, dummy);
    case OT_INSTANCE: return _instance(self)->_class->_members->Get(key, dummy);
    default: return false;
    }
}

// Parses a script string the way tointeger()/tofloat() do: with a '.', C strtod; otherwise
// strtol base 10 clamped to 32 bits. False when no digits were consumed.
bool parseNumber(const SQChar *s, bool &isFloat, double &f, SQInteger &i)
{
    char *end = nullptr;
    if (std::strchr(s, '.')) {
        isFloat = true;
        f = std::strtod(s, &end);
    } else {
        isFloat = false;
        errno = 0;
        long l = std::strtol(s, &end, 10);
        if (l > INT_MAX)
            l = INT_MAX;
        if (l < INT_MIN)
            l = INT_MIN;
        i = static_cast<SQInteger>(l);
    }
    return end != s;
}

// Resolves slice(start, [end]) arguments against `len`; false after raising the error.
bool sliceRange(HSQUIRRELVM v, SQInteger len, SQInteger &start, SQInteger &end)
{
    SQInteger top = sq_gettop(v);
    start = 0;
    end = len;
    if (top > 1)
        sq_getinteger(v, 2, &start);
    if (top > 2)
        sq_getinteger(v, 3, &end);
    if (start < 0)
        start += len;
    if (end < 0)
        end += len;
    if (end < start) {
        sq_throwerror(v, "wrong indexes");
        return false;
    }
    // A start still negative after adding the length would read before the data.
    if (end > len || start < 0) {
        sq_throwerror(v, "slice out of range");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Base library globals

SQInteger base_dummy(HSQUIRRELVM) { return 0; }

SQInteger base_collectgarbage(HSQUIRRELVM v)
{
    sq_pushinteger(v, sq_collectgarbage(v));
    return 1;
}

SQInteger base_getroottable(HSQUIRRELVM v)
{
    sq_pushroottable(v);
    return 1;
}

SQInteger base_getconsttable(HSQUIRRELVM v)
{
    sq_pushconsttable(v);
    return 1;
}

SQInteger base_setroottable(HSQUIRRELVM v)
{
    sq_push(v, 2);
    if (SQ_FAILED(sq_setroottable(v)))
        return SQ_ERROR;
    return 0;
}

SQInteger base_setconsttable(HSQUIRRELVM v)
{
    sq_push(v, 2);
    if (SQ_FAILED(sq_setconsttable(v)))
        return SQ_ERROR;
    return 0;
}

SQInteger base_seterrorhandler(HSQUIRRELVM v)
{
    sq_push(v, 2);
    sq_seterrorhandler(v);
    return 0;
}

SQInteger base_setdebughook(HSQUIRRELVM v)
{
    sq_push(v, 2);
    sq_setdebughook(v);
    return 0;
}

SQInteger base_enabledebuginfo(HSQUIRRELVM v)
{
    // Anything but null turns it on, including false.
    sq_enabledebuginfo(v, sq_gettype(v, 2) != OT_NULL ? SQTrue : SQFalse);
    return 0;
}

SQInteger base_getstackinfos(HSQUIRRELVM v)
{
    SQInteger level = 0;
    sq_getinteger(v, 2, &level);
    SQStackInfos si;
    if (SQ_FAILED(sq_stackinfos(v, level, &si)))
        return 0;
    const SQChar *fn = si.funcname ? si.funcname : "unknown";
    const SQChar *src = si.source ? si.source : "unknown";
    sq_newtable(v);
    pushString(v, fn);
    setSlot(v, "func");
    pushString(v, src);
    setSlot(v, "src");
    sq_pushinteger(v, si.line);
    setSlot(v, "line");
    sq_newtable(v);
    SQUnsignedInteger seq = 0;
    while (const SQChar *name = sq_getlocal(v, static_cast<SQUnsignedInteger>(level), seq)) {
        // stack: ..., locals, value
        sq_pushstring(v, name, -1);
        sq_push(v, -2);
        sq_newslot(v, -4, SQFalse);
        sq_pop(v, 1);
        ++seq;
    }
    setSlot(v, "locals");
    return 1;
}

SQInteger base_assert(HSQUIRRELVM v)
{
    SQBool b = SQFalse;
    sq_tobool(v, 2, &b);
    if (!b)
        return sq_throwerror(v, "assertion failed");
    return 0;
}

SQInteger base_print(HSQUIRRELVM v)
{
    sq_tostring(v, 2);
    const SQChar *s = nullptr;
    sq_getstring(v, -1, &s);
    if (SQPRINTFUNCTION pf = sq_getprintfunc(v); pf && s)
        pf(v, "%s", s);
    return 0;
}

SQInteger base_compilestring(HSQUIRRELVM v)
{
    const SQChar *src = nullptr;
    const SQChar *name = "unnamedbuffer";
    sq_getstring(v, 2, &src);
    if (sq_gettop(v) > 2)
        sq_getstring(v, 3, &name);
    // Compilation stops at an embedded zero byte.
    if (SQ_FAILED(sq_compilebuffer(v, src, static_cast<SQInteger>(std::strlen(src)), name, SQFalse)))
        return SQ_ERROR;
    return 1;
}

SQInteger base_newthread(HSQUIRRELVM v)
{
    const SQObjectPtr &func = arg(v, 2);
    if (sq_type(func) != OT_CLOSURE) {
        // A thread can only run a script function.
        v->Raise_ParamTypeError(1, _RT_CLOSURE, sq_type(func));
        return SQ_ERROR;
    }
    SQInteger stacksize = _closure(func)->Proto()->_stacksize * 2 + 2;
    if (stacksize < 12)
        stacksize = 12;
    HSQUIRRELVM thread = sq_newthread(v, stacksize);
    sq_move(thread, v, 2);
    return 1;
}

SQInteger base_suspend(HSQUIRRELVM v) { return sq_suspendvm(v); }

SQInteger base_array(HSQUIRRELVM v)
{
    SQInteger size = 0;
    sq_getinteger(v, 2, &size);
    if (size < 0)
        return sq_throwerror(v, "negative size");
    SQArray *a = SQArray::Create(_ss(v), 0);
    SQObjectPtr holder(a);
    v->SpendBulk(static_cast<std::int64_t>(size) * static_cast<std::int64_t>(sizeof(SQObjectPtr)));
    if (!a->Resize(size, sq_gettop(v) > 2 ? arg(v, 3) : SQObjectPtr()))
        return sq_throwerror(v, "not enough memory");
    pushObject(v, holder);
    return 1;
}

SQInteger base_type(HSQUIRRELVM v)
{
    pushString(v, GetTypeName(arg(v, 2)));
    return 1;
}

const SQRegFunction kBaseFunctions[] = {
    {"seterrorhandler", base_seterrorhandler, 2, nullptr},
    {"setdebughook", base_setdebughook, 2, nullptr},
    {"enabledebuginfo", base_enabledebuginfo, 2, nullptr},
    {"getstackinfos", base_getstackinfos, 2, ".n"},
    {"getroottable", base_getroottable, 1, nullptr},
    {"setroottable", base_setroottable, 2, nullptr},
    {"getconsttable", base_getconsttable, 1, nullptr},
    {"setconsttable", base_setconsttable, 2, nullptr},
    {"assert", base_assert, 2, nullptr},
    {"print", base_print, 2, nullptr},
    {"compilestring", base_compilestring, -2, ".ss"},
    {"newthread", base_newthread, 2, ".c"},
    {"suspend", base_suspend, -1, nullptr},
    {"array", base_array, -2, ".n"},
    {"type", base_type, 2, nullptr},
    {"dummy", base_dummy, 0, nullptr},
    {"collectgarbage", base_collectgarbage, 1, "t"},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// Shared delegate members

SQInteger default_weakref(HSQUIRRELVM v)
{
    sq_weakref(v, 1);
    return 1;
}

SQInteger default_tostring(HSQUIRRELVM v)
{
    sq_tostring(v, 1);
    return 1;
}

SQInteger obj_len(HSQUIRRELVM v)
{
    sq_pushinteger(v, sq_getsize(v, 1));
    return 1;
}

SQInteger obj_clear(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_clear(v, 1)))
        return SQ_ERROR;
    return 0;
}

SQInteger obj_rawin(HSQUIRRELVM v)
{
    sq_pushbool(v, rawContains(arg(v, 1), arg(v, 2)) ? SQTrue : SQFalse);
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Table

SQInteger table_rawget(HSQUIRRELVM v)
{
    sq_push(v, 2);
    if (SQ_FAILED(sq_rawget(v, 1)))
        return SQ_ERROR;
    return 1;
}

SQInteger table_rawset(HSQUIRRELVM v)
{
    sq_push(v, 2);
    sq_push(v, 3);
    if (SQ_FAILED(sq_rawset(v, 1)))
        return SQ_ERROR;
    return 0;
}

SQInteger table_rawdelete(HSQUIRRELVM v)
{
    const SQObjectPtr &self = arg(v, 1);
    const SQObjectPtr &key = arg(v, 2);
    SQObjectPtr old;
    if (sq_type(key) != OT_NULL && _table(self)->Get(key, old)) {
        old = sqDerefWeak(old);
        _table(self)->Remove(key);
        pushObject(v, old);
        return 1;
    }
    return 0;
}

const SQRegFunction kTableDelegate[] = {
    {"len", obj_len, 1, "t"},
    {"rawget", table_rawget, 2, "t"},
    {"rawset", table_rawset, 3, "t"},
    {"rawdelete", table_rawdelete, 2, "t"},
    {"rawin", obj_rawin, 2, "t"},
    {"weakref", default_weakref, 1, nullptr},
    {"tostring", default_tostring, 1, nullptr},
    {"clear", obj_clear, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// Array

SQArray *selfArray(HSQUIRRELVM v) { return _array(arg(v, 1)); }

SQInteger array_append(HSQUIRRELVM v)
{
    selfArray(v)->Append(arg(v, 2));
    return 0;
}

SQInteger array_extend(HSQUIRRELVM v)
{
    selfArray(v)->Extend(_array(arg(v, 2)));
    return 0;
}

SQInteger array_pop(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_arraypop(v, 1, SQTrue)))
        return SQ_ERROR;
    return 1;
}

SQInteger array_top(HSQUIRRELVM v)
{
    SQArray *a = selfArray(v);
    if (a->Size() == 0)
        return sq_throwerror(v, "top() on a empty array");
    SQObjectPtr top;
    a->Get(a->Size() - 1, top);
    pushObject(v, top);
    return 1;
}

SQInteger array_insert(HSQUIRRELVM v)
{
    SQInteger idx = 0;
    sq_getinteger(v, 2, &idx);
    if (!selfArray(v)->Insert(idx, arg(v, 3)))
        return sq_throwerror(v, "index out of range");
    return 0;
}

SQInteger array_remove(HSQUIRRELVM v)
{
    if (!sq_isnumeric(arg(v, 2)))
        return sq_throwerror(v, "wrong type");
    SQInteger idx = sqToInteger(arg(v, 2));
    SQArray *a = selfArray(v);
    SQObjectPtr val;
    if (!a->Get(idx, val))
        return sq_throwerror(v, "idx out of range");
    a->Remove(idx);
    pushObject(v, val);
    return 1;
}

SQInteger array_resize(HSQUIRRELVM v)
{
    if (!sq_isnumeric(arg(v, 2)))
        return sq_throwerror(v, "size must be a number");
    SQInteger size = sqToInteger(arg(v, 2));
    if (size < 0)
        return sq_throwerror(v, "negative size");
    v->SpendBulk(static_cast<std::int64_t>(size) * static_cast<std::int64_t>(sizeof(SQObjectPtr)));
    if (!selfArray(v)->Resize(size, sq_gettop(v) > 2 ? arg(v, 3) : SQObjectPtr()))
        return sq_throwerror(v, "not enough memory");
    return 0;
}

SQInteger array_reverse(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_arrayreverse(v, 1)))
        return SQ_ERROR;
    return 0;
}

// Quicksort with the first element as pivot; the exact sequence of comparisons is visible to
// comparators, so the partition loop follows the reference step by step.
class ArraySorter {
public:
    ArraySorter(HSQUIRRELVM v, SQArray *a, const SQObjectPtr *cmp) : v_(v), a_(a), size_(a->Size()), cmp_(cmp) {}

    bool Sort()
    {
        // Ranges still to sort; the left part of each split is finished before the right one.
        std::vector<std::pair<SQInteger, SQInteger>> pending{{0, size_ - 1}};
        while (!pending.empty()) {
            auto [l, r] = pending.back();
            pending.pop_back();
            if (l >= r)
                continue;
            SQInteger j = 0;
            if (!Partition(l, r, j))
                return false;
            pending.emplace_back(j + 1, r);
            pending.emplace_back(l, j - 1);
        }
        return true;
    }

private:
    bool Partition(SQInteger l, SQInteger r, SQInteger &jOut)
    {
        SQObjectPtr pivot;
        if (!At(l, pivot))
            return false;
        SQInteger i = l, j = r + 1;
        SQInteger c = 0;
        SQObjectPtr x;
        for (;;) {
            for (;;) {
                if (++i > r)
                    break;
                if (!At(i, x) || !Compare(x, pivot, c))
                    return false;
                if (c > 0)
                    break;
            }
            for (;;) {
                if (--j < 0) {
                    v_->Raise_Error("Invalid qsort, probably compare function defect");
                    return false;
                }
                if (!At(j, x) || !Compare(x, pivot, c))
                    return false;
                if (c <= 0)
                    break;
            }
            if (i >= j)
                break;
            Swap(i, j);
        }
        Swap(l, j);
        jOut = j;
        return true;
    }

    // A comparator that changes the array's size cannot be sorted against safely.
    bool At(SQInteger i, SQObjectPtr &out)
    {
        if (a_->Size() != size_ || i < 0 || i >= size_) {
            v_->Raise_Error("Invalid qsort, probably compare function defect");
            return false;
        }
        out = a_->_values[static_cast<std::size_t>(i)];
        return true;
    }

    void Swap(SQInteger i, SQInteger j)
    {
        std::swap(a_->_values[static_cast<std::size_t>(i)], a_->_values[static_cast<std::size_t>(j)]);
    }

    bool Compare(const SQObjectPtr &x, const SQObjectPtr &y, SQInteger &res)
    {
        if (!cmp_)
            return v_->ObjCmp(x, y, res);
        SQInteger top = sq_gettop(v_);
        v_->Push(*cmp_);
        sq_pushroottable(v_);
        v_->Push(x);
        v_->Push(y);
        if (SQ_FAILED(sq_call(v_, 3, SQTrue, SQFalse))) {
            if (sq_type(v_->_lasterror) != OT_STRING)
                v_->Raise_Error("compare func failed");
            sq_settop(v_, top);
            return false;
        }
        const SQObjectPtr &ret = v_->Top();
        // Only numbers are meaningful results; anything else counts as equal.
        res = sq_isnumeric(ret) ? sqToInteger(ret) : 0;
        sq_settop(v_, top);
        return true;
    }

    HSQUIRRELVM v_;
    SQArray *a_;
    SQInteger size_;
    const SQObjectPtr *cmp_;
};

SQInteger array_sort(HSQUIRRELVM v)
{
    SQObjectPtr self = arg(v, 1); // keeps the array alive while comparators run
    SQArray *a = _array(self);
    if (a->Size() <= 1)
        return 0;
    SQObjectPtr cmp;
    bool hasCmp = false;
    if (sq_gettop(v) > 1) {
        cmp = arg(v, 2);
        hasCmp = sq_type(cmp) == OT_CLOSURE || sq_type(cmp) == OT_NATIVECLOSURE;
    }
    ArraySorter sorter(v, a, hasCmp ? &cmp : nullptr);
    if (!sorter.Sort())
        return SQ_ERROR;
    return 0;
}

SQInteger array_slice(HSQUIRRELVM v)
{
    SQArray *a = selfArray(v);
    SQInteger start = 0, end = 0;
    if (!sliceRange(v, a->Size(), start, end))
        return SQ_ERROR;
    SQArray *out = SQArray::Create(_ss(v), end - start);
    SQObjectPtr holder(out);
    for (SQInteger i = start; i < end; ++i)
        out->_values[static_cast<std::size_t>(i - start)] = a->_values[static_cast<std::size_t>(i)];
    pushObject(v, holder);
    return 1;
}

const SQRegFunction kArrayDelegate[] = {
    {"len", obj_len, 1, "a"},
    {"append", array_append, 2, "a"},
    {"extend", array_extend, 2, "aa"},
    {"push", array_append, 2, "a"},
    {"pop", array_pop, 1, "a"},
    {"top", array_top, 1, "a"},
    {"insert", array_insert, 3, "an"},
    {"remove", array_remove, 2, "an"},
    {"resize", array_resize, -2, "an"},
    {"reverse", array_reverse, 1, "a"},
    {"sort", array_sort, -1, "ac"},
    {"slice", array_slice, -1, "ann"},
    {"weakref", default_weakref, 1, nullptr},
    {"tostring", default_tostring, 1, nullptr},
    {"clear", obj_clear, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// String

SQString *selfString(HSQUIRRELVM v) { return _string(arg(v, 1)); }

SQInteger string_tointeger(HSQUIRRELVM v)
{
    bool isFloat = false;
    double f = 0;
    SQInteger i = 0;
    if (!parseNumber(selfString(v)->_val, isFloat, f, i))
        return sq_throwerror(v, "cannot convert the string");
    sq_pushinteger(v, isFloat ? sqFloatToInteger(static_cast<SQFloat>(f)) : i);
    return 1;
}

SQInteger string_tofloat(HSQUIRRELVM v)
{
    bool isFloat = false;
    double f = 0;
    SQInteger i = 0;
    if (!parseNumber(selfString(v)->_val, isFloat, f, i))
        return sq_throwerror(v, "cannot convert the string");
    sq_pushfloat(v, isFloat ? static_cast<SQFloat>(f) : static_cast<SQFloat>(i));
    return 1;
}

SQInteger string_tostring(HSQUIRRELVM v)
{
    sq_push(v, 1);
    return 1;
}

SQInteger string_slice(HSQUIRRELVM v)
{
    SQString *s = selfString(v);
    SQInteger start = 0, end = 0;
    if (!sliceRange(v, s->_len, start, end))
        return SQ_ERROR;
    sq_pushstring(v, s->_val + start, end - start);
    return 1;
}

SQInteger string_find(HSQUIRRELVM v)
{
    SQString *s = selfString(v);
    const SQChar *sub = nullptr;
    if (SQ_FAILED(sq_getstring(v, 2, &sub)))
        return sq_throwerror(v, "invalid param");
    SQInteger start = 0;
    if (sq_gettop(v) > 2 && SQ_FAILED(sq_getinteger(v, 3, &start)))
        return sq_throwerror(v, "invalid param");
    if (start < 0 || start >= s->_len)
        return 0;
    // C string search: both texts end at their first zero byte.
    const SQChar *found = std::strstr(s->_val + start, sub);
    if (!found)
        return 0;
    sq_pushinteger(v, static_cast<SQInteger>(found - s->_val));
    return 1;
}

template <int (*Map)(int)>
SQInteger string_map(HSQUIRRELVM v)
{
    SQString *s = selfString(v);
    std::string out(s->_val, static_cast<std::size_t>(s->_len));
    for (char &c : out)
        c = static_cast<char>(Map(static_cast<unsigned char>(c)));
    sq_pushstring(v, out.c_str(), s->_len);
    return 1;
}

int lowerByte(int c) { return std::tolower(c); }
int upperByte(int c) { return std::toupper(c); }

const SQRegFunction kStringDelegate[] = {
    {"len", obj_len, 1, "s"},
    {"tointeger", string_tointeger, 1, "s"},
    {"tofloat", string_tofloat, 1, "s"},
    {"tostring", string_tostring, 1, nullptr},
    {"slice", string_slice, -1, "snn"},
    {"find", string_find, -2, "ssn"},
    {"tolower", string_map<lowerByte>, 1, "s"},
    {"toupper", string_map<upperByte>, 1, "s"},
    {"weakref", default_weakref, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// Number (integer, float, bool)

SQInteger selfInteger(HSQUIRRELVM v)
{
    const SQObjectPtr &o = arg(v, 1);
    switch (sq_type(o)) {
    case OT_FLOAT: return sqFloatToInteger(_float(o));
    case OT_INTEGER:
    case OT_BOOL: return _integer(o);
    default: return 0;
    }
}

SQInteger number_tointeger(HSQUIRRELVM v)
{
    sq_pushinteger(v, selfInteger(v));
    return 1;
}

SQInteger number_tofloat(HSQUIRRELVM v)
{
    const SQObjectPtr &o = arg(v, 1);
    sq_pushfloat(v, sq_type(o) == OT_FLOAT ? _float(o) : static_cast<SQFloat>(_integer(o)));
    return 1;
}

SQInteger number_tochar(HSQUIRRELVM v)
{
    SQChar c = static_cast<SQChar>(static_cast<unsigned>(selfInteger(v)) & 0xFF);
    sq_pushstring(v, &c, 1);
    return 1;
}

const SQRegFunction kNumberDelegate[] = {
    {"tointeger", number_tointeger, 1, "n|b"},
    {"tofloat", number_tofloat, 1, "n|b"},
    {"tostring", default_tostring, 1, nullptr},
    {"tochar", number_tochar, 1, "n|b"},
    {"weakref", default_weakref, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// Closure and native closure

SQInteger closureCall(HSQUIRRELVM v, SQBool raiseerror)
{
    if (SQ_FAILED(sq_call(v, sq_gettop(v) - 1, SQTrue, raiseerror)))
        return SQ_ERROR;
    return 1;
}

SQInteger closure_call(HSQUIRRELVM v) { return closureCall(v, SQTrue); }
SQInteger closure_pcall(HSQUIRRELVM v) { return closureCall(v, SQFalse); }

SQInteger closureArrayCall(HSQUIRRELVM v, SQBool raiseerror)
{
    SQObjectPtr args = arg(v, 2);
    SQArray *a = _array(args);
    if (a->Size() == 0)
        return sq_throwerror(v, "wrong number of parameters");
    sq_push(v, 1);
    if (!v->EnsureStack(v->_top + a->Size()))
        return sq_throwerror(v, "stack overflow");
    for (SQInteger i = 0; i < a->Size(); ++i) {
        SQObjectPtr val;
        a->Get(i, val);
        pushObject(v, val);
    }
    if (SQ_FAILED(sq_call(v, a->Size(), SQTrue, raiseerror)))
        return SQ_ERROR;
    return 1;
}

SQInteger closure_acall(HSQUIRRELVM v) { return closureArrayCall(v, SQTrue); }
SQInteger closure_pacall(HSQUIRRELVM v) { return closureArrayCall(v, SQFalse); }

SQInteger closure_bindenv(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_bindenv(v, 1)))
        return SQ_ERROR;
    return 1;
}

void setBoolSlot(HSQUIRRELVM v, const SQChar *key, bool value)
{
    sq_pushbool(v, value ? SQTrue : SQFalse);
    setSlot(v, key);
}

void setObjectSlot(HSQUIRRELVM v, const SQChar *key, const SQObject &value)
{
    pushObject(v, SQObjectPtr(value));
    setSlot(v, key);
}

SQInteger closure_getinfos(HSQUIRRELVM v)
{
    const SQObjectPtr &self = arg(v, 1);
    sq_newtable(v);
    if (sq_type(self) == OT_CLOSURE) {
        SQFunctionProto *f = _closure(self)->Proto();
        setBoolSlot(v, "native", false);
        setObjectSlot(v, "name", f->_name);
        setObjectSlot(v, "src", f->_sourcename);
        SQArray *params = SQArray::Create(_ss(v), 0);
        SQObjectPtr holder(params);
        for (const SQObjectPtr &p : f->_parameters)
            params->Append(p);
        if (f->_varparams)
            params->Append(SQObjectPtr(SQString::Create(_ss(v), "...")));
        setObjectSlot(v, "parameters", holder);
        setBoolSlot(v, "varargs", f->_varparams);
    } else {
        SQNativeClosure *nc = _nativeclosure(self);
        setBoolSlot(v, "native", true);
        setObjectSlot(v, "name", nc->_name);
        setObjectSlot(v, "paramscheck", SQObjectPtr(nc->_nparamscheck));
        SQObjectPtr typecheck;
        if (!nc->_typecheck.empty()) {
            SQArray *masks = SQArray::Create(_ss(v), 0);
            typecheck = SQObjectPtr(masks);
            for (SQInteger mask : nc->_typecheck)
                masks->Append(SQObjectPtr(mask));
        }
        setObjectSlot(v, "typecheck", typecheck);
    }
    return 1;
}

const SQRegFunction kClosureDelegate[] = {
    {"call", closure_call, -1, "c"},
    {"pcall", closure_pcall, -1, "c"},
    {"acall", closure_acall, 2, "ca"},
    {"pacall", closure_pacall, 2, "ca"},
    {"weakref", default_weakref, 1, nullptr},
    {"tostring", default_tostring, 1, nullptr},
    {"bindenv", closure_bindenv, 2, "c x|y|t"},
    {"getinfos", closure_getinfos, 1, "c"},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// Generator

SQInteger generator_getstatus(HSQUIRRELVM v)
{
    switch (_generator(arg(v, 1))->_state) {
    case SQGenerator::eSuspended: pushString(v, "suspended"); break;
    case SQGenerator::eRunning: pushString(v, "running"); break;
    case SQGenerator::eDead: pushString(v, "dead"); break;
    }
    return 1;
}

const SQRegFunction kGeneratorDelegate[] = {
    {"getstatus", generator_getstatus, 1, "g"},
    {"weakref", default_weakref, 1, nullptr},
    {"tostring", default_tostring, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// Thread

// Moves the result on top of `thread` to v (success) or its error to v (failure).
SQInteger finishThreadCall(HSQUIRRELVM v, HSQUIRRELVM thread, bool ok)
{
    if (ok) {
        sq_move(v, thread, -1);
        sq_pop(thread, 1);
        if (sq_getvmstate(thread) == SQ_VMSTATE_IDLE)
            sq_settop(thread, 1);
        return 1;
    }
    v->_lasterror = thread->_lasterror;
    sq_settop(thread, 1);
    return SQ_ERROR;
}

SQInteger thread_call(HSQUIRRELVM v)
{
    if (sq_type(arg(v, 1)) != OT_THREAD)
        return sq_throwerror(v, "wrong parameter");
    SQObjectPtr self = arg(v, 1);
    HSQUIRRELVM thread = _thread(self);
    SQInteger nparams = sq_gettop(v);
    sq_reservestack(thread, nparams + 3);
    sq_pushroottable(thread);
    for (SQInteger i = 2; i <= nparams; ++i)
        sq_move(thread, v, i);
    bool ok = SQ_SUCCEEDED(sq_call(thread, nparams, SQTrue, SQFalse));
    return finishThreadCall(v, thread, ok);
}

SQInteger thread_wakeup(HSQUIRRELVM v)
{
    if (sq_type(arg(v, 1)) != OT_THREAD)
        return sq_throwerror(v, "wrong parameter");
    SQObjectPtr self = arg(v, 1);
    HSQUIRRELVM thread = _thread(self);
    switch (sq_getvmstate(thread)) {
    case SQ_VMSTATE_IDLE: return sq_throwerror(v, "cannot wakeup a idle thread");
    case SQ_VMSTATE_RUNNING: return sq_throwerror(v, "cannot wakeup a running thread");
    default: break;
    }
    SQBool hasValue = sq_gettop(v) > 1 ? SQTrue : SQFalse;
    if (hasValue)
        sq_move(thread, v, 2);
    bool ok = SQ_SUCCEEDED(sq_wakeupvm(thread, hasValue, SQTrue, SQTrue, SQFalse));
    return finishThreadCall(v, thread, ok);
}

SQInteger thread_getstatus(HSQUIRRELVM v)
{
    switch (sq_getvmstate(_thread(arg(v, 1)))) {
    case SQ_VMSTATE_IDLE: pushString(v, "idle"); break;
    case SQ_VMSTATE_RUNNING: pushString(v, "running"); break;
    case SQ_VMSTATE_SUSPENDED: pushString(v, "suspended"); break;
    default: return sq_throwerror(v, "internal VM error");
    }
    return 1;
}

const SQRegFunction kThreadDelegate[] = {
    {"call", thread_call, -1, "v"},
    {"wakeup", thread_wakeup, -1, "v"},
    {"getstatus", thread_getstatus, 1, "v"},
    {"weakref", default_weakref, 1, nullptr},
    {"tostring", default_tostring, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// Class and instance

SQInteger class_getattributes(HSQUIRRELVM v)
{
    sq_push(v, 2);
    if (SQ_FAILED(sq_getattributes(v, 1)))
        return SQ_ERROR;
    return 1;
}

SQInteger class_setattributes(HSQUIRRELVM v)
{
    sq_push(v, 2);
    sq_push(v, 3);
    if (SQ_FAILED(sq_setattributes(v, 1)))
        return SQ_ERROR;
    return 1;
}

SQInteger class_instance(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_createinstance(v, 1)))
        return SQ_ERROR;
    return 1;
}

const SQRegFunction kClassDelegate[] = {
    {"getattributes", class_getattributes, 2, "y."},
    {"setattributes", class_setattributes, 3, "y.."},
    {"rawin", obj_rawin, 2, "y"},
    {"weakref", default_weakref, 1, nullptr},
    {"tostring", default_tostring, 1, nullptr},
    {"instance", class_instance, 1, "y"},
    {nullptr, nullptr, 0, nullptr},
};

SQInteger instance_getclass(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_getclass(v, 1)))
        return SQ_ERROR;
    return 1;
}

const SQRegFunction kInstanceDelegate[] = {
    {"getclass", instance_getclass, 1, "x"},
    {"rawin", obj_rawin, 2, "x"},
    {"weakref", default_weakref, 1, nullptr},
    {"tostring", default_tostring, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------
// Weak reference

SQInteger weakref_ref(HSQUIRRELVM v)
{
    if (SQ_FAILED(sq_getweakrefval(v, 1)))
        return SQ_ERROR;
    return 1;
}

const SQRegFunction kWeakrefDelegate[] = {
    {"ref", weakref_ref, 1, "r"},
    {"weakref", default_weakref, 1, nullptr},
    {"tostring", default_tostring, 1, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// ---------------------------------------------------------------------------------------------

// Adds named native closures for `funcs` into the table on top of the stack.
void registerFunctions(HSQUIRRELVM v, const SQRegFunction *funcs)
{
    for (const SQRegFunction *f = funcs; f->name; ++f) {
        sq_pushstring(v, f->name, -1);
        sq_newclosure(v, f->f, 0);
        sq_setparamscheck(v, f->nparamscheck, f->typemask);
        sq_setnativeclosurename(v, -1, f->name);
        sq_newslot(v, -3, SQFalse);
    }
}

SQObjectPtr createDelegate(HSQUIRRELVM v, const SQRegFunction *funcs)
{
    sq_newtable(v);
    registerFunctions(v, funcs);
    SQObjectPtr table = v->Top();
    sq_pop(v, 1);
    return table;
}

void setConstant(HSQUIRRELVM v, const SQChar *name, const SQObjectPtr &value)
{
    sq_pushstring(v, name, -1);
    pushObject(v, value);
    sq_newslot(v, -3, SQFalse);
}

} // namespace

void sq_registerbaselib_delegates(HSQUIRRELVM v)
{
    SQSharedState *ss = _ss(v);
    ss->_table_default_delegate = createDelegate(v, kTableDelegate);
    ss->_array_default_delegate = createDelegate(v, kArrayDelegate);
    ss->_string_default_delegate = createDelegate(v, kStringDelegate);
    ss->_number_default_delegate = createDelegate(v, kNumberDelegate);
    ss->_closure_default_delegate = createDelegate(v, kClosureDelegate);
    ss->_generator_default_delegate = createDelegate(v, kGeneratorDelegate);
    ss->_thread_default_delegate = createDelegate(v, kThreadDelegate);
    ss->_class_default_delegate = createDelegate(v, kClassDelegate);
    ss->_instance_default_delegate = createDelegate(v, kInstanceDelegate);
    ss->_weakref_default_delegate = createDelegate(v, kWeakrefDelegate);
}

void sq_registerbaselib(HSQUIRRELVM v)
{
    SQInteger top = sq_gettop(v);
    sq_pushroottable(v);
    registerFunctions(v, kBaseFunctions);
    setConstant(v, "_version_", SQObjectPtr(SQString::Create(_ss(v), SQUIRREL_VERSION)));
    setConstant(v, "_charsize_", SQObjectPtr(static_cast<SQInteger>(sizeof(SQChar))));
    setConstant(v, "_intsize_", SQObjectPtr(static_cast<SQInteger>(sizeof(SQInteger))));
    setConstant(v, "_floatsize_", SQObjectPtr(static_cast<SQInteger>(sizeof(SQFloat))));
    sq_settop(v, top);
}
