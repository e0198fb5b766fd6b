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

// SPLASH takes text 71, the in-air pages' word for the splash cymbal.
const ElementTypeText kElementTypeTexts[] = {
    {KICK, 243},          {SNARE, 244},
    {RIMSHOT, 245},       {CROSS_STICK, 246},
    {VERY_HIGH_TOM, 247}, {HIGH_TOM, 248},
    {MID_TOM, 249},       {FLOOR_TOM, 250},
    {FLOOR_TOM_2, 251},   {HIHAT, 252},
    {HIHAT_SPLASH, 253},  {CRASH, 254},
    {SPLASH, 71},         {RIDE, 255},
    {RIDE_BELL, 256},     {CHINA, 257},
    {COWBELL, 258},       {TAMBOURINE, 259},
    {CUSTOM_HAND, 260},   {CUSTOM_FOOT, 261},
    {CUSTOM_HAND_AND_FOOT, 262},
    {CHOKE, 505},
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

void PopulateElementTypesAndNames() {
  element_type_names.clear();
  element_types.clear();
  for (const ElementTypeText& e : kElementTypeTexts) {
    element_types.push_back(e.type);
    element_type_names.push_back(GetUtf8(e.text_id));
  }
}
