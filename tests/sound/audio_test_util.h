// Helpers of the audio engine tests: sounds made from PCM in memory and offline rendering.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "sound/audio.h"

namespace audio_test {

// Fills the sound with a copy of the interleaved stereo PCM (one piece, loaded).
inline void Fill(Audio::Sound& s, const std::vector<int16_t>& pcm, int max_voices) {
  int16_t* data = new int16_t[pcm.size() + 2];
  std::copy(pcm.begin(), pcm.end(), data);
  s.data.store(data);
  s.capacity.store(static_cast<uint32_t>(pcm.size() / 2));
  s.frames.store(static_cast<uint32_t>(pcm.size() / 2));
  s.max_voices = max_voices;
  s.state.store(1);
  s.loaded.store(1);
}

inline std::vector<int16_t> Constant(int frames, int16_t value) {
  return std::vector<int16_t>(2 * static_cast<size_t>(frames), value);
}

// Renders `frames` frames offline (interleaved stereo).
inline std::vector<float> Render(Audio& audio, int frames) {
  std::vector<float> out(2 * static_cast<size_t>(frames));
  audio.RenderOffline(out.data(), frames);
  return out;
}

// Index of the first frame whose left or right value exceeds `threshold` in magnitude, or -1.
inline int FirstLoudFrame(const std::vector<float>& out, float threshold = 1e-6f) {
  for (size_t i = 0; i < out.size(); ++i)
    if (out[i] > threshold || out[i] < -threshold) return static_cast<int>(i / 2);
  return -1;
}

// Runs a command line (test fixtures only: fixed arguments, no user text).
inline bool Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

}  // namespace audio_test
