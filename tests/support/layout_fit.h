// What every screen and in-air page must satisfy in every language: labels whole, texts inside
// the window and a few pixels clear of other widgets. Fonts are the installed ones (Open Sans for the Latin
// and Cyrillic languages, Noto Sans CJK for Japanese, Chinese and Korean) at the language's
// height, read from where Debian puts them.
#pragma once
#include <string>
#include <vector>

#include "render/imgui.h"

class Font;

namespace skyt_test {

inline constexpr const char* kLanguageCodes[] = {"en", "ja", "de", "fr", "es", "id", "tr", "it", "ru", "zh", "ko"};

// The system file the installation copies under the current language's font name.
std::string InstalledFontFile();
// A font of the current language at `height` pixels, or null when its file is missing.
Font* MakeLanguageFont(float height);
// Gives the widget GUI the current language's font at its height.
bool InstallLanguageFonts(Imgui& gui);

// One line per problem in a frame's trace: a label cut with "...", a text or label leaving
// the window (width x height), a text over or touching another widget or text.
std::vector<std::string> LayoutProblems(const std::vector<Imgui::TraceItem>& trace, int width, int height);

}  // namespace skyt_test
