// The new-element screen (state 3): an element's name, its folder of samples and its type,
// and Create converting the samples into the element library; with a page explaining how the
// samples are organised.
#include <string>

#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "render/imgui.h"
#include "screens/screen_common.h"
#include "screens/screens.h"
#include "sound/sound.h"

namespace {

enum : int {
  kName = ScreenId(kNewElementScreen, 1), kFolder, kBrowse, kExplain, kDismiss, kBack, kCreate,
  kType = ScreenId(kNewElementScreen, 100)
};
constexpr int kMaxSamplePath = 1023;

struct ElementScreenState {
  bool created_an_element = false;
  int highlighted_kit = -1;
  bool show_explanation = false;
};
ElementScreenState new_element;

// The check boxes of the types: in columns of types 0-8, 9-17 and 18-20.
void DoTypes(int H) {
  for (int t = 0; t < drum_element::NUM_ELEMENT_TYPES; ++t) {
    const int column = t / 9, row = t % 9;
    const bool ticked = working_element.type == t;
    const char* name = GetUtf8(ElementTypeTextId(t));
    if (imgui.DoCheckBox(kType + t, 48 + 280 * column, H - 227 - 32 * row, name, ticked, true)) {
      working_element.type = Sound::ElementType(t);
      working_element.category = Sound::GetElementCategory(working_element.type);
    }
  }
}

void Browse() {
  std::string folder;
  if (OpenDirectoryDialog(folder) != 0) return;
  if (folder.size() > kMaxSamplePath) {
    MessageBox("Error: the folder's path is longer than " + std::to_string(kMaxSamplePath) + " bytes: " + folder, false, true);
    return;
  }
  working_element.sample_path = folder;
}

void Create() {
  DrawBusyVeil();
  std::string message;
  if (drumkit_chooser.SaveElement(working_element, message)) new_element.created_an_element = true;
  if (!message.empty()) MessageBox(message, false, true);
}

void DoForm(int H) {
  imgui.DoText(48, H - 41, "%s", GetUtf8(kTextNewElementName));
  // File-name mode: the name becomes data/elements/<name>.ele.
  DoEditBoxString(kName, 288, H - 27, 426, 50, working_element.name, 63, true);
  imgui.DoText(48, H - 111, "%s", GetUtf8(kTextSamplesDirectory));
  DoEditBoxString(kFolder, 288, H - 97, 426, 50, working_element.sample_path, kMaxSamplePath, true);
  PlayRefusedKeySound();
  if (imgui.DoButton(kBrowse, 734, H - 96, 150, 53, GetUtf8(kTextBrowse))) Browse();
  if (imgui.DoButton(kExplain, 287, H - 166, 429, 44, GetUtf8(kTextHowShouldI))) new_element.show_explanation = true;
  DoTypes(H);
  if (imgui.DoButton(kBack, 191, H - 571, 104, 50, GetUtf8(kTextBack))) {
    // A created element is the library's last line.
    const int created = new_element.created_an_element ? static_cast<int>(drumkit_chooser.element_names.size()) - 1 : -1;
    OpenKitEditor(new_element.highlighted_kit, created);
    return;
  }
  if (imgui.DoButton(kCreate, 48, H - 571, 104, 50, GetUtf8(kTextCreate))) Create();
}

void DoExplanation(int H) {
  // Four paragraphs, each the run of texts from first to last: 26 pixels a line.
  struct Paragraph { int first, last, top; };
  const Paragraph paragraphs[] = {{kTextCreateNewDrum, kTextSetsSamplesDepending, 41},
                                  {kTextDrumKitElement, kTextSubDirectoryNamed, 231},
                                  {kTextElementHitPedal, kTextBCEtc, 345},
                                  {kTextElementHitSticks, kTextBCEtcIncreasing, 485}};
  for (const auto& p : paragraphs) {
    for (int id = p.first; id <= p.last; ++id) imgui.DoText(48, H - p.top - 26 * (id - p.first), "%s", GetUtf8(id));
  }
  if (imgui.DoButton(kDismiss, 287, H - 166, 429, 44, GetUtf8(kTextDismiss))) new_element.show_explanation = false;
}

}  // namespace

// state_param = kit_line + 1, 0 for none.
void OpenElementScreen(int kit_line) { ChangeInterfaceState(kNewElementScreen, kit_line + 1); }

void DoNewElementScreen() {
  const int H = ScreenHeight();
  if (EnteringPage()) {
    if (state_param > 0) new_element.highlighted_kit = state_param - 1;
    new_element.created_an_element = new_element.show_explanation = false;
  }
  if (new_element.show_explanation) {
    DoExplanation(H);
  } else {
    DoForm(H);
  }
}
