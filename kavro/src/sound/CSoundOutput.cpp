#include "sound/CSoundOutput.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <AL/efx.h>

#include <cstdio>
#include <cstring>

namespace Kavro
{

namespace
{

// OpenAL Soft's name for its null back end.
constexpr const char* NoOutputName = "No Output";

std::string alcErrorText(ALCdevice* device)
{
    const ALCenum code = alcGetError(device);
    const char* name = code == ALC_INVALID_DEVICE    ? "ALC_INVALID_DEVICE"
                       : code == ALC_INVALID_CONTEXT ? "ALC_INVALID_CONTEXT"
                       : code == ALC_INVALID_ENUM    ? "ALC_INVALID_ENUM"
                       : code == ALC_INVALID_VALUE   ? "ALC_INVALID_VALUE"
                       : code == ALC_OUT_OF_MEMORY   ? "ALC_OUT_OF_MEMORY"
                       : code == ALC_NO_ERROR        ? "ALC_NO_ERROR"
                                                     : "ALC error";
    char text[64];
    std::snprintf(text, sizeof text, "%s (0x%04x)", name, unsigned(code));
    return text;
}

} // namespace

CSoundOutput::~CSoundOutput()
{
    close();
}

void CSoundOutput::close()
{
    if (context_)
    {
        unbind();
        if (alcGetCurrentContext() == context_) alcMakeContextCurrent(nullptr);
        alcDestroyContext(context_);
    }
    if (device_) alcCloseDevice(device_);
    context_ = nullptr;
    device_ = nullptr;
}

bool CSoundOutput::makeContext(const int* attributes)
{
    context_ = alcCreateContext(device_, attributes);
    if (!context_)
    {
        close();
        return false;
    }
    bind();
    alcGetIntegerv(device_, ALC_FREQUENCY, 1, &rate_);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    return true;
}

bool CSoundOutput::openPlayback()
{
    close();
    playbackFailure_.clear();
    device_ = alcOpenDevice(nullptr);
    if (!device_)
    {
        playbackFailure_ = "no playback device: OpenAL Soft could not open its default output, " + alcErrorText(nullptr);
        return false;
    }
    // Positional sound is plain panning: no head-related filters.
    const int attributes[] = {ALC_HRTF_SOFT, ALC_FALSE, ALC_MAX_AUXILIARY_SENDS, 2, 0};
    const char* name = alcGetString(device_, ALC_ALL_DEVICES_SPECIFIER);
    const std::string deviceName = name ? name : "";
    if (!makeContext(attributes))
    {
        playbackFailure_ = "OpenAL Soft cannot make a context on the output \"" + deviceName + "\", " +
                           alcErrorText(nullptr);
        return false;
    }
    audible_ = !deviceName.empty() && deviceName != NoOutputName;
    if (!audible_)
        playbackFailure_ = "no playback device: OpenAL Soft found only its null output (\"" + deviceName + "\")";
    loopback_ = false;
    return true;
}

bool CSoundOutput::openLoopback(int rate)
{
    close();
    if (!alcIsExtensionPresent(nullptr, "ALC_SOFT_loopback")) return false;
    device_ = alcLoopbackOpenDeviceSOFT(nullptr);
    if (!device_) return false;
    // Measurements need the mix as it is: no limiter, no head-related filters.
    const int attributes[] = {ALC_FORMAT_CHANNELS_SOFT,
                              ALC_STEREO_SOFT,
                              ALC_FORMAT_TYPE_SOFT,
                              ALC_FLOAT_SOFT,
                              ALC_FREQUENCY,
                              rate,
                              ALC_HRTF_SOFT,
                              ALC_FALSE,
                              ALC_OUTPUT_LIMITER_SOFT,
                              ALC_FALSE,
                              ALC_MAX_AUXILIARY_SENDS,
                              2,
                              0};
    if (!makeContext(attributes)) return false;
    loopback_ = true;
    audible_ = false;
    return true;
}

void CSoundOutput::bind()
{
    // Thread-local, so two devices (or a device and its worker) never take each other's context.
    alcSetThreadContext(context_);
}

void CSoundOutput::unbind()
{
    if (alcGetThreadContext() == context_) alcSetThreadContext(nullptr);
}

void CSoundOutput::render(float* out, int frames)
{
    if (frames <= 0) return;
    if (loopback_)
        alcRenderSamplesSOFT(device_, out, frames);
    else
        std::memset(out, 0, sizeof(float) * 2 * size_t(frames));
}

} // namespace Kavro
