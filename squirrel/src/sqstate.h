// State shared by every thread of a VM family: string table, registry, constant table,
// host-reference table, metamethod names, the ten default-delegate tables, the list of
// collectable objects, print function, compiler-error handler and flags.
#pragma once

#include "sqobject.h"
#include "sqstring.h"

class SQGCRoots;

struct SQSharedState {
    explicit SQSharedState();
    ~SQSharedState();
    void Init();

    // Registers an object in / removes it from the collectable list.
    void AddToChain(SQCollectable *c);
    void RemoveFromChain(SQCollectable *c);
    // Mark from the roots, finalize everything unmarked; returns the number finalized.
    SQInteger CollectGarbage(SQVM *vm);
    // Finalizes every collectable object (sq_close).
    void FinalizeAll();

    SQChar *GetScratchPad(SQInteger size);
    SQInteger GetMetaMethodIdxByName(const SQObjectPtr &name);

    // Host references (sq_addref/sq_release): object -> count.
    void AddRef(SQObject &obj);
    bool ReleaseRef(SQObject &obj);

    SQStringTable *_stringtable = nullptr;
    SQCollectable *_gc_chain = nullptr;
    SQObjectPtr _refs_table;  // table: object -> host reference count
    SQObjectPtr _registry;
    SQObjectPtr _consts;
    SQObjectPtr _metamethodsmap;  // table: name -> index
    std::vector<SQObjectPtr> _metamethods;  // names by index
    SQObjectPtr _constructoridx;  // the string "constructor"
    SQObjectPtr _root_vm;
    std::vector<SQGCRoots *> _hostroots;  // marked by the collector (sqAddGCRoots)

    // Default delegates. Integer and float share _number_default_delegate; closures and native
    // closures share _closure_default_delegate. The base library fills them.
    SQObjectPtr _table_default_delegate;
    SQObjectPtr _array_default_delegate;
    SQObjectPtr _string_default_delegate;
    SQObjectPtr _number_default_delegate;
    SQObjectPtr _generator_default_delegate;
    SQObjectPtr _closure_default_delegate;
    SQObjectPtr _thread_default_delegate;
    SQObjectPtr _class_default_delegate;
    SQObjectPtr _instance_default_delegate;
    SQObjectPtr _weakref_default_delegate;

    SQCOMPILERERROR _compilererrorhandler = nullptr;
    SQPRINTFUNCTION _printfunc = nullptr;
    bool _debuginfo = false;
    bool _notifyallexceptions = false;
    // sq_setwatchdog: run every _watchdoginterval units of a thread's budget.
    SQWATCHDOG _watchdog = nullptr;
    SQInteger _watchdoginterval = 0;
    SQUserPointer _watchdogdata = nullptr;

private:
    SQChar *_scratchpad = nullptr;
    SQInteger _scratchpadsize = 0;
};

// Base library, implemented in sqbaselib.cpp: sq_registerbaselib_delegates fills the shared
// state's default-delegate tables (reachable through sq_getdefaultdelegate); sq_registerbaselib
// registers the base-library globals into the root table of v (called by sq_open and by
// sq_newthread).
void sq_registerbaselib_delegates(HSQUIRRELVM v);
void sq_registerbaselib(HSQUIRRELVM v);
