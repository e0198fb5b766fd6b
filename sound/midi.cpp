// MIDI output through PortMidi, time stamps from PortTime.
#include "sound/midi.h"

#include <porttime.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>

#include "sound/device_messages.h"

int midi_mode = kNoMidiMode;
int midi_output_number = 0;
int midi_latency = 1;
bool midi_send_pedal_close = true;
bool midi_send_metronome = false;
bool midi_send_menu_sound = false;
bool midi_send_cc_only_before_note = true;
bool midi_use_mdrummer_hack = false;
PortMidiStream* midi_stream = nullptr;

std::map<MidiMapKey, MidiNotes> midi_map;
std::map<std::pair<std::string, int>, MidiNotes> per_element_midi_map;
std::map<MidiMapKey, MidiNotes> element_type_midi_map;

namespace {

// The metronome writes from the audio thread while hits, pedals and menus write from the main
// thread; one PortMidi stream must not be written by two threads at once, nor closed while
// written. The lock is held only around writes and the publishing of the stream, never through
// a PortMidi open or close, and the audio thread only tries it.
std::mutex& StreamMutex() {
  static std::mutex m;
  return m;
}

// Last openness controller values sent by ControlMIDIHihat, per hi-hat index.
int last_hihat_cc[2] = {0, 0};

int StatusWithChannel(int kind, int channel) {
  int nibble = ((channel - 1) % 16 + 16) % 16;
  return kind | nibble;
}

// Velocity 0..1 to 1..127; NaN and values outside 0..1 are clamped.
int MidiVelocity(float velocity) {
  if (!(velocity > 0.0f)) velocity = 0.0f;
  if (velocity > 1.0f) velocity = 1.0f;
  return static_cast<int>(velocity * 126.0f + 0.5f) + 1;
}

float ClampOpenness(float openness) {
  if (!(openness > 0.0f)) return 0.0f;
  return openness > 1.0f ? 1.0f : openness;
}

PmTimestamp TimeProc(void*) { return Pt_Time(); }

bool IsDataByte(int value) { return value >= 0 && value <= 127; }

// Writes one short message; the caller holds the stream lock.
void WriteLocked(int status, int data1, int data2) {
  if (!midi_stream) return;
  int32_t message = (status & 0xFF) | (data1 << 8) | (data2 << 16);
  Pm_WriteShort(midi_stream, Pt_Time(), message);
}

// Writes one short message. A data byte outside 0-127 (an unmapped note or controller, -1)
// is never sent.
void WriteShort(int status, int data1, int data2) {
  if (!IsDataByte(data1) || !IsDataByte(data2)) return;
  std::lock_guard<std::mutex> lock(StreamMutex());
  WriteLocked(status, data1, data2);
}

// A note-on and its note-off, back to back (no other message between them).
void NoteOnOff(int channel, int note, int velocity) {
  if (!IsDataByte(note) || !IsDataByte(velocity)) return;
  std::lock_guard<std::mutex> lock(StreamMutex());
  WriteLocked(StatusWithChannel(0x90, channel), note, velocity);
  WriteLocked(StatusWithChannel(0x80, channel), note, 0);
}

int OpennessValue(float openness) {
  return 127 - static_cast<int>(ClampOpenness(openness) * 127.0f + 0.5f);
}

bool IsOutputDevice(int id) {
  if (id < 0 || id >= Pm_CountDevices()) return false;
  const PmDeviceInfo* info = Pm_GetDeviceInfo(id);
  return info && info->output;
}

MidiNotes MakeNotes(std::initializer_list<int> notes, std::initializer_list<int> foot_notes,
                    int openness_cc) {
  MidiNotes m;
  m.channel = 10;
  m.note_count = static_cast<int32_t>(notes.size());
  int i = 0;
  for (int n : notes) m.notes[i++] = n;
  m.foot_note_count = static_cast<int32_t>(foot_notes.size());
  i = 0;
  for (int n : foot_notes) m.foot_notes[i++] = n;
  m.openness_cc = openness_cc;
  return m;
}

void FillDefaultMidiMap() {
  midi_map.clear();
  auto add = [](Sound::ElementType type, int number, std::initializer_list<int> notes,
                std::initializer_list<int> foot_notes = {}, int openness_cc = 0) {
    midi_map[MidiMapKey(type, number)] = MakeNotes(notes, foot_notes, openness_cc);
  };
  add(Sound::KICK, 1, {36});
  add(Sound::KICK, 2, {35});
  add(Sound::SNARE, 1, {38, 40});
  add(Sound::SNARE, 2, {24, 25});
  add(Sound::RIMSHOT, 1, {38});
  add(Sound::CROSS_STICK, 1, {37});
  add(Sound::VERY_HIGH_TOM, 1, {50});
  add(Sound::HIGH_TOM, 1, {48});
  add(Sound::MID_TOM, 1, {47});
  add(Sound::FLOOR_TOM, 1, {43});
  add(Sound::FLOOR_TOM_2, 1, {41});
  add(Sound::HIHAT, 1, {46, 26}, {44}, 4);
  add(Sound::HIHAT, 2, {27, 28}, {29}, 1);
  add(Sound::HIHAT_SPLASH, 1, {23});
  add(Sound::CRASH, 1, {49});
  add(Sound::CRASH, 2, {57});
  add(Sound::CRASH, 3, {30});
  add(Sound::SPLASH, 1, {55});
  add(Sound::SPLASH, 2, {31});
  add(Sound::RIDE, 1, {51});
  add(Sound::RIDE, 2, {59});
  add(Sound::RIDE_BELL, 1, {53});
  add(Sound::CHINA, 1, {52});
  add(Sound::CHINA, 2, {32});
  add(Sound::COWBELL, 1, {56});
  add(Sound::TAMBOURINE, 1, {54});
  add(Sound::CUSTOM_HAND, 1, {32, 32});
  add(Sound::CUSTOM_FOOT, 1, {33});
  add(Sound::CUSTOM_HAND_AND_FOOT, 1, {34, 34}, {22}, 16);
  add(Sound::CHOKE, 1, {21});
}

// A note slot of the mapping, or -1 (nothing is sent) when the slot lies outside the table.
int NoteAt(const int32_t* notes, int index) { return index >= 0 && index < 10 ? notes[index] : -1; }

}  // namespace

void InitMIDI() {
  Pt_Start(1, nullptr, nullptr);
  FillDefaultMidiMap();
  const DeviceMessageFold device_messages;
  Pm_Initialize();
}

void CleanUpMIDI() {
  CloseMIDIOutput();
  Pm_Terminate();
}

void GetMIDIOutputPortNames(std::map<int, std::string>& names) {
  names.clear();
  int default_id = Pm_GetDefaultOutputDeviceID();
  int count = Pm_CountDevices();
  for (int i = 0; i < count; ++i) {
    const PmDeviceInfo* info = Pm_GetDeviceInfo(i);
    if (!info || !info->output) continue;
    std::string name = std::string(info->interf ? info->interf : "") + ", " +
                       (info->name ? info->name : "");
    if (i == default_id) name += " (default)";
    names[i] = name;
    printf("MIDI output port # %d is %s\n", i, name.c_str());
  }
}

void SetMIDILatency(int ms) { midi_latency = ms; }

void OpenMIDIOutput(int /*unused*/) {
  CloseMIDIOutput();
  // Port numbers move when MIDI clients come and go; a number that no longer names an output
  // opens the default output instead.
  int device = midi_output_number;
  if (!IsOutputDevice(device)) {
    int fallback = Pm_GetDefaultOutputDeviceID();
    if (!IsOutputDevice(fallback)) {
      printf("MIDI output port # %d is not available.\n", device);
      return;
    }
    printf("MIDI output port # %d is not available, using # %d.\n", device, fallback);
    device = fallback;
  }
  PortMidiStream* stream = nullptr;
  PmError err = Pm_OpenOutput(&stream, device, nullptr, 0,
                              midi_latency != 0 ? &TimeProc : nullptr,
                              nullptr, midi_latency);
  {
    std::lock_guard<std::mutex> lock(StreamMutex());
    midi_stream = err == pmNoError ? stream : nullptr;
  }
  printf("Midi Output opened with %ld ms latency.\n", static_cast<long>(midi_latency));
}

void CloseMIDIOutput() {
  PortMidiStream* stream = nullptr;
  {
    std::lock_guard<std::mutex> lock(StreamMutex());
    stream = midi_stream;
    midi_stream = nullptr;
  }
  if (stream) Pm_Close(stream);
}

void PlayMIDINote(const MidiNotes& notes, Sound::ElementType type, Sound::Limb limb,
                  float velocity, float openness, float threshold) {
  int note;
  bool two_notes = notes.note_count >= 2;
  if (type == Sound::HIHAT && limb == Sound::LIMB_FOOT) {
    if (!midi_send_pedal_close) return;
    note = notes.foot_notes[0];
  } else if (type == Sound::SNARE) {
    note = NoteAt(notes.notes, velocity > threshold && two_notes ? 1 : 0);
  } else if (type == Sound::HIHAT) {
    bool alternative = midi_use_mdrummer_hack ? openness < 0.5f : velocity > threshold;
    note = NoteAt(notes.notes, alternative && two_notes ? 1 : 0);
  } else {
    note = notes.notes[0];
  }
  NoteOnOff(notes.channel, note, MidiVelocity(velocity));
}

void ControlMIDIHihat(float openness, const MidiNotes& notes, int index) {
  if (index < 0 || index > 1) return;
  int value = OpennessValue(openness);
  if (value == last_hihat_cc[index]) return;
  if (!IsDataByte(notes.openness_cc)) return;
  WriteShort(StatusWithChannel(0xB0, notes.channel), notes.openness_cc, value);
  last_hihat_cc[index] = value;
}

void SendMIDIHihatCC(float openness, const MidiNotes& notes) {
  WriteShort(StatusWithChannel(0xB0, notes.channel), notes.openness_cc, OpennessValue(openness));
}

void SendMIDIChoke() {
  const MidiNotes& notes = element_type_midi_map[MidiMapKey(Sound::CHOKE, 1)];
  NoteOnOff(notes.channel, notes.notes[0], 60);
}

// On the audio thread: a click that would have to wait for the main thread's write is skipped.
void PlayMIDIMetronome(float level) {
  std::unique_lock<std::mutex> lock(StreamMutex(), std::try_to_lock);
  if (!lock.owns_lock()) return;
  WriteLocked(0x9A, 33, MidiVelocity(level));
  WriteLocked(0x8A, 33, 0);
}

void PlayMIDIMenuSound(float level) { NoteOnOff(12, 39, MidiVelocity(level)); }

void SetMIDIVolume(int volume) {
  if (volume < 0) volume = 0;
  if (volume > 100) volume = 100;
  WriteShort(0xB9, 7, static_cast<int>(volume * 1.27f + 0.5f));
}

// --- Note names ---

namespace {

const char* const kPitchNames[34] = {
    "C", "C#", "Db", "D", "D#", "Eb", "E", "F", "F#", "Gb", "G", "G#", "Ab", "A", "A#", "Bb", "B",
    "c", "c#", "db", "d", "d#", "eb", "e", "f", "f#", "gb", "g", "g#", "ab", "a", "a#", "bb", "b"};
const int kPitchSemitones[34] = {0, 1, 1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 8, 9, 10, 10, 11,
                                 0, 1, 1, 2, 3, 3, 4, 5, 6, 6, 7, 8, 8, 9, 10, 10, 11};
const char* const kSharpNames[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

const std::map<std::string, int>& NameTable() {
  static const std::map<std::string, int> table = [] {
    std::map<std::string, int> t;
    for (int octave = -2; octave <= 8; ++octave)
      for (int p = 0; p < 34; ++p)
        t[kPitchNames[p] + std::to_string(octave)] = (octave + 2) * 12 + kPitchSemitones[p];
    return t;
  }();
  return table;
}

}  // namespace

int HumanReadableNoteToPortMIDI(const std::string& text) {
  if (text.empty()) return -1;
  if (text[0] >= '0' && text[0] <= '9') return atoi(text.c_str());
  if (text[0] == '#') return atoi(text.c_str() + 1);
  const auto& table = NameTable();
  auto it = table.find(text);
  return it == table.end() ? -1 : it->second;
}

std::string PortMIDINoteToHumanReadable(int note) {
  if (note < 0 || note > 127) return "NA";
  return std::string(kSharpNames[note % 12]) + std::to_string(note / 12 - 2);
}
