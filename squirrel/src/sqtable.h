// Hash table with the reference's exact node layout: N nodes (power of two, at least 4), chained
// through `next`, a free cursor that only moves down, rehash when the cursor reaches node 0.
// Iteration visits nodes 0..N-1, so the order scripts see is the reference's.
#pragma once

#include "sqobject.h"
#include "sqstring.h"

// Hash of a key as the table uses it (README "Tables").
inline SQHash sqHashKey(const SQObject &key) {
    switch (key._type) {
    case OT_STRING: return key._unVal.pString->Hash();
    case OT_INTEGER:
    case OT_BOOL: return static_cast<SQHash>(key._unVal.nInteger);
    case OT_FLOAT: return static_cast<SQHash>(sqFloatToInteger(key._unVal.fFloat));
    default: return static_cast<SQHash>(static_cast<std::uintptr_t>(key._unVal.raw) >> 3);
    }
}

struct SQTable : public SQDelegable {
    struct _HashNode {
        SQObjectPtr val;
        SQObjectPtr key;
        _HashNode *next = nullptr;
    };
    _HashNode *_firstfree = nullptr;
    _HashNode *_nodes = nullptr;
    SQInteger _numofnodes = 0;
    SQInteger _usednodes = 0;

    // New table sized for nInitialSize slots (4 nodes, doubled while the hint exceeds them).
    static SQTable *Create(SQSharedState *ss, SQInteger nInitialSize);
    SQTable(SQSharedState *ss, SQInteger nInitialSize);
    ~SQTable() override;
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;

    SQTable *Clone();
    // Own slot lookup; the value is returned as stored (weak references not read through).
    bool Get(const SQObjectPtr &key, SQObjectPtr &val) const;
    // Assigns an existing slot only.
    bool Set(const SQObjectPtr &key, const SQObjectPtr &val);
    // Creates or overwrites the slot; returns true when the key was new.
    bool NewSlot(const SQObjectPtr &key, const SQObjectPtr &val);
    void Remove(const SQObjectPtr &key);
    void Clear();
    // Next occupied node at or after the iterator index; returns the new iterator (index + 1)
    // or -1 at the end. Weak references among values are read through.
    SQInteger Next(const SQObjectPtr &refpos, SQObjectPtr &outkey, SQObjectPtr &outval) const;
    SQInteger CountUsed() const { return _usednodes; }

    _HashNode *_Get(const SQObject &key, SQHash hash) const {
        _HashNode *n = &_nodes[hash & (_numofnodes - 1)];
        do {
            if (sqRawEqual(n->key, key)) return n;
        } while ((n = n->next) != nullptr);
        return nullptr;
    }

private:
    void AllocNodes(SQInteger nSize);
    void Rehash(bool force);
};

// Inline: these are the lookups of globals, members and methods.
inline bool SQTable::Get(const SQObjectPtr &key, SQObjectPtr &val) const {
    if (sq_type(key) == OT_NULL) return false;
    _HashNode *n = _Get(key, sqHashKey(key));
    if (n) {
        val = n->val;
        return true;
    }
    return false;
}

inline bool SQTable::Set(const SQObjectPtr &key, const SQObjectPtr &val) {
    _HashNode *n = _Get(key, sqHashKey(key));
    if (n) {
        n->val = val;
        return true;
    }
    return false;
}

