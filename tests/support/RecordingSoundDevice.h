#pragma once

#include "support/FakeCore.h"

#include <set>
#include <string>

namespace OrvaneTest
{

// A sound device that records every call as "name(args)" and answers like a device would: handles
// count up from 1, opens succeed unless the file is in `missing`, play/stop/pause/resume keep the
// playing and paused state. Vectors are logged as three numbers.
class RecordingSoundDevice : public FakeSoundDevice
{
public:
    int requestHandle(int a, int b) override;
    int open(const char* name, int mode, uint32_t handle, int count, int last) override;
    int open3D(const char* name, int mode, uint32_t handle, int count, int last) override;
    int releaseHandle(uint32_t handle) override;
    int play(uint32_t handle, int mode, int start, int end, int instance) override;
    int stop(uint32_t handle, int last) override;
    int pause(uint32_t handle, int last) override;
    int resume(uint32_t handle, int last) override;
    int setLoop(uint32_t handle, int mode, int start, int end, int last) override;
    int setVolume(uint32_t handle, float value, int last) override;
    int setPan(uint32_t handle, float value, int last) override;
    int setFrequency(uint32_t handle, float value, int last) override;
    int seek(uint32_t handle, int position) override;
    int isPlaying(uint32_t handle, int last) override;
    int isPaused(uint32_t handle, int last) override;
    int getDuration(uint32_t handle) override;
    int getPosition(uint32_t handle) override;
    int setListenerPosition(const Kavro::Vector3D& v) override;
    int setListenerRotation(const Kavro::Vector3D& v) override;
    int setPosition3D(uint32_t handle, const Kavro::Vector3D& v) override;
    float getPulse(uint32_t handle, int last) override;
    float getAmplitude(uint32_t handle, int last) override;
    int setEffect1(uint32_t handle, float a, float b, float c, float d, int e, float f) override;
    int setEcho(uint32_t handle, float a, float b, float c, float d, int e) override;
    int setEffect2(uint32_t handle, float a, float b, float c, float d) override;
    int setPresetReverb(uint32_t handle, int preset) override;
    int setEffect3(uint32_t handle) override;

    // The calls whose name is not one of the queries (isPlaying, isPaused, getDuration, getPosition).
    std::vector<std::string> actions() const;

    CallLog log;
    std::set<std::string> missing;
    std::set<uint32_t> playing;
    std::set<uint32_t> paused;
    uint32_t nextHandle = 1;
    int duration = 0;
    int position = 0;
    float pulse = 0.0f;
    float amplitude = 0.0f;
};

} // namespace OrvaneTest
