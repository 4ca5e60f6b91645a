// Compile state of one function: instructions with the peephole optimizer, the live register
// list and the target stack, literals, local-variable records, line infos, outer values,
// default parameters and nested functions. Produces the function's SQProtoImage.
#pragma once

#include "sqprotoimage.h"

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SQFuncState {
public:
    SQFuncState(SQFuncState *parent, SQStreamObject sourcename, SQStreamObject name);

    SQFuncState *parent() const { return _parent; }

    // Instructions.
    void addInstruction(SQOpcode op, int a0 = 0, int a1 = 0, int a2 = 0, int a3 = 0);
    void addInstruction(const SQInstruction &ins);
    int instructionCount() const { return static_cast<int>(_instructions.size()); }
    SQInstruction &instruction(int i) { return _instructions[static_cast<size_t>(i)]; }
    // Removes instructions from index 'from' on and returns them (the for-loop step).
    std::vector<SQInstruction> takeInstructions(int from);
    void setJumpTarget(int jumpIndex, int target) { instruction(jumpIndex)._arg1 = target - jumpIndex - 1; }
    void disableMerge() { _merge = false; }
    void setReturnExpressionStart(int i) { _returnexp = i; }

    // Registers.
    int pushTarget(int reg = -1);
    int popTarget();
    int topTarget() const;
    int liveCount() const { return static_cast<int>(_vlocals.size()); }
    int pushLocalVariable(const std::string &name);
    // Register of a live local of this name, or -1.
    int findLocal(const std::string &name) const;
    bool isLocal(int reg) const;
    // Truncates the live list to 'size', recording the named entries that close.
    void closeScope(int size);
    void setStackSizeAtLeast(int n);

    // Literals, outer values, parameters, defaults, nested functions.
    int literalIndex(const SQStreamObject &o);
    int findOuter(const std::string &name) const;
    void addOuterValue(const std::string &name);
    void addParameter(const std::string &name);
    void addDefaultParam(int reg) { _image.defaultparams.push_back(reg); }
    int addFunction(SQProtoImage f);
    int functionCount() const { return static_cast<int>(_image.functions.size()); }
    void setVarParams() { _image.varparams = true; }
    void setGenerator() { _image.generator = true; }

    // Line entry at the next instruction (and a LINE instruction with debug info).
    void addLineInfo(int line, bool lineop, bool force);

    // Exception traps opened by `try` bodies of this function (for return/break/continue).
    int openTraps = 0;

    SQProtoImage finish();

private:
    bool mergeWithPrevious(SQInstruction &prev, const SQInstruction &ins);

    struct LiveEntry {
        std::optional<std::string> name;
        int start_op = 0;
    };

    SQFuncState *_parent;
    SQProtoImage _image;
    std::vector<SQInstruction> _instructions;
    std::vector<LiveEntry> _vlocals;
    std::vector<int> _targets;
    std::map<std::string, int> _stringLiterals;
    std::map<std::int32_t, int> _integerLiterals;
    int _lastline = -1;
    int _returnexp = -1;
    bool _merge = false;
};
