#include "movie/CMovie.h"

#include "movie/CMovieSound.h"
#include "movie/CTheoraStream.h"
#include "render/CRenderDevice.h"
#include "render/CTexture.h"
#include "sound/CSoundDevice.h"

#include <kavro/IFileSystem.h>
#include <kavro/ISoundDevice.h>

#include <algorithm>
#include <chrono>
#include <cmath>

namespace Kavro
{

namespace
{

int64_t steadyMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::vector<uint8_t> readWholeFile(IFileSystem* fileSystem, const char* name)
{
    std::vector<uint8_t> bytes;
    IFileStream* stream = fileSystem->open(name, 0, 0, 0);
    if (!stream)
        return bytes;
    if (stream->load() >= 0 && stream->getLoadData())
    {
        const uint8_t* data = stream->getLoadData();
        bytes.assign(data, data + stream->getFileSize());
    }
    stream->close();
    stream->release();
    return bytes;
}

} // namespace

CMovie::CMovie(IFileSystem* fileSystem, ISoundDevice* sound, Clock clock)
    : fileSystem_(fileSystem), sound_(sound), clock_(clock ? std::move(clock) : Clock(steadyMilliseconds))
{
    if (fileSystem_)
        fileSystem_->addRef();
    if (sound_)
        sound_->addRef();
}

CMovie::~CMovie()
{
    stopDecoder();
    if (soundHandle_)
        sound_->releaseHandle(soundHandle_);
    setTexture(nullptr);
    if (sound_)
        sound_->release();
    if (fileSystem_)
        fileSystem_->release();
}

int CMovie::open(const char* name, int)
{
    if (opened_ || !name || !fileSystem_)
        return -1;
    std::vector<uint8_t> bytes = readWholeFile(fileSystem_, name);
    if (bytes.empty())
        return -1;
    return openBytes(std::move(bytes));
}

int CMovie::openBytes(std::vector<uint8_t> data)
{
    if (opened_)
        return -1;
    auto bytes = std::make_shared<const std::vector<uint8_t>>(std::move(data));
    std::vector<OggStreamSummary> streams;
    if (!ScanOggPages(bytes->data(), bytes->size(), streams))
        return -1;

    std::shared_ptr<CTheoraStream> video;
    std::unique_ptr<CMovieSound> sound;
    int64_t videoFrames = 0;
    int64_t soundFrames = 0;
    for (const OggStreamSummary& stream : streams)
    {
        if (!video)
        {
            auto candidate = std::make_shared<CTheoraStream>(bytes, stream.serial);
            if (candidate->open())
            {
                video = std::move(candidate);
                videoFrames = video->frameOfGranule(stream.lastGranule) + 1;
                continue;
            }
        }
        if (!sound)
        {
            auto candidate = std::make_unique<CMovieSound>(bytes, stream.serial);
            if (candidate->open() && stream.lastGranule > 0)
            {
                sound = std::move(candidate);
                soundFrames = stream.lastGranule;
            }
        }
    }
    if (!video || videoFrames <= 0)
        return -1;

    const th_info& info = video->info();
    width_ = int(info.pic_width);
    height_ = int(info.pic_height);
    frameMs_ = video->frameMilliseconds();
    const int64_t videoMs = int64_t(std::ceil(double(videoFrames) * frameMs_));
    int64_t soundMs = 0;
    if (sound)
        soundMs = soundFrames * 1000 / sound->rate();
    duration_ = std::max<int64_t>({videoMs, soundMs, 1});

    if (sound && sound_)
        if (auto* device = dynamic_cast<CSoundDevice*>(sound_))
        {
            soundRate_ = sound->rate();
            sound->setLengths(soundFrames, duration_ * soundRate_ / 1000);
            const int handle = device->requestHandle(0, 0);
            if (handle > 0 && device->openSource(uint32_t(handle), std::move(sound), "movie") == 0)
            {
                soundDevice_ = device;
                soundHandle_ = uint32_t(handle);
            }
            else if (handle > 0)
                device->releaseHandle(uint32_t(handle));
        }

    video_ = std::move(video);
    opened_ = true;
    decoder_ = std::thread([this] { decodeLoop(); });
    return 0;
}

// ---- The decoder thread

void CMovie::decodeLoop()
{
    std::unique_lock guard(lock_);
    uint64_t generation = generation_;
    int64_t pass = 0;
    int64_t skipUntil = 0;
    int64_t framesThisPass = 0;
    for (;;)
    {
        wake_.wait(guard, [this] { return quit_ || restart_ || (!decoderEnded_ && queue_.size() < QueueLength); });
        if (quit_)
            return;
        if (restart_)
        {
            restart_ = false;
            generation = generation_;
            queue_.clear();
            decoderEnded_ = decoderFailed_ = false;
            skipUntil = restartAt_;
            pass = restartAt_ / duration_;
            framesThisPass = 0;
            guard.unlock();
            const bool rewound = video_->rewind();
            guard.lock();
            if (!rewound && generation == generation_)
            {
                decoderFailed_ = decoderEnded_ = true;
                progress_.notify_all();
            }
            continue;
        }
        guard.unlock();
        enum class Outcome { Frame, Skipped, NextPass, Ended, Failed } outcome;
        Frame frame;
        int64_t index = 0;
        const int result = video_->next(index);
        if (result > 0)
        {
            frame.time = pass * duration_ + int64_t(std::llround(double(index) * frameMs_));
            ++framesThisPass;
            // The frame still on screen at skipUntil, and every later one; a frame the clock has already
            // passed is too late to be shown.
            const double end = double(frame.time) + frameMs_;
            outcome = end > double(skipUntil) ? Outcome::Frame : Outcome::Skipped;
            if (outcome == Outcome::Frame && end <= double(clockHint_.load()))
            {
                outcome = Outcome::Skipped;
                ++lateDecoded_;
            }
            if (outcome == Outcome::Frame)
                video_->picture(frame.picture);
        }
        else if (result < 0)
            outcome = Outcome::Failed;
        else if (framesThisPass == 0)
            outcome = Outcome::Ended; // a stream without frames: nothing to go round
        else
        {
            // The next pass follows at once; the clock decides whether it is ever shown.
            outcome = video_->rewind() ? Outcome::NextPass : Outcome::Failed;
            ++pass;
            framesThisPass = 0;
        }
        guard.lock();
        if (generation != generation_ || restart_)
            continue;
        if (outcome == Outcome::Frame)
            queue_.push_back(std::move(frame));
        else if (outcome == Outcome::Failed)
            decoderFailed_ = decoderEnded_ = true;
        else if (outcome == Outcome::Ended)
            decoderEnded_ = true;
        progress_.notify_all();
    }
}

void CMovie::restartDecoder(int64_t at)
{
    std::lock_guard guard(lock_);
    restart_ = true;
    restartAt_ = std::max<int64_t>(at, 0);
    clockHint_ = restartAt_;
    ++generation_;
    queue_.clear();
    wake_.notify_all();
}

void CMovie::stopDecoder()
{
    {
        std::lock_guard guard(lock_);
        quit_ = true;
    }
    wake_.notify_all();
    if (decoder_.joinable())
        decoder_.join();
}

bool CMovie::waitForDecoder(int timeoutMilliseconds)
{
    std::unique_lock guard(lock_);
    return progress_.wait_for(guard, std::chrono::milliseconds(timeoutMilliseconds), [this] {
        return !restart_ && (decoderEnded_ || queue_.size() >= QueueLength);
    });
}

// ---- The clock

int64_t CMovie::timerElapsed() const
{
    if (state_ != State::Playing)
        return timerBase_;
    return timerBase_ + int64_t(double(clock_() - timerStart_) * double(speed_));
}

bool CMovie::lastPassDone(int64_t elapsed) const
{
    return loops_ >= 0 && elapsed >= int64_t(std::max(loops_, 1)) * duration_;
}

int64_t CMovie::now()
{
    if (state_ == State::Stopped)
        return lastTime_;
    int64_t time = 0;
    if (soundHandle_)
    {
        if (state_ == State::Playing && !sound_->isPlaying(soundHandle_, 0) && !sound_->isPaused(soundHandle_, 0))
        {
            finishPlayback();
            return lastTime_;
        }
        const int64_t position = sound_->getPosition(soundHandle_);
        // The sound went round to its start: the next pass began.
        if (position + duration_ / 2 < lastSoundPosition_)
            ++pass_;
        lastSoundPosition_ = position;
        time = pass_ * duration_ + position;
    }
    else
    {
        time = timerElapsed();
        if (lastPassDone(time))
        {
            finishPlayback();
            return lastTime_;
        }
    }
    lastTime_ = time;
    return time;
}

void CMovie::finishPlayback()
{
    state_ = State::Stopped;
    startAt_ = 0;
    // The last frame of the last pass stays, even when the clock went past it at once.
    const int64_t lastPass = soundHandle_ ? pass_ : std::max(loops_, 1) - 1;
    lastTime_ = lastPass * duration_ + duration_ - 1;
    atEnd_ = true;
    if (soundHandle_)
        sound_->stop(soundHandle_, -1);
}

// ---- Commands

int CMovie::play(int loops)
{
    if (!opened_)
        return -1;
    loops_ = loops;
    atEnd_ = false;
    const int64_t from = std::clamp<int64_t>(startAt_, 0, duration_ - 1);
    startAt_ = 0;
    pass_ = 0;
    lastSoundPosition_ = from;
    lastTime_ = from;
    restartDecoder(from);
    if (soundHandle_)
    {
        sound_->seek(soundHandle_, int(from));
        sound_->setFrequency(soundHandle_, speed_, -1);
        sound_->play(soundHandle_, loops, 0, 0, 0);
    }
    timerBase_ = from;
    timerStart_ = clock_();
    state_ = State::Playing;
    return 0;
}

int CMovie::setLoop(int loops)
{
    if (!opened_)
        return -1;
    loops_ = loops;
    if (soundHandle_)
        sound_->setLoop(soundHandle_, loops, 0, 0, -1);
    return 0;
}

int CMovie::stop()
{
    if (!opened_)
        return -1;
    state_ = State::Stopped;
    atEnd_ = false;
    startAt_ = 0;
    pass_ = 0;
    lastTime_ = 0;
    if (soundHandle_)
    {
        sound_->stop(soundHandle_, -1);
        sound_->seek(soundHandle_, 0);
    }
    restartDecoder(0);
    return 0;
}

int CMovie::pause()
{
    if (!opened_)
        return -1;
    if (state_ != State::Playing)
        return 0;
    now();
    if (state_ != State::Playing)
        return 0;
    timerBase_ = timerElapsed();
    state_ = State::Paused;
    if (soundHandle_)
        sound_->pause(soundHandle_, -1);
    return 0;
}

int CMovie::resume()
{
    if (!opened_)
        return -1;
    if (state_ != State::Paused)
        return 0;
    timerStart_ = clock_();
    state_ = State::Playing;
    if (soundHandle_)
        sound_->resume(soundHandle_, -1);
    return 0;
}

int CMovie::seek(int milliseconds)
{
    if (!opened_)
        return -1;
    const int64_t to = std::clamp<int64_t>(milliseconds, 0, duration_ - 1);
    if (state_ == State::Stopped)
    {
        atEnd_ = false;
        startAt_ = to;
        lastTime_ = to;
        if (soundHandle_)
            sound_->seek(soundHandle_, int(to));
        restartDecoder(to);
        return 0;
    }
    const int64_t pass = now() / duration_;
    if (state_ == State::Stopped)
        return seek(milliseconds);
    const int64_t at = pass * duration_ + to;
    if (soundHandle_)
    {
        sound_->seek(soundHandle_, int(to));
        pass_ = pass;
        lastSoundPosition_ = to;
    }
    timerBase_ = at;
    timerStart_ = clock_();
    lastTime_ = at;
    restartDecoder(at);
    return 0;
}

int CMovie::updateFrame(ITexture* texture)
{
    if (!opened_)
        return -1;
    const int64_t time = now();
    Frame due;
    bool have = false;
    bool failed = false;
    clockHint_ = time;
    {
        std::lock_guard guard(lock_);
        failed = decoderFailed_;
        while (!queue_.empty() && queue_.front().time <= time)
        {
            if (have)
                ++dropped_;
            due = std::move(queue_.front());
            queue_.pop_front();
            have = true;
        }
    }
    if (have)
        wake_.notify_all();
    // A file damaged past the point decoded so far ends the movie there.
    if (failed && state_ != State::Stopped)
        finishPlayback();
    ITexture* target = texture ? texture : boundTexture_;
    if (!have || !target)
        return 0;
    auto* own = dynamic_cast<CTexture*>(target);
    if (!own || !own->device() || own->device()->drawYuvFrame(target, due.picture) < 0)
        return -1;
    ++shown_;
    return 0;
}

int CMovie::setTexture(ITexture* texture)
{
    if (texture)
        texture->addRef();
    if (auto* old = dynamic_cast<CTexture*>(boundTexture_); old && old->frameSource() == this)
        old->setFrameSource(nullptr);
    if (boundTexture_)
        boundTexture_->release();
    boundTexture_ = texture;
    if (auto* ours = dynamic_cast<CTexture*>(texture))
        ours->setFrameSource(this);
    return 0;
}

int CMovie::isPlaying()
{
    if (!opened_)
        return 0;
    now();
    return state_ != State::Stopped ? 1 : 0;
}

int CMovie::isPaused()
{
    return state_ == State::Paused ? 1 : 0;
}

int CMovie::setVolume(float volume)
{
    if (!opened_)
        return -1;
    if (soundHandle_)
        sound_->setVolume(soundHandle_, std::clamp(volume, 0.0f, 1.0f), -1);
    return 0;
}

int CMovie::setSpeed(float speed)
{
    if (!opened_ || !(speed > 0.0f))
        return -1;
    timerBase_ = timerElapsed();
    timerStart_ = clock_();
    speed_ = speed;
    if (soundHandle_)
        sound_->setFrequency(soundHandle_, speed, -1);
    return 0;
}

int CMovie::getPosition()
{
    if (!opened_)
        return 0;
    const int64_t time = now();
    if (state_ == State::Stopped && atEnd_)
        return int(duration_);
    return int(time % duration_);
}

} // namespace Kavro
