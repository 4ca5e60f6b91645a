// Writes a contact sheet of the sprite shader: orvane-effect-sheet <out.png> draws one test picture per
// cell, headless, each with one transition or effect at a middle value, labelled, and saves the screen.
#include <kavro/RenderDeviceFactory.h>

#include <kavro/IRenderDevice.h>
#include <kavro/ISpriteQuad.h>
#include <kavro/Matrix4x4.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

constexpr int PictureW = 128;
constexpr int PictureH = 80;
constexpr int CellW = 160;
constexpr int CellH = 112;
constexpr int Columns = 5;
constexpr int Rows = 4;
constexpr int ScreenW = CellW * Columns;
constexpr int ScreenH = CellH * Rows;

uint32_t argb(float r, float g, float b)
{
    const auto byte = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
    return 0xFF000000u | byte(r) << 16 | byte(g) << 8 | byte(b);
}

// Hues across, light to dark downwards, a grid every 16 pixels and a white ring: colour effects show in
// the hues, distortions bend the grid and the ring, blurs smear them.
uint32_t testPicture(int x, int y)
{
    const float h = float(x) / PictureW * 6.0f, v = 1.0f - 0.6f * float(y) / PictureH;
    const float f = h - std::floor(h);
    float r = 0, g = 0, b = 0;
    switch (int(h) % 6)
    {
    case 0: r = 1, g = f; break;
    case 1: r = 1 - f, g = 1; break;
    case 2: g = 1, b = f; break;
    case 3: g = 1 - f, b = 1; break;
    case 4: r = f, b = 1; break;
    default: r = 1, b = 1 - f; break;
    }
    if (x % 16 == 0 || y % 16 == 0)
        return argb(0.1f, 0.1f, 0.1f);
    const float d = std::hypot(float(x) - PictureW / 2.0f + 0.5f, float(y) - PictureH / 2.0f + 0.5f);
    if (std::fabs(d - 28.0f) < 1.5f)
        return 0xFFFFFFFFu;
    return argb(r * v, g * v, b * v);
}

// A grey rising from left to right: the rule of the transition cell.
uint32_t wipeRule(int x, int)
{
    const float g = float(x) / float(PictureW - 1);
    return argb(g, g, g);
}

Kavro::ITexture* makeTexture(Kavro::IRenderDevice* device, const std::function<uint32_t(int, int)>& texel)
{
    Kavro::ITexture* texture = device->createTexture(PictureW, PictureH, 1, 0);
    if (!texture || texture->lock(0, nullptr) < 0)
        return texture;
    auto* bits = static_cast<uint8_t*>(texture->getData());
    for (int y = 0; y < PictureH; ++y)
    {
        auto* row = reinterpret_cast<uint32_t*>(bits + size_t(texture->getPitch()) * size_t(y));
        for (int x = 0; x < PictureW; ++x)
            row[x] = texel(x, y);
    }
    texture->unlock();
    return texture;
}

struct Cell
{
    const char* label;
    std::function<void(Kavro::ISpriteQuad*)> effect;
    float alpha = 1.0f;
};

// Draws the quad's picture into cell i: the clip-space matrix of a quad centred on its origin.
void drawCell(Kavro::ISpriteQuad* quad, int i, float alpha)
{
    const float left = float(i % Columns * CellW + (CellW - PictureW) / 2);
    const float top = float(i / Columns * CellH + 4);
    const float w = PictureW, h = PictureH;
    const Kavro::Matrix4x4 m =
        Kavro::Matrix4x4::GetScaling(2.0f / ScreenW, 2.0f / ScreenH, 1.0f) *
        Kavro::Matrix4x4::GetTranslation((left + w / 2.0f) * 2.0f / ScreenW - 1.0f,
                                         1.0f - (top + h / 2.0f) * 2.0f / ScreenH, 0.0f);
    const Kavro::Vector4D corners[4] = {
        {-w / 2, h / 2, 0, 1}, {w / 2, h / 2, 0, 1}, {-w / 2, -h / 2, 0, 1}, {w / 2, -h / 2, 0, 1}};
    const uint32_t alphaByte = uint32_t(std::lround(alpha * 255.0f));
    const uint32_t colour = 0x00FFFFFFu | alphaByte << 24;
    const uint32_t colours[4] = {colour, colour, colour, colour};
    const Kavro::Vector2D uv[4] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    quad->begin();
    quad->addQuad(m, corners, colours, uv);
    quad->end();
    quad->draw({0.0f, 0.0f}, nullptr, 1.0f);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: orvane-effect-sheet OUT.png\n");
        return 2;
    }
    Kavro::IRenderDevice* device = Kavro::CreateRenderDevice(nullptr, ScreenW, ScreenH, nullptr);
    if (!device)
    {
        std::fprintf(stderr, "orvane-effect-sheet: no OpenGL 3.3 context\n");
        return 1;
    }
    Kavro::ITexture* picture = makeTexture(device, testPicture);
    Kavro::ITexture* rule = makeTexture(device, wipeRule);
    using Q = Kavro::ISpriteQuad;
    const float levelMin = 0.2f, levelMax = 0.8f, levelPower = 1.5f, rotate = 30.0f;
    const Kavro::Vector2D lensCentre(64.0f, 40.0f);
    const Cell cells[] = {
        {"PLAIN", [](Q*) {}},
        {"HUE 90", [](Q* q) { q->setColorHue(90.0f); }},
        {"SATURATION -0.6", [](Q* q) { q->setColorSaturation(-0.6f); }},
        {"SATURATION 1", [](Q* q) { q->setColorSaturation(1.0f); }},
        {"BRIGHTNESS 0.3", [](Q* q) { q->setColorBrightness(0.3f); }},
        {"GLOW 0.8", [](Q* q) { q->setColorGlow(0.8f); }},
        {"BALANCE 1.3 1 0.7", [](Q* q) { q->setColorBalance(1.3f, 1.0f, 0.7f, 1.0f); }},
        {"NEGAPOSI 0.8", [](Q* q) { q->setNegaposiPower(0.8f); }},
        {"MONOCHROME 0.5", [](Q* q) { q->setMonochromePower(0.5f); }},
        {"LEVEL .2 .8 1.5", [&](Q* q) { q->setColorLevel(&levelMin, &levelMax, &levelPower); }},
        {"SHADING 3 0.6 1",
         [](Q* q) {
             q->setShadingParameter(3, 0.6f);
             q->setShadingPower(1.0f);
         }},
        {"RADIAL BLUR 0.2",
         [](Q* q) {
             q->setRadialBlurCenter({64.0f, 40.0f});
             q->setRadialBlurPower(0.2f);
         }},
        {"DIRECTIONAL 12PX",
         [](Q* q) {
             q->setDirectionalBlurDirection({1.0f, 0.0f});
             q->setDirectionalBlurPower(12.0f);
         }},
        {"RIPPLE 3PX",
         [](Q* q) {
             q->setRippleCenter({64.0f, 40.0f});
             q->setRippleFrequency(0.06f);
             q->setRipplePower(3.0f);
             q->setRipplePhase(0.25f);
         }},
        {"RASTER 4PX 30DEG",
         [&](Q* q) {
             q->setRasterFrequency(0.05f);
             q->setRasterPower(4.0f);
             q->setRasterRotate(&rotate);
         }},
        {"LENS 0.5 R30",
         [&](Q* q) {
             q->setLensCenter(&lensCentre);
             q->setLensPower(0.5f);
             q->setLensRadius(30.0f);
         }},
        {"RULE 0.5 VAGUE 0.2",
         [&](Q* q) {
             q->setTransitionMask(rule);
             q->setTransition(0.0f, 1.0f, 0.5f, 0.2f);
         }},
        {"DITHER ALPHA 0.5", [&](Q* q) { q->setDither(device->getDitherTexture(), {4.0f, 4.0f}); }, 0.5f},
        {"FADE 0.5 (NO DITHER)", [](Q*) {}, 0.5f},
        {"HUE 180 + MONO .3",
         [](Q* q) {
             q->setColorHue(180.0f);
             q->setMonochromePower(0.3f);
         }},
    };
    static_assert(sizeof cells / sizeof cells[0] <= Columns * Rows, "one cell each");
    int status = 0;
    if (device->beginFrame() < 0)
        status = 1;
    const uint32_t grey = 0xFF303030u;
    device->clear(1, &grey);
    int i = 0;
    for (const Cell& cell : cells)
    {
        Kavro::ISpriteQuad* quad = device->createSprite(picture, 1, 1, 1);
        if (!quad)
        {
            status = 1;
            break;
        }
        quad->setFilter(1);
        cell.effect(quad);
        quad->apply();
        drawCell(quad, i, cell.alpha);
        const float x = float(i % Columns * CellW + 8), y = float(i / Columns * CellH + PictureH + 10);
        device->drawDebugText({x, y}, 0xFFFFFFFFu, "", cell.label);
        quad->release();
        ++i;
    }
    if (status == 0 && device->saveTexture(argv[1], nullptr, 0) < 0)
    {
        std::fprintf(stderr, "orvane-effect-sheet: cannot write %s\n", argv[1]);
        status = 1;
    }
    device->endFrame();
    if (rule)
        rule->release();
    if (picture)
        picture->release();
    device->release();
    return status;
}
