#include "StartupSettings.h"

#include <gtest/gtest.h>

using Orvane::parseStartupSettings;
using Orvane::StartupSettings;

TEST(StartupSettings, KeysOverrideDefaultsAndMissingKeysKeepThem)
{
    StartupSettings settings;
    ASSERT_EQ(parseStartupSettings("[Init]\nSCREEN_WIDTH=800\nWINDOW_NAME=\"Demo\"\n[App]\nVERSION=\"1.5\"\n",
                                   settings),
              0);
    EXPECT_EQ(settings.screenWidth, 800);
    EXPECT_EQ(settings.screenHeight, 720);
    EXPECT_EQ(settings.windowName, "Demo");
    EXPECT_EQ(settings.savePath, "dev/Save");
    EXPECT_EQ(settings.version, "1.5");
    EXPECT_EQ(settings.soundType, -1);
}

TEST(StartupSettings, ByteOrderMarkIsSkipped)
{
    StartupSettings settings;
    ASSERT_EQ(parseStartupSettings("\xEF\xBB\xBF[Init]\nSCREEN_HEIGHT=600\n", settings), 0);
    EXPECT_EQ(settings.screenHeight, 600);
}

TEST(StartupSettings, ShiftJisTextIsReadWhenItIsNotUtf8)
{
    // "ゲーム" in code page 932; 0x83 cannot begin a UTF-8 sequence.
    StartupSettings settings;
    ASSERT_EQ(parseStartupSettings("[Init]\nWINDOW_NAME=\"\x83Q\x81[\x83\x80\"\n", settings), 0);
    EXPECT_EQ(settings.windowName, "ゲーム");
}

TEST(StartupSettings, SoundTypeNamesCompareExactly)
{
    const std::pair<const char*, int> cases[] = {{"Default", -1}, {"DirectSound", 0}, {"CRIAdx2", 1},
                                                 {"XAudio2", 2},  {"directsound", -1}, {"", -1}};
    for (const auto& [name, type] : cases) EXPECT_EQ(Orvane::soundTypeFromName(name), type) << name;

    StartupSettings settings;
    ASSERT_EQ(parseStartupSettings("[Init]\nSOUND_TYPE=\"XAudio2\"\n", settings), 0);
    EXPECT_EQ(settings.soundType, 2);
}

TEST(StartupSettings, FontFilesInKeyOrderWithoutEmptyValues)
{
    StartupSettings settings;
    ASSERT_EQ(parseStartupSettings("[Font]\nB=\"b.ttf\"\nA=\"\"\nC=\"c.otf\"\n", settings), 0);
    EXPECT_EQ(settings.fontFiles, (std::vector<std::string>{"b.ttf", "c.otf"}));
}
