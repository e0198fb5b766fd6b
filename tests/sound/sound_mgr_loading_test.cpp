// Loading element files into the table: heads at once, the rest through the loader threads,
// shared data between slots, MIDI-only loading.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "sound/midi.h"
#include "sound/sound.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/test_dirs.h"

namespace {

using namespace element_test;

bool WaitLoaded(Sound& s, int slot) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  for (;;) {
    bool all = true;
    for (auto& set : s.elements[slot].samples->sets)
      for (auto& sample : set) all = all && sample.sound.IsLoaded();
    if (all) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

class ElementLoadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    midi_mode = 0;
    dir_ = skyt_test::FreshDir(std::string("element_loading_") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    // A hi-hat: pedal pair and two openness steps, layers of several lengths.
    sources_ = {{"ped/a/1.wav", Tone(3000, 5000, 1)},   {"ped/b/1.wav", Tone(7000, 6000, 2)},
                {"a/l/1.wav", Tone(40000, 9000, 3)},    {"a/l/2.wav", Tone(100, 3000, 4)},
                {"a/r/1.wav", Tone(6145, 8000, 5)},     {"b/l/1.wav", Tone(90000, 12000, 6)},
                {"b/r/1.wav", Tone(6144, 7000, 7)}};
    for (const auto& [name, pcm] : sources_) WriteWav(dir_ + "/hh/" + name, pcm);
    path_ = dir_ + "/hh.ele";
    ASSERT_TRUE(s_.ConvertElement(path_.c_str(), dir_ + "/hh", Sound::HIHAT, 2, nullptr));
  }
  void TearDown() override { s_.audio.StopRawThreads(); }

  std::string dir_, path_;
  std::vector<std::pair<std::string, Pcm>> sources_;
  Sound s_;
};

TEST_F(ElementLoadingTest, ConvertThenLoadGivesBackTheSourcePcm) {
  int slot = s_.LoadElement(path_.c_str(), 0.5f, 1, 70, 3, 40);
  ASSERT_EQ(slot, 0);
  const Sound::Element& e = s_.elements[slot];
  EXPECT_EQ(e.type, Sound::HIHAT);
  EXPECT_EQ(e.category, 2);
  EXPECT_EQ(e.hand_curve, 1);
  EXPECT_EQ(e.hand_volume, 70);
  EXPECT_EQ(e.foot_curve, 3);
  EXPECT_EQ(e.foot_volume, 40);
  EXPECT_FLOAT_EQ(e.pan, 0.5f);
  ASSERT_EQ(e.samples->sets.size(), 6u);
  s_.audio.StartRawThreads(4);
  ASSERT_TRUE(WaitLoaded(s_, slot));
  int compared = 0;
  for (const auto& set : e.samples->sets)
    for (const auto& sample : set)
      for (const auto& [name, pcm] : sources_)
        if (pcm.size() == 2 * static_cast<size_t>(sample.sound.Frames())) {
          ASSERT_EQ(memcmp(sample.sound.Data(), pcm.data(), pcm.size() * 2), 0) << name;
          ++compared;
        }
  EXPECT_EQ(compared, 7);
  // A loaded sample sounds eight times at once: a ninth hit takes its oldest voice.
  s_.SetDrumsVolume(100);
  ASSERT_GT(s_.audio.BeginOffline(64), 0);
  std::vector<float> out(2 * 64);
  for (int hit = 0; hit < 9; ++hit) {
    s_.PlayElement(slot, 1.0f, 0, 0.0f, 0.0f);
    s_.audio.RenderOffline(out.data(), 64);
  }
  EXPECT_EQ(s_.audio.GetNumPlayingSounds(), 8);
  s_.audio.EndOffline();
  s_.UnloadElement(slot);
}

TEST_F(ElementLoadingTest, SlotsOfOneFileShareItsSamples) {
  int a = s_.LoadElement(path_.c_str(), 0, 0, 100, 0, 100);
  int b = s_.LoadElement(path_.c_str(), 0, 1, 50, 1, 50);
  ASSERT_GE(a, 0);
  ASSERT_GE(b, 0);
  EXPECT_NE(a, b);
  EXPECT_EQ(s_.elements[a].samples, s_.elements[b].samples);
  EXPECT_EQ(s_.elements[a].samples->reference_count, 2);
  s_.audio.StartRawThreads(4);
  ASSERT_TRUE(WaitLoaded(s_, a));
  s_.UnloadElement(a);
  ASSERT_NE(s_.elements[b].samples, nullptr);
  EXPECT_EQ(s_.elements[b].samples->reference_count, 1);
  EXPECT_NE(s_.elements[b].samples->sets[2][0].sound.Data(), nullptr);
  // The freed slot is reused by the next load.
  EXPECT_EQ(s_.LoadElement(path_.c_str(), 0, 0, 100, 0, 100), a);
  s_.UnloadElement(a);
  s_.UnloadElement(b);
}

TEST_F(ElementLoadingTest, UnloadingWhileTheLoadersReadIsSafe) {
  s_.audio.StartRawThreads(4);
  for (int round = 0; round < 20; ++round) {
    int slot = s_.LoadElement(path_.c_str(), 0, 0, 100, 0, 100);
    ASSERT_GE(slot, 0);
    s_.UnloadElement(slot);
  }
}

TEST_F(ElementLoadingTest, MidiModeKeepsTypesWithoutSamples) {
  ASSERT_TRUE(Sound::ConvertElement((dir_ + "/splash.ele").c_str(), Sound::HIHAT_SPLASH, 1));
  int hh = s_.LoadElementWithoutDataForMIDI(path_.c_str(), 0, 0, 100, 0, 100);
  int splash = s_.LoadElementWithoutDataForMIDI((dir_ + "/splash.ele").c_str(), 0, 0, 100, 0, 100);
  ASSERT_GE(hh, 0);
  ASSERT_GE(splash, 0);
  EXPECT_EQ(s_.GetElementType(hh), Sound::HIHAT);
  EXPECT_EQ(s_.GetElementCategory(hh), 2);
  EXPECT_TRUE(s_.elements[hh].samples->sets.empty());
  EXPECT_EQ(s_.splash_elements, std::vector<int>{splash});
  s_.PlayElement(hh, 1.0f, 0, 0.5f, 0.0f);  // nothing to play, nothing breaks
  s_.EraseElementsForMIDI();
  EXPECT_TRUE(s_.elements.empty());
  EXPECT_TRUE(s_.splash_elements.empty());

  // Loaded with samples, then freed for MIDI: the slot keeps its settings.
  int full = s_.LoadElement(path_.c_str(), 0.25f, 2, 60, 0, 100);
  s_.FreeElementDataForMIDI(full);
  EXPECT_TRUE(s_.elements[full].samples->sets.empty());
  EXPECT_EQ(s_.GetElementVolume(full, false), 60);
  EXPECT_EQ(s_.GetElementType(full), Sound::HIHAT);
  s_.EraseElementsForMIDI();
}

TEST_F(ElementLoadingTest, DamagedChunksNeverCrashTheLoaders) {
  std::vector<uint8_t> good = ReadBytes(path_);
  Parsed parsed = Parse(good);
  ASSERT_TRUE(parsed.ok);
  std::vector<std::vector<uint8_t>> damaged;
  uint32_t state = 99;
  for (int round = 0; round < 40; ++round) {  // random bytes in the chunk area
    std::vector<uint8_t> b = good;
    for (int k = 0; k < 6; ++k) {
      state = state * 1664525u + 1013904223u;
      b[parsed.chunk_area + state % (b.size() - parsed.chunk_area)] = static_cast<uint8_t>(state >> 24);
    }
    damaged.push_back(b);
  }
  std::vector<uint8_t> ff = good;  // a long match-length run
  std::fill(ff.begin() + static_cast<long>(parsed.chunk_area) + 8, ff.end(), 0xFF);
  damaged.push_back(ff);
  damaged.emplace_back(good.begin(), good.begin() + static_cast<long>(parsed.chunk_area) + 100);
  s_.audio.StartRawThreads(4);
  testing::internal::CaptureStdout();
  for (size_t i = 0; i < damaged.size(); ++i) {
    std::string path = dir_ + "/damaged" + std::to_string(i) + ".ele";
    WriteBytes(path, damaged[i]);
    int slot = s_.LoadElement(path.c_str(), 0, 0, 100, 0, 100);
    ASSERT_GE(slot, 0);  // the heads are intact
    ASSERT_TRUE(WaitLoaded(s_, slot));
    for (const auto& set : s_.elements[slot].samples->sets)
      for (const auto& sample : set) ASSERT_LE(sample.sound.Frames(), sample.sound.capacity.load());
    s_.UnloadElement(slot);
  }
  testing::internal::GetCapturedStdout();
}

TEST_F(ElementLoadingTest, MissingAndForeignFilesAreRefused) {
  EXPECT_EQ(s_.LoadElement((dir_ + "/none.ele").c_str(), 0, 0, 100, 0, 100), -1);
  WriteBytes(dir_ + "/foreign.ele", {'R', 'I', 'F', 'F', 1, 2, 3, 4, 5, 6, 7, 8});
  EXPECT_EQ(s_.LoadElement((dir_ + "/foreign.ele").c_str(), 0, 0, 100, 0, 100), -1);
  EXPECT_EQ(s_.LoadElementWithoutDataForMIDI((dir_ + "/foreign.ele").c_str(), 0, 0, 100, 0, 100), -1);
  // An intact header whose sets are cut off: refused the same way, no slot taken.
  std::vector<uint8_t> cut = ReadBytes(path_);
  cut.resize(24);
  WriteBytes(dir_ + "/cut.ele", cut);
  testing::internal::CaptureStdout();
  EXPECT_EQ(s_.LoadElement((dir_ + "/cut.ele").c_str(), 0, 0, 100, 0, 100), -1);
  testing::internal::GetCapturedStdout();
  EXPECT_TRUE(s_.elements.empty());
}

}  // namespace
