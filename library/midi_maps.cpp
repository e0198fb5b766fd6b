#include "library/midi_maps.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "frame/atomic_file.h"
#include "frame/element_types.h"
#include "frame/ini_file.h"

namespace {

constexpr int kSlots = 10;  // note and foot-note slots of a MidiNotes

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return s;
}

// One section's entries by lower-case key, read in one scan; of equal keys the first wins, as
// the settings reader's getters give it.
class SectionKeys {
 public:
  SectionKeys(const IniFile& ini, const char* section) {
    std::vector<std::pair<std::string, std::string>> entries;
    ini.GetSection(section, entries);
    for (auto& [key, value] : entries) keys_.emplace(Lower(key), std::move(value));
  }
  // key in lower case
  const std::string* Find(const std::string& key) const {
    auto it = keys_.find(key);
    return it == keys_.end() ? nullptr : &it->second;
  }
  // As IniFile::GetInt reads it: leading decimal digits, clamped to int.
  int Int(const std::string& key, int fallback) const {
    const std::string* text = Find(key);
    if (!text) return fallback;
    const long v = strtol(text->c_str(), nullptr, 10);
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : int(v);
  }

 private:
  std::unordered_map<std::string, std::string> keys_;
};

// A note number, or -1 for text that names no note of 0-127.
int Note(const std::string& text) {
  const int note = HumanReadableNoteToPortMIDI(text);
  return note >= 0 && note <= 127 ? note : -1;
}

// prefix0, prefix1, ... up to the first missing key; the count read.
int ReadSlots(const SectionKeys& keys, const std::string& prefix, int32_t (&slots)[kSlots]) {
  int n = 0;
  for (const std::string* text; n < kSlots && (text = keys.Find(prefix + std::to_string(n))); ++n)
    slots[n] = Note(*text);
  return n;
}

// The entry whose keys begin with prefix ("map3."); number is its placement.
MidiNotes ReadEntry(const SectionKeys& keys, const std::string& prefix, int& number) {
  MidiNotes notes;
  number = keys.Int(prefix + "number", 1);
  notes.channel = keys.Int(prefix + "channel", 10);
  notes.note_count = ReadSlots(keys, prefix + "note", notes.notes);
  notes.foot_note_count = ReadSlots(keys, prefix + "foot_note", notes.foot_notes);
  notes.openness_cc = keys.Int(prefix + "openness_cc", -1);
  notes.positional_cc1 = keys.Int(prefix + "positional_cc1", -1);
  notes.positional_cc2 = keys.Int(prefix + "positional_cc2", -1);
  return notes;
}

bool TypeOfWord(const std::string& word, Sound::ElementType& type) {
  for (int i = 0; i < drum_element::kNumTypeWords; ++i)
    if (word == drum_element::kTypeWords[i]) {
      type = drum_element::kTypeOfWord[i];
      return true;
    }
  return false;
}

void ReadPerElement(const IniFile& ini, PerElementMidiMap& table) {
  const SectionKeys keys(ini, "Per element map");
  for (int i = 0;; ++i) {
    const std::string prefix = "map" + std::to_string(i) + ".";
    const std::string* name = keys.Find(prefix + "name");
    if (!name) return;
    int number = 1;
    const MidiNotes notes = ReadEntry(keys, prefix, number);
    table[{*name, number}] = notes;
  }
}

void ReadElementTypes(const IniFile& ini, const std::string& path, ElementTypeMidiMap& table) {
  const SectionKeys keys(ini, "Element type map");
  for (int i = 0;; ++i) {
    const std::string prefix = "map" + std::to_string(i) + ".";
    const std::string* word = keys.Find(prefix + "element_type");
    if (!word) return;
    Sound::ElementType type = Sound::KICK;
    if (!TypeOfWord(*word, type)) {
      printf("Warning: unknown element type \"%s\" in Map%d of MIDI map %s, entry skipped\n", word->c_str(), i,
             path.c_str());
      continue;
    }
    int number = 1;
    const MidiNotes notes = ReadEntry(keys, prefix, number);
    table[{type, number}] = notes;
  }
}

// "Map3.key = "
std::string Key(int i, const std::string& key) { return "Map" + std::to_string(i) + "." + key + " = "; }

void AppendValue(std::string& text, int i, const std::string& key, int value) {
  text += Key(i, key) + std::to_string(value) + "\n";
}

// The keys of one entry after its name or element_type line, and the blank line after them.
void AppendEntry(std::string& text, int i, int number, const MidiNotes& notes) {
  AppendValue(text, i, "number", number);
  AppendValue(text, i, "channel", notes.channel);
  for (int j = 0; j < notes.note_count && j < kSlots; ++j)
    AppendValue(text, i, "note" + std::to_string(j), notes.notes[j]);
  for (int j = 0; j < notes.foot_note_count && j < kSlots; ++j)
    AppendValue(text, i, "foot_note" + std::to_string(j), notes.foot_notes[j]);
  AppendValue(text, i, "openness_cc", notes.openness_cc);
  AppendValue(text, i, "positional_cc1", notes.positional_cc1);
  AppendValue(text, i, "positional_cc2", notes.positional_cc2);
  text += "\n";
}

}  // namespace

bool ReadMIDIMapFile(const std::string& path, MidiMapTables& tables) {
  IniFile ini;
  if (!ini.Init(path)) return false;
  MidiMapTables read;
  ReadPerElement(ini, read.per_element);
  ReadElementTypes(ini, path, read.element_type);
  tables = std::move(read);
  return true;
}

std::string MIDIMapFileText(const PerElementMidiMap& per_element, const ElementTypeMidiMap& element_type,
                            const std::string& name, bool is_preset) {
  std::string text = "[MIDI map]\n\nName = " + name + "\nIs_Preset = " + (is_preset ? "yes" : "no") + "\n\n";
  text += "[Per element map]\n\n";
  int i = 0;
  for (const auto& [key, notes] : per_element) {
    text += Key(i, "name") + key.first + "\n";
    AppendEntry(text, i++, key.second, notes);
  }
  text += "[Element type map]\n\n";
  i = 0;
  for (const auto& [key, notes] : element_type) {
    const char* word = drum_element::ElementTypeWord(key.first);
    text += Key(i, "element_type") + (word ? word : "") + "\n";
    AppendEntry(text, i++, key.second, notes);
  }
  return text;
}

bool LoadMIDIMap(const std::string& path) {
  MidiMapTables tables;
  if (!ReadMIDIMapFile(path, tables)) return false;
  per_element_midi_map = std::move(tables.per_element);
  element_type_midi_map = std::move(tables.element_type);
  return true;
}

bool SaveMIDIMap(const std::string& path, const std::string& name, bool is_preset) {
  return WriteFileAtomic(path, MIDIMapFileText(per_element_midi_map, element_type_midi_map, name, is_preset));
}

void ClearMIDIMap() {
  per_element_midi_map.clear();
  element_type_midi_map.clear();
}
