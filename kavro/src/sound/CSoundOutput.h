#pragma once

#include <string>

#include <AL/al.h>
#include <AL/alc.h>

namespace Kavro
{

// The OpenAL Soft device and context every sound of the device mixes into.
// A playback device plays and times itself; a loopback device (ALC_SOFT_loopback) mixes only when render
// is called: the device renders it by the clock when no playback device exists, tests render it into memory.
class CSoundOutput
{
public:
    static constexpr int LoopbackRate = 44100;

    CSoundOutput() = default;
    ~CSoundOutput();
    CSoundOutput(const CSoundOutput&) = delete;
    CSoundOutput& operator=(const CSoundOutput&) = delete;

    // The default playback device. False when none opens.
    bool openPlayback();
    // Stereo float at rate frames per second.
    bool openLoopback(int rate);
    bool isLoopback() const { return loopback_; }
    // True for a playback device that reaches speakers (OpenAL's null back end does not).
    bool isAudible() const { return audible_; }
    // Why the last openPlayback gave no audible device, in words (OpenAL's error); empty when it did.
    const std::string& playbackFailure() const { return playbackFailure_; }
    int rate() const { return rate_; }
    // Makes the context current on the calling thread; every OpenAL call of the device follows one.
    void bind();
    // Leaves the calling thread without it (a thread that ends must not hold it).
    void unbind();
    // Mixes frames stereo float frames into out (loopback only).
    void render(float* out, int frames);

private:
    bool makeContext(const int* attributes);
    void close();

    ALCdevice* device_ = nullptr;
    ALCcontext* context_ = nullptr;
    bool loopback_ = false;
    bool audible_ = false;
    int rate_ = 0;
    std::string playbackFailure_;
};

} // namespace Kavro
