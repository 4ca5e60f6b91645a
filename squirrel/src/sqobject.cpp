#include "sqinternal.h"

const SQObject sq_null_object = sqMakeNull();

// Objects whose count reaches zero while another object is being freed wait in a list, so that
// freeing a long chain (nested tables, linked lists) runs in a loop instead of recursing.
namespace {
struct SQFreeQueue {
    std::vector<SQRefCounted *> pending;
    bool draining = false;
};
thread_local SQFreeQueue t_freequeue;
}  // namespace

void sqFreeObject(SQRefCounted *o, bool leaf) {
    // A weak reference reads null as soon as the last strong reference is gone.
    if (o->_weakref) {
        o->_weakref->_obj = sqMakeNull();
        o->_weakref = nullptr;
    }
    SQFreeQueue &q = t_freequeue;
    // Strings go at once: they hold nothing, and the intern table must not hand out a dying one.
    if (leaf) {
        o->Release();
        return;
    }
    if (q.draining) {
        q.pending.push_back(o);
        return;
    }
    q.draining = true;
    o->Release();
    while (!q.pending.empty()) {
        SQRefCounted *next = q.pending.back();
        q.pending.pop_back();
        next->Release();
    }
    q.draining = false;
}

SQRefCounted::~SQRefCounted() {
    if (_weakref) {
        _weakref->_obj._type = OT_NULL;
        _weakref->_obj._unVal.raw = 0;
        _weakref = nullptr;
    }
}

SQWeakRef *SQRefCounted::GetWeakRef(SQObjectType type) {
    if (!_weakref) {
        _weakref = new SQWeakRef();
        _weakref->_obj._type = type;
        _weakref->_obj._unVal.raw = 0;
        _weakref->_obj._unVal.pRefCounted = this;
    }
    return _weakref;
}

void SQWeakRef::Release() {
    if (ISREFCOUNTED(_obj._type)) _obj._unVal.pRefCounted->_weakref = nullptr;
    delete this;
}

SQCollectable::SQCollectable(SQSharedState *ss) : _sharedstate(ss) { ss->AddToChain(this); }

SQCollectable::~SQCollectable() {
    if (_sharedstate) _sharedstate->RemoveFromChain(this);
}

void SQGCMarker::MarkObject(const SQObject &o) {
    switch (o._type) {
    case OT_TABLE:
    case OT_ARRAY:
    case OT_USERDATA:
    case OT_CLOSURE:
    case OT_NATIVECLOSURE:
    case OT_GENERATOR:
    case OT_THREAD:
    case OT_CLASS:
    case OT_INSTANCE:
        MarkCollectable(static_cast<SQCollectable *>(o._unVal.pRefCounted));
        break;
    default:
        break;
    }
}

void SQGCMarker::MarkCollectable(SQCollectable *c) {
    if (c && !c->_marked) {
        c->_marked = true;
        _pending.push_back(c);
    }
}

void SQGCMarker::Drain() {
    while (!_pending.empty()) {
        SQCollectable *c = _pending.back();
        _pending.pop_back();
        c->Mark(*this);
    }
}

bool SQDelegable::SetDelegate(SQTable *mt) {
    if (static_cast<SQDelegable *>(mt) == this) return false;
    if (_ndelegators > 0) {
        for (SQTable *temp = mt; temp; temp = temp->_delegate) {
            if (temp->_delegate == this) return false;
        }
    }
    if (mt) {
        mt->_uiRef++;
        mt->_ndelegators++;
    }
    SQTable *old = _delegate;
    _delegate = mt;
    if (old) old->_ndelegators--;
    sqReleaseRaw(old);
    return true;
}

bool SQDelegable::GetMetaMethod(SQVM *, int mm, SQObjectPtr &res) {
    if (_delegate) {
        return _delegate->Get(_sharedstate->_metamethods[mm], res);
    }
    return false;
}

const SQChar *GetTypeName(SQObjectType type) {
    switch (_RAW_TYPE(type)) {
    case _RT_NULL: return "null";
    case _RT_INTEGER: return "integer";
    case _RT_FLOAT: return "float";
    case _RT_BOOL: return "bool";
    case _RT_STRING: return "string";
    case _RT_TABLE: return "table";
    case _RT_ARRAY: return "array";
    case _RT_GENERATOR: return "generator";
    case _RT_CLOSURE:
    case _RT_NATIVECLOSURE: return "function";
    case _RT_USERDATA:
    case _RT_USERPOINTER: return "userdata";
    case _RT_THREAD: return "thread";
    case _RT_FUNCPROTO: return "function";
    case _RT_CLASS: return "class";
    case _RT_INSTANCE: return "instance";
    case _RT_WEAKREF: return "weakref";
    default: return nullptr;
    }
}
