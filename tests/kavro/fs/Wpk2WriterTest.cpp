#include "Wpk2TestArchives.h"
#include "fs/Wpk2WriterFaults.h"
#include "support/TempDirectory.h"

#include <kavro/Wpk2Archive.h>
#include <kavro/Wpk2File.h>

#include <gtest/gtest.h>

#include <filesystem>

using namespace Kavro;
using OrvaneTest::TempDirectory;

namespace
{

// Text and noise, whole blocks, a partial last block, one-piece and empty entries.
void AddMixedEntries(Wpk2Writer& writer)
{
    writer.add("text.txt", OrvaneTest::TextBytes(300000, 1));
    writer.add("noise.bin", OrvaneTest::NoiseBytes(200000, 2));
    writer.add("small.ini", OrvaneTest::TextBytes(900, 3));
    writer.add("whole.bin", OrvaneTest::TextBytes(100000, 4), Wpk2Writer::OnePiece);
    writer.add("empty.txt", {});
}

std::vector<std::string> Listing(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(Wpk2Writer, OutputIsTheSameForAnyThreadCountAndForEntriesReadFromFiles)
{
    auto single = OrvaneTest::FixedWriter();
    single.setThreads(1);
    AddMixedEntries(single);
    const std::vector<uint8_t> expected = single.build();
    ASSERT_FALSE(expected.empty());

    for (unsigned threads : {2u, 3u, 8u, 0u})
    {
        auto parallel = OrvaneTest::FixedWriter();
        parallel.setThreads(threads);
        AddMixedEntries(parallel);
        EXPECT_EQ(parallel.build(), expected) << threads << " threads";
    }

    TempDirectory dir;
    auto fromFiles = OrvaneTest::FixedWriter();
    auto reference = OrvaneTest::FixedWriter();
    AddMixedEntries(reference);
    for (const char* name : {"text.txt", "noise.bin", "small.ini", "whole.bin", "empty.txt"})
    {
        Wpk2Archive archive;
        Wpk2File file;
        file.openMemory(expected);
        ASSERT_EQ(archive.load(file, BuildArchiveKey()), Wpk2::Ok);
        const Wpk2Entry& entry = *archive.find(name);
        std::vector<uint8_t> bytes(entry.size);
        ASSERT_EQ(archive.readWhole(file, entry, bytes.data(), bytes.size()), Wpk2::Ok);
        dir.write(name, bytes);
        fromFiles.addFile(name, dir.file(name), bytes.size(),
                          std::string(name) == "whole.bin" ? Wpk2Writer::OnePiece : Wpk2Writer::Auto);
    }
    ASSERT_TRUE(fromFiles.writeFile(dir.file("out.wpk"), nullptr));
    EXPECT_EQ(dir.read("out.wpk"), expected);
}

TEST(Wpk2Writer, AFileThatChangedSizeFailsTheWriteNamingIt)
{
    TempDirectory dir;
    dir.write("grew.txt", OrvaneTest::TextBytes(1000, 5));
    dir.write("old.wpk", {1, 2, 3});
    for (uint64_t listed : {999u, 1001u})
    {
        auto writer = OrvaneTest::FixedWriter();
        writer.addFile("grew.txt", dir.file("grew.txt"), listed);
        std::string error;
        EXPECT_FALSE(writer.writeFile(dir.file("old.wpk"), &error));
        EXPECT_EQ(error, "cannot write " + dir.file("old.wpk") + ": " + dir.file("grew.txt") + " changed while it was packed");
    }
    auto writer = OrvaneTest::FixedWriter();
    writer.addFile("gone.txt", dir.file("gone.txt"), 10);
    std::string error;
    EXPECT_FALSE(writer.writeFile(dir.file("old.wpk"), &error));
    EXPECT_EQ(error, "cannot write " + dir.file("old.wpk") + ": cannot read " + dir.file("gone.txt") +
                         ": No such file or directory");
    EXPECT_EQ(dir.read("old.wpk"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"grew.txt", "old.wpk"}));
}

TEST(Wpk2Writer, AFailingCipherIsReportedAndLeavesNoOutput)
{
    TempDirectory dir;
    dir.write("old.wpk", {1, 2, 3});
    auto writer = OrvaneTest::FixedWriter();
    AddMixedEntries(writer);
    Wpk2WriterFaults::failCipher(true);
    std::string error;
    const bool written = writer.writeFile(dir.file("old.wpk"), &error);
    const bool writtenNew = writer.writeFile(dir.file("new.wpk"), nullptr);
    const bool built = !writer.build().empty();
    Wpk2WriterFaults::failCipher(false);
    EXPECT_FALSE(written);
    EXPECT_FALSE(writtenNew);
    EXPECT_FALSE(built);
    EXPECT_EQ(error, "cannot write " + dir.file("old.wpk") + ": the cipher failed");
    EXPECT_EQ(dir.read("old.wpk"), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"old.wpk"});
    EXPECT_TRUE(writer.writeFile(dir.file("new.wpk"), nullptr));
}

TEST(Wpk2Writer, NoRandomVectorMeansNoArchiveUntilOneIsSet)
{
    TempDirectory dir;
    Wpk2WriterFaults::failRandom(true);
    Wpk2Writer writer(BuildArchiveKey());
    Wpk2WriterFaults::failRandom(false);
    writer.add("a.txt", OrvaneTest::TextBytes(100, 6));
    std::string error;
    EXPECT_FALSE(writer.writeFile(dir.file("a.wpk"), &error));
    EXPECT_EQ(error, "cannot write " + dir.file("a.wpk") + ": no random bytes for the archive's vector");
    EXPECT_TRUE(Listing(dir.path()).empty());
    writer.setIv(OrvaneTest::FixedIv());
    EXPECT_TRUE(writer.writeFile(dir.file("a.wpk"), nullptr));

    // Two writers with random vectors do not share one.
    const auto first = Wpk2Writer(BuildArchiveKey()).build();
    const auto second = Wpk2Writer(BuildArchiveKey()).build();
    ASSERT_EQ(first.size(), 32u);
    ASSERT_EQ(second.size(), 32u);
    EXPECT_NE(std::vector<uint8_t>(first.begin() + 8, first.begin() + 24),
              std::vector<uint8_t>(second.begin() + 8, second.begin() + 24));
}
