// The text table, languages, per-language fonts and glyph ranges, picture names.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "frame/frame_globals.h"
#include "frame/texts.h"
#include "frame/utf8.h"
#include "frame/element_types.h"
#include "tests/support/test_dirs.h"

namespace {

const char* const kCodes[kNumLanguages] = {"en", "ja", "de", "fr", "es", "id",
                                           "tr", "it", "ru", "zh", "ko"};

struct LanguageGuard {
  ~LanguageGuard() { SetLanguage("en"); }
};

// The printf conversions of a text, in order ("%%" included).
std::vector<std::string> Conversions(const std::string& text) {
  std::vector<std::string> out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') continue;
    size_t j = i + 1;
    while (j < text.size() && std::strchr("-+ #0", text[j])) ++j;
    while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '.' || text[j] == '*')) ++j;
    while (j < text.size() && std::strchr("hlLzjt", text[j])) ++j;
    if (j < text.size() && std::strchr("diouxXeEfFgGaAcspn%", text[j])) {
      out.push_back(text.substr(i, j + 1 - i));
      i = j;
    }
  }
  return out;
}

// Whether text has a '%' that no conversion accounts for (a stray one would be read as one).
bool HasStrayPercent(const std::string& text) {
  size_t counted = 0;
  for (const std::string& c : Conversions(text)) counted += c == "%%" ? 2 : 1;
  size_t percents = 0;
  for (char ch : text) percents += ch == '%';
  return percents != counted;
}

std::vector<unsigned int> CodePoints(const char* text) {
  std::vector<unsigned int> out;
  const char* end = text + std::strlen(text);
  for (const char* p = text; p < end;) {
    unsigned int c = 0;
    const int n = CharFromUtf8(&c, p, end);
    if (n == 0) return {0xFFFFFFFF};  // marks invalid UTF-8
    out.push_back(c);
    p += n;
  }
  return out;
}

bool InRanges(const unsigned short* ranges, unsigned int c) {
  for (const unsigned short* r = ranges; r[0] && r[1]; r += 2)
    if (c >= r[0] && c <= r[1]) return true;
  return false;
}

int CountCodePoints(const unsigned short* ranges) {
  int n = 0;
  for (const unsigned short* r = ranges; r[0] && r[1]; r += 2) n += r[1] - r[0] + 1;
  return n;
}

// Switches to English and checks the texts of the given ids, byte for byte.
void ExpectEnglish(const std::vector<std::pair<int, const char*>>& texts) {
  SetLanguage("en");
  for (const auto& [id, text] : texts) EXPECT_STREQ(GetUtf8(id), text) << id;
}

// Where a language is asked to place conversions differently from English (the caller knows).
// Japanese: 96 holds the seconds itself; 200 gets only the kit name and the two counts.
// Turkish and Chinese put the drum name into 48, Turkish the pedal name into 50.
const std::map<std::pair<std::string, int>, std::vector<std::string>> kOwnConversions = {
    {{"ja", 96}, {"%d"}},
    {{"ja", 200}, {"%s", "%d", "%d"}},
    {{"tr", 47}, {}}, {{"tr", 48}, {"%s"}}, {{"tr", 49}, {}}, {{"tr", 50}, {"%s"}},
    {{"zh", 47}, {}}, {{"zh", 48}, {"%s"}},
};

}  // namespace

TEST(Texts, LookupEdges) {
  LanguageGuard guard;
  ExpectEnglish({{511, "Camera stand usage can also be toggled in the 'preferences' screen."},
                 {512, "hit 'Adjust drums'  again to make a copy."},
                 {522, "Drum|kit"},
                 {0, "<new element>"}});
  for (int id : {kNumTextIds, 1000, -1, -512}) EXPECT_STREQ(GetUtf8(id), "???") << id;
  for (int lang = 0; lang < kNumLanguages; ++lang) {
    SetLanguage(kCodes[lang]);
    EXPECT_STREQ(GetUtf8(-1), "???");
    EXPECT_STREQ(GetUtf8(kNumTextIds), "???");
    EXPECT_EQ(GetUtf8(3), utf8_strings[lang][3]);
    EXPECT_EQ(GetUtf8(515), utf8_strings2[lang][3]);
  }
}

TEST(Texts, EnglishQuotedBytes) {
  LanguageGuard guard;
  ExpectEnglish({{42, "The "},
                 {69, "Cannot find drumkit %s\n"},
                 {107, "Adjust|Drums"},
                 {274, "place  the samples at the root of the directory."},
                 {330, "Audio latency.  (Device: %s"},
                 {513, "If you wanted to hit the %s instead, "},
                 {233, "Skytapper"}});
}

TEST(Texts, LanguageCodesAndLayout) {
  LanguageGuard guard;
  const float heights[] = {27, 20, 20, 20, 20, 18, 18, 20, 19, 19, 19};
  for (int i = 0; i < kNumLanguages; ++i) {
    SetLanguage(kCodes[i]);
    EXPECT_EQ(language, i);
    EXPECT_EQ(GetLanguageString(), kCodes[i]);
    EXPECT_EQ(GetFontHeight(), heights[i]) << kCodes[i];
    EXPECT_EQ(GetNumTextLines(), i == 0 ? 22 : 23);
    EXPECT_EQ(GetLineHeightRatio(), i == 0 ? 1.0f : 1.4f);
    const bool cjk = i == 1 || i == 9 || i == 10;
    EXPECT_EQ(GetFontPath(), installation_directory + "/data/fonts/" +
                                 (cjk ? "SourceHanSans-Normal.ttf" : "Ubuntu-R.ttf"));
  }
  for (const char* other : {"JA", "", "english", "e", "ja ", "xx"}) {
    SetLanguage("tr");
    SetLanguage(other);
    EXPECT_EQ(language, 0) << other;
  }
  SetLanguage("tr");
  EXPECT_EQ(language, 6);
  EXPECT_EQ(GetGlyphRanges(), GetTurkishGlyphRanges());
  EXPECT_EQ(GetFontHeight(), 18.0f);

  // Out of range (never set by SetLanguage): the documented defaults.
  language = 11;
  EXPECT_EQ(GetLanguageString(), "en");
  EXPECT_EQ(GetGlyphRanges(), nullptr);
  EXPECT_EQ(GetFontHeight(), 18.0f);
  EXPECT_EQ(GetNumTextLines(), 22);
  EXPECT_EQ(GetLineHeightRatio(), 1.0f);
  EXPECT_EQ(GetFontPath(), installation_directory + "/data/fonts/Ubuntu-R.ttf");
  EXPECT_EQ(GetImageFileName("help1.png"), "help1.png");
  EXPECT_STREQ(GetUtf8(7), "Next");
}

TEST(Texts, PictureNames) {
  LanguageGuard guard;
  const char* const localised[] = {
      "calib-where-to-drum-850.png", "calib-where-to-drum-600.png", "calib-camera-left-850.png",
      "calib-camera-left-600.png",   "calib-camera-right-850.png",  "calib-camera-right-600.png",
      "audio-device-setting.png",    "help1.png",                   "help2.png",
      "about-light.png"};
  SetLanguage("de");
  EXPECT_EQ(GetImageFileName("help1.png"), "help1-de.png");
  EXPECT_EQ(GetImageFileName("home.png"), "home.png");
  EXPECT_EQ(GetImageFileName("help1"), "help1");
  EXPECT_EQ(GetImageFileName("HELP1.png"), "HELP1.png");
  SetLanguage("ja");
  EXPECT_EQ(GetImageFileName("about-light.png"), "about-light-jp.png");
  for (int i = 0; i < kNumLanguages; ++i) {
    SetLanguage(kCodes[i]);
    const std::string suffix = i == 0 ? "" : i == 1 ? "-jp" : std::string("-") + kCodes[i];
    for (const char* name : localised) {
      const std::string base = std::string(name).substr(0, std::string(name).find('.'));
      EXPECT_EQ(GetImageFileName(name), base + suffix + ".png");
    }
  }
}

TEST(Texts, ElementTypeNamesFollowTheLanguage) {
  LanguageGuard guard;
  SetLanguage("en");
  ASSERT_EQ(element_type_names.size(), 22u);
  ASSERT_EQ(element_types.size(), 22u);
  EXPECT_EQ(element_type_names[0], "Kick");
  EXPECT_EQ(element_type_names[12], "splash");
  EXPECT_EQ(element_type_names[21], "Cymbal choke event");
  for (int i = 0; i < 21; ++i) EXPECT_EQ(element_types[size_t(i)], i);
  for (int t : {-1, 21, 255}) EXPECT_EQ(ElementTypeTextId(t), -1) << t;
  for (size_t i = 0; i < element_types.size(); ++i)  // the element editor's type labels
    EXPECT_EQ(GetUtf8(ElementTypeTextId(element_types[i])), element_type_names[i]) << i;
  for (const char* code : kCodes) {
    SetLanguage(code);
    const std::set<std::string> distinct(element_type_names.begin(), element_type_names.end());
    EXPECT_EQ(distinct.size(), element_type_names.size()) << code << ": two types share a name";
  }
  SetLanguage("ja");
  ASSERT_EQ(element_type_names.size(), 22u);
  EXPECT_EQ(element_type_names[12], GetUtf8(71));
  EXPECT_EQ(element_type_names[9], GetUtf8(252));
  EXPECT_EQ(element_types[21], drum_element::CHOKE);
  EXPECT_EQ(element_types[21], 256);
}

TEST(Texts, GlyphRangeLists) {
  const unsigned short* jp = GetJapaneseGlyphRanges();
  ASSERT_EQ(GetJapaneseGlyphRanges(), jp);
  const unsigned short leading[] = {0x6905, 0x6905, 0x53E9, 0x53E9, 0x0020, 0x00FF,
                                    0x3000, 0x30FF, 0x31F0, 0x31FF, 0xFF00, 0xFFEF};
  for (int i = 0; i < 12; ++i) EXPECT_EQ(jp[i], leading[i]) << i;
  EXPECT_EQ(jp[12], 0x4E00);
  EXPECT_EQ(jp[13], 0x4E00);
  EXPECT_EQ(jp[14], 0x4E01);
  EXPECT_EQ(jp[16], 0x4E03);
  EXPECT_EQ(jp[18], 0x4E07);
  EXPECT_EQ(jp[20], 0x4E08);
  EXPECT_EQ(jp[12 + 1945 * 2], 0x9F62);
  EXPECT_EQ(jp[12 + 1945 * 2 + 1], 0x9F62);
  EXPECT_EQ(jp[12 + 1946 * 2], 0);
  for (int i = 12; i + 2 < 12 + 1946 * 2; i += 2) {
    ASSERT_EQ(jp[i], jp[i + 1]);
    ASSERT_LT(jp[i], jp[i + 2]) << "ideograms ascend";
  }
  EXPECT_EQ(std::vector<unsigned short>(jp, jp + 3905), std::vector<unsigned short>(GetJapaneseGlyphRanges(), GetJapaneseGlyphRanges() + 3905));

  EXPECT_EQ(CountCodePoints(GetDefaultGlyphRanges()), 224);
  EXPECT_EQ(CountCodePoints(GetItalianGlyphRanges()), 225);
  EXPECT_EQ(CountCodePoints(GetTurkishGlyphRanges()), 230);
  EXPECT_EQ(CountCodePoints(GetRussianGlyphRanges()), 480);
  EXPECT_EQ(CountCodePoints(GetJapaneseGlyphRanges()), 2684);
  EXPECT_EQ(CountCodePoints(GetKoreanGlyphRanges()), 11664);
  EXPECT_EQ(CountCodePoints(GetChineseGlyphRanges()), 21653);
}

// Every slot of every language: valid UTF-8 the program can show, the English conversions in
// the English order, in-air label breaks kept, and empty only for sentence fragments.
TEST(Texts, EveryLanguageIsComplete) {
  LanguageGuard guard;
  std::vector<std::string> english;
  SetLanguage("en");
  for (int id = 0; id < kNumTextIds; ++id) english.push_back(GetUtf8(id));
  for (int lang = 0; lang < kNumLanguages; ++lang) {
    SetLanguage(kCodes[lang]);
    const unsigned short* ranges = GetGlyphRanges();
    for (int id = 0; id < kNumTextIds; ++id) {
      SCOPED_TRACE(std::string(kCodes[lang]) + " id " + std::to_string(id));
      const char* text = GetUtf8(id);
      ASSERT_NE(text, nullptr);
      const std::string& en = english[size_t(id)];
      auto own = kOwnConversions.find({kCodes[lang], id});
      EXPECT_EQ(Conversions(text), own != kOwnConversions.end() ? own->second : Conversions(en));
      EXPECT_FALSE(HasStrayPercent(text)) << text;
      if (en.find('|') != std::string::npos) {
        EXPECT_NE(std::string(text).find('|'), std::string::npos) << text;
        EXPECT_EQ(en.back() == '|', *text && std::string(text).back() == '|') << text;
      }
      size_t lines = 1;
      for (const char* p = text; *p; ++p) lines += *p == '|';
      EXPECT_LE(lines, 3u) << text;
      if (!*text) {
        const bool fragment = en.front() == ' ' || en.back() == ' ' || en.size() <= 2;
        EXPECT_TRUE(fragment) << "only a sentence fragment may be empty: " << en;
      }
      for (unsigned int c : CodePoints(text)) {
        if (c == '\n' || c == '|') continue;
        EXPECT_TRUE(InRanges(ranges, c)) << "U+" << std::hex << c << " outside the glyph ranges in " << text;
      }
    }
    // The latency screen measures 331 to place a button after the device name of 330.
    EXPECT_EQ(std::string(GetUtf8(331)) + "%s", GetUtf8(330)) << kCodes[lang];
  }
}

// Texts that name something the program shows or does say it as the program does, in every
// language: the first-run latency screen's button, the lighting check's buttons, the song types,
// what holds a sound card here.
TEST(Texts, NameWhatTheProgramShows) {
  LanguageGuard guard;
  for (int lang = 0; lang < kNumLanguages; ++lang) {
    SetLanguage(kCodes[lang]);
    const std::string latency = GetUtf8(308), songs = GetUtf8(372), no_device = GetUtf8(349);
    EXPECT_NE(latency.find(GetUtf8(345)), std::string::npos) << kCodes[lang] << ": " << latency;
    // The lighting check's hints name its Skip and the wizard's Done buttons.
    for (const auto& [hint, button] : {std::pair{37, 452}, {34, 41}})
      EXPECT_NE(std::string(GetUtf8(hint)).find(GetUtf8(button)), std::string::npos) << kCodes[lang] << ": " << hint;
    for (const char* type : {".mp3", ".ogg", ".mp4", ".m4a", ".aac"})
      EXPECT_NE(songs.find(type), std::string::npos) << kCodes[lang] << ": " << songs;
    EXPECT_EQ(no_device.find("ASIO"), std::string::npos) << kCodes[lang];
    for (const char* holder : {"JACK", "PipeWire", "PulseAudio"})
      EXPECT_NE(no_device.find(holder), std::string::npos) << kCodes[lang] << ": " << no_device;
  }
  SetLanguage("en");
  for (int id = 0; id < kNumTextIds; ++id)
    EXPECT_EQ(std::string(GetUtf8(id)).find("setup"), std::string::npos) << id << ": the verb is \"set up\"";
}
