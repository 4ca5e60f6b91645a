// The closure stream reader against cut, corrupted and hostile input, and write/read round trips.
#include "CompilerFixture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const char *kShortRead = "io error, read function failure, the origin stream could be corrupted/trucated";
const char *kCorrupted = "invalid or corrupted closure stream";

struct ReadResult {
    bool ok;
    std::string error;
    SQProtoImage image;
};

ReadResult readBytes(const std::vector<unsigned char> &bytes) {
    size_t pos = 0;
    ReadResult r;
    r.ok = SQClosureStream::read(
        [&](void *p, SQInteger n) -> SQInteger {
            size_t avail = bytes.size() - pos;
            size_t take = std::min(avail, static_cast<size_t>(n));
            if (take > 0) std::memcpy(p, bytes.data() + pos, take);
            pos += take;
            return static_cast<SQInteger>(take);
        },
        r.image, r.error);
    return r;
}

const char *kSample =
    "local base = 10\n"
    "function add(x, y = 2) : (base) { return x + y + base }\n"
    "class C extends add { </ a = 1 /> static s = 1.5; function m(...) { yield vargv[0] } }\n"
    "foreach (k, v in {a = 1}) try { ::x <- k + v } catch (e) { throw e }\n"
    "switch (base) { case 1: break; default: base = -3000000000 }\n"
    "return add(1)\n";

std::vector<unsigned char> sampleStream() {
    SQCompileResult r = compileSource(kSample, "sample.nut");
    EXPECT_TRUE(r.ok) << r.error;
    return writeStream(r.main);
}

// Offsets inside the stream of ex1-like code: the header is 2 + 4 + 4 bytes.
constexpr size_t kHeadTagAt = 2;
constexpr size_t kCharSizeAt = 6;
constexpr size_t kFirstPartAt = 10;

TEST(SQClosureStreamTest, RoundTripKeepsEveryField) {
    std::vector<unsigned char> bytes = sampleStream();
    ReadResult r = readBytes(bytes);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(writeStream(r.image), bytes);
    ASSERT_EQ(r.image.functions.size(), 2u);
    EXPECT_EQ(r.image.functions[0].defaultparams.size(), 1u);
    EXPECT_EQ(r.image.functions[0].outervalues.size(), 1u);
}

TEST(SQClosureStreamTest, EveryCutFailsCleanly) {
    std::vector<unsigned char> bytes = sampleStream();
    for (size_t len = 0; len < bytes.size(); len++) {
        std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(len));
        ReadResult r = readBytes(cut);
        ASSERT_FALSE(r.ok) << "length " << len;
        EXPECT_EQ(r.error, len < 2 ? std::string("io error") : std::string(kShortRead)) << "length " << len;
    }
}

TEST(SQClosureStreamTest, TagsAndCharacterSizeAreChecked) {
    std::vector<unsigned char> bytes = sampleStream();
    struct Case {
        size_t offset;
        const char *error;
    };
    for (Case c : {Case{0, "invalid stream"}, Case{1, "invalid stream"}, Case{kHeadTagAt, kCorrupted},
                   Case{kCharSizeAt, kCorrupted}, Case{kFirstPartAt, kCorrupted}, Case{bytes.size() - 1, kCorrupted}}) {
        std::vector<unsigned char> bad = bytes;
        bad[c.offset] ^= 0x01;
        ReadResult r = readBytes(bad);
        EXPECT_FALSE(r.ok) << c.offset;
        EXPECT_EQ(r.error, c.error) << c.offset;
    }
}

TEST(SQClosureStreamTest, UnsupportedObjectTypeIsNamed) {
    std::vector<unsigned char> bytes = sampleStream();
    // The source name object starts right after the first PART: make its type code a bool.
    const unsigned char boolCode[4] = {0x08, 0x00, 0x00, 0x01};
    std::memcpy(bytes.data() + kFirstPartAt + 4, boolCode, 4);
    ReadResult r = readBytes(bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, "cannot serialize a bool");
}

void putU32(std::vector<unsigned char> &b, std::uint32_t v) {
    for (int i = 0; i < 4; i++) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

// A stream whose counts promise far more data than follows must fail on the data, not allocate.
TEST(SQClosureStreamTest, CountsLargerThanTheDataFail) {
    for (int field = 0; field < 8; field++) {
        std::vector<unsigned char> b = {0xFA, 0xFA};
        putU32(b, SQClosureStream::kHeadTag);
        putU32(b, 1);
        putU32(b, SQClosureStream::kPartTag);
        putU32(b, OT_NULL);
        putU32(b, OT_NULL);
        putU32(b, SQClosureStream::kPartTag);
        for (int i = 0; i < 8; i++) putU32(b, i == field ? 0x7FFFFFFF : 0);
        putU32(b, SQClosureStream::kPartTag);
        ReadResult r = readBytes(b);
        EXPECT_FALSE(r.ok) << field;
    }
    std::vector<unsigned char> hugeString = {0xFA, 0xFA};
    putU32(hugeString, SQClosureStream::kHeadTag);
    putU32(hugeString, 1);
    putU32(hugeString, SQClosureStream::kPartTag);
    putU32(hugeString, OT_STRING);
    putU32(hugeString, 0x7FFFFFFF);
    hugeString.push_back('x');
    ReadResult r = readBytes(hugeString);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, kShortRead);
    putU32(hugeString, 0);
    hugeString[18] = 0xFF;  // negative length
    EXPECT_FALSE(readBytes(hugeString).ok);
}

// Each mutation makes one operand point outside what the prototype provides.
TEST(SQClosureStreamTest, OperandsOutsideThePrototypeAreRejected) {
    SQCompileResult compiled = compileSource(kSample, "sample.nut");
    ASSERT_TRUE(compiled.ok);
    struct Mutation {
        const char *what;
        void (*apply)(SQProtoImage &);
    };
    const Mutation mutations[] = {
        {"register beyond stack size", [](SQProtoImage &m) { m.instructions[0]._arg0 = static_cast<std::uint8_t>(m.stacksize); }},
        {"literal index beyond literals",
         [](SQProtoImage &m) {
             for (SQInstruction &i : m.instructions)
                 if (i.op == _OP_LOAD) i._arg1 = static_cast<std::int32_t>(m.literals.size());
         }},
        {"jump beyond the code",
         [](SQProtoImage &m) {
             for (SQInstruction &i : m.instructions)
                 if (i.op == _OP_JMP) i._arg1 = 1000;
         }},
        {"jump before the code",
         [](SQProtoImage &m) {
             for (SQInstruction &i : m.instructions)
                 if (i.op == _OP_JZ) i._arg1 = -1000;
         }},
        {"closure index beyond functions",
         [](SQProtoImage &m) {
             for (SQInstruction &i : m.instructions)
                 if (i.op == _OP_CLOSURE) i._arg1 = 7;
         }},
        {"outer value of the main function", [](SQProtoImage &m) { m.instructions[0] = SQInstruction(_OP_LOADFREEVAR, 1, 0); }},
        {"unknown opcode", [](SQProtoImage &m) { m.instructions[0].op = 0x3D; }},
        {"code falls off the end", [](SQProtoImage &m) { m.instructions.back() = SQInstruction(_OP_LOADNULLS, 1, 1); }},
        {"call arguments beyond stack", [](SQProtoImage &m) {
             for (SQInstruction &i : m.instructions)
                 if (i.op == _OP_CALL) i._arg3 = 200;
         }},
        {"outer register beyond the parent's stack",
         [](SQProtoImage &m) { m.functions[0].outervalues[0].src = SQStreamObject::fromInteger(m.stacksize); }},
        {"default parameter register beyond the parent's stack",
         [](SQProtoImage &m) { m.functions[0].defaultparams[0] = 255; }},
        {"local variable register beyond stack", [](SQProtoImage &m) { m.localvarinfos[0].pos = 300; }},
        {"stack size over 256", [](SQProtoImage &m) { m.stacksize = 257; }},
        {"no parameters", [](SQProtoImage &m) { m.parameters.clear(); }},
        {"nested foreach variables beyond stack",
         [](SQProtoImage &m) {
             for (SQInstruction &i : m.instructions)
                 if (i.op == _OP_FOREACH) i._arg2 = static_cast<std::uint8_t>(m.stacksize - 1);
         }},
    };
    for (const Mutation &mut : mutations) {
        SQProtoImage image = compiled.main;
        mut.apply(image);
        ReadResult r = readBytes(writeStream(image));
        EXPECT_FALSE(r.ok) << mut.what;
        EXPECT_EQ(r.error, kCorrupted) << mut.what;
    }
}

TEST(SQClosureStreamTest, WriterReportsShortWrites) {
    SQCompileResult r = compileSource("return 1", "w.nut");
    std::string error;
    size_t budget = 20;
    bool ok = SQClosureStream::write(
        r.main,
        [&](const void *, SQInteger n) -> SQInteger {
            SQInteger done = std::min<SQInteger>(n, static_cast<SQInteger>(budget));
            budget -= static_cast<size_t>(done);
            return done;
        },
        error);
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "io error (write function failure)");
}

}  // namespace
