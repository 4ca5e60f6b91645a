// Compiler and bytecode-stream entry points of the C API.
#include "sqclosurestream.h"
#include "sqcompiler.h"
#include "sqfuncproto.h"
#include "sqinternal.h"
#include "sqvmconstanttable.h"

namespace {

void pushMainClosure(HSQUIRRELVM v, const SQProtoImage &image) {
    SQObjectPtr proto(SQFunctionProto::FromImage(_ss(v), image));
    v->Push(SQObjectPtr(SQClosure::Create(_ss(v), _funcproto(proto))));
}

}  // namespace

SQRESULT sq_compile(HSQUIRRELVM v, SQLEXREADFUNC read, SQUserPointer p, const SQChar *sourcename,
                    SQBool raiseerror) {
    SQVMConstantTable consts(_ss(v));
    std::string source = sourcename ? sourcename : "";
    SQCompiler compiler([read, p]() -> int { return static_cast<int>(read(p)); }, source, _ss(v)->_debuginfo,
                        consts);
    SQCompileResult result = compiler.compile();
    if (!result.ok) {
        v->_lasterror = SQObjectPtr(SQString::Create(_ss(v), result.error.c_str()));
        if (raiseerror && _ss(v)->_compilererrorhandler)
            _ss(v)->_compilererrorhandler(v, result.error.c_str(), source.c_str(), result.line, result.column);
        return SQ_ERROR;
    }
    pushMainClosure(v, result.main);
    return SQ_OK;
}

namespace {
struct BufferReader {
    const SQChar *data;
    SQInteger size;
    SQInteger pos;
};
SQInteger readBuffer(SQUserPointer p) {
    auto *b = static_cast<BufferReader *>(p);
    if (b->pos >= b->size) return 0;
    return b->data[b->pos++];
}
}  // namespace

SQRESULT sq_compilebuffer(HSQUIRRELVM v, const SQChar *s, SQInteger size, const SQChar *sourcename,
                          SQBool raiseerror) {
    BufferReader reader{s, size < 0 ? 0 : size, 0};
    return sq_compile(v, readBuffer, &reader, sourcename, raiseerror);
}

SQRESULT sq_writeclosure(HSQUIRRELVM v, SQWRITEFUNC writef, SQUserPointer up) {
    const SQObjectPtr &o = stack_get(v, -1);
    if (sq_type(o) != OT_CLOSURE) {
        SQObjectPtr got(v->PrintObjVal(o));
        std::string msg = "wrong argument type, expected 'function' got '";
        msg.append(_stringval(got), std::min<size_t>(50, static_cast<size_t>(_string(got)->_len)));
        msg += "'";
        return sq_throwerror(v, msg.c_str());
    }
    SQProtoImage image = _closure(o)->Proto()->ToImage();
    std::string error;
    bool ok = SQClosureStream::write(
        image, [writef, up](const void *p, SQInteger n) { return writef(up, const_cast<void *>(p), n); }, error);
    return ok ? SQ_OK : sq_throwerror(v, error.c_str());
}

SQRESULT sq_readclosure(HSQUIRRELVM v, SQREADFUNC readf, SQUserPointer up) {
    SQProtoImage image;
    std::string error;
    if (!SQClosureStream::read([readf, up](void *p, SQInteger n) { return readf(up, p, n); }, image, error))
        return sq_throwerror(v, error.c_str());
    pushMainClosure(v, image);
    return SQ_OK;
}
