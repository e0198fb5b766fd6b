#include "drumming/settings_keys.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <sstream>
#include <type_traits>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/library_calls.h"
#include "frame/frame_globals.h"
#include "frame/ini_file.h"
#include "frame/texts.h"
#include "sound/midi.h"

namespace {

const char kSession[] = "Session";
const char kDrummer[] = "Drummer";

// The frames of descent at sensitivity 0, 1 and 2.
constexpr int kDownFrames[] = {1, 3, 5};

enum class Form { kTrueFalse, kYesNo, kInteger, kNumber, kText };

// Where a key's value lives. Flags, integers and numbers travel as a double, which holds each
// of them exactly; text travels as text.
struct Home {
  double (*get)(const Drummer&) = nullptr;
  void (*set)(Drummer&, double) = nullptr;
  std::string (*get_text)(const Drummer&) = nullptr;
  void (*set_text)(Drummer&, const std::string&) = nullptr;  // none: the key is only written
};

// A field of the controller or a program-wide variable.
template <auto place>
constexpr Home At() {
  if constexpr (std::is_member_object_pointer_v<decltype(place)>) {
    using T = std::remove_cvref_t<decltype(std::declval<Drummer&>().*place)>;
    return {[](const Drummer& d) { return double(d.*place); },
            [](Drummer& d, double v) { d.*place = static_cast<T>(v); }};
  } else {
    using T = std::remove_pointer_t<decltype(place)>;
    return {[](const Drummer&) { return double(*place); }, [](Drummer&, double v) { *place = static_cast<T>(v); }};
  }
}

constexpr Home kLanguage = {.get_text = [](const Drummer&) { return GetLanguageString(); }};

constexpr Home kLastDrumkit = {
    .get_text = [](const Drummer& d) {
      return d.kit_library ? library_calls.current_drumkit_name(*d.kit_library) : std::string();
    },
    .set_text = [](Drummer& d, const std::string& name) {
      if (d.kit_library) library_calls.set_current_drumkit_name(*d.kit_library, name);
    }};

constexpr Home kMetronomeTempo = {
    [](const Drummer&) {
      const float beat_period = sound.beat_period;
      return beat_period > 0 ? 60.0 / double(beat_period) : 120.0;
    },
    [](Drummer&, double tempo) { sound.SetMetronomeTempo(float(tempo)); }};

constexpr Home kHitSensitivity = {
    [](const Drummer&) { return double(SensitivityForDownFrames(MocapMarker::m_down_frames_needed)); },
    [](Drummer&, double sensitivity) {
      MocapMarker::m_down_frames_needed = DownFramesForSensitivity(int(sensitivity));
    }};

// The kit's search settings; without a kit they read as their defaults and are not kept.
constexpr Home kTwoD = {[](const Drummer& d) { return double(!(d.kit && d.kit->use_3d)); },
                        [](Drummer& d, double v) { if (d.kit) d.kit->use_3d = v == 0; }};
constexpr Home kAccuracy = {[](const Drummer& d) { return double(d.kit ? d.kit->accuracy_setting : 0); },
                            [](Drummer& d, double v) { if (d.kit) d.kit->accuracy_setting = int(v); }};
constexpr Home kVR = {[](const Drummer& d) { return double(d.kit && d.kit->vr_mode); },
                      [](Drummer& d, double v) { if (d.kit) d.kit->vr_mode = v != 0; }};

constexpr double kAny = std::numeric_limits<double>::infinity();
constexpr double kIndexLimit = 1 << 20;

struct SessionKey {
  const char* name;
  Form form;
  Home home;
  double lo = -kAny, hi = kAny;        // the range an integer or a number must lie in
  std::optional<double> if_missing{};  // none: a missing key leaves the value as it is
  // An integer out of range gives this (none: the value stays as it is); a number out of range
  // gives its default.
  std::optional<double> if_bad{};
  bool blank_line_after = false;
};

using enum Form;

const SessionKey kSessionKeys[] = {
    {.name = "Never_Ran", .form = kTrueFalse, .home = At<&Drummer::Never_Ran>()},
    {.name = "Lamp_Checked", .form = kTrueFalse, .home = At<&Drummer::Lamp_Checked>()},
    {.name = "Replaced_Lamp", .form = kTrueFalse, .home = At<&Drummer::Replaced_Lamp>()},
    {.name = "Have_MIDI_Maps_Dir", .form = kTrueFalse, .home = At<&Drummer::Have_MIDI_Maps_Dir>()},
    {.name = "Patched_3D", .form = kTrueFalse, .home = At<&Drummer::Patched_3D>()},
    {.name = "Wants_Startup_Help", .form = kTrueFalse, .home = At<&Drummer::Wants_Startup_Help>()},
    // Read by the language layer at start-up.
    {.name = "Language", .form = kText, .home = kLanguage, .blank_line_after = true},
    // Without it the controller starts the playlist from its top (LoadLastSession).
    {.name = "Last_Song", .form = kInteger, .home = At<&Drummer::current_song>()},
    {.name = "Start_Time", .form = kNumber, .home = At<&Drummer::start_time>(), .lo = 0, .hi = 1e7,
     .if_missing = 0},
    {.name = "Last_Drumkit", .form = kText, .home = kLastDrumkit},
    {.name = "Drum_Full_Screen", .form = kYesNo, .home = At<&Drummer::Drum_Full_Screen>(), .if_missing = 1,
     .blank_line_after = true},
    {.name = "Is_Left_Handed", .form = kTrueFalse, .home = At<&Drummer::Is_Left_Handed>(), .blank_line_after = true},
    {.name = "Metronome_Tempo", .form = kNumber, .home = kMetronomeTempo, .lo = 1, .hi = 1000, .if_missing = 120,
     .blank_line_after = true},
    {.name = "Hit_Detection_Sensitivity", .form = kInteger, .home = kHitSensitivity, .if_missing = 2,
     .blank_line_after = true},
    // Sound::Init reads it first; only a value out of range is put right here.
    {.name = "Midi_Mode", .form = kInteger, .home = At<&midi_mode>(), .lo = kNoMidiMode,
     .hi = kMidiAndSoundsMode, .if_bad = kNoMidiMode, .blank_line_after = true},
    {.name = "Midi_Output_Number", .form = kInteger, .home = At<&midi_output_number>(), .lo = -1,
     .hi = kIndexLimit, .blank_line_after = true},
    {.name = "Midi_Send_Pedal_Close", .form = kYesNo, .home = At<&midi_send_pedal_close>(), .if_missing = 1,
     .blank_line_after = true},
    {.name = "Midi_Send_Metronome", .form = kYesNo, .home = At<&midi_send_metronome>(), .if_missing = 0,
     .blank_line_after = true},
    {.name = "Midi_Send_Menu_Sound", .form = kYesNo, .home = At<&midi_send_menu_sound>(), .if_missing = 0,
     .blank_line_after = true},
    {.name = "Midi_Use_Scheduler", .form = kYesNo, .home = At<&midi_latency>(), .if_missing = 1,
     .blank_line_after = true},
    {.name = "Midi_Use_MDrummer_Hack", .form = kYesNo, .home = At<&midi_use_mdrummer_hack>(), .if_missing = 0,
     .blank_line_after = true},
    {.name = "Midi_Only_Send_CC_Before_Note", .form = kYesNo, .home = At<&midi_send_cc_only_before_note>(),
     .if_missing = 1, .blank_line_after = true},
    {.name = "Use_Old_Style_Menu_Button", .form = kYesNo, .home = At<&use_old_style_menu_button>(),
     .if_missing = 1, .blank_line_after = true},
    {.name = "Graphics_Mode", .form = kInteger, .home = At<&graphics_mode>(), .lo = kGraphicsNormal,
     .hi = kGraphicsNone, .if_missing = kGraphicsNormal, .if_bad = kGraphicsNormal, .blank_line_after = true},
    {.name = "Piece_Determination_Two_D", .form = kYesNo, .home = kTwoD, .if_missing = 1, .blank_line_after = true},
    {.name = "Piece_Determination_Accuracy_Setting", .form = kInteger, .home = kAccuracy, .lo = 0, .hi = 3,
     .if_missing = 0, .if_bad = 0, .blank_line_after = true},
    {.name = "Piece_Determination_VR", .form = kYesNo, .home = kVR, .if_missing = 0, .blank_line_after = true},
    {.name = "Midi_Map_Index", .form = kInteger, .home = At<&Drummer::Midi_Map_Index>(), .lo = -1,
     .hi = kIndexLimit, .blank_line_after = true},
    {.name = "Z_Offset", .form = kNumber, .home = At<&Drummer::Z_Offset>(), .lo = -100, .hi = 100, .if_missing = 0,
     .blank_line_after = true},
    {.name = "User_Height", .form = kNumber, .home = At<&Drummer::User_Height>(), .lo = 0.3, .hi = 3,
     .if_missing = 1.75},
    {.name = "Use_Camera_Stand", .form = kYesNo, .home = At<&Drummer::Use_Camera_Stand>()},
    {.name = "Ran_After_Stand_Update", .form = kYesNo, .home = At<&Drummer::Ran_After_Stand_Update>()},
};

// A number that must be finite and lie in [lo, hi]; anything else keeps `value`, with a message.
void ReadFloat(const IniFile& ini, const char* section, const char* key, float& value, float lo, float hi) {
  float v = value;
  if (!ini.GetFloat(section, key, v)) return;
  if (!std::isfinite(v) || v < lo || v > hi) {
    printf("Settings: [%s] %s = %g is not usable, keeping %g\n", section, key, v, value);
    return;
  }
  value = v;
}

// The value a key starts from before the file is read.
double Start(const SessionKey& key, const Drummer& drummer) {
  return key.if_missing ? *key.if_missing : key.home.get(drummer);
}

void ReadFlag(const IniFile& ini, const SessionKey& key, Drummer& drummer) {
  bool value = Start(key, drummer) != 0;
  ini.GetBool(kSession, key.name, value);
  key.home.set(drummer, value);
}

void ReadInteger(const IniFile& ini, const SessionKey& key, Drummer& drummer) {
  int value = 0;
  if (!ini.GetInt(kSession, key.name, value)) {
    if (key.if_missing) key.home.set(drummer, *key.if_missing);
  } else if (value < key.lo || value > key.hi) {
    const double fallback = key.if_bad ? *key.if_bad : key.home.get(drummer);
    printf("Settings: [Session] %s = %d is not usable, using %d\n", key.name, value, int(fallback));
    key.home.set(drummer, fallback);
  } else {
    key.home.set(drummer, value);
  }
}

void ReadNumber(const IniFile& ini, const SessionKey& key, Drummer& drummer) {
  float value = float(Start(key, drummer));
  ReadFloat(ini, kSession, key.name, value, float(key.lo), float(key.hi));
  key.home.set(drummer, value);
}

void ReadText(const IniFile& ini, const SessionKey& key, Drummer& drummer) {
  if (!key.home.set_text) return;
  const char* text = nullptr;
  key.home.set_text(drummer, ini.GetString(kSession, key.name, text) ? text : "");
}

void WriteValue(std::ostream& out, const SessionKey& key, const Drummer& drummer) {
  switch (key.form) {
    case kTrueFalse: out << (key.home.get(drummer) != 0 ? "true" : "false"); break;
    case kYesNo: out << (key.home.get(drummer) != 0 ? "yes" : "no"); break;
    case kInteger: out << int(key.home.get(drummer)); break;
    case kNumber: out << key.home.get(drummer); break;
    case kText: out << key.home.get_text(drummer); break;
  }
}

}  // namespace

void ReadSessionKeys(const IniFile& ini, Drummer& drummer) {
  for (const SessionKey& key : kSessionKeys) {
    switch (key.form) {
      case kTrueFalse:
      case kYesNo: ReadFlag(ini, key, drummer); break;
      case kInteger: ReadInteger(ini, key, drummer); break;
      case kNumber: ReadNumber(ini, key, drummer); break;
      case kText: ReadText(ini, key, drummer); break;
    }
  }
}

std::string WriteSessionKeys(const Drummer& drummer) {
  std::ostringstream out;
  for (const SessionKey& key : kSessionKeys) {
    out << key.name << " = ";
    WriteValue(out, key, drummer);
    out << (key.blank_line_after ? "\n\n" : "\n");
  }
  return out.str();
}

void ReadDrummerKeys(const IniFile& ini, Drummer& drummer) {
  ReadFloat(ini, kDrummer, "Dominant_Hand_Reach", drummer.Dominant_Hand_Reach, 0.0f, 1.0f);
  ReadFloat(ini, kDrummer, "Speed_Threshold_Foot_Play", drummer.Speed_Threshold_Foot_Play, 0.0f, 1e6f);
  ReadFloat(ini, kDrummer, "Speed_Threshold_Foot_Place", drummer.Speed_Threshold_Foot_Place, 0.0f, 1e6f);
  ReadFloat(ini, kDrummer, "Speed_Threshold_Play", drummer.Speed_Threshold_Play, 0.0f, 1e6f);
  ReadFloat(ini, kDrummer, "Speed_Threshold_Place", drummer.Speed_Threshold_Place, 0.0f, 1e6f);
}

int DownFramesForSensitivity(int sensitivity) {
  return (sensitivity == 0 || sensitivity == 1) ? kDownFrames[sensitivity] : kDownFrames[2];
}

int SensitivityForDownFrames(int frames) {
  for (int sensitivity : {0, 1})
    if (kDownFrames[sensitivity] == frames) return sensitivity;
  return 2;
}
