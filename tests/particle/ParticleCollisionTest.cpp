// The collision shapes: their responses, the order of the tests and the touch sounds.
#include "ParticleTestFixture.h"

#include "particle/CParticleCollision.h"
#include "particle/CParticleObject.h"

using namespace Orvane;
using namespace OrvaneTest;
using Kavro::Vector3D;
using Orvane::Particle::CParticleCollision;
using Orvane::Particle::CParticleParameter;

namespace
{

struct Motion
{
    Vector3D position, previous, velocity, direction;
};

class ParticleCollisionTest : public ParticleTest
{
protected:
    uint32_t test(const CParticleParameter& d, Motion& m)
    {
        CParticle* system = make(d, 1, false);
        EXPECT_NE(system, nullptr);
        sound->log.clear();
        return system->collision->test(m.position, m.previous, m.velocity, m.direction);
    }
    static CParticleParameter ground(int32_t action, float restitution)
    {
        CParticleParameter d = definition(1);
        d.record.move.use_earth = 1;
        d.record.move.earth.height = 0.0f;
        d.record.move.earth.restitution = restitution;
        d.record.move.earth.touch_action = action;
        std::strcpy(d.record.move.earth.touch_sound_filename, "ground.wav");
        return d;
    }
    static CParticleParameter boxAll(int32_t action)
    {
        CParticleParameter d = definition(1);
        auto& b = d.record.move.box_range;
        d.record.move.use_box_range = 1;
        b.size = {-5.0f, 5.0f, 5.0f, -5.0f, 5.0f, -5.0f};
        b.aspect = {1, 1, 1, 1, 1, 1};
        b.restitution = {1.0f, 1.0f, 0.5f, 1.0f, 0.25f, 1.0f};
        b.touch_action = {action, action, action, action, action, action};
        return d;
    }
};

TEST_F(ParticleCollisionTest, GroundBounceWorkedExampleStopsTheTestsBeforeTheBox)
{
    CParticleParameter d = ground(1, 0.5f);
    d.record.move.use_box_range = 1; // a box that would make the particle vanish
    d.record.move.box_range.aspect = {1, 1, 1, 1, 1, 1};
    Motion m{{1, -1, 0}, {1, 0.5f, 0}, {2, -4, 0}, {0, -1, 0}};
    EXPECT_EQ(test(d, m), CParticleCollision::Bounce);
    EXPECT_EQ(m.velocity, Vector3D(2, 2, 0));
    EXPECT_EQ(m.position, Vector3D(1, 0, 0));
    EXPECT_EQ(m.previous, Vector3D(1, 0, 0));
    EXPECT_EQ(m.direction, Vector3D(0, 0.5f, 0));
    EXPECT_EQ(plays(), 1u);
}

TEST_F(ParticleCollisionTest, Table)
{
    struct Case
    {
        const char* name;
        CParticleParameter definition;
        Motion before;
        uint32_t result;
        Motion after;
    };
    CParticleParameter wrapRight = definition(1);
    {
        auto& b = wrapRight.record.move.box_range;
        wrapRight.record.move.use_box_range = 1;
        b.size.left = -5.0f;
        b.size.right = 5.0f;
        b.aspect.right = 1;
        b.touch_action.right = 2;
    }
    CParticleParameter vanishLeftBounceTop = definition(1);
    {
        auto& b = vanishLeftBounceTop.record.move.box_range;
        vanishLeftBounceTop.record.move.use_box_range = 1;
        b.size = {-5.0f, 5.0f, 5.0f, -5.0f, 5.0f, -5.0f};
        b.aspect.left = b.aspect.top = 1;
        b.touch_action.left = 0;
        b.touch_action.top = 1;
        b.restitution.top = 1.0f;
    }
    CParticleParameter sphereWrap = definition(1);
    sphereWrap.record.move.use_sphere_range = 1;
    sphereWrap.record.move.sphere_range.radius = 10.0f;
    sphereWrap.record.move.sphere_range.touch_action = 2;
    CParticleParameter sphereBounce = sphereWrap;
    sphereBounce.record.move.sphere_range.touch_action = 1;
    sphereBounce.record.move.sphere_range.restitution = 1.0f;
    CParticleParameter sphereVanishZero = sphereWrap;
    sphereVanishZero.record.move.sphere_range.radius = 0.0f;
    sphereVanishZero.record.move.sphere_range.touch_action = 0;
    CParticleParameter sphereBounceZero = sphereBounce;
    sphereBounceZero.record.move.sphere_range.radius = 0.0f;
    CParticleParameter groundOnlySound = ground(2, 1.0f);
    groundOnlySound.record.move.use_sphere_range = 1;
    groundOnlySound.record.move.sphere_range.touch_action = 0;
    groundOnlySound.record.move.sphere_range.radius = 1.0f;

    const Case cases[] = {
        {"nothing enabled", definition(1), {{0, -9, 0}, {}, {1, 1, 1}, {}}, 0, {{0, -9, 0}, {}, {1, 1, 1}, {}}},
        {"exactly at the ground touches", ground(1, 1.0f), {{0, 0, 0}, {0, 1, 0}, {0, -2, 0}, {}}, 2,
         {{0, 0, 0}, {0, 0, 0}, {0, 2, 0}, {}}},
        {"ground that only sounds lets the sphere test", groundOnlySound, {{0, -2, 0}, {}, {}, {}}, 1,
         {{0, -2, 0}, {}, {}, {}}},
        {"wrap to a disabled face", wrapRight, {{6, 1, 1}, {4, 1, 1}, {1, 0, 0}, {}}, 3,
         {{-5, 1, 1}, {4, 1, 1}, {1, 0, 0}, {}}},
        {"vanish before the bounce", vanishLeftBounceTop, {{-6, 6, 0}, {}, {0, 3, 0}, {}}, 1,
         {{-6, 6, 0}, {}, {0, 3, 0}, {}}},
        {"two faces bounce", boxAll(1), {{6, 6, 0}, {}, {2, 4, 0}, {0, 0, 0}}, 2,
         {{5, 5, 0}, {5, 5, 0}, {-2, -2, 0}, {0, 0, 0}}},
        {"back face bounce", boxAll(1), {{0, 0, 6}, {}, {0, 0, 4}, {0, 0, 1}}, 2,
         {{0, 0, 5}, {0, 0, 5}, {0, 0, -1}, {0, 0, -0.25f}}},
        {"sphere wrap answers 0", sphereWrap, {{0, 12, 0}, {}, {}, {}}, 0, {{0, -10, 0}, {}, {}, {}}},
        {"sphere of radius 0 vanishes everything", sphereVanishZero, {{0, 0, 0}, {}, {}, {}}, 1,
         {{0, 0, 0}, {}, {}, {}}},
        {"sphere bounce answers 0 and turns back", sphereBounce, {{0, 12, 0}, {0, 8, 0}, {0, 3, 0}, {0, 1, 0}}, 0,
         {{0, 10, 0}, {0, 8, 0}, {0, -3, 0}, {0, -1, 0}}},
        {"sphere bounce without movement", sphereBounce, {{0, 12, 0}, {0, 12, 0}, {0, 3, 0}, {}}, 0,
         {{0, 10, 0}, {0, 12, 0}, {0, -3, 0}, {}}},
        {"sphere bounce at the centre has no side and changes nothing", sphereBounceZero,
         {{0, 0, 0}, {0, 0, 0}, {0, 3, 0}, {0, 1, 0}}, 0, {{0, 0, 0}, {0, 0, 0}, {0, 3, 0}, {0, 1, 0}}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Motion m = c.before;
        EXPECT_EQ(test(c.definition, m), c.result);
        EXPECT_EQ(m.position, c.after.position);
        EXPECT_EQ(m.previous, c.after.previous);
        EXPECT_EQ(m.velocity, c.after.velocity);
        EXPECT_EQ(m.direction, c.after.direction);
    }
}

TEST_F(ParticleCollisionTest, OnlyTheFaceThatAnswersPlaysItsSound)
{
    CParticleParameter d = boxAll(0);
    std::strcpy(d.record.move.box_range.touch_sound_files.left, "left.wav");
    std::strcpy(d.record.move.box_range.touch_sound_files.top, "top.wav");
    Motion m{{-6, 6, 0}, {}, {}, {}};
    EXPECT_EQ(test(d, m), CParticleCollision::Vanish);
    EXPECT_EQ(plays(), 1u);
    EXPECT_EQ(owned.back()->sounds.size(), 2u);
}

TEST_F(ParticleCollisionTest, VanishEndsTheParticleInTheSameUpdate)
{
    CParticleParameter d = ground(0, 1.0f);
    d.record.move.velocity.y.value = -1.0f;
    d.record.move.regist.y.value = 0.0f;
    CParticle* system = make(d);
    system->particles[0]->setEmitPosition(Vector3D(0.0f, 0.5f, 0.0f));
    frame(system);
    EXPECT_EQ(system->particles[0]->alive, 0);
    // The system sees every particle finished in that same update.
    EXPECT_EQ(system->isRunning, 0);
}

TEST_F(ParticleCollisionTest, BounceRestartsTheFallSpeedOfGravity)
{
    CParticleParameter d = ground(1, 1.0f);
    d.record.move.use_gravity = 1;
    d.record.move.gravity.acceleration = 0.5f;
    d.record.move.gravity.factor = 1.0f;
    CParticle* system = make(d);
    auto& p = *system->particles[0];
    p.setEmitPosition(Vector3D(0.0f, 100.0f, 0.0f));
    p.move.gravity = 7.0f;
    p.move.position.y = 0.1f;
    frame(system);
    EXPECT_EQ(p.move.gravity, 0.5f);
    EXPECT_EQ(p.move.position.y, 0.0f);
}

} // namespace
