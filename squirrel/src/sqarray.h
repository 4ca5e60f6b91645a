// Growable vector of values.
#pragma once

#include "sqobject.h"

struct SQArray : public SQCollectable {
    std::vector<SQObjectPtr> _values;

    static SQArray *Create(SQSharedState *ss, SQInteger nInitialSize);
    SQArray(SQSharedState *ss, SQInteger nsize);
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;

    SQInteger Size() const { return static_cast<SQInteger>(_values.size()); }
    // Element read (weak references read through); false when out of range.
    bool Get(SQInteger nidx, SQObjectPtr &val) const;
    bool Set(SQInteger nidx, const SQObjectPtr &val);
    SQInteger Next(const SQObjectPtr &refpos, SQObjectPtr &outkey, SQObjectPtr &outval) const;
    SQArray *Clone() const;
    void Append(const SQObject &o) { _values.push_back(SQObjectPtr(o)); }
    void Extend(const SQArray *a);
    SQObjectPtr &Top() { return _values.back(); }
    void Pop() { _values.pop_back(); }
    bool Insert(SQInteger idx, const SQObject &val);
    bool Remove(SQInteger idx);
    // False (nothing changed) above kMaxSize elements.
    bool Resize(SQInteger size, const SQObjectPtr &fill = SQObjectPtr());
    // Largest size a script can ask for at once (1 GiB of values); more is "not enough memory".
    static constexpr SQInteger kMaxSize = 1 << 26;
};
