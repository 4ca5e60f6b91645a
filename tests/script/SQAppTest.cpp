// The application script class inside a running application over the fake core: construction,
// time, input through the owning task, cursor, textures, mounts, settings, message boxes and the
// window's close request.

#include "ScriptedAppFixture.h"

#include "core/CAppSystemState.h"
#include "core/CFile.h"
#include "core/CFontPool.h"
#include "core/CSoundGroup.h"
#include "core/CSoundManager.h"
#include "core/CSoundTypeVolume.h"
#include "core/CTask.h"
#include "core/IScreenSprite.h"
#include "particle/ParticleCaches.h"

#include "support/DirectoryFileSystem.h"
#include "support/FakeTaskObjects.h"

#include "fs/ArchiveFileSystem.h"

#include <kavro/ArchiveKey.h>
#include <kavro/Wpk2Writer.h>

#include <kavro/MessageBox.h>
#include <kavro/WindowMessage.h>

#include <sys/stat.h>

#include <cctype>
#include <ctime>
#include <filesystem>

using namespace OrvaneTest;

namespace
{

// Logs every mount with the key it was given; without a key it mounts with its own, as the library's
// archive file system does.
class RecordingMountFileSystem : public DirectoryFileSystem
{
public:
    using DirectoryFileSystem::DirectoryFileSystem;
    int mount(const char* name, const uint8_t* key, const uint32_t* keyLength) override
    {
        static const uint8_t builtInKey[32] = {};
        static const uint32_t builtInLength = 32;
        std::string hex;
        for (uint32_t i = 0; key && keyLength && i < *keyLength; ++i)
            hex += "0123456789abcdef"[key[i] >> 4], hex += "0123456789abcdef"[key[i] & 15];
        mounts.add("mount", name, keyLength ? *keyLength : 99u, hex);
        if (!key && keyLength && *keyLength == 0)
            return DirectoryFileSystem::mount(name, builtInKey, &builtInLength);
        return DirectoryFileSystem::mount(name, key, keyLength);
    }
    CallLog mounts;
};

const char* const idleMain = "::app <- SQApp(\"app\");\nwhile (true) Suspend();\n";

class SQAppTest : public ScriptedAppTest
{
protected:
    // Starts the idle main script and runs its first frame.
    void startIdle()
    {
        start(idleMain);
        ASSERT_EQ(frame(16), 0);
        ASSERT_EQ(app->scriptHost->getRunState(), 2);
    }
    std::string vectorResult() { return eval("SQMATH_RET_1 + \",\" + SQMATH_RET_2 + \",\" + SQMATH_RET_3 + \",\" + SQMATH_RET_4"); }
    void closeWindow() { app->getTopTask()->windowProc(core, Kavro::WM_CLOSE, 0, 0); }
};

TEST_F(SQAppTest, ConstructionTakesANameAndJoinsTheTopTask)
{
    startIdle();
    EXPECT_NE(app->getTopTask()->findTaskObject("app"), nullptr);
    EXPECT_EQ(eval("SQApp()"), "error: Incorrect function argument");
    EXPECT_EQ(eval("SQApp(5)"), "error: Incorrect function argument");
    // A float where an integer is expected, and a method on something else.
    EXPECT_EQ(eval("::app.getKeyState(28.0)"), "error: Incorrect function argument");
    EXPECT_EQ(eval("::app.getFrameRate.call({})"), "error: Invalid Instance Type");
    EXPECT_EQ(eval("::app.getProductName() + \"|\" + ::app.getPlatformName()"), "Orvane Test|Fake");
}

TEST_F(SQAppTest, FrameSpeedFollowsTheFrameTime)
{
    startIdle();
    ASSERT_EQ(frame(20), 0);
    EXPECT_EQ(eval("::app.getFrameSpeed()"), "1.2");
    ASSERT_EQ(frame(100), 0);
    EXPECT_EQ(eval("::app.getFrameSpeed()"), "5");
    core->systemTime = 0x100000007ull;
    EXPECT_EQ(eval("::app.getMilliTime() == " + std::to_string(core->milliTime)), "true");
    EXPECT_EQ(eval("::app.getSystemTime()"), "7");
}

TEST_F(SQAppTest, MessageBoxShowsCaptionAndTextAndAnswersTheButton)
{
    RecordingMessageBoxSink sink;
    sink.answer = Kavro::IDNO;
    startIdle();
    EXPECT_EQ(eval("::app.showMessageBox(\"Question\", \"Save first?\", 4)"), "7");
    EXPECT_EQ(sink.log.calls(), std::vector<std::string>{"MessageBox(Question, Save first?, 4)"});
}

TEST_F(SQAppTest, CloseCallbackKeepsTheWindowOpenUntilTheScriptExits)
{
    startIdle();
    // Without a callback the close request ends the run.
    closeWindow();
    EXPECT_EQ(core->log.named("postQuitMessage").size(), 1u);

    ASSERT_EQ(run("::closes <- 0; ::app.setCloseCallback(function() { ::closes++; })"), "");
    closeWindow();
    closeWindow();
    EXPECT_EQ(eval("::closes"), "2");
    EXPECT_EQ(core->log.named("postQuitMessage").size(), 1u);

    ASSERT_EQ(run("::app.setCloseCallback(null)"), "");
    closeWindow();
    EXPECT_EQ(core->log.named("postQuitMessage").size(), 2u);

    // exit removes the callback and ends the run through the library.
    ASSERT_EQ(run("::app.setCloseCallback(function() { ::closes++; }); ::app.exit()"), "");
    EXPECT_EQ(core->log.named("exit").size(), 1u);
    closeWindow();
    EXPECT_EQ(eval("::closes"), "2");
}

TEST_F(SQAppTest, CloseCallbackThatThrowsShowsTheErrorBoxOnTheNextFrame)
{
    RecordingMessageBoxSink sink;
    start("::app <- SQApp(\"app\");\n"
          "app.setCloseCallback(function() { throw \"no closing now\"; });\n"
          "while (true) Suspend();\n");
    ASSERT_EQ(frame(16), 0);
    closeWindow();
    // The window stays open and nothing is shown yet; the error waits in the error text.
    EXPECT_TRUE(core->log.named("postQuitMessage").empty());
    EXPECT_TRUE(sink.log.calls().empty());
    EXPECT_NE(Orvane::CSquirrel::getErrorText().find("no closing now"), std::string::npos);

    // The next frame's script step fails on it; the main task shows its box and ends the run.
    ASSERT_EQ(frame(16), 0);
    EXPECT_EQ(app->scriptHost->getRunState(), -1);
    EXPECT_EQ(sink.log.calls().size(), 0u);
    ASSERT_EQ(frame(16), 0);
    ASSERT_EQ(sink.log.calls().size(), 1u);
    EXPECT_NE(sink.log.calls()[0].find("エラーが発生しました"), std::string::npos);
    EXPECT_EQ(core->log.named("postQuitMessage").size(), 1u);
}

TEST_F(SQAppTest, KeyRepeatsOncePerIntervalWhileHeld)
{
    start("::app <- SQApp(\"app\");\n"
          "::hits <- [];\n"
          "while (true) {\n"
          "  if (app.isKeyDown(28, 500))\n"
          "    hits.append(app.getMilliTime());\n"
          "  Suspend();\n"
          "}\n");
    // Well after start-up: the key's entry was never stamped.
    core->milliTime = 100000;
    core->input.keyboard.held[28] = 1;
    const uint32_t begin = core->milliTime;
    for (int i = 0; i < 60; ++i)
        ASSERT_EQ(frame(20), 0);
    // The first frame answers at once; then at most once per 500 ms (the stamp is taken on the
    // frame after the report).
    EXPECT_EQ(eval("::hits.len()"), "3");
    EXPECT_EQ(eval("::hits[0]"), std::to_string(begin + 20));
    EXPECT_EQ(eval("::hits[1] - ::hits[0]"), "520");
    EXPECT_EQ(eval("::hits[2] - ::hits[1]"), "520");

    // Released, then pressed again: reported at once.
    core->input.keyboard.held.erase(28);
    core->input.keyboard.wentUp[28] = 1;
    ASSERT_EQ(frame(20), 0);
    core->input.keyboard.wentUp.erase(28);
    core->input.keyboard.held[28] = 1;
    ASSERT_EQ(run("::hits.clear()"), "");
    ASSERT_EQ(frame(20), 0);
    EXPECT_EQ(eval("::hits.len()"), "1");
}

TEST_F(SQAppTest, InputFollowsTheOwningTask)
{
    startIdle();
    core->input.mouse.x = 30;
    core->input.mouse.y = 40;
    core->input.mouse.wheel = 1;
    core->input.keyboard.held[28] = 1;
    ASSERT_EQ(run("::app.getCursorPosition()"), "");
    EXPECT_EQ(vectorResult(), "30,40,0,0");
    EXPECT_EQ(eval("::app.getMouseWheelState() + \" \" + ::app.getKeyState(28)"), "1 1");

    // Another task on top: the instance of the main task reads the do-nothing devices.
    auto* other = new TestTask(log, "OTHER");
    app->taskStack.push_back(other);
    ASSERT_EQ(run("::app.getCursorPosition()"), "");
    EXPECT_EQ(vectorResult(), "-1,-1,0,0");
    EXPECT_EQ(eval("::app.getMouseWheelState() + \" \" + ::app.getKeyState(28) + \" \" + ::app.isKeyDown(28, 0)"),
              "4 0 0");
    EXPECT_EQ(eval("::app.isButtonDown(0, 4096, 0) + \" \" + ::app.getTouchContactNum()"), "0 0");
    app->taskStack.pop_back();
    other->release();
    ASSERT_EQ(run("::app.getCursorPosition()"), "");
    EXPECT_EQ(vectorResult(), "30,40,0,0");
}

TEST_F(SQAppTest, TouchAndGamepadAnswersAndVectors)
{
    startIdle();
    FakeTouch::Contact contact;
    contact.state = 2;
    contact.moving = 1;
    contact.time = 350;
    contact.position = {12, 34};
    contact.move = {-3, 4};
    contact.velocity = Kavro::Vector2D(0.5f, -1.5f);
    core->input.touch.contacts.push_back(contact);
    EXPECT_EQ(eval("::app.getTouchContactNum() + \" \" + ::app.getTouchState(0) + \" \" + ::app.isTouchMoving(0) + \" \" +"
                   " ::app.getTouchTime(0)"),
              "1 2 1 350");
    ASSERT_EQ(run("::app.getTouchPosition(0)"), "");
    EXPECT_EQ(vectorResult(), "12,34,0,0");
    ASSERT_EQ(run("::app.getTouchMove(0)"), "");
    EXPECT_EQ(vectorResult(), "-3,4,0,0");
    ASSERT_EQ(run("::app.getTouchVelocity(0)"), "");
    EXPECT_EQ(vectorResult(), "0.5,-1.5,0,0");
    ASSERT_EQ(run("::app.clearTouchInput()"), "");
    EXPECT_EQ(eval("::app.getTouchContactNum()"), "0");

    core->input.gamepad.thumbs[1][0] = Kavro::Vector2D(0.25f, -1.0f);
    core->input.gamepad.triggers[1][1] = 0.75f;
    core->input.gamepad.buttons[{0, 64}] = 2;
    core->input.gamepad.buttons[{0, 4096}] = 1;
    ASSERT_EQ(run("::app.getGamepadThumbValue(1, 0)"), "");
    EXPECT_EQ(vectorResult(), "0.25,-1,0,0");
    // The thumb-stick presses have no repeat entry, but their state is passed on.
    EXPECT_EQ(eval("::app.getGamepadTriggerValue(1, 1) + \" \" + ::app.isButtonDown(0, 64, 0) + \" \" +"
                   " ::app.getGamepadButtonState(0, 64) + \" \" + ::app.isButtonDown(0, 4096, 0)"),
              "0.75 0 2 1");

    ASSERT_EQ(run("::app.setCursorPosition(100, 200); ::app.getMouseMove()"), "");
    EXPECT_EQ(core->input.mouse.x, 100);
    EXPECT_EQ(core->input.mouse.y, 200);
    EXPECT_EQ(vectorResult(), "0,0,0,0");
}

TEST_F(SQAppTest, CursorStaysShownOrHiddenAndItsKindLastsOneFrame)
{
    startIdle();
    const int before = core->cursorCount;
    ASSERT_EQ(run("::app.showCursor(0); ::app.showCursor(0); ::app.showCursor(0)"), "");
    EXPECT_EQ(core->cursorCount, before - 1);
    ASSERT_EQ(run("::app.showCursor(1)"), "");
    EXPECT_EQ(core->cursorCount, before);
    ASSERT_EQ(run("::app.showCursor(1)"), "");
    EXPECT_EQ(core->cursorCount, before);

    ASSERT_EQ(run("::app.setCursor(7)"), "");
    EXPECT_EQ(eval("::app.getCursor()"), "7");
    ASSERT_EQ(frame(16), 0);
    EXPECT_EQ(eval("::app.getCursor()"), "1");
}

TEST_F(SQAppTest, TexturesOfTheOwningTask)
{
    startIdle();
    EXPECT_EQ(eval("::app.loadTexture(\"image/bg.png\")"), "1");
    EXPECT_EQ(eval("::app.loadTexture(\"image/bg.png\")"), "0");
    ASSERT_EQ(run("::app.unloadTexture(\"image/bg.png\"); ::app.unloadTexture(\"never\")"), "");
    EXPECT_EQ(eval("::app.loadTexture(\"image/bg.png\")"), "1");
    core->render->missingTextures.push_back("image/none.png");
    EXPECT_EQ(eval("::app.loadTexture(\"image/none.png\")"), "0");
}

TEST_F(SQAppTest, FontsOfTheApplicationsPool)
{
    startIdle();
    Orvane::CFontPool& pool = *app->fontPool;
    // A failed load reports 0 and still keeps the font under its name.
    EXPECT_EQ(eval("::app.loadFont(\"title\", \"font/missing\")"), "0");
    EXPECT_NE(pool.find("title"), pool.fonts.end());
    EXPECT_EQ(eval("::app.loadSystemFont(\"body\", \"IPAexGothic\", 24, 400, 10, 0, 0)"), "1");
    ASSERT_NE(pool.lookup("body"), nullptr);
    ASSERT_EQ(run("::app.clearFontCache(\"body\"); ::app.clearFontCache(\"never\"); ::app.unloadFont(\"never\")"), "");
    ASSERT_EQ(run("::app.unloadFont(\"title\"); ::app.unloadFont(\"body\")"), "");
    EXPECT_TRUE(pool.fonts.empty());
}

TEST_F(SQAppTest, MountKeyIsUpperCaseHexadecimal)
{
    core->fileSystem->release();
    auto* files = new RecordingMountFileSystem(folder.path());
    core->fileSystem = files;
    startIdle();
    files->mounts = CallLog();
    const std::string key(64, 'A');
    EXPECT_EQ(eval("::app.mountFile(\"patch.wpk\", \"" + key + "\")"), "0");
    EXPECT_EQ(eval("::app.isMounted(\"patch.wpk\")"), "1");
    EXPECT_EQ(eval("::app.mountFile(\"plain.wpk\", \"\")"), "0");
    EXPECT_EQ(eval("::app.mountFile(\"bad.wpk\", \"" + std::string(64, 'a') + "\")"), "-1");
    EXPECT_EQ(eval("::app.mountFile(\"bad.wpk\", \"0AB\")"), "-1");
    EXPECT_EQ(eval("::app.mountFile(\"bad.wpk\", \"0G\")"), "-1");
    EXPECT_EQ(files->mounts.calls(),
              (std::vector<std::string>{"mount(patch.wpk, 32, " + std::string(64, 'a') + ")", "mount(plain.wpk, 0, )"}));
    EXPECT_EQ(eval("::app.isMounted(\"bad.wpk\")"), "0");
    EXPECT_EQ(eval("::app.unmountFile(\"patch.wpk\") + \" \" + ::app.isMounted(\"patch.wpk\")"), "0 0");
}

TEST_F(SQAppTest, DirectoriesAndFileTimesOfTheApplicationsFileSystem)
{
    startIdle();
    EXPECT_EQ(eval("::app.createDirectory(\"save/slot/1\")"), "1");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "save/slot/1"));
    EXPECT_EQ(eval("::app.createDirectory(\"save/slot/1\")"), "1");

    struct stat status{};
    ASSERT_EQ(stat((folder.path() / "media/script/main.nut").c_str(), &status), 0);
    std::tm local{};
    localtime_r(&status.st_mtime, &local);
    ASSERT_EQ(run("::t <- ::app.getFileTime(\"media/script/main.nut\")"), "");
    EXPECT_EQ(eval("::t.is_exist + \" \" + ::t.year + \" \" + ::t.month"),
              "1 " + std::to_string(local.tm_year + 1900) + " " + std::to_string(local.tm_mon + 1));
    EXPECT_EQ(eval("::t.day + \" \" + ::t.weekday + \" \" + ::t.hour + \" \" + ::t.min + \" \" + ::t.sec"),
              std::to_string(local.tm_mday) + " " + std::to_string(local.tm_wday) + " " + std::to_string(local.tm_hour) +
                  " " + std::to_string(local.tm_min) + " " + std::to_string(local.tm_sec));
    // A missing file: zeroed fields, the month counted from 1.
    ASSERT_EQ(run("::t <- ::app.getFileTime(\"none.txt\")"), "");
    EXPECT_EQ(eval("::t.is_exist + \" \" + ::t.year + \" \" + ::t.month + \" \" + ::t.day + \" \" + ::t.weekday + \" \" +"
                   " ::t.hour + \" \" + ::t.min + \" \" + ::t.sec"),
              "0 0 1 0 0 0 0 0");
}

// The library's archive file system: the game in an archive under the built-in key, and a patch
// archive under a key of its own that the script mounts.
TEST_F(SQAppTest, ScriptMountsAPatchArchiveWithItsKey)
{
    const auto archive = [this](const Kavro::Wpk2Key& key, const std::string& name, const std::string& path,
                                const std::string& text) {
        Kavro::Wpk2Writer writer(key);
        writer.add(path, std::vector<uint8_t>(text.begin(), text.end()));
        ASSERT_TRUE(writer.writeFile(folder.file(name), nullptr));
    };
    archive(Kavro::BuildArchiveKey(), "game.wpk", "media/script/main.nut", idleMain);
    Kavro::Wpk2Key patchKey{};
    std::string keyText;
    for (size_t i = 0; i < patchKey.size(); ++i)
    {
        patchKey[i] = uint8_t(0xA0 + i * 3);
        keyText += "0123456789ABCDEF"[patchKey[i] >> 4], keyText += "0123456789ABCDEF"[patchKey[i] & 15];
    }
    archive(patchKey, "patch.wpk", "media/script/patch.nut", "::PATCHED <- \"yes\"\n");

    core->fileSystem->release();
    core->fileSystem = Kavro::CreateArchiveFileSystem();
    const auto key = Kavro::BuildArchiveKey();
    const uint32_t keyLength = 32;
    ASSERT_EQ(core->fileSystem->mount(folder.file("game.wpk").c_str(), key.data(), &keyLength), 0);
    startIdle();

    const std::string patch = std::string("\"").append(folder.file("patch.wpk")).append("\"");
    std::string lowerKey = keyText;
    for (char& c : lowerKey)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(eval("::app.mountFile(" + patch + ", \"" + lowerKey + "\")"), "-1");
    EXPECT_EQ(eval("::app.isMounted(" + patch + ")"), "0");
    // The wrong key does not open the archive.
    EXPECT_NE(eval("::app.mountFile(" + patch + ", \"" + std::string(64, 'F') + "\")"), "0");
    EXPECT_EQ(eval("::app.isMounted(" + patch + ")"), "0");

    EXPECT_EQ(eval("::app.mountFile(" + patch + ", \"" + keyText + "\")"), "0");
    EXPECT_EQ(eval("::app.isMounted(" + patch + ")"), "1");
    ASSERT_EQ(run("Import(\"patch.nut\")"), "");
    EXPECT_EQ(eval("::PATCHED"), "yes");
    EXPECT_EQ(eval("::app.unmountFile(" + patch + ") + \" \" + ::app.isMounted(" + patch + ")"), "0 0");
}

TEST_F(SQAppTest, ConfigurationSettersCheckTheirRangesAndSaveToSystemDat)
{
    startIdle();
    ASSERT_EQ(run("::app.setConfig_AntiAliasType(16); ::app.setConfig_AntiAliasType(17);"
                  "::app.setConfig_AntiAliasType(-1)"),
              "");
    EXPECT_EQ(eval("::app.getConfig_AntiAliasType()"), "16");
    ASSERT_EQ(run("::app.setConfig_PointLightNum(40)"), "");
    EXPECT_EQ(eval("::app.getConfig_PointLightNum()"), "16");
    ASSERT_EQ(run("::app.setConfig_PointLightNum(3); ::app.setConfig_PointLightNum(-1)"), "");
    EXPECT_EQ(eval("::app.getConfig_PointLightNum()"), "16");
    ASSERT_EQ(run("::app.setConfig_UseShadow(0); ::app.setConfig_UseSelfShadow(1)"), "");
    EXPECT_EQ(eval("::app.getConfig_UseSelfShadow()"), "0");
    ASSERT_EQ(run("::app.setConfig_ScreenSize(640, 480); ::app.getConfig_ScreenSize()"), "");
    EXPECT_EQ(vectorResult(), "640,480,0,0");
    // Setters only store: nothing is applied until asked for.
    ASSERT_EQ(run("::app.setConfig_FullScreen(1); ::app.setConfig_FrameRate(30); ::app.setConfig_ShadowQuality(3);"
                  "::app.setConfig_UseHDR(0); ::app.setConfig_SceneDegreeSizeRatio(4)"),
              "");
    EXPECT_EQ(app->systemState->applyRequested, 0u);
    EXPECT_EQ(eval("::app.isExistUserSetting()"), "0");

    EXPECT_EQ(eval("::app.saveSystemConfig()"), "0");
    Orvane::CAppSystemState back(1, 1);
    Orvane::CFile file("save/system.dat");
    ASSERT_EQ(back.read(file), 0);
    EXPECT_EQ(back.antiAliasType, 16u);
    EXPECT_EQ(back.pointLightNum, 16u);
    EXPECT_EQ(back.useShadow, 0u);
    EXPECT_EQ(back.useSelfShadow, 1u);
    EXPECT_EQ(back.screenWidth, 640u);
    EXPECT_EQ(back.screenHeight, 480u);
    EXPECT_EQ(back.fullScreen, 1u);
    EXPECT_EQ(back.frameRate, 30u);
    EXPECT_EQ(back.shadowQuality, 3u);
    EXPECT_EQ(back.useHDR, 0u);
    EXPECT_EQ(back.sceneDegreeSizeRatio, 4u);
    // Nothing but the settings file is left in the save folder.
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path() / "save"))
        ++files;
    EXPECT_EQ(files, 1u);

    // Read back into the running record.
    ASSERT_EQ(run("::app.setConfig_FrameRate(60)"), "");
    EXPECT_EQ(eval("::app.loadSystemConfig() + \" \" + ::app.getConfig_FrameRate() + \" \" + ::app.isExistUserSetting()"),
              "0 30 1");
}

TEST_F(SQAppTest, DisplayRequestsAnApplyOnlyWhenSomethingChanges)
{
    startIdle();
    app->systemState->applyRequested = 0;
    EXPECT_EQ(eval("::app.setFullScreen(1)"), "0");
    EXPECT_EQ(app->systemState->applyRequested, 1u);
    app->systemState->applyRequested = 0;
    EXPECT_EQ(eval("::app.setFullScreen(1)"), "0");
    EXPECT_EQ(app->systemState->applyRequested, 0u);
    ASSERT_EQ(run("::app.applyPresetConfig(0)"), "");
    EXPECT_EQ(app->systemState->applyRequested, 1u);

    EXPECT_EQ(eval("::app.setFrameRate(30) + \" \" + ::app.getFrameRate()"), "0 30");

    // The frame time can be raised for this frame only, or stopped with a negative value.
    app->frameTimeCap = 16.0f;
    ASSERT_EQ(run("::app.setMaxFrameTime(33.0)"), "");
    EXPECT_EQ(app->frameTimeCap, 33.0f);
    ASSERT_EQ(run("::app.setMaxFrameTime(10.0)"), "");
    EXPECT_EQ(app->frameTimeCap, 33.0f);
    ASSERT_EQ(run("::app.setMaxFrameTime(-1.0); ::app.setMaxFrameTime(50.0)"), "");
    EXPECT_EQ(app->frameTimeCap, -1.0f);
}

TEST_F(SQAppTest, TaskSwitchWindowAndPhysicsWorlds)
{
    startIdle();
    EXPECT_EQ(eval("::app.callTask(\"NOWHERE\")"), "-1");
    EXPECT_EQ(app->requestedTaskName, "");
    EXPECT_EQ(eval("::app.callTask(\"MAIN\")"), "0");
    EXPECT_EQ(app->requestedTaskName, "MAIN");

    EXPECT_EQ(eval("::app.setWindowTitle(\"タイトル\")"), "0");
    EXPECT_EQ(core->log.named("setWindowName").back(), "setWindowName(タイトル)");
    EXPECT_EQ(eval("::app.setWindowTitle(\"\\xff\")"), "-1");

    core->makePhysicsWorlds = true;
    EXPECT_EQ(eval("::app.createPhysicsWorld(3) + \" \" + ::app.createPhysicsWorld(3)"), "0 -1");
    EXPECT_EQ(eval("::app.deletePhysicsWorld(3) + \" \" + ::app.deletePhysicsWorld(3)"), "0 -1");
}

TEST_F(SQAppTest, ScreenFadesFillOrCaptureTheScreenSprite)
{
    startIdle();
    ASSERT_NE(app->screenSprite, nullptr);
    core->log = CallLog();
    ASSERT_EQ(run("::app.fadeoutColor(500, 1.0, 2.0, 0.5)"), "");
    // Bytes red, green, blue, alpha in memory order: 255, 254 (low bits of 510), 127, 255.
    EXPECT_EQ(core->log.named("fillTexture").back(), "fillTexture(" + std::to_string(0xFF7FFEFFu) + ")");
    EXPECT_EQ(app->screenSprite->getFade(), 1.0f);
    EXPECT_EQ(app->captureRequested, 0);
    ASSERT_EQ(run("::app.fadeoutScreen(300)"), "");
    EXPECT_EQ(app->captureRequested, 1);
}

TEST_F(SQAppTest, SoundGroupsAndTypeVolumes)
{
    startIdle();
    Orvane::CSoundManager& sounds = *app->soundManager;
    ASSERT_EQ(run("::app.setSoundGroupVolume(\"voice\", 0.5, 500.0, 0)"), "");
    EXPECT_EQ(sounds.findSoundGroup("voice"), nullptr);
    ASSERT_EQ(run("::app.defineSoundGroup(\"voice\"); ::app.setSoundGroupVolume(\"voice\", 0.5, 500.0, 0)"), "");
    Orvane::CSoundGroup* group = sounds.findSoundGroup("voice");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->volume.to, 0.5f);
    EXPECT_EQ(group->volume.duration, 500.0f);
    EXPECT_EQ(group->running, 1);

    ASSERT_EQ(run("::app.setSoundTypeVolume(3, 1.5, 0.0, 0)"), "");
    EXPECT_EQ(sounds.getTypeVolume(3)->volume.value, 1.0f);
    ASSERT_EQ(run("::app.setSoundTypeVolume(3, -2.0, 1000.0, 99)"), "");
    EXPECT_EQ(sounds.getTypeVolume(3)->volume.to, 0.0f);
    EXPECT_EQ(sounds.getTypeVolume(3)->volume.duration, 1000.0f);
    EXPECT_EQ(sounds.getTypeVolume(3)->volume.easing, 0);
    EXPECT_EQ(eval("::app.setSoundTypeVolume(3, 1, 0.0, 0)"), "error: Incorrect function argument");
}

TEST_F(SQAppTest, ParticleListsComeFromTheLoadedDefinitions)
{
    startIdle();
    Orvane::Particle::particleFileMap()["fire"] = {"spark", "flame"};
    Orvane::Particle::particleFileMap()["smoke"] = {"puff"};
    for (const char* name : {"spark", "flame", "puff"})
        Orvane::Particle::particleParameterMap()[name];
    ASSERT_EQ(run("::join <- function(list) {\n local s = \"\";\n"
                  " foreach (i, v in list) s += (i ? \",\" : \"\") + v;\n return s;\n}\n"),
              "");
    const auto join = [this](const std::string& call) { return eval("::join(::app." + call + ")"); };
    EXPECT_EQ(join("getParticleNameList(\"\")"), "flame,puff,spark");
    EXPECT_EQ(join("getParticleNameList(\"fire\")"), "spark,flame");
    EXPECT_EQ(join("getParticleFileList()"), "fire,smoke");
    EXPECT_EQ(eval("::app.getParticleNameList(\"never\").len()"), "0");
    EXPECT_EQ(eval("::app.loadParticle(\"fire\") + \" \" + ::app.unloadParticle(\"fire\")"), "-1 -1");
    Orvane::Particle::particleFileMap().clear();
    Orvane::Particle::particleParameterMap().clear();
}

} // namespace
