// What saving and restoring a script state needs from the runtime, and all of it: a walk of
// the object graph under one explicit rule, the parts of objects in a fixed order, and a
// thread's machine state as a checked image (sqthreadimage.h). A state file is built on these
// alone; nothing here writes bytes.
#pragma once

#include <squirrel.h>

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "sqobject.h"
#include "sqopcodes.h"

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

// ---------------------------------------------------------------------------------------------
// Reading objects' parts and building objects from parts. Each reader returns an empty or null
// result for a value of another type; each writer returns false (and changes nothing) for one.

// The characters of a string (empty for any other value).
std::string_view sqStringView(const SQObject &string);
SQObjectPtr sqMakeString(HSQUIRRELVM vm, std::string_view text);
// The root table of a thread.
SQObject sqRootTable(HSQUIRRELVM vm);
// The delegate of a table (null when it has none).
SQObject sqDelegateOf(const SQObject &table);

// A weak reference to a reference-counted value (its one weak reference); null for any other.
SQObjectPtr sqMakeWeakRef(const SQObject &target);

SQObjectPtr sqNewTable(HSQUIRRELVM vm);
bool sqTableGet(const SQObject &table, const SQObject &key, SQObjectPtr &value);
bool sqTableNewSlot(const SQObject &table, const SQObject &key, const SQObject &value);
// Only a table can be a table's delegate.
bool sqTableSetDelegate(const SQObject &table, const SQObject &delegate);

// Sets a member of an instance (false when its class has no such member).
bool sqInstanceSet(const SQObject &instance, const SQObject &name, const SQObject &value);

SQInteger sqArraySize(const SQObject &array);
void sqForEachElement(const SQObject &array, const std::function<void(const SQObject &element)> &visit);
SQObjectPtr sqNewArray(HSQUIRRELVM vm);
// Replaces an array's elements.
bool sqArrayAssign(const SQObject &array, std::vector<SQObjectPtr> elements);

// A script closure's parts: its prototype, its bound environment (read through; null when
// unbound), its outer values and its default parameter values.
struct SQClosureParts {
    SQObjectPtr prototype;
    SQObjectPtr environment;
    std::vector<SQObjectPtr> outers;
    std::vector<SQObjectPtr> defaults;
};
SQClosureParts sqClosureParts(const SQObject &closure);
// A closure of a prototype, its outer and default values null, as many as the prototype has.
SQObjectPtr sqNewClosure(HSQUIRRELVM vm, const SQObject &prototype);
// Binds the environment (a table, class or instance; anything else leaves it unbound) and sets
// the outer and default values, which must be as many as the closure has.
bool sqSetClosureParts(const SQObject &closure, const SQClosureParts &parts);

// A function prototype's parts.
struct SQProtoParts {
    struct Outer {
        std::uint32_t type = 0;  // SQOuterType
        SQObjectPtr name;
        SQObjectPtr source;
    };
    struct Local {
        SQObjectPtr name;
        std::uint32_t start = 0;  // first and last instruction where it is live
        std::uint32_t end = 0;
        std::uint32_t position = 0;  // register
    };
    struct Line {
        std::int32_t line = 0;
        std::int32_t op = 0;
    };
    SQObjectPtr sourceName;
    SQObjectPtr name;
    std::vector<SQInstruction> code;
    std::int32_t stackSize = 0;
    bool generator = false;
    bool varparams = false;
    std::vector<Local> locals;
    std::vector<Line> lines;
    std::vector<SQObjectPtr> literals;
    std::vector<SQObjectPtr> parameters;  // the first is "this"
    std::vector<SQObjectPtr> functions;   // nested prototypes
    std::vector<Outer> outers;
    std::vector<std::int32_t> defaults;  // registers of the enclosing frame holding the defaults
};
SQProtoParts sqProtoParts(const SQObject &prototype);
// The nested prototypes alone.
std::vector<SQObjectPtr> sqProtoFunctions(const SQObject &prototype);
// A prototype whose body only returns, with room for the given outer and default values (the
// counts its closures take), until its real parts are put in.
SQObjectPtr sqNewProto(HSQUIRRELVM vm, std::uint32_t outers, std::uint32_t defaults);
// Back to a body that only returns (keeping the outer and default counts), so that code found
// wrong can never run.
void sqDisableProto(HSQUIRRELVM vm, const SQObject &prototype);
// Puts parts into a prototype.
bool sqSetProtoParts(const SQObject &prototype, SQProtoParts parts);
// The bytecode checks for one prototype's parts (nested prototypes not visited): every operand
// stays inside the prototype, and outer values and defaults inside parent, the prototype whose
// code creates its closures (null for a top-level function).
bool sqProtoPartsValid(const SQProtoParts &parts, const SQProtoParts *parent);

// The size of a thread's value stack, and the most a thread can have.
SQInteger sqThreadStackSize(const SQObject &thread);
SQInteger sqMaxThreadStack();
// A thread that has never run, sharing vm's state and root table, with a stack of the given
// size and nothing callable in it yet (null when it cannot be made).
SQObjectPtr sqNewIdleThread(HSQUIRRELVM vm, SQInteger stackSize);
