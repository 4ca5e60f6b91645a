#include "sqstring.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#include <xxh_x86dispatch.h>
// Again, inlined: the short-input path compiles into the caller.
#define XXH_INLINE_ALL
#include <xxhash.h>

#include "sqstate.h"

SQHash sqHashString(const SQChar *s, SQInteger len) {
    SQHash h = static_cast<SQHash>(len);
    SQHash step = (static_cast<SQHash>(len) >> 5) | 1;
    SQHash l = static_cast<SQHash>(len);
    SQInteger i = 0;
    while (l >= step) {
        // Characters are signed bytes widened to 16 bits (0xC3 contributes 0xFFC3).
        SQHash c = static_cast<std::uint16_t>(static_cast<std::int16_t>(static_cast<signed char>(s[i])));
        h = h ^ ((h << 5) + (h >> 2) + c);
        i++;
        l -= step;
    }
    return h;
}

SQHash sqInternHash(const SQChar *s, SQInteger len) {
    // Short inputs take no vector code: inlined they cost a few instructions. Long ones go through
    // the library's dispatch, which picks the widest vector unit of the machine (the same value).
    size_t n = static_cast<size_t>(len);
    std::uint64_t h = n <= XXH3_MIDSIZE_MAX ? XXH3_64bits(s, n) : XXH3_64bits_dispatch(s, n);
    return static_cast<SQHash>(h ^ (h >> 32));
}

SQString *SQString::Create(SQSharedState *ss, const SQChar *s, SQInteger len) {
    if (len < 0) len = static_cast<SQInteger>(std::strlen(s));
    return ss->_stringtable->Add(s, len);
}

void SQString::Release() { _sharedstate->_stringtable->Remove(this); }

SQInteger SQString::Next(const SQObjectPtr &refpos, SQObjectPtr &outkey, SQObjectPtr &outval) {
    SQInteger idx = sq_type(refpos) == OT_NULL ? 0 : sqToInteger(refpos);
    if (idx >= 0 && idx < _len) {
        outkey = SQObjectPtr(idx);
        outval = SQObjectPtr(static_cast<SQInteger>(static_cast<signed char>(_val[idx])));
        return idx + 1;
    }
    return -1;
}

SQStringTable::SQStringTable(SQSharedState *ss) : _sharedstate(ss) { Resize(256); }

SQStringTable::~SQStringTable() {
    // Strings still alive at this point are owned by nobody any more.
    for (SQInteger i = 0; i < _numofslots; i++) {
        SQString *s = _strings[i];
        while (s) {
            SQString *next = s->_next;
            s->~SQString();
            std::free(s);
            s = next;
        }
    }
    std::free(_strings);
}

SQString *SQStringTable::Find(SQHash h, const SQChar *news, SQInteger len) const {
    for (SQString *s = _strings[h & static_cast<SQHash>(_numofslots - 1)]; s; s = s->_next) {
        if (s->_internhash == h && s->_len == len &&
            (len == 0 || std::memcmp(news, s->_val, static_cast<size_t>(len)) == 0)) {
            return s;
        }
    }
    return nullptr;
}

SQString *SQStringTable::Allocate(SQInteger len) {
    void *mem = std::malloc(sizeof(SQString) + static_cast<size_t>(len));
    if (!mem) throw std::bad_alloc();
    SQString *t = new (mem) SQString();
    t->_sharedstate = _sharedstate;
    t->_val[len] = 0;
    t->_len = len;
    return t;
}

void SQStringTable::Link(SQString *t, SQHash h) {
    SQHash slot = h & static_cast<SQHash>(_numofslots - 1);
    t->_internhash = h;
    t->_next = _strings[slot];
    _strings[slot] = t;
    _slotused++;
    if (_slotused > _numofslots / 2) Resize(_numofslots * 2);  // short chains: each link is a cache miss
}

SQString *SQStringTable::Add(const SQChar *news, SQInteger len) {
    SQHash h = sqInternHash(news, len);
    if (SQString *found = Find(h, news, len)) return found;
    SQString *t = Allocate(len);
    if (len) std::memcpy(t->_val, news, static_cast<size_t>(len));
    Link(t, h);
    return t;
}

SQString *SQStringTable::Concat(const SQChar *a, SQInteger la, const SQChar *b, SQInteger lb) {
    SQString *t = Allocate(la + lb);
    if (la) std::memcpy(t->_val, a, static_cast<size_t>(la));
    if (lb) std::memcpy(t->_val + la, b, static_cast<size_t>(lb));
    SQHash h = sqInternHash(t->_val, t->_len);
    if (SQString *found = Find(h, t->_val, t->_len)) {
        t->~SQString();
        std::free(t);
        return found;
    }
    Link(t, h);
    return t;
}

void SQStringTable::Resize(SQInteger size) {
    SQString **newtable = static_cast<SQString **>(std::calloc(static_cast<size_t>(size), sizeof(SQString *)));
    if (!newtable) throw std::bad_alloc();
    for (SQInteger i = 0; i < _numofslots; i++) {
        SQString *s = _strings[i];
        while (s) {
            SQString *next = s->_next;
            SQHash slot = s->_internhash & static_cast<SQHash>(size - 1);
            s->_next = newtable[slot];
            newtable[slot] = s;
            s = next;
        }
    }
    std::free(_strings);
    _strings = newtable;
    _numofslots = size;
}

void SQStringTable::Remove(SQString *bs) {
    SQHash slot = bs->_internhash & static_cast<SQHash>(_numofslots - 1);
    SQString *prev = nullptr;
    for (SQString *s = _strings[slot]; s; s = s->_next) {
        if (s == bs) {
            if (prev) prev->_next = s->_next;
            else _strings[slot] = s->_next;
            _slotused--;
            s->~SQString();
            std::free(s);
            return;
        }
        prev = s;
    }
}
