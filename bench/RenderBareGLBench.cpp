// The render device against a bare OpenGL 3.3 program in the same process and EGL context: the same
// texture, the same quads, drawn into a 1280x720 target with alpha blending. The bare program keeps all
// quads in one static vertex buffer and draws them with one call; the device gets one sprite object per
// quad, as the engine's sprites are. Frames alternate between the two and wait for the GPU; the ratio is
// device time / bare time of the median frame.
//
//   bench_render_bare_gl [frames]     (default 60)

#include "render/CTexture.h"
#include "render/GL.h"
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

struct Quad
{
    Kavro::Matrix4x4 matrix;
    Kavro::Vector4D corners[4];
    uint32_t colour;
};

struct Vertex
{
    float position[4];
    uint32_t colour;
    float uv[2];
};

Kavro::Matrix4x4 screenMatrix(float cx, float cy, float degrees)
{
    Kavro::Matrix4x4 view, projection;
    view.LookAt({0, 0, -1000.0f}, {0, 0, 0}, {0, 1.0f, 0});
    projection.Ortho(float(Width), float(Height), 0.0f, 120000.0f);
    return Kavro::Matrix4x4::GetRotationZ(degrees) * Kavro::Matrix4x4::GetTranslation(cx, cy, 0.0f) * view *
           projection;
}

// count 64x64 sprites spread over the screen, whole pixels, translucent colours.
std::vector<Quad> smallSprites(int count)
{
    std::vector<Quad> quads;
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (int i = 0; i < count; ++i)
    {
        const float x = float(next() % (Width - 64)) - Width * 0.5f + 32.0f;
        const float y = float(next() % (Height - 64)) - Height * 0.5f + 32.0f;
        const uint32_t colour = 0xFFu | (next() & 0xFF) << 8 | 0xC0u << 16 | 0xB0u << 24;
        quads.push_back({screenMatrix(x, y, 0.0f), {{-32, 32, 0, 1}, {32, 32, 0, 1}, {-32, -32, 0, 1}, {32, -32, 0, 1}},
                         colour});
    }
    return quads;
}

// count sprites each covering the whole screen, turned a little each.
std::vector<Quad> fullScreenSprites(int count)
{
    std::vector<Quad> quads;
    const float hw = Width * 0.5f, hh = Height * 0.5f;
    for (int i = 0; i < count; ++i)
    {
        const uint32_t shade = uint32_t(i) & 0xFF;
        quads.push_back({screenMatrix(0, 0, float(i) * 0.9f),
                         {{-hw, hh, 0, 1}, {hw, hh, 0, 1}, {-hw, -hh, 0, 1}, {hw, -hh, 0, 1}},
                         (255 - shade) | shade << 8 | 200u << 16 | 12u << 24});
    }
    return quads;
}

const Kavro::Vector2D wholeUv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};

Kavro::ITexture* makeTexture(Kavro::IRenderDevice* device)
{
    Kavro::ITexture* texture = device->createTexture(64, 64, 0, 0);
    if (!texture || texture->lock(0, nullptr) < 0)
        return texture;
    auto* pixels = static_cast<uint32_t*>(texture->getData());
    for (uint32_t y = 0; y < 64; ++y)
        for (uint32_t x = 0; x < 64; ++x)
            pixels[y * 64 + x] = (x * 4) << 24 | (x * 4) << 16 | (y * 4) << 8 | ((x ^ y) * 4 & 0xFF);
    texture->unlock();
    return texture;
}

// The bare program: one shader, one static vertex buffer, one draw call, straight alpha blending.
class BareRenderer
{
public:
    BareRenderer(const std::vector<Quad>& quads, GLuint texture) : texture_(texture)
    {
        const char* vertexSource = R"(#version 330 core
layout(location = 0) in vec4 aPosition;
layout(location = 1) in vec4 aColour;
layout(location = 2) in vec2 aUv;
out vec4 vColour;
out vec2 vUv;
void main()
{
    vColour = aColour;
    vUv = aUv;
    gl_Position = vec4(aPosition.x, -aPosition.y, 2.0 * aPosition.z - aPosition.w, aPosition.w);
}
)";
        const char* fragmentSource = R"(#version 330 core
in vec4 vColour;
in vec2 vUv;
uniform sampler2D uTexture;
out vec4 fragColour;
void main()
{
    fragColour = texture(uTexture, vUv) * vColour;
}
)";
        program_ = glCreateProgram();
        for (auto [kind, source] : {std::pair{GL_VERTEX_SHADER, vertexSource}, {GL_FRAGMENT_SHADER, fragmentSource}})
        {
            GLuint shader = glCreateShader(kind);
            glShaderSource(shader, 1, &source, nullptr);
            glCompileShader(shader);
            glAttachShader(program_, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program_);
        std::vector<Vertex> vertices;
        for (const Quad& quad : quads)
            for (int corner : {0, 1, 2, 2, 1, 3})
            {
                Vertex v{};
                const Kavro::Vector4D& c = quad.corners[corner];
                for (int j = 0; j < 4; ++j)
                    v.position[j] = c.x * quad.matrix.m[0][j] + c.y * quad.matrix.m[1][j] +
                                    c.z * quad.matrix.m[2][j] + c.w * quad.matrix.m[3][j];
                v.colour = quad.colour;
                v.uv[0] = wholeUv[corner].x;
                v.uv[1] = wholeUv[corner].y;
                vertices.push_back(v);
            }
        count_ = GLsizei(vertices.size());
        glGenVertexArrays(1, &vertexArray_);
        glBindVertexArray(vertexArray_);
        glGenBuffers(1, &buffer_);
        glBindBuffer(GL_ARRAY_BUFFER, buffer_);
        glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(vertices.size() * sizeof(Vertex)), vertices.data(), GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, sizeof(Vertex), nullptr);
        glEnableVertexAttribArray(1);
        glVertexAttribPointer(1, 4, GL_UNSIGNED_BYTE, GL_TRUE, sizeof(Vertex), reinterpret_cast<void*>(16));
        glEnableVertexAttribArray(2);
        glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, sizeof(Vertex), reinterpret_cast<void*>(20));
        glGenTextures(1, &target_);
        glBindTexture(GL_TEXTURE_2D, target_);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, Width, Height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
        glGenFramebuffers(1, &framebuffer_);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target_, 0);
        glGenSamplers(1, &sampler_);
        glSamplerParameteri(sampler_, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glSamplerParameteri(sampler_, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glSamplerParameteri(sampler_, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    ~BareRenderer()
    {
        glDeleteSamplers(1, &sampler_);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteTextures(1, &target_);
        glDeleteBuffers(1, &buffer_);
        glDeleteVertexArrays(1, &vertexArray_);
        glDeleteProgram(program_);
    }

    // One frame, waited for: clear, draw everything, read one pixel.
    void frame()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, Width, Height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glUseProgram(program_);
        glBindVertexArray(vertexArray_);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture_);
        glBindSampler(0, sampler_);
        glEnable(GL_BLEND);
        glBlendEquation(GL_FUNC_ADD);
        glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glDrawArrays(GL_TRIANGLES, 0, count_);
        uint32_t pixel = 0;
        glReadPixels(0, 0, 1, 1, GL_BGRA, GL_UNSIGNED_BYTE, &pixel);
    }

    std::vector<uint32_t> pixels()
    {
        std::vector<uint32_t> out(size_t(Width) * Height);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glReadPixels(0, 0, Width, Height, GL_BGRA, GL_UNSIGNED_BYTE, out.data());
        return out;
    }

private:
    GLuint texture_;
    GLuint program_ = 0, vertexArray_ = 0, buffer_ = 0, target_ = 0, framebuffer_ = 0, sampler_ = 0;
    GLsizei count_ = 0;
};

// The same quads through the device: one sprite object each.
class DeviceRenderer
{
public:
    DeviceRenderer(Kavro::IRenderDevice* device, const std::vector<Quad>& quads, Kavro::ITexture* texture)
        : device_(device), probe_(device->createRenderTexture(1, 1, 4, 0, 0, 0))
    {
        for (const Quad& quad : quads)
        {
            Kavro::ISpriteQuad* sprite = device->createSprite(texture, 1, 1, 1);
            const uint32_t colours[4] = {quad.colour, quad.colour, quad.colour, quad.colour};
            sprite->begin();
            sprite->addQuad(quad.matrix, quad.corners, colours, wholeUv);
            sprite->end();
            sprites_.push_back(sprite);
        }
    }
    ~DeviceRenderer()
    {
        probe_->release();
        for (Kavro::ISpriteQuad* sprite : sprites_)
            sprite->release();
    }

    void frame()
    {
        device_->beginFrame();
        const uint32_t black = 0xFF000000u;
        device_->clear(1, &black);
        for (Kavro::ISpriteQuad* sprite : sprites_)
            sprite->draw({0, 0}, nullptr, 1.0f);
        device_->endFrame();
        // Reading one pixel back waits for the frame, as the bare program's read does.
        uint32_t pixel = 0;
        device_->copyRect(probe_, {0, 0, 1, 1}, nullptr, {0, 0, 1, 1});
        device_->readPixels(probe_, &pixel);
    }

    std::vector<uint32_t> pixels()
    {
        std::vector<uint32_t> out(size_t(Width) * Height);
        device_->readPixels(nullptr, out.data());
        return out;
    }

private:
    Kavro::IRenderDevice* device_;
    Kavro::ITexture* probe_;
    std::vector<Kavro::ISpriteQuad*> sprites_;
};

double milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Runs both side by side and prints one line; answers the ratio.
double compare(const char* name, Kavro::IRenderDevice* device, Kavro::ITexture* texture,
               const std::vector<Quad>& quads, int frames)
{
    const GLuint glTexture = dynamic_cast<Kavro::CTexture*>(texture)->glTexture();
    BareRenderer bare(quads, glTexture);
    DeviceRenderer ours(device, quads, texture);
    for (int i = 0; i < 3; ++i) // shaders compiled, caches warm
    {
        bare.frame();
        ours.frame();
    }
    std::vector<double> bareTimes, deviceTimes;
    for (int i = 0; i < frames; ++i)
    {
        auto start = std::chrono::steady_clock::now();
        bare.frame();
        auto middle = std::chrono::steady_clock::now();
        ours.frame();
        auto end = std::chrono::steady_clock::now();
        bareTimes.push_back(milliseconds(middle - start));
        deviceTimes.push_back(milliseconds(end - middle));
    }
    // Opaque alpha aside (the screen reads back opaque), the pictures must be the same.
    std::vector<uint32_t> a = bare.pixels(), b = ours.pixels();
    for (uint32_t& p : a)
        p |= 0xFF000000u;
    const long calls = Kavro::GetRenderDrawCalls(device);
    ours.frame();
    const double ratio = median(deviceTimes) / median(bareTimes);
    std::printf("%-34s bare %8.3f ms  device %8.3f ms  ratio %.3f  (device draw calls per frame %ld, pixels %s)\n",
                name, median(bareTimes), median(deviceTimes), ratio, Kavro::GetRenderDrawCalls(device) - calls,
                a == b ? "identical" : "DIFFERENT");
    return ratio;
}

} // namespace

int main(int argc, char** argv)
{
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    Kavro::IRenderDevice* device = Kavro::CreateRenderDevice(nullptr, Width, Height, nullptr);
    if (!device)
    {
        std::fprintf(stderr, "no headless OpenGL 3.3 context\n");
        return 1;
    }
    Kavro::ITexture* texture = makeTexture(device);
    std::printf("render device vs bare OpenGL 3.3, %dx%d, median of %d frames (goal: ratio <= 1.1)\n", Width, Height,
                frames);
    compare("200 sprites 64x64", device, texture, smallSprites(200), frames);
    compare("2000 sprites 64x64", device, texture, smallSprites(2000), frames);
    compare("200 full-screen sprites", device, texture, fullScreenSprites(200), std::max(1, frames / 6));
    texture->release();
    device->release();
    return 0;
}
