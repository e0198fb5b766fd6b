// The screens' shared helpers and working objects.
#include "screens/screen_common.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "frame/window.h"
#include "render/font.h"
#include "render/imgui.h"
#include "sound/sound.h"

namespace {

DrumkitChooser::Element NewWorkingElement() {
  DrumkitChooser::Element e;
  e.name = GetUtf8(kTextNewElement);  // "<new element>"
  e.type = Sound::CUSTOM_HAND;
  e.category = Sound::CATEGORY_HAND;
  return e;
}

DrumkitChooser::LogicalDrumkit NewWorkingDrumkit() {
  DrumkitChooser::LogicalDrumkit kit;
  kit.Name = GetUtf8(kTextNewDrumkit);  // "<new drumkit>"
  return kit;
}

// The number of leading bytes of text, at most limit, that end at a character boundary.
size_t CutAtCharacter(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t n = limit;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return n;
}

void WhiteQuad() {
  const float W = static_cast<float>(Imgui::platform.window_width());
  const float H = static_cast<float>(Imgui::platform.window_height());
  glEnable(GL_BLEND);
  glColor4f(1, 1, 1, 0.8f);
  glRectf(0, 0, W, H);
}

}  // namespace

DrumkitChooser::Element working_element = NewWorkingElement();
DrumkitChooser::LogicalDrumkit working_drumkit = NewWorkingDrumkit();
DrumkitChooser::LogicalDrumkit edited_drumkit = NewWorkingDrumkit();
DrumkitChooser::LogicalDrumkit* edited_drumkit_ptr = nullptr;
int edit_drumkit_idx = -1, cloned_drumkit_idx = -1;
MidiMapChooser::MidiMap working_midi_map, edited_midi_map;
MidiMapChooser::MidiMap* edited_midi_map_ptr = nullptr;
int edit_midi_map_idx = -1, cloned_midi_map_idx = -1;

int ScreenHeight() { return Imgui::platform.window_height(); }

int ScreenWidth() { return Imgui::platform.window_width(); }

int TextWidth(const char* text) { return imgui.font ? static_cast<int>(std::ceil(imgui.font->GetWidth(text))) : 0; }

std::string FitName(const std::string& name, int width) {
  return imgui.font ? FitWithEllipsis(*imgui.font, name, static_cast<float>(width)) : name;
}

bool IsLanguage(const char* code) { return GetLanguageString() == code; }

void PlayRefusedKeySound() {
  if (imgui.refused_char) sound.audio.StartSound(sound.editbox_error_sound, 0.9f, 0.0f, true, 0.0f, false);
}

void DrawBusyVeil() {
  for (int i = 0; i < 2; ++i) {
    WhiteQuad();
    if (window_services.swap_buffers) window_services.swap_buffers();
  }
}

bool DoEditBoxString(int id, int x, int y, int w, int h, std::string& text, int max_units,
                     bool file_name) {
  static char buffer[4096];
  const size_t n = CutAtCharacter(text, sizeof buffer - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = 0;
  const bool changed = imgui.DoEditBox(id, x, y, w, h, buffer, max_units, file_name);
  if (changed) text = buffer;
  return changed;
}

bool DoCancelButton(int id, int H) {
  const bool german = IsLanguage("de");
  return imgui.DoButton(id, german ? 181 : 191, H - 571, german ? 124 : 104, 50, GetUtf8(kTextCancel));
}

bool RefusePreset(bool preset, int refusal_text) {
  if (preset) MessageBox(GetUtf8(refusal_text), false, true);
  return preset;
}

void DeleteListed(bool preset, int refusal_text, int confirm_text, const std::function<int(std::string&)>& erase,
                  int& selected) {
  if (RefusePreset(preset, refusal_text)) return;
  if (MessageBox(GetUtf8(confirm_text), true, true) != 0) return;
  std::string error;
  const int next = erase(error);
  if (next == -2)
    MessageBox(error, false, true);
  else
    selected = next;
}
