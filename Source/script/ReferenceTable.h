#pragma once

#include <squirrel.h>

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "script/ObjectFrame.h"
#include "sqobject.h"
#include "sqsave.h"

namespace Orvane
{

// The index of every script object a saved script state contains: strings first, then function
// prototypes, instances by the script's priority, the other objects, weak references, the root
// table last. State files name objects by their position here.
//
// While it holds objects it is a root of the machine's collector: a script that runs the collector in
// a priority or restore closure must not finalize an object the table still indexes (it would be
// written, or restored, emptied).
class ReferenceTable final : public SQGCRoots
{
public:
    ReferenceTable() = default;
    ~ReferenceTable() { clear(); }
    ReferenceTable(const ReferenceTable&) = delete;
    ReferenceTable& operator=(const ReferenceTable&) = delete;

    // The table holds everything a saved state refers to by index: delegates too (a table's
    // delegate is written as a reference) and an instance's methods (they are its values).
    static constexpr SQWalkRule walkRule{.delegates = true, .instanceMethods = true};

    struct Entry
    {
        int32_t orderKey = 0; // while a state file is read: 0 created, -1 the creation gave no object
        SQObjectPtr value;
    };

    // Walks everything reachable from root. Instances are ordered by what priority (a script
    // closure) returns for them; the elements of exclusions (an array) and whatever is reachable
    // only through them stay out.
    void build(HSQUIRRELVM vm, const SQObject& root, const SQObject& priority, const SQObject& exclusions);
    // Lets go of everything; must run before the machine the table was built in is closed.
    void clear();
    // count null entries of the machine vm, for reading a state file.
    void reset(HSQUIRRELVM vm, uint32_t count);

    void MarkRoots(SQGCMarker& marker) override;

    // Set while a state file is written or read or the table is built: script closures called
    // then must not rebuild or clear it under the reader's feet.
    bool isBusy() const { return busy; }
    class BusyScope
    {
    public:
        explicit BusyScope(ReferenceTable& table) : table(table) { table.busy = true; }
        ~BusyScope() { table.busy = false; }
        BusyScope(const BusyScope&) = delete;
        BusyScope& operator=(const BusyScope&) = delete;

    private:
        ReferenceTable& table;
    };

    // The nested tables of the thread records being written or read, innermost last.
    ObjectFrame& pushFrame();
    void popFrame();
    // The innermost nested table; none outside a thread record.
    ObjectFrame* currentFrame() { return frames.empty() ? nullptr : frames.back().get(); }
    size_t frameDepth() const { return frames.size(); }
    class FrameScope
    {
    public:
        explicit FrameScope(ReferenceTable& table) : table(table), frame(table.pushFrame()) {}
        ~FrameScope() { table.popFrame(); }
        FrameScope(const FrameScope&) = delete;
        FrameScope& operator=(const FrameScope&) = delete;
        ObjectFrame& get() { return frame; }

    private:
        ReferenceTable& table;
        ObjectFrame& frame;
    };

    uint32_t size() const { return static_cast<uint32_t>(entries.size()); }
    Entry& entry(uint32_t index) { return entries[index]; }
    // The object's position, -1 when it is not in the table.
    int32_t indexOf(const SQObject& value) const;
    // A new reference to the entry's value; null out of range.
    SQObjectPtr get(int64_t index) const;
    // The root-table key under which a native closure (or a class) was found; null when none.
    SQObjectPtr findNativeClosureName(const SQObject& value) const;
    SQObjectPtr findClassName(const SQObject& value) const;


private:
    using Names = std::map<uintptr_t, std::pair<SQObjectPtr, SQObjectPtr>>;
    void collectNames(const SQObject& root);
    static SQObjectPtr findName(const Names& names, const SQObject& value);

    std::vector<Entry> entries;
    std::vector<std::pair<uintptr_t, int32_t>> identities; // sorted by identity
    Names nativeClosureNames;
    Names classNames;
    std::vector<std::unique_ptr<ObjectFrame>> frames;
    bool busy = false;
    HSQUIRRELVM rootedIn = nullptr; // the machine whose collector marks the table

};

} // namespace Orvane
