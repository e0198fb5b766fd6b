// The active MIDI map. Stand-in until the MIDI-map files are written: a map file that opens
// empties the active map (every drum then takes the built-in notes); its entries are not read.
#include "library/midi_maps.h"

#include "frame/ini_file.h"

bool LoadMIDIMap(const std::string& path) {
  IniFile ini;
  if (!ini.Init(path)) return false;
  per_element_midi_map.clear();
  element_type_midi_map.clear();
  return true;
}
