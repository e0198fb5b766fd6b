// The sound manager: curves, volumes, which layer, set and gain a hit plays (through the offline
// mixer), hi-hat fades and cymbal chokes, the built-in sounds and the [Sound] settings.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "sound/embedded_sounds.h"
#include "sound/midi.h"
#include "sound/sound.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/fake_portmidi.h"
#include "tests/support/test_dirs.h"
#include "tests/support/test_elements.h"

namespace {

constexpr int kFrames = 22050;

class SoundMgrTest : public ::testing::Test {
 protected:
  void SetUp() override {
    midi_mode = 0;
    s_.SetDrumsVolume(100);
    ASSERT_GT(s_.audio.BeginOffline(64), 0);
  }
  void TearDown() override {
    s_.audio.EndOffline();
    midi_mode = 0;
  }

  // Adds a slot whose sets hold samples of the given levels; sample j of set i has the value
  // 1000 * (i + 1) + 100 * j.
  int Add(Sound::ElementType type, Sound::ElementCategory category,
          const std::vector<std::vector<float>>& levels, int volume = 100, float pan = 0.0f,
          int foot_volume = 100, Sound::VolumeResponseCurve curve = 0) {
    auto* data = new Sound::ElementSamples;
    data->path = "test" + std::to_string(s_.elements.size());
    data->sets.resize(levels.size());
    for (size_t i = 0; i < levels.size(); ++i) {
      data->sets[i].resize(levels[i].size());
      for (size_t j = 0; j < levels[i].size(); ++j)
        skyt_test::FillToneSample(data->sets[i][j], kFrames,
                                  static_cast<int16_t>(1000 * (i + 1) + 100 * j), levels[i][j], 8);
    }
    return s_.PlaceElement(data, type, category, pan, curve, volume, curve, foot_volume);
  }

  // (set, layer) of the one sample of the slot that plays, or (-1, -1).
  std::pair<int, int> Playing(int slot) {
    std::pair<int, int> found(-1, -1);
    auto& sets = s_.elements[slot].samples->sets;
    for (size_t i = 0; i < sets.size(); ++i)
      for (size_t j = 0; j < sets[i].size(); ++j)
        if (s_.audio.GetPlayingTime(sets[i][j].sound) >= 0.0f) {
          EXPECT_EQ(found.first, -1) << "two samples play";
          found = {static_cast<int>(i), static_cast<int>(j)};
        }
    return found;
  }

  // Plays one hit and reports which (set, layer) sounded, then silences everything.
  std::pair<int, int> Hit(int slot, float velocity, Sound::Limb limb, float openness = 0.0f) {
    s_.PlayElement(slot, velocity, limb, openness, 0.0f);
    std::pair<int, int> played = Playing(slot);
    Silence();
    return played;
  }

  void Silence() {
    s_.audio.StopAllSounds(false);
    std::vector<float> out(2 * 64);
    s_.audio.RenderOffline(out.data(), 64);
  }

  // Left and right output of the first rendered frame.
  std::pair<float, float> FirstFrame() {
    std::vector<float> out(2 * 64);
    s_.audio.RenderOffline(out.data(), 64);
    return {out[0], out[1]};
  }

  Sound s_;
};

TEST(SoundTables, CurvesNamesAndCategories) {
  EXPECT_STREQ(Sound::GetCurveName(0), "Linear");
  EXPECT_STREQ(Sound::GetCurveName(1), "S-curve 1");
  EXPECT_STREQ(Sound::GetCurveName(2), "S-curve 2");
  EXPECT_STREQ(Sound::GetCurveName(3), "Constant");
  for (int c = 0; c < 4; ++c) {
    EXPECT_FLOAT_EQ(Sound::GetCurvePoints(c)[0], 0.0f);
    EXPECT_FLOAT_EQ(Sound::GetCurvePoints(c)[20], 1.0f);
  }
  EXPECT_FLOAT_EQ(Sound::GetCurvePoints(0)[10], 0.478f);
  EXPECT_FLOAT_EQ(Sound::GetCurvePoints(3)[19], 0.859f);
  std::vector<int> categories;
  for (int t = 0; t < Sound::NUM_ELEMENT_TYPES; ++t)
    categories.push_back(Sound::GetElementCategory(Sound::ElementType(t)));
  EXPECT_EQ(categories, (std::vector<int>{1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2}));
  EXPECT_EQ(Sound::GetElementCategory(Sound::CHOKE), 0);
  EXPECT_EQ(Sound::GetElementCategory(Sound::ElementType(-3)), 0);
}

TEST_F(SoundMgrTest, MasterVolumeSetsTheGain) {
  s_.SetMasterVolume(40);
  EXPECT_FLOAT_EQ(s_.audio.GetMasterGain(), 1.0f);
  s_.SetMasterVolume(100);
  EXPECT_FLOAT_EQ(s_.audio.GetMasterGain(), 2.5f);
  EXPECT_EQ(s_.master_volume, 100);
  s_.SetMasterVolume(250);  // out of range: clamped
  EXPECT_FLOAT_EQ(s_.audio.GetMasterGain(), 2.5f);
  s_.SetDrumsVolume(-5);
  EXPECT_EQ(s_.drums_volume, 0);
}

TEST_F(SoundMgrTest, LayerAndGainFollowTheCurve) {
  int slot = Add(Sound::SNARE, 0, {{0.2f, 0.5f, 1.0f}, {0.2f, 0.5f, 1.0f}});
  // Linear curve: velocity 0.35 -> 0.295 (layer 0), 0.5 -> 0.478 (layer 1), 1.0 -> 1.0 (layer 2).
  EXPECT_EQ(Hit(slot, 0.35f, 0), std::make_pair(0, 0));
  EXPECT_EQ(Hit(slot, 0.5f, 0), std::make_pair(0, 1));
  EXPECT_EQ(Hit(slot, 1.0f, 1), std::make_pair(1, 2));

  // Gain c / level: 0.478 / 0.5 at element volume 80, drums 50, master 1.0, centre pan.
  s_.elements[slot].hand_volume = 80;
  s_.SetDrumsVolume(50);
  s_.PlayElement(slot, 0.5f, 0, 0.0f, 0.0f);
  auto [l, r] = FirstFrame();
  float expected = 1100.0f / 32768.0f * (80 * 50 * 0.0001f * 0.478f / 0.5f) * std::cos(3.14159f / 4);
  EXPECT_NEAR(l, expected, 1e-5f);
  EXPECT_NEAR(r, expected, 1e-5f);
}

TEST_F(SoundMgrTest, MidpointsBetweenLayersDecide) {
  // Constant curve point 9 is 0.518, between the midpoints 0.35 and 0.75 of 0.2, 0.5, 1.0.
  int slot = Add(Sound::SNARE, 0, {{0.2f, 0.5f, 1.0f}, {}}, 100, 0.0f, 100, 3);
  EXPECT_EQ(Hit(slot, 0.45f, 0), std::make_pair(0, 1));
  // Curve 3 at 0.2 is 0.226, below 0.35; at 0.9 it is 0.859, above 0.75.
  EXPECT_EQ(Hit(slot, 0.2f, 0), std::make_pair(0, 0));
  EXPECT_EQ(Hit(slot, 0.9f, 0), std::make_pair(0, 2));
  // One layer: always that one.
  int single = Add(Sound::SNARE, 0, {{1.0f}, {}});
  EXPECT_EQ(Hit(single, 0.05f, 0), std::make_pair(0, 0));
}

TEST_F(SoundMgrTest, HandSetsFallBackToTheOtherStick) {
  int left_only = Add(Sound::HIGH_TOM, 0, {{1.0f}, {}});
  EXPECT_EQ(Hit(left_only, 0.8f, 0), std::make_pair(0, 0));
  EXPECT_EQ(Hit(left_only, 0.8f, 1), std::make_pair(0, 0));
  int right_only = Add(Sound::HIGH_TOM, 0, {{}, {1.0f}});
  EXPECT_EQ(Hit(right_only, 0.8f, 0), std::make_pair(1, 0));
  EXPECT_EQ(Hit(right_only, 0.8f, 1), std::make_pair(1, 0));
  int empty = Add(Sound::HIGH_TOM, 0, {{}, {}});
  EXPECT_EQ(Hit(empty, 0.8f, 0), std::make_pair(-1, -1));
  // A foot limb passed for a hand element plays a stick set, never beyond the pair.
  int both = Add(Sound::HIGH_TOM, 0, {{1.0f}, {1.0f}});
  EXPECT_EQ(Hit(both, 0.8f, 2), std::make_pair(0, 0));
}

TEST_F(SoundMgrTest, FootElementsAlternateFromTheSecondSet) {
  int kick = Add(Sound::KICK, 1, {{1.0f}, {1.0f}});
  std::vector<int> sets;
  for (int i = 0; i < 4; ++i) sets.push_back(Hit(kick, 0.7f, 2).first);
  EXPECT_EQ(sets, (std::vector<int>{1, 0, 1, 0}));
}

TEST_F(SoundMgrTest, HihatOpennessStepsAndPedal) {
  // Pedal pair, then five openness steps: 12 sets.
  std::vector<std::vector<float>> levels(12, std::vector<float>{1.0f});
  int hh = Add(Sound::HIHAT, 2, levels, 100, 0.0f, 60);
  EXPECT_EQ(Hit(hh, 0.8f, 0, 0.99f).first, 2 + 2 * 4);
  EXPECT_EQ(Hit(hh, 0.8f, 1, 1.0f).first, 3 + 2 * 4);
  EXPECT_EQ(Hit(hh, 0.8f, 0, 0.19f).first, 2);
  EXPECT_EQ(Hit(hh, 0.8f, 1, 0.4f).first, 3 + 2 * 2);
  EXPECT_EQ(Hit(hh, 0.8f, 0, -0.5f).first, 2);
  EXPECT_EQ(Hit(hh, 0.8f, 0, std::numeric_limits<float>::quiet_NaN()).first, 2);
  EXPECT_EQ(Hit(hh, 0.8f, 0, 7.0f).first, 2 + 2 * 4);
  // The pedal alternates its two sets at the foot volume.
  EXPECT_EQ(Hit(hh, 0.8f, 2).first, 1);
  s_.PlayElement(hh, 1.0f, 2, 0.0f, 0.0f);
  auto [l, r] = FirstFrame();
  EXPECT_NEAR(l, 1000.0f / 32768.0f * 0.6f * std::cos(3.14159f / 4), 1e-5f);
  Silence();

  // Only the pedal pair: stick hits play nothing.
  int pedal_only = Add(Sound::HIHAT, 2, {{1.0f}, {1.0f}});
  EXPECT_EQ(Hit(pedal_only, 0.8f, 0, 0.5f), std::make_pair(-1, -1));
}

TEST_F(SoundMgrTest, PanningUsesEqualPower) {
  int left = Add(Sound::CRASH, 0, {{1.0f}, {1.0f}}, 100, -1.0f);
  s_.PlayElement(left, 1.0f, 0, 0.0f, 0.0f);
  auto [l, r] = FirstFrame();
  EXPECT_NEAR(l, 1000.0f / 32768.0f, 1e-5f);
  EXPECT_NEAR(r, 0.0f, 1e-5f);
}

TEST_F(SoundMgrTest, NothingPlaysForBadInputOrMidiMode) {
  int slot = Add(Sound::SNARE, 0, {{1.0f}, {1.0f}});
  EXPECT_EQ(Hit(slot, 0.0f, 0), std::make_pair(-1, -1));  // curve gain 0
  EXPECT_EQ(Hit(slot, std::numeric_limits<float>::quiet_NaN(), 0), std::make_pair(-1, -1));
  EXPECT_EQ(Hit(slot, 5.0f, 0), std::make_pair(0, 0));  // clamped to full velocity
  s_.PlayElement(-1, 1.0f, 0, 0, 0);
  s_.PlayElement(99, 1.0f, 0, 0, 0);
  EXPECT_EQ(s_.audio.GetNumPlayingSounds(), 0);

  // A layer of level 0 (a damaged file) would need an endless gain.
  int silent = Add(Sound::SNARE, 0, {{0.0f}, {}});
  EXPECT_EQ(Hit(silent, 1.0f, 0), std::make_pair(-1, -1));
  s_.elements[slot].samples->sets[0][0].level = std::numeric_limits<float>::infinity();
  EXPECT_EQ(Hit(slot, 1.0f, 0), std::make_pair(-1, -1));
  // A level far below its samples' loudness is raised by a bounded gain only.
  s_.elements[slot].samples->sets[0][0].level = 1e-6f;
  s_.PlayElement(slot, 1.0f, 0, 0.0f, 0.0f);
  EXPECT_NEAR(FirstFrame().first, 8.0f * 0.70711f * 1000.0f / 32768.0f, 1e-4f);
  Silence();
  s_.elements[slot].samples->sets[0][0].level = 1.0f;

  midi_mode = 1;
  EXPECT_EQ(Hit(slot, 1.0f, 0), std::make_pair(-1, -1));
  midi_mode = 2;
  EXPECT_EQ(Hit(slot, 1.0f, 0), std::make_pair(0, 0));
}

TEST_F(SoundMgrTest, HihatFadeAndCymbalChoke) {
  int splash = Add(Sound::HIHAT_SPLASH, 1, {{1.0f}, {1.0f}});  // slot 0 is a splash slot too
  int hh = Add(Sound::HIHAT, 2, {{1.0f}, {1.0f}, {1.0f}, {1.0f}});
  int crash = Add(Sound::CRASH, 0, {{1.0f}, {1.0f}});
  int china = Add(Sound::CHINA, 0, {{1.0f}, {1.0f}});
  int snare = Add(Sound::SNARE, 0, {{1.0f}, {1.0f}});
  auto play_all = [&] {
    for (int slot : {hh, splash, crash, china, snare}) s_.PlayElement(slot, 1.0f, 0, 0.0f, 0.0f);
    EXPECT_EQ(s_.audio.GetNumPlayingSounds(), 5);
  };
  std::vector<float> out(2 * 4410);
  play_all();
  s_.FadeHihats(hh);  // 0.08 s: hi-hat and foot splash are gone after 3528 frames
  s_.audio.RenderOffline(out.data(), 3600);
  EXPECT_EQ(s_.audio.GetNumPlayingSounds(), 3);
  Silence();

  s_.PlayElement(crash, 1.0f, 0, 0.0f, 0.0f);
  s_.PlayElement(china, 1.0f, 0, 0.0f, 0.0f);
  s_.PlayElement(snare, 1.0f, 0, 0.0f, 0.0f);
  s_.ChokeCymbals();  // 0.12 s
  s_.audio.RenderOffline(out.data(), 3600);
  EXPECT_EQ(s_.audio.GetNumPlayingSounds(), 3);  // still fading
  s_.audio.RenderOffline(out.data(), 1800);
  EXPECT_EQ(s_.audio.GetNumPlayingSounds(), 1);  // the snare rings on
  Silence();

  midi_mode = 1;  // nothing sounds, so nothing is faded
  s_.FadeHihats(-1);
  s_.ChokeCymbals();
}

// A hi-hat file of an odd number of sets (the pedal pair and one stick set) is read as whole
// pairs: either stick plays that stick set.
TEST_F(SoundMgrTest, AnOddHihatSetCountIsReadAsWholePairs) {
  const std::string dir = skyt_test::FreshDir("sound_mgr_odd_sets");
  for (const char* wav : {"/hh/ped/a/1.wav", "/hh/ped/b/1.wav", "/hh/a/l/1.wav", "/hh/a/r/1.wav"})
    element_test::WriteWav(dir + wav, element_test::Tone(100, 1000));
  const std::string path = dir + "/hh.ele";
  ASSERT_TRUE(s_.ConvertElement(path.c_str(), dir + "/hh", Sound::HIHAT, 2, nullptr));
  std::vector<uint8_t> b = element_test::ReadBytes(path);
  ASSERT_EQ(element_test::GetU32(b, 12), 4u);
  b[12] = 3;  // the last stick set left out
  element_test::WriteBytes(path, b);
  const int hh = s_.LoadElement(path.c_str(), 0.0f, 0, 100, 0, 100);
  ASSERT_GE(hh, 0);
  for (const Sound::Limb limb : {0, 1}) EXPECT_EQ(Hit(hh, 0.8f, limb, 0.5f).first, 2) << limb;
  EXPECT_EQ(Hit(hh, 0.8f, 2).first, 1);  // the pedal pair as before
  s_.UnloadElement(hh);
}

TEST_F(SoundMgrTest, UnloadingFreesSlotsForReuse) {
  int a = Add(Sound::HIHAT_SPLASH, 1, {{1.0f}, {1.0f}});
  int b = Add(Sound::SNARE, 0, {{1.0f}, {1.0f}});
  s_.UnloadElement(a);
  EXPECT_TRUE(s_.splash_elements.empty());
  EXPECT_EQ(s_.elements[a].free, 1);
  EXPECT_EQ(s_.elements[a].samples, nullptr);
  s_.UnloadElement(a);  // twice: nothing
  s_.UnloadElement(-1);
  // Element accessors by slot.
  s_.SetElementVolume(b, 33, true);
  s_.SetElementCurve(b, 2, false);
  s_.SetElementPan(b, 0.25f);
  EXPECT_EQ(s_.GetElementVolume(b, true), 33);
  EXPECT_EQ(s_.GetElementVolume(b, false), 100);
  EXPECT_EQ(s_.GetElementCurve(b, false), 2);
  EXPECT_FLOAT_EQ(s_.GetElementPan(b), 0.25f);
  EXPECT_EQ(s_.GetElementCategory(b), 0);
  EXPECT_EQ(s_.GetElementType(b), Sound::SNARE);
  // Cleaning up frees every element still loaded.
  s_.CleanUp();
  EXPECT_EQ(s_.elements[b].free, 1);
  EXPECT_EQ(s_.elements[b].samples, nullptr);
}

TEST_F(SoundMgrTest, MenuButtonSoundAlsoGoesToMidi) {
  fake_portmidi::OpenOnlyOutput("Drum Sampler");
  midi_send_menu_sound = true;
  s_.PlayDistanceMenuButtonSound();
  midi_send_menu_sound = false;
  s_.PlayDistanceMenuButtonSound();
  ASSERT_EQ(fake_portmidi::Messages().size(), 2u);
  EXPECT_EQ(fake_portmidi::Messages()[0].status(), 0x9B);
  EXPECT_EQ(fake_portmidi::Messages()[0].data1(), 39);
  EXPECT_EQ(fake_portmidi::Messages()[0].data2(), 64);
  CleanUpMIDI();
}

// Init and SaveSoundSettings work in a fresh installation folder.
class SoundSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = skyt_test::FreshDir(std::string("sound_settings_") +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_ + "/conf");
    chdir_ = std::make_unique<skyt_test::ScopedChdir>(dir_);
    midi_mode = 0;
    interface_state = 0;
  }
  void TearDown() override {
    midi_mode = 0;
    interface_state = 16;
    chdir_.reset();
  }
  void WriteConfig(const std::string& text) {
    std::ofstream(dir_ + "/conf/skytapper.cfg") << text;
  }
  std::string ReadConfig() {
    std::ifstream in(dir_ + "/conf/skytapper.cfg");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string dir_;
  std::unique_ptr<skyt_test::ScopedChdir> chdir_;
};

TEST_F(SoundSettingsTest, InitReadsTheSectionAndLoadsTheBuiltInSounds) {
  WriteConfig(
      "[Session]\nMidi_Mode = 2\n\n[Sound]\nDevice_Type = 0\nFrames_Per_Buffer = 64\n"
      "Device_Index = -2\nMaster_Volume = 40\nDrums_Volume = 70\nSong_Volume = 15\n"
      "Metronome_Volume = 60\nReverb_Amount = 0.3\nPanning_Enabled = no\n");
  Sound s;
  IniFile ini;
  ASSERT_TRUE(ini.Init("conf/skytapper.cfg"));
  EXPECT_TRUE(s.Init(ini));
  EXPECT_EQ(midi_mode, 2);
  EXPECT_EQ(s.master_volume, 40);
  EXPECT_EQ(s.drums_volume, 70);
  EXPECT_EQ(s.song_volume, 15);
  EXPECT_EQ(s.metronome_volume, 60);
  EXPECT_FLOAT_EQ(s.audio.GetMasterGain(), 1.0f);
  EXPECT_FLOAT_EQ(s.audio.GetReverbAmount(), 0.3f);
  EXPECT_FALSE(s.panning_enabled);
  EXPECT_FLOAT_EQ(s.beat_period, 0.5f);
  struct Expect {
    Audio::Sound* sound;
    int voices;
    float min_ms, max_ms;
  } sounds[] = {{&s.click, 2, 15, 40},
                {&s.editbox_error_sound, 1, 100, 200},
                {&s.latency_test_sound, 5, 2, 60},
                {&s.distance_menu_button_sound, 2, 30, 80}};
  for (const Expect& e : sounds) {
    ASSERT_NE(e.sound->Data(), nullptr);
    EXPECT_EQ(e.sound->max_voices, e.voices);
    float ms = e.sound->Frames() / 44.1f;
    EXPECT_GE(ms, e.min_ms);
    EXPECT_LE(ms, e.max_ms);
    int peak = 0;
    for (uint32_t i = 0; i < 2 * e.sound->Frames(); ++i) peak = std::max(peak, std::abs(int(e.sound->Data()[i])));
    EXPECT_GT(peak, 10000);
  }
  // The timing sounds start at once: loud within their first millisecond.
  for (Audio::Sound* timing : {&s.click, &s.latency_test_sound}) {
    int early = 0;
    for (int i = 0; i < 2 * 44; ++i) early = std::max(early, std::abs(int(timing->Data()[i])));
    EXPECT_GT(early, 3000);
  }
  s.CleanUp();
  EXPECT_EQ(s.click.Data(), nullptr);
}

TEST_F(SoundSettingsTest, OutOfRangeValuesAreClamped) {
  WriteConfig("[Sound]\nDevice_Type = 0\nMaster_Volume = 1000\nDrums_Volume = -20\n"
              "Metronome_Volume = 101\nReverb_Amount = nan\n");
  Sound s;
  IniFile ini;
  ASSERT_TRUE(ini.Init("conf/skytapper.cfg"));
  s.Init(ini);
  EXPECT_EQ(s.master_volume, 100);
  EXPECT_EQ(s.drums_volume, 0);
  EXPECT_EQ(s.metronome_volume, 100);
  EXPECT_FLOAT_EQ(s.audio.GetMasterGain(), 2.5f);
  EXPECT_FLOAT_EQ(s.audio.GetReverbAmount(), 0.0f);
  ini.CleanUp();
  WriteConfig("[Sound]\nDevice_Type = 0\nReverb_Amount = 7\n");
  ASSERT_TRUE(ini.Init("conf/skytapper.cfg"));
  Sound second;
  second.Init(ini);
  EXPECT_FLOAT_EQ(second.audio.GetReverbAmount(), 1.0f);
}

TEST_F(SoundSettingsTest, MissingFileGivesTheDefaults) {
  Sound s;
  IniFile ini;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(ini.Init("conf/skytapper.cfg"));
  testing::internal::GetCapturedStdout();
  s.Init(ini);
  EXPECT_EQ(s.master_volume, 50);
  EXPECT_EQ(s.drums_volume, 80);
  EXPECT_EQ(s.song_volume, 20);
  EXPECT_EQ(s.metronome_volume, 90);
  EXPECT_TRUE(s.panning_enabled);
  EXPECT_FLOAT_EQ(s.audio.GetMasterGain(), 1.25f);
}

TEST_F(SoundSettingsTest, SaveRewritesTheWholeSection) {
  WriteConfig("[Session]\nNever_Ran = false\n\n[Sound]\nDevice_Type = 5\nMaster_Volume = 1\nOld_Key = 3\n\n[Webcam]\nThreshold  = 115\n");
  sound.SetMasterVolume(45);
  sound.SetDrumsVolume(81);
  sound.SetSongVolume(22);
  sound.SetMetronomeVolume(91);
  sound.audio.SetReverbAmount(0.25f);
  sound.panning_enabled = false;
  ASSERT_TRUE(SaveSoundSettings(SoundDeviceLines::kRunning));
  std::string cfg = ReadConfig();
  std::string device = "Device_Type = " + std::to_string(sound.audio.GetDeviceType()) +
                       "\nFrames_Per_Buffer = " + std::to_string(sound.audio.GetFramesPerBuffer()) +
                       "\nDevice_Index = -1\n";
  EXPECT_EQ(cfg, "[Session]\nNever_Ran = false\n\n[Sound]\n" + device +
                     "Master_Volume = 45\nDrums_Volume = 81\nSong_Volume = 22\n"
                     "Metronome_Volume = 91\nReverb_Amount = 0.25\nPanning_Enabled = no\n"
                     "[Webcam]\nThreshold  = 115\n");

  // In MIDI mode on an in-air page the device in use is the MIDI one: the file's values stay.
  WriteConfig("[Sound]\nDevice_Type = 2\nFrames_Per_Buffer = 128\nDevice_Index = 4\n");
  sound.audio.SetReverbAmount(0.0f);
  sound.panning_enabled = true;
  ASSERT_TRUE(SaveSoundSettings(SoundDeviceLines::kKeepStored));
  EXPECT_EQ(ReadConfig(),
            "[Sound]\nDevice_Type = 2\nFrames_Per_Buffer = 128\nDevice_Index = 4\n"
            "Master_Volume = 45\nDrums_Volume = 81\nSong_Volume = 22\nMetronome_Volume = 91\n"
            "Reverb_Amount = 0\nPanning_Enabled = yes\n");
  WriteConfig("[Sound]\n");
  ASSERT_TRUE(SaveSoundSettings(SoundDeviceLines::kKeepStored));
  const std::string defaults = "[Sound]\nDevice_Type = 1\nFrames_Per_Buffer = 300\nDevice_Index = -1\n";
  EXPECT_EQ(ReadConfig().substr(0, defaults.size()), defaults);
}

TEST(SoundEmbedded, EmptyOrDamagedBlobsLeaveTheSoundEmpty) {
  Sound s;
  Audio::Sound target;
  const unsigned char empty[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  testing::internal::CaptureStdout();
  s.LoadEmbeddedSample(target, empty, 1);
  EXPECT_EQ(target.Data(), nullptr);
  // A block that does not decompress to its raw size.
  std::vector<unsigned char> bad(8 + 40, 0xFF);
  bad[0] = 40, bad[1] = bad[2] = bad[3] = 0;
  bad[4] = 100, bad[5] = bad[6] = bad[7] = 0;
  s.LoadEmbeddedSample(target, bad.data(), 1);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(target.Data(), nullptr);
  EXPECT_NE(out.find("Audio error: can't load embedded wav sample"), std::string::npos);
  s.LoadEmbeddedSample(target, click_wav_data, 2);
  EXPECT_NE(target.Data(), nullptr);
  s.audio.FreeSound(target);
}

}  // namespace
