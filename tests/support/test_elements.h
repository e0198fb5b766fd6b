// Drum elements made in memory for tests of the sound manager and the drumming: samples of one
// constant value on both channels, so that the mixer's output tells a voice's gain.
#pragma once
#include <cstdint>

#include "sound/sound.h"

namespace skyt_test {

// Makes `sample` a loaded sound of `frames` stereo frames whose every value is `value`, at
// `level` relative to the loudest of its set, played by at most max_voices voices at once.
void FillToneSample(Sound::Sample& sample, int frames, int16_t value, float level, int max_voices);

// Appends a used slot holding `samples` (reference count 1) to the element table of `s`, with
// the same curve for hand and foot; a HIHAT_SPLASH is listed among the splash elements, as the
// loader does. Returns the slot.
int PushElement(Sound& s, Sound::ElementSamples* samples, Sound::ElementType type,
                Sound::ElementCategory category, Sound::VolumeResponseCurve curve, int hand_volume,
                int foot_volume, float pan = 0.0f);

// Waits until the loader threads have completed every sample of every used element slot of
// `s`; false when they have not after ten seconds.
bool WaitForSamples(Sound& s);

}  // namespace skyt_test
