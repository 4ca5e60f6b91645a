#include "sprite/CEffectRandomShake.h"

#include "core/CChunkReader.h"
#include "core/CChunkWriter.h"
#include "core/SaveFunctions.h"

namespace Orvane
{

using Kavro::Vector3D;

CEffectRandomShake::CEffectRandomShake()
{
    type = 2;
}

Vector3D CEffectRandomShake::randomTarget()
{
    const Vector3D a = amplitude.scaledValue;
    const float x = a.x * random.GetFloat(-1.0f, 1.0f);
    const float y = a.y * random.GetFloat(-1.0f, 1.0f);
    const float z = a.z * random.GetFloat(-1.0f, 1.0f);
    return {x, y, z};
}

Vector3D CEffectRandomShake::nextTarget(float left)
{
    Vector3D target = randomTarget();
    if (float(firstSwing + period) >= left)
        target = period == 0 ? Vector3D() : target * float(firstSwing) / float(period);
    return target;
}

int CEffectRandomShake::begin(const Vector3D& startAmplitude, const Vector3D& endAmplitude, uint32_t period_,
                              uint32_t mode_, uint32_t duration, int32_t easing, int32_t swingEasing_)
{
    swingEasing = swingEasing_;
    timeline.set(0.0f, 1.0f, duration, 0);
    amplitude.set(startAmplitude, endAmplitude, duration, easing);
    const Vector3D target = randomTarget();
    if (period_ != 0)
        firstSwing = duration % period_;
    setSwing(swing.scaledValue, target, period_);
    period = period_;
    mode = mode_;
    done = 0;
    return 0;
}

void CEffectRandomShake::update()
{
    timeline.update();
    amplitude.update();
    swing.update();
    if (done == 0)
        startReturnIfDue();
    // Once back at rest there is no further swing.
    if (swing.active || done == 1)
        return;
    setSwing(swing.scaledValue, nextTarget(remaining()), toWholeMilliseconds(swing.duration));
}

void CEffectRandomShake::setTimer(const float& t)
{
    if (period == 0 || timeline.duration == 0.0f)
        return;
    uint32_t index = 0, previousIndex = 0;
    float local = 0.0f, previousLocal = 0.0f;
    placeInPattern(t, index, local, true);
    placeInPattern(timeline.elapsed, previousIndex, previousLocal, true);
    timeline.setTime(t);
    amplitude.setTime(t);
    if (index != previousIndex)
    {
        const uint32_t left = toWholeMilliseconds(remaining());
        if (left <= firstSwing)
        {
            done = 1;
            setSwing(swing.scaledValue, Vector3D(), left);
        }
        else
        {
            done = 0;
            setSwing(swing.scaledValue, nextTarget(float(left)), toWholeMilliseconds(swing.duration));
        }
    }
    swing.setTime(local);
}

int CEffectRandomShake::save(CFile& file) const
{
    if (!CEffectShake::save(file))
        return 0;
    CChunkWriter chunk(file);
    const bool ok = chunk.marker() && SaveRandomState(file, random);
    return chunk.close() && ok ? 1 : 0;
}

int CEffectRandomShake::load(CFile& file)
{
    if (!CEffectShake::load(file))
        return 0;
    CChunkReader chunk(file);
    chunk.marker() && chunk.check(LoadRandomState(file, random) != 0);
    return chunk.finish();
}

} // namespace Orvane
