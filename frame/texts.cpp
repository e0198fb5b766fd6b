// Text lookup, the current language and the element type display names.
#include "frame/texts.h"

#include "frame/element_types.h"

int32_t language = 0;
std::vector<std::string> element_type_names;
std::vector<int> element_types;

namespace {

const char* const kCodes[kNumLanguages] = {"en", "ja", "de", "fr", "es", "id",
                                           "tr", "it", "ru", "zh", "ko"};

using namespace drum_element;

struct ElementTypeText {
  ElementType type;
  int text_id;
};

// SPLASH takes the in-air pages' word for the splash cymbal.
const ElementTypeText kElementTypeTexts[] = {
    {KICK, kTextKick},
    {SNARE, kTextSnare},
    {RIMSHOT, kTextRimshot},
    {CROSS_STICK, kTextCrossStick},
    {VERY_HIGH_TOM, kTextVHighTom},
    {HIGH_TOM, kTextHighTom},
    {MID_TOM, kTextMidTom},
    {FLOOR_TOM, kTextFloorTom},
    {FLOOR_TOM_2, kTextFloorTom2},
    {HIHAT, kTextHiHat},
    {HIHAT_SPLASH, kTextHiHatSplash},
    {CRASH, kTextCrash},
    {SPLASH, kTextSplash},
    {RIDE, kTextRide},
    {RIDE_BELL, kTextRideBell},
    {CHINA, kTextChina},
    {COWBELL, kTextCowbell},
    {TAMBOURINE, kTextTambourine},
    {CUSTOM_HAND, kTextCustomSticks},
    {CUSTOM_FOOT, kTextCustomPedal},
    {CUSTOM_HAND_AND_FOOT, kTextCustomPedalSticks},
    {CHOKE, kTextCymbalChokeEvent},
};

}  // namespace

const char* GetUtf8(int id) {
  // An index outside 0..10 cannot come from SetLanguage; read it as English.
  const int lang = (language >= 0 && language < kNumLanguages) ? language : 0;
  if (id >= 0 && id < 512) return utf8_strings[lang][id];
  if (id >= 512 && id < kNumTextIds) return utf8_strings2[lang][id - 512];
  return "???";
}

void SetLanguage(const std::string& code) {
  language = 0;
  for (int i = 0; i < kNumLanguages; ++i) {
    if (code == kCodes[i]) {
      language = i;
      break;
    }
  }
  PopulateElementTypesAndNames();
}

std::string GetLanguageString() {
  if (language < 0 || language >= kNumLanguages) return "en";
  return kCodes[language];
}

int ElementTypeTextId(int type) {
  for (const ElementTypeText& e : kElementTypeTexts) {
    if (e.type == type) return e.text_id;
  }
  return -1;
}

void PopulateElementTypesAndNames() {
  element_type_names.clear();
  element_types.clear();
  for (const ElementTypeText& e : kElementTypeTexts) {
    element_types.push_back(e.type);
    element_type_names.push_back(GetUtf8(e.text_id));
  }
}
