#include "sqsave.h"

#include <algorithm>
#include <vector>

#include "sqinternal.h"

namespace {

// The value a member slot (its tagged index in the class's member table) stands for.
SQObject memberValue(const SQClass *cls, const SQInstance *instance, const SQObject &slot) {
    size_t index = static_cast<size_t>(_member_idx(slot));
    if (_isfield(slot)) {
        if (instance) return index < instance->_values.size() ? sqReadThrough(instance->_values[index]) : sqMakeNull();
        return index < cls->_defaultvalues.size() ? sqReadThrough(cls->_defaultvalues[index].val) : sqMakeNull();
    }
    return index < cls->_methods.size() ? sqReadThrough(cls->_methods[index].val) : sqMakeNull();
}

template <typename Visit> void forEachNode(const SQTable *t, Visit visit) {
    for (SQInteger i = 0; i < t->_numofnodes; i++) {
        if (sq_type(t->_nodes[i].key) != OT_NULL) visit(t->_nodes[i].key, t->_nodes[i].val);
    }
}

template <typename Visit> void forEachMemberOf(const SQClass *cls, const SQInstance *instance, Visit visit) {
    forEachNode(cls->_members, [&](const SQObject &name, const SQObject &slot) {
        visit(name, memberValue(cls, instance, slot));
    });
}

class Walk {
public:
    Walk(const SQWalkRule &rule, SQGraphVisitor &visitor) : _rule(rule), _visitor(visitor) {}

    void Run(const SQObject &start) {
        Visit(start);
        while (!_pending.empty()) {
            SQObjectPtr value = std::move(_pending.back());
            _pending.pop_back();
            Children(value);
        }
    }

private:
    void Visit(const SQObject &value) {
        if (_visitor.enter(value)) _pending.emplace_back(value);
    }

    void Members(const SQClass *cls, const SQInstance *instance) {
        forEachMemberOf(cls, instance, [&](const SQObject &name, const SQObject &value) {
            if (sq_type(value) == OT_CLASS || (instance && !_rule.instanceMethods && sq_type(value) == OT_CLOSURE)) return;
            Visit(name);
            Visit(value);
        });
    }

    void Proto(const SQFunctionProto *proto) {
        Visit(proto->_sourcename);
        Visit(proto->_name);
        for (const SQLocalVarInfo &local : proto->_localvarinfos) Visit(local._name);
        for (const SQObjectPtr &literal : proto->_literals) Visit(literal);
        for (const SQObjectPtr &parameter : proto->_parameters) Visit(parameter);
        for (const SQObjectPtr &nested : proto->_functions) Visit(nested);
        for (const SQOuterVar &outer : proto->_outervalues) {
            Visit(outer._name);
            Visit(outer._src);
        }
    }

    void Children(const SQObject &value) {
        if (_rule.delegates && is_delegable(value) && value._unVal.pDelegable->_delegate) {
            Visit(SQObjectPtr(value._unVal.pDelegable->_delegate));
        }
        switch (sq_type(value)) {
        case OT_ARRAY:
            for (const SQObjectPtr &element : value._unVal.pArray->_values) Visit(element);
            break;
        case OT_TABLE:
            forEachNode(value._unVal.pTable, [&](const SQObject &key, const SQObject &val) {
                Visit(key);
                Visit(val);
            });
            break;
        case OT_INSTANCE: Members(value._unVal.pInstance->_class, value._unVal.pInstance); break;
        case OT_CLASS: Members(value._unVal.pClass, nullptr); break;
        case OT_CLOSURE: {
            const SQClosure *closure = value._unVal.pClosure;
            for (const SQObjectPtr &parameter : closure->_defaultparams) Visit(parameter);
            for (const SQObjectPtr &outer : closure->_outervalues) Visit(outer);
            Visit(closure->_function);
            break;
        }
        case OT_FUNCPROTO: Proto(value._unVal.pFunctionProto); break;
        default: break;
        }
    }

    const SQWalkRule &_rule;
    SQGraphVisitor &_visitor;
    std::vector<SQObjectPtr> _pending;
};

const SQClass *classOf(const SQObject &classOrInstance) {
    if (sq_type(classOrInstance) == OT_INSTANCE) return classOrInstance._unVal.pInstance->_class;
    return sq_type(classOrInstance) == OT_CLASS ? classOrInstance._unVal.pClass : nullptr;
}

}  // namespace

void sqWalkGraph(const SQObject &start, const SQWalkRule &rule, SQGraphVisitor &visitor) { Walk(rule, visitor).Run(start); }

void sqForEachMember(const SQObject &classOrInstance, const SQMemberVisit &visit) {
    const SQClass *cls = classOf(classOrInstance);
    if (!cls) return;
    const SQInstance *instance = sq_type(classOrInstance) == OT_INSTANCE ? classOrInstance._unVal.pInstance : nullptr;
    forEachMemberOf(cls, instance, visit);
}

SQInteger sqMemberCount(const SQObject &classOrInstance) {
    const SQClass *cls = classOf(classOrInstance);
    return cls ? cls->_members->_usednodes : 0;
}

void sqForEachSlot(const SQObject &table, const SQMemberVisit &visit) {
    if (sq_type(table) == OT_TABLE) forEachNode(table._unVal.pTable, visit);
}

SQInteger sqSlotCount(const SQObject &table) { return sq_type(table) == OT_TABLE ? table._unVal.pTable->_usednodes : 0; }

SQObject sqReadThrough(const SQObject &value) {
    return sq_type(value) == OT_WEAKREF ? value._unVal.pWeakRef->_obj : static_cast<SQObject>(value);
}

void sqAddGCRoots(HSQUIRRELVM v, SQGCRoots *roots) {
    if (v && roots) _ss(v)->_hostroots.push_back(roots);
}

void sqRemoveGCRoots(HSQUIRRELVM v, SQGCRoots *roots) {
    if (!v) return;
    auto &all = _ss(v)->_hostroots;
    all.erase(std::remove(all.begin(), all.end(), roots), all.end());
}
