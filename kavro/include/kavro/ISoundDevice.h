#pragma once

#include <string>

#include "IInterface.h"
#include "Vector3D.h"

#include <cstdint>

namespace Kavro
{

// The sound device. Sounds are addressed by handles from newHandle; 0 is never one. Every operation on
// handle 0, or on a handle the device never handed out, does nothing and fails (negative, or 0 for the
// queries). Units (kavro/README.md): positions and durations in milliseconds, volume linear 0..1, pan
// -1 (left) .. 1 (right) equal-power, frequency a factor of the sound's own rate, loop points in sample
// frames. An `instance` argument below 0 means every instance (for play: instance 0).
class ISoundDevice : public IInterface
{
public:
    // 0 when there is no playback device: everything else still works, silently, and keeps time.
    virtual int hasOutput() = 0;
    // Why nothing is heard when hasOutput is 0: OpenAL's reason, in words.
    virtual std::string getOutputFailure() { return {}; }
    // A handle for sound objects; negative when none is free. The range arguments are not used.
    virtual int requestHandle(int first, int last) = 0;

    int isOutputAvailable() { return hasOutput(); }
    int newHandle(int first, int last) { return requestHandle(first, last); }

    // mode 1 streams the file (one instance), 0 decodes it into memory once (shared by every handle that
    // opens the same name) with instanceCount instances. The last argument is not used. The handle's
    // previous sound is released first. 0, or negative: -1 bad handle or arguments, -2 the file cannot be
    // opened, -3 it is not a sound this device decodes.
    virtual int open(const char* name, int mode, uint32_t handle, int instanceCount, int flag) = 0;
    // As open, for a positional sound (played as mono).
    virtual int open3D(const char* name, int mode, uint32_t handle, int instanceCount, int flag) = 0;
    virtual int releaseHandle(uint32_t handle) = 0;

    // loopMode: below 0 loops forever, 0 or 1 plays once, n plays the loop region n times. The region is
    // loopStart..loopEnd in sample frames; an end of 0, or at or before the start, is the end of the sound.
    virtual int play(uint32_t handle, int loopMode, int loopStart, int loopEnd, int instance) = 0;
    virtual int stop(uint32_t handle, int instance) = 0;
    virtual int pause(uint32_t handle, int instance) = 0;
    virtual int resume(uint32_t handle, int instance) = 0;
    // Changes the loop of playing instances and of later plays.
    virtual int setLoop(uint32_t handle, int loopMode, int loopStart, int loopEnd, int instance) = 0;
    virtual int setVolume(uint32_t handle, float volume, int instance) = 0;
    virtual int setPan(uint32_t handle, float pan, int instance) = 0;
    virtual int setFrequency(uint32_t handle, float frequency, int instance) = 0;
    // Moves playing and paused instances; otherwise the next play starts there.
    virtual int seek(uint32_t handle, int position) = 0;
    virtual int isPlaying(uint32_t handle, int instance) = 0;
    virtual int isPaused(uint32_t handle, int instance) = 0;
    virtual int getDuration(uint32_t handle) = 0;
    // Of the instance started last.
    virtual int getPosition(uint32_t handle) = 0;

    virtual int setListenerPosition(const Vector3D& position) = 0;
    // Euler angles in degrees, in the library's rotation order (kavro/README.md).
    virtual int setListenerRotation(const Vector3D& rotation) = 0;
    virtual int setPosition3D(uint32_t handle, const Vector3D& position) = 0;

    // Peak and RMS of the instance started last, before volume, over the last 20 ms.
    virtual float getPulse(uint32_t handle, int instance) = 0;
    virtual float getAmplitude(uint32_t handle, int instance) = 0;

    // Effects apply from the next play. setEcho: wet/dry mix, feedback, left delay (ms), right delay (ms),
    // pan swap (non-zero). setEffect2: a reverb: input gain, mix, time (ms), high-frequency ratio.
    virtual int setEffect1(uint32_t handle, float a, float b, float c, float d, int e, float f) = 0;
    virtual int setEcho(uint32_t handle, float wetDry, float feedback, float leftDelay, float rightDelay,
                        int panSwap) = 0;
    virtual int setEffect2(uint32_t handle, float inGain, float mix, float time,
                           float highFrequencyRatio) = 0;
    virtual int setPresetReverb(uint32_t handle, int preset) = 0;
    virtual int setEffect3(uint32_t handle) = 0;

    // Decodes a file into the in-memory cache and keeps it there until ejected. 0, or as open.
    virtual int injectFile(const char* name) = 0;
    // Lets the cache drop an injected file once no sound uses it. 0, or -1 when it was not injected.
    virtual int ejectFile(const char* name) = 0;

    int injectSoundFile(const char* name) { return injectFile(name); }
    int ejectSoundFile(const char* name) { return ejectFile(name); }
};

} // namespace Kavro
