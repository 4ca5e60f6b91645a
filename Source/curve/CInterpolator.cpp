#include "curve/CInterpolator.h"

#include "core/CApp.h"
#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"

#include <kavro/ICore.h>

#include <algorithm>
#include <array>
#include <bit>

namespace Orvane
{

namespace
{

using Kavro::Vector2D;
using Kavro::Vector3D;

constexpr float MillisecondsPerFrame = 16.666666f;

// The components of a value as they stand in a record.
std::array<float, 1> components(float v)
{
    return {v};
}
std::array<float, 2> components(const Vector2D& v)
{
    return {v.x, v.y};
}
std::array<float, 3> components(const Vector3D& v)
{
    return {v.x, v.y, v.z};
}
void assign(float& v, const std::array<float, 1>& c)
{
    v = c[0];
}
void assign(Vector2D& v, const std::array<float, 2>& c)
{
    v = Vector2D(c[0], c[1]);
}
void assign(Vector3D& v, const std::array<float, 3>& c)
{
    v = Vector3D(c[0], c[1], c[2]);
}

template <size_t N> std::array<uint8_t, N * 4> encode(const std::array<float, N>& c)
{
    std::array<uint8_t, N * 4> bytes{};
    for (size_t i = 0; i < N; ++i)
    {
        const uint32_t bits = std::bit_cast<uint32_t>(c[i]);
        for (size_t k = 0; k < 4; ++k)
            bytes[i * 4 + k] = uint8_t(bits >> (8 * k));
    }
    return bytes;
}

template <size_t N> std::array<float, N> decode(const std::array<uint8_t, N * 4>& bytes)
{
    std::array<float, N> c{};
    for (size_t i = 0; i < N; ++i)
    {
        uint32_t bits = 0;
        for (size_t k = 0; k < 4; ++k)
            bits |= uint32_t(bytes[i * 4 + k]) << (8 * k);
        c[i] = std::bit_cast<float>(bits);
    }
    return c;
}

template <class T> bool writeValue(CChunkWriter& chunk, const T& v)
{
    const auto bytes = encode(components(v));
    return chunk.field(bytes.data(), uint32_t(bytes.size()));
}

// A value read short keeps its old content.
template <class T> bool readValue(CChunkReader& chunk, T& v)
{
    constexpr size_t N = decltype(components(v))().size();
    std::array<uint8_t, N * 4> bytes{};
    if (!chunk.field(bytes.data(), uint32_t(bytes.size())))
        return false;
    assign(v, decode<N>(bytes));
    return true;
}

} // namespace

template <class T> T CInterpolator<T>::curveValue() const
{
    return easingCurve<T>(easing)(from, to, duration, elapsed);
}

template <class T> void CInterpolator<T>::finish()
{
    value = to;
    scaledValue = to * valueScale;
    active = 0;
}

template <class T>
void CInterpolator<T>::set(const T& start, const T& end, const uint32_t& durationMs, const int32_t& easingIndex)
{
    value = start;
    scaledValue = start * valueScale;
    from = start;
    to = end;
    frameStamp = 0;
    elapsed = 0.0f;
    duration = float(durationMs);
    easing = validEasing(easingIndex);
    if (duration == 0.0f)
    {
        finish();
        from = end;
    }
    else if (!(start == end))
    {
        active = 1;
    }
}

template <class T> int CInterpolator<T>::update()
{
    if (!active)
        return 0;
    const CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    if (core && core->getMilliTime() != frameStamp)
    {
        float step = app->frameSpeed * MillisecondsPerFrame * timeScale;
        if (step < 0.0f)
            step = 0.0f;
        else
            step = std::min(step, std::max(app->frameTimeCap, 0.0f));
        elapsed += step;
        frameStamp = core->getMilliTime();
    }
    value = curveValue();
    scaledValue = value * valueScale;
    if (elapsed >= duration)
    {
        finish();
        elapsed = duration;
    }
    return 1;
}

template <class T> void CInterpolator<T>::evaluate()
{
    if (active != 1)
        return;
    value = curveValue();
    scaledValue = value * valueScale;
}

template <class T> int CInterpolator<T>::complete()
{
    if (!active)
        return 0;
    finish();
    return 1;
}

template <class T> void CInterpolator<T>::setTime(float t)
{
    elapsed = t < 0.0f ? 0.0f : (t > duration ? duration : t);
    if (duration > 0.0f)
        active = 1;
    evaluate();
}

template <class T> int CInterpolator<T>::write(CFile& file) const
{
    CChunkWriter chunk(file);
    chunk.fieldFloat(duration) && chunk.fieldFloat(elapsed) && writeValue(chunk, from) && writeValue(chunk, to) &&
        writeValue(chunk, scaledValue) && writeValue(chunk, value) && chunk.fieldDword(uint32_t(easing)) &&
        chunk.fieldDword(active) && chunk.fieldFloat(valueScale) && chunk.fieldFloat(timeScale);
    return chunk.close() ? 1 : 0;
}

template <class T> int CInterpolator<T>::read(CFile& file)
{
    CChunkReader chunk(file);
    uint32_t easingBits = uint32_t(easing);
    chunk.fieldFloat(duration) && chunk.fieldFloat(elapsed) && readValue(chunk, from) && readValue(chunk, to) &&
        readValue(chunk, scaledValue) && readValue(chunk, value) && chunk.fieldDword(easingBits) &&
        chunk.fieldDword(active) && chunk.fieldFloat(valueScale) && chunk.fieldFloat(timeScale);
    easing = int32_t(easingBits);
    return chunk.finish();
}

template class CInterpolator<float>;
template class CInterpolator<Kavro::Vector2D>;
template class CInterpolator<Kavro::Vector3D>;

} // namespace Orvane
