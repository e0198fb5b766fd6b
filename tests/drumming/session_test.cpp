// The last session and drummer settings, the playlist and song scheduling, and the interface
// state transitions.
#include <gtest/gtest.h>

#include "tracking/webcam.h"

#include <cstdlib>
#include <fstream>

#include "airmenu/calibration.h"
#include "airmenu/frame_rate_watch.h"
#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "drumming/library_calls.h"
#include "drumming/viewer_calls.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "library/drumkit_chooser.h"
#include "library/library_calls.h"
#include "library/midi_map_chooser.h"
#include "library/midi_maps.h"
#include "library/migrations.h"
#include "sound/logger.h"
#include "sound/midi.h"
#include "tests/sound/record_test_util.h"
#include "tests/support/fake_portmidi.h"
#include "tests/support/stroke_harness.h"
#include "tests/support/test_dirs.h"

#include <sys/stat.h>

namespace {

using skyt_test::ReadFile;

// Every [Session] key in the order and form of the file, each with a value other than its default.
std::string FullSession() {
  return "Never_Ran = false\nLamp_Checked = true\nReplaced_Lamp = true\nHave_MIDI_Maps_Dir = true\nPatched_3D = true\n"
         "Wants_Startup_Help = false\nLanguage = " + GetLanguageString() + "\n\n"
         "Last_Song = 2\nStart_Time = 12.5\nLast_Drumkit = Rock (LH)\nDrum_Full_Screen = no\n\n"
         "Is_Left_Handed = true\n\nMetronome_Tempo = 96\n\nHit_Detection_Sensitivity = 1\n\nMidi_Mode = 2\n\n"
         "Midi_Output_Number = 3\n\nMidi_Send_Pedal_Close = no\n\nMidi_Send_Metronome = yes\n\n"
         "Midi_Send_Menu_Sound = yes\n\nMidi_Use_Scheduler = no\n\nMidi_Use_MDrummer_Hack = yes\n\n"
         "Midi_Only_Send_CC_Before_Note = no\n\nUse_Old_Style_Menu_Button = no\n\nGraphics_Mode = 3\n\n"
         "Piece_Determination_Two_D = no\n\nPiece_Determination_Accuracy_Setting = 2\n\n"
         "Piece_Determination_VR = yes\n\nMidi_Map_Index = 4\n\nZ_Offset = 0.25\n\nUser_Height = 1.9\n"
         "Use_Camera_Stand = yes\nRan_After_Stand_Update = yes\n";
}

// The full session with the key's line replaced by `line`, or dropped where `line` is null.
std::string SessionWith(const std::string& key, const char* line) {
  std::string text = FullSession();
  const size_t at = text.find(key + " = ");
  const size_t end = text.find('\n', at) + 1;
  return text.replace(at, end - at, line ? std::string(line) + "\n" : "");
}

class Session : public ::testing::Test {
 protected:
  void SetUp() override {
    chdir_ = std::make_unique<skyt_test::ScopedChdir>(skyt_test::FreshDir("drummer_session"));
    mkdir("conf", 0755);
    InstallLibraryCalls();
    InstallFrameRateWatch();
    skyt_test::ResetSound();
    skyt_test::ResetDrummer(drummer_, kit_);
    drummer_.kit_library = &drumkit_chooser;
    drummer_.playlist.clear();
    drummer_.current_song = -1;
    drummer_.start_time = 0;
    MocapMarker::m_down_frames_needed = 5;
    midi_mode = 0;
    graphics_mode = 0;
  }
  // Every kit asked for loads without reading a file.
  static void KitsLoadWithoutFiles() {
    library_calls.load_drumkit = [](DrumkitChooser&, Drumkit*, const std::string&, bool, bool) { return 0; };
  }
  void TearDown() override {
    InstallLibraryCalls();
    MocapMarker::m_down_frames_needed = 5;
    midi_mode = 0;
    graphics_mode = 0;
    midi_latency = 1;
    midi_send_pedal_close = midi_send_cc_only_before_note = true;
    midi_send_metronome = midi_send_menu_sound = midi_use_mdrummer_hack = false;
    use_old_style_menu_button = 1;
  }
  void WriteSettings(const std::string& session) {
    std::ofstream("conf/skytapper.cfg") << "[Sound]\nMaster_Volume = 50\n\n[Session]\n" << session
                                        << "\n[Drummer]\nSpeed_Threshold_Place = 180\n";
  }
  std::unique_ptr<skyt_test::ScopedChdir> chdir_;
  Drumkit kit_;
  Drummer drummer_;
};

}  // namespace

// First in this file, so it sees the program's own start values: a first run without any
// settings file keeps the old-style menu button, as the installed settings have it.
TEST_F(Session, AFirstRunWithoutSettingsKeepsTheOldStyleMenuButton) {
  EXPECT_FALSE(drummer_.LoadLastSession());
  EXPECT_EQ(use_old_style_menu_button, 1);
}

TEST_F(Session, RoundTripThroughTheSettingsFile) {
  WriteSettings(
      "Never_Ran = false\nWants_Startup_Help = no\nLast_Song = 2\nStart_Time = 12.5\nLast_Drumkit = Rock (LH)\n"
      "Drum_Full_Screen = no\nIs_Left_Handed = yes\nMetronome_Tempo = 96\nHit_Detection_Sensitivity = 7\n"
      "Midi_Mode = 2\nMidi_Use_Scheduler = no\nMidi_Only_Send_CC_Before_Note = no\nUse_Old_Style_Menu_Button = no\n"
      "Graphics_Mode = 3\nPiece_Determination_Two_D = no\nPiece_Determination_Accuracy_Setting = 2\n"
      "Midi_Map_Index = 4\nZ_Offset = 0.25\nUser_Height = 1.9\nUse_Camera_Stand = yes\nApplied_May2021_Presets_Patch = yes\n");
  ASSERT_TRUE(drummer_.LoadLastSession());
  EXPECT_FALSE(drummer_.Never_Ran);
  EXPECT_FALSE(drummer_.Wants_Startup_Help);
  EXPECT_EQ(drummer_.current_song, 2);
  EXPECT_EQ(drummer_.start_time, 12.5f);
  EXPECT_EQ(drumkit_chooser.current_drumkit_name, "Rock (LH)");
  EXPECT_FALSE(drummer_.Drum_Full_Screen);
  EXPECT_TRUE(drummer_.Is_Left_Handed);
  EXPECT_NEAR(60.0f / sound.beat_period, 96.0f, 1e-3);
  EXPECT_EQ(MocapMarker::m_down_frames_needed, 5);
  EXPECT_EQ(midi_mode, 2);
  EXPECT_EQ(midi_latency, 0);
  EXPECT_EQ(graphics_mode, 3);
  EXPECT_TRUE(kit_.use_3d);
  EXPECT_EQ(kit_.disk_radius_factor, 1.3f);
  EXPECT_EQ(kit_.disk_plane_distance, 0.2f);
  EXPECT_EQ(kit_.disk_min_diameter, -1.0f);
  EXPECT_EQ(drummer_.Midi_Map_Index, 4);
  EXPECT_TRUE(drummer_.Use_Camera_Stand);

  drummer_.SaveLastSession();
  std::string text = ReadFile("conf/skytapper.cfg");
  EXPECT_EQ(text.rfind("[Sound]\nMaster_Volume = 50\n\n[Session]\nNever_Ran = false\nLamp_Checked = false\n", 0), 0u) << text;
  EXPECT_NE(text.find("Wants_Startup_Help = false\nLanguage = "), std::string::npos);
  EXPECT_NE(text.find("\n\nLast_Song = 2\nStart_Time = 12.5\nLast_Drumkit = Rock (LH)\nDrum_Full_Screen = no\n\nIs_Left_Handed = true\n\nMetronome_Tempo = 96\n\nHit_Detection_Sensitivity = 2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Midi_Use_Scheduler = no\n"), std::string::npos);
  EXPECT_NE(text.find("User_Height = 1.9\nUse_Camera_Stand = yes\nRan_After_Stand_Update = no\n"), std::string::npos);
  EXPECT_EQ(text.find("Applied_May2021_Presets_Patch"), std::string::npos);
  EXPECT_NE(text.find("[Drummer]\nSpeed_Threshold_Place = 180\n"), std::string::npos);

  // Read back: the same values.
  Drummer again;
  again.kit = &kit_;
  again.kit_library = &drumkit_chooser;
  drumkit_chooser.current_drumkit_name.clear();
  ASSERT_TRUE(again.LoadLastSession());
  EXPECT_EQ(again.start_time, 12.5f);
  EXPECT_EQ(drumkit_chooser.current_drumkit_name, "Rock (LH)");
  EXPECT_TRUE(again.Is_Left_Handed);
  EXPECT_EQ(again.User_Height, 1.9f);
}

TEST_F(Session, EveryKeyIsWrittenBackAsItWasRead) {
  WriteSettings(FullSession());
  const std::string before = ReadFile("conf/skytapper.cfg");
  ASSERT_TRUE(drummer_.LoadLastSession());
  drummer_.SaveLastSession();
  EXPECT_EQ(ReadFile("conf/skytapper.cfg"), before);
}

// A first run's session: a settings file without [Session] keys is written back with the
// controller's own starting values.
TEST_F(Session, AnEmptySessionIsWrittenBackWithTheFirstRunValues) {
  WriteSettings("");
  Drummer fresh;
  fresh.kit = &kit_;
  fresh.kit_library = &drumkit_chooser;
  ASSERT_TRUE(fresh.LoadLastSession());
  fresh.SaveLastSession();
  const std::string text = ReadFile("conf/skytapper.cfg");
  EXPECT_NE(text.find("[Session]\nNever_Ran = true\nLamp_Checked = false\nReplaced_Lamp = false\n"
                      "Have_MIDI_Maps_Dir = false\nPatched_3D = false\nWants_Startup_Help = true\nLanguage = "),
            std::string::npos) << text;
  EXPECT_NE(text.find("\n\nLast_Song = -1\nStart_Time = 0\nLast_Drumkit = \nDrum_Full_Screen = yes\n\n"
                      "Is_Left_Handed = false\n\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("\n\nMidi_Map_Index = -1\n\nZ_Offset = 0\n\nUser_Height = 1.75\nUse_Camera_Stand = no\n"
                      "Ran_After_Stand_Update = no\n"),
            std::string::npos) << text;
}

TEST_F(Session, EachKeyKeepsItsRangeAndDefault) {
  struct Case {
    const char* key;
    const char* given;    // the value in the file; null: the key is missing
    const char* written;  // the value written back (and the lines after it)
    bool warned;
  };
  const Case kCases[] = {
      {"Last_Song", nullptr, "-1\nStart_Time = 0", false},
      {"Start_Time", "10000000", "1e+07", false}, {"Start_Time", "10000001", "0", true},
      {"Start_Time", "-0.5", "0", true}, {"Start_Time", nullptr, "0", false},
      {"Last_Drumkit", nullptr, "", false}, {"Drum_Full_Screen", nullptr, "yes", false},
      {"Metronome_Tempo", "1", "1", false}, {"Metronome_Tempo", "1000", "1000", false},
      {"Metronome_Tempo", "0.5", "120", true}, {"Metronome_Tempo", nullptr, "120", false},
      {"Hit_Detection_Sensitivity", "0", "0", false}, {"Hit_Detection_Sensitivity", "-1", "2", false},
      {"Hit_Detection_Sensitivity", nullptr, "2", false},
      {"Midi_Mode", "0", "0", false}, {"Midi_Mode", "3", "0", true}, {"Midi_Mode", "-1", "0", true},
      {"Midi_Mode", nullptr, "1", false},
      {"Midi_Output_Number", "-1", "-1", false}, {"Midi_Output_Number", "1048576", "1048576", false},
      {"Midi_Output_Number", "1048577", "7", true}, {"Midi_Output_Number", "-2", "7", true},
      {"Midi_Send_Pedal_Close", nullptr, "yes", false}, {"Midi_Send_Metronome", nullptr, "no", false},
      {"Midi_Send_Menu_Sound", nullptr, "no", false},
      {"Midi_Use_Scheduler", nullptr, "yes", false}, {"Midi_Use_Scheduler", "0", "no", false},
      {"Midi_Use_MDrummer_Hack", nullptr, "no", false}, {"Midi_Only_Send_CC_Before_Note", nullptr, "yes", false},
      {"Use_Old_Style_Menu_Button", nullptr, "yes", false},
      {"Graphics_Mode", "4", "4", false}, {"Graphics_Mode", "5", "0", true}, {"Graphics_Mode", nullptr, "0", false},
      {"Piece_Determination_Two_D", nullptr, "yes", false}, {"Piece_Determination_VR", nullptr, "no", false},
      {"Piece_Determination_Accuracy_Setting", "3", "3", false},
      {"Piece_Determination_Accuracy_Setting", "-1", "0", true},
      {"Midi_Map_Index", "-1", "-1", false}, {"Midi_Map_Index", "1048577", "6", true},
      {"Z_Offset", "-100", "-100", false}, {"Z_Offset", "100", "100", false}, {"Z_Offset", "100.5", "0", true}, {"Z_Offset", nullptr, "0", false},
      {"User_Height", "0.3", "0.3", false}, {"User_Height", "3", "3", false},
      {"User_Height", "0.29", "1.75", true}, {"User_Height", nullptr, "1.75", false},
  };
  for (const Case& c : kCases) {
    const std::string key = std::string(c.key) + " = ";
    SCOPED_TRACE(key + (c.given ? c.given : "(missing)"));
    WriteSettings(SessionWith(c.key, c.given ? (key + c.given).c_str() : nullptr));
    midi_mode = 1;
    midi_output_number = 7;
    drummer_.Midi_Map_Index = 6;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(drummer_.LoadLastSession());
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed.find(key) != std::string::npos, c.warned) << printed;
    drummer_.SaveLastSession();
    EXPECT_NE(ReadFile("conf/skytapper.cfg").find("\n" + key + c.written + "\n"), std::string::npos);
  }
}

TEST_F(Session, DamagedValuesKeepTheirDefaults) {
  WriteSettings(
      "Start_Time = nan\nLast_Song = 0\nMetronome_Tempo = -5\nGraphics_Mode = 9\nMidi_Mode = 7\n"
      "Piece_Determination_Accuracy_Setting = 12\nUser_Height = inf\nZ_Offset = 1e30\nHit_Detection_Sensitivity = 0\n");
  kit_.disk_radius_factor = 3;
  ASSERT_TRUE(drummer_.LoadLastSession());
  EXPECT_EQ(drummer_.start_time, 0.0f);
  EXPECT_NEAR(60.0f / sound.beat_period, 120.0f, 1e-3);
  EXPECT_EQ(graphics_mode, 0);
  EXPECT_EQ(midi_mode, 0);
  EXPECT_EQ(kit_.accuracy_setting, 0);
  EXPECT_EQ(kit_.disk_radius_factor, 10.0f);
  EXPECT_EQ(drummer_.User_Height, 1.75f);
  EXPECT_EQ(drummer_.Z_Offset, 0.0f);
  EXPECT_EQ(MocapMarker::m_down_frames_needed, 1);

  // [Drummer] thresholds: damaged ones keep the defaults, sound ones are read.
  const struct {
    const char* keys;
    float play, place, foot_play, reach, foot_place = 40.0f;
  } cases[] = {{"Speed_Threshold_Play = -3\nSpeed_Threshold_Place = nan\nSpeed_Threshold_Foot_Play = 18\n"
                "Dominant_Hand_Reach = 7\n", 30.0f, 200.0f, 18.0f, 0.4f},
               {"Speed_Threshold_Play = 25\nSpeed_Threshold_Place = 150\n", 25.0f, 150.0f, 15.0f, 0.4f},
               {"Speed_Threshold_Foot_Place = 55\nDominant_Hand_Reach = 0.6\n", 30.0f, 200.0f, 15.0f, 0.6f, 55.0f},
               {"Speed_Threshold_Foot_Place = -1\n", 30.0f, 200.0f, 15.0f, 0.4f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    std::ofstream("conf/skytapper.cfg") << "[Drummer]\n" << c.keys;
    IniFile settings;
    ASSERT_TRUE(settings.Init("conf/skytapper.cfg"));
    Drummer fresh;
    fresh.Init(kit_, drumkit_chooser, midi_map_chooser, webcam, settings);
    EXPECT_EQ(fresh.Speed_Threshold_Play, c.play);
    EXPECT_EQ(fresh.Speed_Threshold_Place, c.place);
    EXPECT_EQ(fresh.Speed_Threshold_Foot_Play, c.foot_play);
    EXPECT_EQ(fresh.Dominant_Hand_Reach, c.reach);
    EXPECT_EQ(fresh.Speed_Threshold_Foot_Place, c.foot_place);
  }
}

// A settings file without the menu-button key counted its MIDI outputs from one less: the
// drummer's start moves the loaded output up by one; a file with the key keeps it.
TEST_F(Session, StartingWithAnOlderSettingsFileMovesTheMidiOutputUp) {
  const struct {
    const char* line;  // null: the key is missing
    int output;
  } cases[] = {{nullptr, 4}, {"Use_Old_Style_Menu_Button = no", 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line ? c.line : "(missing)");
    WriteSettings(SessionWith("Use_Old_Style_Menu_Button", c.line));
    IniFile settings;
    ASSERT_TRUE(settings.Init("conf/skytapper.cfg"));
    Drummer fresh;
    fresh.Init(kit_, drumkit_chooser, midi_map_chooser, webcam, settings);
    EXPECT_EQ(midi_output_number, c.output);
  }
}

TEST_F(Session, TheStartListsTheKitsAndLoadsTheSavedMidiMap) {
  mkdir("conf/drumkits", 0755);
  std::ofstream("conf/drumkits/Mine.ini") << "[Drumkit]\nName = Mine\nIs_Preset = no\n";
  mkdir("conf/midi-maps", 0755);
  ASSERT_TRUE(WritePresetMidiMaps());
  WriteSettings("Midi_Map_Index = 2\nLast_Song = 1\n");
  std::ofstream("conf/playlist.txt") << "one.ogg\ntwo.ogg\n";
  IniFile settings;
  ASSERT_TRUE(settings.Init("conf/skytapper.cfg"));
  ClearMIDIMap();
  DrumkitChooser kits;
  MidiMapChooser maps;
  Drummer fresh;
  fresh.Init(kit_, kits, maps, webcam, settings);
  ASSERT_EQ(kits.drumkits.size(), 1u);
  EXPECT_EQ(kits.drumkits[0].Name, "Mine");
  EXPECT_EQ(fresh.playlist.size(), 2u);  // and the playlist, at the last song
  EXPECT_EQ(fresh.current_song, 1);
  ASSERT_TRUE(maps.IsValidMidiMapIndex(2));
  MidiMapTables chosen;
  ASSERT_TRUE(ReadMIDIMapFile(maps.GetMidiMap(2)->path, chosen));
  ASSERT_FALSE(chosen.element_type.empty());
  EXPECT_EQ(element_type_midi_map.size(), chosen.element_type.size());
  ClearMIDIMap();
}

TEST_F(Session, OutOfRangeMidiModeReadsAsAudio) {
  for (const char* mode : {"7", "-1", "99999999999"}) {
    SCOPED_TRACE(mode);
    WriteSettings(std::string("Midi_Mode = ") + mode + "\n");
    IniFile ini;
    ASSERT_TRUE(ini.Init("conf/skytapper.cfg"));
    Sound s;
    s.Init(ini);
    EXPECT_EQ(midi_mode, 0);
    midi_mode = 2;
    ASSERT_TRUE(drummer_.LoadLastSession());
    EXPECT_EQ(midi_mode, 0);
    drummer_.SaveLastSession();
    EXPECT_NE(ReadFile("conf/skytapper.cfg").find("\nMidi_Mode = 0\n"), std::string::npos);
  }
}

TEST_F(Session, MissingSettingsFileKeepsDefaults) {
  drummer_.current_song = 3;
  EXPECT_FALSE(drummer_.LoadLastSession());
  EXPECT_EQ(drummer_.current_song, -1);
  // Saving without a settings file writes nothing.
  drummer_.SaveLastSession();
  EXPECT_FALSE(std::ifstream("conf/skytapper.cfg").good());
}

TEST_F(Session, WithoutASettingsFileTheKitSearchesIn2DAtTheFirstAccuracy) {
  kit_.use_3d = kit_.vr_mode = true;
  kit_.accuracy_setting = 3;
  EXPECT_FALSE(drummer_.LoadLastSession());
  EXPECT_FALSE(kit_.use_3d);
  EXPECT_FALSE(kit_.vr_mode);
  EXPECT_EQ(kit_.accuracy_setting, 0);
  EXPECT_EQ(kit_.disk_radius_factor, 10.0f);
}

TEST_F(Session, NothingIsSavedBeforeTheSessionWasLoaded) {
  WriteSettings("Never_Ran = false\nPatched_3D = true\nWants_Startup_Help = no\nLast_Drumkit = Rock (LH)\n");
  const std::string before = ReadFile("conf/skytapper.cfg");
  drummer_.SaveLastSession();  // an exit during start-up
  EXPECT_EQ(ReadFile("conf/skytapper.cfg"), before);
  ASSERT_TRUE(drummer_.LoadLastSession());
  drummer_.SaveLastSession();
  EXPECT_NE(ReadFile("conf/skytapper.cfg").find("Patched_3D = true\n"), std::string::npos);
}

TEST_F(Session, ChoosingAKitThatCannotLoadSavesNothing) {
  WriteSettings("Last_Drumkit = Gone\n");
  std::string before = ReadFile("conf/skytapper.cfg");
  EXPECT_FALSE(drummer_.ChooseDrumkit("Nowhere", false));
  EXPECT_EQ(ReadFile("conf/skytapper.cfg"), before);
}

// A kit that loads is remembered at once: the session is saved with it.
TEST_F(Session, AKitThatLoadsSavesTheSession) {
  WriteSettings("");
  ASSERT_TRUE(drummer_.LoadLastSession());
  KitsLoadWithoutFiles();
  EXPECT_TRUE(drummer_.ChooseDrumkit("Other", false));
  EXPECT_NE(ReadFile("conf/skytapper.cfg").find("\nLast_Drumkit = "), std::string::npos);
}

TEST_F(Session, AKitChangeEndsTheRecordingAndListsIt) {
  KitsLoadWithoutFiles();
  logger.StartRecording(recording, "Kit");
  ASSERT_TRUE(recording);
  EXPECT_TRUE(drummer_.ChooseDrumkit("Other", false));
  EXPECT_FALSE(recording);
  EXPECT_FALSE(sound.IsRecording());
  EXPECT_EQ(logger.GetNumRecordings(), 1);
  logger.recordings.clear();
}

// A kit taken in pans each drum by where it stands for the player's hand; panning switched off
// centres the drums, and switched on again pans them as before.
TEST_F(Session, ATakenKitIsPannedByWhereItsDrumsStand) {
  const int snare = skyt_test::AddElement(Sound::SNARE, Sound::CATEGORY_HAND);
  ASSERT_TRUE(skyt_test::LoadKit(kit_, {{"sn", Sound::SNARE, 0, snare}}, "Drum0.x = 300\nDrum0.y = 100\nDrum0.size = 4\n"));
  KitsLoadWithoutFiles();
  for (const bool left : {false, true}) {
    const float pan = (300 - (left ? 178.0f : 146.0f)) / 178.0f * kit_.pan_width;
    drummer_.Is_Left_Handed = left;
    sound.SetElementPan(snare, 0.0f);
    ASSERT_TRUE(drummer_.ChooseDrumkit("Other", false));
    EXPECT_FLOAT_EQ(sound.GetElementPan(snare), pan) << left;
    drummer_.TogglePanning();
    EXPECT_FALSE(sound.panning_enabled);
    EXPECT_EQ(sound.GetElementPan(snare), 0.0f);
    drummer_.TogglePanning();
    EXPECT_FLOAT_EQ(sound.GetElementPan(snare), pan) << left;
  }
}

TEST_F(Session, PlaylistNamesAndIndex) {
  std::ofstream("conf/playlist.txt") << "/music/some.dir/track one\nC:\\songs\\Backing.mp3\nsong.ogg\r\n\n";
  drummer_.current_song = 7;
  drummer_.start_time = 30;
  drummer_.LoadPlaylist();
  ASSERT_EQ(drummer_.playlist.size(), 3u);
  EXPECT_EQ(drummer_.playlist[0].name, "track one");
  EXPECT_EQ(drummer_.playlist[1].name, "Backing");
  EXPECT_EQ(drummer_.playlist[2].name, "song");
  EXPECT_EQ(drummer_.playlist[2].path, "song.ogg");
  EXPECT_EQ(drummer_.current_song, 0);
  EXPECT_EQ(drummer_.start_time, 0.0f);

  // Each step, wrapping at both ends, unloads the song it leaves.
  const struct { bool next; int current; } steps[] = {{false, 2}, {true, 0}, {true, 1}, {false, 0}, {false, 2}};
  for (const auto& step : steps) {
    sound.song_path = "the song in use";
    EXPECT_TRUE(step.next ? drummer_.NextSong() : drummer_.PreviousSong());
    EXPECT_EQ(drummer_.current_song, step.current);
    EXPECT_EQ(sound.song_path, "");
  }
  drummer_.start_time = 12.5f;
  float start = 0;
  Drummer::Song song;
  ASSERT_TRUE(drummer_.GetCurrentSongAndStartTime(start, song));
  EXPECT_EQ(song.path, "song.ogg");
  EXPECT_EQ(start, 12.5f);
  // Every place in the list has its song, none outside it.
  const struct { int current; const char* path; } places[] = {
      {0, "/music/some.dir/track one"}, {1, "C:\\songs\\Backing.mp3"}, {-1, nullptr}, {3, nullptr}};
  for (const auto& place : places) {
    drummer_.current_song = place.current;
    Drummer::Song at;
    EXPECT_EQ(drummer_.GetCurrentSongAndStartTime(start, at), place.path != nullptr) << place.current;
    if (place.path) EXPECT_EQ(at.path, place.path) << place.current;
  }
  drummer_.current_song = 2;

  drummer_.playlist.pop_back();
  drummer_.SavePlaylistAndSetCurrentSong(-1);
  EXPECT_EQ(drummer_.current_song, 0);
  EXPECT_EQ(ReadFile("conf/playlist.txt"), "/music/some.dir/track one\nC:\\songs\\Backing.mp3\n");
  drummer_.SavePlaylistAndSetCurrentSong(1);
  EXPECT_EQ(drummer_.current_song, 1);
  drummer_.SavePlaylistAndSetCurrentSong(0);
  EXPECT_EQ(drummer_.current_song, 0);

  // Two songs still step, both ways; one does not.
  EXPECT_TRUE(drummer_.NextSong());
  EXPECT_EQ(drummer_.current_song, 1);
  EXPECT_TRUE(drummer_.PreviousSong());
  EXPECT_EQ(drummer_.current_song, 0);
  drummer_.playlist.resize(1);
  EXPECT_FALSE(drummer_.NextSong());
  EXPECT_FALSE(drummer_.PreviousSong());
  drummer_.playlist.clear();
  drummer_.SavePlaylistAndSetCurrentSong(0);
  EXPECT_EQ(drummer_.current_song, -1);
  EXPECT_FALSE(std::ifstream("conf/playlist.txt").good());
  EXPECT_FALSE(drummer_.GetCurrentSongAndStartTime(start, song));
  drummer_.LoadPlaylist();
  EXPECT_TRUE(drummer_.playlist.empty());
}

TEST_F(Session, RequestedSongLoadsAfterTheSettlingDelay) {
  drummer_.playlist = {Drummer::Song{"x", "no-such-song.ogg"}};
  drummer_.current_song = 0;
  drummer_.start_time = 40;
  bool loaded = false;
  drummer_.ScheduleSongLoadingPlaying(true, loaded);
  EXPECT_TRUE(loaded);
  EXPECT_EQ(drummer_.start_time, 0.0f);
  int frames = 0;
  while (loaded && frames < 200) {
    drummer_.ScheduleSongLoadingPlaying(false, loaded);
    ++frames;
  }
  EXPECT_EQ(frames, 74);  // then the load is tried (and fails for a missing file)
  // A second request restarts the wait.
  drummer_.ScheduleSongLoadingPlaying(true, loaded);
  for (int i = 0; i < 30; ++i) drummer_.ScheduleSongLoadingPlaying(false, loaded);
  drummer_.ScheduleSongLoadingPlaying(true, loaded);
  frames = 0;
  while (loaded && frames < 200) {
    drummer_.ScheduleSongLoadingPlaying(false, loaded);
    ++frames;
  }
  EXPECT_EQ(frames, 74);
  // Played, a song not loaded ten seconds past its start (here one that did not load) is not
  // started, so the list does not run on past it.
  drummer_.playlist.push_back(Drummer::Song{"y", "no-such-song.ogg"});
  drummer_.PlaySong(false);
  for (int i = 0; i < 200; ++i) drummer_.ScheduleSongLoadingPlaying(false, loaded);
  EXPECT_EQ(drummer_.current_song, 0);
  drummer_.StopSong();
}

// A playlist song that ends is followed by the next one, which plays once loaded: the list
// does not run on past it while it loads.
TEST_F(Session, AnEndedSongIsFollowedByTheNextOne) {
  ASSERT_EQ(std::system("sox -n -r 44100 -c 2 song.ogg synth 0.1 sine 300"), 0);
  drummer_.playlist = {{"one", "song.ogg"}, {"two", "song.ogg"}, {"three", "song.ogg"}};
  drummer_.current_song = 0;
  sound.SetSongVolume(100);
  static int names_sent;
  names_sent = 0;
  const ViewerCalls installed = viewer_calls;
  viewer_calls.song_name = [] { ++names_sent; };
  const auto frame = [this] {
    bool loaded = true;
    drummer_.ScheduleSongLoadingPlaying(false, loaded);
    sound.audio.WaitForLoadOggAsync(true);
  };
  ASSERT_TRUE(drummer_.LoadSong());
  drummer_.PlaySong(false);
  for (int i = 0; i < 190; ++i) frame();  // the mixer holds still: the first song plays on
  ASSERT_GE(sound.audio.GetPlayingTime(sound.song), 0.0f);
  float out[2 * 256];
  for (int i = 0; i < 100 && sound.audio.GetPlayingTime(sound.song) >= 0.0f; ++i) sound.audio.RenderOffline(out, 256);
  frame();
  frame();
  EXPECT_EQ(drummer_.current_song, 1);
  EXPECT_EQ(names_sent, 1);  // a connected viewer is told the new song's name
  EXPECT_GE(sound.audio.GetPlayingTime(sound.song), 0.0f);
  drummer_.StopSong();
  sound.UnloadSong();
  viewer_calls = installed;
}

// The list moves on only after 188 frames of playing: a song that ends sooner plays again.
TEST_F(Session, TheListMovesOnAfterItsFirst188FramesOfPlaying) {
  ASSERT_EQ(std::system("sox -n -r 44100 -c 2 song.ogg synth 0.1 sine 300"), 0);
  drummer_.playlist = {{"one", "song.ogg"}, {"two", "song.ogg"}};
  drummer_.current_song = 0;
  const auto frame = [this] {
    bool loaded = true;
    drummer_.ScheduleSongLoadingPlaying(false, loaded);
    sound.audio.WaitForLoadOggAsync(true);
  };
  const auto play_to_the_end = [] {
    float out[2 * 256];
    for (int i = 0; i < 100 && sound.audio.GetPlayingTime(sound.song) >= 0.0f; ++i) sound.audio.RenderOffline(out, 256);
  };
  drummer_.song_playing = false;
  frame();  // a frame without songs starts the count afresh
  ASSERT_TRUE(drummer_.LoadSong());
  drummer_.PlaySong(false);
  for (int i = 1; i < 187; ++i) frame();  // the first of them starts the song
  play_to_the_end();
  frame();  // the 187th
  EXPECT_EQ(drummer_.current_song, 0);
  play_to_the_end();
  frame();
  EXPECT_EQ(drummer_.current_song, 1);
  drummer_.StopSong();
  sound.UnloadSong();
}

TEST_F(Session, InterfaceStateTransitions) {
  fake_portmidi::Reset();
  fake_portmidi::SetPorts({{"ALSA", "Synth"}}, 0);
  InitMIDI();
  midi_output_number = 0;
  drummer.Drum_Full_Screen = true;
  interface_state = 0;
  full_screen = false;
  midi_mode = 1;
  DistanceMenu::AddMessage("hello", 3, 0, 1000, false, false);
  DistanceMenu::m_how_many_frames_for_dominant_hit = 50;
  // Entering the in-air pages turns vertical sync off (the interval to 1, then 0) and has the
  // window switched to full screen over the next frames.
  static std::vector<int> intervals;
  intervals.clear();
  const WindowServices installed = window_services;
  window_services.set_swap_interval = [](int interval, std::string*) {
    intervals.push_back(interval);
    return true;
  };
  full_screen_toggle_frames = 0;
  ChangeInterfaceState(18, 1, 2, 3);
  EXPECT_EQ(interface_state, 18);
  EXPECT_TRUE(just_changed_state);
  EXPECT_EQ(state_param3, 3);
  EXPECT_TRUE(full_screen);
  EXPECT_EQ(full_screen_toggle_frames, 2);
  EXPECT_EQ(intervals, (std::vector<int>{1, 0}));
  EXPECT_EQ(fake_portmidi::OpenStreams(), 1);
  EXPECT_TRUE(DistanceMenu::m_messages.empty());
  EXPECT_EQ(DistanceMenu::m_how_many_frames_for_dominant_hit, 0);
  EXPECT_EQ(Calibration::m_fps_frame, 1);

  // Within the in-air pages: MIDI and full screen stay.
  just_changed_state = false;
  bool fs = full_screen;
  ChangeInterfaceState(19, 0, 0, 0);
  EXPECT_EQ(full_screen, fs);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 1);
  EXPECT_TRUE(just_changed_state);

  // Back to a screen: full screen off, MIDI closed, the lighting check starts counting again.
  full_screen = true;
  for (int i = 0; i < 3; ++i) webcam.BadLightingSuspected(0);
  ASSERT_GT(webcam.GetFrameCounter(), 0);
  ChangeInterfaceState(0, 0, 0, 0);
  EXPECT_EQ(webcam.GetFrameCounter(), 0);
  EXPECT_FALSE(full_screen);
  EXPECT_EQ(full_screen_toggle_frames, 2);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 0);
  // The recordings screen opens MIDI for playback in MIDI mode, and leaving it closes it.
  ChangeInterfaceState(4, 0, 0, 0);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 1);
  ChangeInterfaceState(4, 0, 0, 0);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 1);
  ChangeInterfaceState(0, 0, 0, 0);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 0);
  midi_mode = 0;
  ChangeInterfaceState(4, 0, 0, 0);
  EXPECT_EQ(fake_portmidi::OpenStreams(), 0);
  ChangeInterfaceState(0, 0, 0, 0);
  EXPECT_EQ(intervals.size(), 2u);  // only on the way in
  window_services = installed;
}

// A page entered without its later parameters reads them as 0, never what the page before was
// given: the volume page edits the hand side and Done goes to the drumming page.
TEST_F(Session, ParametersLeftOutReadAsZero) {
  const struct {
    int given;
    int param, param2, param3;
  } cases[] = {{0, 0, 0, 0}, {1, 139, 0, 0}, {2, 139, 1, 0}, {3, 139, 1, kAdjustDrums}};
  interface_state = kPlay;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.given);
    ChangeInterfaceState(kAdjustAnyVolume, 140, 1, kAdjustDrums);
    switch (c.given) {
      case 0: ChangeInterfaceState(kAdjustAnyVolume); break;
      case 1: ChangeInterfaceState(kAdjustAnyVolume, 139); break;
      case 2: ChangeInterfaceState(kAdjustAnyVolume, 139, 1); break;
      default: ChangeInterfaceState(kAdjustAnyVolume, 139, 1, kAdjustDrums); break;
    }
    EXPECT_EQ(state_param, c.param);
    EXPECT_EQ(state_param2, c.param2);
    EXPECT_EQ(state_param3, c.param3);
  }
  ChangeInterfaceState(kMainScreen);
}

TEST_F(Session, BackToTheMainMenuAndFullScreenToggle) {
  std::ofstream("conf/skytapper.cfg") << "[Session]\n";
  drummer.session_loaded = true;  // as after the start-up
  interface_state = 18;
  is_metronome_playing = true;
  frames_until_song_start = 200;
  drummer.song_playing = true;
  Drumkit* previous = drummer.kit;
  drummer.kit = &kit_;
  kit_.shown_drum = 2;
  ASSERT_TRUE(record_test::LoadTestSong(sound, "1"));
  std::vector<float> mix(2 * 256);
  sound.audio.BeginOffline(256);
  sound.PlaySong(0.0f, false);
  sound.audio.RenderOffline(mix.data(), 256);
  ASSERT_GE(sound.audio.GetPlayingTime(sound.song), 0.0f);
  drummer.GoBackToMainMenu();
  sound.audio.RenderOffline(mix.data(), 256);
  EXPECT_LT(sound.audio.GetPlayingTime(sound.song), 0.0f);  // the song stopped with the rest
  sound.UnloadSong();
  sound.audio.EndOffline();
  EXPECT_EQ(interface_state, 0);
  EXPECT_FALSE(is_metronome_playing);
  EXPECT_EQ(frames_until_song_start, -1);
  EXPECT_FALSE(drummer.song_playing);
  EXPECT_EQ(kit_.shown_drum, -1);
  EXPECT_NE(ReadFile("conf/skytapper.cfg").find("Never_Ran = "), std::string::npos);

  bool fs = full_screen, dfs = drummer.Drum_Full_Screen;
  Calibration::m_fps_frame = 9;
  drummer.ToggleDrumsFullscreen();
  EXPECT_EQ(full_screen, !fs);
  EXPECT_EQ(drummer.Drum_Full_Screen, !dfs);
  EXPECT_EQ(full_screen_toggle_frames, 2);
  EXPECT_EQ(Calibration::m_fps_frame, 1);
  drummer.ToggleDrumsFullscreen();
  drummer.kit = previous;
}

// The start loads the last kit without a progress bar (no window is drawn yet); a kit the
// editor changed is reloaded with one. Either loads only for MIDI in the MIDI-only mode.
TEST_F(Session, EachKitLoadAsksForItsProgressBarAndSamples) {
  static std::string asked_name;
  static bool asked_progress, asked_midi_only;
  library_calls.load_drumkit = [](DrumkitChooser&, Drumkit*, const std::string& name, bool progress, bool midi_only) {
    asked_name = name;
    asked_progress = progress;
    asked_midi_only = midi_only;
    return -1;
  };
  const struct {
    bool start;
    int mode;
    const char* name;
    bool progress;
  } cases[] = {{true, kNoMidiMode, "", false},
               {true, kMidiOnlyMode, "", false},
               {false, kMidiAndSoundsMode, "Edited", true},
               {false, kMidiOnlyMode, "Edited", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << (c.start ? "start" : "edit") << ", MIDI mode " << c.mode);
    asked_name = "none";
    asked_progress = !c.progress;
    asked_midi_only = c.mode != kMidiOnlyMode;
    midi_mode = c.mode;
    if (c.start) {
      WriteSettings("Midi_Mode = " + std::to_string(c.mode) + "\n");
      IniFile settings;
      ASSERT_TRUE(settings.Init("conf/skytapper.cfg"));
      Drummer fresh;
      fresh.Init(kit_, drumkit_chooser, midi_map_chooser, webcam, settings);
    } else {
      EXPECT_FALSE(drummer_.FollowEditedKit("Edited", {"sn"}, {"sn"}));
    }
    EXPECT_EQ(asked_name, c.name);
    EXPECT_EQ(asked_progress, c.progress);
    EXPECT_EQ(asked_midi_only, c.mode == kMidiOnlyMode);
  }
}
