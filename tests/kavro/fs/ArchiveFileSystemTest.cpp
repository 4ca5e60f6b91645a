#include "fs/ArchiveFileSystem.h"
#include "Wpk2TestArchives.h"
#include "support/TempDirectory.h"

#include <kavro/CFile.h>
#include <kavro/IFileSystem.h>
#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2File.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

using namespace Kavro;
using OrvaneTest::TempDirectory;

namespace
{

struct Releaser
{
    void operator()(IInterface* object) const { object->release(); }
};
using FileSystemPtr = std::unique_ptr<IFileSystem, Releaser>;
using StreamPtr = std::unique_ptr<IFileStream, Releaser>;

std::vector<uint8_t> Bytes(const std::string& text)
{
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string ReadAll(IFileStream& stream, uint32_t piece = 1000)
{
    std::string all;
    std::vector<char> buffer(piece);
    while (const uint32_t n = stream.read(buffer.data(), piece))
        all.append(buffer.data(), n);
    return all;
}

// Works in a temp directory: archive and plain-file names are relative, as the engine gives them.
class ArchiveFileSystemTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        fs.reset(CreateArchiveFileSystem());
    }
    void TearDown() override
    {
        fs.reset();
        std::filesystem::current_path(previous);
    }

    void pack(const std::string& name, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& files)
    {
        auto writer = OrvaneTest::FixedWriter();
        for (const auto& [entry, data] : files)
            writer.add(entry, data);
        ASSERT_TRUE(writer.writeFile(dir.file(name), nullptr));
    }
    StreamPtr open(const char* path, int mode = 0) { return StreamPtr(fs->open(path, 0, mode, 0)); }
    int mount(const char* name, const uint8_t* key = nullptr, uint32_t length = 0)
    {
        return fs->mount(name, key, &length);
    }

    TempDirectory dir;
    std::filesystem::path previous;
    FileSystemPtr fs;
};

} // namespace

TEST_F(ArchiveFileSystemTest, OpensEntriesByLowerCasedPathAndReadsThemWhole)
{
    const auto big = OrvaneTest::TextBytes(300000, 1);
    pack("cg.wpk", {{"media/cg/bg01.png", big}, {"Media/Upper.txt", Bytes("stored with capitals")}});
    const auto key = BuildArchiveKey();
    ASSERT_EQ(mount("cg.wpk", key.data(), 32), 0);
    EXPECT_EQ(fs->isMounted("cg.wpk"), 1);

    StreamPtr stream = open("Media/CG/BG01.PNG");
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->isOpened(), 1);
    EXPECT_EQ(stream->getFileSize(), big.size());
    EXPECT_EQ(ReadAll(*stream), std::string(big.begin(), big.end()));
    EXPECT_EQ(stream->getLoadData(), nullptr);
    ASSERT_EQ(stream->load(), 0);
    ASSERT_NE(stream->getLoadData(), nullptr);
    EXPECT_TRUE(std::equal(big.begin(), big.end(), stream->getLoadData()));
    EXPECT_EQ(stream->getFilePosition(), int64_t(big.size()));
    EXPECT_EQ(stream->write("x", 1), 0u);
    stream->close();
    EXPECT_EQ(stream->isOpened(), 0);
    EXPECT_EQ(stream->getLoadData(), nullptr);

    // The index stores this one with capitals, so the lower-cased lookup cannot find it.
    EXPECT_FALSE(open("Media/Upper.txt"));
}

TEST_F(ArchiveFileSystemTest, LaterMountsWinAndUnmountUncoversTheEarlier)
{
    pack("base.wpk", {{"a.txt", Bytes("base")}, {"only-base.txt", Bytes("b")}});
    pack("patch.wpk", {{"a.txt", Bytes("patched")}});
    ASSERT_EQ(mount("base.wpk"), 0);
    ASSERT_EQ(mount("patch.wpk"), 0);
    StreamPtr held = open("a.txt");
    EXPECT_EQ(ReadAll(*held), "patched");
    StreamPtr other = open("only-base.txt");
    EXPECT_EQ(ReadAll(*other), "b");

    EXPECT_EQ(fs->unmount("patch.wpk"), 0);
    EXPECT_EQ(fs->isMounted("patch.wpk"), 0);
    EXPECT_EQ(fs->unmount("patch.wpk"), -4);
    EXPECT_EQ(ReadAll(*open("a.txt")), "base");
    // A stream opened before the unmount stays readable.
    ASSERT_EQ(held->seekStart(0), 0);
    EXPECT_EQ(ReadAll(*held), "patched");
}

TEST_F(ArchiveFileSystemTest, PlainFilesBesideArchivesAndWritesGoToPlainFiles)
{
    pack("script.wpk", {{"main.nut", Bytes("archived")}});
    dir.write("main.nut", Bytes("plain"));
    dir.write("save/plain.txt", Bytes("on disk"));
    ASSERT_EQ(mount("script.wpk"), 0);
    EXPECT_EQ(ReadAll(*open("main.nut")), "archived");
    EXPECT_EQ(ReadAll(*open("save/plain.txt")), "on disk");
    EXPECT_FALSE(open("missing.txt"));
    EXPECT_FALSE(open("main.nut", 2));

    StreamPtr out = open("system.dat", 1);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->write("abc", 3), 3u);
    EXPECT_EQ(out->flush(), 0);
    out.reset();
    EXPECT_EQ(dir.read("system.dat"), Bytes("abc"));
}

TEST_F(ArchiveFileSystemTest, CreatesFoldersWithParentsAndReadsFileTimes)
{
    EXPECT_EQ(fs->createDirectory("save/common/deep"), 1);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "save/common/deep"));
    EXPECT_EQ(fs->createDirectory("save/common"), 1);
    dir.write("file.txt", Bytes("x"));
    EXPECT_EQ(fs->createDirectory("file.txt/below"), 0);
    EXPECT_EQ(fs->createDirectory(""), 0);

    Kavro::FileTime time = {};
    ASSERT_EQ(fs->getFileTime("file.txt", &time), 1);
    EXPECT_GE(time.year, 2020);
    EXPECT_GE(time.month, 0);
    EXPECT_LE(time.month, 11);
    EXPECT_GE(time.day, 1);
    EXPECT_LE(time.weekday, 6);

    Kavro::FileTime untouched = {};
    EXPECT_EQ(fs->getFileTime("missing.txt", &untouched), 0);
    EXPECT_EQ(untouched.year, 0);
}

TEST_F(ArchiveFileSystemTest, MountFailuresAreNegativeCodes)
{
    pack("good.wpk", {{"a.txt", Bytes("a")}});
    auto bytes = dir.read("good.wpk");
    bytes[0] = 'X';
    dir.write("badmagic.wpk", bytes);
    bytes = dir.read("good.wpk");
    dir.write("short.wpk", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 30));
    auto wrong = BuildArchiveKey();
    wrong[31] ^= 0x80;
    uint32_t length = 31;

    EXPECT_EQ(mount("missing.wpk"), -1);
    EXPECT_EQ(mount("badmagic.wpk"), -3);
    EXPECT_EQ(mount("short.wpk"), -8);
    EXPECT_EQ(mount("good.wpk", wrong.data(), 32), -3);
    EXPECT_EQ(fs->mount("good.wpk", wrong.data(), &length), -6);
    EXPECT_EQ(fs->mount(nullptr, nullptr, nullptr), -6);
    EXPECT_EQ(fs->isMounted("good.wpk"), 0);
    EXPECT_EQ(fs->mount("good.wpk", nullptr, nullptr), 0);
    EXPECT_EQ(mount("good.wpk"), -2);
}

TEST_F(ArchiveFileSystemTest, ArchiveNameIsFoundLowerCasedOnDisk)
{
    pack("w4_sys.wpk", {{"a.txt", Bytes("a")}});
    ASSERT_EQ(mount("W4_sys.wpk"), 0);
    EXPECT_EQ(fs->isMounted("W4_sys.wpk"), 1);
    EXPECT_EQ(ReadAll(*open("a.txt")), "a");
}

TEST_F(ArchiveFileSystemTest, StreamSeeksStayInsideTheEntry)
{
    pack("a.wpk", {{"ten.txt", Bytes("0123456789")}, {"empty.txt", {}}});
    ASSERT_EQ(mount("a.wpk"), 0);
    StreamPtr s = open("ten.txt");
    struct Case
    {
        int (IFileStream::*op)(int64_t);
        int64_t offset;
        int result;
        int64_t position;
    };
    const Case cases[] = {
        {&IFileStream::seekStart, 10, 0, 10}, {&IFileStream::seekStart, 11, -1, 10},
        {&IFileStream::seekStart, -1, -1, 10}, {&IFileStream::seekEnd, 0, 0, 10},
        {&IFileStream::seekEnd, -10, 0, 0},    {&IFileStream::seekEnd, -11, -1, 0},
        {&IFileStream::seekEnd, 1, -1, 0},     {&IFileStream::seekEnd, INT64_MIN, -1, 0},
        {&IFileStream::seek, 4, 0, 4},         {&IFileStream::seek, -5, -1, 4},
        {&IFileStream::seek, 6, 0, 10},        {&IFileStream::seek, 1, -1, 10},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(((*s).*c.op)(c.offset), c.result) << c.offset;
        EXPECT_EQ(s->getFilePosition(), c.position) << c.offset;
    }
    char byte = 0;
    EXPECT_EQ(s->read(&byte, 1), 0u);

    StreamPtr empty = open("empty.txt");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->getFileSize(), 0u);
    EXPECT_EQ(empty->read(&byte, 1), 0u);
    EXPECT_EQ(empty->load(), 0);
}

// A damaged block is an error, not an early end: nothing is counted, the position stays, getError says so.
TEST_F(ArchiveFileSystemTest, ABlockThatDoesNotDecodeFailsTheReadInsteadOfEndingTheFile)
{
    const auto text = OrvaneTest::TextBytes(3 * 65536, 8);
    auto writer = OrvaneTest::FixedWriter();
    writer.add("story.txt", text, Wpk2Writer::Blocked);
    auto bytes = writer.build();
    Wpk2File file;
    file.openMemory(bytes);
    Wpk2Archive archive;
    ASSERT_EQ(archive.load(file, BuildArchiveKey()), Wpk2::Ok);
    const Wpk2BlockRecord second = archive.entries()[0].blocks[1];
    ASSERT_TRUE(second.isCompressed());
    auto noise = OrvaneTest::NoiseBytes(second.storedLength, 9);
    noise[0] = 0xFF; // block type 3 does not exist in DEFLATE
    Wpk2Cipher(BuildArchiveKey(), OrvaneTest::FixedIv()).encrypt(noise.data(), noise.size());
    std::copy(noise.begin(), noise.end(), bytes.begin() + long(second.offset));
    dir.write("data.wpk", bytes);
    ASSERT_EQ(mount("data.wpk"), 0);

    StreamPtr stream = open("story.txt");
    ASSERT_TRUE(stream);
    std::vector<uint8_t> out(65536);
    EXPECT_EQ(stream->read(out.data(), 65536), 65536u);
    EXPECT_EQ(std::vector<uint8_t>(text.begin(), text.begin() + 65536), out);
    EXPECT_EQ(stream->getError(), 0);
    EXPECT_EQ(stream->read(out.data(), 1000), 0u);
    EXPECT_EQ(stream->getError(), -Wpk2::InflateFailed);
    EXPECT_EQ(stream->getFilePosition(), 65536);
    // A read spanning the good first block and the bad second one moves nothing either.
    ASSERT_EQ(stream->seekStart(60000), 0);
    EXPECT_EQ(stream->read(out.data(), 10000), 0u);
    EXPECT_EQ(stream->getFilePosition(), 60000);
    EXPECT_EQ(stream->load(), -1);
    EXPECT_EQ(stream->getLoadData(), nullptr);

    // The third block is sound and still reads.
    ASSERT_EQ(stream->seekStart(2 * 65536), 0);
    EXPECT_EQ(stream->read(out.data(), 65536), 65536u);
}

// A FIFO would block an open until another process wrote to it, freezing the game: every way a game
// names a file refuses it at once, as it refuses devices. Folders still open as before.
TEST_F(ArchiveFileSystemTest, FifosAndDevicesAreRefusedWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    EXPECT_EQ(mount("pipe"), -1);
    for (const std::string& path : {std::string("pipe"), dir.file("pipe"), std::string("/dev/zero")})
    {
        SCOPED_TRACE(path);
        EXPECT_FALSE(open(path.c_str()));
        Kavro::CFile file;
        EXPECT_EQ(file.Open(path.c_str(), Kavro::CFile::ModeRead), -1);
        Kavro::Wpk2File archive;
        EXPECT_FALSE(archive.open(path));
    }
    std::filesystem::create_directory(dir.path() / "folder");
    EXPECT_TRUE(open("folder"));
}

// Loading a one-piece entry whole takes memory as its bytes decode, never the size its index claims: an
// entry claiming a gigabyte over two megabytes of anything fails to load; a sound one loads whole.
TEST_F(ArchiveFileSystemTest, LoadingAOnePieceEntryTakesOnlyWhatDecodes)
{
    OrvaneTest::RawArchive claim;
    claim.tail = 2 << 20;
    Wpk2BlockRecord record;
    record.offset = 32 + 80;
    record.storedLength = 2 << 20;
    record.packedLength = (2 << 20) - 16;
    record.decodedLength = 1u << 30;
    claim.entries.push_back({1, "claim.bin", 1u << 30, {record}});
    dir.write("claim.wpk", claim.build());
    auto writer = OrvaneTest::FixedWriter();
    const std::vector<uint8_t> text = OrvaneTest::TextBytes(300000, 5);
    writer.add("whole.txt", text, Wpk2Writer::OnePiece);
    ASSERT_TRUE(writer.writeFile(dir.file("whole.wpk"), nullptr));
    ASSERT_EQ(mount("claim.wpk"), 0);
    ASSERT_EQ(mount("whole.wpk"), 0);

    StreamPtr claimed = open("claim.bin");
    ASSERT_TRUE(claimed);
    EXPECT_EQ(claimed->load(), -1);
    uint8_t four[4];
    EXPECT_EQ(claimed->read(four, 4), 0u);

    StreamPtr whole = open("whole.txt");
    ASSERT_TRUE(whole);
    ASSERT_EQ(whole->load(), 0);
    ASSERT_EQ(whole->getFileSize(), text.size());
    EXPECT_TRUE(std::equal(text.begin(), text.end(), whole->getLoadData()));
    EXPECT_EQ(whole->getLoadData()[text.size()], 0) << "a zero byte after the data";
}
