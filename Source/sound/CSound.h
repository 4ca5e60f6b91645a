#pragma once

#include "core/CTaskObject.h"
#include "curve/CInterpolator.h"

#include <cstdint>
#include <string>

namespace Kavro
{
class ISoundDevice;
}

namespace Orvane
{

class CVolumeControl;

// One sound file on one handle of the application's sound device, with eased volume, pan and
// frequency, loop points, instances played in turn, a sound type, sound groups with ducking and the
// fade of its volume control. Without a device every operation does nothing and queries answer 0.
class CSound : public CTaskObject
{
public:
    CSound();
    explicit CSound(const std::string& name);
    ~CSound() override;

    int update() override;

    // Opens the file streamed (create) or in memory with count instances (load): 0, or -1.
    virtual int create(uint32_t newHandle, float newVolume, const std::string& name);
    virtual int load(uint32_t newHandle, float newVolume, const std::string& name, uint32_t count);
    // Opens another file on the same handle the way the sound was opened; everything else is kept.
    virtual int reopen(const std::string& name);
    virtual const std::string& getFileName() const;
    // 1 streamed, 0 in memory, -1 never opened.
    virtual int getCreateMode() const;

    virtual void play();
    virtual void playLoop(int32_t mode, int32_t start, int32_t end);
    virtual void stop();
    virtual void pause();
    virtual void onResume();
    // Sends volume x fade x group and type volumes.
    virtual void applyVolume();

    virtual void setVolume(float value, uint32_t time, int32_t easing);
    virtual void setPan(float value, uint32_t time, int32_t easing);
    virtual void setFrequency(float value, uint32_t time, int32_t easing);
    // Ignored unless 0 <= start <= end.
    virtual void setLoop(int32_t mode, int32_t start, int32_t end);
    virtual void setType(int32_t id);
    virtual void setTimeScale(float scale);
    // A playing sound restarts at the position on its next instance.
    virtual void seek(int32_t position);

    virtual int isPlaying();
    virtual int isPaused();
    virtual float getVolume();
    virtual float getPan();
    virtual float getFrequency();
    virtual int32_t getDurationTime();
    virtual int32_t getPosition();
    virtual float getPulse();
    virtual float getAmplitude();

    // Effects stop the sound first.
    virtual void setEffect1(float a, float b, float c, float d, int32_t e, float f);
    virtual void setEcho(float wetDry, float feedback, float leftDelay, float rightDelay, int32_t panSwap);
    virtual void setEffect2(float a, float b, float c, float d);
    virtual void setPresetReverb(int32_t preset);
    virtual void setEffect3();

    // -1 when no group has the name.
    virtual int addSoundGroup(const std::string& groupName, int32_t level, float factor);
    virtual void setVolumeControlFadeTime(float inTime, int32_t inEasing, float outTime, int32_t outEasing);

    virtual void setVolumeTimer(float time);
    virtual void setPanTimer(float time);
    virtual void setFrequencyTimer(float time);
    virtual float getVolumeTimer();
    virtual float getPanTimer();
    virtual float getFrequencyTimer();

    uint32_t getHandle() const { return handle; }
    uint32_t getInstanceCount() const { return instanceCount; }
    int32_t getType() const { return soundType; }
    CVolumeControl* getVolumeControl() const { return volumeControl; }

protected:
    // The application's device; null without one, and always null for a placeholder, which must
    // never act on a handle (the device ignores handle 0, and a real sound's handle is not its own).
    Kavro::ISoundDevice* device() const;
    // Placeholders set this in their constructor.
    bool placeholder = false;

    // The device's open for this kind of sound, and the volume it sends once the file is open.
    virtual int openOnDevice(Kavro::ISoundDevice* dev, const std::string& name, int mode, uint32_t count);
    virtual void sendOpeningVolume();
    // Whether play steps the volume control at once, so that the volume sent with it is final.
    virtual bool settlesVolumeOnPlay() const;
    // The type volume, 1.0 without a type.
    float typeVolumeValue() const;
    static int32_t checkedEasing(int32_t easing);

    uint32_t handle = 0;
    uint32_t instanceIndex = 0;
    uint32_t instanceCount = 1;
    int32_t soundType = -1;
    CInterpolator<float> volume;
    CInterpolator<float> pan;
    CInterpolator<float> frequency;
    int32_t loopMode = 1;
    int32_t loopStart = 0;
    int32_t loopEnd = 0;
    std::string fileName;
    int32_t createMode = -1;
    float timeScale = 1.0f;
    CVolumeControl* volumeControl = nullptr;

private:
    void initialize();
    bool controlRegistered = false;
    int open(uint32_t newHandle, float newVolume, const std::string& name, int mode, uint32_t count);
    void markRestarted(int32_t audible);
};

// Stands in for a sound that could not be made. It never reaches the device, so it plays nothing,
// its queries answer 0, and it cannot stop or free another sound.
class CNullSound : public CSound
{
public:
    CNullSound();

    int update() override;
    int create(uint32_t newHandle, float newVolume, const std::string& name) override;
    int load(uint32_t newHandle, float newVolume, const std::string& name, uint32_t count) override;
    void setType(int32_t id) override;
    float getVolume() override;
    float getPan() override;
    float getFrequency() override;
};

} // namespace Orvane
