// Per-language fonts, layout and glyph ranges, and the localised picture names.
#include <cstdio>

#include "frame/frame_globals.h"
#include "frame/texts.h"

namespace {

struct LanguageInfo {
  const char* font_file;
  float font_height;
  int32_t text_lines;
  float line_height_ratio;
  const char* picture_suffix;
  const unsigned short* (*glyph_ranges)();
};

const LanguageInfo kLanguages[kNumLanguages] = {
    {"Ubuntu-R.ttf", 27.0f, 22, 1.0f, "", GetItalianGlyphRanges},                  // en
    {"SourceHanSans-Normal.ttf", 20.0f, 23, 1.4f, "-jp", GetJapaneseGlyphRanges},  // ja
    {"Ubuntu-R.ttf", 20.0f, 23, 1.4f, "-de", GetItalianGlyphRanges},               // de
    {"Ubuntu-R.ttf", 20.0f, 23, 1.4f, "-fr", GetItalianGlyphRanges},               // fr
    {"Ubuntu-R.ttf", 20.0f, 23, 1.4f, "-es", GetItalianGlyphRanges},               // es
    {"Ubuntu-R.ttf", 18.0f, 23, 1.4f, "-id", GetItalianGlyphRanges},               // id
    {"Ubuntu-R.ttf", 18.0f, 23, 1.4f, "-tr", GetTurkishGlyphRanges},               // tr
    {"Ubuntu-R.ttf", 20.0f, 23, 1.4f, "-it", GetItalianGlyphRanges},               // it
    {"Ubuntu-R.ttf", 19.0f, 23, 1.4f, "-ru", GetRussianGlyphRanges},               // ru
    {"SourceHanSans-Normal.ttf", 19.0f, 23, 1.4f, "-zh", GetChineseGlyphRanges},   // zh
    {"SourceHanSans-Normal.ttf", 19.0f, 23, 1.4f, "-ko", GetKoreanGlyphRanges},    // ko
};

const LanguageInfo* Current() {
  return (language >= 0 && language < kNumLanguages) ? &kLanguages[language] : nullptr;
}

const char* const kLocalisedPictures[] = {
    "calib-where-to-drum-850.png", "calib-where-to-drum-600.png", "calib-camera-left-850.png",
    "calib-camera-left-600.png",   "calib-camera-right-850.png",  "calib-camera-right-600.png",
    "audio-device-setting.png",    "help1.png",                   "help2.png",
    "about-light.png",
};

// The 1946 common Japanese ideograms: starting from U+4E00, each code point is the previous
// one plus its delta plus 1 (so the first delta, -1, gives U+4E00 itself).
const int16_t offsets_from_0x4E00[1946] = {
    -1, 0, 1, 3, 0, 0, 0, 0, 1, 0, 5, 1, 1, 0, 7, 4, 6, 10, 0, 1, 9, 9, 7, 1, 3, 19, 1, 10, 7, 1,
    0, 1, 0, 5, 1, 0, 6, 4, 2, 6, 0, 0, 12, 6, 8, 0, 3, 5, 0, 1, 0, 9, 0, 0, 8, 1, 1, 3, 4, 5,
    13, 0, 0, 8, 2, 17, 4, 3, 1, 1, 9, 6, 0, 0, 0, 2, 1, 3, 2, 22, 1, 9, 11, 1, 13, 1, 3, 12, 0, 5,
    9, 2, 0, 6, 12, 5, 3, 12, 4, 1, 2, 16, 1, 1, 4, 6, 5, 3, 0, 6, 13, 15, 5, 12, 8, 14, 0, 0, 6, 15,
    3, 6, 0, 18, 8, 1, 6, 14, 1, 5, 4, 12, 24, 3, 13, 12, 10, 24, 0, 0, 0, 1, 0, 1, 1, 2, 9, 10, 2, 2,
    0, 0, 3, 3, 1, 0, 3, 8, 0, 3, 2, 4, 4, 1, 6, 11, 10, 14, 6, 15, 3, 4, 15, 1, 0, 0, 5, 2, 2, 0,
    0, 1, 6, 5, 5, 6, 0, 3, 6, 5, 0, 0, 1, 0, 11, 2, 2, 8, 4, 7, 0, 10, 0, 1, 2, 17, 19, 3, 0, 2,
    5, 0, 6, 2, 4, 4, 6, 1, 1, 11, 2, 0, 3, 1, 2, 1, 2, 10, 7, 6, 3, 16, 0, 8, 24, 0, 0, 3, 1, 1,
    3, 0, 1, 6, 0, 0, 0, 2, 0, 1, 5, 15, 0, 1, 0, 0, 2, 11, 19, 1, 4, 19, 7, 6, 5, 1, 0, 0, 0, 0,
    5, 1, 0, 1, 9, 0, 0, 5, 0, 2, 0, 1, 0, 3, 0, 11, 3, 0, 2, 0, 0, 0, 0, 0, 9, 3, 6, 4, 12, 0,
    14, 0, 0, 29, 10, 8, 0, 14, 37, 13, 0, 31, 16, 19, 0, 8, 30, 1, 20, 8, 3, 48, 21, 1, 0, 12, 0, 10, 44, 34,
    42, 54, 11, 18, 82, 0, 2, 1, 2, 12, 1, 0, 6, 2, 17, 2, 12, 7, 0, 7, 17, 4, 2, 6, 24, 23, 8, 23, 39, 2,
    16, 23, 1, 0, 5, 1, 2, 15, 14, 5, 6, 2, 11, 0, 8, 6, 2, 2, 2, 14, 20, 4, 15, 3, 4, 11, 10, 10, 2, 5,
    2, 1, 30, 2, 1, 0, 0, 22, 5, 5, 0, 3, 1, 5, 4, 1, 0, 0, 2, 2, 21, 1, 5, 1, 2, 16, 2, 1, 3, 4,
    0, 8, 4, 0, 0, 5, 14, 11, 2, 16, 1, 13, 1, 7, 0, 22, 15, 3, 1, 22, 7, 14, 22, 19, 11, 24, 18, 46, 10, 20,
    64, 45, 3, 2, 0, 4, 5, 0, 1, 4, 25, 1, 0, 0, 2, 10, 0, 0, 0, 1, 0, 1, 2, 0, 0, 9, 1, 2, 0, 0,
    0, 2, 5, 2, 1, 1, 5, 5, 8, 1, 1, 1, 5, 1, 4, 9, 1, 3, 0, 1, 0, 1, 1, 2, 0, 0, 2, 0, 1, 8,
    22, 8, 1, 0, 0, 0, 0, 4, 2, 1, 0, 9, 8, 5, 0, 9, 1, 30, 24, 2, 6, 4, 39, 0, 14, 5, 16, 6, 26, 179,
    0, 2, 1, 1, 0, 0, 0, 5, 2, 9, 6, 0, 2, 5, 16, 7, 5, 1, 1, 0, 2, 4, 4, 7, 15, 13, 14, 0, 0, 3,
    0, 1, 0, 0, 0, 2, 1, 6, 4, 5, 1, 4, 9, 0, 3, 1, 8, 0, 0, 10, 5, 0, 43, 0, 2, 6, 8, 4, 0, 2,
    0, 0, 9, 6, 0, 9, 3, 1, 6, 20, 14, 6, 1, 4, 0, 7, 2, 3, 0, 2, 0, 5, 0, 3, 1, 0, 3, 9, 7, 0,
    3, 4, 0, 4, 9, 1, 6, 0, 9, 0, 0, 2, 3, 10, 9, 28, 3, 6, 2, 4, 1, 2, 32, 4, 1, 18, 2, 0, 3, 1,
    5, 30, 10, 0, 2, 2, 2, 0, 7, 9, 8, 11, 10, 11, 7, 2, 13, 7, 5, 10, 0, 3, 40, 2, 0, 1, 6, 12, 0, 4,
    5, 1, 5, 11, 11, 21, 4, 8, 3, 7, 8, 8, 33, 5, 23, 0, 0, 19, 8, 8, 2, 3, 0, 6, 1, 1, 1, 5, 1, 27,
    4, 2, 5, 0, 3, 5, 6, 3, 1, 0, 3, 1, 12, 5, 3, 3, 2, 0, 7, 7, 2, 1, 0, 4, 0, 1, 1, 2, 0, 10,
    10, 6, 2, 5, 9, 7, 5, 15, 15, 21, 6, 11, 5, 20, 4, 3, 5, 5, 2, 5, 0, 2, 1, 0, 1, 7, 28, 0, 9, 0,
    5, 12, 5, 5, 18, 30, 0, 12, 3, 3, 21, 16, 25, 32, 9, 3, 14, 11, 24, 5, 66, 9, 1, 2, 0, 5, 9, 1, 5, 1,
    8, 0, 8, 3, 3, 0, 1, 15, 1, 4, 8, 1, 2, 7, 0, 7, 2, 8, 3, 7, 5, 3, 7, 10, 2, 1, 0, 0, 2, 25,
    0, 6, 4, 0, 10, 0, 4, 2, 4, 1, 12, 5, 38, 4, 0, 4, 1, 10, 5, 9, 4, 0, 14, 4, 2, 5, 18, 20, 21, 1,
    3, 0, 5, 0, 7, 0, 3, 7, 1, 3, 1, 1, 8, 1, 0, 0, 0, 3, 2, 5, 2, 11, 6, 0, 13, 1, 3, 9, 1, 12,
    0, 16, 6, 2, 1, 0, 2, 1, 12, 6, 13, 11, 2, 0, 28, 1, 7, 8, 14, 13, 8, 13, 0, 2, 0, 5, 4, 8, 10, 2,
    37, 42, 19, 6, 6, 7, 4, 14, 11, 18, 14, 80, 7, 6, 0, 4, 72, 12, 36, 27, 7, 7, 0, 14, 17, 19, 164, 27, 0, 5,
    10, 7, 3, 13, 6, 14, 0, 2, 2, 5, 3, 0, 6, 13, 0, 0, 10, 29, 0, 4, 0, 3, 13, 0, 3, 1, 6, 51, 1, 5,
    28, 2, 0, 8, 0, 20, 2, 4, 0, 25, 2, 10, 13, 10, 0, 16, 4, 0, 1, 0, 2, 1, 7, 0, 1, 8, 11, 0, 0, 1,
    2, 7, 2, 23, 11, 6, 6, 4, 16, 2, 2, 2, 0, 22, 9, 3, 3, 5, 2, 0, 15, 16, 21, 2, 9, 20, 15, 15, 5, 3,
    9, 1, 0, 0, 1, 7, 7, 5, 4, 2, 2, 2, 38, 24, 14, 0, 0, 15, 5, 6, 24, 14, 5, 5, 11, 0, 21, 12, 0, 3,
    8, 4, 11, 1, 8, 0, 11, 27, 7, 2, 4, 9, 21, 59, 0, 1, 39, 3, 60, 62, 3, 0, 12, 11, 0, 3, 30, 11, 0, 13,
    88, 4, 15, 5, 28, 13, 1, 4, 48, 17, 17, 4, 28, 32, 46, 0, 16, 0, 18, 11, 1, 8, 6, 38, 11, 2, 6, 11, 38, 2,
    0, 45, 3, 11, 2, 7, 8, 4, 30, 14, 17, 2, 1, 1, 65, 18, 12, 16, 4, 2, 45, 123, 12, 56, 33, 1, 4, 3, 4, 7,
    0, 0, 0, 3, 2, 0, 16, 4, 2, 4, 2, 0, 7, 4, 5, 2, 26, 2, 25, 6, 11, 6, 1, 16, 2, 6, 17, 77, 15, 3,
    35, 0, 1, 0, 5, 1, 0, 38, 16, 6, 3, 12, 3, 3, 3, 0, 9, 3, 1, 3, 5, 2, 9, 0, 18, 0, 25, 1, 3, 32,
    1, 72, 46, 6, 2, 7, 1, 3, 14, 17, 0, 28, 1, 40, 13, 0, 20, 15, 40, 6, 38, 24, 12, 43, 1, 1, 9, 0, 12, 6,
    0, 6, 2, 4, 19, 3, 7, 1, 48, 0, 9, 5, 0, 5, 6, 9, 6, 10, 15, 2, 11, 19, 3, 9, 2, 0, 1, 10, 1, 27,
    8, 1, 3, 6, 1, 14, 0, 26, 0, 27, 16, 3, 4, 9, 6, 2, 23, 9, 10, 5, 25, 2, 1, 6, 1, 1, 48, 15, 9, 15,
    14, 3, 4, 26, 60, 29, 13, 37, 21, 1, 6, 4, 0, 2, 11, 22, 23, 16, 16, 2, 2, 1, 3, 0, 5, 1, 6, 4, 0, 0,
    4, 0, 0, 8, 3, 0, 2, 5, 0, 7, 1, 7, 3, 13, 2, 4, 10, 3, 0, 2, 31, 0, 18, 3, 0, 12, 10, 4, 1, 0,
    7, 5, 7, 0, 5, 4, 12, 2, 22, 10, 4, 2, 15, 2, 8, 9, 0, 23, 2, 197, 51, 3, 1, 1, 4, 13, 4, 3, 21, 4,
    19, 3, 10, 5, 40, 0, 4, 1, 1, 10, 4, 1, 27, 34, 7, 21, 2, 17, 2, 9, 6, 4, 2, 3, 0, 4, 2, 7, 8, 2,
    5, 1, 15, 21, 3, 4, 4, 2, 2, 17, 22, 1, 5, 22, 4, 26, 7, 0, 32, 1, 11, 42, 15, 4, 1, 2, 5, 0, 19, 3,
    1, 8, 6, 0, 10, 1, 9, 2, 13, 30, 8, 2, 24, 17, 19, 1, 4, 4, 25, 13, 0, 10, 16, 11, 39, 18, 8, 5, 30, 82,
    1, 6, 8, 18, 77, 11, 13, 20, 75, 11, 112, 78, 33, 3, 0, 0, 60, 17, 84, 9, 1, 1, 12, 30, 10, 49, 5, 32, 158, 178,
    5, 5, 6, 3, 3, 1, 3, 1, 4, 7, 6, 19, 31, 21, 0, 2, 9, 5, 6, 27, 4, 9, 8, 1, 76, 18, 12, 1, 4, 0,
    3, 3, 6, 3, 12, 2, 8, 30, 16, 2, 25, 1, 5, 5, 4, 3, 0, 6, 10, 2, 3, 1, 0, 5, 1, 19, 3, 0, 8, 1,
    5, 2, 6, 0, 0, 0, 19, 1, 2, 0, 5, 1, 2, 5, 1, 3, 7, 0, 4, 12, 7, 3, 10, 22, 0, 9, 5, 1, 0, 2,
    20, 1, 1, 3, 23, 30, 3, 9, 9, 1, 4, 191, 14, 3, 15, 6, 8, 50, 0, 1, 0, 0, 4, 0, 0, 1, 0, 2, 4, 2,
    0, 2, 3, 0, 2, 0, 2, 2, 8, 7, 0, 1, 1, 1, 3, 3, 17, 11, 91, 1, 9, 3, 2, 13, 4, 24, 15, 41, 3, 13,
    3, 1, 20, 4, 125, 29, 30, 1, 0, 4, 12, 2, 21, 4, 5, 5, 19, 11, 0, 13, 11, 86, 2, 18, 0, 7, 1, 8, 8, 2,
    2, 22, 1, 2, 6, 5, 2, 0, 1, 2, 8, 0, 2, 0, 5, 2, 1, 0, 2, 10, 2, 0, 5, 9, 2, 1, 2, 0, 1, 0,
    4, 0, 0, 10, 2, 5, 3, 0, 6, 1, 0, 1, 4, 4, 33, 3, 13, 17, 3, 18, 6, 4, 7, 1, 5, 78, 0, 4, 1, 13,
    7, 1, 8, 1, 0, 35, 27, 15, 3, 0, 0, 0, 1, 11, 5, 41, 38, 15, 22, 6, 14, 14, 2, 1, 11, 6, 20, 63, 5, 8,
    27, 7, 11, 2, 2, 40, 58, 23, 50, 54, 56, 293, 8, 8, 1, 5, 1, 14, 0, 1, 12, 37, 89, 8, 8, 8, 2, 10, 6, 0,
    0, 0, 4, 5, 2, 1, 0, 1, 1, 2, 7, 0, 3, 3, 0, 4, 6, 0, 3, 2, 19, 3, 8, 0, 0, 0, 4, 4, 16, 0,
    4, 1, 5, 1, 3, 0, 3, 4, 6, 2, 17, 10, 10, 31, 6, 4, 3, 6, 10, 126, 7, 3, 2, 2, 0, 9, 0, 0, 5, 20,
    13, 0, 15, 0, 6, 0, 2, 5, 8, 64, 50, 3, 2, 12, 2, 9, 0, 0, 11, 8, 20, 109, 2, 18, 23, 0, 0, 9, 61, 3,
    0, 28, 41, 77, 27, 19, 17, 81, 5, 2, 14, 5, 83, 57, 252, 14, 154, 263, 14, 20, 8, 13, 6, 57, 39, 38,
};

}  // namespace

std::string GetFontPath() {
  const LanguageInfo* info = Current();
  return installation_directory + "/data/fonts/" + (info ? info->font_file : "Ubuntu-R.ttf");
}

bool HaveJapaneseFont() {
  const std::string path = installation_directory + "/data/fonts/SourceHanSans-Normal.ttf";
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

float GetFontHeight() {
  const LanguageInfo* info = Current();
  return info ? info->font_height : 18.0f;
}

int GetNumTextLines() {
  const LanguageInfo* info = Current();
  return info ? info->text_lines : 22;
}

float GetLineHeightRatio() {
  const LanguageInfo* info = Current();
  return info ? info->line_height_ratio : 1.0f;
}

const unsigned short* GetGlyphRanges() {
  const LanguageInfo* info = Current();
  return info ? info->glyph_ranges() : nullptr;
}

std::string GetImageFileName(const std::string& name) {
  const LanguageInfo* info = Current();
  const char* suffix = info ? info->picture_suffix : "";
  for (const char* picture : kLocalisedPictures) {
    if (name == picture) return name.substr(0, name.find('.')) + suffix + ".png";
  }
  return name;
}

const unsigned short* GetDefaultGlyphRanges() {
  static const unsigned short ranges[] = {0x0020, 0x00FF, 0};
  return ranges;
}

const unsigned short* GetItalianGlyphRanges() {
  static const unsigned short ranges[] = {0x0020, 0x00FF, 0x2019, 0x2019, 0};
  return ranges;
}

const unsigned short* GetTurkishGlyphRanges() {
  static const unsigned short ranges[] = {0x0020, 0x00FF, 0x011E, 0x011F, 0x0130,
                                          0x0131, 0x015E, 0x015F, 0};
  return ranges;
}

const unsigned short* GetRussianGlyphRanges() {
  static const unsigned short ranges[] = {0x0020, 0x00FF, 0x0400, 0x04FF, 0};
  return ranges;
}

const unsigned short* GetChineseGlyphRanges() {
  static const unsigned short ranges[] = {
      0x0020, 0x00FF, 0x3000, 0x30FF, 0x31F0, 0x31FF, 0xFF00, 0xFFEF, 0x4E00, 0x9FAF,
      0x2013, 0x2013, 0x2018, 0x2018, 0x201C, 0x201D, 0x015F, 0x015F, 0};
  return ranges;
}

const unsigned short* GetKoreanGlyphRanges() {
  static const unsigned short ranges[] = {0x0020, 0x00FF, 0x3000, 0x30FF, 0xAC00, 0xD7AF, 0};
  return ranges;
}

const unsigned short* GetJapaneseGlyphRanges() {
  constexpr int kLeading = 12;
  static unsigned short ranges[kLeading + 1946 * 2 + 1] = {
      0x6905, 0x6905, 0x53E9, 0x53E9, 0x0020, 0x00FF,
      0x3000, 0x30FF, 0x31F0, 0x31FF, 0xFF00, 0xFFEF,
  };
  static bool expanded = false;
  if (!expanded) {
    int code_point = 0x4E00;
    unsigned short* out = ranges + kLeading;
    for (int16_t delta : offsets_from_0x4E00) {
      code_point += delta + 1;
      *out++ = static_cast<unsigned short>(code_point);
      *out++ = static_cast<unsigned short>(code_point);
    }
    *out = 0;
    expanded = true;
  }
  return ranges;
}
