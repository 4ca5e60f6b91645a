#include "sqsave.h"

#include <vector>

#include "sqclosurestream.h"
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

std::string_view sqStringView(const SQObject &string) {
    if (sq_type(string) != OT_STRING) return {};
    return {string._unVal.pString->_val, static_cast<size_t>(string._unVal.pString->_len)};
}

SQObjectPtr sqMakeString(HSQUIRRELVM vm, std::string_view text) {
    return SQObjectPtr(SQString::Create(_ss(vm), text.data(), static_cast<SQInteger>(text.size())));
}

SQObject sqRootTable(HSQUIRRELVM vm) { return vm->_roottable; }

SQObject sqDelegateOf(const SQObject &table) {
    if (sq_type(table) != OT_TABLE || !table._unVal.pTable->_delegate) return sqMakeNull();
    return SQObjectPtr(table._unVal.pTable->_delegate);
}

SQObjectPtr sqMakeWeakRef(const SQObject &target) {
    if (!ISREFCOUNTED(sq_type(target))) return {};
    return SQObjectPtr(target._unVal.pRefCounted->GetWeakRef(sq_type(target)));
}

SQObjectPtr sqNewTable(HSQUIRRELVM vm) { return SQObjectPtr(SQTable::Create(_ss(vm), 0)); }

bool sqTableGet(const SQObject &table, const SQObject &key, SQObjectPtr &value) {
    return sq_type(table) == OT_TABLE && table._unVal.pTable->Get(key, value);
}

bool sqTableNewSlot(const SQObject &table, const SQObject &key, const SQObject &value) {
    return sq_type(table) == OT_TABLE && table._unVal.pTable->NewSlot(key, value);
}

bool sqTableSetDelegate(const SQObject &table, const SQObject &delegate) {
    return sq_type(table) == OT_TABLE && sq_type(delegate) == OT_TABLE &&
           table._unVal.pTable->SetDelegate(delegate._unVal.pTable);
}

bool sqInstanceSet(const SQObject &instance, const SQObject &name, const SQObject &value) {
    return sq_type(instance) == OT_INSTANCE && instance._unVal.pInstance->Set(name, value);
}

SQInteger sqArraySize(const SQObject &array) {
    return sq_type(array) == OT_ARRAY ? static_cast<SQInteger>(array._unVal.pArray->_values.size()) : 0;
}

void sqForEachElement(const SQObject &array, const std::function<void(const SQObject &element)> &visit) {
    if (sq_type(array) != OT_ARRAY) return;
    for (const SQObjectPtr &element : array._unVal.pArray->_values) visit(element);
}

SQObjectPtr sqNewArray(HSQUIRRELVM vm) { return SQObjectPtr(SQArray::Create(_ss(vm), 0)); }

bool sqArrayAssign(const SQObject &array, std::vector<SQObjectPtr> elements) {
    if (sq_type(array) != OT_ARRAY) return false;
    array._unVal.pArray->_values = std::move(elements);
    return true;
}

SQClosureParts sqClosureParts(const SQObject &closure) {
    SQClosureParts parts;
    if (sq_type(closure) != OT_CLOSURE) return parts;
    const SQClosure *c = closure._unVal.pClosure;
    parts.prototype = c->_function;
    if (sq_type(c->_env) == OT_WEAKREF) parts.environment = sqReadThrough(c->_env);
    parts.outers = c->_outervalues;
    parts.defaults = c->_defaultparams;
    return parts;
}

SQObjectPtr sqNewClosure(HSQUIRRELVM vm, const SQObject &prototype) {
    if (sq_type(prototype) != OT_FUNCPROTO) return {};
    SQFunctionProto *proto = prototype._unVal.pFunctionProto;
    SQClosure *closure = SQClosure::Create(_ss(vm), proto);
    SQObjectPtr result(closure);
    closure->_outervalues.resize(proto->_outervalues.size());
    closure->_defaultparams.resize(proto->_defaultparams.size());
    return result;
}

bool sqSetClosureParts(const SQObject &closure, const SQClosureParts &parts) {
    if (sq_type(closure) != OT_CLOSURE) return false;
    SQClosure *c = closure._unVal.pClosure;
    if (parts.outers.size() != c->_outervalues.size() || parts.defaults.size() != c->_defaultparams.size())
        return false;
    SQObjectType kind = sq_type(parts.environment);
    if (kind == OT_TABLE || kind == OT_CLASS || kind == OT_INSTANCE) c->_env = sqMakeWeakRef(parts.environment);
    c->_outervalues = parts.outers;
    c->_defaultparams = parts.defaults;
    return true;
}

SQProtoParts sqProtoParts(const SQObject &prototype) {
    SQProtoParts parts;
    if (sq_type(prototype) != OT_FUNCPROTO) return parts;
    const SQFunctionProto *f = prototype._unVal.pFunctionProto;
    parts.sourceName = f->_sourcename;
    parts.name = f->_name;
    parts.code = f->_instructions;
    parts.stackSize = static_cast<std::int32_t>(f->_stacksize);
    parts.generator = f->_bgenerator;
    parts.varparams = f->_varparams;
    for (const SQLocalVarInfo &local : f->_localvarinfos)
        parts.locals.push_back({local._name, static_cast<std::uint32_t>(local._start_op),
                                static_cast<std::uint32_t>(local._end_op), static_cast<std::uint32_t>(local._pos)});
    for (const SQLineInfo &line : f->_lineinfos)
        parts.lines.push_back({static_cast<std::int32_t>(line._line), static_cast<std::int32_t>(line._op)});
    parts.literals = f->_literals;
    parts.parameters = f->_parameters;
    parts.functions = f->_functions;
    for (const SQOuterVar &outer : f->_outervalues)
        parts.outers.push_back({static_cast<std::uint32_t>(outer._type), outer._name, outer._src});
    for (SQInteger position : f->_defaultparams) parts.defaults.push_back(static_cast<std::int32_t>(position));
    return parts;
}

std::vector<SQObjectPtr> sqProtoFunctions(const SQObject &prototype) {
    if (sq_type(prototype) != OT_FUNCPROTO) return {};
    return prototype._unVal.pFunctionProto->_functions;
}

SQObjectPtr sqNewProto(HSQUIRRELVM vm, std::uint32_t outers, std::uint32_t defaults) {
    SQObjectPtr proto(SQFunctionProto::Create());
    sqDisableProto(vm, proto);
    proto._unVal.pFunctionProto->_outervalues.resize(outers);
    proto._unVal.pFunctionProto->_defaultparams.resize(defaults);
    return proto;
}

void sqDisableProto(HSQUIRRELVM vm, const SQObject &prototype) {
    if (sq_type(prototype) != OT_FUNCPROTO) return;
    SQFunctionProto *proto = prototype._unVal.pFunctionProto;
    proto->_instructions.assign(1, SQInstruction(_OP_RETURN, SQ_NO_OPERAND));
    proto->_parameters.assign(1, sqMakeString(vm, "this"));
    proto->_literals.clear();
    proto->_functions.clear();
    proto->_localvarinfos.clear();
    proto->_lineinfos.clear();
    proto->_stacksize = 2;
    proto->_bgenerator = false;
    proto->_varparams = false;
}

bool sqSetProtoParts(const SQObject &prototype, SQProtoParts parts) {
    if (sq_type(prototype) != OT_FUNCPROTO) return false;
    SQFunctionProto *proto = prototype._unVal.pFunctionProto;
    proto->_sourcename = parts.sourceName;
    proto->_name = parts.name;
    proto->_stacksize = parts.stackSize;
    proto->_bgenerator = parts.generator;
    proto->_varparams = parts.varparams;
    proto->_localvarinfos.clear();
    for (SQProtoParts::Local &local : parts.locals) {
        SQLocalVarInfo info;
        info._name = std::move(local.name);
        info._pos = local.position;
        info._start_op = local.start;
        info._end_op = local.end;
        proto->_localvarinfos.push_back(std::move(info));
    }
    proto->_lineinfos.clear();
    for (const SQProtoParts::Line &line : parts.lines) proto->_lineinfos.push_back({line.line, line.op});
    proto->_literals = std::move(parts.literals);
    proto->_parameters = std::move(parts.parameters);
    proto->_functions = std::move(parts.functions);
    proto->_outervalues.clear();
    for (SQProtoParts::Outer &outer : parts.outers) {
        SQOuterVar var;
        var._type = static_cast<SQOuterType>(outer.type);
        var._src = std::move(outer.source);
        var._name = std::move(outer.name);
        proto->_outervalues.push_back(std::move(var));
    }
    proto->_defaultparams.assign(parts.defaults.begin(), parts.defaults.end());
    proto->_instructions = std::move(parts.code);
    return true;
}

namespace {

// The checker's view of one prototype; nested prototypes are stand-ins.
SQProtoImage checkedImage(const SQProtoParts &parts) {
    SQProtoImage out;
    for (const SQObjectPtr &literal : parts.literals) out.literals.push_back(SQFunctionProto::ObjectToStream(literal));
    for (const SQObjectPtr &parameter : parts.parameters)
        out.parameters.push_back(SQFunctionProto::ObjectToStream(parameter));
    for (const SQProtoParts::Outer &outer : parts.outers)
        out.outervalues.push_back(
            {outer.type, SQFunctionProto::ObjectToStream(outer.source), SQFunctionProto::ObjectToStream(outer.name)});
    for (const SQProtoParts::Local &local : parts.locals)
        out.localvarinfos.push_back({SQFunctionProto::ObjectToStream(local.name), local.position, local.start, local.end});
    out.defaultparams = parts.defaults;
    out.instructions = parts.code;
    out.functions.resize(parts.functions.size());
    out.stacksize = parts.stackSize;
    out.generator = parts.generator;
    out.varparams = parts.varparams;
    return out;
}

}  // namespace

bool sqProtoPartsValid(const SQProtoParts &parts, const SQProtoParts *parent) {
    SQProtoImage image = checkedImage(parts);
    if (!parent) return SQClosureStream::validateOne(image, nullptr);
    SQProtoImage parentImage = checkedImage(*parent);
    return SQClosureStream::validateOne(image, &parentImage);
}

SQInteger sqThreadStackSize(const SQObject &thread) {
    return sq_type(thread) == OT_THREAD ? static_cast<SQInteger>(thread._unVal.pThread->_stack.size()) : 0;
}

SQInteger sqMaxThreadStack() { return SQValueStack::kCapacity; }

SQObjectPtr sqNewIdleThread(HSQUIRRELVM vm, SQInteger stackSize) {
    SQVM *thread = new SQVM(_ss(vm));
    SQObjectPtr keep(thread);
    if (!thread->Init(vm, stackSize)) return {};
    thread->_top = 1;
    return keep;
}
