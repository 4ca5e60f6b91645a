// Code generation checked against the worked examples of the bytecode reference (data produced
// by the reference compiler) and compile errors against the reference's texts and positions.
#include "CompilerFixture.h"

#include <gtest/gtest.h>

namespace {

std::vector<unsigned char> fromHex(const std::string &hex) {
    std::vector<unsigned char> out;
    for (size_t i = 0; i + 1 < hex.size();) {
        if (hex[i] == ' ' || hex[i] == '\n') {
            i++;
            continue;
        }
        out.push_back(static_cast<unsigned char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

SQProtoImage compileOk(const std::string &src, const std::string &name = "test.nut", bool debug = false) {
    SQCompileResult r = compileSource(src, name, debug);
    EXPECT_TRUE(r.ok) << r.error << " line " << r.line << " column " << r.column;
    return r.main;
}

TEST(SQCompilerTest, Example1StreamIsByteIdentical) {
    const std::string expected =
        "fa fa 52 49 51 53 01 00 00 00 54 52 41 50 10 00 00 08 07 00 00 00 65 78 31 2e 6e 75 74 10 00 00"
        " 08 04 00 00 00 6d 61 69 6e 54 52 41 50 00 00 00 00 01 00 00 00 00 00 00 00 02 00 00 00 03 00 00"
        " 00 00 00 00 00 05 00 00 00 00 00 00 00 54 52 41 50 54 52 41 50 10 00 00 08 04 00 00 00 74 68 69"
        " 73 54 52 41 50 54 52 41 50 10 00 00 08 01 00 00 00 61 01 00 00 00 01 00 00 00 03 00 00 00 10 00"
        " 00 08 04 00 00 00 74 68 69 73 00 00 00 00 00 00 00 00 04 00 00 00 54 52 41 50 01 00 00 00 00 00"
        " 00 00 02 00 00 00 01 00 00 00 03 00 00 00 04 00 00 00 54 52 41 50 54 52 41 50 28 00 00 00 02 01"
        " 00 00 02 00 00 00 02 02 00 00 02 00 00 00 11 02 01 2b 02 00 00 00 13 01 00 00 00 00 00 00 13 ff"
        " 00 00 54 52 41 50 03 00 00 00 00 00 4c 49 41 54";
    SQProtoImage main = compileOk("local a = 40\nreturn a + 2\n", "ex1.nut");
    EXPECT_EQ(writeStream(main), fromHex(expected));
}

TEST(SQCompilerTest, Example1WithDebugInfo) {
    SQProtoImage main = compileOk("local a = 40\nreturn a + 2\n", "ex1.nut", true);
    EXPECT_EQ(disassemble(main),
              "[000] LINE 0,1,0,0\n[001] LOADINT 1,40,0,0\n[002] LINE 0,2,0,0\n[003] LOADINT 2,2,0,0\n"
              "[004] ARITH 2,2,1,43\n[005] RETURN 1,2,0,0\n[006] LINE 0,3,0,0\n[007] RETURN 255,0,0,0\n");
    EXPECT_EQ(describeLines(main), "(1,0) (2,2) (3,6) ");
}

TEST(SQCompilerTest, Example2DefaultParameterAndOuterValue) {
    SQProtoImage main = compileOk(
        "local base = 10\nfunction add(x, y = 2) : (base) {\n  return x + y + base\n}\nreturn add(1)\n", "ex2.nut");
    EXPECT_EQ(writeStream(main).size(), 594u);
    EXPECT_EQ(disassemble(main),
              "[000] LOADINT 1,10,0,0\n[001] LOAD 2,0,0,0\n[002] LOADINT 3,2,0,0\n[003] CLOSURE 3,0,0,0\n"
              "[004] NEWSLOT 2,0,2,3\n[005] PREPCALLK 2,0,0,3\n[006] LOADINT 4,1,0,0\n[007] CALL 2,2,3,2\n"
              "[008] RETURN 1,2,0,0\n[009] RETURN 255,0,0,0\n");
    EXPECT_EQ(describeLines(main), "(1,0) (2,1) (5,5) (6,9) ");
    EXPECT_EQ(describeLocals(main), "base r1 1..8; this r0 0..9; ");
    EXPECT_EQ(main.stacksize, 5);
    ASSERT_EQ(main.functions.size(), 1u);
    const SQProtoImage &add = main.functions[0];
    EXPECT_EQ(add.name, SQStreamObject::fromString("add"));
    EXPECT_EQ(disassemble(add),
              "[000] ARITH 3,2,1,43\n[001] LOADFREEVAR 4,0,0,0\n[002] ARITH 3,4,3,43\n[003] RETURN 1,3,0,0\n"
              "[004] RETURN 255,0,0,0\n");
    EXPECT_EQ(describeLines(add), "(2,0) (3,0) (4,4) ");
    EXPECT_EQ(describeLocals(add), "y r2 0..4; x r1 0..4; this r0 0..4; ");
    EXPECT_EQ(add.defaultparams, std::vector<std::int32_t>{3});
    ASSERT_EQ(add.outervalues.size(), 1u);
    EXPECT_EQ(add.outervalues[0].type, 0u);
    EXPECT_EQ(add.outervalues[0].src, SQStreamObject::fromInteger(1));
    EXPECT_EQ(add.stacksize, 5);
}

TEST(SQCompilerTest, Example3ForeachAndTry) {
    SQProtoImage main = compileOk("local s = 0\nforeach(v in [1, 2.5]) {\n  try { s += v } catch(e) { s = e }\n}\n",
                                  "ex3.nut");
    EXPECT_EQ(writeStream(main).size(), 435u);
    EXPECT_EQ(disassemble(main),
              "[000] LOADINT 1,0,0,0\n[001] NEWARRAY 2,2,0,0\n[002] LOADINT 3,1,0,0\n[003] APPENDARRAY 2,3,0,0\n"
              "[004] LOADFLOAT 3,1075838976,0,0\n[005] APPENDARRAY 2,3,0,0\n[006] LOADNULLS 3,3,0,0\n"
              "[007] FOREACH 2,7,3,0\n[008] POSTFOREACH 2,7,3,0\n[009] PUSHTRAP 6,3,0,0\n"
              "[010] COMPARITHL 6,1,4,43\n[011] POPTRAP 1,0,0,0\n[012] JMP 0,1,0,0\n[013] MOVE 1,6,0,0\n"
              "[014] JMP 0,-8,0,0\n[015] RETURN 255,0,0,0\n");
    EXPECT_EQ(describeLocals(main),
              "e r6 13..13; @ITERATOR@ r5 7..14; v r4 7..14; @INDEX@ r3 6..14; s r1 1..14; this r0 0..15; ");
    EXPECT_EQ(describeLines(main), "(1,0) (2,1) (3,9) (5,15) ");
    EXPECT_EQ(main.stacksize, 7);
}

const char *kD10 =
    "local a = 1\nenum Q { X }\nconst W = 3\nlocal b = a + W\n\n;\nfunction f(p) {\n  const Z = 1\n"
    "  local q = p + Z\n  return q\n}\nif (a) {\n}\nb = f(a)\n";

TEST(SQCompilerTest, LineEntriesAndRegisterReuse) {
    SQProtoImage main = compileOk(kD10, "d10.nut");
    EXPECT_EQ(describeLines(main), "(1,0) (2,1) (3,1) (4,1) (7,3) (12,6) (14,7) (15,11) ");
    EXPECT_EQ(disassemble(main),
              "[000] LOADINT 1,1,0,0\n[001] LOADINT 2,3,0,0\n[002] ARITH 2,2,1,43\n[003] LOAD 3,0,0,0\n"
              "[004] CLOSURE 4,0,0,0\n[005] NEWSLOT 3,0,3,4\n[006] JZ 1,0,0,0\n[007] PREPCALLK 3,0,0,4\n"
              "[008] MOVE 5,1,0,0\n[009] CALL 3,3,4,2\n[010] MOVE 2,3,0,0\n[011] RETURN 255,0,0,0\n");
    EXPECT_EQ(describeLines(main.functions[0]), "(7,0) (8,0) (9,0) (10,2) (11,3) ");
}

TEST(SQCompilerTest, LineMergingWithDebugInfo) {
    SQProtoImage main = compileOk(kD10, "d10.nut", true);
    std::string code = disassemble(main);
    EXPECT_EQ(code.substr(0, code.find("[008]")),
              "[000] LINE 0,1,0,0\n[001] LOADINT 1,1,0,0\n[002] LINE 0,2,0,0\n[003] LINE 0,3,0,0\n"
              "[004] LINE 0,4,0,0\n[005] LOADINT 2,3,0,0\n[006] ARITH 2,2,1,43\n[007] LINE 0,7,0,0\n");
    const SQProtoImage &f = main.functions[0];
    EXPECT_EQ(disassemble(f),
              "[000] LINE 0,8,0,0\n[001] LINE 0,9,0,0\n[002] LOADINT 2,1,0,0\n[003] ARITH 2,2,1,43\n"
              "[004] LINE 0,10,0,0\n[005] RETURN 1,2,0,0\n[006] LINE 0,11,0,0\n[007] RETURN 255,0,0,0\n");
    EXPECT_EQ(describeLines(f), "(8,1) (9,1) (10,4) (11,6) ");
}

}  // namespace
