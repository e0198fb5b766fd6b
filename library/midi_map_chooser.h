// The MIDI-map library: the map files of conf/midi-maps/, presets first.
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
  };

  // No constructor of its own: the program-wide object starts as an empty list.
  std::vector<MidiMap> midi_maps;
  std::string current_midi_map_name;

  // Rebuilds the list from conf/midi-maps/: presets first, then the user's maps.
  void BuildMidiMapList();
  // 0 <= index < the number of maps.
  bool IsValidMidiMapIndex(int index);
  // The record at index; the caller checks the index first. Its path is what LoadMIDIMap takes.
  MidiMap* GetMidiMap(int index);
};

extern MidiMapChooser midi_map_chooser;
