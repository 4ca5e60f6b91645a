#include "sqclosure.h"

SQClosure *SQClosure::Create(SQSharedState *ss, SQFunctionProto *func) { return new SQClosure(ss, func); }

SQClosure::SQClosure(SQSharedState *ss, SQFunctionProto *func) : SQCollectable(ss), _function(func) {}

void SQClosure::Release() { delete this; }

void SQClosure::Finalize() {
    _outervalues.clear();
    _defaultparams.clear();
    _env.Null();
}

void SQClosure::Mark(SQGCMarker &marker) {
    for (const SQObjectPtr &o : _outervalues) marker.MarkObject(o);
    for (const SQObjectPtr &o : _defaultparams) marker.MarkObject(o);
}

SQClosure *SQClosure::Clone() {
    SQClosure *c = Create(_sharedstate, Proto());
    c->_env = _env;
    c->_outervalues = _outervalues;
    c->_defaultparams = _defaultparams;
    return c;
}

SQNativeClosure *SQNativeClosure::Create(SQSharedState *ss, SQFUNCTION func) { return new SQNativeClosure(ss, func); }

SQNativeClosure::SQNativeClosure(SQSharedState *ss, SQFUNCTION func) : SQCollectable(ss), _function(func) {}

void SQNativeClosure::Release() { delete this; }

void SQNativeClosure::Finalize() {
    _outervalues.clear();
    _env.Null();
}

void SQNativeClosure::Mark(SQGCMarker &marker) {
    for (const SQObjectPtr &o : _outervalues) marker.MarkObject(o);
}

SQNativeClosure *SQNativeClosure::Clone() {
    SQNativeClosure *c = Create(_sharedstate, _function);
    c->_name = _name;
    c->_env = _env;
    c->_outervalues = _outervalues;
    c->_typecheck = _typecheck;
    c->_nparamscheck = _nparamscheck;
    return c;
}

static SQInteger sqTypemaskLetter(SQChar c) {
    switch (c) {
    case 'o': return _RT_NULL;
    case 'i': return _RT_INTEGER;
    case 'f': return _RT_FLOAT;
    case 'n': return _RT_FLOAT | _RT_INTEGER;
    case 's': return _RT_STRING;
    case 't': return _RT_TABLE;
    case 'a': return _RT_ARRAY;
    case 'u': return _RT_USERDATA;
    case 'c': return _RT_CLOSURE | _RT_NATIVECLOSURE;
    case 'b': return _RT_BOOL;
    case 'g': return _RT_GENERATOR;
    case 'p': return _RT_USERPOINTER;
    case 'v': return _RT_THREAD;
    case 'x': return _RT_INSTANCE;
    case 'y': return _RT_CLASS;
    case 'r': return _RT_WEAKREF;
    case '.': return -1;
    default: return 0;
    }
}

bool sqCompileTypemask(std::vector<SQInteger> &res, const SQChar *typemask) {
    SQInteger mask = 0;
    SQInteger i = 0;
    while (typemask[i] != 0) {
        SQChar c = typemask[i];
        if (c == ' ') {
            i++;
            continue;
        }
        SQInteger bits = sqTypemaskLetter(c);
        if (bits == 0) return false;
        if (bits == -1) {
            res.push_back(-1);
            mask = 0;
            i++;
            continue;
        }
        mask |= bits;
        i++;
        if (typemask[i] == '|') {
            i++;
            if (typemask[i] == 0) return false;
            continue;
        }
        res.push_back(mask);
        mask = 0;
    }
    return true;
}
