// The preferences screen (state 12) and the languages screen (state 17). A language change
// takes effect at once: the GUI font for the new language is built first, and only when it
// builds are the language, the saved session and the fonts switched.
#include <cstdio>
#include <memory>
#include <string>

#include "drumming/distance_menu.h"
#include "drumming/drumming_globals.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/font.h"
#include "render/imgui.h"
#include "screens/preferences_screens.h"
#include "screens/screen_common.h"
#include "screens/screen_services.h"
#include "screens/screens.h"

namespace {

enum : int { kOldStyleMenu = ScreenId(kPreferencesScreen, 1), kCameraStand, kLanguage, kPreferencesOk };
enum : int { kLanguageBox = ScreenId(kLanguagesScreen, 1), kLanguagesOk = ScreenId(kLanguagesScreen, 100) };

// The rows of the languages picture, top to bottom, and each box's y below the top edge.
struct LanguageRow {
  const char* code;
  int top;
  bool needs_cjk_font;
};
constexpr LanguageRow kRows[] = {
    {"en", 71, false}, {"ja", 109, true}, {"de", 146, false}, {"fr", 183, false},
    {"es", 218, false}, {"tr", 253, false}, {"id", 289, false}, {"it", 325, false},
    {"ru", 361, false}, {"zh", 397, true}, {"ko", 433, true},
};

bool CurrentKitIsPreset() {
  const int i = drumkit_chooser.GetCurrentKitIndex();
  return i >= 0 && drumkit_chooser.IsDrumkitPreset(i);
}

}  // namespace

bool SwitchLanguage(const std::string& code) {
  const std::string old_code = GetLanguageString();
  SetLanguage(code);
  auto font = std::make_unique<Font>();
  const std::string path = GetFontPath();
  if (!font->Init(path.c_str(), GetFontHeight(), GetGlyphRanges(), 0)) {
    SetLanguage(old_code);
    printf("Error: could not build the font \"%s\" for language %s\n", path.c_str(), code.c_str());
    MessageBox("Could not load the font " + path + ". The language was not changed.", false, true);
    return false;
  }
  drummer.SaveLastSession();
  DistanceMenu::ReInit();
  imgui.ReplaceFonts(font.release(), nullptr);
  return true;
}

void DoPreferencesScreen() {
  EnteringPage();  // nothing to set up on entry
  const int H = ScreenHeight();
  if (imgui.DoCheckBox(kOldStyleMenu, 48, H - 41, GetUtf8(kTextOldStyleMenu), use_old_style_menu_button != 0, false)) {
    use_old_style_menu_button = !use_old_style_menu_button;
    drummer.SaveLastSession();
  }
  if (imgui.DoCheckBox(kCameraStand, 48, H - 76, GetUtf8(kTextUsingSkytapperCameraStand), drummer.Use_Camera_Stand,
                       false)) {
    drummer.Use_Camera_Stand = !drummer.Use_Camera_Stand;
    // A preset's drum positions depend on the stand: reload it.
    if (CurrentKitIsPreset()) {
      DrawBusyVeil();
      drummer.ChooseDrumkit(drumkit_chooser.current_drumkit_name, true);
    }
    drummer.SaveLastSession();
  }
  const std::string language = std::string(GetUtf8(kTextLanguage)) + "...";
  if (imgui.DoButton(kLanguage, 48, H - 121, 240, 50, language.c_str())) ChangeInterfaceState(kLanguagesScreen, 0, 0, 0);
  if (imgui.DoButton(kPreferencesOk, 48, H - 571, 104, 50, GetUtf8(kTextOk)))
    ChangeInterfaceState(kMainScreen, 0, 0, 0);
}

void DoLanguagesScreen() {
  if (EnteringPage()) {
    screen_services.load_picture(MakePath(kPathImages, GetImageFileName("languages-list.png")));
  }
  const int H = ScreenHeight();
  imgui.DoText(48, H - 33, "%s", GetUtf8(kTextLanguage));
  screen_services.draw_picture(0, -248, 8);
  const std::string current = GetLanguageString();
  const bool have_cjk = HaveJapaneseFont();
  for (int i = 0; i < static_cast<int>(std::size(kRows)); ++i) {
    const LanguageRow& row = kRows[i];
    if (row.needs_cjk_font && !have_cjk) {
      imgui.DoCheckBoxGreyed(48, H - row.top, "", true);
      imgui.DoText(200, H - row.top, "%s", GetUtf8(kTextRequiresDownloadingRecent));
      continue;
    }
    if (imgui.DoCheckBox(kLanguageBox + i, 48, H - row.top, "", current == row.code, true) && current != row.code) {
      SwitchLanguage(row.code);
    }
  }
  if (imgui.DoButton(kLanguagesOk, 48, H - 571, 104, 50, GetUtf8(kTextOk))) {
    screen_services.delete_picture();
    ChangeInterfaceState(kMainScreen, 0, 0, 0);
  }
}
