// Where particles are born: the emitter's shapes, and the order in which a spawn draws its random values,
// checked against a twin generator that replays the expected draws.
#include "ParticleTestFixture.h"

#include "particle/CParticleEmitter.h"
#include "particle/CParticleObject.h"

#include <kavro/Matrix4x4.h>

#include <cmath>

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Matrix4x4;
using Kavro::Vector3D;
using Orvane::Particle::CParticleObject;
using Orvane::Particle::CParticleParameter;

namespace
{

void expectNear(const Vector3D& a, const Vector3D& b, float tolerance = 1e-4f)
{
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

CParticleParameter withoutPoint(CParticleParameter d)
{
    d.record.location.use_bounding_point = 0;
    return d;
}

TEST_F(ParticleTest, CircleOfFourPutsParticlesAQuarterTurnApartAtFullRadius)
{
    CParticleParameter d = withoutPoint(definition(4));
    d.record.location.use_bounding_circle = 1;
    d.record.location.circle.radius = 10.0f;
    CParticle* system = make(d, 1, false);
    const Vector3D first = system->particles[0]->move.position;
    expectNear(first, Vector3D(10.0f, 0.0f, 0.0f));
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        const Vector3D expected = first.TransformCoord(Matrix4x4::GetRotationZ(90.0f * float(i)));
        expectNear(system->particles[size_t(i)]->move.position, expected);
        EXPECT_NEAR(system->particles[size_t(i)]->move.position.Length(), 10.0f, 1e-4f);
    }
    expectNear(system->particles[2]->move.position, Vector3D(-10.0f, 0.0f, 0.0f));
}

TEST_F(ParticleTest, RandomRadiusOfZeroDrawsNothingAndEmitsAtTheCentre)
{
    CParticleParameter d = withoutPoint(definition(3));
    d.record.location.use_bounding_circle = 1;
    d.record.location.circle.make_type = 1;
    CParticle* system = make(d, 1, false);
    const uint32_t draws = system->random.GetMersenneTwisterCount();
    const float zero = 0.0f;
    system->particles[1]->spawn(&zero);
    EXPECT_EQ(system->random.GetMersenneTwisterCount(), draws);
    expectNear(system->particles[1]->move.position, Vector3D());
}

TEST_F(ParticleTest, SphereGridStartsAtTheStartAnglesAndEndsAtTheEndLatitude)
{
    CParticleParameter d = withoutPoint(definition(6));
    d.record.location.use_bounding_sphere = 1;
    d.record.location.sphere.radius = 5.0f;
    CParticle* system = make(d, 1, false);
    auto at = [](float lat, float lon) {
        return Vector3D(0.0f, 1.0f, 0.0f).Transform(Matrix4x4::GetRotationX(lat) * Matrix4x4::GetRotationY(lon)) *
               5.0f;
    };
    // Without a selected range: latitude from 0 + 90 to 180, longitude from 0 to 360.
    expectNear(system->particles[0]->move.position, at(90.0f, 0.0f));
    expectNear(system->particles[5]->move.position, at(180.0f, 0.0f));
    expectNear(system->particles[5]->move.position, Vector3D(0.0f, -5.0f, 0.0f));
    // k = 2 rows between them; the second particle starts the first row, shifted by D/k.
    expectNear(system->particles[1]->move.position, at(90.0f + 45.0f, 0.0f));
}

TEST_F(ParticleTest, BoxShapes)
{
    struct Case
    {
        const char* name;
        int32_t makeType;
        Particle::Faces<int32_t> aspect;
    };
    const Case cases[] = {
        {"top face only", 0, {0, 0, 1, 0, 0, 0}},
        {"no face", 0, {0, 0, 0, 0, 0, 0}},
        {"volume", 1, {0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        CParticleParameter d = withoutPoint(definition(20));
        auto& box = d.record.location.box;
        d.record.location.use_bounding_box = 1;
        box.size = {-10.0f, 10.0f, 5.0f, -5.0f, 3.0f, -3.0f};
        box.make_type = c.makeType;
        box.aspect = c.aspect;
        CParticle* system = make(d, 7, false);
        float minX = 100.0f, maxX = -100.0f;
        for (const CParticleObject* p : system->particles)
        {
            const Vector3D v = p->move.position;
            minX = std::min(minX, v.x);
            maxX = std::max(maxX, v.x);
            EXPECT_GE(v.x, -10.0f);
            EXPECT_LE(v.x, 10.0f);
            EXPECT_GE(v.y, -5.0f);
            EXPECT_LE(v.y, 5.0f);
            EXPECT_GE(v.z, -3.0f);
            EXPECT_LE(v.z, 3.0f);
            if (c.aspect.top)
            {
                EXPECT_EQ(v.y, 5.0f);
            }
            if (c.makeType == 0 && !c.aspect.top)
            {
                EXPECT_EQ(v, Vector3D());
            }
        }
        if (c.aspect.top || c.makeType == 1)
        {
            EXPECT_GT(maxX - minX, 5.0f);
        }
    }
}

TEST_F(ParticleTest, EqualBoundsDrawNothingFromTheGenerator)
{
    CParticleParameter d = withoutPoint(definition(2));
    d.record.location.use_bounding_box = 1;
    d.record.location.box.make_type = 1;
    d.record.location.box.size = {4.0f, 4.0f, 2.0f, 2.0f, 1.0f, 1.0f};
    CParticle* system = make(d, 3, false);
    const uint32_t draws = system->random.GetMersenneTwisterCount();
    const float zero = 0.0f;
    system->particles[0]->spawn(&zero);
    EXPECT_EQ(system->random.GetMersenneTwisterCount(), draws);
    EXPECT_EQ(system->particles[0]->move.position, Vector3D(4.0f, 2.0f, 1.0f));
}

TEST_F(ParticleTest, OnlyTheFirstEnabledShapeCounts)
{
    CParticleParameter d = definition(1);
    d.record.location.use_bounding_circle = 1;
    d.record.location.circle.radius = 10.0f;
    CParticle* system = make(d, 1, false);
    EXPECT_EQ(system->emitter->shape, Particle::CParticleEmitter::PointShape);
    EXPECT_EQ(system->particles[0]->move.position, Vector3D());
}

TEST_F(ParticleTest, SpawnDrawsItsRandomValuesInTheFixedOrder)
{
    CParticleParameter d = withoutPoint(definition(1));
    auto& r = d.record;
    r.occur.use_particle_age = 1;
    r.occur.particle_age = {400, 1, 800};
    r.location.use_bounding_box = 1;
    r.location.box.make_type = 1;
    r.location.box.size = {-10.0f, 10.0f, 5.0f, -5.0f, 3.0f, -3.0f};
    r.sprite.size.start = {2.0f, 3.0f, 1, {6.0f, 9.0f}, 0, 1};
    r.move.velocity.x = {5.0f, 0, 0.0f, 1};
    r.sprite.color.start = {10, 20, 30, 40, 1, {200, 210, 220, 230}};
    CParticle* system = make(d, 1, false);
    system->setSeed(12345);
    Kavro::CRandom twin(12345);
    const float zero = 0.0f;
    CParticleObject& p = *system->particles[0];
    p.spawn(&zero);

    const float life = twin.GetFloat(400.0f, 800.0f);
    const float x = twin.GetFloat(-10.0f, 10.0f);
    const float y = twin.GetFloat(-5.0f, 5.0f);
    const float z = twin.GetFloat(-3.0f, 3.0f);
    const float sizeY = twin.GetFloat(3.0f, 9.0f); // y first
    const float sizeX = twin.GetFloat(2.0f, 6.0f);
    const bool flip = twin.GetInt(0, 1) != 0; // the sign of a reversible value, drawn even without a range
    float channels[4];
    const int32_t from[4] = {10, 20, 30, 40}, to[4] = {200, 210, 220, 230};
    for (int i = 0; i < 4; ++i)
        channels[i] = twin.GetFloat(float(from[i]) * 0.003921569f, float(to[i]) * 0.003921569f);

    EXPECT_EQ(p.life, life);
    EXPECT_EQ(p.move.position, Vector3D(x, y, z));
    EXPECT_EQ(p.scale.keys.start.x, sizeX);
    EXPECT_EQ(p.scale.keys.start.y, sizeY);
    EXPECT_EQ(p.move.velocity.x, flip ? -5.0f : 5.0f);
    EXPECT_EQ(p.color.keys.start.x, channels[0]);
    EXPECT_EQ(p.color.keys.start.w, channels[3]);
    EXPECT_EQ(system->random.GetMersenneTwisterCount(), twin.GetMersenneTwisterCount());
}

TEST_F(ParticleTest, SphereDirectionGridSendsTheFirstUpAndTheLastDown)
{
    CParticleParameter d = definition(5);
    d.record.move.use_sphere = 1;
    CParticle* system = make(d, 1, false);
    expectNear(system->particles[0]->move.direction, Vector3D(0.0f, 1.0f, 0.0f));
    expectNear(system->particles[4]->move.direction, Vector3D(0.0f, -1.0f, 0.0f));
}

TEST_F(ParticleTest, VelocityRotationFollowsTheDirectionOfTravel)
{
    CParticleParameter d = definition(1);
    d.record.rotate.z.type = 1;
    CParticle* system = make(d, 1, false);
    CParticleObject& p = *system->particles[0];
    const struct
    {
        Vector3D step;
        float angle;
    } cases[] = {{{1, 0, 0}, -90.0f}, {{0, 1, 0}, 0.0f}, {{-1, 0, 0}, 90.0f}, {{0, -1, 0}, 180.0f}};
    for (const auto& c : cases)
    {
        p.previousPosition = Vector3D();
        p.position = c.step;
        const float dt = FrameMs;
        p.rotateZ->apply(&dt);
        EXPECT_NEAR(p.rotateZ->angle, c.angle, 1e-3f);
    }
}

TEST_F(ParticleTest, LocalRotationKeepsTurningWhileItsVelocityReturnsEachDuration)
{
    CParticleParameter d = definition(1);
    auto& z = d.record.rotate.z;
    z.velocity.value = 2.0f;
    z.resist.value = 0.5f; // factor 0.5
    z.use_frame = 1;
    z.frame.time = 50;
    CParticle* system = make(d, 1, false);
    auto& rotate = *system->particles[0]->rotateZ;
    const float dt = FrameMs;
    float angle = 0.0f, velocity = 2.0f;
    const float k = dt * 0.060000002f;
    for (int i = 0; i < 4; ++i)
    {
        rotate.apply(&dt);
        angle += velocity * k;
        velocity = velocity * 0.5f;
        if (i == 2) // 50 ms reached
            velocity = 2.0f;
        EXPECT_NEAR(rotate.angle, angle, 1e-4f);
        EXPECT_NEAR(rotate.velocity, velocity, 1e-5f);
    }
}

} // namespace
