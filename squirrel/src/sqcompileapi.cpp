// Placeholder for the compiler and bytecode-stream entry points of the C API until the
// compiler lands (it replaces this file).
#include "sqinternal.h"

SQRESULT sq_compile(HSQUIRRELVM v, SQLEXREADFUNC, SQUserPointer, const SQChar *, SQBool) {
    return sq_throwerror(v, "compiler not available");
}

SQRESULT sq_compilebuffer(HSQUIRRELVM v, const SQChar *, SQInteger, const SQChar *, SQBool) {
    return sq_throwerror(v, "compiler not available");
}

SQRESULT sq_writeclosure(HSQUIRRELVM v, SQWRITEFUNC, SQUserPointer) { return sq_throwerror(v, "io error"); }

SQRESULT sq_readclosure(HSQUIRRELVM v, SQREADFUNC, SQUserPointer) { return sq_throwerror(v, "io error"); }
