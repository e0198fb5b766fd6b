// The MIDI-map editor's conversions between a map entry and the texts of its edit boxes.
#pragma once
#include <string>

#include "library/midi_maps.h"

// The texts of the editor's five boxes.
struct MidiNoteTexts {
  std::string note1, note2, foot_note, channel, openness_cc;
};

// What an edit is keyed by: an element of the library (by name) or an element type, and the
// drum's placement among the kit's drums of that type (1-9).
struct MidiMapSelection {
  bool is_element = false;
  std::string element;      // the element's name
  Sound::ElementType type = Sound::KICK;  // the element's own type, or the type edited
  int number = 1;
};

// Fills the texts from notes: note names for the notes, numbers for the channel and the
// openness controller. The accent text is set only for two notes and the pedal text only for
// one foot note; a text not set keeps its content.
void SetMIDINoteStrings(const MidiNotes& notes, MidiNoteTexts& texts);
// Takes the texts into notes: nothing at all when the first note is no note of 0-127; else
// the channel when 1-16, the openness controller when 1-127, the accent and pedal notes when
// they are notes of 0-127. Then stores notes in the working tables under the selection's key,
// or erases that entry when notes equal the built-in default.
void TryToSaveNoteChanges(const MidiNoteTexts& texts, MidiNotes& notes, const MidiMapSelection& selection,
                          MidiMapTables& working);
// The notes the selection shows: the working entry, else the built-in default of the type and
// placement, else that of the type's first placement (made when missing).
MidiNotes LookUpMidiNotes(const MidiMapSelection& selection, const MidiMapTables& working);
