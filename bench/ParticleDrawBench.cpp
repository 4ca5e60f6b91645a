// Drawing a particle system against drawing the same quads through the render device directly, in one
// process on the headless device. Two cases: 10,000 billboards of one system, and 100 ribbons of 32 samples.
//
// Engine: the system's render pass (its particles hand their billboards or ribbon samples to the library's
// particle object) and its draw. Direct: the quads that the system handed over in a captured frame, added to
// one device quad list and drawn: a billboard as one quad, a ribbon segment (four triangles in the particle
// object) as two quads. Both frames clear the screen first and end by reading one pixel back, which waits
// for the drawing. The ratio is engine / direct of the median frame time; the draw calls are per frame.
//
//   bench_particle_draw [frames]     (default 200)

#include "core/CApp.h"
#include "particle/CParticle.h"
#include "particle/CParticleObject.h"
#include "fs/ArchiveFileSystem.h"
#include "render/ImageCodec.h"
#include "render/RenderDeviceFactory.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneParticle.h>
#include <kavro/RefCounted.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;
using Kavro::Vector4D;

constexpr int Width = 1280;
constexpr int Height = 720;

// Stands between the system and its library particle object: passes every call on and keeps what the last
// batch held, so that the direct side can draw the very same quads.
class CapturingParticle : public Kavro::RefCounted<Kavro::ISceneParticle>
{
public:
    explicit CapturingParticle(Kavro::ISceneParticle* real) : real_(real) {}
    ~CapturingParticle() override { real_->release(); }

    struct Billboard
    {
        Matrix4x4 matrix;
        Vector2D size;
        uint32_t colour;
        Vector4D rect;
    };

    int begin(int billboards, int ribbons) override
    {
        if (billboards)
            this->billboards.clear();
        if (ribbons)
        {
            vertices.clear();
            uvs.clear();
        }
        return real_->begin(billboards, ribbons);
    }
    int end() override { return real_->end(); }
    int addBillboard(const Matrix4x4& matrix, const Vector2D& size, uint32_t colour, const Vector4D& rect) override
    {
        billboards.push_back({matrix, size, colour, rect});
        return real_->addBillboard(matrix, size, colour, rect);
    }
    int addTexCoords(const Vector2D* uv, int count) override
    {
        uvs.insert(uvs.end(), uv, uv + count);
        return real_->addTexCoords(uv, count);
    }
    int addVertices(const Kavro::ParticleVertex* v, int count) override
    {
        vertices.insert(vertices.end(), v, v + count);
        return real_->addVertices(v, count);
    }
    int addIndices(const uint16_t* indices, int count) override { return real_->addIndices(indices, count); }
    int getVertexCount() override { return real_->getVertexCount(); }
    int setBlendMode(int mode) override { return real_->setBlendMode(mode); }
    int setCulling(int mode) override { return real_->setCulling(mode); }
    int setSceneTexture(Kavro::ITexture* texture, const Vector2D& size) override
    {
        return real_->setSceneTexture(texture, size);
    }
    int setViewProjection(const Matrix4x4& matrix) override
    {
        viewProjection = matrix;
        return real_->setViewProjection(matrix);
    }
    int setColorOperation(int operation) override { return real_->setColorOperation(operation); }
    Kavro::ITexture* getTexture() override { return real_->getTexture(); }
    int getBillboardCount() override { return real_->getBillboardCount(); }

    std::vector<Billboard> billboards;
    std::vector<Kavro::ParticleVertex> vertices;
    std::vector<Vector2D> uvs;
    Matrix4x4 viewProjection;

private:
    Kavro::ISceneParticle* real_;
};

// The particles' picture: a soft white dot, written as a plain file (render surfaces cannot be named by a
// particle texture: a name with a colon names a glyph).
std::string dotFile()
{
    const std::string path = (std::filesystem::temp_directory_path() / "bench_particle_dot.png").string();
    std::vector<uint32_t> pixels(16 * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
        {
            const float dx = float(x) - 7.5f, dy = float(y) - 7.5f;
            const float a = std::max(0.0f, 1.0f - (dx * dx + dy * dy) / 64.0f);
            pixels[size_t(y * 16 + x)] = uint32_t(a * 255.0f) << 24 | 0xFFFFFFu;
        }
    return Kavro::WritePng(path, 16, 16, pixels.data()) ? path : std::string();
}

Orvane::Particle::CParticleParameter definition(int count, int ribbonSamples, const std::string& picture)
{
    Orvane::Particle::CParticleParameter d;
    auto& r = d.record;
    r.is_use_particle = 1;
    r.texture_count = 1;
    r.texture_use_count = 1;
    r.occur.particle_num.num = count;
    r.occur.use_particle_age = 1;
    r.occur.particle_age.time = 4000;
    r.location.use_bounding_point = 1;
    // Spread over the screen: speeds up to 4 either way.
    for (auto* axis : {&r.move.velocity.x, &r.move.velocity.y})
    {
        axis->value = -2.0f;
        axis->use_random = 1;
        axis->random_range = 4.0f;
    }
    r.move.regist.x.value = 0.0f;
    r.move.regist.y.value = 0.0f;
    r.move.regist.z.value = 0.0f;
    r.sprite.size.start.x = 8.0f;
    r.sprite.size.start.y = 8.0f;
    r.sprite.size.start.exe_type = 1; // in units, not times the picture's size
    r.sprite.color.start = {255, 255, 255, 200, 0, {}};
    // Ribbons need a bend to be more than lines: a little pull downwards curves them.
    r.move.use_gravity = 1;
    r.move.gravity.acceleration = 0.02f;
    r.move.gravity.factor = 0.0f;
    r.polyline.num = ribbonSamples;
    r.polyline.time = ribbonSamples > 0 ? 600.0f : -1.0f;
    d.textureNames = {picture};
    return d;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Result
{
    double engine = 0.0, direct = 0.0;
    long engineCalls = 0, directCalls = 0;
    size_t quads = 0;
};

class Bench
{
public:
    Bench(Kavro::IRenderDevice* device, std::string picture) : device_(device), picture_(std::move(picture))
    {
        probe_ = device->createRenderTexture(1, 1, 4, 0, 0, 0);
    }
    ~Bench() { probe_->release(); }

    // One frame: clear, the drawing, the read-back that waits for it. Milliseconds and draw calls.
    std::pair<double, long> frame(const std::function<void()>& draw)
    {
        const long calls = Kavro::GetRenderDrawCalls(device_);
        const auto start = Clock::now();
        device_->beginFrame();
        const uint32_t black = 0xFF000000u;
        device_->clear(1, &black);
        draw();
        device_->endFrame();
        device_->copyRect(probe_, {0, 0, 1, 1}, nullptr, {0, 0, 1, 1});
        uint32_t pixel = 0;
        device_->readPixels(probe_, &pixel);
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        return {ms, Kavro::GetRenderDrawCalls(device_) - calls};
    }

    Result run(int count, int ribbonSamples, int frames, const char* shot)
    {
        auto* system = new Orvane::CParticle("bench", definition(count, ribbonSamples, picture_));
        Result result;
        if (system->create() < 0 || system->sceneParticles.empty() || !system->sceneParticles[0])
        {
            std::fprintf(stderr, "the particle system was not made\n");
            system->release();
            return result;
        }
        auto* capture = new CapturingParticle(system->sceneParticles[0]);
        system->sceneParticles[0] = capture;
        system->reset();
        system->startEmission();
        // Let the particles spread out and the ribbons grow their trails.
        for (int i = 0; i < 90; ++i)
        {
            system->updateWorldMatrix();
            system->update();
        }
        auto engineDraw = [&] {
            system->render();
            system->draw();
        };
        frame(engineDraw);
        if (shot)
            device_->saveTexture(shot, nullptr, 0);

        Kavro::ISpriteQuad* quads = device_->createSprite(system->textures[0], 1, 1, 1);
        quads->setFilter(1);
        quads->setBlendMode(1);
        const CapturingParticle* c = capture;
        auto directDraw = [&] {
            quads->begin();
            addBillboards(*c, quads, system->textures[0]);
            addRibbons(*c, quads);
            quads->end();
            quads->draw({0.0f, 0.0f}, nullptr, 1.0f);
        };
        std::vector<double> engineTimes, directTimes;
        for (int f = 0; f < frames + 5; ++f)
        {
            const auto e = frame(engineDraw);
            const auto d = frame(directDraw);
            if (f < 5)
                continue; // the first frames compile shaders and warm caches
            engineTimes.push_back(e.first);
            directTimes.push_back(d.first);
            result.engineCalls = e.second;
            result.directCalls = d.second;
        }
        result.quads = size_t(quads->getQuadCount());
        result.engine = median(engineTimes);
        result.direct = median(directTimes);
        quads->release();
        system->release();
        return result;
    }

private:
    static void addBillboards(const CapturingParticle& c, Kavro::ISpriteQuad* quads, Kavro::ITexture* texture)
    {
        const Vector2D texel = texture->getTexelScale();
        for (const auto& b : c.billboards)
        {
            const float u0 = b.rect.x * texel.x, u1 = (b.rect.x + b.rect.z) * texel.x;
            const float v0 = b.rect.y * texel.y, v1 = (b.rect.y + b.rect.w) * texel.y;
            const Vector2D uv[4] = {{u0, v0}, {u1, v0}, {u0, v1}, {u1, v1}};
            const float hw = b.size.x * 0.5f, hh = b.size.y * 0.5f;
            const Vector4D corners[4] = {{-hw, hh, 0, 1}, {hw, hh, 0, 1}, {-hw, -hh, 0, 1}, {hw, -hh, 0, 1}};
            const uint32_t colours[4] = {b.colour, b.colour, b.colour, b.colour};
            quads->addQuad(b.matrix * c.viewProjection, corners, colours, uv);
        }
    }
    // Samples come three at a time (one edge, the middle, the other edge); between two samples the ribbon is
    // two quads side by side. A new ribbon starts where the vertices of the previous one end.
    static void addRibbons(const CapturingParticle& c, Kavro::ISpriteQuad* quads)
    {
        const size_t samples = c.vertices.size() / 3;
        for (size_t s = 0; s + 1 < samples; ++s)
        {
            if ((s + 1) % size_t(RibbonSamples) == 0)
                continue;
            for (int half = 0; half < 2; ++half)
            {
                const size_t a = s * 3 + size_t(half), b = (s + 1) * 3 + size_t(half);
                const size_t at[4] = {a, a + 1, b, b + 1};
                Vector4D corners[4];
                uint32_t colours[4];
                Vector2D uv[4];
                for (int k = 0; k < 4; ++k)
                {
                    const Kavro::ParticleVertex& v = c.vertices[at[k]];
                    corners[k] = Vector4D(v.position.x, v.position.y, v.position.z, 1.0f);
                    colours[k] = v.colour;
                    uv[k] = at[k] < c.uvs.size() ? c.uvs[at[k]] : Vector2D();
                }
                quads->addQuad(c.viewProjection, corners, colours, uv);
            }
        }
    }

public:
    static constexpr int RibbonSamples = 32;

private:
    Kavro::IRenderDevice* device_;
    std::string picture_;
    Kavro::ITexture* probe_;
};

void print(const char* name, const Result& r)
{
    std::printf("%-28s engine %7.3f ms (%ld draw calls), device quads %7.3f ms (%ld draw calls, %zu quads), "
                "ratio %.2f\n",
                name, r.engine, r.engineCalls, r.direct, r.directCalls, r.quads, r.engine / r.direct);
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    const std::string picture = dotFile();
    Kavro::IFileSystem* files = Kavro::CreateArchiveFileSystem();
    Kavro::IRenderDevice* device = Kavro::CreateRenderDevice(nullptr, Width, Height, files);
    files->release();
    if (!device || picture.empty())
    {
        std::fprintf(stderr, "no headless OpenGL 3.3 context, or no picture\n");
        return 1;
    }
    auto* app = new Orvane::CApp("bench");
    app->screenWidth = Width;
    app->screenHeight = Height;
    app->renderDevice = device;
    app->sceneManager = device->getSceneManager();
    app->sceneManager->addRef();
    app->frameSpeed = 1.0f;
    app->frameTimeCap = 16.6667f;
    Orvane::CApp::set(app);

    {
        Bench bench(device, picture);
        const char* shot = std::getenv("BENCH_PARTICLE_PNG");
        print("10000 billboards", bench.run(10000, 0, frames, shot));
        print("100 ribbons of 32 samples", bench.run(100, Bench::RibbonSamples, frames, nullptr));
    }

    Orvane::CApp::set(nullptr);
    app->release();
    return 0;
}
