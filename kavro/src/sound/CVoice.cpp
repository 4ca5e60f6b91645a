#include "sound/CVoice.h"

#include "sound/SoundSpace.h"

#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Kavro
{

namespace
{

// Played blocks kept for the meter: enough for 20 ms at the highest rate a decoder accepts.
constexpr size_t PlayedBlocks = 4;

} // namespace

std::array<float, 2> PanGains(float pan, int channels)
{
    const float angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * std::numbers::pi_v<float> / 4.0f;
    if (channels < 2) return {std::cos(angle), std::sin(angle)};
    const float lift = std::numbers::sqrt2_v<float>;
    return {std::min(1.0f, lift * std::cos(angle)), std::min(1.0f, lift * std::sin(angle))};
}

CVoice::CVoice(std::unique_ptr<ISampleSource> source, bool positional)
    : source_(std::move(source)), positional_(positional)
{
    panGains_ = appliedGains_ = PanGains(0.0f, source_->channels());
}

CVoice::~CVoice()
{
    if (!alSource_) return;
    alSourceStop(alSource_);
    alSourcei(alSource_, AL_BUFFER, 0);
    alDeleteSources(1, &alSource_);
    alDeleteBuffers(BufferCount, buffers_.data());
}

bool CVoice::acquire()
{
    if (alSource_) return true;
    alGetError();
    alGenSources(1, &alSource_);
    if (alGetError() != AL_NO_ERROR)
    {
        alSource_ = 0;
        return false;
    }
    alGenBuffers(BufferCount, buffers_.data());
    if (alGetError() != AL_NO_ERROR)
    {
        alDeleteSources(1, &alSource_);
        alSource_ = 0;
        return false;
    }
    alSourcei(alSource_, AL_SOURCE_RELATIVE, positional_ ? AL_FALSE : AL_TRUE);
    alSourcei(alSource_, AL_DIRECT_CHANNELS_SOFT, positional_ ? AL_FALSE : AL_TRUE);
    alSourcef(alSource_, AL_ROLLOFF_FACTOR, positional_ ? 1.0f : 0.0f);
    alSourcef(alSource_, AL_REFERENCE_DISTANCE, ReferenceDistance);
    alSourcef(alSource_, AL_MAX_DISTANCE, MaxDistance);
    applyParameters();
    return true;
}

void CVoice::applyParameters()
{
    alSourcef(alSource_, AL_GAIN, volume_);
    alSourcef(alSource_, AL_PITCH, pitch_);
    const Vector3D at = positional_ ? ToOpenAL(position_) : Vector3D();
    alSource3f(alSource_, AL_POSITION, at.x, at.y, at.z);
    if (effects_) effects_->attach(alSource_);
}

void CVoice::clearQueue()
{
    alSourceStop(alSource_);
    alSourcei(alSource_, AL_BUFFER, 0);
    spare_.assign(buffers_.begin(), buffers_.end());
    queued_.clear();
    played_.clear();
}

bool CVoice::start(const LoopSettings& loop, int64_t frame)
{
    if (!acquire()) return false;
    clearQueue();
    cursor_.setLoop(source_->frames(), loop.mode, loop.start, loop.end);
    cursor_.begin(*source_, frame);
    appliedGains_ = panGains_;
    fill();
    state_ = queued_.empty() ? State::Stopped : State::Playing;
    if (isPlaying()) alSourcePlay(alSource_);
    return true;
}

void CVoice::stop()
{
    if (alSource_) clearQueue();
    state_ = State::Stopped;
}

void CVoice::pause()
{
    if (!isPlaying()) return;
    alSourcePause(alSource_);
    state_ = State::Paused;
}

void CVoice::resume()
{
    if (!isPaused()) return;
    alSourcePlay(alSource_);
    state_ = State::Playing;
}

void CVoice::seek(const LoopSettings& loop, int64_t frame)
{
    const bool paused = isPaused();
    if (!isActive() || !start(loop, frame)) return;
    if (paused) pause();
}

void CVoice::setLoop(const LoopSettings& loop)
{
    // Applies from the next buffer filled; what is queued already plays as it was read.
    if (isActive()) cursor_.setLoop(source_->frames(), loop.mode, loop.start, loop.end);
}

void CVoice::setVolume(float volume)
{
    volume_ = volume;
    if (alSource_) alSourcef(alSource_, AL_GAIN, volume_);
}

void CVoice::setPan(float pan)
{
    panGains_ = PanGains(pan, source_->channels());
}

void CVoice::setPitch(float pitch)
{
    pitch_ = pitch;
    if (alSource_) alSourcef(alSource_, AL_PITCH, pitch_);
}

void CVoice::setPosition(const Vector3D& position)
{
    position_ = position;
    const Vector3D at = ToOpenAL(position);
    if (alSource_ && positional_) alSource3f(alSource_, AL_POSITION, at.x, at.y, at.z);
}

void CVoice::setEffects(const CSoundEffects* effects)
{
    effects_ = effects;
    if (alSource_ && effects_) effects_->attach(alSource_);
}

void CVoice::fill()
{
    while (!spare_.empty() && !cursor_.finished())
    {
        Block block;
        if (played_.size() >= PlayedBlocks)
        {
            block = std::move(played_.front());
            played_.pop_front();
        }
        block.segments.clear();
        block.samples.resize(size_t(BufferFrames) * size_t(source_->channels()));
        block.frames = cursor_.read(*source_, block.samples.data(), BufferFrames, block.segments);
        if (block.frames == 0) break;
        block.samples.resize(size_t(block.frames) * size_t(source_->channels()));
        block.buffer = spare_.back();
        spare_.pop_back();
        upload(block);
        alSourceQueueBuffers(alSource_, 1, &block.buffer);
        queued_.push_back(std::move(block));
    }
}

void CVoice::upload(const Block& block)
{
    const int channels = source_->channels();
    const size_t frames = size_t(block.frames);
    const float* in = block.samples.data();
    if (positional_)
    {
        scratch_.resize(frames);
        for (size_t i = 0; i < frames; ++i)
            scratch_[i] = channels == 1 ? in[i] : 0.5f * (in[2 * i] + in[2 * i + 1]);
        alBufferData(block.buffer, AL_FORMAT_MONO_FLOAT32, scratch_.data(), ALsizei(frames * sizeof(float)),
                     source_->rate());
        return;
    }
    // A pan change ramps over the block instead of stepping.
    scratch_.resize(frames * 2);
    const float stepL = (panGains_[0] - appliedGains_[0]) / float(frames);
    const float stepR = (panGains_[1] - appliedGains_[1]) / float(frames);
    for (size_t i = 0; i < frames; ++i)
    {
        const float gainL = appliedGains_[0] + stepL * float(i + 1);
        const float gainR = appliedGains_[1] + stepR * float(i + 1);
        const float left = in[i * size_t(channels)];
        const float right = in[i * size_t(channels) + size_t(channels - 1)];
        scratch_[2 * i] = left * gainL;
        scratch_[2 * i + 1] = right * gainR;
    }
    appliedGains_ = panGains_;
    alBufferData(block.buffer, AL_FORMAT_STEREO_FLOAT32, scratch_.data(), ALsizei(frames * 2 * sizeof(float)),
                 source_->rate());
}

void CVoice::retire()
{
    spare_.push_back(queued_.front().buffer);
    played_.push_back(std::move(queued_.front()));
    queued_.pop_front();
    if (played_.size() > PlayedBlocks) played_.pop_front();
}

void CVoice::update()
{
    if (!isPlaying()) return;
    ALint processed = 0;
    alGetSourcei(alSource_, AL_BUFFERS_PROCESSED, &processed);
    for (; processed > 0 && !queued_.empty(); --processed)
    {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(alSource_, 1, &buffer);
        retire();
    }
    fill();
    ALint state = AL_STOPPED;
    alGetSourcei(alSource_, AL_SOURCE_STATE, &state);
    if (state == AL_PLAYING) return;
    // Stopped with data left means the feed fell behind: carry on from the queue.
    if (!queued_.empty())
        alSourcePlay(alSource_);
    else
        state_ = State::Stopped;
}

const CVoice::Block& CVoice::blockAt(size_t index) const
{
    return index < played_.size() ? played_[index] : queued_[index - played_.size()];
}

bool CVoice::playPoint(size_t& block, int64_t& offset)
{
    if (!isActive() || queued_.empty()) return false;
    ALint sample = 0;
    alGetSourcei(alSource_, AL_SAMPLE_OFFSET, &sample);
    offset = sample;
    block = played_.size();
    while (block + 1 < played_.size() + queued_.size() && offset >= blockAt(block).frames)
        offset -= blockAt(block++).frames;
    offset = std::min(offset, blockAt(block).frames);
    return true;
}

int64_t CVoice::position()
{
    size_t block = 0;
    int64_t offset = 0;
    if (!playPoint(block, offset)) return isActive() ? cursor_.position() : 0;
    const auto& segments = blockAt(block).segments;
    auto segment = std::upper_bound(segments.begin(), segments.end(), offset,
                                    [](int64_t at, const SoundSegment& s) { return at < s.offset; });
    if (segment == segments.begin()) return 0;
    --segment;
    return segment->frame + (offset - segment->offset);
}

void CVoice::meter(int64_t window, float& peak, float& rms)
{
    peak = rms = 0.0f;
    size_t block = 0;
    int64_t offset = 0;
    if (!playPoint(block, offset)) return;
    const size_t channels = size_t(source_->channels());
    double sum = 0.0;
    size_t count = 0;
    for (int64_t left = window; left > 0;)
    {
        const int64_t take = std::min(offset, left);
        const float* samples = blockAt(block).samples.data() + size_t(offset - take) * channels;
        for (size_t i = 0; i < size_t(take) * channels; ++i)
        {
            peak = std::max(peak, std::fabs(samples[i]));
            sum += double(samples[i]) * samples[i];
        }
        count += size_t(take) * channels;
        left -= take;
        if (block == 0) break;
        offset = blockAt(--block).frames;
    }
    rms = count ? float(std::sqrt(sum / double(count))) : 0.0f;
}

} // namespace Kavro
