// Runs the installation into a fresh folder and plays every element the preset kits name.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "sound/midi.h"
#include "sound/sound.h"
#include "tests/support/test_dirs.h"

namespace {

// The elements of the 14 preset kits, with the category their kits use them in.
const struct {
  const char* name;
  Sound::ElementCategory category;
} kPresetElements[] = {
    {"12in bop snare (no rimshots)", 0}, {"12in bop snare", 0},   {"10in piccolo snare", 0},
    {"12in bop cross-stick", 0},         {"20in punch kick", 1},  {"14in bop kick", 1},
    {"8in bop tom", 0},                  {"10in bop tom", 0},     {"10in rock tom", 0},
    {"12in bop tom", 0},                 {"12in rock tom", 0},    {"14in bop tom", 0},
    {"14in rock tom", 0},                {"20in ride", 0},        {"20in ride bell", 0},
    {"18in crash", 0},                   {"19in china", 0},       {"12in splash", 0},
    {"8in splash", 0},                   {"8in cowbell", 0},      {"9in tambourine", 0},
    {"13in hi-hats", 2},                 {"13in hi-hat foot splash", 1},
};

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
      for (size_t i = 1; i < set.size(); ++i) EXPECT_LE(set[i - 1].level, set[i].level);
      if (!set.empty()) {
        EXPECT_FLOAT_EQ(set.back().level, 1.0f);
      }
    }
    s.UnloadElement(slot);
  }
  s.audio.EndOffline();
  s.audio.StopRawThreads();
}

}  // namespace
