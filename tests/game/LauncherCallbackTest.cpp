#include "CHaldenExConfigSerializer.h"
#include "CHaldenInitCallback.h"

#include "core/CApp.h"
#include "core/CAppSystemState.h"
#include "core/StartupState.h"

#include "support/DirectoryFileSystem.h"
#include "support/FakeCore.h"
#include "support/TempDirectory.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace Orvane;
using OrvaneTest::TempDirectory;

namespace
{

// An application object with a save folder in a temporary directory, a game record and a callback
// whose dialog is played by the test.
class LauncherCallback : public ::testing::Test
{
protected:
    LauncherCallback()
    {
        setSettingsFileName("system.dat");
        setSavePathRoot(saveFolder());
        CApp::set(app);
        app->fileSystem = new OrvaneTest::DirectoryFileSystem(temp.path());
        record->value = 5;
        callback.setOpener([this](const std::string& target) { opened.push_back(target); });
    }
    ~LauncherCallback() override
    {
        CApp::set(nullptr);
        app->release();
        record->release();
    }

    std::string saveFolder() const { return (temp.path() / "save").string(); }
    // A record on disk as a previous run left it.
    void storeRecord(uint32_t width, uint32_t height, uint32_t fullScreen)
    {
        std::filesystem::create_directories(saveFolder());
        app->setGameRecord(record);
        app->systemState->screenWidth = width;
        app->systemState->screenHeight = height;
        app->systemState->fullScreen = fullScreen;
        app->systemState->useToneMapping = 1;
        app->systemState->antiAliasType = 8;
        ASSERT_EQ(app->saveSystemState(), 0);
    }
    // Plays the dialog: records what it was shown and answers with result after applying choose.
    int run(int result, const std::function<void(Kavro::LauncherDialogModel&)>& choose = {})
    {
        callback.setDialogRunner([&, result](Kavro::LauncherDialogModel& model) {
            shown = model;
            if (choose) choose(model);
            return result;
        });
        return callback.onInitialize(&core);
    }
    // What the next run reads from "system.dat".
    struct Stored
    {
        uint32_t screenWidth, screenHeight, fullScreen, antiAliasType, useHDR, useToneMapping, pointLightNum;
        int32_t gameValue;
    };
    Stored reread()
    {
        CApp* other = new CApp;
        CApp::set(other);
        auto* otherRecord = new CHaldenExConfigSerializer;
        other->setGameRecord(otherRecord);
        other->loadSystemState();
        const CAppSystemState& state = *other->systemState;
        const Stored stored{state.screenWidth,    state.screenHeight,   state.fullScreen,
                            state.antiAliasType,  state.useHDR,         state.useToneMapping,
                            state.pointLightNum,  otherRecord->value};
        otherRecord->release();
        CApp::set(app);
        other->release();
        return stored;
    }

    TempDirectory temp;
    CApp* app = new CApp("Test", 1280, 720);
    CHaldenExConfigSerializer* record = new CHaldenExConfigSerializer;
    CHaldenInitCallback callback{record};
    OrvaneTest::FakeCore core;
    Kavro::LauncherDialogModel shown;
    std::vector<std::string> opened;
};

TEST_F(LauncherCallback, PreselectsTheStoredScreen)
{
    const struct
    {
        uint32_t width, height, fullScreen;
        int index;
    } cases[] = {{800, 600, 1, 1}, {1920, 1440, 0, 5}, {1366, 768, 0, 3}, {640, 480, 0, 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        storeRecord(c.width, c.height, c.fullScreen);
        EXPECT_EQ(run(0), 0);
        EXPECT_EQ(shown.resolutionIndex, c.index);
        EXPECT_EQ(shown.fullScreen, int(c.fullScreen));
        EXPECT_EQ(shown.resolutions.size(), 6u);
        EXPECT_EQ(shown.caption, "Kiru Launcher");
    }
}

TEST_F(LauncherCallback, StartGameStoresTheChoicesAndDropsTheQuality)
{
    storeRecord(1366, 768, 0);
    EXPECT_EQ(run(1), 1);
    EXPECT_EQ(app->gameRecord, record);

    const Stored stored = reread();
    EXPECT_EQ(stored.screenWidth, 1280u);
    EXPECT_EQ(stored.screenHeight, 960u);
    EXPECT_EQ(stored.fullScreen, 0u);
    EXPECT_EQ(stored.antiAliasType, 0u);
    EXPECT_EQ(stored.useHDR, 0u);
    EXPECT_EQ(stored.pointLightNum, 0u);
    EXPECT_EQ(stored.useToneMapping, 1u);
    EXPECT_EQ(stored.gameValue, 0);
    EXPECT_TRUE(std::filesystem::is_directory(saveFolder() + "/common"));

    EXPECT_EQ(run(1, [](Kavro::LauncherDialogModel& model) {
                  model.fullScreen = 1;
                  model.resolutionIndex = 0;
              }),
              1);
    const Stored chosen = reread();
    EXPECT_EQ(chosen.screenWidth, 640u);
    EXPECT_EQ(chosen.screenHeight, 480u);
    EXPECT_EQ(chosen.fullScreen, 1u);
}

TEST_F(LauncherCallback, QuitLeavesTheSettingsFileAsItWas)
{
    storeRecord(800, 600, 1);
    const auto before = temp.read("save/system.dat");
    EXPECT_EQ(run(0, [](Kavro::LauncherDialogModel& model) { model.resolutionIndex = 5; }), 0);
    EXPECT_EQ(temp.read("save/system.dat"), before);
    EXPECT_FALSE(std::filesystem::exists(saveFolder() + "/common"));
}

TEST_F(LauncherCallback, WithoutADialogTheStoredChoicesAreStartedAndKept)
{
    storeRecord(1600, 1200, 1);
    EXPECT_EQ(run(-1, [](Kavro::LauncherDialogModel& model) { model.resolutionIndex = 0; }), -1);
    const Stored stored = reread();
    EXPECT_EQ(stored.screenWidth, 1600u);
    EXPECT_EQ(stored.screenHeight, 1200u);
    EXPECT_EQ(stored.fullScreen, 1u);
    EXPECT_EQ(stored.gameValue, 5);
    EXPECT_TRUE(std::filesystem::is_directory(saveFolder() + "/common"));
}

TEST_F(LauncherCallback, ManualAndSaveFolderButtonsOpenTheirPaths)
{
    run(0, [](Kavro::LauncherDialogModel& model) {
        model.openManual();
        model.openSaveFolder();
    });
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::filesystem::current_path().string() + "/Kiru_Manual.pdf");
    EXPECT_EQ(opened[1], saveFolder() + "/");
}

} // namespace
