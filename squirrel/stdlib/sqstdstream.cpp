#include "sqstdstream.h"

#include <sqstdblob.h>

#include "sqstdblobimpl.h"

#include <cstring>

namespace {

// `this` of a stream method as the stream behind it; raises the script error on failure.
SQStream *selfStream(HSQUIRRELVM v)
{
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &p, sqstdTag(SQSTD_STREAM_TYPE_TAG)))) {
        sq_throwerror(v, "invalid type tag");
        return nullptr;
    }
    auto *s = static_cast<SQStream *>(p);
    if (!s || !s->IsValid()) {
        sq_throwerror(v, "the stream is invalid");
        return nullptr;
    }
    return s;
}

SQInteger stream_readblob(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    SQInteger size = 0;
    sq_getinteger(v, 2, &size);
    if (size > self->Len())
        size = self->Len();
    if (size < 0)
        size = 0;
    SQUserPointer data = sqstd_createblob(v, size);
    if (!data)
        return SQ_ERROR;
    SQInteger got = size > 0 ? self->Read(data, size) : 0;
    if (got <= 0)
        return sq_throwerror(v, "no data left to read");
    // The blob keeps only what was read.
    SQUserPointer p = nullptr;
    sq_getinstanceup(v, -1, &p, sqstdTag(kBlobTypeTag));
    if (got < size)
        static_cast<SQBlob *>(p)->Resize(got);
    return 1;
}

template <typename T>
bool readValue(SQStream *s, T &out)
{
    return s->Read(&out, sizeof(T)) == static_cast<SQInteger>(sizeof(T));
}

SQInteger stream_readn(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    SQInteger format = 0;
    sq_getinteger(v, 2, &format);
    bool ok = false;
    switch (format) {
    case 'l':
    case 'i': { std::int32_t x = 0; ok = readValue(self, x); if (ok) sq_pushinteger(v, x); break; }
    case 's': { std::int16_t x = 0; ok = readValue(self, x); if (ok) sq_pushinteger(v, x); break; }
    case 'w': { std::uint16_t x = 0; ok = readValue(self, x); if (ok) sq_pushinteger(v, x); break; }
    case 'c': { std::int8_t x = 0; ok = readValue(self, x); if (ok) sq_pushinteger(v, x); break; }
    case 'b': { std::uint8_t x = 0; ok = readValue(self, x); if (ok) sq_pushinteger(v, x); break; }
    case 'f': { float x = 0; ok = readValue(self, x); if (ok) sq_pushfloat(v, x); break; }
    case 'd': { double x = 0; ok = readValue(self, x); if (ok) sq_pushfloat(v, static_cast<SQFloat>(x)); break; }
    default:
        return sq_throwerror(v, "invalid format");
    }
    if (!ok)
        return sq_throwerror(v, "io error");
    return 1;
}

SQInteger stream_writeblob(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    SQUserPointer data = nullptr;
    if (SQ_FAILED(sqstd_getblob(v, 2, &data)))
        return sq_throwerror(v, "invalid parameter");
    SQInteger size = sqstd_getblobsize(v, 2);
    if (size > 0 && self->Write(data, size) != size)
        return sq_throwerror(v, "io error");
    sq_pushinteger(v, size);
    return 1;
}

template <typename T>
bool writeValue(SQStream *s, T value)
{
    return s->Write(&value, sizeof(T)) == static_cast<SQInteger>(sizeof(T));
}

SQInteger stream_writen(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    SQInteger format = 0, i = 0;
    SQFloat f = 0;
    sq_getinteger(v, 3, &format);
    sq_getinteger(v, 2, &i);
    sq_getfloat(v, 2, &f);
    auto u = static_cast<std::uint32_t>(i);
    bool ok = false;
    switch (format) {
    case 'l':
    case 'i': ok = writeValue(self, static_cast<std::int32_t>(i)); break;
    case 's': ok = writeValue(self, static_cast<std::int16_t>(u & 0xFFFF)); break;
    case 'w': ok = writeValue(self, static_cast<std::uint16_t>(u & 0xFFFF)); break;
    case 'c': ok = writeValue(self, static_cast<std::int8_t>(u & 0xFF)); break;
    case 'b': ok = writeValue(self, static_cast<std::uint8_t>(u & 0xFF)); break;
    case 'f': ok = writeValue(self, f); break;
    case 'd': ok = writeValue(self, static_cast<double>(f)); break;
    default:
        return sq_throwerror(v, "invalid format");
    }
    if (!ok)
        return sq_throwerror(v, "io error");
    return 0;
}

SQInteger stream_seek(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    SQInteger offset = 0, origin = 'b';
    sq_getinteger(v, 2, &offset);
    if (sq_gettop(v) > 2)
        sq_getinteger(v, 3, &origin);
    SQInteger whence;
    switch (origin) {
    case 'b': whence = SQ_SEEK_SET; break;
    case 'c': whence = SQ_SEEK_CUR; break;
    case 'e': whence = SQ_SEEK_END; break;
    default: return sq_throwerror(v, "invalid origin");
    }
    sq_pushinteger(v, self->Seek(offset, whence));
    return 1;
}

SQInteger stream_tell(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    sq_pushinteger(v, self->Tell());
    return 1;
}

SQInteger stream_len(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    sq_pushinteger(v, self->Len());
    return 1;
}

SQInteger stream_eos(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    if (self->EOS())
        sq_pushinteger(v, 1);
    else
        sq_pushnull(v);
    return 1;
}

SQInteger stream_flush(HSQUIRRELVM v)
{
    SQStream *self = selfStream(v);
    if (!self)
        return SQ_ERROR;
    if (self->Flush() == 0)
        sq_pushinteger(v, 1);
    else
        sq_pushnull(v);
    return 1;
}

const SQRegFunction kStreamMethods[] = {
    {"readblob", stream_readblob, 2, "xn"},
    {"readn", stream_readn, 2, "xn"},
    {"writeblob", stream_writeblob, -2, "xx"},
    {"writen", stream_writen, 3, "xnn"},
    {"seek", stream_seek, -2, "xnn"},
    {"tell", stream_tell, 1, "x"},
    {"len", stream_len, 1, "x"},
    {"eos", stream_eos, 1, "x"},
    {"flush", stream_flush, 1, "x"},
    {nullptr, nullptr, 0, nullptr},
};

// Pushes the registry's `stream` class, creating it (and its root-table slot) on first use.
void pushStreamClass(HSQUIRRELVM v)
{
    sq_pushregistrytable(v);
    sq_pushstring(v, "std_stream", -1);
    if (SQ_SUCCEEDED(sq_get(v, -2))) {
        sq_remove(v, -2);
        return;
    }
    sq_pushstring(v, "std_stream", -1);
    sq_newclass(v, SQFalse);
    sq_settypetag(v, -1, sqstdTag(SQSTD_STREAM_TYPE_TAG));
    for (const SQRegFunction *f = kStreamMethods; f->name; ++f)
        sqstdRegisterFunction(v, -1, *f, false);
    sq_pushroottable(v);
    sq_pushstring(v, "stream", -1);
    sq_push(v, -3);
    sq_newslot(v, -3, SQFalse);
    sq_pop(v, 1);
    sq_newslot(v, -3, SQFalse); // registry.std_stream = class
    sq_pushstring(v, "std_stream", -1);
    sq_get(v, -2);
    sq_remove(v, -2);
}

} // namespace

void sqstdRegisterFunction(HSQUIRRELVM v, SQInteger idx, const SQRegFunction &f, bool named, SQBool isStatic)
{
    SQInteger target = idx < 0 ? idx - 2 : idx;
    sq_pushstring(v, f.name, -1);
    sq_newclosure(v, f.f, 0);
    sq_setparamscheck(v, f.nparamscheck, f.typemask);
    if (named)
        sq_setnativeclosurename(v, -1, f.name);
    sq_newslot(v, target, isStatic);
}

SQRESULT sqstdDeclareStream(HSQUIRRELVM v, const SQChar *name, SQUserPointer typetag, const SQChar *regName,
                            const SQRegFunction *methods, const SQRegFunction *globals)
{
    if (sq_gettype(v, -1) != OT_TABLE)
        return sq_throwerror(v, "table expected");
    SQInteger top = sq_gettop(v);
    pushStreamClass(v);
    sq_pushregistrytable(v);
    sq_pushstring(v, regName, -1);
    sq_push(v, -3);
    if (SQ_FAILED(sq_newclass(v, SQTrue))) {
        sq_settop(v, top);
        return SQ_ERROR;
    }
    sq_settypetag(v, -1, typetag);
    for (const SQRegFunction *f = methods; f->name; ++f)
        sqstdRegisterFunction(v, -1, *f, true);
    sq_newslot(v, -3, SQFalse); // registry[regName] = class
    sq_pop(v, 2);               // registry, stream class
    sq_pushstring(v, name, -1);
    sq_pushregistrytable(v);
    sq_pushstring(v, regName, -1);
    sq_get(v, -2);
    sq_remove(v, -2);
    sq_newslot(v, -3, SQFalse);
    if (globals) {
        for (const SQRegFunction *f = globals; f->name; ++f)
            sqstdRegisterFunction(v, -1, *f, true);
    }
    sq_settop(v, top);
    return SQ_OK;
}
