#pragma once

#include "IInterface.h"

namespace Kavro
{

class ITexture;

// A movie player: an Ogg file with one Theora video stream and at most one Vorbis sound stream, from the
// file system (archives or plain files). ICore::openMovie makes an unopened player; open reads the file.
//
// Times are milliseconds of the movie at speed 1. Loop counts are those of the sound device's play:
// below 0 repeats for ever, 0 or 1 plays once, n plays n times. The sound plays through the core's sound
// device and is the movie's clock; frames whose time has passed when the next frame is due are skipped.
// A movie that ends, or whose file turns out to be damaged while it plays, stops (isPlaying answers 0).
// Commands answer 0, or -1 when the player is not open.
class IMovie : public IInterface
{
public:
    // Reads the file and checks its streams. mode is not used. 0, or -1 when the file cannot be read or
    // holds no decodable Theora stream. A player opens once; a second open fails.
    virtual int open(const char* name, int mode) = 0;
    // Starts from the beginning (after a seek: from there).
    virtual int play(int loops) = 0;
    // The loop count of the playing pass and of later plays.
    virtual int setLoop(int loops) = 0;
    // Stops and goes back to the beginning.
    virtual int stop() = 0;
    virtual int pause() = 0;
    virtual int resume() = 0;
    // Moves to a time (clamped to the movie); a stopped movie starts there at the next play.
    virtual int seek(int milliseconds) = 0;
    // Writes the frame due now into texture (a texture of the render device, of the movie's size) and
    // drops the frames that came too late. Null: into the texture given to setTexture, when there is one;
    // otherwise the movie only moves on. 0, or -1 when the texture cannot be written.
    virtual int updateFrame(ITexture* texture) = 0;
    // The texture updateFrame(null) writes into (one reference kept; null: none).
    virtual int setTexture(ITexture* texture) = 0;
    // Frame size in pixels; 0 before open.
    virtual int getWidth() = 0;
    virtual int getHeight() = 0;
    // 1 from play until stop or the end of the last pass, also while paused.
    virtual int isPlaying() = 0;
    virtual int isPaused() = 0;
    // Sound level, 0..1 (linear).
    virtual int setVolume(float volume) = 0;
    // Playback rate: 1 normal, 2 twice as fast (the sound's pitch follows); 0 or less is refused.
    virtual int setSpeed(float speed) = 0;
    // Length of one pass; 0 before open.
    virtual int getDuration() = 0;
    // The time played so far in the current pass, like getPosition: callers subtract it from
    // getDuration to learn what remains.
    virtual int getRemainTime() = 0;
    virtual int getPosition() = 0;
};

} // namespace Kavro
