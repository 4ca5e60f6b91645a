// The particle system over the recording render and sound devices: its budget, texture rotation, scales,
// the per-frame step of its particles against closed-form motion, rebirth, repeat limits with the end
// sound and the lost-time child, and the task factory.
#include "ParticleTestFixture.h"

#include "particle/CParticleObject.h"

#include <cmath>

using namespace Orvane;
using namespace OrvaneTest;
using Orvane::Particle::CParticleObject;
using Orvane::Particle::CParticleParameter;

namespace
{

TEST_F(ParticleTest, BudgetOfParticlesTimesRibbonSamplesMustStayBelowTheLibraryLimit)
{
    struct Case
    {
        int32_t num;
        int32_t useRandom;
        int32_t randomRange;
        int32_t polylineNum;
        float polylineTime;
        bool creates;
    };
    const Case cases[] = {
        {200, 0, 0, 40, 500.0f, true},   // 200 x 40 x 2 x 4 = 64,000
        {200, 0, 0, 41, 500.0f, false},  // 65,600
        {16383, 0, 0, 0, 500.0f, true},  // 65,532
        {16384, 0, 0, 0, 500.0f, false}, // 65,536
        {100, 1, 16384, 0, 500.0f, false}, // the larger of the two counts
        {200, 0, 0, 41, -1.0f, true},    // a negative time means no ribbon at all
        {-1, 0, 0, 0, 500.0f, false},
        {10, 1, -5, 0, 500.0f, false},
        {10, 0, 0, -3, 500.0f, false},
        // Counts whose product wraps in 32 bits must not slip under the limit.
        {65536, 0, 0, 32768, 500.0f, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.num << " " << c.randomRange << " " << c.polylineNum);
        CParticleParameter d = definition(c.num);
        d.record.occur.particle_num.use_random = c.useRandom;
        d.record.occur.particle_num.random_range = c.randomRange;
        d.record.polyline.num = c.polylineNum;
        d.record.polyline.time = c.polylineTime;
        CParticle* system = make(d, 1, false);
        EXPECT_EQ(system != nullptr, c.creates);
        if (system && c.polylineTime < 0.0f)
        {
            EXPECT_EQ(system->polylineCount, 0);
        }
    }
}

TEST_F(ParticleTest, CreationMakesOneLibraryParticleObjectPerTextureWithTheDefinitionsSettings)
{
    CParticleParameter d = definition(3);
    d.record.texture_count = 2;
    d.textureNames = {"a.png", "b.png"};
    d.record.sprite.blend_mode = 2;
    d.record.sprite.use_z_buffer = 1;
    d.record.sprite.color.culc_mode = 1;
    d.record.sprite.culling_aspect = 0;
    ASSERT_NE(make(d, 1, false), nullptr);
    EXPECT_EQ(t.core->log.named("createSceneParticle"),
              (std::vector<std::string>{"createSceneParticle(a.png, 3)", "createSceneParticle(b.png, 3)"}));
    const std::vector<std::string> settings = {
        "scene.createParticleObject(particle0)", "particle0.object.setDepthTest(1)",
        "particle0.object.setDepthWrite(0)",     "particle0.object.setBlendMode(2)",
        "particle0.setBlendMode(2)",             "particle0.object.setColorOperation(2)",
        "particle0.setColorOperation(2)",        "particle0.object.setCulling(2)",
        "particle0.setCulling(2)"};
    std::vector<std::string> seen;
    for (const std::string& call : t.core->log.calls())
        if (call.rfind("particle0", 0) == 0 || call == "scene.createParticleObject(particle0)")
            seen.push_back(call);
    seen.resize(std::min(seen.size(), settings.size()));
    EXPECT_EQ(seen, settings);
}

TEST_F(ParticleTest, FailuresOfTheLibraryOrAnEmptyTextureNameFailCreation)
{
    CParticleParameter noName = definition(1);
    noName.textureNames = {""};
    EXPECT_EQ(make(noName), nullptr);
    t.core->render->noSceneParticle = true;
    EXPECT_EQ(make(definition(1)), nullptr);
    t.core->render->noSceneParticle = false;
    t.core->render->recordingScene()->noParticleObject = true;
    EXPECT_EQ(make(definition(1)), nullptr);
}

TEST_F(ParticleTest, TextureThatDoesNotLoadIsAnEmptyTextureWhoseParticlesDrawNothing)
{
    t.core->render->missingTextures = {"p.png"};
    t.core->render->emptyTextures = false;
    CParticle* system = make(definition(2));
    ASSERT_NE(system, nullptr);
    frames(system, 2);
    EXPECT_TRUE(sceneParticle(0).billboards.empty());
}

TEST_F(ParticleTest, GlyphTextureNameShorterThanSixUnitsGivesTheEmptyTexture)
{
    CParticleParameter d = definition(1);
    d.textureNames = {"a:b"};
    CParticle* system = make(d);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(t.core->log.named("createTexture"), (std::vector<std::string>{"createTexture(0, 0, 0, 0)"}));
    uint32_t code = 0;
    EXPECT_FALSE(CParticle::glyphCode("a:b", code));
    EXPECT_TRUE(CParticle::glyphCode("font:X", code));
    EXPECT_EQ(code, uint32_t('X'));
    EXPECT_TRUE(CParticle::glyphCode("font:\xe3\x81\x82", code));
    EXPECT_EQ(code, 0x3042u);
}

TEST_F(ParticleTest, ThreeTexturesTwoInUseRotateWhenTheOldestIsNoLongerShown)
{
    CParticleParameter d = definition(4);
    d.record.texture_count = 3;
    d.record.texture_use_count = 2;
    d.textureNames = {"a.png", "b.png", "c.png"};
    CParticle* system = make(d, 1, false);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->texturesInUse, (std::deque<int32_t>{2, 0}));
    EXPECT_EQ(system->texturePool, (std::deque<int32_t>{1}));
    // New particles never take the oldest texture while another is in use.
    for (const CParticleObject* particle : system->particles)
        EXPECT_EQ(particle->textureIndex, 0u);
    system->reset();
    system->startEmission();
    frame(system);
    EXPECT_EQ(system->releasedTexture, 2);
    EXPECT_EQ(system->texturesInUse, (std::deque<int32_t>{0, 1}));
    EXPECT_EQ(system->texturePool, (std::deque<int32_t>{2}));
    EXPECT_EQ(system->pickTexture(), 1);
}

TEST_F(ParticleTest, TextureCountsOutsideTheNamesAreClampedAndNoNamesFailCreation)
{
    struct Case
    {
        size_t names;
        int32_t count;
        int32_t useCount;
        bool creates;
        int32_t keptCount;
        int32_t keptUseCount;
    };
    const Case cases[] = {
        {0, 1, 1, false, 0, 0}, {2, 0, 0, true, 1, 1},   {2, -4, -1, true, 1, 1},
        {2, 5, 2, true, 2, 2},  {3, 2, 9, true, 2, 2},   {3, 3, 0, true, 3, 1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.names << " names, count " << c.count << ", use " << c.useCount);
        CParticleParameter d = definition(3);
        d.textureNames.resize(c.names, "p.png");
        d.record.texture_count = c.count;
        d.record.texture_use_count = c.useCount;
        CParticle* system = make(d);
        ASSERT_EQ(system != nullptr, c.creates);
        if (!system)
            continue;
        EXPECT_EQ(system->parameter.record.texture_count, c.keptCount);
        EXPECT_EQ(system->parameter.record.texture_use_count, c.keptUseCount);
        EXPECT_EQ(system->texturesInUse.size(), size_t(c.keptUseCount));
        EXPECT_EQ(system->texturesInUse.size() + system->texturePool.size(), size_t(c.keptCount));
        frames(system, 2);
        for (const CParticleObject* particle : system->particles)
            EXPECT_LT(particle->textureIndex, uint32_t(c.keptCount));
    }
}

TEST_F(ParticleTest, OneTextureIsAlwaysPickedAndNeverRotatedWhileShown)
{
    CParticle* system = make(definition(2));
    frames(system, 3);
    EXPECT_EQ(system->pickTexture(), 0);
    EXPECT_EQ(system->releasedTexture, -1);
    EXPECT_EQ(system->texturesInUse, (std::deque<int32_t>{0}));
}

TEST_F(ParticleTest, PixelScaleWithoutACameraIsTheDefaultViewHeightOverTheScreenHeight)
{
    CParticle* system = make(definition(1));
    const float expected = 424.1547f / 720.0f;
    EXPECT_FLOAT_EQ(system->pixelScale.x, expected);
    EXPECT_FLOAT_EQ(system->pixelScale.y, expected);
    EXPECT_FLOAT_EQ(system->pixelScale.z, expected);
    EXPECT_EQ(system->cameraScale, Kavro::Vector3D(1.0f, 1.0f, 1.0f));

    FakeCamera camera;
    system->setCamera(&camera, 1000.0f, 0.0f);
    const float visible = 2.0f * std::tan(45.0f * 0.008726646f) * 1000.0f;
    EXPECT_FLOAT_EQ(system->pixelScale.y, visible / 720.0f);
    EXPECT_FLOAT_EQ(system->cameraScale.y, visible / 424.1547f);
    system->setCamera(nullptr, 512.0f, 45.0f);
}

TEST_F(ParticleTest, StepsOfOneParticleMatchClosedFormMotionColourAndSize)
{
    CParticleParameter d = definition(1);
    auto& r = d.record;
    r.occur.use_particle_age = 1;
    r.occur.particle_age.time = 1000;
    r.move.velocity.x.value = 3.0f;
    r.move.velocity.y.value = 2.0f;
    r.move.use_gravity = 1;
    r.move.gravity.acceleration = -0.25f; // taken by its size
    r.move.gravity.factor = 0.1f;
    r.sprite.color.start = {255, 0, 0, 255, 0, {}};
    r.sprite.color.use_end = 1;
    r.sprite.color.end = {0, 0, 255, 0, 0, 0, {}, 0};
    r.sprite.size.start.x = 10.0f;
    r.sprite.size.start.y = 20.0f;
    r.sprite.size.start.exe_type = 1;
    r.sprite.size.use_end = 1;
    r.sprite.size.end.x = 30.0f;
    r.sprite.size.end.y = 40.0f;
    // Through the file, as a game's effect arrives.
    writeDefinition("steps", d);
    CParticle* system = make(Particle::loadParticleParameter("steps"));
    ASSERT_NE(system, nullptr);
    CParticleObject& p = *system->particles.at(0);
    const int n = 30;
    frames(system, n);
    const float k = FrameMs * 0.060000002f;
    const float g0 = 0.25f, f = 0.1f;
    EXPECT_NEAR(p.age, n * FrameMs, 1e-3f);
    EXPECT_NEAR(p.move.position.x, 3.0f * k * n, 1e-3f);
    EXPECT_NEAR(p.move.position.y, 2.0f * k * n - k * (n * g0 + f * g0 * k * n * (n - 1) / 2.0f), 1e-3f);
    EXPECT_NEAR(p.move.velocity.y, 2.0f, 1e-6f);
    EXPECT_NEAR(p.move.gravity, g0 + n * f * g0 * k, 1e-5f);
    EXPECT_EQ(p.position, p.move.position);
    // Colour and size are evaluated before their timer moves: at (n - 1) frames.
    const float s = (n - 1) * FrameMs / 1000.0f;
    EXPECT_NEAR(p.color.current.x, 1.0f - s, 1e-5f);
    EXPECT_NEAR(p.color.current.z, s, 1e-5f);
    EXPECT_NEAR(p.color.current.w, 1.0f - s, 1e-5f);
    EXPECT_NEAR(p.scale.current.x, 10.0f + 20.0f * s, 1e-4f);
    EXPECT_NEAR(p.scale.current.y, 20.0f + 20.0f * s, 1e-4f);
    // What reaches the library: the local matrix, the size times the particle scale, the packed colour.
    ASSERT_EQ(sceneParticle(0).billboards.size(), 1u);
    const auto& b = sceneParticle(0).billboards[0];
    EXPECT_EQ(b.size.x, p.scale.current.x);
    EXPECT_EQ(b.colour & 0xFFu, uint32_t((1.0f - s) * 255.0f));
    EXPECT_EQ(b.rect, Kavro::Vector4D(0.0f, 0.0f, 64.0f, 64.0f));
    EXPECT_NEAR(b.matrix._41, p.position.x, 1e-5f);
}

TEST_F(ParticleTest, RebirthCarriesTheTimeLeftOverByFmod)
{
    CParticleParameter d = definition(1);
    d.record.occur.use_particle_age = 1;
    d.record.occur.particle_age.time = 100;
    CParticle* system = make(d);
    CParticleObject& p = *system->particles.at(0);
    frames(system, 7);
    EXPECT_EQ(p.repeatCount, 1);
    EXPECT_NEAR(p.age, std::fmod(7.0f * FrameMs, 100.0f), 1e-3f);
    frames(system, 6);
    EXPECT_EQ(p.repeatCount, 2);
    EXPECT_EQ(p.alive, 1);
}

TEST_F(ParticleTest, StartDelayOvershootLongerThanTheLifeIsReducedModuloTheLife)
{
    CParticleParameter d = definition(1);
    d.record.occur.use_particle_age = 1;
    d.record.occur.particle_age.time = 5;
    CParticle* system = make(d);
    CParticleObject& p = *system->particles.at(0);
    frame(system);
    // 16.67 ms overshoot of a 5 ms life: 1.67 ms into the first life, no life used up.
    EXPECT_EQ(p.started, 1);
    EXPECT_EQ(p.repeatCount, 0);
    EXPECT_NEAR(p.age, std::fmod(FrameMs, 5.0f), 1e-4f);
}

TEST_F(ParticleTest, DelayByOrderWaitsLongerForLaterParticles)
{
    CParticleParameter d = definition(3);
    d.record.occur.use_delay = 1;
    d.record.occur.delay.time = 100;
    d.record.occur.suspend_time = 10;
    CParticle* system = make(d);
    EXPECT_EQ(system->particles[0]->startDelay, 110.0f);
    EXPECT_EQ(system->particles[2]->startDelay, 310.0f);
    d.record.occur.delay.order = 1;
    CParticle* same = make(d);
    EXPECT_EQ(same->particles[2]->startDelay, 110.0f);
}

TEST_F(ParticleTest, RepeatLimitThreePlaysTheEndSoundOnceAndStartsTheLostTimeChild)
{
    CParticleParameter child = definition(1);
    std::strcpy(child.record.particle_name, "after");
    writeDefinition("after", child);
    CParticleParameter d = definition(1);
    d.record.occur.use_particle_age = 1;
    d.record.occur.particle_age.time = 50;
    d.record.occur.count = 3;
    std::strcpy(d.record.sound.lost_time_play.filename, "end.wav");
    auto& lost = d.record.occur.lost_time_make_particle;
    lost.enable = 1;
    std::strcpy(lost.particle_name, "after");
    CParticle* system = make(d);
    CParticle* after = system->childSlots[CParticle::LostTimeSlot].system;
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(after->isEmitting, 0);
    CParticleObject& p = *system->particles.at(0);
    // Three lives of 50 ms end in the ninth frame (150 ms); the system notices in the tenth.
    frames(system, 9);
    EXPECT_EQ(p.alive, 0);
    EXPECT_EQ(p.repeatCount, 3);
    EXPECT_EQ(plays(), 0u);
    EXPECT_EQ(system->isRunning, 1);
    frame(system);
    EXPECT_EQ(system->isRunning, 0);
    EXPECT_EQ(plays(), 1u);
    EXPECT_EQ(after->isEmitting, 1);
    EXPECT_TRUE(system->isAlive());
    frames(system, 5);
    EXPECT_EQ(plays(), 1u);
}

TEST_F(ParticleTest, EndlessChildThatEndedIsResetAndStartedAgain)
{
    CParticleParameter child = definition(1);
    std::strcpy(child.record.particle_name, "loop");
    child.record.occur.use_particle_age = 1;
    child.record.occur.particle_age.time = 20;
    child.record.occur.count = 1;
    writeDefinition("loop", child);
    CParticleParameter d = definition(1);
    auto& endless = d.record.occur.endress_make_particle;
    endless.enable = 1;
    std::strcpy(endless.particle_name, "loop");
    CParticle* system = make(d);
    CParticle* loop = system->childSlots[CParticle::EndlessSlot].system;
    ASSERT_NE(loop, nullptr);
    frame(system); // started: the child was not alive
    EXPECT_EQ(loop->isEmitting, 1);
    frames(system, 2); // its one life of 20 ms ends, and in the next update it falls still
    EXPECT_EQ(loop->isRunning, 0);
    EXPECT_EQ(loop->particles[0]->alive, 0);
    frame(system); // the parent starts it again
    EXPECT_EQ(loop->isRunning, 1);
    EXPECT_EQ(loop->particles[0]->alive, 1);
    EXPECT_EQ(loop->particles[0]->repeatCount, 0);
}

TEST_F(ParticleTest, ChildDefinitionNamingItselfStopsAtABoundedDepth)
{
    CParticleParameter d = definition(1);
    std::strcpy(d.record.particle_name, "self");
    auto& same = d.record.occur.same_time_make_particle;
    same.enable = 1;
    std::strcpy(same.particle_name, "self");
    writeDefinition("self", d);
    CParticle* system = make(d);
    ASSERT_NE(system, nullptr);
    int depth = 0;
    for (CParticle* s = system; s; s = s->childSlots[CParticle::SameTimeSlot].system)
        ++depth;
    EXPECT_LE(depth, 9);
    EXPECT_GE(depth, 2);
}

TEST_F(ParticleTest, TimeScaleZeroStopsEveryParticle)
{
    CParticleParameter d = definition(2);
    d.record.move.velocity.x.value = 1.0f;
    CParticle* system = make(d);
    frame(system);
    system->setTimeScale(0.0f);
    const Kavro::Vector3D before = system->particles[0]->move.position;
    frames(system, 3);
    EXPECT_EQ(system->particles[0]->move.position, before);
}

TEST_F(ParticleTest, TaskFactoryCreatesOrReleases)
{
    CParticle* system = task->createParticle("fx", definition(2));
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->particles.size(), 2u);
    EXPECT_EQ(task->findTaskObject("fx"), system);
    system->release();
    CParticleParameter bad = definition(2);
    bad.textureNames = {""};
    EXPECT_EQ(task->createParticle("fx", bad), nullptr);
    EXPECT_EQ(task->findTaskObject("fx"), nullptr);
}

TEST_F(ParticleTest, PerFrameStepAllocatesNothingOnceWarm)
{
    CParticleParameter d = definition(50);
    d.record.occur.use_particle_age = 1;
    d.record.occur.particle_age.time = 100;
    d.record.move.velocity.y.value = 1.0f;
    CParticle* system = make(d);
    frames(system, 10);
    const size_t capacity = sceneParticle(0).billboards.capacity();
    frames(system, 20);
    EXPECT_EQ(sceneParticle(0).billboards.capacity(), capacity);
}

TEST_F(ParticleTest, AnimationFramesAreReadFromTheirList)
{
    std::filesystem::create_directories(dir.path() / "anim");
    {
        std::FILE* f = std::fopen((dir.path() / "anim" / "a.csv").string().c_str(), "wb");
        std::fputs("90,0,0,16,16\r\n 30, 16,0,16,16\n-3,x,2,3,4\n7,8,9\n1,2,3,4,5\n", f);
        std::fclose(f);
    }
    CParticleParameter d = definition(1);
    std::strcpy(d.record.animation_filename, "anim/a.csv");
    d.record.animation_loop = 1;
    CParticle* system = make(d);
    ASSERT_EQ(system->animationFrames.size(), 3u);
    EXPECT_EQ(system->animationFrames[1].duration, 30.0f);
    EXPECT_EQ(system->animationFrames[1].x, 16);
    EXPECT_EQ(system->animationFrames[2].duration, -3.0f);
    EXPECT_EQ(system->animationFrames[2].x, 0);
    // The frames play in turn and loop.
    CParticleObject& p = *system->particles[0];
    frames(system, 6);
    EXPECT_EQ(p.anime.frame, 1u);
    frames(system, 3);
    EXPECT_EQ(p.anime.frame, 0u);
}

} // namespace
