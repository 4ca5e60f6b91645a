#include <sqstdstring.h>

#include "sqstdformatter.h"
#include "sqstdrex.h"
#include "sqstdstream.h"

#include <cctype>
#include <cstring>
#include <new>
#include <string>

namespace {

// The stack values after the format string as `format` arguments.
class StackArguments : public FormatArguments {
public:
    StackArguments(HSQUIRRELVM v, SQInteger first) : v_(v), first_(first), count_(sq_gettop(v) - first + 1) {}
    int count() const override { return count_ > 0 ? count_ : 0; }
    Kind kind(int i) const override
    {
        switch (sq_gettype(v_, first_ + i)) {
        case OT_INTEGER: return Kind::Integer;
        case OT_FLOAT: return Kind::Float;
        case OT_STRING: return Kind::String;
        default: return Kind::Other;
        }
    }
    int integerValue(int i) const override
    {
        SQInteger n = 0;
        sq_getinteger(v_, first_ + i, &n);
        return n;
    }
    double floatValue(int i) const override
    {
        SQFloat f = 0;
        sq_getfloat(v_, first_ + i, &f);
        return f;
    }
    std::string_view stringValue(int i) const override
    {
        const SQChar *s = nullptr;
        sq_getstring(v_, first_ + i, &s);
        return {s, static_cast<std::size_t>(sq_getsize(v_, first_ + i))};
    }

private:
    HSQUIRRELVM v_;
    SQInteger first_;
    int count_;
};

bool isSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

struct StringArg {
    const SQChar *s = nullptr;
    SQInteger len = 0;
};

StringArg stringArg(HSQUIRRELVM v, SQInteger idx)
{
    StringArg a;
    sq_getstring(v, idx, &a.s);
    a.len = sq_getsize(v, idx);
    return a;
}

SQInteger str_format(HSQUIRRELVM v)
{
    SQChar *out = nullptr;
    SQInteger len = 0;
    if (SQ_FAILED(sqstd_format(v, 2, &len, &out)))
        return SQ_ERROR;
    sq_pushstring(v, out, len);
    return 1;
}

SQInteger str_strip(HSQUIRRELVM v)
{
    StringArg a = stringArg(v, 2);
    const SQChar *begin = a.s, *end = a.s + a.len;
    while (begin < end && isSpace(*begin))
        ++begin;
    while (end > begin && isSpace(end[-1]))
        --end;
    sq_pushstring(v, begin, end - begin);
    return 1;
}

SQInteger str_lstrip(HSQUIRRELVM v)
{
    StringArg a = stringArg(v, 2);
    const SQChar *begin = a.s, *end = a.s + a.len;
    while (begin < end && isSpace(*begin))
        ++begin;
    // The result is a C string: it ends at an embedded zero.
    sq_pushstring(v, begin, -1);
    return 1;
}

SQInteger str_rstrip(HSQUIRRELVM v)
{
    StringArg a = stringArg(v, 2);
    if (a.len == 0) {
        sq_pushstring(v, a.s, 0);
        return 1;
    }
    // Scans back from the end but never removes the first character.
    const SQChar *last = a.s + a.len - 1;
    while (last > a.s && isSpace(*last))
        --last;
    sq_pushstring(v, a.s, last - a.s + 1);
    return 1;
}

SQInteger str_split(HSQUIRRELVM v)
{
    const SQChar *str = nullptr, *seps = nullptr;
    sq_getstring(v, 2, &str);
    sq_getstring(v, 3, &seps);
    if (*seps == '\0')
        return sq_throwerror(v, "empty separators string");
    sq_newarray(v, 0);
    const SQChar *p = str;
    for (;;) {
        while (*p && std::strchr(seps, *p))
            ++p;
        if (!*p)
            break;
        const SQChar *start = p;
        while (*p && !std::strchr(seps, *p))
            ++p;
        sq_pushstring(v, start, p - start);
        sq_arrayappend(v, -2);
    }
    return 1;
}

// --- regexp class ---

SQInteger rexReleaseHook(SQUserPointer p, SQInteger)
{
    sqstd_rex_free(static_cast<SQRex *>(p));
    return 1;
}

SQRex *selfRex(HSQUIRRELVM v)
{
    SQUserPointer p = nullptr;
    sq_getinstanceup(v, 1, &p, nullptr);
    if (!p)
        sq_throwerror(v, "the regexp is not compiled");
    return static_cast<SQRex *>(p);
}

void pushRange(HSQUIRRELVM v, SQInteger begin, SQInteger end)
{
    sq_newtable(v);
    sq_pushstring(v, "begin", -1);
    sq_pushinteger(v, begin);
    sq_newslot(v, -3, SQFalse);
    sq_pushstring(v, "end", -1);
    sq_pushinteger(v, end);
    sq_newslot(v, -3, SQFalse);
}

// Runs a search of `this` over argument 2 from the optional start offset in argument 3.
bool searchArgs(HSQUIRRELVM v, SQRex *rex, const SQChar *&text, const SQChar *&begin, const SQChar *&end)
{
    sq_getstring(v, 2, &text);
    SQInteger start = 0;
    if (sq_gettop(v) > 2)
        sq_getinteger(v, 3, &start);
    auto len = static_cast<SQInteger>(std::strlen(text));
    if (start < 0 || start > len)
        return false;
    return rex->searchRange(text + start, text + len, begin, end);
}

SQInteger rex_search(HSQUIRRELVM v)
{
    SQRex *rex = selfRex(v);
    if (!rex)
        return SQ_ERROR;
    const SQChar *text = nullptr, *begin = nullptr, *end = nullptr;
    if (!searchArgs(v, rex, text, begin, end))
        return 0;
    pushRange(v, begin - text, end - text);
    return 1;
}

SQInteger rex_capture(HSQUIRRELVM v)
{
    SQRex *rex = selfRex(v);
    if (!rex)
        return SQ_ERROR;
    const SQChar *text = nullptr, *begin = nullptr, *end = nullptr;
    if (!searchArgs(v, rex, text, begin, end))
        return 0;
    sq_newarray(v, 0);
    for (int i = 0; i < rex->subExpCount(); ++i) {
        const SQRex::Capture &c = rex->subExp(i);
        // A group that recorded nothing (or matched empty) reads as {0, 0}.
        if (c.len == 0)
            pushRange(v, 0, 0);
        else
            pushRange(v, c.begin - text, c.begin - text + c.len);
        sq_arrayappend(v, -2);
    }
    return 1;
}

SQInteger rex_match(HSQUIRRELVM v)
{
    SQRex *rex = selfRex(v);
    if (!rex)
        return SQ_ERROR;
    const SQChar *text = nullptr;
    sq_getstring(v, 2, &text);
    sq_pushbool(v, sqstd_rex_match(rex, text));
    return 1;
}

SQInteger rex_subexpcount(HSQUIRRELVM v)
{
    SQRex *rex = selfRex(v);
    if (!rex)
        return SQ_ERROR;
    sq_pushinteger(v, rex->subExpCount());
    return 1;
}

SQInteger rex_constructor(HSQUIRRELVM v)
{
    const SQChar *pattern = nullptr, *error = nullptr;
    sq_getstring(v, 2, &pattern);
    SQRex *rex = sqstd_rex_compile(pattern, &error);
    if (!rex)
        return sq_throwerror(v, error);
    sq_setinstanceup(v, 1, rex);
    sq_setreleasehook(v, 1, rexReleaseHook);
    return 0;
}

SQInteger rex__typeof(HSQUIRRELVM v)
{
    sq_pushstring(v, "regexp", -1);
    return 1;
}

const SQRegFunction kRexMethods[] = {
    {"constructor", rex_constructor, 2, ".s"},
    {"search", rex_search, -2, "xsn"},
    {"match", rex_match, 2, "xs"},
    {"capture", rex_capture, -2, "xsn"},
    {"subexpcount", rex_subexpcount, 1, "x"},
    {"_typeof", rex__typeof, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

const SQRegFunction kStringFunctions[] = {
    {"format", str_format, -2, ".s"},
    {"strip", str_strip, 2, ".s"},
    {"lstrip", str_lstrip, 2, ".s"},
    {"rstrip", str_rstrip, 2, ".s"},
    {"split", str_split, 3, ".ss"},
    {nullptr, nullptr, 0, nullptr},
};

} // namespace

extern "C" {

SQRex *sqstd_rex_compile(const SQChar *pattern, const SQChar **error)
{
    auto *rex = new (std::nothrow) SQRex();
    if (!rex) {
        if (error)
            *error = "out of memory";
        return nullptr;
    }
    const char *message = nullptr;
    if (!rex->compile(pattern, message)) {
        if (error)
            *error = message;
        delete rex;
        return nullptr;
    }
    return rex;
}

void sqstd_rex_free(SQRex *exp) { delete exp; }

SQBool sqstd_rex_match(SQRex *exp, const SQChar *text)
{
    return exp->match(text, text + std::strlen(text)) ? SQTrue : SQFalse;
}

SQBool sqstd_rex_searchrange(SQRex *exp, const SQChar *text_begin, const SQChar *text_end, const SQChar **out_begin,
                             const SQChar **out_end)
{
    const char *b = nullptr, *e = nullptr;
    if (!exp->searchRange(text_begin, text_end, b, e))
        return SQFalse;
    if (out_begin)
        *out_begin = b;
    if (out_end)
        *out_end = e;
    return SQTrue;
}

SQBool sqstd_rex_search(SQRex *exp, const SQChar *text, const SQChar **out_begin, const SQChar **out_end)
{
    return sqstd_rex_searchrange(exp, text, text + std::strlen(text), out_begin, out_end);
}

SQInteger sqstd_rex_getsubexpcount(SQRex *exp) { return exp->subExpCount(); }

SQBool sqstd_rex_getsubexp(SQRex *exp, SQInteger n, SQRexMatch *subexp)
{
    if (n < 0 || n >= exp->subExpCount())
        return SQFalse;
    subexp->begin = exp->subExp(n).begin;
    subexp->len = exp->subExp(n).len;
    return SQTrue;
}

SQRESULT sqstd_format(HSQUIRRELVM v, SQInteger nformatstringidx, SQInteger *outlen, SQChar **output)
{
    // The arguments are found by position after the format string, so work with an absolute index.
    if (nformatstringidx < 0)
        nformatstringidx += sq_gettop(v) + 1;
    const SQChar *fmt = nullptr;
    if (SQ_FAILED(sq_getstring(v, nformatstringidx, &fmt)))
        return SQ_ERROR;
    std::string_view format(fmt, static_cast<std::size_t>(sq_getsize(v, nformatstringidx)));
    StackArguments args(v, nformatstringidx + 1);
    std::string out;
    const char *error = nullptr;
    if (!SQFormatter::format(format, args, out, error))
        return sq_throwerror(v, error);
    SQChar *dest = sq_getscratchpad(v, static_cast<SQInteger>(out.size()) + 1);
    std::memcpy(dest, out.data(), out.size());
    dest[out.size()] = '\0';
    *outlen = static_cast<SQInteger>(out.size());
    *output = dest;
    return SQ_OK;
}

SQInteger sqstd_register_stringlib(HSQUIRRELVM v)
{
    sq_pushstring(v, "regexp", -1);
    sq_newclass(v, SQFalse);
    for (const SQRegFunction *f = kRexMethods; f->name; ++f)
        sqstdRegisterFunction(v, -1, *f, true);
    sq_newslot(v, -3, SQFalse);
    for (const SQRegFunction *f = kStringFunctions; f->name; ++f)
        sqstdRegisterFunction(v, -1, *f, true);
    return 1;
}

} // extern "C"
