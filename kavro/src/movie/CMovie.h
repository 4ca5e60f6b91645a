#pragma once

#include "movie/OggPackets.h"
#include "render/YuvFrame.h"

#include <kavro/IMovie.h>
#include <kavro/RefCounted.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace Kavro
{

class CSoundDevice;
class CTheoraStream;
class IFileSystem;
class ISoundDevice;

// The movie player. open reads the whole file (the only file access); a decoder thread then keeps a few
// decoded frames ready ahead of the clock, so that updateFrame never waits for the decoder. The clock is
// the movie's sound on the sound device; a movie without sound, or without a device, runs by a
// millisecond clock instead. Frames overtaken by the clock are dropped. Damage found while decoding
// stops the movie.
class CMovie : public RefCounted<IMovie>
{
public:
    // Milliseconds of a steady clock.
    using Clock = std::function<int64_t()>;
    static constexpr size_t QueueLength = 4;

    // fileSystem: where names are found (null: plain files); sound: where the sound plays (null: no
    // sound). References are kept to both. A null clock is the system's steady clock.
    CMovie(IFileSystem* fileSystem, ISoundDevice* sound, Clock clock = nullptr);
    ~CMovie() override;

    int open(const char* name, int mode) override;
    int play(int loops) override;
    int setLoop(int loops) override;
    int stop() override;
    int pause() override;
    int resume() override;
    int seek(int milliseconds) override;
    int updateFrame(ITexture* texture) override;
    int setTexture(ITexture* texture) override;
    int getWidth() override { return width_; }
    int getHeight() override { return height_; }
    int isPlaying() override;
    int isPaused() override;
    int setVolume(float volume) override;
    int setSpeed(float speed) override;
    int getDuration() override { return int(duration_); }
    int getRemainTime() override { return getPosition(); }
    int getPosition() override;

    // Opens over bytes already in memory (what open does after reading the file).
    int openBytes(std::vector<uint8_t> bytes);
    // Blocks until the decoder has filled its queue, ended or failed, at most timeout milliseconds
    // (tests and benchmarks: the frame loop never waits). True when it got there.
    bool waitForDecoder(int timeoutMilliseconds);
    // Frames written into a texture, and frames dropped unseen, since open.
    int64_t framesShown() const { return shown_; }
    int64_t framesDropped() const { return dropped_ + lateDecoded_.load(); }
    bool hasSound() const { return soundHandle_ != 0; }

private:
    enum class State
    {
        Stopped,
        Playing,
        Paused
    };
    struct Frame
    {
        int64_t time = 0; // ms from the start of the first pass
        YuvFrame picture;
    };

    // Absolute movie time now (passes x duration + position); notices the end of the last pass.
    int64_t now();
    int64_t timerElapsed() const;
    bool lastPassDone(int64_t elapsed) const;
    void finishPlayback();
    // Sends the decoder to time at.
    void restartDecoder(int64_t at);
    void decodeLoop();
    void stopDecoder();

    IFileSystem* fileSystem_;
    ISoundDevice* sound_;
    CSoundDevice* soundDevice_ = nullptr;
    Clock clock_;
    bool opened_ = false;
    int width_ = 0;
    int height_ = 0;
    int64_t duration_ = 0;
    double frameMs_ = 0.0;
    uint32_t soundHandle_ = 0;
    int soundRate_ = 0;
    ITexture* boundTexture_ = nullptr;

    // Main thread only.
    State state_ = State::Stopped;
    int loops_ = 1;
    float speed_ = 1.0f;
    int64_t startAt_ = 0;    // where the next play starts
    int64_t timerBase_ = 0;  // timer clock: elapsed at timerStart_
    int64_t timerStart_ = 0; // clock reading when the timer last started
    int64_t pass_ = 0;       // sound clock: passes completed
    int64_t lastSoundPosition_ = 0;
    int64_t lastTime_ = 0;
    bool atEnd_ = false; // stopped by the end of the last pass
    int64_t shown_ = 0;
    int64_t dropped_ = 0;

    // Shared with the decoder thread.
    std::shared_ptr<CTheoraStream> video_;
    std::thread decoder_;
    mutable std::mutex lock_;
    std::condition_variable wake_;
    std::condition_variable progress_;
    std::deque<Frame> queue_;
    bool quit_ = false;
    bool restart_ = false;
    int64_t restartAt_ = 0;
    uint64_t generation_ = 0;
    bool decoderEnded_ = false;
    bool decoderFailed_ = false;
    // The clock's last reading: frames that end before it are decoded but not kept.
    std::atomic<int64_t> clockHint_{0};
    std::atomic<int64_t> lateDecoded_{0};
};

} // namespace Kavro
