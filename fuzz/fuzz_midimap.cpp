// A MIDI-map file from fuzzed text through the reader: counts stay within the ten slots, and
// the saved map reads back to the same tables and saves again byte for byte.
#include <cstring>

#include "fuzz/fuzz_common.h"
#include "library/midi_maps.h"

namespace {

bool SameNotes(const MidiNotes& a, const MidiNotes& b) { return memcmp(&a, &b, sizeof(a)) == 0; }

template <class Table>
bool SameTable(const Table& a, const Table& b) {
  if (a.size() != b.size()) return false;
  for (auto i = a.begin(), j = b.begin(); i != a.end(); ++i, ++j)
    if (i->first != j->first || !SameNotes(i->second, j->second)) return false;
  return true;
}

void CheckCounts(const MidiNotes& n) {
  FUZZ_CHECK(n.note_count >= 0 && n.note_count <= 10);
  FUZZ_CHECK(n.foot_note_count >= 0 && n.foot_note_count <= 10);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::StartInScratchDir();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::WriteFile("./fuzzed.ini", data, size);
  FUZZ_CHECK(LoadMIDIMap("./fuzzed.ini"));
  for (const auto& [key, notes] : per_element_midi_map) CheckCounts(notes);
  for (const auto& [key, notes] : element_type_midi_map) CheckCounts(notes);
  const auto per_element = per_element_midi_map;
  const auto element_type = element_type_midi_map;
  FUZZ_CHECK(SaveMIDIMap("./saved.ini", "Fuzzed", false));
  const std::string saved = fuzz::ReadFile("./saved.ini");
  FUZZ_CHECK(LoadMIDIMap("./saved.ini"));
  FUZZ_CHECK(SameTable(per_element, per_element_midi_map));
  FUZZ_CHECK(SameTable(element_type, element_type_midi_map));
  FUZZ_CHECK(SaveMIDIMap("./again.ini", "Fuzzed", false));
  FUZZ_CHECK(fuzz::ReadFile("./again.ini") == saved);
  return 0;
}
