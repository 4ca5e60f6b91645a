#include "support/FakeMovie.h"

#include <kavro/ITexture.h>

namespace OrvaneTest
{

namespace
{

// Textures are told apart by their file name, or "none" / "texture".
std::string textureLabel(Kavro::ITexture* texture)
{
    if (!texture)
        return "none";
    const char* name = texture->getFileName();
    return name && *name ? name : "texture";
}

} // namespace

int FakeMovie::open(const char* name, int mode)
{
    log_.add("open", label_, name ? name : "(null)", mode);
    return openResult;
}

int FakeMovie::play(int loops)
{
    log_.add("play", label_, loops);
    return commandResult;
}

int FakeMovie::setLoop(int loops)
{
    log_.add("setLoop", label_, loops);
    return commandResult;
}

int FakeMovie::stop()
{
    log_.add("stop", label_);
    return commandResult;
}

int FakeMovie::pause()
{
    log_.add("pause", label_);
    return commandResult;
}

int FakeMovie::resume()
{
    log_.add("resume", label_);
    return commandResult;
}

int FakeMovie::seek(int milliseconds)
{
    log_.add("seek", label_, milliseconds);
    return commandResult;
}

int FakeMovie::updateFrame(Kavro::ITexture* texture)
{
    log_.add("updateFrame", label_, textureLabel(texture));
    return 0;
}

int FakeMovie::setTexture(Kavro::ITexture* texture)
{
    log_.add("setTexture", label_, textureLabel(texture));
    return 0;
}

int FakeMovie::setVolume(float volume)
{
    log_.add("setVolume", label_, volume);
    return 0;
}

int FakeMovie::setSpeed(float speed)
{
    log_.add("setSpeed", label_, speed);
    return 0;
}

} // namespace OrvaneTest
