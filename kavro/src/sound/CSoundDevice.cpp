#include "sound/CSoundDevice.h"

#include "sound/CMemorySource.h"
#include "sound/CSoundDecoder.h"
#include "sound/CStreamSource.h"
#include "sound/SoundDeviceFactory.h"
#include "sound/SoundSpace.h"

#include "fs/ArchiveFileSystem.h"

#include <kavro/LoadReport.h>

#include <algorithm>
#include <chrono>

namespace Kavro
{

namespace
{

constexpr int BadHandle = -1;
constexpr int CannotOpen = -2;
constexpr int NotASound = -3;
// Instances one in-memory open may ask for.
constexpr int MaxInstances = 256;
constexpr auto WorkerPeriod = std::chrono::milliseconds(10);
// The mix is refilled at least this often (frames), shorter than one buffer.
constexpr int RenderSlice = 512;
constexpr float MaxFrequency = 16.0f;
constexpr double MeterSeconds = 0.020;

} // namespace

ISoundDevice* CreateSoundDevice(IFileSystem* fileSystem)
{
    auto* device = new CSoundDevice(fileSystem, CSoundDevice::Output::Playback);
    if (device->isReady()) return device;
    device->release();
    return nullptr;
}

CSoundDevice::CSoundDevice(IFileSystem* fileSystem, Output output)
{
    fileSystem_ = fileSystem ? fileSystem : CreateArchiveFileSystem();
    if (fileSystem) fileSystem_->addRef();
    if (output == Output::Playback && output_.openPlayback())
        ready_ = true;
    else
    {
        ready_ = output_.openLoopback(CSoundOutput::LoopbackRate);
        clocked_ = output != Output::Offline;
    }
    if (ready_ && output != Output::Offline) worker_ = std::thread([this] { work(); });
}

CSoundDevice::~CSoundDevice()
{
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    wake_.notify_all();
    if (worker_.joinable()) worker_.join();
    output_.bind();
    sounds_.clear();
    if (fileSystem_) fileSystem_->release();
}

void CSoundDevice::work()
{
    auto due = std::chrono::steady_clock::now();
    const auto begin = due;
    int64_t mixed = 0;
    std::unique_lock guard(lock_);
    output_.bind();
    while (!quit_)
    {
        due += WorkerPeriod;
        wake_.wait_until(guard, due, [this] { return quit_; });
        if (quit_) break;
        if (!clocked_)
        {
            updateVoices();
            continue;
        }
        // The null output: mix as much as the clock says has been played, as a sound card would.
        const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        const int64_t target = int64_t(elapsed * output_.rate());
        const int64_t behind = std::min<int64_t>(target - mixed, output_.rate());
        discard_.resize(size_t(RenderSlice) * 2);
        for (int64_t left = behind; left > 0; left -= RenderSlice)
        {
            updateVoices();
            output_.render(discard_.data(), int(std::min<int64_t>(left, RenderSlice)));
        }
        mixed = target;
        updateVoices();
    }
    output_.unbind();
}

void CSoundDevice::renderOffline(float* out, int frames)
{
    std::lock_guard guard(lock_);
    output_.bind();
    for (int done = 0; done < frames;)
    {
        updateVoices();
        const int slice = std::min(RenderSlice, frames - done);
        output_.render(out + size_t(done) * 2, slice);
        done += slice;
    }
}

void CSoundDevice::updateVoices()
{
    for (auto& [handle, sound] : sounds_)
        for (auto& voice : sound.voices)
            voice->update();
}

int CSoundDevice::hasOutput()
{
    return output_.isAudible() ? 1 : 0;
}

int CSoundDevice::requestHandle(int, int)
{
    std::lock_guard guard(lock_);
    if (nextHandle_ > uint32_t(INT32_MAX)) return -1;
    return int(nextHandle_++);
}

std::unique_ptr<CSoundDecoder> CSoundDevice::openDecoder(const std::string& name, int& error)
{
    IFileStream* stream = fileSystem_->open(name.c_str(), 0, 0, 0);
    if (!stream)
    {
        error = CannotOpen;
        ReportLoadFailure(name, fileSystem_->explainMissing(name.c_str()));
        return nullptr;
    }
    auto decoder = std::make_unique<CSoundDecoder>();
    if (decoder->open(stream)) return decoder;
    error = NotASound;
    ReportLoadFailure(name, decoder->openError());
    return nullptr;
}

std::shared_ptr<const CSoundData> CSoundDevice::cachedData(const std::string& name, int& error, bool& tooLong)
{
    tooLong = false;
    {
        std::lock_guard guard(lock_);
        if (auto found = cache_.find(name); found != cache_.end())
            if (auto data = found->second.lock()) return data;
    }
    // Decoded without the lock, so streams keep being fed meanwhile.
    auto decoder = openDecoder(name, error);
    auto data = decoder ? CSoundData::Decode(*decoder, tooLong) : nullptr;
    if (decoder && !data)
    {
        error = NotASound;
        if (!tooLong)
            ReportLoadFailure(name, "its sound data could not be decoded");
    }
    if (!data) return nullptr;
    std::lock_guard guard(lock_);
    cache_[name] = data;
    return data;
}

int CSoundDevice::open(const char* name, int mode, uint32_t handle, int instanceCount, int)
{
    return openSound(name, mode, handle, instanceCount, false);
}

int CSoundDevice::open3D(const char* name, int mode, uint32_t handle, int instanceCount, int)
{
    return openSound(name, mode, handle, instanceCount, true);
}

int CSoundDevice::openSound(const char* name, int mode, uint32_t handle, int instanceCount, bool positional)
{
    {
        std::lock_guard guard(lock_);
        if (handle == 0 || handle >= nextHandle_ || !name || (mode != 0 && mode != 1)) return BadHandle;
    }
    const bool streamed = mode == 1;
    const int count = streamed ? 1 : std::clamp(instanceCount, 1, MaxInstances);
    int error = 0;
    // Sound data decoded whole and shared by the instances, or one decoder per instance.
    std::vector<std::unique_ptr<CSoundDecoder>> decoders;
    std::shared_ptr<const CSoundData> data;
    bool tooLong = streamed;
    if (!streamed)
        data = cachedData(name, error, tooLong);
    for (int i = 0; tooLong && i < count; ++i)
    {
        decoders.push_back(openDecoder(name, error));
        if (!decoders.back()) return error;
    }
    if (decoders.empty() && !data) return error;

    Sound sound;
    sound.name = name;
    sound.streamed = !decoders.empty();
    sound.positional = positional;
    std::lock_guard guard(lock_);
    output_.bind();
    for (auto& decoder : decoders)
        sound.voices.push_back(
            std::make_unique<CVoice>(std::make_unique<CStreamSource>(std::move(decoder)), positional));
    for (int i = 0; data && i < count; ++i)
        sound.voices.push_back(std::make_unique<CVoice>(std::make_unique<CMemorySource>(data), positional));
    sounds_.erase(handle);
    sounds_.emplace(handle, std::move(sound));
    return 0;
}

int CSoundDevice::openSource(uint32_t handle, std::unique_ptr<ISampleSource> source, const std::string& name)
{
    std::lock_guard guard(lock_);
    if (handle == 0 || handle >= nextHandle_ || !source)
        return BadHandle;
    output_.bind();
    Sound sound;
    sound.name = name;
    sound.streamed = true;
    sound.voices.push_back(std::make_unique<CVoice>(std::move(source), false));
    sounds_.erase(handle);
    sounds_.emplace(handle, std::move(sound));
    return 0;
}

bool CSoundDevice::isStreamed(uint32_t handle)
{
    std::lock_guard guard(lock_);
    const Sound* sound = find(handle);
    return sound && sound->streamed;
}

int CSoundDevice::releaseHandle(uint32_t handle)
{
    std::lock_guard guard(lock_);
    output_.bind();
    return sounds_.erase(handle) ? 0 : BadHandle;
}

CSoundDevice::Sound* CSoundDevice::find(uint32_t handle)
{
    auto found = sounds_.find(handle);
    return found == sounds_.end() ? nullptr : &found->second;
}

template <typename Action> int CSoundDevice::forVoices(uint32_t handle, int instance, Action action)
{
    std::lock_guard guard(lock_);
    output_.bind();
    Sound* sound = find(handle);
    if (!sound || instance >= int(sound->voices.size())) return BadHandle;
    if (instance >= 0)
        action(*sound, *sound->voices[size_t(instance)]);
    else
        for (auto& voice : sound->voices)
            action(*sound, *voice);
    return 0;
}

CVoice* CSoundDevice::lastVoice(Sound& sound)
{
    return sound.lastStarted >= 0 ? sound.voices[size_t(sound.lastStarted)].get() : nullptr;
}

int64_t CSoundDevice::toFrames(const Sound& sound, int64_t milliseconds) const
{
    return std::max<int64_t>(milliseconds, 0) * sound.voices.front()->source().rate() / 1000;
}

int CSoundDevice::toMilliseconds(const Sound& sound, int64_t frames) const
{
    const int64_t ms = frames * 1000 / sound.voices.front()->source().rate();
    return int(std::min<int64_t>(ms, INT32_MAX));
}

int CSoundDevice::play(uint32_t handle, int loopMode, int loopStart, int loopEnd, int instance)
{
    std::lock_guard guard(lock_);
    output_.bind();
    Sound* sound = find(handle);
    if (!sound) return BadHandle;
    const int index = instance >= 0 && instance < int(sound->voices.size()) ? instance : 0;
    sound->loop = {loopMode, loopStart, loopEnd};
    CVoice& voice = *sound->voices[size_t(index)];
    if (!voice.start(sound->loop, sound->startFrame)) return BadHandle;
    sound->startFrame = 0;
    sound->lastStarted = index;
    return 0;
}

int CSoundDevice::stop(uint32_t handle, int instance)
{
    return forVoices(handle, instance, [](Sound&, CVoice& voice) { voice.stop(); });
}

int CSoundDevice::pause(uint32_t handle, int instance)
{
    return forVoices(handle, instance, [](Sound&, CVoice& voice) { voice.pause(); });
}

int CSoundDevice::resume(uint32_t handle, int instance)
{
    return forVoices(handle, instance, [](Sound&, CVoice& voice) { voice.resume(); });
}

int CSoundDevice::setLoop(uint32_t handle, int loopMode, int loopStart, int loopEnd, int instance)
{
    return forVoices(handle, instance,
                     [&](Sound& sound, CVoice& voice)
                     {
                         sound.loop = {loopMode, loopStart, loopEnd};
                         voice.setLoop(sound.loop);
                     });
}

int CSoundDevice::setVolume(uint32_t handle, float volume, int instance)
{
    const float value = std::clamp(volume, 0.0f, 1.0f);
    return forVoices(handle, instance,
                     [&](Sound& sound, CVoice& voice)
                     {
                         sound.volume = value;
                         voice.setVolume(value);
                     });
}

int CSoundDevice::setPan(uint32_t handle, float pan, int instance)
{
    const float value = std::clamp(pan, -1.0f, 1.0f);
    return forVoices(handle, instance,
                     [&](Sound& sound, CVoice& voice)
                     {
                         sound.pan = value;
                         voice.setPan(value);
                     });
}

int CSoundDevice::setFrequency(uint32_t handle, float frequency, int instance)
{
    const float value = std::clamp(frequency, 0.0f, MaxFrequency);
    return forVoices(handle, instance,
                     [&](Sound& sound, CVoice& voice)
                     {
                         sound.frequency = value;
                         voice.setPitch(value);
                     });
}

int CSoundDevice::seek(uint32_t handle, int position)
{
    std::lock_guard guard(lock_);
    output_.bind();
    Sound* sound = find(handle);
    if (!sound) return BadHandle;
    const int64_t frame = std::min(toFrames(*sound, position), sound->voices.front()->source().frames());
    CVoice* voice = lastVoice(*sound);
    if (voice && voice->isActive())
        voice->seek(sound->loop, frame);
    else
        sound->startFrame = frame;
    return 0;
}

int CSoundDevice::isPlaying(uint32_t handle, int instance)
{
    bool playing = false;
    forVoices(handle, instance,
              [&](Sound&, CVoice& voice)
              {
                  voice.update();
                  playing = playing || voice.isPlaying();
              });
    return playing ? 1 : 0;
}

int CSoundDevice::isPaused(uint32_t handle, int instance)
{
    bool paused = false;
    forVoices(handle, instance, [&](Sound&, CVoice& voice) { paused = paused || voice.isPaused(); });
    return paused ? 1 : 0;
}

int CSoundDevice::getDuration(uint32_t handle)
{
    std::lock_guard guard(lock_);
    Sound* sound = find(handle);
    return sound ? toMilliseconds(*sound, sound->voices.front()->source().frames()) : 0;
}

int CSoundDevice::getPosition(uint32_t handle)
{
    std::lock_guard guard(lock_);
    output_.bind();
    Sound* sound = find(handle);
    if (!sound) return 0;
    CVoice* voice = lastVoice(*sound);
    if (voice) voice->update();
    if (!voice || !voice->isActive()) return toMilliseconds(*sound, sound->startFrame);
    return toMilliseconds(*sound, voice->position());
}

void CSoundDevice::meter(uint32_t handle, float& peak, float& rms)
{
    peak = rms = 0.0f;
    std::lock_guard guard(lock_);
    output_.bind();
    Sound* sound = find(handle);
    CVoice* voice = sound ? lastVoice(*sound) : nullptr;
    if (!voice) return;
    const double rate = voice->source().rate();
    voice->meter(std::max<int64_t>(1, int64_t(MeterSeconds * rate * sound->frequency + 0.5)), peak, rms);
}

float CSoundDevice::getPulse(uint32_t handle, int)
{
    float peak = 0.0f, rms = 0.0f;
    meter(handle, peak, rms);
    return peak;
}

float CSoundDevice::getAmplitude(uint32_t handle, int)
{
    float peak = 0.0f, rms = 0.0f;
    meter(handle, peak, rms);
    return rms;
}

int CSoundDevice::setListenerPosition(const Vector3D& position)
{
    std::lock_guard guard(lock_);
    output_.bind();
    listenerPosition_ = position;
    const Vector3D at = ToOpenAL(position);
    alListener3f(AL_POSITION, at.x, at.y, at.z);
    return 0;
}

int CSoundDevice::setListenerRotation(const Vector3D& rotation)
{
    std::lock_guard guard(lock_);
    output_.bind();
    listenerRotation_ = rotation;
    const auto orientation = ListenerOrientation(rotation);
    alListenerfv(AL_ORIENTATION, orientation.data());
    return 0;
}

int CSoundDevice::setPosition3D(uint32_t handle, const Vector3D& position)
{
    return forVoices(handle, -1,
                     [&](Sound& sound, CVoice& voice)
                     {
                         sound.position = position;
                         voice.setPosition(position);
                     });
}

template <typename Change> int CSoundDevice::changeEffects(uint32_t handle, Change change)
{
    std::lock_guard guard(lock_);
    output_.bind();
    Sound* sound = find(handle);
    if (!sound) return BadHandle;
    if (!sound->effects) sound->effects = std::make_unique<CSoundEffects>();
    if (!change(*sound->effects)) return BadHandle;
    for (auto& voice : sound->voices)
        voice->setEffects(sound->effects.get());
    return 0;
}

int CSoundDevice::setEffect1(uint32_t handle, float, float, float, float, int, float)
{
    // Has no meaning of its own: accepted and ignored.
    std::lock_guard guard(lock_);
    return find(handle) ? 0 : BadHandle;
}

int CSoundDevice::setEcho(uint32_t handle, float wetDry, float feedback, float leftDelay, float rightDelay,
                          int panSwap)
{
    return changeEffects(handle, [&](CSoundEffects& effects)
                         { return effects.setEcho(wetDry, feedback, leftDelay, rightDelay, panSwap != 0); });
}

int CSoundDevice::setEffect2(uint32_t handle, float inGain, float mix, float time, float highFrequencyRatio)
{
    return changeEffects(handle, [&](CSoundEffects& effects)
                         { return effects.setReverb(inGain, mix, time, highFrequencyRatio); });
}

int CSoundDevice::setPresetReverb(uint32_t handle, int preset)
{
    return changeEffects(handle, [&](CSoundEffects& effects) { return effects.setPreset(preset); });
}

int CSoundDevice::setEffect3(uint32_t handle)
{
    // Has no meaning of its own: accepted and ignored.
    std::lock_guard guard(lock_);
    return find(handle) ? 0 : BadHandle;
}

int CSoundDevice::injectFile(const char* name)
{
    if (!name) return BadHandle;
    int error = 0;
    bool tooLong = false;
    auto data = cachedData(name, error, tooLong);
    if (tooLong) return 0; // opened, it is streamed
    if (!data) return error;
    std::lock_guard guard(lock_);
    injected_[name] = std::move(data);
    return 0;
}

int CSoundDevice::ejectFile(const char* name)
{
    std::lock_guard guard(lock_);
    return name && injected_.erase(name) ? 0 : BadHandle;
}

} // namespace Kavro
