#include "sprite/CSprite.h"

#include "core/CApp.h"
#include "core/CSoundManager.h"
#include "core/CSoundTypeVolume.h"
#include "core/CVolumeControl.h"

#include <kavro/IMovie.h>

namespace Orvane
{

namespace
{

// A script's single play means "for ever" to the player.
int32_t playerLoops(int32_t loops)
{
    return loops == 1 ? -1 : loops;
}

void markPlaying(CVolumeControl* control, int32_t playing)
{
    if (!control)
        return;
    control->audible = playing;
    control->changed = 1;
    control->jumpRequest = 1;
}

} // namespace

void CSprite::dropVolumeControl()
{
    if (!volumeControl)
        return;
    CApp* app = CApp::get();
    if (CSoundManager* manager = app ? app->soundManager : nullptr)
        manager->removeVolumeControl(volumeControl);
    else if (!volumeControl->typeVolume)
        delete volumeControl; // typeVolume is set only when a manager took the control
    volumeControl = nullptr;
}

int CSprite::play(const int32_t& loops)
{
    if (!movie)
        return -1;
    markPlaying(volumeControl, 1);
    return movie->play(playerLoops(loops));
}

int CSprite::pause()
{
    if (!movie)
        return -1;
    markPlaying(volumeControl, 0);
    return movie->pause();
}

int CSprite::onResume()
{
    if (!movie)
        return -1;
    markPlaying(volumeControl, 1);
    return movie->resume();
}

int CSprite::stop()
{
    if (!movie)
        return -1;
    markPlaying(volumeControl, 0);
    return movie->stop();
}

int CSprite::setLoop(const int32_t& loops)
{
    return movie ? movie->setLoop(playerLoops(loops)) : -1;
}

int CSprite::seek(const int32_t& at)
{
    return movie ? movie->seek(at) : -1;
}

int CSprite::getDurationTime()
{
    return movie ? movie->getDuration() : 0;
}

int CSprite::getRemainTime()
{
    return movie ? movie->getRemainTime() : 0;
}

uint32_t CSprite::isPlaying()
{
    return movie ? uint32_t(movie->isPlaying()) : 0;
}

int CSprite::isPaused()
{
    return movie ? movie->isPaused() : 0;
}

void CSprite::setVolume(float value, uint32_t time, uint32_t easing)
{
    if (easing >= 61)
        easing = 0;
    volume.set(volume.scaledValue, value, time, int32_t(easing));
    if (time == 0)
        applyVolume();
}

void CSprite::applyVolume()
{
    if (!volumeControl || !movie)
        return;
    const bool silent = volume.scaledValue <= 0.0f;
    const float typeLevel = volumeControl->typeVolume ? volumeControl->typeVolume->volume.scaledValue : 1.0f;
    const float level = volumeControl->groupLevel * typeLevel;
    const int32_t audible = !silent && movie->isPlaying() && !movie->isPaused() && level > 0.0f ? 1 : 0;
    if (volumeControl->audible != audible)
        volumeControl->changed = 1;
    volumeControl->audible = audible;
    movie->setVolume(volumeControl->getVolume() * (silent ? 0.0f : volume.scaledValue) * level);
    volumeControl->changed = 0;
}

} // namespace Orvane
