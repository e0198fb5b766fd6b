// MIDI output: the output port, hits as notes, the hi-hat pedal as a controller, cymbal
// chokes, metronome and menu clicks, note names and the built-in default mapping.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include <portmidi.h>

#include "sound/sound.h"

// The MIDI mapping of one element: 26 signed 32-bit integers in this order.
struct MidiNotes {
  int32_t channel = 10;  // 1-16
  int32_t note_count = 1;
  int32_t notes[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // [0] main note, [1] alternative
  int32_t foot_note_count = 1;
  int32_t foot_notes[10] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // [0] pedal-close note
  int32_t positional_cc1 = 0;
  int32_t positional_cc2 = 0;
  int32_t openness_cc = 0;
};
static_assert(sizeof(MidiNotes) == 26 * 4, "MidiNotes is 26 32-bit integers");

typedef std::pair<Sound::ElementType, int> MidiMapKey;  // element type, number in the kit

// The values of midi_mode.
enum MidiMode : int {
  kNoMidiMode = 0,         // the kit's sounds, no MIDI output
  kMidiOnlyMode = 1,       // MIDI notes only: the kit's samples are neither loaded nor played
  kMidiAndSoundsMode = 2,  // MIDI notes and the kit's sounds
};

// Settings of the MIDI output (main thread).
extern int midi_mode;                        // a MidiMode, saved as Midi_Mode
extern int midi_output_number;               // PortMidi device id of the output port
extern int midi_latency;                     // ms of PortMidi latency: 1 scheduled, 0 at once
extern bool midi_send_pedal_close;           // send the pedal-close note
extern bool midi_send_metronome;             // metronome clicks as notes
extern bool midi_send_menu_sound;            // in-air menu clicks as notes
extern bool midi_send_cc_only_before_note;   // openness controller only right before a note
extern bool midi_use_mdrummer_hack;          // hi-hat alternative note by openness
extern PortMidiStream* midi_stream;          // null while closed

// The built-in default mapping, filled by InitMIDI.
extern std::map<MidiMapKey, MidiNotes> midi_map;

// The active MIDI map, filled from a MIDI-map file by the MIDI-map library: keyed by (element
// name, number) and by (element type, number); the number counts the drums of the same type in
// kit order from 1. Empty while no map is loaded.
extern std::map<std::pair<std::string, int>, MidiNotes> per_element_midi_map;
extern std::map<MidiMapKey, MidiNotes> element_type_midi_map;

void InitMIDI();
void CleanUpMIDI();
void GetMIDIOutputPortNames(std::map<int, std::string>& names);
void SetMIDILatency(int ms);
void OpenMIDIOutput(int unused);
void CloseMIDIOutput();

void PlayMIDINote(const MidiNotes& notes, Sound::ElementType type, Sound::Limb limb,
                  float velocity, float openness, float threshold);
void ControlMIDIHihat(float openness, const MidiNotes& notes, int index);
void SendMIDIHihatCC(float openness, const MidiNotes& notes);
void SendMIDIChoke();
void PlayMIDIMetronome(float level);
void PlayMIDIMenuSound(float level);
void SetMIDIVolume(int volume);

// Note names: "C3" is 60, "C-2" 0; numbers as "60" or "#60". -1 for anything else.
int HumanReadableNoteToPortMIDI(const std::string& text);
// "C3" for 60; "NA" outside 0-127.
std::string PortMIDINoteToHumanReadable(int note);
