#include "sqvmconstanttable.h"

#include "sqfuncproto.h"
#include "sqinternal.h"

namespace {

// Scalars the compiler can load; any other value in the table is not treated as a constant.
bool toScalar(const SQObjectPtr &o, SQStreamObject &out) {
    switch (sq_type(o)) {
        case OT_INTEGER: out = SQStreamObject::fromInteger(_integer(o)); return true;
        case OT_FLOAT: out = SQStreamObject::fromFloat(_float(o)); return true;
        case OT_STRING:
            out = SQStreamObject::fromString(std::string(_stringval(o), static_cast<size_t>(_string(o)->_len)));
            return true;
        case OT_BOOL:
            out = SQStreamObject{};
            out.type = OT_BOOL;
            out.integer = _integer(o);
            return true;
        case OT_NULL: out = SQStreamObject{}; return true;
        default: return false;
    }
}

SQObjectPtr fromScalar(SQSharedState *ss, const SQStreamObject &v) {
    return SQFunctionProto::ObjectFromStream(ss, v);
}

SQObjectPtr key(SQSharedState *ss, const std::string &s) {
    return SQObjectPtr(SQString::Create(ss, s.data(), static_cast<SQInteger>(s.size())));
}

}  // namespace

SQVMConstantTable::Kind SQVMConstantTable::find(const std::string &name, SQStreamObject &value) {
    if (sq_type(_state->_consts) != OT_TABLE) return Kind::None;
    SQObjectPtr val;
    if (!_table(_state->_consts)->Get(key(_state, name), val)) return Kind::None;
    if (sq_type(val) == OT_TABLE) return Kind::Enum;
    return toScalar(val, value) ? Kind::Scalar : Kind::None;
}

std::optional<SQStreamObject> SQVMConstantTable::findEnumMember(const std::string &enumName,
                                                                const std::string &member) {
    SQObjectPtr e;
    if (sq_type(_state->_consts) != OT_TABLE || !_table(_state->_consts)->Get(key(_state, enumName), e) ||
        sq_type(e) != OT_TABLE)
        return std::nullopt;
    SQObjectPtr val;
    SQStreamObject out;
    if (!_table(e)->Get(key(_state, member), val) || !toScalar(val, out)) return std::nullopt;
    return out;
}

void SQVMConstantTable::defineConst(const std::string &name, const SQStreamObject &value) {
    if (sq_type(_state->_consts) != OT_TABLE) return;
    _table(_state->_consts)->NewSlot(key(_state, name), fromScalar(_state, value));
}

void SQVMConstantTable::defineEnum(const std::string &name,
                                   const std::vector<std::pair<std::string, SQStreamObject>> &members) {
    if (sq_type(_state->_consts) != OT_TABLE) return;
    SQObjectPtr table(SQTable::Create(_state, 0));
    for (const auto &[k, v] : members) _table(table)->NewSlot(key(_state, k), fromScalar(_state, v));
    _table(_state->_consts)->NewSlot(key(_state, name), table);
}
