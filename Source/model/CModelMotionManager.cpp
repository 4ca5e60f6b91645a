#include "model/CModelMotionManager.h"

#include "model/CModel.h"

#include <kavro/ISceneModel.h>

namespace Orvane
{

CModelMotionManager::CModelMotionManager(CModel* model) : model(model), stack(new CModelMotionStack)
{
}

CModelMotionManager::~CModelMotionManager()
{
    clear();
    stack->release();
}

Kavro::ISceneModel* CModelMotionManager::scene() const
{
    return model ? model->getSceneModel() : nullptr;
}

void CModelMotionManager::play(int32_t motion)
{
    if (motion == current)
        return;
    Kavro::ISceneModel* s = scene();
    if (current >= 0 && s)
        s->detachMotion(current);
    current = motion;
    if (current >= 0 && s)
        s->attachMotion(current);
}

void CModelMotionManager::clear()
{
    Kavro::ISceneModel* s = scene();
    if (current != -1)
    {
        if (current >= 0 && s)
            s->detachMotion(current);
        current = -1;
    }
    elapsedMs = 0.0f;
    if (s)
        for (const MotionEntry& entry : stack->entries)
            s->detachMotion(entry.motion);
    stack->index = 0;
    stack->entries.clear();
}

void CModelMotionManager::push(int32_t motion, int32_t durationMs)
{
    if (Kavro::ISceneModel* s = scene())
        s->attachMotion(motion);
    stack->entries.push_back({motion, durationMs, 0});
}

void CModelMotionManager::start(uint32_t i)
{
    play(stack->entries[i].motion);
    elapsedMs = 0.0f;
    if (Kavro::ISceneModel* s = scene())
    {
        s->setMotionBlendRate(1.0f);
        s->startMotion(current);
    }
}

void CModelMotionManager::step(const float& dtMs)
{
    Kavro::ISceneModel* s = scene();
    std::vector<MotionEntry>& entries = stack->entries;
    if (s && stack->index < entries.size())
    {
        const MotionEntry& entry = entries[stack->index];
        bool due;
        if (entry.durationMs >= 0)
        {
            elapsedMs += dtMs;
            due = elapsedMs > float(entry.durationMs);
        }
        else
        {
            due = s->isMotionEnd(current) != 0;
        }
        if (due)
        {
            start(stack->index);
            ++stack->index;
            if (stack->index < entries.size() && entries[stack->index].motion == -1)
                stack->index = 0;
        }
    }
    if (current >= 0 && s)
        s->advanceMotion(current, dtMs);
}

void CModelMotionManager::setActiveIndex(const int32_t& i)
{
    stack->index = uint32_t(i);
    // Unsigned, so 0 (and any negative index) starts nothing.
    const uint32_t previous = uint32_t(i) - 1u;
    if (!stack->entries.empty() && previous < stack->entries.size())
        start(previous);
}

int32_t CModelMotionManager::pendingCount() const
{
    const size_t size = stack->entries.size();
    if (size <= 1)
        return 0;
    return int32_t(size) - int32_t(stack->index);
}

int32_t CModelMotionManager::hasPending() const
{
    return !stack->entries.empty() && stack->index < stack->entries.size() ? 1 : 0;
}

} // namespace Orvane
