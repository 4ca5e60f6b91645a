// Moving sprites through the engine against the same quads straight through the render device, in one
// process and one headless context. Engine: N CSprite objects whose position changes every frame, run
// through update, the matrix step, render (geometry) and draw. Device: N quad objects of the same
// texture, each given the quad the engine computes for that frame (matrix built by the bench) and drawn.
// Frames alternate between the two and wait for the GPU; the ratio is engine / device of the median.
//
//   bench_sprite_engine [sprites] [frames]     (defaults 1000 and 120)

#include "core/CApp.h"
#include "render/RenderDeviceFactory.h"
#include "sprite/CSprite.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISpriteQuad.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

constexpr int Width = 1280;
constexpr int Height = 720;
constexpr int Size = 32;

using Kavro::Matrix4x4;
using Kavro::Vector2D;
using Kavro::Vector3D;

// Where sprite i stands in frame f: each drifts on its own circle, on whole pixels.
Vector2D positionOf(int i, int f)
{
    const float baseX = float((i * 97) % (Width - 2 * Size - 40)) + 20.0f;
    const float baseY = float((i * 61) % (Height - 2 * Size - 40)) + 20.0f;
    const float angle = float(i) * 0.1f + float(f) * 0.05f;
    return {std::floor(baseX + 20.0f * std::cos(angle)), std::floor(baseY + 20.0f * std::sin(angle))};
}

Matrix4x4 screenMatrix(const Vector2D& p)
{
    Matrix4x4 view, projection;
    view.LookAt({0.0f, 0.0f, -1000.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    projection.Ortho(float(Width), float(Height), 0.0f, 120000.0f);
    return Matrix4x4::GetTranslation(p.x + Size * 0.5f - Width * 0.5f, Height * 0.5f - (p.y + Size * 0.5f), 0.0f) *
           view * projection;
}

double milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

class Bench
{
public:
    Bench(Kavro::IRenderDevice* device, int count) : device_(device), count_(count)
    {
        texture_ = device->createTexture(Size, Size, 1, 0);
        probe_ = device->createRenderTexture(1, 1, 4, 0, 0, 0);
        const int32_t rect[4] = {0, 0, Size, Size};
        for (int i = 0; i < count; ++i)
        {
            auto* sprite = new Orvane::CSprite(texture_, positionOf(i, 0), rect);
            sprite->create();
            sprites_.push_back(sprite);
            quads_.push_back(device->createSprite(texture_, 1, 1, 1));
        }
    }
    ~Bench()
    {
        for (Orvane::CSprite* sprite : sprites_)
            sprite->release();
        for (Kavro::ISpriteQuad* quad : quads_)
            quad->release();
        probe_->release();
        texture_->release();
    }

    void engineFrame(int f)
    {
        begin();
        for (int i = 0; i < count_; ++i)
        {
            Orvane::CSprite* sprite = sprites_[size_t(i)];
            const Vector2D p = positionOf(i, f);
            Orvane::setAt(sprite->position, Vector3D(p.x, p.y, 0.0f));
            sprite->update();
            sprite->updateWorldMatrix();
            sprite->render();
            sprite->draw();
        }
        end();
    }

    void deviceFrame(int f)
    {
        static const Kavro::Vector4D corners[4] = {{-Size / 2.0f, Size / 2.0f, 0, 1},
                                                   {Size / 2.0f, Size / 2.0f, 0, 1},
                                                   {-Size / 2.0f, -Size / 2.0f, 0, 1},
                                                   {Size / 2.0f, -Size / 2.0f, 0, 1}};
        static const uint32_t colours[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
        static const Vector2D uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
        begin();
        for (int i = 0; i < count_; ++i)
        {
            Kavro::ISpriteQuad* quad = quads_[size_t(i)];
            quad->begin();
            quad->addQuad(screenMatrix(positionOf(i, f)), corners, colours, uv);
            quad->end();
            quad->draw({0, 0}, nullptr, 1.0f);
        }
        end();
    }

private:
    void begin()
    {
        device_->beginFrame();
        const uint32_t black = 0xFF000000u;
        device_->clear(1, &black);
    }
    void end()
    {
        device_->endFrame();
        uint32_t pixel = 0;
        device_->copyRect(probe_, {0, 0, 1, 1}, nullptr, {0, 0, 1, 1});
        device_->readPixels(probe_, &pixel);
    }

    Kavro::IRenderDevice* device_;
    int count_;
    Kavro::ITexture* texture_;
    Kavro::ITexture* probe_;
    std::vector<Orvane::CSprite*> sprites_;
    std::vector<Kavro::ISpriteQuad*> quads_;
};

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 120;
    Kavro::IRenderDevice* device = Kavro::CreateRenderDevice(nullptr, Width, Height, nullptr);
    if (!device)
    {
        std::fprintf(stderr, "no headless OpenGL 3.3 context\n");
        return 1;
    }
    auto* app = new Orvane::CApp("bench");
    app->screenWidth = Width;
    app->screenHeight = Height;
    app->renderDevice = device;
    Orvane::CApp::set(app);
    {
        Bench bench(device, count);
        std::vector<double> engine, direct;
        for (int f = 0; f < frames + 5; ++f)
        {
            auto t0 = std::chrono::steady_clock::now();
            bench.engineFrame(f);
            auto t1 = std::chrono::steady_clock::now();
            bench.deviceFrame(f);
            auto t2 = std::chrono::steady_clock::now();
            if (f >= 5) // warm-up
            {
                engine.push_back(milliseconds(t1 - t0));
                direct.push_back(milliseconds(t2 - t1));
            }
        }
        const double e = median(engine), d = median(direct);
        std::printf("%d moving %dx%d sprites, median of %d frames\n", count, Size, Size, frames);
        std::printf("engine (update + matrices + render + draw): %.3f ms\n", e);
        std::printf("device (same quads straight):               %.3f ms\n", d);
        std::printf("ratio engine / device: %.3f\n", e / d);
    }
    Orvane::CApp::set(nullptr);
    app->release(); // releases the device
    return 0;
}
