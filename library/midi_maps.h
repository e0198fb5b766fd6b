// MIDI-map files and the active MIDI map: what a drum of a given element (by name) or element
// type sends. A map file of conf/midi-maps/ has three sections:
//   [MIDI map]          Name, Is_Preset (read by the MIDI-map library, not here)
//   [Per element map]   Map<i>.name, .number, .channel, .note<j>, .foot_note<j>,
//   [Element type map]  .openness_cc, .positional_cc1, .positional_cc2; element_type in place of
//                       name, one word of drum_element::kTypeWords (exact case)
// Entries are read from Map0 until the first index without its name (or element_type) key;
// notes and foot notes from slot 0 until the first missing key, at most ten. Main thread only.
#pragma once
#include <map>
#include <string>
#include <utility>

#include "sound/midi.h"  // the active map's tables

typedef std::map<std::pair<std::string, int>, MidiNotes> PerElementMidiMap;
typedef std::map<MidiMapKey, MidiNotes> ElementTypeMidiMap;

// One map's two tables, read from or written to a file without touching the active map.
struct MidiMapTables {
  PerElementMidiMap per_element;
  ElementTypeMidiMap element_type;
};

// Reads a map file into tables (emptied first). Missing keys take number 1, channel 10,
// controllers -1; a note that is no note name or number of 0-127 reads as -1; a later entry
// with the same key wins; an entry with an unknown type word is skipped with a "Warning:"
// line. False, tables untouched, only when the file cannot be opened.
bool ReadMIDIMapFile(const std::string& path, MidiMapTables& tables);
// The file text of the tables: sections in the order above, entries in table order (types
// KICK first, CHOKE last), notes as numbers, LF line ends.
std::string MIDIMapFileText(const PerElementMidiMap& per_element, const ElementTypeMidiMap& element_type,
                            const std::string& name, bool is_preset);

// Replaces the active map with the file's content; false, the active map kept, only when the
// file cannot be opened.
bool LoadMIDIMap(const std::string& path);
// Writes the active map to path, replacing the file whole (a failed write leaves the old file);
// false when it cannot be written.
bool SaveMIDIMap(const std::string& path, const std::string& name, bool is_preset);
// Empties the active map.
void ClearMIDIMap();
