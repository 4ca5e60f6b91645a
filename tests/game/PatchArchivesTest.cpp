#include "PatchArchives.h"

#include "support/TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

// Names keep their case so that they can be opened; order and duplicates ignore case.
TEST(PatchArchives, RegularWpkFilesSortedAndUniqueWithoutRegardToCase)
{
    OrvaneTest::TempDirectory dir;
    dir.write("B.wpk", {1});
    dir.write("a.WPK", {1});
    dir.write("b.WPK", {1});
    dir.write("UPPER.WPK", {1});
    dir.write("notes.txt", {1});
    std::filesystem::create_directory(dir.path() / "folder.wpk");

    const std::vector<std::string> names = Orvane::listPatchArchives(dir.path().string());
    EXPECT_EQ(names, (std::vector<std::string>{"patch/a.WPK", "patch/B.wpk", "patch/UPPER.WPK"}));
    for (const std::string& name : names)
        EXPECT_TRUE(std::filesystem::is_regular_file(dir.path() / name.substr(6))) << name;
}

TEST(PatchArchives, MissingFolderGivesNothing)
{
    OrvaneTest::TempDirectory dir;
    EXPECT_TRUE(Orvane::listPatchArchives(dir.file("patch")).empty());
}

TEST(PatchArchives, BaseArchivesEndWithTheSystemArchive)
{
    const auto& names = Orvane::baseArchiveNames();
    ASSERT_EQ(names.size(), 8u);
    EXPECT_EQ(names.front(), "script.wpk");
    EXPECT_EQ(names.back(), "system.wpk");
}
