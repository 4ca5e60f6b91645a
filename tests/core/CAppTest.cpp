// The application object over the fake core: initialisation and its failures, shutdown, the frame
// loop, task switching, the soft reset, screen fades, physics worlds and the settings file.

#include "core/CApp.h"
#include "core/CFile.h"
#include "core/CFontPool.h"
#include "core/CInitializeCallback.h"
#include "core/CSoundManager.h"
#include "core/CVolumeControl.h"
#include "core/CAppSystemState.h"
#include "core/IScreenSprite.h"
#include "core/NGCodeSets.h"
#include "core/StartupState.h"
#include "particle/CParticleParameter.h"
#include "particle/ParticleCaches.h"

#include "support/DirectoryFileSystem.h"
#include "support/FakeTaskObjects.h"
#include "support/TempDirectory.h"

#include <kavro/MessageBox.h>
#include <kavro/WindowMessage.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace
{

using namespace OrvaneTest;
using Calls = std::vector<std::string>;

// The game's record after the settings record: one word, or a scripted failure.
class FakeGameRecord : public Orvane::CSerializeObject
{
public:
    explicit FakeGameRecord(CallLog& log) : log(log) {}
    ~FakeGameRecord() override { log.add("release", "gameRecord"); }
    int read(Orvane::CFile& file) override
    {
        log.add("game.read");
        return file.readDword(value) ? 0 : readFailure;
    }
    int write(Orvane::CFile& file) override
    {
        log.add("game.write");
        return file.writeDword(value) ? 0 : -1;
    }

    CallLog& log;
    uint32_t value = 0;
    int readFailure = -3;
};

// The back-surface sprite: logs what the application asks of it; a fade over time keeps the value
// (the interpolator moves it later), a fade at once sets it.
class FakeScreenSprite : public RecordingDrawable, public Orvane::IScreenSprite
{
public:
    FakeScreenSprite(CallLog& log, const std::string& name, Kavro::ITexture* texture)
        : RecordingDrawable(log, name), texture(texture)
    {
    }
    ~FakeScreenSprite() override { log.add("release", getName()); }
    Orvane::CRenderingTaskObject* getSpriteObject() override { return this; }
    Kavro::ITexture* getTexture() override { return texture; }
    int create() override
    {
        log.add("create", getName());
        return 0;
    }
    int fadeTo(float value, uint32_t time, int32_t curve) override
    {
        log.add("fade", getName(), value, time, curve);
        if (time == 0)
            fadeValue = value;
        return 0;
    }
    float getFade() override { return fadeValue; }
    int scaleTo(float x, float y, uint32_t time, int32_t curve) override
    {
        log.add("scale", getName(), x, y, time, curve);
        return 0;
    }
    void setBlendMode(int32_t mode) override { log.add("setBlendMode", getName(), mode); }

    Kavro::ITexture* texture;
    float fadeValue = 0.0f;
};

// A task that logs the application's calls by its name.
template <typename Base> class LoggedTask : public Base
{
public:
    using Base::Base;
    int initialize() override
    {
        this->log.add("initialize", this->getName());
        return Base::initialize();
    }
    int terminate() override
    {
        this->log.add("terminate", this->getName());
        return Base::terminate();
    }
    int releaseObjects() override
    {
        this->log.add("releaseObjects", this->getName());
        return Base::releaseObjects();
    }
    int clearRenderLists() override
    {
        this->log.add("clearRenderLists", this->getName());
        return Base::clearRenderLists();
    }
    int updateInput() override
    {
        this->log.add("updateInput", this->getName());
        return Base::updateInput();
    }
    int update() override
    {
        this->log.add("task.update", this->getName());
        return updateResult < 0 ? updateResult : Base::update();
    }
    int render() override
    {
        this->log.add("task.render", this->getName());
        return Base::render();
    }
    void updateObjects() override
    {
        this->log.add("updateObjects", this->getName());
        Base::updateObjects();
    }

    int updateResult = 0;
};

using MainTask = LoggedTask<TestTaskMain>;
using SubTask = LoggedTask<TestTask>;

class FakeCallback : public Orvane::CInitializeCallback
{
public:
    explicit FakeCallback(CallLog& log) : log(log) {}
    int onInitialize(Kavro::ICore*) override
    {
        log.add("onInitialize");
        return result;
    }
    CallLog& log;
    int result = 1;
};

// What the test changes in the application's start.
struct StartKnobs
{
    bool noCore = false;
    bool withSprite = true;
    bool squirrel = false; // the real script host instead of the fake
    bool screenSprite = false; // the real back-surface sprite instead of the fake
};

// The application with the fake core, record, script host, main task and sprite.
class TestApp : public Orvane::CApp
{
public:
    TestApp(FakeCore* core, const StartKnobs& knobs)
        : CApp("Orvane Test", 1280, 720, nullptr), fake(core), knobs(knobs)
    {
    }

    FakeCore* fake;
    StartKnobs knobs;
    FakeScriptHost* host = nullptr;
    MainTask* mainTask = nullptr;
    FakeScreenSprite* sprite = nullptr;

protected:
    Kavro::ICore* createCore() override
    {
        if (knobs.noCore)
            return nullptr;
        fake->addRef();
        return fake;
    }
    void releaseCore(Kavro::ICore* oldCore) override
    {
        fake->log.add("ReleaseKavro");
        oldCore->release();
    }
    Orvane::IScriptHost* createScriptHost() override
    {
        if (knobs.squirrel)
            return CApp::createScriptHost();
        return host = new FakeScriptHost;
    }
    Orvane::CTask* createMainTask() override { return mainTask = new MainTask(fake->log); }
    Orvane::IScreenSprite* createScreenSprite(Kavro::ITexture* texture, int width, int height) override
    {
        fake->log.add("createScreenSprite", width, height);
        if (knobs.screenSprite)
            return CApp::createScreenSprite(texture, width, height);
        return knobs.withSprite ? sprite = new FakeScreenSprite(fake->log, "screen", texture) : nullptr;
    }
};

class AppTest : public ::testing::Test
{
public:
    AppTest()
    {
        core->fileSystem = new DirectoryFileSystem(folder.path());
        Orvane::setSavePathRoot("save");
        Orvane::setSettingsFileName("system.dat");
        Orvane::setMessageLanguage(1);
        Orvane::setSoundType(-1);
        std::filesystem::create_directory(folder.path() / "save");
    }
    ~AppTest() override
    {
        Orvane::CApp::shutdown();
        if (Orvane::CApp* app = Orvane::CApp::get())
            app->release();
        Orvane::CApp::set(nullptr);
        Orvane::takePendingMounts();
        core->release();
    }

    int start()
    {
        app = new TestApp(core, knobs);
        return Orvane::CApp::install(app, &callback);
    }
    // Starts, pushes "MAIN" as run does, and forgets the calls so far.
    void startRunning()
    {
        ASSERT_EQ(start(), 0);
        ASSERT_EQ(app->pushTask("MAIN"), 0);
        core->log.clear();
        boxes.log.clear();
        app->host->log.clear();
    }
    Calls calls() const { return core->log.calls(); }
    bool logged(const std::string& call) const
    {
        const Calls& all = core->log.calls();
        return std::find(all.begin(), all.end(), call) != all.end();
    }
    size_t position(const std::string& call) const
    {
        const Calls& all = core->log.calls();
        return size_t(std::find(all.begin(), all.end(), call) - all.begin());
    }

    TempDirectory folder;
    FakeCore* core = new FakeCore;
    StartKnobs knobs;
    FakeCallback callback{core->log};
    RecordingMessageBoxSink boxes;
    TestApp* app = nullptr;
};

std::string initFailed(int code)
{
    return "MessageBox(Orvane Test, Application failed to initialize.\nError code: " + std::to_string(code) +
           ", 16)";
}

// --- Initialisation --------------------------------------------------------------------------

TEST_F(AppTest, InitialisesInOrderWithTheWindowOfTheConfiguredSizeWhenNoUserSettingExists)
{
    Orvane::queueArchiveMount("script.wpk", nullptr, 0);
    core->milliTime = 1234;
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(Orvane::CApp::get(), app);
    // The settings take effect once the scene exists: frame rate, display mode and anti-aliasing
    // (preset 2), then the scene state.
    const Calls expected = {
        "createFileSystem()", "onInitialize()", "setWindowName(Orvane Test)", "setScreenSize(1280, 720)",
        "setDisplayMode(1280, 720, 0, 1)", "setAntiAliasType(2)", "initialize()", "createSoundDevice(-1)",
        "completeStartup()", "scene.setup(1)", "setFrameRate(60)", "changeDisplayMode(1280, 720, 0, 1)",
        "changeAntiAliasType(2)"};
    const Calls all = calls();
    ASSERT_GE(all.size(), expected.size());
    EXPECT_EQ(Calls(all.begin(), all.begin() + long(expected.size())), expected);
    const Calls last = {"createRenderTexture(1280, 720, 4, 0, 0, 0)", "createScreenSprite(1280, 720)",
                        "create(screen)", "fade(screen, 0, 0, 0)"};
    EXPECT_EQ(Calls(all.end() - long(last.size()), all.end()), last);
    EXPECT_TRUE(boxes.log.calls().empty());
    EXPECT_EQ(app->registeredTasks.count("MAIN"), 1u);
    EXPECT_TRUE(app->taskStack.empty());
    EXPECT_NE(app->fontPool, nullptr);
    EXPECT_TRUE(Orvane::takePendingMounts().empty());
    EXPECT_TRUE(Orvane::isNGCode(Orvane::NGCodeSet::HeadOfLine, u'。'));
    EXPECT_EQ(app->systemState->startTime, 1234u);
    EXPECT_EQ(app->systemState->userSettingExists, 0u);
    EXPECT_EQ(app->lastFrameTime, 1234u);
}

TEST_F(AppTest, EachMissingPieceStopsStartWithItsCodeOrMessage)
{
    struct Case
    {
        const char* name;
        std::function<void(AppTest&)> arrange;
        std::string box; // empty: no box
    };
    const std::string renderText =
        "MessageBox(Orvane Test, Cannot create Direct3D device.\nPossible causes:\n\n- Your display mode does not "
        "support full color.\n- Your graphics card does not support DirectX 9.0c.\n- Your graphics drivers are "
        "corrupt or out of date., 16)";
    const std::string soundText = "MessageBox(Orvane Test, XAudio2 failed to initialize.\nPlease check that your "
                                  "audio device is connected and its drivers are up to date., 16)";
    const std::vector<Case> cases = {
        {"no core", [](AppTest& t) { t.knobs.noCore = true; }, ""},
        {"no file system",
         [](AppTest& t) {
             t.core->fileSystem->release();
             t.core->fileSystem = nullptr;
         },
         initFailed(122)},
        {"launcher quit", [](AppTest& t) { t.callback.result = 0; }, ""},
        {"core initialise", [](AppTest& t) { t.core->initializeResult = -1; }, initFailed(138)},
        {"render device", [](AppTest& t) { t.core->noRenderDevice = true; }, renderText},
        {"input manager", [](AppTest& t) { t.core->noInputManager = true; }, initFailed(168)},
        {"mouse", [](AppTest& t) { t.core->input.noMouse = true; }, initFailed(169)},
        {"keyboard", [](AppTest& t) { t.core->input.noKeyboard = true; }, initFailed(170)},
        {"gamepad", [](AppTest& t) { t.core->input.noGamepad = true; }, initFailed(171)},
        {"touch", [](AppTest& t) { t.core->input.noTouch = true; }, initFailed(172)},
        {"sound device", [](AppTest& t) { t.core->noSoundDevice = true; }, soundText},
        {"scene manager", [](AppTest& t) { t.core->render->noSceneManager = true; }, initFailed(226)},
        {"back texture", [](AppTest& t) { t.core->render->noRenderTexture = true; }, initFailed(236)},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        {
            // A fresh fixture per case: the fakes keep what the previous case set.
            struct Fresh : AppTest
            {
                void TestBody() override {}
            } fresh;
            c.arrange(fresh);
            EXPECT_EQ(fresh.start(), -1);
            const Calls expected = c.box.empty() ? Calls{} : Calls{c.box};
            EXPECT_EQ(fresh.boxes.log.calls(), expected);
            Orvane::CApp::shutdown();
            EXPECT_EQ(fresh.logged("ReleaseKavro()"), std::string(c.name) != "no core");
        }
    }
}

TEST_F(AppTest, StartFailureMessagesFollowTheMessageLanguage)
{
    Orvane::setMessageLanguage(0);
    core->initializeResult = -1;
    EXPECT_EQ(start(), -1);
    EXPECT_EQ(boxes.log.calls(), Calls{"MessageBox(Orvane Test, アプリケーションの初期化に失敗しました\nエラーコード：138, 16)"});
}

TEST_F(AppTest, SoundDeviceWithoutOutputOnlyWarnsAndLeavesFullScreenForTheBox)
{
    core->soundOutput = 0;
    {
        // A user setting for full screen, read before the devices exist.
        Orvane::CAppSystemState saved(1920, 1080);
        saved.fullScreen = 1;
        Orvane::CFile file;
        ASSERT_EQ(file.open(folder.file("save/system.dat").c_str(), 0, 1, 0), 0);
        ASSERT_EQ(saved.write(file), 0);
        ASSERT_EQ(file.close(), 0);
    }
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(app->systemState->userSettingExists, 1u);
    const std::string warning = "MessageBox(Orvane Test, XAudio2 failed to initialize.\nPlease check that your audio "
                                "device is connected and its drivers are up to date., 48)";
    EXPECT_EQ(boxes.log.calls(), Calls{warning});
    const Calls expected = {"setDisplayMode(1920, 1080, 0, 1)", "applyDisplayMode()", "setDisplayMode(1920, 1080, 1, 1)",
                            "applyDisplayMode()"};
    const Calls all = calls();
    const auto from = std::find(all.begin(), all.end(), "createSoundDevice(-1)") + 1;
    EXPECT_EQ(Calls(from, from + 4), expected);
}

TEST_F(AppTest, ASecondCreateReleasesTheFirstApplication)
{
    ASSERT_EQ(start(), 0);
    Orvane::CApp::shutdown();
    bool firstGone = false;
    struct Watch : Orvane::CObject
    {
        bool* gone;
        explicit Watch(bool* g) : gone(g) {}
        ~Watch() override { *gone = true; }
    };
    app->namedObjects["watch"] = new Watch(&firstGone);
    TestApp* second = new TestApp(core, knobs);
    ASSERT_EQ(Orvane::CApp::install(second, &callback), 0);
    EXPECT_TRUE(firstGone);
    EXPECT_EQ(Orvane::CApp::get(), second);
    app = second;
}

// --- Shutdown --------------------------------------------------------------------------------

TEST_F(AppTest, ShutdownReleasesEverythingInOrder)
{
    ASSERT_EQ(start(), 0);
    core->makePhysicsWorlds = true;
    ASSERT_EQ(app->createPhysicsWorld(3), 0);
    static_cast<FakePhysicsWorld*>(app->physicsWorlds[3])->releaseNote = {&core->log, "world"};
    app->setGameRecord(new FakeGameRecord(core->log));
    app->gameRecord->release();
    core->input.noteReleases(core->log);
    core->render->releaseNote = {&core->log, "renderDevice"};
    core->render->recordingScene()->releaseNote = {&core->log, "sceneManager"};
    static_cast<FakeTexture*>(app->backTexture)->releaseNote = {&core->log, "backTexture"};
    core->sound->releaseNote = {&core->log, "soundDevice"};
    ASSERT_EQ(app->pushTask("MAIN"), 0);
    core->log.clear();

    Orvane::CApp::shutdown();
    const Calls expected = {"releaseObjects(MAIN)",    "release(gameRecord)",
                            "release(screen)",         "release(backTexture)", "release(sceneManager)",
                            "release(gamepad)",        "release(keyboard)",    "release(mouse)",
                            "release(touch)",          "release(inputManager)", "release(soundDevice)",
                            "release(renderDevice)",   "release(world)",       "finalize()",
                            "ReleaseKavro()"};
    EXPECT_EQ(calls(), expected);
    EXPECT_EQ(app->getCore(), nullptr);
    EXPECT_EQ(app->scriptHost, nullptr);
    EXPECT_TRUE(app->registeredTasks.empty());
    EXPECT_TRUE(app->taskStack.empty());
    EXPECT_TRUE(app->physicsWorlds.empty());
    EXPECT_EQ(app->fontPool, nullptr);
    EXPECT_EQ(app->systemState, nullptr);
    EXPECT_EQ(app->soundManager, nullptr);
    EXPECT_EQ(app->textureWatcher, nullptr);
    core->log.clear();
    Orvane::CApp::shutdown();
    EXPECT_TRUE(calls().empty());
}

// --- Frame loop ------------------------------------------------------------------------------

TEST_F(AppTest, FrameTimeGivesSpeedAndCap)
{
    ASSERT_EQ(start(), 0);
    struct Step
    {
        uint32_t elapsed;
        float speed, cap;
    };
    for (const Step& step : {Step{16, 0.96f, 16.0f}, Step{200, 5.0f, 83.333336f}, Step{0, 0.0f, 0.0f}})
    {
        core->milliTime += step.elapsed;
        app->updateFrameTime();
        EXPECT_FLOAT_EQ(app->frameSpeed, step.speed) << step.elapsed;
        EXPECT_FLOAT_EQ(app->frameTimeCap, step.cap) << step.elapsed;
        EXPECT_EQ(app->lastFrameTime, core->milliTime);
    }
    // The clock wraps at 32 bits.
    app->lastFrameTime = 0xFFFFFFF8u;
    core->milliTime = 8;
    app->updateFrameTime();
    EXPECT_FLOAT_EQ(app->frameTimeCap, 16.0f);
}

TEST_F(AppTest, AFrameRunsItsStepsInOrder)
{
    startRunning();
    core->makePhysicsWorlds = true;
    ASSERT_EQ(app->createPhysicsWorld(9), 0);
    ASSERT_EQ(app->createPhysicsWorld(2), 0);
    core->log.clear();
    ASSERT_EQ(app->runFrame(), 0);
    const Calls steps = {"step(world2, 0.0166667)", "step(world1, 0.0166667)", "updateInput(MAIN)",
                         "task.update(MAIN)",       "update(screen)",          "beginFrame()",
                         "clear(1, ff000000)",      "render(back)",            "task.render(MAIN)",
                         "updateObjects(MAIN)",     "endFrame()"};
    for (size_t i = 0; i < steps.size(); ++i)
    {
        EXPECT_TRUE(logged(steps[i])) << steps[i];
        if (i > 0)
        {
            EXPECT_LT(position(steps[i - 1]), position(steps[i])) << steps[i];
        }
    }
    EXPECT_EQ(app->host->log.calls(), Calls{"update(2)"});
}

TEST_F(AppTest, AFrameStepsTheSoundManager)
{
    startRunning();
    auto* control = new Orvane::CVolumeControl;
    control->audible = 1;
    app->soundManager->addVolumeControl(control);
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_EQ(control->jumpRequest, 0);
    EXPECT_FLOAT_EQ(control->getVolume(), 1.0f);
}

TEST_F(AppTest, AnApplyRequestFrameRunsNothingElse)
{
    startRunning();
    app->systemState->applyRequested = 1;
    app->systemState->frameRate = 30;
    app->requestedTaskName = "MAIN";
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_EQ(app->systemState->applyRequested, 0u);
    EXPECT_TRUE(logged("setFrameRate(30)"));
    for (const char* call : {"beginFrame()", "updateInput(MAIN)", "endFrame()"})
        EXPECT_FALSE(logged(call)) << call;
    EXPECT_TRUE(app->host->log.calls().empty());
    EXPECT_EQ(app->requestedTaskName, "MAIN");
    core->log.clear();
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_TRUE(logged("task.update(MAIN)"));
    EXPECT_TRUE(logged("endFrame()"));
    EXPECT_FALSE(logged("setFrameRate(30)"));
}

TEST_F(AppTest, RunPumpsAndRunsOneFramePerIdlePump)
{
    ASSERT_EQ(start(), 0);
    core->pumpResults = {1, 0, 2, 0, -1};
    EXPECT_EQ(app->run(), 0);
    const Calls all = calls();
    EXPECT_EQ(std::count(all.begin(), all.end(), "beginFrame()"), 2);
    EXPECT_EQ(app->getTopTask(), app->mainTask);
    // The lock is free again.
    EXPECT_TRUE(app->lock.TryEnter());
    app->lock.Leave();
}

TEST_F(AppTest, RunFailsWhenTheMainTaskCannotBePushed)
{
    ASSERT_EQ(start(), 0);
    app->mainTaskName = "NONE";
    core->pumpResults = {-1};
    EXPECT_EQ(app->run(), -1);
    EXPECT_EQ(app->registeredTasks.count("NONE"), 0u);
}

TEST_F(AppTest, BeginFrameFailureSkipsDrawingButNotTheUpdate)
{
    startRunning();
    core->render->beginResult = -1;
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_TRUE(logged("task.update(MAIN)"));
    EXPECT_FALSE(logged("clear(1, ff000000)"));
    EXPECT_FALSE(logged("endFrame()"));
}

TEST_F(AppTest, CursorKindIsPostedOnlyWhenItChanges)
{
    startRunning();
    app->update(); // 1 differs from the kind posted at start (0)
    app->update();
    app->cursorKind = 7;
    app->update();
    app->update();
    EXPECT_EQ(core->log.named("postMessage"),
              (Calls{"postMessage(32, 1, 0)", "postMessage(32, 7, 0)", "postMessage(32, 1, 0)"}));
    // Without focus and with the window inactive no cursor is wanted; focus returns with activity.
    app->hasFocus = 0;
    core->active = 0;
    app->update();
    EXPECT_EQ(app->cursorKind, 0);
    EXPECT_EQ(app->hasFocus, 0);
    core->active = 1;
    app->update();
    EXPECT_EQ(app->hasFocus, 1);
}

TEST_F(AppTest, ScreenFadeIsDrawnOnlyWhileAboveZero)
{
    startRunning();
    for (const float value : {0.0f, -0.5f, 0.25f})
    {
        core->log.clear();
        app->sprite->fadeValue = value;
        app->render();
        const bool drawn = logged("render(screen)") && logged("draw(screen)");
        EXPECT_EQ(drawn, value > 0.0f) << value;
        if (drawn)
        {
            EXPECT_LT(position("updateObjects(MAIN)"), position("render(screen)"));
            EXPECT_LT(position("render(screen)"), position("draw(screen)"));
            EXPECT_LT(position("draw(screen)"), position("endFrame()"));
        }
    }
}

TEST_F(AppTest, FadeoutWithColourFillsTheSpriteAndFadesItOut)
{
    startRunning();
    app->fadeoutColor(500, 1, Orvane::ColourBytes{255, 127, 0, 255}, 0);
    uint32_t rgba = 0;
    const uint8_t bytes[4] = {255, 127, 0, 255};
    std::memcpy(&rgba, bytes, 4);
    const Calls expected = {"fillTexture(" + std::to_string(rgba) + ")", "fade(screen, 1, 0, 0)",
                            "fade(screen, 0, 500, 0)", "scale(screen, 1, 1, 1, 0)", "setBlendMode(screen, 1)"};
    EXPECT_EQ(calls(), expected);
    EXPECT_EQ(app->captureRequested, 0);
}

TEST_F(AppTest, FadeoutWithCaptureDrawsTheNextFrameIntoTheSprite)
{
    startRunning();
    static_cast<FakeTexture*>(app->backTexture)->name = "backTexture";
    app->fadeoutColor(300, 0, {}, 1);
    EXPECT_EQ(app->captureRequested, 1);
    core->log.clear();
    app->render();
    const Calls all = calls();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(Calls(all.begin(), all.begin() + 3),
              (Calls{"beginFrame()", "setRenderTarget(0, backTexture, 0)", "clear(1, ff000000)"}));
    EXPECT_EQ(app->captureRequested, 0);
    core->log.clear();
    app->render();
    EXPECT_FALSE(logged("setRenderTarget(0, backTexture, 0)"));
}

TEST_F(AppTest, TheBackSurfaceSpriteFadesTheScreenOut)
{
    knobs.screenSprite = true;
    startRunning();
    auto drawn = [this] {
        core->log.clear();
        app->render();
        return !core->log.named("quad.draw").empty();
    };
    EXPECT_FALSE(drawn());
    app->fadeoutColor(500, 1, Orvane::ColourBytes{255, 255, 255, 255}, 0);
    EXPECT_FLOAT_EQ(app->screenSprite->getFade(), 1.0f);
    EXPECT_TRUE(drawn());
    for (int frame = 0; frame < 10; ++frame)
    {
        core->milliTime += 100;
        app->update();
    }
    EXPECT_FLOAT_EQ(app->screenSprite->getFade(), 0.0f);
    EXPECT_FALSE(drawn());
}

TEST_F(AppTest, CaptureGoesIntoAPendingCaptureSpriteWhichIsThenReleased)
{
    startRunning();
    FakeTexture target("captureTexture", 16, 16, 2);
    app->captureSprite = new FakeScreenSprite(core->log, "capture", &target);
    app->captureRequested = 1;
    app->render();
    EXPECT_TRUE(logged("setRenderTarget(0, captureTexture, 0)"));
    EXPECT_TRUE(logged("release(capture)"));
    EXPECT_EQ(app->captureSprite, nullptr);
}

// --- Task switching --------------------------------------------------------------------------

TEST_F(AppTest, PushingAStackedTaskChangesNothingAndAnUnknownNameFails)
{
    startRunning();
    EXPECT_EQ(app->pushTask("MAIN"), 0);
    EXPECT_FALSE(logged("initialize(MAIN)"));
    EXPECT_EQ(app->pushTask("NOWHERE"), -1);
    EXPECT_EQ(app->registeredTasks.count("NOWHERE"), 0u);
    EXPECT_EQ(app->taskStack.size(), 1u);
}

TEST_F(AppTest, TasksSwitchByObjectAndByName)
{
    startRunning();
    auto* sub = new SubTask(core->log, "SUB");
    app->registerTask(sub);
    sub->release();

    app->requestedTask = sub;
    ASSERT_EQ(app->updateTaskStack(), 0);
    EXPECT_EQ(app->getTopTask(), sub);
    EXPECT_EQ(app->requestedTask, nullptr);
    EXPECT_EQ(app->cursorKind, 0);
    EXPECT_EQ(calls(), Calls{"initialize(SUB)"});

    // A finished top task leaves; with nothing requested "MAIN" is already there.
    core->log.clear();
    sub->finished = 1;
    ASSERT_EQ(app->updateTaskStack(), 0);
    EXPECT_EQ(calls(), Calls{"terminate(SUB)"});
    EXPECT_EQ(app->getTopTask(), app->mainTask);
    EXPECT_EQ(app->registeredTasks.count("SUB"), 1u);

    core->log.clear();
    app->requestedTaskName = "SUB";
    ASSERT_EQ(app->updateTaskStack(), 0);
    EXPECT_EQ(app->getTopTask(), sub);
    EXPECT_TRUE(app->requestedTaskName.empty());
    EXPECT_EQ(calls(), Calls{"initialize(SUB)"});

    // Nothing requested and nothing finished: no switch.
    core->log.clear();
    app->cursorKind = 7;
    ASSERT_EQ(app->updateTaskStack(), 0);
    EXPECT_TRUE(calls().empty());
    EXPECT_EQ(app->cursorKind, 7);

    // An unknown name ends the frame loop.
    app->requestedTaskName = "NOWHERE";
    EXPECT_EQ(app->runFrame(), -1);
    EXPECT_EQ(app->registeredTasks.count("NOWHERE"), 0u);
}

TEST_F(AppTest, RegisteringANameTwiceKeepsTheFirstTask)
{
    startRunning();
    auto* other = new SubTask(core->log, "MAIN");
    app->registerTask(other);
    EXPECT_EQ(app->registeredTasks["MAIN"], app->mainTask);
    other->release();
}

TEST_F(AppTest, ATopTaskThatFailsItsUpdateStopsTheRestOfUpdate)
{
    startRunning();
    app->mainTask->updateResult = -1;
    EXPECT_EQ(app->update(), -1);
    EXPECT_FALSE(logged("update(screen)"));
}

// --- Soft reset ------------------------------------------------------------------------------

class SoftResetTest : public AppTest
{
protected:
    ~SoftResetTest() override { Orvane::Particle::clearParticleCaches(); }
    void SetUp() override
    {
        startRunning();
        app->fontPool->fonts["held"] = nullptr;
        Orvane::Particle::particleParameterMap()["spark"].textureNames = {"spark.png"};
        Orvane::Particle::particleFileMap()["fire"] = {"spark"};
        app->sprite->fadeValue = 0.5f;
        core->cursorCount = -1;
        app->cursorKind = 7;
        app->host->log.clear();
    }
    void expectReset()
    {
        const Calls expected = {"releaseObjects(MAIN)", "terminate(MAIN)", "clearRenderLists(MAIN)",
                                "fade(screen, 0, 0, 0)", "showCursor(1)", "initialize(MAIN)"};
        EXPECT_EQ(calls(), expected);
        EXPECT_EQ(app->host->log.calls(), (Calls{"reset()", "setMainScriptPath(media/script/main.nut)"}));
        EXPECT_EQ(core->cursorCount, 0);
        EXPECT_EQ(app->cursorKind, 1);
        EXPECT_TRUE(app->fontPool->fonts.empty());
        EXPECT_TRUE(Orvane::Particle::particleParameterMap().empty());
        EXPECT_TRUE(Orvane::Particle::particleFileMap().empty());
        EXPECT_EQ(app->systemState->resetRequested, 0u);
    }
};

TEST_F(SoftResetTest, F2ReleasedWhileTheScriptHasEndedResetsAtOnce)
{
    for (const int state : {-1, 0})
    {
        SCOPED_TRACE(state);
        core->log.clear();
        app->host->log.clear();
        app->host->runState = state;
        core->input.keyboard.wentUp[0x3C] = 1;
        EXPECT_EQ(app->resetOnKeyRelease(), 1);
        expectReset();
        core->cursorCount = -1;
    }
}

TEST_F(SoftResetTest, F2ReleasedWhileTheScriptRunsIsDropped)
{
    core->input.keyboard.wentUp[0x3C] = 1;
    for (const int state : {1, 2})
    {
        app->host->runState = state;
        EXPECT_EQ(app->resetOnKeyRelease(), 0);
    }
    core->input.keyboard.wentUp.clear();
    app->host->runState = 0;
    EXPECT_EQ(app->resetOnKeyRelease(), 0);
    EXPECT_TRUE(calls().empty());
    EXPECT_FALSE(app->fontPool->fonts.empty());
}

TEST_F(SoftResetTest, AResetRequestRunsAtTheEndOfTheFrame)
{
    app->systemState->resetRequested = 1;
    ASSERT_EQ(app->runFrame(), 0);
    EXPECT_GT(position("fade(screen, 0, 0, 0)"), position("endFrame()"));
    EXPECT_EQ(app->systemState->resetRequested, 0u);
    EXPECT_TRUE(app->fontPool->fonts.empty());
}

TEST_F(SoftResetTest, AVisibleCursorStaysVisible)
{
    core->cursorCount = 0;
    app->reset();
    EXPECT_EQ(core->cursorCount, 0);
    EXPECT_EQ(core->log.named("showCursor"), (Calls{"showCursor(1)", "showCursor(0)"}));
}

TEST_F(AppTest, TheSquirrelHostLetsTheTasksReleaseTheirScriptObjectsOnReset)
{
    knobs.squirrel = true;
    ASSERT_EQ(start(), 0);
    ASSERT_EQ(app->pushTask("MAIN"), 0);
    ASSERT_NE(app->scriptHost, nullptr);
    EXPECT_EQ(app->scriptHost->getRunState(), -1);
    core->log.clear();
    core->input.keyboard.wentUp[0x3C] = 1;
    EXPECT_EQ(app->resetOnKeyRelease(), 1);
    EXPECT_EQ(core->log.named("releaseObjects").size(), 1u);
    EXPECT_LT(position("releaseObjects(MAIN)"), position("terminate(MAIN)"));
}

// --- Services --------------------------------------------------------------------------------

TEST_F(AppTest, PhysicsWorldsByIdentifier)
{
    ASSERT_EQ(start(), 0);
    EXPECT_EQ(app->createPhysicsWorld(1), -1); // the library made none
    EXPECT_TRUE(app->physicsWorlds.empty());
    core->makePhysicsWorlds = true;
    EXPECT_EQ(app->createPhysicsWorld(1), 0);
    EXPECT_TRUE(logged("setParameter(world1, 0.8)"));
    EXPECT_EQ(app->createPhysicsWorld(1), -1);
    EXPECT_EQ(core->physicsWorldsMade, 1);
    Kavro::IPhysicsWorld* world = app->getPhysicsWorld(1);
    ASSERT_NE(world, nullptr);
    EXPECT_EQ(world->getRefCount(), 2);
    world->release();
    EXPECT_EQ(app->getPhysicsWorld(2), nullptr);
    EXPECT_EQ(app->deletePhysicsWorld(2), -1);
    EXPECT_EQ(app->deletePhysicsWorld(1), 0);
    EXPECT_EQ(app->getPhysicsWorld(1), nullptr);
}

TEST_F(AppTest, BoxesAndDebugTextAreFormattedAndCut)
{
    ASSERT_EQ(start(), 0);
    app->showErrorBox("code %d", 7);
    app->showWarningBox("%s", std::string(70000, 'w').c_str());
    ASSERT_EQ(boxes.log.calls().size(), 2u);
    EXPECT_EQ(boxes.log.calls()[0], "MessageBox(Orvane Test, code 7, 16)");
    EXPECT_EQ(boxes.log.calls()[1], "MessageBox(Orvane Test, " + std::string(65535, 'w') + ", 48)");

    core->log.clear();
    app->drawDebugString({10, 20}, {255, 127, 0, 0}, "%s", std::string(600, 'x').c_str());
    EXPECT_EQ(calls(), Calls{"drawDebugText(10, 20, " + std::to_string(0xFFFF7F00u) + ", appFont, " +
                             std::string(511, 'x') + ")"});
}

TEST_F(AppTest, WindowTitleMustBeUtf8)
{
    ASSERT_EQ(start(), 0);
    core->log.clear();
    EXPECT_EQ(app->setWindowTitle("タイトル"), 0);
    EXPECT_EQ(app->setWindowTitle("\xff\xfe"), -1);
    EXPECT_EQ(calls(), Calls{"setWindowName(タイトル)"});
}

// --- The settings file -----------------------------------------------------------------------

TEST_F(AppTest, SettingsFileSavesAndLoadsBothRecords)
{
    ASSERT_EQ(start(), 0);
    auto* game = new FakeGameRecord(core->log);
    game->value = 42;
    app->setGameRecord(game);
    game->release();
    app->systemState->frameRate = 30;
    ASSERT_EQ(app->saveSystemState(), 0);
    const std::vector<uint8_t> bytes = folder.read("save/system.dat");
    ASSERT_EQ(bytes.size(), Orvane::CAppSystemState::RecordSize + 4);
    EXPECT_EQ(std::memcmp(bytes.data(), "ORVANE", 7), 0);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), (std::vector<uint8_t>{42, 0, 0, 0}));

    game->value = 0;
    app->systemState->frameRate = 60;
    core->log.clear();
    EXPECT_EQ(app->loadSystemState(), 0);
    EXPECT_EQ(app->systemState->frameRate, 30u);
    EXPECT_EQ(app->systemState->userSettingExists, 1u);
    EXPECT_TRUE(logged("setFrameRate(30)")); // applied
    EXPECT_TRUE(logged("game.read()"));
    EXPECT_EQ(game->value, 42u);
}

TEST_F(AppTest, SettingsFileResults)
{
    ASSERT_EQ(start(), 0);
    auto* game = new FakeGameRecord(core->log);
    app->setGameRecord(game);
    game->release();

    // A settings record that cannot be read leaves the game record unread and still succeeds.
    core->log.clear();
    EXPECT_EQ(app->loadSystemState(), 0);
    EXPECT_FALSE(logged("game.read()"));

    // The game record's failure is the result.
    ASSERT_EQ(app->saveSystemState(), 0);
    std::vector<uint8_t> bytes = folder.read("save/system.dat");
    bytes.resize(Orvane::CAppSystemState::RecordSize + 2);
    folder.write("save/system.dat", bytes);
    EXPECT_EQ(app->loadSystemState(), -3);

    // Without a root there is nothing to do.
    Orvane::setSavePathRoot("");
    EXPECT_EQ(app->loadSystemState(), -2);
    EXPECT_EQ(app->saveSystemState(), -2);
}

TEST_F(AppTest, ASaveThatCannotBeWrittenReportsFailureAndKeepsTheOldFile)
{
    ASSERT_EQ(start(), 0);
    folder.write("save/system.dat", {7, 7, 7, 7});
    Orvane::setSavePathRoot("missing/folder");
    EXPECT_LT(app->saveSystemState(), 0);
    Orvane::setSavePathRoot("save");
    EXPECT_EQ(folder.read("save/system.dat"), (std::vector<uint8_t>{7, 7, 7, 7}));
}

} // namespace
