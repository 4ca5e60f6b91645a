#include <sqstdblob.h>

#include "sqstdblobimpl.h"
#include "sqstdstream.h"

#include <cstdint>
#include <cstring>
#include <new>

namespace {

SQBlob *selfBlob(HSQUIRRELVM v)
{
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, 1, &p, sqstdTag(kBlobTypeTag))))
        return nullptr;
    if (!p)
        sq_throwerror(v, "the stream is invalid");
    return static_cast<SQBlob *>(p);
}

SQInteger blobReleaseHook(SQUserPointer p, SQInteger)
{
    delete static_cast<SQBlob *>(p);
    return 1;
}

SQInteger blob_constructor(HSQUIRRELVM v)
{
    SQInteger size = 0;
    // The size is read only when it is the single argument.
    if (sq_gettop(v) == 2)
        sq_getinteger(v, 2, &size);
    if (size < 0)
        return sq_throwerror(v, "cannot create blob with negative size");
    auto *blob = new (std::nothrow) SQBlob(size);
    if (!blob || SQ_FAILED(sq_setinstanceup(v, 1, blob))) {
        delete blob;
        return sq_throwerror(v, "cannot create blob with negative size");
    }
    sq_setreleasehook(v, 1, blobReleaseHook);
    return 0;
}

SQInteger blob_resize(HSQUIRRELVM v)
{
    SQBlob *self = selfBlob(v);
    if (!self)
        return SQ_ERROR;
    SQInteger size = 0;
    sq_getinteger(v, 2, &size);
    if (size < 0)
        return sq_throwerror(v, "resize failed");
    self->Resize(size);
    return 0;
}

SQInteger blob_swap2(HSQUIRRELVM v)
{
    SQBlob *self = selfBlob(v);
    if (!self)
        return SQ_ERROR;
    self->Swap2();
    return 0;
}

SQInteger blob_swap4(HSQUIRRELVM v)
{
    SQBlob *self = selfBlob(v);
    if (!self)
        return SQ_ERROR;
    self->Swap4();
    return 0;
}

// Index argument of _get/_set checked against the blob's length.
bool blobIndex(HSQUIRRELVM v, SQBlob *self, SQInteger &index)
{
    SQObjectType t = sq_gettype(v, 2);
    if (t != OT_INTEGER && t != OT_FLOAT)
        return false;
    sq_getinteger(v, 2, &index);
    return index >= 0 && index < self->Len();
}

SQInteger blob__set(HSQUIRRELVM v)
{
    SQBlob *self = selfBlob(v);
    if (!self)
        return SQ_ERROR;
    SQInteger index = 0, value = 0;
    if (!blobIndex(v, self, index))
        return sq_throwerror(v, "index out of range");
    sq_getinteger(v, 3, &value);
    self->Data()[index] = static_cast<unsigned char>(static_cast<std::uint32_t>(value) & 0xFF);
    sq_push(v, 3);
    return 1;
}

SQInteger blob__get(HSQUIRRELVM v)
{
    SQBlob *self = selfBlob(v);
    if (!self)
        return SQ_ERROR;
    SQInteger index = 0;
    if (!blobIndex(v, self, index))
        return sq_throwerror(v, "index out of range");
    sq_pushinteger(v, self->Data()[index]);
    return 1;
}

SQInteger blob__nexti(HSQUIRRELVM v)
{
    SQBlob *self = selfBlob(v);
    if (!self)
        return SQ_ERROR;
    if (sq_gettype(v, 2) == OT_NULL) {
        sq_pushinteger(v, 0);
        return 1;
    }
    SQInteger index = 0;
    if (SQ_FAILED(sq_getinteger(v, 2, &index)) || sq_gettype(v, 2) != OT_INTEGER)
        return sq_throwerror(v, "internal error (_nexti) wrong argument type");
    if (index + 1 < self->Len()) {
        sq_pushinteger(v, index + 1);
        return 1;
    }
    sq_pushnull(v);
    return 1;
}

SQInteger blob__typeof(HSQUIRRELVM v)
{
    sq_pushstring(v, "blob", -1);
    return 1;
}

std::uint32_t integerArg(HSQUIRRELVM v, SQInteger idx)
{
    SQInteger i = 0;
    sq_getinteger(v, idx, &i);
    return static_cast<std::uint32_t>(i);
}

std::uint32_t floatBitsArg(HSQUIRRELVM v, SQInteger idx)
{
    SQFloat f = 0;
    sq_getfloat(v, idx, &f);
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void pushFloatBits(HSQUIRRELVM v, std::uint32_t bits)
{
    SQFloat f;
    std::memcpy(&f, &bits, sizeof f);
    sq_pushfloat(v, f);
}

std::uint32_t byteSwap32(std::uint32_t x)
{
    return (x >> 24) | ((x >> 8) & 0xFF00u) | ((x << 8) & 0xFF0000u) | (x << 24);
}

SQInteger bl_casti2f(HSQUIRRELVM v)
{
    pushFloatBits(v, integerArg(v, 2));
    return 1;
}

SQInteger bl_castf2i(HSQUIRRELVM v)
{
    sq_pushinteger(v, static_cast<SQInteger>(floatBitsArg(v, 2)));
    return 1;
}

SQInteger bl_swap2(HSQUIRRELVM v)
{
    // Sign-extended 16-bit value, swapped without masking the result to 16 bits.
    auto s = static_cast<std::int32_t>(static_cast<std::int16_t>(integerArg(v, 2) & 0xFFFF));
    auto u = static_cast<std::uint32_t>(s);
    std::uint32_t r = (u << 8) | ((static_cast<std::uint32_t>(s >> 8)) & 0xFF);
    sq_pushinteger(v, static_cast<SQInteger>(r));
    return 1;
}

SQInteger bl_swap4(HSQUIRRELVM v)
{
    sq_pushinteger(v, static_cast<SQInteger>(byteSwap32(integerArg(v, 2))));
    return 1;
}

SQInteger bl_swapfloat(HSQUIRRELVM v)
{
    pushFloatBits(v, byteSwap32(floatBitsArg(v, 2)));
    return 1;
}

const SQRegFunction kBlobMethods[] = {
    {"constructor", blob_constructor, -1, "xn"},
    {"resize", blob_resize, 2, "xn"},
    {"swap2", blob_swap2, 1, "x"},
    {"swap4", blob_swap4, 1, "x"},
    {"_set", blob__set, 3, "xnn"},
    {"_get", blob__get, 2, "xn"},
    {"_typeof", blob__typeof, 1, "x"},
    {"_nexti", blob__nexti, 2, "x"},
    {nullptr, nullptr, 0, nullptr},
};

const SQRegFunction kBlobGlobals[] = {
    {"casti2f", bl_casti2f, 2, ".n"},
    {"castf2i", bl_castf2i, 2, ".n"},
    {"swap2", bl_swap2, 2, ".n"},
    {"swap4", bl_swap4, 2, ".n"},
    {"swapfloat", bl_swapfloat, 2, ".n"},
    {nullptr, nullptr, 0, nullptr},
};

} // namespace

extern "C" {

SQRESULT sqstd_getblob(HSQUIRRELVM v, SQInteger idx, SQUserPointer *ptr)
{
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &p, sqstdTag(kBlobTypeTag))) || !p)
        return SQ_ERROR;
    *ptr = static_cast<SQBlob *>(p)->Data();
    return SQ_OK;
}

SQInteger sqstd_getblobsize(HSQUIRRELVM v, SQInteger idx)
{
    SQUserPointer p = nullptr;
    if (SQ_FAILED(sq_getinstanceup(v, idx, &p, sqstdTag(kBlobTypeTag))) || !p)
        return -1;
    return static_cast<SQBlob *>(p)->Len();
}

SQUserPointer sqstd_createblob(HSQUIRRELVM v, SQInteger size)
{
    SQInteger top = sq_gettop(v);
    sq_pushregistrytable(v);
    sq_pushstring(v, "std_blob", -1);
    if (SQ_SUCCEEDED(sq_get(v, -2))) {
        sq_remove(v, -2); // registry
        // `this` for the constructor; a host calling with an empty stack gets the root table.
        if (top >= 1)
            sq_push(v, 1);
        else
            sq_pushroottable(v);
        sq_pushinteger(v, size);
        if (SQ_SUCCEEDED(sq_call(v, 2, SQTrue, SQFalse))) {
            sq_remove(v, -2); // the class
            SQUserPointer data = nullptr;
            if (SQ_SUCCEEDED(sqstd_getblob(v, -1, &data)))
                return data;
        }
    }
    sq_settop(v, top);
    return nullptr;
}

SQRESULT sqstd_register_bloblib(HSQUIRRELVM v)
{
    return sqstdDeclareStream(v, "blob", sqstdTag(kBlobTypeTag), "std_blob", kBlobMethods, kBlobGlobals);
}

} // extern "C"
