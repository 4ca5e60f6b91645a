// Lines against the recording line list: the strip they build, when they rebuild and draw, their ends'
// animations, cameras and parents.
#include "particle/CLine.h"
#include "particle/CLinePoint.h"
#include "particle/CNullLine.h"

#include "core/CTask.h"
#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector3D;
using Kavro::Vector4D;

namespace
{

constexpr uint32_t FrameMs = 20;
constexpr float Width = 1280.0f;
constexpr float Height = 720.0f;

struct Pixel
{
    float x, y;
};

// A line position through the line's matrix, as pixels of the 1280 x 720 screen (y down).
Pixel pixelOf(const Vector4D& position, const Kavro::Matrix4x4& matrix)
{
    const Vector4D c = position.Transform(matrix);
    return {(c.x / c.w + 1.0f) * 0.5f * Width, (1.0f - c.y / c.w) * 0.5f * Height};
}

class LineTest : public ::testing::Test
{
protected:
    LineTest() : task(t.push(new TestTask(log, "T"))) {}
    ~LineTest() override
    {
        for (CObject* object : owned)
            object->release();
    }

    // A line as its script class holds it: out of the task's lists, under the task's frame.
    template <class Line = CLine> Line* makeLine(int thickness)
    {
        auto* line = adopt(new Line);
        EXPECT_EQ(line->create(thickness), 0);
        return line;
    }
    template <class Line> Line* adopt(Line* line)
    {
        line->leaveTaskLists();
        line->setParent(task);
        owned.push_back(line);
        return line;
    }
    RecordingLineList& list() { return *t.core->render->lineLists.back(); }
    // One frame of the task's passes: world matrices, rebuild, draw, then the animations step FrameMs.
    void frame(CLine* line)
    {
        t.core->milliTime += FrameMs;
        // A speed above the cap makes every step exactly FrameMs.
        t.app->frameSpeed = 2.0f;
        t.app->frameTimeCap = float(FrameMs);
        task->updateWorldMatrix();
        line->render();
        line->draw();
        line->update();
    }
    // Per frame: whether the line rebuilt its strip.
    std::vector<int> rebuilds(CLine* line, int frames)
    {
        std::vector<int> built;
        for (int i = 0; i < frames; ++i)
        {
            const int before = list().builds;
            frame(line);
            built.push_back(list().builds - before);
        }
        return built;
    }
    void placeEnds(CLine* line, float x0, float y0, float x1, float y1)
    {
        line->move(0, x0, y0, 0, 0);
        line->move(1, x1, y1, 0, 0);
    }

    // Before the application: the device's lists note their release into it.
    CallLog log;
    TaskTestApp t;
    TestTask* task;
    std::vector<CObject*> owned;
};

TEST_F(LineTest, ThicknessTwoIsEightLinesAQuarterPixelApartWithSineLengthenedEnds)
{
    CLine* line = makeLine(2);
    EXPECT_EQ(t.core->log.named("createLineList"), std::vector<std::string>{"createLineList(16)"});
    placeEnds(line, 100.0f, 100.0f, 300.0f, 100.0f);
    frame(line);
    ASSERT_EQ(list().lines.size(), 8u);
    for (size_t i = 0; i < 8; ++i)
    {
        SCOPED_TRACE(i);
        const RecordingLineList::Line& l = list().lines[i];
        const Pixel from = pixelOf(l.from, l.matrix), to = pixelOf(l.to, l.matrix);
        // Across: -1 .. +0.75 pixel about the centre line (upwards), all moved by half a pixel right and up.
        const float across = 100.0f - (-1.0f + 0.25f * float(i)) - 0.5f;
        const float lengthened = std::sin(3.14159265f / 8.0f * float(i));
        EXPECT_NEAR(from.y, across, 1e-3f);
        EXPECT_NEAR(to.y, across, 1e-3f);
        EXPECT_NEAR(from.x, 100.5f - lengthened, 1e-3f);
        EXPECT_NEAR(to.x, 300.5f + lengthened, 1e-3f);
        EXPECT_EQ(l.fromColour, 0xFFFFFFFFu);
        EXPECT_EQ(l.toColour, 0xFFFFFFFFu);
    }
    EXPECT_NEAR(pixelOf(list().lines[4].from, list().lines[4].matrix).x, 99.5f, 1e-3f);
    EXPECT_NEAR(pixelOf(list().lines[0].from, list().lines[0].matrix).x, 100.5f, 1e-3f);
}

TEST_F(LineTest, ThicknessIsClampedAndSizesTheListAndTheStrip)
{
    const struct
    {
        int asked, listSize, lines;
    } cases[] = {{0, 8, 1}, {-3, 8, 1}, {1, 8, 1}, {3, 24, 12}, {10, 80, 40}, {25, 80, 40}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.asked);
        t.core->log.clear();
        CLine* line = makeLine(c.asked);
        EXPECT_EQ(line->getThickness(), c.listSize / 8);
        EXPECT_EQ(t.core->log.named("createLineList"),
                  std::vector<std::string>{"createLineList(" + std::to_string(c.listSize) + ")"});
        placeEnds(line, 10.0f, 20.0f, 30.0f, 60.0f);
        frame(line);
        ASSERT_EQ(list().lines.size(), size_t(c.lines));
    }
    // Thickness 1: end to end exactly, without the half-pixel nudge or rounding.
    CLine* thin = makeLine(1);
    placeEnds(thin, 10.0f, 20.0f, 30.0f, 60.0f);
    frame(thin);
    const Pixel from = pixelOf(list().lines[0].from, list().lines[0].matrix);
    const Pixel to = pixelOf(list().lines[0].to, list().lines[0].matrix);
    EXPECT_NEAR(from.x, 10.0f, 1e-3f);
    EXPECT_NEAR(from.y, 20.0f, 1e-3f);
    EXPECT_NEAR(to.x, 30.0f, 1e-3f);
    EXPECT_NEAR(to.y, 60.0f, 1e-3f);
}

TEST_F(LineTest, RebuildsInTheFrameOfAChangeAndTheNextOnly)
{
    CLine* line = makeLine(2);
    placeEnds(line, 100.0f, 100.0f, 300.0f, 100.0f);
    EXPECT_EQ(rebuilds(line, 4), (std::vector<int>{1, 1, 0, 0}));
    line->fade(0, 0.5f, 0, 0);
    EXPECT_EQ(rebuilds(line, 3), (std::vector<int>{1, 1, 0}));
    // A move over three frames: rebuilt while it runs, in the frame its end lands and once after.
    line->move(1, 400.0f, 100.0f, 3 * FrameMs, 0);
    EXPECT_EQ(rebuilds(line, 7), (std::vector<int>{1, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(line->getMove(1), Vector3D(400.0f, 100.0f, 0.0f));
    line->setMoveTimer(1, 0.0f);
    EXPECT_EQ(line->getMove(1), Vector3D(300.0f, 100.0f, 0.0f));
    EXPECT_EQ(rebuilds(line, 1), std::vector<int>{1});
}

TEST_F(LineTest, DrawsOnlyWhenVisibleAndAnEndHasAlpha)
{
    CLine* line = makeLine(2);
    placeEnds(line, 100.0f, 100.0f, 300.0f, 100.0f);
    const struct
    {
        float alpha0, alpha1;
        int visible;
        int drawn;
    } cases[] = {{0.0f, 0.0f, 1, 0}, {1.0f / 255.0f, 0.0f, 1, 1}, {0.0f, 1.0f, 1, 1}, {1.0f, 1.0f, 0, 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.alpha0);
        line->fade(0, c.alpha0, 0, 0);
        line->fade(1, c.alpha1, 0, 0);
        line->setVisible(c.visible);
        const int before = list().renders;
        frame(line);
        EXPECT_EQ(list().renders - before, c.drawn);
    }
}

TEST_F(LineTest, ColoursArePackedFromEachEndsColourAndAlpha)
{
    CLine* line = makeLine(1);
    placeEnds(line, 0.0f, 0.0f, 10.0f, 0.0f);
    line->setColor(0, 1.0f, 0.5f, 0.0f, 0.0f, 0);
    line->setColor(1, 2.0f, -1.0f, 0.25f, 0.0f, 0);
    line->fade(1, 0.5f, 0, 0);
    frame(line);
    EXPECT_EQ(list().lines[0].fromColour, 0xFF007FFFu);
    EXPECT_EQ(list().lines[0].toColour, 0x7F3F00FFu);
    EXPECT_EQ(line->getColor(1), Vector4D(2.0f, -1.0f, 0.25f, 0.5f));

    // Index -1 colours both ends, over time; 2 or more changes nothing but still rebuilds.
    line->setColor(-1, 0.0f, 0.0f, 1.0f, 100.0f, 0);
    frame(line);
    EXPECT_EQ(line->getColorTimer(0), float(FrameMs));
    EXPECT_EQ(line->getColorTimer(1), float(FrameMs));
    EXPECT_EQ(line->getColorTimer(-1), float(FrameMs));
    line->setColorTimer(0, 100.0f);
    line->setColorTimer(1, 100.0f);
    EXPECT_EQ(line->getColor(0), Vector4D(0.0f, 0.0f, 1.0f, 1.0f));
    rebuilds(line, 3);
    line->setColor(2, 1.0f, 1.0f, 1.0f, 0.0f, 0);
    EXPECT_EQ(line->getColor(0), Vector4D(0.0f, 0.0f, 1.0f, 1.0f));
    EXPECT_EQ(line->getColorTimer(2), 0.0f);
    EXPECT_EQ(rebuilds(line, 1), std::vector<int>{1});
}

TEST_F(LineTest, AnIndexOutsideTheTwoEndsChangesNothingAndReadsZero)
{
    CLine* line = makeLine(2);
    placeEnds(line, 1.0f, 2.0f, 3.0f, 4.0f);
    for (int index : {-1, 2, 7})
    {
        SCOPED_TRACE(index);
        line->fade(index, 0.0f, 0, 0);
        line->move(index, 50.0f, 60.0f, 0, 0);
        line->move3D(index, 50.0f, 60.0f, 70.0f, 0, 0);
        line->setFadeTimer(index, 5.0f);
        line->setMoveTimer(index, 5.0f);
        EXPECT_EQ(line->getFade(index), 0.0f);
        EXPECT_EQ(line->getMove(index), Vector3D());
        EXPECT_EQ(line->getColor(index), Vector4D());
        EXPECT_EQ(line->isFading(index), 0);
        EXPECT_EQ(line->isMoving(index), 0);
        EXPECT_EQ(line->getFadeTimer(index), 0.0f);
        EXPECT_EQ(line->getMoveTimer(index), 0.0f);
        EXPECT_EQ(line->getPoint(index), nullptr);
    }
    EXPECT_EQ(line->getMove(0), Vector3D(1.0f, 2.0f, 0.0f));
    EXPECT_EQ(line->getMove(1), Vector3D(3.0f, 4.0f, 0.0f));
    EXPECT_EQ(line->getFade(0), 1.0f);
    EXPECT_EQ(line->getFade(1), 1.0f);
}

TEST_F(LineTest, EndsOnOnePlaceDrawNothing)
{
    CLine* line = makeLine(3);
    placeEnds(line, 50.0f, 50.0f, 50.0f, 50.0f);
    frame(line);
    EXPECT_EQ(list().builds, 1);
    EXPECT_TRUE(list().lines.empty());
    line->move(1, 51.0f, 50.0f, 0, 0);
    frame(line);
    EXPECT_EQ(list().lines.size(), 12u);
}

TEST_F(LineTest, TimersSeekAndTheTimeScaleReachesEveryAnimation)
{
    CLine* line = makeLine(2);
    line->fade(0, 0.0f, 100, 0);
    line->move3D(1, 100.0f, 0.0f, 0.0f, 100, 0);
    frame(line);
    frame(line);
    EXPECT_EQ(line->getFadeTimer(0), 40.0f);
    EXPECT_EQ(line->isFading(0), 1);
    EXPECT_EQ(line->getMoveTimer(1), 40.0f);
    line->setFadeTimer(0, 75.0f);
    EXPECT_NEAR(line->getFade(0), 0.25f, 1e-6f);
    line->setFadeTimer(0, 500.0f);
    EXPECT_EQ(line->getFadeTimer(0), 100.0f);

    // Half speed: a step of frame speed 2 x 16.666666 ms x 0.5, below the cap.
    line->setTimeScale(0.5f);
    frame(line);
    EXPECT_NEAR(line->getMoveTimer(1), 40.0f + 16.666666f, 1e-3f);
    for (int i = 0; i < 2; ++i)
    {
        const CLinePoint* end = line->getPoint(i);
        EXPECT_EQ(end->fade.timeScale, 0.5f);
        EXPECT_EQ(end->move.timeScale, 0.5f);
        EXPECT_EQ(end->color.timeScale, 0.5f);
    }
}

TEST_F(LineTest, CameraSetsThePixelScaleAndKeepsTheLineRebuilding)
{
    CLine* line = makeLine(2);
    auto* camera = new FakeCamera;
    const struct
    {
        float distance, fieldOfView;
        int projection;
        float scale;
    } cases[] = {
        {500.0f, 60.0f, 0, 0.8018f},                // 2 x 500 x tan(30 degrees) / 720
        {500.0f, 0.0f, 0, 0.5753f},                 // the camera's own 45 degrees
        {0.0f, 60.0f, 0, 1.0f},                     // no distance
        {500.0f, 60.0f, 1, 1.0f},                   // orthographic
    };
    for (const auto& c : cases)
    {
        camera->projection = c.projection;
        line->setCamera(camera, c.distance, c.fieldOfView);
        EXPECT_NEAR(line->pixelScale.x, c.scale, 1e-4f);
        EXPECT_EQ(line->pixelScale.y, line->pixelScale.x);
        EXPECT_EQ(line->pixelScale.z, line->pixelScale.x);
        EXPECT_EQ(line->getWorldScale(), line->pixelScale);
    }

    // At the camera's own distance one unit of the ends is one pixel of the screen again.
    camera->projection = 0;
    line->setCamera(camera, 1000.0f, 0.0f);
    placeEnds(line, 640.0f, 360.0f, 740.0f, 300.0f);
    EXPECT_EQ(rebuilds(line, 4), (std::vector<int>{1, 1, 1, 1}));
    EXPECT_NEAR(line->getScreenPosition(0).x, 640.0f, 1e-2f);
    EXPECT_NEAR(line->getScreenPosition(0).y, 360.0f, 1e-2f);
    EXPECT_NEAR(line->getScreenPosition(1).x, 740.0f, 1e-2f);
    EXPECT_NEAR(line->getScreenPosition(1).y, 300.0f, 1e-2f);

    EXPECT_TRUE(line->isInCamera(camera));
    FakeCamera other;
    EXPECT_FALSE(line->isInCamera(&other));
    EXPECT_EQ(line->getCameraDepth(&other), 0.0f);
    line->move3D(1, 740.0f, 300.0f, 200.0f, 0, 0);
    frame(line);
    EXPECT_EQ(line->getCameraDepth(camera), line->getScreenPosition(1).z);
    EXPECT_GT(line->getScreenPosition(1).z, line->getScreenPosition(0).z);

    const int held = camera->getRefCount();
    line->setCamera(nullptr, -1.0f, -1.0f);
    EXPECT_EQ(camera->getRefCount(), held - 1);
    EXPECT_EQ(line->pixelScale, Vector3D(1.0f, 1.0f, 1.0f));
    EXPECT_FALSE(line->isInCamera(camera));
    EXPECT_EQ(rebuilds(line, 3), (std::vector<int>{1, 1, 0}));
    camera->release();
}

TEST_F(LineTest, ALinkedEndFollowsItsParentAndRebuildsWhenItMoves)
{
    CLine* line = makeLine(1);
    placeEnds(line, 100.0f, 100.0f, 10.0f, 20.0f);
    auto* anchor = new RecordingDrawable(log, "anchor");
    owned.push_back(anchor);
    anchor->setParent(task);
    anchor->local = Kavro::Matrix4x4::GetTranslation(200.0f, -50.0f, 0.0f);
    line->getPoint(1)->setParent(anchor);
    EXPECT_EQ(rebuilds(line, 3), (std::vector<int>{1, 1, 0}));
    const RecordingLineList::Line& l = list().lines[0];
    const Pixel to = pixelOf(l.to, l.matrix);
    EXPECT_NEAR(to.x, 210.0f, 1e-3f);
    EXPECT_NEAR(to.y, 70.0f, 1e-3f);

    anchor->local = Kavro::Matrix4x4::GetTranslation(300.0f, -50.0f, 0.0f);
    EXPECT_EQ(rebuilds(line, 3), (std::vector<int>{1, 1, 0}));
    EXPECT_NEAR(pixelOf(list().lines[0].to, list().lines[0].matrix).x, 310.0f, 1e-3f);
    EXPECT_EQ(line->getPoint(1)->getWorldScale(), anchor->getWorldScale());
}

TEST_F(LineTest, BlendModeStoredBeforeCreateIsNotGivenToTheNewList)
{
    auto* line = adopt(new CLine);
    line->setBlendMode(3);
    EXPECT_EQ(line->create(2), 0);
    EXPECT_EQ(list().blendMode, 1);
    EXPECT_EQ(line->getBlendMode(), 3);
    line->setBlendMode(2);
    EXPECT_EQ(list().blendMode, 2);
}

TEST_F(LineTest, WithoutAListTheLineIsNotCreatedAndDrawsNothing)
{
    t.core->render->noLineList = true;
    auto* line = adopt(new CLine);
    EXPECT_EQ(line->create(2), -1);
    EXPECT_FALSE(line->isCreated());
    placeEnds(line, 0.0f, 0.0f, 10.0f, 10.0f);
    frame(line);
    EXPECT_TRUE(t.core->log.named("lineList.render").empty());
}

TEST_F(LineTest, DestroyingTheLineReleasesItsListCameraAndEnds)
{
    auto* line = new CLine;
    line->leaveTaskLists();
    ASSERT_EQ(line->create(2), 0);
    list().releaseNote = {&log, "lines"};
    auto* camera = new FakeCamera;
    line->setCamera(camera, 100.0f, 30.0f);
    auto* anchor = new RecordingDrawable(log, "anchor");
    line->getPoint(0)->setParent(anchor);
    EXPECT_EQ(anchor->getChildren().size(), 1u);
    log.clear();
    line->release();
    EXPECT_EQ(log.named("release"), std::vector<std::string>{"release(lines)"});
    EXPECT_EQ(camera->getRefCount(), 1);
    EXPECT_TRUE(anchor->getChildren().empty());
    camera->release();
    anchor->release();
}

TEST_F(LineTest, NullLineKeepsItsEndsButNeverAnimatesBuildsOrDraws)
{
    auto* line = adopt(new CNullLine);
    EXPECT_FALSE(line->isCreated());
    EXPECT_EQ(line->getMove(1), Vector3D());
    EXPECT_EQ(line->getColor(0), Vector4D(1.0f, 1.0f, 1.0f, 1.0f));
    line->move(1, 100.0f, 200.0f, 0, 0);
    line->fade(0, 0.0f, 100, 0);
    auto* camera = new FakeCamera;
    line->setCamera(camera, 500.0f, 60.0f);
    frame(line);
    frame(line);
    EXPECT_EQ(line->getMove(1), Vector3D(100.0f, 200.0f, 0.0f));
    EXPECT_EQ(line->isFading(0), 1);
    EXPECT_EQ(line->getFade(0), 1.0f);
    EXPECT_FALSE(line->isInCamera(camera));
    EXPECT_EQ(camera->getRefCount(), 1);
    EXPECT_TRUE(t.core->log.named("createLineList").empty());
    camera->release();
}

} // namespace
