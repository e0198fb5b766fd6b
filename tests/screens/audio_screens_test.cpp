// The latency and device screens: the latency text, device pages, None, the first run's
// Apply and Finish, what a failed and a good Apply leave in the settings file.
#include "sound/sound.h"
#include "tests/screens/screen_test_support.h"
#include "tests/sound/element_test_util.h"

namespace {

using skyt_test::Fakes;

class AudioScreens : public skyt_test::ScreenTest {
 protected:
  std::string Settings() const { return skyt_test::ReadFile("conf/skytapper.cfg"); }
};

TEST_F(AudioScreens, LatencyTextAndSliderLimits) {
  struct Case { const char* language; int frames; const char* text; int slider_x, slider_w; };
  const Case cases[] = {
      {"en", 256, "5.8ms buffer latency (256 samples)", 248, 240},
      {"en", 14, "0.3ms buffer latency (14 samples)", 248, 240},
      {"en", 600, "13.6ms buffer latency (600 samples)", 248, 240},
      {"ja", 256, nullptr, 258, 140},
  };
  for (const auto& c : cases) {
    SetLanguage(c.language);
    Fakes::frames = c.frames;
    Enter(kLatencyScreen);
    if (c.text) {
      EXPECT_NE(Find(c.text), nullptr) << c.text;
    }
    const auto slider = All(Imgui::TraceKind::SLIDER).at(0);
    EXPECT_EQ(slider.x, c.slider_x) << c.language;
    EXPECT_EQ(slider.w, c.slider_w) << c.language;
    EXPECT_EQ(slider.value, std::min(c.frames, 256));
  }
  // Dragged to the left end, the buffer stays at 14 frames.
  SetLanguage("en");
  const auto slider = All(Imgui::TraceKind::SLIDER).at(0);
  input->MoveTo(slider.x + 1, slider.y - 25);
  input->Press();
  Frame();
  input->Release();
  Frame();
  EXPECT_NE(Find("0.3ms buffer latency (14 samples)"), nullptr);
  EXPECT_EQ(Shown(327), "active");
}

TEST_F(AudioScreens, ThirteenDevicesMakeThreePagesOpeningOnTheDeviceInUse) {
  for (int i = 0; i < 13; ++i) Fakes::devices[i] = "device " + std::to_string(i);
  Fakes::manual = true;
  Fakes::device_index = 7;
  Enter(kAudioDeviceScreen);
  auto boxes = All(Imgui::TraceKind::CHECK_BOX);
  ASSERT_EQ(boxes.size(), 2u + 6u);
  EXPECT_EQ(boxes[2].label, "device 6");
  EXPECT_EQ(boxes[3].value, 1);  // device 7
  EXPECT_EQ(Shown(306), "active");
  ASSERT_TRUE(Click(7));
  Frame();
  boxes = All(Imgui::TraceKind::CHECK_BOX);
  ASSERT_EQ(boxes.size(), 2u + 1u);
  EXPECT_EQ(boxes[2].label, "device 12");
  EXPECT_EQ(Shown(7), "greyed");
  EXPECT_EQ(FindText(7)->y, 720 - 263 - 30);

  // Device 0 is a real choice; it goes back to the latency screen as the pending device.
  Fakes::device_index = 0;
  Enter(kAudioDeviceScreen);
  EXPECT_EQ(All(Imgui::TraceKind::CHECK_BOX)[2].value, 1);
  ASSERT_TRUE(Click(224));
  EXPECT_EQ(interface_state, kLatencyScreen);
  EXPECT_EQ(state_param, kAudioDeviceScreen);
  EXPECT_EQ(state_param2, 0);
}

TEST_F(AudioScreens, NoneHidesTheStreamAndGreysTest) {
  Fakes::devices = {{0, "a"}};
  Enter(kLatencyScreen);
  EXPECT_EQ(Shown(328), "active");
  Enter(kAudioDeviceScreen);
  ASSERT_TRUE(Click(305));
  ASSERT_TRUE(Click(224));
  Frame();
  EXPECT_TRUE(All(Imgui::TraceKind::SLIDER).empty());
  EXPECT_EQ(Shown(336), "missing");
  EXPECT_EQ(Shown(328), "greyed");
  EXPECT_NE(Find("Audio latency.  (Device: -2"), nullptr);
  ASSERT_TRUE(Click(327));
  EXPECT_TRUE(Fakes::Called("reinit 0 256 -2"));
  EXPECT_EQ(Shown(328), "greyed");
  // A device picked after None, where the stream had a buffer of one frame, opens with 128.
  Fakes::frames = 1;
  Enter(kLatencyScreen);
  for (const char* device : {GetUtf8(305), "a"}) {
    Enter(kAudioDeviceScreen);
    ASSERT_TRUE(Click(device));
    ASSERT_TRUE(Click(224));
    Frame();
  }
  ASSERT_TRUE(Click(327));
  EXPECT_TRUE(Fakes::Called("reinit 5 128 0"));
}

TEST_F(AudioScreens, FirstRunFailedApplyShowsTheMessageOfTheStreamStateAndSavesNoSound) {
  struct Case { int type_after_failure; int message; };
  for (const Case& c : {Case{0, 349}, Case{2, 348}}) {
    skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\n");
    drummer.Never_Ran = true;
    Fakes::messages.clear();
    Fakes::reinit_ok = false;
    Fakes::reinit_type_on_failure = c.type_after_failure;
    Enter(kLatencyScreen);
    EXPECT_EQ(Shown(345), "greyed");
    EXPECT_EQ(Shown(327), "active");
    EXPECT_EQ(Shown(310), "missing");
    ASSERT_TRUE(Click(327));
    ASSERT_EQ(Fakes::messages.size(), 1u);
    EXPECT_EQ(Fakes::messages[0], GetUtf8(c.message)) << c.message;
    EXPECT_EQ(Fakes::boxes.back(), "warning");
    EXPECT_EQ(Settings().find("[Sound]"), std::string::npos);
    Frame();
    EXPECT_EQ(Shown(345), "active");
    EXPECT_NE(FindText(344), nullptr);
  }
}

TEST_F(AudioScreens, HitDetectionChoiceSetsTheFramesOfDescent) {
  struct Case { int label; int frames; };
  for (const Case& c : {Case{kTextExpert, 1}, Case{kTextProficient, 3}, Case{kTextBeginner, 5}}) {
    Enter(kLatencyScreen);
    ASSERT_TRUE(Click(c.label));
    EXPECT_EQ(MocapMarker::m_down_frames_needed, c.frames) << GetUtf8(c.label);
    Frame();
    for (int label : {kTextExpert, kTextProficient, kTextBeginner})
      EXPECT_EQ(FindText(label)->value, label == c.label) << GetUtf8(label);
  }
}

// With MIDI notes only, Apply takes the hit detection and leaves the sound stream alone.
TEST_F(AudioScreens, MidiOnlyApplyOpensNoStream) {
  midi_mode = kMidiOnlyMode;
  Enter(kLatencyScreen);
  EXPECT_EQ(Shown(kTextTest), "missing");
  ASSERT_TRUE(Click(kTextBeginner));
  Frame();
  ASSERT_TRUE(Click(kTextApply));
  Frame();
  EXPECT_EQ(Shown(kTextApply), "greyed");
  for (const std::string& call : Fakes::calls) EXPECT_EQ(call.rfind("reinit", 0), std::string::npos) << call;
}

TEST_F(AudioScreens, GoodApplyWritesTheDeviceKeys) {
  Fakes::reinit_ok = true;
  Enter(kLatencyScreen);
  ASSERT_TRUE(Click(338));
  ASSERT_TRUE(Click(327));
  EXPECT_TRUE(Fakes::Called("reinit 6 256 -1"));
  const std::string s = Settings();
  for (const char* key : {"Device_Type = ", "Frames_Per_Buffer = ", "Device_Index = -1", "Hit_Detection_Sensitivity"}) {
    EXPECT_NE(s.find(key), std::string::npos) << key << "\n" << s;
  }
  Frame();
  EXPECT_EQ(Shown(327), "greyed");
  ASSERT_TRUE(Click(328));
  EXPECT_TRUE(Fakes::Called("test sound"));
  Frame();
  EXPECT_EQ(Shown(328), "greyed");
}

// Apply opens the stream picked last, on the device picked; picking the stream in use changes
// nothing to apply.
TEST_F(AudioScreens, ApplyOpensTheStreamAndDevicePicked) {
  for (int i = 0; i < 8; ++i) Fakes::devices[i] = "device " + std::to_string(i);
  Fakes::reinit_ok = true;
  const struct { bool let_choose; std::vector<int> clicks; const char* call; } cases[] = {
      {false, {kTextHigherAudioLatency, kTextLowerAudioLatency}, "reinit 5 256 7"},
      {false, {kTextLowerAudioLatency}, nullptr},
      {false, {kTextHigherAudioLatency}, "reinit 6 256 7"},
      {true, {}, "reinit 5 256 -1"},
  };
  for (const auto& c : cases) {
    Fakes::manual = true;
    Fakes::device_index = 7;
    if (c.let_choose) {
      Enter(kAudioDeviceScreen);
      ASSERT_TRUE(Click(kTextLetSkytapperChoose));
      ASSERT_TRUE(Click(224));
    } else {
      Enter(kLatencyScreen);
    }
    for (int click : c.clicks) ASSERT_TRUE(Click(click));
    Frame();
    EXPECT_EQ(Shown(kTextApply), c.call ? "active" : "greyed") << c.clicks.size();
    if (c.call) {
      ASSERT_TRUE(Click(kTextApply));
      EXPECT_TRUE(Fakes::Called(c.call)) << c.call;
    }
  }
}

// Test after test the player hears at most five test sounds at once: a sixth press takes the
// voice of the oldest still playing.
TEST_F(AudioScreens, TheLatencyTestSoundKeepsToItsFiveVoices) {
  ResetScreenServices();
  element_test::WriteWav("sounds/test.wav", element_test::Tone(44100, 5000));
  ASSERT_TRUE(sound.audio.LoadWav(sound.latency_test_sound, "sounds/test.wav", 5));
  sound.audio.BeginOffline(256);
  for (int press = 0; press < 7; ++press) screen_services.play_latency_test();
  EXPECT_EQ(sound.audio.GetNumPlayingSounds(), 5);
  sound.audio.StopAllSounds(true);
  sound.audio.EndOffline();
  sound.audio.FreeSound(sound.latency_test_sound);
}

}  // namespace
