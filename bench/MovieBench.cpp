// Movie playback cost on this machine, on a generated 1280 x 720 clip at 30 frames per second:
//  1. decoding: the Theora decoder (with each frame's planes copied out, as the player does) against real
//     time; the ratio is how many times faster than real time it decodes;
//  2. the frame loop: the work of a 60 Hz frame (quads drawn, the frame finished) while a full-screen
//     still picture shows, and while the movie plays into the same sprite; the ratio is movie / still.
// Usage: bench_movie [frames of the clip] [seconds of each frame-loop run]
#include "MovieWriter.h"
#include "movie/CMovie.h"
#include "movie/CTheoraStream.h"
#include "movie/OggPackets.h"
#include "render/RenderDeviceFactory.h"

#include <kavro/IRenderDevice.h>
#include <kavro/ISpriteQuad.h>
#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <time.h>
#include <vector>

namespace
{

constexpr int Width = 1280;
constexpr int Height = 720;
constexpr int Fps = 30;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Detail everywhere, moving every frame: the encoder cannot make the frames cheap.
uint32_t scenePixel(int frame, int x, int y)
{
    const uint32_t r = uint32_t((x + frame * 7) & 0xFF);
    const uint32_t g = uint32_t((y * 3 + frame * 5) & 0xFF);
    const uint32_t b = uint32_t(((x * y) >> 6 ^ frame * 11) & 0xFF);
    return r << 16 | g << 8 | b;
}

Kavro::ISpriteQuad* fullScreenQuad(Kavro::IRenderDevice* device, Kavro::ITexture* texture)
{
    Kavro::ISpriteQuad* quad = device->createSprite(texture, 1, 1, 1);
    const float hw = Width * 0.5f, hh = Height * 0.5f;
    const Kavro::Vector4D corners[4] = {{-hw, hh, 0, 1}, {hw, hh, 0, 1}, {-hw, -hh, 0, 1}, {hw, -hh, 0, 1}};
    const Kavro::Vector2D uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    const uint32_t colours[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    Kavro::Matrix4x4 view, projection;
    view.LookAt({0, 0, -1000.0f}, {0, 0, 0}, {0, 1.0f, 0});
    projection.Ortho(float(Width), float(Height), 0.0f, 120000.0f);
    quad->setBlendMode(1);
    quad->begin();
    quad->addQuad(view * projection, corners, colours, uv);
    quad->end();
    return quad;
}

// Mean work time of a 60 Hz frame, in milliseconds: the movie's frame step (when given), the quad drawn,
// the frame finished and waited for (one pixel read back).
double frameLoop(Kavro::IRenderDevice* device, Kavro::ISpriteQuad* quad, Kavro::ITexture* texture,
                 Kavro::CMovie* movie, double seconds)
{
    Kavro::ITexture* probe = device->createRenderTexture(1, 1, 4, 0, 0, 0);
    uint32_t probePixel = 0;
    const auto period = std::chrono::microseconds(16667);
    auto next = Clock::now();
    double work = 0.0;
    int frames = 0;
    const auto start = Clock::now();
    while (secondsSince(start) < seconds)
    {
        std::this_thread::sleep_until(next);
        next += period;
        const auto begin = Clock::now();
        device->beginFrame();
        if (movie)
        {
            movie->updateFrame(texture);
            quad->apply();
        }
        quad->draw({0.0f, 0.0f}, nullptr, 1.0f);
        device->copyTexture(probe, nullptr, 2);
        device->readPixels(probe, &probePixel);
        device->endFrame();
        work += secondsSince(begin);
        ++frames;
    }
    probe->release();
    return frames ? work * 1000.0 / frames : 0.0;
}

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

} // namespace

int main(int argc, char** argv)
{
    const int clipFrames = argc > 1 ? std::max(2, std::atoi(argv[1])) : 90;
    const double loopSeconds = argc > 2 ? std::max(1.0, std::atof(argv[2])) : 5.0;

    OrvaneTools::MovieSpec spec;
    spec.width = Width;
    spec.height = Height;
    spec.fpsNumerator = Fps;
    spec.frames = clipFrames;
    spec.pixel = scenePixel;
    spec.toneHertz = 440.0;
    auto encodeStart = Clock::now();
    auto bytes = std::make_shared<const std::vector<uint8_t>>(OrvaneTools::WriteMovie(spec));
    std::printf("clip: %d x %d, %d frames at %d/s, %zu bytes (encoded in %.1f s)\n", Width, Height, clipFrames, Fps,
                bytes->size(), secondsSince(encodeStart));

    // 1. Decoding.
    std::vector<Kavro::OggStreamSummary> streams;
    if (!Kavro::ScanOggPages(bytes->data(), bytes->size(), streams) || streams.empty())
    {
        std::fprintf(stderr, "the clip's pages do not scan (%zu streams)\n", streams.size());
        return 1;
    }
    Kavro::CTheoraStream video(bytes, streams[0].serial);
    if (!video.open())
    {
        std::fprintf(stderr, "the clip's first stream does not open as Theora\n");
        return 1;
    }
    Kavro::YuvFrame picture;
    int64_t index = 0;
    int decoded = 0;
    const auto decodeStart = Clock::now();
    const double cpuStart = threadCpuSeconds();
    while (video.next(index) > 0)
    {
        video.picture(picture);
        ++decoded;
    }
    const double decodeSeconds = secondsSince(decodeStart);
    const double cpuSeconds = threadCpuSeconds() - cpuStart;
    const double realSeconds = double(decoded) / Fps;
    std::printf("decoding: %d frames in %.3f s for %.3f s of movie: %.1f x real time (wanted at least 4)\n", decoded,
                decodeSeconds, realSeconds, realSeconds / decodeSeconds);
    // On a shared machine the wall clock counts other people's work too; the thread's own CPU time does not.
    std::printf("decoding CPU time of this thread: %.3f s: %.1f x real time\n", cpuSeconds, realSeconds / cpuSeconds);

    // 2. The frame loop.
    Kavro::IRenderDevice* device = Kavro::CreateRenderDevice(nullptr, Width, Height, nullptr);
    if (!device)
    {
        std::fprintf(stderr, "no headless OpenGL 3.3 context\n");
        return 1;
    }
    Kavro::ITexture* texture = device->createTexture(Width, Height, 1, 0);
    auto* movie = new Kavro::CMovie(nullptr, nullptr);
    if (movie->openBytes(std::vector<uint8_t>(*bytes)) != 0)
    {
        std::fprintf(stderr, "the player does not open the clip\n");
        return 1;
    }
    // The still picture: the movie's first frame.
    movie->waitForDecoder(5000);
    movie->updateFrame(texture);
    Kavro::ISpriteQuad* quad = fullScreenQuad(device, texture);
    const double still = frameLoop(device, quad, texture, nullptr, loopSeconds);
    movie->play(-1);
    const double playing = frameLoop(device, quad, texture, movie, loopSeconds);
    std::printf("frame loop at 60 Hz: still picture %.3f ms of work per frame, movie playing %.3f ms: ratio %.3f "
                "(wanted below 1.10)\n",
                still, playing, playing / still);
    std::printf("movie frames shown %lld, dropped %lld over %.1f s (%d expected)\n",
                (long long)movie->framesShown(), (long long)movie->framesDropped(), loopSeconds,
                int(loopSeconds * Fps));
    quad->release();
    movie->release();
    texture->release();
    device->release();
    return 0;
}
