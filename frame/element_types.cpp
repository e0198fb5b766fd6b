#include "frame/element_types.h"

namespace drum_element {

const char* const kTypeWords[kNumTypeWords] = {
    "KICK",      "SNARE",       "RIMSHOT",   "CROSS_STICK", "VERY_HIGH_TOM", "HIGH_TOM",
    "MID_TOM",   "FLOOR_TOM",   "FLOOR_TOM_2", "HIHAT",     "HIHAT_SPLASH",  "CRASH",
    "SPLASH",    "RIDE",        "RIDE_BELL", "CHINA",       "COWBELL",       "TAMBOURINE",
    "CUSTOM_HAND", "CUSTOM_FOOT", "CUSTOM_HAND_AND_FOOT", "CHOKE"};

const ElementType kTypeOfWord[kNumTypeWords] = {
    KICK,      SNARE,       RIMSHOT,   CROSS_STICK, VERY_HIGH_TOM, HIGH_TOM,
    MID_TOM,   FLOOR_TOM,   FLOOR_TOM_2, HIHAT,     HIHAT_SPLASH,  CRASH,
    SPLASH,    RIDE,        RIDE_BELL, CHINA,       COWBELL,       TAMBOURINE,
    CUSTOM_HAND, CUSTOM_FOOT, CUSTOM_HAND_AND_FOOT, CHOKE};

const char* ElementTypeWord(int type) {
  for (int i = 0; i < kNumTypeWords; ++i)
    if (kTypeOfWord[i] == type) return kTypeWords[i];
  return nullptr;
}

}  // namespace drum_element
