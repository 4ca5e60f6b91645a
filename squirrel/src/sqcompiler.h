// Single-pass compiler of Squirrel 2.2 source: a recursive-descent parser that emits 2.2.4
// instructions directly, allocating registers on a target stack (bytecode conventions of the
// reference compiler, so that the output matches it instruction for instruction).
#pragma once

#include "sqfuncstate.h"
#include "sqlexer.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The compile-time constant table (`const`, `enum`) the compiler reads and extends.
class SQConstantTable {
public:
    virtual ~SQConstantTable() = default;
    enum class Kind { None, Scalar, Enum };
    // Kind of the constant `name`; for a scalar, its value goes to 'value'.
    virtual Kind find(const std::string &name, SQStreamObject &value) = 0;
    virtual std::optional<SQStreamObject> findEnumMember(const std::string &enumName,
                                                         const std::string &member) = 0;
    virtual void defineConst(const std::string &name, const SQStreamObject &value) = 0;
    virtual void defineEnum(const std::string &name,
                            const std::vector<std::pair<std::string, SQStreamObject>> &members) = 0;
};

struct SQCompileResult {
    bool ok = false;
    SQProtoImage main;
    std::string error;
    int line = 0;
    int column = 0;
};

class SQCompiler {
public:
    SQCompiler(std::function<int()> read, std::string sourcename, bool debuginfo, SQConstantTable &consts);
    SQCompileResult compile();

private:
    struct ExpState {
        int deref = -1;  // kNoDeref, kField or the register of a local/outer copy
        bool freevar = false;
        bool classOrDelete = false;
    };
    struct JumpScope {
        int traps = 0;
        std::vector<int> jumps;
    };

    int lex() { return _lex.lex(); }
    int token() const { return _lex.token(); }
    bool isEndOfStatement() const;
    void optionalSemicolon();
    void expect(int tok);
    std::string expectName();
    [[noreturn]] void error(const std::string &msg) const { SQLexer::error(msg); }
    // Counts one level of statement/expression nesting for its lifetime; too deep a nesting is a
    // compile error instead of running out of native stack.
    class NestingGuard {
    public:
        explicit NestingGuard(SQCompiler &c);
        ~NestingGuard() { _c._nesting--; }
        NestingGuard(const NestingGuard &) = delete;
        NestingGuard &operator=(const NestingGuard &) = delete;

    private:
        SQCompiler &_c;
    };

    // Statements.
    void statement();
    void statements();
    void blockStatement();
    void ifStatement();
    void whileStatement();
    void doWhileStatement();
    void forStatement();
    void foreachStatement();
    void switchStatement();
    void localDeclStatement();
    void returnOrYieldStatement();
    void breakOrContinueStatement();
    void functionStatement();
    void classStatement();
    void enumStatement();
    void constStatement();
    void tryCatchStatement();
    void throwStatement();
    SQStreamObject expectScalar();

    // Expressions.
    void commaExpr();
    void expression();
    void emitAssignment(int op, const ExpState &target);
    void logicalOrExp();
    void logicalAndExp();
    void emitShortCircuit(SQOpcode op, void (SQCompiler::*rhs)());
    void bitwiseOrExp();
    void bitwiseXorExp();
    void bitwiseAndExp();
    void compExp();
    void shiftExp();
    void plusExp();
    void multExp();
    void binaryOp(SQOpcode op, void (SQCompiler::*operand)(), int a3 = 0);
    void prefixedExp();
    void factor();
    void identifierFactor(const std::string &name);
    void constantFactor(const std::string &name, SQConstantTable::Kind kind, SQStreamObject value);
    void unaryOp(SQOpcode op);
    void prefixIncDec(int tok);
    void deleteExpr();
    void delegateExpr();
    void arrayConstructor();
    void tableOrClassBody(int separator, int terminator);
    void classExp();
    void functionCallArgs();
    bool needGet() const;
    void emit2ArgsOp(SQOpcode op, int a3 = 0);
    void emitDerefOp(SQOpcode op);
    void emitLoadInteger(std::int32_t value, int target);
    void emitLoadScalar(const SQStreamObject &value);
    void moveIfCurrentTargetIsLocal();
    void createFunction(const SQStreamObject &name);
    void closeBreakable(JumpScope &scope, int target);

    SQLexer _lex;
    std::string _sourcename;
    bool _debuginfo;
    SQConstantTable &_consts;
    SQFuncState *_fs = nullptr;
    ExpState _es;
    int _nesting = 0;
    std::vector<JumpScope> _breaks;
    std::vector<JumpScope> _continues;
};
