#include "script/ObjectFrame.h"

#include "script/ReferenceTable.h"

#include "sqsave.h"

#include <algorithm>

namespace Orvane
{

namespace
{

uint32_t writingOrder(const SQObject& value)
{
    switch (sq_type(value))
    {
    case OT_STRING: return 0;
    case OT_FUNCPROTO: return 1;
    case OT_WEAKREF: return 0x7FFFFFFF;
    default: return 0x7FFFFFFE;
    }
}

} // namespace

ObjectFrame::Key ObjectFrame::keyOf(const SQObject& value)
{
    return {static_cast<uint32_t>(sq_type(value)), static_cast<uint64_t>(value._unVal.raw)};
}

bool ObjectFrame::enter(const SQObject& value, const ReferenceTable& table)
{
    if (ISREFCOUNTED(sq_type(value)) && table.indexOf(value) >= 0)
        return false;
    if (std::find(excluded.begin(), excluded.end(), keyOf(value)) != excluded.end())
        return false;
    auto [at, added] = positions.emplace(keyOf(value), size());
    if (added)
    {
        values.emplace_back(value);
        unresolved.push_back(false);
    }
    return added;
}

void ObjectFrame::collect(const SQObject& start, const ReferenceTable& table)
{
    struct Collecting final : SQGraphVisitor
    {
        Collecting(ObjectFrame& frame, const ReferenceTable& table) : frame(frame), table(table) {}
        bool enter(const SQObject& value) override { return frame.enter(value, table); }
        ObjectFrame& frame;
        const ReferenceTable& table;
    } collecting(*this, table);
    sqWalkGraph(start, walkRule, collecting);
}

void ObjectFrame::sortForWriting()
{
    std::stable_sort(values.begin(), values.end(),
                     [](const SQObjectPtr& a, const SQObjectPtr& b) { return writingOrder(a) < writingOrder(b); });
    for (uint32_t i = 0; i < size(); i++)
        positions[keyOf(values[i])] = i;
}

void ObjectFrame::reset(uint32_t count)
{
    positions.clear();
    values.assign(count, SQObjectPtr());
    unresolved.assign(count, false);
}

int64_t ObjectFrame::indexOf(const SQObject& value) const
{
    auto found = positions.find(keyOf(value));
    return found == positions.end() ? -1 : static_cast<int64_t>(found->second);
}

uint32_t ObjectFrame::instanceCount() const
{
    return static_cast<uint32_t>(
        std::count_if(values.begin(), values.end(), [](const SQObjectPtr& v) { return sq_type(v) == OT_INSTANCE; }));
}

} // namespace Orvane
