// What saving and restoring a script state needs from the runtime, and all of it: a walk of
// the object graph under one explicit rule, the parts of objects in a fixed order, and a
// thread's machine state as a checked image (sqthreadimage.h). A state file is built on these
// alone; nothing here writes bytes.
#pragma once

#include <squirrel.h>

#include <functional>
#include <string_view>

#include "sqobject.h"

// Which edges a walk follows. Everything else is the same for every walk: array elements in
// index order; table slots in the table's layout order, key then value (a weak reference is
// itself a value, its target is not followed); class members in member order, name then value
// (weak references in fields read through), a member whose value is a class skipped; an
// instance shows its class's members with its own field values; a script closure's default
// parameter values, outer values, then its prototype; a prototype's source name, name, local
// names, literals, parameter names, nested prototypes, then each outer value's name and source.
// Strings, native closures, generators, threads, weak references and userdata end the walk.
struct SQWalkRule {
    // The delegate of tables and userdata, and an instance's (its class's member table), walked
    // before the object's own children.
    bool delegates = false;
    // An instance's methods (the script closures it shows from its class).
    bool instanceMethods = false;
};

class SQGraphVisitor {
public:
    // Called for every value reached, the start first, values that are not reference counted
    // too; true when the value is new and its children are to be walked.
    virtual bool enter(const SQObject &value) = 0;

protected:
    ~SQGraphVisitor() = default;
};

// Walks depth first with an explicit work list (deep structures stay off the native stack):
// the children of a value are entered in the order above and walked last entered first.
void sqWalkGraph(const SQObject &start, const SQWalkRule &rule, SQGraphVisitor &visitor);

// Each member of a class, or of an instance's class with the instance's own field values, in
// member order: its name and value, weak references read through.
using SQMemberVisit = std::function<void(const SQObject &name, const SQObject &value)>;
void sqForEachMember(const SQObject &classOrInstance, const SQMemberVisit &visit);
SQInteger sqMemberCount(const SQObject &classOrInstance);

// Each slot of a table in layout order (values as stored: weak references not read through).
void sqForEachSlot(const SQObject &table, const SQMemberVisit &visit);
SQInteger sqSlotCount(const SQObject &table);

// A weak reference read through to its target; any other value as it is.
SQObject sqReadThrough(const SQObject &value);

// Host structures that hold script objects outside the machine while a state is saved or restored
// (the object index, the objects a reader has created so far). The collector marks what they report
// as reachable, so a collection run by a script in the middle neither finalizes nor empties them.
class SQGCRoots {
public:
    virtual void MarkRoots(SQGCMarker &marker) = 0;

protected:
    ~SQGCRoots() = default;
};

// Adds or removes roots of the VM family of v. A root set must be removed before it dies and before
// the VM is closed.
void sqAddGCRoots(HSQUIRRELVM v, SQGCRoots *roots);
void sqRemoveGCRoots(HSQUIRRELVM v, SQGCRoots *roots);
