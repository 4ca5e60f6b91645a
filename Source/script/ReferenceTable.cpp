#include "script/ReferenceTable.h"

#include "sqinternal.h"

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

// The walk of the graph. Every object is entered once; the explicit work list keeps deep
// structures off the native stack.
class Walker
{
public:
    Walker(std::vector<ReferenceTable::Entry>& entries, const SQObject& exclusions) : entries(entries)
    {
        if (sq_type(exclusions) == OT_ARRAY)
            for (const SQObjectPtr& element : exclusions._unVal.pArray->_values)
                if (ISREFCOUNTED(sq_type(element)))
                    excluded.insert(identityOf(element));
    }

    void run(const SQObject& root)
    {
        visit(root);
        while (!pending.empty())
        {
            SQObjectPtr value = std::move(pending.back());
            pending.pop_back();
            walkChildren(value);
        }
    }

private:
    // Enters the object when new and queues its children.
    void visit(const SQObject& value)
    {
        if (!ISREFCOUNTED(sq_type(value)))
            return;
        uintptr_t id = identityOf(value);
        if (excluded.count(id) || !seen.insert(id).second)
            return;
        ReferenceTable::Entry entry;
        entry.value = value;
        entries.push_back(std::move(entry));
        pending.emplace_back(value);
    }

    void visitPair(const SQObject& name, const SQObject& value)
    {
        if (sq_type(value) == OT_CLASS)
            return;
        visit(name);
        visit(value);
    }

    void visitProto(const SQObject& value)
    {
        if (sq_type(value) != OT_FUNCPROTO)
            return;
        visit(value);
    }

    void walkProto(SQFunctionProto* proto)
    {
        visit(proto->_sourcename);
        visit(proto->_name);
        for (const SQLocalVarInfo& local : proto->_localvarinfos)
            visit(local._name);
        for (const SQObjectPtr& literal : proto->_literals)
            visit(literal);
        for (const SQObjectPtr& parameter : proto->_parameters)
            visit(parameter);
        for (const SQObjectPtr& nested : proto->_functions)
            visitProto(nested);
        for (const SQOuterVar& outer : proto->_outervalues)
        {
            visit(outer._name);
            visit(outer._src);
        }
    }

    void walkClassMembers(SQClass* cls, SQInstance* instance)
    {
        SQTable* members = cls->_members;
        for (SQInteger i = 0; i < members->_numofnodes; i++)
        {
            const SQTable::_HashNode& node = members->_nodes[i];
            if (sq_type(node.key) == OT_NULL)
                continue;
            visitPair(node.key, ReferenceTable::memberValue(cls, instance, node.val));
        }
    }

    void walkChildren(const SQObject& value)
    {
        if (is_delegable(value) && value._unVal.pDelegable->_delegate)
            visit(SQObjectPtr(value._unVal.pDelegable->_delegate));
        switch (sq_type(value))
        {
        case OT_ARRAY:
            for (const SQObjectPtr& element : value._unVal.pArray->_values)
                visit(element);
            break;
        case OT_TABLE:
        {
            SQTable* table = value._unVal.pTable;
            for (SQInteger i = 0; i < table->_numofnodes; i++)
            {
                if (sq_type(table->_nodes[i].key) == OT_NULL)
                    continue;
                visit(table->_nodes[i].key);
                visit(table->_nodes[i].val);
            }
            break;
        }
        case OT_INSTANCE:
            walkClassMembers(value._unVal.pInstance->_class, value._unVal.pInstance);
            break;
        case OT_CLASS:
            walkClassMembers(value._unVal.pClass, nullptr);
            break;
        case OT_CLOSURE:
        {
            SQClosure* closure = value._unVal.pClosure;
            for (const SQObjectPtr& parameter : closure->_defaultparams)
                visit(parameter);
            for (const SQObjectPtr& outer : closure->_outervalues)
                visit(outer);
            visitProto(closure->_function);
            break;
        }
        case OT_FUNCPROTO:
            walkProto(value._unVal.pFunctionProto);
            break;
        default:
            break;
        }
    }

private:
    std::vector<ReferenceTable::Entry>& entries;
    std::unordered_set<uintptr_t> excluded;
    std::unordered_set<uintptr_t> seen;
    std::vector<SQObjectPtr> pending;
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

SQObject ReferenceTable::readThrough(const SQObject& value)
{
    return sq_type(value) == OT_WEAKREF ? value._unVal.pWeakRef->_obj : value;
}

SQObject ReferenceTable::memberValue(SQClass* cls, SQInstance* instance, const SQObject& slot)
{
    size_t index = static_cast<size_t>(_member_idx(slot));
    if (_isfield(slot))
    {
        if (instance)
            return index < instance->_values.size() ? readThrough(instance->_values[index]) : sqMakeNull();
        return index < cls->_defaultvalues.size() ? readThrough(cls->_defaultvalues[index].val) : sqMakeNull();
    }
    return index < cls->_methods.size() ? readThrough(cls->_methods[index].val) : sqMakeNull();
}

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
    Walker(walked, exclusions).run(root);

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
    if (sq_type(root) != OT_TABLE)
        return;
    SQTable* table = root._unVal.pTable;
    for (SQInteger i = 0; i < table->_numofnodes; i++)
    {
        const SQTable::_HashNode& node = table->_nodes[i];
        if (sq_type(node.key) == OT_NULL)
            continue;
        SQObject value = ReferenceTable::readThrough(node.val);
        Names* names = sq_type(value) == OT_NATIVECLOSURE ? &nativeClosureNames
                       : sq_type(value) == OT_CLASS       ? &classNames
                                                          : nullptr;
        if (names)
            names->try_emplace(identityOf(value), SQObjectPtr(value), node.key);
    }
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
