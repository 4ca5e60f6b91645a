// The per-frame step of one particle system against a plain loop over arrays doing the same arithmetic, in
// one process. Engine: a system of N particles (point emitter, velocity, acceleration, resistance, gravity,
// a colour and a size running from start to end over the life, an orbit turning, a local rotation) whose
// update runs once per frame. Plain: the same formulas over structure-of-arrays, no engine objects. The
// ratio is engine / plain of the median frame time.
//
//   bench_particle_step [particles] [frames]     (defaults 10000 and 300)

#include "core/CApp.h"
#include "curve/Easing.h"
#include "particle/CParticle.h"
#include "particle/CParticleObject.h"
#include "render/RenderDeviceFactory.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
constexpr float FrameMs = 16.666666f;
constexpr float Life = 2000.0f;

Orvane::Particle::CParticleParameter definition(int count)
{
    Orvane::Particle::CParticleParameter d;
    auto& r = d.record;
    r.is_use_particle = 1;
    r.texture_count = 1;
    r.texture_use_count = 1;
    r.occur.particle_num.num = count;
    r.occur.use_particle_age = 1;
    r.occur.particle_age.time = int32_t(Life);
    r.location.use_bounding_point = 1;
    r.move.velocity.x.value = 1.5f;
    r.move.velocity.y.value = 2.0f;
    r.move.acceleration.x.value = 0.01f;
    r.move.regist.x.value = 0.001f;
    r.move.regist.y.value = 0.0f;
    r.move.regist.z.value = 0.0f;
    r.move.use_gravity = 1;
    r.move.gravity.acceleration = 0.05f;
    r.move.gravity.factor = 0.01f;
    r.sprite.size.start.x = 8.0f;
    r.sprite.size.start.y = 8.0f;
    r.sprite.size.start.exe_type = 1;
    r.sprite.size.use_end = 1;
    r.sprite.size.end.x = 2.0f;
    r.sprite.size.end.y = 2.0f;
    r.sprite.color.start = {255, 255, 255, 255, 0, {}};
    r.sprite.color.use_end = 1;
    r.sprite.color.end = {255, 128, 0, 0, 0, 0, {}, 0};
    r.turn.radius.x.value = 4.0f;
    r.turn.angular_velocity.x.velocity.value = 3.0f;
    r.turn.angular_velocity.x.velocity_resist.value = 0.0f;
    r.turn.angular_velocity.y.velocity_resist.value = 0.0f;
    r.turn.angular_velocity.z.velocity_resist.value = 0.0f;
    r.rotate.z.velocity.value = 2.0f;
    r.polyline.time = 500.0f;
    d.textureNames = {"suf://bench"};
    return d;
}

// The same formulas, arrays of plain floats.
struct Plain
{
    explicit Plain(int n)
        : count(size_t(n)), age(count), px(count), py(count), pz(count), vx(count), vy(count), vz(count),
          ax(count), rx(count), gravity(count), sizeX(count), sizeY(count), r(count), g(count), b(count),
          a(count), turnAngle(count), turnVelocity(count), rotAngle(count), rotVelocity(count), ox(count),
          oy(count), oz(count)
    {
        for (size_t i = 0; i < count; ++i)
            spawn(i, 0.0f);
    }
    void spawn(size_t i, float startAge)
    {
        age[i] = startAge;
        px[i] = py[i] = pz[i] = 0.0f;
        vx[i] = 1.5f;
        vy[i] = 2.0f;
        vz[i] = 0.0f;
        ax[i] = 0.01f;
        rx[i] = 0.999f;
        gravity[i] = 0.05f;
        turnAngle[i] = 0.0f;
        turnVelocity[i] = 3.0f;
        rotAngle[i] = 0.0f;
        rotVelocity[i] = 2.0f;
    }
    void step(float dt)
    {
        const float k = dt * 0.060000002f;
        for (size_t i = 0; i < count; ++i)
        {
            age[i] += dt;
            const float t = (age[i] - dt) / Life;
            turnAngle[i] += turnVelocity[i] * k;
            sizeX[i] = Orvane::easeLinear(8.0f, 2.0f, 1.0f, t);
            sizeY[i] = Orvane::easeLinear(8.0f, 2.0f, 1.0f, t);
            r[i] = Orvane::easeLinear(1.0f, 1.0f, 1.0f, t);
            g[i] = Orvane::easeLinear(1.0f, 0.5f, 1.0f, t);
            b[i] = Orvane::easeLinear(1.0f, 0.0f, 1.0f, t);
            a[i] = Orvane::easeLinear(1.0f, 0.0f, 1.0f, t);
            px[i] += vx[i] * k;
            py[i] += vy[i] * k;
            pz[i] += vz[i] * k;
            vx[i] = (vx[i] + ax[i] * k) * rx[i];
            py[i] -= gravity[i] * k;
            gravity[i] += 0.01f * 0.05f * k;
            const float s = std::sin(turnAngle[i] * 0.017453292f), c = std::cos(turnAngle[i] * 0.017453292f);
            ox[i] = px[i];
            oy[i] = py[i] + 4.0f * c;
            oz[i] = pz[i] + 4.0f * s;
            rotAngle[i] += rotVelocity[i] * k;
            if (age[i] >= Life)
                spawn(i, std::fmod(age[i], Life));
        }
    }

    size_t count;
    std::vector<float> age, px, py, pz, vx, vy, vz, ax, rx, gravity, sizeX, sizeY, r, g, b, a, turnAngle,
        turnVelocity, rotAngle, rotVelocity, ox, oy, oz;
};

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int frames = argc > 2 ? std::atoi(argv[2]) : 300;
    Kavro::IRenderDevice* device = Kavro::CreateRenderDevice(nullptr, 1280, 720, nullptr);
    if (!device)
    {
        std::fprintf(stderr, "no render device\n");
        return 1;
    }
    Kavro::ITexture* texture = device->createNamedRenderTexture("suf://bench", 8, 8, 4, 0);
    auto* app = new Orvane::CApp("bench");
    app->screenWidth = 1280;
    app->screenHeight = 720;
    app->renderDevice = device;
    app->sceneManager = device->getSceneManager();
    app->sceneManager->addRef();
    app->frameSpeed = 1.0f;
    app->frameTimeCap = 16.6667f;
    Orvane::CApp::set(app);

    auto* system = new Orvane::CParticle("bench", definition(count));
    if (system->create() < 0)
    {
        std::fprintf(stderr, "creation failed\n");
        return 1;
    }
    system->reset();
    system->startEmission();
    Plain plain(count);
    std::vector<double> engineTimes, plainTimes;
    for (int f = 0; f < frames; ++f)
    {
        const auto t0 = Clock::now();
        system->update();
        const auto t1 = Clock::now();
        plain.step(FrameMs);
        const auto t2 = Clock::now();
        engineTimes.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        plainTimes.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    }
    const double engine = median(engineTimes), bare = median(plainTimes);
    std::printf("particles %d, frames %d\nengine step %.3f ms, plain loop %.3f ms, ratio %.2f\n", count, frames,
                engine, bare, engine / bare);
    system->release();
    texture->release();
    Orvane::CApp::set(nullptr);
    app->release();
    return 0;
}
