#pragma once

#include "sound/CSound.h"
#include "sound/Squirrel/SQSoundBinding.h"

namespace Orvane::Squirrel
{

// The script class "SQSound" over one sound object.
class SQSound : public SQSoundBinding<CSound, CNullSound>
{
public:
    explicit SQSound(const char* name);

    // Opens the file streamed; a stream already open under the same name is kept, another name is
    // opened on the same handle. 0, or -1 with a placeholder in place.
    int create(const char* name);
    // The same for a sound held in memory with several instances.
    int load(const char* name);

    float getAmplitude();
    // An unknown group changes nothing; the script sees no result either way.
    void addSoundGroup(const char* groupName, int level, float factor);
    void setVolumeControlFadeTime(float inTime, int inEasing, float outTime, int outEasing);
    void setTimeScale(float scale);
    void setVolumeTimer(float time);
    void setPanTimer(float time);
    void setFrequencyTimer(float time);
    float getVolumeTimer();
    float getPanTimer();
    float getFrequencyTimer();

    static void registerClass();

private:
    int open(const char* name, int keptMode, CSound* (CTask::*factory)(const std::string&));
};

} // namespace Orvane::Squirrel
