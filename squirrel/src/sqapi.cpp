// The public C API (squirrel.h) over the object model and the virtual machine. The compiler and
// bytecode-stream entry points (sq_compile, sq_compilebuffer, sq_writeclosure, sq_readclosure)
// live with the compiler.
#include <cstdlib>

#include "sqfuncproto.h"
#include "sqinternal.h"

namespace {

SQRESULT TypeError(HSQUIRRELVM v, const SQObject &o, SQObjectType expected) {
    SQObjectPtr oval = v->PrintObjVal(o);
    v->Raise_Error("wrong argument type, expected '%s' got '%.50s'", GetTypeName(expected), _stringval(oval));
    return SQ_ERROR;
}

// Fetches the value at idx, failing with the wrong-type message when it is not of type t.
bool GetTyped(HSQUIRRELVM v, SQInteger idx, SQObjectType t, SQObjectPtr *&o) {
    o = &stack_get(v, idx);
    if (sq_type(*o) != t) {
        TypeError(v, *o, t);
        return false;
    }
    return true;
}

bool EnoughParams(HSQUIRRELVM v, SQInteger n) {
    if (sq_gettop(v) < n) {
        v->Raise_Error("not enough params in the stack");
        return false;
    }
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Virtual machine

HSQUIRRELVM sq_open(SQInteger initialstacksize) {
    SQSharedState *ss = new SQSharedState();
    ss->Init();
    SQVM *v = new SQVM(ss);
    ss->_root_vm = SQObjectPtr(v);
    if (!v->Init(nullptr, initialstacksize)) {
        ss->FinalizeAll();
        delete ss;
        return nullptr;
    }
    sq_registerbaselib_delegates(v);
    sq_registerbaselib(v);
    return v;
}

HSQUIRRELVM sq_newthread(HSQUIRRELVM friendvm, SQInteger initialstacksize) {
    SQSharedState *ss = _ss(friendvm);
    SQVM *v = new SQVM(ss);
    SQObjectPtr keep(v);
    if (!v->Init(friendvm, initialstacksize)) return nullptr;
    friendvm->Push(keep);
    sq_registerbaselib(v);
    return v;
}

SQInteger sq_getvmstate(HSQUIRRELVM v) {
    if (v->_suspended) return SQ_VMSTATE_SUSPENDED;
    if (v->_callsstacksize != 0) return SQ_VMSTATE_RUNNING;
    return SQ_VMSTATE_IDLE;
}

void sq_seterrorhandler(HSQUIRRELVM v) {
    SQObject o = stack_get(v, -1);
    if (sq_isclosure(o) || sq_isnativeclosure(o) || sq_isnull(o)) {
        v->_errorhandler = o;
        v->Pop();
    }
}

void sq_setdebughook(HSQUIRRELVM v) {
    SQObject o = stack_get(v, -1);
    if (sq_isclosure(o) || sq_isnativeclosure(o) || sq_isnull(o)) {
        v->_debughook = o;
        v->Pop();
    }
}

void sq_setwatchdog(HSQUIRRELVM v, SQWATCHDOG hook, SQInteger interval, SQUserPointer data) {
    SQSharedState *ss = _ss(v);
    ss->_watchdog = hook;
    ss->_watchdoginterval = interval > 0 ? interval : 1;
    ss->_watchdogdata = data;
    v->_budget = hook ? ss->_watchdoginterval : INT64_MAX;
}

void sq_close(HSQUIRRELVM v) {
    SQSharedState *ss = _ss(v);
    ss->FinalizeAll();
    delete ss;
}

void sq_setforeignptr(HSQUIRRELVM v, SQUserPointer p) { v->_foreignptr = p; }
SQUserPointer sq_getforeignptr(HSQUIRRELVM v) { return v->_foreignptr; }
void sq_setprintfunc(HSQUIRRELVM v, SQPRINTFUNCTION printfunc) { _ss(v)->_printfunc = printfunc; }
SQPRINTFUNCTION sq_getprintfunc(HSQUIRRELVM v) { return _ss(v)->_printfunc; }

SQRESULT sq_suspendvm(HSQUIRRELVM v) {
    if (v->_suspended) return sq_throwerror(v, "cannot suspend an already suspended vm");
    if (v->_nnativecalls != 2) return sq_throwerror(v, "cannot suspend through native calls/metamethods");
    return SQ_SUSPEND_FLAG;
}

SQRESULT sq_wakeupvm(HSQUIRRELVM v, SQBool wakeupret, SQBool retval, SQBool raiseerror, SQBool throwerror) {
    SQObjectPtr ret;
    if (!v->_suspended) return sq_throwerror(v, "cannot resume a vm that is not running any code");
    if (wakeupret) {
        v->GetAt(v->_stackbase + v->_suspended_target) = v->GetUp(-1);
        v->Pop();
    } else if (v->_suspended_target != -1) {
        v->GetAt(v->_stackbase + v->_suspended_target).Null();
    }
    SQObjectPtr dummy;
    if (!v->Execute(dummy, -1, -1, -1, ret, raiseerror, throwerror ? SQVM::ET_RESUME_THROW_VM : SQVM::ET_RESUME_VM)) {
        return SQ_ERROR;
    }
    if (sq_getvmstate(v) == SQ_VMSTATE_IDLE) {
        while (v->_top > 1) v->_stack[static_cast<size_t>(--v->_top)].Null();
    }
    if (retval) v->Push(ret);
    return SQ_OK;
}

// ---------------------------------------------------------------------------------------------
// Compiler switches (shared)

void sq_enabledebuginfo(HSQUIRRELVM v, SQBool enable) { _ss(v)->_debuginfo = enable != 0; }
void sq_notifyallexceptions(HSQUIRRELVM v, SQBool enable) { _ss(v)->_notifyallexceptions = enable != 0; }
void sq_setcompilererrorhandler(HSQUIRRELVM v, SQCOMPILERERROR f) { _ss(v)->_compilererrorhandler = f; }

// ---------------------------------------------------------------------------------------------
// Stack operations

void sq_push(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = stack_get(v, idx);
    v->Push(o);
}
void sq_pop(HSQUIRRELVM v, SQInteger nelemstopop) { v->Pop(nelemstopop); }
void sq_poptop(HSQUIRRELVM v) { v->Pop(); }
void sq_remove(HSQUIRRELVM v, SQInteger idx) { v->Remove(idx); }
SQInteger sq_gettop(HSQUIRRELVM v) { return v->_top - v->_stackbase; }

void sq_settop(HSQUIRRELVM v, SQInteger newtop) {
    SQInteger top = sq_gettop(v);
    if (top > newtop) sq_pop(v, top - newtop);
    else
        while (top++ < newtop) sq_pushnull(v);
}

void sq_reservestack(HSQUIRRELVM v, SQInteger nsize) { v->EnsureStack(v->_top + nsize); }

SQInteger sq_cmp(HSQUIRRELVM v) {
    SQInteger res = 0;
    SQObjectPtr a = stack_get(v, -1), b = stack_get(v, -2);
    v->ObjCmp(a, b, res);
    return res;
}

void sq_move(HSQUIRRELVM dest, HSQUIRRELVM src, SQInteger idx) {
    SQObjectPtr o = stack_get(src, idx);
    dest->Push(o);
}

// ---------------------------------------------------------------------------------------------
// Object creation

SQUserPointer sq_newuserdata(HSQUIRRELVM v, SQUnsignedInteger size) {
    SQUserData *ud = SQUserData::Create(_ss(v), static_cast<SQInteger>(size));
    v->Push(SQObjectPtr(ud));
    return ud->Data();
}

void sq_newtable(HSQUIRRELVM v) { v->Push(SQObjectPtr(SQTable::Create(_ss(v), 0))); }

void sq_newarray(HSQUIRRELVM v, SQInteger size) { v->Push(SQObjectPtr(SQArray::Create(_ss(v), size))); }

void sq_newclosure(HSQUIRRELVM v, SQFUNCTION func, SQUnsignedInteger nfreevars) {
    SQNativeClosure *nc = SQNativeClosure::Create(_ss(v), func);
    SQObjectPtr keep(nc);
    for (SQUnsignedInteger i = 0; i < nfreevars; i++) {
        nc->_outervalues.push_back(v->Top());
        v->Pop();
    }
    v->Push(keep);
}

SQRESULT sq_setparamscheck(HSQUIRRELVM v, SQInteger nparamscheck, const SQChar *typemask) {
    SQObject o = stack_get(v, -1);
    if (!sq_isnativeclosure(o)) return sq_throwerror(v, "native closure expected");
    SQNativeClosure *nc = _nativeclosure(o);
    nc->_nparamscheck = nparamscheck;
    if (typemask) {
        std::vector<SQInteger> res;
        if (!sqCompileTypemask(res, typemask)) return sq_throwerror(v, "invalid typemask");
        nc->_typecheck = res;
    } else {
        nc->_typecheck.clear();
    }
    if (nparamscheck == SQ_MATCHTYPEMASKSTRING) nc->_nparamscheck = static_cast<SQInteger>(nc->_typecheck.size());
    return SQ_OK;
}

SQRESULT sq_bindenv(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = stack_get(v, idx);
    if (!sq_isnativeclosure(o) && !sq_isclosure(o)) return sq_throwerror(v, "the target is not a closure");
    SQObjectPtr env = stack_get(v, -1);
    if (!sq_istable(env) && !sq_isclass(env) && !sq_isinstance(env)) return sq_throwerror(v, "invalid environment");
    SQObjectPtr w(_refcounted(env)->GetWeakRef(sq_type(env)));
    SQObjectPtr ret;
    if (sq_isclosure(o)) {
        SQClosure *c = _closure(o)->Clone();
        ret = SQObjectPtr(c);
        c->_env = w;
    } else {
        SQNativeClosure *c = _nativeclosure(o)->Clone();
        ret = SQObjectPtr(c);
        c->_env = w;
    }
    v->Pop();
    v->Push(ret);
    return SQ_OK;
}

void sq_pushstring(HSQUIRRELVM v, const SQChar *s, SQInteger len) {
    if (s) v->Push(SQObjectPtr(SQString::Create(_ss(v), s, len)));
    else v->Push(SQObjectPtr());
}
void sq_pushinteger(HSQUIRRELVM v, SQInteger n) { v->Push(SQObjectPtr(n)); }
void sq_pushbool(HSQUIRRELVM v, SQBool b) { v->Push(SQObjectPtr(b != 0)); }
void sq_pushuserpointer(HSQUIRRELVM v, SQUserPointer p) { v->Push(SQObjectPtr(p)); }
void sq_pushfloat(HSQUIRRELVM v, SQFloat n) { v->Push(SQObjectPtr(n)); }
void sq_pushnull(HSQUIRRELVM v) { v->Push(SQObjectPtr()); }

SQObjectType sq_gettype(HSQUIRRELVM v, SQInteger idx) { return sq_type(stack_get(v, idx)); }

SQInteger sq_getsize(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr &o = stack_get(v, idx);
    switch (sq_type(o)) {
    case OT_STRING: return _string(o)->_len;
    case OT_TABLE: return _table(o)->CountUsed();
    case OT_ARRAY: return _array(o)->Size();
    case OT_USERDATA: return _userdata(o)->_size;
    default:
        v->Raise_Error("unexpected type %s", GetTypeName(o));
        return -1;
    }
}

SQRESULT sq_getbase(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_CLASS, o)) return SQ_ERROR;
    SQClass *base = _class(*o)->_base;
    if (base) v->Push(SQObjectPtr(base));
    else v->Push(SQObjectPtr());
    return SQ_OK;
}

SQBool sq_instanceof(HSQUIRRELVM v) {
    SQObjectPtr &inst = stack_get(v, -1);
    SQObjectPtr &cl = stack_get(v, -2);
    if (sq_type(inst) != OT_INSTANCE || sq_type(cl) != OT_CLASS) {
        sq_throwerror(v, "invalid param type");
        return static_cast<SQBool>(-1);
    }
    return _instance(inst)->InstanceOf(_class(cl)) ? SQTrue : SQFalse;
}

void sq_tostring(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = stack_get(v, idx), res;
    v->ToString(o, res);
    v->Push(res);
}

void sq_tobool(HSQUIRRELVM v, SQInteger idx, SQBool *b) { *b = SQVM::IsFalse(stack_get(v, idx)) ? SQFalse : SQTrue; }

SQRESULT sq_getstring(HSQUIRRELVM v, SQInteger idx, const SQChar **c) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_STRING, o)) return SQ_ERROR;
    *c = _stringval(*o);
    return SQ_OK;
}

SQRESULT sq_getinteger(HSQUIRRELVM v, SQInteger idx, SQInteger *i) {
    SQObjectPtr &o = stack_get(v, idx);
    if (sq_isnumeric(o)) {
        *i = sqToInteger(o);
        return SQ_OK;
    }
    return SQ_ERROR;
}

SQRESULT sq_getfloat(HSQUIRRELVM v, SQInteger idx, SQFloat *f) {
    SQObjectPtr &o = stack_get(v, idx);
    if (sq_isnumeric(o)) {
        *f = sqToFloat(o);
        return SQ_OK;
    }
    return SQ_ERROR;
}

SQRESULT sq_getbool(HSQUIRRELVM v, SQInteger idx, SQBool *b) {
    SQObjectPtr &o = stack_get(v, idx);
    if (sq_isbool(o)) {
        *b = _integer(o) ? SQTrue : SQFalse;
        return SQ_OK;
    }
    return SQ_ERROR;
}

SQRESULT sq_getthread(HSQUIRRELVM v, SQInteger idx, HSQUIRRELVM *thread) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_THREAD, o)) return SQ_ERROR;
    *thread = _thread(*o);
    return SQ_OK;
}

SQRESULT sq_getuserpointer(HSQUIRRELVM v, SQInteger idx, SQUserPointer *p) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_USERPOINTER, o)) return SQ_ERROR;
    *p = _userpointer(*o);
    return SQ_OK;
}

SQRESULT sq_getuserdata(HSQUIRRELVM v, SQInteger idx, SQUserPointer *p, SQUserPointer *typetag) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_USERDATA, o)) return SQ_ERROR;
    *p = _userdata(*o)->Data();
    if (typetag) *typetag = _userdata(*o)->_typetag;
    return SQ_OK;
}

SQRESULT sq_settypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer typetag) {
    SQObjectPtr &o = stack_get(v, idx);
    switch (sq_type(o)) {
    case OT_USERDATA: _userdata(o)->_typetag = typetag; return SQ_OK;
    case OT_CLASS: _class(o)->_typetag = typetag; return SQ_OK;
    default: return sq_throwerror(v, "invalid object type");
    }
}

SQRESULT sq_getobjtypetag(HSQOBJECT *o, SQUserPointer *typetag) {
    switch (sq_type(*o)) {
    case OT_INSTANCE: *typetag = _instance(*o)->_class->_typetag; return SQ_OK;
    case OT_USERDATA: *typetag = _userdata(*o)->_typetag; return SQ_OK;
    case OT_CLASS: *typetag = _class(*o)->_typetag; return SQ_OK;
    default: return SQ_ERROR;
    }
}

SQRESULT sq_gettypetag(HSQUIRRELVM v, SQInteger idx, SQUserPointer *typetag) {
    SQObjectPtr &o = stack_get(v, idx);
    if (SQ_FAILED(sq_getobjtypetag(&o, typetag))) return sq_throwerror(v, "invalid object type");
    return SQ_OK;
}

void sq_setreleasehook(HSQUIRRELVM v, SQInteger idx, SQRELEASEHOOK hook) {
    SQObjectPtr &o = stack_get(v, idx);
    switch (sq_type(o)) {
    case OT_USERDATA: _userdata(o)->_hook = hook; break;
    case OT_INSTANCE: _instance(o)->_hook = hook; break;
    case OT_CLASS: _class(o)->_hook = hook; break;
    default: break;
    }
}

SQChar *sq_getscratchpad(HSQUIRRELVM v, SQInteger minsize) { return _ss(v)->GetScratchPad(minsize); }

SQRESULT sq_getfunctioninfo(HSQUIRRELVM v, SQInteger level, SQFunctionInfo *fi) {
    SQInteger cssize = v->_callsstacksize;
    if (level >= 0 && cssize > level) {
        SQCallInfo &ci = v->_callsstack[static_cast<size_t>(cssize - level - 1)];
        if (sq_isclosure(ci._closure)) {
            SQFunctionProto *func = _closure(ci._closure)->Proto();
            fi->funcid = func;
            if (sq_type(func->_name) == OT_STRING) {
                fi->name = _stringval(func->_name);
                fi->source = sq_type(func->_sourcename) == OT_STRING ? _stringval(func->_sourcename) : "unknown";
            } else {
                fi->name = "unknown";
                fi->source = "unknown";
            }
            return SQ_OK;
        }
    }
    return sq_throwerror(v, "the object is not a closure");
}

SQRESULT sq_getclosureinfo(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger *nparams, SQUnsignedInteger *nfreevars) {
    SQObjectPtr &o = stack_get(v, idx);
    if (sq_isclosure(o)) {
        SQClosure *c = _closure(o);
        *nparams = static_cast<SQUnsignedInteger>(c->Proto()->_parameters.size());
        *nfreevars = static_cast<SQUnsignedInteger>(c->_outervalues.size());
        return SQ_OK;
    }
    return sq_throwerror(v, "the object is not a closure");
}

SQRESULT sq_setnativeclosurename(HSQUIRRELVM v, SQInteger idx, const SQChar *name) {
    SQObjectPtr &o = stack_get(v, idx);
    if (sq_isnativeclosure(o)) {
        _nativeclosure(o)->_name = SQObjectPtr(SQString::Create(_ss(v), name, -1));
        return SQ_OK;
    }
    return sq_throwerror(v, "the object is not a nativeclosure");
}

SQRESULT sq_setinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer p) {
    SQObjectPtr &o = stack_get(v, idx);
    if (!sq_isinstance(o)) return sq_throwerror(v, "the object is not a class instance");
    _instance(o)->_userpointer = p;
    return SQ_OK;
}

SQRESULT sq_getinstanceup(HSQUIRRELVM v, SQInteger idx, SQUserPointer *p, SQUserPointer typetag) {
    SQObjectPtr &o = stack_get(v, idx);
    if (!sq_isinstance(o)) return sq_throwerror(v, "the object is not a class instance");
    *p = _instance(o)->_userpointer;
    if (typetag != nullptr) {
        for (SQClass *cl = _instance(o)->_class; cl; cl = cl->_base) {
            if (cl->_typetag == typetag) return SQ_OK;
        }
        return sq_throwerror(v, "invalid type tag");
    }
    return SQ_OK;
}

SQRESULT sq_setclassudsize(HSQUIRRELVM v, SQInteger idx, SQInteger udsize) {
    SQObjectPtr &o = stack_get(v, idx);
    if (!sq_isclass(o)) return sq_throwerror(v, "the object is not a class");
    if (_class(o)->_locked) return sq_throwerror(v, "the class is locked");
    _class(o)->_udsize = udsize;
    return SQ_OK;
}

SQRESULT sq_newclass(HSQUIRRELVM v, SQBool hasbase) {
    SQClass *baseclass = nullptr;
    SQObjectPtr base;
    if (hasbase) {
        base = stack_get(v, -1);
        if (!sq_isclass(base)) return sq_throwerror(v, "invalid base type");
        baseclass = _class(base);
    }
    SQObjectPtr newclass(SQClass::Create(_ss(v), baseclass));
    if (hasbase) v->Pop();
    v->Push(newclass);
    return SQ_OK;
}

SQRESULT sq_createinstance(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_CLASS, o)) return SQ_ERROR;
    v->Push(SQObjectPtr(_class(*o)->CreateInstance()));
    return SQ_OK;
}

SQRESULT sq_setattributes(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_CLASS, o)) return SQ_ERROR;
    SQObjectPtr cls = *o;
    SQObjectPtr key = stack_get(v, -2), val = stack_get(v, -1), attrs;
    if (sq_type(key) == OT_NULL) {
        attrs = _class(cls)->_attributes;
        _class(cls)->_attributes = val;
        v->Pop(2);
        v->Push(attrs);
        return SQ_OK;
    }
    if (_class(cls)->GetAttributes(key, attrs)) {
        _class(cls)->SetAttributes(key, val);
        v->Pop(2);
        v->Push(attrs);
        return SQ_OK;
    }
    return sq_throwerror(v, "wrong index");
}

SQRESULT sq_getattributes(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_CLASS, o)) return SQ_ERROR;
    SQObjectPtr cls = *o;
    SQObjectPtr key = stack_get(v, -1), attrs;
    if (sq_type(key) == OT_NULL) {
        attrs = _class(cls)->_attributes;
        v->Pop();
        v->Push(attrs);
        return SQ_OK;
    }
    if (_class(cls)->GetAttributes(key, attrs)) {
        v->Pop();
        v->Push(attrs);
        return SQ_OK;
    }
    return sq_throwerror(v, "wrong index");
}

SQRESULT sq_getclass(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_INSTANCE, o)) return SQ_ERROR;
    v->Push(SQObjectPtr(_instance(*o)->_class));
    return SQ_OK;
}

void sq_weakref(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = stack_get(v, idx);
    if (ISREFCOUNTED(sq_type(o))) {
        v->Push(SQObjectPtr(_refcounted(o)->GetWeakRef(sq_type(o))));
        return;
    }
    v->Push(o);
}

SQRESULT sq_getweakrefval(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = stack_get(v, idx);
    if (sq_type(o) != OT_WEAKREF) return sq_throwerror(v, "the object must be a weakref");
    v->Push(SQObjectPtr(_weakref(o)->_obj));
    return SQ_OK;
}

SQRESULT sq_getdefaultdelegate(HSQUIRRELVM v, SQObjectType t) {
    SQSharedState *ss = _ss(v);
    switch (t) {
    case OT_TABLE: v->Push(ss->_table_default_delegate); break;
    case OT_ARRAY: v->Push(ss->_array_default_delegate); break;
    case OT_STRING: v->Push(ss->_string_default_delegate); break;
    case OT_INTEGER:
    case OT_FLOAT: v->Push(ss->_number_default_delegate); break;
    case OT_GENERATOR: v->Push(ss->_generator_default_delegate); break;
    case OT_CLOSURE:
    case OT_NATIVECLOSURE: v->Push(ss->_closure_default_delegate); break;
    case OT_THREAD: v->Push(ss->_thread_default_delegate); break;
    case OT_CLASS: v->Push(ss->_class_default_delegate); break;
    case OT_INSTANCE: v->Push(ss->_instance_default_delegate); break;
    case OT_WEAKREF: v->Push(ss->_weakref_default_delegate); break;
    default: return sq_throwerror(v, "the type doesn't have a default delegate");
    }
    return SQ_OK;
}

// ---------------------------------------------------------------------------------------------
// Object manipulation

void sq_pushroottable(HSQUIRRELVM v) { v->Push(v->_roottable); }
void sq_pushregistrytable(HSQUIRRELVM v) { v->Push(_ss(v)->_registry); }
void sq_pushconsttable(HSQUIRRELVM v) { v->Push(_ss(v)->_consts); }

SQRESULT sq_setroottable(HSQUIRRELVM v) {
    SQObject o = stack_get(v, -1);
    if (sq_istable(o) || sq_isnull(o)) {
        v->_roottable = o;
        v->Pop();
        return SQ_OK;
    }
    return sq_throwerror(v, "ivalid type");
}

SQRESULT sq_setconsttable(HSQUIRRELVM v) {
    SQObject o = stack_get(v, -1);
    if (sq_istable(o)) {
        _ss(v)->_consts = o;
        v->Pop();
        return SQ_OK;
    }
    return sq_throwerror(v, "ivalid type, expected table");
}

SQRESULT sq_newslot(HSQUIRRELVM v, SQInteger idx, SQBool bstatic) {
    if (!EnoughParams(v, 3)) return SQ_ERROR;
    SQObjectPtr self = stack_get(v, idx);
    if (sq_type(self) == OT_TABLE || sq_type(self) == OT_CLASS) {
        SQObjectPtr key = v->GetUp(-2), val = v->GetUp(-1);
        if (sq_type(key) == OT_NULL) return sq_throwerror(v, "null is not a valid key");
        v->NewSlot(self, key, val, bstatic != 0);
        v->Pop(2);
    }
    return SQ_OK;
}

SQRESULT sq_deleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
    if (!EnoughParams(v, 2)) return SQ_ERROR;
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_TABLE, o)) return SQ_ERROR;
    SQObjectPtr self = *o, key = v->GetUp(-1), res;
    if (sq_type(key) == OT_NULL) return sq_throwerror(v, "null is not a valid key");
    if (!v->DeleteSlot(self, key, res)) return SQ_ERROR;
    if (pushval) v->GetUp(-1) = res;
    else v->Pop();
    return SQ_OK;
}

SQRESULT sq_set(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = stack_get(v, idx), key = v->GetUp(-2), val = v->GetUp(-1);
    if (v->Set(self, key, val, false)) {
        v->Pop(2);
        return SQ_OK;
    }
    switch (sq_type(self)) {
    case OT_TABLE:
    case OT_INSTANCE:
    case OT_USERDATA: v->Raise_IdxError(key); break;
    case OT_ARRAY:
        if (sq_isnumeric(key)) v->Raise_IdxError(key);
        break;
    default: break;
    }
    return SQ_ERROR;
}

SQRESULT sq_get(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = stack_get(v, idx), key = v->GetUp(-1), res;
    if (v->Get(self, key, res, false, false)) {
        v->GetUp(-1) = res;
        return SQ_OK;
    }
    v->Pop();
    return sq_throwerror(v, "the index doesn't exist");
}

SQRESULT sq_rawget(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = stack_get(v, idx), key = v->GetUp(-1), res;
    bool found = false;
    switch (sq_type(self)) {
    case OT_TABLE:
        found = _table(self)->Get(key, res);
        if (found) res = sqDerefWeak(res);
        break;
    case OT_CLASS: found = _class(self)->Get(key, res); break;
    case OT_INSTANCE: found = _instance(self)->Get(key, res); break;
    case OT_ARRAY:
        if (sq_isnumeric(key)) found = _array(self)->Get(sqToInteger(key), res);
        else found = _table(_ss(v)->_array_default_delegate)->Get(key, res);
        break;
    default:
        v->Pop();
        return sq_throwerror(v, "rawget works only on array/table/instance and class");
    }
    if (found) {
        v->GetUp(-1) = res;
        return SQ_OK;
    }
    v->Pop();
    return sq_throwerror(v, "the index doesn't exist");
}

SQRESULT sq_rawset(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = stack_get(v, idx), key = v->GetUp(-2), val = v->GetUp(-1);
    if (sq_type(key) == OT_NULL) return sq_throwerror(v, "null key");
    switch (sq_type(self)) {
    case OT_TABLE:
        _table(self)->NewSlot(key, val);
        v->Pop(2);
        return SQ_OK;
    case OT_CLASS:
        if (!v->NewSlot(self, key, val, false)) return SQ_ERROR;
        v->Pop(2);
        return SQ_OK;
    case OT_INSTANCE:
        if (_instance(self)->Set(key, val)) {
            v->Pop(2);
            return SQ_OK;
        }
        break;
    case OT_ARRAY:
        if (sq_isnumeric(key) && _array(self)->Set(sqToInteger(key), val)) {
            v->Pop(2);
            return SQ_OK;
        }
        break;
    default:
        v->Pop(2);
        return sq_throwerror(v, "rawset works only on array/table/class and instance");
    }
    v->Raise_IdxError(key);
    return SQ_ERROR;
}

SQRESULT sq_rawdeleteslot(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
    if (!EnoughParams(v, 2)) return SQ_ERROR;
    SQObjectPtr *o;
    if (!GetTyped(v, idx, OT_TABLE, o)) return SQ_ERROR;
    SQObjectPtr self = *o, key = v->GetUp(-1), t;
    if (_table(self)->Get(key, t)) _table(self)->Remove(key);
    // With pushval false the key stays on the stack, as in 2.2.4.
    if (pushval) v->GetUp(-1) = t;
    return SQ_OK;
}

SQRESULT sq_arrayappend(HSQUIRRELVM v, SQInteger idx) {
    if (!EnoughParams(v, 2)) return SQ_ERROR;
    SQObjectPtr *arr;
    if (!GetTyped(v, idx, OT_ARRAY, arr)) return SQ_ERROR;
    _array(*arr)->Append(v->GetUp(-1));
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_arraypop(HSQUIRRELVM v, SQInteger idx, SQBool pushval) {
    if (!EnoughParams(v, 1)) return SQ_ERROR;
    SQObjectPtr *arr;
    if (!GetTyped(v, idx, OT_ARRAY, arr)) return SQ_ERROR;
    SQObjectPtr a = *arr;
    if (_array(a)->Size() > 0) {
        if (pushval) v->Push(_array(a)->Top());
        _array(a)->Pop();
        return SQ_OK;
    }
    return sq_throwerror(v, "empty array");
}

SQRESULT sq_arrayresize(HSQUIRRELVM v, SQInteger idx, SQInteger newsize) {
    if (!EnoughParams(v, 1)) return SQ_ERROR;
    SQObjectPtr *arr;
    if (!GetTyped(v, idx, OT_ARRAY, arr)) return SQ_ERROR;
    if (newsize < 0) return sq_throwerror(v, "negative size");
    if (!_array(*arr)->Resize(newsize)) return sq_throwerror(v, "not enough memory");
    return SQ_OK;
}

SQRESULT sq_arrayreverse(HSQUIRRELVM v, SQInteger idx) {
    if (!EnoughParams(v, 1)) return SQ_ERROR;
    SQObjectPtr *arr;
    if (!GetTyped(v, idx, OT_ARRAY, arr)) return SQ_ERROR;
    std::vector<SQObjectPtr> &vals = _array(*arr)->_values;
    for (size_t i = 0, n = vals.size(); i < n / 2; i++) std::swap(vals[i], vals[n - 1 - i]);
    return SQ_OK;
}

SQRESULT sq_arrayremove(HSQUIRRELVM v, SQInteger idx, SQInteger itemidx) {
    if (!EnoughParams(v, 1)) return SQ_ERROR;
    SQObjectPtr *arr;
    if (!GetTyped(v, idx, OT_ARRAY, arr)) return SQ_ERROR;
    return _array(*arr)->Remove(itemidx) ? SQ_OK : sq_throwerror(v, "index out of range");
}

SQRESULT sq_arrayinsert(HSQUIRRELVM v, SQInteger idx, SQInteger destpos) {
    if (!EnoughParams(v, 2)) return SQ_ERROR;
    SQObjectPtr *arr;
    if (!GetTyped(v, idx, OT_ARRAY, arr)) return SQ_ERROR;
    SQObjectPtr a = *arr, val = v->GetUp(-1);
    SQRESULT ret = _array(a)->Insert(destpos, val) ? SQ_OK : sq_throwerror(v, "index out of range");
    v->Pop();
    return ret;
}

SQRESULT sq_setdelegate(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = stack_get(v, idx), mt = v->GetUp(-1);
    SQObjectType type = sq_type(self);
    switch (type) {
    case OT_TABLE:
    case OT_USERDATA:
        if (sq_type(mt) == OT_TABLE) {
            if (!_delegable(self)->SetDelegate(_table(mt))) return sq_throwerror(v, "delagate cycle");
        } else if (sq_type(mt) == OT_NULL) {
            _delegable(self)->SetDelegate(nullptr);
        } else {
            v->Raise_Error("unexpected type %s", GetTypeName(mt));
            return SQ_ERROR;
        }
        v->Pop();
        return SQ_OK;
    default:
        v->Raise_Error("unexpected type %s", GetTypeName(type));
        return SQ_ERROR;
    }
}

SQRESULT sq_getdelegate(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr self = stack_get(v, idx);
    switch (sq_type(self)) {
    case OT_TABLE:
    case OT_USERDATA:
        if (_delegable(self)->_delegate) v->Push(SQObjectPtr(_delegable(self)->_delegate));
        else v->Push(SQObjectPtr());
        return SQ_OK;
    default: return sq_throwerror(v, "wrong type");
    }
}

SQRESULT sq_clone(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = stack_get(v, idx), res;
    switch (sq_type(o)) {
    case OT_TABLE:
    case OT_INSTANCE:
    case OT_ARRAY:
        if (!v->Clone(o, res)) return SQ_ERROR;
        v->Push(res);
        return SQ_OK;
    default:
        v->Raise_Error("unexpected type %s", GetTypeName(o));
        return SQ_ERROR;
    }
}

SQRESULT sq_setfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval) {
    SQObjectPtr self = stack_get(v, idx);
    std::vector<SQObjectPtr> *outers;
    switch (sq_type(self)) {
    case OT_CLOSURE: outers = &_closure(self)->_outervalues; break;
    case OT_NATIVECLOSURE: outers = &_nativeclosure(self)->_outervalues; break;
    default:
        v->Raise_Error("unexpected type %s", GetTypeName(self));
        return SQ_ERROR;
    }
    if (nval >= outers->size()) return sq_throwerror(v, "invalid free var index");
    (*outers)[nval] = v->GetUp(-1);
    v->Pop();
    return SQ_OK;
}

SQRESULT sq_next(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = stack_get(v, idx), refpos = v->GetUp(-1), key, val;
    SQInteger nrefidx = -1;
    switch (sq_type(o)) {
    case OT_TABLE: nrefidx = _table(o)->Next(refpos, key, val); break;
    case OT_ARRAY: nrefidx = _array(o)->Next(refpos, key, val); break;
    case OT_STRING: nrefidx = _string(o)->Next(refpos, key, val); break;
    case OT_CLASS: nrefidx = _class(o)->Next(refpos, key, val); break;
    case OT_USERDATA:
    case OT_INSTANCE: {
        SQObjectPtr closure, itr;
        if (!v->GetMetaMethod(o, MT_NEXTI, closure)) return SQ_ERROR;
        v->Push(o);
        v->Push(refpos);
        if (!v->CallMetaMethod(o, MT_NEXTI, 2, itr)) return SQ_ERROR;
        if (sq_type(itr) == OT_NULL) return SQ_ERROR;
        if (!v->Get(o, itr, val, false, false)) return sq_throwerror(v, "_nexti returned an invalid idx");
        v->GetUp(-1) = itr;
        v->Push(itr);
        v->Push(val);
        return SQ_OK;
    }
    case OT_GENERATOR: return sq_throwerror(v, "cannot iterate a generator");
    default:
        v->Raise_Error("cannot iterate %s", GetTypeName(o));
        return SQ_ERROR;
    }
    if (nrefidx == -1) return SQ_ERROR;
    v->GetUp(-1) = SQObjectPtr(nrefidx);
    v->Push(key);
    v->Push(val);
    return SQ_OK;
}

SQRESULT sq_clear(HSQUIRRELVM v, SQInteger idx) {
    SQObjectPtr o = stack_get(v, idx);
    switch (sq_type(o)) {
    case OT_TABLE: _table(o)->Clear(); return SQ_OK;
    case OT_ARRAY: _array(o)->Resize(0); return SQ_OK;
    default: return sq_throwerror(v, "clear only works on table and array");
    }
}

// ---------------------------------------------------------------------------------------------
// Calls

SQRESULT sq_call(HSQUIRRELVM v, SQInteger params, SQBool retval, SQBool raiseerror) {
    SQObjectPtr res;
    SQObjectPtr callee = v->GetUp(-(params + 1));
    if (v->Call(callee, params, v->_top - params, res, raiseerror)) {
        if (!v->_suspended) v->Pop(params);
        if (retval) v->Push(res);
        return SQ_OK;
    }
    v->Pop(params);
    return SQ_ERROR;
}

SQRESULT sq_resume(HSQUIRRELVM v, SQBool retval, SQBool raiseerror) {
    SQObjectPtr gen = v->GetUp(-1), res;
    if (sq_type(gen) == OT_GENERATOR) {
        if (!v->Execute(gen, v->_top - v->_stackbase, 0, v->_top, res, raiseerror, SQVM::ET_RESUME_GENERATOR)) {
            return SQ_ERROR;
        }
        if (retval) v->Push(res);
        return SQ_OK;
    }
    return sq_throwerror(v, "only generators can be resumed");
}

const SQChar *sq_getlocal(HSQUIRRELVM v, SQUnsignedInteger level, SQUnsignedInteger idx) {
    SQUnsignedInteger cstksize = static_cast<SQUnsignedInteger>(v->_callsstacksize);
    if (level >= cstksize) return nullptr;
    SQUnsignedInteger lvl = (cstksize - level) - 1;
    SQInteger stackbase = v->_stackbase;
    for (SQUnsignedInteger i = 0; i < level; i++) {
        SQCallInfo &c = v->_callsstack[(cstksize - i) - 1];
        stackbase -= c._prevstkbase;
    }
    SQCallInfo &ci = v->_callsstack[lvl];
    if (sq_type(ci._closure) != OT_CLOSURE) return nullptr;
    SQClosure *c = _closure(ci._closure);
    SQFunctionProto *func = c->Proto();
    if (func->_outervalues.size() > idx) {
        v->Push(c->_outervalues[idx]);
        return _stringval(func->_outervalues[idx]._name);
    }
    idx -= static_cast<SQUnsignedInteger>(func->_outervalues.size());
    SQUnsignedInteger op = static_cast<SQUnsignedInteger>(ci._ip - func->_instructions.data()) - 1;
    const SQLocalVarInfo *lvi = func->GetLocal(idx, op);
    if (!lvi) return nullptr;
    v->Push(v->_stack[static_cast<size_t>(stackbase + static_cast<SQInteger>(lvi->_pos))]);
    return _stringval(lvi->_name);
}

const SQChar *sq_getfreevariable(HSQUIRRELVM v, SQInteger idx, SQUnsignedInteger nval) {
    SQObjectPtr self = stack_get(v, idx);
    if (sq_type(self) != OT_CLOSURE) return nullptr;
    SQClosure *c = _closure(self);
    SQFunctionProto *fp = c->Proto();
    if (nval >= c->_outervalues.size() || nval >= fp->_outervalues.size()) return nullptr;
    v->Push(c->_outervalues[nval]);
    return sq_type(fp->_outervalues[nval]._name) == OT_STRING ? _stringval(fp->_outervalues[nval]._name) : nullptr;
}

SQRESULT sq_throwerror(HSQUIRRELVM v, const SQChar *err) {
    v->_lasterror = SQObjectPtr(SQString::Create(_ss(v), err, -1));
    return SQ_ERROR;
}

void sq_reseterror(HSQUIRRELVM v) { v->_lasterror.Null(); }
void sq_getlasterror(HSQUIRRELVM v) { v->Push(v->_lasterror); }

// ---------------------------------------------------------------------------------------------
// Raw object handles

SQRESULT sq_getstackobj(HSQUIRRELVM v, SQInteger idx, HSQOBJECT *po) {
    *po = stack_get(v, idx);
    return SQ_OK;
}
void sq_pushobject(HSQUIRRELVM v, HSQOBJECT obj) { v->Push(SQObjectPtr(obj)); }
void sq_addref(HSQUIRRELVM v, HSQOBJECT *po) { _ss(v)->AddRef(*po); }
SQBool sq_release(HSQUIRRELVM v, HSQOBJECT *po) { return _ss(v)->ReleaseRef(*po) ? SQTrue : SQFalse; }
void sq_resetobject(HSQOBJECT *po) {
    po->_type = OT_NULL;
    po->_unVal.raw = 0;
}
const SQChar *sq_objtostring(HSQOBJECT *o) { return sq_type(*o) == OT_STRING ? _stringval(*o) : nullptr; }
SQBool sq_objtobool(HSQOBJECT *o) { return sq_isbool(*o) ? (_integer(*o) ? SQTrue : SQFalse) : SQFalse; }
SQInteger sq_objtointeger(HSQOBJECT *o) { return sq_isnumeric(*o) ? sqToInteger(*o) : 0; }
SQFloat sq_objtofloat(HSQOBJECT *o) { return sq_isnumeric(*o) ? sqToFloat(*o) : 0.0f; }

// ---------------------------------------------------------------------------------------------
// Garbage collection, memory, debug

SQInteger sq_collectgarbage(HSQUIRRELVM v) { return _ss(v)->CollectGarbage(v); }

void *sq_malloc(SQUnsignedInteger size) { return std::malloc(size); }
void *sq_realloc(void *p, SQUnsignedInteger, SQUnsignedInteger newsize) { return std::realloc(p, newsize); }
void sq_free(void *p, SQUnsignedInteger) { std::free(p); }

SQRESULT sq_stackinfos(HSQUIRRELVM v, SQInteger level, SQStackInfos *si) {
    SQInteger cssize = v->_callsstacksize;
    if (level < 0 || cssize <= level) return SQ_ERROR;
    SQCallInfo &ci = v->_callsstack[static_cast<size_t>(cssize - level - 1)];
    switch (sq_type(ci._closure)) {
    case OT_CLOSURE: {
        SQFunctionProto *func = _closure(ci._closure)->Proto();
        si->funcname = sq_type(func->_name) == OT_STRING ? _stringval(func->_name) : nullptr;
        si->source = sq_type(func->_sourcename) == OT_STRING ? _stringval(func->_sourcename) : nullptr;
        si->line = func->GetLine(static_cast<SQInteger>(ci._ip - func->_instructions.data()));
        break;
    }
    case OT_NATIVECLOSURE: {
        SQNativeClosure *nc = _nativeclosure(ci._closure);
        si->source = "NATIVE";
        si->funcname = sq_type(nc->_name) == OT_STRING ? _stringval(nc->_name) : "unknown";
        si->line = -1;
        break;
    }
    default: return SQ_ERROR;
    }
    return SQ_OK;
}
