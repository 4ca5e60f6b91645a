// 1,000 boxes and spheres falling into a pile on a plane, stepped 600 times at 1/60 s: once through the
// library's physics world, once through bare Bullet built the same way, alternately in one run. Prints
// the best time of each and their ratio (library / bare Bullet), and the pile's summed height from both
// as a check that they simulated the same scene.
//
//   bench_physics [steps] [runs]     (defaults 600 and 5)

#include "physics/PhysicsWorldFactory.h"

#include <kavro/IPhysicsRigidBody.h>
#include <kavro/IPhysicsWorld.h>
#include <kavro/Ref.h>

#include <btBulletDynamicsCommon.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace
{

constexpr int Bodies = 1000;
constexpr float Step = 1.0f / 60.0f;
constexpr float Radius = 0.4f;
constexpr float Edge = 0.8f;

// Ten by ten columns, ten high, every other body a sphere.
btVector3 startOf(int i)
{
    const int column = i % 100, layer = i / 100;
    return {float(column % 10) * 1.1f - 5.0f, 1.0f + float(layer) * 1.2f, float(column / 10) * 1.1f - 5.0f};
}
bool isSphere(int i) { return i % 2 == 0; }

using Clock = std::chrono::steady_clock;

struct Result
{
    double seconds;
    double heights;
};

Result runLibrary(int steps)
{
    using namespace Kavro;
    Ref<IPhysicsWorld> world = Ref<IPhysicsWorld>::adopt(physics::createWorld());
    const float erp = 0.8f;
    world->setParameter(&erp);
    const auto start = Clock::now();
    std::vector<Ref<IPhysicsRigidBody>> bodies;
    bodies.push_back(Ref<IPhysicsRigidBody>::adopt(world->createPlane({0, 0, 0}, {0, 1, 0})));
    for (int i = 0; i < Bodies; ++i)
    {
        const btVector3 p = startOf(i);
        const Vector3D at(p.x(), p.y(), p.z());
        bodies.push_back(Ref<IPhysicsRigidBody>::adopt(
            isSphere(i) ? world->createSphere(1.0f, at, Radius, Matrix4x4())
                        : world->createBox(1.0f, at, {Edge, Edge, Edge}, Matrix4x4())));
    }
    for (int s = 0; s < steps; ++s)
        world->step(Step);
    double heights = 0;
    for (size_t i = 1; i < bodies.size(); ++i)
        heights += bodies[i]->getPosition().y;
    bodies.clear();
    world.reset();
    return {std::chrono::duration<double>(Clock::now() - start).count(), heights};
}

Result runBullet(int steps)
{
    const auto start = Clock::now();
    btDefaultCollisionConfiguration configuration;
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world(&dispatcher, &broadphase, &solver, &configuration);
    world.setGravity(btVector3(0, -9.8f, 0));
    world.getSolverInfo().m_erp2 = 0.8f;
    std::vector<std::unique_ptr<btCollisionShape>> shapes;
    std::vector<std::unique_ptr<btRigidBody>> bodies;
    auto add = [&](btCollisionShape* shape, float mass, const btVector3& at) {
        shapes.emplace_back(shape);
        btVector3 inertia(0, 0, 0);
        if (mass > 0)
            shape->calculateLocalInertia(mass, inertia);
        btRigidBody::btRigidBodyConstructionInfo info(mass, nullptr, shape, inertia);
        info.m_startWorldTransform.setIdentity();
        info.m_startWorldTransform.setOrigin(at);
        bodies.push_back(std::make_unique<btRigidBody>(info));
        world.addRigidBody(bodies.back().get());
    };
    add(new btStaticPlaneShape(btVector3(0, 1, 0), 0), 0, btVector3(0, 0, 0));
    for (int i = 0; i < Bodies; ++i)
        add(isSphere(i) ? static_cast<btCollisionShape*>(new btSphereShape(Radius))
                        : new btBoxShape(btVector3(Edge, Edge, Edge) * 0.5f),
            1.0f, startOf(i));
    for (int s = 0; s < steps; ++s)
        world.stepSimulation(Step, 10, Step);
    double heights = 0;
    for (size_t i = 1; i < bodies.size(); ++i)
        heights += bodies[i]->getWorldTransform().getOrigin().y();
    for (auto& body : bodies)
        world.removeRigidBody(body.get());
    bodies.clear();
    return {std::chrono::duration<double>(Clock::now() - start).count(), heights};
}

} // namespace

int main(int argc, char** argv)
{
    const int steps = argc > 1 ? std::max(1, std::atoi(argv[1])) : 600;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    double library = 1e30, bullet = 1e30;
    Result lastLibrary{}, lastBullet{};
    for (int run = 0; run < runs; ++run)
    {
        lastLibrary = runLibrary(steps);
        lastBullet = runBullet(steps);
        library = std::min(library, lastLibrary.seconds);
        bullet = std::min(bullet, lastBullet.seconds);
    }
    std::printf("%d bodies, %d steps, best of %d runs (setup, steps and teardown)\n", Bodies, steps, runs);
    std::printf("library:     %8.1f ms  (pile height sum %.3f)\n", library * 1e3, lastLibrary.heights);
    std::printf("bare Bullet: %8.1f ms  (pile height sum %.3f)\n", bullet * 1e3, lastBullet.heights);
    std::printf("ratio library / bare Bullet: %.3f\n", library / bullet);
    return 0;
}
