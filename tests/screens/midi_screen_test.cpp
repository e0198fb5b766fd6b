// The MIDI screen: modes greyed without ports, port pages, the switch into MIDI-only mode and a
// failed re-open out of it, and the switch still made after a visit to the MIDI-map screens.
#include <tuple>

#include "frame/platform/platform.h"
#include "drumming/library_calls.h"
#include "tests/screens/screen_test_support.h"
#include "tests/sound/element_test_util.h"
#include "tests/support/kit_choices.h"

namespace {

using skyt_test::Fakes;

class MidiScreen : public skyt_test::ScreenTest {
 protected:
  void Ports(int n) {
    for (int i = 0; i < n; ++i) Fakes::ports[10 + i] = "port " + std::to_string(i);
  }
};

TEST_F(MidiScreen, NoPortsGreyTheMidiModes) {
  Enter(kMidiScreen);
  EXPECT_EQ(Shown(351), "active");
  EXPECT_EQ(Shown(352), "greyed");
  EXPECT_EQ(Shown(353), "greyed");
  // The advice stands where the first port line would, below "Send MIDI output to:".
  EXPECT_EQ(FindText(354)->x, 88);
  EXPECT_EQ(FindText(354)->y, 720 - 160);
  EXPECT_EQ(Shown(360), "greyed");  // No MIDI: the options cannot change
  EXPECT_EQ(FindText(359)->greyed, true);
}

// Without MIDI the options are greyed: frames and clicks on them change none, and OK saves
// nothing.
TEST_F(MidiScreen, WithoutMidiTheGreyedOptionsStayAsTheyAre) {
  Ports(1);
  midi_send_pedal_close = midi_send_cc_only_before_note = true;
  midi_send_metronome = midi_send_menu_sound = midi_use_mdrummer_hack = false;
  midi_latency = 1;
  Enter(kMidiScreen);
  for (int text : {360, 361, 362, 364, 365}) {
    const auto* box = FindText(text);
    ASSERT_NE(box, nullptr) << text;
    EXPECT_TRUE(box->greyed) << text;
    ClickAt(box->x + 10, box->y - box->h / 2);
  }
  EXPECT_TRUE(midi_send_pedal_close && midi_send_cc_only_before_note);
  EXPECT_FALSE(midi_send_metronome || midi_send_menu_sound || midi_use_mdrummer_hack);
  EXPECT_EQ(midi_latency, 1);
  skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\n");
  ASSERT_TRUE(Click(224));
  EXPECT_EQ(skyt_test::ReadFile("conf/skytapper.cfg"), "[Session]\n");
}

TEST_F(MidiScreen, SevenPortsMakeThreePagesOpeningOnThePortInUse) {
  Ports(7);
  midi_output_number = 13;
  midi_mode = 2;
  Enter(kMidiScreen);
  auto ports = std::vector<Imgui::TraceItem>();
  for (const auto& b : All(Imgui::TraceKind::CHECK_BOX)) if (b.label.rfind("port ", 0) == 0) ports.push_back(b);
  ASSERT_EQ(ports.size(), 3u);
  EXPECT_EQ(ports[0].label, "port 3");
  EXPECT_EQ(ports[0].value, 1);
  EXPECT_EQ(Shown(306), "active");
  EXPECT_EQ(Shown(7), "active");
  EXPECT_EQ(FindText(359)->y, 720 - 218 - 90);
  ASSERT_TRUE(Click(7));
  Frame();
  EXPECT_EQ(Shown(7), "greyed");
  EXPECT_NE(Find("port 6"), nullptr);
  ASSERT_TRUE(Click(306));  // back to the middle page
  Frame();
  EXPECT_NE(Find("port 3"), nullptr);
  ASSERT_TRUE(Click("port 4"));  // a click on a port chooses it
  EXPECT_EQ(midi_output_number, 14);

  // A port number that is no port opens page 0 and becomes the first port with a MIDI mode.
  midi_output_number = 99;
  midi_mode = 0;
  Enter(kMidiScreen);
  EXPECT_NE(Find("port 0"), nullptr);
  ASSERT_TRUE(Click(352));
  EXPECT_EQ(midi_output_number, 10);

  // Six ports fill two pages: no third, empty one.
  Fakes::ports.clear();
  Ports(6);
  Enter(kMidiScreen);
  ASSERT_TRUE(Click(7));
  Frame();
  EXPECT_EQ(Shown(7), "greyed");
}

// Previous and Next stand in one place and size whether active or greyed: on the first page,
// on a middle one, and without MIDI.
TEST_F(MidiScreen, PageButtonsKeepTheirPlaceActiveOrGreyed) {
  Ports(7);
  auto buttons = [this] {
    std::vector<std::tuple<int, int, int, int>> out;
    for (int text : {306, 7}) {
      const auto* b = FindText(text);
      if (b) out.push_back({b->x, b->y, b->w, b->h});
    }
    return out;
  };
  midi_mode = 2;
  Enter(kMidiScreen);
  EXPECT_EQ(Shown(306), "greyed");
  const auto first_page = buttons();
  ASSERT_EQ(first_page.size(), 2u);
  ASSERT_TRUE(Click(7));
  Frame();
  EXPECT_EQ(Shown(306), "active");
  EXPECT_EQ(buttons(), first_page);
  midi_mode = 0;
  Enter(kMidiScreen);
  EXPECT_EQ(Shown(7), "greyed");
  EXPECT_EQ(buttons(), first_page);
}

TEST_F(MidiScreen, IntoMidiOnlyReopensThePlainStreamAndSaysSo) {
  Ports(1);
  Fakes::device_type = 5;
  Enter(kMidiScreen);
  ASSERT_TRUE(Click(352));
  ASSERT_TRUE(Click(224));
  EXPECT_EQ(interface_state, kMainScreen);
  EXPECT_TRUE(Fakes::Called("reinit 6 256 -1"));
  ASSERT_EQ(Fakes::messages.size(), 1u);
  EXPECT_EQ(Fakes::messages[0], GetUtf8(504));
  EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"});
  EXPECT_NE(skyt_test::ReadFile("conf/skytapper.cfg").find("Midi_Mode = 1"), std::string::npos);

  // OK without a change: nothing saved, no switch.
  Fakes::calls.clear();
  skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\n");
  Enter(kMidiScreen);
  ASSERT_TRUE(Click(224));
  EXPECT_TRUE(Fakes::calls.empty());
  EXPECT_EQ(skyt_test::ReadFile("conf/skytapper.cfg"), "[Session]\n");
}

// Into MIDI-only the kit's samples are let go: the notes are played by the music program.
TEST_F(MidiScreen, IntoMidiOnlyLetsTheKitsSamplesGo) {
  for (const char* name : {"ped/a/1.wav", "ped/b/1.wav", "a/l/1.wav", "a/r/1.wav", "b/l/1.wav", "b/r/1.wav"})
    element_test::WriteWav(std::string("hh/") + name, element_test::Tone(3000, 5000));
  ASSERT_TRUE(sound.ConvertElement("hh.ele", "hh", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT, nullptr));
  const int slot = sound.LoadElement("hh.ele", 0, 0, 100, 0, 100);
  ASSERT_GE(slot, 0);
  ASSERT_FALSE(sound.elements[slot].samples->sets.empty());
  Sound* const kit_sound = drumkit.sound;
  drumkit.sound = &sound;
  drumkit.drum_to_element = {{0, slot}};
  Ports(1);
  Fakes::device_type = Audio::kPlainStream;
  Enter(kMidiScreen);
  ASSERT_TRUE(Click(352));
  ASSERT_TRUE(Click(224));
  EXPECT_TRUE(sound.elements[slot].samples->sets.empty());
  drumkit.drum_to_element.clear();
  drumkit.sound = kit_sound;
  sound.UnloadElement(slot);
}

// Only a low-latency stream is re-opened plain (and says so), a stored-only type as the last
// fallback; any other stream carries on as it is.
TEST_F(MidiScreen, IntoMidiOnlyLeavesOtherStreamsAlone) {
  Ports(1);
  const struct { int type; std::vector<std::string> calls; } cases[] = {
      {Audio::kStoredOnlyType, {"reinit 1 256 -1"}}, {Audio::kPlainStream, {}}, {Audio::kLastFallbackStream, {}}};
  for (const auto& c : cases) {
    Fakes::calls.clear();
    Fakes::device_type = c.type;
    midi_mode = kNoMidiMode;
    Enter(kMidiScreen);
    ASSERT_TRUE(Click(352));
    ASSERT_TRUE(Click(224));
    EXPECT_EQ(Fakes::calls, c.calls) << c.type;
    EXPECT_TRUE(Fakes::messages.empty()) << c.type;
  }
}

// Out of MIDI-only, a stream that cannot be re-opened is told by what plays instead: a fallback
// device, or nothing at all. The kit in use is loaded again, with its samples, either way.
TEST_F(MidiScreen, OutOfMidiOnlyAFailedReopenSaysWhatPlaysInstead) {
  Ports(1);
  drummer.kit = &drumkit;
  drummer.kit_library = &drumkit_chooser;
  drumkit_chooser.current_drumkit_name = "Rock";
  skyt_test::RecordKitChoices();
  // How each load was asked for: with its progress shown, with samples.
  static std::vector<std::pair<bool, bool>> loads;
  loads.clear();
  library_calls.load_drumkit = [](DrumkitChooser&, Drumkit*, const std::string& name, bool progress, bool midi_only) {
    skyt_test::Chosen().push_back(name);
    loads.push_back({progress, midi_only});
    return -1;
  };
  const struct { int type_after; int text; } cases[] = {
      {Audio::kFirstFallbackStream, kTextAudioFallbackDevice}, {Audio::kNoOutput, kTextNoAudioOutput}};
  for (const auto& c : cases) {
    skyt_test::WriteFile("conf/skytapper.cfg", "[Sound]\nDevice_Type = 5\nFrames_Per_Buffer = 128\nDevice_Index = 2\n");
    Fakes::calls.clear();
    Fakes::messages.clear();
    Fakes::boxes.clear();
    Fakes::reinit_ok = false;
    Fakes::reinit_type_on_failure = c.type_after;
    midi_mode = kMidiOnlyMode;
    Enter(kMidiScreen);
    ASSERT_TRUE(Click(353));
    ASSERT_TRUE(Click(224));
    EXPECT_EQ(Fakes::messages, std::vector<std::string>{platform::EscapeMarkup(GetUtf8(c.text))}) << c.type_after;
    EXPECT_EQ(Fakes::boxes, std::vector<std::string>{"warning"}) << c.type_after;
    EXPECT_EQ(interface_state, kMainScreen) << c.type_after;
    EXPECT_TRUE(Fakes::Called("reinit 5 128 2")) << "the stored stream is asked for";
  }
  EXPECT_EQ(skyt_test::Chosen(), (std::vector<std::string>{"Rock", "Rock"}));
  EXPECT_EQ(loads, (std::vector<std::pair<bool, bool>>(2, {true, false})));
  drummer.kit = nullptr;
  drummer.kit_library = nullptr;
}

TEST_F(MidiScreen, EitherSchedulerAnswerIsSavedOnOk) {
  Ports(1);
  midi_mode = 2;
  struct Case { int from, click; const char* saved; };
  const Case cases[] = {{1, 365, "Midi_Use_Scheduler = no"}, {0, 364, "Midi_Use_Scheduler = yes"}};
  for (const auto& c : cases) {
    midi_latency = c.from;
    skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\n");
    Enter(kMidiScreen);
    ASSERT_TRUE(Click(c.click));
    ASSERT_TRUE(Click(224));
    EXPECT_NE(skyt_test::ReadFile("conf/skytapper.cfg").find(c.saved), std::string::npos) << c.saved;
  }
}

// Each event that may send a note has its own box, and OK saves it.
TEST_F(MidiScreen, EachSendOptionIsSavedOnOk) {
  Ports(1);
  midi_mode = 2;
  struct Case { int click; const char* saved; };
  const Case cases[] = {{360, "Midi_Send_Pedal_Close = yes"}, {361, "Midi_Send_Metronome = yes"},
                        {362, "Midi_Send_Menu_Sound = yes"}};
  for (const auto& c : cases) {
    midi_send_pedal_close = midi_send_metronome = midi_send_menu_sound = false;
    skyt_test::WriteFile("conf/skytapper.cfg", "[Session]\n");
    Enter(kMidiScreen);
    ASSERT_TRUE(Click(c.click)) << c.saved;
    ASSERT_TRUE(Click(224));
    EXPECT_NE(skyt_test::ReadFile("conf/skytapper.cfg").find(c.saved), std::string::npos) << c.saved;
  }
}

TEST_F(MidiScreen, TheSwitchSurvivesAVisitToTheMidiMaps) {
  Ports(1);
  struct Case { int from, to; const char* reinit; };
  // Out of MIDI-only the stored [Sound] comes back (type 1, 256 frames, automatic without it).
  const Case cases[] = {{0, 1, "reinit 6 256 -1"}, {1, 2, "reinit 1 256 -1"}};
  for (const auto& c : cases) {
    Fakes::calls.clear();
    Fakes::device_type = 5;
    midi_mode = c.from;
    Enter(kMidiScreen);
    ASSERT_TRUE(Click(c.to == 1 ? 352 : 353));
    ASSERT_TRUE(Click(437));
    EXPECT_EQ(interface_state, kChooseMidiMapScreen);
    EXPECT_TRUE(Fakes::calls.empty());
    Enter(kMidiScreen);
    ASSERT_TRUE(Click(224));
    EXPECT_TRUE(Fakes::Called(c.reinit)) << c.reinit;
  }
}

}  // namespace
