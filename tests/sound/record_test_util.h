// Helpers of the recording, playback and export tests: element files made from generated
// samples, a held host clock, and offline rendering through the program-wide sound manager.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/paths.h"
#include "sound/sound.h"
#include "tests/sound/audio_test_util.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/fake_host_clock.h"
#include "tests/support/test_dirs.h"
#include "tests/support/test_elements.h"

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

// Base of the recording tests' fixtures: a fresh working folder with an empty recordings/.
class RecordingFolderTest : public ::testing::Test {
 protected:
  void EnterFolder(const std::string& name) {
    dir = skyt_test::FreshDir(name);
    cd = std::make_unique<skyt_test::ScopedChdir>(dir);
    std::filesystem::create_directories("recordings");
  }
  // Master volume 40, song volume 50 and the given drums volume.
  static void SetVolumes(int drums) {
    sound.SetMasterVolume(40);
    sound.SetDrumsVolume(drums);
    sound.SetSongVolume(50);
  }
  std::string dir;
  std::unique_ptr<skyt_test::ScopedChdir> cd;
};

// Waits until every sample of every used element slot is complete.
inline void WaitForSamples(Sound& s) {
  if (!skyt_test::WaitForSamples(s)) ADD_FAILURE() << "samples did not load";
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

// Starts the offline device with `threads` sample loaders and loads each element file centred
// at full volume, waiting until every sample is in; the slots in order. Fails the test when
// one does not load.
inline std::vector<int> LoadElementsOffline(Sound& s, const std::vector<std::string>& paths, int threads = 4) {
  s.audio.BeginOffline(64);
  s.audio.StartRawThreads(threads);
  std::vector<int> slots;
  for (const std::string& path : paths) {
    slots.push_back(s.LoadElement(path.c_str(), 0.0f, 0, 100, 0, 100));
    EXPECT_GE(slots.back(), 0) << path;
  }
  WaitForSamples(s);
  return slots;
}

// Puts the sound manager back after an offline test: every element and the song unloaded,
// the offline device ended, the loader threads stopped and the clock let go.
inline void UnloadOffline(Sound& s) {
  for (size_t i = 0; i < s.elements.size(); ++i)
    if (!s.elements[i].free) s.UnloadElement(static_cast<int>(i));
  s.UnloadSong();
  s.audio.EndOffline();
  s.audio.StopRawThreads();
  skyt_test::SetHostTimeNanos(0);
}

// One moment of a scripted take: the render reaches `frame`, then `act` runs.
struct Cue {
  int64_t frame;
  std::function<void(Sound&)> act;
};

// A stroke: PlayElement(slot, volume, limb, openness) at `frame`.
inline Cue Hit(int64_t frame, int slot, float volume, int limb, float openness = 0.0f) {
  return {frame, [=](Sound& s) { s.PlayElement(slot, volume, limb, openness, 0.0f); }};
}

// Records the cues, in frame order, into `path` for kit `kit` with the clock held, renders on
// to `end`, then stops the recording and lets the clock go.
inline void RecordTake(OfflineSession& live, const std::string& path, const char* kit, const std::vector<Cue>& cues,
                       int64_t end) {
  live.HoldClock();
  ASSERT_TRUE(live.s.StartRecording(path.c_str(), kit));
  for (const Cue& cue : cues) {
    live.RenderTo(cue.frame);
    cue.act(live.s);
  }
  live.RenderTo(end);
  live.s.StopRecording();
  skyt_test::SetHostTimeNanos(0);
}

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
