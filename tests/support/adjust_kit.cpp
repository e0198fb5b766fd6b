// The adjusting pages' kit and gestures.
#include "tests/support/adjust_kit.h"

#include <vector>

#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/paths.h"
#include "library/drumkit_chooser.h"
#include "library/library_calls.h"
#include "tests/support/stroke_harness.h"

namespace skyt_test {

namespace {

constexpr float kDrumDepth = 5.6f;  // the marker radius the camera sees for a drum 5 deep

struct Entry {
  KitDrum drum;
  std::string calibration;
};

}  // namespace

void LoadAdjustKit(bool kick_first) {
  ResetSound();
  drumkit.Init();
  auto add = [](const char* name, Sound::ElementType t, Sound::ElementCategory c) {
    return KitDrum{name, t, c, AddElement(t, c)};
  };
  std::vector<Entry> entries = {
      {add("Snare", Sound::SNARE, Sound::CATEGORY_HAND), ".x = 240\n%.y = 150\n%.size = 5\n"},
      {add("Hat", Sound::HIHAT, Sound::CATEGORY_HAND_AND_FOOT),
       ".x = 60\n%.y = 120\n%.size = 5\n%.foot_x = 90\n%.foot_y = 225\n%.foot_size = 5\n"
       "%.pedal_lowest_foot_y = 225\n%.pedal_foot_range = 5\n"},
      {add("Kick", Sound::KICK, Sound::CATEGORY_FOOT),
       ".foot_x = 200\n%.foot_y = 225\n%.foot_size = 5\n%.pedal_lowest_foot_y = 225\n"},
      {add("Crash", Sound::CRASH, Sound::CATEGORY_HAND), ".x = 200\n%.y = 60\n%.size = 5\n"},
      {add("Splash", Sound::SPLASH, Sound::CATEGORY_HAND), ".x = 130\n%.y = 80\n%.size = 5\n"}};
  if (kick_first) std::swap(entries[0], entries[2]);
  std::vector<KitDrum> drums;
  std::string calibration;
  for (size_t i = 0; i < entries.size(); ++i) {
    drums.push_back(entries[i].drum);
    std::string lines = "%" + entries[i].calibration;
    for (size_t at; (at = lines.find('%')) != std::string::npos;) lines.replace(at, 1, "Drum" + std::to_string(i));
    calibration += lines;
  }
  LoadKit(drumkit, drums, calibration);
  drumkit.SetPan(true, -1);
  drumkit.SetDistanceMenuLocations(false);
  drumkit_chooser.drumkits.clear();
  DrumkitChooser::LogicalDrumkit listed;
  listed.Load(MakePath(kPathDrumkits, "test.ini"));
  drumkit_chooser.drumkits.push_back(listed);
  drumkit_chooser.current_drumkit_name = listed.Name;
  drummer.kit_library = &drumkit_chooser;
  InstallLibraryCalls();
}

void EnterPage(InAirKit& kit, int state, int p1, int p2, int p3) {
  ChangeInterfaceState(state, p1, p2, p3);
  kit.Settle();
}

void HitActivated(InAirKit& kit, int id) {
  const DistanceMenu::Button* b = kit.Button(id);
  if (!b) return;
  const float x = b->x, y = b->y;
  kit.Run(StrokeScript::Activation(x, y, 70));
  kit.Run(StrokeScript::MenuStroke(x, y));
}

void StrikeDrum(InAirKit& kit, float x, float y) { kit.Run(StrokeScript::MenuStroke(x, y, kDrumDepth)); }

const DistanceMenu::Slider* FindSlider(const InAirKit& kit, int id) {
  for (const DistanceMenu::Slider& s : kit.Menu().sliders)
    if (s.id == id) return &s;
  return nullptr;
}

void DragSlider(InAirKit& kit, int id, bool to_max) {
  const DistanceMenu::Slider* s = FindSlider(kit, id);
  if (!s) return;
  const float y = s->y + s->height * 0.5f, x0 = s->x + s->width * 0.5f;
  const float x1 = to_max ? s->x + s->width - 1.0f : s->x + 1.0f;
  kit.Run(StrokeScript::Activation(x0, y, 70));
  kit.Run(StrokeScript::Slider(x0, x1, y, 40));
}

}  // namespace skyt_test
