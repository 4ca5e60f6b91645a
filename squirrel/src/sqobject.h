// Value representation of the runtime: the (type code, payload) pair, the reference-counted
// object base, the collectable base (objects that can form cycles) and the smart value
// SQObjectPtr that holds a strong reference.
//
// The function prototype (SQFunctionProto) is defined by the compiler in sqfuncproto.h; it
// derives from SQRefCounted (single inheritance, so the base sits at offset 0 and the value
// union can address it as pRefCounted) and is stored in values of type OT_FUNCPROTO.
#pragma once

#include <squirrel.h>

#include <cstdint>
#include <cstring>
#include <vector>

struct SQSharedState;
struct SQGCMarker;

#define is_delegable(t) (sq_type(t) & SQOBJECT_DELEGABLE)
#define raw_type(obj) _RAW_TYPE((obj)._type)

#define _integer(obj) ((obj)._unVal.nInteger)
#define _float(obj) ((obj)._unVal.fFloat)
#define _string(obj) ((obj)._unVal.pString)
#define _table(obj) ((obj)._unVal.pTable)
#define _array(obj) ((obj)._unVal.pArray)
#define _closure(obj) ((obj)._unVal.pClosure)
#define _generator(obj) ((obj)._unVal.pGenerator)
#define _nativeclosure(obj) ((obj)._unVal.pNativeClosure)
#define _userdata(obj) ((obj)._unVal.pUserData)
#define _userpointer(obj) ((obj)._unVal.pUserPointer)
#define _thread(obj) ((obj)._unVal.pThread)
#define _funcproto(obj) ((obj)._unVal.pFunctionProto)
#define _class(obj) ((obj)._unVal.pClass)
#define _instance(obj) ((obj)._unVal.pInstance)
#define _delegable(obj) ((obj)._unVal.pDelegable)
#define _weakref(obj) ((obj)._unVal.pWeakRef)
#define _refcounted(obj) ((obj)._unVal.pRefCounted)
#define _rawval(obj) ((obj)._unVal.raw)

#define _stringval(obj) ((obj)._unVal.pString->_val)
#define _userdataval(obj) ((obj)._unVal.pUserData->Data())

// Float to 32-bit integer the way the x87 reference does it: truncation, INT_MIN when out of range.
inline SQInteger sqFloatToInteger(SQFloat f) {
    if (!(f >= -2147483648.0f && f < 2147483648.0f)) return INT32_MIN;
    return static_cast<SQInteger>(f);
}
// Numeric value of an integer or float as float / integer.
inline SQFloat sqToFloat(const SQObject &o) {
    return o._type == OT_INTEGER ? static_cast<SQFloat>(o._unVal.nInteger) : o._unVal.fFloat;
}
inline SQInteger sqToInteger(const SQObject &o) {
    return o._type == OT_FLOAT ? sqFloatToInteger(o._unVal.fFloat) : o._unVal.nInteger;
}

struct SQWeakRef;

// The payload of an integer, float or bool as one 64-bit word (the value in the low half, the high
// half zero): stored in one piece, so a later 64-bit read of the payload is forwarded from the store.
inline SQRawObjectVal sqRawOfInteger(SQInteger i) {
    return static_cast<SQRawObjectVal>(static_cast<std::uint32_t>(i));
}
inline SQRawObjectVal sqRawOfFloat(SQFloat f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof(bits));
    return static_cast<SQRawObjectVal>(bits);
}
static_assert(sizeof(SQInteger) == 4 && sizeof(SQFloat) == 4 && sizeof(SQRawObjectVal) == 8,
              "scalar payloads fill the low half of the raw word");

// Base of every reference-counted object. Release() runs when the count drops to zero.
struct SQRefCounted {
    SQUnsignedInteger _uiRef = 0;
    SQWeakRef *_weakref = nullptr;
    virtual ~SQRefCounted();
    // The single weak reference of this object (created on first request).
    SQWeakRef *GetWeakRef(SQObjectType type);
    virtual void Release() = 0;
};

[[gnu::always_inline]] inline void sqAddRef(const SQObject &o) {
    if (ISREFCOUNTED(o._type)) o._unVal.pRefCounted->_uiRef++;
}
// Frees an object whose count reached zero (kept out of line so value copies stay small).
// leaf: the object holds no references (strings, weak references).
void sqFreeObject(SQRefCounted *o, bool leaf = false);
[[gnu::always_inline]] inline void sqRelease(const SQObject &o) {
    if (ISREFCOUNTED(o._type) && --o._unVal.pRefCounted->_uiRef == 0) [[unlikely]]
        sqFreeObject(o._unVal.pRefCounted, o._type == OT_STRING || o._type == OT_WEAKREF);
}
// Drops a strong reference held as a raw object pointer (clear the field before calling, so that
// whatever the release reaches sees it empty).
inline void sqReleaseRaw(SQRefCounted *o) {
    if (o && --o->_uiRef == 0) sqFreeObject(o);
}

// A value holding a strong reference to its object.
struct SQObjectPtr : public SQObject {
    SQObjectPtr() {
        _type = OT_NULL;
        _unVal.raw = 0;
    }
    [[gnu::always_inline]] SQObjectPtr(const SQObjectPtr &o) : SQObject(o) { sqAddRef(*this); }
    SQObjectPtr(const SQObject &o) : SQObject(o) { sqAddRef(*this); }
    SQObjectPtr(SQObjectPtr &&o) noexcept : SQObject(o) {
        o._type = OT_NULL;
        o._unVal.raw = 0;
    }
#define SQ_OBJPTR_CTOR(T, ot, field)       \
    SQObjectPtr(T *x) {                    \
        _type = ot;                        \
        _unVal.raw = 0;                    \
        _unVal.field = x;                  \
        sqAddRef(*this);                   \
    }
    SQ_OBJPTR_CTOR(SQTable, OT_TABLE, pTable)
    SQ_OBJPTR_CTOR(SQClass, OT_CLASS, pClass)
    SQ_OBJPTR_CTOR(SQInstance, OT_INSTANCE, pInstance)
    SQ_OBJPTR_CTOR(SQArray, OT_ARRAY, pArray)
    SQ_OBJPTR_CTOR(SQClosure, OT_CLOSURE, pClosure)
    SQ_OBJPTR_CTOR(SQNativeClosure, OT_NATIVECLOSURE, pNativeClosure)
    SQ_OBJPTR_CTOR(SQGenerator, OT_GENERATOR, pGenerator)
    SQ_OBJPTR_CTOR(SQString, OT_STRING, pString)
    SQ_OBJPTR_CTOR(SQUserData, OT_USERDATA, pUserData)
    SQ_OBJPTR_CTOR(SQVM, OT_THREAD, pThread)
    SQ_OBJPTR_CTOR(SQFunctionProto, OT_FUNCPROTO, pFunctionProto)
    SQ_OBJPTR_CTOR(SQWeakRef, OT_WEAKREF, pWeakRef)
#undef SQ_OBJPTR_CTOR
    explicit SQObjectPtr(SQUserPointer p) {
        _type = OT_USERPOINTER;
        _unVal.raw = 0;
        _unVal.pUserPointer = p;
    }
    SQObjectPtr(SQInteger i) {
        _type = OT_INTEGER;
        _unVal.raw = sqRawOfInteger(i);
    }
    SQObjectPtr(SQFloat f) {
        _type = OT_FLOAT;
        _unVal.raw = sqRawOfFloat(f);
    }
    SQObjectPtr(bool b) {
        _type = OT_BOOL;
        _unVal.raw = b ? 1 : 0;
    }
    [[gnu::always_inline]] ~SQObjectPtr() { sqRelease(*this); }

    [[gnu::always_inline]] SQObjectPtr &operator=(const SQObjectPtr &o) {
        SQObject old = *this;
        _type = o._type;
        _unVal = o._unVal;
        sqAddRef(*this);
        sqRelease(old);
        return *this;
    }
    SQObjectPtr &operator=(const SQObject &o) {
        SQObject old = *this;
        _type = o._type;
        _unVal = o._unVal;
        sqAddRef(*this);
        sqRelease(old);
        return *this;
    }
    [[gnu::always_inline]] SQObjectPtr &operator=(SQObjectPtr &&o) noexcept {
        if (this != &o) {
            SQObject old = *this;
            _type = o._type;
            _unVal = o._unVal;
            o._type = OT_NULL;
            o._unVal.raw = 0;
            sqRelease(old);
        }
        return *this;
    }
    [[gnu::always_inline]] void Null() {
        SQObject old = *this;
        _type = OT_NULL;
        _unVal.raw = 0;
        sqRelease(old);
    }
    // Stores of values without a reference: only the old value may need releasing.
    [[gnu::always_inline]] void SetInteger(SQInteger i) {
        SQObject old = *this;
        _type = OT_INTEGER;
        _unVal.raw = sqRawOfInteger(i);
        sqRelease(old);
    }
    [[gnu::always_inline]] void SetFloat(SQFloat f) {
        SQObject old = *this;
        _type = OT_FLOAT;
        _unVal.raw = sqRawOfFloat(f);
        sqRelease(old);
    }
    // o holds no reference (integer, float, bool, null).
    [[gnu::always_inline]] void SetScalar(const SQObject &o) {
        SQObject old = *this;
        _type = o._type;
        _unVal = o._unVal;
        sqRelease(old);
    }
    [[gnu::always_inline]] void SetBool(bool b) {
        SQObject old = *this;
        _type = OT_BOOL;
        _unVal.raw = b ? 1 : 0;
        sqRelease(old);
    }
};

inline SQObject sqMakeNull() {
    SQObject o;
    o._type = OT_NULL;
    o._unVal.raw = 0;
    return o;
}

// Same type code and same raw payload (table key equality, == on equal types).
inline bool sqRawEqual(const SQObject &a, const SQObject &b) {
    return a._type == b._type && a._unVal.raw == b._unVal.raw;
}

// Base of objects that can take part in reference cycles: linked into the shared state's list
// so that the cycle collector and sq_close can reach every one of them.
struct SQCollectable : public SQRefCounted {
    SQCollectable *_next = nullptr;
    SQCollectable *_prev = nullptr;
    SQSharedState *_sharedstate = nullptr;
    bool _marked = false;

    explicit SQCollectable(SQSharedState *ss);
    ~SQCollectable() override;
    // Drops every reference this object holds (breaks cycles).
    virtual void Finalize() = 0;
    // Reports every value this object holds strongly to the marker.
    virtual void Mark(SQGCMarker &marker) = 0;
};

// Worklist of the cycle collector's mark phase.
struct SQGCMarker {
    std::vector<SQCollectable *> _pending;
    void MarkObject(const SQObject &o);
    void MarkCollectable(SQCollectable *c);
    void Drain();
};

struct SQDelegable : public SQCollectable {
    SQTable *_delegate = nullptr;
    // How many tables and userdata use this one as their delegate (none: it is in no chain, so
    // giving it a delegate cannot close a cycle).
    SQInteger _ndelegators = 0;
    explicit SQDelegable(SQSharedState *ss) : SQCollectable(ss) {}
    bool SetDelegate(SQTable *m);
    bool GetMetaMethod(SQVM *v, int mm, SQObjectPtr &res);
};

// The single weak reference of an object: its target reads null once the object is gone.
struct SQWeakRef : public SQRefCounted {
    SQObject _obj;
    void Release() override;
};

// Index of each metamethod in classes and in the shared metamethod-name list.
enum SQMetaMethod {
    MT_ADD = 0,
    MT_SUB = 1,
    MT_MUL = 2,
    MT_DIV = 3,
    MT_UNM = 4,
    MT_MODULO = 5,
    MT_SET = 6,
    MT_GET = 7,
    MT_TYPEOF = 8,
    MT_NEXTI = 9,
    MT_CMP = 10,
    MT_CALL = 11,
    MT_CLONED = 12,
    MT_NEWSLOT = 13,
    MT_DELSLOT = 14,
    MT_TOSTRING = 15,
    MT_NEWMEMBER = 16,
    MT_INHERITED = 17,
    MT_LAST = 18
};

// typeof name of a type code without metamethods.
const SQChar *GetTypeName(SQObjectType type);
inline const SQChar *GetTypeName(const SQObject &o) { return GetTypeName(o._type); }
// Reads through a weak reference (the target, or null once it died).
inline const SQObject &sqDerefWeak(const SQObject &o) {
    if (o._type != OT_WEAKREF) return o;
    return o._unVal.pWeakRef->_obj;
}
extern const SQObject sq_null_object;
