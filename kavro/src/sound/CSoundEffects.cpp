#include "sound/CSoundEffects.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/efx-presets.h>
#include <AL/efx.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace Kavro
{

namespace
{

constexpr EFXEAXREVERBPROPERTIES Presets[CSoundEffects::PresetCount] = {
    EFX_REVERB_PRESET_GENERIC, // 0: unused, the reverb is off
    EFX_REVERB_PRESET_GENERIC,    EFX_REVERB_PRESET_PADDEDCELL,  EFX_REVERB_PRESET_ROOM,
    EFX_REVERB_PRESET_BATHROOM,   EFX_REVERB_PRESET_LIVINGROOM,  EFX_REVERB_PRESET_STONEROOM,
    EFX_REVERB_PRESET_AUDITORIUM, EFX_REVERB_PRESET_CONCERTHALL, EFX_REVERB_PRESET_CAVE,
    EFX_REVERB_PRESET_ARENA,      EFX_REVERB_PRESET_HANGAR,      EFX_REVERB_PRESET_CARPETEDHALLWAY,
};

float DecibelsToGain(float decibels)
{
    return std::pow(10.0f, std::min(decibels, 0.0f) / 20.0f);
}

void LoadReverb(ALuint effect, const EFXEAXREVERBPROPERTIES& p)
{
    alEffectf(effect, AL_EAXREVERB_DENSITY, p.flDensity);
    alEffectf(effect, AL_EAXREVERB_DIFFUSION, p.flDiffusion);
    alEffectf(effect, AL_EAXREVERB_GAIN, p.flGain);
    alEffectf(effect, AL_EAXREVERB_GAINHF, p.flGainHF);
    alEffectf(effect, AL_EAXREVERB_GAINLF, p.flGainLF);
    alEffectf(effect, AL_EAXREVERB_DECAY_TIME, p.flDecayTime);
    alEffectf(effect, AL_EAXREVERB_DECAY_HFRATIO, p.flDecayHFRatio);
    alEffectf(effect, AL_EAXREVERB_DECAY_LFRATIO, p.flDecayLFRatio);
    alEffectf(effect, AL_EAXREVERB_REFLECTIONS_GAIN, p.flReflectionsGain);
    alEffectf(effect, AL_EAXREVERB_REFLECTIONS_DELAY, p.flReflectionsDelay);
    alEffectfv(effect, AL_EAXREVERB_REFLECTIONS_PAN, p.flReflectionsPan);
    alEffectf(effect, AL_EAXREVERB_LATE_REVERB_GAIN, p.flLateReverbGain);
    alEffectf(effect, AL_EAXREVERB_LATE_REVERB_DELAY, p.flLateReverbDelay);
    alEffectfv(effect, AL_EAXREVERB_LATE_REVERB_PAN, p.flLateReverbPan);
    alEffectf(effect, AL_EAXREVERB_ECHO_TIME, p.flEchoTime);
    alEffectf(effect, AL_EAXREVERB_ECHO_DEPTH, p.flEchoDepth);
    alEffectf(effect, AL_EAXREVERB_MODULATION_TIME, p.flModulationTime);
    alEffectf(effect, AL_EAXREVERB_MODULATION_DEPTH, p.flModulationDepth);
    alEffectf(effect, AL_EAXREVERB_AIR_ABSORPTION_GAINHF, p.flAirAbsorptionGainHF);
    alEffectf(effect, AL_EAXREVERB_HFREFERENCE, p.flHFReference);
    alEffectf(effect, AL_EAXREVERB_LFREFERENCE, p.flLFReference);
    alEffectf(effect, AL_EAXREVERB_ROOM_ROLLOFF_FACTOR, p.flRoomRolloffFactor);
    alEffecti(effect, AL_EAXREVERB_DECAY_HFLIMIT, p.iDecayHFLimit);
}

void SetFilterGain(ALuint filter, float gain)
{
    alFilterf(filter, AL_LOWPASS_GAIN, std::clamp(gain, 0.0f, 1.0f));
    alFilterf(filter, AL_LOWPASS_GAINHF, 1.0f);
}

} // namespace

CSoundEffects::~CSoundEffects()
{
    release(echo_);
    release(reverb_);
    if (dryFilter_) alDeleteFilters(1, &dryFilter_);
}

void CSoundEffects::release(Slot& slot)
{
    if (slot.slot) alDeleteAuxiliaryEffectSlots(1, &slot.slot);
    if (slot.effect) alDeleteEffects(1, &slot.effect);
    if (slot.sendFilter) alDeleteFilters(1, &slot.sendFilter);
    slot = Slot{};
}

bool CSoundEffects::make(Slot& slot, ALint type)
{
    if (slot.slot) return true;
    alGetError();
    alGenEffects(1, &slot.effect);
    alGenAuxiliaryEffectSlots(1, &slot.slot);
    alGenFilters(1, &slot.sendFilter);
    if (alGetError() != AL_NO_ERROR)
    {
        release(slot);
        return false;
    }
    alEffecti(slot.effect, AL_EFFECT_TYPE, type);
    alFilteri(slot.sendFilter, AL_FILTER_TYPE, AL_FILTER_LOWPASS);
    SetFilterGain(slot.sendFilter, 1.0f);
    return true;
}

bool CSoundEffects::makeDryFilter()
{
    if (dryFilter_) return true;
    alGetError();
    alGenFilters(1, &dryFilter_);
    if (alGetError() != AL_NO_ERROR) return (dryFilter_ = 0), false;
    alFilteri(dryFilter_, AL_FILTER_TYPE, AL_FILTER_LOWPASS);
    SetFilterGain(dryFilter_, 1.0f);
    return true;
}

bool CSoundEffects::setEcho(float wetDry, float feedback, float leftDelay, float rightDelay, bool panSwap)
{
    if (!make(echo_, AL_EFFECT_ECHO) || !makeDryFilter()) return false;
    const float wet = std::clamp(wetDry, 0.0f, 100.0f) / 100.0f;
    const float left = std::max(leftDelay, 0.0f) / 1000.0f;
    const float right = std::max(rightDelay, 0.0f) / 1000.0f;
    // EFX echoes twice: a first tap after DELAY and a second LRDELAY later, panned to opposite sides.
    alEffectf(echo_.effect, AL_ECHO_DELAY, std::clamp(std::min(left, right), 0.0f, AL_ECHO_MAX_DELAY));
    alEffectf(echo_.effect, AL_ECHO_LRDELAY, std::clamp(std::fabs(right - left), 0.0f, AL_ECHO_MAX_LRDELAY));
    alEffectf(echo_.effect, AL_ECHO_DAMPING, 0.0f);
    alEffectf(echo_.effect, AL_ECHO_FEEDBACK,
              std::clamp(feedback, 0.0f, 100.0f) / 100.0f * AL_ECHO_MAX_FEEDBACK);
    const bool leftFirst = left <= right;
    alEffectf(echo_.effect, AL_ECHO_SPREAD, leftFirst != panSwap ? 1.0f : -1.0f);
    alAuxiliaryEffectSloti(echo_.slot, AL_EFFECTSLOT_EFFECT, ALint(echo_.effect));
    // The send takes both output channels together; scaled so a centred sound echoes at wet x its level.
    alAuxiliaryEffectSlotf(echo_.slot, AL_EFFECTSLOT_GAIN, wet * std::numbers::sqrt2_v<float> / 2.0f);
    SetFilterGain(dryFilter_, 1.0f - wet);
    return true;
}

bool CSoundEffects::setReverb(float inGain, float mix, float time, float highFrequencyRatio)
{
    if (!make(reverb_, AL_EFFECT_EAXREVERB)) return false;
    EFXEAXREVERBPROPERTIES properties = EFX_REVERB_PRESET_GENERIC;
    properties.flGain = DecibelsToGain(mix);
    properties.flDecayTime =
        std::clamp(time / 1000.0f, AL_EAXREVERB_MIN_DECAY_TIME, AL_EAXREVERB_MAX_DECAY_TIME);
    properties.flDecayHFRatio =
        std::clamp(highFrequencyRatio, AL_EAXREVERB_MIN_DECAY_HFRATIO, AL_EAXREVERB_MAX_DECAY_HFRATIO);
    LoadReverb(reverb_.effect, properties);
    SetFilterGain(reverb_.sendFilter, DecibelsToGain(inGain));
    alAuxiliaryEffectSloti(reverb_.slot, AL_EFFECTSLOT_EFFECT, ALint(reverb_.effect));
    return true;
}

bool CSoundEffects::setPreset(int preset)
{
    if (preset < 0 || preset >= PresetCount) return false;
    if (preset == 0)
    {
        // The slot stays (sources still point at it) but holds no effect.
        if (reverb_.slot) alAuxiliaryEffectSloti(reverb_.slot, AL_EFFECTSLOT_EFFECT, AL_EFFECT_NULL);
        return true;
    }
    if (!make(reverb_, AL_EFFECT_EAXREVERB)) return false;
    LoadReverb(reverb_.effect, Presets[preset]);
    SetFilterGain(reverb_.sendFilter, 1.0f);
    alAuxiliaryEffectSloti(reverb_.slot, AL_EFFECTSLOT_EFFECT, ALint(reverb_.effect));
    return true;
}

void CSoundEffects::attach(ALuint source) const
{
    alSourcei(source, AL_DIRECT_FILTER, ALint(dryFilter_));
    alSource3i(source, AL_AUXILIARY_SEND_FILTER, ALint(echo_.slot), 0, ALint(echo_.sendFilter));
    alSource3i(source, AL_AUXILIARY_SEND_FILTER, ALint(reverb_.slot), 1, ALint(reverb_.sendFilter));
}

} // namespace Kavro
