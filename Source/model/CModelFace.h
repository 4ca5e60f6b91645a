#pragma once

#include "core/CObject.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace Orvane
{

class CFile;
class CModel;

// A timed list of faces to show one after the other; the name "LOOP" sends it back to its first entry.
class CAddFace : public CObject
{
public:
    void clear();
    void add(const std::string& name, int32_t ms);
    // Entries that can be played: never more than both lists hold, whatever count says.
    uint32_t playable() const;

    uint32_t index = 0;
    uint32_t count = 0;
    std::vector<std::string> names;
    std::vector<int32_t> times;
};

// One named face: the morph targets of the eye and mouth channels while it is shown.
struct FaceDefinition
{
    std::string eyeBlinkMorph;
    std::string eyeRestMorph;
    std::string mouthRestMorph;
    std::string mouthOpenMorph;
    // Progress per frame-speed unit of a change to this face; 0 changes at once.
    float changeSpeed = 0.0f;
};

// A face over two morph channels of its owner's scene model (eyes and mouth): named faces, timed changes
// between them, a face sequence, a random blink, a mouth that follows a voice level and manual weights.
// It asks its owner only for the scene model and the time scale.
class CModelFace : public CObject
{
public:
    static constexpr int BlinkTableSize = 20;

    explicit CModelFace(CModel* owner);
    ~CModelFace() override;

    // Keeps an existing definition of that name.
    void makeFace(const std::string& name, const FaceDefinition& definition);
    FaceDefinition* findFace(const std::string& name);
    // -2, keeping the stored target, when the scene model refuses the morph (or there is none).
    int setEyeMorph(int index, const std::string& morph);
    int setMouthMorph(int index, const std::string& morph);
    void changeFace(const std::string& name);

    // Time-step operations.
    int stepFaceSequence();
    void stepChange();
    void stepBlink();
    void stepVoiceMouth(float level);
    void setMouthWeight(float weight);
    void setEyeWeight(float weight);
    // Render side: the channel weights to the scene model.
    void update();

    // The face record: 1 on success, 0 on failure; a reader always ends at the record's end when the
    // stored end is usable.
    int save(CFile* file);
    int load(CFile* file);

    CAddFace* getSequence() const { return sequence; }
    bool isChanging() const { return changing != 0; }

    CAddFace* sequence;
    std::string eyeChannel;
    std::string eyeTargets[2];
    std::string mouthChannel;
    std::string mouthTargets[2];
    std::map<std::string, FaceDefinition> faces;
    CModel* owner; // not counted
    std::string currentFace;
    float changeSpeed = 0.15f;
    float eyeProgress = 0.0f;
    float mouthProgress = 0.0f;
    float blinkWeight = 0.0f;
    float mouthWeight = 0.0f;
    float blinkSpeed = 0.25f;
    float mouthSpeed = 0.05f;
    float mouthAmplitude = 1.0f;
    uint32_t blinkTable[BlinkTableSize];
    uint32_t lastBlinkTime = 0;
    uint32_t blinkInterval = 0;
    uint32_t blinking = 0;
    uint32_t changing = 0;
    float sequenceTime = 0.0f;

private:
    int setChannelMorph(const std::string& channel, std::string* targets, int index, const std::string& morph);
    void pushWeight(const std::string& channel, float weight);
    float timeScale() const;
    // Draws the next wait from the table with a generator seeded by now.
    void restartBlinkTimer(uint32_t now);
};

} // namespace Orvane
