// The screens' shared helpers and working objects.
#include "screens/screen_common.h"

#include <GL/gl.h>

#include <cmath>
#include <cstring>

#include "drumming/interface_state.h"
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

bool RefusePreset(bool preset, TextId refusal_text) {
  if (preset) MessageBox(GetUtf8(refusal_text), false, true);
  return preset;
}

void EditListed(int line, const ChooserSteps& steps) {
  if (!RefusePreset(steps.preset(line), steps.edit_refusal)) steps.edit(line);
}

void DeleteListed(int line, const ChooserSteps& steps, int& selected) {
  if (RefusePreset(steps.preset(line), steps.delete_refusal)) return;
  if (MessageBox(GetUtf8(steps.delete_confirm), true, true) != 0) return;
  std::string error;
  const int next = steps.erase(line, error);
  if (next == -2)
    MessageBox(error, false, true);
  else
    selected = next;
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

void SelectChooserLine(ChooserList& chooser, int count, int asked, int current) {
  chooser.num_visible_lines = imgui.ListBoxHeightToNumVisibleLines(395);
  int line = asked >= 0 ? asked : current >= 0 ? current : count > 0 ? 0 : -1;
  if (line >= count) line = count - 1;
  chooser.list.selected = -1;
  imgui.SetSelectedLine(line, chooser.num_visible_lines, count, chooser.list);
}

void DoChooserList(ChooserList& chooser, int first_id, TextId title, int H, const std::vector<std::string>& names,
                   const ChooserSteps& steps) {
  if (EnteringPage()) steps.enter(static_cast<int>(names.size()));
  imgui.DoText(48, H - 41, "%s", GetUtf8(title));
  imgui.DoListBox(first_id, first_id + 1, first_id + 2, 48, H - 87, 530, chooser.num_visible_lines, names, chooser.list);
}

void DoChooserButtons(int first_id, int H, ChooserList& chooser, bool listed, const ChooserSteps& steps,
                      int delete_width) {
  const int line = chooser.list.selected;
  if (imgui.DoButton(first_id, 48, H - 491, 104, 50, GetUtf8(kTextNew))) steps.add();
  if (imgui.DoButton(first_id + 1, 191, H - 491, 104, 50, GetUtf8(kTextClone)) && listed) steps.clone(line);
  if (imgui.DoButton(first_id + 2, 334, H - 491, 104, 50, GetUtf8(kTextEdit)) && listed) EditListed(line, steps);
  if (imgui.DoButton(first_id + 3, 477, H - 491, delete_width, 50, GetUtf8(kTextDelete)) && listed)
    DeleteListed(line, steps, chooser.list.selected);
}

void DoChooserOkCancel(int ok_id, int H, ChooserList& chooser, const ChooserSteps& steps) {
  const bool ok = imgui.DoButton(ok_id, 48, H - 571, 104, 50, GetUtf8(kTextOk));
  if (ok) steps.choose(chooser.list.selected);
  if (ok || DoCancelButton(ok_id + 1, H)) {
    chooser.list.selected = -1;
    ChangeInterfaceState(steps.back_to);
  }
}
