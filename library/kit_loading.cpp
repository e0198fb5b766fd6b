// Loading a listed kit into the playable drum kit: its elements into the sound engine (with
// samples, or only their headers for MIDI), a pedal-splash partner for hi-hat-like elements,
// the old kit's elements released afterwards, and the drums rebuilt from the kit file.
#include <cstdio>
#include <map>
#include <set>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "frame/paths.h"
#include "frame/platform/platform.h"
#include "frame/texts.h"
#include "library/drumkit_chooser.h"
#include "sound/logger.h"
#include "sound/sound.h"

namespace {

constexpr Sound::ElementType kMissingType = Sound::ElementType(255);

// What one load hands to the drum kit.
struct LoadedDrums {
  std::vector<std::string> names;
  std::vector<Sound::ElementType> types;
  std::vector<Sound::ElementCategory> categories;
  std::map<int, int> drum_to_sound;
  int splash = -1;
  std::set<int> extra_slots;  // splash attempts that lost to a later one: released at the end
  bool missing = false;
};

int LoadElementFile(const std::string& name, bool with_samples) {
  const std::string path = MakePath(kPathElements, name + ".ele");
  return with_samples ? sound.LoadElement(path.c_str(), 0.0f, Sound::CURVE_LINEAR, 100, Sound::CURVE_LINEAR, 100)
                      : sound.LoadElementWithoutDataForMIDI(path.c_str(), 0.0f, Sound::CURVE_LINEAR, 100,
                                                            Sound::CURVE_LINEAR, 100);
}

bool ContainsNoCase(const std::string& text, const std::string& part) {
  auto lower = [](std::string s) {
    for (char& c : s)
      if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
  };
  return lower(text).find(lower(part)) != std::string::npos;
}

// The splash partner of hi-hat-like element e: the first library element whose name holds e's
// name up to its remark in parentheses, and "splash". The last attempt of a load wins; the
// slots of earlier attempts go to extra_slots.
void FindSplash(const std::string& e, const std::vector<std::string>& library, LoadedDrums& out) {
  std::string base = e.substr(0, e.find('('));
  if (e.find('(') == std::string::npos || base.size() >= 2) base = base.substr(0, base.empty() ? 0 : base.size() - 1);
  for (const std::string& f : library) {
    if (!ContainsNoCase(f, base) || !ContainsNoCase(f, "splash")) continue;
    if (out.splash >= 0) out.extra_slots.insert(out.splash);
    out.splash = LoadElementFile(f, true);
    if (out.splash >= 0) {
      printf(" successfully loaded this element as pedal splash: %s\n", f.c_str());
      return;
    }
  }
}

void AddDrum(LoadedDrums& out, int j, const std::string& name, int slot) {
  out.names.push_back(name);
  out.types.push_back(slot >= 0 ? sound.GetElementType(slot) : kMissingType);
  out.categories.push_back(slot >= 0 ? sound.GetElementCategory(slot) : Sound::CATEGORY_HAND_AND_FOOT);
  out.drum_to_sound[j] = slot;
}

// The old kit's sound slots (its drums' and its splash partner's), each announced once.
std::set<int> OldSlots(const Drumkit& kit) {
  std::set<int> slots;
  for (size_t d = 0; d < kit.drums.size(); ++d) {
    const int s = kit.GetDrumkitElementToSoundElement(int(d));
    if (s >= 0 && slots.insert(s).second) printf("The %s element will be unloaded\n", kit.drums[d].name);
  }
  if (kit.splash_element >= 0) slots.insert(kit.splash_element);
  return slots;
}

void ShowProgress(bool show, int percent) {
  if (show) kit_progress(percent, GetUtf8(kTextLoadingDrumKit), false);
}

}  // namespace

int DrumkitChooser::LoadDrumkit(Drumkit* kit, const std::string& name, bool show_progress) {
  return LoadKit(kit, name, show_progress, false);
}

int DrumkitChooser::LoadDrumkitWithoutSamplesForMIDI(Drumkit* kit, const std::string& name, bool show_progress) {
  return LoadKit(kit, name, show_progress, true);
}

int DrumkitChooser::LoadKit(Drumkit* kit, const std::string& name, bool show_progress, bool midi_only) {
  const std::string remembered = current_drumkit_name;
  if (!name.empty()) current_drumkit_name = name;
  const int found = GetCurrentKitIndex();
  if (found < 0 || !kit) {
    if (midi_only)
      printf("Cannot find drumkit %s\n", current_drumkit_name.c_str());
    else
      printf(GetUtf8(kTextCannotFindDrumkit), current_drumkit_name.c_str());
    current_drumkit_name = remembered == current_drumkit_name ? std::string() : remembered;
    return -1;
  }
  const LogicalDrumkit chosen = drumkits[found];

  // Playback of a recording plays from the element table, which the load reallocates.
  if (logger.IsPlaying() || sound.IsPerformancePlaying()) logger.StopPlaying();
  const std::set<int> old_slots = OldSlots(*kit);
  sound.audio.StopRawThreads();
  if (show_progress) kit_progress(0, GetUtf8(kTextLoadingDrumKit), true);

  LoadedDrums drums;
  const int n = int(chosen.elements.size());
  for (int j = 0; j < n; ++j) {
    const std::string& element = chosen.elements[j];
    int slot = -1;
    bool listed = false;
    for (const std::string& e : element_names) listed = listed || e == element;
    if (!listed) {
      printf("Cannot find drumkit element %s.\n", element.c_str());
      drums.missing = true;
    } else {
      printf("Loading the %s element...", element.c_str());
      slot = LoadElementFile(element, !midi_only);
      printf(slot >= 0 ? " success.\n" : " failure.\n");
      drums.missing = drums.missing || slot < 0;
    }
    AddDrum(drums, j, element, slot);
    if (slot >= 0 && sound.GetElementCategory(slot) == Sound::CATEGORY_HAND_AND_FOOT)
      FindSplash(element, element_names, drums);
    ShowProgress(show_progress, n > 1 ? int(float(j) * 100.0f / float(n - 1)) : 100);
  }
  ShowProgress(show_progress, 100);

  std::set<int> release = old_slots;
  release.insert(drums.extra_slots.begin(), drums.extra_slots.end());
  for (int s : release) sound.UnloadElement(s);
  sound.audio.StartRawThreads(4);
  kit->InitFromChooser(sound, chosen.path, drums.names, drums.types, drums.categories, drums.drum_to_sound,
                       drums.splash, chosen.Is_Preset, !drummer.Is_Left_Handed, drummer.Use_Camera_Stand);
  if (drums.missing && !midi_only) MessageBox(GetUtf8(kTextElementMissingSkipping), false, true);
  return found;
}
