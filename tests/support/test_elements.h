// Drum elements made in memory for tests of the sound manager and the drumming: samples of one
// constant value on both channels, so that the mixer's output tells a voice's gain.
#pragma once
#include <cstdint>

#include "sound/sound.h"

namespace skyt_test {

// Makes `sample` a loaded sound of `frames` stereo frames whose every value is `value`, at
// `level` relative to the loudest of its set, played by at most max_voices voices at once.
void FillToneSample(Sound::Sample& sample, int frames, int16_t value, float level, int max_voices);

// Waits until the loader threads have completed every sample of every used element slot of
// `s`; false when they have not after ten seconds.
bool WaitForSamples(Sound& s);

}  // namespace skyt_test
