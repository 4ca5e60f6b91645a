#include "model/Squirrel/SQModelCharacter.h"

#include "core/CApp.h"
#include "core/CFile.h"
#include "core/CTask.h"
#include "model/Squirrel/SQModelMethods.h"
#include "sound/Squirrel/SQSound.h"
#include "sound/Squirrel/SQSound3D.h"

#include <kavro/ICore.h>

#include <cstring>

namespace Orvane::Squirrel
{

namespace
{

std::string text(const char* value)
{
    return value ? value : "";
}

uint64_t systemTime()
{
    CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    return core ? core->getSystemTime() : 0;
}

int32_t readInt(const uint8_t* p)
{
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

float readFloat(const uint8_t* p)
{
    const uint32_t bits = uint32_t(readInt(p));
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

SQModelCharacter::SQModelCharacter(const char* name)
    : SQModel(name, new CModelCharacter(name ? name : "")), character(static_cast<CModelCharacter*>(engine))
{
    character->addRef();
}

SQModelCharacter::~SQModelCharacter()
{
    character->release();
    character = nullptr;
}

int SQModelCharacter::update()
{
    const bool ended = stepLipTimeline();
    const int result = engine->update();
    // The step that applied the last key was the timeline's last hold on the mouth.
    if (ended)
        character->setMouseWeightEnable(0);
    return result;
}

bool SQModelCharacter::stepLipTimeline()
{
    if (lipKeys.empty())
        return false;
    // Whole milliseconds between two readings of the clock, only then in seconds: a float of the clock itself
    // cannot tell frames apart.
    const uint64_t now = systemTime();
    const float elapsed = now > lipStart ? float(now - lipStart) * 0.001f : 0.0f;
    const size_t n = lipKeys.size();
    // Before the first key the mouth is left alone.
    if (elapsed < lipKeys[0].time)
        return false;
    if (lipIndex != n - 1)
        for (size_t i = lipIndex; i + 1 < n; ++i)
            if (elapsed >= lipKeys[i].time && lipKeys[i + 1].time >= elapsed)
            {
                character->setMouseWeight(lipKeys[i].weight);
                lipIndex = uint32_t(i);
                return false;
            }
    character->setMouseWeight(lipKeys[n - 1].weight);
    lipKeys.clear();
    return true;
}

void SQModelCharacter::loadLipTimeline(const char* path)
{
    CFile file(text(path).c_str());
    if (file.load() != 0)
        return;
    const uint8_t* data = file.getLoadData();
    const uint64_t size = file.getFileSize();
    if (!data || size < 4)
        return;
    const int32_t count = readInt(data);
    if (count < 0 || size - 4 < uint64_t(count) * 8)
        return;
    lipKeys.assign(size_t(count), LipKey());
    for (size_t k = 0; k < lipKeys.size(); ++k)
    {
        lipKeys[k].time = readFloat(data + 4 + 8 * k);
        lipKeys[k].weight = readFloat(data + 8 + 8 * k);
    }
    lipIndex = 0;
    lipStart = systemTime();
    if (!lipKeys.empty())
        character->setMouseWeightEnable(1);
}

// ---- Face

void SQModelCharacter::initFace(const char* eyeChannel, const char* mouthChannel)
{
    character->initFace(text(eyeChannel), text(mouthChannel));
}

void SQModelCharacter::makeFace(const char* name, const char* a, const char* b, const char* c, const char* d)
{
    character->makeFace(text(name), text(a), text(b), text(c), text(d));
}

void SQModelCharacter::setChangeFaceSpeed(const char* name, int ms)
{
    character->setChangeFaceSpeed(text(name), uint32_t(ms));
}

void SQModelCharacter::setFace(const char* name)
{
    character->setFace(text(name));
}

void SQModelCharacter::addFace(const char* name, int ms)
{
    character->addFace(text(name), ms);
}

// ---- Focus and effects

void SQModelCharacter::focusFace(float target, int timeMs, int easing, int waitMs)
{
    character->focusFace(uint32_t(timeMs), target, easing, uint32_t(waitMs));
}

void SQModelCharacter::addFocusFace(float target, int timeMs, int easing, int waitMs)
{
    character->addFocusFace(uint32_t(timeMs), target, easing, uint32_t(waitMs));
}

void SQModelCharacter::focusEye(float target, int timeMs, int easing, int waitMs)
{
    character->focusEye(float(uint32_t(timeMs)), target, easing, float(uint32_t(waitMs)));
}

void SQModelCharacter::addFocusEye(float target, int timeMs, int easing, int waitMs)
{
    character->addFocusEye(float(uint32_t(timeMs)), target, easing, float(uint32_t(waitMs)));
}

void SQModelCharacter::faceLookAt(float x, float y, float z)
{
    character->faceLookAt(x, y, z);
}

void SQModelCharacter::faceEffect(const char* name, float value, int timeMs, int easing, int waitMs)
{
    character->faceEffect(text(name), uint32_t(timeMs), value, easing, uint32_t(waitMs));
}

void SQModelCharacter::addFaceEffect(const char* name, float value, int timeMs, int easing, int waitMs)
{
    character->addFaceEffect(text(name), uint32_t(timeMs), value, easing, uint32_t(waitMs));
}

float SQModelCharacter::getFocusEyeTimer()
{
    return character->getFocusEyeTimer();
}

float SQModelCharacter::getFocusFaceTimer()
{
    return character->getFocusFaceTimer();
}

void SQModelCharacter::setFocusEyeTimer(float ms)
{
    character->setFocusEyeTimer(ms);
}

void SQModelCharacter::setFocusFaceTimer(float ms)
{
    character->setFocusFaceTimer(ms);
}

// ---- Frames, mouth and voice

void SQModelCharacter::setFrameName_EyeL(const char* name)
{
    character->setFrameName_EyeL(text(name));
}

void SQModelCharacter::setFrameName_EyeR(const char* name)
{
    character->setFrameName_EyeR(text(name));
}

void SQModelCharacter::setFrameName_Head(const char* name)
{
    character->setFrameName_Head(text(name));
}

void SQModelCharacter::setFrameName_SpineRoot(const char* name)
{
    character->setFrameName_SpineRoot(text(name));
}

void SQModelCharacter::setMouseWeight(float weight)
{
    character->setMouseWeight(weight);
    character->setMouseWeightEnable(1);
}

void SQModelCharacter::setVoice(const char* objectName)
{
    CTask* task = getTask();
    CTaskObject* found = task && !text(objectName).empty() ? task->findTaskObject(text(objectName)) : nullptr;
    CSound* sound = nullptr;
    if (auto* plain = dynamic_cast<SQSound*>(found))
        sound = plain->getInner();
    else if (auto* positional = dynamic_cast<SQSound3D*>(found))
        sound = positional->getInner();
    character->setVoice(sound);
    // The voice takes the mouth back from the manual weight.
    if (sound)
        character->setMouseWeightEnable(0);
}

void SQModelCharacter::registerClass()
{
    using M = SQModelCharacter;
    SquirrelObject c = SqPlus::RegisterClassType<M>("SQModelCharacter");
    SqPlus::RegisterConstructor<M, const char*>(c);

    RegisterModelMethods<M>(c);

    SqPlus::RegisterInstance(c, &M::initFace, "initFace");
    SqPlus::RegisterInstance(c, &M::makeFace, "makeFace");
    SqPlus::RegisterInstance(c, &M::setChangeFaceSpeed, "setChangeFaceSpeed");
    SqPlus::RegisterInstance(c, &M::setFace, "setFace");
    SqPlus::RegisterInstance(c, &M::addFace, "addFace");
    SqPlus::RegisterInstance(c, &M::focusFace, "focusFace");
    SqPlus::RegisterInstance(c, &M::addFocusFace, "addFocusFace");
    SqPlus::RegisterInstance(c, &M::focusEye, "focusEye");
    SqPlus::RegisterInstance(c, &M::addFocusEye, "addFocusEye");
    SqPlus::RegisterInstance(c, &M::faceLookAt, "faceLookAt");
    SqPlus::RegisterInstance(c, &M::faceEffect, "faceEffect");
    SqPlus::RegisterInstance(c, &M::addFaceEffect, "addFaceEffect");
    SqPlus::RegisterInstance(c, &M::getFocusEyeTimer, "getFocusEyeTimer");
    SqPlus::RegisterInstance(c, &M::getFocusFaceTimer, "getFocusFaceTimer");
    SqPlus::RegisterInstance(c, &M::setFocusEyeTimer, "setFocusEyeTimer");
    SqPlus::RegisterInstance(c, &M::setFocusFaceTimer, "setFocusFaceTimer");
    SqPlus::RegisterInstance(c, &M::setFrameName_EyeL, "setFrameName_EyeL");
    SqPlus::RegisterInstance(c, &M::setFrameName_EyeR, "setFrameName_EyeR");
    SqPlus::RegisterInstance(c, &M::setFrameName_Head, "setFrameName_Head");
    SqPlus::RegisterInstance(c, &M::setFrameName_SpineRoot, "setFrameName_SpineRoot");
    SqPlus::RegisterInstance(c, &M::setMouseWeight, "setMouseWeight");
    SqPlus::RegisterInstance(c, &M::loadLipTimeline, "loadLipTimeline");
    SqPlus::RegisterInstance(c, &M::setVoice, "setVoice");
}

} // namespace Orvane::Squirrel
