// Helpers of the recording, playback and export tests: element files made from generated
// samples, a held host clock, and offline rendering through the program-wide sound manager.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/paths.h"
#include "sound/sound.h"
#include "tests/sound/audio_test_util.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/fake_host_clock.h"
#include "tests/support/test_dirs.h"

namespace record_test {

// A decaying tone: loud at first, silent by the end (so voices die away on their own).
inline element_test::Pcm Decay(uint32_t frames, int peak, int period) {
  element_test::Pcm pcm(2 * static_cast<size_t>(frames));
  for (uint32_t i = 0; i < frames; ++i) {
    const double env = 1.0 - static_cast<double>(i) / frames;
    const int v = static_cast<int>(peak * env * ((i / period) % 2 ? 1 : -1));
    pcm[2 * i] = static_cast<int16_t>(v);
    pcm[2 * i + 1] = static_cast<int16_t>(v / 2);
  }
  return pcm;
}

// Writes the sample folders of an element and converts them into data/elements/<name>.ele.
// Returns the element file's path.
inline std::string MakeElement(const std::string& name, Sound::ElementType type,
                               Sound::ElementCategory category, int period) {
  const std::string folder = "samples/" + name;
  std::vector<std::string> subs;
  if (category == Sound::CATEGORY_HAND) subs = {"l", "r"};
  if (category == Sound::CATEGORY_FOOT) subs = {"a", "b"};
  if (category == Sound::CATEGORY_HAND_AND_FOOT) subs = {"ped/a", "ped/b", "a/l", "a/r", "b/l", "b/r"};
  int k = 0;
  for (const std::string& sub : subs) {
    element_test::WriteWav(folder + "/" + sub + "/soft.wav", Decay(9000, 6000, period + k));
    element_test::WriteWav(folder + "/" + sub + "/loud.wav", Decay(12000, 20000, period + k));
    ++k;
  }
  std::filesystem::create_directories("data/elements");
  const std::string path = MakePath(kPathElements, name + ".ele");
  EXPECT_TRUE(sound.ConvertElement(path.c_str(), folder, type, category, nullptr));
  return path;
}

// Waits until every sample of every used element slot is complete.
inline void WaitForSamples(Sound& s) {
  for (int i = 0; i < 5000; ++i) {
    bool all = s.audio.GetRawQueueSize() == 0;
    for (const auto& e : s.elements)
      if (!e.free && e.samples)
        for (const auto& set : e.samples->sets)
          for (const auto& sample : set) all = all && sample.sound.IsLoaded();
    if (all) return;
    usleep(1000);
  }
  ADD_FAILURE() << "samples did not load";
}

// Makes a quiet sine song of the given length in the working folder and loads it whole.
inline bool LoadTestSong(Sound& s, const char* seconds) {
  if (!audio_test::Shell(std::string("sox -n -r 44100 -c 2 song.ogg synth ") + seconds + " sine 300 vol 0.3") ||
      !s.LoadSong("song.ogg"))
    return false;
  s.audio.WaitForLoadOggAsync(true);
  return true;
}

// Renders `frames` frames onto the end of `out`, the held clock following the frames.
struct OfflineSession {
  Sound& s;
  uint64_t base_nanos = 1000000000000ull;
  int64_t frame = 0;
  std::vector<float> out;

  void HoldClock() {
    skyt_test::SetHostTimeNanos(base_nanos + static_cast<uint64_t>(std::llround(frame * 1e9 / 44100.0)));
  }
  void Render(int frames) {
    const size_t at = out.size();
    out.resize(at + 2 * static_cast<size_t>(frames));
    s.audio.RenderOffline(out.data() + at, frames);
    frame += frames;
    HoldClock();
  }
  // Renders up to the given frame.
  void RenderTo(int64_t target) {
    if (target > frame) Render(static_cast<int>(target - frame));
  }
};

// Renders the running playback until it stops by itself (or the limit).
inline std::vector<float> RenderPlayback(Sound& s, int limit_frames) {
  std::vector<float> out;
  std::vector<float> buf(2 * 64);
  for (int f = 0; f < limit_frames && s.IsPerformancePlaying(); f += 64) {
    s.audio.RenderOffline(buf.data(), 64);
    out.insert(out.end(), buf.begin(), buf.end());
  }
  return out;
}

}  // namespace record_test
