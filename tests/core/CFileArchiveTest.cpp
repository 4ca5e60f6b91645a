#include "core/CApp.h"
#include "core/CFile.h"
#include "core/SaveFunctions.h"

#include "fs/ArchiveFileSystem.h"
#include "support/FakeCore.h"
#include "support/TempDirectory.h"

#include <kavro/ArchiveKey.h>
#include <kavro/CRandom.h>
#include <kavro/Wpk2Writer.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace Orvane;

namespace
{

// The application's core serves the library's archive file system; paths are relative to a scratch
// directory, as the engine gives them.
class ArchiveEngineFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        core = new OrvaneTest::FakeCore;
        core->fileSystem = Kavro::CreateArchiveFileSystem();
        app = new CApp("archive");
        app->setCore(core);
        CApp::set(app);
    }
    void TearDown() override
    {
        CApp::set(nullptr);
        app->release();
        core->release();
        std::filesystem::current_path(previous);
    }
    void pack(const std::string& archive, const std::vector<std::pair<std::string, std::vector<uint8_t>>>& entries)
    {
        Kavro::Wpk2Writer writer(Kavro::BuildArchiveKey());
        for (const auto& [name, data] : entries)
            writer.add(name, data);
        ASSERT_TRUE(writer.writeFile(dir.file(archive), nullptr));
        const auto key = Kavro::BuildArchiveKey();
        const uint32_t length = 32;
        ASSERT_EQ(core->fileSystem->mount(archive.c_str(), key.data(), &length), 0);
    }

    OrvaneTest::TempDirectory dir;
    std::filesystem::path previous;
    OrvaneTest::FakeCore* core = nullptr;
    CApp* app = nullptr;
};

} // namespace

TEST_F(ArchiveEngineFile, RecordsWrittenToAFileReadBackFromAnArchive)
{
    const std::vector<std::string> strings = {"", "名前", std::string(100000, 'q'), "last"};
    Kavro::CRandom random(77);
    for (int i = 0; i < 1000; ++i)
        random.Next();
    {
        CFile file;
        ASSERT_EQ(file.open("records.bin", 0, 1, 0), 0); // written through the library as a plain file
        for (const auto& s : strings)
            ASSERT_EQ(SaveString(file, s), 1);
        ASSERT_EQ(SaveRandomState(file, random), 1);
    }
    const auto bytes = dir.read("records.bin");
    std::filesystem::remove(dir.file("records.bin"));
    pack("save.wpk", {{"save/records.bin", bytes},
                      {"save/cut.bin", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 5 + 4 + 100)}});

    CFile file("save/records.bin");
    EXPECT_EQ(file.getFileSize(), bytes.size());
    for (const auto& expected : strings)
    {
        std::string s;
        ASSERT_EQ(LoadString(file, s), 1);
        EXPECT_EQ(s, expected);
    }
    Kavro::CRandom restored;
    ASSERT_EQ(LoadRandomState(file, restored), 1);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(restored.Next(), random.Next());

    CFile cut("save/cut.bin");
    std::string s = "kept";
    ASSERT_EQ(LoadString(cut, s), 1); // the empty string is whole
    ASSERT_EQ(LoadString(cut, s), 1); // "名前" is whole too
    EXPECT_EQ(s, "名前");
    EXPECT_EQ(LoadString(cut, s), 0); // the long string is cut off
    EXPECT_EQ(s, "名前");
}
