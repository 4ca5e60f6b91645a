// Script closures (prototype + captured outer values + default parameter values + optional bound
// environment) and native closures (C function + free variables + parameter checks).
#pragma once

#include "sqobject.h"

struct SQClosure : public SQCollectable {
    SQObjectPtr _function;  // OT_FUNCPROTO (SQFunctionProto, see sqfuncproto.h)
    SQObjectPtr _env;       // weak reference to the bound environment, or null
    std::vector<SQObjectPtr> _outervalues;
    std::vector<SQObjectPtr> _defaultparams;

    static SQClosure *Create(SQSharedState *ss, SQFunctionProto *func);
    SQClosure(SQSharedState *ss, SQFunctionProto *func);
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;
    SQClosure *Clone();
    SQFunctionProto *Proto() const { return _function._unVal.pFunctionProto; }
};

struct SQNativeClosure : public SQCollectable {
    SQFUNCTION _function = nullptr;
    SQObjectPtr _name;
    SQObjectPtr _env;  // weak reference to the bound environment, or null
    std::vector<SQObjectPtr> _outervalues;
    std::vector<SQInteger> _typecheck;  // one type mask per parameter, from `this`
    SQInteger _nparamscheck = 0;

    static SQNativeClosure *Create(SQSharedState *ss, SQFUNCTION func);
    SQNativeClosure(SQSharedState *ss, SQFUNCTION func);
    void Release() override;
    void Finalize() override;
    void Mark(SQGCMarker &marker) override;
    SQNativeClosure *Clone();
};

// Parses a native parameter type mask ("s|n", "t", ".", ...) into one mask per parameter.
bool sqCompileTypemask(std::vector<SQInteger> &res, const SQChar *typemask);
