// The drumming controller's start-up, the last session ([Session] of conf/skytapper.cfg), the
// [Drummer] thresholds, choosing the current kit and saving its calibration.
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/kit_carry.h"
#include "drumming/library_calls.h"
#include "drumming/settings_keys.h"
#include "drumming/viewer_calls.h"
#include "frame/ini_file.h"
#include "frame/paths.h"
#include "sound/logger.h"
#include "sound/midi.h"

namespace {

const char kSession[] = "Session";

std::string SettingsPath() { return MakePath(kPathConf, "skytapper.cfg"); }

// The hit disks' size follows the kit's accuracy setting (0-3) and its search in 2D or 3D.
void SetSearchDisks(Drumkit& kit) {
  static const float kDisk[4][3] = {{10.0f, 10.0f, 30.0f}, {1.6f, 0.29f, 16.0f}, {1.3f, 0.2f, 16.0f}, {1.1f, 0.15f, 16.0f}};
  const int accuracy = kit.accuracy_setting;
  kit.disk_radius_factor = kDisk[accuracy][0];
  kit.disk_plane_distance = kDisk[accuracy][1];
  kit.disk_min_diameter = (accuracy == 0 || !kit.use_3d) ? kDisk[accuracy][2] : -1.0f;
}

}  // namespace

void Drummer::Init(Drumkit& the_kit, DrumkitChooser& kits, MidiMapChooser& maps, Webcam& camera,
                   const IniFile& settings) {
  if (settings.IsOpen()) ReadDrummerKeys(settings, *this);
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
    if (kit) {
      kit->use_3d = kit->vr_mode = false;
      kit->accuracy_setting = 0;
      SetSearchDisks(*kit);
    }
    return false;
  }
  session_loaded = true;
  ReadSessionKeys(ini, *this);
  // A start time belongs to its song; without a song the playlist starts from its top.
  int last_song = 0;
  if (!ini.GetInt(kSession, "Last_Song", last_song)) {
    current_song = playlist.empty() ? -1 : 0;
    start_time = 0;
  }
  if (kit) SetSearchDisks(*kit);
  return true;
}

void Drummer::SaveLastSession() {
  if (!session_loaded) return;
  IniFile::ReplaceSection(SettingsPath(), kSession, {"[Session]", WriteSessionKeys(*this)});
}

bool Drummer::ChooseDrumkit(const std::string& name, bool flag) {
  if (!kit || !kit_library) return false;
  return TakeLoadedKit(library_calls.load_drumkit(*kit_library, kit, name, flag, midi_mode == kMidiOnlyMode) >= 0);
}

bool Drummer::FollowEditedKit(const std::string& name, const std::vector<std::string>& old_elements,
                              const std::vector<std::string>& new_elements) {
  if (!kit || !kit_library) return false;
  const KeptDrums kept(*kit);  // before the load releases the old drums' sounds
  const bool loaded = library_calls.load_drumkit(*kit_library, kit, name, true, midi_mode == kMidiOnlyMode) >= 0;
  if (loaded) kept.PutInto(*kit, CarriedDrums(old_elements, new_elements));
  return TakeLoadedKit(loaded);
}

bool Drummer::TakeLoadedKit(bool loaded) {
  viewer_calls.begin_drumkit(int(kit->drums.size()), kit->is_user_kit);
  for (size_t i = 0; i < kit->drums.size(); ++i) viewer_calls.add_drum(int(i), kit->drums[i]);
  viewer_calls.end_drumkit();
  if (!loaded) return false;
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
