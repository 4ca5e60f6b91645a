#include "sqstring.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

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

namespace {

inline std::uint64_t mixWord(std::uint64_t h, std::uint64_t w) {
    h ^= w * 0x9E3779B97F4A7C15ull;
    h = (h << 29) | (h >> 35);
    return h * 0xBF58476D1CE4E5B9ull;
}

std::uint64_t hashBytes(std::uint64_t h, const SQChar *s, size_t n) {
    for (; n >= 8; s += 8, n -= 8) {
        std::uint64_t w;
        std::memcpy(&w, s, 8);
        h = mixWord(h, w);
    }
    std::uint64_t w = 0;
    std::memcpy(&w, s, n);
    return mixWord(h, w ^ (static_cast<std::uint64_t>(n) << 59));
}

}  // namespace

SQHash sqInternHash(const SQChar *s, SQInteger len) {
    // Short strings: every byte. Long ones: both ends in full and words spread over the middle,
    // so the hash stays cheap for the long strings that concatenation builds.
    constexpr size_t kWhole = 128, kEnd = 32, kMiddleWords = 8;
    size_t n = static_cast<size_t>(len);
    std::uint64_t h = 0x243F6A8885A308D3ull ^ n;
    if (n <= kWhole) {
        h = hashBytes(h, s, n);
    } else {
        h = hashBytes(h, s, kEnd);
        h = hashBytes(h, s + n - kEnd, kEnd);
        size_t step = (n - 2 * kEnd) / kMiddleWords;
        for (size_t i = 0; i < kMiddleWords; i++) {
            size_t pos = kEnd + i * step;
            h = hashBytes(h, s + pos, std::min<size_t>(8, n - pos));
        }
    }
    h ^= h >> 32;
    return static_cast<SQHash>(h);
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

SQString *SQStringTable::Add(const SQChar *news, SQInteger len) {
    SQHash h = sqInternHash(news, len);
    SQHash slot = h & static_cast<SQHash>(_numofslots - 1);
    for (SQString *s = _strings[slot]; s; s = s->_next) {
        if (s->_internhash == h && s->_len == len &&
            (len == 0 || std::memcmp(news, s->_val, static_cast<size_t>(len)) == 0)) {
            return s;
        }
    }
    void *mem = std::malloc(sizeof(SQString) + static_cast<size_t>(len));
    if (!mem) throw std::bad_alloc();
    SQString *t = new (mem) SQString();
    t->_sharedstate = _sharedstate;
    if (len) std::memcpy(t->_val, news, static_cast<size_t>(len));
    t->_val[len] = 0;
    t->_len = len;
    t->_internhash = h;
    t->_next = _strings[slot];
    _strings[slot] = t;
    _slotused++;
    if (_slotused > _numofslots / 2) Resize(_numofslots * 2);  // short chains: each link is a cache miss
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
