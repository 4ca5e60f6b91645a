#include "sqfuncproto.h"

void SQFunctionProto::Release() { delete this; }

SQInteger SQFunctionProto::GetLine(SQInteger nextop) const {
    if (_lineinfos.empty()) return 0;
    SQInteger line = _lineinfos[0]._line;
    for (size_t i = 1; i < _lineinfos.size(); i++) {
        if (_lineinfos[i]._op >= nextop) return line;
        line = _lineinfos[i]._line;
    }
    return line;
}

const SQLocalVarInfo *SQFunctionProto::GetLocal(SQUnsignedInteger nseq, SQUnsignedInteger op) const {
    for (const SQLocalVarInfo &lvi : _localvarinfos) {
        if (lvi._start_op <= op && lvi._end_op >= op) {
            if (nseq == 0) return &lvi;
            nseq--;
        }
    }
    return nullptr;
}
