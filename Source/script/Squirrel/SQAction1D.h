#pragma once

#include "core/CTaskObject.h"
#include "curve/CInterpolator.h"

#include <cstdint>

namespace Orvane::Squirrel
{

// A free-standing animated number for scripts: a value eased from a source to a destination over a
// time in milliseconds, times a power factor, advanced once per frame by its task.
class SQAction1D : public CTaskObject
{
public:
    explicit SQAction1D(const char* name) : CTaskObject(name) {}

    int update() override;

    // A tempo outside 0..60 becomes 0; a time of 0 lands on the destination at once.
    void setAction(float source, float destination, int time, int tempo);
    // 1 when it was active and jumped to the destination, else 0.
    int finish();
    void resetNow();
    void resetTimer();
    // The time is limited to 0..action time; a positive action time makes the action active.
    void setTimer(int time);
    float getTimer() { return action.elapsed; }
    void setActionTime(int time);
    float getActionTime() { return action.duration; }
    void setSrc(float value);
    void setDst(float value);
    void setNow(float value);
    float getSrc() { return action.from; }
    float getDst() { return action.to; }
    float getNow() { return action.scaledValue; }
    float getNowNoPower() { return action.value; }
    float getRate() { return action.elapsed / action.duration; }
    // Also 1 in the frame in which the action ended, so a script polling once per frame sees the
    // final value before the action reports itself finished.
    int isActive() { return action.active || wasActive ? 1 : 0; }
    void setActive(int active) { action.active = uint32_t(active); }
    void setPower(float power);
    float getPower() { return action.valueScale; }
    void setTempo(int tempo);
    float getTimeScale() { return action.timeScale; }
    void setTimeScale(float scale) { action.timeScale = scale; }
    int getTempo() { return action.easing; }

    const CInterpolator<float>& getAction() const { return action; }

    static void registerClass();

private:
    // The eased value at the current time, when active.
    void evaluateIfActive();

    CInterpolator<float> action;
    uint32_t wasActive = 0;
};

} // namespace Orvane::Squirrel
