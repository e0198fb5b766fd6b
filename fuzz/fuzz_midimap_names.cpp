// MIDI note names: every note 0-127 goes to its name and back; any text gives -1, a number
// read by atoi, or the value of a note name whose canonical spelling converts back to it.
#include <string>

#include "fuzz/fuzz_common.h"
#include "sound/midi.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  for (int note = -300; note < 300; ++note) {
    const std::string name = PortMIDINoteToHumanReadable(note);
    if (note < 0 || note > 127) {
      FUZZ_CHECK(name == "NA");
    } else {
      FUZZ_CHECK(HumanReadableNoteToPortMIDI(name) == note);
    }
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const int note = HumanReadableNoteToPortMIDI(text);
  if (text.empty()) {
    FUZZ_CHECK(note == -1);
    return 0;
  }
  const char first = text[0];
  if ((first >= '0' && first <= '9') || first == '#') {
    // Numbers are read like atoi (stopping at the first character that is not a digit).
    const char* digits = first == '#' ? text.c_str() + 1 : text.c_str();
    FUZZ_CHECK(note == atoi(digits));
    return 0;
  }
  // A name: a note of the table (0..131) whose canonical name reads back the same.
  FUZZ_CHECK(note >= -1 && note <= 131);
  if (note >= 0 && note <= 127) {
    const std::string canonical = PortMIDINoteToHumanReadable(note);
    FUZZ_CHECK(HumanReadableNoteToPortMIDI(canonical) == note);
    // A name differs from its canonical form only in case and in flats for sharps.
    FUZZ_CHECK(text.size() >= 2 && text.size() <= 4);
  }
  // The name of a number: its note again, for numbers that fit.
  if (size >= 1) {
    const int n = static_cast<signed char>(data[0]);
    const std::string name = PortMIDINoteToHumanReadable(n);
    FUZZ_CHECK(n < 0 ? name == "NA" : HumanReadableNoteToPortMIDI(name) == n);
  }
  return 0;
}
