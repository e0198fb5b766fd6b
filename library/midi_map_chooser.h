// The MIDI-map library: the map files of conf/midi-maps/, presets first, each group in the
// folder scan's order. Screens and the drumming controller name a map by its index in the
// list (the session keeps the chosen one as Midi_Map_Index), so every save and delete lists
// the folder again and moves the drummer's chosen index with its map. Main thread only.
#pragma once
#include <string>
#include <vector>

class MidiMapChooser {
 public:
  struct MidiMap {
    std::string path;                // the map file; empty for a map not saved yet
    std::string Name = "New MIDI map";
    bool Is_Preset = false;

    // Reads [MIDI map] Name (required) and Is_Preset of one file and sets path.
    bool Load(const std::string& path);
    // Writes this map's file, never as a preset: the content of source's file, or an empty
    // map without a source. The active MIDI map is left as it was. False when the source
    // cannot be read or the file cannot be written (the old file, if any, stays whole).
    bool SaveWhenEditing(const MidiMap* source) const;
  };

  // No constructor of its own: the program-wide object starts as an empty list.
  std::vector<MidiMap> midi_maps;

  // Rebuilds the list from conf/midi-maps/: presets first, then the user's maps.
  void BuildMidiMapList();
  // The maps' names in list order.
  void GetMidiMapNames(std::vector<std::string>& names) const;
  // 0 <= index < the number of maps.
  bool IsValidMidiMapIndex(int index) const;
  // The record at index, nullptr for an invalid index. Its path is what LoadMIDIMap takes.
  MidiMap* GetMidiMap(int index);
  // Is_Preset of the map at index; false for an invalid index.
  bool IsMidiMapPreset(int index) const;

  // For a map without a file (empty filename): trims name, refuses an empty name, control
  // characters or a listed map's name (false, error set in the current language), and sets
  // filename to a free conf/midi-maps/ file (no listed map's file, no file on disk). A map that
  // has a file is left alone (true).
  bool CheckNameBuildFilename(std::string& filename, const std::string& name, std::string& error) const;
  // Names (Name trimmed) and writes a new map or a clone of source; lists the folder again.
  // False, error set, nothing listed, when the name is refused or the file not written.
  bool SaveMidiMap(MidiMap& map, std::string& error, const MidiMap* source);
  // Deletes map index's file and lists the folder again. Returns the index to select next (the
  // same one, else the last, -1 for an empty list), or -2, error set, when the file could not
  // be removed.
  int DeleteMidiMap(int index, std::string& error);

 private:
  // The file name (without folder) of the drummer's chosen map; empty when none is chosen.
  std::string ChosenFile() const;
  // Lists the folder again and points the drummer's chosen index at chosen_file (-1 when it
  // is gone), saving the session when the index moved.
  void Relist(const std::string& chosen_file);
};

extern MidiMapChooser midi_map_chooser;
