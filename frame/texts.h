// The texts the user reads, in the current one of eleven languages, and everything that
// depends on the language: font file, pixel height, line layout, glyph ranges, the names of
// the localised pictures and the display names of the drum element types. Main thread only.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "text_ids.h"  // generated: kText<Name> = <id>

constexpr int kNumLanguages = 11;   // en ja de fr es id tr it ru zh ko, in index order
constexpr int kNumTextIds = 540;    // text ids 0..539

// Index of the current language (0 English .. 10 Korean); set only by SetLanguage.
extern int32_t language;

// The compiled-in text table (generated from assets/text/*.txt): one row per language, ids
// 0..511 in the first table and 512..539 in the second. Every slot holds a text; the
// pointers stay valid for the whole run.
extern const char* const utf8_strings[kNumLanguages][512];
extern const char* const utf8_strings2[kNumLanguages][kNumTextIds - 512];

// Display names of the element types in the current language and the types themselves
// (drum_element::ElementType values, an int), in parallel: KICK..CUSTOM_HAND_AND_FOOT, then CHOKE
// (22 entries). Rebuilt by SetLanguage.
extern std::vector<std::string> element_type_names;
extern std::vector<int> element_types;

// The text of id in the current language; "???" for an id outside 0..539. Texts may be
// printf formats (the caller formats them) and in-air button labels carry '|' line breaks.
const char* GetUtf8(int id);

// Sets the language from its two-letter code ("en", "ja", "de", "fr", "es", "id", "tr",
// "it", "ru", "zh", "ko"; exact, case-sensitive; anything else is English) and rebuilds the
// element type names.
void SetLanguage(const std::string& code);
// The current language's code ("en" for an index outside 0..10).
std::string GetLanguageString();

// installation_directory + "/data/fonts/" + the language's font file.
std::string GetFontPath();
// Whether the CJK font file (data/fonts/SourceHanSans-Normal.ttf) can be opened for reading.
bool HaveJapaneseFont();
// The font's pixel height for the GUI (18 outside 0..10).
float GetFontHeight();
// How many text lines of the in-air message font the screen height holds (22 outside 0..10).
int GetNumTextLines();
// Line spacing of the in-air messages in font heights (1.0 outside 0..10).
float GetLineHeightRatio();

// Glyph range lists: pairs of first and last code point (inclusive), ended by a 0.
// The current language's list; null outside 0..10 (Font::Init then takes the default list).
const unsigned short* GetGlyphRanges();
const unsigned short* GetDefaultGlyphRanges();   // U+0020-U+00FF
const unsigned short* GetItalianGlyphRanges();   // the Latin list, also U+2019
const unsigned short* GetTurkishGlyphRanges();
const unsigned short* GetRussianGlyphRanges();
const unsigned short* GetChineseGlyphRanges();
const unsigned short* GetKoreanGlyphRanges();
const unsigned short* GetJapaneseGlyphRanges();  // expanded on the first call

// The current language's file name of a picture: the ten localised pictures get the
// language's suffix ("help1.png" is "help1-de.png" in German); other names are unchanged.
std::string GetImageFileName(const std::string& name);

// The text id of an element type's display name (CHOKE's too); -1 for a number that is no type.
int ElementTypeTextId(int type);
// Rebuilds element_type_names and element_types in the current language.
void PopulateElementTypesAndNames();
