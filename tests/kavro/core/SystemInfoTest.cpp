#include "core/CSystemInfo.h"

#include <gtest/gtest.h>

#include <cstring>

using Kavro::CSystemInfo;

TEST(SystemInfo, ParsesTheSystemFiles)
{
    EXPECT_EQ(CSystemInfo::CpuModel("processor\t: 0\nvendor_id\t: X\nmodel name\t: Example CPU @ 3.0GHz\n"),
              "Example CPU @ 3.0GHz");
    EXPECT_EQ(CSystemInfo::CpuModel("processor : 0\n"), "");
    EXPECT_EQ(CSystemInfo::MemoryMiB("MemTotal:       16314660 kB\nMemFree: 1 kB\n"), 15932);
    EXPECT_EQ(CSystemInfo::MemoryMiB("MemFree: 1 kB\n"), -1);
    EXPECT_EQ(CSystemInfo::MemoryMiB("MemTotal: lots\n"), -1);
    EXPECT_EQ(CSystemInfo::PrettyName("NAME=\"Debian\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n"),
              "Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(CSystemInfo::PrettyName("PRETTY_NAME=Plain\n"), "Plain");
    EXPECT_EQ(CSystemInfo::SoundCards(" 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
                                      "                      HDA Intel PCH at 0xf0000000 irq 130\n"
                                      " 1 [Device         ]: USB-Audio - USB Audio Device\n"),
              "HDA Intel PCH, USB Audio Device");
    EXPECT_EQ(CSystemInfo::SoundCards("--- no soundcards ---\n"), "");
}

TEST(SystemInfo, CopyCutsToTheBufferAndTerminates)
{
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(CSystemInfo::Copy("abcdefghij", buffer, 8), 7);
    EXPECT_STREQ(buffer, "abcdefg");
    EXPECT_EQ(CSystemInfo::Copy("ab", buffer, 8), 2);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(CSystemInfo::Copy("ab", buffer, 1), 0);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(CSystemInfo::Copy("ab", buffer, 0), -1);
    EXPECT_EQ(CSystemInfo::Copy("ab", nullptr, 8), -1);
}

TEST(SystemInfo, DisplayLineLeavesOutWhatIsNotKnown)
{
    const struct
    {
        int width, height, refresh;
        const char* driver;
        const char* line;
    } cases[] = {
        {1920, 1080, 60, "x11", "Display: 1920 x 1080, 60 Hz (x11)"},
        {1280, 1024, 0, "x11", "Display: 1280 x 1024 (x11)"},
        {1024, 768, 0, "offscreen", "Display: none (drawing offscreen)"},
        {1024, 768, 0, "dummy", "Display: none (drawing offscreen)"},
        {800, 600, 75, nullptr, "Display: 800 x 600, 75 Hz (?)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CSystemInfo::DisplayLine(c.width, c.height, c.refresh, c.driver), c.line);
}
