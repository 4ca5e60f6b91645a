#include "core/CTaskMain.h"

#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <utility>

using namespace Orvane;
using namespace OrvaneTest;

namespace
{

// The main task on top with its back surface "back" (render target 0), over recording fakes.
class DrawPassTest : public ::testing::Test
{
protected:
    DrawPassTest() : task(t.push(new TestTaskMain(log)))
    {
        t.app->scriptHost = &host;
        task->initialize();
        back = static_cast<FakeRenderTarget*>(task->getBackSurface());
    }
    ~DrawPassTest() override
    {
        for (CObject* object : owned)
            object->release();
    }

    template <typename T> T* keep(T* object)
    {
        owned.push_back(object);
        return object;
    }
    RecordingDrawable* drawable(const std::string& name, IRenderTarget* surface = nullptr, int priority = 0)
    {
        auto* d = keep(new RecordingDrawable(log, name));
        if (surface)
            d->setSurface(surface);
        if (priority)
            task->setRenderingPriority(d, priority);
        return d;
    }
    FakeRenderTarget* target(const std::string& name)
    {
        return keep(new FakeRenderTarget(log, name));
    }
    // The draw pass's calls of one frame, without the render and update steps.
    std::vector<std::string> frame()
    {
        log.clear();
        task->prepareFrame();
        task->render();
        std::vector<std::string> calls;
        for (const std::string& call : log.calls())
            if (call.rfind("render(", 0) != 0 && call.rfind("update(", 0) != 0)
                calls.push_back(call);
        return calls;
    }
    std::vector<std::string> listOf(IRenderTarget* target) const
    {
        std::vector<std::string> names;
        const int position = int(std::find(task->getRenderTargets().begin(), task->getRenderTargets().end(), target) -
                                 task->getRenderTargets().begin());
        for (const CTask::RenderListEntry& e : task->getRenderLists().at(position))
            names.push_back(e.object->getName() + ":" + std::to_string(e.priority));
        return names;
    }

    TaskTestApp t;
    CallLog log;
    FakeScriptHost host;
    TestTaskMain* task;
    FakeRenderTarget* back;
    std::vector<CObject*> owned;
};

using Calls = std::vector<std::string>;

} // namespace

TEST_F(DrawPassTest, DrawablesLandInTheListOfTheirSurface)
{
    auto* rt = target("rt");
    drawable("onBack");
    auto* own = drawable("own", rt);
    auto* both = drawable("both", rt);
    both->onBackSurface = 1;
    auto* backToo = drawable("backToo");
    backToo->onBackSurface = 1;
    (void)own;

    frame();
    // An object that asks for a flush before its draw is still drawn only where its surface is.
    EXPECT_EQ(listOf(back), (Calls{"back:0", "rt:0", "onBack:0", "backToo:0"}));
    EXPECT_EQ(listOf(rt), (Calls{"own:0", "both:0"}));
}

TEST_F(DrawPassTest, PrepareFrameRendersTheBackSurfaceThenTheQueueInPriorityOrder)
{
    drawable("late", nullptr, 5);
    drawable("early", nullptr, -5);
    log.clear();
    task->prepareFrame();
    EXPECT_EQ(log.named("render"), (Calls{"render(back)", "render(early)", "render(back)", "render(late)"}));
}

TEST_F(DrawPassTest, TargetsAreDrawnFromTheLastRegisteredToTheFirst)
{
    auto* a = target("a");
    auto* b = target("b");
    drawable("x", a);
    drawable("y", b);
    drawable("z");
    EXPECT_EQ(frame(), (Calls{"beginRender(b)", "draw(y)", "endRender(b)",                              //
                              "beginRender(a)", "draw(x)", "endRender(a)",                              //
                              "beginRender(back)", "draw(back)", "draw(a)", "draw(b)", "draw(z)", "endRender(back)"}));
}

TEST_F(DrawPassTest, SuspendedTargetsAreSkipped)
{
    auto* a = target("a");
    a->suspended = true;
    drawable("x", a);
    EXPECT_EQ(frame(), (Calls{"beginRender(back)", "draw(back)", "draw(a)", "endRender(back)"}));
}

TEST_F(DrawPassTest, DelayedTargetIsDrawnWhereItsSpriteStands)
{
    auto* a = target("a");
    auto* b = target("b");
    auto* lost = target("lost");
    b->setSurface(a); // b's sprite stands in a's list
    b->delay = true;
    lost->delay = true;
    task->removeRenderingObject(lost); // its sprite stands in no list
    drawable("x", a);
    drawable("y", b);
    drawable("w", lost);
    EXPECT_EQ(frame(), (Calls{"beginRender(a)", "beginRender(b)", "draw(y)", "endRender(b)", "draw(b)", "draw(x)",
                              "endRender(a)",                                                              //
                              "beginRender(back)", "draw(back)", "draw(a)", "endRender(back)"}));
}

TEST_F(DrawPassTest, DelayedTargetInTheBackSurfaceListClosesTheOpenBatch)
{
    auto* a = target("a");
    a->delay = true;
    drawable("x", a);
    task->setRenderingPriority(back, -10);
    auto* t1 = drawable("t1", nullptr, -5);
    t1->batched = true;
    task->setRenderingPriority(a, -1);
    EXPECT_EQ(frame(), (Calls{"beginRender(back)", "draw(back)", "beginBatch(t1)", "addToBatch(t1)", "endBatch(t1)",
                              "draw(t1)", "beginRender(a)", "draw(x)", "endRender(a)", "draw(a)", "endRender(back)"}));
}

TEST_F(DrawPassTest, SceneObjectsAreCapturedOncePerTargetPerFrame)
{
    auto* s1 = drawable("s1");
    auto* s2 = drawable("s2");
    auto* plain = drawable("plain");
    auto* negative = drawable("negative", nullptr, -1);
    auto* hidden = drawable("hidden");
    for (auto* d : {s1, s2, negative, hidden})
        d->inScene = true;
    hidden->scene.visible = 0;
    (void)plain;

    const Calls expected{"beginRender(back)", "draw(negative)", "draw(back)",                      //
                         "addToScene(negative)", "addToScene(s1)", "addToScene(s2)", "capture(back)", //
                         "draw(plain)", "draw(hidden)", "endRender(back)"};
    EXPECT_EQ(frame(), expected);
    // The target's render step clears the flag: the next frame captures again, once.
    EXPECT_EQ(frame(), expected);

    // Drawing the target again in the same frame does not capture again.
    log.clear();
    EXPECT_EQ(task->drawRenderTarget(back, nullptr, 2147483647), 0);
    EXPECT_TRUE(log.named("capture").empty());
}

TEST_F(DrawPassTest, BatchesSplitByKeyAndByAnObjectThatDoesNotBatch)
{
    auto* rt = target("rt");
    auto text = [&](const std::string& name, const std::string& key) {
        auto* d = drawable(name, rt);
        d->batched = true;
        d->batchKey = key;
        return d;
    };
    auto* t1 = text("t1", "font/A");
    auto* t2 = text("t2", "font/A");
    drawable("p", rt);
    text("t3", "font/A");
    text("t4", std::string("font/A\0", 7));
    text("t5", std::string("font/A\0", 7));

    Calls calls = frame();
    calls.resize(std::find(calls.begin(), calls.end(), "endRender(rt)") - calls.begin() + 1);
    EXPECT_EQ(calls, (Calls{"beginRender(rt)",                                                               //
                            "beginBatch(t1)", "addToBatch(t1)", "addToBatch(t2)", "endBatch(t2)", "draw(t1)", "draw(t2)", //
                            "draw(p)",                                                                           //
                            "beginBatch(t3)", "addToBatch(t3)", "endBatch(t3)", "draw(t3)",                      //
                            "beginBatch(t4)", "addToBatch(t4)", "addToBatch(t5)", "endBatch(t5)", "draw(t4)", "draw(t5)",
                            "endRender(rt)"}));
    // One context serves the whole batch.
    ASSERT_EQ(t1->contexts.size(), 2u);
    EXPECT_EQ(t1->contexts[0], t1->contexts[1]);
    EXPECT_EQ(t2->contexts[0], t1->contexts[0]);
}

TEST_F(DrawPassTest, EachCameraSortsOnlyItsOwnEntriesByDepthFarthestFirst)
{
    auto* rt = target("rt");
    auto* first = keep(new FakeCameraObject("camera1"));
    auto* second = keep(new FakeCameraObject("camera2"));
    drawable("p0", rt, 10);
    auto* c1a = drawable("c1a", rt, 11);
    auto* c2a = drawable("c2a", rt, 12);
    drawable("p1", rt, 13);
    auto* c1b = drawable("c1b", rt, 14);
    auto* c2b = drawable("c2b", rt, 15);
    auto* c1c = drawable("c1c", rt, 16);
    c1a->depths[first->camera] = 1.0f;
    c1b->depths[first->camera] = 5.0f;
    c1c->depths[first->camera] = 1.0f; // equal keys keep their order
    c2a->depths[second->camera] = 2.0f;
    c2b->depths[second->camera] = 9.0f;

    frame();
    // Places keep their priorities; only the objects move.
    EXPECT_EQ(listOf(rt), (Calls{"p0:10", "c1b:11", "c2b:12", "p1:13", "c1a:14", "c2a:15", "c1c:16"}));
}

TEST_F(DrawPassTest, DrawRenderTargetDrawsAnotherTargetsListBelowALimit)
{
    auto* a = target("a");
    auto* b = target("b");
    drawable("low", b, 1);
    drawable("high", b, 7);
    frame();
    log.clear();
    EXPECT_EQ(task->drawRenderTarget(a, b, 5), 0);
    EXPECT_EQ(log.calls(), (Calls{"beginRender(a)", "draw(low)", "endRender(a)"}));

    auto* stranger = new FakeRenderTarget(log, "stranger");
    task->removeRenderTarget(stranger);
    EXPECT_EQ(task->drawRenderTarget(stranger, nullptr, 5), -1);
    EXPECT_EQ(task->drawRenderTarget(a, stranger, 5), -1);
    stranger->release();
}

TEST_F(DrawPassTest, DrawRenderTargetIsNotReenteredForTheSameTarget)
{
    auto* a = target("a");
    struct Reentering : RecordingDrawable
    {
        using RecordingDrawable::RecordingDrawable;
        int draw() override
        {
            result = getTask()->drawRenderTarget(getSurface(), nullptr, 2147483647);
            return RecordingDrawable::draw();
        }
        int result = 0;
    };
    auto* d = keep(new Reentering(log, "d"));
    d->setSurface(a);
    frame();
    EXPECT_EQ(d->result, -1);
}

TEST_F(DrawPassTest, ObjectsDrawnOnTheBackSurfaceAreFlushedFirst)
{
    auto* t1 = drawable("t1");
    t1->batched = true;
    auto* flusher = drawable("flusher");
    flusher->onBackSurface = 1;
    EXPECT_EQ(frame(), (Calls{"beginRender(back)", "draw(back)", "beginBatch(t1)", "addToBatch(t1)", "endBatch(t1)",
                              "draw(t1)", "drawOnBackSurface(flusher)", "draw(flusher)", "endRender(back)"}));
}

TEST_F(DrawPassTest, AnObjectInAnotherTargetIsFlushedInThatTargetsPassAndDrawnOnce)
{
    auto* rt = target("rt");
    auto* flusher = drawable("flusher", rt);
    flusher->onBackSurface = 1;
    const Calls calls = frame();
    const Calls expected{"beginRender(rt)", "drawOnBackSurface(flusher)", "draw(flusher)", "endRender(rt)"};
    auto at = std::search(calls.begin(), calls.end(), expected.begin(), expected.end());
    EXPECT_NE(at, calls.end());
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "draw(flusher)"), 1);
}

// Updates.

TEST_F(DrawPassTest, AnObjectThatDestroysItselfEndsTheUpdatePass)
{
    auto* o1 = drawable("o1");
    auto* o2 = new RecordingDrawable(log, "o2");
    auto* o3 = drawable("o3");
    (void)o1;
    (void)o3;
    o2->onUpdate = [o2] { o2->release(); };
    log.clear();
    task->updateObjects();
    EXPECT_EQ(log.named("update"), (Calls{"update(back)", "update(o1)", "update(o2)"}));
    log.clear();
    task->updateObjects();
    EXPECT_EQ(log.named("update"), (Calls{"update(back)", "update(o1)", "update(o3)"}));
}

TEST_F(DrawPassTest, UpdatesThatDestroyOrCreateOtherObjectsKeepThePassInStep)
{
    auto* earlier = new RecordingDrawable(log, "earlier");
    auto* o1 = drawable("o1");
    auto* doomed = new RecordingDrawable(log, "doomed");
    auto* o2 = drawable("o2");
    auto* o3 = drawable("o3");
    RecordingDrawable* born = nullptr;
    // o1 destroys a later object, o2 creates one, o3 destroys an earlier one.
    o1->onUpdate = [&] { std::exchange(doomed, nullptr)->release(); };
    o2->onUpdate = [&] { born = keep(new RecordingDrawable(log, "born")); };
    o3->onUpdate = [&] { std::exchange(earlier, nullptr)->release(); };
    log.clear();
    task->updateObjects();
    EXPECT_EQ(log.named("update"),
              (Calls{"update(back)", "update(earlier)", "update(o1)", "update(o2)", "update(o3)", "update(born)"}));
    EXPECT_EQ(task->getTaskObjects(), (std::deque<CTaskObject*>{back, o1, o2, o3, born}));
}

TEST_F(DrawPassTest, ReleaseObjectsTellsEveryObjectAndDropsTheCloseHandler)
{
    auto* handler = new RecordingCallback;
    task->setCloseHandler(handler);
    struct Counting : RecordingDrawable
    {
        using RecordingDrawable::RecordingDrawable;
        void onTaskRelease() override { ++calls; }
        int calls = 0;
    };
    auto* a = keep(new Counting(log, "a"));
    EXPECT_EQ(task->releaseObjects(), 0);
    EXPECT_EQ(a->calls, 1);
    EXPECT_EQ(handler->getRefCount(), 1);
    handler->release();
}
