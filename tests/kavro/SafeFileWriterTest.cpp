#include <kavro/CFile.h>
#include <kavro/SafeFileWriter.h>

#include "value/SafeFileFaults.h"

#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using Faults = Kavro::SafeFileFaults::Step;
using OrvaneTest::TempDirectory;

namespace
{

std::vector<std::string> Listing(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const std::vector<uint8_t> OldSave = OrvaneTest::NoiseBytes(5000, 1);
const std::vector<uint8_t> NewSave = OrvaneTest::NoiseBytes(7000, 2);

} // namespace

TEST(SafeFileWriter, ReplacesTheFileAndLeavesNothingElse)
{
    TempDirectory dir;
    dir.write("save.dat", OldSave);
    std::string error = "untouched";
    ASSERT_EQ(Kavro::WriteFileReplacing(dir.file("save.dat"), NewSave.data(), NewSave.size(), &error), 0);
    EXPECT_EQ(error, "untouched");
    EXPECT_EQ(dir.read("save.dat"), NewSave);
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"save.dat"});
}

TEST(SafeFileWriter, CreatesAMissingFileAndKeepsPermissionsOfAReplacedOne)
{
    TempDirectory dir;
    ASSERT_EQ(Kavro::WriteFileReplacing(dir.file("new.dat"), "abc", 3), 0);
    EXPECT_EQ(dir.read("new.dat"), (std::vector<uint8_t>{'a', 'b', 'c'}));

    fs::permissions(dir.file("new.dat"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_EQ(Kavro::WriteFileReplacing(dir.file("new.dat"), "de", 2), 0);
    EXPECT_EQ(fs::status(dir.file("new.dat")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(SafeFileWriter, ASymbolicLinkIsFollowedAndKept)
{
    TempDirectory dir;
    dir.write("real.dat", OldSave);
    fs::create_symlink("real.dat", dir.path() / "link.dat");
    ASSERT_EQ(Kavro::WriteFileReplacing(dir.file("link.dat"), NewSave.data(), NewSave.size()), 0);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.dat"));
    EXPECT_EQ(dir.read("real.dat"), NewSave);
    EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"link.dat", "real.dat"}));
}

TEST(SafeFileWriter, RefusesToReplaceWhatIsNotARegularFile)
{
    TempDirectory dir;
    fs::create_directory(dir.path() / "folder");
    for (const std::string& target : {std::string("/dev/null"), dir.file("folder")})
    {
        SCOPED_TRACE(target);
        Kavro::SafeFileWriter out;
        EXPECT_EQ(out.open(target), -1);
        EXPECT_NE(out.error().find(target), std::string::npos) << out.error();
        EXPECT_NE(out.error().find("not a regular file"), std::string::npos) << out.error();
    }
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"folder"});
}

TEST(SafeFileWriter, AFolderThatCannotBeWrittenNamesThePathAndTheReason)
{
    std::string error;
    EXPECT_EQ(Kavro::WriteFileReplacing("/nonexistent-folder/save.dat", "x", 1, &error), -1);
    EXPECT_EQ(error, std::string("cannot create a file beside /nonexistent-folder/save.dat: ") + std::strerror(ENOENT));
}

TEST(SafeFileWriter, AbandoningKeepsTheOldFile)
{
    TempDirectory dir;
    dir.write("save.dat", OldSave);
    {
        Kavro::SafeFileWriter out;
        ASSERT_EQ(out.open(dir.file("save.dat")), 0);
        ASSERT_EQ(out.write(NewSave.data(), NewSave.size()), 0);
        ASSERT_EQ(out.flush(), 0);
    }
    EXPECT_EQ(dir.read("save.dat"), OldSave);
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"save.dat"});
}

struct InjectedFailure
{
    const char* name;
    Faults step;
    int error;
};

void PrintTo(const InjectedFailure& failure, std::ostream* out)
{
    *out << failure.name;
}

class SafeFileWriterFailure : public ::testing::TestWithParam<InjectedFailure>
{
};

// Every step that can fail keeps the old save byte-identical, removes the temporary file and says why.
TEST_P(SafeFileWriterFailure, KeepsTheOldFileAndReportsTheReason)
{
    TempDirectory dir;
    dir.write("save.dat", OldSave);
    Kavro::SafeFileWriter out;
    ASSERT_EQ(out.open(dir.file("save.dat")), 0);
    Kavro::SafeFileFaults::failNext(GetParam().step, GetParam().error);
    const bool written = out.write(NewSave.data(), NewSave.size()) == 0 && out.flush() == 0;
    EXPECT_EQ(out.commit(), -1);
    EXPECT_EQ(written, GetParam().step != Faults::Write && GetParam().step != Faults::Flush);
    EXPECT_EQ(Kavro::SafeFileFaults::take(GetParam().step), 0) << "the failure was never reached";
    EXPECT_NE(out.error().find(dir.file("save.dat") + ": " + std::strerror(GetParam().error)), std::string::npos)
        << out.error();
    EXPECT_EQ(dir.read("save.dat"), OldSave);
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"save.dat"});
    // A failed writer stays failed.
    EXPECT_EQ(out.write("x", 1), -1);
    EXPECT_EQ(out.commit(), -1);
}

INSTANTIATE_TEST_SUITE_P(Steps, SafeFileWriterFailure,
                         ::testing::Values(InjectedFailure{"Write", Faults::Write, ENOSPC},
                                           InjectedFailure{"Flush", Faults::Flush, ENOSPC},
                                           InjectedFailure{"Fsync", Faults::Sync, EIO},
                                           InjectedFailure{"Close", Faults::Close, EDQUOT},
                                           InjectedFailure{"Rename", Faults::Rename, EXDEV}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(KavroCFileSave, AFailedRenameAtCloseKeepsTheOldFile)
{
    TempDirectory dir;
    dir.write("save.dat", OldSave);
    Kavro::CFile file;
    ASSERT_EQ(file.Open(dir.file("save.dat").c_str(), Kavro::CFile::ModeWrite), 0);
    EXPECT_EQ(file.Write(NewSave.data(), uint32_t(NewSave.size())), NewSave.size());
    EXPECT_EQ(file.Flush(), 0);
    EXPECT_EQ(dir.read("save.dat"), OldSave) << "nothing replaced before Close";
    Kavro::SafeFileFaults::failNext(Faults::Rename, EACCES);
    EXPECT_EQ(file.Close(), -1);
    EXPECT_NE(file.GetWriteError().find(std::strerror(EACCES)), std::string::npos);
    EXPECT_EQ(dir.read("save.dat"), OldSave);
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"save.dat"});
}

TEST(KavroCFileSave, WritingSeeksAndRewritesBeforeClose)
{
    TempDirectory dir;
    Kavro::CFile file;
    ASSERT_EQ(file.Open(dir.file("save.dat").c_str(), Kavro::CFile::ModeWrite), 0);
    EXPECT_EQ(file.Write("....body", 8), 8u);
    EXPECT_EQ(file.GetFilePosition(), 8);
    ASSERT_EQ(file.SeekStart(0), 0);
    EXPECT_EQ(file.Write("head", 4), 4u);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(dir.read("save.dat"), (std::vector<uint8_t>{'h', 'e', 'a', 'd', 'b', 'o', 'd', 'y'}));
}

// A sparse file; the folder's file system must support holes (ext4, tmpfs, xfs and btrfs do).
TEST(KavroCFileSave, FilesOfFourGibibytesAndMoreFailToLoadClearly)
{
    TempDirectory dir;
    const std::string path = dir.file("huge.bin");
    dir.write("huge.bin", {});
    ASSERT_EQ(::truncate(path.c_str(), (int64_t(1) << 32) + 10), 0) << std::strerror(errno);
    Kavro::CFile file;
    ASSERT_EQ(file.Open(path.c_str(), Kavro::CFile::ModeRead), 0);
    EXPECT_EQ(file.GetFileSize(), 0u);
    EXPECT_EQ(file.Load(), -1);
    EXPECT_EQ(file.GetLoadData(), nullptr);
    // Seeking past 4 GiB still works.
    ASSERT_EQ(file.SeekEnd(-1), 0);
    EXPECT_EQ(file.GetFilePosition(), (int64_t(1) << 32) + 9);
}

namespace
{

// A file-size limit stands in for a full disk: a write past it fails with EFBIG (the signal that would
// end the process is ignored meanwhile).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

} // namespace

// A seek between the writes flushes the buffer; when the disk is full that flush fails inside the
// seek. The save must fail and the old file must stay, whatever the write pattern.
TEST(KavroCFileSave, AFullDiskKeepsTheOldFileWhereverTheWritesFail)
{
    struct Case
    {
        const char* name;
        bool seekInTheMiddle;
        bool checkEveryWrite;
    };
    const Case cases[] = {
        {"plain writes", false, false},
        {"a seek in the middle", true, false},
        {"a seek in the middle, every result checked", true, true},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        TempDirectory dir;
        const std::vector<uint8_t> old = OrvaneTest::NoiseBytes(3000, 3);
        dir.write("save.dat", old);
        const std::vector<uint8_t> save = OrvaneTest::NoiseBytes(40000, 4);
        int result = 0;
        {
            FileSizeLimit full(12288);
            Kavro::CFile file;
            ASSERT_EQ(file.Open(dir.file("save.dat").c_str(), Kavro::CFile::ModeWrite), 0);
            bool allWritten = true;
            for (size_t at = 0; at < save.size(); at += 1000)
            {
                allWritten = file.Write(save.data() + at, 1000) == 1000 && allWritten;
                if (c.seekInTheMiddle && at == 20000)
                    allWritten = file.SeekStart(0) == 0 && file.SeekEnd(0) == 0 && allWritten;
                if (c.checkEveryWrite && !allWritten)
                    break;
            }
            result = file.Close();
            EXPECT_FALSE(file.GetWriteError().empty());
        }
        EXPECT_EQ(result, -1);
        EXPECT_EQ(dir.read("save.dat"), old);
        EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"save.dat"});
    }
}

// A byte lost to a seek on the stream taken from the writer is still noticed at commit.
TEST(SafeFileWriter, AnErrorOnTheStreamIsNeverRenamedIntoPlace)
{
    TempDirectory dir;
    dir.write("save.dat", OldSave);
    Kavro::SafeFileWriter out;
    ASSERT_EQ(out.open(dir.file("save.dat")), 0);
    ASSERT_EQ(out.write(NewSave.data(), NewSave.size()), 0);
    {
        FileSizeLimit full(1024);
        ::fseeko(out.stream(), 0, SEEK_SET);
    }
    ASSERT_TRUE(std::ferror(out.stream()));
    EXPECT_EQ(out.commit(), -1);
    EXPECT_EQ(dir.read("save.dat"), OldSave);
    EXPECT_EQ(Listing(dir.path()), std::vector<std::string>{"save.dat"});
}

// A save killed midway leaves its temporary file; the next save of the same file removes it, but not
// one of a process still running, nor files that only look alike.
TEST(SafeFileWriter, TheNextSaveRemovesTemporariesOfDeadProcesses)
{
    TempDirectory dir;
    dir.write("save.dat", OldSave);
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ASSERT_GT(dead, 0);
    ::waitpid(dead, nullptr, 0);
    const std::string deadTemporary = "save.dat.tmp" + std::to_string(dead) + "-7";
    const std::string liveTemporary = "save.dat.tmp" + std::to_string(::getppid()) + "-3";
    const std::vector<std::string> kept = {"other.dat.tmp" + std::to_string(dead) + "-1",
                                           "save.dat.tmp" + std::to_string(dead) + "-x", "save.dat.tmpbackup",
                                           liveTemporary};
    dir.write(deadTemporary, NewSave);
    for (const std::string& name : kept)
        dir.write(name, NewSave);
    ASSERT_EQ(Kavro::WriteFileReplacing(dir.file("save.dat"), "new", 3), 0);
    std::vector<std::string> expected = kept;
    expected.push_back("save.dat");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Listing(dir.path()), expected);
}
