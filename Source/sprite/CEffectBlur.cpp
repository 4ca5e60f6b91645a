#include "sprite/CEffectBlur.h"

#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "sprite/CSprite.h"

#include <algorithm>
#include <array>

namespace Orvane
{

namespace
{

constexpr uint32_t sampleSize = 40;
static_assert(sizeof(CEffectBlur::BlurSample) == sampleSize);

bool writeSamples(CChunkWriter& writer, CFile& file, const std::vector<CEffectBlur::BlurSample>& samples)
{
    if (!writer.marker()) return false;
    uint32_t size = uint32_t(samples.size());
    file.write(&size, sizeof size);
    for (const CEffectBlur::BlurSample& sample : samples)
    {
        if (file.write(&sample, sampleSize) != sampleSize) return false;
    }
    return true;
}

bool readSamples(CChunkReader& reader, CFile& file, std::vector<CEffectBlur::BlurSample>& samples)
{
    uint32_t size = 0;
    if (!reader.marker() || file.read(&size, sizeof size) != sizeof size) return false;
    // A count the rest of the file cannot hold is refused before anything is allocated.
    const int64_t position = file.getFilePosition();
    if (position < 0 ||
        uint64_t(size) * sampleSize > file.getFileSize() - std::min<uint64_t>(position, file.getFileSize()))
        return false;
    samples.assign(size, {});
    for (CEffectBlur::BlurSample& sample : samples)
    {
        if (file.read(&sample, sampleSize) != sampleSize) return false;
    }
    return true;
}

} // namespace

int CEffectBlur::set(uint32_t newCount, float newAlpha, uint32_t newInterval, uint32_t newDrawOrder)
{
    drawOrder = newDrawOrder;
    alpha = newAlpha;
    count = std::clamp(newCount, 1u, MaxCount);
    interval = std::clamp(newInterval, 16u, MaxInterval);
    trail.insert(trail.end(), size_t(count) + 1, BlurSample{});
    return 0;
}

namespace
{

// The same transform to the eye: positions to whole pixels, scales and angles to thousandths.
bool sameTransform(const CEffectBlur::BlurSample& a, const CEffectBlur::BlurSample& b)
{
    const auto whole = [](const Kavro::Vector3D& v) {
        return std::array{int64_t(v.x), int64_t(v.y), int64_t(v.z)};
    };
    const auto milli = [](const Kavro::Vector3D& v) {
        return std::array{int64_t(v.x * 1000.0f), int64_t(v.y * 1000.0f), int64_t(v.z * 1000.0f)};
    };
    return whole(a.position) == whole(b.position) && milli(a.scale) == milli(b.scale) &&
           milli(a.rotation) == milli(b.rotation);
}

} // namespace

int CEffectBlur::update(const Kavro::Vector3D& position, const Kavro::Vector3D& scale,
                        const Kavro::Vector3D& rotation)
{
    history.push_back({0, position, scale, rotation});
    const size_t limit = size_t(float(interval) * 0.06f * float(count));
    if (history.size() > limit && history.size() > 1) history.erase(history.begin());
    trail.resize(size_t(count) + 1);
    for (uint32_t i = 0; i < count; ++i)
    {
        const size_t k = size_t(float((count - i) * interval) * 0.06f);
        trail[i] = k < history.size() ? history[k] : history.front();
        trail[i].visible = k < history.size() ? 1 : 0;
    }
    trail[count] = history.back();
    trail[count].visible = 0;
    for (uint32_t i = 0; i < count; ++i)
        if (trail[i].visible && sameTransform(trail[i], trail[i + 1])) trail[i].visible = 0;
    return 0;
}

int CEffectBlur::draw(CSprite* sprite, float opacity)
{
    if (!sprite) return 0;
    drawSamples(opacity, [&](const BlurSample& sample, float alphaOf) {
        const Kavro::Vector2D scale(sample.scale.x, sample.scale.y);
        sprite->drawInstance(&sample.position, alphaOf, &scale, &sample.rotation);
    });
    return 0;
}

int CEffectBlur::save(CFile& file)
{
    CChunkWriter writer(file);
    const bool written = writer.fieldDword(count) && writer.fieldDword(interval) &&
                         writer.fieldFloat(alpha) && writer.fieldDword(drawOrder) &&
                         writeSamples(writer, file, history) && writeSamples(writer, file, trail);
    return writer.close() && written ? 1 : 0;
}

int CEffectBlur::load(CFile& file)
{
    CChunkReader reader(file);
    const bool read = reader.fieldDword(count) && reader.fieldDword(interval) && reader.fieldFloat(alpha) &&
                      reader.fieldDword(drawOrder) && reader.check(readSamples(reader, file, history)) &&
                      reader.check(readSamples(reader, file, trail));
    // A saved record is as hostile as a script: its settings get the same bounds.
    count = std::clamp(count, 1u, MaxCount);
    interval = std::clamp(interval, 16u, MaxInterval);
    return reader.finish() && read ? 1 : 0;
}

} // namespace Orvane
