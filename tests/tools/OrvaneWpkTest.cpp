#include "fs/ArchiveFileSystem.h"
#include "core/SystemArchive.h"
#include "kavro/fs/Wpk2TestArchives.h"
#include "support/TempDirectory.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2Cipher.h>
#include <kavro/Wpk2File.h>

#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

using namespace Kavro;
using OrvaneTest::TempDirectory;

namespace
{

struct ToolResult
{
    int exit = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Hex(const Wpk2Key& key)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (uint8_t b : key)
    {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    return hex;
}

class OrvaneWpkTest : public ::testing::Test
{
protected:
    // Runs the tool in the temp directory; arguments are simple words, so no quoting is needed.
    ToolResult tool(const std::string& arguments)
    {
        const std::string command = "cd " + dir.path().string() + " && " + ORVANE_WPK_PATH + " " + arguments +
                                    " >" + dir.file("stdout.txt") + " 2>" + dir.file("stderr.txt");
        const int status = std::system(command.c_str());
        ToolResult result;
        result.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.out = ReadText(dir.file("stdout.txt"));
        result.err = ReadText(dir.file("stderr.txt"));
        return result;
    }
    bool load(const std::string& name, Wpk2Archive& archive, Wpk2File& file, const Wpk2Key& key = BuildArchiveKey())
    {
        return file.open(dir.file(name)) && archive.load(file, key) == Wpk2::Ok;
    }

    TempDirectory dir;
};

} // namespace

TEST_F(OrvaneWpkTest, PacksListsAndExtractsADirectory)
{
    const auto big = OrvaneTest::TextBytes(200000, 1);
    const auto noise = OrvaneTest::NoiseBytes(3000, 2);
    dir.write("in/Media/CG/BG01.png", big);
    dir.write("in/setting.ini", OrvaneTest::TextBytes(500, 3));
    dir.write("in/noise.bin", noise);
    dir.write("in/empty.txt", {});
    const ToolResult packed = tool("pack game.wpk in");
    ASSERT_EQ(packed.exit, 0) << packed.err;

    Wpk2File file;
    Wpk2Archive archive;
    ASSERT_TRUE(load("game.wpk", archive, file));
    ASSERT_EQ(archive.entries().size(), 4u);
    const Wpk2Entry* bg = archive.find("media/cg/bg01.png");
    ASSERT_NE(bg, nullptr);
    EXPECT_FALSE(bg->onePiece);
    EXPECT_EQ(bg->blocks.size(), 4u);
    const Wpk2Entry* settings = archive.find("setting.ini");
    ASSERT_NE(settings, nullptr);
    EXPECT_TRUE(settings->onePiece);
    EXPECT_TRUE(settings->blocks[0].isCompressed());
    // DEFLATE does not shorten noise: stored as it is.
    EXPECT_EQ(archive.find("noise.bin")->blocks[0].packedLength, 3000u);

    const ToolResult listed = tool("list game.wpk");
    ASSERT_EQ(listed.exit, 0) << listed.err;
    for (const char* name : {"media/cg/bg01.png", "setting.ini", "noise.bin", "empty.txt"})
        EXPECT_NE(listed.out.find(name), std::string::npos) << name;

    const ToolResult extracted = tool("extract game.wpk out");
    ASSERT_EQ(extracted.exit, 0) << extracted.err;
    EXPECT_EQ(dir.read("out/media/cg/bg01.png"), big);
    EXPECT_EQ(dir.read("out/noise.bin"), noise);
    EXPECT_TRUE(std::filesystem::exists(dir.file("out/empty.txt")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("out/empty.txt")), 0u);
}

TEST_F(OrvaneWpkTest, KeyCommandAndKeyOption)
{
    const ToolResult key = tool("key");
    EXPECT_EQ(key.exit, 0);
    EXPECT_EQ(key.out, Hex(BuildArchiveKey()) + "\n");

    Wpk2Key other{};
    for (size_t i = 0; i < other.size(); ++i)
        other[i] = uint8_t(i * 7 + 1);
    dir.write("in/a.txt", {'a'});
    ASSERT_EQ(tool("pack --key " + Hex(other) + " own.wpk in").exit, 0);
    Wpk2File file;
    Wpk2Archive archive;
    EXPECT_TRUE(load("own.wpk", archive, file, other));
    EXPECT_EQ(tool("list own.wpk --key " + Hex(other)).exit, 0);
    const ToolResult wrong = tool("list own.wpk");
    EXPECT_EQ(wrong.exit, 1);
    EXPECT_NE(wrong.err.find("another key"), std::string::npos) << wrong.err;
    EXPECT_EQ(tool("--key " + Hex(other) + " key").out, Hex(other) + "\n");
}

TEST_F(OrvaneWpkTest, BadInputEndsWithAMessageAndNonZeroExit)
{
    dir.write("in/a.txt", {'a'});
    dir.write("clash/A.txt", {'1'});
    dir.write("clash/a.txt", {'2'});
    dir.write("long/" + std::string(200, 'd') + "/" + std::string(60, 'f'), {'x'});
    dir.write("notanarchive.wpk", OrvaneTest::TextBytes(100, 1));
    struct Case
    {
        const char* arguments;
        int exit;
        const char* message;
    };
    const Case cases[] = {
        {"", 2, "usage"},
        {"unpack x.wpk", 2, "usage"},
        {"pack only-one-argument", 2, "usage"},
        {"--key 12 key", 2, "64 hexadecimal"},
        {"--key", 2, "64 hexadecimal"},
        {"pack out.wpk missing", 1, "missing: No such file or directory"},
        {"pack out.wpk in/a.txt", 1, "in/a.txt: Not a directory"},
        {"list missing.wpk", 1, "missing.wpk cannot be opened: No such file or directory"},
        {"list in", 1, "in cannot be opened: Is a directory"},
        {"list notanarchive.wpk", 1, "not a WPK2 archive"},
        {"extract notanarchive.wpk out", 1, "not a WPK2 archive"},
        {"pack out.wpk clash", 1, "both become"},
        {"pack out.wpk long", 1, "longer than 260"},
    };
    for (const Case& c : cases)
    {
        const ToolResult result = tool(c.arguments);
        EXPECT_EQ(result.exit, c.exit) << c.arguments;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.arguments << ": " << result.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.wpk")));
}

TEST_F(OrvaneWpkTest, ExtractRefusesNamesLeavingTheDirectory)
{
    for (const char* name : {"../evil.txt", "/abs.txt", "a/../../evil.txt", "a//b"})
    {
        auto writer = OrvaneTest::FixedWriter();
        writer.add("fine.txt", {'f'});
        writer.add(name, {'e'});
        ASSERT_TRUE(writer.writeFile(dir.file("evil.wpk"), nullptr));
        const ToolResult result = tool("extract evil.wpk out");
        EXPECT_EQ(result.exit, 1) << name;
        EXPECT_NE(result.err.find("leaves the directory"), std::string::npos) << name;
        EXPECT_FALSE(std::filesystem::exists(dir.path() / "evil.txt"));
        EXPECT_FALSE(std::filesystem::exists(dir.file("out/fine.txt"))) << "nothing is written before the check";
    }
}

TEST_F(OrvaneWpkTest, PackReplacesAnExistingArchiveWhole)
{
    dir.write("game.wpk", OrvaneTest::TextBytes(1000, 9));
    dir.write("in/a.txt", {'a'});
    ASSERT_EQ(tool("pack game.wpk in").exit, 0);
    Wpk2File file;
    Wpk2Archive archive;
    ASSERT_TRUE(load("game.wpk", archive, file));
    EXPECT_EQ(archive.entries().size(), 1u);
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
}

TEST_F(OrvaneWpkTest, PackedSystemArchiveIsReadByTheStartUpReaderAndTheFileSystem)
{
    // On disk with capitals, as the game ships it; the tool stores the name lower-cased.
    const auto settings = OrvaneTest::TextBytes(150000, 11);
    dir.write("in/Setting.ini", settings);
    dir.write("in/media/script/main.nut", {'m'});
    ASSERT_EQ(tool("pack system.wpk in").exit, 0);

    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    std::string text;
    EXPECT_EQ(Orvane::ArchiveReadSettings(BuildArchiveKey().data(), text), Wpk2::Ok);
    EXPECT_EQ(text, std::string(settings.begin(), settings.end()));

    IFileSystem* fs = CreateArchiveFileSystem();
    uint32_t keyLength = 32;
    EXPECT_EQ(fs->mount("system.wpk", BuildArchiveKey().data(), &keyLength), 0);
    IFileStream* stream = fs->open("Setting.ini", 0, 0, 0);
    ASSERT_NE(stream, nullptr);
    ASSERT_EQ(stream->load(), 0);
    EXPECT_TRUE(std::equal(settings.begin(), settings.end(), stream->getLoadData()));
    stream->release();
    fs->release();
    std::filesystem::current_path(previous);
}

TEST_F(OrvaneWpkTest, HelpGoesToStandardOutputAndSucceeds)
{
    for (const char* option : {"--help", "-h"})
    {
        const ToolResult result = tool(option);
        EXPECT_EQ(result.exit, 0) << option;
        EXPECT_NE(result.out.find("usage: orvane-wpk"), std::string::npos) << option;
        EXPECT_EQ(result.err, "") << option;
    }
}

// /dev/null, a folder: pack never replaces what is not a regular file, and reads nothing first.
TEST_F(OrvaneWpkTest, PackRefusesTargetsThatAreNotRegularFiles)
{
    dir.write("in/a.txt", {'a'});
    std::filesystem::create_directory(dir.path() / "folder.wpk");
    for (const std::string target : {"/dev/null", "folder.wpk"})
    {
        const ToolResult result = tool("pack " + target + " in");
        EXPECT_EQ(result.exit, 1) << target;
        EXPECT_EQ(result.err, "orvane-wpk: refusing to replace " + target + ": not a regular file\n");
    }
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder.wpk"));
}

// A small archive whose single deflated piece declares far more than it inflates to.
TEST_F(OrvaneWpkTest, ExtractRefusesAnEntryLargerThanItsBlocksHold)
{
    std::vector<uint8_t> packed(2048);
    uLongf packedLength = packed.size();
    const std::vector<uint8_t> zeros(1 << 20, 0);
    z_stream stream{};
    ASSERT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY), Z_OK);
    stream.next_in = const_cast<Bytef*>(zeros.data());
    stream.avail_in = uInt(zeros.size());
    stream.next_out = packed.data();
    stream.avail_out = uInt(packed.size());
    ASSERT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
    packedLength = stream.total_out;
    deflateEnd(&stream);
    const uint32_t stored = uint32_t((packedLength + 15) / 16 * 16);
    packed.resize(stored);
    Wpk2Cipher(BuildArchiveKey(), OrvaneTest::FixedIv()).encrypt(packed.data(), packed.size());

    OrvaneTest::RawArchive archive;
    const uint32_t claim = uint32_t(packedLength) * 1000; // within what the format allows: about 200 MB
    archive.entries.push_back({1, "big.bin", claim, {{0, stored, uint32_t(packedLength), claim}}});
    archive.tail = stored;
    std::vector<uint8_t> bytes = archive.build();
    archive.entries[0].blocks[0].offset = bytes.size() - stored;
    bytes = archive.build();
    std::copy(packed.begin(), packed.end(), bytes.end() - stored);
    dir.write("big.wpk", bytes);

    const ToolResult result = tool("extract big.wpk out");
    EXPECT_EQ(result.exit, 1);
    EXPECT_EQ(result.err, "orvane-wpk: refusing big.bin in big.wpk: it declares " + std::to_string(claim) +
                              " bytes, its blocks hold 1048576\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/big.bin")));
}

TEST_F(OrvaneWpkTest, ExtractReplacesAnExistingFileWholeAndKeepsItOnFailure)
{
    const auto text = OrvaneTest::TextBytes(200000, 12);
    dir.write("in/story.txt", text);
    ASSERT_EQ(tool("pack story.wpk in").exit, 0);
    dir.write("out/story.txt", {'o', 'l', 'd'});
    ASSERT_EQ(tool("extract story.wpk out").exit, 0);
    EXPECT_EQ(dir.read("out/story.txt"), text);

    // Damage the second block: the extracted file stays as it was.
    Wpk2File file;
    Wpk2Archive archive;
    ASSERT_TRUE(load("story.wpk", archive, file));
    const Wpk2BlockRecord second = archive.entries()[0].blocks[1];
    file.close();
    auto bytes = dir.read("story.wpk");
    auto noise = OrvaneTest::NoiseBytes(second.storedLength, 13);
    noise[0] = 0xFF;
    Wpk2Cipher(BuildArchiveKey(), archive.header().iv).encrypt(noise.data(), noise.size());
    std::copy(noise.begin(), noise.end(), bytes.begin() + long(second.offset));
    dir.write("story.wpk", bytes);
    dir.write("out/story.txt", {'o', 'l', 'd'});
    const ToolResult result = tool("extract story.wpk out");
    EXPECT_EQ(result.exit, 1);
    EXPECT_NE(result.err.find("does not decompress"), std::string::npos) << result.err;
    EXPECT_EQ(dir.read("out/story.txt"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path() / "out"),
                            std::filesystem::directory_iterator()),
              1);
}
