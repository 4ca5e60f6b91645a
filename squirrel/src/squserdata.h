// Host memory block with type tag, delegate and release hook.
#pragma once

#include "sqobject.h"

struct SQUserData : public SQDelegable {
    SQInteger _size = 0;
    SQRELEASEHOOK _hook = nullptr;
    SQUserPointer _typetag = nullptr;

    static SQUserData *Create(SQSharedState *ss, SQInteger size);
    explicit SQUserData(SQSharedState *ss) : SQDelegable(ss) {}
    ~SQUserData() override;
    SQUserPointer Data() { return reinterpret_cast<char *>(this) + sizeof(SQUserData); }
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;
};
