#include "script/ReferenceTable.h"

#include "sqsave.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace Orvane
{

namespace
{

constexpr int32_t StringKey = -2;
constexpr int32_t ProtoKey = -1;
constexpr int32_t OtherKey = 0x7FFFFFFD;
constexpr int32_t WeakRefKey = 0x7FFFFFFE;
constexpr int32_t RootKey = 0x7FFFFFFF;

uintptr_t identityOf(const SQObject& value)
{
    return reinterpret_cast<uintptr_t>(value._unVal.pRefCounted);
}

// Enters every reference-counted object reachable from the root once, in walk order; the
// elements of the exclusions array, and what is reachable only through them, stay out.
class Entering final : public SQGraphVisitor
{
public:
    Entering(std::vector<ReferenceTable::Entry>& entries, const SQObject& exclusions) : entries(entries)
    {
        if (sq_type(exclusions) == OT_ARRAY)
            sqForEachElement(exclusions, [&](const SQObject& element) {
                if (ISREFCOUNTED(sq_type(element)))
                    excluded.insert(identityOf(element));
            });
    }

    bool enter(const SQObject& value) override
    {
        if (!ISREFCOUNTED(sq_type(value)))
            return false;
        uintptr_t id = identityOf(value);
        if (excluded.count(id) || !seen.insert(id).second)
            return false;
        ReferenceTable::Entry entry;
        entry.value = value;
        entries.push_back(std::move(entry));
        return true;
    }

private:
    std::vector<ReferenceTable::Entry>& entries;
    std::unordered_set<uintptr_t> excluded;
    std::unordered_set<uintptr_t> seen;
};

int32_t priorityOf(HSQUIRRELVM vm, const SQObject& priority, const SQObject& instance)
{
    SQInteger top = sq_gettop(vm);
    int32_t key = OtherKey;
    sq_pushobject(vm, priority);
    sq_pushroottable(vm);
    sq_pushobject(vm, instance);
    if (SQ_SUCCEEDED(sq_call(vm, 2, SQTrue, SQFalse)))
    {
        HSQOBJECT result;
        sq_getstackobj(vm, -1, &result);
        if (sq_type(result) == OT_INTEGER)
            key = result._unVal.nInteger;
    }
    sq_settop(vm, top);
    return key;
}

} // namespace

ObjectFrame& ReferenceTable::pushFrame()
{
    frames.push_back(std::make_unique<ObjectFrame>());
    return *frames.back();
}

void ReferenceTable::popFrame()
{
    if (!frames.empty())
        frames.pop_back();
}

void ReferenceTable::clear()
{
    while (!frames.empty())
        frames.pop_back();
    entries.clear();
    identities.clear();
    nativeClosureNames.clear();
    classNames.clear();
}

void ReferenceTable::reset(uint32_t count)
{
    clear();
    entries.resize(count);
}

void ReferenceTable::build(HSQUIRRELVM vm, const SQObject& root, const SQObject& priority, const SQObject& exclusions)
{
    clear();
    BusyScope scope(*this);
    std::vector<Entry> walked;
    Entering entering(walked, exclusions);
    sqWalkGraph(root, ReferenceTable::walkRule, entering);

    bool byPriority = sq_type(priority) == OT_CLOSURE;
    for (Entry& entry : walked)
    {
        switch (sq_type(entry.value))
        {
        case OT_STRING: entry.orderKey = StringKey; break;
        case OT_FUNCPROTO: entry.orderKey = ProtoKey; break;
        case OT_WEAKREF: entry.orderKey = WeakRefKey; break;
        case OT_INSTANCE: entry.orderKey = byPriority ? priorityOf(vm, priority, entry.value) : OtherKey; break;
        default: entry.orderKey = OtherKey; break;
        }
        if (sqRawEqual(entry.value, root))
            entry.orderKey = RootKey;
    }
    std::sort(walked.begin(), walked.end(),
              [](const Entry& a, const Entry& b) { return a.orderKey < b.orderKey; });
    entries = std::move(walked);

    identities.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); i++)
        identities.emplace_back(identityOf(entries[i].value), static_cast<int32_t>(i));
    std::sort(identities.begin(), identities.end());
    collectNames(root);
}

void ReferenceTable::collectNames(const SQObject& root)
{
    sqForEachSlot(root, [&](const SQObject& key, const SQObject& slot) {
        SQObject value = sqReadThrough(slot);
        Names* names = sq_type(value) == OT_NATIVECLOSURE ? &nativeClosureNames
                       : sq_type(value) == OT_CLASS       ? &classNames
                                                          : nullptr;
        if (names)
            names->try_emplace(identityOf(value), SQObjectPtr(value), key);
    });
}

int32_t ReferenceTable::indexOf(const SQObject& value) const
{
    if (!ISREFCOUNTED(sq_type(value)))
        return -1;
    uintptr_t id = identityOf(value);
    auto it = std::lower_bound(identities.begin(), identities.end(), std::make_pair(id, INT32_MIN));
    return it != identities.end() && it->first == id ? it->second : -1;
}

SQObjectPtr ReferenceTable::get(int64_t index) const
{
    if (index < 0 || index >= static_cast<int64_t>(entries.size()))
        return SQObjectPtr();
    return entries[static_cast<size_t>(index)].value;
}

SQObjectPtr ReferenceTable::findName(const Names& names, const SQObject& value)
{
    auto it = names.find(identityOf(value));
    return it == names.end() ? SQObjectPtr() : it->second.second;
}

SQObjectPtr ReferenceTable::findNativeClosureName(const SQObject& value) const
{
    return sq_type(value) == OT_NATIVECLOSURE ? findName(nativeClosureNames, value) : SQObjectPtr();
}

SQObjectPtr ReferenceTable::findClassName(const SQObject& value) const
{
    return sq_type(value) == OT_CLASS ? findName(classNames, value) : SQObjectPtr();
}

} // namespace Orvane
