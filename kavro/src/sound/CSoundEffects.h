#pragma once

#include <AL/al.h>

namespace Kavro
{

// One sound's effects on OpenAL's EFX: an echo on auxiliary send 0, a reverb on send 1, and the dry
// path's gain. Made on first use; every instance of the sound is attached to the same effect slots.
class CSoundEffects
{
public:
    static constexpr int PresetCount = 13; // 0 turns the reverb off

    CSoundEffects() = default;
    ~CSoundEffects();
    CSoundEffects(const CSoundEffects&) = delete;
    CSoundEffects& operator=(const CSoundEffects&) = delete;

    // wetDry and feedback in percent (0..100), delays in milliseconds; the earlier delay's echo is panned to
    // its side, panSwap swaps the sides. False when OpenAL has no effect slot left.
    bool setEcho(float wetDry, float feedback, float leftDelay, float rightDelay, bool panSwap);
    // inGain and mix in decibels (0 and below), time in milliseconds, high-frequency ratio of the decay time.
    bool setReverb(float inGain, float mix, float time, float highFrequencyRatio);
    // A room from the preset table; 0 turns the reverb off. False for an index outside the table.
    bool setPreset(int preset);
    // Routes a source through the effects set so far.
    void attach(ALuint source) const;

private:
    struct Slot
    {
        ALuint effect = 0;
        ALuint slot = 0;
        ALuint sendFilter = 0;
    };
    bool make(Slot& slot, ALint type);
    void release(Slot& slot);
    bool makeDryFilter();

    Slot echo_;
    Slot reverb_;
    ALuint dryFilter_ = 0;
};

} // namespace Kavro
