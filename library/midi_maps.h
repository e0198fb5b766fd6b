// The active MIDI map: what a drum of a given element (by name) or element type sends, read
// from a MIDI-map file of conf/midi-maps/.
#pragma once
#include <map>
#include <string>
#include <utility>

#include "sound/midi.h"   // MidiNotes
#include "sound/sound.h"  // Sound::ElementType

// Replaces the active map with the file's content; false only when the file cannot be opened.
bool LoadMIDIMap(const std::string& path);

// Keyed by (element name, number) and by (element type, number); the number counts the drums
// of the same type in kit order from 1. Empty while no map is loaded.
extern std::map<std::pair<std::string, int>, MidiNotes> per_element_midi_map;
extern std::map<std::pair<Sound::ElementType, int>, MidiNotes> element_type_midi_map;
