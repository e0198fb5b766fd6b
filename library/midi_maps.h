// The active MIDI map: what a drum of a given element (by name) or element type sends, read
// from a MIDI-map file of conf/midi-maps/.
#pragma once
#include <map>
#include <string>
#include <utility>

#include "sound/midi.h"  // the active map's tables

// Replaces the active map with the file's content; false only when the file cannot be opened.
bool LoadMIDIMap(const std::string& path);
