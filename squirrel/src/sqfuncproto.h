// Function prototype: the immutable result of compiling one function (or of loading it from a
// bytecode stream). Closures share it; the interpreter runs its instructions.
#pragma once

#include "sqobject.h"
#include "sqopcodes.h"
#include "sqprotoimage.h"

#include <vector>

// Where a closure's outer value comes from when CLOSURE runs (stored in bytecode as u32).
enum SQOuterType : SQUnsignedInteger {
    otLOCAL = 0,   // _src = integer register of the enclosing frame
    otSYMBOL = 1,  // _src = name string, looked up through the enclosing frame's `this`
    otOUTER = 2,   // _src = integer index into the enclosing closure's own outer values
};

struct SQOuterVar {
    SQOuterType _type = otLOCAL;
    SQObjectPtr _src;
    SQObjectPtr _name;
};

// Debug record: variable _name lives in register _pos while the executing instruction's index is
// within [_start_op, _end_op].
struct SQLocalVarInfo {
    SQObjectPtr _name;
    SQUnsignedInteger _pos = 0;
    SQUnsignedInteger _start_op = 0;
    SQUnsignedInteger _end_op = 0;
};

struct SQLineInfo {
    SQInteger _line = 0;
    SQInteger _op = 0;
};

struct SQFunctionProto : public SQRefCounted {
    SQObjectPtr _sourcename;
    SQObjectPtr _name;  // null for function expressions
    std::vector<SQObjectPtr> _literals;
    std::vector<SQObjectPtr> _parameters;  // [0] is "this"; the `...` is not listed
    std::vector<SQOuterVar> _outervalues;
    std::vector<SQLocalVarInfo> _localvarinfos;
    std::vector<SQLineInfo> _lineinfos;
    std::vector<SQInteger> _defaultparams;  // registers of the enclosing frame holding the defaults
    std::vector<SQInstruction> _instructions;
    std::vector<SQObjectPtr> _functions;  // nested prototypes (OT_FUNCPROTO), by CLOSURE index
    SQInteger _stacksize = 0;
    bool _bgenerator = false;
    bool _varparams = false;

    static SQFunctionProto *Create() { return new SQFunctionProto(); }
    void Release() override;

    // Source line for error reports, given the index of the instruction after the current one.
    SQInteger GetLine(SQInteger nextop) const;
    // Name of the nseq-th local variable live at instruction index op (nullptr when none).
    const SQLocalVarInfo *GetLocal(SQUnsignedInteger nseq, SQUnsignedInteger op) const;
    SQFunctionProto *Function(SQInteger i) const { return _functions[i]._unVal.pFunctionProto; }

    // Conversion from and to the plain-data form the compiler and the bytecode streams use.
    static SQFunctionProto *FromImage(SQSharedState *ss, const SQProtoImage &image);
    SQProtoImage ToImage() const;
    static SQObjectPtr ObjectFromStream(SQSharedState *ss, const SQStreamObject &o);
    static SQStreamObject ObjectToStream(const SQObject &o);
};
