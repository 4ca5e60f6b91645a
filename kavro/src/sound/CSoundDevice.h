#pragma once

#include "sound/CSoundData.h"
#include "sound/CSoundOutput.h"
#include "sound/CVoice.h"

#include "kavro/IFileSystem.h"
#include "kavro/ISoundDevice.h"
#include "kavro/RefCounted.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace Kavro
{

class CSoundDecoder;

// The sound device over OpenAL Soft and libsndfile. One lock guards everything; a worker thread refills the
// voices' buffers (and, on the null output, mixes by the clock). Offline devices have no worker:
// renderOffline refills and mixes, so tests get the same samples on every run.
class CSoundDevice : public RefCounted<ISoundDevice>
{
public:
    enum class Output
    {
        Playback, // the default playback device, else a null output
        Null,     // a loopback device mixed by the clock, as when no playback device exists
        Offline,  // a loopback device mixed only by renderOffline
    };

    CSoundDevice(IFileSystem* fileSystem, Output output);
    ~CSoundDevice() override;
    // False when OpenAL could not give any output.
    bool isReady() const { return ready_; }
    int outputRate() const { return output_.rate(); }
    // Offline devices: mixes frames stereo float frames into out, refilling the voices every slice.
    void renderOffline(float* out, int frames);

    // A streamed sound (one instance) over a source of the library's own, under a handle from
    // requestHandle; the handle's previous sound is released. 0, or -1 for a bad handle or no source.
    int openSource(uint32_t handle, std::unique_ptr<ISampleSource> source, const std::string& name);
    // Whether the handle's instances decode as they play (asked for, or too long to decode whole).
    bool isStreamed(uint32_t handle);

    int hasOutput() override;
    std::string getOutputFailure() override { return output_.playbackFailure(); }
    int requestHandle(int first, int last) override;
    int open(const char* name, int mode, uint32_t handle, int instanceCount, int flag) override;
    int open3D(const char* name, int mode, uint32_t handle, int instanceCount, int flag) override;
    int releaseHandle(uint32_t handle) override;
    int play(uint32_t handle, int loopMode, int loopStart, int loopEnd, int instance) override;
    int stop(uint32_t handle, int instance) override;
    int pause(uint32_t handle, int instance) override;
    int resume(uint32_t handle, int instance) override;
    int setLoop(uint32_t handle, int loopMode, int loopStart, int loopEnd, int instance) override;
    int setVolume(uint32_t handle, float volume, int instance) override;
    int setPan(uint32_t handle, float pan, int instance) override;
    int setFrequency(uint32_t handle, float frequency, int instance) override;
    int seek(uint32_t handle, int position) override;
    int isPlaying(uint32_t handle, int instance) override;
    int isPaused(uint32_t handle, int instance) override;
    int getDuration(uint32_t handle) override;
    int getPosition(uint32_t handle) override;
    int setListenerPosition(const Vector3D& position) override;
    int setListenerRotation(const Vector3D& rotation) override;
    int setPosition3D(uint32_t handle, const Vector3D& position) override;
    float getPulse(uint32_t handle, int instance) override;
    float getAmplitude(uint32_t handle, int instance) override;
    int setEffect1(uint32_t handle, float a, float b, float c, float d, int e, float f) override;
    int setEcho(uint32_t handle, float wetDry, float feedback, float leftDelay, float rightDelay,
                int panSwap) override;
    int setEffect2(uint32_t handle, float inGain, float mix, float time, float highFrequencyRatio) override;
    int setPresetReverb(uint32_t handle, int preset) override;
    int setEffect3(uint32_t handle) override;
    int injectFile(const char* name) override;
    int ejectFile(const char* name) override;

private:
    // What a handle holds: one opened sound and its instances.
    struct Sound
    {
        std::string name;
        bool streamed = false;
        bool positional = false;
        // Before the voices, so they go first: their sources point at the effects.
        std::unique_ptr<CSoundEffects> effects;
        std::vector<std::unique_ptr<CVoice>> voices;
        int lastStarted = -1;
        int64_t startFrame = 0; // where the next play starts (set by seek)
        LoopSettings loop;
        float volume = 1.0f;
        float pan = 0.0f;
        float frequency = 1.0f;
        Vector3D position;
    };

    int openSound(const char* name, int mode, uint32_t handle, int instanceCount, bool positional);
    std::unique_ptr<CSoundDecoder> openDecoder(const std::string& name, int& error);
    // Null with tooLong set for a sound too long to decode whole: it is streamed instead.
    std::shared_ptr<const CSoundData> cachedData(const std::string& name, int& error, bool& tooLong);
    Sound* find(uint32_t handle);
    // The voices an instance argument names: one, or all for a negative index.
    template <typename Action> int forVoices(uint32_t handle, int instance, Action action);
    CVoice* lastVoice(Sound& sound);
    int64_t toFrames(const Sound& sound, int64_t milliseconds) const;
    int toMilliseconds(const Sound& sound, int64_t frames) const;
    void meter(uint32_t handle, float& peak, float& rms);
    // Runs change on the handle's effects (made when first needed) and routes every instance through them.
    template <typename Change> int changeEffects(uint32_t handle, Change change);
    void updateVoices();
    void work();
    void renderByClock();

    std::mutex lock_;
    IFileSystem* fileSystem_ = nullptr;
    CSoundOutput output_;
    bool ready_ = false;
    uint32_t nextHandle_ = 1;
    std::map<uint32_t, Sound> sounds_;
    std::map<std::string, std::weak_ptr<const CSoundData>> cache_;
    std::map<std::string, std::shared_ptr<const CSoundData>> injected_;
    Vector3D listenerPosition_;
    Vector3D listenerRotation_;

    // Worker: refills buffers; on the null output it also mixes in step with the clock.
    std::thread worker_;
    std::condition_variable wake_;
    bool quit_ = false;
    bool clocked_ = false;
    std::vector<float> discard_;
};

} // namespace Kavro
