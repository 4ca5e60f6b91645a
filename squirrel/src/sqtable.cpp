#include "sqtable.h"

#include "sqstate.h"

SQTable *SQTable::Create(SQSharedState *ss, SQInteger nInitialSize) { return new SQTable(ss, nInitialSize); }

SQTable::SQTable(SQSharedState *ss, SQInteger nInitialSize) : SQDelegable(ss) {
    SQInteger pow2size = 4;
    // A size hint only: past a million slots the table grows as it fills.
    while (nInitialSize > pow2size && pow2size < (1 << 20)) pow2size <<= 1;
    AllocNodes(pow2size);
}

SQTable::~SQTable() {
    SetDelegate(nullptr);
    delete[] _nodes;
}

void SQTable::AllocNodes(SQInteger nSize) {
    _nodes = new _HashNode[static_cast<size_t>(nSize)];
    _numofnodes = nSize;
    _firstfree = &_nodes[_numofnodes - 1];
    _usednodes = 0;
}

void SQTable::Release() { delete this; }

void SQTable::Finalize() {
    // Drop every value (keys too: an object key can close a cycle).
    for (SQInteger i = 0; i < _numofnodes; i++) {
        _nodes[i].key.Null();
        _nodes[i].val.Null();
    }
    SetDelegate(nullptr);
}

void SQTable::Mark(SQGCMarker &marker) {
    if (_delegate) marker.MarkCollectable(_delegate);
    for (SQInteger i = 0; i < _numofnodes; i++) {
        marker.MarkObject(_nodes[i].key);
        marker.MarkObject(_nodes[i].val);
    }
}

void SQTable::Rehash(bool force) {
    SQInteger oldsize = _numofnodes;
    SQInteger nelems = _usednodes;
    _HashNode *nold = _nodes;
    if (nelems >= oldsize - oldsize / 4) AllocNodes(oldsize * 2);
    else if (nelems <= oldsize / 4 && oldsize > 4) AllocNodes(oldsize / 2);
    else if (force) AllocNodes(oldsize);
    else return;
    for (SQInteger i = 0; i < oldsize; i++) {
        _HashNode *old = nold + i;
        if (sq_type(old->key) != OT_NULL) NewSlot(old->key, old->val);
    }
    delete[] nold;
}

SQTable *SQTable::Clone() {
    SQTable *nt = Create(_sharedstate, _numofnodes);
    for (SQInteger i = 0; i < _numofnodes; i++) {
        if (sq_type(_nodes[i].key) != OT_NULL) nt->NewSlot(_nodes[i].key, _nodes[i].val);
    }
    nt->SetDelegate(_delegate);
    return nt;
}

bool SQTable::NewSlot(const SQObjectPtr &key, const SQObjectPtr &val) {
    SQHash h = sqHashKey(key);
    _HashNode *n = _Get(key, h);
    if (n) {
        n->val = val;
        return false;
    }
    _HashNode *mp = &_nodes[h & (_numofnodes - 1)];
    if (sq_type(mp->key) != OT_NULL) {
        _HashNode *f = _firstfree;
        _HashNode *othern = &_nodes[sqHashKey(mp->key) & (_numofnodes - 1)];
        if (mp > f && othern != mp) {
            // The occupant is not in its main position: move it to the free node.
            while (othern->next != mp) othern = othern->next;
            othern->next = f;
            *f = *mp;
            mp->next = nullptr;
            mp->key.Null();
            mp->val.Null();
        } else {
            f->next = mp->next;
            mp->next = f;
            mp = f;
        }
    }
    mp->key = key;
    for (;;) {
        if (sq_type(_firstfree->key) == OT_NULL && _firstfree->next == nullptr) {
            mp->val = val;
            _usednodes++;
            return true;
        }
        if (_firstfree == _nodes) break;
        _firstfree--;
    }
    Rehash(true);
    return NewSlot(key, val);
}

void SQTable::Remove(const SQObjectPtr &key) {
    if (sq_type(key) == OT_NULL) return;
    _HashNode *n = _Get(key, sqHashKey(key));
    if (n) {
        n->val.Null();
        n->key.Null();
        _usednodes--;
        Rehash(false);
    }
}

void SQTable::Clear() {
    for (SQInteger i = 0; i < _numofnodes; i++) {
        _nodes[i].key.Null();
        _nodes[i].val.Null();
    }
    _usednodes = 0;
    Rehash(true);
}

SQInteger SQTable::Next(const SQObjectPtr &refpos, SQObjectPtr &outkey, SQObjectPtr &outval) const {
    SQInteger idx = sq_type(refpos) == OT_NULL ? 0 : sqToInteger(refpos);
    if (idx < 0) return -1;
    for (; idx < _numofnodes; idx++) {
        const _HashNode &n = _nodes[idx];
        if (sq_type(n.key) != OT_NULL) {
            outkey = n.key;
            outval = sqDerefWeak(n.val);
            return idx + 1;
        }
    }
    return -1;
}
