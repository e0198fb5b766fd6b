// The in-air MIDI settings page (30): one drum's mute threshold and, for a snare or a hi-hat,
// its rimshot or edge threshold, with the drums playable through the MIDI output.
#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "drumming/drumkit.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"

namespace {


struct MidiPage {
  int which_volume = kFirstDrumLevel;
  int hand_or_foot = MOCAP_MARKER_HAND;
  InterfaceState next_stage = kPlay;
  bool have_changes_to_save = false;  // sticky for the run: a later visit still reports it
};

bool FootSide(const Drumkit::Drum& d, int hand_or_foot) {
  return d.category == Sound::CATEGORY_FOOT ||
         (d.category == Sound::CATEGORY_HAND_AND_FOOT && hand_or_foot == MOCAP_MARKER_FOOT);
}

float& MuteThreshold(Drumkit::Drum& d, int hand_or_foot) {
  return FootSide(d, hand_or_foot) ? d.midi_foot_filter_threshold : d.midi_hand_filter_threshold;
}

// The second slider of a snare (rimshots) or a hi-hat (edge hits); no threshold for other drums.
struct SecondSlider {
  float* threshold = nullptr;
  int id = 0;
  TextId text = kTextHitsRimshotsPast;
};

SecondSlider SecondThreshold(Drumkit::Drum& d) {
  if (d.type == Sound::SNARE) return {&d.midi_rimshot_threshold, kRimshotSlider, kTextHitsRimshotsPast};
  if (d.type == Sound::HIHAT) return {&d.midi_bow_edge_threshold, kEdgeHitSlider, kTextHitsEdgeHits};
  return {};
}

void Messages(const Drumkit::Drum& d, int hand_or_foot) {
  const bool pedal = d.category == Sound::CATEGORY_HAND_AND_FOOT && hand_or_foot == MOCAP_MARKER_FOOT;
  ShowLine(0, GetUtf8(kTextAdjustingMIDISettings));
  ShowNameLine(1, pedal ? kTextOfThePedal : kTextOfTheElement, d.name);
  if (FootSide(d, hand_or_foot)) ShowLine(2, GetUtf8(kTextWhenHitFoot));
  ShowLine(4, GetUtf8(kTextHitDrumPedalFirmly));
}

DistanceMenu::Slider MakeSlider(int id, TextId text, int style, float x, float value, int max) {
  return {id, GetUtf8(text), style, int(x), int(DistanceMenu::m_with_drums_slider_y),
          int(DistanceMenu::m_with_drums_slider_width), 2 * int(DistanceMenu::m_menu_radius), value, max, 0, true};
}

void Leave(const MidiPage& page) {
  drumkit.shown_drum = -1;
  drumkit.shown_marker_type = MOCAP_MARKER_HAND;
  ReturnToAdjustPage(page.next_stage, page.have_changes_to_save);
  Click();
}

void FollowFirmHits(MidiPage& page) {
  int d = -1;
  MocapMarkerType t = MOCAP_MARKER_HAND;
  if (!drumkit.GetFirmlyHitTwiceDrum(d, t) || !IsKitDrum(d)) return;
  if (kFirstDrumLevel + d == page.which_volume && int(t) == page.hand_or_foot) return;
  page.hand_or_foot = t;
  page.which_volume = kFirstDrumLevel + d;
  drumkit.shown_drum = d;
  drumkit.shown_marker_type = t;
}

}  // namespace

void OpenMidiPage(WhichVolume which, MocapMarkerType side, InterfaceState back_to) {
  ChangeInterfaceState(kAdjustMidiSettings, which, side, back_to);
}

void AdjustMIDISettings() {
  static MidiPage page;
  DistanceMenu menu;
  if (EnteringPage()) {
    page.which_volume = state_param;
    page.hand_or_foot = state_param2;
    page.next_stage = state_param3 != 0 ? InterfaceState(state_param3) : kPlay;
  }
  // Checked every frame: the viewer may reload or edit the kit under the page. Without the
  // drum only Done is left.
  const int drum = page.which_volume - kFirstDrumLevel;
  Drumkit::Drum* d = IsKitDrum(drum) ? &drumkit.drums[drum] : nullptr;
  AddButton(menu, kDoneButton, kTextDone, DistanceMenu::m_with_drums2_x, DistanceMenu::m_with_drums2_y, false, true);
  const SecondSlider second = d ? SecondThreshold(*d) : SecondSlider{};
  if (d) {
    Messages(*d, page.hand_or_foot);
    menu.sliders.push_back(MakeSlider(kMuteUnderSlider, kTextMuteHitsUnder, 2, DistanceMenu::m_with_drums_slider_x,
                                      MuteThreshold(*d, page.hand_or_foot) * 100.0f, 10));
    if (second.threshold)
      menu.sliders.push_back(MakeSlider(second.id, second.text, 1, DistanceMenu::m_with_drums_slider2_x,
                                        *second.threshold * 100.0f, 100));
  }
  Boilerplate(menu, true, kAdjustMidiSettings);
  int id = 0;
  float value = 0.0f;
  if (d && HeldSlider(menu, id, value)) {
    if (id == kMuteUnderSlider) MuteThreshold(*d, page.hand_or_foot) = value * 0.01f;
    else if (second.threshold && id == second.id) *second.threshold = value * 0.01f;
    page.have_changes_to_save = true;
  }
  if (menu.WasHit(kDoneButton)) return Leave(page);
  FollowFirmHits(page);
}
