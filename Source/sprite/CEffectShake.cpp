#include "sprite/CEffectShake.h"

#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"

#include <cmath>

namespace Orvane
{

using Kavro::Vector3D;

CEffectShake::CEffectShake()
{
    timeline.set(0.0f, 0.0f, 0u, 0);
    amplitude.set(amplitude.value, Vector3D(), 0u, 0);
    swing.set(swing.value, Vector3D(), 0u, 0);
}

void CEffectShake::setSwing(const Vector3D& start, const Vector3D& end, uint32_t duration)
{
    swing.set(start, end, duration, swingEasing);
}

Vector3D CEffectShake::shortSwingEnd() const
{
    // Without a period there is no first swing to scale by.
    if (period == 0)
        return {};
    return (-amplitude.scaledValue) * sign * float(2 * firstSwing) / float(period);
}

int CEffectShake::begin(const Vector3D& startAmplitude, const Vector3D& endAmplitude, uint32_t period_,
                        uint32_t mode_, uint32_t duration, int32_t easing, int32_t swingEasing_)
{
    // Every swing, the first one too, eases with the given curve.
    swingEasing = swingEasing_;
    timeline.set(0.0f, 1.0f, duration, 0);
    amplitude.set(startAmplitude, endAmplitude, duration, easing);
    period = period_;
    if (period != 0)
    {
        const uint32_t rest = duration % period;
        firstSwing = (rest != 0 ? rest : period) / 2;
        amplitude.setTime(float(firstSwing));
        setSwing(Vector3D(), shortSwingEnd(), firstSwing);
        amplitude.setTime(0.0f);
    }
    else
    {
        setSwing(amplitude.scaledValue, -amplitude.scaledValue, 0);
    }
    mode = mode_;
    done = 0;
    return 0;
}

bool CEffectShake::startReturnIfDue()
{
    if (float(firstSwing) < remaining())
        return false;
    done = 1;
    setSwing(swing.scaledValue, Vector3D(), toWholeMilliseconds(remaining()));
    return true;
}

void CEffectShake::update()
{
    timeline.update();
    amplitude.update();
    swing.update();
    if (done == 1)
        return;
    startReturnIfDue();
    if (done == 0 && !swing.active)
    {
        sign = -sign;
        if (float(firstSwing + period) >= remaining())
            setSwing(swing.scaledValue, shortSwingEnd(), period);
        else
            setSwing(amplitude.scaledValue * sign, (-amplitude.scaledValue) * sign, period);
    }
}

const Vector3D& CEffectShake::getOffset() const
{
    return mode != 0 ? swing.scaledValue : swing.to;
}

void CEffectShake::placeInPattern(float t, uint32_t& index, float& local, bool reciprocal) const
{
    const float d = timeline.duration, h = float(firstSwing), p = float(period);
    const float perPeriod = 1.0f / p;
    t = std::fmin(std::fmax(t, 0.0f), d);
    auto swings = [&](float span) { return reciprocal ? toWholeMilliseconds(span * perPeriod) : toWholeMilliseconds(span / p); };
    if (firstSwing == 0)
    {
        index = swings(t);
        local = reciprocal ? std::fmod(t, p) : 0.0f;
        return;
    }
    const uint32_t n = reciprocal ? swings(float(toWholeMilliseconds(d - 2.0f * h)))
                                  : toWholeMilliseconds(d - 2.0f * h) / period;
    if (t <= h)
        index = 0, local = t;
    else if (t >= d - h)
        index = n + 1, local = t - (d - h);
    else
        index = swings(t - h), local = std::fmod(t - h, p);
}

void CEffectShake::setTimer(const float& t)
{
    if (period == 0 || timeline.duration == 0.0f)
        return;
    timeline.setTime(t);
    amplitude.setTime(t);
    uint32_t index = 0;
    float local = 0.0f;
    placeInPattern(t, index, local, false);
    sign = index % 2 == 0 ? 1.0f : -1.0f;
    swing.setTime(local);
    if (startReturnIfDue())
    {
        swing.setTime(local);
        return;
    }
    done = 0;
    if (float(firstSwing + period) >= remaining())
    {
        setSwing(swing.scaledValue, shortSwingEnd(), period);
        swing.setTime(local);
        return;
    }
    amplitude.setTime(float(firstSwing));
    setSwing(Vector3D(), shortSwingEnd(), firstSwing);
    amplitude.setTime(t);
}

void CEffectShake::setTimeScale(float scaling)
{
    timeline.timeScale = scaling;
    amplitude.timeScale = scaling;
    swing.timeScale = scaling;
}

int CEffectShake::save(CFile& file) const
{
    CChunkWriter chunk(file);
    const bool ok = chunk.marker() && timeline.write(file) && chunk.marker() && amplitude.write(file) &&
                    chunk.marker() && swing.write(file) && chunk.fieldDword(mode) &&
                    chunk.fieldDword(uint32_t(swingEasing)) && chunk.fieldFloat(sign) && chunk.fieldDword(done) &&
                    chunk.fieldDword(period) && chunk.fieldDword(firstSwing);
    return chunk.close() && ok ? 1 : 0;
}

int CEffectShake::load(CFile& file)
{
    CChunkReader chunk(file);
    uint32_t easing = 0;
    chunk.marker() && chunk.check(timeline.read(file)) && chunk.marker() && chunk.check(amplitude.read(file)) &&
        chunk.marker() && chunk.check(swing.read(file)) && chunk.fieldDword(mode) && chunk.fieldDword(easing) &&
        chunk.fieldFloat(sign) && chunk.fieldDword(done) && chunk.fieldDword(period) && chunk.fieldDword(firstSwing);
    if (chunk.ok())
        swingEasing = int32_t(easing);
    return chunk.finish();
}

} // namespace Orvane
