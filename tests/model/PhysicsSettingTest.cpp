// The physics-setting file of a model over the recording 3D and physics fakes: the bytes an export writes,
// what an import builds from whole, cut, hostile and foreign files, import groups, and the frames and bodies
// the model holds.
#include "ModelFixture.h"

#include "core/CApp.h"
#include "scene/CJoint.h"
#include "scene/CRigidBody.h"
#include "value/SafeFileFaults.h"

#include "support/FakePhysics.h"

#include <kavro/IModelResource.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

using namespace OrvaneTest;
using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Orvane::CModel;
using Orvane::CRigidBody;
using Bytes = std::vector<uint8_t>;

namespace
{

// Offsets of the file: header, then 376-byte body records, the joint count and 652-byte joint records.
constexpr size_t BodyRecords = 40, BodySize = 376, JointSize = 652;

// A file's bytes built field by field.
struct Expected
{
    Bytes bytes;
    explicit Expected(size_t size) : bytes(size, 0) {}
    void raw(size_t at, const void* data, size_t size) { std::memcpy(bytes.data() + at, data, size); }
    void u32(size_t at, uint32_t v) { raw(at, &v, 4); }
    void f32(size_t at, float v) { raw(at, &v, 4); }
    void text(size_t at, const char* s) { raw(at, s, std::strlen(s)); }
    void vector(size_t at, const Vector3D& v)
    {
        f32(at, v.x), f32(at + 4, v.y), f32(at + 8, v.z);
    }
    void matrix(size_t at, const Matrix4x4& m)
    {
        for (int i = 0; i < 16; ++i)
            f32(at + 4 * size_t(i), m.m[i / 4][i % 4]);
    }
};

Matrix4x4 placed(const Matrix4x4& rotation, const Vector3D& at)
{
    Matrix4x4 m = rotation;
    m._41 = at.x, m._42 = at.y, m._43 = at.z;
    return m;
}

void expectNear(const Matrix4x4& actual, const Matrix4x4& expected, const char* what)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i / 4][i % 4], expected.m[i / 4][i % 4], 1e-6f) << what << " [" << i << "]";
}

class PhysicsSettingTest : public ModelTest
{
protected:
    PhysicsSettingTest()
    {
        // hip > (arm, leg); head is another root.
        FakeFrameSpec hip{"hip", {}, {}, {}, {{"arm", {}, {}, {}, {}}, {"leg", {}, {}, {}, {}}}};
        fake.models["m.mdl"].frames = {hip, {"head", {}, {}, {}, {}}};
        fake.models["other.mdl"] = FakeModelSpec();
        world = new FakePhysicsWorld(log, "world1", &fake);
        t.app->physicsWorlds[1] = world;
    }
    ~PhysicsSettingTest() override
    {
        for (CRigidBody* body : bodies)
            body->release();
        for (CModel* model : owned)
            model->release();
        owned.clear();
        world->release();
        t.app->physicsWorlds.clear();
    }

    CModel* model(const Vector3D& scale = {1, 1, 1})
    {
        CModel* m = loaded();
        m->scale.set(scale, scale, 0, 0);
        return m;
    }
    // A ball of radius 0.5 and mass 2 on hip and a 1 x 2 x 3 box on arm, joined by a 6DOF joint "hinge" with a
    // few limits; the wrappers are the test's.
    void rig(CModel* m)
    {
        auto* ball = new CRigidBody("ball");
        ASSERT_EQ(ball->createSphere(2.0f, {0, 1, 0}, 0.5f, 1), 0);
        ball->getBody()->setFrictionalCoefficient(0.25f);
        auto* crate = new CRigidBody("crate");
        ASSERT_EQ(crate->createBox(1.0f, {0, 3, 0}, {1, 2, 3}, 1), 0);
        crate->getBody()->setEnableGravity(0);
        bodies.push_back(ball);
        bodies.push_back(crate);
        m->findFrame("hip")->attachRigidBodyWithMatrix(ball->getBody(), Matrix4x4::GetTranslation(0, 1, 0), 1, 0, 1);
        m->findFrame("arm")->attachRigidBodyWithMatrix(crate->getBody(), placed(Matrix4x4::GetRotationY(90), {0, 0, 2}),
                                                       1, 1, 0);
        ball->create6DOFJoint("hinge", crate, {0, 2, 0}, {0, 0, 0}, 1);
        Orvane::CJoint* hinge = ball->findJoint("hinge");
        hinge->setAngularLowerLimit({-10, 0, 0});
        hinge->setAngularEnableSpring(1, 0, 1);
        hinge->setLinearUpperLimit({1, 2, 3});
        hinge->release();
    }
    Bytes read(const std::string& name)
    {
        std::ifstream in(dir.file(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void write(const std::string& name, const Bytes& bytes)
    {
        std::ofstream out(dir.file(name), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // The rig exported from a model of the given scale.
    Bytes exported(const Vector3D& scale = {1, 1, 1})
    {
        CModel* m = model(scale);
        rig(m);
        EXPECT_EQ(m->exportPhysicsSetting("hip", "rig.phys"), 0);
        return read("rig.phys");
    }
    CRigidBody* imported(CModel* m, const std::string& name)
    {
        const auto entry = m->physicsObjects.find(name);
        return entry == m->physicsObjects.end() ? nullptr : entry->second.body;
    }

    FakePhysicsWorld* world;
    std::vector<CRigidBody*> bodies;
};

} // namespace

TEST_F(PhysicsSettingTest, ExportWritesEveryFieldWhereTheFileHasIt)
{
    const Bytes file = exported();
    const size_t joints = BodyRecords + 2 * BodySize, joint = joints + 4;
    Expected e(joint + JointSize);
    e.text(0, "PHYS");
    e.text(4, "1.00");
    e.u32(36, 2);
    // The ball on hip comes first (a frame before its children).
    const size_t ball = BodyRecords, crate = BodyRecords + BodySize;
    e.text(ball, "ball");
    e.text(ball + 128, "hip");
    e.matrix(ball + 256, Matrix4x4::GetTranslation(0, 1, 0));
    e.f32(ball + 320, 2.0f);
    e.f32(ball + 324, 0.25f);
    e.u32(ball + 340, 1);
    e.u32(ball + 344, 1);
    e.u32(ball + 352, 1);
    e.u32(ball + 356, 1); // the state word
    e.u32(ball + 360, 0);
    e.f32(ball + 364, 0.5f);
    e.text(crate, "crate");
    e.text(crate + 128, "arm");
    e.matrix(crate + 256, placed(Matrix4x4::GetRotationY(90), {0, 0, 2}));
    e.f32(crate + 320, 1.0f);
    e.f32(crate + 324, 0.5f);
    e.u32(crate + 344, 1);
    e.u32(crate + 348, 1);
    e.u32(crate + 356, 1);
    e.u32(crate + 360, 1);
    e.vector(crate + 364, {1, 2, 3});
    e.u32(joints, 1);
    e.text(joint, "hinge");
    e.text(joint + 128, "ball");
    e.text(joint + 256, "crate");
    // The joint's frame as the engine builds it: RotationZXY of (0, 0, 0) (one -0.0 in it), placed.
    const Matrix4x4 hingeFrame = placed(Matrix4x4::GetRotationZXY(0, 0, 0), {0, 2, 0});
    e.matrix(joint + 384, hingeFrame);
    e.matrix(joint + 448, hingeFrame);
    e.u32(joint + 512, 1);
    e.f32(joint + 516, 0.2f);
    e.f32(joint + 524, 3.4e38f);
    e.u32(joint + 528, 1);
    e.vector(joint + 532, {-10, 0, 0});
    e.u32(joint + 556, 1);
    e.u32(joint + 564, 1);
    e.vector(joint + 604, {1, 2, 3});
    ASSERT_EQ(file.size(), e.bytes.size());
    for (size_t at = 0; at < file.size(); ++at)
        EXPECT_EQ(file[at], e.bytes[at]) << "offset " << at;
}

TEST_F(PhysicsSettingTest, ExportRefusesWhatItCannotWrite)
{
    CModel* m = model();
    rig(m);
    EXPECT_EQ(m->exportPhysicsSetting("head", "empty.phys"), 0);
    EXPECT_EQ(read("empty.phys").size(), 44u) << "magic, version and two zero counts";
    struct Case
    {
        const char* root;
        const char* path;
        int result;
    };
    for (const Case& c : {Case{nullptr, "x.phys", -1}, Case{"hip", nullptr, -1}, Case{"tail", "x.phys", -1},
                          Case{"hip", "missing/x.phys", -3}})
        EXPECT_EQ(m->exportPhysicsSetting(c.root, c.path), c.result) << (c.root ? c.root : "null");
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.phys")));
    EXPECT_EQ(make("bare")->exportPhysicsSetting("hip", "x.phys"), -1) << "no resource";

    // A zero scale would divide by zero: nothing is written.
    m->scale.set({1, 0, 1}, {1, 0, 1}, 0, 0);
    EXPECT_EQ(m->exportPhysicsSetting("hip", "x.phys"), -1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.phys")));

    // A write that fails is reported, and the file it would have replaced stays as it was.
    m->scale.set({1, 1, 1}, {1, 1, 1}, 0, 0);
    Kavro::SafeFileFaults::failNext(Kavro::SafeFileFaults::Write, ENOSPC);
    EXPECT_EQ(m->exportPhysicsSetting("hip", "empty.phys"), -3);
    EXPECT_EQ(Kavro::SafeFileFaults::take(Kavro::SafeFileFaults::Write), 0) << "the failure was reached";
    EXPECT_EQ(read("empty.phys").size(), 44u);
}

TEST_F(PhysicsSettingTest, SizesAndPositionsAreStoredWithoutTheModelsScale)
{
    // A sphere on a model of scale (1, 3, 2) stores its radius over the largest axis.
    {
        CModel* m = model({1, 3, 2});
        auto* ball = new CRigidBody("ball");
        bodies.push_back(ball);
        ASSERT_EQ(ball->createSphere(1.0f, {}, 0.6f, 1), 0);
        m->findFrame("hip")->attachRigidBodyWithMatrix(ball->getBody(), Matrix4x4::GetTranslation(0, 3, 2), 1, 0, 0);
        ASSERT_EQ(m->exportPhysicsSetting("hip", "tall.phys"), 0);
        float radius = 0;
        std::memcpy(&radius, read("tall.phys").data() + BodyRecords + 364, 4);
        EXPECT_FLOAT_EQ(radius, 0.2f);
    }
    // Exported at scale 2 and imported at scale 1: half the sizes at half the distances.
    const Bytes file = exported({2, 2, 2});
    write("half.phys", file);
    CModel* small = model();
    ASSERT_EQ(small->importPhysicsSetting("half.phys", nullptr, 1), 0);
    CRigidBody* ball = imported(small, "ball");
    CRigidBody* crate = imported(small, "crate");
    ASSERT_TRUE(ball && crate);
    EXPECT_FLOAT_EQ(ball->getShapeParameters()[0], 0.25f);
    EXPECT_EQ(Vector3D(crate->getShapeParameters()[0], crate->getShapeParameters()[1], crate->getShapeParameters()[2]),
              Vector3D(0.5f, 1, 1.5f));
    // The attachment's rows keep the 1 / scale the export gives them; its translation is halved.
    const Matrix4x4 half = Matrix4x4::GetScaling(0.5f, 0.5f, 0.5f);
    expectNear(small->findFrame("hip")->getRigidBodyMatrix(), placed(half, {0, 0.5f, 0}), "hip");
    expectNear(small->findFrame("arm")->getRigidBodyMatrix(), placed(half * Matrix4x4::GetRotationY(90), {0, 0, 1}),
               "arm");
    Orvane::CJoint* hinge = ball->findJoint("hinge");
    ASSERT_NE(hinge, nullptr);
    auto* constraint = dynamic_cast<RecordingJoint*>(hinge->getJoint());
    EXPECT_EQ(constraint->frameA.GetPosition(), Vector3D(0, 1, 0));
    EXPECT_EQ(hinge->getParameters().linearUpperLimit, Vector3D(0.5f, 1, 1.5f));
    hinge->release();
}

TEST_F(PhysicsSettingTest, ExportImportExportGivesTheSameBytes)
{
    const Bytes first = exported();
    CModel* copy = model();
    ASSERT_EQ(copy->importPhysicsSetting("rig.phys", nullptr, 1), 0);
    ASSERT_EQ(copy->exportPhysicsSetting("hip", "again.phys"), 0);
    EXPECT_EQ(read("again.phys"), first);
}

TEST_F(PhysicsSettingTest, ImportKeepsEveryWholeRecordOfACutOrHostileFile)
{
    const Bytes whole = exported();
    const size_t joints = BodyRecords + 2 * BodySize;
    auto patched = [&](size_t at, uint32_t value) {
        Bytes b = whole;
        std::memcpy(b.data() + at, &value, 4);
        return b;
    };
    Bytes noBodyB = whole;
    std::memcpy(noBodyB.data() + joints + 4 + 256, "nobody\0", 7);
    Bytes longNames = whole;
    std::memset(longNames.data() + BodyRecords, 'x', 128); // a body name that fills its field
    struct Case
    {
        const char* name;
        Bytes file;
        int result;
        std::vector<std::string> bodies;
        bool joined;
    };
    const Case cases[] = {
        {"whole", whole, 0, {"ball", "crate"}, true},
        {"cut in the magic", Bytes(whole.begin(), whole.begin() + 3), -2, {}, false},
        {"another magic", patched(0, 0x53594850u + 1), -2, {}, false},
        {"cut in the version", Bytes(whole.begin(), whole.begin() + 20), 0, {}, false},
        {"cut in the second body", Bytes(whole.begin(), whole.begin() + BodyRecords + BodySize + 10), 0, {"ball"}, false},
        {"cut in the joint", Bytes(whole.begin(), whole.begin() + joints + 4 + 100), 0, {"ball", "crate"}, false},
        {"four billion bodies", patched(36, 0xFFFFFFFFu), 0, {"ball", "crate"}, false},
        {"four billion joints", patched(joints, 0xFFFFFFFFu), 0, {"ball", "crate"}, true},
        {"a joint to a body not there", noBodyB, 0, {"ball", "crate"}, false},
        {"a name as long as its field", longNames, 0, {"crate", std::string(128, 'x')}, false},
    };
    for (const Case& c : cases)
    {
        write("in.phys", c.file);
        CModel* m = model();
        EXPECT_EQ(m->importPhysicsSetting("in.phys", "g", 1), c.result) << c.name;
        std::vector<std::string> names;
        for (const auto& [name, object] : m->physicsObjects)
            names.push_back(name);
        EXPECT_EQ(names, c.bodies) << c.name;
        CRigidBody* ball = imported(m, "ball");
        EXPECT_EQ(ball && !ball->getJointList().empty(), c.joined) << c.name;
    }
    EXPECT_EQ(model()->importPhysicsSetting("nothing.phys", nullptr, 1), -3);
    EXPECT_EQ(make("bare")->importPhysicsSetting("in.phys", nullptr, 1), -1) << "no resource";
}

TEST_F(PhysicsSettingTest, ImportAppliesEachRecordAndSwitchesCollisionOn)
{
    exported();
    CModel* m = model();
    log.clear();
    ASSERT_EQ(m->importPhysicsSetting("rig.phys", "props", 1), 0);
    CRigidBody* ball = imported(m, "ball");
    ASSERT_NE(ball, nullptr);
    EXPECT_EQ(ball->getGroupName(), "props");
    auto* library = dynamic_cast<RecordingRigidBody*>(ball->getBody());
    EXPECT_FLOAT_EQ(library->friction, 0.25f);
    EXPECT_EQ(dynamic_cast<RecordingRigidBody*>(imported(m, "crate")->getBody())->gravity, 0u);
    Kavro::ISceneFrame* hip = m->findFrame("hip");
    EXPECT_EQ(hip->getRigidBodyFlag1(), 1u);
    EXPECT_EQ(hip->getRigidBodyFlag3(), 1u);
    EXPECT_EQ(m->physicsObjects["ball"].frame, hip);
    // Posed with the bodies once everything is built, then collision on for every body.
    const std::vector<std::string> tail = calls({"applyTransform", "setEnableCollision"});
    ASSERT_EQ(tail.size(), 3u);
    EXPECT_NE(tail[0].find("applyTransform(1)"), std::string::npos) << tail[0];
}

TEST_F(PhysicsSettingTest, RecordsThatMakeNoBodyLeaveTheFramesAlone)
{
    const Bytes whole = exported();
    Bytes oddShape = whole;
    const int32_t shape = 7;
    std::memcpy(oddShape.data() + BodyRecords + 360, &shape, 4);
    CModel* m = model();
    auto* held = new CRigidBody("held");
    bodies.push_back(held);
    ASSERT_EQ(held->createSphere(1.0f, {}, 1.0f, 1), 0);
    m->findFrame("hip")->attachRigidBody(held->getBody(), 1, 0, 0);
    // No world under the id, and a shape type the file format does not have.
    EXPECT_EQ(m->importPhysicsSetting("rig.phys", nullptr, 9), 0);
    write("odd.phys", oddShape);
    EXPECT_EQ(m->importPhysicsSetting("odd.phys", nullptr, 1), 0);
    EXPECT_EQ(imported(m, "ball"), nullptr);
    Kavro::IPhysicsRigidBody* attached = m->findFrame("hip")->getRigidBody();
    EXPECT_EQ(attached, held->getBody()) << "the frame keeps the body it had";
    attached->release();
    EXPECT_NE(imported(m, "crate"), nullptr);
}

TEST_F(PhysicsSettingTest, ImportGroupsAreErasedApartAndARepeatedNameReplacesItsEntry)
{
    const Bytes first = exported();
    Bytes renamed = first;
    std::memcpy(renamed.data() + BodyRecords, "ball2", 5);
    std::memcpy(renamed.data() + BodyRecords + BodySize, "crate2", 6);
    write("second.phys", renamed);
    CModel* m = model();
    ASSERT_EQ(m->importPhysicsSetting("rig.phys", "g1", 1), 0);
    ASSERT_EQ(m->importPhysicsSetting("second.phys", "g2", 1), 0);
    ASSERT_EQ(m->physicsObjects.size(), 4u);
    CRigidBody* ball2 = imported(m, "ball2");
    m->erasePhysicsObject("g1");
    std::vector<std::string> left;
    for (const auto& [name, object] : m->physicsObjects)
        left.push_back(name);
    EXPECT_EQ(left, (std::vector<std::string>{"ball2", "crate2"}));
    // Both files hang their bodies on the same frames: the later ones stay attached.
    Kavro::IPhysicsRigidBody* onHip = m->findFrame("hip")->getRigidBody();
    EXPECT_EQ(onHip, ball2->getBody());
    if (onHip)
        onHip->release();

    // The same file again: its entries are replaced (the old bodies detached and let go), not doubled.
    ASSERT_EQ(m->importPhysicsSetting("second.phys", "g2", 1), 0);
    EXPECT_EQ(m->physicsObjects.size(), 2u);
    EXPECT_NE(imported(m, "ball2"), ball2);
    m->erasePhysicsObject(nullptr);
    EXPECT_TRUE(m->physicsObjects.empty());
    EXPECT_EQ(m->findFrame("hip")->getRigidBody(), nullptr);
}

TEST_F(PhysicsSettingTest, EntriesHoldTheirFramesPastANewModelFile)
{
    exported();
    CModel* m = model();
    ASSERT_EQ(m->importPhysicsSetting("rig.phys", nullptr, 1), 0);
    Kavro::ISceneFrame* hip = m->physicsObjects["ball"].frame;
    EXPECT_EQ(hip->getRefCount(), 2) << "the resource's and the entry's";
    // Loading another file lets go of the resource that owns the frames.
    ASSERT_EQ(m->loadModel("other.mdl"), 0);
    EXPECT_EQ(hip->getRefCount(), 1);
    m->erasePhysicsObject(nullptr); // reaches the frames safely, then lets them go
    EXPECT_TRUE(m->physicsObjects.empty());
}
