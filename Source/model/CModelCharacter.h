#pragma once

#include "model/CModel.h"
#include "model/CModelFaceActionOwner.h"

#include <cstdint>
#include <string>

namespace Orvane
{

class CModelFace;
class CModelFaceActionManager;
class CSound;

// A model with a face (two morph channels, named faces, blink, a mouth that follows a voice) and face actions
// (head and eyes toward the camera, face effects). It knows four frames of its skeleton by name.
class CModelCharacter : public CModel, public CModelFaceActionOwner
{
public:
    enum FrameRole
    {
        EyeL,
        EyeR,
        Head,
        SpineRoot,
        FrameRoleCount
    };

    explicit CModelCharacter(const std::string& name);
    ~CModelCharacter() override;

    int render() override;
    int advanceTime(const Kavro::Matrix4x4* matrix) override;
    void setTimeScale(float scale) override;
    int save(CFile* file) override;
    int load(CFile* file) override;
    // A model that loads gets a fresh face; the voice, weights, switches, names and queues stay.
    int setModelResource(Kavro::IModelResource* res) override;
    int loadModel(const std::string& path) override;
    // Every new scene model has its own frames: the four are looked up again.
    int setSceneModel(Kavro::ISceneModel* scene) override;
    Kavro::ISceneModel* getSceneModel() override { return CModel::getSceneModel(); }

    virtual void initFace(const std::string& eyeChannel, const std::string& mouthChannel);
    virtual void makeFace(const std::string& name, const std::string& a, const std::string& b, const std::string& c,
                          const std::string& d);
    virtual void setChangeFaceSpeed(const std::string& name, uint32_t ms);
    virtual void setFace(const std::string& name);
    virtual void addFace(const std::string& name, int32_t ms);
    virtual void focusFace(uint32_t timeMs, float target, int32_t easing, uint32_t waitMs);
    virtual void addFocusFace(uint32_t timeMs, float target, int32_t easing, uint32_t waitMs);
    virtual void focusEye(const float& timeMs, const float& target, const int32_t& easing, const float& waitMs);
    virtual void addFocusEye(const float& timeMs, const float& target, const int32_t& easing, const float& waitMs);
    virtual void faceLookAt(float x, float y, float z);
    virtual void faceEffect(const std::string& name, uint32_t timeMs, float value, int32_t easing, uint32_t waitMs);
    virtual void addFaceEffect(const std::string& name, uint32_t timeMs, float value, int32_t easing,
                               uint32_t waitMs);
    virtual void setMouseWeightEnable(const int32_t& on);
    virtual void setMouseWeight(const float& weight);
    virtual void setEyeWeightEnable(const int32_t& on);
    virtual void setEyeWeight(const float& weight);
    // Holds the sound with a reference; null clears the voice.
    virtual void setVoice(CSound* sound);
    virtual Kavro::ISceneFrame* setFrameName_EyeL(const std::string& name);
    virtual Kavro::ISceneFrame* setFrameName_EyeR(const std::string& name);
    virtual Kavro::ISceneFrame* setFrameName_Head(const std::string& name);
    virtual Kavro::ISceneFrame* setFrameName_SpineRoot(const std::string& name);
    virtual const std::string& getFrameName_EyeL() { return frameNames[EyeL]; }
    virtual const std::string& getFrameName_EyeR() { return frameNames[EyeR]; }
    virtual const std::string& getFrameName_Head() { return frameNames[Head]; }
    virtual const std::string& getFrameName_SpineRoot() { return frameNames[SpineRoot]; }
    Kavro::ISceneFrame* getFrame_EyeL() override { return frames[EyeL]; }
    Kavro::ISceneFrame* getFrame_EyeR() override { return frames[EyeR]; }
    Kavro::ISceneFrame* getFrame_Head() override { return frames[Head]; }
    Kavro::ISceneFrame* getFrame_SpineRoot() override { return frames[SpineRoot]; }
    virtual void refreshFrames();
    virtual CModelFace* getFace() { return face; }
    virtual float getFocusEyeTimer();
    virtual float getFocusFaceTimer();
    virtual void setFocusEyeTimer(const float& ms);
    virtual void setFocusFaceTimer(const float& ms);

    CModelFaceActionManager* getFaceActions() const { return faceActions; }
    CSound* getVoice() const { return voice; }
    int32_t getMouseWeightEnable() const { return mouseWeightEnable; }
    float getMouseWeight() const { return mouseWeight; }

private:
    // Stores the name and holds a reference on the frame of that name (null when there is none).
    Kavro::ISceneFrame* setFrameName(FrameRole role, const std::string& name);
    void releaseFrames();
    void renewFace();

    CModelFace* face = nullptr;
    CModelFaceActionManager* faceActions = nullptr;
    int32_t mouseWeightEnable = 0;
    float mouseWeight = 0.0f;
    int32_t eyeWeightEnable = 0;
    float eyeWeight = 0.0f;
    CSound* voice = nullptr;
    std::string frameNames[FrameRoleCount] = {"eye_L1", "eye_R1", "Bip01Head", ""};
    // Each held with a reference: a frame outlives the scene model it came from.
    Kavro::ISceneFrame* frames[FrameRoleCount] = {};
};

} // namespace Orvane
