// The kinds of drum sound (the "element_type" of kit files, element files and MIDI maps) and
// their words. The sound manager takes them as Sound::ElementType; the texts give their
// display names.
#pragma once

namespace drum_element {

enum ElementType : int {
  KICK = 0,
  SNARE = 1,
  RIMSHOT = 2,
  CROSS_STICK = 3,
  VERY_HIGH_TOM = 4,
  HIGH_TOM = 5,
  MID_TOM = 6,
  FLOOR_TOM = 7,
  FLOOR_TOM_2 = 8,
  HIHAT = 9,
  HIHAT_SPLASH = 10,
  CRASH = 11,
  SPLASH = 12,
  RIDE = 13,
  RIDE_BELL = 14,
  CHINA = 15,
  COWBELL = 16,
  TAMBOURINE = 17,
  CUSTOM_HAND = 18,
  CUSTOM_FOOT = 19,
  CUSTOM_HAND_AND_FOOT = 20,
  NUM_ELEMENT_TYPES = 21,
  CHOKE = 256,  // only a MIDI-map key
};

// The 22 words in table order: "KICK" ... "CUSTOM_HAND_AND_FOOT" (the 21 element types), then
// "CHOKE". kTypeOfWord gives each word's type.
constexpr int kNumTypeWords = 22;
extern const char* const kTypeWords[kNumTypeWords];
extern const ElementType kTypeOfWord[kNumTypeWords];

// The word of a type; nullptr for a number that is no type.
const char* ElementTypeWord(int type);

}  // namespace drum_element
