#include "sqfuncstate.h"

#include "sqfuncproto.h"
#include "sqlexer.h"

namespace {
constexpr int kMaxRegisters = 256;
}

SQFuncState::SQFuncState(SQFuncState *parent, SQStreamObject sourcename, SQStreamObject name)
    : _parent(parent) {
    _image.sourcename = std::move(sourcename);
    _image.name = std::move(name);
}

void SQFuncState::addInstruction(SQOpcode op, int a0, int a1, int a2, int a3) {
    addInstruction(SQInstruction(op, a0, a1, a2, a3));
}

bool SQFuncState::mergeWithPrevious(SQInstruction &pi, const SQInstruction &ins) {
    switch (ins.op) {
        case _OP_RETURN:
            if (_parent && ins._arg0 != SQ_NO_OPERAND && pi.op == _OP_CALL &&
                _returnexp < instructionCount() - 1)
                pi.op = _OP_TAILCALL;
            return false;
        case _OP_GET:
            if (pi.op == _OP_LOAD && pi._arg0 == ins._arg2 && !isLocal(pi._arg0)) {
                pi._arg2 = ins._arg1;
                pi.op = _OP_GETK;
                pi._arg0 = ins._arg0;
                return true;
            }
            return false;
        case _OP_PREPCALL:
            if (pi.op == _OP_LOAD && pi._arg0 == ins._arg1 && !isLocal(pi._arg0)) {
                pi.op = _OP_PREPCALLK;
                pi._arg0 = ins._arg0;
                pi._arg2 = ins._arg2;
                pi._arg3 = ins._arg3;
                return true;
            }
            return false;
        case _OP_APPENDARRAY:
            if (pi.op == _OP_LOAD && pi._arg0 == ins._arg1 && !isLocal(pi._arg0)) {
                pi.op = _OP_APPENDARRAY;
                pi._arg0 = ins._arg0;
                pi._arg2 = SQ_NO_OPERAND;
                pi._arg3 = SQ_NO_OPERAND;
                return true;
            }
            return false;
        case _OP_MOVE:
            if ((pi.op == _OP_GET || pi.op == _OP_ARITH || pi.op == _OP_BITW) && pi._arg0 == ins._arg1) {
                pi._arg0 = ins._arg0;
                _merge = false;
                return true;
            }
            if (pi.op == _OP_MOVE) {
                pi.op = _OP_DMOVE;
                pi._arg2 = ins._arg0;
                pi._arg3 = static_cast<std::uint8_t>(ins._arg1);
                return true;
            }
            return false;
        case _OP_LOAD:
            if (pi.op == _OP_LOAD && ins._arg1 < 256) {
                pi.op = _OP_DLOAD;
                pi._arg2 = ins._arg0;
                pi._arg3 = static_cast<std::uint8_t>(ins._arg1);
                return true;
            }
            return false;
        case _OP_EQ:
        case _OP_NE:
            if (pi.op == _OP_LOAD && pi._arg0 == ins._arg1 && !isLocal(pi._arg0)) {
                pi.op = ins.op;
                pi._arg0 = ins._arg0;
                pi._arg2 = ins._arg2;
                pi._arg3 = SQ_NO_OPERAND;
                return true;
            }
            return false;
        case _OP_LOADNULLS:
            if (pi.op == _OP_LOADNULLS && pi._arg0 + pi._arg1 == ins._arg0) {
                pi._arg1++;
                return true;
            }
            return false;
        case _OP_LINE:
            if (pi.op == _OP_LINE) {
                _instructions.pop_back();
                _image.lineinfos.pop_back();
            }
            return false;
        default: return false;
    }
}

void SQFuncState::addInstruction(const SQInstruction &ins) {
    if (!_instructions.empty() && _merge && mergeWithPrevious(_instructions.back(), ins)) return;
    _merge = true;
    _instructions.push_back(ins);
}

std::vector<SQInstruction> SQFuncState::takeInstructions(int from) {
    std::vector<SQInstruction> taken(_instructions.begin() + from, _instructions.end());
    _instructions.resize(static_cast<size_t>(from));
    return taken;
}

int SQFuncState::pushTarget(int reg) {
    if (reg < 0) {
        if (liveCount() + 1 > kMaxRegisters) SQLexer::error("internal compiler error: too many locals");
        reg = liveCount();
        _vlocals.push_back(LiveEntry{});
        setStackSizeAtLeast(liveCount());
    }
    _targets.push_back(reg);
    return reg;
}

int SQFuncState::popTarget() {
    if (_targets.empty()) SQLexer::error("internal compiler error: target stack underflow");
    int reg = _targets.back();
    _targets.pop_back();
    if (reg == liveCount() - 1 && !_vlocals.back().name) _vlocals.pop_back();
    return reg;
}

int SQFuncState::topTarget() const {
    if (_targets.empty()) SQLexer::error("internal compiler error: target stack underflow");
    return _targets.back();
}

int SQFuncState::pushLocalVariable(const std::string &name) {
    // The reference appends locals without a limit and then emits register numbers that do not
    // fit the 8-bit operands; refuse instead.
    if (liveCount() + 1 > kMaxRegisters) SQLexer::error("internal compiler error: too many locals");
    int reg = liveCount();
    _vlocals.push_back(LiveEntry{name, instructionCount()});
    setStackSizeAtLeast(liveCount());
    return reg;
}

int SQFuncState::findLocal(const std::string &name) const {
    for (int i = liveCount() - 1; i >= 0; i--) {
        const LiveEntry &e = _vlocals[static_cast<size_t>(i)];
        if (e.name && *e.name == name) return i;
    }
    return -1;
}

bool SQFuncState::isLocal(int reg) const {
    return reg >= 0 && reg < liveCount() && _vlocals[static_cast<size_t>(reg)].name.has_value();
}

void SQFuncState::closeScope(int size) {
    while (liveCount() > size) {
        LiveEntry e = _vlocals.back();
        _vlocals.pop_back();
        if (!e.name) continue;
        SQProtoImage::Local lvi;
        lvi.name = SQStreamObject::fromString(*e.name);
        lvi.pos = static_cast<std::uint32_t>(liveCount());
        lvi.start_op = static_cast<std::uint32_t>(e.start_op);
        lvi.end_op = static_cast<std::uint32_t>(instructionCount() - 1);
        _image.localvarinfos.push_back(std::move(lvi));
    }
}

void SQFuncState::setStackSizeAtLeast(int n) {
    if (_image.stacksize < n) _image.stacksize = n;
}

int SQFuncState::literalIndex(const SQStreamObject &o) {
    int next = static_cast<int>(_image.literals.size());
    if (o.isString()) {
        auto [it, inserted] = _stringLiterals.emplace(o.text, next);
        if (!inserted) return it->second;
    } else {
        auto [it, inserted] = _integerLiterals.emplace(o.integer, next);
        if (!inserted) return it->second;
    }
    _image.literals.push_back(o);
    return next;
}

int SQFuncState::findOuter(const std::string &name) const {
    for (size_t i = 0; i < _image.outervalues.size(); i++)
        if (_image.outervalues[i].name.text == name) return static_cast<int>(i);
    return -1;
}

void SQFuncState::addOuterValue(const std::string &name) {
    SQProtoImage::Outer outer;
    outer.name = SQStreamObject::fromString(name);
    int pos = _parent ? _parent->findLocal(name) : -1;
    if (pos >= 0) {
        outer.type = otLOCAL;
        outer.src = SQStreamObject::fromInteger(pos);
    } else if (_parent && (pos = _parent->findOuter(name)) >= 0) {
        outer.type = otOUTER;
        outer.src = SQStreamObject::fromInteger(pos);
    } else {
        outer.type = otSYMBOL;
        outer.src = SQStreamObject::fromString(name);
    }
    _image.outervalues.push_back(std::move(outer));
}

void SQFuncState::addParameter(const std::string &name) {
    pushLocalVariable(name);
    _image.parameters.push_back(SQStreamObject::fromString(name));
}

int SQFuncState::addFunction(SQProtoImage f) {
    _image.functions.push_back(std::move(f));
    return functionCount() - 1;
}

void SQFuncState::addLineInfo(int line, bool lineop, bool force) {
    if (_lastline == line && !force) return;
    SQProtoImage::Line li{line, instructionCount()};
    if (lineop) addInstruction(_OP_LINE, 0, line);
    _image.lineinfos.push_back(li);
    _lastline = line;
}

SQProtoImage SQFuncState::finish() {
    _image.instructions = std::move(_instructions);
    return std::move(_image);
}
