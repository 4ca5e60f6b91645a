#include "LauncherLogic.h"

#include "support/FakeCore.h"

#include <cstdlib>
#include <gtest/gtest.h>

TEST(LauncherLogic, ResolutionsAreFoundOnlyWhenOffered)
{
    EXPECT_EQ(Orvane::findLauncherResolution(1280, 960), 3);
    EXPECT_EQ(Orvane::findLauncherResolution(640, 480), 0);
    EXPECT_EQ(Orvane::findLauncherResolution(1366, 768), -1);
    EXPECT_STREQ(Orvane::launcherResolutions()[5].label, "1920x1440");
}

TEST(LauncherLogic, PathExpansion)
{
    setenv("XDG_DATA_HOME", "/home/player/.data", 1);
    EXPECT_EQ(Orvane::expandLauncherPath("<APPDATA>\\Game\\\\Save"), "/home/player/.data/Game/Save");
    EXPECT_EQ(Orvane::expandLauncherPath("file:///srv//game/"), "/srv/game/");
    EXPECT_EQ(Orvane::expandLauncherPath("dev/Save"), "dev/Save");
    const std::string temp = Orvane::expandLauncherPath("<TEMP>/a");
    EXPECT_EQ(temp.find("<TEMP>"), std::string::npos);
    EXPECT_EQ(temp.substr(temp.size() - 2), "/a");
    unsetenv("XDG_DATA_HOME");
}

TEST(LauncherLogic, SystemInfoJoinsEightLines)
{
    OrvaneTest::FakeCore core;
    for (int line = 1; line <= 8; ++line) core.systemInfoLines[line] = "line" + std::to_string(line);
    // "DirectX 9.0c以上" in code page 932.
    core.systemInfoLines[7] = "GL 3.3\x88\xc8\x8f\xe3";
    EXPECT_EQ(Orvane::collectSystemInfo(core),
              "line1\r\nline2\r\nline3\r\nline4\r\nline5\r\nline6\r\nGL 3.3 or better\r\nline8");
}
