// The start-up migrations of the settings file and the preset files, and the small settings
// migrations.
#include "library/migrations.h"

#include <sys/stat.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "frame/ini_file.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "sound/midi.h"

namespace {

// Shown once to owners of the first lamp model when the 3D update arrives (English only).
const char kOlderLampNotice[] =
    "Thank you for being one of the first 500 Skytapper customers. Unfortunately your Skytapper lamp model is "
    "slightly different than newer models. To gain full advantage of this Skytapper update, you need to upgrade "
    "your lamp. Please contact Skytapper customer support, who will arrange the upgrade with you. If you include "
    "your Skytapper product code, or a current photograph of your lamp, we will give you a special offer as a token "
    "of our appreciation.";
const char k3DNotice[] =
    "You have updated Skytapper since you last ran it. There has been a major update with improved 3D tracking of "
    "the drum sticks. However, this means that the pieces of your custom drum kits will feel that they have moved. "
    "You will need to place them again using the 'Place all drums' feature.";
// 14 presets and at least one kit of the user's.
const size_t kKitsWithUserKit = 15;

std::string SettingsPath() { return MakePath(kPathConf, "skytapper.cfg"); }

// The [Session] switches the migrations read; each keeps its default when the file or the key
// is missing.
struct SessionMarkers {
  bool never_ran = true;
  bool lamp_checked = false;
  bool replaced_lamp = false;
  bool have_midi_maps_dir = false;
  bool patched_3d = false;
};

SessionMarkers ReadMarkers() {
  SessionMarkers m;
  IniFile ini;
  if (!ini.Init(SettingsPath())) return m;
  ini.GetBool("Session", "Never_Ran", m.never_ran);
  ini.GetBool("Session", "Lamp_Checked", m.lamp_checked);
  ini.GetBool("Session", "Replaced_Lamp", m.replaced_lamp);
  ini.GetBool("Session", "Have_MIDI_Maps_Dir", m.have_midi_maps_dir);
  ini.GetBool("Session", "Patched_3D", m.patched_3d);
  return m;
}

void MarkDone(const std::string& key) { SetSessionKey(key, key + " = true"); }

void SetCameraThreshold() { IniFile::ReplaceEntries(SettingsPath(), {{"Threshold", "Threshold  = 115"}}); }

bool HasUserKits() {
  std::vector<std::string> names;
  ScanDirectory(MakePath(kPathDrumkits, "").c_str(), ".ini", names);
  return names.size() >= kKitsWithUserKit;
}

bool HasLineStarting(const std::string& path, const std::string& prefix) {
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return false;
  std::string line;
  bool found = false;
  for (int c = 0; !found && (c = fgetc(f)) != EOF;) {
    if (c == '\n') {
      line.clear();
    } else if (line.size() < prefix.size()) {
      line += char(c);
      found = line == prefix;
    }
  }
  fclose(f);
  return found;
}

// v x 0.699 in single precision, as an output stream prints a double: "2.097", "1.94455".
std::string ScaledSize(float v) {
  std::ostringstream s;
  s << double(v * 0.699f);
  return s.str();
}

}  // namespace

bool SetSessionKey(const std::string& key, const std::string& line) {
  const std::string path = SettingsPath();
  if (HasLineStarting(path, key)) return IniFile::ReplaceEntries(path, {{key, line}});
  const char* anchor = HasLineStarting(path, "Wants_Startup_Help") ? "Wants_Startup_Help" : "[Session]";
  return IniFile::AddEntries(path, {{anchor, line}});
}

void PatchLampForBatch2(bool newer_lamp) {
  const SessionMarkers m = ReadMarkers();
  if (m.lamp_checked) return;
  if (newer_lamp || m.replaced_lamp) {
    SetCameraThreshold();
    WritePresetDrumkits();
    if (!m.never_ran && HasUserKits()) MessageBox(GetUtf8(kTextRangeNotice), false, true);
  }
  MarkDone("Lamp_Checked");
}

void PatchMidiMaps(bool) {
  if (ReadMarkers().have_midi_maps_dir) return;
  // The folder may exist already (the installation makes it, or an earlier start stopped
  // half-way): the maps missing from it are written, the user's own files are kept.
  mkdir(MakePath(kPathPlaylist, "midi-maps/").c_str(), 0777);
  if (WritePresetMidiMaps()) MarkDone("Have_MIDI_Maps_Dir");
}

void Patch3D(bool newer_lamp) {
  const SessionMarkers m = ReadMarkers();
  if (m.patched_3d) return;
  if (!newer_lamp && !m.replaced_lamp) {
    MessageBox(kOlderLampNotice, false, true);
    SetCameraThreshold();
  }
  WritePresetDrumkits();
  if (!m.never_ran && HasUserKits()) MessageBox(k3DNotice, false, true);
  MarkDone("Replaced_Lamp");
  MarkDone("Patched_3D");
}

void PatchMay2021() {
  if (!ReadMarkers().never_ran) return;
  WritePresetDrumkits();
  MarkDone("Applied_May2021_Presets_Patch");
}

void SaveLanguage() { SetSessionKey("Language", "Language = " + GetLanguageString()); }

void PatchPerformanceModeMIDIBug() {
  IniFile ini;
  bool value = false;
  bool readable = ini.Init(SettingsPath()) && ini.GetBool("Session", "Use_Old_Style_Menu_Button", value);
  if (!readable) ++midi_output_number;
}

void PatchCustomDrumSets() {
  DrumkitChooser kits;
  kits.BuildDrumkitList(true);
  for (const DrumkitChooser::LogicalDrumkit& kit : kits.drumkits)
    if (!kit.Is_Preset) PatchDrumSetMarkerSizes(kit.path, int(kit.elements.size()));
}

void PatchDrumSetMarkerSizes(const std::string& path, int drum_count) {
  std::vector<std::pair<std::string, std::string>> pairs;
  {
    IniFile ini;
    ini.Init(path);
    for (int d = 0; d < drum_count; ++d) {
      for (const char* key : {".size", ".foot_size"}) {
        const std::string name = "Drum" + std::to_string(d) + key;
        float v = 0;
        if (ini.GetFloat("Drumkit calibration", name, v)) pairs.push_back({name, name + " = " + ScaledSize(v)});
      }
    }
  }
  IniFile::ReplaceEntries(path, pairs);
}
