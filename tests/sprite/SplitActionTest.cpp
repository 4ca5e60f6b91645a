// Split actions: cutting the source rectangle into cells, merging them into pieces, queuing actions and
// posing the cells on the action clock, over the recording quads.
#include "sprite/CSprite.h"

#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector2D;
using Kavro::Vector3D;

namespace
{

class SplitActionTest : public ::testing::Test
{
protected:
    SplitActionTest()
    {
        t.push(new TestTask(taskLog, "split"));
        // Frames of 1/60 s.
        t.app->frameSpeed = 1.0f;
        t.app->frameTimeCap = 16.666666f;
    }
    ~SplitActionTest() override
    {
        for (CSprite* s : owned)
            s->release();
    }
    CSprite* colourSprite(int32_t w, int32_t h)
    {
        const int32_t rect[4] = {0, 0, w, h};
        auto* s = new CSprite(Vector2D(), rect);
        const uint8_t white[4] = {255, 255, 255, 255};
        EXPECT_EQ(s->createColorTexture(white), 0);
        owned.push_back(s);
        return s;
    }
    static std::vector<int32_t> columnWidths(const CSprite* s)
    {
        std::vector<int32_t> widths;
        for (int32_t c = 0; c < s->splitColumns; ++c)
            widths.push_back(s->splitPieces[size_t(c)].w);
        return widths;
    }
    static std::vector<int32_t> rowHeights(const CSprite* s)
    {
        std::vector<int32_t> heights;
        for (int32_t r = 0; r < s->splitRows; ++r)
            heights.push_back(s->splitPieces[size_t(r) * size_t(s->splitColumns)].h);
        return heights;
    }
    // An action of time seconds in which every piece moves at velocity, undelayed, with damping.
    static SplitActionDesc steady(float time, Vector3D velocity, float damping)
    {
        SplitActionDesc desc;
        desc.time = time;
        desc.regist = damping;
        desc.vel.enabled = 1;
        desc.vel.randMin = desc.vel.randMax = velocity;
        desc.vel.mask = Vector3D(1.0f, 1.0f, 1.0f);
        desc.vel.dir = Vector3D(1.0f, 0.0f, 0.0f);
        return desc;
    }
    CallLog& log() { return t.core->log; }

    TaskTestApp t;
    CallLog taskLog;
    std::vector<CSprite*> owned;
};

TEST_F(SplitActionTest, GridsKeepCellsOfFifteenTexelsAndShareTheRemainder)
{
    const struct
    {
        int32_t w, h, rows, columns;
        std::vector<int32_t> widths, heights;
    } cases[] = {
        {100, 100, 2, 20, {17, 17, 17, 17, 16, 16}, {50, 50}}, // 20 columns: 100 / 15 = 6
        {103, 40, 1, 4, {26, 26, 26, 25}, {40}},
        {60, 100, 7, 1, {60}, {17, 17, 17, 17, 16, 16}},         // 100 / 7 = 14: 100 / 15 = 6 rows
    };
    for (const auto& c : cases)
    {
        CSprite* s = colourSprite(c.w, c.h);
        log().clear();
        s->splitFace(c.rows, c.columns, 0.0f, 1, 1);
        EXPECT_EQ(columnWidths(s), c.widths) << c.w << "x" << c.h;
        EXPECT_EQ(rowHeights(s), c.heights) << c.w << "x" << c.h;
        EXPECT_EQ(log().named("colorQuad.setQuadCount").size(), 1u);
        for (const SplitPiece& cell : s->splitPieces)
            for (const Vector2D& offset : cell.cornerOffsets)
                EXPECT_EQ(offset, Vector2D()); // an even grid does not jitter
    }
}

TEST_F(SplitActionTest, TooSmallOrRefusedGridsLeaveTheSpriteWhole)
{
    const struct
    {
        int32_t w, h, rows, columns;
    } cases[] = {{10, 100, 1, 2}, {100, 14, 3, 1}, {100, 100, 0, 3}, {100, 100, 3, 0}, {100, 100, -2, 4}, {100, 100, 1, 1}};
    for (const auto& c : cases)
    {
        CSprite* s = colourSprite(c.w, c.h);
        s->splitFace(c.rows, c.columns, 0.5f, 3, 0);
        EXPECT_TRUE(s->splitPieces.empty()) << c.w << "x" << c.h << " " << c.rows << "x" << c.columns;
        EXPECT_EQ(s->getSplitCount(), 0);
        s->pushSplitAction(steady(1.0f, Vector3D(1.0f, 0.0f, 0.0f), 0.0f));
        EXPECT_TRUE(s->getSplitActions().empty());
    }
}

TEST_F(SplitActionTest, RandomGridsCoverTheRectangleAndKeepTheBorderStill)
{
    CSprite* s = colourSprite(200, 120);
    s->splitFace(6, 8, 0.3f, 11, 0);
    const std::vector<int32_t> widths = columnWidths(s), heights = rowHeights(s);
    EXPECT_EQ(std::accumulate(widths.begin(), widths.end(), 0), 200);
    EXPECT_EQ(std::accumulate(heights.begin(), heights.end(), 0), 120);
    for (int32_t width : widths)
        EXPECT_GE(width, 5);
    ASSERT_EQ(s->splitPieces.size(), size_t(s->splitRows) * size_t(s->splitColumns));
    for (int32_t r = 0; r < s->splitRows; ++r)
        for (int32_t c = 0; c < s->splitColumns; ++c)
        {
            const SplitPiece& cell = s->splitPieces[size_t(r * s->splitColumns + c)];
            EXPECT_TRUE(c != 0 || cell.cornerOffsets[0].x == 0.0f);
            EXPECT_TRUE(c != s->splitColumns - 1 || cell.cornerOffsets[1].x == 0.0f);
            EXPECT_TRUE(r != 0 || cell.cornerOffsets[0].y == 0.0f);
            EXPECT_TRUE(r != s->splitRows - 1 || cell.cornerOffsets[2].y == 0.0f);
        }
}

TEST_F(SplitActionTest, MergeRatioDecidesHowManyPiecesTheCellsMake)
{
    const struct
    {
        float ratio;
        int32_t pieces;
    } cases[] = {{0.0f, 24}, {-1.0f, 24}, {1.0f, 1}, {2.0f, 1}};
    for (const auto& c : cases)
    {
        CSprite* s = colourSprite(120, 90);
        s->splitFace(4, 6, c.ratio, 5, 1);
        EXPECT_EQ(s->getSplitCount(), c.pieces) << c.ratio;
        int32_t cells = 0;
        for (const SplitPiece& cell : s->splitPieces)
        {
            ASSERT_GE(cell.pieceIndex, 0);
            ASSERT_LT(cell.pieceIndex, c.pieces);
            if (cell.group == -1) cells += cell.cellCount;
        }
        EXPECT_EQ(cells, 24) << c.ratio;
    }
    // Half merged: every piece is a connected group whose centre is the mean of its cells' centres.
    CSprite* s = colourSprite(120, 90);
    s->splitFace(4, 6, 0.5f, 5, 1);
    EXPECT_EQ(s->getSplitCount(), 12);
    for (const SplitPiece& root : s->splitPieces)
    {
        if (root.group != -1) continue;
        Vector2D sum;
        int32_t members = 0;
        for (const SplitPiece& cell : s->splitPieces)
            if (&cell == &root || cell.group == int32_t(&root - s->splitPieces.data()))
            {
                sum += Vector2D(cell.centre.x, cell.centre.y);
                ++members;
            }
        EXPECT_EQ(members, root.cellCount);
        EXPECT_NEAR(root.groupCentre.x, sum.x / float(members), 1e-4f);
        EXPECT_NEAR(root.groupCentre.y, sum.y / float(members), 1e-4f);
    }
}

TEST_F(SplitActionTest, TheSameSeedGivesTheSameLayoutAndMotions)
{
    SplitActionDesc desc;
    desc.time = 1.0f;
    desc.seed = 42;
    desc.vel.enabled = 1;
    desc.vel.distEdge = Vector2D(1.0f, 1.0f);
    desc.vel.distMin = 10.0f;
    desc.vel.distMax = 50.0f;
    desc.vel.randMin = Vector3D(-5.0f, -5.0f, 0.0f);
    desc.vel.randMax = Vector3D(5.0f, 5.0f, 0.0f);
    desc.vel.mask = Vector3D(1.0f, 1.0f, 1.0f);
    desc.vel.dir = Vector3D(1.0f, 0.0f, 0.0f);
    desc.delay.enabled = 1;
    desc.delay.randMax = 0.5f;
    desc.delay.mask = 1.0f;
    CSprite* a = colourSprite(150, 100);
    CSprite* b = colourSprite(150, 100);
    for (CSprite* s : {a, b})
    {
        s->splitFace(5, 7, 0.4f, 1234, 0);
        s->pushSplitAction(desc);
    }
    // Golden layout of seed 1234: the cuts, and how many pieces the cells make.
    EXPECT_EQ(columnWidths(a), columnWidths(b));
    EXPECT_EQ(rowHeights(a), rowHeights(b));
    EXPECT_EQ(columnWidths(a), (std::vector<int32_t>{30, 32, 31, 6, 19, 19, 13}));
    EXPECT_EQ(rowHeights(a), (std::vector<int32_t>{23, 27, 8, 23, 19}));
    EXPECT_EQ(a->getSplitCount(), 21);
    ASSERT_EQ(a->splitPieces.size(), b->splitPieces.size());
    for (size_t i = 0; i < a->splitPieces.size(); ++i)
    {
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(a->splitPieces[i].cornerOffsets[k], b->splitPieces[i].cornerOffsets[k]);
        EXPECT_EQ(a->splitPieces[i].pieceIndex, b->splitPieces[i].pieceIndex);
    }
    const auto& ma = a->getSplitActions()[0].motions;
    const auto& mb = b->getSplitActions()[0].motions;
    ASSERT_EQ(ma.size(), mb.size());
    bool differ = false;
    for (size_t i = 0; i < ma.size(); ++i)
    {
        EXPECT_EQ(ma[i].velocity, mb[i].velocity);
        EXPECT_EQ(ma[i].delay, mb[i].delay);
        EXPECT_TRUE(std::isfinite(ma[i].velocity.x) && std::isfinite(ma[i].velocity.y) && std::isfinite(ma[i].velocity.z));
        EXPECT_GE(ma[i].delay, 0.0f);
        EXPECT_LE(ma[i].delay, 1.0f);
        differ = differ || !(ma[i].velocity == ma[0].velocity);
    }
    EXPECT_TRUE(differ);
}

TEST_F(SplitActionTest, RepeatingTheRequestKeepsTheActionsAndAChangeDropsThem)
{
    CSprite* s = colourSprite(100, 100);
    s->splitFace(2, 20, 0.0f, 9, 1); // reduced to 6 columns
    ASSERT_EQ(s->splitColumns, 6);
    s->pushSplitAction(steady(1.0f, Vector3D(1.0f, 0.0f, 0.0f), 0.0f));
    log().clear();
    s->splitFace(2, 20, 0.0f, 9, 1);
    EXPECT_EQ(s->getSplitActions().size(), 1u);
    EXPECT_TRUE(log().named("colorQuad.setQuadCount").empty());
    s->splitFace(2, 20, 0.0f, 10, 1);
    EXPECT_TRUE(s->getSplitActions().empty());
    EXPECT_EQ(log().named("colorQuad.setQuadCount").size(), 1u);
}

// Actions of 1 s and 0.5 s, the clock running 0..1500 ms over 2000 ms: at 1200 ms the second action is
// current at 0.2 s. Undamped, a piece starts it again from its rest place; damped, from where the first
// action left it.
TEST_F(SplitActionTest, TheClockRunsThroughTheQueuedActions)
{
    for (float damping : {0.0f, 1.0f})
    {
        CSprite* s = colourSprite(60, 60);
        s->splitFace(2, 2, 0.0f, 1, 1);
        s->pushSplitAction(steady(1.0f, Vector3D(10.0f, 0.0f, 0.0f), damping));
        s->pushSplitAction(steady(0.5f, Vector3D(0.0f, 20.0f, 0.0f), damping));
        s->beginSplitAction(0.0f, 1.0f, 2000.0f, 0, 0);
        s->setSplitActionTimer(1600.0f); // 1600 of 2000 ms: action time 1200 ms
        s->render();
        for (const SplitPiece& cell : s->splitPieces)
        {
            if (damping == 0.0f)
            {
                EXPECT_NEAR(cell.position.x, 0.0f, 1e-4f);
                EXPECT_NEAR(cell.position.y, 20.0f * 0.2f, 1e-4f);
            }
            else
            {
                EXPECT_NEAR(cell.position.x, 10.0f * (1.0f - std::exp(-1.0f)), 1e-4f);
                EXPECT_NEAR(cell.position.y, 20.0f * (1.0f - std::exp(-0.2f)), 1e-4f);
            }
        }
    }
}

TEST_F(SplitActionTest, ZeroDurationsLengthsAndDirectionsStayFinite)
{
    CSprite* s = colourSprite(60, 60);
    s->splitFace(2, 2, 1.0f, 1, 1); // one piece, centred on the sprite's middle
    ASSERT_EQ(s->getSplitCount(), 1);
    SplitActionDesc desc = steady(-3.0f, Vector3D(), 0.0f);
    desc.vel.randMin = Vector3D();
    desc.vel.randMax = Vector3D(1.0f, 1.0f, 1.0f);
    desc.vel.distMax = 10.0f;
    desc.delay.enabled = 1;
    desc.delay.distMin = desc.delay.distMax = 5.0f;
    desc.delay.mask = 1.0f;
    s->pushSplitAction(desc);
    ASSERT_EQ(s->getSplitActions().size(), 1u);
    EXPECT_EQ(s->getSplitActions()[0].time, 0.0f); // a negative length counts as none
    EXPECT_EQ(s->getSplitActions()[0].motions[0].delay, 0.0f);
    const Vector3D v = s->getSplitActions()[0].motions[0].velocity;
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z));
    // A clock of no duration that keeps running adds nothing.
    s->beginSplitAction(0.0f, 1.0f, 0.0f, 0, 1);
    for (int i = 0; i < 5; ++i)
    {
        t.core->milliTime += 16;
        s->update();
        s->render();
    }
    EXPECT_EQ(s->getSplitActionTimer(), 0.0f);
    for (const SplitPiece& cell : s->splitPieces)
        EXPECT_TRUE(std::isfinite(cell.position.x) && std::isfinite(cell.position.y));
}

TEST_F(SplitActionTest, KeepRunningGoesOnPastTheEndUnderTheLastAction)
{
    CSprite* s = colourSprite(60, 60);
    s->splitFace(2, 2, 0.0f, 1, 1);
    s->pushSplitAction(steady(0.1f, Vector3D(10.0f, 0.0f, 0.0f), 0.0f));
    s->beginSplitAction(0.0f, 1.0f, 100.0f, 0, 1);
    float last = -1.0f;
    for (int i = 0; i < 20; ++i)
    {
        t.core->milliTime += 16;
        s->update();
        s->render();
    }
    last = s->splitPieces[0].position.x;
    EXPECT_GT(s->getSplitActionTimer(), 200.0f);
    EXPECT_GT(last, 10.0f * 0.2f);
}

} // namespace
