#include "sqstate.h"

#include <cstdlib>

#include "sqinternal.h"
#include "sqsave.h"

static const SQChar *const kMetaMethodNames[MT_LAST] = {
    "_add", "_sub", "_mul", "_div", "_unm", "_modulo", "_set", "_get", "_typeof",
    "_nexti", "_cmp", "_call", "_cloned", "_newslot", "_delslot", "_tostring", "_newmember", "_inherited",
};

SQSharedState::SQSharedState() = default;

void SQSharedState::Init() {
    _stringtable = new SQStringTable(this);
    _metamethodsmap = SQTable::Create(this, MT_LAST - 1);
    for (SQInteger i = 0; i < MT_LAST; i++) {
        SQObjectPtr name(SQString::Create(this, kMetaMethodNames[i], -1));
        _metamethods.push_back(name);
        _table(_metamethodsmap)->NewSlot(name, SQObjectPtr(i));
    }
    _refs_table = SQTable::Create(this, 0);
    _registry = SQTable::Create(this, 0);
    _consts = SQTable::Create(this, 0);
    _constructoridx = SQString::Create(this, "constructor", -1);
    SQObjectPtr *delegates[] = {&_table_default_delegate,     &_array_default_delegate,    &_string_default_delegate,
                                &_number_default_delegate,    &_generator_default_delegate, &_closure_default_delegate,
                                &_thread_default_delegate,    &_class_default_delegate,    &_instance_default_delegate,
                                &_weakref_default_delegate};
    for (SQObjectPtr *d : delegates) *d = SQTable::Create(this, 0);
}

SQSharedState::~SQSharedState() {
    _constructoridx.Null();
    _metamethods.clear();
    delete _stringtable;
    std::free(_scratchpad);
}

void SQSharedState::AddToChain(SQCollectable *c) {
    c->_prev = nullptr;
    c->_next = _gc_chain;
    if (_gc_chain) _gc_chain->_prev = c;
    _gc_chain = c;
}

void SQSharedState::RemoveFromChain(SQCollectable *c) {
    if (c->_prev) c->_prev->_next = c->_next;
    else if (_gc_chain == c) _gc_chain = c->_next;
    if (c->_next) c->_next->_prev = c->_prev;
    c->_next = c->_prev = nullptr;
}

SQInteger SQSharedState::GetMetaMethodIdxByName(const SQObjectPtr &name) {
    if (sq_type(name) != OT_STRING) return -1;
    SQObjectPtr ret;
    if (_table(_metamethodsmap)->Get(name, ret)) return _integer(ret);
    return -1;
}

SQChar *SQSharedState::GetScratchPad(SQInteger size) {
    if (size > 0 && size > _scratchpadsize) {
        SQInteger newsize = size + (size >> 1);
        SQChar *p = static_cast<SQChar *>(std::realloc(_scratchpad, static_cast<size_t>(newsize)));
        if (!p) return nullptr;
        _scratchpad = p;
        _scratchpadsize = newsize;
    } else if (size > 0 && size < (_scratchpadsize >> 5) && _scratchpadsize > 1024) {
        SQInteger newsize = _scratchpadsize >> 1;
        SQChar *p = static_cast<SQChar *>(std::realloc(_scratchpad, static_cast<size_t>(newsize)));
        if (p) {
            _scratchpad = p;
            _scratchpadsize = newsize;
        }
    }
    return _scratchpad;
}

void SQSharedState::AddRef(SQObject &obj) {
    if (!ISREFCOUNTED(sq_type(obj))) return;
    SQObjectPtr key(obj), count;
    SQInteger n = _table(_refs_table)->Get(key, count) ? _integer(count) : 0;
    _table(_refs_table)->NewSlot(key, SQObjectPtr(n + 1));
}

bool SQSharedState::ReleaseRef(SQObject &obj) {
    if (!ISREFCOUNTED(sq_type(obj))) return true;
    SQObjectPtr key(obj), count;
    if (!_table(_refs_table)->Get(key, count)) return true;
    if (_integer(count) <= 1) {
        _table(_refs_table)->Remove(key);
        return true;
    }
    _table(_refs_table)->Set(key, SQObjectPtr(_integer(count) - 1));
    return false;
}

static SQInteger FinalizeObjects(std::vector<SQCollectable *> &objs) {
    // Keep every object alive while the group drops its references, then let them go.
    for (SQCollectable *c : objs) c->_uiRef++;
    for (SQCollectable *c : objs) c->Finalize();
    for (SQCollectable *c : objs) {
        if (--c->_uiRef == 0) c->Release();
    }
    return static_cast<SQInteger>(objs.size());
}

SQInteger SQSharedState::CollectGarbage(SQVM *) {
    for (SQCollectable *c = _gc_chain; c; c = c->_next) c->_marked = false;
    SQGCMarker marker;
    marker.MarkObject(_root_vm);
    marker.MarkObject(_refs_table);
    marker.MarkObject(_registry);
    marker.MarkObject(_consts);
    marker.MarkObject(_metamethodsmap);
    for (SQGCRoots *roots : _hostroots) roots->MarkRoots(marker);
    const SQObjectPtr *delegates[] = {&_table_default_delegate,     &_array_default_delegate,    &_string_default_delegate,
                                      &_number_default_delegate,    &_generator_default_delegate, &_closure_default_delegate,
                                      &_thread_default_delegate,    &_class_default_delegate,    &_instance_default_delegate,
                                      &_weakref_default_delegate};
    for (const SQObjectPtr *d : delegates) marker.MarkObject(*d);
    marker.Drain();
    std::vector<SQCollectable *> dead;
    for (SQCollectable *c = _gc_chain; c; c = c->_next) {
        // A count of zero means the object is already queued to be freed.
        if (!c->_marked && c->_uiRef > 0) dead.push_back(c);
    }
    for (SQCollectable *c = _gc_chain; c; c = c->_next) c->_marked = false;
    return FinalizeObjects(dead);
}

void SQSharedState::FinalizeAll() {
    std::vector<SQCollectable *> all;
    for (SQCollectable *c = _gc_chain; c; c = c->_next) all.push_back(c);
    FinalizeObjects(all);
    _refs_table.Null();
    _registry.Null();
    _consts.Null();
    _metamethodsmap.Null();
    SQObjectPtr *delegates[] = {&_table_default_delegate,     &_array_default_delegate,    &_string_default_delegate,
                                &_number_default_delegate,    &_generator_default_delegate, &_closure_default_delegate,
                                &_thread_default_delegate,    &_class_default_delegate,    &_instance_default_delegate,
                                &_weakref_default_delegate};
    for (SQObjectPtr *d : delegates) d->Null();
    _root_vm.Null();
    // Objects made while finalizing (release hooks) are finalized and freed in further rounds.
    // What a round cannot free is held from outside the state: it is unlinked and left to its
    // holder (or to the leak checker).
    while (_gc_chain) {
        std::vector<SQCollectable *> rest;
        for (SQCollectable *c = _gc_chain; c; c = c->_next) rest.push_back(c);
        FinalizeObjects(rest);
        std::vector<SQCollectable *> held;
        for (SQCollectable *c = _gc_chain; c; c = c->_next) held.push_back(c);
        if (held.size() < rest.size()) continue;
        for (SQCollectable *c : held) RemoveFromChain(c);
        for (SQCollectable *c : held) c->_sharedstate = nullptr;
    }
}
