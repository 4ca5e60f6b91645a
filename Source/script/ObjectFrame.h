#pragma once

#include <squirrel.h>

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "sqobject.h"
#include "sqsave.h"

namespace Orvane
{

class ReferenceTable;

// The nested object table of one thread record: what the thread reaches that the reference table
// lacks. Values inside the record name these objects by their position here.
class ObjectFrame
{
public:
    // What a thread reaches beyond the reference table. Delegates are not followed: a delegate
    // the table lacks is not part of the thread's state. An instance's methods come with its
    // class, which the engine recreates by name, so they are left out as well.
    static constexpr SQWalkRule walkRule{.delegates = false, .instanceMethods = false};

    // Enters value and everything reachable from it (under walkRule) that the reference table
    // does not hold. Weak reference targets and the stacks of threads are not followed.
    void collect(const SQObject& value, const ReferenceTable& table);
    // Keeps a value out of the frame (a thread whose own record is being written).
    void exclude(const SQObject& value) { excluded.push_back(keyOf(value)); }
    // Strings first, then function prototypes, other objects, weak references last: every
    // object a creation record refers to is created before it.
    void sortForWriting();

    // count null values, for reading a record.
    void reset(uint32_t count);
    uint32_t size() const { return static_cast<uint32_t>(values.size()); }
    // Reports the frame's values to the collector (see ReferenceTable).
    void mark(SQGCMarker& marker) const
    {
        for (const SQObjectPtr& value : values)
            marker.MarkObject(value);
    }
    SQObjectPtr& at(uint32_t index) { return values[index]; }
    // -1 when the value is not in the frame.
    int64_t indexOf(const SQObject& value) const;
    uint32_t instanceCount() const;
    // A value whose creation record gave no object: containers skip it.
    void markUnresolved(uint32_t index) { unresolved[index] = true; }
    bool isUnresolved(uint32_t index) const { return unresolved[index]; }

private:
    using Key = std::pair<uint32_t, uint64_t>; // type word, value word
    static Key keyOf(const SQObject& value);
    // Adds the value when new; false when it was present or belongs to the reference table.
    bool enter(const SQObject& value, const ReferenceTable& table);

    std::vector<SQObjectPtr> values;
    std::map<Key, uint32_t> positions;
    std::vector<Key> excluded;
    std::vector<bool> unresolved;
};

} // namespace Orvane
