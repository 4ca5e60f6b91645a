#include "model/CModelCharacter.h"

#include "core/CApp.h"
#include "core/CFile.h"
#include "model/CModelFace.h"
#include "model/CModelFaceActionManager.h"
#include "sound/CSound.h"

#include <kavro/ISceneFrame.h>
#include <kavro/ISceneModel.h>

#include <algorithm>

namespace Orvane
{

namespace
{

constexpr float MillisecondsPerFrame = 16.666666f;

// The model's step in milliseconds, as the model's own time step takes it.
float sequenceStep(float timeScale)
{
    const CApp* app = CApp::get();
    if (!app)
        return 0.0f;
    const float dt = timeScale * app->frameSpeed * MillisecondsPerFrame;
    return std::clamp(dt, 0.0f, std::max(app->frameTimeCap, 0.0f));
}

} // namespace

CModelCharacter::CModelCharacter(const std::string& name) : CModel(name)
{
    faceActions = new CModelFaceActionManager(this);
}

CModelCharacter::~CModelCharacter()
{
    faceActions->release();
    faceActions = nullptr;
    if (face)
        face->release();
    face = nullptr;
    if (voice)
        voice->release();
    voice = nullptr;
    releaseFrames();
}

// ---- Model operations

int CModelCharacter::render()
{
    CModel::render();
    if (face)
        face->update();
    faceActions->update();
    return 0;
}

int CModelCharacter::advanceTime(const Kavro::Matrix4x4* matrix)
{
    if (face)
    {
        CAddFace* sequence = face->getSequence();
        if (sequence->index < sequence->count)
            face->sequenceTime += sequenceStep(timeScale);
        if (!face->isChanging())
            face->stepFaceSequence();
        const bool speaking = voice && voice->isPlaying() != 0 && voice->isPaused() == 0;
        face->stepVoiceMouth(speaking ? voice->getPulse() : 0.0f);
        face->stepChange();
        if (mouseWeightEnable)
            face->setMouthWeight(mouseWeight);
        if (eyeWeightEnable)
            face->setEyeWeight(eyeWeight);
    }
    CModel::advanceTime(matrix);
    faceActions->step();
    return 0;
}

void CModelCharacter::setTimeScale(float scale)
{
    CModel::setTimeScale(scale);
    faceActions->setTimeScale(timeScale);
}

int CModelCharacter::save(CFile* file)
{
    if (!file)
        return 0;
    const int64_t start = file->getFilePosition();
    file->writeDword(uint32_t(start));
    file->writeDword(uint32_t(file->getFilePosition()));
    const int result = face ? face->save(file) : 0;
    const int64_t end = file->getFilePosition();
    file->seekStart(start);
    file->writeDword(uint32_t(end));
    file->seekStart(end);
    return result;
}

int CModelCharacter::load(CFile* file)
{
    if (!file)
        return 0;
    uint32_t end = 0;
    if (file->readDword(end) != 1)
        return 0;
    const int64_t markAt = file->getFilePosition();
    // An end inside the record's own words or beyond the file is damage: never seek there.
    if (markAt < 0 || int64_t(end) < markAt + 4 || end > file->getFileSize())
        return 0;
    uint32_t mark = 0;
    const bool ok = file->readDword(mark) == 1 && int64_t(mark) == markAt && face && face->load(file) == 1;
    if (!ok || file->getFilePosition() != int64_t(end))
        file->seekStart(end);
    return ok ? 1 : 0;
}

void CModelCharacter::renewFace()
{
    if (face)
        face->release();
    face = new CModelFace(this);
    refreshFrames();
}

int CModelCharacter::setModelResource(Kavro::IModelResource* res)
{
    if (CModel::setModelResource(res) < 0)
        return -1;
    renewFace();
    return 0;
}

int CModelCharacter::loadModel(const std::string& path)
{
    if (CModel::loadModel(path) < 0)
        return -1;
    renewFace();
    return 0;
}

int CModelCharacter::setSceneModel(Kavro::ISceneModel* scene)
{
    if (CModel::setSceneModel(scene) < 0)
        return -1;
    refreshFrames();
    return 0;
}

// ---- Face

void CModelCharacter::initFace(const std::string& eyeChannel, const std::string& mouthChannel)
{
    if (!face)
        return;
    face->eyeChannel = eyeChannel;
    face->mouthChannel = mouthChannel;
}

void CModelCharacter::makeFace(const std::string& name, const std::string& a, const std::string& b,
                               const std::string& c, const std::string& d)
{
    if (face)
        face->makeFace(name, FaceDefinition{b, a, d, c, 0.15f});
}

void CModelCharacter::setChangeFaceSpeed(const std::string& name, uint32_t ms)
{
    FaceDefinition* definition = face ? face->findFace(name) : nullptr;
    if (definition)
        definition->changeSpeed = ms == 0 ? 0.0f : 16.666666f / float(ms);
}

void CModelCharacter::setFace(const std::string& name)
{
    if (!face)
        return;
    face->getSequence()->clear();
    face->changeFace(name);
}

void CModelCharacter::addFace(const std::string& name, int32_t ms)
{
    if (face)
        face->getSequence()->add(name, ms);
}

// ---- Face actions

void CModelCharacter::focusFace(uint32_t timeMs, float target, int32_t easing, uint32_t waitMs)
{
    faceActions->clearFocusFace();
    addFocusFace(timeMs, target, easing, waitMs);
}

void CModelCharacter::addFocusFace(uint32_t timeMs, float target, int32_t easing, uint32_t waitMs)
{
    faceActions->addFocusFace(float(timeMs), target, uint32_t(easing), float(waitMs));
}

void CModelCharacter::focusEye(const float& timeMs, const float& target, const int32_t& easing, const float& waitMs)
{
    faceActions->clearFocusEye();
    addFocusEye(timeMs, target, easing, waitMs);
}

void CModelCharacter::addFocusEye(const float& timeMs, const float& target, const int32_t& easing,
                                  const float& waitMs)
{
    faceActions->addFocusEye(timeMs, target, uint32_t(easing), waitMs);
}

void CModelCharacter::faceLookAt(float, float, float)
{
}

void CModelCharacter::faceEffect(const std::string& name, uint32_t timeMs, float value, int32_t easing,
                                 uint32_t waitMs)
{
    faceActions->clearFaceEffect();
    addFaceEffect(name, timeMs, value, easing, waitMs);
}

void CModelCharacter::addFaceEffect(const std::string& name, uint32_t timeMs, float value, int32_t easing,
                                    uint32_t waitMs)
{
    faceActions->addFaceEffect(name, float(timeMs), value, uint32_t(easing), float(waitMs));
}

float CModelCharacter::getFocusEyeTimer()
{
    return faceActions->getFocusEyeTimer();
}

float CModelCharacter::getFocusFaceTimer()
{
    return faceActions->getFocusFaceTimer();
}

void CModelCharacter::setFocusEyeTimer(const float& ms)
{
    faceActions->setFocusEyeTimer(ms);
}

void CModelCharacter::setFocusFaceTimer(const float& ms)
{
    faceActions->setFocusFaceTimer(ms);
}

// ---- Weights and voice

void CModelCharacter::setMouseWeightEnable(const int32_t& on)
{
    mouseWeightEnable = on;
}

void CModelCharacter::setMouseWeight(const float& weight)
{
    mouseWeight = weight;
}

void CModelCharacter::setEyeWeightEnable(const int32_t& on)
{
    eyeWeightEnable = on;
}

void CModelCharacter::setEyeWeight(const float& weight)
{
    eyeWeight = weight;
}

void CModelCharacter::setVoice(CSound* sound)
{
    if (sound)
        sound->addRef();
    if (voice)
        voice->release();
    voice = sound;
}

// ---- Frames

Kavro::ISceneFrame* CModelCharacter::setFrameName(FrameRole role, const std::string& name)
{
    frameNames[role] = name;
    Kavro::ISceneFrame* found = findFrame(name.c_str());
    if (found)
        found->addRef();
    if (frames[role])
        frames[role]->release();
    frames[role] = found;
    return found;
}

Kavro::ISceneFrame* CModelCharacter::setFrameName_EyeL(const std::string& name)
{
    return setFrameName(EyeL, name);
}

Kavro::ISceneFrame* CModelCharacter::setFrameName_EyeR(const std::string& name)
{
    return setFrameName(EyeR, name);
}

Kavro::ISceneFrame* CModelCharacter::setFrameName_Head(const std::string& name)
{
    return setFrameName(Head, name);
}

Kavro::ISceneFrame* CModelCharacter::setFrameName_SpineRoot(const std::string& name)
{
    return setFrameName(SpineRoot, name);
}

void CModelCharacter::refreshFrames()
{
    setFrameName_EyeL(frameNames[EyeL]);
    setFrameName_EyeR(frameNames[EyeR]);
    setFrameName_Head(frameNames[Head]);
    setFrameName_SpineRoot(frameNames[SpineRoot]);
}

void CModelCharacter::releaseFrames()
{
    for (Kavro::ISceneFrame*& frame : frames)
    {
        if (frame)
            frame->release();
        frame = nullptr;
    }
}

} // namespace Orvane
