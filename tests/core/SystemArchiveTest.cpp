#include "core/SystemArchive.h"
#include "kavro/fs/Wpk2TestArchives.h"
#include "support/TempDirectory.h"

#include <kavro/ArchiveKey.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sys/resource.h>

using namespace Orvane;
using Kavro::Wpk2Writer;
namespace Wpk2 = Kavro::Wpk2;

namespace
{

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

// Runs in a temp directory, where the reader finds "system.wpk".
class SystemArchiveTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override
    {
        ArchiveCloseFile(&file);
        ArchiveUnmountAll();
        std::filesystem::current_path(previous);
    }

    void pack(const std::vector<std::tuple<std::string, std::vector<uint8_t>, Wpk2Writer::Layout>>& entries)
    {
        auto writer = OrvaneTest::FixedWriter();
        for (const auto& [name, data, layout] : entries)
            writer.add(name, data, layout);
        ASSERT_TRUE(writer.writeFile(dir.file("system.wpk"), nullptr));
    }
    void packSettings(const std::vector<uint8_t>& data, Wpk2Writer::Layout layout = Wpk2Writer::Auto)
    {
        pack({{"setting.ini", data, layout}, {"other.txt", Bytes("other"), Wpk2Writer::Auto}});
    }
    void mountAndOpen()
    {
        ASSERT_EQ(ArchiveMount(key.data()), Wpk2::Ok);
        ASSERT_EQ(ArchiveOpenFile(&file), Wpk2::Ok);
    }
    // Overwrites the stored bytes of the settings' first block with encrypted noise that is no DEFLATE.
    void damageFirstBlock()
    {
        Kavro::Wpk2File archiveFile;
        ASSERT_TRUE(archiveFile.open(dir.file("system.wpk")));
        Kavro::Wpk2Archive archive;
        ASSERT_EQ(archive.load(archiveFile, key), Wpk2::Ok);
        const auto record = archive.find("setting.ini")->blocks[0];
        ASSERT_TRUE(record.isCompressed());
        auto noise = OrvaneTest::NoiseBytes(record.storedLength, 3);
        noise[0] = 0xFF;
        Kavro::Wpk2Cipher(key, OrvaneTest::FixedIv()).encrypt(noise.data(), noise.size());
        auto bytes = dir.read("system.wpk");
        std::copy(noise.begin(), noise.end(), bytes.begin() + long(record.offset));
        dir.write("system.wpk", bytes);
    }

    OrvaneTest::TempDirectory dir;
    std::filesystem::path previous;
    const Kavro::Wpk2Key key = Kavro::BuildArchiveKey();
    CArchiveFile* file = nullptr;
};

std::string Text(size_t size, uint32_t seed)
{
    const auto bytes = OrvaneTest::TextBytes(size, seed);
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

TEST_F(SystemArchiveTest, SettingsAreReadWholeAndAcrossBlocks)
{
    struct Case
    {
        size_t size;
        Wpk2Writer::Layout layout;
    };
    for (const Case c : {Case{300, Wpk2Writer::Auto}, Case{150000, Wpk2Writer::OnePiece},
                         Case{65536, Wpk2Writer::Blocked}, Case{65536 * 2, Wpk2Writer::Blocked},
                         Case{200001, Wpk2Writer::Blocked}, Case{0, Wpk2Writer::Auto}, Case{0, Wpk2Writer::OnePiece}})
    {
        const std::string text = Text(c.size, uint32_t(c.size));
        packSettings(Bytes(text), c.layout);
        std::string read = "left over";
        EXPECT_EQ(ArchiveReadSettings(key.data(), read), Wpk2::Ok) << c.size;
        EXPECT_EQ(read, text) << c.size << " bytes, layout " << c.layout;
    }
}

TEST_F(SystemArchiveTest, TextEndsAtItsFirstZeroByte)
{
    packSettings(Bytes(std::string("[Init]\0rest", 11)));
    std::string read;
    EXPECT_EQ(ArchiveReadSettings(key.data(), read), Wpk2::Ok);
    EXPECT_EQ(read, "[Init]");
}

TEST_F(SystemArchiveTest, BlockedReadsInPiecesCrossTheBoundaries)
{
    const std::string text = Text(200001, 5);
    packSettings(Bytes(text), Wpk2Writer::Blocked);
    mountAndOpen();
    ASSERT_EQ(ArchiveSeek(file, 65530, 0), Wpk2::Ok);
    std::string piece(65536 + 20, '\0');
    const uint32_t size = uint32_t(piece.size());
    ASSERT_EQ(ArchiveRead(file, piece.data(), &size), Wpk2::Ok);
    EXPECT_EQ(piece, text.substr(65530, piece.size()));
    EXPECT_EQ(file->reader.position(), 65530u + piece.size());
}

TEST_F(SystemArchiveTest, NamesAreMatchedOnlyWhenStoredLowerCase)
{
    pack({{"Setting.ini", Bytes("x=1"), Wpk2Writer::Auto}});
    ASSERT_EQ(ArchiveMount(key.data()), Wpk2::Ok);
    EXPECT_EQ(ArchiveOpenFile(&file), Wpk2::NotFound);
    std::string read;
    EXPECT_EQ(ArchiveReadSettings(key.data(), read), Wpk2::NotFound);
}

TEST_F(SystemArchiveTest, MountRefusesLongNamesDuplicatesAndRemounts)
{
    pack({{std::string(261, 'n'), Bytes("x"), Wpk2Writer::Auto}, {"setting.ini", Bytes("x"), Wpk2Writer::Auto}});
    EXPECT_EQ(ArchiveMount(key.data()), Wpk2::BadFormat);
    EXPECT_EQ(ArchiveOpenFile(&file), Wpk2::NotFound);
    pack({{"setting.ini", Bytes("a"), Wpk2Writer::Auto}, {"setting.ini", Bytes("b"), Wpk2Writer::Auto}});
    EXPECT_EQ(ArchiveMount(key.data()), Wpk2::BadFormat);
    pack({{std::string(260, 'n'), Bytes("x"), Wpk2Writer::Auto}, {"setting.ini", Bytes("x"), Wpk2Writer::Auto}});
    EXPECT_EQ(ArchiveMount(key.data()), Wpk2::Ok);
    EXPECT_EQ(ArchiveMount(key.data()), Wpk2::AlreadyMounted);
    EXPECT_EQ(ArchiveMount(nullptr), Wpk2::BadArgument);
}

TEST_F(SystemArchiveTest, OpenAndMountFailures)
{
    EXPECT_EQ(ArchiveMount(key.data()), Wpk2::OpenFailed);
    packSettings(Bytes("x=1"));
    auto bytes = dir.read("system.wpk");
    dir.write("system.wpk", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 27));
    EXPECT_EQ(ArchiveMount(key.data()), Wpk2::ReadFailed);
    dir.write("system.wpk", bytes);
    ASSERT_EQ(ArchiveMount(key.data()), Wpk2::Ok);

    EXPECT_EQ(ArchiveOpenFile(nullptr), Wpk2::BadArgument);
    // The file object opens the archive again by its path.
    std::filesystem::remove(dir.file("system.wpk"));
    EXPECT_EQ(ArchiveOpenFile(&file), Wpk2::OpenFailed);
    EXPECT_EQ(file, nullptr);
    dir.write("system.wpk", bytes);
    ASSERT_EQ(ArchiveOpenFile(&file), Wpk2::Ok);
    CArchiveFile* held = file;
    EXPECT_EQ(ArchiveOpenFile(&file), Wpk2::BadArgument);
    EXPECT_EQ(file, held);
}

TEST_F(SystemArchiveTest, SeeksAtTheEdges)
{
    packSettings(Bytes(Text(65536 * 2, 1)), Wpk2Writer::Blocked);
    mountAndOpen();
    const int64_t size = 65536 * 2;
    struct Case
    {
        int64_t offset;
        int origin;
        int expected;
        uint64_t position;
    };
    const Case cases[] = {
        {0, 2, Wpk2::Ok, uint64_t(size)},  {size + 1, 2, Wpk2::OutOfRange, uint64_t(size)},
        {size, 2, Wpk2::Ok, 0},            {-1, 1, Wpk2::OutOfRange, 0},
        {size, 1, Wpk2::Ok, uint64_t(size)}, {1, 1, Wpk2::OutOfRange, uint64_t(size)},
        {-1, 0, Wpk2::OutOfRange, uint64_t(size)}, {size + 1, 0, Wpk2::OutOfRange, uint64_t(size)},
        {7, 0, Wpk2::Ok, 7},               {0, 3, Wpk2::BadArgument, 7},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(ArchiveSeek(file, c.offset, c.origin), c.expected) << c.offset << "/" << c.origin;
        EXPECT_EQ(file->reader.position(), c.position) << c.offset << "/" << c.origin;
    }
    EXPECT_EQ(ArchiveSeek(nullptr, 0, 0), Wpk2::BadArgument);
}

TEST_F(SystemArchiveTest, ReadsOfNothingAndAtTheEndSucceed)
{
    packSettings(Bytes(Text(65536 * 2, 2)), Wpk2Writer::Blocked);
    mountAndOpen();
    char byte = 'z';
    const uint32_t none = 0, one = 1;
    EXPECT_EQ(ArchiveRead(file, &byte, &none), Wpk2::Ok);
    EXPECT_EQ(file->reader.position(), 0u);
    ASSERT_EQ(ArchiveSeek(file, 0, 2), Wpk2::Ok);
    // The size is a multiple of 64 KiB: no block starts here, and there is nothing to read.
    EXPECT_EQ(ArchiveRead(file, &byte, &one), Wpk2::Ok);
    EXPECT_EQ(byte, 'z');
    EXPECT_EQ(ArchiveRead(nullptr, &byte, &one), Wpk2::BadArgument);
    EXPECT_EQ(ArchiveRead(file, &byte, nullptr), Wpk2::BadArgument);
}

TEST_F(SystemArchiveTest, ReadOnAnUnmountedArchiveIsNotRunning)
{
    packSettings(Bytes("x=1"));
    mountAndOpen();
    ArchiveUnmountAll();
    char buffer[4];
    const uint32_t size = 3;
    EXPECT_EQ(ArchiveRead(file, buffer, &size), Wpk2::NotRunning);
    EXPECT_EQ(ArchiveQueueRead(file, buffer, size, 0), Wpk2::NotRunning);
}

TEST_F(SystemArchiveTest, BlockAndWholeReadCodes)
{
    const std::string text = Text(150000, 4);
    // The settings alone, so that their last block ends the file.
    pack({{"setting.ini", Bytes(text), Wpk2Writer::Blocked}});
    mountAndOpen();
    CArchiveRecord* archive = file->archive.get();
    std::vector<uint8_t> out(Wpk2::BlockSize);
    uint32_t length = 0;
    EXPECT_EQ(ArchiveReadBlock(archive, &file->entry, &file->file, 2, out.data(), &length), Wpk2::Ok);
    EXPECT_EQ(length, 150000u - 2 * 65536);
    EXPECT_EQ(ArchiveReadBlock(archive, &file->entry, &file->file, 3, out.data(), &length), Wpk2::OutOfRange);
    EXPECT_EQ(ArchiveReadBlock(archive, &file->entry, &file->file, -1, out.data(), &length), Wpk2::OutOfRange);

    std::vector<char> whole(text.size());
    uint32_t capacity = uint32_t(text.size() - 1);
    EXPECT_EQ(ArchiveReadWhole(archive, &file->entry, &file->file, whole.data(), &capacity),
              Wpk2::DestinationTooSmall);
    capacity = uint32_t(text.size());
    EXPECT_EQ(ArchiveReadWhole(archive, &file->entry, &file->file, whole.data(), &capacity), Wpk2::Ok);
    EXPECT_EQ(std::string(whole.begin(), whole.end()), text);

    // Cut short after mounting: what is missing is a failed read, not zeros.
    std::filesystem::resize_file(dir.file("system.wpk"), std::filesystem::file_size(dir.file("system.wpk")) - 5);
    EXPECT_EQ(ArchiveReadBlock(archive, &file->entry, &file->file, 2, out.data(), &length), Wpk2::ReadFailed);
    EXPECT_EQ(ArchiveReadWhole(archive, &file->entry, &file->file, whole.data(), &capacity), Wpk2::ReadFailed);
    ASSERT_EQ(ArchiveSeek(file, 65536 * 2, 0), Wpk2::Ok);
    EXPECT_EQ(ArchiveRead(file, out.data(), &capacity), Wpk2::ReadFailed);
}

long PeakMemoryKiB()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A small archive whose one-piece "setting.ini" claims a huge size: refused before memory is taken for it.
TEST_F(SystemArchiveTest, OversizedSettingsClaimsAreRefusedQuicklyWithLittleMemory)
{
    struct Case
    {
        const char* what;
        uint32_t claim;
        int expected;
    };
    const uint32_t stored = 290000 / 16 * 16;
    for (const Case& c : {Case{"1 GiB, beyond what the block can inflate to", 1u << 30, Wpk2::BadFormat},
                          Case{"200 MiB, over the settings limit", 200u << 20, Wpk2::DestinationTooSmall},
                          Case{"one byte over 1 MiB", (1u << 20) + 1, Wpk2::DestinationTooSmall},
                          Case{"1 MiB, read (its zero bytes do not inflate)", 1u << 20, Wpk2::InflateFailed}})
    {
        SCOPED_TRACE(c.what);
        OrvaneTest::RawArchive archive;
        archive.entries.push_back({1, "setting.ini", c.claim, {{32, stored, stored, c.claim}}});
        archive.tail = 300000;
        dir.write("system.wpk", archive.build());
        const long memoryBefore = PeakMemoryKiB();
        const auto start = std::chrono::steady_clock::now();
        std::string read = "old";
        EXPECT_EQ(ArchiveReadSettings(key.data(), read), c.expected);
        EXPECT_EQ(read, "");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
        EXPECT_LT(PeakMemoryKiB() - memoryBefore, 64 * 1024);
    }
}

TEST_F(SystemArchiveTest, DamagedDeflateStreamFailsWithTen)
{
    packSettings(Bytes(Text(100000, 6)), Wpk2Writer::Blocked);
    damageFirstBlock();
    std::string read;
    EXPECT_EQ(ArchiveReadSettings(key.data(), read), Wpk2::InflateFailed);
    EXPECT_EQ(read, "");
    packSettings(Bytes(Text(1000, 6)), Wpk2Writer::OnePiece);
    damageFirstBlock();
    EXPECT_EQ(ArchiveReadSettings(key.data(), read), Wpk2::InflateFailed);
}

TEST_F(SystemArchiveTest, WorkerServesQueuedReadsAndCloseWaitsForThem)
{
    const std::string text = Text(200000, 7);
    packSettings(Bytes(text), Wpk2Writer::Blocked);
    mountAndOpen();
    std::vector<std::string> targets(8, std::string(30000, '\0'));
    for (size_t i = 0; i < targets.size(); ++i)
        ASSERT_EQ(ArchiveQueueRead(file, targets[i].data(), 30000, i * 20000), Wpk2::Ok);
    ArchiveCloseFile(&file);
    EXPECT_EQ(file, nullptr);
    for (size_t i = 0; i < targets.size(); ++i)
        EXPECT_EQ(targets[i], text.substr(i * 20000, 30000)) << i;
}
