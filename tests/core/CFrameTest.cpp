#include "core/CFrame.h"
#include "core/CRenderingTaskObject.h"

#include "support/FakeTaskObjects.h"

#include <gtest/gtest.h>

using namespace Orvane;
using OrvaneTest::FakeRenderTarget;
using OrvaneTest::TaskTestApp;
using OrvaneTest::TestTask;

namespace
{
std::vector<CFrame*> childrenOf(const CFrame& frame)
{
    return frame.getChildren();
}
} // namespace

TEST(CFrame, AttachingTwiceToTheSameParentKeepsOneEntry)
{
    CFrame parent("parent");
    CFrame a("a", &parent), b("b", &parent);
    a.setParent(&parent);
    // Left and joined again: one entry, now at the end.
    EXPECT_EQ(childrenOf(parent), (std::vector<CFrame*>{&b, &a}));

    CFrame other("other");
    a.setParent(&other);
    EXPECT_EQ(childrenOf(parent), (std::vector<CFrame*>{&b}));
    EXPECT_EQ(childrenOf(other), (std::vector<CFrame*>{&a}));
    EXPECT_EQ(a.getParent(), &other);

    a.setParent(nullptr);
    EXPECT_TRUE(other.getChildren().empty());
    EXPECT_EQ(a.getParent(), nullptr);
}

TEST(CFrame, DestroyedParentLeavesItsChildrenRootless)
{
    auto* parent = new CFrame("parent");
    CFrame child("child", parent), grandChild("grand", &child);
    parent->local = Kavro::Matrix4x4::GetTranslation(100, 0, 0);
    child.local = Kavro::Matrix4x4::GetTranslation(0, 5, 0);
    parent->updateWorldMatrix();
    EXPECT_FLOAT_EQ(child.world._41, 100.0f);

    parent->release();
    EXPECT_EQ(child.getParent(), nullptr);
    EXPECT_EQ(grandChild.getParent(), &child);
    child.updateWorldMatrix();
    EXPECT_EQ(child.world, child.local);
    EXPECT_EQ(grandChild.world, child.local);
}

TEST(CFrame, DestroyedChildLeavesItsParent)
{
    CFrame parent("parent");
    auto* child = new CFrame("child", &parent);
    CFrame sibling("sibling", &parent);
    child->release();
    EXPECT_EQ(childrenOf(parent), (std::vector<CFrame*>{&sibling}));
}

TEST(CFrame, WorldMatricesDownAThreeLevelTree)
{
    CFrame root("root");
    CFrame middle("middle", &root);
    CFrame leaf("leaf", &middle);
    CFrame leafSibling("leaf2", &middle);
    root.local = Kavro::Matrix4x4::GetTranslation(10, 20, 0);
    middle.local = Kavro::Matrix4x4::GetScaling(2, 2, 1);
    leaf.local = Kavro::Matrix4x4::GetTranslation(1, 0, 0);
    leafSibling.local = Kavro::Matrix4x4::GetRotationZ(90);

    EXPECT_EQ(root.updateWorldMatrix(), 0);

    // Row vectors: local on the left, so a leaf point is moved, then scaled, then moved again.
    const Kavro::Vector3D p = leaf.world.TransformPoint({0, 0, 0});
    EXPECT_FLOAT_EQ(p.x, 12.0f);
    EXPECT_FLOAT_EQ(p.y, 20.0f);
    EXPECT_EQ(middle.world, middle.local * root.local);
    EXPECT_EQ(leafSibling.world, leafSibling.local * middle.local * root.local);
    EXPECT_EQ(leaf.getParentWorldMatrix(), middle.world);
    EXPECT_EQ(root.getParentWorldMatrix(), Kavro::Matrix4x4());
}

TEST(CFrame, ViewSizesFollowTheScreenAndTheSurface)
{
    TaskTestApp t;
    CFrame lone("lone");
    EXPECT_EQ(lone.getViewSize(), Kavro::Vector2D(1280, 720));
    EXPECT_EQ(lone.getParentViewSize(), Kavro::Vector2D(1280, 720));
    EXPECT_EQ(lone.getWorldScale(), Kavro::Vector3D(1, 1, 1));

    OrvaneTest::CallLog log;
    auto* task = t.push(new TestTask(log, "T"));
    task->initialize();
    auto* surfaceTexture = new OrvaneTest::FakeTexture("suf://a", 256, 128, 2);
    auto* target = new FakeRenderTarget(log, "target", surfaceTexture);
    auto* textureless = new FakeRenderTarget(log, "textureless");
    auto* drawable = new OrvaneTest::RecordingDrawable(log, "sprite");

    EXPECT_EQ(drawable->getViewSize(), Kavro::Vector2D(1280, 720));
    drawable->setSurface(target);
    EXPECT_EQ(drawable->getViewSize(), Kavro::Vector2D(256, 128));
    // Its parent is the task, a root: the parent view is its own surface's size.
    EXPECT_EQ(drawable->getParentViewSize(), Kavro::Vector2D(256, 128));
    drawable->setSurface(textureless);
    EXPECT_EQ(drawable->getViewSize(), Kavro::Vector2D(1280, 720));

    // Under a parent that has a parent: that parent's view size.
    auto* holder = new OrvaneTest::RecordingDrawable(log, "holder");
    holder->setSurface(target);
    drawable->setParent(holder);
    EXPECT_EQ(drawable->getParentViewSize(), Kavro::Vector2D(256, 128));

    drawable->release();
    holder->release();
    textureless->release();
    target->release();
    surfaceTexture->release();
}
