#pragma once

#include "core/CObject.h"

#include <cstdint>
#include <deque>
#include <string>

namespace Orvane
{

class CModelFaceActionOwner;
class CModelFaceEffect;
class CModelFocus;
class CModelFocusEye;
class CModelFocusFace;

// The character's head focus, eye focus and face effect, each played from a queue of timed keys: a key
// waits, then eases its value to its target; the next key starts one step after the ease ended, and after the
// last key the value holds. The viewer to focus on is the scene camera.
class CModelFaceActionManager : public CObject
{
public:
    struct FocusKey
    {
        float target = 0.0f;
        float duration = 0.0f;
        uint32_t easing = 0;
        float wait = 0.0f;
    };
    struct EffectKey
    {
        std::string name;
        float value = 0.0f;
        float duration = 0.0f;
        uint32_t easing = 0;
        float wait = 0.0f;
    };

    explicit CModelFaceActionManager(CModelFaceActionOwner* owner);
    ~CModelFaceActionManager() override;

    // Empties every queue; the values stay where they stand.
    void reset();
    void clearFocusFace();
    void clearFocusEye();
    void clearFaceEffect();
    // A key that is the only one in its queue starts at once.
    void addFocusFace(float durationMs, float target, uint32_t easing, float waitMs);
    void addFocusEye(float durationMs, float target, uint32_t easing, float waitMs);
    void addFaceEffect(const std::string& name, float durationMs, float value, uint32_t easing, float waitMs);
    // The model's time scale for every wait and every ease.
    void setTimeScale(float scale);

    // Time step: the camera's position becomes the target, then the head, eye and effect queues.
    void step();
    // Render side: head turn, eye offset, then the effect to the scene model.
    void update();

    float getFocusEyeTimer();
    float getFocusFaceTimer();
    void setFocusEyeTimer(float ms);
    void setFocusFaceTimer(float ms);

    int32_t eyeIndex = -1;
    std::deque<FocusKey> eyeKeys;
    CModelFocusEye* eyeFocus;
    int32_t faceIndex = -1;
    std::deque<FocusKey> faceKeys;
    CModelFocusFace* faceFocus;
    int32_t effectIndex = -1;
    std::deque<EffectKey> effectKeys;
    CModelFaceEffect* effect;
    CModelFaceActionOwner* owner; // not counted

private:
    static void addFocus(std::deque<FocusKey>& keys, int32_t& index, CModelFocus& focus, const FocusKey& key);
    static void stepFocus(std::deque<FocusKey>& keys, int32_t& index, CModelFocus& focus, float d);
    static float focusTimer(const std::deque<FocusKey>& keys, int32_t index, const CModelFocus& focus);
    static void seekFocus(const std::deque<FocusKey>& keys, int32_t& index, CModelFocus& focus, float ms);
};

} // namespace Orvane
