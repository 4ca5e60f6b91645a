// Physics inside the running application over the library's real worlds: a script makes a world through
// SQApp, drops boxes and balls on a plane, the application steps the world every frame, and the script
// reads where they came to rest.
#include "ScriptedAppFixture.h"

#include "physics/PhysicsWorldFactory.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using namespace OrvaneTest;

namespace
{

const char* const MainScript = R"(
::app <- SQApp("app");
::made <- ::app.createPhysicsWorld(1);
::floor <- SQRigidBody("floor");
::floor.createPlane({x = 0.0, y = 0.0, z = 0.0}, {x = 0.0, y = 1.0, z = 0.0}, 1);
::bodies <- {};
for (local i = 0; i < 3; ++i) {
    local ball = SQRigidBody("ball" + i), box = SQRigidBody("box" + i);
    ball.createSphere(1.0, {x = i * 2.0, y = 2.0 + i, z = 0.0}, 0.5, 1);
    ::bodies["ball" + i] <- ball;
    box.createBox(2.0, {x = i * 2.0, y = 3.0 + i, z = 3.0}, {x = 1.0, y = 0.6, z = 1.0}, 1);
    ::bodies["box" + i] <- box;
}
while (true) Suspend();
)";

class PhysicsInAppTest : public ScriptedAppTest
{
protected:
    PhysicsInAppTest() { core->physicsWorldMaker = &Kavro::physics::createWorld; }

    // "x y z" of the named body's position, as the script reads it.
    std::string position(const std::string& name)
    {
        return eval("(function() { ::bodies[\"" + name + "\"].getPosition();"
                    "return format(\"%.3f %.3f %.3f\", SQMATH_RET_1, SQMATH_RET_2, SQMATH_RET_3); })()");
    }
};

} // namespace

TEST_F(PhysicsInAppTest, BoxesAndBallsDroppedOnAPlaneComeToRestOnIt)
{
    start(MainScript);
    frame(16); // the main script runs and builds the scene after this frame's physics step
    ASSERT_EQ(eval("::made"), "0");
    EXPECT_EQ(position("ball2"), "4.000 4.000 0.000");
    frame(16);
    EXPECT_EQ(position("ball2"), "4.000 3.997 0.000") << "one frame: one step of 1/60 s";
    for (int f = 0; f < 240; ++f)
        frame(16);
    for (int i = 0; i < 3; ++i)
    {
        const std::string x = std::to_string(i * 2) + ".000";
        EXPECT_EQ(position("ball" + std::to_string(i)), x + " 0.500 0.000");
        // A box landing flat touches first at one corner and may slide a little before it settles.
        float bx = 0, by = 0, bz = 0;
        ASSERT_EQ(std::sscanf(position("box" + std::to_string(i)).c_str(), "%f %f %f", &bx, &by, &bz), 3);
        EXPECT_NEAR(by, 0.3f, 0.0005f) << "box" << i;
        EXPECT_NEAR(bx, i * 2.0f, 0.3f) << "box" << i;
        EXPECT_NEAR(bz, 3.0f, 0.3f) << "box" << i;
    }
    // The world names what a ray finds through the bodies' engine objects.
    EXPECT_EQ(eval("(function() { local p = SQPhysics(\"p\"); p.init(1);"
                   "return p.rayTest(2.0, 10.0, 3.0, 2.0, -10.0, 3.0, 0xFFFF).name; })()"),
              "box1");
    // Deleting the world leaves its bodies to the scripts that hold them.
    EXPECT_EQ(eval("::app.deletePhysicsWorld(1)"), "0");
    frame(16);
    EXPECT_EQ(position("ball1"), "2.000 0.500 0.000");
}
