#include "core/CAppSystemState.h"
#include "core/CTaskMain.h"

#include "support/FakeTaskObjects.h"

#include <kavro/MessageBox.h>
#include <kavro/WindowMessage.h>

#include <gtest/gtest.h>

using namespace Orvane;
using namespace OrvaneTest;

namespace
{

class TaskMainTest : public ::testing::Test
{
protected:
    TaskMainTest() : task(t.push(new TestTaskMain(log)))
    {
        t.app->scriptHost = &host;
        task->initialize();
    }

    size_t quits() const { return t.core->log.named("postQuitMessage").size(); }

    TaskTestApp t;
    CallLog log;
    FakeScriptHost host;
    RecordingMessageBoxSink boxes;
    TestTaskMain* task;
};

} // namespace

TEST_F(TaskMainTest, IsNamedMainAndPointsTheHostAtTheMainScript)
{
    EXPECT_EQ(task->getName(), "MAIN");
    EXPECT_EQ(host.mainScriptPath, "media/script/main.nut");
    EXPECT_NE(task->getBackSurface(), nullptr);
    EXPECT_EQ(task->finished, 0);
}

TEST_F(TaskMainTest, TheErrorBoxComesOneFrameAfterTheScriptStopsThenQuitIsPosted)
{
    for (int endState : {0, -1})
    {
        host.states = {2, 1, endState};
        task->initialize();
        boxes.log.clear();
        t.core->log.clear();

        for (int frame = 0; frame < 3; ++frame)
        {
            EXPECT_EQ(task->update(), 0);
            EXPECT_TRUE(boxes.log.calls().empty()) << frame;
        }
        EXPECT_TRUE(task->isStopped());
        EXPECT_EQ(quits(), 0u);

        host.log.clear();
        EXPECT_EQ(task->update(), 0);
        EXPECT_EQ(boxes.log.calls(), (std::vector<std::string>{"MessageBox(アプリケーションエラー, "
                                                               "エラーが発生しました, 16)"}));
        EXPECT_EQ(quits(), 1u);
        // The host is not resumed any more.
        EXPECT_TRUE(host.log.calls().empty());
        // Windowed: the display is left alone.
        EXPECT_TRUE(t.core->log.named("setDisplayMode").empty());
    }
}

TEST_F(TaskMainTest, InFullScreenTheErrorBoxFirstSwitchesToAWindow)
{
    host.states = {0};
    Orvane::CAppSystemState& settings = *t.app->systemState;
    settings.screenWidth = 1280;
    settings.screenHeight = 720;
    settings.fullScreen = 1;
    task->update();
    t.core->log.clear();
    task->update();
    EXPECT_EQ(t.core->log.calls().at(0), "setDisplayMode(1280, 720, 0, 1)");
    EXPECT_EQ(t.core->log.calls().at(1), "applyDisplayMode()");
    EXPECT_EQ(boxes.log.calls().size(), 1u);
}

TEST_F(TaskMainTest, InitializeAfterAStopRunsTheScriptAgain)
{
    host.states = {-1, 2};
    task->update();
    EXPECT_TRUE(task->isStopped());
    task->initialize();
    EXPECT_FALSE(task->isStopped());
    host.log.clear();
    task->update();
    EXPECT_EQ(host.log.calls(), (std::vector<std::string>{"update(2)"}));
    EXPECT_TRUE(boxes.log.calls().empty());
}

TEST_F(TaskMainTest, CloseCallsTheHandlerOnlyWhileTheScriptRuns)
{
    // Running, no handler: quit.
    EXPECT_EQ(task->windowProc(t.core, Kavro::WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(quits(), 1u);

    auto* handler = new RecordingCallback;
    task->setCloseHandler(handler);
    EXPECT_EQ(task->windowProc(t.core, Kavro::WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(handler->calls, 1);
    EXPECT_EQ(quits(), 1u);

    // Stopped: quits at once without the callback.
    host.states = {-1};
    task->update();
    EXPECT_EQ(task->windowProc(t.core, Kavro::WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(handler->calls, 1);
    EXPECT_EQ(quits(), 2u);

    // Other messages go to the default procedure.
    task->windowProc(t.core, Kavro::WM_PAINT, 0, 0);
    EXPECT_EQ(t.core->log.named("defWindowProc").size(), 1u);
    handler->release();
}

TEST_F(TaskMainTest, WithoutAScriptHostTheProgramEndsThroughTheErrorBox)
{
    t.app->scriptHost = nullptr;
    task->update();
    task->update();
    EXPECT_EQ(boxes.log.calls().size(), 1u);
    EXPECT_EQ(quits(), 1u);
}
