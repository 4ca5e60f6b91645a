#pragma once

#include "support/CallLog.h"

#include <kavro/IMovie.h>

#include <string>

namespace OrvaneTest
{

// Movie player that logs every call as "operation(label, args)"; answers are scriptable fields.
class FakeMovie : public LoggedRefCounted<Kavro::IMovie>
{
public:
    FakeMovie(CallLog& log, std::string label) : log_(log), label_(std::move(label)) {}

    int width = 64;
    int height = 32;
    int openResult = 0;
    int commandResult = 0;
    int playing = 0;
    int paused = 0;
    int duration = 0;
    int position = 0;

    int open(const char* name, int mode) override;
    int play(int loops) override;
    int setLoop(int loops) override;
    int stop() override;
    int pause() override;
    int resume() override;
    int seek(int milliseconds) override;
    int updateFrame(Kavro::ITexture* texture) override;
    int setTexture(Kavro::ITexture* texture) override;
    int getWidth() override { return width; }
    int getHeight() override { return height; }
    int isPlaying() override { return playing; }
    int isPaused() override { return paused; }
    int setVolume(float volume) override;
    int setSpeed(float speed) override;
    int getDuration() override { return duration; }
    int getRemainTime() override { return position; }
    int getPosition() override { return position; }

private:
    CallLog& log_;
    std::string label_;
};

} // namespace OrvaneTest
