#pragma once

#include "sound/CLoopCursor.h"
#include "sound/CSoundEffects.h"
#include "sound/ISampleSource.h"

#include "kavro/Vector3D.h"

#include <AL/al.h>

#include <array>
#include <deque>
#include <memory>
#include <vector>

namespace Kavro
{

// A loop as play and setLoop give it: mode and region in frames.
struct LoopSettings
{
    int mode = 1;
    int64_t start = 0;
    int64_t end = 0;
};

// One playing instance: an OpenAL source fed through a few queued buffers from its sample source, which
// the loop cursor walks. Ordinary sounds are panned here (equal-power) and reach the output channels
// directly; positional sounds are fed as mono and placed by OpenAL.
class CVoice
{
public:
    static constexpr int BufferCount = 4;
    static constexpr int BufferFrames = 2048;

    CVoice(std::unique_ptr<ISampleSource> source, bool positional);
    ~CVoice();
    CVoice(const CVoice&) = delete;
    CVoice& operator=(const CVoice&) = delete;

    // Plays from a frame. False when OpenAL has no source left.
    bool start(const LoopSettings& loop, int64_t frame);
    void stop();
    void pause();
    void resume();
    // Moves a playing or paused voice, keeping its state.
    void seek(const LoopSettings& loop, int64_t frame);
    void setLoop(const LoopSettings& loop);
    void setVolume(float volume);
    void setPan(float pan);
    void setPitch(float pitch);
    // In the library's space; positional voices only.
    void setPosition(const Vector3D& position);
    // Routes the voice through a sound's effects (kept by the caller for the voice's life).
    void setEffects(const CSoundEffects* effects);
    // Refills played buffers; notices the end of the sound.
    void update();

    bool isPlaying() const { return state_ == State::Playing; }
    bool isPaused() const { return state_ == State::Paused; }
    bool isActive() const { return state_ != State::Stopped; }
    // Frame of the sound being heard now; 0 when stopped.
    int64_t position();
    // Peak and RMS of the sound's own samples (before volume and pan) over the last window frames heard.
    void meter(int64_t window, float& peak, float& rms);
    const ISampleSource& source() const { return *source_; }
    // Null until the first start.
    ALuint alSource() const { return alSource_; }

private:
    enum class State
    {
        Stopped,
        Playing,
        Paused
    };
    struct Block
    {
        ALuint buffer = 0;
        int64_t frames = 0;
        std::vector<SoundSegment> segments;
        std::vector<float> samples; // the sound's own frames, before pan
    };

    bool acquire();
    void applyParameters();
    void clearQueue();
    void fill();
    void upload(const Block& block);
    void retire();
    // Block index (played blocks first, then queued) and offset of the frame being heard.
    bool playPoint(size_t& block, int64_t& offset);
    const Block& blockAt(size_t index) const;

    std::unique_ptr<ISampleSource> source_;
    bool positional_;
    ALuint alSource_ = 0;
    std::array<ALuint, BufferCount> buffers_{};
    std::vector<ALuint> spare_;
    std::deque<Block> queued_;
    std::deque<Block> played_;
    std::vector<float> scratch_;
    CLoopCursor cursor_;
    State state_ = State::Stopped;
    float volume_ = 1.0f;
    float pitch_ = 1.0f;
    std::array<float, 2> panGains_{};
    std::array<float, 2> appliedGains_{};
    Vector3D position_;
    const CSoundEffects* effects_ = nullptr;
};

// Positional voices: gain falls as reference / distance (OpenAL's inverse distance, clamped) between these.
constexpr float ReferenceDistance = 1.0f;
constexpr float MaxDistance = 100.0f;

// Equal-power gains (left, right) for pan -1..1: a mono sound is cos/sin of (pan + 1) * pi / 4, so the
// centre gives 0.707 to each side; a stereo sound keeps its channels and lowers the far side only.
std::array<float, 2> PanGains(float pan, int channels);

} // namespace Kavro
