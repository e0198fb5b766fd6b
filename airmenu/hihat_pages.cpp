// The hi-hat range and splash page (24), the hi-hat clutch page (25) and the cymbal choking
// page (26): sliders over the kit in memory while the player keeps drumming.
#include <algorithm>

#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"

namespace {

struct HihatPage {
  InterfaceState next_stage = kAdjustDrums;
  bool have_changes_to_save = false;
  int n_hh = 0;
  int which_pedal = -1;
};

bool IsHihatLike(int drum) { return IsKitDrum(drum) && drumkit.drums[drum].category == Sound::CATEGORY_HAND_AND_FOOT; }

void Highlight(int drum, MocapMarkerType type) {
  drumkit.shown_drum = drum;
  drumkit.shown_marker_type = type;
}

void EnterCommon(InterfaceState& next_stage, bool& have_changes_to_save) {
  const AdjustPageEntry entry = EnteredAdjustPage(kAdjustDrums);
  next_stage = entry.back_to;
  have_changes_to_save = entry.with_unsaved_changes;
}

// Counts the hi-hat-like drums; the last one is chosen and highlighted by its pedal.
void CountHihats(HihatPage& page) {
  page.n_hh = 0;
  for (size_t i = 0; i < drumkit.drums.size(); ++i) {
    if (drumkit.drums[i].category != Sound::CATEGORY_HAND_AND_FOOT) continue;
    page.which_pedal = int(i);
    ++page.n_hh;
  }
  if (page.n_hh > 0) Highlight(page.which_pedal, MOCAP_MARKER_FOOT);
}

// The kit may have changed under the page (the viewer reloads or edits it): the hi-hats are
// counted again when the chosen pedal is no longer a hi-hat-like drum.
void Recount(HihatPage& page) {
  if (page.n_hh == 0 || IsHihatLike(page.which_pedal)) return;
  CountHihats(page);
  if (page.n_hh == 0) Highlight(-1, MOCAP_MARKER_HAND);
}

// Messages by page and hi-hat count: {line, text} pairs, and a last line naming the pedal.
void HihatMessages(const HihatPage& page, bool range_page) {
  struct Line {
    int line;
    TextId text;
  };
  static const Line none[] = {{0, kTextSorryKitDoesnt}, {1, kTextJustHitDone}};
  static const Line range_one[] = {
      {0, kTextAdjustHiHatRange}, {1, kTextAdjustHiHatSplash}, {2, kTextRightSliderVery}, {4, kTextNoteHiHat}};
  static const Line range_many[] = {{0, kTextAdjustHiHatHit}, {1, kTextThenActivateUse}, {3, kTextNoteHiHat}};
  static const Line clutch_one[] = {{0, kTextActivateUseSliderAdjust}, {1, kTextShouldWhenFoot}};
  static const Line clutch_many[] = {
      {0, kTextAdjustHiHat}, {1, kTextActivateUseSliderAdjust}, {3, kTextShouldWhenFoot}};
  auto show = [](const auto& lines) {
    for (const Line& l : lines) ShowLine(l.line, GetUtf8(l.text));
  };
  if (page.n_hh == 0) return show(none);
  if (page.n_hh == 1) return range_page ? show(range_one) : show(clutch_one);
  range_page ? show(range_many) : show(clutch_many);
  ShowNameLine(5, kTextAdjustingPedal, drumkit.drums[page.which_pedal].name);
}

void AddSlider(DistanceMenu& menu, int id, TextId text, int style, bool left, float value, int min, int max) {
  const float x = left ? DistanceMenu::m_with_drums_slider_x - 0.25f * DistanceMenu::m_with_drums_slider_width
                       : DistanceMenu::m_with_drums_slider2_x;
  menu.sliders.push_back({id, GetUtf8(text), style, int(x), int(DistanceMenu::m_with_drums_slider_y),
                          int(DistanceMenu::m_with_drums_slider_width), 2 * int(DistanceMenu::m_menu_radius), value,
                          max, min, true});
}

void AddDone(DistanceMenu& menu) {
  AddButton(menu, kDoneButton, kTextDone, DistanceMenu::m_with_drums2_x, DistanceMenu::m_with_drums2_y, false, true);
}

// Done, unless a slider was held this frame.
void TestDone(const DistanceMenu& menu, InterfaceState next_stage, bool have_changes_to_save) {
  if (!menu.WasHit(kDoneButton)) return;
  Highlight(-1, MOCAP_MARKER_HAND);
  ReturnToAdjustPage(next_stage, have_changes_to_save);
  Click();
}

// Two firm foot taps on another hi-hat choose it; sticks do not.
void ChooseHihat(HihatPage& page) {
  int drum = -1;
  MocapMarkerType type = MOCAP_MARKER_HAND;
  if (page.n_hh <= 1 || !drumkit.GetFirmlyHitTwiceDrum(drum, type)) return;
  if (type != MOCAP_MARKER_FOOT || drum == page.which_pedal || !IsHihatLike(drum)) return;
  page.which_pedal = drum;
  Highlight(drum, MOCAP_MARKER_FOOT);
}

// One frame of a hi-hat page: the range and splash sliders, or the clutch slider.
void HihatFrame(HihatPage& page, InterfaceState state, bool range_page) {
  DistanceMenu menu;
  if (EnteringPage()) {
    EnterCommon(page.next_stage, page.have_changes_to_save);
    CountHihats(page);
  }
  Recount(page);
  if (page.n_hh == 1) Highlight(-1, MOCAP_MARKER_HAND);
  HihatMessages(page, range_page);
  const bool have_pedal = page.n_hh >= 1 && IsHihatLike(page.which_pedal);
  if (have_pedal) {
    const Drumkit::Drum& d = drumkit.drums[page.which_pedal];
    if (range_page) {
      const float range = -d.pedal_foot_range;
      AddSlider(menu, kHihatRangeSlider, kTextRange, 1, true,
                std::clamp(range / Drummer::m_max_pedal_range * 100.0f, 0.0f, 100.0f), 20, 100);
      AddSlider(menu, kSplashSensitivitySlider, kTextSplashSensitivity, 1, false, d.hihat_splash_sensitivity, 0, 100);
    } else {
      AddSlider(menu, kClutchOpennessSlider, kTextClutchOpenness, 1, false, d.hihat_clutch_openness, 0, 100);
    }
  }
  AddDone(menu);
  Boilerplate(menu, true, kAdjustHihatRangeAndSplash);
  int id = 0;
  float value = 0.0f;
  if (have_pedal && HeldSlider(menu, id, value)) {
    Drumkit::Drum& d = drumkit.drums[page.which_pedal];
    if (id == kSplashSensitivitySlider) d.hihat_splash_sensitivity = value;
    else if (id == kHihatRangeSlider) d.pedal_foot_range = -(value * 0.01f * Drummer::m_max_pedal_range);
    else if (id == kClutchOpennessSlider) d.hihat_clutch_openness = value;
    page.have_changes_to_save = true;
  } else {
    TestDone(menu, page.next_stage, page.have_changes_to_save);
    if (interface_state != state) return;
  }
  ChooseHihat(page);
}

}  // namespace

void AdjustHihatRangeAndSplash() {
  static HihatPage page;
  HihatFrame(page, kAdjustHihatRangeAndSplash, true);
}

void AdjustHihatClutch() {
  static HihatPage page;
  HihatFrame(page, kAdjustHihatClutch, false);
}

void AdjustCymbalChoking() {
  static InterfaceState next_stage = kAdjustDrums;
  static bool have_changes_to_save = false;
  DistanceMenu menu;
  if (EnteringPage()) EnterCommon(next_stage, have_changes_to_save);
  Highlight(-1, MOCAP_MARKER_HAND);
  const int lines[][2] = {
      {0, kTextActivateUseSlider}, {1, kTextCymbalChokingZones}, {3, kTextBringingOneDrum}, {4, kTextTheseZonesChoke}};
  for (const auto& l : lines) ShowLine(l[0], GetUtf8(l[1]));
  AddSlider(menu, kLeftZoneSlider, kTextLeftZone, 2, true, drumkit.left_choke_distance, 50, 200);
  AddSlider(menu, kRightZoneSlider, kTextRightZone, 2, false, drumkit.right_choke_distance, 50, 200);
  AddDone(menu);
  Boilerplate(menu, true, kAdjustCymbalChoking);
  int id = 0;
  float value = 0.0f;
  if (HeldSlider(menu, id, value)) {
    if (id == kRightZoneSlider) drumkit.right_choke_distance = value;
    else if (id == kLeftZoneSlider) drumkit.left_choke_distance = value;
    have_changes_to_save = true;
  } else {
    TestDone(menu, next_stage, have_changes_to_save);
  }
}
