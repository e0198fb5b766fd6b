// Stage 6 of the set-up wizard: placing the drums one part at a time by striking the air
// where each is to be, with a ready screen first when asked.
#include "airmenu/calib_drums.h"

#include <GL/gl.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>

#include "airmenu/calib_seat.h"
#include "airmenu/calibration.h"
#include "airmenu/drumming_mouse_buttons.h"
#include "airmenu/frame_rate_watch.h"
#include "airmenu/page_frame.h"
#include "airmenu/viewer_link.h"
#include "drumming/distance_menu.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "drumming/menu_ids.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "render/imgui.h"
#include "sound/sound.h"
#include "tracking/webcam.h"

namespace {

constexpr int kTurkish = 6, kChinese = 9;  // languages that put the drum's name on line 1

std::map<Sound::ElementType, int> PlacingWeights() {
  std::map<Sound::ElementType, int> w;
  for (int t = 0; t < Sound::NUM_ELEMENT_TYPES; ++t) w[Sound::ElementType(t)] = 2000;
  const std::pair<Sound::ElementType, int> known[] = {
      {Sound::SNARE, 533},     {Sound::CROSS_STICK, 566}, {Sound::RIMSHOT, 600},   {Sound::VERY_HIGH_TOM, 650},
      {Sound::HIGH_TOM, 700},  {Sound::MID_TOM, 800},     {Sound::FLOOR_TOM, 1100}, {Sound::FLOOR_TOM_2, 1200},
      {Sound::KICK, 1250},     {Sound::HIHAT, 1300},      {Sound::RIDE, 1400},     {Sound::RIDE_BELL, 1500},
      {Sound::CRASH, 1600},    {Sound::SPLASH, 1700},     {Sound::CHINA, 1800}};
  for (const auto& [type, weight] : known) w[type] = weight;
  return w;
}

// One pass over the drums of the given categories, appended in weight order.
void AddParts(Drumkit& kit, const std::map<Sound::ElementType, int>& weights, int category, PlacingOrder& out) {
  std::vector<std::pair<int, int>> parts;  // (weight, drum)
  for (int i = 0; i < int(kit.drums.size()); ++i) {
    if (kit.drum_to_element[i] == -1) continue;
    const int c = kit.drums[i].category;
    if (c != category && c != Sound::CATEGORY_HAND_AND_FOOT) continue;
    const auto w = weights.find(kit.drums[i].type);
    parts.push_back({w == weights.end() ? 2000 : w->second, i});
  }
  std::stable_sort(parts.begin(), parts.end());
  for (const auto& part : parts) out.order.push_back(part.second);
}

}  // namespace

PlacingOrder ComputePlacingOrder(Drumkit& kit) {
  PlacingOrder out;
  for (int i = 0; i < int(kit.drums.size()); ++i)
    if (kit.drum_to_element[i] == -1) out.missing.push_back(kit.drums[i].name);
  const auto weights = PlacingWeights();
  AddParts(kit, weights, Sound::CATEGORY_HAND, out);
  out.first_foot = int(out.order.size());
  AddParts(kit, weights, Sound::CATEGORY_FOOT, out);
  return out;
}

std::string MissingDrumsLine(const std::vector<std::string>& missing) {
  if (missing.empty()) return "";
  std::string line = GetUtf8(kTextThe) + missing[0];
  if (missing.size() == 1) return line + GetUtf8(kTextMissingSkipping);
  for (size_t i = 1; i + 1 < missing.size(); ++i) line += GetUtf8(kTextCommaSeparator) + missing[i];
  return line + GetUtf8(kTextAndSeparator) + missing.back() + GetUtf8(kTextMissingSkippingThem);
}

namespace {

// The placing session; lives across frames and entries, reset at each entry.
struct Placing {
  PlacingOrder parts;
  int current = 0;
  bool computed = false;
  size_t drum_count = 0;  // drums when the order was computed: a kit reload changes it
  InterfaceState next_state = kPlay;
  bool had_calibration_info = false;
  bool have_changes_to_save = false;
  bool ready_screen = false;
  bool clear_positions = true;  // the old positions go when the order is first computed
};
Placing placing;

bool ByFoot() { return placing.current >= placing.parts.first_foot; }
int CurrentDrum() { return placing.parts.order[placing.current]; }

void Highlight() {
  drumkit.shown_drum = CurrentDrum();
  drumkit.shown_marker_type = ByFoot() ? MOCAP_MARKER_FOOT : MOCAP_MARKER_HAND;
}

void ComputeOrder(bool clear_positions) {
  if (clear_positions)
    for (Drumkit::Drum& d : drumkit.drums) d.x = d.y = d.size = d.foot_x = d.foot_y = d.foot_size = 0;
  placing.parts = ComputePlacingOrder(drumkit);
  if (!placing.parts.missing.empty())
    ShowLine(8, MissingDrumsLine(placing.parts.missing).c_str());
  placing.current = 0;
  placing.computed = true;
  placing.drum_count = drumkit.drums.size();
  if (!placing.parts.order.empty()) Highlight();
}

const Font* MessageFont() {
  return drummer.Drum_Full_Screen ? DistanceMenu::m_message_font : DistanceMenu::m_message_windowed_font;
}

void DrawMarkers(int w, int h) {
  glEnable(GL_BLEND);
  drummer.RenderMocapMarkers(w, h, true);
  drummer.RenderMocapMarkerLabels(w, h, MessageFont());
  glDisable(GL_BLEND);
}

// Blobs of this frame labelled as markers; false on a frame the camera did not renew.
bool TrackMarkers() {
  Webcam::Blob blobs[4];
  const int n = webcam.FindBlobs(blobs, 4);
  DistanceMenu::UpdateButtonActivation();
  if (!NewCameraFrame()) return false;
  drummer.Label(blobs, n);
  return true;
}

void ReadyMessages(bool first_run) {
  const float duration = first_run ? 8000.0f : 5000.0f;
  DistanceMenu::AddMessage(GetUtf8(kTextReadySetUp), 0, 1, duration, false, false);
  if (first_run) {
    DistanceMenu::AddMessage(GetUtf8(kTextDontForgetPlug), 2, 1, 8000.0f, false, false);
    DistanceMenu::AddMessage(GetUtf8(kTextPutSomeMarkers), 3, 1, 8000.0f, false, false);
  }
  ShowLine(8, GetUtf8(kTextActivateHitButton));
}

void PlaceMessages(const Drumkit::Drum& d, bool foot) {
  const TextId top = foot ? kTextPlacePedalTapping : kTextPlaceMakingFirm;
  const TextId bottom = foot ? kTextFootFirmlyWhere : kTextDrummingGestureWhere;
  const bool name_on_second = language == kTurkish || (!foot && language == kChinese);
  ShowNameLine(name_on_second ? 1 : 0, name_on_second ? bottom : top, d.name);
  ShowLine(name_on_second ? 0 : 1, GetUtf8(name_on_second ? top : bottom));
}

void DrawPlacingBackground(int w, int h) {
  const bool picture = !DrawsSimplified(graphics_mode);
  if (picture) webcam.Draw(1.0f);
  glColor3f(1, 0, 0);
  const float y = (1.0f - DistanceMenu::m_lowest_drum_y / 239.0f) * h;
  glBegin(GL_LINES);
  glVertex2f(0, y);
  glVertex2f(float(w), y);
  glEnd();
  if (picture) webcam.DrawVignette();
}

bool Placed(const Drumkit::Drum& d, bool foot) { return (foot ? d.foot_size : d.size) > 0; }

// A stick strike stores the hand part; false (with the line-9 message) below the red line.
bool PlaceByHand(int drum, const MocapMarker::Position& p) {
  if (p.y > DistanceMenu::m_lowest_drum_y) {
    ShowLine(9, GetUtf8(kTextPlaceDrumAbove));
    return false;
  }
  Drumkit::Drum& d = drumkit.drums[drum];
  if (d.size == 0) drumkit.SetDrumDefaults(drum);
  d.x = p.x;
  d.y = p.y;
  d.size = p.radius;
  SendMessage_MoveDrum(drum, d);
  const bool left = drummer.Is_Left_Handed;
  drumkit.SetPan(!left, drum);
  if (!drums_muted) drumkit.PlayDrum(drum, 0.75f, 1, 1.0f, left, true);
  drumkit.SetDistanceMenuLocations(left);
  return true;
}

// A foot tap stores the pedal; false when it lands too close to another pedal. Only a drum
// never placed gets its defaults: a kick's hand size is always 0, so testing that would reset
// its volume, sensitivity and curve at every re-placement.
bool PlaceByFoot(int drum, const MocapMarker::Position& p, int limb) {
  if (drumkit.PedalPlacedTooClose(drum, p.x)) return false;
  drummer.SetPedalParams(drum, p.y, limb == 3);
  Drumkit::Drum& d = drumkit.drums[drum];
  const bool foot_only = d.category == Sound::CATEGORY_FOOT;
  if ((foot_only ? d.foot_size : d.size) == 0) drumkit.SetDrumDefaults(drum);
  d.foot_x = p.x;
  d.foot_y = p.y;
  d.foot_size = p.radius;
  SendMessage_MovePedal(drum, d);
  drumkit.SetPan(!drummer.Is_Left_Handed, drum);
  if (!drums_muted) drumkit.PlayDrum(drum, 0.75f, 2, -1.0f, false, true);
  return true;
}

// What one detected hit does; true when the part is done (placed or skipped).
bool TakeHit(const DistanceMenu& menu, const MocapMarker::Position& p, int limb) {
  if (menu.WasHit(kBackButton) && placing.current > 0) {
    Click();
    --placing.current;
    Highlight();
    return false;
  }
  if (menu.WasHit(kNextButton) && Placed(drumkit.drums[CurrentDrum()], ByFoot())) {
    Click();
    return true;
  }
  const bool by_foot_limb = limb >= 2;
  if (by_foot_limb != ByFoot()) return false;
  const bool placed = ByFoot() ? PlaceByFoot(CurrentDrum(), p, limb) : PlaceByHand(CurrentDrum(), p);
  placing.have_changes_to_save |= placed;
  return placed;
}

// state_param = where placing leads (0: the drumming page), state_param2 = 1 to keep the old
// positions, state_param3 = 1 to show the ready screen first.
void Enter() {
  placing.next_state = state_param ? InterfaceState(state_param) : kPlay;
  placing.clear_positions = state_param2 == 0;
  placing.ready_screen = state_param3 != 0;
  placing.computed = false;
  placing.have_changes_to_save = false;
  placing.had_calibration_info = drumkit.is_calibrated;
}

void ReadyScreen() {
  const int w = WindowWidth(), h = WindowHeight();
  DistanceMenu menu;
  DistanceMenu::UpdateButtonActivation();
  ReadyMessages(calibration.IsFirstRun());
  AddButton(menu, kStartButton, kTextStart, DistanceMenu::m_with_drums_x, DistanceMenu::m_with_drums_y, false, true);
  frame_calls.menu_seen(menu);
  if (DrawsPhase(kPhaseBackground) && !DrawsSimplified(graphics_mode)) {
    webcam.Draw(1.0f);
    webcam.DrawVignette();
    Calibration::DrawDeadPixels();
  }
  if (TrackMarkers() && drummer.TestDistanceMenu(menu, true) && menu.WasHit(kStartButton)) {
    Click();
    placing.ready_screen = false;
    DistanceMenu::ClearMessages();
  }
  DoFPS();
  if (!DrawsPhase(kPhaseSwap)) return;
  menu.Render(true, kFramesPerSecond);
  menu.Render(false, kFramesPerSecond);
  DrawMarkers(w, h);
  imgui.Begin(false);
  int id = 1;
  if (imgui.DoButton(id++, int(0.25 * w - 120), int(0.16 * h), 104, 50, GetUtf8(kTextBack))) {
    OpenSeat(SeatEntry::kFresh);
  }
  DoDrummingMouseButtons(id);
  imgui.End();
}

void FinishPlacing() {
  drumkit.is_calibrated = true;
  webcam.ChangeMode(1);
  calibration.LeaveWizard();
  if (placing.next_state == kAdjustDrums) ReturnToAdjustPage(kAdjustDrums, placing.have_changes_to_save);
  else OpenPlayPage();
  // A kit placed for the first time is saved at once; when that fails it stays unplaced, so
  // that the placement is asked for again rather than lost at exit.
  if (!placing.had_calibration_info) {
    std::string message;
    if (!drummer.SaveCalibration(&message)) {
      drumkit.is_calibrated = false;
      ShowKitSaveFailed(message);
    }
    placing.have_changes_to_save = false;
  }
  drumkit.shown_drum = -1;
  drumkit.shown_marker_type = MOCAP_MARKER_HAND;
}

void PlaceDrumsFrame() {
  const int w = WindowWidth(), h = WindowHeight();
  if (DrawsPhase(kPhaseBackground)) DrawPlacingBackground(w, h);
  const bool fresh = TrackMarkers();
  const bool foot = ByFoot();
  const Drumkit::Drum& d = drumkit.drums[CurrentDrum()];
  PlaceMessages(d, foot);
  DistanceMenu menu;
  if (placing.current > 0)
    AddButton(menu, kBackButton, kTextBack, DistanceMenu::m_with_drums2_x, DistanceMenu::m_with_drums2_y, false, true);
  if (Placed(d, foot))
    AddButton(menu, kNextButton, kTextSkipDrum, DistanceMenu::m_with_drums_x, DistanceMenu::m_with_drums_y, false,
              true);
  frame_calls.menu_seen(menu);
  if (DrawsPhase(kPhaseBackground)) menu.Render(true, kFramesPerSecond);
  if (DrawsPhase(kPhaseMiddle))
    drumkit.DrawForPlacement(placing.current, placing.parts.first_foot, placing.parts.order, drummer.Is_Left_Handed);
  MocapMarker::Position p, stroke;
  float speed = 0;
  Drummer::Limb limb = 0;
  bool finished = false;
  if (fresh && drummer.DetectHitToPlaceDrumOrMenu(menu, p, stroke, speed, limb) && TakeHit(menu, p, limb)) {
    finished = placing.current + 1 >= int(placing.parts.order.size());
    if (finished) FinishPlacing();
    else {
      ++placing.current;
      Highlight();
    }
  }
  DoFPS();
  if (!DrawsPhase(kPhaseSwap)) return;
  menu.Render(false, kFramesPerSecond);
  DrawMarkers(w, h);
  imgui.Begin(false);
  int id = 1;
  DoDrummingMouseButtons(id);
  imgui.End();
}

}  // namespace

void SetPlacingParameters(bool keep_positions, bool ready_screen_first) {
  state_param2 = keep_positions ? 1 : 0;
  state_param3 = ready_screen_first ? 1 : 0;
}

void OpenPlacing(bool keep_positions, bool ready_screen_first) {
  SetPlacingParameters(keep_positions, ready_screen_first);
  calibration.ChangeStage(Calibration::kPlaceDrums);
}

void OpenDrumPlacing(InterfaceState back_to) {
  calibration.ChangeStage(Calibration::kPlaceDrums);
  ChangeInterfaceState(kWizard, back_to, 1, 0);
}

int Calibration::CalibDrums() {
  if (EnteringStage()) Enter();
  if (placing.ready_screen) {
    ReadyScreen();
    return 0;
  }
  // A kit reloaded by the viewer while placing changes the drums under the order.
  if (!placing.computed || placing.drum_count != drumkit.drums.size())
    ComputeOrder(placing.clear_positions && !placing.computed);
  if (placing.parts.order.empty()) {
    // Nothing to place: every drum lacks its element.
    FinishPlacing();
    ShowLine(8, MissingDrumsLine(placing.parts.missing).c_str());
    return 0;
  }
  PlaceDrumsFrame();
  return 0;
}
