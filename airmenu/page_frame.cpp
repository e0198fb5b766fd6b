// The small services every in-air page shares.
#include "airmenu/page_frame.h"

#include <cmath>
#include <cstdio>

#include "drumming/distance_menu.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "frame/frame_globals.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "render/font.h"
#include "sound/sound.h"
#include "tracking/ps3eye_glue.h"
#include "tracking/webcam.h"

FrameCalls frame_calls;
bool show_marker_color = false;

bool NewCameraFrame() { return !PSEyeIsWorking() || webcam.IsNewFrame(); }

int WindowWidth() { return window_services.width ? window_services.width() : 0; }
int WindowHeight() { return window_services.height ? window_services.height() : 0; }

void AddButton(DistanceMenu& menu, int id, TextId text, float x, float y, bool greyed, bool needs_activation) {
  menu.buttons.push_back({id, GetUtf8(text), x, y, 22.0f, needs_activation, greyed});
}

void AddSlotButton(DistanceMenu& menu, int id, TextId text, int slot, bool greyed) {
  const float xs[] = {DistanceMenu::m_no_drums_x,  DistanceMenu::m_no_drums2_x, DistanceMenu::m_no_drums3_x,
                      DistanceMenu::m_no_drums4_x, DistanceMenu::m_no_drums5_x, DistanceMenu::m_no_drums6_x};
  const float ys[] = {DistanceMenu::m_no_drums_y,  DistanceMenu::m_no_drums2_y, DistanceMenu::m_no_drums3_y,
                      DistanceMenu::m_no_drums4_y, DistanceMenu::m_no_drums5_y, DistanceMenu::m_no_drums6_y};
  AddButton(menu, id, text, xs[slot - 1], ys[slot - 1], greyed);
}

bool IsKitDrum(int drum) { return drum >= 0 && drum < int(drumkit.drums.size()); }

void Click() { sound.PlayDistanceMenuButtonSound(); }

bool ConfirmTwice(bool& need_confirmation, TextId text) {
  if (need_confirmation) return true;
  need_confirmation = true;
  DistanceMenu::AddMessage(GetUtf8(text), 2, 1, 0.0f, false, false);
  sound.audio.StartSound(sound.editbox_error_sound, 0.9f, 0.0f, true, 0.0f, false);
  return false;
}

void ShowLine(int line, const char* text) { DistanceMenu::AddMessage(text, line, 1, 0.0f, false, false); }

namespace {

// A line naming a player's name or a file's path (the sentence's "%s"), the name shortened with
// "..." so that the line ends inside the window.
std::string FitInLine(const char* sentence, const std::string& name) {
  const Font* font = full_screen ? DistanceMenu::m_message_font : DistanceMenu::m_message_windowed_font;
  if (font) return FitNameInSentence(*font, sentence, name, float(WindowWidth()) - 32.0f);
  char buffer[512];
  snprintf(buffer, sizeof(buffer), sentence, name.c_str());
  return buffer;
}

}  // namespace

void ShowNameLine(int line, TextId text, const char* name) { ShowLine(line, FitInLine(GetUtf8(text), name).c_str()); }

void ShowKitSaveFailed(const std::string& reason) {
  ShowLine(2, GetUtf8(kTextKitSaveFailed));
  // The reason names the kit file's whole path, which can be wider than the window.
  ShowLine(3, FitInLine("%s", reason).c_str());
}

bool HeldSlider(const DistanceMenu& menu, int& id, float& value) {
  if (!menu.slider_active) return false;
  const bool other = menu.non_dominant_slider_held;
  id = other ? menu.non_dominant_active : menu.dominant_active;
  value = other ? menu.non_dominant_value : menu.dominant_value;
  return true;
}

void MinutesSeconds(float seconds, int& m, int& s) {
  m = static_cast<int>(std::floor(seconds / 60.0f));
  s = static_cast<int>(seconds - 60.0f * m);
}
