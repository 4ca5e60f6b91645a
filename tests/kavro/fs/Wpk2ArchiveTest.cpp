#include "Wpk2TestArchives.h"
#include "support/TempDirectory.h"

#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2DigestIndex.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>

using namespace Kavro;
using OrvaneTest::FixedWriter;
using OrvaneTest::RawArchive;
using OrvaneTest::RawEntry;

namespace
{

int LoadBytes(std::vector<uint8_t> bytes, Wpk2Archive& archive)
{
    Wpk2File file;
    file.openMemory(std::move(bytes));
    return archive.load(file, BuildArchiveKey());
}

int LoadBytes(std::vector<uint8_t> bytes)
{
    Wpk2Archive archive;
    return LoadBytes(std::move(bytes), archive);
}

Wpk2BlockRecord Record(uint64_t offset, uint32_t stored, uint32_t packed, uint32_t decoded)
{
    Wpk2BlockRecord r;
    r.offset = offset;
    r.storedLength = stored;
    r.packedLength = packed;
    r.decodedLength = decoded;
    return r;
}

} // namespace

TEST(Wpk2Archive, WriterOutputLoadsWithEveryEntryFoundByItsStoredName)
{
    auto writer = FixedWriter();
    writer.add("setting.ini", OrvaneTest::TextBytes(300, 1));
    writer.add("media/cg/big.png", OrvaneTest::NoiseBytes(200000, 2));
    writer.add("Setting.ini", OrvaneTest::TextBytes(10, 3));
    writer.add("empty.txt", {});
    Wpk2Archive archive;
    ASSERT_EQ(LoadBytes(writer.build(), archive), Wpk2::Ok);
    ASSERT_EQ(archive.entries().size(), 4u);
    const Wpk2Entry* big = archive.find("media/cg/big.png");
    ASSERT_NE(big, nullptr);
    EXPECT_FALSE(big->onePiece);
    EXPECT_EQ(big->blocks.size(), 4u);
    EXPECT_EQ(archive.find("setting.ini")->size, 300u);
    EXPECT_TRUE(archive.find("setting.ini")->onePiece);
    EXPECT_EQ(archive.find("Setting.ini")->size, 10u);
    EXPECT_EQ(archive.find("SETTING.INI"), nullptr);
    EXPECT_TRUE(archive.find("empty.txt")->blocks.empty());
}

TEST(Wpk2Archive, LowerCasingSkipsMultiByteSequences)
{
    EXPECT_EQ(Wpk2DigestIndex::lowerCaseName("Media/CG/BG01.PNG"), "media/cg/bg01.png");
    // 0xC3 opens a two-byte sequence: the byte after it is skipped, even a letter.
    EXPECT_EQ(Wpk2DigestIndex::lowerCaseName("\xC3" "A" "B"), "\xC3" "A" "b");
    EXPECT_EQ(Wpk2DigestIndex::lowerCaseName("\xE3\x81\x82Z"), "\xE3\x81\x82z");
    // A lead byte at the end must not step past the string.
    EXPECT_EQ(Wpk2DigestIndex::lowerCaseName("X\xF0"), "x\xF0");
}

struct BadArchiveCase
{
    const char* what;
    RawArchive archive;
    int expected;
};

void PrintTo(const BadArchiveCase& c, std::ostream* out)
{
    *out << c.what;
}

class Wpk2ArchiveRejects : public ::testing::TestWithParam<BadArchiveCase>
{
};

TEST_P(Wpk2ArchiveRejects, ArchiveBreakingTheFormat)
{
    EXPECT_EQ(LoadBytes(GetParam().archive.build()), GetParam().expected) << GetParam().what;
}

RawArchive WithEntry(RawEntry entry, size_t tail = 0)
{
    RawArchive a;
    a.entries.push_back(std::move(entry));
    a.tail = tail;
    return a;
}

RawArchive Modified(RawArchive a, void (*change)(RawArchive&))
{
    change(a);
    return a;
}

const RawEntry small{0, "a.txt", 5, {Record(32, 16, 5, 5)}};

INSTANTIATE_TEST_SUITE_P(
    Cases, Wpk2ArchiveRejects,
    ::testing::Values(
        BadArchiveCase{"wrong magic", Modified(WithEntry(small), [](RawArchive& a) { a.magic = "WPK1"; }), 3},
        BadArchiveCase{"version 3", Modified(WithEntry(small), [](RawArchive& a) { a.version = 3; }), 3},
        BadArchiveCase{"name of 261 bytes", WithEntry({0, std::string(261, 'n'), 0, {}}), 3},
        BadArchiveCase{"name length beyond the index",
                       WithEntry({0, "a", 0, {}, UINT32_MAX, 200}), 3},
        BadArchiveCase{"two entries with one name",
                       Modified(WithEntry(small), [](RawArchive& a) { a.entries.push_back(a.entries[0]); }), 3},
        BadArchiveCase{"more entries than the index holds",
                       Modified(WithEntry(small), [](RawArchive& a) { a.entryCount = 2; }), 3},
        BadArchiveCase{"entry count that would overflow",
                       Modified(WithEntry(small), [](RawArchive& a) { a.entryCount = 0xFFFFFFFF - 1; }), 3},
        BadArchiveCase{"block count beyond the index", WithEntry({0, "a", 5, {}, 1000000}), 3},
        BadArchiveCase{"index longer than the file",
                       Modified(WithEntry(small), [](RawArchive& a) { a.indexLength = 0x7FFFFFF0; }), 8},
        BadArchiveCase{"block past the end of the file", WithEntry({0, "a", 5, {Record(32, 4096, 5, 5)}}), 3},
        BadArchiveCase{"block offset that wraps",
                       WithEntry({0, "a", 5, {Record(UINT64_MAX - 4, 16, 5, 5)}}), 3},
        BadArchiveCase{"packed longer than stored", WithEntry({0, "a", 40, {Record(32, 16, 20, 40)}}), 3},
        BadArchiveCase{"stored data longer than stored bytes", WithEntry({0, "a", 40, {Record(32, 16, 40, 40)}}),
                       3},
        BadArchiveCase{"blocked stored length over 65552",
                       WithEntry({0, "a", 65536, {Record(32, 65568, 100, 65536)}}, 70000), 3},
        BadArchiveCase{"blocked decoded length over 65536",
                       WithEntry({0, "a", 65537, {Record(32, 65552, 65537, 65537)}}, 70000), 3},
        BadArchiveCase{"blocked entry missing a block",
                       WithEntry({0, "a", 70000, {Record(32, 65536, 65536, 65536)}}, 70000), 3},
        BadArchiveCase{"inner block shorter than 64 KiB",
                       WithEntry({0, "a", 65546, {Record(32, 16, 10, 10), Record(32, 16, 10, 10)}}), 3},
        BadArchiveCase{"one-piece entry without a block", WithEntry({1, "a", 5, {}}), 3},
        BadArchiveCase{"one-piece block shorter than the entry", WithEntry({1, "a", 50, {Record(32, 16, 10, 10)}}),
                       3},
        BadArchiveCase{"decoded length no DEFLATE stream can reach",
                       WithEntry({1, "a", 1u << 24, {Record(32, 16, 16, 1u << 24)}}), 3}),
    [](const ::testing::TestParamInfo<BadArchiveCase>& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c)
            name += std::isalnum(uint8_t(*c)) ? *c : '_';
        return name;
    });

TEST(Wpk2Archive, ShortFileAndNameLimitEdges)
{
    auto writer = FixedWriter();
    writer.add("a", {1, 2, 3});
    std::vector<uint8_t> bytes = writer.build();
    EXPECT_EQ(LoadBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20)), Wpk2::ReadFailed);
    EXPECT_EQ(LoadBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40)), Wpk2::ReadFailed);
    EXPECT_EQ(LoadBytes(WithEntry({0, std::string(260, 'n'), 0, {}}).build()), Wpk2::Ok);
    // A name ends at its first zero byte: "a\0b" and "a" are one name.
    RawArchive twins = WithEntry({0, std::string("a\0b", 3), 0, {}});
    twins.entries.push_back({0, "a", 0, {}});
    EXPECT_EQ(LoadBytes(twins.build()), Wpk2::BadFormat);
}

TEST(Wpk2Archive, WrongKeyIsRefused)
{
    auto writer = FixedWriter();
    for (int i = 0; i < 4; ++i)
        writer.add("file" + std::to_string(i), OrvaneTest::TextBytes(100, i));
    Wpk2File file;
    file.openMemory(writer.build());
    Wpk2Key other = BuildArchiveKey();
    other[0] ^= 1;
    Wpk2Archive archive;
    EXPECT_EQ(archive.load(file, other), Wpk2::BadFormat);
    EXPECT_TRUE(archive.entries().empty());
}

TEST(Wpk2Archive, StoredBlockIsCopiedAndDeflatedBlockInflated)
{
    std::vector<uint8_t> data = OrvaneTest::NoiseBytes(Wpk2::BlockSize, 7);
    const auto text = OrvaneTest::TextBytes(Wpk2::BlockSize, 8);
    data.insert(data.end(), text.begin(), text.end());
    auto writer = FixedWriter();
    writer.add("mixed.bin", data, Wpk2Writer::Blocked);
    Wpk2File file;
    file.openMemory(writer.build());
    Wpk2Archive archive;
    ASSERT_EQ(archive.load(file, BuildArchiveKey()), Wpk2::Ok);
    const Wpk2Entry& entry = *archive.find("mixed.bin");
    ASSERT_EQ(entry.blocks.size(), 2u);
    EXPECT_EQ(entry.blocks[0].packedLength, entry.blocks[0].decodedLength);
    EXPECT_LT(entry.blocks[1].packedLength, entry.blocks[1].decodedLength);

    std::vector<uint8_t> out(Wpk2::BlockSize);
    for (int block = 0; block < 2; ++block)
    {
        uint32_t length = 0;
        ASSERT_EQ(archive.readBlock(file, entry, block, out.data(), &length), Wpk2::Ok);
        EXPECT_EQ(length, Wpk2::BlockSize);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), data.begin() + block * Wpk2::BlockSize)) << block;
    }
    uint32_t length = 0;
    EXPECT_EQ(archive.readBlock(file, entry, -1, out.data(), &length), Wpk2::OutOfRange);
    EXPECT_EQ(archive.readBlock(file, entry, 2, out.data(), &length), Wpk2::OutOfRange);
}

TEST(Wpk2Archive, OnePieceEntryIsReadWholeButNotAsABlock)
{
    const auto data = OrvaneTest::TextBytes(150000, 9);
    auto writer = FixedWriter();
    writer.add("big.txt", data, Wpk2Writer::OnePiece);
    Wpk2File file;
    file.openMemory(writer.build());
    Wpk2Archive archive;
    ASSERT_EQ(archive.load(file, BuildArchiveKey()), Wpk2::Ok);
    const Wpk2Entry& entry = *archive.find("big.txt");
    std::vector<uint8_t> out(data.size());
    EXPECT_EQ(archive.readWhole(file, entry, out.data(), out.size() - 1), Wpk2::DestinationTooSmall);
    ASSERT_EQ(archive.readWhole(file, entry, out.data(), out.size()), Wpk2::Ok);
    EXPECT_EQ(out, data);
    // Its one record is far over 64 KiB: it does not fit a block buffer.
    uint32_t length = 0;
    EXPECT_EQ(archive.readBlock(file, entry, 0, out.data(), &length), Wpk2::OutOfRange);
}

TEST(Wpk2Archive, DamagedDeflateStreamFailsWithTen)
{
    auto writer = FixedWriter();
    writer.add("text.txt", OrvaneTest::TextBytes(5000, 4));
    std::vector<uint8_t> bytes = writer.build();
    Wpk2Archive archive;
    ASSERT_EQ(LoadBytes(bytes, archive), Wpk2::Ok);
    const Wpk2BlockRecord record = archive.entries()[0].blocks[0];
    ASSERT_TRUE(record.isCompressed());
    // Encrypted noise in place of the stream: it decrypts, but does not inflate.
    std::vector<uint8_t> noise = OrvaneTest::NoiseBytes(record.storedLength, 5);
    noise[0] = 0xFF; // block type 3 is invalid in DEFLATE
    Wpk2Cipher(BuildArchiveKey(), OrvaneTest::FixedIv()).encrypt(noise.data(), noise.size());
    std::copy(noise.begin(), noise.end(), bytes.begin() + long(record.offset));

    Wpk2File file;
    file.openMemory(bytes);
    ASSERT_EQ(archive.load(file, BuildArchiveKey()), Wpk2::Ok);
    std::vector<uint8_t> out(5000);
    EXPECT_EQ(archive.readWhole(file, archive.entries()[0], out.data(), out.size()), Wpk2::InflateFailed);
}

TEST(Wpk2Archive, ArchiveTruncatedAfterLoadingFailsWithEight)
{
    OrvaneTest::TempDirectory dir;
    auto writer = FixedWriter();
    writer.add("a.bin", OrvaneTest::NoiseBytes(100000, 6));
    ASSERT_TRUE(writer.writeFile(dir.file("t.wpk"), nullptr));
    Wpk2File file;
    ASSERT_TRUE(file.open(dir.file("t.wpk")));
    Wpk2Archive archive;
    ASSERT_EQ(archive.load(file, BuildArchiveKey()), Wpk2::Ok);
    std::filesystem::resize_file(dir.file("t.wpk"), file.size() - 10);
    std::vector<uint8_t> out(Wpk2::BlockSize);
    uint32_t length = 0;
    EXPECT_EQ(archive.readBlock(file, archive.entries()[0], 0, out.data(), &length), Wpk2::Ok);
    EXPECT_EQ(archive.readBlock(file, archive.entries()[0], 1, out.data(), &length), Wpk2::ReadFailed);
}

// A header may claim gigabytes of index (a sparse file costs nothing on disk): the index is read no
// further than its entries hold up, and a sound index of any length still loads whole.
TEST(Wpk2Archive, AnIndexIsReadNoFurtherThanItsEntriesHoldUp)
{
    constexpr uint32_t Claimed = 16u << 20;
    RawArchive many;
    for (int i = 0; i < 6000; ++i)
        many.entries.push_back({0, "file/number" + std::to_string(i) + ".txt", 5, {Record(32, 16, 5, 5)}});
    const struct
    {
        const char* name;
        RawArchive archive;
        int expected;
        uint64_t mostRead;
    } cases[] = {
        {"one entry, then zeros to the claimed length", Modified(WithEntry(small, Claimed), [](RawArchive& a) {
             a.indexLength = Claimed;
             a.entryCount = 2;
         }),
         Wpk2::BadFormat, 32 + 65536},
        {"300,000 entries claimed over zeros", Modified(WithEntry(small, Claimed), [](RawArchive& a) {
             a.indexLength = Claimed;
             a.entryCount = 300000;
         }),
         Wpk2::BadFormat, 32 + 65536},
        {"6,000 sound entries over several windows", many, Wpk2::Ok, UINT64_MAX},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        Wpk2File file;
        file.openMemory(c.archive.build());
        Wpk2Archive archive;
        EXPECT_EQ(archive.load(file, BuildArchiveKey()), c.expected);
        EXPECT_LE(file.bytesRequested(), c.mostRead);
        EXPECT_EQ(archive.entries().size(), c.expected == Wpk2::Ok ? c.archive.entries.size() : 0u);
    }
    Wpk2Archive archive;
    ASSERT_EQ(LoadBytes(many.build(), archive), Wpk2::Ok);
    EXPECT_NE(archive.find("file/number5999.txt"), nullptr);

    // The case as it reached us: 4 GiB of sparse file behind a header claiming all of it as index.
    OrvaneTest::TempDirectory dir;
    std::vector<uint8_t> head = WithEntry(small).build();
    for (int b = 0; b < 4; ++b)
    {
        head[24 + b] = b == 2 ? 0x10 : 0x00; // a million entries
        head[28 + b] = 0xF0;                 // 4,042,322,160 bytes of index
    }
    dir.write("sparse.wpk", head);
    std::filesystem::resize_file(dir.path() / "sparse.wpk", uint64_t(1) << 32);
    Wpk2File sparse;
    ASSERT_TRUE(sparse.open(dir.file("sparse.wpk")));
    EXPECT_EQ(archive.load(sparse, BuildArchiveKey()), Wpk2::BadFormat);
    EXPECT_LE(sparse.bytesRequested(), 32u + 65536u);
}
