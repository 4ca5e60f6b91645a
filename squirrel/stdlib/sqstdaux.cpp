#include <sqstdaux.h>

namespace {

const SQChar *orUnknown(const SQChar *s) { return s ? s : "unknown"; }

// One "[name] value" line of the LOCALS section for the value on top of the stack.
void printLocal(HSQUIRRELVM v, SQPRINTFUNCTION pf, const SQChar *name)
{
    switch (sq_gettype(v, -1)) {
    case OT_NULL: pf(v, "[%s] NULL\n", name); break;
    case OT_INTEGER: {
        SQInteger i = 0;
        sq_getinteger(v, -1, &i);
        pf(v, "[%s] %d\n", name, i);
        break;
    }
    case OT_FLOAT: {
        SQFloat f = 0;
        sq_getfloat(v, -1, &f);
        pf(v, "[%s] %.14g\n", name, static_cast<double>(f));
        break;
    }
    case OT_STRING: {
        const SQChar *s = nullptr;
        sq_getstring(v, -1, &s);
        pf(v, "[%s] \"%s\"\n", name, s);
        break;
    }
    case OT_BOOL: {
        SQBool b = SQFalse;
        sq_getbool(v, -1, &b);
        pf(v, "[%s] %s\n", name, b ? "true" : "false");
        break;
    }
    case OT_USERPOINTER: pf(v, "[%s] USERPOINTER\n", name); break;
    case OT_TABLE: pf(v, "[%s] TABLE\n", name); break;
    case OT_ARRAY: pf(v, "[%s] ARRAY\n", name); break;
    case OT_CLOSURE: pf(v, "[%s] CLOSURE\n", name); break;
    case OT_NATIVECLOSURE: pf(v, "[%s] NATIVECLOSURE\n", name); break;
    case OT_GENERATOR: pf(v, "[%s] GENERATOR\n", name); break;
    case OT_USERDATA: pf(v, "[%s] USERDATA\n", name); break;
    case OT_THREAD: pf(v, "[%s] THREAD\n", name); break;
    case OT_CLASS: pf(v, "[%s] CLASS\n", name); break;
    case OT_INSTANCE: pf(v, "[%s] INSTANCE\n", name); break;
    case OT_WEAKREF: pf(v, "[%s] WEAKREF\n", name); break;
    default: break;
    }
}

SQInteger auxPrintError(HSQUIRRELVM v)
{
    SQPRINTFUNCTION pf = sq_getprintfunc(v);
    if (!pf || sq_gettop(v) < 1)
        return 0;
    // Checked by type so that reading the message never replaces the VM's last error.
    if (sq_gettop(v) >= 2 && sq_gettype(v, 2) == OT_STRING) {
        const SQChar *message = nullptr;
        sq_getstring(v, 2, &message);
        pf(v, "\nAN ERROR HAS OCCURED [%s]\n", message);
    } else {
        pf(v, "\nAN ERROR HAS OCCURED [unknown]\n");
    }
    sqstd_printcallstack(v);
    return 0;
}

void auxCompileError(HSQUIRRELVM v, const SQChar *desc, const SQChar *source, SQInteger line, SQInteger column)
{
    SQPRINTFUNCTION pf = sq_getprintfunc(v);
    if (pf)
        pf(v, "%s line = (%d) column = (%d) : error %s\n", source, line, column, desc);
}

} // namespace

extern "C" {

void sqstd_printcallstack(HSQUIRRELVM v)
{
    SQPRINTFUNCTION pf = sq_getprintfunc(v);
    if (!pf)
        return;
    pf(v, "\nCALLSTACK\n");
    SQStackInfos si;
    for (SQInteger level = 1; SQ_SUCCEEDED(sq_stackinfos(v, level, &si)); ++level)
        pf(v, "*FUNCTION [%s()] %s line [%d]\n", orUnknown(si.funcname), orUnknown(si.source), si.line);
    pf(v, "\nLOCALS\n");
    for (SQUnsignedInteger level = 0; level < 10; ++level) {
        SQUnsignedInteger seq = 0;
        while (const SQChar *name = sq_getlocal(v, level, seq)) {
            ++seq;
            printLocal(v, pf, name);
            sq_pop(v, 1);
        }
    }
}

void sqstd_seterrorhandlers(HSQUIRRELVM v)
{
    sq_setcompilererrorhandler(v, auxCompileError);
    sq_newclosure(v, auxPrintError, 0);
    sq_seterrorhandler(v);
}

} // extern "C"
