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
