// Instruction set of the Squirrel 2.2.4 virtual machine: opcode numbers and the 8-byte
// instruction layout shared by the compiler, the interpreter and the bytecode streams.
#pragma once

#include <cstdint>

// Every opcode with its number, in order: X(name, number). The enum, the interpreter's label
// table and the disassembler's names are generated from it.
#define SQ_OPCODES(X) \
    X(LINE, 0x00) \
    X(LOAD, 0x01) \
    X(LOADINT, 0x02) \
    X(LOADFLOAT, 0x03) \
    X(DLOAD, 0x04) \
    X(TAILCALL, 0x05) \
    X(CALL, 0x06) \
    X(PREPCALL, 0x07) \
    X(PREPCALLK, 0x08) \
    X(GETK, 0x09) \
    X(MOVE, 0x0A) \
    X(NEWSLOT, 0x0B) \
    X(DELETE, 0x0C) \
    X(SET, 0x0D) \
    X(GET, 0x0E) \
    X(EQ, 0x0F) \
    X(NE, 0x10) \
    X(ARITH, 0x11) \
    X(BITW, 0x12) \
    X(RETURN, 0x13) \
    X(LOADNULLS, 0x14) \
    X(LOADROOTTABLE, 0x15) \
    X(LOADBOOL, 0x16) \
    X(DMOVE, 0x17) \
    X(JMP, 0x18) \
    X(JNZ, 0x19) \
    X(JZ, 0x1A) \
    X(LOADFREEVAR, 0x1B) \
    X(VARGC, 0x1C) \
    X(GETVARGV, 0x1D) \
    X(NEWTABLE, 0x1E) \
    X(NEWARRAY, 0x1F) \
    X(APPENDARRAY, 0x20) \
    X(GETPARENT, 0x21) \
    X(COMPARITH, 0x22) \
    X(COMPARITHL, 0x23) \
    X(INC, 0x24) \
    X(INCL, 0x25) \
    X(PINC, 0x26) \
    X(PINCL, 0x27) \
    X(CMP, 0x28) \
    X(EXISTS, 0x29) \
    X(INSTANCEOF, 0x2A) \
    X(AND, 0x2B) \
    X(OR, 0x2C) \
    X(NEG, 0x2D) \
    X(NOT, 0x2E) \
    X(BWNOT, 0x2F) \
    X(CLOSURE, 0x30) \
    X(YIELD, 0x31) \
    X(RESUME, 0x32) \
    X(FOREACH, 0x33) \
    X(POSTFOREACH, 0x34) \
    X(DELEGATE, 0x35) \
    X(CLONE, 0x36) \
    X(TYPEOF, 0x37) \
    X(PUSHTRAP, 0x38) \
    X(POPTRAP, 0x39) \
    X(THROW, 0x3A) \
    X(CLASS, 0x3B) \
    X(NEWSLOTA, 0x3C)

enum SQOpcode : std::uint8_t {
#define SQ_OPCODE_ENUM(name, number) _OP_##name = number,
    SQ_OPCODES(SQ_OPCODE_ENUM)
#undef SQ_OPCODE_ENUM
};

#define SQ_OPCODE_PLUS_ONE(name, number) +1
constexpr int SQ_OPCODE_COUNT = 0 SQ_OPCODES(SQ_OPCODE_PLUS_ONE);
#undef SQ_OPCODE_PLUS_ONE
static_assert(SQ_OPCODE_COUNT == _OP_NEWSLOTA + 1, "opcodes are numbered without gaps");

// Kinds of the BITW instruction (a3).
enum SQBitwiseOp : std::uint8_t {
    BW_AND = 0,
    BW_OR = 2,
    BW_XOR = 3,
    BW_SHIFTL = 4,
    BW_SHIFTR = 5,
    BW_USHIFTR = 6,
};

// Kinds of the CMP instruction (a3).
enum SQCompareOp : std::uint8_t {
    CMP_G = 0,
    CMP_GE = 2,
    CMP_L = 3,
    CMP_LE = 4,
};

// NEWSLOTA flags (a0).
constexpr std::uint8_t NEW_SLOT_ATTRIBUTES_FLAG = 0x01;
constexpr std::uint8_t NEW_SLOT_STATIC_FLAG = 0x02;

// The "none" marker of RETURN/YIELD a0, literal EQ/NE a3, literal APPENDARRAY a2/a3, CLASS a2.
constexpr std::uint8_t SQ_NO_OPERAND = 0xFF;

// One instruction: 8 bytes, the layout written to bytecode files (little-endian a1 first).
struct SQInstruction {
    std::int32_t _arg1 = 0;
    std::uint8_t op = 0;
    std::uint8_t _arg0 = 0;
    std::uint8_t _arg2 = 0;
    std::uint8_t _arg3 = 0;

    SQInstruction() = default;
    SQInstruction(SQOpcode o, std::int32_t a0 = 0, std::int32_t a1 = 0, std::int32_t a2 = 0,
                  std::int32_t a3 = 0)
        : _arg1(a1),
          op(o),
          _arg0(static_cast<std::uint8_t>(a0)),
          _arg2(static_cast<std::uint8_t>(a2)),
          _arg3(static_cast<std::uint8_t>(a3)) {}
};
static_assert(sizeof(SQInstruction) == 8, "instructions are 8 bytes in the stream and in memory");

// COMPARITH packs the object and value registers into a1.
constexpr std::int32_t sqPackComparithOperands(int objectReg, int valueReg) {
    return (objectReg << 16) | valueReg;
}
