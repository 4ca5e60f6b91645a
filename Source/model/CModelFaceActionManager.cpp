#include "model/CModelFaceActionManager.h"

#include "core/CApp.h"
#include "model/CModelFaceActionOwner.h"
#include "model/CModelFaceEffect.h"
#include "model/CModelFocusEye.h"
#include "model/CModelFocusFace.h"

#include <kavro/ICamera.h>
#include <kavro/ISceneManager.h>
#include <kavro/ISceneModel.h>

#include <algorithm>

namespace Orvane
{

namespace
{

constexpr float MillisecondsPerFrame = 16.666666f;

float frameStep()
{
    CApp* app = CApp::get();
    return app ? app->frameSpeed * MillisecondsPerFrame : 0.0f;
}

} // namespace

CModelFaceActionManager::CModelFaceActionManager(CModelFaceActionOwner* owner)
    : eyeFocus(new CModelFocusEye(owner)), faceFocus(new CModelFocusFace(owner)), effect(new CModelFaceEffect),
      owner(owner)
{
    reset();
}

CModelFaceActionManager::~CModelFaceActionManager()
{
    effect->release();
    faceFocus->release();
    eyeFocus->release();
}

void CModelFaceActionManager::reset()
{
    clearFocusEye();
    clearFocusFace();
    clearFaceEffect();
}

void CModelFaceActionManager::clearFocusFace()
{
    faceKeys.clear();
    faceIndex = -1;
    faceFocus->running = 0;
}

void CModelFaceActionManager::clearFocusEye()
{
    eyeKeys.clear();
    eyeIndex = -1;
    eyeFocus->running = 0;
}

void CModelFaceActionManager::clearFaceEffect()
{
    effectKeys.clear();
    effectIndex = -1;
    effect->active = 0;
}

void CModelFaceActionManager::addFocus(std::deque<FocusKey>& keys, int32_t& index, CModelFocus& focus,
                                       const FocusKey& key)
{
    keys.push_back(key);
    if (keys.size() != 1)
        return;
    index = 0;
    focus.start(key.target, key.duration, key.easing, key.wait);
}

void CModelFaceActionManager::addFocusFace(float durationMs, float target, uint32_t easing, float waitMs)
{
    addFocus(faceKeys, faceIndex, *faceFocus, FocusKey{target, durationMs, easing, waitMs});
}

void CModelFaceActionManager::addFocusEye(float durationMs, float target, uint32_t easing, float waitMs)
{
    addFocus(eyeKeys, eyeIndex, *eyeFocus, FocusKey{target, durationMs, easing, waitMs});
}

void CModelFaceActionManager::addFaceEffect(const std::string& name, float durationMs, float value, uint32_t easing,
                                            float waitMs)
{
    effectKeys.push_back(EffectKey{name, value, durationMs, easing, waitMs});
    if (effectKeys.size() != 1)
        return;
    effectIndex = 0;
    effect->start(name, value, durationMs, easing, waitMs);
}

void CModelFaceActionManager::setTimeScale(float scale)
{
    for (CModelFocus* focus : {static_cast<CModelFocus*>(eyeFocus), static_cast<CModelFocus*>(faceFocus)})
    {
        focus->waitTimeScale = scale;
        focus->weight.timeScale = scale;
    }
    effect->waitTimeScale = scale;
    effect->value.timeScale = scale;
}

void CModelFaceActionManager::stepFocus(std::deque<FocusKey>& keys, int32_t& index, CModelFocus& focus, float d)
{
    if (focus.step(d))
        return;
    if (keys.empty() || size_t(index + 1) >= keys.size())
        return;
    ++index;
    const FocusKey& key = keys[size_t(index)];
    focus.start(key.target, key.duration, key.easing, key.wait);
}

void CModelFaceActionManager::step()
{
    CApp* app = CApp::get();
    Kavro::ISceneManager* scene = app ? app->sceneManager : nullptr;
    // Without a camera the focus keeps its last target.
    if (Kavro::ICamera* camera = scene ? scene->getCamera() : nullptr)
    {
        const Kavro::Vector3D position = camera->getPosition();
        camera->release();
        faceFocus->target = position;
        eyeFocus->target = position;
    }
    const float d = frameStep();
    stepFocus(faceKeys, faceIndex, *faceFocus, d);
    stepFocus(eyeKeys, eyeIndex, *eyeFocus, d);
    if (effect->step(d) || effectKeys.empty() || size_t(effectIndex + 1) >= effectKeys.size())
        return;
    ++effectIndex;
    const EffectKey& key = effectKeys[size_t(effectIndex)];
    effect->start(key.name, key.value, key.duration, key.easing, key.wait);
}

void CModelFaceActionManager::update()
{
    faceFocus->apply();
    eyeFocus->apply();
    if (effect->name.empty())
        return;
    if (Kavro::ISceneModel* scene = owner ? owner->getSceneModel() : nullptr)
    {
        scene->setFaceEffect("head_mouth", effect->name.c_str(), &effect->value.scaledValue);
        scene->setFaceEffect("head_eye", effect->name.c_str(), &effect->value.scaledValue);
    }
}

// ---- Timers

float CModelFaceActionManager::focusTimer(const std::deque<FocusKey>& keys, int32_t index, const CModelFocus& focus)
{
    if (index < 0)
        return 0.0f;
    float total = 0.0f;
    for (size_t i = 0; i < size_t(index) && i < keys.size(); ++i)
        total += keys[i].duration + keys[i].wait;
    if (focus.remainingWait > 0.0f)
        return total + focus.waitLength - focus.remainingWait;
    return total + focus.waitLength + focus.weight.elapsed;
}

void CModelFaceActionManager::seekFocus(const std::deque<FocusKey>& keys, int32_t& index, CModelFocus& focus,
                                        float ms)
{
    float start = focus.weightValue();
    float t = ms;
    size_t chosen = 0;
    while (chosen < keys.size() && t >= keys[chosen].duration + keys[chosen].wait)
    {
        t -= keys[chosen].duration + keys[chosen].wait;
        start = keys[chosen].target;
        ++chosen;
    }
    if (keys.empty())
        index = -1;
    else
    {
        // Past every key: the last one, starting from its own target.
        if (chosen == keys.size())
            chosen = keys.size() - 1;
        index = int32_t(chosen);
        const FocusKey& key = keys[chosen];
        focus.weight.set(start, start, 0, 0);
        focus.start(key.target, key.duration, key.easing, key.wait);
    }
    CInterpolator<float>& weight = focus.weight;
    focus.remainingWait = focus.waitLength;
    if (t >= focus.waitLength)
    {
        focus.remainingWait = 0.0f;
        weight.elapsed = std::clamp(t - focus.waitLength, 0.0f, weight.duration);
    }
    else
    {
        focus.remainingWait = focus.waitLength - t;
        weight.elapsed = 0.0f;
    }
    weight.active = weight.duration > 0.0f ? 1 : 0;
    if (weight.active)
        weight.evaluate();
}

float CModelFaceActionManager::getFocusEyeTimer()
{
    return focusTimer(eyeKeys, eyeIndex, *eyeFocus);
}

float CModelFaceActionManager::getFocusFaceTimer()
{
    return focusTimer(faceKeys, faceIndex, *faceFocus);
}

void CModelFaceActionManager::setFocusEyeTimer(float ms)
{
    seekFocus(eyeKeys, eyeIndex, *eyeFocus, ms);
}

void CModelFaceActionManager::setFocusFaceTimer(float ms)
{
    seekFocus(faceKeys, faceIndex, *faceFocus, ms);
}

} // namespace Orvane
