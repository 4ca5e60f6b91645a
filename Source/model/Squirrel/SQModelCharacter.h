#pragma once

#include "model/CModelCharacter.h"
#include "model/Squirrel/SQModel.h"

#include <cstdint>
#include <vector>

namespace Orvane::Squirrel
{

// The script class "SQModelCharacter": the model methods over a character, its face, focus, face-effect,
// frame, mouth and voice methods, and lip timelines (times and mouth weights stepped on the core's clock).
class SQModelCharacter : public SQModel
{
public:
    struct LipKey
    {
        float time = 0.0f; // seconds from the start
        float weight = 0.0f;
    };

    explicit SQModelCharacter(const char* name);
    ~SQModelCharacter() override;

    // The lip timeline, then the character's time step.
    int update() override;

    void initFace(const char* eyeChannel, const char* mouthChannel);
    void makeFace(const char* name, const char* a, const char* b, const char* c, const char* d);
    void setChangeFaceSpeed(const char* name, int ms);
    void setFace(const char* name);
    void addFace(const char* name, int ms);
    void focusFace(float target, int timeMs, int easing, int waitMs);
    void addFocusFace(float target, int timeMs, int easing, int waitMs);
    void focusEye(float target, int timeMs, int easing, int waitMs);
    void addFocusEye(float target, int timeMs, int easing, int waitMs);
    void faceLookAt(float x, float y, float z);
    void faceEffect(const char* name, float value, int timeMs, int easing, int waitMs);
    void addFaceEffect(const char* name, float value, int timeMs, int easing, int waitMs);
    float getFocusEyeTimer();
    float getFocusFaceTimer();
    void setFocusEyeTimer(float ms);
    void setFocusFaceTimer(float ms);
    void setFrameName_EyeL(const char* name);
    void setFrameName_EyeR(const char* name);
    void setFrameName_Head(const char* name);
    void setFrameName_SpineRoot(const char* name);
    // Turns the mouth weight on: it wins over the voice until a voice is set again.
    void setMouseWeight(float weight);
    // A file that cannot be read, or is damaged, leaves the running timeline as it was.
    void loadLipTimeline(const char* path);
    // A sound object's sound by name; "", an unknown name or any other object clears the voice.
    void setVoice(const char* objectName);

    CModelCharacter* getCharacter() const { return character; }
    const std::vector<LipKey>& getLipKeys() const { return lipKeys; }

    static void registerClass();

private:
    // Applies the key the clock has reached; the step that applies the last key ends the timeline. True then.
    bool stepLipTimeline();

    CModelCharacter* character;
    std::vector<LipKey> lipKeys;
    uint64_t lipStart = 0; // the core's clock when the timeline started, ms
    uint32_t lipIndex = 0;
};

} // namespace Orvane::Squirrel
