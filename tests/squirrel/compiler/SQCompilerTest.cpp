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

namespace {

// Instructions of the first nested function, or of main when there is none.
std::string code(const std::string &src) {
    SQProtoImage main = compileOk(src);
    return disassemble(main.functions.empty() ? main : main.functions[0]);
}

TEST(SQCompilerTest, CallOfALocalCopiesThisAndArguments) {
    EXPECT_EQ(code("local a, g\ng(1, 2)\n"),
              "[000] LOADNULLS 1,2,0,0\n[001] MOVE 3,0,0,0\n[002] LOADINT 4,1,0,0\n[003] LOADINT 5,2,0,0\n"
              "[004] CALL 3,2,3,3\n[005] RETURN 255,0,0,0\n");
}

TEST(SQCompilerTest, FunctionStatementCreatesSlotInThis) {
    EXPECT_EQ(disassemble(compileOk("local a\nfunction add(x) {}\n")),
              "[000] LOADNULLS 1,1,0,0\n[001] LOAD 2,0,0,0\n[002] CLOSURE 3,0,0,0\n[003] NEWSLOT 2,0,2,3\n"
              "[004] RETURN 255,0,0,0\n");
}

TEST(SQCompilerTest, SwitchValueAndFirstLabelLoadsMergeIntoDload) {
    EXPECT_EQ(code("switch (\"k\") { case \"k\": x = 1 }\n"),
              "[000] DLOAD 1,0,2,0\n[001] EQ 2,2,1,0\n[002] JZ 2,3,0,0\n[003] LOAD 2,1,0,0\n"
              "[004] LOADINT 3,1,0,0\n[005] SET 2,0,2,3\n[006] RETURN 255,0,0,0\n");
}

TEST(SQCompilerTest, DerivedClassBaseLookupAfterDload) {
    std::string c = code("class D extends Base {}\n");
    EXPECT_EQ(c.substr(0, c.find("[002]")), "[000] DLOAD 1,0,2,1\n[001] GET 2,0,2,0\n");
}

TEST(SQCompilerTest, StatementsNeverMergeAcrossTheirBoundary) {
    EXPECT_EQ(code("local a, b, x, y\nx = a; y = b\n"),
              "[000] LOADNULLS 1,4,0,0\n[001] MOVE 3,1,0,0\n[002] MOVE 4,2,0,0\n[003] RETURN 255,0,0,0\n");
}

TEST(SQCompilerTest, ReturnOfACallBecomesTailCallOnlyInNestedFunctions) {
    EXPECT_EQ(code("function f() { return g() }\n"),
              "[000] PREPCALLK 1,0,0,2\n[001] TAILCALL 1,1,2,1\n[002] RETURN 1,1,0,0\n[003] RETURN 255,0,0,0\n");
    EXPECT_EQ(disassemble(compileOk("return g()\n")),
              "[000] PREPCALLK 1,0,0,2\n[001] CALL 1,1,2,1\n[002] RETURN 1,1,0,0\n[003] RETURN 255,0,0,0\n");
    // A return inside try pops the trap first, which keeps the call a plain CALL.
    std::string inTry = code("function f() { try { return g() } catch (e) {} }\n");
    EXPECT_NE(inTry.find("CALL 1,1,2,1"), std::string::npos);
    EXPECT_EQ(inTry.find("TAILCALL"), std::string::npos);
}

TEST(SQCompilerTest, ForStepIsMovedAfterTheBody) {
    EXPECT_EQ(code("for (local i = 0; i < 3; i++) x = i\n"),
              "[000] LOADINT 1,0,0,0\n[001] LOADINT 2,3,0,0\n[002] CMP 2,2,1,3\n[003] JZ 2,4,0,0\n"
              "[004] LOAD 2,0,0,0\n[005] SET 2,0,2,1\n[006] PINCL 2,1,0,1\n[007] JMP 0,-7,0,0\n"
              "[008] RETURN 255,0,0,0\n");
}

TEST(SQCompilerTest, LiteralsAreSharedAndOrderedByFirstUse) {
    SQProtoImage main = compileOk("a <- \"x\"\nb <- 3000000000\nc <- \"x\"\nd <- -1 + 0x80000000\n");
    // -1 is NEG of LOADINT 1; only integers with the top bit set are literals.
    ASSERT_EQ(main.literals.size(), 7u);
    EXPECT_EQ(main.literals[0], SQStreamObject::fromString("a"));
    EXPECT_EQ(main.literals[1], SQStreamObject::fromString("x"));
    EXPECT_EQ(main.literals[3], SQStreamObject::fromInteger(static_cast<std::int32_t>(3000000000u)));
    EXPECT_EQ(main.literals[5], SQStreamObject::fromString("d"));
    EXPECT_EQ(main.literals[6], SQStreamObject::fromInteger(static_cast<std::int32_t>(0x80000000u)));
}

TEST(SQCompilerTest, AnonymousFunctionHasNullNameAndEndLineAfterLastLine) {
    SQProtoImage main = compileOk("local anon = function(x) return x * 2\n");
    ASSERT_EQ(main.functions.size(), 1u);
    EXPECT_EQ(main.functions[0].name, SQStreamObject::null());
    EXPECT_EQ(main.functions[0].lineinfos.back().line, 2);
}

TEST(SQCompilerTest, CaseLabelThatIsALocalIsComparedInPlace) {
    std::string c = code("local v, k\nswitch (v) { case k: break }\n");
    EXPECT_NE(c.find("EQ 2,2,1,0"), std::string::npos);
}

struct CompileErrorCase {
    const char *source;
    const char *message;
    int line;
};

// Names the case by its source in test listings instead of the struct's raw bytes.
void PrintTo(const CompileErrorCase &c, std::ostream *out) {
    *out << ::testing::PrintToString(std::string(c.source));
}

class SQCompileErrorTest : public ::testing::TestWithParam<CompileErrorCase> {};

TEST_P(SQCompileErrorTest, ReportsTheReferenceMessageAndLine) {
    const CompileErrorCase &c = GetParam();
    SQCompileResult r = compileSource(c.source);
    ASSERT_FALSE(r.ok) << c.source;
    EXPECT_EQ(r.error, c.message) << c.source;
    EXPECT_EQ(r.line, c.line) << c.source;
}

INSTANTIATE_TEST_SUITE_P(
    Lexer, SQCompileErrorTest,
    ::testing::Values(CompileErrorCase{"a..b", "invalid token '..'", 1},
                      CompileErrorCase{"x <- 1e5", "invalid numeric format", 1},
                      CompileErrorCase{"x <- 1.5e", "exponent expected", 1},
                      CompileErrorCase{"x <- 1.5e+z", "exponent expected", 1},
                      CompileErrorCase{"x <- 0x123456789", "too many digits for an Hex number", 1},
                      CompileErrorCase{"x <- 078", "invalid octal number", 1},
                      CompileErrorCase{"x <- ''", "empty constant", 1},
                      CompileErrorCase{"x <- 'ab'", "constant too long", 1},
                      CompileErrorCase{"x <- \"abc", "unfinished string", 1},
                      CompileErrorCase{"x <- \"", "error parsing the string", 1},
                      CompileErrorCase{"x <- \"a\nb\"", "newline in a constant", 1},
                      CompileErrorCase{"x <- \"\\q\"", "unrecognised escaper char", 1},
                      CompileErrorCase{"x <- \"\\xg\"", "hexadecimal number expected", 1},
                      CompileErrorCase{"x <- @x", "string expected", 1},
                      CompileErrorCase{"x <- 1 /* abc\n\n", "missing \"*/\" in comment", 3},
                      CompileErrorCase{"x <- \x01", "unexpected character(control)", 1},
                      CompileErrorCase{"\n\n#", "expression expected", 3}));

INSTANTIATE_TEST_SUITE_P(
    Parser, SQCompileErrorTest,
    ::testing::Values(
        CompileErrorCase{"local x = 5 local y = 6", "end of statement expected (; or lf)", 1},
        CompileErrorCase{"local q = {a=1}; local r = 2", "end of statement expected (; or lf)", 1},
        CompileErrorCase{"local f = function(){}; g()", "end of statement expected (; or lf)", 1},
        CompileErrorCase{"if (c) x = 1; y = 2", "end of statement expected (; or lf)", 1},
        CompileErrorCase{"if (c) { x = 1 }; y = 2", "end of statement expected (; or lf)", 1},
        CompileErrorCase{"1 = 2", "can't assign expression", 1},
        CompileErrorCase{"vargc = 1", "can't assign expression", 1},
        CompileErrorCase{"local x\nx <- 1", "can't 'create' a local slot", 2},
        CompileErrorCase{"const C = 1\nC = 2", "free variables cannot be modified", 2},
        CompileErrorCase{"local a = 1\nfunction f() : (a) { a = 2 }", "free variables cannot be modified", 2},
        CompileErrorCase{"break", "'break' has to be in a loop block", 1},
        CompileErrorCase{"continue", "'continue' has to be in a loop block", 1},
        CompileErrorCase{"while (1) { function f() { break } }", "'break' has to be in a loop block", 1},
        CompileErrorCase{"local x = 1\nclass x {}", "cannot create a class in a local with the syntax(class <local>)", 2},
        CompileErrorCase{"class 5 {}", "invalid class name", 1},
        CompileErrorCase{"delete 5", "can't delete an expression", 1},
        CompileErrorCase{"local x\ndelete x", "cannot delete a local", 2},
        CompileErrorCase{"const C = foo", "scalar expected : integer,float or string", 1},
        CompileErrorCase{"const C = -\"a\"", "scalar expected : integer,float", 1},
        CompileErrorCase{"enum E { A }\nlocal x = E.B", "invalid constant [E.B]", 2},
        CompileErrorCase{"enum E { A }\nlocal x = E", "expected '.'", 2},
        CompileErrorCase{"f(1,)", "expression expected, found ')'", 1},
        CompileErrorCase{"function f(a = 1, b) {}", "expected '='", 1},
        CompileErrorCase{"function f(a = 1, ...) {}",
                         "function with default parameters cannot have variable number of parameters", 1},
        CompileErrorCase{"function f(..., a) {}", "expected ')'", 1},
        CompileErrorCase{"function f(a b) {}", "expected ')' or ','", 1},
        CompileErrorCase{"local t = {a = 1; b = 2}", "expected 'IDENTIFIER'", 1},
        CompileErrorCase{"local t = {a = 1\n[\"b\"] = 2}",
                         "cannot brake deref/or comma needed after [exp]=exp slot declaration", 2},
        CompileErrorCase{"x.parent = 1", "parent cannot be set", 1},
        CompileErrorCase{"switch (x) { default: break; case 1: break }", "expected '}'", 1},
        CompileErrorCase{"a <=> b", "expression expected", 1},
        CompileErrorCase{"local function f() {}", "expected 'IDENTIFIER'", 1},
        CompileErrorCase{"foreach (a b) x()", "expected 'in'", 1},
        CompileErrorCase{"try {} x()", "expected 'catch'", 1},
        CompileErrorCase{"do x() until (y)", "expected 'while'", 1},
        CompileErrorCase{"if x", "expected '('", 1},
        CompileErrorCase{"x = 2 & 3 ==", "expression expected", 1}));

TEST(SQCompilerTest, ErrorColumnCountsCharactersOfTheLine) {
    SQCompileResult first = compileSource("#");
    EXPECT_EQ(first.line, 1);
    EXPECT_EQ(first.column, 1);
    SQCompileResult second = compileSource("\n#");
    EXPECT_EQ(second.line, 2);
    EXPECT_EQ(second.column, 2);
}

TEST(SQCompilerTest, AcceptsWhatTheReferenceAccepts) {
    for (const char *src : {"function f() { local q = {a=1}; local r = 2 }", "while (c) x++; y = 2",
                            "function f(){} function g(){}", "local q = {a=1};\nlocal r = 2", "x <- 08",
                            "f(1 2)", "local a = [1 2,]", "if(a) x(); else y()", "x <- 1.2.3",
                            "local t = {a = 1,\n[\"b\"] = 2}", "class A { x = 1; y = 2 z = 3 }",
                            "local r = g\n(5)", "enum Mixed { A = 10, B, C = \"see\", D = -3, E }"}) {
        SQCompileResult r = compileSource(src);
        EXPECT_TRUE(r.ok) << src << ": " << r.error;
    }
}

TEST(SQCompilerTest, RegisterLimitIs256) {
    auto withLocals = [](int n) {
        std::string s = "function f() {\n";
        for (int i = 0; i < n; i++) s += "local v" + std::to_string(i) + " = " + std::to_string(i) + "\n";
        return s + "return 1\n}\n";
    };
    EXPECT_TRUE(compileSource(withLocals(254)).ok);
    SQCompileResult r = compileSource(withLocals(255));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "internal compiler error: too many locals");
}

TEST(SQCompilerTest, EnumImplicitMembersCountOnlyThemselves) {
    SQProtoImage main = compileOk("enum Mixed { A = 10, B, C = \"see\", D = -3, E }\nx <- Mixed.E\ny <- Mixed.D\n");
    std::string c = disassemble(main);
    EXPECT_NE(c.find("LOADINT 2,1,0,0"), std::string::npos);  // E = 1
    EXPECT_NE(c.find("DLOAD 1,1,2,2"), std::string::npos);    // "y" and D = -3, a literal
    ASSERT_EQ(main.literals.size(), 3u);
    EXPECT_EQ(main.literals[2], SQStreamObject::fromInteger(-3));
}

}  // namespace

namespace {

const char *kScopes =
    "local total = 0\n"
    "for (local i = 0; i < 2; i++) {\n"
    "  local sq = i * i\n"
    "  total += sq\n"
    "}\n"
    "foreach (k, v in [5]) {\n"
    "  try { total += v } catch (err) { local msg = err\n"
    "    total = msg }\n"
    "}\n"
    "function f(a) {\n"
    "  local b = a\n"
    "  foreach (x in [a]) b += x\n"
    "  return b\n"
    "}\n";

// A local lives until the last instruction of its scope; a LINE that the next statement or the
// function's end adds is not part of it. Top-level locals end before the closing LINE of main.
TEST(SQCompilerTest, LocalRangesWithAndWithoutDebugInfo) {
    SQProtoImage debug = compileOk(kScopes, "scopes.nut", true);
    EXPECT_EQ(describeLocals(debug),
              "sq r3 9..10; i r2 4..12; msg r7 26..27; err r6 25..27; @ITERATOR@ r5 18..28; v r4 18..28; "
              "k r3 17..28; total r1 2..32; this r0 0..34; ");
    EXPECT_EQ(describeLines(debug), "(1,0) (2,2) (3,7) (4,9) (6,13) (7,20) (8,26) (10,29) (15,33) ");
    EXPECT_EQ(debug.instructions[33].op, _OP_LINE);
    EXPECT_EQ(debug.instructions[34].op, _OP_RETURN);
    const SQProtoImage &f = debug.functions[0];
    EXPECT_EQ(disassemble(f),
              "[000] LINE 0,11,0,0\n[001] MOVE 2,1,0,0\n[002] LINE 0,12,0,0\n[003] NEWARRAY 3,1,0,0\n"
              "[004] APPENDARRAY 3,1,0,0\n[005] LOADNULLS 4,3,0,0\n[006] FOREACH 3,3,4,0\n"
              "[007] POSTFOREACH 3,3,4,0\n[008] COMPARITHL 7,2,5,43\n[009] JMP 0,-4,0,0\n[010] LINE 0,13,0,0\n"
              "[011] RETURN 1,2,0,0\n[012] LINE 0,15,0,0\n[013] RETURN 255,0,0,0\n");
    EXPECT_EQ(describeLocals(f), "@ITERATOR@ r6 6..9; x r5 6..9; @INDEX@ r4 5..9; b r2 2..11; a r1 0..13; this r0 0..13; ");

    SQProtoImage plain = compileOk(kScopes, "scopes.nut", false);
    EXPECT_EQ(describeLocals(plain),
              "sq r3 6..6; i r2 2..8; msg r7 20..20; err r6 19..20; @ITERATOR@ r5 13..21; v r4 13..21; "
              "k r3 12..21; total r1 1..24; this r0 0..25; ");
    EXPECT_EQ(describeLocals(plain.functions[0]),
              "@ITERATOR@ r6 4..7; x r5 4..7; @INDEX@ r4 3..7; b r2 1..8; a r1 0..9; this r0 0..9; ");
}

}  // namespace
