// The move-drum page (23): pick a drum or pedal by striking it firmly, then strike (or tap)
// where it shall stand. The whole-kit mode moves every drum by the reference drum's move.
#include <GL/gl.h>

#include <string>

#include "airmenu/page_frame.h"
#include "airmenu/pages.h"
#include "airmenu/viewer_link.h"
#include "drumming/drumkit.h"
#include "drumming/drummer.h"
#include "drumming/drumming_globals.h"
#include "drumming/interface_state.h"
#include "frame/frame_globals.h"
#include "frame/interface_states.h"
#include "frame/texts.h"
#include "tracking/webcam.h"

namespace {

constexpr float kLowestPedalY = 232.0f;  // a whole-kit move keeps every pedal above this row

struct MovePage {
  bool moving = false;
  bool all_drums = false;
  int which_drum = -1;
  Drummer::Limb which_limb = 0;
  InterfaceState next_stage = kPlay;
  InterfaceState next_next_stage = kPlay;
  bool have_changes_to_save = false;
  int first_hihat_index = -1;
};

bool IsFoot(Drummer::Limb limb) { return limb >= Drummer::LEFT_FOOT; }
bool HandDrum(const Drumkit::Drum& d) { return d.category != Sound::CATEGORY_FOOT; }
bool FootDrum(const Drumkit::Drum& d) { return d.category != Sound::CATEGORY_HAND; }

// Leaving: the adjust-drums family page the move-drum page was opened for.
void Leave(const MovePage& page) {
  OpenAdjustPage(page.next_stage, page.next_next_stage, page.have_changes_to_save);
}

// state_param = 1 for the whole kit, state_param2 = back_to, state_param3 = its_back_to (0: the
// drumming page).
void Enter(MovePage& page) {
  page.all_drums = state_param == 1;
  page.moving = false;
  page.next_stage = state_param2 != 0 ? InterfaceState(state_param2) : kPlay;
  page.next_next_stage = state_param3 != 0 ? InterfaceState(state_param3) : kPlay;
  page.have_changes_to_save = false;
  page.first_hihat_index = -1;
  for (size_t i = 0; i < drumkit.drums.size() && page.first_hihat_index < 0; ++i)
    if (drumkit.drums[i].type == Sound::HIHAT) page.first_hihat_index = int(i);
}

void ClearHighlight() {
  drumkit.shown_drum = -1;
  drumkit.shown_marker_type = MOCAP_MARKER_HAND;
}

// A placement ended: the stroke that picked the drum must not pick it again in a frame
// without drumming (no new camera picture, bad lighting).
void EndPlacement() {
  drummer.picked = false;
  DistanceMenu::ClearMessages();
  DistanceMenu::ResetButtonActivation();
}

void BackToPicking(MovePage& page) {
  page.moving = false;
  EndPlacement();
}

void Pick(MovePage& page) {
  if (page.all_drums) {
    ShowLine(0, GetUtf8(kTextPickReferenceDrum));
    ShowLine(1, GetUtf8(kTextFollowDrumWhen));
  } else {
    ShowLine(0, GetUtf8(kTextPickDrumPedal));
  }
  DistanceMenu menu;
  AddButton(menu, page.all_drums ? kBackButton : kDoneButton, page.all_drums ? kTextBack : kTextDone,
            DistanceMenu::m_with_drums_x, DistanceMenu::m_with_drums_y, false, true);
  Boilerplate(menu, true, kMoveDrum);
  int drum = -1;
  Drummer::Limb limb = 0;
  if (menu.WasHit(kDoneButton) || menu.WasHit(kBackButton)) {
    Leave(page);
    ClearHighlight();
    DistanceMenu::ClearMessages();
    DistanceMenu::ResetButtonActivation();
    Click();
  } else if (drummer.HavePick(drum, limb) && IsKitDrum(drum) &&
             (!page.all_drums || (!IsFoot(limb) && HandDrum(drumkit.drums[drum])))) {
    page.which_drum = drum;
    page.which_limb = limb;
    page.moving = true;
    drumkit.shown_drum = drum;
    drumkit.shown_marker_type = IsFoot(limb) ? MOCAP_MARKER_FOOT : MOCAP_MARKER_HAND;
    DistanceMenu::ClearMessages();
    DistanceMenu::ResetButtonActivation();
  }
}

void MovingMessages(const MovePage& page) {
  const std::string language = GetLanguageString();
  const char* name = drumkit.drums[page.which_drum].name;
  const bool foot = IsFoot(page.which_limb);
  const bool name_second = language == "tr" || (!foot && language == "zh");
  const TextId top = foot ? kTextPlacePedalTapping : kTextPlaceMakingFirm;
  const TextId bottom = foot ? kTextFootFirmlyWhere : kTextDrummingGestureWhere;
  if (name_second) {
    ShowLine(0, GetUtf8(top));
    ShowNameLine(1, bottom, name);
  } else {
    ShowNameLine(0, top, name);
    ShowLine(1, GetUtf8(bottom));
  }
  if (page.all_drums) ShowNameLine(2, kTextRestDrumkitFollow, name);
}

void DrawMovingPicture(int w, int h) {
  const float y = (1.0f - DistanceMenu::m_lowest_drum_y / 239.0f) * h;
  glColor3f(1.0f, 0.0f, 0.0f);
  glBegin(GL_LINES);
  glVertex2f(0.0f, y);
  glVertex2f(float(w), y);
  glEnd();
  webcam.DrawVignette();
}

// One drum: false (and a message where one is due) when the stroke is refused.
bool MoveOneDrum(const MovePage& page, const MocapMarker::Position& pos, Drummer::Limb limb) {
  Drumkit::Drum& d = drumkit.drums[page.which_drum];
  const bool is_hihat = page.which_drum == page.first_hihat_index;
  if (!IsFoot(limb) && HandDrum(d)) {
    if (pos.y > DistanceMenu::m_lowest_drum_y) {
      ShowLine(3, GetUtf8(kTextPlaceDrumAbove));
      return false;
    }
    ClearHighlight();
    d.x = pos.x, d.y = pos.y, d.size = pos.radius;
    if (is_hihat) d.foot_x = pos.x;
    SendMessage_MoveDrum(page.which_drum, d);
  } else if (IsFoot(limb) && FootDrum(d)) {
    if (drumkit.PedalPlacedTooClose(page.which_drum, pos.x)) return false;
    ClearHighlight();
    d.foot_x = pos.x, d.foot_y = pos.y, d.foot_size = pos.radius;
    if (is_hihat) {
      d.x = pos.x;
      SendMessage_MoveDrum(page.which_drum, d);
    } else {
      SendMessage_MovePedal(page.which_drum, d);
    }
    drummer.SetPedalParams(page.which_drum, pos.y, limb == Drummer::RIGHT_FOOT);
  } else {
    ClearHighlight();
  }
  drumkit.SetPan(!drummer.Is_Left_Handed, page.which_drum);
  return true;
}

// Whole kit, moved by the reference drum's hand position (picked and placed by a hand): false
// when a hand drum would go below the red line or a pedal out of sight.
bool MoveWholeKit(const MovePage& page, const MocapMarker::Position& pos) {
  const Drumkit::Drum& ref = drumkit.drums[page.which_drum];
  const float dx = pos.x - ref.x, dy = pos.y - ref.y;
  for (const Drumkit::Drum& d : drumkit.drums) {
    if (HandDrum(d) && d.y + dy > DistanceMenu::m_lowest_drum_y) {
      ShowLine(3, GetUtf8(kTextWouldPlaceSome));
      ShowLine(4, GetUtf8(kTextHitSlightlyHigher));
      return false;
    }
    if (FootDrum(d) && d.foot_size > 0.0f && d.foot_y + dy > kLowestPedalY) {
      ShowLine(3, GetUtf8(kTextWouldPlaceSomePedals));
      ShowLine(4, GetUtf8(kTextHitSlightlyHigher));
      return false;
    }
  }
  ClearHighlight();
  for (Drumkit::Drum& d : drumkit.drums) {
    d.x += dx, d.y += dy;
    d.foot_x += dx, d.foot_y += dy;
    d.pedal_lowest_foot_y += dy;
  }
  drumkit.SetPan(!drummer.Is_Left_Handed, -1);
  return true;
}

void Accepted(MovePage& page, Drummer::Limb limb) {
  if (!drums_muted)
    drumkit.PlayDrum(page.which_drum, 0.75f, IsFoot(limb) ? 2 : 1, -1.0f, drummer.Is_Left_Handed,
                     limb == Drummer::RIGHT_FOOT);
  drumkit.SetDistanceMenuLocations(drummer.Is_Left_Handed);
  page.have_changes_to_save = true;
}

void Place(MovePage& page, DistanceMenu& menu, const MocapMarker::Position& pos, Drummer::Limb limb) {
  if (menu.WasHit(kBackButton)) {
    ClearHighlight();
    BackToPicking(page);
    Click();
  } else if (limb != page.which_limb) {
    ShowLine(3, GetUtf8(kTextUseSameHand));
  } else if (page.all_drums) {
    if (!MoveWholeKit(page, pos)) return;
    Accepted(page, limb);
    Leave(page);
    EndPlacement();
  } else if (MoveOneDrum(page, pos, limb)) {
    Accepted(page, limb);
    BackToPicking(page);
  }
}

void Move(MovePage& page) {
  const int w = WindowWidth(), h = WindowHeight();
  Webcam::Blob blobs[4];
  const int n = webcam.FindBlobs(blobs, 4);
  DistanceMenu::UpdateButtonActivation();
  drummer.Label(blobs, n);
  DistanceMenu menu;
  DrawMovingPicture(w, h);
  MovingMessages(page);
  AddButton(menu, kBackButton, kTextBack, DistanceMenu::m_with_drums_x, DistanceMenu::m_with_drums_y, false, true);
  frame_calls.menu_seen(menu);
  menu.Render(true, kFramesPerSecond);
  drumkit.DrawPedals(false, drummer.Is_Left_Handed);
  drumkit.Draw(false, drummer.Is_Left_Handed);
  drummer.RenderMocapMarkers(w, h, !show_marker_color);
  drummer.RenderMocapMarkerLabels(w, h, DistanceMenu::m_message_font);
  MocapMarker::Position pos{}, stroke{};
  float speed = 0.0f;
  Drummer::Limb limb = 0;
  if (drummer.DetectHitToPlaceDrumOrMenu(menu, pos, stroke, speed, limb)) Place(page, menu, pos, limb);
  menu.Render(false, kFramesPerSecond);
  drummer.RenderMocapMarkers(w, h, true);
}

}  // namespace

void OpenMoveDrumPage(bool whole_kit, InterfaceState back_to, InterfaceState its_back_to) {
  ChangeInterfaceState(kMoveDrum, whole_kit ? 1 : 0, back_to, its_back_to);
}

void MoveDrum() {
  static MovePage page;
  if (EnteringPage()) Enter(page);
  // The viewer may have reloaded or edited the kit since the drum was picked.
  if (page.moving && !IsKitDrum(page.which_drum)) {
    ClearHighlight();
    BackToPicking(page);
  }
  if (page.moving) Move(page);
  else Pick(page);
}
