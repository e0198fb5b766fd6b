// Converts a folder of WAV samples into an element file, as the element editor does:
//   convert_element OUT.ele FOLDER TYPE CATEGORY
// TYPE is a number 0-20 or a name (KICK, SNARE, ..., CUSTOM_HAND_AND_FOOT); CATEGORY is 0, 1, 2
// or hand, foot, hand_and_foot. FOLDER "-" writes a MIDI-only element.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sound/sound.h"

namespace {

const char* const kCategoryNames[3] = {"hand", "foot", "hand_and_foot"};

// A number in 0..count-1 or one of the names; -1 otherwise.
int Parse(const char* text, const char* const* names, int count) {
  char* end = nullptr;
  long n = strtol(text, &end, 10);
  if (end != text && *end == '\0') return n >= 0 && n < count ? static_cast<int>(n) : -1;
  for (int i = 0; i < count; ++i)
    if (strcasecmp(text, names[i]) == 0) return i;
  return -1;
}

int last_percent = -1;
void Progress(int percent) {
  if (percent / 20 != last_percent / 20) fprintf(stderr, "  %d%%\n", percent);
  last_percent = percent;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    fprintf(stderr, "usage: %s OUT.ele FOLDER TYPE CATEGORY\n", argv[0]);
    return 2;
  }
  int type = Parse(argv[3], drum_element::kTypeWords, Sound::NUM_ELEMENT_TYPES);
  int category = Parse(argv[4], kCategoryNames, 3);
  if (type < 0 || category < 0) {
    fprintf(stderr, "convert_element: unknown %s \"%s\"\n", type < 0 ? "type" : "category",
            type < 0 ? argv[3] : argv[4]);
    return 2;
  }
  bool ok;
  if (strcmp(argv[2], "-") == 0) {
    ok = Sound::ConvertElement(argv[1], Sound::ElementType(type), category);
  } else {
    ok = sound.ConvertElement(argv[1], argv[2], Sound::ElementType(type), category, Progress);
  }
  if (!ok) {
    fprintf(stderr, "convert_element: could not write \"%s\"\n", argv[1]);
    return 1;
  }
  return 0;
}
