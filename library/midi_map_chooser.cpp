#include "library/midi_map_chooser.h"

#include <cstdio>

#include "frame/ini_file.h"
#include "frame/paths.h"

MidiMapChooser midi_map_chooser;

bool MidiMapChooser::MidiMap::Load(const std::string& file) {
  IniFile ini;
  if (!ini.Init(file)) return false;
  const char* value = nullptr;
  if (!ini.GetString("MIDI map", "Name", value) || !value) {
    printf("MidiMap has no name, skipping it\n");
    return false;
  }
  Name = value;
  bool preset = false;
  if (ini.GetBool("MIDI map", "Is_Preset", preset)) Is_Preset = preset;
  path = file;
  return true;
}

void MidiMapChooser::BuildMidiMapList() {
  midi_maps.clear();
  std::vector<std::string> files;
  const std::string folder = MakePath(kPathMidiMaps, "");
  ScanDirectory(folder.c_str(), ".ini", files);
  std::vector<MidiMap> presets, user;
  for (const std::string& f : files) {
    MidiMap map;
    if (!map.Load(folder + f)) {
      printf("Skipping this MIDI map\n");
      continue;
    }
    (map.Is_Preset ? presets : user).push_back(map);
  }
  midi_maps = presets;
  midi_maps.insert(midi_maps.end(), user.begin(), user.end());
}

bool MidiMapChooser::IsValidMidiMapIndex(int index) {
  return index >= 0 && index < static_cast<int>(midi_maps.size());
}

MidiMapChooser::MidiMap* MidiMapChooser::GetMidiMap(int index) {
  return IsValidMidiMapIndex(index) ? &midi_maps[index] : nullptr;
}
