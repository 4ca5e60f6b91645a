// A frame of N moving sprites drawn into one full-screen render target that is then drawn on the screen,
// against the same N sprites drawn straight onto the screen: the main task's whole frame (matrices,
// prepare, the target passes, updates) in one process and one headless context. Frames alternate between
// the two tasks and wait for the GPU; the ratio is target / screen of the medians.
//
//   bench_render_target [sprites] [frames]     (defaults 500 and 120)

#include "core/CApp.h"
#include "core/CTaskMain.h"
#include "render/RenderDeviceFactory.h"
#include "sprite/CSprite.h"
#include "sprite/CSpriteRenderTarget.h"

#include <kavro/IRenderDevice.h>

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

using Kavro::Vector2D;
using Kavro::Vector3D;

Vector2D positionOf(int i, int f)
{
    const float baseX = float((i * 97) % (Width - 2 * Size - 40)) + 20.0f;
    const float baseY = float((i * 61) % (Height - 2 * Size - 40)) + 20.0f;
    const float angle = float(i) * 0.1f + float(f) * 0.05f;
    return {std::floor(baseX + 20.0f * std::cos(angle)), std::floor(baseY + 20.0f * std::sin(angle))};
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

// One task of the application with its sprites, drawn onto the screen or into a full-screen target.
class Scene
{
public:
    Scene(Orvane::CApp& app, Kavro::ITexture* texture, int count, bool throughTarget) : app_(app), count_(count)
    {
        task_ = new Orvane::CTaskMain;
        app.taskStack.push_back(task_);
        task_->initialize();
        if (throughTarget)
            target_ = task_->createRenderTarget(0, "bench", Width, Height, Vector2D());
        const int32_t rect[4] = {0, 0, Size, Size};
        for (int i = 0; i < count; ++i)
        {
            auto* sprite = new Orvane::CSprite(texture, positionOf(i, 0), rect);
            sprite->create();
            if (target_)
                sprite->setSurface(target_);
            sprites_.push_back(sprite);
        }
        app.taskStack.pop_back();
    }
    ~Scene()
    {
        for (Orvane::CSprite* sprite : sprites_)
            sprite->setSurface(nullptr);
        task_->clear();
        task_->release();
    }

    void frame(int f)
    {
        app_.taskStack.push_back(task_);
        for (int i = 0; i < count_; ++i)
        {
            const Vector2D p = positionOf(i, f);
            Orvane::setAt(sprites_[size_t(i)]->position, Vector3D(p.x, p.y, 0.0f));
        }
        Kavro::IRenderDevice* device = app_.renderDevice;
        device->beginFrame();
        const uint32_t black = 0xFF000000u;
        device->clear(1, &black);
        task_->updateWorldMatrix();
        task_->prepareFrame();
        task_->render();
        task_->updateObjects();
        device->endFrame();
        app_.taskStack.pop_back();
    }

private:
    Orvane::CApp& app_;
    int count_;
    Orvane::CTaskMain* task_ = nullptr;
    Orvane::CSpriteRenderTarget* target_ = nullptr;
    std::vector<Orvane::CSprite*> sprites_;
};

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
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
        Kavro::ITexture* texture = device->createTexture(Size, Size, 1, 0);
        Kavro::ITexture* probe = device->createRenderTexture(1, 1, 4, 0, 0, 0);
        // Waits for the GPU to finish the frame.
        auto finish = [&] {
            uint32_t pixel = 0;
            device->copyRect(probe, {0, 0, 1, 1}, nullptr, {0, 0, 1, 1});
            device->readPixels(probe, &pixel);
        };
        {
            Scene screen(*app, texture, count, false);
            Scene target(*app, texture, count, true);
            std::vector<double> direct, through;
            for (int f = 0; f < frames + 5; ++f)
            {
                auto t0 = std::chrono::steady_clock::now();
                screen.frame(f);
                finish();
                auto t1 = std::chrono::steady_clock::now();
                target.frame(f);
                finish();
                auto t2 = std::chrono::steady_clock::now();
                if (f >= 5) // warm-up
                {
                    direct.push_back(milliseconds(t1 - t0));
                    through.push_back(milliseconds(t2 - t1));
                }
            }
            const double d = median(direct), t = median(through);
            std::printf("%d moving %dx%d sprites, median of %d frames\n", count, Size, Size, frames);
            std::printf("onto the screen:                   %.3f ms\n", d);
            std::printf("into a %dx%d target, then shown: %.3f ms\n", Width, Height, t);
            std::printf("ratio target / screen: %.3f\n", t / d);
        }
        probe->release();
        texture->release();
    }
    Orvane::CApp::set(nullptr);
    app->release(); // releases the device
    return 0;
}
