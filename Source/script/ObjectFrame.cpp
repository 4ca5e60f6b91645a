#include "script/ObjectFrame.h"

#include "script/ReferenceTable.h"

#include "sqinternal.h"

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
    // An explicit work list keeps deep structures off the native stack.
    std::vector<SQObjectPtr> pending;
    auto visit = [&](const SQObject& value) {
        if (enter(value, table))
            pending.emplace_back(value);
    };
    visit(start);
    while (!pending.empty())
    {
        SQObjectPtr value = std::move(pending.back());
        pending.pop_back();
        switch (sq_type(value))
        {
        case OT_ARRAY:
            for (const SQObjectPtr& element : value._unVal.pArray->_values)
                visit(element);
            break;
        case OT_TABLE:
        {
            SQTable* t = value._unVal.pTable;
            for (SQInteger i = 0; i < t->_numofnodes; i++)
            {
                if (sq_type(t->_nodes[i].key) == OT_NULL)
                    continue;
                visit(t->_nodes[i].key);
                visit(t->_nodes[i].val);
            }
            break;
        }
        case OT_INSTANCE:
        case OT_CLASS:
        {
            bool isInstance = sq_type(value) == OT_INSTANCE;
            SQInstance* instance = isInstance ? value._unVal.pInstance : nullptr;
            SQClass* cls = isInstance ? instance->_class : value._unVal.pClass;
            SQTable* members = cls->_members;
            for (SQInteger i = 0; i < members->_numofnodes; i++)
            {
                const SQTable::_HashNode& node = members->_nodes[i];
                if (sq_type(node.key) == OT_NULL)
                    continue;
                SQObject member = ReferenceTable::memberValue(cls, instance, node.val);
                // An instance's methods come with its class; classes are the engine's.
                if (sq_type(member) == OT_CLASS || (isInstance && sq_type(member) == OT_CLOSURE))
                    continue;
                visit(node.key);
                visit(member);
            }
            break;
        }
        case OT_CLOSURE:
        {
            SQClosure* closure = value._unVal.pClosure;
            for (const SQObjectPtr& parameter : closure->_defaultparams)
                visit(parameter);
            for (const SQObjectPtr& outer : closure->_outervalues)
                visit(outer);
            visit(closure->_function);
            break;
        }
        case OT_FUNCPROTO:
        {
            SQFunctionProto* proto = value._unVal.pFunctionProto;
            visit(proto->_sourcename);
            visit(proto->_name);
            for (const SQLocalVarInfo& local : proto->_localvarinfos)
                visit(local._name);
            for (const SQObjectPtr& literal : proto->_literals)
                visit(literal);
            for (const SQObjectPtr& parameter : proto->_parameters)
                visit(parameter);
            for (const SQObjectPtr& nested : proto->_functions)
                visit(nested);
            for (const SQOuterVar& outer : proto->_outervalues)
            {
                visit(outer._name);
                visit(outer._src);
            }
            break;
        }
        default: break;
        }
    }
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
