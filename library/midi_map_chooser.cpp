#include "library/midi_map_chooser.h"

#include <cstdio>
#include <filesystem>
#include <set>

#include "drumming/drummer.h"
#include "frame/atomic_file.h"
#include "frame/ini_file.h"
#include "frame/paths.h"
#include "frame/texts.h"
#include "library/library_names.h"
#include "library/midi_maps.h"

MidiMapChooser midi_map_chooser;

namespace {

std::string FileName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// The map folder's path of a file name without its extension ("./conf/midi-maps/Rock_").
std::string Stem(const std::string& file_name) {
  return MakePath(kPathMidiMaps, file_name.substr(0, file_name.rfind('.')));
}

// Every file of the map folder counts as taken, listed or not (files without a Name, files the
// list could not read), as does every listed map's file.
std::set<std::string> TakenMapPaths(const std::vector<MidiMapChooser::MidiMap>& maps) {
  std::set<std::string> taken;
  for (const auto& m : maps)
    if (!m.path.empty()) taken.insert(Stem(FileName(m.path)));
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(MakePath(kPathMidiMaps, ""), ec))
    taken.insert(Stem(entry.path().filename().string()));
  return taken;
}

// The kind word of the name messages.
std::string Kind() { return GetUtf8(kTextMIDIMap); }
// "Cannot save a" + " MIDI map " + "without a name."
std::string NoNameMessage() { return GetUtf8(kTextCannotSave) + (" " + Kind() + " ") + GetUtf8(kTextWithoutName); }

}  // namespace

bool MidiMapChooser::MidiMap::Load(const std::string& file) {
  IniFile ini;
  if (!ReadNameAndPreset(ini, file, "MIDI map", "MidiMap", Name, Is_Preset)) return false;
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

void MidiMapChooser::GetMidiMapNames(std::vector<std::string>& names) const {
  names.resize(midi_maps.size());
  for (size_t i = 0; i < midi_maps.size(); ++i) names[i] = midi_maps[i].Name;
}

bool MidiMapChooser::IsValidMidiMapIndex(int index) const {
  return index >= 0 && index < static_cast<int>(midi_maps.size());
}

MidiMapChooser::MidiMap* MidiMapChooser::GetMidiMap(int index) {
  return IsValidMidiMapIndex(index) ? &midi_maps[index] : nullptr;
}

bool MidiMapChooser::IsMidiMapPreset(int index) const {
  return IsValidMidiMapIndex(index) && midi_maps[index].Is_Preset;
}

bool MidiMapChooser::MidiMap::SaveWhenEditing(const MidiMap* source) const {
  MidiMapTables tables;
  if (source && !ReadMIDIMapFile(source->path, tables)) return false;
  return WriteFileAtomic(path, MIDIMapFileText(tables.per_element, tables.element_type, Name, false));
}

bool MidiMapChooser::CheckNameBuildFilename(std::string& filename, const std::string& name,
                                            std::string& error) const {
  std::string trimmed = name;
  // Checked also for a map with a file: a line break in a Name would write lines of its own.
  if (!ValidateLibraryName(trimmed, false, NoNameMessage(), error)) return false;
  if (!filename.empty()) return true;
  for (const MidiMap& m : midi_maps)
    if (m.Name == trimmed) {
      error = std::string(GetUtf8(kTextA)) + Kind() + GetUtf8(kTextNameAlreadyExists);
      return false;
    }
  filename = FreeFileName(MakePath(kPathMidiMaps, NameToPath(trimmed)), TakenMapPaths(midi_maps)) + ".ini";
  return true;
}

bool MidiMapChooser::SaveMidiMap(MidiMap& map, std::string& error, const MidiMap* source) {
  MidiMap candidate = map;
  if (!ValidateLibraryName(candidate.Name, false, NoNameMessage(), error) ||
      !CheckNameBuildFilename(candidate.path, candidate.Name, error))
    return false;
  if (!candidate.SaveWhenEditing(source)) {
    error = std::string(GetUtf8(kTextThereErrorSavingMIDI)) + candidate.path + GetUtf8(kTextDot);
    return false;
  }
  map = candidate;
  Relist(ChosenFile());
  return true;
}

int MidiMapChooser::DeleteMidiMap(int index, std::string& error) {
  const std::string path = IsValidMidiMapIndex(index) ? midi_maps[index].path : std::string();
  if (path.empty() || remove(path.c_str()) != 0) {
    error = std::string(GetUtf8(kTextErrorDeletingMIDI)) + path + GetUtf8(kTextDot);
    return -2;
  }
  Relist(ChosenFile());
  const int count = int(midi_maps.size());
  return count == 0 ? -1 : index < count ? index : count - 1;
}

std::string MidiMapChooser::ChosenFile() const {
  const int chosen = drummer.GetMidiMapIndex();
  return IsValidMidiMapIndex(chosen) ? FileName(midi_maps[chosen].path) : std::string();
}

void MidiMapChooser::Relist(const std::string& chosen_file) {
  BuildMidiMapList();
  int chosen = -1;
  for (size_t i = 0; i < midi_maps.size() && chosen < 0 && !chosen_file.empty(); ++i)
    if (FileName(midi_maps[i].path) == chosen_file) chosen = int(i);
  if (chosen == drummer.GetMidiMapIndex()) return;
  drummer.SetMidiMapIndex(chosen);
  drummer.SaveLastSession();
}
