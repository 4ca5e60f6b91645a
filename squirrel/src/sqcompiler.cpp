#include "sqcompiler.h"

#include "sqfuncproto.h"

#include <cstring>
#include <new>

namespace {
constexpr int kNoDeref = -1;
constexpr int kField = -2;
// Statements, expressions and operands nested inside each other (a parenthesis counts twice).
constexpr int kMaxNesting = 500;

std::int32_t floatBits(float f) {
    std::int32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}
}  // namespace

SQCompiler::SQCompiler(std::function<int()> read, std::string sourcename, bool debuginfo,
                       SQConstantTable &consts)
    : _lex(std::move(read)), _sourcename(std::move(sourcename)), _debuginfo(debuginfo), _consts(consts) {}

SQCompiler::NestingGuard::NestingGuard(SQCompiler &c) : _c(c) {
    if (++_c._nesting > kMaxNesting) {
        _c._nesting--;
        _c.error("nesting too deep");
    }
}

SQCompileResult SQCompiler::compile() {
    SQCompileResult result;
    SQFuncState mainfs(nullptr, SQStreamObject::fromString(_sourcename), SQStreamObject::fromString("main"));
    _fs = &mainfs;
    try {
        mainfs.addParameter("this");
        lex();
        while (token() != TK_EOF) {
            statement();
            // At the top level a ';' already consumed by the statement does not count as separator.
            if (_lex.prevToken() != '}') optionalSemicolon();
        }
        // The top-level locals end before the closing line entry's LINE.
        mainfs.closeScope(1);
        mainfs.addLineInfo(_lex.currentLine(), _debuginfo, true);
        mainfs.addInstruction(_OP_RETURN, SQ_NO_OPERAND);
        mainfs.closeScope(0);
        result.main = mainfs.finish();
        result.ok = true;
    } catch (const SQCompileError &e) {
        result.error = e.message;
        result.line = _lex.currentLine();
        result.column = _lex.currentColumn();
    } catch (const std::bad_alloc &) {
        result.error = "not enough memory";
        result.line = _lex.currentLine();
        result.column = _lex.currentColumn();
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Token helpers

bool SQCompiler::isEndOfStatement() const {
    return _lex.prevToken() == '\n' || token() == TK_EOF || token() == '}' || token() == ';';
}

void SQCompiler::optionalSemicolon() {
    if (token() == ';') {
        lex();
        return;
    }
    if (!isEndOfStatement()) error("end of statement expected (; or lf)");
}

void SQCompiler::expect(int tok) {
    if (token() != tok) error("expected '" + SQLexer::tokenName(tok) + "'");
    lex();
}

std::string SQCompiler::expectName() {
    std::string name;
    if (token() == TK_IDENTIFIER) {
        name = _lex.stringValue();
    } else if (token() == TK_CONSTRUCTOR) {
        name = "constructor";
    } else {
        error("expected 'IDENTIFIER'");
    }
    lex();
    return name;
}

// ---------------------------------------------------------------------------------------------
// Statements

void SQCompiler::statement() {
    NestingGuard guard(*this);
    _fs->addLineInfo(_lex.currentLine(), _debuginfo, false);
    switch (token()) {
        case ';': lex(); break;
        case TK_IF: ifStatement(); break;
        case TK_WHILE: whileStatement(); break;
        case TK_DO: doWhileStatement(); break;
        case TK_FOR: forStatement(); break;
        case TK_FOREACH: foreachStatement(); break;
        case TK_SWITCH: switchStatement(); break;
        case TK_LOCAL: localDeclStatement(); break;
        case TK_RETURN:
        case TK_YIELD: returnOrYieldStatement(); break;
        case TK_BREAK:
        case TK_CONTINUE: breakOrContinueStatement(); break;
        case TK_FUNCTION: functionStatement(); break;
        case TK_CLASS: classStatement(); break;
        case TK_ENUM: enumStatement(); break;
        case '{': blockStatement(); break;
        case TK_TRY: tryCatchStatement(); break;
        case TK_THROW: throwStatement(); break;
        case TK_CONST: constStatement(); break;
        default:
            commaExpr();
            _fs->popTarget();
            break;
    }
    _fs->disableMerge();
}

void SQCompiler::statements() {
    while (token() != '}' && token() != TK_DEFAULT && token() != TK_CASE) {
        statement();
        if (_lex.prevToken() != '}' && _lex.prevToken() != ';') optionalSemicolon();
    }
}

void SQCompiler::blockStatement() {
    int scope = _fs->liveCount();
    lex();
    statements();
    expect('}');
    _fs->closeScope(scope);
}

void SQCompiler::ifStatement() {
    lex();
    expect('(');
    commaExpr();
    expect(')');
    _fs->addInstruction(_OP_JZ, _fs->popTarget());
    int jzpos = _fs->instructionCount() - 1;
    int scope = _fs->liveCount();
    statement();
    if (_lex.prevToken() != '}' && token() != TK_ELSE) optionalSemicolon();
    _fs->closeScope(scope);
    int endfirst = _fs->instructionCount();
    if (token() == TK_ELSE) {
        _fs->addInstruction(_OP_JMP);
        int jmppos = _fs->instructionCount() - 1;
        lex();
        scope = _fs->liveCount();
        statement();
        _fs->closeScope(scope);
        _fs->setJumpTarget(jmppos, _fs->instructionCount());
        endfirst = jmppos + 1;
    }
    _fs->setJumpTarget(jzpos, endfirst);
}

void SQCompiler::closeBreakable(JumpScope &scope, int target) {
    for (int j : scope.jumps) _fs->setJumpTarget(j, target);
}

void SQCompiler::whileStatement() {
    lex();
    expect('(');
    int condstart = _fs->instructionCount();
    commaExpr();
    expect(')');
    _fs->addInstruction(_OP_JZ, _fs->popTarget());
    int jzpos = _fs->instructionCount() - 1;
    _breaks.push_back({_fs->openTraps, {}});
    _continues.push_back({_fs->openTraps, {}});
    int scope = _fs->liveCount();
    statement();
    _fs->closeScope(scope);
    _fs->addInstruction(_OP_JMP, 0, condstart - _fs->instructionCount() - 1);
    _fs->setJumpTarget(jzpos, _fs->instructionCount());
    closeBreakable(_continues.back(), condstart);
    _continues.pop_back();
    closeBreakable(_breaks.back(), _fs->instructionCount());
    _breaks.pop_back();
}

void SQCompiler::doWhileStatement() {
    lex();
    int start = _fs->instructionCount();
    _breaks.push_back({_fs->openTraps, {}});
    _continues.push_back({_fs->openTraps, {}});
    int scope = _fs->liveCount();
    statement();
    if (token() == ';') lex();
    _fs->closeScope(scope);
    expect(TK_WHILE);
    int condstart = _fs->instructionCount();
    expect('(');
    commaExpr();
    expect(')');
    _fs->addInstruction(_OP_JNZ, _fs->popTarget(), start - _fs->instructionCount() - 1);
    closeBreakable(_continues.back(), condstart);
    _continues.pop_back();
    closeBreakable(_breaks.back(), _fs->instructionCount());
    _breaks.pop_back();
}

void SQCompiler::forStatement() {
    lex();
    int scope = _fs->liveCount();
    expect('(');
    if (token() == TK_LOCAL) {
        localDeclStatement();
    } else if (token() != ';') {
        commaExpr();
        _fs->popTarget();
    }
    expect(';');
    _fs->disableMerge();
    int condstart = _fs->instructionCount();
    int jzpos = -1;
    if (token() != ';') {
        commaExpr();
        _fs->addInstruction(_OP_JZ, _fs->popTarget());
        jzpos = _fs->instructionCount() - 1;
    }
    expect(';');
    _fs->disableMerge();
    int stepstart = _fs->instructionCount();
    if (token() != ')') {
        commaExpr();
        _fs->popTarget();
    }
    expect(')');
    _fs->disableMerge();
    std::vector<SQInstruction> step = _fs->takeInstructions(stepstart);
    _breaks.push_back({_fs->openTraps, {}});
    _continues.push_back({_fs->openTraps, {}});
    statement();
    int continuetarget = _fs->instructionCount();
    for (const SQInstruction &ins : step) _fs->addInstruction(ins);
    _fs->addInstruction(_OP_JMP, 0, condstart - _fs->instructionCount() - 1);
    if (jzpos >= 0) _fs->setJumpTarget(jzpos, _fs->instructionCount());
    _fs->closeScope(scope);
    closeBreakable(_continues.back(), continuetarget);
    _continues.pop_back();
    closeBreakable(_breaks.back(), _fs->instructionCount());
    _breaks.pop_back();
}

void SQCompiler::foreachStatement() {
    lex();
    expect('(');
    std::string valname = expectName();
    std::string idxname = "@INDEX@";
    if (token() == ',') {
        idxname = valname;
        lex();
        valname = expectName();
    }
    expect(TK_IN);
    int scope = _fs->liveCount();
    expression();
    expect(')');
    int container = _fs->topTarget();
    int indexpos = _fs->pushLocalVariable(idxname);
    _fs->addInstruction(_OP_LOADNULLS, indexpos, 1);
    int valuepos = _fs->pushLocalVariable(valname);
    _fs->addInstruction(_OP_LOADNULLS, valuepos, 1);
    int itrpos = _fs->pushLocalVariable("@ITERATOR@");
    _fs->addInstruction(_OP_LOADNULLS, itrpos, 1);
    int foreachpos = _fs->instructionCount();
    _fs->addInstruction(_OP_FOREACH, container, 0, indexpos);
    _fs->addInstruction(_OP_POSTFOREACH, container, 0, indexpos);
    _breaks.push_back({_fs->openTraps, {}});
    _continues.push_back({_fs->openTraps, {}});
    statement();
    int jmppos = _fs->instructionCount();
    _fs->addInstruction(_OP_JMP, 0, foreachpos - jmppos - 1);
    _fs->instruction(foreachpos)._arg1 = jmppos - foreachpos;
    _fs->instruction(foreachpos + 1)._arg1 = jmppos - foreachpos;
    closeBreakable(_continues.back(), foreachpos);
    _continues.pop_back();
    closeBreakable(_breaks.back(), _fs->instructionCount());
    _breaks.pop_back();
    _fs->closeScope(scope);
    _fs->popTarget();
}

void SQCompiler::switchStatement() {
    lex();
    expect('(');
    commaExpr();
    expect(')');
    expect('{');
    int expr = _fs->topTarget();
    bool first = true;
    int tonextcondjmp = -1;
    int skipcondjmp = -1;
    _breaks.push_back({_fs->openTraps, {}});
    while (token() == TK_CASE) {
        if (!first) {
            _fs->addInstruction(_OP_JMP);
            skipcondjmp = _fs->instructionCount() - 1;
            _fs->setJumpTarget(tonextcondjmp, _fs->instructionCount());
        }
        lex();
        expression();
        expect(':');
        int trg = _fs->popTarget();
        _fs->addInstruction(_OP_EQ, trg, trg, expr);
        _fs->addInstruction(_OP_JZ, trg);
        tonextcondjmp = _fs->instructionCount() - 1;
        if (skipcondjmp != -1) _fs->setJumpTarget(skipcondjmp, _fs->instructionCount());
        int scope = _fs->liveCount();
        statements();
        _fs->closeScope(scope);
        first = false;
    }
    if (tonextcondjmp != -1) _fs->setJumpTarget(tonextcondjmp, _fs->instructionCount());
    if (token() == TK_DEFAULT) {
        lex();
        expect(':');
        int scope = _fs->liveCount();
        statements();
        _fs->closeScope(scope);
    }
    expect('}');
    _fs->popTarget();
    closeBreakable(_breaks.back(), _fs->instructionCount());
    _breaks.pop_back();
}

void SQCompiler::localDeclStatement() {
    lex();
    do {
        std::string name = expectName();
        if (token() == '=') {
            lex();
            expression();
            int src = _fs->popTarget();
            int dest = _fs->liveCount();
            if (dest != src) _fs->addInstruction(_OP_MOVE, dest, src);
        } else {
            _fs->addInstruction(_OP_LOADNULLS, _fs->liveCount(), 1);
        }
        _fs->pushLocalVariable(name);
        if (token() != ',') break;
        lex();
    } while (true);
}

void SQCompiler::returnOrYieldStatement() {
    bool isReturn = token() == TK_RETURN;
    SQOpcode op = isReturn ? _OP_RETURN : _OP_YIELD;
    if (!isReturn) _fs->setGenerator();
    lex();
    if (!isEndOfStatement()) {
        _fs->setReturnExpressionStart(_fs->instructionCount());
        commaExpr();
        int value = _fs->topTarget();
        if (isReturn && _fs->openTraps > 0) _fs->addInstruction(_OP_POPTRAP, _fs->openTraps);
        _fs->addInstruction(op, 1, value);
        _fs->popTarget();
    } else {
        if (isReturn && _fs->openTraps > 0) _fs->addInstruction(_OP_POPTRAP, _fs->openTraps);
        _fs->addInstruction(op, SQ_NO_OPERAND);
    }
}

void SQCompiler::breakOrContinueStatement() {
    bool isBreak = token() == TK_BREAK;
    std::vector<JumpScope> &scopes = isBreak ? _breaks : _continues;
    if (scopes.empty())
        error(isBreak ? "'break' has to be in a loop block" : "'continue' has to be in a loop block");
    int traps = _fs->openTraps - scopes.back().traps;
    if (traps > 0) _fs->addInstruction(_OP_POPTRAP, traps);
    _fs->addInstruction(_OP_JMP);
    scopes.back().jumps.push_back(_fs->instructionCount() - 1);
    lex();
}

void SQCompiler::functionStatement() {
    lex();
    std::string id = expectName();
    _fs->pushTarget(0);
    _fs->addInstruction(_OP_LOAD, _fs->pushTarget(), _fs->literalIndex(SQStreamObject::fromString(id)));
    if (token() == TK_DOUBLE_COLON) emit2ArgsOp(_OP_GET);
    while (token() == TK_DOUBLE_COLON) {
        lex();
        id = expectName();
        _fs->addInstruction(_OP_LOAD, _fs->pushTarget(), _fs->literalIndex(SQStreamObject::fromString(id)));
        if (token() == TK_DOUBLE_COLON) emit2ArgsOp(_OP_GET);
    }
    expect('(');
    createFunction(SQStreamObject::fromString(id));
    _fs->addInstruction(_OP_CLOSURE, _fs->pushTarget(), _fs->functionCount() - 1);
    emitDerefOp(_OP_NEWSLOT);
    _fs->popTarget();
}

void SQCompiler::classStatement() {
    lex();
    ExpState saved = _es;
    _es = ExpState{};
    _es.classOrDelete = true;
    prefixedExp();
    if (_es.deref == kNoDeref) error("invalid class name");
    if (_es.deref != kField) error("cannot create a class in a local with the syntax(class <local>)");
    _es = saved;
    classExp();
    emitDerefOp(_OP_NEWSLOT);
    _fs->popTarget();
}

SQStreamObject SQCompiler::expectScalar() {
    SQStreamObject value;
    switch (token()) {
        case TK_INTEGER: value = SQStreamObject::fromInteger(_lex.integerValue()); break;
        case TK_FLOAT: value = SQStreamObject::fromFloat(_lex.floatValue()); break;
        case TK_STRING_LITERAL: value = SQStreamObject::fromString(_lex.stringValue()); break;
        case '-':
            lex();
            switch (token()) {
                case TK_INTEGER:
                    value = SQStreamObject::fromInteger(
                        static_cast<std::int32_t>(0u - static_cast<std::uint32_t>(_lex.integerValue())));
                    break;
                case TK_FLOAT: value = SQStreamObject::fromFloat(-_lex.floatValue()); break;
                default: error("scalar expected : integer,float");
            }
            break;
        default: error("scalar expected : integer,float or string");
    }
    lex();
    return value;
}

void SQCompiler::enumStatement() {
    lex();
    std::string id = expectName();
    expect('{');
    std::vector<std::pair<std::string, SQStreamObject>> members;
    std::int32_t next = 0;
    while (token() != '}') {
        std::string key = expectName();
        SQStreamObject value;
        if (token() == '=') {
            lex();
            value = expectScalar();
        } else {
            value = SQStreamObject::fromInteger(next++);
        }
        members.emplace_back(key, value);
        if (token() == ',') lex();
    }
    _consts.defineEnum(id, members);
    lex();
}

void SQCompiler::constStatement() {
    lex();
    std::string id = expectName();
    expect('=');
    SQStreamObject value = expectScalar();
    _consts.defineConst(id, value);
}

void SQCompiler::tryCatchStatement() {
    lex();
    _fs->addInstruction(_OP_PUSHTRAP);
    int trappos = _fs->instructionCount() - 1;
    _fs->openTraps++;
    statement();
    _fs->openTraps--;
    _fs->addInstruction(_OP_POPTRAP, 1);
    _fs->addInstruction(_OP_JMP);
    int jmppos = _fs->instructionCount() - 1;
    expect(TK_CATCH);
    expect('(');
    std::string exid = expectName();
    expect(')');
    int scope = _fs->liveCount();
    int extarget = _fs->pushLocalVariable(exid);
    _fs->instruction(trappos)._arg0 = static_cast<std::uint8_t>(extarget);
    _fs->instruction(trappos)._arg1 = jmppos - trappos;
    statement();
    _fs->setJumpTarget(jmppos, _fs->instructionCount());
    _fs->closeScope(scope);
}

void SQCompiler::throwStatement() {
    lex();
    commaExpr();
    _fs->addInstruction(_OP_THROW, _fs->popTarget());
}

// ---------------------------------------------------------------------------------------------
// Expressions

void SQCompiler::commaExpr() {
    expression();
    while (token() == ',') {
        _fs->popTarget();
        lex();
        expression();
    }
}

void SQCompiler::expression() {
    NestingGuard guard(*this);
    ExpState saved = _es;
    _es = ExpState{};
    logicalOrExp();
    switch (token()) {
        case '=':
        case TK_NEWSLOT:
        case TK_MINUSEQ:
        case TK_PLUSEQ:
        case TK_MULEQ:
        case TK_DIVEQ:
        case TK_MODEQ: {
            int op = token();
            ExpState target = _es;
            if (target.deref == kNoDeref) error("can't assign expression");
            lex();
            expression();
            emitAssignment(op, target);
            break;
        }
        case '?': {
            lex();
            _fs->addInstruction(_OP_JZ, _fs->popTarget());
            int jzpos = _fs->instructionCount() - 1;
            int trg = _fs->pushTarget();
            expression();
            int first = _fs->popTarget();
            if (trg != first) _fs->addInstruction(_OP_MOVE, trg, first);
            _fs->addInstruction(_OP_JMP);
            int jmppos = _fs->instructionCount() - 1;
            expect(':');
            _fs->setJumpTarget(jzpos, _fs->instructionCount());
            expression();
            int second = _fs->popTarget();
            if (trg != second) _fs->addInstruction(_OP_MOVE, trg, second);
            _fs->setJumpTarget(jmppos, _fs->instructionCount());
            _fs->disableMerge();
            break;
        }
        default: break;
    }
    _es = saved;
}

void SQCompiler::emitAssignment(int op, const ExpState &target) {
    switch (op) {
        case TK_NEWSLOT:
            if (target.freevar) error("free variables cannot be modified");
            if (target.deref != kField) error("can't 'create' a local slot");
            emitDerefOp(_OP_NEWSLOT);
            break;
        case '=':
            if (target.freevar) error("free variables cannot be modified");
            if (target.deref == kField) {
                emitDerefOp(_OP_SET);
            } else {
                int src = _fs->popTarget();
                _fs->addInstruction(_OP_MOVE, _fs->topTarget(), src);
            }
            break;
        default: {
            int oper = op == TK_MINUSEQ ? '-' : op == TK_PLUSEQ ? '+' : op == TK_MULEQ ? '*' : op == TK_DIVEQ ? '/' : '%';
            int val = _fs->popTarget();
            if (target.deref == kField) {
                int key = _fs->popTarget();
                int obj = _fs->popTarget();
                _fs->addInstruction(_OP_COMPARITH, _fs->pushTarget(), sqPackComparithOperands(obj, val), key, oper);
            } else {
                int src = _fs->popTarget();
                _fs->addInstruction(_OP_COMPARITHL, _fs->pushTarget(), src, val, oper);
            }
            break;
        }
    }
}

void SQCompiler::emitShortCircuit(SQOpcode op, void (SQCompiler::*rhs)()) {
    int first = _fs->popTarget();
    int trg = _fs->pushTarget();
    _fs->addInstruction(op, trg, 0, first);
    int jpos = _fs->instructionCount() - 1;
    if (trg != first) _fs->addInstruction(_OP_MOVE, trg, first);
    lex();
    _fs->disableMerge();
    (this->*rhs)();
    _fs->disableMerge();
    int second = _fs->popTarget();
    if (trg != second) _fs->addInstruction(_OP_MOVE, trg, second);
    _fs->disableMerge();
    _fs->setJumpTarget(jpos, _fs->instructionCount());
    _es.deref = kNoDeref;
}

void SQCompiler::logicalOrExp() {
    logicalAndExp();
    if (token() == TK_OR) emitShortCircuit(_OP_OR, &SQCompiler::logicalOrExp);
}

void SQCompiler::logicalAndExp() {
    bitwiseOrExp();
    for (;;) {
        switch (token()) {
            case TK_AND: emitShortCircuit(_OP_AND, &SQCompiler::logicalAndExp); return;
            case TK_IN: binaryOp(_OP_EXISTS, &SQCompiler::bitwiseOrExp); break;
            case TK_INSTANCEOF: binaryOp(_OP_INSTANCEOF, &SQCompiler::bitwiseOrExp); break;
            default: return;
        }
    }
}

void SQCompiler::binaryOp(SQOpcode op, void (SQCompiler::*operand)(), int a3) {
    lex();
    (this->*operand)();
    int right = _fs->popTarget();
    int left = _fs->popTarget();
    _fs->addInstruction(op, _fs->pushTarget(), right, left, a3);
    _es.deref = kNoDeref;
}

void SQCompiler::bitwiseOrExp() {
    bitwiseXorExp();
    while (token() == '|') binaryOp(_OP_BITW, &SQCompiler::bitwiseXorExp, BW_OR);
}

void SQCompiler::bitwiseXorExp() {
    bitwiseAndExp();
    while (token() == '^') binaryOp(_OP_BITW, &SQCompiler::bitwiseAndExp, BW_XOR);
}

void SQCompiler::bitwiseAndExp() {
    compExp();
    while (token() == '&') binaryOp(_OP_BITW, &SQCompiler::compExp, BW_AND);
}

void SQCompiler::compExp() {
    shiftExp();
    for (;;) {
        switch (token()) {
            case TK_EQ: binaryOp(_OP_EQ, &SQCompiler::shiftExp); break;
            case TK_NE: binaryOp(_OP_NE, &SQCompiler::shiftExp); break;
            case '>': binaryOp(_OP_CMP, &SQCompiler::shiftExp, CMP_G); break;
            case '<': binaryOp(_OP_CMP, &SQCompiler::shiftExp, CMP_L); break;
            case TK_GE: binaryOp(_OP_CMP, &SQCompiler::shiftExp, CMP_GE); break;
            case TK_LE: binaryOp(_OP_CMP, &SQCompiler::shiftExp, CMP_LE); break;
            default: return;
        }
    }
}

void SQCompiler::shiftExp() {
    plusExp();
    for (;;) {
        switch (token()) {
            case TK_USHIFTR: binaryOp(_OP_BITW, &SQCompiler::plusExp, BW_USHIFTR); break;
            case TK_SHIFTL: binaryOp(_OP_BITW, &SQCompiler::plusExp, BW_SHIFTL); break;
            case TK_SHIFTR: binaryOp(_OP_BITW, &SQCompiler::plusExp, BW_SHIFTR); break;
            default: return;
        }
    }
}

void SQCompiler::plusExp() {
    multExp();
    while (token() == '+' || token() == '-') binaryOp(_OP_ARITH, &SQCompiler::multExp, token());
}

void SQCompiler::multExp() {
    prefixedExp();
    while (token() == '*' || token() == '/' || token() == '%')
        binaryOp(_OP_ARITH, &SQCompiler::prefixedExp, token());
}

bool SQCompiler::needGet() const {
    switch (token()) {
        case '=':
        case '(':
        case TK_NEWSLOT:
        case TK_MINUSEQ:
        case TK_PLUSEQ:
        case TK_MULEQ:
        case TK_DIVEQ:
        case TK_MODEQ: return false;
        case TK_PLUSPLUS:
        case TK_MINUSMINUS:
            // On a new line these start the next statement.
            if (!isEndOfStatement()) return false;
            break;
        default: break;
    }
    return !_es.classOrDelete || token() == '.' || token() == '[';
}

void SQCompiler::emit2ArgsOp(SQOpcode op, int a3) {
    int p2 = _fs->popTarget();
    int p1 = _fs->popTarget();
    _fs->addInstruction(op, _fs->pushTarget(), p1, p2, a3);
}

void SQCompiler::emitDerefOp(SQOpcode op) {
    int val = _fs->popTarget();
    int key = _fs->popTarget();
    int src = _fs->popTarget();
    _fs->addInstruction(op, _fs->pushTarget(), src, key, val);
}

void SQCompiler::prefixedExp() {
    NestingGuard guard(*this);
    factor();
    for (;;) {
        switch (token()) {
            case '.': {
                lex();
                if (token() == TK_PARENT) {
                    lex();
                    if (!needGet()) error("parent cannot be set");
                    int src = _fs->popTarget();
                    _fs->addInstruction(_OP_GETPARENT, _fs->pushTarget(), src);
                    _es.deref = kNoDeref;
                } else {
                    std::string name = expectName();
                    _fs->addInstruction(_OP_LOAD, _fs->pushTarget(),
                                        _fs->literalIndex(SQStreamObject::fromString(name)));
                    if (needGet()) emit2ArgsOp(_OP_GET);
                    _es.deref = kField;
                }
                _es.freevar = false;
                break;
            }
            case '[':
                if (_lex.prevToken() == '\n')
                    error("cannot brake deref/or comma needed after [exp]=exp slot declaration");
                lex();
                expression();
                expect(']');
                if (needGet()) emit2ArgsOp(_OP_GET);
                _es.deref = kField;
                _es.freevar = false;
                break;
            case TK_MINUSMINUS:
            case TK_PLUSPLUS:
                if (_es.deref != kNoDeref && !isEndOfStatement()) {
                    int diff = token() == TK_MINUSMINUS ? -1 : 1;
                    lex();
                    if (_es.deref == kField) {
                        emit2ArgsOp(_OP_PINC, diff);
                    } else {
                        int src = _fs->popTarget();
                        _fs->addInstruction(_OP_PINCL, _fs->pushTarget(), src, 0, diff);
                    }
                    _es.deref = kNoDeref;
                }
                return;
            case '(': {
                if (_es.deref != kField) {
                    _fs->addInstruction(_OP_MOVE, _fs->pushTarget(), 0);
                } else {
                    int key = _fs->popTarget();
                    int obj = _fs->popTarget();
                    int closure = _fs->pushTarget();
                    int ttarget = _fs->pushTarget();
                    _fs->addInstruction(_OP_PREPCALL, closure, key, obj, ttarget);
                }
                functionCallArgs();
                _es.deref = kNoDeref;
                _es.freevar = false;
                break;
            }
            default: return;
        }
    }
}

void SQCompiler::functionCallArgs() {
    int nargs = 1;  // this
    lex();
    while (token() != ')') {
        expression();
        moveIfCurrentTargetIsLocal();
        nargs++;
        if (token() == ',') {
            lex();
            if (token() == ')') error("expression expected, found ')'");
        }
    }
    lex();
    for (int i = 0; i < nargs - 1; i++) _fs->popTarget();
    int stackbase = _fs->popTarget();
    int closure = _fs->popTarget();
    _fs->addInstruction(_OP_CALL, _fs->pushTarget(), closure, stackbase, nargs);
}

void SQCompiler::moveIfCurrentTargetIsLocal() {
    int trg = _fs->topTarget();
    if (_fs->isLocal(trg)) {
        trg = _fs->popTarget();
        _fs->addInstruction(_OP_MOVE, _fs->pushTarget(), trg);
    }
}

void SQCompiler::emitLoadInteger(std::int32_t value, int target) {
    if (value >= 0)
        _fs->addInstruction(_OP_LOADINT, target, value);
    else
        _fs->addInstruction(_OP_LOAD, target, _fs->literalIndex(SQStreamObject::fromInteger(value)));
}

void SQCompiler::emitLoadScalar(const SQStreamObject &value) {
    int target = _fs->pushTarget();
    switch (value.type) {
        case OT_INTEGER: emitLoadInteger(value.integer, target); break;
        case OT_FLOAT: _fs->addInstruction(_OP_LOADFLOAT, target, floatBits(value.real)); break;
        case OT_STRING: _fs->addInstruction(_OP_LOAD, target, _fs->literalIndex(value)); break;
        case OT_BOOL: _fs->addInstruction(_OP_LOADBOOL, target, value.integer ? 1 : 0); break;
        default: _fs->addInstruction(_OP_LOADNULLS, target, 1); break;
    }
}

void SQCompiler::factor() {
    switch (token()) {
        case TK_STRING_LITERAL:
            _fs->addInstruction(_OP_LOAD, _fs->pushTarget(),
                                _fs->literalIndex(SQStreamObject::fromString(_lex.stringValue())));
            lex();
            break;
        case TK_VARGC:
            lex();
            _fs->addInstruction(_OP_VARGC, _fs->pushTarget());
            break;
        case TK_VARGV: {
            lex();
            expect('[');
            expression();
            expect(']');
            int src = _fs->popTarget();
            _fs->addInstruction(_OP_GETVARGV, _fs->pushTarget(), src);
            break;
        }
        case TK_IDENTIFIER:
        case TK_CONSTRUCTOR:
        case TK_THIS: {
            std::string id = token() == TK_IDENTIFIER ? _lex.stringValue()
                             : token() == TK_THIS     ? "this"
                                                      : "constructor";
            lex();
            identifierFactor(id);
            break;
        }
        case TK_DOUBLE_COLON:
            _fs->addInstruction(_OP_LOADROOTTABLE, _fs->pushTarget());
            _es.deref = kField;
            // `::name` is `.name` applied to the root table.
            _lex.setToken('.');
            break;
        case TK_NULL:
            _fs->addInstruction(_OP_LOADNULLS, _fs->pushTarget(), 1);
            lex();
            break;
        case TK_INTEGER:
            emitLoadInteger(_lex.integerValue(), _fs->pushTarget());
            lex();
            break;
        case TK_FLOAT:
            _fs->addInstruction(_OP_LOADFLOAT, _fs->pushTarget(), floatBits(_lex.floatValue()));
            lex();
            break;
        case TK_TRUE:
        case TK_FALSE:
            _fs->addInstruction(_OP_LOADBOOL, _fs->pushTarget(), token() == TK_TRUE ? 1 : 0);
            lex();
            break;
        case '[': arrayConstructor(); break;
        case '{': {
            _fs->addInstruction(_OP_NEWTABLE, _fs->pushTarget());
            lex();
            tableOrClassBody(',', '}');
            break;
        }
        case TK_FUNCTION:
            lex();
            expect('(');
            createFunction(SQStreamObject::null());
            _fs->addInstruction(_OP_CLOSURE, _fs->pushTarget(), _fs->functionCount() - 1);
            break;
        case TK_CLASS:
            lex();
            classExp();
            break;
        case '-': unaryOp(_OP_NEG); break;
        case '!': unaryOp(_OP_NOT); break;
        case '~': unaryOp(_OP_BWNOT); break;
        case TK_TYPEOF: unaryOp(_OP_TYPEOF); break;
        case TK_RESUME: unaryOp(_OP_RESUME); break;
        case TK_CLONE: unaryOp(_OP_CLONE); break;
        case TK_MINUSMINUS:
        case TK_PLUSPLUS: prefixIncDec(token()); break;
        case TK_DELETE: deleteExpr(); break;
        case TK_DELEGATE: delegateExpr(); break;
        case '(':
            lex();
            commaExpr();
            expect(')');
            break;
        case TK_PARENT:
            lex();
            _fs->addInstruction(_OP_GETPARENT, _fs->pushTarget(), 0);
            break;
        default: error("expression expected");
    }
}

void SQCompiler::identifierFactor(const std::string &id) {
    int pos = _fs->findLocal(id);
    if (pos >= 0) {
        _fs->pushTarget(pos);
        _es.deref = pos;
        return;
    }
    pos = _fs->findOuter(id);
    if (pos >= 0) {
        _es.deref = _fs->pushTarget();
        _fs->addInstruction(_OP_LOADFREEVAR, _es.deref, pos);
        _es.freevar = true;
        return;
    }
    SQStreamObject value;
    SQConstantTable::Kind kind = _consts.find(id, value);
    if (kind != SQConstantTable::Kind::None) {
        constantFactor(id, kind, value);
        return;
    }
    _fs->pushTarget(0);
    _fs->addInstruction(_OP_LOAD, _fs->pushTarget(), _fs->literalIndex(SQStreamObject::fromString(id)));
    if (needGet()) emit2ArgsOp(_OP_GET);
    _es.deref = kField;
}

void SQCompiler::constantFactor(const std::string &id, SQConstantTable::Kind kind, SQStreamObject value) {
    if (kind == SQConstantTable::Kind::Enum) {
        expect('.');
        std::string member = expectName();
        std::optional<SQStreamObject> m = _consts.findEnumMember(id, member);
        if (!m) error("invalid constant [" + id + "." + member + "]");
        value = *m;
    }
    emitLoadScalar(value);
    _es.deref = _fs->topTarget();
    _es.freevar = true;
}

void SQCompiler::unaryOp(SQOpcode op) {
    lex();
    prefixedExp();
    int src = _fs->popTarget();
    _fs->addInstruction(op, _fs->pushTarget(), src);
    _es.deref = kNoDeref;
    _es.freevar = false;
}

void SQCompiler::prefixIncDec(int tok) {
    int diff = tok == TK_MINUSMINUS ? -1 : 1;
    lex();
    ExpState saved = _es;
    _es = ExpState{};
    _es.classOrDelete = true;
    prefixedExp();
    if (_es.deref == kNoDeref) error("can't '++' or '--' an expression");
    if (_es.deref == kField) {
        emit2ArgsOp(_OP_INC, diff);
    } else {
        int src = _fs->popTarget();
        _fs->addInstruction(_OP_INCL, _fs->pushTarget(), src, 0, diff);
    }
    _es = saved;
    _es.deref = kNoDeref;
}

void SQCompiler::deleteExpr() {
    lex();
    ExpState saved = _es;
    _es = ExpState{};
    _es.classOrDelete = true;
    prefixedExp();
    if (_es.deref == kNoDeref) error("can't delete an expression");
    if (_es.deref != kField) error("cannot delete a local");
    emit2ArgsOp(_OP_DELETE);
    _es = saved;
    _es.deref = kNoDeref;
}

void SQCompiler::delegateExpr() {
    lex();
    expression();
    expect(':');
    commaExpr();
    int table = _fs->popTarget();
    int delegate = _fs->popTarget();
    _fs->addInstruction(_OP_DELEGATE, _fs->pushTarget(), table, delegate);
    _es.deref = kNoDeref;
}

void SQCompiler::arrayConstructor() {
    _fs->addInstruction(_OP_NEWARRAY, _fs->pushTarget());
    int apos = _fs->instructionCount() - 1;
    int count = 0;
    lex();
    while (token() != ']') {
        expression();
        if (token() == ',') lex();
        int val = _fs->popTarget();
        int array = _fs->topTarget();
        _fs->addInstruction(_OP_APPENDARRAY, array, val);
        count++;
    }
    _fs->instruction(apos)._arg1 = count;
    lex();
}

void SQCompiler::tableOrClassBody(int separator, int terminator) {
    int tpos = _fs->instructionCount() - 1;
    int nkeys = 0;
    while (token() != terminator) {
        bool hasattrs = false;
        bool isstatic = false;
        if (separator == ';') {
            if (token() == TK_ATTR_OPEN) {
                _fs->addInstruction(_OP_NEWTABLE, _fs->pushTarget());
                lex();
                tableOrClassBody(',', TK_ATTR_CLOSE);
                hasattrs = true;
            }
            if (token() == TK_STATIC) {
                isstatic = true;
                lex();
            }
        }
        switch (token()) {
            case TK_FUNCTION:
            case TK_CONSTRUCTOR: {
                int tk = token();
                lex();
                std::string id = tk == TK_FUNCTION ? expectName() : "constructor";
                _fs->addInstruction(_OP_LOAD, _fs->pushTarget(), _fs->literalIndex(SQStreamObject::fromString(id)));
                expect('(');
                createFunction(SQStreamObject::fromString(id));
                _fs->addInstruction(_OP_CLOSURE, _fs->pushTarget(), _fs->functionCount() - 1);
                break;
            }
            case '[':
                lex();
                commaExpr();
                expect(']');
                expect('=');
                expression();
                break;
            default: {
                std::string id = expectName();
                _fs->addInstruction(_OP_LOAD, _fs->pushTarget(), _fs->literalIndex(SQStreamObject::fromString(id)));
                expect('=');
                expression();
                break;
            }
        }
        if (token() == separator) lex();
        nkeys++;
        int val = _fs->popTarget();
        int key = _fs->popTarget();
        if (hasattrs) _fs->popTarget();
        int flags = (hasattrs ? NEW_SLOT_ATTRIBUTES_FLAG : 0) | (isstatic ? NEW_SLOT_STATIC_FLAG : 0);
        _fs->addInstruction(_OP_NEWSLOTA, flags, _fs->topTarget(), key, val);
    }
    if (separator == ',') _fs->instruction(tpos)._arg1 = nkeys;
    lex();
}

void SQCompiler::classExp() {
    int base = -1;
    int attrs = -1;
    if (token() == TK_EXTENDS) {
        lex();
        expression();
        base = _fs->topTarget();
    }
    if (token() == TK_ATTR_OPEN) {
        lex();
        _fs->addInstruction(_OP_NEWTABLE, _fs->pushTarget());
        tableOrClassBody(',', TK_ATTR_CLOSE);
        attrs = _fs->topTarget();
    }
    expect('{');
    if (attrs != -1) _fs->popTarget();
    if (base != -1) _fs->popTarget();
    _fs->addInstruction(_OP_CLASS, _fs->pushTarget(), base, attrs == -1 ? SQ_NO_OPERAND : attrs);
    tableOrClassBody(';', '}');
    _es.deref = kNoDeref;
}

void SQCompiler::createFunction(const SQStreamObject &name) {
    SQFuncState child(_fs, SQStreamObject::fromString(_sourcename), name);
    child.addParameter("this");
    int defparams = 0;
    while (token() != ')') {
        if (token() == TK_VARPARAMS) {
            if (defparams > 0) error("function with default parameters cannot have variable number of parameters");
            child.setVarParams();
            lex();
            if (token() != ')') error("expected ')'");
            break;
        }
        std::string paramname = expectName();
        child.addParameter(paramname);
        if (token() == '=') {
            lex();
            expression();
            child.addDefaultParam(_fs->topTarget());
            defparams++;
        } else if (defparams > 0) {
            error("expected '='");
        }
        if (token() == ',') {
            lex();
        } else if (token() != ')') {
            error("expected ')' or ','");
        }
    }
    expect(')');
    for (int i = 0; i < defparams; i++) _fs->popTarget();
    if (token() == ':') {
        lex();
        expect('(');
        while (token() != ')') {
            child.addOuterValue(expectName());
            if (token() == ',') {
                lex();
            } else if (token() != ')') {
                error("expected ')' or ','");
            }
        }
        lex();
    }
    SQFuncState *outer = _fs;
    std::vector<JumpScope> outerBreaks = std::move(_breaks);
    std::vector<JumpScope> outerContinues = std::move(_continues);
    _breaks.clear();
    _continues.clear();
    _fs = &child;
    statement();
    child.addLineInfo(_lex.prevToken() == '\n' ? _lex.lastTokenLine() : _lex.currentLine(), _debuginfo, true);
    child.addInstruction(_OP_RETURN, SQ_NO_OPERAND);
    child.closeScope(0);
    _fs = outer;
    _breaks = std::move(outerBreaks);
    _continues = std::move(outerContinues);
    _fs->addFunction(child.finish());
}
