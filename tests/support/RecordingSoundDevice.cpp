#include "support/RecordingSoundDevice.h"

namespace OrvaneTest
{

namespace
{
bool isQuery(const std::string& call)
{
    for (const char* name : {"isPlaying(", "isPaused(", "getDuration(", "getPosition("})
        if (call.rfind(name, 0) == 0)
            return true;
    return false;
}
} // namespace

std::vector<std::string> RecordingSoundDevice::actions() const
{
    std::vector<std::string> result;
    for (const std::string& call : log.calls())
        if (!isQuery(call))
            result.push_back(call);
    return result;
}

int RecordingSoundDevice::requestHandle(int a, int b)
{
    log.add("requestHandle", a, b);
    return int(nextHandle++);
}

int RecordingSoundDevice::open(const char* name, int mode, uint32_t handle, int count, int last)
{
    log.add("open", name, mode, handle, count, last);
    return missing.contains(name) ? -2 : 0;
}

int RecordingSoundDevice::open3D(const char* name, int mode, uint32_t handle, int count, int last)
{
    log.add("open3D", name, mode, handle, count, last);
    return missing.contains(name) ? -2 : 0;
}

int RecordingSoundDevice::releaseHandle(uint32_t handle)
{
    log.add("releaseHandle", handle);
    playing.erase(handle);
    paused.erase(handle);
    return 0;
}

int RecordingSoundDevice::play(uint32_t handle, int mode, int start, int end, int instance)
{
    log.add("play", handle, mode, start, end, instance);
    playing.insert(handle);
    paused.erase(handle);
    return 0;
}

int RecordingSoundDevice::stop(uint32_t handle, int last)
{
    log.add("stop", handle, last);
    playing.erase(handle);
    paused.erase(handle);
    return 0;
}

int RecordingSoundDevice::pause(uint32_t handle, int last)
{
    log.add("pause", handle, last);
    if (playing.contains(handle))
        paused.insert(handle);
    return 0;
}

int RecordingSoundDevice::resume(uint32_t handle, int last)
{
    log.add("resume", handle, last);
    paused.erase(handle);
    return 0;
}

int RecordingSoundDevice::setLoop(uint32_t handle, int mode, int start, int end, int last)
{
    log.add("setLoop", handle, mode, start, end, last);
    return 0;
}

int RecordingSoundDevice::setVolume(uint32_t handle, float value, int last)
{
    log.add("setVolume", handle, value, last);
    return 0;
}

int RecordingSoundDevice::setPan(uint32_t handle, float value, int last)
{
    log.add("setPan", handle, value, last);
    return 0;
}

int RecordingSoundDevice::setFrequency(uint32_t handle, float value, int last)
{
    log.add("setFrequency", handle, value, last);
    return 0;
}

int RecordingSoundDevice::seek(uint32_t handle, int pos)
{
    log.add("seek", handle, pos);
    return 0;
}

int RecordingSoundDevice::isPlaying(uint32_t handle, int last)
{
    log.add("isPlaying", handle, last);
    return playing.contains(handle) ? 1 : 0;
}

int RecordingSoundDevice::isPaused(uint32_t handle, int last)
{
    log.add("isPaused", handle, last);
    return paused.contains(handle) ? 1 : 0;
}

int RecordingSoundDevice::getDuration(uint32_t handle)
{
    log.add("getDuration", handle);
    return duration;
}

int RecordingSoundDevice::getPosition(uint32_t handle)
{
    log.add("getPosition", handle);
    return position;
}

int RecordingSoundDevice::setListenerPosition(const Kavro::Vector3D& v)
{
    log.add("setListenerPosition", v.x, v.y, v.z);
    return 0;
}

int RecordingSoundDevice::setListenerRotation(const Kavro::Vector3D& v)
{
    log.add("setListenerRotation", v.x, v.y, v.z);
    return 0;
}

int RecordingSoundDevice::setPosition3D(uint32_t handle, const Kavro::Vector3D& v)
{
    log.add("setPosition3D", handle, v.x, v.y, v.z);
    return 0;
}

float RecordingSoundDevice::getPulse(uint32_t handle, int last)
{
    log.add("getPulse", handle, last);
    return pulse;
}

float RecordingSoundDevice::getAmplitude(uint32_t handle, int last)
{
    log.add("getAmplitude", handle, last);
    return amplitude;
}

int RecordingSoundDevice::setEffect1(uint32_t handle, float a, float b, float c, float d, int e, float f)
{
    log.add("setEffect1", handle, a, b, c, d, e, f);
    return 0;
}

int RecordingSoundDevice::setEcho(uint32_t handle, float a, float b, float c, float d, int e)
{
    log.add("setEcho", handle, a, b, c, d, e);
    return 0;
}

int RecordingSoundDevice::setEffect2(uint32_t handle, float a, float b, float c, float d)
{
    log.add("setEffect2", handle, a, b, c, d);
    return 0;
}

int RecordingSoundDevice::setPresetReverb(uint32_t handle, int preset)
{
    log.add("setPresetReverb", handle, preset);
    return 0;
}

int RecordingSoundDevice::setEffect3(uint32_t handle)
{
    log.add("setEffect3", handle);
    return 0;
}

} // namespace OrvaneTest
