#include "sprite/CEffectBlur.h"

#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/CFile.h"
#include "sprite/CSprite.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

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

// n samples, where n may be at most most and must fit in what is left of both the chunk and the file.
bool readSamples(CChunkReader& reader, CFile& file, std::vector<CEffectBlur::BlurSample>& samples, uint64_t most)
{
    uint32_t size = 0;
    if (!reader.marker() || file.read(&size, sizeof size) != sizeof size) return false;
    const int64_t position = file.getFilePosition();
    const uint64_t fileLeft =
        position < 0 ? 0 : file.getFileSize() - std::min<uint64_t>(uint64_t(position), file.getFileSize());
    const uint64_t bytes = uint64_t(size) * sampleSize;
    if (size > most || bytes > reader.bytesLeft() || bytes > fileLeft) return false;
    samples.assign(size, {});
    for (CEffectBlur::BlurSample& sample : samples)
    {
        if (file.read(&sample, sampleSize) != sampleSize) return false;
    }
    return true;
}

// Samples the history keeps: the frames of count intervals at 60 a second.
uint64_t historyLimit(uint32_t count, uint32_t interval)
{
    return uint64_t(float(interval) * 0.06f * float(count));
}

} // namespace

int CEffectBlur::set(uint32_t newCount, float newAlpha, uint32_t newInterval, uint32_t newDrawOrder)
{
    drawOrder = newDrawOrder;
    alpha = newAlpha;
    // A script's -1 arrives as 4,294,967,295: bounded, the trail and its history stay small.
    count = std::clamp(newCount, 1u, maxCount);
    interval = std::clamp(newInterval, 16u, maxInterval);
    history.reserve(size_t(historyLimit(count, interval)));
    trail.insert(trail.end(), size_t(count) + 1, BlurSample{});
    return 0;
}

namespace
{

// The same transform to the eye: positions to whole pixels, scales and angles to thousandths.
bool sameTransform(const CEffectBlur::BlurSample& a, const CEffectBlur::BlurSample& b)
{
    // Truncated as floats: a loaded sample may hold any value, which no integer conversion could take.
    const auto same = [](const Kavro::Vector3D& u, const Kavro::Vector3D& v, float unit) {
        return std::trunc(u.x * unit) == std::trunc(v.x * unit) && std::trunc(u.y * unit) == std::trunc(v.y * unit) &&
               std::trunc(u.z * unit) == std::trunc(v.z * unit);
    };
    return same(a.position, b.position, 1.0f) && same(a.scale, b.scale, 1000.0f) &&
           same(a.rotation, b.rotation, 1000.0f);
}

} // namespace

int CEffectBlur::update(const Kavro::Vector3D& position, const Kavro::Vector3D& scale,
                        const Kavro::Vector3D& rotation)
{
    history.push_back({0, position, scale, rotation});
    const uint64_t limit = historyLimit(count, interval);
    if (history.size() > limit && history.size() > 1) history.erase(history.begin());
    trail.resize(size_t(count) + 1);
    for (uint32_t i = 0; i < count; ++i)
    {
        const uint64_t k = uint64_t(float(uint64_t(count - i) * interval) * 0.06f);
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

int32_t CEffectBlur::getAlpha() const
{
    const float thousandths = alpha * 1000.0f;
    // Factors no script means (beyond the integers, or not a number) are answered at the edges, or 0.
    if (std::isnan(thousandths)) return 0;
    if (thousandths >= 2147483648.0f) return INT32_MAX;
    if (thousandths <= -2147483648.0f) return INT32_MIN;
    return int32_t(thousandths);
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
    // Read aside and taken only whole: a record with settings set never makes, or whose trail does not
    // fit its count, leaves the settings and an empty trail of the right length.
    uint32_t newCount = 0, newInterval = 0, newDrawOrder = 0;
    float newAlpha = 0.0f;
    std::vector<BlurSample> newHistory, newTrail;
    const bool read = readRecord(file, newCount, newInterval, newAlpha, newDrawOrder, newHistory, newTrail);
    if (read)
    {
        count = newCount;
        interval = newInterval;
        alpha = newAlpha;
        drawOrder = newDrawOrder;
        history = std::move(newHistory);
        trail = std::move(newTrail);
        return 1;
    }
    history.clear();
    trail.assign(size_t(count) + 1, BlurSample{});
    return 0;
}

bool CEffectBlur::readRecord(CFile& file, uint32_t& newCount, uint32_t& newInterval, float& newAlpha,
                             uint32_t& newDrawOrder, std::vector<BlurSample>& newHistory,
                             std::vector<BlurSample>& newTrail)
{
    CChunkReader reader(file);
    const auto sane = [&] {
        return reader.check(newCount >= 1 && newCount <= maxCount && newInterval >= 16 &&
                            newInterval <= maxInterval);
    };
    const bool read =
        reader.fieldDword(newCount) && reader.fieldDword(newInterval) && reader.fieldFloat(newAlpha) &&
        reader.fieldDword(newDrawOrder) && sane() &&
        reader.check(readSamples(reader, file, newHistory,
                                 std::max<uint64_t>(historyLimit(newCount, newInterval), 1))) &&
        reader.check(readSamples(reader, file, newTrail, uint64_t(newCount) + 1)) &&
        reader.check(newTrail.size() == size_t(newCount) + 1);
    return reader.finish() && read;
}

} // namespace Orvane
