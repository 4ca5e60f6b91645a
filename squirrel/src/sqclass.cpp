#include "sqclass.h"

#include <cstdlib>

#include "sqstate.h"

SQClass *SQClass::Create(SQSharedState *ss, SQClass *base) { return new SQClass(ss, base); }

SQClass::SQClass(SQSharedState *ss, SQClass *base) : SQCollectable(ss) {
    _base = base;
    if (_base) {
        _base->_uiRef++;
        _members = _base->_members->Clone();
        _defaultvalues = _base->_defaultvalues;
        _methods = _base->_methods;
        for (int i = 0; i < MT_LAST; i++) _metamethods[i] = _base->_metamethods[i];
        _udsize = _base->_udsize;
    } else {
        _members = SQTable::Create(ss, 0);
    }
    _members->_uiRef++;
}

SQClass::~SQClass() {
    if (_hook) _hook(_typetag, 0);
    Finalize();
}

void SQClass::Release() { delete this; }

void SQClass::Finalize() {
    _attributes.Null();
    _defaultvalues.clear();
    _methods.clear();
    for (int i = 0; i < MT_LAST; i++) _metamethods[i].Null();
    SQTable *members = _members;
    _members = nullptr;
    sqReleaseRaw(members);
    SQClass *base = _base;
    _base = nullptr;
    sqReleaseRaw(base);
}

void SQClass::Mark(SQGCMarker &marker) {
    if (_members) marker.MarkCollectable(_members);
    if (_base) marker.MarkCollectable(_base);
    marker.MarkObject(_attributes);
    for (const SQClassMember &m : _defaultvalues) {
        marker.MarkObject(m.val);
        marker.MarkObject(m.attrs);
    }
    for (const SQClassMember &m : _methods) {
        marker.MarkObject(m.val);
        marker.MarkObject(m.attrs);
    }
    for (const SQObjectPtr &m : _metamethods) marker.MarkObject(m);
}

void SQClass::Lock() {
    _locked = true;
    if (_base) _base->Lock();
}

bool SQClass::NewSlot(SQSharedState *ss, const SQObjectPtr &key, const SQObjectPtr &val, bool bstatic) {
    if (_locked) return false;
    SQObjectPtr temp;
    bool found = _members->Get(key, temp);
    if (found && _isfield(temp)) {
        _defaultvalues[static_cast<size_t>(_member_idx(temp))].val = val;
        return true;
    }
    bool isfunc = sq_type(val) == OT_CLOSURE || sq_type(val) == OT_NATIVECLOSURE;
    if (isfunc || bstatic) {
        SQInteger mmidx;
        if (isfunc && (mmidx = ss->GetMetaMethodIdxByName(key)) != -1) {
            _metamethods[mmidx] = val;
        } else if (!found) {
            SQClassMember m;
            m.val = val;
            _members->NewSlot(key, SQObjectPtr(_make_method_idx(static_cast<SQInteger>(_methods.size()))));
            _methods.push_back(m);
        } else {
            _methods[static_cast<size_t>(_member_idx(temp))].val = val;
        }
        return true;
    }
    SQClassMember m;
    m.val = val;
    _members->NewSlot(key, SQObjectPtr(_make_field_idx(static_cast<SQInteger>(_defaultvalues.size()))));
    _defaultvalues.push_back(m);
    return true;
}

bool SQClass::Get(const SQObjectPtr &key, SQObjectPtr &val) const {
    SQObjectPtr idx;
    if (!_members || !_members->Get(key, idx)) return false;
    if (_isfield(idx)) val = sqDerefWeak(_defaultvalues[static_cast<size_t>(_member_idx(idx))].val);
    else val = sqDerefWeak(_methods[static_cast<size_t>(_member_idx(idx))].val);
    return true;
}

bool SQClass::GetConstructor(SQObjectPtr &ctor) const {
    return Get(_sharedstate->_constructoridx, ctor);
}

bool SQClass::SetAttributes(const SQObjectPtr &key, const SQObjectPtr &val) {
    SQObjectPtr idx;
    if (_members->Get(key, idx)) {
        if (_isfield(idx)) _defaultvalues[static_cast<size_t>(_member_idx(idx))].attrs = val;
        else _methods[static_cast<size_t>(_member_idx(idx))].attrs = val;
        return true;
    }
    return false;
}

bool SQClass::GetAttributes(const SQObjectPtr &key, SQObjectPtr &outval) {
    SQObjectPtr idx;
    if (_members->Get(key, idx)) {
        outval = _isfield(idx) ? _defaultvalues[static_cast<size_t>(_member_idx(idx))].attrs
                               : _methods[static_cast<size_t>(_member_idx(idx))].attrs;
        return true;
    }
    return false;
}

SQInstance *SQClass::CreateInstance() {
    if (!_locked) Lock();
    return SQInstance::Create(_sharedstate, this);
}

SQInteger SQClass::Next(const SQObjectPtr &refpos, SQObjectPtr &outkey, SQObjectPtr &outval) {
    SQObjectPtr oval;
    SQInteger idx = _members->Next(refpos, outkey, oval);
    if (idx != -1) {
        if (_isfield(oval)) outval = sqDerefWeak(_defaultvalues[static_cast<size_t>(_member_idx(oval))].val);
        else outval = sqDerefWeak(_methods[static_cast<size_t>(_member_idx(oval))].val);
    }
    return idx;
}

SQInstance *SQInstance::Create(SQSharedState *ss, SQClass *theclass) { return new SQInstance(ss, theclass); }

SQInstance::SQInstance(SQSharedState *ss, SQClass *c) : SQDelegable(ss) {
    _class = c;
    _class->_uiRef++;
    _values.reserve(c->_defaultvalues.size());
    for (const SQClassMember &m : c->_defaultvalues) _values.push_back(m.val);
    SetDelegate(c->_members);
    if (c->_udsize > 0) {
        _udmemory = std::calloc(1, static_cast<size_t>(c->_udsize));
        _userpointer = _udmemory;
    }
}

SQInstance::~SQInstance() {
    ReleaseHookAndMemory();
    Finalize();
}

void SQInstance::ReleaseHookAndMemory() {
    if (_hook) {
        SQRELEASEHOOK h = _hook;
        _hook = nullptr;
        h(_userpointer, 0);
    }
    if (_udmemory) {
        std::free(_udmemory);
        _udmemory = nullptr;
    }
}

void SQInstance::Release() {
    // The release hook runs while the instance is still intact.
    ReleaseHookAndMemory();
    delete this;
}

void SQInstance::Finalize() {
    ReleaseHookAndMemory();
    _values.clear();
    SetDelegate(nullptr);
    SQClass *cls = _class;
    _class = nullptr;
    sqReleaseRaw(cls);
}

void SQInstance::Mark(SQGCMarker &marker) {
    if (_class) marker.MarkCollectable(_class);
    if (_delegate) marker.MarkCollectable(_delegate);
    for (const SQObjectPtr &o : _values) marker.MarkObject(o);
}

SQInstance *SQInstance::Clone(SQSharedState *ss) {
    SQInstance *ni = Create(ss, _class);
    ni->_values = _values;
    return ni;
}

bool SQInstance::Get(const SQObjectPtr &key, SQObjectPtr &val) const {
    SQObjectPtr idx;
    if (!_class || !_class->_members->Get(key, idx)) return false;
    if (_isfield(idx)) val = sqDerefWeak(_values[static_cast<size_t>(_member_idx(idx))]);
    else val = sqDerefWeak(_class->_methods[static_cast<size_t>(_member_idx(idx))].val);
    return true;
}

bool SQInstance::Set(const SQObjectPtr &key, const SQObjectPtr &val) {
    SQObjectPtr idx;
    if (_class && _class->_members->Get(key, idx) && _isfield(idx)) {
        _values[static_cast<size_t>(_member_idx(idx))] = val;
        return true;
    }
    return false;
}

bool SQInstance::InstanceOf(const SQClass *trg) const {
    for (const SQClass *c = _class; c; c = c->_base) {
        if (c == trg) return true;
    }
    return false;
}
