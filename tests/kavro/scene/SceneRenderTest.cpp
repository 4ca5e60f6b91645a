// The 3D scene drawn headless by the real render device and read back: models from the fixture writer,
// the camera, lights, 3D sprites and the screen conversions.
#include "../render/RenderFixture.h"
#include "ModelFixtures.h"
#include "scene/CSceneModel.h"

#include <kavro/ICamera.h>
#include <kavro/IModelResource.h>
#include <kavro/IPointLight.h>
#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneModel.h>
#include <kavro/IScenePointLight.h>
#include <kavro/ISceneSprite.h>
#include <kavro/ISprite3D.h>
#include <kavro/ModelFixtureWriter.h>
#include <kavro/Ref.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace OrvaneTest
{
namespace
{

using namespace Kavro;

constexpr uint32_t Background = 0xFF203040u;

// Convex hull of points (Andrew's monotone chain), counter-clockwise in a y-down frame's numbers.
std::vector<Vector2D> Hull(std::vector<Vector2D> p)
{
    std::sort(p.begin(), p.end(), [](const Vector2D& a, const Vector2D& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    const auto cross = [](const Vector2D& o, const Vector2D& a, const Vector2D& b) {
        return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
    };
    std::vector<Vector2D> h(2 * p.size());
    size_t k = 0;
    for (size_t i = 0; i < p.size(); ++i)
    {
        while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0)
            --k;
        h[k++] = p[i];
    }
    for (size_t i = p.size() - 1, t = k + 1; i-- > 0;)
    {
        while (k >= t && cross(h[k - 2], h[k - 1], p[i]) <= 0)
            --k;
        h[k++] = p[i];
    }
    h.resize(k - 1);
    return h;
}

// Signed distance of q from the convex polygon's boundary: positive inside.
float InsideDistance(const std::vector<Vector2D>& hull, const Vector2D& q)
{
    float nearest = 1e30f;
    for (size_t i = 0; i < hull.size(); ++i)
    {
        const Vector2D& a = hull[i];
        const Vector2D& b = hull[(i + 1) % hull.size()];
        const float ex = b.x - a.x, ey = b.y - a.y;
        const float d = ((q.x - a.x) * ey - (q.y - a.y) * ex) / std::sqrt(ex * ex + ey * ey);
        nearest = std::min(nearest, -d);
    }
    return nearest;
}

class SceneRenderTest : public RenderFixture
{
protected:
    void SetUp() override
    {
        RenderFixture::SetUp();
        scene_ = device_->getSceneManager();
        camera_ = Ref<ICamera>::adopt(device_->createCamera());
        ASSERT_TRUE(camera_);
        look({0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 0.0f});
        scene_->setCamera(camera_.get());
        // Straight from the camera's side: faces toward the camera are lit fully.
        scene_->setLightPosition({0.0f, 0.0f, -100.0f, 1.0f});
        scene_->setLightLookAt({0.0f, 0.0f, 0.0f, 1.0f});
        scene_->setLightColor({1.0f, 1.0f, 1.0f, 1.0f});
    }
    void TearDown() override
    {
        models_.clear();
        if (scene_)
            scene_->setCamera(nullptr);
        camera_.reset();
        RenderFixture::TearDown();
    }

    void look(const Vector3D& eye, const Vector3D& target, float fovDegrees = 60.0f)
    {
        camera_->setPerspective(fovDegrees * 0.0174532924f, float(ScreenWidth) / float(ScreenHeight), 1.0f, 100.0f);
        camera_->setLookAt(eye, target, {0.0f, 1.0f, 0.0f});
        camera_->update();
    }
    ISceneModel* load(const ModelFixture& fixture, const Matrix4x4& world = Matrix4x4())
    {
        const std::vector<uint8_t> bytes = WriteModelFixture(fixture);
        EXPECT_FALSE(bytes.empty());
        const std::string name = "model" + std::to_string(models_.size()) + ".glb";
        std::ofstream(directory_ / name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                                 std::streamsize(bytes.size()));
        Ref<IModelResource> resource = Ref<IModelResource>::adopt(device_->loadModel(name.c_str()));
        EXPECT_TRUE(resource);
        if (!resource)
            return nullptr;
        Ref<ISceneModel> model = Ref<ISceneModel>::adopt(scene_->createSceneModel(resource.get()));
        model->setWorldMatrix(world);
        model->applyTransform(0);
        models_.push_back(model);
        return model.get();
    }
    // Clears the screen, hands in the nodes, captures and reads back (saved as a PNG when
    // ORVANE_SCENE_PNG_DIR names a folder).
    // paint, when given, draws the 2D layers under the scene after the clear.
    void capture(const std::vector<ISceneNode*>& nodes, uint32_t background = Background,
                 const std::function<void()>& paint = {})
    {
        device_->clear(1, &background);
        if (paint)
            paint();
        for (ISceneNode* node : nodes)
            ASSERT_EQ(scene_->addSceneNode(node), 0);
        ASSERT_EQ(scene_->renderScene(), 0);
        scene_->finishRender();
        readBack();
        if (const char* keep = std::getenv("ORVANE_SCENE_PNG_DIR"))
            device_->saveTexture(
                (std::string(keep) + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".png")
                    .c_str(),
                nullptr, 0);
    }
    Vector2D project(const Vector3D& p) const
    {
        const Vector3D s = scene_->transformFromWorldToScreen(p);
        return {s.x, s.y};
    }
    static int red(uint32_t argb) { return int((argb >> 16) & 0xFF); }
    static int green(uint32_t argb) { return int((argb >> 8) & 0xFF); }
    static int blue(uint32_t argb) { return int(argb & 0xFF); }

    // An orthographic camera from -z whose units are pixels: world (0, 0) is the middle of the screen.
    void lookFlat()
    {
        camera_->setOrtho(float(ScreenWidth), float(ScreenHeight), 0.5f, 100.0f);
        camera_->setLookAt({0.0f, 0.0f, -10.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
        camera_->update();
    }
    // Signed distance (pixels, positive inside) of a pixel centre from the nearest covering projected triangle.
    float Coverage(const std::vector<std::array<Vector2D, 3>>& triangles, int x, int y) const
    {
        const Vector2D q{float(x) + 0.5f, float(y) + 0.5f};
        float best = -1e30f;
        for (const auto& t : triangles)
        {
            std::vector<Vector2D> corners(t.begin(), t.end());
            // Either winding: the hull orders the corners.
            best = std::max(best, InsideDistance(Hull(corners), q));
        }
        return best;
    }
    // Checks every pixel at least a pixel away from the projected triangles' edges: covered ones are not the
    // background, the others are. Answers how many were covered.
    int ExpectSilhouette(const std::vector<std::array<Vector2D, 3>>& triangles, const std::string& what)
    {
        int covered = 0;
        for (int y = 0; y < ScreenHeight; ++y)
            for (int x = 0; x < ScreenWidth; ++x)
            {
                const float d = Coverage(triangles, x, y);
                if (d > 1.0f)
                {
                    ++covered;
                    EXPECT_NE(Hex(pixel(x, y)), Hex(Background)) << what << " at " << x << ", " << y;
                    if (pixel(x, y) == Background)
                        return covered;
                }
                else if (d < -1.0f && pixel(x, y) != Background)
                {
                    ADD_FAILURE() << what << ": drawn outside at " << x << ", " << y << ": " << Hex(pixel(x, y));
                    return covered;
                }
            }
        return covered;
    }

    ISceneManager* scene_ = nullptr;
    Ref<ICamera> camera_;
    std::vector<Ref<ISceneModel>> models_;
};

TEST_F(SceneRenderTest, BoxCoversTheProjectedPixels)
{
    // Turned so that three faces show and the silhouette is a hexagon, not the screen's rectangle.
    const Matrix4x4 world = Matrix4x4::GetRotationY(30.0f) * Matrix4x4::GetRotationX(25.0f) *
                            Matrix4x4::GetTranslation(0.3f, -0.2f, 0.5f);
    ISceneModel* box = load(BoxFixture({1.0f, 0.0f, 0.0f, 1.0f}), world);
    ASSERT_NE(box, nullptr);
    capture({box->getSceneNode()});

    // The silhouette the test projects with the value classes' own matrices.
    Matrix4x4 view, projection;
    view.LookAt({0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    projection.Perspective(60.0f, float(ScreenWidth) / float(ScreenHeight), 1.0f, 100.0f);
    std::vector<Vector2D> corners;
    for (int i = 0; i < 8; ++i)
    {
        const Vector3D local((i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f);
        const Vector4D clip = Vector4D(local.x, local.y, local.z, 1.0f).Transform(world * view * projection);
        corners.push_back({(clip.x / clip.w + 1.0f) * 0.5f * ScreenWidth, (1.0f - clip.y / clip.w) * 0.5f * ScreenHeight});
    }
    const std::vector<Vector2D> hull = Hull(corners);
    int inside = 0;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
        {
            const float d = InsideDistance(hull, {float(x) + 0.5f, float(y) + 0.5f});
            const uint32_t p = pixel(x, y);
            if (d > 1.0f)
            {
                ++inside;
                ASSERT_TRUE(red(p) > 60 && green(p) == 0 && blue(p) == 0) << Hex(p) << " at " << x << ", " << y;
            }
            else if (d < -1.0f)
            {
                ASSERT_EQ(Hex(p), Hex(Background)) << "at " << x << ", " << y;
            }
        }
    EXPECT_GT(inside, 3000);
}

TEST_F(SceneRenderTest, OutsideFacesShowFromEverySideAndCullModesPickTheSide)
{
    // A box seen from the front, from behind and from above shows its outside faces (lit from the camera:
    // full red); an inside face would be lit from behind and draw black.
    ISceneModel* box = load(BoxFixture({1.0f, 0.0f, 0.0f, 1.0f}));
    ASSERT_NE(box, nullptr);
    for (const Vector3D& eye : {Vector3D(0, 0, -5), Vector3D(0, 0, 5), Vector3D(0.01f, 5, 0), Vector3D(-5, 0, 0)})
    {
        look(eye, {0, 0, 0});
        scene_->setLightPosition({eye.x * 20.0f, eye.y * 20.0f, eye.z * 20.0f, 1.0f});
        capture({box->getSceneNode()});
        EXPECT_LE(ChannelDistance(pixel(160, 120), 0xFFFF0000u), 3) << Hex(pixel(160, 120)) << " from " << eye.x << ", " << eye.y << ", " << eye.z;
    }

    // A lone square facing the camera: cull mode 1 (back faces) keeps it, 2 (front faces) drops it, 0 keeps
    // it from both sides.
    ModelFixture flat;
    flat.meshes = {Square("card", -1, -1, 1, 1)};
    FixtureMaterial white;
    white.name = "white";
    flat.materials = {white};
    ISceneModel* card = load(flat);
    ASSERT_NE(card, nullptr);
    struct Case
    {
        int cull;
        float eyeZ;
        bool drawn;
    };
    for (const Case& c : {Case{1, -5, true}, Case{2, -5, false}, Case{0, -5, true}, Case{1, 5, false}, Case{2, 5, true},
                          Case{0, 5, true}})
    {
        ASSERT_EQ(card->setMaterialCullMode(nullptr, nullptr, c.cull), 0);
        look({0, 0, c.eyeZ}, {0, 0, 0});
        scene_->setLightPosition({0, 0, c.eyeZ * 20.0f, 1.0f});
        capture({card->getSceneNode()});
        EXPECT_EQ(pixel(160, 120) != Background, c.drawn) << "cull " << c.cull << " eye z " << c.eyeZ << ": " << Hex(pixel(160, 120));
    }
}

TEST_F(SceneRenderTest, WorldAndScreenRoundTrip)
{
    struct Case
    {
        Vector3D eye;
        bool orthographic;
    };
    for (const Case& c : {Case{{0, 0, -5}, false}, Case{{3, 4, -6}, false}, Case{{-2, 1, 4}, true}})
    {
        if (c.orthographic)
            camera_->setOrtho(8.0f, 6.0f, 0.5f, 50.0f);
        else
            camera_->setPerspective(0.9f, 4.0f / 3.0f, 0.5f, 50.0f);
        camera_->setLookAt(c.eye, {0.5f, 0.25f, 0.0f}, {0, 1, 0});
        camera_->update();
        for (const Vector3D& p : {Vector3D(0, 0, 0), Vector3D(1, -1, 0.5f), Vector3D(-1.5f, 0.7f, -0.3f)})
        {
            const Vector3D s = scene_->transformFromWorldToScreen(p);
            EXPECT_GE(s.z, 0.0f);
            EXPECT_LE(s.z, 1.0f);
            const Vector3D back = scene_->transformFromScreenToWorld(s);
            EXPECT_NEAR(back.x, p.x, 1e-3f);
            EXPECT_NEAR(back.y, p.y, 1e-3f);
            EXPECT_NEAR(back.z, p.z, 1e-3f);
        }
    }
    // The target lands in the middle of the logical screen, nearer points nearer depth 0.
    camera_->setPerspective(0.9f, 4.0f / 3.0f, 0.5f, 50.0f);
    camera_->setLookAt({0, 0, -5}, {0, 0, 0}, {0, 1, 0});
    camera_->update();
    const Vector3D centre = scene_->transformFromWorldToScreen({0, 0, 0});
    EXPECT_NEAR(centre.x, ScreenWidth / 2.0f, 1e-3f);
    EXPECT_NEAR(centre.y, ScreenHeight / 2.0f, 1e-3f);
    EXPECT_LT(scene_->transformFromWorldToScreen({0, 0, -2}).z, centre.z);
    // Up in the world is up on the screen.
    EXPECT_LT(scene_->transformFromWorldToScreen({0, 1, 0}).y, centre.y);
}

TEST_F(SceneRenderTest, CameraIgnoresDegenerateProjectionsAndItsMatrixRebuildsTheView)
{
    // Before any projection the camera draws with its own sane one.
    Ref<ICamera> fresh = Ref<ICamera>::adopt(device_->createCamera());
    EXPECT_EQ(fresh->getProjection(), 0);
    EXPECT_GT(fresh->getFov(), 0.0f);
    EXPECT_NEAR(*fresh->getAspect(), float(ScreenWidth) / float(ScreenHeight), 1e-6f);

    fresh->setPerspective(0.5f, 2.0f, 1.0f, 10.0f);
    fresh->update();
    struct Bad
    {
        float fov, aspect, zNear, zFar;
    };
    for (const Bad& b : {Bad{0, 1, 1, 10}, Bad{0.5f, 0, 1, 10}, Bad{0.5f, 1, 10, 10}, Bad{0.5f, 1, 20, 10},
                         Bad{0.5f, 1, 0, 10}, Bad{NAN, 1, 1, 10}})
    {
        EXPECT_LT(fresh->setPerspective(b.fov, b.aspect, b.zNear, b.zFar), 0);
        fresh->update();
        EXPECT_NEAR(fresh->getFov(), 0.5f * 57.29578f, 1e-3f);
        EXPECT_EQ(*fresh->getAspect(), 2.0f);
    }
    EXPECT_LT(fresh->setOrtho(0.0f, 5.0f, 0.0f, 1.0f), 0);
    EXPECT_LT(fresh->setLookAt({1, 2, 3}, {1, 2, 3}, {0, 1, 0}), 0);
    EXPECT_LT(fresh->setLookAt({0, 0, 0}, {0, 5, 0}, {0, 1, 0}), 0);
    EXPECT_EQ(fresh->getProjection(), 0);

    // Values take effect with update; the queries answer what is in effect.
    fresh->setLookAt({1, 2, 3}, {4, 2, 7}, {0, 1, 0});
    EXPECT_EQ(fresh->getEye().x, 0.0f);
    fresh->update();
    EXPECT_EQ(fresh->getEye().x, 1.0f);
    EXPECT_EQ(fresh->getTarget().z, 7.0f);

    // Rows right, up, forward and the eye.
    const Matrix4x4 m = fresh->getMatrix();
    EXPECT_NEAR(m._31, 0.6f, 1e-5f);
    EXPECT_NEAR(m._33, 0.8f, 1e-5f);
    EXPECT_NEAR(m._22, 1.0f, 1e-5f);
    EXPECT_NEAR(m._11, 0.8f, 1e-5f);
    EXPECT_NEAR(m._13, -0.6f, 1e-5f);
    EXPECT_EQ(m.GetPosition().x, 1.0f);
    EXPECT_EQ(m.GetPosition().z, 3.0f);
}

TEST_F(SceneRenderTest, SkinnedArmBentByAMotionMatchesTheSilhouetteSkinnedOnTheCpu)
{
    ISceneModel* arm = load(ArmFixture());
    ASSERT_NE(arm, nullptr);
    arm->setFileMeshVisible("model0.glb", "hat", 0);
    look({0.0f, 3.0f, -9.0f}, {0.0f, 3.0f, 0.0f});
    const int wave = arm->findMotion("wave");
    ASSERT_GE(wave, 0);
    struct Case
    {
        float milliseconds;
    };
    for (const Case& c : {Case{0.0f}, Case{250.0f}, Case{500.0f}})
    {
        arm->startMotion(wave);
        arm->advanceMotion(wave, c.milliseconds);
        arm->applyTransform(0);
        capture({arm->getSceneNode()});

        // The same triangles skinned here: each vertex by its joints' palette matrices.
        std::vector<std::array<Vector2D, 3>> triangles;
        for (const PosedMesh& posed : dynamic_cast<CSceneModel*>(arm)->posedMeshes())
        {
            if (!posed.visible)
                continue;
            const ModelMesh& mesh = *posed.mesh;
            for (size_t i = 0; i + 2 < mesh.indices.size(); i += 3)
            {
                std::array<Vector2D, 3> t;
                for (int k = 0; k < 3; ++k)
                {
                    const ModelVertex& v = mesh.vertices[mesh.indices[i + size_t(k)]];
                    Vector3D p;
                    for (int j = 0; j < 4; ++j)
                        if (v.weights[j] > 0.0f)
                            p = p + v.position.TransformCoord(posed.palette[v.joints[j]]) * v.weights[j];
                    t[size_t(k)] = project(p);
                }
                triangles.push_back(t);
            }
        }
        ASSERT_EQ(triangles.size(), 16u);
        EXPECT_GT(ExpectSilhouette(triangles, "after " + std::to_string(int(c.milliseconds)) + " ms"), 1000);
    }
    // Bent a quarter turn, the lower arm lies across the screen: left of the elbow (about (0, 3)) at
    // height 4 there is arm, straight above the elbow there is none.
    const Vector2D across = project({-1.5f, 3.0f, 0.0f});
    const Vector2D above = project({0.0f, 4.5f, 0.0f});
    EXPECT_NE(Hex(pixel(int(across.x), int(across.y))), Hex(Background));
    EXPECT_EQ(Hex(pixel(int(above.x), int(above.y))), Hex(Background));
}

TEST_F(SceneRenderTest, MorphWeightMovesTheSilhouette)
{
    // A square whose morph raises its top edge by 2.
    ModelFixture f;
    FixtureMesh square = Square("card", -1, -1, 1, 1);
    FixtureMorph stretch;
    stretch.name = "stretch";
    for (const FixtureVertex& v : square.vertices)
        stretch.positions.push_back({0.0f, v.position.y > 0.0f ? 2.0f : 0.0f, 0.0f});
    square.morphs = {stretch};
    f.meshes = {square};
    ISceneModel* card = load(f);
    ASSERT_NE(card, nullptr);
    ASSERT_EQ(card->setMorph("face", 1, "stretch"), 0);
    for (float weight : {0.0f, 0.5f, 1.0f})
    {
        ASSERT_EQ(card->setMorphWeight("face", 0, 1, weight), 0);
        capture({card->getSceneNode()});
        const float top = 1.0f + 2.0f * weight;
        std::vector<std::array<Vector2D, 3>> triangles = {
            {project({-1, -1, 0}), project({1, -1, 0}), project({-1, top, 0})},
            {project({1, -1, 0}), project({1, top, 0}), project({-1, top, 0})}};
        EXPECT_GT(ExpectSilhouette(triangles, "weight " + std::to_string(weight)), 1000);
    }
}

TEST_F(SceneRenderTest, DirectionalLightFollowsLambertsLaw)
{
    // A square facing -z in material colour c, lit from angle a off its normal by light colour l:
    // c x l x max(cos a, 0), and no light on a face turned away.
    struct Case
    {
        float degrees;
        ColorF material;
        Vector3D light;
    };
    const Case cases[] = {
        {0.0f, {1, 1, 1, 1}, {1, 1, 1}},         {30.0f, {1, 1, 1, 1}, {1, 1, 1}},
        {60.0f, {1, 1, 1, 1}, {1, 1, 1}},        {80.0f, {1, 1, 1, 1}, {1, 1, 1}},
        {45.0f, {0.8f, 0.6f, 0.4f, 1}, {1, 0.5f, 0.25f}}, {120.0f, {1, 1, 1, 1}, {1, 1, 1}},
        {180.0f, {1, 1, 1, 1}, {1, 1, 1}},
    };
    for (const Case& c : cases)
    {
        ModelFixture f;
        f.meshes = {Square("card", -2, -2, 2, 2)};
        FixtureMaterial m;
        m.name = "m";
        m.baseColor = c.material;
        f.materials = {m};
        ISceneModel* card = load(f);
        ASSERT_NE(card, nullptr);
        const float a = c.degrees * 0.0174532924f;
        scene_->setLightPosition({std::sin(a) * 50.0f, 0.0f, -std::cos(a) * 50.0f, 1.0f});
        scene_->setLightColor({c.light.x, c.light.y, c.light.z, 1.0f});
        capture({card->getSceneNode()});
        const float lambert = std::max(std::cos(a), 0.0f);
        const uint32_t expected = Argb(255, uint8_t(std::lround(255.0f * c.material.r * c.light.x * lambert)),
                                       uint8_t(std::lround(255.0f * c.material.g * c.light.y * lambert)),
                                       uint8_t(std::lround(255.0f * c.material.b * c.light.z * lambert)));
        EXPECT_LE(ChannelDistance(pixel(160, 120), expected), 3)
            << c.degrees << " degrees: " << Hex(pixel(160, 120)) << " for " << Hex(expected);
    }
}

TEST_F(SceneRenderTest, PointLightShinesUpToItsRange)
{
    // A wide white square under no directional light; a red point light 2 units in front of its middle
    // with range 4, falling off from 2 (0.5 x range) toward 8 (2 x range) but cut at the range.
    ModelFixture f;
    f.meshes = {Square("floor", -200, -200, 200, 200)};
    ISceneModel* floor = load(f);
    ASSERT_NE(floor, nullptr);
    lookFlat();
    // Thirty pixels per unit.
    camera_->setOrtho(float(ScreenWidth) / 30.0f, float(ScreenHeight) / 30.0f, 0.5f, 100.0f);
    camera_->update();
    scene_->setLightColor({0.0f, 0.0f, 0.0f, 1.0f});
    Ref<IPointLight> resource = Ref<IPointLight>::adopt(device_->createPointLight());
    Ref<IScenePointLight> light = Ref<IScenePointLight>::adopt(scene_->createScenePointLight(resource.get()));
    ASSERT_TRUE(light);
    ASSERT_EQ(light->initialize({0.0f, 0.0f, -2.0f}, 1.0f, {1.0f, 0.0f, 0.0f, 1.0f}, 1.0f, 0.5f, 2.0f), 0);
    ASSERT_EQ(light->setRange(4.0f), 0);
    capture({floor->getSceneNode(), light->getSceneNode()});

    const auto expected = [](float r) {
        const float d = std::sqrt(4.0f + r * r);
        if (d >= 4.0f)
            return 0.0f;
        return std::clamp((8.0f - d) / 6.0f, 0.0f, 1.0f) * (2.0f / d) * 255.0f;
    };
    for (float r : {0.0f, 1.0f, 2.0f, 3.0f, 3.4f, 3.5f, 4.0f, 5.0f})
    {
        const int x = 160 + int(std::lround(r * 30.0f));
        const float want = expected((float(x) + 0.5f - 160.0f) / 30.0f);
        EXPECT_NEAR(red(pixel(x, 120)), want, 3.0f) << "at " << r << " units";
        EXPECT_EQ(green(pixel(x, 120)), 0);
    }
    EXPECT_EQ(Hex(pixel(160 + 130, 120)), Hex(0xFF000000u));

    // Disabled, or not handed to the capture, it does not shine.
    light->setEnable(0);
    capture({floor->getSceneNode(), light->getSceneNode()});
    EXPECT_EQ(Hex(pixel(160, 120)), Hex(0xFF000000u));
    light->setEnable(1);
    capture({floor->getSceneNode()});
    EXPECT_EQ(Hex(pixel(160, 120)), Hex(0xFF000000u));
}

TEST_F(SceneRenderTest, AlphaTestBlendingAndDepthWritingChangeThePixels)
{
    // Near (z = -1, red, edge 1) and far (z = 1, green, edge 4) squares in one model, near drawn first.
    ModelFixture f;
    FixtureMesh near = Square("near", -0.5f, -0.5f, 0.5f, 0.5f, -1.0f);
    near.subsets = {{0, 0, uint32_t(near.indices.size())}};
    FixtureMesh far = Square("far", -2, -2, 2, 2, 1.0f);
    far.subsets = {{1, 0, uint32_t(far.indices.size())}};
    f.meshes = {near, far};
    FixtureMaterial red;
    red.name = "red";
    red.baseColor = {1.0f, 0.0f, 0.0f, 0.4f};
    FixtureMaterial green;
    green.name = "green";
    green.baseColor = {0.0f, 1.0f, 0.0f, 1.0f};
    f.materials = {red, green};
    ISceneModel* model = load(f);
    ASSERT_NE(model, nullptr);
    const uint32_t grey = 0xFF404040u;

    struct Case
    {
        const char* what;
        int alphaTest;
        int blendMode;
        int zWrite;
        uint32_t middle; // where the near square covers the far one
    };
    const Case cases[] = {
        // Replace writes the colour whatever its alpha; the far square fails the depth test.
        {"plain", 0, 0, 1, 0xFFFF0000u},
        {"alpha 102 passes a test of 100", 100, 0, 1, 0xFFFF0000u},
        {"alpha 102 fails a test of 110", 110, 0, 1, 0xFF00FF00u},
        // Without depth writing the far square, drawn later, covers it.
        {"no depth writing", 0, 0, 0, 0xFF00FF00u},
        // Blended meshes come after the opaque ones: red x 0.4 over green.
        {"additive", 0, 2, 1, Argb(255, 102, 255, 0)},
        {"normal", 0, 1, 1, Argb(255, 102, 153, 0)},
    };
    for (const Case& c : cases)
    {
        ASSERT_EQ(model->setMaterialAlphaTest("near", nullptr, c.alphaTest), 0);
        ASSERT_EQ(model->setMaterialBlendMode("near", nullptr, c.blendMode), 0);
        ASSERT_EQ(model->setMaterialZWrite("near", nullptr, c.zWrite), 0);
        capture({model->getSceneNode()}, grey);
        EXPECT_LE(ChannelDistance(pixel(160, 120), c.middle), 2) << c.what << ": " << Hex(pixel(160, 120));
        // Beside the near square the far one shows; beyond both the background.
        EXPECT_EQ(Hex(pixel(160, 70)), Hex(0xFF00FF00u)) << c.what;
        EXPECT_EQ(Hex(pixel(20, 120)), Hex(grey)) << c.what;
    }
    // Additive over the background alone: grey + red x 0.4, on a model of only the near square.
    model->setFileMeshVisible("model0.glb", "far", 0);
    model->setMaterialBlendMode("near", nullptr, 2);
    capture({model->getSceneNode()}, grey);
    EXPECT_LE(ChannelDistance(pixel(160, 120), Argb(255, 64 + 102, 64, 64)), 2) << Hex(pixel(160, 120));
}

TEST_F(SceneRenderTest, SpriteLandsWhereItsWorldMatrixPutsIt)
{
    // A 16 x 8 image, each texel its own colour.
    std::vector<uint32_t> image(16 * 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            image[size_t(y) * 16 + size_t(x)] = Argb(255, uint8_t(x * 16), uint8_t(y * 32), 200);
    writePng("sprite.png", 16, 8, image);
    ITexture* texture = device_->loadTexture("sprite.png", 0, 0);
    ASSERT_NE(texture, nullptr);
    Ref<ISprite3D> sprite = Ref<ISprite3D>::adopt(device_->createSprite3D(1, texture));
    texture->release();
    ASSERT_TRUE(sprite);
    const uint8_t white[4] = {255, 255, 255, 255};
    sprite->begin(1, 0);
    ASSERT_EQ(sprite->drawQuad(Matrix4x4(), {16.0f, 8.0f}, white, {0.0f, 0.0f, 16.0f, 8.0f}), 0);
    sprite->end();
    Ref<ISceneSprite> placed = Ref<ISceneSprite>::adopt(scene_->addSprite3D(sprite.get()));
    ASSERT_TRUE(placed);
    lookFlat();

    struct Case
    {
        Matrix4x4 world;
        int left, top, scale;
        // Pixel centres between texel centres blend a quarter of the neighbour in.
        int tolerance;
    };
    // One unit is one pixel; the quad's top-left corner stands at the world matrix's origin, y up.
    const Case cases[] = {
        {Matrix4x4::GetTranslation(-40.0f, 30.0f, 0.0f), 120, 90, 1, 2},
        {Matrix4x4::GetScaling(2.0f, 2.0f, 1.0f) * Matrix4x4::GetTranslation(10.0f, -5.0f, 3.0f), 170, 125, 2, 9},
    };
    for (const Case& c : cases)
    {
        placed->setWorldMatrix(c.world);
        capture({placed->getSceneNode()});
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x)
            {
                const int px = c.left + x * c.scale + c.scale / 2, py = c.top + y * c.scale + c.scale / 2;
                EXPECT_LE(ChannelDistance(pixel(px, py), image[size_t(y) * 16 + size_t(x)]), c.tolerance)
                    << "texel " << x << ", " << y << ": " << Hex(pixel(px, py));
            }
        EXPECT_EQ(Hex(pixel(c.left - 1, c.top)), Hex(Background));
        EXPECT_EQ(Hex(pixel(c.left, c.top - 1)), Hex(Background));
        EXPECT_EQ(Hex(pixel(c.left + 16 * c.scale, c.top)), Hex(Background));
        EXPECT_EQ(Hex(pixel(c.left, c.top + 8 * c.scale)), Hex(Background));
    }

    // The colour bytes multiply, the source rectangle picks texels, the light colour tints a lit sprite and
    // additive blending adds.
    const uint8_t half[4] = {255, 128, 0, 255};
    sprite->begin(1, 0);
    sprite->drawQuad(Matrix4x4(), {4.0f, 4.0f}, half, {8.0f, 4.0f, 12.0f, 8.0f});
    sprite->end();
    placed->setWorldMatrix(Matrix4x4::GetTranslation(0.0f, 0.0f, 0.0f));
    capture({placed->getSceneNode()});
    EXPECT_LE(ChannelDistance(pixel(160, 120), Argb(255, 128, 64, 0)), 2) << Hex(pixel(160, 120));
    scene_->setLightColor({0.5f, 1.0f, 1.0f, 1.0f});
    placed->setFlag(1);
    capture({placed->getSceneNode()});
    EXPECT_LE(ChannelDistance(pixel(160, 120), Argb(255, 64, 64, 0)), 2) << Hex(pixel(160, 120));
    placed->setFlag(0);
    placed->setBlendMode(2);
    capture({placed->getSceneNode()});
    EXPECT_LE(ChannelDistance(pixel(160, 120), Argb(255, 0x20 + 128, 0x30 + 64, 0x40)), 2) << Hex(pixel(160, 120));
}

TEST_F(SceneRenderTest, SceneDrawsOverTheTargetAndOnlyItsOwnNodes)
{
    ISceneModel* box = load(BoxFixture({0.0f, 0.0f, 1.0f, 1.0f}));
    ASSERT_NE(box, nullptr);
    // Nodes are handed in per capture: the next capture without them draws nothing.
    capture({box->getSceneNode()});
    EXPECT_EQ(Hex(pixel(160, 120)), Hex(0xFF0000FFu));
    capture({});
    EXPECT_EQ(Hex(pixel(160, 120)), Hex(Background));
    // A node the scene did not make, and null, are refused.
    struct Stranger : SceneDrawable
    {
        void submit(CSceneRenderer&) override {}
    } stranger;
    EXPECT_EQ(scene_->addSceneNode(&stranger), -1);
    EXPECT_EQ(scene_->addSceneNode(nullptr), -1);

    // Into a render target set for the capture, over what it holds.
    ITexture* target = device_->createRenderTexture(64, 48, 1, 0, 0, 0);
    ASSERT_NE(target, nullptr);
    device_->clearTexture(target, 0xFF00FF00u);
    ASSERT_EQ(scene_->setRenderTarget(target), 0);
    scene_->addSceneNode(box->getSceneNode());
    ASSERT_EQ(scene_->renderScene(), 0);
    scene_->finishRender();
    readBack(target);
    EXPECT_EQ(Hex(pixel(32, 24) | 0xFF000000u), Hex(0xFF0000FFu));
    EXPECT_EQ(Hex(pixel(1, 1)), Hex(0xFF00FF00u));
    target->release();

    // A model released while queued is forgotten by the scene.
    scene_->addSceneNode(box->getSceneNode());
    models_.clear();
    device_->clear(1, &Background);
    EXPECT_EQ(scene_->renderScene(), 0);
    readBack();
    EXPECT_EQ(Hex(pixel(160, 120)), Hex(Background));
}

// Material shading: each feature of the material blocks, measured on a plain square or sphere.

TEST_F(SceneRenderTest, AmbientEmissiveAndHemisphereLightAddToTheLight)
{
    // A white square facing -z, the directional light behind it (no direct light).
    scene_->setLightPosition({0.0f, 0.0f, 100.0f, 1.0f});
    struct Case
    {
        const char* what;
        std::function<void(ISceneModel*)> set;
        uint32_t expected;
    };
    const Case cases[] = {
        {"nothing", [](ISceneModel*) {}, 0xFF000000u},
        {"ambient", [](ISceneModel* m) {
             AmbientColorParam p;
             p.color = {0.2f, 0.4f, 0.0f, 1.0f};
             m->setMaterialAmbientColor(nullptr, nullptr, &p);
         }, Argb(255, 51, 102, 0)},
        {"emissive", [](ISceneModel* m) {
             EmissiveColorParam p;
             p.color = {0.0f, 0.0f, 0.5f, 1.0f};
             m->setMaterialEmissiveColor(nullptr, nullptr, &p);
         }, Argb(255, 0, 0, 128)},
        // Sky where the normal points up, ground where it points down, halfway across.
        {"hemisphere across", [](ISceneModel* m) {
             HemisphereLightParam p;
             p.enable = 1;
             p.up = {0.0f, 1.0f, 0.0f};
             p.power = 0.8f;
             p.skyColor = {1.0f, 0.0f, 0.0f, 1.0f};
             p.groundColor = {0.0f, 0.0f, 1.0f, 1.0f};
             m->setMaterialHemisphereLight(nullptr, nullptr, &p);
         }, Argb(255, 102, 0, 102)},
        {"hemisphere facing the sky", [](ISceneModel* m) {
             HemisphereLightParam p;
             p.enable = 1;
             p.up = {0.0f, 0.0f, -2.0f};
             p.power = 0.8f;
             p.skyColor = {1.0f, 0.0f, 0.0f, 1.0f};
             p.groundColor = {0.0f, 0.0f, 1.0f, 1.0f};
             m->setMaterialHemisphereLight(nullptr, nullptr, &p);
         }, Argb(255, 204, 0, 0)},
    };
    for (const Case& c : cases)
    {
        ModelFixture f;
        f.meshes = {Square("card", -2, -2, 2, 2)};
        ISceneModel* card = load(f);
        ASSERT_NE(card, nullptr);
        c.set(card);
        capture({card->getSceneNode()});
        EXPECT_LE(ChannelDistance(pixel(160, 120), c.expected), 3) << c.what << ": " << Hex(pixel(160, 120));
    }
}

TEST_F(SceneRenderTest, SpecularHighlightSitsWhereTheReflectionPutsIt)
{
    // A wide plane z = 0 seen from (0, 0, -5), lit from 20 degrees right of its normal: the view ray that
    // reflects into the light meets the plane at x = 5 tan 20 degrees.
    ModelFixture f;
    f.meshes = {Square("plane", -20, -20, 20, 20)};
    FixtureMaterial grey;
    grey.name = "grey";
    grey.baseColor = {0.2f, 0.2f, 0.2f, 1.0f};
    f.materials = {grey};
    ISceneModel* plane = load(f);
    ASSERT_NE(plane, nullptr);
    const float a = 20.0f * 0.0174532924f;
    scene_->setLightPosition({std::sin(a) * 100.0f, 0.0f, -std::cos(a) * 100.0f, 1.0f});
    SpecularColorParam specular;
    specular.color = {0.0f, 0.8f, 0.0f, 1.0f};
    specular.shininess = 200.0f;
    ASSERT_EQ(plane->setMaterialSpecularColor(nullptr, nullptr, &specular), 0);
    capture({plane->getSceneNode()});
    int peak = 0;
    for (int x = 0; x < ScreenWidth; ++x)
        if (green(pixel(x, 120)) > green(pixel(peak, 120)))
            peak = x;
    const Vector2D expected = project({5.0f * std::tan(a), 0.0f, 0.0f});
    EXPECT_NEAR(float(peak) + 0.5f, expected.x, 2.0f);
    EXPECT_GT(green(pixel(peak, 120)) - red(pixel(peak, 120)), 150) << Hex(pixel(peak, 120));
    // Far from it only the diffuse grey shows.
    EXPECT_LE(ChannelDistance(pixel(20, 120), Argb(255, 48, 48, 48)), 3) << Hex(pixel(20, 120));

    // A black specular map takes the highlight away.
    writePng("black.png", 2, 2, std::vector<uint32_t>(4, 0xFF000000u));
    ITexture* black = device_->loadTexture("black.png", 0, 0);
    ASSERT_NE(black, nullptr);
    SpecularMapParam map;
    map.enable = 1;
    map.texture = black;
    ASSERT_EQ(plane->setMaterialSpecularMap(nullptr, nullptr, &map), 0);
    black->release();
    capture({plane->getSceneNode()});
    EXPECT_LE(ChannelDistance(pixel(peak, 120), Argb(255, 48, 48, 48)), 3) << Hex(pixel(peak, 120));
}

TEST_F(SceneRenderTest, ToonRampOfThreeBandsGivesThreeTones)
{
    ISceneModel* ball = load(SphereFixture({1.0f, 1.0f, 1.0f, 1.0f}));
    ASSERT_NE(ball, nullptr);
    // Lit from the side, so the visible half runs through every band.
    scene_->setLightPosition({100.0f, 0.0f, 0.0f, 1.0f});
    const uint8_t tones[3] = {60, 150, 240};
    std::vector<uint32_t> ramp;
    for (int i = 0; i < 48; ++i)
        ramp.push_back(Argb(255, tones[i / 16], tones[i / 16], tones[i / 16]));
    writePng("ramp.png", 48, 1, ramp);
    ITexture* texture = device_->loadTexture("ramp.png", 0, 0);
    ASSERT_NE(texture, nullptr);
    ToonParam toon;
    toon.enable = 1;
    toon.texture = texture;
    ASSERT_EQ(ball->setMaterialToon(nullptr, nullptr, &toon), 0);
    texture->release();
    capture({ball->getSceneNode()});

    int counts[3] = {}, covered = 0, banded = 0;
    for (int y = 0; y < ScreenHeight; ++y)
        for (int x = 0; x < ScreenWidth; ++x)
        {
            if (pixel(x, y) == Background)
                continue;
            ++covered;
            for (int t = 0; t < 3; ++t)
                if (ChannelDistance(pixel(x, y), Argb(255, tones[t], tones[t], tones[t])) <= 4)
                    ++counts[t], ++banded;
        }
    ASSERT_GT(covered, 5000);
    for (int t = 0; t < 3; ++t)
        EXPECT_GT(counts[t], covered / 10) << "tone " << int(tones[t]);
    // Only the seams between bands (filtered) lie between the tones.
    EXPECT_GT(banded, covered * 9 / 10);
}

TEST_F(SceneRenderTest, RimLightBrightensTheSilhouetteEdgeNotItsMiddle)
{
    ISceneModel* ball = load(SphereFixture({1.0f, 1.0f, 1.0f, 1.0f}, 1.5f));
    ASSERT_NE(ball, nullptr);
    scene_->setLightColor({0.0f, 0.0f, 0.0f, 1.0f});
    RimLightParam rim;
    rim.enable = 1;
    rim.color = {1.0f, 0.5f, 0.0f, 1.0f};
    rim.range = 0.6f;
    ASSERT_EQ(ball->setMaterialRimLight(nullptr, nullptr, &rim), 0);
    capture({ball->getSceneNode()});
    EXPECT_LE(ChannelDistance(pixel(160, 120), 0xFF000000u), 3) << Hex(pixel(160, 120));
    // Just inside the left edge of the silhouette.
    int edge = 0;
    while (edge < 160 && pixel(edge, 120) == Background)
        ++edge;
    ASSERT_LT(edge, 150);
    EXPECT_GT(red(pixel(edge + 1, 120)), 100) << Hex(pixel(edge + 1, 120));
    EXPECT_GT(red(pixel(edge + 1, 120)), green(pixel(edge + 1, 120)));
    // With the light's colour as its own (mode 1) and the light black, the rim goes out.
    rim.effectiveLight = 1;
    ball->setMaterialRimLight(nullptr, nullptr, &rim);
    capture({ball->getSceneNode()});
    EXPECT_LE(red(pixel(edge + 1, 120)), 3) << Hex(pixel(edge + 1, 120));
}

TEST_F(SceneRenderTest, ColourUvOffsetMovesTheTextureByThatFraction)
{
    // Four texels across the square: red, green, blue, white.
    ModelFixture f;
    f.meshes = {Square("card", -2, -2, 2, 2)};
    f.textures = {{"strip.png", 4, 1, {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu}}};
    f.materials = {{"strip", {1, 1, 1, 1}, 0}};
    ISceneModel* card = load(f);
    ASSERT_NE(card, nullptr);
    const uint32_t texels[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    for (float offset : {0.0f, 0.25f, 0.5f})
    {
        const float uv[2] = {offset, 0.0f};
        ASSERT_EQ(card->setColorUVOffset(nullptr, nullptr, uv), 0);
        capture({card->getSceneNode()});
        for (int k = 0; k < 4; ++k)
        {
            const Vector2D at = project({-2.0f + 4.0f * (float(k) + 0.5f) / 4.0f, 0.0f, 0.0f});
            const uint32_t want = texels[(k + int(offset * 4.0f)) % 4];
            EXPECT_LE(ChannelDistance(pixel(int(at.x), int(at.y)), want), 3)
                << "offset " << offset << " texel " << k << ": " << Hex(pixel(int(at.x), int(at.y)));
        }
    }
}

TEST_F(SceneRenderTest, FogOfTheSceneColourGrowsWithDistance)
{
    // White squares at three depths, seen flat from z = -10; fog from 20 to 300 toward blue.
    ModelFixture f;
    f.meshes = {Square("a", -150, -20, -60, 20, 0.0f), Square("b", -40, -20, 40, 20, 150.0f),
                Square("c", 60, -20, 150, 20, 280.0f)};
    ISceneModel* model = load(f);
    ASSERT_NE(model, nullptr);
    camera_->setOrtho(float(ScreenWidth), float(ScreenHeight), 0.5f, 1000.0f);
    camera_->setLookAt({0.0f, 0.0f, -10.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    camera_->update();
    scene_->setFogEnable(1);
    scene_->setFogParameter(20.0f, 300.0f, {0.0f, 0.0f, 1.0f, 1.0f});
    ASSERT_EQ(model->setMaterialFog(nullptr, nullptr, 1), 0);
    capture({model->getSceneNode()});
    for (int x : {20, 60, 90, 140, 180, 240, 280, 300})
    {
        const Vector3D world(float(x) + 0.5f - 160.0f, -0.5f, x < 110 ? 0.0f : x < 210 ? 150.0f : 280.0f);
        const float d = (world - Vector3D(0.0f, 0.0f, -10.0f)).Length();
        const float fog = std::clamp((d - 20.0f) / 280.0f, 0.0f, 1.0f);
        const uint8_t white = uint8_t(std::lround(255.0f * (1.0f - fog)));
        EXPECT_LE(ChannelDistance(pixel(x, 120), Argb(255, white, white, 255)), 3) << x << ": " << Hex(pixel(x, 120));
    }
    // A material without the fog flag, and the scene's fog switched off, show no fog.
    model->setMaterialFog("a", nullptr, 0);
    capture({model->getSceneNode()});
    EXPECT_EQ(Hex(pixel(20, 120)), Hex(0xFFFFFFFFu));
    scene_->setFogEnable(0);
    capture({model->getSceneNode()});
    EXPECT_EQ(Hex(pixel(300, 120)), Hex(0xFFFFFFFFu));
}

TEST_F(SceneRenderTest, SceneMapShowsThe2DPictureBeneath)
{
    // The 2D layer: left half red, right half green; a square right of the middle, over green, shows the
    // whole picture as its texture.
    ModelFixture f;
    f.meshes = {Square("screen", 0, -1, 2, 1)};
    ISceneModel* card = load(f);
    ASSERT_NE(card, nullptr);
    DiffuseMapParam map;
    map.enable = 1;
    map.sceneFlag = 1;
    ASSERT_EQ(card->setMaterialDiffuseMap(nullptr, nullptr, &map), 0);
    capture({card->getSceneNode()}, Background, [this] {
        drawQuad(nullptr, 0.0f, 0.0f, 160.0f, 240.0f, Rgba(255, 0, 0));
        drawQuad(nullptr, 160.0f, 0.0f, 160.0f, 240.0f, Rgba(0, 255, 0));
    });
    const Vector2D left = project({0.5f, 0.0f, 0.0f}), right = project({1.5f, 0.0f, 0.0f});
    EXPECT_GT(left.x, 165.0f);
    EXPECT_EQ(Hex(pixel(int(left.x), int(left.y))), Hex(0xFFFF0000u));
    EXPECT_EQ(Hex(pixel(int(right.x), int(right.y))), Hex(0xFF00FF00u));
}

TEST_F(SceneRenderTest, ToonEdgeRingsTheSilhouetteInItsColour)
{
    ISceneModel* ball = load(SphereFixture({1.0f, 1.0f, 1.0f, 1.0f}, 1.5f));
    ASSERT_NE(ball, nullptr);
    ToonParam toon;
    toon.enable = 1;
    toon.edgeColor = {1.0f, 0.0f, 0.0f, 1.0f};
    toon.edgePower = 3.0f;
    ASSERT_EQ(ball->setMaterialToon(nullptr, nullptr, &toon), 0);
    capture({ball->getSceneNode()});
    // The sphere's outline seen from 5 away: a circle of tan(asin(1.5 / 5)) / tan(30 degrees) x 120 pixels.
    const float radius = std::tan(std::asin(0.3f)) / std::tan(30.0f * 0.0174532924f) * 120.0f;
    for (int side : {-1, 1})
    {
        const int ring = int(std::lround(160.0f + side * (radius + 1.5f)));
        const int beyond = int(std::lround(160.0f + side * (radius + 6.0f)));
        const int inside = int(std::lround(160.0f + side * (radius - 4.0f)));
        EXPECT_EQ(Hex(pixel(ring, 120)), Hex(0xFFFF0000u)) << "ring at " << ring;
        EXPECT_EQ(Hex(pixel(beyond, 120)), Hex(Background)) << "beyond at " << beyond;
        EXPECT_EQ(red(pixel(inside, 120)), green(pixel(inside, 120))) << "inside at " << inside << ": " << Hex(pixel(inside, 120));
        // Up and down as well: the ring goes all round.
        const int vertical = int(std::lround(120.0f + side * (radius + 1.5f)));
        EXPECT_EQ(Hex(pixel(160, vertical)), Hex(0xFFFF0000u)) << "ring at row " << vertical;
    }
    EXPECT_LE(ChannelDistance(pixel(160, 120), 0xFFFFFFFFu), 2) << Hex(pixel(160, 120));
}

TEST_F(SceneRenderTest, NormalMapChangesTheShadingOfAFlatFace)
{
    // A map whose every texel tilts the normal 30 degrees toward growing u (+x on the square): a light 30
    // degrees to the right of the face meets it head on, one 30 degrees to the left at 60 degrees.
    writePng("tilt.png", 2, 2, std::vector<uint32_t>(4, Argb(255, 191, 128, 238)));
    ITexture* tilt = device_->loadTexture("tilt.png", 0, 0);
    ASSERT_NE(tilt, nullptr);
    ModelFixture f;
    f.meshes = {Square("card", -2, -2, 2, 2)};
    ISceneModel* card = load(f);
    ASSERT_NE(card, nullptr);
    struct Case
    {
        bool mapped;
        float degrees;
        int level;
    };
    for (const Case& c : {Case{false, 30.0f, 221}, Case{true, 30.0f, 255}, Case{true, -30.0f, 128}, Case{false, -30.0f, 221}})
    {
        NormalMapParam map;
        map.enable = c.mapped ? 1 : 0;
        map.texture = tilt;
        ASSERT_EQ(card->setMaterialNormalMap(nullptr, nullptr, &map), 0);
        const float a = c.degrees * 0.0174532924f;
        scene_->setLightPosition({std::sin(a) * 100.0f, 0.0f, -std::cos(a) * 100.0f, 1.0f});
        capture({card->getSceneNode()});
        EXPECT_NEAR(red(pixel(160, 120)), c.level, 4) << (c.mapped ? "mapped " : "plain ") << c.degrees;
    }
    tilt->release();
}

TEST_F(SceneRenderTest, BoxCastsItsShadowOnThePlaneBelowIt)
{
    // A box of edge 1 floating at height 1.5 over a white floor, the light straight above: the shadow is the
    // square |x|, |z| <= 0.5 of the floor.
    ISceneModel* box = load(BoxFixture({1.0f, 0.0f, 0.0f, 1.0f}, 0.5f), Matrix4x4::GetTranslation(0.0f, 1.5f, 0.0f));
    ModelFixture floorFixture;
    FixtureMesh floorMesh;
    floorMesh.name = "floor";
    AddFace(floorMesh, {-5, 0, -5}, {10, 0, 0}, {0, 0, 10}, {0, 1, 0});
    floorFixture.meshes = {floorMesh};
    ISceneModel* floor = load(floorFixture);
    ASSERT_NE(box, nullptr);
    ASSERT_NE(floor, nullptr);
    look({0.0f, 6.0f, -6.0f}, {0.0f, 0.0f, 0.0f});
    scene_->setLightPosition({0.0f, 20.0f, 0.0f, 1.0f});
    scene_->setLightLookAt({0.0f, 0.0f, 0.0f, 1.0f});
    CSceneStateDesc state;
    scene_->getSceneStateDesc(state);
    state.shadowMode = 2;
    state.shadowMapSize = 1024;
    scene_->setSceneStateDesc(state);
    ASSERT_EQ(scene_->commitSceneStateDesc(), 0);
    ShadowParam caster;
    caster.caster = 1;
    ASSERT_EQ(box->setMaterialShadow(nullptr, nullptr, &caster), 0);
    ShadowParam receiver;
    receiver.receiver = 1;
    receiver.color = {0.0f, 0.0f, 0.0f, 1.0f};
    receiver.strength = 0.75f;
    receiver.offset = 0.01f;
    ASSERT_EQ(floor->setMaterialShadow(nullptr, nullptr, &receiver), 0);

    const auto level = [&](const Vector3D& p) {
        const Vector2D s = project(p);
        return red(pixel(int(s.x), int(s.y)));
    };
    const Vector3D shaded[] = {{0, 0, 0}, {0.35f, 0, 0.35f}, {-0.35f, 0, -0.35f}, {0.35f, 0, -0.35f}};
    // (Behind the box, seen from the camera, the box itself stands in the way.)
    const Vector3D lit[] = {{0.7f, 0, 0}, {-0.7f, 0, 0}, {0, 0, -1.2f}, {2, 0, 2}};
    capture({box->getSceneNode(), floor->getSceneNode()});
    for (const Vector3D& p : shaded)
        EXPECT_NEAR(level(p), 64, 3) << "shadow at " << p.x << ", " << p.z;
    for (const Vector3D& p : lit)
        EXPECT_GE(level(p), 252) << "light at " << p.x << ", " << p.z;

    // Each of these takes the shadow away.
    struct Case
    {
        const char* what;
        std::function<void()> change, undo;
    };
    const Case cases[] = {
        {"no receiver", [&] { ShadowParam none; floor->setMaterialShadow(nullptr, nullptr, &none); },
         [&] { floor->setMaterialShadow(nullptr, nullptr, &receiver); }},
        {"no caster", [&] { ShadowParam none; box->setMaterialShadow(nullptr, nullptr, &none); },
         [&] { box->setMaterialShadow(nullptr, nullptr, &caster); }},
        {"shadow mode 0", [&] { state.shadowMode = 0; scene_->setSceneStateDesc(state); scene_->commitSceneStateDesc(); },
         [&] { state.shadowMode = 2; scene_->setSceneStateDesc(state); scene_->commitSceneStateDesc(); }},
    };
    for (const Case& c : cases)
    {
        c.change();
        capture({box->getSceneNode(), floor->getSceneNode()});
        EXPECT_GE(level({0, 0, 0}), 252) << c.what;
        c.undo();
    }
    // The offset rotation turns the shadow camera: 30 degrees about z slides the shadow 1.5 tan 30 along x.
    scene_->setShadowMapOffsetRotate(0.0f, 0.0f, 30.0f);
    capture({box->getSceneNode(), floor->getSceneNode()});
    const float shift = 1.5f * std::tan(30.0f * 0.0174532924f);
    EXPECT_GE(level({0.0f, 0, 0}), 252);
    EXPECT_NEAR(std::min(level({shift, 0, 0}), level({-shift, 0, 0})), 64, 3);
    EXPECT_GE(std::max(level({shift, 0, 0}), level({-shift, 0, 0})), 252);
    scene_->setShadowMapOffsetRotate(0.0f, 0.0f, 0.0f);
}

} // namespace
} // namespace OrvaneTest
