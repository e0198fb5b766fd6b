// Start-up migrations and the saving of the system language.
#include "library/migrations.h"

#include <string>

#include "frame/ini_file.h"
#include "frame/paths.h"
#include "frame/texts.h"
#include "sound/midi.h"

namespace {
std::string SettingsPath() { return MakePath(kPathConf, "skytapper.cfg"); }
}  // namespace

// Stand-in until the migrations are written: settings files from before the foot markers
// are left as they are.
void PatchShinsForBatch2() {}

// Stand-ins until the preset kits and MIDI maps are written: the preset files and markers are
// left as they are.
void PatchLampForBatch2(bool) {}
void PatchMidiMaps(bool) {}
void Patch3D(bool) {}
void PatchMay2021() {}

void SaveLanguage() {
  bool found = false;
  {
    IniFile ini;
    const char* value = nullptr;
    if (ini.Init(SettingsPath())) found = ini.GetString("Session", "Language", value);
  }
  const std::string line = "Language = " + GetLanguageString();
  if (found)
    IniFile::ReplaceEntries(SettingsPath(), {{"Language", line}});
  else
    IniFile::AddEntries(SettingsPath(), {{"Wants_Startup_Help", line}});
}

void PatchPerformanceModeMIDIBug() {
  IniFile ini;
  bool value = false;
  bool readable = ini.Init(SettingsPath()) && ini.GetBool("Session", "Use_Old_Style_Menu_Button", value);
  if (!readable) ++midi_output_number;
}
