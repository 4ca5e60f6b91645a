// Immutable interned string. Equal contents in one VM family give the same object, so string
// equality and table lookup compare identity. Embedded zero bytes are allowed; _val is always
// followed by a terminating zero for C callers.
#pragma once

#include "sqobject.h"

// The reference's string hash (README "Strings"), all arithmetic in uint32. It samples long
// strings, so it only places strings in tables.
SQHash sqHashString(const SQChar *s, SQInteger len);

struct SQString : public SQRefCounted {
    SQSharedState *_sharedstate = nullptr;
    SQString *_next = nullptr;  // chain of the string table bucket
    SQInteger _len = 0;
    SQHash _hash = 0;       // the reference's sampled hash (once _hashknown): table slots and iteration order
    SQHash _internhash = 0;  // hash of every byte: the intern table's bucket
    bool _hashknown = false;
    SQChar _val[1];

    // The table hash, computed on first use: most strings that concatenation builds never
    // become a table key.
    SQHash Hash() {
        if (!_hashknown) {
            _hash = sqHashString(_val, _len);
            _hashknown = true;
        }
        return _hash;
    }

    // Interned string of len bytes (len < 0: up to the terminating zero).
    static SQString *Create(SQSharedState *ss, const SQChar *s, SQInteger len = -1);
    void Release() override;
    // Iteration by index (foreach over a string): key = index, value = signed byte.
    SQInteger Next(const SQObjectPtr &refpos, SQObjectPtr &outkey, SQObjectPtr &outval);
};

// Hash of every byte, for interning (strings with a shared prefix stay spread out).
SQHash sqInternHash(const SQChar *s, SQInteger len);

// Per-family intern table.
struct SQStringTable {
    explicit SQStringTable(SQSharedState *ss);
    ~SQStringTable();
    SQString *Add(const SQChar *s, SQInteger len);
    // The interned string of a followed by b. The bytes are copied once, straight into the new
    // string, which is dropped again when an equal one exists.
    SQString *Concat(const SQChar *a, SQInteger la, const SQChar *b, SQInteger lb);
    void Remove(SQString *s);

private:
    SQString *Find(SQHash h, const SQChar *s, SQInteger len) const;
    // A string of len bytes (contents and hash still to be filled in), not yet linked.
    SQString *Allocate(SQInteger len);
    void Link(SQString *t, SQHash h);
    void Resize(SQInteger size);
    SQSharedState *_sharedstate;
    SQString **_strings = nullptr;
    SQInteger _numofslots = 0;
    SQInteger _slotused = 0;
};
