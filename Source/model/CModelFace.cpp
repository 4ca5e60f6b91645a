#include "model/CModelFace.h"

#include "core/CApp.h"
#include "core/CFile.h"
#include "core/SaveFunctions.h"
#include "model/CModel.h"

#include <kavro/CRandom.h>
#include <kavro/ICore.h>
#include <kavro/ISceneModel.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace Orvane
{

namespace
{

constexpr float VoiceThreshold = 0.22f;
constexpr float LoudVoiceAmplitude = 0.75f;

uint32_t milliTime()
{
    CApp* app = CApp::get();
    Kavro::ICore* core = app ? app->getCore() : nullptr;
    return core ? core->getMilliTime() : 0;
}

float frameSpeed()
{
    CApp* app = CApp::get();
    return app ? app->frameSpeed : 0.0f;
}

// Writes the fields of a record, each after a marker holding its own position.
struct RecordWriter
{
    CFile& file;

    bool mark()
    {
        const int64_t at = file.getFilePosition();
        return at >= 0 && file.writeDword(uint32_t(at)) == 1;
    }
    bool u32(uint32_t value) { return mark() && file.writeDword(value) == 1; }
    bool f32(float value)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return u32(bits);
    }
    bool string(const std::string& value) { return mark() && SaveString(file, value) == 1; }
    bool strings(const std::vector<std::string>& values)
    {
        if (!mark() || file.writeDword(uint32_t(values.size())) != 1)
            return false;
        for (const std::string& value : values)
            if (SaveString(file, value) != 1)
                return false;
        return true;
    }
    bool ints(const std::vector<int32_t>& values)
    {
        if (!mark() || file.writeDword(uint32_t(values.size())) != 1)
            return false;
        for (int32_t value : values)
            if (file.writeDword(uint32_t(value)) != 1)
                return false;
        return true;
    }
};

// Reads the fields back; nothing is read, and nothing sized, beyond the record's end.
struct RecordReader
{
    CFile& file;
    int64_t end;

    int64_t left()
    {
        const int64_t at = file.getFilePosition();
        return at < 0 || at > end ? 0 : end - at;
    }
    bool word(uint32_t& value) { return left() >= 4 && file.readDword(value) == 1; }
    bool mark()
    {
        const int64_t at = file.getFilePosition();
        uint32_t marker = 0;
        return at >= 0 && word(marker) && int64_t(marker) == at;
    }
    bool u32(uint32_t& value) { return mark() && word(value); }
    bool f32(float& value)
    {
        uint32_t bits = 0;
        if (!u32(bits))
            return false;
        std::memcpy(&value, &bits, sizeof value);
        return true;
    }
    bool rawString(std::string& value)
    {
        uint32_t n = 0;
        if (!word(n) || n == 0 || int64_t(n) > left())
            return false;
        std::vector<char> bytes(n);
        if (file.read(bytes.data(), n) != n)
            return false;
        value.assign(bytes.data(), ::strnlen(bytes.data(), n));
        return true;
    }
    bool string(std::string& value) { return mark() && rawString(value); }
    bool strings(std::vector<std::string>& values)
    {
        uint32_t count = 0;
        // A string takes at least its length word and its NUL.
        if (!u32(count) || int64_t(count) > left() / 5)
            return false;
        values.assign(count, std::string());
        for (std::string& value : values)
            if (!rawString(value))
                return false;
        return true;
    }
    bool ints(std::vector<int32_t>& values)
    {
        uint32_t count = 0;
        if (!u32(count) || int64_t(count) > left() / 4)
            return false;
        values.assign(count, 0);
        for (int32_t& value : values)
        {
            uint32_t raw = 0;
            if (!word(raw))
                return false;
            value = int32_t(raw);
        }
        return true;
    }
};

} // namespace

// ---- The sequence

void CAddFace::clear()
{
    index = 0;
    count = 0;
    names.clear();
    times.clear();
}

void CAddFace::add(const std::string& name, int32_t ms)
{
    names.push_back(name);
    times.push_back(ms);
    ++count;
}

uint32_t CAddFace::playable() const
{
    return uint32_t(std::min<size_t>({size_t(count), names.size(), times.size()}));
}

// ---- The face

CModelFace::CModelFace(CModel* owner) : sequence(new CAddFace), owner(owner)
{
    for (int i = 0; i < BlinkTableSize; ++i)
        blinkTable[i] = uint32_t(i) * 300u;
    restartBlinkTimer(milliTime());
}

CModelFace::~CModelFace()
{
    sequence->release();
}

void CModelFace::restartBlinkTimer(uint32_t now)
{
    lastBlinkTime = now;
    Kavro::CRandom random(now);
    blinkInterval = blinkTable[random.GetInt(0, BlinkTableSize - 1)];
}

float CModelFace::timeScale() const
{
    return owner ? owner->timeScale : 0.0f;
}

void CModelFace::makeFace(const std::string& name, const FaceDefinition& definition)
{
    faces.try_emplace(name, definition);
}

FaceDefinition* CModelFace::findFace(const std::string& name)
{
    const auto it = faces.find(name);
    return it == faces.end() ? nullptr : &it->second;
}

int CModelFace::setChannelMorph(const std::string& channel, std::string* targets, int index,
                                const std::string& morph)
{
    Kavro::ISceneModel* scene = owner ? owner->getSceneModel() : nullptr;
    if (index < 0 || index > 1 || !scene || scene->setMorph(channel.c_str(), index, morph.c_str()) < 0)
        return -2;
    targets[index] = morph;
    return 0;
}

int CModelFace::setEyeMorph(int index, const std::string& morph)
{
    return setChannelMorph(eyeChannel, eyeTargets, index, morph);
}

int CModelFace::setMouthMorph(int index, const std::string& morph)
{
    return setChannelMorph(mouthChannel, mouthTargets, index, morph);
}

void CModelFace::pushWeight(const std::string& channel, float weight)
{
    if (Kavro::ISceneModel* scene = owner ? owner->getSceneModel() : nullptr)
        scene->setMorphWeight(channel.c_str(), 0, 1, weight);
}

void CModelFace::changeFace(const std::string& name)
{
    const FaceDefinition& face = faces[name];
    setEyeMorph(1, face.eyeRestMorph);
    setMouthMorph(1, face.mouthRestMorph);
    changing = 1;
    mouthWeight = 0.0f;
    eyeProgress = 0.0f;
    mouthProgress = 0.0f;
    changeSpeed = face.changeSpeed;
    if (changeSpeed == 0.0f)
    {
        eyeProgress = 1.0f;
        mouthProgress = 1.0f;
    }
    sequenceTime = 0.0f;
    currentFace = name;
}

int CModelFace::stepFaceSequence()
{
    CAddFace& s = *sequence;
    if (s.index >= s.playable() || sequenceTime < float(s.times[s.index]))
        return 0;
    // Copied: changeFace may not keep a reference into the list alive across its own changes.
    const std::string name = s.names[s.index];
    changeFace(name);
    ++s.index;
    if (s.index < s.names.size() && s.names[s.index] == "LOOP")
        s.index = 0;
    return 1;
}

void CModelFace::stepChange()
{
    if (!changing)
    {
        stepBlink();
        return;
    }
    const float step = timeScale() * changeSpeed * frameSpeed();
    eyeProgress = std::min(eyeProgress + step, 1.0f);
    mouthProgress = std::min(mouthProgress + step, 1.0f);
    if (eyeProgress >= 1.0f)
    {
        const FaceDefinition face = faces[currentFace];
        setEyeMorph(0, face.eyeRestMorph);
        setEyeMorph(1, face.eyeBlinkMorph);
    }
    if (mouthProgress >= 1.0f)
    {
        const FaceDefinition face = faces[currentFace];
        setMouthMorph(0, face.mouthRestMorph);
        setMouthMorph(1, face.mouthOpenMorph);
    }
    if (eyeProgress >= 1.0f && mouthProgress >= 1.0f)
    {
        changing = 0;
        eyeProgress = 0.0f;
        mouthProgress = 0.0f;
    }
}

void CModelFace::stepBlink()
{
    if (changing)
        return;
    // The render-side update sets the real weight later in the frame.
    pushWeight(eyeChannel, 0.0f);
    if (!blinking)
    {
        const float elapsed = float(uint32_t(milliTime() - lastBlinkTime)) * std::min(timeScale(), 1.0f);
        if (elapsed >= float(blinkInterval))
        {
            blinking = 1;
            blinkWeight = 0.0f;
            blinkSpeed = std::fabs(blinkSpeed);
        }
        return;
    }
    blinkWeight += timeScale() * blinkSpeed;
    if (blinkWeight >= 1.0f)
        blinkSpeed = -blinkSpeed;
    else if (blinkWeight <= 0.0f)
    {
        blinkSpeed = -blinkSpeed;
        restartBlinkTimer(milliTime());
        blinking = 0;
    }
    blinkWeight = std::clamp(blinkWeight, 0.0f, 1.0f);
}

void CModelFace::stepVoiceMouth(float level)
{
    if (changing)
        return;
    pushWeight(mouthChannel, 0.0f);
    if (level > VoiceThreshold)
    {
        mouthAmplitude = level > 1.0f ? LoudVoiceAmplitude : level;
        mouthWeight += frameSpeed() * mouthSpeed * mouthAmplitude * timeScale();
        if (mouthWeight >= mouthAmplitude || mouthWeight < 0.0f)
        {
            mouthSpeed = -mouthSpeed;
            mouthWeight = std::clamp(mouthWeight, 0.0f, mouthAmplitude);
        }
        return;
    }
    mouthWeight = 0.0f;
    mouthSpeed = 0.05f;
    mouthAmplitude = 1.0f;
}

void CModelFace::setMouthWeight(float weight)
{
    if (changing)
        return;
    mouthWeight = std::clamp(weight, 0.0f, 1.0f);
    pushWeight(mouthChannel, mouthWeight);
}

void CModelFace::setEyeWeight(float weight)
{
    if (changing)
        return;
    eyeProgress = std::clamp(weight, 0.0f, 1.0f);
    pushWeight(eyeChannel, eyeProgress);
}

void CModelFace::update()
{
    if (changing)
    {
        pushWeight(eyeChannel, eyeProgress);
        pushWeight(mouthChannel, mouthProgress);
        return;
    }
    pushWeight(eyeChannel, blinkWeight);
    pushWeight(mouthChannel, std::clamp(mouthWeight, 0.0f, 1.0f));
}

// ---- The record

int CModelFace::save(CFile* file)
{
    if (!file)
        return 0;
    const int64_t start = file->getFilePosition();
    if (start < 0)
        return 0;
    RecordWriter w{*file};
    bool ok = file->writeDword(0) == 1;
    ok = ok && w.u32(sequence->index) && w.u32(sequence->count) && w.strings(sequence->names) &&
         w.ints(sequence->times);
    if (ok)
    {
        // A string that does not write leaves the rest of the record to tell.
        w.string(eyeTargets[0]);
        w.string(eyeTargets[1]);
        w.string(mouthTargets[0]);
        w.string(mouthTargets[1]);
        w.string(currentFace);
        ok = w.f32(changeSpeed) && w.f32(eyeProgress) && w.f32(mouthProgress) && w.f32(blinkWeight) &&
             w.f32(mouthWeight) && w.f32(blinkSpeed) && w.f32(mouthSpeed) && w.f32(mouthAmplitude);
    }
    if (ok)
    {
        for (uint32_t interval : blinkTable)
            if (!w.u32(interval))
            {
                ok = false;
                break;
            }
        const bool rest = w.u32(lastBlinkTime) && w.u32(blinkInterval) && w.u32(blinking) && w.u32(changing) &&
                          w.f32(sequenceTime);
        ok = ok && rest;
    }
    const int64_t end = file->getFilePosition();
    file->seekStart(start);
    ok = file->writeDword(uint32_t(end)) == 1 && ok;
    file->seekStart(end);
    return ok ? 1 : 0;
}

int CModelFace::load(CFile* file)
{
    if (!file)
        return 0;
    uint32_t end = 0;
    if (file->readDword(end) != 1)
        return 0;
    const int64_t first = file->getFilePosition();
    // An end before the first field or past the file is damage: never seek there.
    if (first < 0 || int64_t(end) < first || end > file->getFileSize())
        return 0;
    RecordReader r{*file, int64_t(end)};
    bool ok = r.u32(sequence->index) && r.u32(sequence->count) && r.strings(sequence->names) &&
              r.ints(sequence->times);
    ok = ok && r.string(eyeTargets[0]) && r.string(eyeTargets[1]) && r.string(mouthTargets[0]) &&
         r.string(mouthTargets[1]) && r.string(currentFace);
    ok = ok && r.f32(changeSpeed) && r.f32(eyeProgress) && r.f32(mouthProgress) && r.f32(blinkWeight) &&
         r.f32(mouthWeight) && r.f32(blinkSpeed) && r.f32(mouthSpeed) && r.f32(mouthAmplitude);
    if (ok)
    {
        bool table = true;
        for (uint32_t& interval : blinkTable)
            if (!r.u32(interval))
            {
                table = false;
                break;
            }
        ok = r.u32(lastBlinkTime) && r.u32(blinkInterval) && r.u32(blinking) && r.u32(changing) &&
             r.f32(sequenceTime) && table;
        if (Kavro::ISceneModel* scene = owner ? owner->getSceneModel() : nullptr)
            for (int i = 0; i < 2; ++i)
            {
                scene->setMorph(eyeChannel.c_str(), i, eyeTargets[i].c_str());
                scene->setMorph(mouthChannel.c_str(), i, mouthTargets[i].c_str());
            }
    }
    if (!ok || file->getFilePosition() != int64_t(end))
        file->seekStart(end);
    return ok ? 1 : 0;
}

} // namespace Orvane
