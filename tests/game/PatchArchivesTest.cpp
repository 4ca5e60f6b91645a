#include "PatchArchives.h"

#include "support/TempDirectory.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(PatchArchives, RegularWpkFilesLowerCasedSortedAndUnique)
{
    OrvaneTest::TempDirectory dir;
    dir.write("B.wpk", {1});
    dir.write("a.WPK", {1});
    dir.write("b.WPK", {1});
    dir.write("notes.txt", {1});
    std::filesystem::create_directory(dir.path() / "folder.wpk");

    EXPECT_EQ(Orvane::listPatchArchives(dir.path().string()),
              (std::vector<std::string>{"patch/a.wpk", "patch/b.wpk"}));
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
