#include "tests/support/test_elements.h"

#include <unistd.h>

namespace skyt_test {

void FillToneSample(Sound::Sample& sample, int frames, int16_t value, float level, int max_voices) {
  int16_t* data = new int16_t[2 * frames];
  for (int i = 0; i < 2 * frames; ++i) data[i] = value;
  sample.level = level;
  Audio::Sound& s = sample.sound;
  s.max_voices = max_voices;
  s.state.store(1);
  s.capacity.store(static_cast<uint32_t>(frames));
  s.data.store(data);
  s.frames.store(static_cast<uint32_t>(frames));
  s.loaded.store(1);
}

int PushElement(Sound& s, Sound::ElementSamples* samples, Sound::ElementType type,
                Sound::ElementCategory category, Sound::VolumeResponseCurve curve, int hand_volume,
                int foot_volume, float pan) {
  samples->reference_count = 1;
  Sound::Element e;
  e.samples = samples;
  e.type = type;
  e.category = category;
  e.hand_curve = curve;
  e.hand_volume = hand_volume;
  e.foot_curve = curve;
  e.foot_volume = foot_volume;
  e.pan = pan;
  e.free = 0;
  s.elements.push_back(e);
  const int slot = static_cast<int>(s.elements.size()) - 1;
  if (type == Sound::HIHAT_SPLASH) s.splash_elements.push_back(slot);
  return slot;
}

bool WaitForSamples(Sound& s) {
  for (int i = 0; i < 10000; ++i) {
    bool all = s.audio.GetRawQueueSize() == 0;
    for (const Sound::Element& e : s.elements)
      if (!e.free && e.samples)
        for (const auto& set : e.samples->sets)
          for (const Sound::Sample& sample : set) all = all && sample.sound.IsLoaded();
    if (all) return true;
    usleep(1000);
  }
  return false;
}

}  // namespace skyt_test
