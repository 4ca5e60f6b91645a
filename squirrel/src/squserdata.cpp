#include "squserdata.h"

#include <new>

#include "sqtable.h"

SQUserData *SQUserData::Create(SQSharedState *ss, SQInteger size) {
    void *mem = ::operator new(sizeof(SQUserData) + static_cast<size_t>(size));
    SQUserData *ud = new (mem) SQUserData(ss);
    ud->_size = size;
    return ud;
}

SQUserData::~SQUserData() { SetDelegate(nullptr); }

void SQUserData::Release() {
    if (_hook) _hook(Data(), _size);
    this->~SQUserData();
    ::operator delete(static_cast<void *>(this));
}

void SQUserData::Finalize() { SetDelegate(nullptr); }

void SQUserData::Mark(SQGCMarker &marker) {
    if (_delegate) marker.MarkCollectable(_delegate);
}
