#pragma once

#include "core/CApp.h"
#include "core/CTask.h"
#include "core/CTaskObject.h"
#include "script/Squirrel/SQObject.h"

#include <string>

namespace Orvane::Squirrel
{

// What the script classes of ordinary and positional sounds share: the inner sound the binding owns
// (a placeholder until an open succeeds, so it is never missing), driven by the binding's own step
// rather than by the task, and the methods that only pass on to it.
template <class Sound, class NullSound> class SQSoundBinding : public SQObject
{
public:
    explicit SQSoundBinding(const char* name) : SQObject(name ? name : "") { replaceInner(new NullSound); }
    ~SQSoundBinding() override { replaceInner(nullptr); }

    int update() override { return inner->update(); }

    void play() { inner->play(); }
    void stop() { inner->stop(); }
    void pause() { inner->pause(); }
    void onResume() { inner->onResume(); }
    void setVolume(float value, int time, int easing) { inner->setVolume(value, scriptTime(time), easing); }
    void setPan(float value, int time, int easing) { inner->setPan(value, scriptTime(time), easing); }
    void setFrequency(float value, int time, int easing) { inner->setFrequency(value, scriptTime(time), easing); }
    void setLoop(int mode, int start, int end) { inner->setLoop(mode, start, end); }
    void setType(int id) { inner->setType(id); }
    float getVolume() { return inner->getVolume(); }
    float getPan() { return inner->getPan(); }
    float getFrequency() { return inner->getFrequency(); }
    float getPulse() { return inner->getPulse(); }
    int getDurationTime() { return inner->getDurationTime(); }
    int getRemainTime() { return inner->getDurationTime() - inner->getPosition(); }
    void seek(int position) { inner->seek(position); }
    int isPlaying() { return inner->isPlaying(); }
    int isPaused() { return inner->isPaused(); }
    void setEcho(float wetDry, float feedback, float leftDelay, float rightDelay, int panSwap)
    {
        inner->setEcho(wetDry, feedback, leftDelay, rightDelay, panSwap);
    }
    void setPresetReverb(int preset) { inner->setPresetReverb(preset); }

    Sound* getInner() const { return inner; }

protected:
    // A negative time from a script means at once, not a wait of billions of milliseconds.
    static uint32_t scriptTime(int time) { return time > 0 ? uint32_t(time) : 0; }
    // Releases the inner sound and takes the new one (null only while the binding goes) out of the
    // task's list, since the binding steps it.
    void replaceInner(Sound* sound)
    {
        if (inner)
            inner->release();
        inner = sound;
        if (inner && inner->getTask())
            inner->getTask()->removeTaskObject(inner);
    }
    // The task whose factories make the sounds.
    CTask* factoryTask() const
    {
        if (CTask* own = getTask())
            return own;
        const CApp* app = CApp::get();
        return app ? app->getTopTask() : nullptr;
    }
    // Puts the factory's sound in place, or a placeholder when it made none: 0 or -1.
    int adopt(Sound* made)
    {
        replaceInner(made ? made : new NullSound);
        return made ? 0 : -1;
    }

    Sound* inner = nullptr;
};

} // namespace Orvane::Squirrel
