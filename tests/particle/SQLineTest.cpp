// The line script class through the script host over the recording render device: the null line before
// create, fresh lines, names of links, surfaces and cameras, results in SQMATH_RET_*, argument checks.
#include "ScriptHostFixture.h"

#include "core/CTask.h"
#include "particle/CLinePoint.h"
#include "particle/CNullLine.h"
#include "particle/Squirrel/SQLine.h"

#include "support/FakeTaskObjects.h"

#include <algorithm>

using namespace OrvaneTest;
using Orvane::CLine;
using Orvane::Squirrel::SQLine;

namespace
{

class SQLineTest : public ScriptTaskFixture
{
protected:
    void SetUp() override
    {
        ScriptTaskFixture::SetUp();
        app->renderDevice = core->getRenderDevice();
        app->screenWidth = 1280;
        app->screenHeight = 720;
    }
    void TearDown() override
    {
        app->renderDevice->release();
        app->renderDevice = nullptr;
        ScriptTaskFixture::TearDown();
    }

    SQLine* binding(const std::string& name) { return dynamic_cast<SQLine*>(task->findTaskObject(name)); }
    CLine* line(const std::string& name) { return binding(name)->getEngineObject(); }
    bool inTaskLists(Orvane::CRenderingTaskObject* object) const
    {
        const auto& objects = task->getTaskObjects();
        const auto& drawn = task->getRenderingObjects();
        return std::count(objects.begin(), objects.end(), object) != 0 ||
               std::any_of(drawn.begin(), drawn.end(), [&](const auto& record) { return record.object == object; });
    }
};

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(SQLineTest, TheClassHasItsMethods)
{
    ASSERT_EQ(runSnippet("::names <- 0; foreach (k, v in SQLine) if (typeof v == \"function\" && k != \"constructor\") ++::names;"), "");
    EXPECT_EQ(eval("::names"), "31");
}

TEST_F(SQLineTest, BeforeCreateTheLineIsANullLineWhoseEndsCanBeSetAndRead)
{
    ASSERT_EQ(runSnippet("::l <- SQLine(\"l\");"), "");
    CLine* null = line("l");
    EXPECT_NE(dynamic_cast<Orvane::CNullLine*>(null), nullptr);
    EXPECT_FALSE(inTaskLists(null));
    ASSERT_EQ(runSnippet("::l.getMove(1);"), "");
    EXPECT_EQ(results(), "0,0,0,0");
    ASSERT_EQ(runSnippet("::l.getColor(0);"), "");
    EXPECT_EQ(results(), "1,1,1,1");
    ASSERT_EQ(runSnippet("::l.move3D(1, 1.5, 2.0, 3.0, 0, 0); ::l.getMove(1);"), "");
    EXPECT_EQ(results(), "1.5,2,3,0");
    // Out of the two ends: nothing changes and the getters answer zeros.
    ASSERT_EQ(runSnippet("::l.move(2, 9.0, 9.0, 0, 0); ::l.getMove(2);"), "");
    EXPECT_EQ(results(), "0,0,0,0");
    ASSERT_EQ(runSnippet("::l.getColor(-1);"), "");
    EXPECT_EQ(results(), "0,0,0,0");
    EXPECT_EQ(eval("::l.getFade(5)"), "0");
    EXPECT_TRUE(core->log.named("createLineList").empty());
}

TEST_F(SQLineTest, CreateMakesAFreshLineOutOfTheTaskUnderItsFrame)
{
    ASSERT_EQ(runSnippet("::l <- SQLine(\"l\"); ::l.setTimeScale(0.5); ::l.create(3);"
                         "::l.move(1, 10.0, 20.0, 0, 0); ::l.fade(0, 0.25, 500, 0); ::l.setColor(-1, 0.0, 1.0, 0.0, 0, 0);"),
              "");
    CLine* first = line("l");
    EXPECT_EQ(dynamic_cast<Orvane::CNullLine*>(first), nullptr);
    EXPECT_TRUE(first->isCreated());
    EXPECT_EQ(first->getThickness(), 3);
    EXPECT_FALSE(inTaskLists(first));
    EXPECT_EQ(first->getParent(), task);
    EXPECT_EQ(binding("l")->getParent(), nullptr);
    EXPECT_EQ(first->getPoint(0)->fade.timeScale, 0.5f);
    EXPECT_EQ(eval("::l.isFading(0)"), "1");
    RecordingLineList* firstList = core->render->lineLists.back();
    firstList->releaseNote = {&log, "first"};

    // A second create drops the first line with its list and animations.
    EXPECT_EQ(eval("::l.create(3)"), "0");
    EXPECT_EQ(log.named("release"), std::vector<std::string>{"release(first)"});
    EXPECT_EQ(eval("::l.isFading(0)"), "0");
    ASSERT_EQ(runSnippet("::l.getMove(1);"), "");
    EXPECT_EQ(results(), "0,0,0,0");
    ASSERT_EQ(runSnippet("::l.getColor(1);"), "");
    EXPECT_EQ(results(), "1,1,1,1");
    EXPECT_EQ(line("l")->getPoint(1)->move.timeScale, 0.5f);
    EXPECT_EQ(eval("::l.create(-4)"), "0");
    EXPECT_EQ(line("l")->getThickness(), 1);

    // No list from the device: still 0, and a line that draws nothing.
    core->render->noLineList = true;
    EXPECT_EQ(eval("::l.create(2)"), "0");
    EXPECT_FALSE(line("l")->isCreated());
}

TEST_F(SQLineTest, LinkHangsAnEndUnderTheNamedObjectOrBackUnderTheLine)
{
    auto* anchor = new RecordingDrawable(log, "anchor");
    ASSERT_EQ(runSnippet("::l <- SQLine(\"l\"); ::l.create(2); ::other <- SQLine(\"other\"); ::other.create(1);"), "");
    CLine* l = line("l");
    const struct
    {
        const char* call;
        Orvane::CFrame* endParent0;
        Orvane::CFrame* endParent1;
    } steps[] = {
        {"::l.link(0, \"anchor\")", anchor, l},
        {"::l.link(1, \"other\")", anchor, line("other")},
        {"::l.link(0, \"\")", l, line("other")},
        {"::l.link(1, \"nobody\")", l, l},
        {"::l.link(2, \"anchor\")", l, l},
        {"::l.link(-1, \"anchor\")", l, l},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.call);
        ASSERT_EQ(runSnippet(std::string(step.call) + ";"), "");
        EXPECT_EQ(l->getPoint(0)->getParent(), step.endParent0);
        EXPECT_EQ(l->getPoint(1)->getParent(), step.endParent1);
    }
    anchor->release();
}

TEST_F(SQLineTest, SetCameraTakesOnlyACameraObjectsCamera)
{
    auto* camera = new FakeCameraObject("cam");
    auto* plain = new RecordingDrawable(log, "plain");
    ASSERT_EQ(runSnippet("::l <- SQLine(\"l\"); ::l.create(2); ::l.setCamera(\"cam\", 500.0, 60.0);"), "");
    EXPECT_TRUE(line("l")->isInCamera(camera->camera));
    EXPECT_TRUE(binding("l")->isInCamera(camera->camera));
    EXPECT_NEAR(line("l")->pixelScale.x, 0.8018f, 1e-4f);
    const struct
    {
        const char* name;
        bool inCamera;
    } cases[] = {{"", false}, {"cam", true}, {"plain", false}, {"nobody", false}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(runSnippet(std::string("::l.setCamera(\"") + c.name + "\", 500.0, 60.0);"), "");
        EXPECT_EQ(line("l")->isInCamera(camera->camera), c.inCamera);
        EXPECT_EQ(line("l")->pixelScale.x == 1.0f, !c.inCamera);
    }
    ASSERT_EQ(runSnippet("::l.setCamera(\"\", 0.0, 0.0);"), "");
    plain->release();
    camera->release();
}

TEST_F(SQLineTest, SetSurfaceTakesOnlyARenderTarget)
{
    auto* texture = new FakeTexture("suf://t", 200, 100, 2);
    auto* target = new FakeRenderTarget(log, "rt", texture);
    auto* plain = new RecordingDrawable(log, "plain");
    ASSERT_EQ(runSnippet("::l <- SQLine(\"l\"); ::l.create(2); ::l.setSurface(\"rt\");"), "");
    EXPECT_EQ(line("l")->getOwnSurface(), target);
    EXPECT_EQ(line("l")->getTargetViewSize(), Kavro::Vector2D(200.0f, 100.0f));
    for (const char* name : {"plain", "", "nobody"})
    {
        ASSERT_EQ(runSnippet("::l.setSurface(\"rt\"); ::l.setSurface(\"" + std::string(name) + "\");"), "");
        EXPECT_EQ(line("l")->getOwnSurface(), nullptr) << name;
    }
    plain->release();
    target->release();
    texture->release();
}

TEST_F(SQLineTest, TheBindingDrivesTheLineAndEraseStopsItsDrawing)
{
    ASSERT_EQ(runSnippet("::l <- SQLine(\"l\"); ::l.create(2); ::l.move(1, 100.0, 0.0, 0, 0);"), "");
    SQLine* b = binding("l");
    RecordingLineList* list = core->render->lineLists.back();
    EXPECT_TRUE(inTaskLists(b));
    task->updateWorldMatrix();
    b->render();
    b->draw();
    EXPECT_EQ(list->builds, 1);
    EXPECT_EQ(list->renders, 1);
    EXPECT_EQ(b->getFlag(), 1);
    ASSERT_EQ(runSnippet("::l.setErase(1);"), "");
    b->render();
    b->draw();
    EXPECT_EQ(list->renders, 1);

    ASSERT_EQ(runSnippet("::l.fade(0, 0.0, 100, 0);"), "");
    core->milliTime += 50;
    app->frameSpeed = 3.0f;
    app->frameTimeCap = 50.0f;
    b->update();
    EXPECT_EQ(eval("::l.getFadeTimer(0)"), "50");
    EXPECT_EQ(eval("::l.getFade(0)"), "0.5");
    ASSERT_EQ(runSnippet("::l.setFadeTimer(0, 25.0); ::l.setBlendMode(4);"), "");
    EXPECT_EQ(eval("::l.getFade(0)"), "0.75");
    EXPECT_EQ(list->blendMode, 4);
}

TEST_F(SQLineTest, ArgumentsMustHaveTheirTypes)
{
    ASSERT_EQ(runSnippet("::l <- SQLine(\"l\");"), "");
    EXPECT_TRUE(contains(eval("SQLine(1)"), "Incorrect function argument"));
    EXPECT_TRUE(contains(eval("::l.move(0, 1, 2.0, 0, 0)"), "Incorrect function argument"));
    EXPECT_TRUE(contains(eval("::l.fade(0, 1.0, 0.5, 0)"), "Incorrect function argument"));
    EXPECT_TRUE(contains(eval("::l.link(0, 5)"), "Incorrect function argument"));
    EXPECT_TRUE(contains(eval("SQLine.getFade.call(SQFile(\"f\"), 0)"), "Invalid Instance Type"));
    // The colour's time is an integer here, though the line keeps it as a float.
    ASSERT_EQ(runSnippet("::l.setColor(0, 0.5, 0.5, 0.5, 0, 0); ::l.getColor(0);"), "");
    EXPECT_EQ(results(), "0.5,0.5,0.5,1");
}
