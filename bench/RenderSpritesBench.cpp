// Frame time of full-screen alpha-blended sprites (200 unless told) on the headless render device.
// Usage: render_sprites_bench [frames] [sprites] [screenshot.png]
#include "render/RenderDeviceFactory.h"

#include <kavro/IRenderDevice.h>
#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace
{

constexpr int Width = 1280;
constexpr int Height = 720;

Kavro::ITexture* makeGradient(Kavro::IRenderDevice* device)
{
    Kavro::ITexture* texture = device->createTexture(256, 256, 0, 0);
    if (!texture || texture->lock(6, nullptr) < 0)
        return texture;
    auto* bytes = static_cast<uint8_t*>(texture->getData());
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x)
            reinterpret_cast<uint32_t*>(bytes + y * texture->getPitch())[x] =
                0xFF000000u | uint32_t(x) << 16 | uint32_t(y) << 8 | uint32_t((x ^ y) & 0xFF);
    texture->unlock();
    return texture;
}

// A full-screen quad turned a little per sprite, so each one covers the screen differently.
Kavro::ISpriteQuad* makeSprite(Kavro::IRenderDevice* device, Kavro::ITexture* texture, int index)
{
    Kavro::ISpriteQuad* quad = device->createSprite(texture, 1, 1, 1);
    const float hw = Width * 0.5f, hh = Height * 0.5f;
    const Kavro::Vector4D corners[4] = {{-hw, hh, 0, 1}, {hw, hh, 0, 1}, {-hw, -hh, 0, 1}, {hw, -hh, 0, 1}};
    const Kavro::Vector2D uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    const uint8_t alpha = 12;
    const uint32_t shade = uint32_t(index) & 0xFF;
    const uint32_t colour = (255 - shade) | shade << 8 | 200u << 16 | uint32_t(alpha) << 24;
    const uint32_t colours[4] = {colour, colour, colour, colour};
    Kavro::Matrix4x4 view, projection;
    view.LookAt({0, 0, -1000.0f}, {0, 0, 0}, {0, 1.0f, 0});
    projection.Ortho(float(Width), float(Height), 0.0f, 120000.0f);
    const Kavro::Matrix4x4 matrix = Kavro::Matrix4x4::GetRotationZ(float(index) * 0.9f) * view * projection;
    quad->setFilter(1);
    quad->setBlendMode(1);
    quad->begin();
    quad->addQuad(matrix, corners, colours, uv);
    quad->end();
    return quad;
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100;
    const int spriteCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
    Kavro::IRenderDevice* device = Kavro::CreateRenderDevice(nullptr, Width, Height, nullptr);
    if (!device)
    {
        std::fprintf(stderr, "no headless OpenGL 3.3 context\n");
        return 1;
    }
    Kavro::ITexture* texture = makeGradient(device);
    std::vector<Kavro::ISpriteQuad*> sprites;
    for (int i = 0; i < spriteCount; ++i)
        sprites.push_back(makeSprite(device, texture, i));
    // Reading one pixel back waits until the frame has been drawn.
    Kavro::ITexture* probe = device->createRenderTexture(1, 1, 4, 0, 0, 0);
    uint32_t probePixel = 0;

    std::vector<double> times;
    for (int frame = 0; frame < frames + 5; ++frame)
    {
        const auto start = std::chrono::steady_clock::now();
        device->beginFrame();
        const uint32_t black = 0xFF000000u;
        device->clear(1, &black);
        for (Kavro::ISpriteQuad* sprite : sprites)
            sprite->draw({0, 0}, nullptr, 1.0f);
        device->drawDebugText({8, 8}, 0xFFFFFFFFu, "appFont", "full-screen blended sprites");
        device->endFrame();
        device->copyRect(probe, {0, 0, 1, 1}, nullptr, {0, 0, 1, 1});
        device->readPixels(probe, &probePixel);
        const auto end = std::chrono::steady_clock::now();
        if (frame >= 5) // the first frames compile shaders and warm caches
            times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::sort(times.begin(), times.end());
    double sum = 0;
    for (double t : times)
        sum += t;
    std::printf("%d full-screen blended sprites at %dx%d, %d frames: mean %.2f ms, median %.2f ms, min %.2f ms\n",
                spriteCount, Width, Height, frames, sum / double(times.size()), times[times.size() / 2], times.front());
    if (argc > 3 && device->saveTexture(argv[3], nullptr, 0) != 0)
        std::fprintf(stderr, "could not save %s\n", argv[3]);

    probe->release();
    for (Kavro::ISpriteQuad* sprite : sprites)
        sprite->release();
    texture->release();
    device->release();
    return 0;
}
