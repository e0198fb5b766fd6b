// Runs the installation into a fresh folder and plays every element the preset kits name.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "sound/midi.h"
#include "sound/sound.h"
#include "tests/support/test_dirs.h"

namespace {

// The elements of the 14 preset kits, with the category their kits use them in and the
// velocity layers of each sample set (every layer of the element's own recording).
const struct {
  const char* name;
  Sound::ElementCategory category;
  size_t layers;
} kPresetElements[] = {
    {"12in bop snare (no rimshots)", 0, 5}, {"12in bop snare", 0, 6}, {"10in piccolo snare", 0, 5},
    {"12in bop cross-stick", 0, 5},         {"20in punch kick", 1, 5}, {"14in bop kick", 1, 5},
    {"8in bop tom", 0, 5},                  {"10in bop tom", 0, 5},    {"10in rock tom", 0, 5},
    {"12in bop tom", 0, 4},                 {"12in rock tom", 0, 5},   {"14in bop tom", 0, 5},
    {"14in rock tom", 0, 5},                {"20in ride", 0, 5},       {"20in ride bell", 0, 5},
    {"18in crash", 0, 5},                   {"19in china", 0, 5},      {"12in splash", 0, 5},
    {"8in splash", 0, 5},                   {"8in cowbell", 0, 5},     {"9in tambourine", 0, 5},
    {"13in hi-hats", 2, 5},                 {"13in hi-hat foot splash", 1, 5},
};

// Below -60 dBFS: a sample that stops here does not click.
constexpr int kQuietEnd = 33;

// Largest magnitude of the interleaved stereo frames [from, to).
int Peak(const Audio::Sound& sound, uint32_t from, uint32_t to) {
  int peak = 0;
  for (uint32_t i = 2 * from; i < 2 * to; ++i) peak = std::max(peak, std::abs(sound.Data()[i]));
  return peak;
}

// A hit that stops while still ringing clicks: the last 5 ms must be below the noise floor or
// fade, at least 12 dB below the 20 ms before them.
bool EndsWithoutClick(const Audio::Sound& sound) {
  const uint32_t end = sound.Frames(), tail = 220, before = 880;
  if (end < tail + before) return false;
  int last = Peak(sound, end - tail, end);
  return last <= kQuietEnd || last * 4 <= Peak(sound, end - tail - before, end - tail);
}

bool WaitLoaded(const Sound& s, int slot) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (;;) {
    bool all = true;
    for (const auto& set : s.elements[slot].samples->sets)
      for (const auto& sample : set) all = all && sample.sound.IsLoaded();
    if (all) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

// Peak of the first 0.2 s after the hit.
float PeakOfHit(Sound& s, int slot, Sound::Limb limb, float openness) {
  s.PlayElement(slot, 0.8f, limb, openness, 0.0f);
  std::vector<float> out(2 * 8820);
  s.audio.RenderOffline(out.data(), 8820);
  float peak = 0.0f;
  for (float v : out) peak = std::max(peak, std::fabs(v));
  s.audio.StopAllSounds(false);
  s.audio.RenderOffline(out.data(), 64);
  return peak;
}

TEST(ElementInstall, FreshInstallationHoldsEveryPresetElementAndEachSounds) {
  std::string dest = skyt_test::FreshDir("element_install");
  std::string command = "bash '" + skyt_test::SourceDir() + "/tools/install.sh' '" + dest + "' '" +
                        skyt_test::BuildDir() + "' > '" + dest + "/../element_install.log' 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << "see " << dest << "/../element_install.log";

  midi_mode = 0;
  Sound s;
  s.SetDrumsVolume(100);
  s.SetMasterVolume(40);
  s.audio.StartRawThreads(4);
  ASSERT_GT(s.audio.BeginOffline(256), 0);
  for (const auto& e : kPresetElements) {
    SCOPED_TRACE(e.name);
    std::string path = dest + "/data/elements/" + e.name + ".ele";
    ASSERT_TRUE(std::filesystem::exists(path));
    int slot = s.LoadElement(path.c_str(), 0.0f, 0, 100, 0, 100);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(s.GetElementCategory(slot), e.category);
    ASSERT_TRUE(WaitLoaded(s, slot));
    if (e.category == 0) {
      EXPECT_GT(PeakOfHit(s, slot, 0, 0.0f), 0.01f);
      EXPECT_GT(PeakOfHit(s, slot, 1, 0.0f), 0.01f);
    } else if (e.category == 1) {
      EXPECT_GT(PeakOfHit(s, slot, 2, 0.0f), 0.01f);
      EXPECT_GT(PeakOfHit(s, slot, 2, 0.0f), 0.01f);  // the other alternating set
    } else {
      EXPECT_GE(s.elements[slot].samples->sets.size(), 6u);  // pedal and openness steps
      for (float openness : {0.0f, 0.5f, 1.0f}) EXPECT_GT(PeakOfHit(s, slot, 1, openness), 0.01f);
      EXPECT_GT(PeakOfHit(s, slot, 2, 0.0f), 0.005f);
    }
    // Louder layers for harder hits: the set is sorted by level, the loudest at 1.0.
    for (const auto& set : s.elements[slot].samples->sets) {
      if (set.empty()) continue;
      EXPECT_EQ(set.size(), e.layers);
      for (size_t i = 1; i < set.size(); ++i) EXPECT_LE(set[i - 1].level, set[i].level);
      EXPECT_FLOAT_EQ(set.back().level, 1.0f);
      for (const auto& sample : set) EXPECT_TRUE(EndsWithoutClick(sample.sound));
    }
    s.UnloadElement(slot);
  }
  s.audio.EndOffline();
  s.audio.StopRawThreads();
}

// Each element is its own recording: none is another played faster or slower.
TEST(ElementInstall, ManifestKeepsEveryRecordingAtItsOwnSpeed) {
  std::istringstream manifest(
      skyt_test::ReadFile(skyt_test::SourceDir() + "/tools/elements/manifest.txt"));
  int entries = 0;
  for (std::string line; std::getline(manifest, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::istringstream row(line);
    for (std::string field; std::getline(row, field, '|');) fields.push_back(field);
    ASSERT_EQ(fields.size(), 5u) << line;
    EXPECT_EQ(std::stod(fields[3]), 1.0) << line;
    ++entries;
  }
  EXPECT_EQ(entries, static_cast<int>(std::size(kPresetElements)));
}

}  // namespace
