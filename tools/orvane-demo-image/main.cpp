// Writes the demo game's pictures: orvane-demo-image <folder> makes, under <folder>/image/, two
// 1280x720 backgrounds (a day and an evening landscape), a character standing in a transparent frame
// and a radial rule image for the transition between the backgrounds.
#include <kavro/ImageCodec.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{

constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 720;

struct Colour
{
    float r, g, b, a;
};

Colour mix(const Colour& from, const Colour& to, float t)
{
    t = std::clamp(t, 0.0f, 1.0f);
    return {from.r + (to.r - from.r) * t, from.g + (to.g - from.g) * t, from.b + (to.b - from.b) * t,
            from.a + (to.a - from.a) * t};
}

// Coverage of a shape edge: 1 inside (distance < 0), 0 outside, one pixel of soft edge between.
float cover(float distance)
{
    return std::clamp(0.5f - distance, 0.0f, 1.0f);
}

class Image
{
public:
    Image(int w, int h) : width(w), height(h), pixels(size_t(w) * size_t(h), Colour{0, 0, 0, 0}) {}

    // Paints colour over the picture with the coverage shape(x, y) gives (pixel centres).
    template <class Shape> void paint(const Colour& colour, Shape shape)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
            {
                const float c = shape(float(x) + 0.5f, float(y) + 0.5f) * colour.a;
                if (c <= 0.0f) continue;
                Colour& p = pixels[size_t(y) * size_t(width) + size_t(x)];
                const float a = c + p.a * (1.0f - c);
                if (a > 0.0f)
                {
                    p.r = (colour.r * c + p.r * p.a * (1.0f - c)) / a;
                    p.g = (colour.g * c + p.g * p.a * (1.0f - c)) / a;
                    p.b = (colour.b * c + p.b * p.a * (1.0f - c)) / a;
                }
                p.a = a;
            }
    }
    template <class Fill> void fill(Fill colourAt)
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                pixels[size_t(y) * size_t(width) + size_t(x)] = colourAt(float(x) + 0.5f, float(y) + 0.5f);
    }
    bool save(const std::filesystem::path& path) const
    {
        std::vector<uint32_t> argb(pixels.size());
        const auto byte = [](float v) { return uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); };
        for (size_t i = 0; i < pixels.size(); ++i)
            argb[i] = byte(pixels[i].a) << 24 | byte(pixels[i].r) << 16 | byte(pixels[i].g) << 8 |
                      byte(pixels[i].b);
        return Kavro::WritePng(path.string(), width, height, argb.data());
    }

    int width, height;

private:
    std::vector<Colour> pixels;
};

auto circle(float cx, float cy, float radius)
{
    return [=](float x, float y) { return cover(std::hypot(x - cx, y - cy) - radius); };
}

auto ellipse(float cx, float cy, float rx, float ry)
{
    return [=](float x, float y)
    {
        const float d = std::hypot((x - cx) / rx, (y - cy) / ry);
        return cover((d - 1.0f) * std::min(rx, ry));
    };
}

// Ground below a rolling line: height is the line's y at x.
template <class Line> auto below(Line line)
{
    return [=](float x, float y) { return cover(line(x) - y); };
}

// The area between two x positions that widen linearly from top to bottom.
auto trapezoid(float top, float bottom, float topHalf, float bottomHalf, float cx)
{
    return [=](float x, float y)
    {
        if (y < top - 1.0f || y > bottom + 1.0f) return 0.0f;
        const float t = std::clamp((y - top) / (bottom - top), 0.0f, 1.0f);
        const float half = topHalf + (bottomHalf - topHalf) * t;
        return cover(std::fabs(x - cx) - half) * cover(top - y) * cover(y - bottom);
    };
}

Image landscape(const Colour& skyTop, const Colour& skyBottom, const Colour& sun, float sunX, float sunY,
                const Colour& farHills, const Colour& nearHills, bool stars)
{
    Image image(ScreenWidth, ScreenHeight);
    image.fill([&](float, float y) { return mix(skyTop, skyBottom, y / (ScreenHeight * 0.75f)); });
    if (stars)
        for (int i = 0; i < 90; ++i)
        {
            const float x = float((i * 7919) % ScreenWidth), y = float((i * 104729) % 360);
            image.paint({1.0f, 0.95f, 0.85f, 0.5f + 0.5f * float(i % 3) / 2.0f},
                        circle(x, y, 1.2f + float(i % 2)));
        }
    image.paint({sun.r, sun.g, sun.b, 0.25f}, circle(sunX, sunY, 110.0f));
    image.paint(sun, circle(sunX, sunY, 70.0f));
    image.paint(
        farHills,
        below([](float x)
              { return 470.0f + 40.0f * std::sin(x * 0.006f) + 25.0f * std::sin(x * 0.017f + 1.0f); }));
    image.paint(
        nearHills,
        below([](float x)
              { return 560.0f + 35.0f * std::sin(x * 0.004f + 2.0f) + 12.0f * std::sin(x * 0.021f); }));
    // A small house on the near hill.
    const Colour wall = mix(nearHills, {0.95f, 0.9f, 0.8f, 1.0f}, 0.7f);
    image.paint(wall, [](float x, float y)
                { return cover(300.0f - x) * cover(x - 390.0f) * cover(505.0f - y) * cover(y - 565.0f); });
    image.paint({0.6f, 0.2f, 0.2f, 1.0f}, trapezoid(460.0f, 505.0f, 2.0f, 58.0f, 345.0f));
    image.paint(stars ? Colour{1.0f, 0.85f, 0.4f, 1.0f} : Colour{0.35f, 0.5f, 0.7f, 1.0f},
                [](float x, float y)
                { return cover(330.0f - x) * cover(x - 355.0f) * cover(520.0f - y) * cover(y - 542.0f); });
    return image;
}

Image character()
{
    Image image(400, 640);
    const Colour hair{0.28f, 0.16f, 0.12f, 1.0f}, skin{1.0f, 0.86f, 0.76f, 1.0f};
    const Colour dress{0.25f, 0.45f, 0.8f, 1.0f}, ribbon{0.95f, 0.35f, 0.45f, 1.0f};
    image.paint(hair, ellipse(200.0f, 175.0f, 118.0f, 150.0f));                             // hair behind
    image.paint(dress, trapezoid(290.0f, 640.0f, 60.0f, 170.0f, 200.0f));                   // dress
    image.paint(skin, trapezoid(255.0f, 300.0f, 22.0f, 26.0f, 200.0f));                     // neck
    image.paint({1.0f, 1.0f, 1.0f, 1.0f}, trapezoid(290.0f, 330.0f, 40.0f, 70.0f, 200.0f)); // collar
    image.paint(ribbon, circle(200.0f, 322.0f, 16.0f));
    image.paint(skin, ellipse(200.0f, 170.0f, 88.0f, 100.0f));                      // face
    image.paint(hair, ellipse(200.0f, 105.0f, 100.0f, 55.0f));                      // fringe
    image.paint({0.2f, 0.25f, 0.45f, 1.0f}, ellipse(168.0f, 182.0f, 11.0f, 16.0f)); // eyes
    image.paint({0.2f, 0.25f, 0.45f, 1.0f}, ellipse(232.0f, 182.0f, 11.0f, 16.0f));
    image.paint({1.0f, 1.0f, 1.0f, 1.0f}, circle(172.0f, 176.0f, 4.0f));
    image.paint({1.0f, 1.0f, 1.0f, 1.0f}, circle(236.0f, 176.0f, 4.0f));
    image.paint({0.95f, 0.6f, 0.6f, 0.6f}, ellipse(150.0f, 215.0f, 16.0f, 8.0f)); // cheeks
    image.paint({0.95f, 0.6f, 0.6f, 0.6f}, ellipse(250.0f, 215.0f, 16.0f, 8.0f));
    image.paint({0.7f, 0.3f, 0.3f, 1.0f}, ellipse(200.0f, 232.0f, 12.0f, 5.0f)); // mouth
    image.paint(ribbon, ellipse(275.0f, 85.0f, 30.0f, 18.0f));                   // hair ribbon
    return image;
}

// A cherry-blossom petal, 32 x 32: two overlapping ellipses, pale pink, deeper pink where they meet at the top.
Image petal()
{
    Image image(32, 32);
    const Colour pale{1.0f, 0.86f, 0.9f, 1.0f}, deep{0.97f, 0.62f, 0.74f, 1.0f};
    image.paint(pale, ellipse(13.0f, 17.0f, 8.0f, 12.0f));
    image.paint(pale, ellipse(19.0f, 17.0f, 8.0f, 12.0f));
    image.paint({deep.r, deep.g, deep.b, 0.7f}, ellipse(16.0f, 9.0f, 5.0f, 5.0f));
    return image;
}

// Grey from black in the middle to white in the corners: the transition opens from the centre out.
Image radialRule()
{
    Image image(ScreenWidth, ScreenHeight);
    const float farthest = std::hypot(ScreenWidth * 0.5f, ScreenHeight * 0.5f);
    image.fill(
        [&](float x, float y)
        {
            const float g = std::hypot(x - ScreenWidth * 0.5f, y - ScreenHeight * 0.5f) / farthest;
            return Colour{g, g, g, 1.0f};
        });
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: orvane-demo-image <folder>\n");
        return 2;
    }
    const std::filesystem::path folder = std::filesystem::path(argv[1]) / "image";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const Image day =
        landscape({0.35f, 0.6f, 0.95f, 1.0f}, {0.8f, 0.9f, 1.0f, 1.0f}, {1.0f, 0.95f, 0.7f, 1.0f}, 1000.0f,
                  150.0f, {0.45f, 0.7f, 0.5f, 1.0f}, {0.3f, 0.62f, 0.3f, 1.0f}, false);
    const Image evening =
        landscape({0.18f, 0.12f, 0.35f, 1.0f}, {0.98f, 0.55f, 0.35f, 1.0f}, {1.0f, 0.75f, 0.45f, 1.0f},
                  260.0f, 430.0f, {0.35f, 0.25f, 0.4f, 1.0f}, {0.2f, 0.15f, 0.25f, 1.0f}, true);
    const bool written = day.save(folder / "bg_day.png") && evening.save(folder / "bg_evening.png") &&
                         character().save(folder / "chara.png") &&
                         radialRule().save(folder / "rule_radial.png") && petal().save(folder / "petal.png");
    if (!written)
    {
        std::fprintf(stderr, "orvane-demo-image: cannot write the pictures into %s\n",
                     folder.string().c_str());
        return 1;
    }
    return 0;
}
