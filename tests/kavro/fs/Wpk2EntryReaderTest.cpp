#include "Wpk2TestArchives.h"
#include "support/TempDirectory.h"

#include <kavro/Wpk2EntryReader.h>

#include <gtest/gtest.h>

using namespace Kavro;

namespace
{

// One archive in memory with entries of the sizes that sit on the 64 KiB edges, in both layouts.
class Wpk2EntryReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto writer = OrvaneTest::FixedWriter();
        for (uint32_t size : sizes)
        {
            auto data = OrvaneTest::TextBytes(size / 2, size);
            const auto noise = OrvaneTest::NoiseBytes(size - size / 2, size + 1);
            data.insert(data.end(), noise.begin(), noise.end());
            writer.add(std::string("b").append(std::to_string(size)), data, Wpk2Writer::Blocked);
            writer.add(std::string("o").append(std::to_string(size)), data, Wpk2Writer::OnePiece);
            contents.push_back(std::move(data));
        }
        file.openMemory(writer.build());
        ASSERT_EQ(archive.load(file, BuildArchiveKey()), Wpk2::Ok);
    }

    const Wpk2Entry& entry(char kind, uint32_t size) const { return *archive.find(kind + std::to_string(size)); }

    const std::vector<uint32_t> sizes{0, 1, 65535, 65536, 65537, 3 * 65536, 200001};
    std::vector<std::vector<uint8_t>> contents;
    Wpk2File file;
    Wpk2Archive archive;
};

} // namespace

TEST_F(Wpk2EntryReaderTest, ReadsInPiecesGiveTheEntryBack)
{
    for (char kind : {'b', 'o'})
        for (size_t i = 0; i < sizes.size(); ++i)
            for (uint64_t piece : {uint64_t(1000), uint64_t(65536), uint64_t(1) << 20})
            {
                Wpk2EntryReader reader(archive, entry(kind, sizes[i]), file);
                std::vector<uint8_t> got;
                std::vector<uint8_t> buffer(piece);
                uint64_t copied = 0;
                do
                {
                    ASSERT_EQ(reader.read(buffer.data(), piece, &copied), Wpk2::Ok);
                    got.insert(got.end(), buffer.begin(), buffer.begin() + long(copied));
                } while (copied > 0);
                EXPECT_EQ(got, contents[i]) << kind << sizes[i] << " in pieces of " << piece;
                EXPECT_EQ(reader.position(), sizes[i]);
            }
}

TEST_F(Wpk2EntryReaderTest, ReadsOfNothingSucceedWithNothingCopied)
{
    uint8_t byte = 0x77;
    uint64_t copied = 99;
    for (char kind : {'b', 'o'})
        for (uint32_t size : sizes)
        {
            Wpk2EntryReader reader(archive, entry(kind, size), file);
            EXPECT_EQ(reader.read(&byte, 0, &copied), Wpk2::Ok);
            EXPECT_EQ(copied, 0u);
            EXPECT_EQ(reader.position(), 0u);
            ASSERT_EQ(reader.seek(0, Wpk2EntryReader::BackFromEnd), Wpk2::Ok);
            // At the end, also when the size is a multiple of 64 KiB and no block follows.
            EXPECT_EQ(reader.read(&byte, 1, &copied), Wpk2::Ok) << kind << size;
            EXPECT_EQ(copied, 0u);
            EXPECT_EQ(byte, 0x77);
        }
}

TEST_F(Wpk2EntryReaderTest, ReadRunningPastTheEndStopsThere)
{
    Wpk2EntryReader reader(archive, entry('b', 65537), file);
    ASSERT_EQ(reader.seek(65530, Wpk2EntryReader::FromStart), Wpk2::Ok);
    std::vector<uint8_t> out(100, 0xEE);
    uint64_t copied = 0;
    ASSERT_EQ(reader.read(out.data(), out.size(), &copied), Wpk2::Ok);
    EXPECT_EQ(copied, 7u);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 7, contents[4].begin() + 65530));
    EXPECT_EQ(out[7], 0xEE);
}

struct SeekCase
{
    uint64_t start;
    int64_t offset;
    int origin;
    int expected;
    uint64_t position; // afterwards
};

TEST_F(Wpk2EntryReaderTest, SeeksWithEveryOriginAtTheEdges)
{
    const uint64_t size = 65536;
    const SeekCase cases[] = {
        {10, 0, 0, Wpk2::Ok, 0},
        {10, int64_t(size), 0, Wpk2::Ok, size},
        {10, int64_t(size) + 1, 0, Wpk2::OutOfRange, 10},
        {10, -1, 0, Wpk2::OutOfRange, 10},
        {10, -10, 1, Wpk2::Ok, 0},
        {10, -11, 1, Wpk2::OutOfRange, 10},
        {10, int64_t(size) - 10, 1, Wpk2::Ok, size},
        {10, int64_t(size) - 9, 1, Wpk2::OutOfRange, 10},
        {10, INT64_MAX, 1, Wpk2::OutOfRange, 10},
        {10, INT64_MIN, 1, Wpk2::OutOfRange, 10},
        {10, 0, 2, Wpk2::Ok, size},
        {10, int64_t(size), 2, Wpk2::Ok, 0},
        {10, int64_t(size) + 1, 2, Wpk2::OutOfRange, 10},
        {10, -1, 2, Wpk2::OutOfRange, 10},
        {10, 0, 3, Wpk2::BadArgument, 10},
        {10, 0, -1, Wpk2::BadArgument, 10},
    };
    for (const SeekCase& c : cases)
    {
        Wpk2EntryReader reader(archive, entry('b', uint32_t(size)), file);
        ASSERT_EQ(reader.seek(int64_t(c.start), 0), Wpk2::Ok);
        EXPECT_EQ(reader.seek(c.offset, c.origin), c.expected) << c.offset << " from " << c.origin;
        EXPECT_EQ(reader.position(), c.position) << c.offset << " from " << c.origin;
    }
}

TEST_F(Wpk2EntryReaderTest, SequentialSmallReadsDecodeEachBlockOnce)
{
    const Wpk2Entry& e = entry('b', 200001);
    Wpk2EntryReader reader(archive, e, file);
    const uint64_t before = archive.blocksDecoded();
    std::vector<uint8_t> buffer(777);
    uint64_t copied = 0;
    do
        ASSERT_EQ(reader.read(buffer.data(), buffer.size(), &copied), Wpk2::Ok);
    while (copied > 0);
    EXPECT_EQ(archive.blocksDecoded() - before, e.blocks.size());
    // Going back into the two blocks still held decodes nothing.
    ASSERT_EQ(reader.seek(65536 * 2 + 5, 0), Wpk2::Ok);
    ASSERT_EQ(reader.read(buffer.data(), buffer.size(), &copied), Wpk2::Ok);
    EXPECT_EQ(archive.blocksDecoded() - before, e.blocks.size());
}

// A one-piece entry is decoded only as far as the reads go: a read of a few bytes of a large entry, or of
// one whose index claims a gigabyte over two megabytes of anything, reads one piece of the file.
TEST(Wpk2EntryReaderOnePiece, DecodesOnlyAsFarAsTheReadsGo)
{
    auto writer = OrvaneTest::FixedWriter();
    const std::vector<uint8_t> noise = OrvaneTest::NoiseBytes(2 << 20, 3);
    const std::vector<uint8_t> text = OrvaneTest::TextBytes(2 << 20, 4);
    writer.add("stored.bin", noise, Wpk2Writer::OnePiece);
    writer.add("packed.txt", text, Wpk2Writer::OnePiece);
    OrvaneTest::RawArchive claim;
    claim.tail = 2 << 20;
    Wpk2BlockRecord record;
    record.offset = 32 + 80; // the index of this one entry fills 80 bytes
    record.storedLength = 2 << 20;
    record.packedLength = (2 << 20) - 16;
    record.decodedLength = 1u << 30;
    claim.entries.push_back({1, "claim.bin", 1u << 30, {record}});
    const struct
    {
        const char* name;
        std::vector<uint8_t> archive;
        const std::vector<uint8_t>* content; // null: the data does not decode
    } cases[] = {
        {"stored", writer.build(), &noise},
        {"deflated", writer.build(), &text},
        {"a gigabyte claimed over two megabytes", claim.build(), nullptr},
    };
    const char* names[] = {"stored.bin", "packed.txt", "claim.bin"};
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        const auto& c = cases[i];
        SCOPED_TRACE(c.name);
        Wpk2File file;
        file.openMemory(c.archive);
        Wpk2Archive archive;
        ASSERT_EQ(archive.load(file, BuildArchiveKey()), Wpk2::Ok);
        const Wpk2Entry* entry = archive.find(names[i]);
        ASSERT_NE(entry, nullptr);
        ASSERT_TRUE(entry->onePiece);
        const uint64_t before = file.bytesRequested();
        Wpk2EntryReader reader(archive, *entry, file);
        uint8_t four[4] = {};
        uint64_t copied = 0;
        const int code = reader.read(four, 4, &copied);
        EXPECT_LE(file.bytesRequested() - before, 65536u);
        if (!c.content)
        {
            EXPECT_EQ(code, Wpk2::InflateFailed);
            continue;
        }
        ASSERT_EQ(code, Wpk2::Ok);
        EXPECT_TRUE(std::equal(four, four + 4, c.content->begin()));
        // Further on and back again: the bytes are those of the file.
        std::vector<uint8_t> piece(1000);
        for (uint64_t at : {uint64_t(1500000), uint64_t(10), uint64_t((2 << 20) - 1000)})
        {
            ASSERT_EQ(reader.seek(int64_t(at), Wpk2EntryReader::FromStart), Wpk2::Ok);
            ASSERT_EQ(reader.read(piece.data(), piece.size(), &copied), Wpk2::Ok);
            ASSERT_EQ(copied, piece.size());
            EXPECT_TRUE(std::equal(piece.begin(), piece.end(), c.content->begin() + long(at))) << at;
        }
        std::vector<uint8_t> whole;
        ASSERT_EQ(reader.takeOnePiece(whole), Wpk2::Ok);
        EXPECT_EQ(whole, *c.content);
    }
}
