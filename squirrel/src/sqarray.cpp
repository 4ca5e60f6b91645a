#include "sqarray.h"

#include <algorithm>

SQArray *SQArray::Create(SQSharedState *ss, SQInteger nInitialSize) { return new SQArray(ss, nInitialSize); }

SQArray::SQArray(SQSharedState *ss, SQInteger nsize) : SQCollectable(ss) {
    _values.resize(static_cast<size_t>(nsize < 0 ? 0 : nsize));
}

void SQArray::Release() { delete this; }

void SQArray::Finalize() { _values.clear(); }

void SQArray::Mark(SQGCMarker &marker) {
    for (const SQObjectPtr &o : _values) marker.MarkObject(o);
}

bool SQArray::Get(SQInteger nidx, SQObjectPtr &val) const {
    if (nidx >= 0 && nidx < Size()) {
        val = sqDerefWeak(_values[static_cast<size_t>(nidx)]);
        return true;
    }
    return false;
}

bool SQArray::Set(SQInteger nidx, const SQObjectPtr &val) {
    if (nidx >= 0 && nidx < Size()) {
        _values[static_cast<size_t>(nidx)] = val;
        return true;
    }
    return false;
}

SQInteger SQArray::Next(const SQObjectPtr &refpos, SQObjectPtr &outkey, SQObjectPtr &outval) const {
    SQInteger idx = sq_type(refpos) == OT_NULL ? 0 : sqToInteger(refpos);
    if (idx >= 0 && idx < Size()) {
        outkey = SQObjectPtr(idx);
        outval = sqDerefWeak(_values[static_cast<size_t>(idx)]);
        return idx + 1;
    }
    return -1;
}

SQArray *SQArray::Clone() const {
    SQArray *a = Create(_sharedstate, 0);
    a->_values = _values;
    return a;
}

void SQArray::Extend(const SQArray *a) {
    std::vector<SQObjectPtr> copy = a->_values;  // a may be this array
    for (const SQObjectPtr &o : copy) _values.push_back(o);
}

bool SQArray::Insert(SQInteger idx, const SQObject &val) {
    if (idx < 0 || idx > Size()) return false;
    _values.insert(_values.begin() + idx, SQObjectPtr(val));
    return true;
}

bool SQArray::Remove(SQInteger idx) {
    if (idx < 0 || idx >= Size()) return false;
    _values.erase(_values.begin() + idx);
    if (_values.size() <= _values.capacity() / 4) _values.shrink_to_fit();
    return true;
}

bool SQArray::Resize(SQInteger size, const SQObjectPtr &fill) {
    if (size < 0) size = 0;
    if (size > kMaxSize) return false;
    _values.resize(static_cast<size_t>(size), fill);
    if (_values.size() <= _values.capacity() / 4) _values.shrink_to_fit();
    return true;
}
