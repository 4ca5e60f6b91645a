#include <kavro/CFile.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

TEST(KavroCFile, WriteReadSeekLoad)
{
    const auto path = (std::filesystem::temp_directory_path() / "kavro_cfile_test.bin").string();
    {
        Kavro::CFile file;
        ASSERT_EQ(file.Open(path.c_str(), 1), 0);
        EXPECT_EQ(file.Write("hello world", 11), 11u);
        EXPECT_EQ(file.Flush(), 0);
    }
    Kavro::CFile file;
    ASSERT_EQ(file.Open(path.c_str(), 0), 0);
    EXPECT_TRUE(file.IsOpened());
    EXPECT_EQ(file.GetFileSize(), 11u);
    ASSERT_EQ(file.SeekStart(6), 0);
    char buf[8] = {};
    EXPECT_EQ(file.Read(buf, 8), 5u);
    EXPECT_EQ(std::string(buf, 5), "world");
    EXPECT_EQ(file.GetFilePosition(), 11);
    ASSERT_EQ(file.SeekEnd(-5), 0);
    ASSERT_EQ(file.Seek(-1), 0);
    EXPECT_EQ(file.GetFilePosition(), 5);
    ASSERT_EQ(file.Load(), 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.GetLoadData()), 11), "hello world");
    file.Close();
    EXPECT_FALSE(file.IsOpened());
    std::filesystem::remove(path);
}

TEST(KavroCFile, FailuresAreReported)
{
    Kavro::CFile file;
    EXPECT_EQ(file.Open("/nonexistent-dir/none", 0), -1);
    EXPECT_EQ(file.Open("x", 7), -1);
    char c;
    EXPECT_EQ(file.Read(&c, 1), 0u);
    EXPECT_EQ(file.Load(), -1);
    EXPECT_EQ(file.SeekStart(0), -1);
}
