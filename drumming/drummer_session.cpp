// The drumming controller's start-up, the last session ([Session] of conf/skytapper.cfg), the
// [Drummer] thresholds, choosing the current kit and saving its calibration.
#include <cmath>
#include <sstream>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/library_calls.h"
#include "drumming/viewer_calls.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/paths.h"
#include "frame/texts.h"
#include "sound/logger.h"
#include "sound/midi.h"

namespace {

const char kSession[] = "Session";

std::string SettingsPath() { return MakePath(kPathConf, "skytapper.cfg"); }

// Reads a float setting that must be a finite number in [lo, hi]; anything else keeps the
// current value with a message.
void ReadFloat(const IniFile& ini, const char* section, const char* key, float& value, float lo, float hi) {
  float v = value;
  if (!ini.GetFloat(section, key, v)) return;
  if (!std::isfinite(v) || v < lo || v > hi) {
    printf("Settings: [%s] %s = %g is not usable, keeping %g\n", section, key, v, value);
    return;
  }
  value = v;
}

// Reads an integer setting that must lie in [lo, hi]; anything else gives `fallback` with a
// message.
void ReadInt(const IniFile& ini, const char* key, int& value, int lo, int hi, int fallback) {
  int v = value;
  if (!ini.GetInt(kSession, key, v)) return;
  if (v < lo || v > hi) {
    printf("Settings: [Session] %s = %d is not usable, using %d\n", key, v, fallback);
    value = fallback;
    return;
  }
  value = v;
}

void ReadInt(const IniFile& ini, const char* key, int& value, int lo, int hi) {
  ReadInt(ini, key, value, lo, hi, value);
}

void ReadBool(const IniFile& ini, const char* key, bool& value) { ini.GetBool(kSession, key, value); }

// A yes/no setting that is `fallback` where the file does not give it.
bool ReadFlag(const IniFile& ini, const char* key, bool fallback) {
  bool value = fallback;
  ReadBool(ini, key, value);
  return value;
}

// The kit's search settings; the accuracy setting (0-3) chooses the hit disks' size.
void SetPieceDetermination(Drumkit* kit, bool two_d, int accuracy, bool vr) {
  if (!kit) return;
  static const float kDisk[4][3] = {{10.0f, 10.0f, 30.0f}, {1.6f, 0.29f, 16.0f}, {1.3f, 0.2f, 16.0f}, {1.1f, 0.15f, 16.0f}};
  kit->use_3d = !two_d;
  kit->vr_mode = vr;
  kit->accuracy_setting = accuracy;
  kit->disk_radius_factor = kDisk[accuracy][0];
  kit->disk_plane_distance = kDisk[accuracy][1];
  kit->disk_min_diameter = (accuracy == 0 || two_d) ? kDisk[accuracy][2] : -1.0f;
}

std::string Number(double v) {
  std::ostringstream s;
  s << v;
  return s.str();
}

}  // namespace

void Drummer::Init(Drumkit& the_kit, DrumkitChooser& kits, MidiMapChooser& maps, Webcam& camera,
                   const IniFile& settings) {
  if (settings.IsOpen()) {
    ReadFloat(settings, "Drummer", "Dominant_Hand_Reach", Dominant_Hand_Reach, 0.0f, 1.0f);
    ReadFloat(settings, "Drummer", "Speed_Threshold_Foot_Play", Speed_Threshold_Foot_Play, 0.0f, 1e6f);
    ReadFloat(settings, "Drummer", "Speed_Threshold_Foot_Place", Speed_Threshold_Foot_Place, 0.0f, 1e6f);
    ReadFloat(settings, "Drummer", "Speed_Threshold_Play", Speed_Threshold_Play, 0.0f, 1e6f);
    ReadFloat(settings, "Drummer", "Speed_Threshold_Place", Speed_Threshold_Place, 0.0f, 1e6f);
  }
  labeler.Init(camera, settings);
  kit = &the_kit;
  kit_library = &kits;
  midi_maps = &maps;
  LoadLastSession();
  library_calls.prepare(kits, maps, Is_Left_Handed, Midi_Map_Index);
  LoadPlaylist();
  ChooseDrumkit("", false);
}

bool Drummer::LoadLastSession() {
  IniFile ini;
  if (!ini.Init(SettingsPath())) {
    current_song = -1;
    start_time = 0;
    SetPieceDetermination(kit, true, 0, false);
    return false;
  }
  session_loaded = true;
  ReadBool(ini, "Never_Ran", Never_Ran);
  ReadBool(ini, "Wants_Startup_Help", Wants_Startup_Help);
  ReadBool(ini, "Lamp_Checked", Lamp_Checked);
  ReadBool(ini, "Replaced_Lamp", Replaced_Lamp);
  ReadBool(ini, "Have_MIDI_Maps_Dir", Have_MIDI_Maps_Dir);
  ReadBool(ini, "Patched_3D", Patched_3D);

  int last_song = 0;
  if (ini.GetInt(kSession, "Last_Song", last_song)) {
    current_song = last_song;
    start_time = 0;
    ReadFloat(ini, kSession, "Start_Time", start_time, 0.0f, 1e7f);
  } else {
    current_song = playlist.empty() ? -1 : 0;
    start_time = 0;
  }
  const char* name = nullptr;
  std::string last_kit = ini.GetString(kSession, "Last_Drumkit", name) ? name : "";
  if (kit_library) library_calls.set_current_drumkit_name(*kit_library, last_kit);

  Drum_Full_Screen = true;
  ReadBool(ini, "Drum_Full_Screen", Drum_Full_Screen);
  float tempo = 120.0f;
  ReadFloat(ini, kSession, "Metronome_Tempo", tempo, 1.0f, 1000.0f);
  sound.SetMetronomeTempo(tempo);
  ReadBool(ini, "Is_Left_Handed", Is_Left_Handed);
  int sensitivity = 2;
  ini.GetInt(kSession, "Hit_Detection_Sensitivity", sensitivity);
  MocapMarker::m_down_frames_needed = sensitivity == 0 ? 1 : sensitivity == 1 ? 3 : 5;
  ReadInt(ini, "Midi_Mode", midi_mode, 0, 2, 0);
  ReadInt(ini, "Midi_Output_Number", midi_output_number, -1, 1 << 20);
  midi_send_pedal_close = ReadFlag(ini, "Midi_Send_Pedal_Close", true);
  midi_send_metronome = ReadFlag(ini, "Midi_Send_Metronome", false);
  midi_send_menu_sound = ReadFlag(ini, "Midi_Send_Menu_Sound", false);
  midi_latency = ReadFlag(ini, "Midi_Use_Scheduler", true) ? 1 : 0;
  midi_use_mdrummer_hack = ReadFlag(ini, "Midi_Use_MDrummer_Hack", false);
  midi_send_cc_only_before_note = ReadFlag(ini, "Midi_Only_Send_CC_Before_Note", true);
  use_old_style_menu_button = ReadFlag(ini, "Use_Old_Style_Menu_Button", true) ? 1 : 0;
  graphics_mode = 0;
  ReadInt(ini, "Graphics_Mode", graphics_mode, 0, 4);
  const bool two_d = ReadFlag(ini, "Piece_Determination_Two_D", true);
  int accuracy = 0;
  ReadInt(ini, "Piece_Determination_Accuracy_Setting", accuracy, 0, 3);
  const bool vr = ReadFlag(ini, "Piece_Determination_VR", false);
  ReadInt(ini, "Midi_Map_Index", Midi_Map_Index, -1, 1 << 20);
  Z_Offset = 0.0f;
  ReadFloat(ini, kSession, "Z_Offset", Z_Offset, -100.0f, 100.0f);
  User_Height = 1.75f;
  ReadFloat(ini, kSession, "User_Height", User_Height, 0.3f, 3.0f);
  ReadBool(ini, "Use_Camera_Stand", Use_Camera_Stand);
  ReadBool(ini, "Ran_After_Stand_Update", Ran_After_Stand_Update);

  SetPieceDetermination(kit, two_d, accuracy, vr);
  return true;
}

void Drummer::SaveLastSession() {
  if (!session_loaded) return;
  auto tf = [](bool b) { return b ? "true" : "false"; };
  auto yn = [](bool b) { return b ? "yes" : "no"; };
  int sensitivity = MocapMarker::m_down_frames_needed == 1 ? 0 : MocapMarker::m_down_frames_needed == 3 ? 1 : 2;
  float beat_period = sound.beat_period;
  double tempo = beat_period > 0 ? 60.0 / double(beat_period) : 120.0;
  std::ostringstream b;
  b << "Never_Ran = " << tf(Never_Ran) << "\n"
    << "Lamp_Checked = " << tf(Lamp_Checked) << "\n"
    << "Replaced_Lamp = " << tf(Replaced_Lamp) << "\n"
    << "Have_MIDI_Maps_Dir = " << tf(Have_MIDI_Maps_Dir) << "\n"
    << "Patched_3D = " << tf(Patched_3D) << "\n"
    << "Wants_Startup_Help = " << tf(Wants_Startup_Help) << "\n"
    << "Language = " << GetLanguageString() << "\n\n"
    << "Last_Song = " << current_song << "\n"
    << "Start_Time = " << Number(start_time) << "\n"
    << "Last_Drumkit = " << (kit_library ? library_calls.current_drumkit_name(*kit_library) : std::string()) << "\n"
    << "Drum_Full_Screen = " << yn(Drum_Full_Screen) << "\n\n"
    << "Is_Left_Handed = " << tf(Is_Left_Handed) << "\n\n"
    << "Metronome_Tempo = " << Number(tempo) << "\n\n"
    << "Hit_Detection_Sensitivity = " << sensitivity << "\n\n"
    << "Midi_Mode = " << midi_mode << "\n\n"
    << "Midi_Output_Number = " << midi_output_number << "\n\n"
    << "Midi_Send_Pedal_Close = " << yn(midi_send_pedal_close) << "\n\n"
    << "Midi_Send_Metronome = " << yn(midi_send_metronome) << "\n\n"
    << "Midi_Send_Menu_Sound = " << yn(midi_send_menu_sound) << "\n\n"
    << "Midi_Use_Scheduler = " << yn(midi_latency != 0) << "\n\n"
    << "Midi_Use_MDrummer_Hack = " << yn(midi_use_mdrummer_hack) << "\n\n"
    << "Midi_Only_Send_CC_Before_Note = " << yn(midi_send_cc_only_before_note) << "\n\n"
    << "Use_Old_Style_Menu_Button = " << yn(use_old_style_menu_button != 0) << "\n\n"
    << "Graphics_Mode = " << graphics_mode << "\n\n"
    << "Piece_Determination_Two_D = " << yn(!(kit && kit->use_3d)) << "\n\n"
    << "Piece_Determination_Accuracy_Setting = " << (kit ? kit->accuracy_setting : 0) << "\n\n"
    << "Piece_Determination_VR = " << yn(kit && kit->vr_mode) << "\n\n"
    << "Midi_Map_Index = " << Midi_Map_Index << "\n\n"
    << "Z_Offset = " << Number(Z_Offset) << "\n\n"
    << "User_Height = " << Number(User_Height) << "\n"
    << "Use_Camera_Stand = " << yn(Use_Camera_Stand) << "\n"
    << "Ran_After_Stand_Update = " << yn(Ran_After_Stand_Update) << "\n";
  IniFile::ReplaceSection(SettingsPath(), kSession, {"[Session]", b.str()});
}

bool Drummer::ChooseDrumkit(const std::string& name, bool flag) {
  if (!kit || !kit_library) return false;
  int result = library_calls.load_drumkit(*kit_library, kit, name, flag, midi_mode == 1);
  viewer_calls.begin_drumkit(int(kit->drums.size()), kit->is_user_kit);
  for (size_t i = 0; i < kit->drums.size(); ++i) viewer_calls.add_drum(int(i), kit->drums[i]);
  viewer_calls.end_drumkit();
  if (result < 0) return false;
  kit->SetDistanceMenuLocations(Is_Left_Handed);
  kit->SetPan(!Is_Left_Handed, -1);
  // The recording in progress ends with the kit; the list then shows it.
  if (recording || sound.IsRecording()) logger.StopRecording(recording);
  SaveLastSession();
  return true;
}

bool Drummer::SaveCalibration(std::string* message) {
  if (!kit || !kit_library) return false;
  std::string temp, text;
  bool ok = library_calls.save_with_calibration(*kit_library, temp, text);
  if (ok) ok = library_calls.commit_kit_file(*kit_library, temp, kit->SaveCalibrationInfo(temp), text);
  if (message) *message = text;
  return ok;
}

void Drummer::TogglePanning() {
  if (!sound.panning_enabled) {
    sound.panning_enabled = true;
    if (kit) kit->SetPan(!Is_Left_Handed, -1);
  } else {
    sound.panning_enabled = false;
    if (kit) kit->SetPanCenter();
  }
}
