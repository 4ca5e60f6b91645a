#include "ArchiveFileSystem.h"
#include "core/SystemArchive.h"
#include "kavro/fs/Wpk2TestArchives.h"
#include "support/TempDirectory.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Archive.h>

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
        {"pack out.wpk missing", 1, "not a directory"},
        {"list missing.wpk", 1, "cannot be opened"},
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
